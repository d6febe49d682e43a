// A sound that cannot be used is named once on standard error with the reason, however often it
// is asked for.

#include "../support/WindowFixture.h"
#include "MediaTestSupport.h"
#include "media/CSoundSystem.h"
#include "window/IMResourceManager.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace media_test;

namespace {

class DamagedSoundTest : public WindowFixture {};

struct DamagedSound {
    const char* name;
    std::string bytes; // what the file holds; empty: no file at all
    const char* reason;
};

class DamagedSoundCase : public DamagedSoundTest,
                         public ::testing::WithParamInterface<DamagedSound> {};

TEST_P(DamagedSoundCase, IsNamedOnceWithTheReason) {
    CSoundSystem* sound = resourceManager();
    ASSERT_NE(sound, nullptr);
    if (!sound->hasAudioDevice())
        GTEST_SKIP() << "no audio device: sounds are not loaded at all";
    const std::string path =
        std::string("damaged-sound-") + GetParam().name + "-" + std::to_string(getpid()) + ".ogg";
    if (!GetParam().bytes.empty())
        std::ofstream(path, std::ios::binary) << GetParam().bytes;

    testing::internal::CaptureStderr();
    EXPECT_EQ(sound->loadSound(widePath(path)), 0u);
    EXPECT_EQ(sound->loadSound(widePath(path)), 0u);
    const std::string said = testing::internal::GetCapturedStderr();
    std::filesystem::remove(path);

    const std::string line = "Звук «" + path + "» не загружен: " + GetParam().reason + "\n";
    EXPECT_EQ(said, line);
}

INSTANTIATE_TEST_SUITE_P(
    Sounds, DamagedSoundCase,
    ::testing::Values(DamagedSound{"Missing", "", "no such file"},
                      DamagedSound{"NotOgg", "это не звук", "not a playable Ogg Vorbis stream"},
                      DamagedSound{"CutOgg",
                                   [] {
                                       const auto whole =
                                           readBytes(dataPath("tone_44000_stereo.ogg"));
                                       return std::string(whole.begin(), whole.begin() + 200);
                                   }(),
                                   "not a playable Ogg Vorbis stream"}),
    [](const auto& param) { return std::string(param.param.name); });

} // namespace
