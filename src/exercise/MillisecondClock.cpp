#include "exercise/MillisecondClock.h"

#include <chrono>

std::uint32_t systemMilliseconds() {
    const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count();
    return static_cast<std::uint32_t>(millis);
}
