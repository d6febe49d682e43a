// The picture decoder's fuzz corpus and crash reproducers, run as regression tests: every file
// must decode or fail cleanly, and the pictures the corpus started from must still decode.

#include <gtest/gtest.h>

#include <filesystem>

#include "resources/ImageDecoder.h"
#include "resources/NumberedResources.h"

namespace {

TEST(ImageFuzzCorpus, EveryFileDecodesOrFailsCleanly) {
    const std::filesystem::path folder =
        std::filesystem::path(TAVRELO_SOURCE_DIR) / "fuzz" / "corpus" / "image";
    int files = 0;
    for (const auto& item : std::filesystem::directory_iterator(folder)) {
        const auto bytes = resources::readWholeFile(item.path());
        ASSERT_TRUE(bytes.has_value()) << item.path();
        std::vector<std::uint8_t> texels;
        resources::DecodedPicture picture;
        testing::internal::CaptureStderr();
        const bool ok = resources::decodePicture(
            *bytes,
            [&](int w, int h) -> std::optional<resources::TexelTarget> {
                texels.assign(static_cast<std::size_t>(w) * h * 4, 0);
                return resources::TexelTarget{texels.data(), w * 4};
            },
            picture);
        testing::internal::GetCapturedStderr();
        const std::string name = item.path().filename().string();
        // Files the corpus was seeded with are whole pictures; reproducers are damaged.
        if (name.rfind("crash-", 0) != 0 && name.rfind("timeout-", 0) != 0 &&
            name.rfind("oom-", 0) != 0) {
            EXPECT_TRUE(ok) << name;
        }
        ++files;
    }
    EXPECT_GT(files, 0);
}

} // namespace
