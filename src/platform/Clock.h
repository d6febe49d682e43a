#pragma once
// Time sources behind one interface, so that timers, fades and sound labels can run on a clock a
// test drives.

#include <cstdint>

namespace platform {

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::uint64_t performanceCounter() const = 0;
    virtual std::uint64_t performanceFrequency() const = 0;
    virtual std::uint32_t milliseconds() const = 0; // since an arbitrary start, wraps like timeGetTime
};

// The clock everything reads. Defaults to the real clock; a test may install its own (and must
// put back the previous one).
Clock& clock();
Clock* setClock(Clock* clock); // returns the previous one; null restores the real clock

class SystemClock final : public Clock {
public:
    std::uint64_t performanceCounter() const override;
    std::uint64_t performanceFrequency() const override;
    std::uint32_t milliseconds() const override;
};

// Installs a clock for the lifetime of the object.
class ScopedClock {
public:
    explicit ScopedClock(Clock& c) : previous_(setClock(&c)) {}
    ~ScopedClock() { setClock(previous_); }
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;

private:
    Clock* previous_;
};

} // namespace platform
