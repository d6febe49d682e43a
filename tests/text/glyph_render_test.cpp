// Fonts found by name, their metrics, and glyph textures rendered from real outlines.

#include <algorithm>

#include "TextTestSupport.h"
#include "gui/FontCache.h"
#include "gui/GlyphRenderer.h"

namespace {

const std::wstring kWord = L"Привет";

TEST(FontLookup, ArialResolvesToLiberationSansInEveryStyle) {
    for (bool bold : {false, true})
        for (bool italic : {false, true}) {
            auto face = platform::fonts::FontFace::open({L"Arial", 16, bold, italic});
            ASSERT_NE(face, nullptr);
            EXPECT_EQ(face->familyName(), "Liberation Sans");
            EXPECT_EQ(face->isBoldFace(), bold) << face->filePath();
            EXPECT_EQ(face->isItalicFace(), italic) << face->filePath();
        }
}

TEST(FontLookup, UnknownFaceFallsBackToASansFaceWithCyrillic) {
    auto face = platform::fonts::FontFace::open({L"Нет такого шрифта 123", 16, false, false});
    ASSERT_NE(face, nullptr);
    EXPECT_FALSE(face->familyName().empty());
    // Falling back still draws Russian: the letter has an outline with contours.
    auto outline = face->outline(U'Ж');
    ASSERT_TRUE(outline.has_value());
    EXPECT_FALSE(outline->contours.empty());
}

TEST(FontMetrics, CellHeightIsTheRequestedHeightAndDescentIsScaledWinDescent) {
    // Liberation Sans: win ascent 1854, win descent 434 font units.
    struct Case {
        int height;
        int descent;
    };
    for (const Case& c : {Case{16, 3}, Case{18, 3}, Case{24, 5}, Case{40, 8}}) {
        auto face = platform::fonts::FontFace::open({L"Arial", c.height, false, false});
        ASSERT_NE(face, nullptr);
        EXPECT_EQ(face->metrics().height, c.height);
        EXPECT_EQ(face->metrics().descent, c.descent) << c.height;
        EXPECT_EQ(face->metrics().ascent, c.height - c.descent);
    }
}

TEST(FontMetrics, AdvanceFollowsTheFaceAndSpaceHasNoContours) {
    auto regular = platform::fonts::FontFace::open({L"Arial", 16, false, false});
    auto bold = platform::fonts::FontFace::open({L"Arial", 16, true, false});
    ASSERT_TRUE(regular && bold);
    // 'W' is 1933 units wide in the regular face: 16 * 1933 / 2288 = 13.5 -> 14.
    EXPECT_EQ(regular->advance(U'W'), 14);
    EXPECT_GT(bold->advance(U'Ж'), regular->advance(U'Ж') - 1);
    auto space = regular->outline(U' ');
    ASSERT_TRUE(space.has_value());
    EXPECT_TRUE(space->contours.empty());
    // A lone surrogate or an unassigned code still gives a (missing-glyph) shape, never a crash.
    EXPECT_TRUE(regular->outline(0xD83D).has_value());
    EXPECT_GE(regular->advance(0xD83D), 0);
}

TEST(FontMetrics, OutlineSplinesEndOnTheCurve) {
    auto face = platform::fonts::FontFace::open({L"Arial", 24, false, false});
    ASSERT_NE(face, nullptr);
    auto o = face->outline(U'О');
    ASSERT_TRUE(o.has_value());
    int splines = 0;
    for (const auto& contour : o->contours)
        for (const auto& curve : contour.curves) {
            EXPECT_FALSE(curve.points.empty());
            if (curve.kind == platform::fonts::CurveKind::QSpline) {
                ++splines;
                EXPECT_GE(curve.points.size(), 2u);
            }
        }
    EXPECT_GT(splines, 0) << "a round letter is made of quadratic splines";
    // The letter stands on the baseline and reaches the cap height with its overshoot (1433 of 2288 units: 15 px at 24 px).
    std::int32_t top = INT32_MIN;
    for (const auto& contour : o->contours)
        for (const auto& curve : contour.curves)
            for (const auto& p : curve.points) top = std::max(top, p.y);
    EXPECT_NEAR(top / 65536.0, 15.0, 0.6);
}

TEST(FontCacheTest, FontsAreMadeOnceAndCharactersFetchedOnce) {
    FontCache cache;
    FontRecord& a = cache.font(FontKey{L"Arial", 16, false, false, false});
    FontRecord& b = cache.font(FontKey{L"Arial", 16, false, false, false});
    EXPECT_EQ(&a, &b);
    EXPECT_EQ(cache.fontCount(), 1u);
    cache.font(FontKey{L"Arial", 16, false, false, true}); // underline is part of the key
    EXPECT_EQ(cache.fontCount(), 2u);
    for (int i = 0; i < 3; ++i) {
        a.advance(U'Ы');
        a.outline(U'Ы');
    }
    EXPECT_EQ(a.advanceLookups(), 1u);
    EXPECT_EQ(a.outlineLookups(), 1u);
}

TEST(GlyphKeyTest, FormatsFaceCharacterAndStyleAsSignedDecimals) {
    TextStyle style; // white on 0x00AFAFAF, Arial 16
    EXPECT_EQ(glyphKey(L'Я', style, false), L"ArialЯ16-100011513775" L"0");
    style.bold = true;
    style.underline = true;
    style.textColor = 0xFF000000;
    style.background = 0;
    EXPECT_EQ(glyphKey(L' ', style, true), L"Arial 16-16777216110" L"01");
    style.fontFace = std::wstring(400, L'x');
    EXPECT_EQ(glyphKey(L'a', style, false).size(), 255u);
}

class GlyphRenderTest : public TextFixture {
protected:
    // Whether a glyph's image is a whole cell of the given height with its alpha at hand, so that
    // its rows may be indexed (a face that matched no font gives other sizes).
    bool isFullCell(const Glyph& glyph, int height) {
        const RECT image = IMTextView::imageRect(glyph);
        return image.right > 0 && image.bottom == height &&
               imageAlpha(glyph.texture).size() ==
                   static_cast<std::size_t>(image.right) * static_cast<std::size_t>(height);
    }
};

TEST_F(GlyphRenderTest, RussianWordCellsHaveTheMetricSizesAndAntiAliasedCoverage) {
    for (int size : {16, 24})
        for (bool bold : {false, true}) {
            SCOPED_TRACE(testing::Message() << size << (bold ? " bold" : " regular"));
            auto* label = new Label(dialog, 0);
            label->setFontSize(size);
            label->setBold(bold);
            label->setText(kWord);
            FontRecord& font = fontCache().font(FontKey{L"Arial", size, bold, false, false});
            int x = 0;
            for (int i = 0; i < label->glyphCount(); ++i) {
                const Glyph* g = label->glyphAt(i);
                const RECT image = IMTextView::imageRect(*g);
                EXPECT_EQ(image.right, font.advance(static_cast<char32_t>(kWord[i])));
                EXPECT_EQ(image.bottom, size);
                EXPECT_EQ(g->glyphRect, (RECT{x, 0, x + image.right, size}));
                x += image.right;
                const auto alpha = imageAlpha(g->texture);
                const auto partial = std::count_if(alpha.begin(), alpha.end(),
                                                   [](std::uint8_t a) { return a > 0 && a < 255; });
                const auto solid = std::count(alpha.begin(), alpha.end(), std::uint8_t{255});
                EXPECT_GT(partial, 0) << "anti-aliased edges";
                EXPECT_GT(solid + partial, static_cast<long>(alpha.size() / 10));
            }
            EXPECT_EQ(label->getContentRect(), (RECT{0, 0, x, size}));
            label->close();
        }
}

TEST_F(GlyphRenderTest, BaselineSitsDescentAboveTheCellBottom) {
    auto* label = makeLabel(L"Нр"); // 'р' descends below the baseline, 'Н' does not
    const int descent = fontCache().font(FontKey{L"Arial", 16, false, false, false}).metrics().descent;
    ASSERT_EQ(label->glyphCount(), 2);
    for (int glyph : {0, 1}) ASSERT_TRUE(isFullCell(*label->glyphAt(glyph), 16)) << glyph;
    auto rowCovered = [&](int glyph, int row) {
        const auto alpha = imageAlpha(label->glyphAt(glyph)->texture);
        const int w = IMTextView::imageRect(*label->glyphAt(glyph)).right;
        for (int x = 0; x < w; ++x)
            if (alpha[static_cast<std::size_t>(row * w + x)] > 64) return true;
        return false;
    };
    const int lastAboveBaseline = 16 - descent - 1;
    EXPECT_TRUE(rowCovered(0, lastAboveBaseline));
    for (int row = 16 - descent; row < 16; ++row) EXPECT_FALSE(rowCovered(0, row)) << row;
    EXPECT_TRUE(rowCovered(1, 16 - descent + 1));
}

TEST_F(GlyphRenderTest, UnderlineBarLiesInTheDescentOfEveryCellSpacesIncluded) {
    auto* label = new Label(dialog, 0);
    bool on = true;
    int size = 24;
    label->setStyle(nullptr, &on, nullptr, nullptr, &size, nullptr, nullptr);
    label->setText(L"а б");
    const int descent = fontCache().font(FontKey{L"Arial", 24, false, false, true}).metrics().descent;
    ASSERT_EQ(descent, 5);
    ASSERT_EQ(label->glyphCount(), 3);
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(isFullCell(*label->glyphAt(i), size)) << i;
    for (int i = 0; i < 3; ++i) {
        const auto alpha = imageAlpha(label->glyphAt(i)->texture);
        const int w = IMTextView::imageRect(*label->glyphAt(i)).right;
        // The bar spans from descent / 15 = 0 to descent / 2 = 2 pixels above the bottom edge:
        // the two bottom rows, across the whole cell.
        for (int x = 0; x < w; ++x) {
            EXPECT_EQ(alpha[static_cast<std::size_t>((size - 1) * w + x)], 255) << i << "," << x;
            EXPECT_EQ(alpha[static_cast<std::size_t>((size - 2) * w + x)], 255) << i << "," << x;
        }
    }
    const auto spaceAlpha = imageAlpha(label->glyphAt(1)->texture);
    const int spaceWidth = IMTextView::imageRect(*label->glyphAt(1)).right;
    for (int row = 0; row < size - 2; ++row)
        for (int x = 0; x < spaceWidth; ++x)
            EXPECT_EQ(spaceAlpha[static_cast<std::size_t>(row * spaceWidth + x)], 0);
}

TEST_F(GlyphRenderTest, EqualStylesShareTexturesAndAnotherColourDoesNot) {
    auto* first = makeLabel(L"Дом");
    auto* second = makeLabel(L"Дом");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(first->glyphAt(i)->texture, second->glyphAt(i)->texture);
    const TextureHandle shared = first->glyphAt(0)->texture;
    EXPECT_EQ(registry().entry(shared).refCount, 2);

    second->setTextColor(0xFFFF0000);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NE(first->glyphAt(i)->texture, second->glyphAt(i)->texture);
        EXPECT_EQ(second->textColorAt(i), 0xFFFF0000u);
    }
    EXPECT_EQ(registry().entry(shared).refCount, 1);
    EXPECT_EQ(first->textColorAt(0), 0xFFFFFFFFu);
    // The red glyph really is red.
    const TextureEntry& red = registry().entry(second->glyphAt(0)->texture);
    bool sawRed = false;
    for (std::size_t t = 0; t + 3 < red.texelCopy.size(); t += 4)
        if (red.texelCopy[t + 3] == 255) {
            EXPECT_EQ(red.texelCopy[t + 2], 255);
            EXPECT_EQ(red.texelCopy[t + 1], 0);
            sawRed = true;
        }
    EXPECT_TRUE(sawRed);

    // Erasing gives the references back; the last one frees the texture's name.
    const std::wstring key = first->glyphAt(0)->key;
    first->eraseText(0, 3);
    EXPECT_EQ(registry().findTexture(key), registry().invalidHandle());
}

TEST_F(GlyphRenderTest, DrawnTextAppearsOnScreenClippedToTheLabel) {
    auto* label = new Label(dialog, 0);
    label->setBackground(0xFF000000);
    label->setText(L"ШШШШ");
    const RECT extent = label->getContentRect();
    label->setRect(RECT{100, 100, 100 + extent.right / 2, 100 + extent.bottom});
    update();
    window->setChanged(true);
    registry().clear(0xFF202020);
    registry().beginScene();
    window->onPaint(IMEvent(window, IM_MSG_PAINT));
    registry().endScene();
    std::vector<std::uint32_t> pixels;
    const RECT area{100, 100, 100 + extent.right, 100 + extent.bottom};
    ASSERT_TRUE(registry().readPixels(area, pixels));
    const int w = area.right - area.left;
    int whiteInside = 0;
    for (int y = 0; y < extent.bottom; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint32_t p = pixels[static_cast<std::size_t>(y * w + x)];
            if (x < extent.right / 2) {
                if ((p & 0xFF) > 0xC0) ++whiteInside;
            } else {
                EXPECT_EQ(p & 0xFFFFFF, 0x202020u) << x << "," << y << " lies outside the label";
            }
        }
    EXPECT_GT(whiteInside, 20);
}

} // namespace
