// Every input the Ogg Vorbis fuzzer found a fault with, fed to the loader the way the fuzzer does:
// as it is and with its page checksums made valid, decoded to the end, rewound and decoded again.
// None may crash, and no decode may hand out more frames than the source says it plays.

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "MediaTestSupport.h"
#include "media/SoundSource.h"

namespace {

std::uint64_t framesDecoded(SoundSource& source) {
    std::vector<std::uint8_t> half(static_cast<std::size_t>(source.rate()) * source.frameBytes() / 2);
    std::uint64_t bytes = 0;
    for (std::size_t got; (got = source.readPcm(half.data(), half.size())) != 0;) {
        EXPECT_LE(got, half.size());
        EXPECT_EQ(got % static_cast<std::size_t>(source.frameBytes()), 0u);
        bytes += got;
    }
    return bytes / static_cast<std::uint64_t>(source.frameBytes());
}

} // namespace

TEST(SoundFuzzFindings, DamagedSoundsLoadSafelyOrNotAtAll) {
    const auto folder = std::filesystem::path(TAVRELO_SOURCE_DIR) / "fuzz" / "findings" / "vorbis";
    int inputs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        auto fixed = media_test::readBytes(entry.path());
        fixOggChecksums(fixed);
        for (const auto& bytes : {media_test::readBytes(entry.path()), fixed}) {
            ++inputs;
            SCOPED_TRACE(entry.path().filename().string());
            if (auto source = SoundSource::fromMemory(bytes)) {
                EXPECT_LE(framesDecoded(*source), source->playableSamples());
                if (source->rewind()) {
                    EXPECT_LE(framesDecoded(*source), source->playableSamples());
                }
            }
            if (auto numbered = SoundSource::fromNumberedResource(resources::ResourceBytes::owned(bytes))) {
                EXPECT_LE(framesDecoded(*numbered), numbered->playableSamples());
            }
        }
    }
    EXPECT_GE(inputs, 6);
}
