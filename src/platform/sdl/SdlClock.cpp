#include <SDL.h>

#include "platform/Clock.h"

namespace platform {

namespace {
SystemClock systemClock;
Clock* current = &systemClock;
} // namespace

Clock& clock() { return *current; }

Clock* setClock(Clock* c) {
    Clock* previous = current == &systemClock ? nullptr : current;
    current = c ? c : &systemClock;
    return previous;
}

std::uint64_t SystemClock::performanceCounter() const { return SDL_GetPerformanceCounter(); }
std::uint64_t SystemClock::performanceFrequency() const { return SDL_GetPerformanceFrequency(); }
std::uint32_t SystemClock::milliseconds() const { return SDL_GetTicks(); }

} // namespace platform
