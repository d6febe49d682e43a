#pragma once
// The device layer's back end on an SDL renderer: ARGB8888/RGB888 streaming textures, one
// SDL_RenderGeometry call per quad, the clip rectangle, and device resets noticed through an
// event watch.

#include "render/RenderBackend.h"

#include <SDL.h>
#include <atomic>
#include <cstddef>

namespace render {

class DeviceTexture {
public:
    SDL_Texture* sdl = nullptr;
    std::size_t bytes = 0;
    SDL_ScaleMode scaleMode = SDL_ScaleModeNearest;
    // The colour and alpha modulation last set on the texture, so that a copy sets them only
    // when they change.
    std::uint32_t modulation = 0xFFFFFFFF;
};

} // namespace render

namespace platform {

class SdlRenderBackend final : public render::RenderBackend {
public:
    // Takes an existing renderer for window (or makes one when null).
    explicit SdlRenderBackend(SDL_Window* window);
    ~SdlRenderBackend() override;
    SdlRenderBackend(const SdlRenderBackend&) = delete;
    SdlRenderBackend& operator=(const SdlRenderBackend&) = delete;

    bool valid() const { return renderer_ != nullptr; }
    SDL_Renderer* renderer() const { return renderer_; }

    render::DeviceTexture* createTexture(int width, int height, PixelFormat format) override;
    void destroyTexture(render::DeviceTexture* texture) override;
    bool lockTexture(render::DeviceTexture* texture, std::uint8_t*& texels, int& pitch) override;
    void unlockTexture(render::DeviceTexture* texture) override;
    void drawQuad(render::DeviceTexture* texture, const render::QuadVertex (&corners)[4],
                  render::TextureFilter filter) override;
    void setClip(const RECT* clip) override;
    void clear(std::uint32_t argb) override;
    void present() override;
    bool keepsPicture() const override;
    void fillArea(const RECT& area, std::uint32_t argb) override;
    bool deviceLost() const override { return lost_.load(); }
    bool recreate() override;
    void simulateDeviceLoss() override;
    void limitTextureMemory(std::size_t bytes) override { memoryCap_ = bytes; }
    bool readPixels(const RECT& area, std::vector<std::uint32_t>& argbOut) override;

private:
    static int SDLCALL watchEvents(void* self, SDL_Event* event);
    bool makeRenderer();
    void outputSize(int& width, int& height) const;
    // An upright, evenly coloured quad drawn as a copy; false when it is not one.
    bool drawAsCopy(render::DeviceTexture* texture, const render::QuadVertex (&corners)[4]);
    // The colour and alpha modulation on the texture, set only when it changes.
    void setModulation(render::DeviceTexture* texture, std::uint32_t argb);

    // The software renderer draws straight into the window's surface, which keeps its picture
    // from one present to the next; an accelerated one swaps buffers of undefined content.
    bool software_ = false;
    // The output size of the last present: a window that changed size has a new surface.
    int presentedWidth_ = 0;
    int presentedHeight_ = 0;
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    std::atomic<bool> lost_{false};
    std::size_t memoryCap_ = 0;
    std::size_t memoryUsed_ = 0;
};

} // namespace platform
