// Pictures and companion files within a memory budget: a picture's size is judged from its header
// before any texel storage is asked for, a huge companion file is refused from its size without
// being read, and a resource that cannot be used is named once on standard error.

#include "render/RenderFixture.h"
#include "resources/EmbeddedAssets.h"
#include "resources/ImageDecoder.h"
#include "resources/NumberedResources.h"
#include "resources/PictureMaker.h"
#include "resources/ResourceProblems.h"

#include <filesystem>
#include <fstream>
#include <sys/inotify.h>
#include <unistd.h>
#include <zlib.h>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

void putBigEndian(Bytes& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// A PNG that is all header: signature, IHDR (8-bit RGBA), a token IDAT and IEND, some 70 bytes for
// any size. libpng reads the header up to the IDAT; the rows themselves are missing.
Bytes headerOnlyPng(std::uint32_t width, std::uint32_t height) {
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    auto chunk = [&](const char* type, const Bytes& data) {
        putBigEndian(png, static_cast<std::uint32_t>(data.size()));
        Bytes typed(type, type + 4);
        typed.insert(typed.end(), data.begin(), data.end());
        png.insert(png.end(), typed.begin(), typed.end());
        putBigEndian(png, static_cast<std::uint32_t>(crc32(0, typed.data(), typed.size())));
    };
    Bytes ihdr;
    putBigEndian(ihdr, width);
    putBigEndian(ihdr, height);
    ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});
    chunk("IHDR", ihdr);
    Bytes idat(32);
    uLongf idatSize = idat.size();
    const Bytes emptyRow(1, 0);
    compress(idat.data(), &idatSize, emptyRow.data(), emptyRow.size());
    idat.resize(idatSize);
    chunk("IDAT", idat);
    chunk("IEND", {});
    return png;
}

// A real 16 × 8 JPEG whose frame header is made to claim another size.
Bytes jpegClaiming(std::uint16_t width, std::uint16_t height) {
    Bytes jpeg = pictures::makeJpeg(16, 8, 3, Bytes(16 * 8 * 3, 120));
    for (std::size_t i = 0; i + 8 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) {
            jpeg[i + 5] = static_cast<std::uint8_t>(height >> 8);
            jpeg[i + 6] = static_cast<std::uint8_t>(height);
            jpeg[i + 7] = static_cast<std::uint8_t>(width >> 8);
            jpeg[i + 8] = static_cast<std::uint8_t>(width);
            break;
        }
    }
    return jpeg;
}

struct SizeCase {
    std::uint32_t width;
    std::uint32_t height;
    bool withinBudget; // texture sides rounded up to powers of two, 4 bytes a texel, ≤ 64 MiB
};

class PictureBudgetTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(PictureBudgetTest, IsJudgedFromTheHeaderBeforeAnyStorageIsAskedFor) {
    const SizeCase size = GetParam();
    for (const bool png : {true, false}) {
        SCOPED_TRACE(png ? "PNG" : "JPEG");
        if (!png && (size.width > 65535 || size.height > 65535))
            continue;
        const Bytes bytes = png ? headerOnlyPng(size.width, size.height)
                                : jpegClaiming(static_cast<std::uint16_t>(size.width),
                                               static_cast<std::uint16_t>(size.height));
        int asked = 0;
        // Never gives storage: a picture within the budget stops here, having asked.
        const resources::TexelAllocator allocate = [&](int, int) {
            ++asked;
            return std::optional<resources::TexelTarget>();
        };
        resources::DecodedPicture picture;
        testing::internal::CaptureStderr();
        EXPECT_FALSE(resources::decodePicture(bytes, allocate, picture));
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(asked, size.withinBudget ? 1 : 0);
        if (!size.withinBudget) {
            EXPECT_EQ(picture.failure,
                      png ? "libpng error: picture too large" : "picture too large");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, PictureBudgetTest,
                         ::testing::Values(SizeCase{16384, 16384, false},
                                           SizeCase{4096, 4096, true},
                                           SizeCase{4097, 4096, false},
                                           SizeCase{5000, 3000, true}, // 60 MB: no rounding up
                                           SizeCase{8192, 2048, true}, SizeCase{8192, 2049, false},
                                           SizeCase{16384, 1, true}, SizeCase{16385, 1, false},
                                           SizeCase{1, 65536, false}));

class ResourceProblemTest : public RenderFixture {};

TEST_F(ResourceProblemTest, AHugePictureFileCostsNothingAndIsNamedOnce) {
    const std::string path = "resource-limits-" + std::to_string(getpid()) + ".png";
    const Bytes huge = headerOnlyPng(16384, 16384);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(huge.data()),
               static_cast<std::streamsize>(huge.size()));
    const std::wstring name(path.begin(), path.end());

    testing::internal::CaptureStderr();
    EXPECT_EQ(manager->getTexture(name), manager->invalidHandle());
    const std::string first = testing::internal::GetCapturedStderr();
    testing::internal::CaptureStderr();
    EXPECT_EQ(manager->getTexture(name), manager->invalidHandle());
    const std::string second = testing::internal::GetCapturedStderr();
    fs::remove(path);

    EXPECT_NE(first.find("Картинка «" + path + "» не загружена: libpng error: picture too large\n"),
              std::string::npos)
        << first;
    EXPECT_EQ(second, "") << "said again, or decoded again";
    EXPECT_EQ(manager->handleCount(), 0u);
}

TEST_F(ResourceProblemTest, AGigabyteCompanionFileIsRefusedWithoutBeingReadAndOnlyOnce) {
    const fs::path folder = resources::companionFolder();
    fs::create_directories(folder);
    const long number = 95000 + getpid() % 4000;
    const fs::path file = folder / std::to_string(number);
    { std::ofstream create(file, std::ios::binary); }
    fs::resize_file(file, std::uintmax_t{1} << 30); // sparse: no gigabyte is written to disk

    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, file.c_str(), IN_OPEN | IN_ACCESS), 0);
    testing::internal::CaptureStderr();
    const bool firstFound = resources::loadNumberedResource(number).has_value();
    const std::string first = testing::internal::GetCapturedStderr();
    testing::internal::CaptureStderr();
    const bool secondFound = resources::loadNumberedResource(number).has_value();
    const std::string second = testing::internal::GetCapturedStderr();
    char events[4096];
    const ssize_t opened = ::read(watch, events, sizeof events);
    ::close(watch);
    fs::remove(file);

    EXPECT_FALSE(firstFound);
    EXPECT_FALSE(secondFound);
    EXPECT_LT(opened, 0) << "the file was opened";
    EXPECT_NE(first.find("Ресурс " + std::to_string(number)), std::string::npos) << first;
    EXPECT_NE(first.find("1073741824 bytes"), std::string::npos) << first;
    EXPECT_EQ(second, "") << "looked at and said again";
}

} // namespace

namespace {

// Clips reach the video view as bare bytes; a damaged one is named after the asset holding them.
TEST(ResourceNames, BytesInsideAnEmbeddedAssetAreNamedAfterIt) {
    const auto assets = resources::embeddedAssets();
    if (assets.empty())
        GTEST_SKIP() << "no assets embedded";
    const resources::EmbeddedAsset& asset = assets.back();
    const std::wstring name(asset.name.begin(), asset.name.end());
    EXPECT_EQ(resources::embeddedAssetNameOf(asset.bytes.data()), name);
    EXPECT_EQ(resources::embeddedAssetNameOf(asset.bytes.data() + asset.bytes.size() / 2), name);
    const std::uint8_t outside = 0;
    EXPECT_EQ(resources::embeddedAssetNameOf(&outside), L"");
}

} // namespace
