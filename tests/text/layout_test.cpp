// Laying glyphs out on one line and wrapped at spaces, with the text operations around it.

#include <numeric>

#include "TextTestSupport.h"

namespace {

class LayoutTest : public TextFixture {
protected:
    // Widths of the glyph images of text in the default style (tabs and spaces as a space).
    std::vector<int> widths(Label* label) {
        std::vector<int> w;
        for (int i = 0; i < label->glyphCount(); ++i)
            w.push_back(IMTextView::imageRect(*label->glyphAt(i)).right);
        return w;
    }
};

TEST_F(LayoutTest, EmptyTextLeavesNoGlyphsOneLineAndNoExtent) {
    for (bool wrap : {false, true}) {
        auto* label = makeLabel(L"старый текст", 200, wrap);
        label->setText(L"");
        EXPECT_EQ(label->glyphCount(), 0);
        EXPECT_EQ(label->lineStarts(), std::vector<int>{0});
        EXPECT_EQ(label->getContentRect(), RECT{});
        EXPECT_EQ(label->getText(), L"");
    }
}

TEST_F(LayoutTest, LineFeedWithoutWrappingIsAOnePixelGlyphOnTheOneLine) {
    auto* label = makeLabel(L"a\nb");
    const auto w = widths(label);
    EXPECT_EQ(w[1], 1);
    EXPECT_EQ(label->glyphRectAt(0), (RECT{0, 0, w[0], 16}));
    EXPECT_EQ(label->glyphRectAt(1), (RECT{w[0], 0, w[0] + 1, 1})) << "its own 1 x 1 image";
    EXPECT_EQ(label->glyphRectAt(2), (RECT{w[0] + 1, 0, w[0] + 1 + w[2], 16}));
    EXPECT_EQ(label->lineStarts(), std::vector<int>{0});
    EXPECT_EQ(label->getContentRect(), (RECT{0, 0, w[0] + 1 + w[2], 16}));
    // The line feed's image is fully transparent.
    const auto alpha = imageAlpha(label->glyphAt(1)->texture);
    ASSERT_EQ(alpha.size(), 1u);
    EXPECT_EQ(alpha[0], 0);
}

TEST_F(LayoutTest, WrappingTable) {
    struct Case {
        const wchar_t* text;
        int width;
        std::vector<int> lineStarts;
    };
    // Arial 16: "мама " is 41 px wide with its space, "мыла" 34, "раму" 35, a space 4.
    const std::vector<Case> cases = {
        {L"мама мыла раму", 400, {0}},
        {L"мама мыла раму", 100, {0, 10}},
        {L"мама мыла раму", 60, {0, 5, 10}},
        {L"мама\nмыла", 400, {0, 5}},
        {L"мама\n", 400, {0, 5}},
        // A word wider than the view breaks at the glyph that does not fit.
        {L"длинноесловоздесь", 50, {0, 6, 12}},
        {L"ок длинноесловоздесь", 50, {0, 3, 9, 15}},
    };
    for (std::size_t n = 0; n < cases.size(); ++n) {
        const Case& c = cases[n];
        SCOPED_TRACE(testing::Message() << "case " << n << ", width " << c.width);
        auto* label = makeLabel(c.text, c.width, true);
        const auto& starts = label->lineStarts();
        EXPECT_EQ(starts, c.lineStarts);
        const auto w = widths(label);
        // Every line starts at x = 0, lines are 16 px apart, glyphs follow each other, and no
        // line passes the view's width unless it holds a single glyph.
        for (std::size_t line = 0; line < starts.size(); ++line) {
            const int begin = starts[line];
            const int end = line + 1 < starts.size() ? starts[line + 1] : label->glyphCount();
            int x = 0;
            for (int i = begin; i < end; ++i) {
                const RECT r = label->glyphRectAt(i);
                EXPECT_EQ(r.left, x) << i;
                EXPECT_EQ(r.top, static_cast<int>(line) * 16) << i;
                x = r.right;
                if (label->charAt(i) == L'\n') x = 0;
            }
            const bool trailingSpace = end > begin && label->charAt(end - 1) == L' ';
            if (end - begin > 1 && !trailingSpace) {
                EXPECT_LE(x, c.width) << "line " << line;
            }
        }
        // A trailing line feed opens an empty last line, which counts in the height too.
        EXPECT_EQ(label->getContentRect().bottom, static_cast<int>(starts.size()) * 16);
    }
}

TEST_F(LayoutTest, MovedWordLeavesItsSpaceOnTheLineAbove) {
    auto* label = makeLabel(L"мама мыла", 60, true);
    ASSERT_EQ(label->lineStarts(), (std::vector<int>{0, 5}));
    const RECT space = label->glyphRectAt(4);
    EXPECT_EQ(space.top, 0);
    EXPECT_EQ(label->glyphRectAt(5).left, 0);
    EXPECT_EQ(label->glyphRectAt(5).top, 16);
    // The extent reaches at least one glyph width beyond the widest line's right edge (glyphs
    // placed before their word moved count too).
    const auto w = widths(label);
    const int firstLine = std::accumulate(w.begin(), w.begin() + 5, 0);
    const int secondLine = std::accumulate(w.begin() + 5, w.end(), 0);
    const RECT extent = label->getContentRect();
    EXPECT_GE(extent.right, std::max(firstLine + w[4], secondLine + w.back()));
    EXPECT_EQ(extent.bottom, 32);

    // On a single wrapped line it is exactly the line plus its last glyph's width.
    auto* single = makeLabel(L"мама", 400, true);
    const auto sw = widths(single);
    EXPECT_EQ(single->getContentRect(),
              (RECT{0, 0, std::accumulate(sw.begin(), sw.end(), 0) + sw.back(), 16}));
}

TEST_F(LayoutTest, TabsWithMarksAreTenPixelMarksAndWithoutMarksLookLikeASpace) {
    auto* plain = makeLabel(L"a\tb");
    auto* space = makeLabel(L" ");
    EXPECT_EQ(IMTextView::imageRect(*plain->glyphAt(1)), IMTextView::imageRect(*space->glyphAt(0)));

    auto* marked = new Label(dialog, 0);
    marked->showWhitespace = true;
    marked->setText(L"a\tb c\n");
    EXPECT_TRUE(marked->glyphAt(1)->whitespaceMark);
    EXPECT_EQ(IMTextView::imageRect(*marked->glyphAt(1)), (RECT{0, 0, 10, 5}));
    EXPECT_EQ(IMTextView::imageRect(*marked->glyphAt(3)), (RECT{0, 0, 3, 3}));
    EXPECT_EQ(IMTextView::imageRect(*marked->glyphAt(5)), (RECT{0, 0, 11, 21}));
    const int a = marked->glyphRectAt(0).right;
    EXPECT_EQ(marked->glyphRectAt(1), (RECT{a, 0, a + 10, 5}));
    EXPECT_EQ(marked->glyphRectAt(2).left, a + 10);
    // The marks are visible; the tab mark's key says so.
    const auto alpha = imageAlpha(marked->glyphAt(1)->texture);
    EXPECT_GT(std::count(alpha.begin(), alpha.end(), std::uint8_t{255}), 5);
    EXPECT_EQ(marked->glyphAt(1)->key.back(), L'1');
}

TEST_F(LayoutTest, InsertEraseAndSetCharLayOutAgainAndIgnoreBadPositions) {
    auto* label = makeLabel(L"абв");
    const RECT before = label->getContentRect();
    label->insertText(-1, L"x");
    label->insertText(4, L"x");
    label->eraseText(-1, 1);
    label->eraseText(4, 1);
    label->eraseText(0, 0);
    EXPECT_EQ(label->getText(), L"абв");
    EXPECT_EQ(label->getContentRect(), before);

    label->insertText(1, L"ЖЖ");
    EXPECT_EQ(label->getText(), L"аЖЖбв");
    int x = 0;
    for (int i = 0; i < label->glyphCount(); ++i) {
        EXPECT_EQ(label->glyphRectAt(i).left, x);
        x = label->glyphRectAt(i).right;
    }
    EXPECT_EQ(label->getContentRect().right, x);

    label->eraseText(1, 10); // cut at the end of the text
    EXPECT_EQ(label->getText(), L"а");

    label->setCharAt(0, L'Ш');
    EXPECT_EQ(label->charAt(0), L'Ш');
    EXPECT_EQ(label->getContentRect().right, label->glyphRectAt(0).right);
    EXPECT_EQ(label->charAt(5), 1);
    EXPECT_EQ(label->textColorAt(5), 1u);
    EXPECT_EQ(label->fontFaceAt(5), L"");
    EXPECT_EQ(label->glyphRectAt(5), RECT{});
    EXPECT_EQ(label->fontFaceAt(0), L"Arial");
}

TEST_F(LayoutTest, CreateLabelSizesTheLabelToItsText) {
    Label* label = dialog->createLabel(30, 40, L"Привет", 0);
    const RECT extent = label->getContentRect();
    EXPECT_GT(extent.right, 30);
    EXPECT_EQ(label->getRect(), (RECT{30, 40, 30 + extent.right, 40 + 16}));
    Label* empty = dialog->createLabel(5, 5, L"", 0);
    EXPECT_TRUE(isRectEmpty(empty->getRect()));
    EXPECT_FALSE(empty->hitTest(5, 5));
}

TEST_F(LayoutTest, OnlyVisibleLinesAreDrawnAndTheyAreClipped) {
    // Forty wrapped lines in a view showing a few of them: drawing touches only those.
    std::wstring text;
    for (int i = 0; i < 40; ++i) text += L"строка ";
    auto* label = makeLabel(text, 60, true);
    ASSERT_EQ(label->lineStarts().size(), 40u);
    label->setRect(RECT{0, 0, 60, 48});
    label->moveTo(10, 10);
    update();
    registry().clear(0xFF000000);
    registry().beginScene();
    window->onPaint(IMEvent(window, IM_MSG_PAINT));
    registry().endScene();
    std::vector<std::uint32_t> px;
    ASSERT_TRUE(registry().readPixels(RECT{0, 0, 80, 100}, px));
    int litInside = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 80; ++x) {
            const bool lit = (px[static_cast<std::size_t>(y * 80 + x)] & 0xFF) > 0x40;
            const bool inside = x >= 10 && x < 70 && y >= 10 && y < 58;
            if (inside && lit) ++litInside;
            if (!inside) {
                EXPECT_FALSE(lit) << x << "," << y;
            }
        }
    EXPECT_GT(litInside, 50);
}

} // namespace
