#pragma once
// The edit field: a small dialog with a one-pixel frame and a background around a text edit. It
// hands its keyboard focus to the text edit and slides the text sideways to keep the caret in
// view.

#include <array>
#include <string>

#include "gui/IMDialogBase.h"
#include "gui/IMStaticPictureBase.h"
#include "gui/IMTextEdit.h"

class IMEditBar : public IMDialogBase<IMEmptyView> {
public:
    explicit IMEditBar(IMContainer* parent);

    void setRect(const RECT& r) override;

    void setText(const std::wstring& text);
    std::wstring getText() const;
    long scrollToCaret();

    IMTextEdit* textEdit() const { return textEdit_; }

private:
    long focusTextEdit(const IMEvent&);
    long unfocusTextEdit(const IMEvent&);
    long onTextEditKey(const IMKeyboardEvent&) { return scrollToCaret(); }

    IMTextEdit* textEdit_ = nullptr;
    IMStaticPictureBase<IMTextureView>* backgroundPicture_ = nullptr;
    // top-left, top-right, bottom-left, bottom-right
    std::array<IMStaticPictureBase<IMTextureView>*, 4> frameCorners_{};
    // left, top, right, bottom
    std::array<IMStaticPictureBase<IMTextureView>*, 4> frameSides_{};
};
