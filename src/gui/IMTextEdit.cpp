#include "gui/IMTextEdit.h"

#include <algorithm>
#include <boost/bind/bind.hpp>

#include "gui/IMDialogBase.h"
#include "resources/TextureRegistry.h"
#include "events/WindowTimers.h"

namespace {

const wchar_t kCaretTexture[] = L"EditBarKaretka";
// The key under which a space is rendered to measure the caret of an empty field.
const wchar_t kSpaceProbeKey[] = L"TempSpaceBar";

} // namespace

IMTextEdit::IMTextEdit(IMContainer* parent, int layer)
    : IMStaticPictureBase<IMTextView>(parent, layer) {
    using boost::placeholders::_1;
    focusable_ = true;
    keyMessage.connect(boost::bind(&IMTextEdit::onEditKey, this, _1));

    if (parent) {
        caretPicture_ = new IMStaticPictureBase<IMTextureView>(parent, 0);
        caretPicture_->setTexture(kCaretTexture);
        caretPicture_->setRect(caretPicture_->getContentRect());
        caretPicture_->hide();
    }
    focusGained.connect(boost::bind(&IMTextEdit::showCaret, this, _1));
    focusLost.connect(boost::bind(&IMTextEdit::hideCaret, this, _1));
    changed.connect(boost::bind(&IMTextEdit::onChanged, this, _1));

    if (WindowTimers* window = windowTimers()) {
        blinkTimer_ = window->createTimer(kBlinkMs);
        window->connectTimer(blinkTimer_, boost::bind(&IMTextEdit::onBlink, this, _1));
    }
}

IMTextEdit::~IMTextEdit() {
    if (WindowTimers* window = windowTimers(); window && blinkTimer_ != 0) window->killTimer(blinkTimer_);
}

long IMTextEdit::detach() {
    // The caret lives beside the text edit in the same container and goes with it.
    if (caretPicture_) {
        IMStaticPictureBase<IMTextureView>* caret = caretPicture_;
        caretPicture_ = nullptr;
        caret->close();
    }
    return IMStaticPictureBase<IMTextView>::detach();
}

long IMTextEdit::showCaret(const IMEvent&) {
    if (caretPicture_) caretPicture_->show();
    return 0;
}

long IMTextEdit::hideCaret(const IMEvent&) {
    if (caretPicture_) caretPicture_->hide();
    return 0;
}

long IMTextEdit::onBlink(const IMEvent&) {
    if (!hasFocus() || !caretPicture_) return 0;
    if (caretPicture_->isHidden())
        caretPicture_->show();
    else
        caretPicture_->hide();
    return 0;
}

long IMTextEdit::onEditKey(const IMKeyboardEvent& e) {
    // The column up and down aim for, shared by every text edit.
    static int rememberedColumn = caretColumn();
    const int count = glyphCount();
    if (e.message == WM_CHAR) {
        const WPARAM code = e.wParam;
        if (code == VK_BACK) {
            if (caretPos_ > 0) {
                eraseText(caretPos_ - 1, 1);
                setCaretPos(caretPos_ - 1);
            }
        } else if (code == VK_TAB || code == 10 || code == VK_RETURN || code == VK_ESCAPE) {
            // Field text is one line and never holds tabs.
        } else {
            insertText(caretPos_, std::wstring(1, static_cast<wchar_t>(code & 0xFFFF)));
            setCaretPos(caretPos_ + 1);
        }
    } else if (e.message == WM_KEYDOWN) {
        const int cur = lineOf(caretPos_);
        const int lastLine = static_cast<int>(lineStarts_.size()) - 1;
        auto start = [&](int line) { return lineStarts_[static_cast<std::size_t>(line)]; };
        switch (e.wParam) {
        case VK_LEFT:
            showCaret(e);
            setCaretPos(caretPos_ - 1);
            rememberedColumn = caretColumn();
            break;
        case VK_RIGHT:
            showCaret(e);
            setCaretPos(caretPos_ + 1);
            rememberedColumn = caretColumn();
            break;
        case VK_UP:
            showCaret(e);
            if (cur > 0) {
                const int target = start(cur - 1) + rememberedColumn;
                setCaretPos(target < start(cur) ? target : start(cur) - 1);
            }
            break;
        case VK_DOWN:
            showCaret(e);
            if (cur < lastLine) {
                const int target = start(cur + 1) + rememberedColumn;
                if (target > count - 1)
                    setCaretPos(count - 1);
                else if (cur + 1 < lastLine && target >= start(cur + 2))
                    setCaretPos(start(cur + 2) - 1);
                else
                    setCaretPos(target);
            }
            break;
        case VK_DELETE:
            if (caretPos_ < count) eraseText(caretPos_, 1);
            break;
        default:
            break;
        }
    }
    setChanged(true);
    return 0;
}

void IMTextEdit::setCaretPos(int pos) {
    caretPos_ = std::clamp(pos, 0, glyphCount());
    updateCaret();
}

int IMTextEdit::caretColumn() const {
    const int line = lineOf(caretPos_);
    return caretPos_ - lineStarts_[static_cast<std::size_t>(line)];
}

int IMTextEdit::caretHeight() const {
    if (caretPos_ > 0 && caretPos_ <= glyphCount()) return imageRect(glyphs_[caretPos_ - 1]).bottom;
    if (!glyphs_.empty()) return imageRect(glyphs_[0]).bottom;
    TextureRegistry* rm = textureRegistry();
    if (!rm) return 0;
    const TextureHandle space = createTextTexture(*rm, kSpaceProbeKey, L' ', std::nullopt, style_);
    const int height = rm->isLive(space) ? rm->entry(space).imageRect.bottom : 0;
    rm->release(space);
    return height;
}

void IMTextEdit::updateCaret() {
    if (!caretPicture_) return;
    caretPicture_->setSize(1, caretHeight());
    const RECT r = getRect();
    if (caretPos_ > 0 && caretPos_ <= glyphCount()) {
        const RECT g = glyphs_[static_cast<std::size_t>(caretPos_ - 1)].glyphRect;
        caretPicture_->moveTo(r.left + g.right, r.top + g.top);
    } else {
        caretPicture_->moveTo(r.left, r.top);
    }
}
