#include "exercise/CursorMouse.h"

#include "resources/EmbeddedAssets.h"
#include "screens/ScreenParts.h"
#include "window/IMResourceManager.h"

namespace {
const wchar_t* const kClickSound = L"MOUSE_CLICK_SOUND";
const wchar_t* const kMouse = L"MOUSE_M";
const wchar_t* const kCursor = L"CURSOR";
} // namespace

CursorMouse::CursorMouse(IMDialogBase<IMEmptyView>* owner) : dialog(owner) {
    if (IMResourceManager* sounds = resourceManager())
        if (const resources::EmbeddedAsset* asset = resources::findEmbeddedAsset(kClickSound))
            clickSound = sounds->loadSound(kClickSound, asset->bytes.data(), asset->bytes.size());
    const screens::EmbeddedPictures pictures{kMouse,        L"MOUSE_MB",    L"MOUSE_MB_PR", L"MOUSE_MB_R1",
                                             L"MOUSE_MB_R2", L"MOUSE_ML", L"MOUSE_MR",    kCursor};
    mousePicture = dialog->createPicture(mouseOffset, mouseOffset, kMouse, pictureLayer, 0xFFFFFFFF);
    pointerPicture = dialog->createPicture(0, 0, kCursor, pictureLayer, 0xFFFFFFFF);
}
