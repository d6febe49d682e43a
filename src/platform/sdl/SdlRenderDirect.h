#pragma once
// The same quads drawn with bare SDL_RenderGeometry calls, bypassing the device layer: the
// yardstick the rendering benchmark compares drawTexture against.

#include "render/RenderBackend.h"

#include <cstdint>
#include <span>

namespace platform {

// Draws the top-left uMax x vMax part of texture into each of dests, modulated by argb.
void drawQuadsWithBareSdl(render::RenderBackend& backend, render::DeviceTexture* texture,
                          std::span<const RECT> dests, float uMax, float vMax, std::uint32_t argb);

} // namespace platform
