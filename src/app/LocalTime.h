#pragma once
// Wall-clock time for the statistics rows, replaceable in tests.

#include <ctime>
#include <functional>
#include <string>

// Seconds since 1970-01-01 UTC; a test may install its own source (null restores the system's).
std::time_t currentTime();
void setTimeSource(std::function<std::time_t()> source);

// "%d-%B-%Y %H:%M" in local time as the "C" locale writes it, e.g. "08-December-2026 14:05",
// whatever the process locale is.
std::wstring formatStartTime(std::time_t when);
