#pragma once
// The demonstration's drawn mouse and cursor arrow: two pictures above everything in the
// instruction, moved by the glide while the narration explains the task. The other mouse pictures
// and the click sound are registered with it for pictures of a pressed or rolled mouse; this
// demonstration shows neither.

#include <cstdint>

#include "gui/IMDialogBase.h"
#include "gui/IMStaticPictureBase.h"
#include "gui/IMTextureView.h"

class CursorMouse {
public:
    using Picture = IMStaticPictureBase<IMTextureView>;
    static constexpr int pictureLayer = 60000;
    // Where the mouse picture sits relative to the cursor's tip.
    static constexpr int mouseOffset = 10;

    explicit CursorMouse(IMDialogBase<IMEmptyView>* dialog);

    Picture* mousePicture = nullptr;
    Picture* pointerPicture = nullptr;
    std::uint32_t clickSound = 0;
    IMDialogBase<IMEmptyView>* dialog = nullptr;
    int x = mouseOffset;
    int y = mouseOffset;
    bool keepMouseHidden = false;
};
