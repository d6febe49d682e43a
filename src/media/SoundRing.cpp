#include "media/SoundRing.h"

#include <algorithm>

SoundRing::SoundRing(int channels, int rate, std::uint32_t bufferBytes)
    : channels_(channels == 1 ? 1 : 2), rate_(rate > 0 ? rate : 1),
      frames_(std::max<std::uint32_t>(1, bufferBytes / static_cast<std::uint32_t>(channels_ * 2))) {}

void SoundRing::play() {
    std::lock_guard<std::mutex> guard(mutex_);
    allocateSamples();
    playing_ = true;
}

void SoundRing::allocateSamples() {
    if (samples_.empty()) samples_.assign(static_cast<std::size_t>(frames_) * channels_, 0);
}

void SoundRing::stop() {
    std::lock_guard<std::mutex> guard(mutex_);
    playing_ = false;
}

void SoundRing::release() {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (playing_) return;
        std::vector<std::int16_t>().swap(samples_);
        primed_ = false;
    }
    std::vector<std::uint8_t>().swap(staging_);
}

bool SoundRing::holdsSamples() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return !samples_.empty();
}

bool SoundRing::isPlaying() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return playing_;
}

bool SoundRing::getCurrentPosition(std::uint32_t& playBytes) const {
    std::lock_guard<std::mutex> guard(mutex_);
    playBytes = position_ * static_cast<std::uint32_t>(blockBytes());
    return true;
}

void SoundRing::setCurrentPosition(std::uint32_t playBytes) {
    std::lock_guard<std::mutex> guard(mutex_);
    position_ = (playBytes / static_cast<std::uint32_t>(blockBytes())) % frames_;
    primed_ = false;
}

std::uint8_t* SoundRing::lock(std::uint32_t offset, std::uint32_t bytes) {
    const std::uint64_t end = static_cast<std::uint64_t>(offset) + bytes;
    if (end > bufferBytes()) return nullptr;
    staging_.resize(bytes);
    stagedOffset_ = offset;
    staged_ = true;
    std::lock_guard<std::mutex> guard(mutex_);
    allocateSamples();
    const auto* ring = reinterpret_cast<const std::uint8_t*>(samples_.data());
    std::copy_n(ring + offset, bytes, staging_.begin());
    return staging_.data();
}

void SoundRing::unlock() {
    if (!staged_) return;
    staged_ = false;
    // A half is a fraction of a megabyte: the copy holds the mixer up for microseconds.
    std::lock_guard<std::mutex> guard(mutex_);
    auto* ring = reinterpret_cast<std::uint8_t*>(samples_.data());
    std::copy(staging_.begin(), staging_.end(), ring + stagedOffset_);
}

void SoundRing::readFrame(std::int32_t* frame) {
    const std::int16_t* s = samples_.data() + static_cast<std::size_t>(position_) * channels_;
    frame[0] = s[0];
    frame[1] = channels_ == 2 ? s[1] : s[0];
    if (++position_ == frames_) position_ = 0;
}

void SoundRing::mixInto(std::int32_t* acc, int frames, int outRate) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (!playing_ || outRate <= 0) return;
    const std::uint64_t step = (static_cast<std::uint64_t>(rate_) << 32) / static_cast<std::uint64_t>(outRate);
    constexpr std::uint64_t one = std::uint64_t{1} << 32;
    if (!primed_) {
        readFrame(prev_);
        readFrame(next_);
        fraction_ = 0;
        primed_ = true;
    }
    for (int i = 0; i < frames; ++i) {
        for (int c = 0; c < 2; ++c) {
            const std::int64_t delta = static_cast<std::int64_t>(next_[c] - prev_[c]);
            acc[2 * i + c] += prev_[c] + static_cast<std::int32_t>(
                                             (delta * static_cast<std::int64_t>(fraction_)) >> 32);
        }
        fraction_ += step;
        while (fraction_ >= one) {
            fraction_ -= one;
            prev_[0] = next_[0];
            prev_[1] = next_[1];
            readFrame(next_);
        }
    }
}
