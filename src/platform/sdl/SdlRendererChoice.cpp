#include "platform/sdl/SdlRendererChoice.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

namespace platform {

namespace {

std::string lowerCase(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// Without a DRM render node or a vendor device node there is no GPU to find, and probing would
// only load the software rasteriser to learn that.
bool mayHaveGpu() {
    if (const char* forced = std::getenv("LIBGL_ALWAYS_SOFTWARE"); forced && *forced && *forced != '0')
        return false;
    const char* video = SDL_GetCurrentVideoDriver();
    if (video && (std::strcmp(video, "offscreen") == 0 || std::strcmp(video, "dummy") == 0))
        return false;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/dri", error))
        if (entry.path().filename().string().starts_with("renderD")) return true;
    return std::filesystem::exists("/dev/nvidia0", error);
}

using GetString = const unsigned char* (*)(unsigned int);
constexpr unsigned int kGlRenderer = 0x1F01;

// The accelerated renderer when it runs on a GPU; null (and nothing left behind) otherwise.
SDL_Renderer* createGpuRenderer(SDL_Window* window) {
    SDL_Renderer* renderer =
        SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
    if (!renderer) return nullptr;
    SDL_RendererInfo info{};
    SDL_GetRendererInfo(renderer, &info);
    // The OpenGL renderers leave their context current; others (none on this platform today)
    // are trusted to be what they say.
    if (info.name && std::strncmp(info.name, "opengl", 6) == 0) {
        auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
        const unsigned char* name = getString ? getString(kGlRenderer) : nullptr;
        if (!name || isSoftwareRasterizer(reinterpret_cast<const char*>(name))) {
            SDL_DestroyRenderer(renderer);
            return nullptr;
        }
    }
    return renderer;
}

SDL_Renderer* createSoftwareRenderer(SDL_Window* window) {
    // Otherwise SDL presents the software renderer's surface through OpenGL all the same.
    SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_DEFAULT);
    return SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
}

} // namespace

bool isSoftwareRasterizer(std::string_view glRenderer) {
    static constexpr std::array<std::string_view, 5> kCpuRasterizers = {
        "llvmpipe", "softpipe", "swrast", "software rasterizer", "lavapipe"};
    const std::string name = lowerCase(glRenderer);
    return std::any_of(kCpuRasterizers.begin(), kCpuRasterizers.end(),
                       [&name](std::string_view cpu) { return name.find(cpu) != std::string::npos; });
}

SDL_Renderer* createPreferredRenderer(SDL_Window* window) {
    if (const char* named = SDL_GetHint(SDL_HINT_RENDER_DRIVER); named && *named) {
        if (std::strcmp(named, "software") == 0)
            SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_DEFAULT);
        if (SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, 0)) return renderer;
    }
    if (mayHaveGpu())
        if (SDL_Renderer* renderer = createGpuRenderer(window)) return renderer;
    return createSoftwareRenderer(window);
}

} // namespace platform
