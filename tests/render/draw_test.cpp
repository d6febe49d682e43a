// Pixels read back from the renderer for quads drawn through drawTexture.

#include "render/RenderFixture.h"

#include <cmath>
#include <numbers>

namespace {

constexpr std::uint32_t black = 0xFF000000;
constexpr std::uint32_t red = 0xFFFF0000;
constexpr std::uint32_t blue = 0xFF0000FF;
constexpr std::uint32_t white = 0xFFFFFFFF;

std::uint32_t gradient(int x, int y) {
    return 0xFF000000u | static_cast<std::uint32_t>(x * 12) << 16 |
           static_cast<std::uint32_t>(y * 12) << 8 | 0x40u;
}

std::vector<std::uint32_t> gradientPicture(int size) {
    std::vector<std::uint32_t> p;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            p.push_back(gradient(x, y));
    return p;
}

std::vector<std::uint32_t> uniform(int w, int h, std::uint32_t argb) {
    return std::vector<std::uint32_t>(static_cast<std::size_t>(w * h), argb);
}

// Left half red, right half blue.
std::vector<std::uint32_t> halves(int w, int h) {
    std::vector<std::uint32_t> p;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p.push_back(x < w / 2 ? red : blue);
    return p;
}

using DrawTest = RenderFixture;

TEST_F(DrawTest, ImageCoversExactlyItsDestinationPixels) {
    const TextureHandle h = pictureFromPixels(L"grad", 21, 21, gradientPicture(21));
    EXPECT_EQ(manager->entry(h).textureWidth, 21);
    EXPECT_EQ(manager->entry(h).textureHeight, 21);
    const auto px = render({0, 0, 40, 40}, [&] {
        manager->drawTexture(h, {10, 10, 31, 31}, nullptr, white, 0.0f);
    });
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            const bool inside = x >= 10 && x < 31 && y >= 10 && y < 31;
            ASSERT_EQ(pixelAt(px, 40, x, y), inside ? gradient(x - 10, y - 10) : black)
                << "at " << x << "," << y;
        }
}

TEST_F(DrawTest, OriginMovesEveryQuad) {
    const TextureHandle h = pictureFromPixels(L"grad", 21, 21, gradientPicture(21));
    manager->originX = 100;
    manager->originY = 50;
    const auto px = render({0, 0, 140, 90}, [&] {
        manager->drawTexture(h, {10, 10, 31, 31}, nullptr, white, 0.0f);
    });
    EXPECT_EQ(pixelAt(px, 140, 10, 10), black);
    EXPECT_EQ(pixelAt(px, 140, 110, 60), gradient(0, 0));
    EXPECT_EQ(pixelAt(px, 140, 130, 80), gradient(20, 20));
    EXPECT_EQ(pixelAt(px, 140, 131, 81), black);
}

struct Modulation {
    std::uint32_t texel;
    std::uint32_t colour;
    std::uint32_t expected; // over opaque black
};

TEST_F(DrawTest, TexelsAreModulatedByTheColourAndBlendedBySourceAlpha) {
    const Modulation cases[] = {
        {white, 0xFF00FF00, 0xFF00FF00},      // tint
        {white, 0x80FFFFFF, 0xFF808080},      // colour alpha fades
        {0x80FF0000, white, 0xFF800000},      // texel alpha blends
        {0x00FFFFFF, white, black},           // transparent texel leaves the ground
        {0xFFFF8040, 0xFF808080, 0xFF804020}, // channel by channel
        {0x80FFFFFF, 0x80FFFFFF, 0xFF404040}, // alphas multiply
    };
    int index = 0;
    for (const Modulation& c : cases) {
        const TextureHandle h =
            pictureFromPixels(L"m" + std::to_wstring(index++), 8, 8, uniform(8, 8, c.texel));
        const auto px = render({0, 0, 8, 8}, [&] {
            manager->drawTexture(h, {0, 0, 8, 8}, nullptr, c.colour, 0);
        });
        EXPECT_TRUE(closeColour(pixelAt(px, 8, 4, 4), c.expected, 2))
            << std::hex << c.texel << " x " << c.colour << " gave " << pixelAt(px, 8, 4, 4);
    }
}

TEST_F(DrawTest, EmptyDestinationDrawsNothing) {
    const TextureHandle h = pictureFromPixels(L"w", 8, 8, uniform(8, 8, white));
    const auto px = render({0, 0, 40, 40}, [&] {
        manager->drawTexture(h, {5, 5, 5, 30}, nullptr, white, 0.0f);
        manager->drawTexture(h, {5, 30, 30, 5}, nullptr, white, 0.0f);
        manager->drawTexture(h, {5, 5, 30, 30}, nullptr, white, 0.0f);
    });
    EXPECT_EQ(pixelAt(px, 40, 10, 10), white); // the third, non-empty quad
    const auto none = render({0, 0, 40, 40}, [&] {
        manager->drawTexture(h, {5, 5, 5, 30}, nullptr, white, 0.0f);
        manager->drawTexture(h, {5, 30, 30, 5}, nullptr, white, 1.0f);
    });
    for (std::uint32_t p : none)
        ASSERT_EQ(p, black);
}

TEST_F(DrawTest, ViewportClipsEveryDraw) {
    const TextureHandle h = pictureFromPixels(L"w", 64, 64, uniform(64, 64, white));
    manager->setViewport({20, 20, 10, 10, 0.0f, 1.0f});
    EXPECT_EQ(manager->getViewport(), (Viewport{20, 20, 10, 10, 0.0f, 1.0f}));
    const auto px = render({0, 0, 64, 64}, [&] {
        manager->drawTexture(h, {0, 0, 64, 64}, nullptr, white, 0.0f);
    });
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const bool inside = x >= 20 && x < 30 && y >= 20 && y < 30;
            ASSERT_EQ(pixelAt(px, 64, x, y), inside ? white : black) << x << "," << y;
        }

    manager->setViewport({20, 20, 0, 10, 0.0f, 1.0f});
    const auto none = render({0, 0, 64, 64}, [&] {
        manager->drawTexture(h, {0, 0, 64, 64}, nullptr, white, 0.0f);
    });
    for (std::uint32_t p : none)
        ASSERT_EQ(p, black);

    manager->setViewport({0, 0, 800, 600, 0.0f, 1.0f});
    const auto all = render({0, 0, 64, 64}, [&] {
        manager->drawTexture(h, {0, 0, 64, 64}, nullptr, white, 0.0f);
    });
    for (std::uint32_t p : all)
        ASSERT_EQ(p, white);
}

TEST_F(DrawTest, SourceRectangleSelectsPartOfTheImage) {
    const TextureHandle h = pictureFromPixels(L"halves", 16, 8, halves(16, 8));
    const RECT rightHalf{8, 0, 16, 8};
    const auto px = render({0, 0, 8, 8}, [&] {
        manager->drawTexture(h, {0, 0, 8, 8}, &rightHalf, white, 0.0f);
    });
    for (std::uint32_t p : px)
        ASSERT_EQ(p, blue);
}

TEST_F(DrawTest, EnlargedPicturesKeepCrispTexels) {
    const TextureHandle h = pictureFromPixels(L"two", 2, 1, {red, blue});
    const auto px = render({0, 0, 4, 2}, [&] {
        manager->drawTexture(h, {0, 0, 4, 2}, nullptr, white, 0.0f);
    });
    EXPECT_EQ(px, (std::vector<std::uint32_t>{red, red, blue, blue, red, red, blue, blue}));
}

// Top quarter red, the rest blue: where the red band ends up shows the turn.
std::vector<std::uint32_t> redTop() {
    std::vector<std::uint32_t> p;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            p.push_back(y < 4 ? red : blue);
    return p;
}

struct Turn {
    float angle;
    RECT redBand; // where the top band lands, inside dest {100, 100, 116, 116}
};

TEST_F(DrawTest, PositiveAnglesTurnClockwiseAboutTheCentre) {
    const TextureHandle h = pictureFromPixels(L"arrow", 16, 16, redTop());
    const float quarter = std::numbers::pi_v<float> / 2;
    const Turn turns[] = {
        {quarter, {112, 100, 116, 116}},     // top edge goes to the right
        {-quarter, {100, 100, 104, 116}},    // and to the left the other way
        {2 * quarter, {100, 112, 116, 116}}, // half a turn: to the bottom
    };
    for (const Turn& t : turns) {
        const auto px = render({96, 96, 120, 120}, [&] {
            manager->drawTexture(h, {100, 100, 116, 116}, nullptr, white, t.angle);
        });
        // Pixels on the quad's edges depend on the rasteriser's rounding; the interior may not.
        for (int y = 101; y < 115; ++y)
            for (int x = 101; x < 115; ++x) {
                const bool inBand = ptInRect(t.redBand, x, y);
                const bool onBandEdge = ptInRect(t.redBand, x - 1, y) != inBand ||
                                        ptInRect(t.redBand, x + 1, y) != inBand ||
                                        ptInRect(t.redBand, x, y - 1) != inBand ||
                                        ptInRect(t.redBand, x, y + 1) != inBand;
                if (onBandEdge)
                    continue;
                ASSERT_EQ(pixelAt(px, 24, x - 96, y - 96), inBand ? red : blue)
                    << "angle " << t.angle << " at " << x << "," << y;
            }
        EXPECT_EQ(pixelAt(px, 24, 2, 2), black); // outside dest
    }
}

TEST_F(DrawTest, TurnedQuadShowsTheImageFromItsTopLeftCorner) {
    // A full turn leaves the quad in place, but a turned quad takes the size of src from the
    // image's top-left corner rather than src itself.
    const TextureHandle h = pictureFromPixels(L"halves", 16, 8, halves(16, 8));
    const RECT rightHalf{8, 0, 16, 8};
    const auto px = render({0, 0, 8, 8}, [&] {
        manager->drawTexture(h, {0, 0, 8, 8}, &rightHalf, white, 2 * std::numbers::pi_v<float>);
    });
    EXPECT_EQ(pixelAt(px, 8, 4, 4), red);
}

TEST_F(DrawTest, FreedOrInvalidHandlesDrawNothing) {
    const TextureHandle h = pictureFromPixels(L"w", 8, 8, uniform(8, 8, white));
    manager->release(h);
    const auto px = render({0, 0, 8, 8}, [&] {
        manager->drawTexture(h, {0, 0, 8, 8}, nullptr, white, 0.0f);
        manager->drawTexture(manager->invalidHandle(), {0, 0, 8, 8}, nullptr, white, 0.0f);
        manager->drawTexture(12345, {0, 0, 8, 8}, nullptr, white, 0.0f);
    });
    for (std::uint32_t p : px)
        ASSERT_EQ(p, black);
}

} // namespace
