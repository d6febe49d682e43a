#pragma once
// Mixes every playing sound ring into the device's stereo output. Each ring keeps its own rate
// and channel count and is resampled while it is mixed, so every sound plays at its own pitch.

#include <cstdint>
#include <mutex>
#include <vector>

class SoundRing;

class SoundMixer {
public:
    explicit SoundMixer(int outRate);

    int outRate() const { return outRate_; }
    void add(SoundRing* ring);
    // After this returns the mixer no longer reads the ring.
    void remove(SoundRing* ring);

    // Fills `frames` interleaved stereo frames: the sum of all playing rings, clamped.
    void render(std::int16_t* out, int frames);
    // True while any ring is playing.
    bool anyPlaying();

private:
    const int outRate_;
    std::mutex mutex_;
    std::vector<SoundRing*> rings_;
    std::vector<std::int32_t> accumulator_;
};
