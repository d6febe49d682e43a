#pragma once
// What the device layer needs from a rendering API: textures it can lock, pre-transformed
// textured triangles with per-vertex colour, a rectangular clip, and a way to notice and recover
// from a lost device. The SDL implementation lives in platform/sdl; nothing here names SDL.

#include "render/TextureTypes.h"

#include <cstdint>
#include <vector>

namespace render {

// One corner of a quad in 800 x 600 screen coordinates; colour is ARGB (alpha in the top byte).
struct QuadVertex {
    float x = 0.0f;
    float y = 0.0f;
    std::uint32_t argb = 0xFFFFFFFF;
    float u = 0.0f;
    float v = 0.0f;
};

enum class TextureFilter { Nearest, Linear };

class RenderBackend {
public:
    virtual ~RenderBackend() = default;

    // A texture of exactly width x height texels, alpha-blended. Throws std::bad_alloc when the
    // device is out of texture memory; returns null for any other failure.
    virtual DeviceTexture* createTexture(int width, int height, PixelFormat format) = 0;
    virtual void destroyTexture(DeviceTexture* texture) = 0;
    // Write access to all texels; false when the texture cannot be locked.
    virtual bool lockTexture(DeviceTexture* texture, std::uint8_t*& texels, int& pitch) = 0;
    virtual void unlockTexture(DeviceTexture* texture) = 0;

    // Draws the fan top-left, top-right, bottom-right, bottom-left, texel colour times vertex
    // colour, blended over the target with source alpha.
    virtual void drawQuad(DeviceTexture* texture, const QuadVertex (&corners)[4],
                          TextureFilter filter) = 0;
    // Restricts drawing to clip (screen coordinates); null lifts the restriction.
    virtual void setClip(const RECT* clip) = 0;

    virtual void clear(std::uint32_t argb) = 0;
    virtual void present() = 0;
    // Whether the picture presented last is still there to draw the next frame into, so that a
    // frame may redraw only part of it.
    virtual bool keepsPicture() const { return false; }
    // Fills `area` (logical coordinates, within the clip) with one colour.
    virtual void fillArea(const RECT& area, std::uint32_t argb) = 0;

    // True once the device reported that its textures are gone.
    virtual bool deviceLost() const = 0;
    // Makes a new device for the same window; every texture must have been destroyed first.
    virtual bool recreate() = 0;

    // Test hooks: report a device reset exactly as the platform would; cap the bytes of texture
    // memory so that creation beyond it throws std::bad_alloc (0 = no cap).
    virtual void simulateDeviceLoss() = 0;
    virtual void limitTextureMemory(std::size_t bytes) = 0;
    // The rendered ARGB pixels of a screen rectangle, row by row (not yet presented frame).
    virtual bool readPixels(const RECT& area, std::vector<std::uint32_t>& argbOut) = 0;
};

} // namespace render
