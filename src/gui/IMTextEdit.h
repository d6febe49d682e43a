#pragma once
// A one-line text field's editing part: a label that takes keys, keeps a caret position between
// its glyphs and shows a blinking caret picture beside itself in the same container.

#include "gui/IMStaticPictureBase.h"
#include "gui/IMTextView.h"
#include "gui/IMTextureView.h"

class IMTextEdit : public IMStaticPictureBase<IMTextView> {
public:
    static constexpr std::uint32_t kBlinkMs = 500;

    IMTextEdit(IMContainer* parent, int layer = 0);
    ~IMTextEdit() override;

    long detach() override;
    virtual long onEditKey(const IMKeyboardEvent& e);

    // Clamped to 0 ... glyph count.
    void setCaretPos(int pos);
    int caretPos() const { return caretPos_; }
    // Places and sizes the caret picture next to the glyph before the caret.
    void updateCaret();
    // The caret's position within its line.
    int caretColumn() const;

    IMStaticPictureBase<IMTextureView>* caretPicture() const { return caretPicture_; }
    int blinkTimer() const { return blinkTimer_; }

private:
    long onBlink(const IMEvent&);
    long showCaret(const IMEvent&);
    long hideCaret(const IMEvent&);
    long onChanged(const IMEvent&) {
        updateCaret();
        return 0;
    }
    int caretHeight() const;

    int caretPos_ = 0;
    int blinkTimer_ = 0;
    IMStaticPictureBase<IMTextureView>* caretPicture_ = nullptr;
};
