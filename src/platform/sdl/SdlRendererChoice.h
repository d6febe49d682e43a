#pragma once
// Which SDL renderer draws the window. OpenGL on a software rasteriser (Mesa's llvmpipe and its
// kin) is the worst of both worlds: it maps tens of MiB of compiler, costs a sixth of a second to
// create, and draws no faster than SDL's own software renderer. So the accelerated renderer is
// used only on a real GPU.

#include <SDL.h>

#include <string_view>

namespace platform {

// True for the GL_RENDERER string of a rasteriser that runs on the CPU.
bool isSoftwareRasterizer(std::string_view glRenderer);

// A renderer for `window`, or null when none can be made. A renderer named through
// SDL_RENDER_DRIVER is honoured as it stands.
SDL_Renderer* createPreferredRenderer(SDL_Window* window);

} // namespace platform
