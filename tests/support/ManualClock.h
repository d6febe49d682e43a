#pragma once
// The test clock: timers, fades, dwell waits, labels and the task generator's seed run on it, so a
// whole exercise run takes milliseconds in a test and comes out the same every time.

#include <cstdint>

#include "platform/Clock.h"

namespace platform {

// A clock that moves only when told to; its counter runs at 1 MHz.
class ManualClock final : public Clock {
public:
    explicit ManualClock(std::uint64_t startMs = 1000) : micros_(startMs * 1000) {}
    std::uint64_t performanceCounter() const override { return micros_; }
    std::uint64_t performanceFrequency() const override { return 1'000'000; }
    std::uint32_t milliseconds() const override { return static_cast<std::uint32_t>(micros_ / 1000); }
    void advanceMs(std::uint64_t ms) { micros_ += ms * 1000; }
    void advanceMicros(std::uint64_t us) { micros_ += us; }

private:
    std::uint64_t micros_;
};

} // namespace platform
