#include "platform/sdl/SdlRenderDirect.h"

#include "platform/sdl/SdlRenderBackend.h"

namespace platform {

void drawQuadsWithBareSdl(render::RenderBackend& backend, render::DeviceTexture* texture,
                          std::span<const RECT> dests, float uMax, float vMax, std::uint32_t argb) {
    auto* sdlBackend = dynamic_cast<SdlRenderBackend*>(&backend);
    if (!sdlBackend || !texture)
        return;
    SDL_Renderer* renderer = sdlBackend->renderer();
    const SDL_Color colour{static_cast<Uint8>(argb >> 16), static_cast<Uint8>(argb >> 8),
                           static_cast<Uint8>(argb), static_cast<Uint8>(argb >> 24)};
    static const int fan[6] = {0, 1, 2, 0, 2, 3};
    for (const RECT& d : dests) {
        const float l = static_cast<float>(d.left), t = static_cast<float>(d.top);
        const float r = static_cast<float>(d.right), b = static_cast<float>(d.bottom);
        const SDL_Vertex vertices[4] = {{{l, t}, colour, {0.0f, 0.0f}},
                                        {{r, t}, colour, {uMax, 0.0f}},
                                        {{r, b}, colour, {uMax, vMax}},
                                        {{l, b}, colour, {0.0f, vMax}}};
        SDL_RenderGeometry(renderer, texture->sdl, vertices, 4, fan, 6);
    }
}

} // namespace platform
