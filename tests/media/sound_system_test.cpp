// The sound system end to end: the resource manager of a real window is the sound system, the
// audio device is SDL's dummy driver, the workers run in real time and the window timers (labels)
// on the test clock.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "../support/WindowFixture.h"
#include "MediaTestSupport.h"
#include "media/CSoundStream.h"
#include "media/CSoundSystem.h"
#include "media/SoundSource.h"
#include "window/IMResourceManager.h"
#include "resources/NumberedResources.h"

using namespace media_test;

namespace {

class SoundTest : public WindowFixture {
protected:
    SoundTest() {
        sound = resourceManager();
        shortSound = widePath(dataPath("tone_44000_stereo.ogg")); // 0.3 s
        longSound = widePath(dataPath("tone_44100_stereo.ogg"));  // 1.2 s
        monoSound = widePath(dataPath("tone_22050_mono.ogg"));    // 0.4 s
    }

    bool pumpUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
        return media_test::pumpUntil(window, done, timeoutMs);
    }

    CSoundSystem* sound = nullptr;
    std::wstring shortSound, longSound, monoSound;
};

} // namespace

TEST_F(SoundTest, TheResourceManagerIsTheSoundSystemWithADevice) {
    ASSERT_NE(sound, nullptr);
    EXPECT_TRUE(sound->hasAudioDevice());
    EXPECT_NE(sound->msgPlay(), 0u);
    EXPECT_TRUE(sound->isSoundMessage(sound->msgEnded()));
    EXPECT_TRUE(sound->isSoundMessage(sound->msgLabel()));
    EXPECT_TRUE(sound->isSoundMessage(sound->msgStop()));
    EXPECT_FALSE(sound->isSoundMessage(WM_KEYDOWN));
}

TEST_F(SoundTest, IdsCountFromOneAndALoadedNameKeepsItsId) {
    const auto bytes = readBytes(dataPath("tone_22050_mono.ogg"));
    EXPECT_EQ(sound->loadSound(shortSound), 1u);
    EXPECT_EQ(sound->loadSound(longSound), 2u);
    EXPECT_EQ(sound->loadSound(shortSound), 1u);
    EXPECT_EQ(sound->loadSound(L"EMBEDDED", bytes.data(), bytes.size()), 3u);
    // The bytes given with a known name are ignored.
    EXPECT_EQ(sound->loadSound(L"EMBEDDED", nullptr, 0), 3u);
    EXPECT_EQ(sound->lastSoundId(), 3u);
    EXPECT_EQ(sound->sources().size(), 3u);
}

TEST_F(SoundTest, FailingLoadsGiveZeroAndUseNoId) {
    const auto bytes = readBytes(dataPath("tone_22050_mono.ogg"));
    const std::vector<std::uint8_t> notOgg = {'n', 'o', 't', ' ', 'o', 'g', 'g'};
    const std::vector<std::uint8_t> header(bytes.begin(), bytes.begin() + 60);
    EXPECT_EQ(sound->loadSound(L"/no/such/file.ogg"), 0u);
    EXPECT_EQ(sound->loadSound(L"987654"), 0u); // a number nobody has
    EXPECT_EQ(sound->loadSound(widePath(dataPath("praise_320x240_12fps.ogv"))), 0u); // no Vorbis
    EXPECT_EQ(sound->loadSound(L"x", notOgg.data(), notOgg.size()), 0u);
    EXPECT_EQ(sound->loadSound(L"y", header.data(), header.size()), 0u);
    EXPECT_EQ(sound->loadSound(L"z", nullptr, 0), 0u);
    // Codeword lengths that over-fill the code space: libvorbis would divide by zero decoding it.
    const auto badCodebook = readBytes(dataPath("damaged_codebook.ogg"));
    EXPECT_EQ(sound->loadSound(widePath(dataPath("damaged_codebook.ogg"))), 0u);
    EXPECT_EQ(sound->loadSound(L"w", badCodebook.data(), badCodebook.size()), 0u);
    EXPECT_EQ(sound->loadSound(widePath(dataPath("damaged_codebook_restarted_stream.ogg"))), 0u);
    EXPECT_EQ(sound->lastSoundId(), 0u);
    EXPECT_EQ(sound->loadSound(monoSound), 1u);
}

TEST_F(SoundTest, PlayAndStopAnswerForZeroUnknownAndIdleIds) {
    const std::uint32_t id = sound->loadSound(shortSound);
    ASSERT_NE(id, 0u);
    EXPECT_FALSE(sound->playSound(0, false));
    EXPECT_FALSE(sound->playSound(id + 1, false));
    EXPECT_FALSE(sound->stopSound(0));
    EXPECT_FALSE(sound->stopSound(id + 1));
    EXPECT_FALSE(sound->stopSound(id)); // not playing
    // Nothing happens for absent sounds.
    sound->addSoundLabel(0, 10, [](std::uint32_t, std::uint32_t) { return 0L; });
    EXPECT_FALSE(sound->onSoundEnded(77, [](std::uint32_t) { return 0L; }).connected());
}

TEST_F(SoundTest, AShortSoundIsHeardToItsEndAndEndsOnce) {
    const std::uint32_t id = sound->loadSound(shortSound);
    int started = 0, ended = 0;
    std::uint32_t endedId = 0;
    sound->stream(id)->started.connect([&](std::uint32_t) { return long(++started); });
    sound->onSoundEnded(id, [&](std::uint32_t i) {
        endedId = i;
        return long(++ended);
    });
    testing::internal::CaptureStderr();
    const auto begin = std::chrono::steady_clock::now();
    ASSERT_TRUE(sound->playSound(id, false));
    EXPECT_TRUE(sound->stream(id)->isPlaying());
    ASSERT_TRUE(pumpUntil([&] { return ended > 0; }));
    const auto heard = std::chrono::steady_clock::now() - begin;
    pumpFor(window, 100);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(started, 1);
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(endedId, id);
    // The 0.3 s of sound, then a padded half and a silent half before the worker stops.
    EXPECT_GE(heard, std::chrono::milliseconds(300));
    EXPECT_FALSE(sound->stream(id)->isPlaying());
    EXPECT_FALSE(sound->stopSound(id));
    EXPECT_NE(log.find(" звук играет\n"), std::string::npos);
    EXPECT_NE(log.find(" звук остановился\n"), std::string::npos);
    EXPECT_EQ(log.find(" звук стой\n"), std::string::npos);

    EXPECT_FALSE(sound->stream(id)->ring().holdsSamples()) << "a sound heard to its end keeps no buffer";

    // A stream plays again from the beginning, any number of times.
    ASSERT_TRUE(sound->playSound(id, false));
    EXPECT_TRUE(sound->stream(id)->ring().holdsSamples());
    ASSERT_TRUE(pumpUntil([&] { return ended == 2; }));
    EXPECT_EQ(started, 2);
}

TEST_F(SoundTest, LoadingANameAgainDropsItsEndHandlers) {
    const std::uint32_t id = sound->loadSound(shortSound);
    int oldHandler = 0, newHandler = 0;
    sound->onSoundEnded(id, [&](std::uint32_t) { return long(++oldHandler); });
    ASSERT_EQ(sound->loadSound(shortSound), id);
    sound->onSoundEnded(id, [&](std::uint32_t) { return long(++newHandler); });
    ASSERT_TRUE(sound->playSound(id, false));
    ASSERT_TRUE(pumpUntil([&] { return newHandler > 0; }));
    EXPECT_EQ(oldHandler, 0);
}

TEST_F(SoundTest, PlayingAPlayingSoundFailsButSwitchesItsLooping) {
    const std::uint32_t id = sound->loadSound(shortSound);
    int ended = 0;
    sound->onSoundEnded(id, [&](std::uint32_t) { return long(++ended); });
    ASSERT_TRUE(sound->playSound(id, false));
    EXPECT_FALSE(sound->playSound(id, true)); // now looping
    pumpFor(window, 1600);                    // well past the natural end of 0.3 s
    EXPECT_EQ(ended, 0);
    EXPECT_TRUE(sound->stream(id)->isPlaying());
    testing::internal::CaptureStderr();
    EXPECT_TRUE(sound->stopSound(id));
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find(" звук стой\n"), std::string::npos);
    // stopSound returns once the worker has ended; `ended` comes afterwards from the notice.
    EXPECT_FALSE(sound->stream(id)->isPlaying());
    EXPECT_FALSE(sound->stream(id)->ring().holdsSamples());
    EXPECT_EQ(ended, 0);
    ASSERT_TRUE(pumpUntil([&] { return ended == 1; }));
    pumpFor(window, 50);
    EXPECT_EQ(ended, 1);
}

TEST_F(SoundTest, LabelsFireAtTheirTimesOncePerAddition) {
    const std::uint32_t id = sound->loadSound(longSound);
    std::vector<std::pair<std::uint32_t, std::uint32_t>> fired;
    auto record = [&](std::uint32_t i, std::uint32_t p) {
        fired.emplace_back(i, p);
        return 0L;
    };
    sound->addSoundLabel(id, 5590, record);
    sound->addSoundLabel(id, 9290, record);
    ASSERT_TRUE(sound->playSound(id, true));
    advance(5580);
    pumpFor(window, 30);
    EXPECT_TRUE(fired.empty());
    advance(10);
    ASSERT_TRUE(pumpUntil([&] { return fired.size() == 1; }));
    EXPECT_EQ(fired[0], std::make_pair(id, 5590u));
    advance(3700);
    ASSERT_TRUE(pumpUntil([&] { return fired.size() == 2; }));
    EXPECT_EQ(fired[1], std::make_pair(id, 9290u));
    EXPECT_TRUE(sound->stream(id)->labelPositions().empty());
    ASSERT_TRUE(sound->stopSound(id));

    // A second playback has no labels unless they are added again.
    ASSERT_TRUE(sound->playSound(id, true));
    advance(10000);
    pumpFor(window, 50);
    EXPECT_EQ(fired.size(), 2u);
    ASSERT_TRUE(sound->stopSound(id));

    // Added again: the signal of that position now has the old slot and the new one.
    int extra = 0;
    sound->addSoundLabel(id, 100, [&](std::uint32_t, std::uint32_t) { return long(++extra); });
    sound->addSoundLabel(id, 5590, [&](std::uint32_t, std::uint32_t) { return long(++extra); });
    ASSERT_TRUE(sound->playSound(id, true));
    advance(6000);
    ASSERT_TRUE(pumpUntil([&] { return extra == 2; }));
    EXPECT_EQ(fired.size(), 3u);
    EXPECT_EQ(fired.back(), std::make_pair(id, 5590u));
    sound->stopSound(id);
}

TEST_F(SoundTest, StopCancelsPendingLabelsButKeepsThemForTheNextPlayback) {
    const std::uint32_t id = sound->loadSound(longSound);
    int fired = 0;
    sound->addSoundLabel(id, 500, [&](std::uint32_t, std::uint32_t) { return long(++fired); });
    ASSERT_TRUE(sound->playSound(id, true));
    advance(100);
    ASSERT_TRUE(sound->stopSound(id));
    EXPECT_EQ(sound->stream(id)->pendingLabelTimers(), 0u);
    advance(1000);
    pumpFor(window, 50);
    EXPECT_EQ(fired, 0);
    ASSERT_EQ(sound->stream(id)->labelPositions().size(), 1u);
    ASSERT_TRUE(sound->playSound(id, true));
    advance(500);
    ASSERT_TRUE(pumpUntil([&] { return fired == 1; }));
    sound->stopSound(id);
}

TEST_F(SoundTest, LabelsPastTheEndAreCancelledBeforeEndedFires) {
    const std::uint32_t id = sound->loadSound(shortSound);
    int labels = 0;
    std::size_t timersWhenEnded = 99;
    sound->addSoundLabel(id, 60000, [&](std::uint32_t, std::uint32_t) { return long(++labels); });
    sound->onSoundEnded(id, [&](std::uint32_t) {
        timersWhenEnded = sound->stream(id)->pendingLabelTimers();
        return 0L;
    });
    ASSERT_TRUE(sound->playSound(id, false));
    EXPECT_EQ(sound->stream(id)->pendingLabelTimers(), 1u);
    ASSERT_TRUE(pumpUntil([&] { return timersWhenEnded != 99; }));
    EXPECT_EQ(timersWhenEnded, 0u);
    advance(61000);
    pumpFor(window, 30);
    EXPECT_EQ(labels, 0);
    // The label was never reached, so a later playback schedules it again.
    EXPECT_EQ(sound->stream(id)->labelPositions().size(), 1u);
}

TEST_F(SoundTest, NumberedSoundsLoseTheirTailAndEmbeddedOnesPlayInFull) {
    EXPECT_EQ(CSoundSystem::numberedTailFrames(44000, 2), 3520u);
    EXPECT_EQ(CSoundSystem::numberedTailFrames(22050, 1), 882u);
    EXPECT_EQ(CSoundSystem::numberedTailFrames(44100, 2), 3528u);

    // A companion file stands for a numbered resource the program lacks.
    const std::filesystem::path folder = resources::companionFolder();
    std::filesystem::create_directories(folder);
    const std::filesystem::path companion = folder / "7431";
    std::filesystem::copy_file(dataPath("tone_44000_stereo.ogg"), companion,
                               std::filesystem::copy_options::overwrite_existing);
    const auto bytes = readBytes(dataPath("tone_44000_stereo.ogg"));
    const std::uint32_t numbered = sound->loadSound(L"7431");
    const std::uint32_t embedded = sound->loadSound(L"SAME_AS_ASSET", bytes.data(), bytes.size());
    std::filesystem::remove(companion);
    ASSERT_NE(numbered, 0u);
    ASSERT_NE(embedded, 0u);
    SoundSource* n = sound->stream(numbered)->source();
    SoundSource* e = sound->stream(embedded)->source();
    EXPECT_EQ(n->rate(), 44000);
    EXPECT_EQ(n->channels(), 2);
    EXPECT_EQ(n->totalSamples(), 13200u);
    EXPECT_EQ(n->playableSamples(), 13200u - 3520u);
    EXPECT_EQ(e->playableSamples(), 13200u);

    // Reading stops exactly at the playable end.
    std::vector<std::uint8_t> pcm(200000);
    ASSERT_TRUE(n->rewind());
    std::size_t total = 0;
    for (std::size_t got; (got = n->readPcm(pcm.data(), 40000)) != 0;) total += got;
    EXPECT_EQ(total, (13200u - 3520u) * 4u);
}

TEST_F(SoundTest, ProgramNumberedSoundsAreFoundByTheirNumber) {
    if (!resources::loadNumberedResource(120)) GTEST_SKIP() << "assets not embedded";
    const std::uint32_t id = sound->loadSound(L"120");
    ASSERT_NE(id, 0u);
    SoundSource* s = sound->stream(id)->source();
    EXPECT_EQ(s->playableSamples() + CSoundSystem::numberedTailFrames(s->rate(), s->channels()),
              s->totalSamples());
    EXPECT_EQ(sound->loadSound(L"120"), id);
}

TEST_F(SoundTest, SoundsOfDifferentFormatsPlayTogether) {
    const std::uint32_t a = sound->loadSound(shortSound);
    const std::uint32_t b = sound->loadSound(longSound);
    const std::uint32_t c = sound->loadSound(monoSound);
    int ended = 0;
    for (auto id : {a, b, c}) sound->onSoundEnded(id, [&](std::uint32_t) { return long(++ended); });
    for (auto id : {a, b, c}) ASSERT_TRUE(sound->playSound(id, false));
    ASSERT_TRUE(pumpUntil([&] { return ended == 3; }, 8000));
}

TEST_F(SoundTest, StopRacingTheNaturalEndEndsEachPlaybackExactlyOnce) {
    const std::uint32_t id = sound->loadSound(shortSound);
    int ended = 0;
    sound->onSoundEnded(id, [&](std::uint32_t) { return long(++ended); });
    // The worker stops the ring about one second after the start; stop around that moment.
    for (int round = 0; round < 6; ++round) {
        ASSERT_TRUE(sound->playSound(id, false));
        std::this_thread::sleep_for(std::chrono::milliseconds(960 + 15 * round));
        const bool stopped = sound->stopSound(id);
        EXPECT_FALSE(sound->stream(id)->isPlaying());
        (void)stopped; // true when the stop won the race, false when the end did
        ASSERT_TRUE(pumpUntil([&] { return ended == round + 1; }));
    }
    pumpFor(window, 100);
    EXPECT_EQ(ended, 6);
}

TEST_F(SoundTest, DamagedDataFailsTheLoadOrEndsTheSoundEarly) {
    const auto good = readBytes(dataPath("tone_44100_stereo.ogg"));
    std::vector<std::vector<std::uint8_t>> damaged;
    damaged.emplace_back(good.begin(), good.begin() + static_cast<long>(good.size() / 2));
    auto flipped = good;
    for (std::size_t i = flipped.size() / 3; i < flipped.size(); i += 97) flipped[i] ^= 0x5A;
    damaged.push_back(flipped);
    auto zeroed = good;
    std::fill(zeroed.begin() + 4000, zeroed.begin() + 5000, 0);
    damaged.push_back(zeroed);
    int ended = 0;
    for (std::size_t i = 0; i < damaged.size(); ++i) {
        const std::uint32_t id =
            sound->loadSound(L"damaged" + std::to_wstring(i), damaged[i].data(), damaged[i].size());
        if (id == 0) continue;
        sound->onSoundEnded(id, [&](std::uint32_t) { return long(++ended); });
        ASSERT_TRUE(sound->playSound(id, false));
        const int expected = ended + 1;
        ASSERT_TRUE(pumpUntil([&] { return ended == expected; }, 6000)) << "case " << i;
    }
}

TEST(SoundWithoutDevice, LoadsFailAndTheRestGoesOn) {
    const char* previous = std::getenv("SDL_AUDIODRIVER");
    const std::string saved = previous ? previous : "";
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    {
        CSoundSystem sound;
        EXPECT_NE(sound.startSound(), 0);
        EXPECT_FALSE(sound.hasAudioDevice());
        EXPECT_EQ(sound.loadSound(widePath(dataPath("tone_44000_stereo.ogg"))), 0u);
        EXPECT_FALSE(sound.playSound(0, false));
        EXPECT_FALSE(sound.stopSound(1));
    }
    if (previous)
        setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
    else
        unsetenv("SDL_AUDIODRIVER");
}
