// The mixer over sound rings of different formats: what it adds per output frame, how far it
// moves each ring's play position, and clamping.

#include <gtest/gtest.h>

#include <cmath>
#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "media/SoundMixer.h"
#include "media/SoundRing.h"

namespace {

void writeFrames(SoundRing& ring, const std::vector<std::int16_t>& samples) {
    const auto bytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::uint8_t* p = ring.lock(0, bytes);
    ASSERT_NE(p, nullptr);
    std::memcpy(p, samples.data(), bytes);
    ring.unlock();
}

} // namespace

TEST(Mixer, SumsAStereoRingAtTheOutputRateAndAMonoRingAtHalfOfIt) {
    SoundRing stereo(2, 44100, 44100 * 4);
    SoundRing mono(1, 22050, 22050 * 2);
    std::vector<std::int16_t> s(44100 * 2), m(22050);
    for (int i = 0; i < 44100; ++i) {
        s[2 * i] = static_cast<std::int16_t>(i % 1000);
        s[2 * i + 1] = static_cast<std::int16_t>(-(i % 1000));
    }
    for (int i = 0; i < 22050; ++i) m[i] = static_cast<std::int16_t>(10 * (i % 100));
    writeFrames(stereo, s);
    writeFrames(mono, m);

    SoundMixer mixer(44100);
    mixer.add(&stereo);
    mixer.add(&mono);
    stereo.play();
    mono.play();
    std::vector<std::int16_t> out(2 * 1000);
    mixer.render(out.data(), 1000);
    for (int k = 0; k < 1000; k += 7) {
        // The mono ring is interpolated halfway between its frames on every odd output frame.
        const int monoValue = k % 2 == 0 ? m[k / 2] : (m[k / 2] + m[k / 2 + 1]) / 2;
        EXPECT_EQ(out[2 * k], s[2 * k] + monoValue) << k;
        EXPECT_EQ(out[2 * k + 1], s[2 * k + 1] + monoValue) << k;
    }
    std::uint32_t stereoPos = 0, monoPos = 0;
    stereo.getCurrentPosition(stereoPos);
    mono.getCurrentPosition(monoPos);
    // Two frames are held for interpolation: the one being played and the next.
    EXPECT_EQ(stereoPos, (1000u + 2u) * 4u);
    EXPECT_EQ(monoPos, (500u + 2u) * 2u);
}

TEST(Mixer, EachRingAdvancesAtItsOwnRate) {
    SoundRing a(2, 44000, 44000 * 4), b(1, 22050, 22050 * 2);
    SoundMixer mixer(44100);
    mixer.add(&a);
    mixer.add(&b);
    a.play();
    b.play();
    std::vector<std::int16_t> out(2 * 4410);
    std::uint32_t before = 0;
    a.getCurrentPosition(before);
    for (int i = 0; i < 10; ++i) mixer.render(out.data(), 4410); // one second of output
    std::uint32_t posA = 0, posB = 0;
    a.getCurrentPosition(posA);
    b.getCurrentPosition(posB);
    // After a second each one-second ring is back where it began (plus the two held frames; the
    // fixed-point step of 44000/44100 is a hair short, which may leave one frame less).
    EXPECT_NEAR(static_cast<double>(posA / 4), 2.0, 1.0);
    EXPECT_EQ(posB / 2, 2u);
}

TEST(Mixer, KeepsThePitchOfA44000HzTone) {
    // 1000 Hz at 44000 Hz must still be 1000 Hz after resampling to 44100 Hz.
    SoundRing ring(1, 44000, 44000 * 2);
    std::vector<std::int16_t> tone(44000);
    for (int i = 0; i < 44000; ++i)
        tone[i] = static_cast<std::int16_t>(std::lround(10000 * std::sin(2 * M_PI * 1000 * i / 44000.0)));
    writeFrames(ring, tone);
    SoundMixer mixer(44100);
    mixer.add(&ring);
    ring.play();
    std::vector<std::int16_t> out(2 * 44100);
    mixer.render(out.data(), 44100);
    int crossings = 0;
    for (int k = 1; k < 44100; ++k)
        if ((out[2 * k - 2] < 0) != (out[2 * k] < 0)) ++crossings;
    EXPECT_NEAR(crossings, 2000, 4);
}

TEST(Mixer, StoppedAndRemovedRingsAreSilentAndSumsClamp) {
    SoundRing loud1(1, 44100, 44100 * 2), loud2(1, 44100, 44100 * 2), quiet(1, 44100, 44100 * 2);
    writeFrames(loud1, std::vector<std::int16_t>(44100, 30000));
    writeFrames(loud2, std::vector<std::int16_t>(44100, 30000));
    writeFrames(quiet, std::vector<std::int16_t>(44100, 5));
    SoundMixer mixer(44100);
    mixer.add(&loud1);
    mixer.add(&loud2);
    mixer.add(&quiet);
    loud1.play();
    loud2.play();
    std::vector<std::int16_t> out(2 * 64);
    mixer.render(out.data(), 64);
    EXPECT_EQ(out[10], 32767);
    loud2.stop();
    mixer.remove(&loud1);
    quiet.play();
    mixer.render(out.data(), 64);
    EXPECT_EQ(out[10], 5);
    EXPECT_EQ(out[11], 5);
    std::uint32_t pos = 0;
    loud2.getCurrentPosition(pos);
    EXPECT_EQ(pos, 66u * 2u); // a stopped ring keeps its place
}

// An idle ring holds no samples: none before its first write, none after release() once it has
// stopped; a playing ring keeps them. Released, it mixes silence and the next write starts from
// a silent ring.
TEST(SoundRingRelease, OnlyAStoppedRingGivesItsSamplesBack) {
    SoundRing ring(1, 1000, 200);
    EXPECT_FALSE(ring.holdsSamples());
    writeFrames(ring, std::vector<std::int16_t>(100, 7));
    EXPECT_TRUE(ring.holdsSamples());
    SoundMixer mixer(1000);
    mixer.add(&ring);
    ring.play();
    ring.release();
    EXPECT_TRUE(ring.holdsSamples()) << "a playing ring is being read";
    std::vector<std::int16_t> out(2 * 4);
    mixer.render(out.data(), 4);
    EXPECT_EQ(out[2], 7);

    ring.stop();
    ring.release();
    EXPECT_FALSE(ring.holdsSamples());
    ring.play();
    mixer.render(out.data(), 4);
    EXPECT_EQ(out, std::vector<std::int16_t>(8, 0));
    ring.stop();
    std::uint8_t* half = ring.lock(0, 100);
    ASSERT_NE(half, nullptr);
    EXPECT_EQ(std::vector<std::uint8_t>(half, half + 100), std::vector<std::uint8_t>(100, 0));
    ring.unlock();
    EXPECT_TRUE(ring.holdsSamples());
    mixer.remove(&ring);
}

TEST(SoundRingLock, RejectsRangesOutsideTheRing) {
    SoundRing ring(2, 1000, 4000);
    EXPECT_EQ(ring.bufferBytes(), 4000u);
    EXPECT_NE(ring.lock(2000, 2000), nullptr);
    ring.unlock();
    EXPECT_EQ(ring.lock(2001, 2000), nullptr);
    EXPECT_EQ(ring.lock(0xFFFFFFF0u, 0x20), nullptr);
}

TEST(SoundRingLock, WritesReachTheMixerAtUnlockAndUnwrittenBytesStay) {
    SoundRing ring(1, 1000, 200);
    writeFrames(ring, std::vector<std::int16_t>(100, 7));
    SoundMixer mixer(1000);
    mixer.add(&ring);
    ring.play();
    auto* p = reinterpret_cast<std::int16_t*>(ring.lock(0, 200));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p[0], 7) << "the locked range starts with what the ring holds";
    for (int i = 0; i < 50; ++i) p[i] = 300; // the first half only
    std::vector<std::int16_t> out(2 * 10);
    mixer.render(out.data(), 10);
    EXPECT_EQ(out[4], 7) << "nothing written shows before unlock";
    ring.unlock();
    ring.setCurrentPosition(0);
    mixer.render(out.data(), 10);
    EXPECT_EQ(out[4], 300);
    ring.setCurrentPosition(120);
    mixer.render(out.data(), 10);
    EXPECT_EQ(out[4], 7) << "the bytes left alone keep their samples";
    mixer.remove(&ring);
}

// A writer refilling the ring while the mixer plays it: every render sees one whole version of
// the ring (after the frames the resampler carries over), never a half-written one. Under
// ThreadSanitizer this is also the race check of the ring.
TEST(SoundRingLock, MixerNeverSeesAHalfWrittenRange) {
    constexpr int kFrames = 4000;
    SoundRing ring(1, 8000, kFrames * 2);
    SoundMixer mixer(8000);
    mixer.add(&ring);
    ring.play();
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (std::int16_t version = 1; version <= 200; ++version) {
            auto* p = reinterpret_cast<std::int16_t*>(ring.lock(0, kFrames * 2));
            for (int i = 0; i < kFrames; ++i) p[i] = version;
            ring.unlock();
        }
        done = true;
    });
    std::vector<std::int16_t> out(2 * 256);
    int torn = 0;
    while (!done) {
        mixer.render(out.data(), 256);
        // Frames 0 and 1 were read ahead by the previous render.
        for (int i = 3; i < 256; ++i)
            if (out[2 * i] != out[4]) ++torn;
    }
    writer.join();
    mixer.remove(&ring);
    EXPECT_EQ(torn, 0);
}
