#include "gui/IMEditBar.h"

#include <boost/bind/bind.hpp>

namespace {

const wchar_t kBackground[] = L"EditBarBackGround";
const wchar_t kFrame[] = L"EditBarKaretka";
constexpr std::uint32_t kEditTextColor = 0xFF000000;

} // namespace

IMEditBar::IMEditBar(IMContainer* parent) : IMDialogBase<IMEmptyView>(parent, std::nullopt, 0) {
    using boost::placeholders::_1;
    backgroundPicture_ = createPicture(0, 0, kBackground, 0);
    for (auto*& corner : frameCorners_) {
        corner = createPicture(0, 0, kFrame, 0);
        corner->setSize(1, 1);
    }
    for (auto*& side : frameSides_) side = createPicture(0, 0, kFrame, 0);
    textEdit_ = new IMTextEdit(this, 0);

    focusGained.connect(boost::bind(&IMEditBar::focusTextEdit, this, _1));
    focusLost.connect(boost::bind(&IMEditBar::unfocusTextEdit, this, _1));
    textEdit_->setTextColor(kEditTextColor);
    textEdit_->keyMessage.connect(boost::bind(&IMEditBar::onTextEditKey, this, _1));
}

long IMEditBar::focusTextEdit(const IMEvent&) {
    textEdit_->setFocus(true);
    return 0;
}

long IMEditBar::unfocusTextEdit(const IMEvent&) {
    textEdit_->setFocus(false);
    return 0;
}

void IMEditBar::setRect(const RECT& r) {
    IMDialogBase<IMEmptyView>::setRect(r);
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    frameCorners_[0]->moveTo(0, 0);
    frameCorners_[1]->moveTo(w - 1, 0);
    frameCorners_[2]->moveTo(0, h - 1);
    frameCorners_[3]->moveTo(w - 1, h - 1);
    frameSides_[0]->setRect(RECT{0, 1, 1, h - 1});
    frameSides_[1]->setRect(RECT{1, 0, w - 1, 1});
    frameSides_[2]->setRect(RECT{w - 1, 1, w, h - 1});
    frameSides_[3]->setRect(RECT{1, h - 1, w - 1, h});
    backgroundPicture_->setRect(RECT{1, 1, w - 1, h - 1});
    textEdit_->setRect(RECT{3, 2, w - 1, h - 1});
}

void IMEditBar::setText(const std::wstring& text) {
    textEdit_->setText(text);
    textEdit_->setCaretPos(textEdit_->glyphCount());
    textEdit_->updateCaret();
    scrollToCaret();
}

std::wstring IMEditBar::getText() const { return textEdit_->getText(); }

long IMEditBar::scrollToCaret() {
    IMStaticPictureBase<IMTextureView>* caret = textEdit_->caretPicture();
    if (!caret) return 0;
    const RECT c = caret->getRect();
    const int limit = getWidth() - 3;
    if (c.right > limit) {
        const RECT t = textEdit_->getRect();
        textEdit_->moveTo(t.left - (c.right - limit), t.top);
        RECT moved = textEdit_->getRect();
        if (c.right > moved.right) {
            moved.right = c.right;
            textEdit_->setRect(moved);
        }
    }
    const RECT now = caret->getRect();
    if (now.left < 0) {
        const RECT t = textEdit_->getRect();
        textEdit_->moveTo(t.left + (2 - now.left), t.top);
    }
    RECT extent = textEdit_->getContentRect();
    extent.right += 6;
    extent.bottom += 2;
    setContentRect(extent);
    return 0;
}
