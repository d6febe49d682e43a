#pragma once
// A millisecond counter that the task generator seeds its random source from. The program reads
// the system's monotonic clock; tests pass a counter of their own to get repeatable tasks.

#include <cstdint>
#include <functional>

using MillisecondClock = std::function<std::uint32_t()>;

// Milliseconds on the monotonic clock, wrapping at 2^32 like a tick counter.
std::uint32_t systemMilliseconds();
