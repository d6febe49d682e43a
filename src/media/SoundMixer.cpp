#include "media/SoundMixer.h"

#include <algorithm>

#include "media/SoundRing.h"

SoundMixer::SoundMixer(int outRate) : outRate_(outRate) { accumulator_.reserve(2 * 8192); }

void SoundMixer::add(SoundRing* ring) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (std::find(rings_.begin(), rings_.end(), ring) == rings_.end()) rings_.push_back(ring);
}

void SoundMixer::remove(SoundRing* ring) {
    std::lock_guard<std::mutex> guard(mutex_);
    rings_.erase(std::remove(rings_.begin(), rings_.end(), ring), rings_.end());
}

bool SoundMixer::anyPlaying() {
    std::lock_guard<std::mutex> guard(mutex_);
    return std::any_of(rings_.begin(), rings_.end(), [](SoundRing* ring) { return ring->isPlaying(); });
}

void SoundMixer::render(std::int16_t* out, int frames) {
    if (frames <= 0) return;
    std::lock_guard<std::mutex> guard(mutex_);
    const auto samples = static_cast<std::size_t>(frames) * 2;
    accumulator_.assign(samples, 0);
    for (SoundRing* ring : rings_) ring->mixInto(accumulator_.data(), frames, outRate_);
    for (std::size_t i = 0; i < samples; ++i)
        out[i] = static_cast<std::int16_t>(std::clamp<std::int32_t>(accumulator_[i], -32768, 32767));
}
