// The BT.601 conversion of decoded planes into XRGB texels: fixed values, and the fast path
// against the per-pixel formula for every sample combination that matters.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "media/YCbCrToXrgb.h"

namespace {

std::uint32_t formula(int y, int cb, int cr) {
    const int luma = 74 * (y - 16);
    const int b = std::clamp((luma + 129 * (cb - 128)) >> 6, 0, 255);
    const int g = std::clamp((luma - 25 * (cb - 128) - 52 * (cr - 128)) >> 6, 0, 255);
    const int r = std::clamp((luma + 102 * (cr - 128)) >> 6, 0, 255);
    return static_cast<std::uint32_t>(b | (g << 8) | (r << 16));
}

struct Planes {
    int width, height, chromaWidth, chromaHeight;
    std::vector<std::uint8_t> y, cb, cr;
    Planes(int w, int h, int cw, int ch)
        : width(w), height(h), chromaWidth(cw), chromaHeight(ch), y(std::size_t(w) * h),
          cb(std::size_t(cw) * ch), cr(std::size_t(cw) * ch) {}
    media::Plane plane(std::vector<std::uint8_t>& p, int w, int h) { return {p.data(), w, w, h}; }
    std::vector<std::uint32_t> reference() {
        std::vector<std::uint32_t> out(std::size_t(width) * height, 0xDEADBEEF);
        media::convertYCbCrToXrgbReference(plane(y, width, height), plane(cb, chromaWidth, chromaHeight),
                                           plane(cr, chromaWidth, chromaHeight),
                                           reinterpret_cast<std::uint8_t*>(out.data()), width * 4, width, height);
        return out;
    }
    std::vector<std::uint32_t> convert(media::ConversionPath path) {
        std::vector<std::uint32_t> out(std::size_t(width) * height, 0xDEADBEEF);
        media::convertYCbCrToXrgb(plane(y, width, height), plane(cb, chromaWidth, chromaHeight),
                                  plane(cr, chromaWidth, chromaHeight),
                                  reinterpret_cast<std::uint8_t*>(out.data()), width * 4, width, height, path);
        return out;
    }
    // What the program itself uses: the fastest path of this processor.
    std::vector<std::uint32_t> convert() {
        std::vector<std::uint32_t> out(std::size_t(width) * height, 0xDEADBEEF);
        media::convertYCbCrToXrgb(plane(y, width, height), plane(cb, chromaWidth, chromaHeight),
                                  plane(cr, chromaWidth, chromaHeight),
                                  reinterpret_cast<std::uint8_t*>(out.data()), width * 4, width, height);
        return out;
    }
};

} // namespace

TEST(ColourConversion, KnownSamples) {
    EXPECT_EQ(media::ycbcrToXrgb(126, 128, 128), 0x007F7F7Fu); // grey: 74 × 110 / 64 = 127
    EXPECT_EQ(media::ycbcrToXrgb(16, 128, 128), 0x00000000u);
    EXPECT_EQ(media::ycbcrToXrgb(235, 128, 128), 0x00FDFDFDu); // studio white: 16206 >> 6 = 253
    EXPECT_EQ(media::ycbcrToXrgb(255, 255, 255), 0x00FF7BFFu); // blue and red clamp, green 123
    EXPECT_EQ(media::ycbcrToXrgb(0, 0, 0), formula(0, 0, 0));
    EXPECT_EQ(media::ycbcrToXrgb(81, 90, 240), formula(81, 90, 240));
}

TEST(ColourConversion, GreyPlanesGiveGreyTexelsWithAZeroFourthByte) {
    Planes p(32, 4, 16, 2);
    std::fill(p.y.begin(), p.y.end(), 126);
    std::fill(p.cb.begin(), p.cb.end(), 128);
    std::fill(p.cr.begin(), p.cr.end(), 128);
    for (std::uint32_t texel : p.convert()) {
        std::uint8_t bytes[4];
        std::memcpy(bytes, &texel, 4);
        EXPECT_EQ(bytes[0], 127); // B
        EXPECT_EQ(bytes[1], 127); // G
        EXPECT_EQ(bytes[2], 127); // R
        EXPECT_EQ(bytes[3], 0);
    }
}

TEST(ColourConversion, FastPathMatchesTheFormulaForAllLumaAndChroma) {
    // 256 luma values across, every Cb per row pair, Cr stepping through its range.
    for (int cr = 0; cr < 256; cr += 5) {
        Planes p(512, 512, 256, 256);
        for (int r = 0; r < 512; ++r)
            for (int x = 0; x < 512; ++x) p.y[std::size_t(r) * 512 + x] = static_cast<std::uint8_t>((x + r) & 255);
        for (int r = 0; r < 256; ++r)
            for (int x = 0; x < 256; ++x) {
                p.cb[std::size_t(r) * 256 + x] = static_cast<std::uint8_t>(r);
                p.cr[std::size_t(r) * 256 + x] = static_cast<std::uint8_t>((cr + x) & 255);
            }
        for (const media::ConversionPath path : media::availableConversionPaths()) {
            const auto fast = p.convert(path);
            for (int r = 0; r < 512; ++r)
                for (int x = 0; x < 512; ++x) {
                    const std::uint32_t want = formula(p.y[std::size_t(r) * 512 + x], p.cb[std::size_t(r / 2) * 256 + x / 2],
                                                       p.cr[std::size_t(r / 2) * 256 + x / 2]);
                    ASSERT_EQ(fast[std::size_t(r) * 512 + x], want)
                        << "path " << int(path) << " row " << r << " col " << x << " cr " << cr;
                }
        }
    }
}

TEST(ColourConversion, FastPathMatchesTheReferenceOnOddSizesAndOtherLayouts) {
    std::mt19937 random(7);
    struct Case { int w, h, cw, ch; };
    for (const Case c : {Case{800, 608, 400, 304}, Case{35, 7, 18, 4}, Case{48, 6, 24, 6},
                         Case{17, 3, 17, 3}, Case{31, 2, 16, 1}, Case{15, 5, 8, 3}}) {
        Planes p(c.w, c.h, c.cw, c.ch);
        for (auto* v : {&p.y, &p.cb, &p.cr})
            for (auto& b : *v) b = static_cast<std::uint8_t>(random());
        const auto reference = p.reference();
        for (const media::ConversionPath path : media::availableConversionPaths())
            EXPECT_EQ(p.convert(path), reference) << "path " << int(path) << ", " << c.w << "x" << c.h;
        // Spot-check the reference against the formula.
        const int xs = c.cw < c.w ? 1 : 0, ys = c.ch < c.h ? 1 : 0;
        const auto& out = reference;
        EXPECT_EQ(out[std::size_t(c.h - 1) * c.w + c.w - 1],
                  formula(p.y[std::size_t(c.h - 1) * c.w + c.w - 1],
                          p.cb[std::size_t((c.h - 1) >> ys) * c.cw + ((c.w - 1) >> xs)],
                          p.cr[std::size_t((c.h - 1) >> ys) * c.cw + ((c.w - 1) >> xs)]));
    }
}

TEST(ColourConversion, RefusesAreasLargerThanThePlanes) {
    Planes p(16, 16, 8, 8);
    std::vector<std::uint32_t> out(32 * 32, 1);
    media::convertYCbCrToXrgb(p.plane(p.y, 16, 16), p.plane(p.cb, 8, 8), p.plane(p.cr, 8, 8),
                              reinterpret_cast<std::uint8_t*>(out.data()), 32 * 4, 32, 32);
    EXPECT_EQ(std::count(out.begin(), out.end(), 1u), 32 * 32);
}
