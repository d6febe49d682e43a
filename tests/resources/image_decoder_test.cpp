// Real PNG and JPEG files through the picture decoder, checked texel by texel.

#include "resources/ImageDecoder.h"
#include "resources/PictureMaker.h"

#include <cmath>
#include <gtest/gtest.h>
#include <sstream>
#include <string>

namespace {

using Bytes = std::vector<std::uint8_t>;

// Decoded texels kept in a buffer with a row pitch wider than the picture, as textures have.
struct Decoded {
    bool ok = false;
    int width = 0;
    int height = 0;
    int pitch = 0;
    std::vector<std::uint8_t> texels;
    // ARGB of pixel (x, y) from the B, G, R, A bytes.
    std::uint32_t argb(int x, int y) const {
        const std::uint8_t* t = texels.data() + y * pitch + x * 4;
        return std::uint32_t{t[3]} << 24 | std::uint32_t{t[2]} << 16 | std::uint32_t{t[1]} << 8 |
               t[0];
    }
};

Decoded decode(const Bytes& bytes) {
    Decoded d;
    resources::DecodedPicture picture;
    d.ok = resources::decodePicture(
        bytes,
        [&](int w, int h) -> std::optional<resources::TexelTarget> {
            d.pitch = w * 4 + 12;
            d.texels.assign(static_cast<std::size_t>(d.pitch) * h, 0xEE);
            return resources::TexelTarget{d.texels.data(), d.pitch};
        },
        picture);
    d.width = picture.width;
    d.height = picture.height;
    return d;
}

bool close(std::uint32_t a, std::uint32_t b, int tolerance) {
    for (int shift = 0; shift < 32; shift += 8) {
        const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        if (d > tolerance || -d > tolerance)
            return false;
    }
    return true;
}

std::uint8_t gammaCorrected(int value, double fileGamma) {
    return static_cast<std::uint8_t>(
        std::lround(255.0 * std::pow(value / 255.0, 1.0 / (fileGamma * 2.2))));
}

struct PngCase {
    const char* what;
    pictures::PngLayout layout;
    std::vector<Bytes> rows;
    std::function<void(png_structp, png_infop)> extra;
    std::vector<std::uint32_t> expected; // ARGB, row by row
    int tolerance = 0;
};

std::vector<PngCase> pngCases() {
    png_color palette[3] = {{255, 0, 0}, {0, 128, 255}, {7, 8, 9}};
    const auto withPalette = [palette](int entries, std::vector<png_byte> alphas) {
        return [palette, entries, alphas](png_structp png, png_infop info) mutable {
            png_set_PLTE(png, info, palette, entries);
            if (!alphas.empty())
                png_set_tRNS(png, info, alphas.data(), static_cast<int>(alphas.size()), nullptr);
        };
    };
    const auto withGamma = [](double gamma) {
        return [gamma](png_structp png, png_infop info) { png_set_gAMA(png, info, gamma); };
    };
    return {
        {"RGB gets opaque alpha",
         {2, 1, PNG_COLOR_TYPE_RGB, 8},
         {{10, 20, 30, 40, 50, 60}},
         {},
         {0xFF0A141E, 0xFF28323C}},
        {"RGBA keeps its alpha",
         {2, 1, PNG_COLOR_TYPE_RGBA, 8},
         {{10, 20, 30, 128, 40, 50, 60, 0}},
         {},
         {0x800A141E, 0x0028323C}},
        {"grey becomes grey RGB",
         {3, 1, PNG_COLOR_TYPE_GRAY, 8},
         {{0, 77, 255}},
         {},
         {0xFF000000, 0xFF4D4D4D, 0xFFFFFFFF}},
        {"4-bit grey is widened",
         {2, 1, PNG_COLOR_TYPE_GRAY, 4},
         {{0x3F}},
         {},
         {0xFF333333, 0xFFFFFFFF}},
        {"grey with alpha",
         {2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8},
         {{90, 200, 255, 0}},
         {},
         {0xC85A5A5A, 0x00FFFFFF}},
        {"palette without transparency is opaque",
         {2, 1, PNG_COLOR_TYPE_PALETTE, 8},
         {{1, 0}},
         withPalette(2, {}),
         {0xFF0080FF, 0xFFFF0000}},
        {"2-bit palette with tRNS",
         {3, 1, PNG_COLOR_TYPE_PALETTE, 2},
         {{0x18}},
         withPalette(3, {0, 100}),
         {0x00FF0000, 0x640080FF, 0xFF070809}},
        {"16-bit RGBA is stripped to its high bytes",
         {1, 1, PNG_COLOR_TYPE_RGBA, 16},
         {{0x12, 0x34, 0xAB, 0xCD, 0xFF, 0x00, 0x80, 0x80}},
         {},
         {0x8012ABFF}},
        {"16-bit grey", {1, 1, PNG_COLOR_TYPE_GRAY, 16}, {{0x9A, 0xFF}}, {}, {0xFF9A9A9A}},
        {"gAMA 1.0 is corrected towards screen gamma 2.2",
         {4, 1, PNG_COLOR_TYPE_RGB, 8},
         {{0, 0, 0, 64, 64, 64, 128, 128, 128, 255, 255, 255}},
         withGamma(1.0),
         {0xFF000000, 0xFF000000u | 0x10101u * gammaCorrected(64, 1.0),
          0xFF000000u | 0x10101u * gammaCorrected(128, 1.0), 0xFFFFFFFF},
         1},
        {"gAMA 0.45455 leaves the picture almost unchanged",
         {2, 1, PNG_COLOR_TYPE_RGB, 8},
         {{64, 128, 200, 30, 60, 90}},
         withGamma(0.45455),
         {0xFF4080C8, 0xFF1E3C5A},
         1},
        {"bKGD composites against the background",
         {3, 1, PNG_COLOR_TYPE_RGBA, 8},
         {{255, 0, 0, 255, 255, 0, 0, 0, 255, 255, 255, 128}},
         [](png_structp png, png_infop info) {
             png_color_16 blue{0, 0, 0, 255, 0};
             png_set_bKGD(png, info, &blue);
         },
         {0xFFFF0000, 0xFF0000FF, 0xFF8080FF},
         2},
        {"interlaced RGB",
         {3, 3, PNG_COLOR_TYPE_RGB, 8, true},
         {{1, 2, 3, 4, 5, 6, 7, 8, 9},
          {10, 11, 12, 13, 14, 15, 16, 17, 18},
          {19, 20, 21, 22, 23, 24, 25, 26, 27}},
         {},
         {0xFF010203, 0xFF040506, 0xFF070809, 0xFF0A0B0C, 0xFF0D0E0F, 0xFF101112, 0xFF131415,
          0xFF161718, 0xFF191A1B}},
    };
}

TEST(PngDecoding, EveryColourTypeComesOutAsBgra) {
    for (const PngCase& c : pngCases()) {
        SCOPED_TRACE(c.what);
        const Decoded d = decode(pictures::makePng(c.layout, c.rows, c.extra));
        ASSERT_TRUE(d.ok);
        ASSERT_EQ(d.width, c.layout.width);
        ASSERT_EQ(d.height, c.layout.height);
        for (int y = 0; y < d.height; ++y) {
            for (int x = 0; x < d.width; ++x) {
                const std::uint32_t want = c.expected[static_cast<std::size_t>(y * d.width + x)];
                EXPECT_TRUE(close(d.argb(x, y), want, c.tolerance))
                    << "pixel " << x << "," << y << std::hex << " got " << d.argb(x, y) << " want "
                    << want;
            }
            // Nothing is written past the picture's width in the row.
            EXPECT_EQ(d.texels[static_cast<std::size_t>(y * d.pitch + d.width * 4)], 0xEE);
        }
    }
}

Bytes gradientRgb(int width, int height) {
    std::vector<Bytes> rows;
    for (int y = 0; y < height; ++y) {
        Bytes row;
        for (int x = 0; x < width; ++x) {
            row.push_back(static_cast<std::uint8_t>(x * 7));
            row.push_back(static_cast<std::uint8_t>(y * 5));
            row.push_back(static_cast<std::uint8_t>(x ^ y));
        }
        rows.push_back(row);
    }
    return pictures::makePng({width, height, PNG_COLOR_TYPE_RGB, 8}, rows);
}

// Runs the decode and returns what it wrote on standard error.
std::string decodeCapturingErrors(const Bytes& bytes, bool& ok) {
    testing::internal::CaptureStderr();
    ok = decode(bytes).ok;
    return testing::internal::GetCapturedStderr();
}

TEST(PngDecoding, DamagedFilesFailWithOneLibpngLine) {
    const Bytes good = gradientRgb(40, 30);
    struct Damage {
        const char* what;
        Bytes bytes;
    };
    std::vector<Damage> damages;
    for (std::size_t cut : {std::size_t{8}, std::size_t{20}, std::size_t{33}, good.size() / 2,
                            good.size() - 12, good.size() - 1})
        damages.push_back({"cut off", Bytes(good.begin(), good.begin() + cut)});
    Bytes badHeader = good;
    badHeader[18] ^= 0x40; // inside IHDR: its CRC no longer matches
    damages.push_back({"IHDR CRC", badHeader});
    Bytes badData = good;
    badData[good.size() / 2] ^= 0xFF; // inside IDAT
    damages.push_back({"IDAT CRC", badData});
    Bytes zeroWidth = good;
    zeroWidth[16] = zeroWidth[17] = zeroWidth[18] = zeroWidth[19] = 0;
    damages.push_back({"zero width", zeroWidth});

    for (const Damage& damage : damages) {
        SCOPED_TRACE(testing::Message() << damage.what << ", " << damage.bytes.size() << " bytes");
        bool ok = true;
        const std::string errors = decodeCapturingErrors(damage.bytes, ok);
        EXPECT_FALSE(ok);
        EXPECT_EQ(errors.rfind("libpng error: ", 0), 0u) << errors;
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    }
}

// The CRC-32 PNG chunks carry (over chunk type and data).
std::uint32_t chunkCrc(const std::uint8_t* bytes, std::size_t length) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < length; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xFFFFFFFFu;
}

TEST(PngDecoding, OversizedHeaderIsRefusedBeforeAnyTexelsAreAsked) {
    Bytes huge = pictures::makePng({1, 1, PNG_COLOR_TYPE_RGB, 8}, {{1, 2, 3}});
    // Width 100 000 in IHDR, CRC made to match so that only the size is wrong.
    huge[16] = 0x00, huge[17] = 0x01, huge[18] = 0x86, huge[19] = 0xA0;
    const std::uint32_t crc = chunkCrc(huge.data() + 12, 17);
    huge[29] = static_cast<std::uint8_t>(crc >> 24),
    huge[30] = static_cast<std::uint8_t>(crc >> 16);
    huge[31] = static_cast<std::uint8_t>(crc >> 8), huge[32] = static_cast<std::uint8_t>(crc);
    bool asked = false;
    resources::DecodedPicture picture;
    testing::internal::CaptureStderr();
    const bool ok = resources::decodePicture(
        huge,
        [&](int, int) -> std::optional<resources::TexelTarget> {
            asked = true;
            return std::nullopt;
        },
        picture);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(ok);
    EXPECT_FALSE(asked);
    EXPECT_EQ(errors, "libpng error: picture too large\n");
}

TEST(PngDecoding, RefusedTexelsFailTheDecodeQuietly) {
    resources::DecodedPicture picture;
    const bool ok = resources::decodePicture(
        gradientRgb(4, 4), [](int, int) { return std::optional<resources::TexelTarget>{}; },
        picture);
    EXPECT_FALSE(ok);
}

TEST(PngDecoding, NotPngIsReportedWithoutConsumingAnything) {
    resources::DecodedPicture picture;
    const auto never = [](int, int) { return std::optional<resources::TexelTarget>{}; };
    EXPECT_EQ(resources::decodePng(Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0, 0, 0, 0, 0}, never, picture),
              resources::DecodeStatus::NotPng);
    EXPECT_EQ(resources::decodePng(Bytes{0x89, 'P', 'N'}, never, picture),
              resources::DecodeStatus::NotPng);
}

std::vector<std::uint8_t> photoSamples(int width, int height, int components) {
    std::vector<std::uint8_t> samples;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < components; ++c)
                samples.push_back(static_cast<std::uint8_t>((x * 9 + y * 4 + c * 80) & 0xFF));
    return samples;
}

TEST(JpegDecoding, ColourAndGreyMatchLibjpegTexelByTexel) {
    for (int components : {3, 1}) {
        SCOPED_TRACE(components == 3 ? "colour" : "grey");
        const Bytes file = pictures::makeJpeg(37, 21, components, photoSamples(37, 21, components));
        ASSERT_NE(file[0], 0x89);
        int width = 0, height = 0;
        const Bytes rgb = pictures::referenceJpegRgb(file, width, height);
        const Decoded d = decode(file);
        ASSERT_TRUE(d.ok);
        ASSERT_EQ(d.width, 37);
        ASSERT_EQ(d.height, 21);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const std::uint8_t* p = rgb.data() + (y * width + x) * 3;
                const std::uint32_t want =
                    0xFF000000u | std::uint32_t{p[0]} << 16 | std::uint32_t{p[1]} << 8 | p[2];
                ASSERT_EQ(d.argb(x, y), want) << x << "," << y;
            }
    }
}

TEST(JpegDecoding, DamagedOrForeignBytesFailWithADiagnostic) {
    const Bytes good = pictures::makeJpeg(64, 48, 3, photoSamples(64, 48, 3));
    struct Damage {
        const char* what;
        Bytes bytes;
    };
    std::vector<Damage> damages = {
        {"empty", {}},
        {"text", Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'}},
        {"JPEG signature only", Bytes{0xFF, 0xD8}},
        {"cut in the header", Bytes(good.begin(), good.begin() + 100)},
        {"cut in the data", Bytes(good.begin(), good.begin() + static_cast<long>(good.size() / 2))},
        {"cut before EOI", Bytes(good.begin(), good.end() - 2)},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.what);
        bool ok = true;
        const std::string errors = decodeCapturingErrors(damage.bytes, ok);
        EXPECT_FALSE(ok);
        EXPECT_GE(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
        EXPECT_EQ(errors.back(), '\n');
    }
}

} // namespace
