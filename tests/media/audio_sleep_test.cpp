// The playback device sleeps while nothing is to be heard and wakes for a sound without losing its
// beginning or clicking. SDL's disk audio driver stands in for the sound card: it is paced like a
// real device and writes exactly what it was given to a file, which is made anew at each opening.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "media/SoundMixer.h"
#include "media/SoundRing.h"
#include "platform/audio/AudioOutput.h"

namespace {

using namespace std::chrono_literals;

constexpr int kRate = 44100;

// A stereo ring of one second whose every sample is non-zero and tells its frame apart from its
// neighbours, so that the first sample heard says which frame played first.
std::vector<std::int16_t> fillRing(SoundRing& ring) {
    std::vector<std::int16_t> samples(static_cast<std::size_t>(kRate) * 2);
    for (int i = 0; i < kRate; ++i) {
        samples[2 * i] = static_cast<std::int16_t>(100 + i % 3000);
        samples[2 * i + 1] = static_cast<std::int16_t>(-100 - i % 3000);
    }
    std::uint8_t* p = ring.lock(0, ring.bufferBytes());
    std::memcpy(p, samples.data(), ring.bufferBytes());
    ring.unlock();
    return samples;
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

class AudioSleep : public ::testing::Test {
protected:
    void SetUp() override {
        file_ = std::filesystem::temp_directory_path() /
                ("audio_sleep_" + std::to_string(::getpid()) + ".raw");
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", file_.c_str(), 1);
        std::string error;
        output_ = platform::AudioOutput::open(
            kRate, 2, [this](std::int16_t* out, int frames) { mixer_.render(out, frames); },
            [this] { return mixer_.anyPlaying(); }, error);
        if (!output_) GTEST_SKIP() << "SDL's disk audio driver is not available: " << error;
        mixer_.add(&ring_);
    }
    void TearDown() override {
        output_.reset();
        mixer_.remove(&ring_);
        std::filesystem::remove(file_);
    }

    std::vector<std::int16_t> written() const {
        std::ifstream in(file_, std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
        std::vector<std::int16_t> samples(bytes.size() / 2);
        std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
        return samples;
    }

    std::filesystem::path file_;
    SoundMixer mixer_{kRate};
    SoundRing ring_{2, kRate, kRate * 4};
    std::unique_ptr<platform::AudioOutput> output_;
};

TEST_F(AudioSleep, SilenceLetsTheDeviceGoAndAPlayingSoundKeepsIt) {
    fillRing(ring_);
    ASSERT_TRUE(waitUntil([this] { return output_->sleeping(); }, 3s));
    // Asleep means no device thread writing silence any more.
    const auto size = std::filesystem::file_size(file_);
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(std::filesystem::file_size(file_), size);

    ring_.play();
    output_->wake();
    ASSERT_TRUE(waitUntil([this] { return !output_->sleeping(); }, 2s));
    // Well past the silence that lets it go, a sound that goes on keeps the device.
    std::this_thread::sleep_for(1500ms);
    EXPECT_FALSE(output_->sleeping());
    ring_.stop();
    EXPECT_TRUE(waitUntil([this] { return output_->sleeping(); }, 3s));
}

TEST_F(AudioSleep, ASoundThatWakesTheDeviceIsHeardFromItsFirstSampleAfterSilence) {
    const std::vector<std::int16_t> sound = fillRing(ring_);
    ASSERT_TRUE(waitUntil([this] { return output_->sleeping(); }, 3s));
    ring_.play();
    output_->wake();
    ASSERT_TRUE(waitUntil([this] { return !output_->sleeping(); }, 2s));
    std::this_thread::sleep_for(300ms);
    const std::vector<std::int16_t> heard = written();

    std::size_t first = 0;
    while (first < heard.size() && heard[first] == 0) ++first;
    ASSERT_LT(first + 4000, heard.size()) << "too little of the sound was heard";
    // Only silence before the sound (no click), and the sound from its first frame on.
    EXPECT_EQ(first % 2, 0u);
    for (std::size_t i = 0; i < 4000; ++i) ASSERT_EQ(heard[first + i], sound[i]) << i;
}

// Several wakes racing the device's own letting go never leave a playing sound unheard.
TEST_F(AudioSleep, WakesRacingTheSleepLeaveThePlayingSoundAwake) {
    fillRing(ring_);
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(waitUntil([this] { return output_->sleeping(); }, 3s)) << round;
        ring_.play();
        for (int i = 0; i < 3; ++i) output_->wake();
        ASSERT_TRUE(waitUntil([this] { return !output_->sleeping(); }, 2s)) << round;
        std::this_thread::sleep_for(std::chrono::milliseconds(50 * round));
        ring_.stop();
    }
    ring_.play();
    output_->wake();
    std::this_thread::sleep_for(1500ms);
    EXPECT_FALSE(output_->sleeping());
}

} // namespace
