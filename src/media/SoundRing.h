#pragma once
// The looping sound buffer of one stream: a ring of 16-bit samples in the stream's own format
// whose play position the mixer advances while it plays. The stream's worker writes the half the
// play position is not in, the way it wrote a two-half secondary buffer.

#include <cstdint>
#include <mutex>
#include <vector>

class SoundRing {
public:
    // A ring of `bufferBytes` bytes (a whole number of frames) of `channels` (1 or 2) channels.
    SoundRing(int channels, int rate, std::uint32_t bufferBytes);
    SoundRing(const SoundRing&) = delete;
    SoundRing& operator=(const SoundRing&) = delete;

    int channels() const { return channels_; }
    int rate() const { return rate_; }
    int blockBytes() const { return channels_ * 2; }
    std::uint32_t bufferBytes() const { return frames_ * static_cast<std::uint32_t>(blockBytes()); }

    // Starts or stops consumption; the ring always loops.
    void play();
    void stop();
    // Gives the samples back while the ring is stopped and nothing writes it (an idle sound holds
    // no second of audio); the next write or play() starts from a silent ring. Nothing while it
    // plays.
    void release();
    bool holdsSamples() const;
    bool isPlaying() const;
    // Byte offset of the next frame the mixer will read.
    bool getCurrentPosition(std::uint32_t& playBytes) const;
    void setCurrentPosition(std::uint32_t playBytes);

    // Write access to [offset, offset + bytes), filled with what the ring holds there; null when
    // the range is outside the ring. The caller writes into a staging copy without holding any
    // lock of the ring, so the mixer never reads memory being written; unlock copies the staging
    // bytes into the ring under the ring's mutex. One writer at a time (the stream's main thread
    // before it starts the worker, then the worker).
    std::uint8_t* lock(std::uint32_t offset, std::uint32_t bytes);
    void unlock();

    // Adds `frames` stereo frames at `outRate` Hz to `acc` (interleaved L, R) when playing,
    // resampling linearly from the ring's own rate and advancing the play position.
    void mixInto(std::int32_t* acc, int frames, int outRate);

private:
    void readFrame(std::int32_t* frame);
    // A silent ring's worth of samples unless it has them; under mutex_.
    void allocateSamples();

    const int channels_;
    const int rate_;
    const std::uint32_t frames_;

    // The writer's side: the range taken by lock() and its bytes until unlock().
    std::vector<std::uint8_t> staging_;
    std::uint32_t stagedOffset_ = 0;
    bool staged_ = false;

    // The mixer's side, under mutex_ from here on. Empty until the first write or play() and
    // after release().
    std::vector<std::int16_t> samples_;

    mutable std::mutex mutex_;
    std::uint32_t position_ = 0; // frame index of the next frame to read
    bool playing_ = false;
    // Resampler state: output lies between `prev_` and `next_`, `fraction_` of the way (1 << 32).
    bool primed_ = false;
    std::int32_t prev_[2] = {0, 0};
    std::int32_t next_[2] = {0, 0};
    std::uint64_t fraction_ = 0;
};
