// Every test program runs headless unless told otherwise: the offscreen video driver with the
// software renderer, the dummy audio driver, and a UTF-8 locale.

#include <cstdlib>

namespace {

struct HeadlessEnvironment {
    HeadlessEnvironment() {
        ::setenv("SDL_VIDEODRIVER", "offscreen", 0);
        ::setenv("SDL_RENDER_DRIVER", "software", 0);
        ::setenv("SDL_AUDIODRIVER", "dummy", 0);
        ::setenv("LANG", "C.UTF-8", 0);
    }
};

const HeadlessEnvironment headless;

} // namespace
