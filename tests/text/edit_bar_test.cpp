// The edit bar: keys against text, caret and sideways scrolling; caret size; focus and blinking.

#include "TextTestSupport.h"
#include "gui/IMEditBar.h"

namespace {

struct Key {
    std::uint32_t message;
    WPARAM code;
};
Key ch(wchar_t c) { return Key{WM_CHAR, static_cast<WPARAM>(c)}; }
Key down(WPARAM vk) { return Key{WM_KEYDOWN, vk}; }
std::vector<Key> typed(const std::wstring& text) {
    std::vector<Key> keys;
    for (wchar_t c : text) keys.push_back(ch(c));
    return keys;
}

class EditBarTest : public TextFixture {
protected:
    IMEditBar* makeBar(int width = 100) {
        auto* bar = new IMEditBar(dialog);
        bar->setRect(RECT{50, 50, 50 + width, 72});
        update();
        bar->setFocus(true);
        return bar;
    }
    void press(const std::vector<Key>& keys) {
        for (const Key& k : keys) window->onKey(IMKeyboardEvent(window, k.message, k.code, 0));
    }
};

TEST_F(EditBarTest, KeySequencesTable) {
    struct Case {
        const char* name;
        std::wstring initial;
        std::vector<Key> keys;
        std::wstring text;
        int caret;
    };
    const std::vector<Case> cases = {
        {"typing", L"", typed(L"12"), L"12", 2},
        {"backspace", L"", {ch(L'1'), ch(L'2'), ch(8)}, L"1", 1},
        {"backspace at start", L"", {ch(8), ch(8)}, L"", 0},
        {"enter tab escape line feed", L"ab", {ch(13), ch(9), ch(27), ch(10)}, L"ab", 2},
        {"ctrl+a inserts code 1", L"", {ch(1)}, std::wstring(1, L'\x01'), 1},
        {"control codes", L"", {ch(0), ch(7), ch(31)}, std::wstring(L"\0\x07\x1F", 3), 3},
        {"cyrillic", L"", typed(L"Ёжик"), L"Ёжик", 4},
        {"emoji surrogate pair", L"a", {ch(0xD83D), ch(0xDE00)}, L"a\xD83D\xDE00", 3},
        {"delete at 0", L"ab", {down(VK_LEFT), down(VK_LEFT), down(VK_DELETE)}, L"b", 0},
        {"delete at end", L"ab", {down(VK_DELETE)}, L"ab", 2},
        {"left at 0 and right at end", L"ab",
         {down(VK_RIGHT), down(VK_LEFT), down(VK_LEFT), down(VK_LEFT)}, L"ab", 0},
        {"insert in the middle", L"ac", {down(VK_LEFT), ch(L'б')}, L"aбc", 2},
        {"up and down on one line", L"abc", {down(VK_LEFT), down(VK_UP), down(VK_DOWN)}, L"abc", 2},
        {"other keys", L"ab", {down(VK_F1), down(VK_HOME), Key{WM_KEYUP, VK_LEFT}}, L"ab", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IMEditBar* bar = makeBar(300);
        bar->setText(c.initial);
        press(c.keys);
        EXPECT_EQ(bar->getText(), c.text);
        EXPECT_EQ(bar->textEdit()->caretPos(), c.caret);
        // The caret stands after the glyph before it.
        const RECT caret = bar->textEdit()->caretPicture()->getRect();
        const RECT te = bar->textEdit()->getRect();
        const int expectedX = c.caret == 0 ? te.left : te.left + bar->textEdit()->glyphRectAt(c.caret - 1).right;
        EXPECT_EQ(caret.left, expectedX);
        EXPECT_EQ(caret.right - caret.left, 1);
        bar->close();
        update();
    }
}

TEST_F(EditBarTest, CaretHeightRules) {
    IMEditBar* bar = makeBar();
    // Empty: the height of a space of Arial 16, at the text edit's top-left (3, 2).
    EXPECT_EQ(bar->textEdit()->caretPicture()->getRect(), (RECT{3, 2, 4, 18}));
    EXPECT_EQ(registry().findTexture(L"TempSpaceBar"), registry().invalidHandle())
        << "the measuring glyph is given back at once";

    bar->textEdit()->setFontSize(24);
    bar->setText(L"Щ");
    press({down(VK_LEFT)});
    EXPECT_EQ(bar->textEdit()->caretPos(), 0);
    EXPECT_EQ(bar->textEdit()->caretPicture()->getHeight(), 24) << "height of glyph 0";
    bar->setText(L"");
    EXPECT_EQ(bar->textEdit()->caretPicture()->getHeight(), 24) << "a space in the current style";
}

TEST_F(EditBarTest, FrameBackgroundAndTextEditLayout) {
    IMEditBar* bar = makeBar(100);
    EXPECT_EQ(bar->getRect(), (RECT{50, 50, 150, 72}));
    EXPECT_EQ(bar->textEdit()->getRect(), (RECT{3, 2, 99, 21}));
    EXPECT_EQ(bar->textEdit()->textColorAt(0), 0u) << "empty: the glyph count";
    bar->setText(L"x");
    EXPECT_EQ(bar->textEdit()->textColorAt(0), 0xFF000000u);
    // The content extent is the text extent with a margin.
    const RECT extent = bar->textEdit()->getContentRect();
    EXPECT_EQ(bar->getContentRect(), (RECT{0, 0, extent.right + 6, extent.bottom + 2}));
}

TEST_F(EditBarTest, TypingPastTheRightEdgeScrollsAndLeftScrollsBack) {
    IMEditBar* bar = makeBar(100);
    IMTextEdit* edit = bar->textEdit();
    press(typed(L"Съешь же ещё этих мягких французских булок"));
    const RECT caret = edit->caretPicture()->getRect();
    EXPECT_EQ(caret.right, 97) << "the caret's right edge stays at the bar's width minus 3";
    EXPECT_LT(edit->getRect().left, 3);
    // The text edit still covers every glyph up to the caret.
    EXPECT_GE(edit->getRect().right, caret.right);

    for (int i = 0; i < 40; ++i) press({down(VK_LEFT)});
    EXPECT_EQ(edit->caretPicture()->getRect().left, 2);
    EXPECT_EQ(edit->caretPos(), edit->glyphCount() - 40);
    const RECT te = edit->getRect();
    EXPECT_EQ(te.left + edit->glyphRectAt(edit->caretPos() - 1).right, 2);
}

TEST_F(EditBarTest, ClickFocusesAndTheCaretBlinksUntilFocusMoves) {
    auto* bar = new IMEditBar(dialog);
    bar->setRect(RECT{10, 10, 110, 32});
    auto* other = new IMEditBar(dialog);
    other->setRect(RECT{10, 100, 110, 122});
    update();
    auto* caret = bar->textEdit()->caretPicture();
    EXPECT_TRUE(caret->isHidden());

    auto click = [&](int x, int y) {
        window->onMouseMove(IMMouseEvent(window, WM_MOUSEMOVE, 0, x, y));
        window->onMouseButton(IMMouseEvent(window, WM_LBUTTONDOWN, MK_LBUTTON, x, y));
        window->onMouseButton(IMMouseEvent(window, WM_LBUTTONUP, 0, x, y));
    };
    click(20, 20);
    EXPECT_TRUE(bar->textEdit()->hasFocus());
    EXPECT_FALSE(caret->isHidden());
    advance(500);
    EXPECT_TRUE(caret->isHidden());
    advance(500);
    EXPECT_FALSE(caret->isHidden());
    // Keys go to the focused field only.
    window->onKey(IMKeyboardEvent(window, WM_CHAR, L'я', 0));
    EXPECT_EQ(bar->getText(), L"я");
    EXPECT_EQ(other->getText(), L"");

    click(20, 110);
    EXPECT_TRUE(caret->isHidden());
    EXPECT_FALSE(bar->textEdit()->hasFocus());
    EXPECT_TRUE(other->textEdit()->hasFocus());
    advance(1000);
    EXPECT_TRUE(caret->isHidden()) << "no blinking without focus";
    window->onKey(IMKeyboardEvent(window, WM_CHAR, L'ю', 0));
    EXPECT_EQ(other->getText(), L"ю");
}

TEST_F(EditBarTest, ClosingTheBarTakesTheCaretAndBlinkTimerAlong) {
    IMEditBar* bar = makeBar();
    const int timer = bar->textEdit()->blinkTimer();
    ASSERT_TRUE(window->hasTimer(timer));
    bar->close();
    update();
    update();
    EXPECT_FALSE(window->hasTimer(timer));
    advance(1000); // nothing left to fire at
}

} // namespace
