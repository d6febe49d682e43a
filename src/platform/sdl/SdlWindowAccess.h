#pragma once
// Platform-internal: the SDL window behind a NativeWindow.

#include <SDL.h>

#include "platform/NativeWindow.h"

namespace platform {

struct NativeWindow::Impl {
    SDL_Window* window = nullptr;
    bool windowed = false;
    int width = 0;
    int height = 0;
    // Full screen is asked of the window manager once the first picture is up (see create).
    bool fullScreenAsked = true;
};

inline SDL_Window* sdlWindowOf(NativeWindow& w) { return w.impl().window; }

// The window made last and not yet destroyed (null when none is alive). A process that makes
// several windows one after another (the tests) gets new window ids each time.
SDL_Window* liveSdlWindow();

} // namespace platform
