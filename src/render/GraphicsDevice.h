#pragma once
// The graphics device layer: the texture table (each texture with a system-memory copy of its
// texels), the one drawing primitive, the drawing origin and viewport clip, the frame protocol,
// and recovery from a lost device and from exhausted texture memory.

#include "render/RenderBackend.h"
#include "render/TextureTypes.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class GraphicsDevice {
public:
    using Viewport = ::Viewport;
    using TexelFill =
        std::function<void(std::uint8_t* texels, int pitch, int zero, int imageHeight)>;

    GraphicsDevice();
    virtual ~GraphicsDevice();
    GraphicsDevice(const GraphicsDevice&) = delete;
    GraphicsDevice& operator=(const GraphicsDevice&) = delete;

    // Takes the rendering back end (already bound to the window) and starts the frame clock.
    void attachBackend(std::unique_ptr<render::RenderBackend> backend);
    render::RenderBackend* backend() { return backend_.get(); }

    // --- texture table ---
    TextureHandle invalidHandle() const { return static_cast<TextureHandle>(table_.size()); }
    std::uint32_t handleCount() const { return static_cast<std::uint32_t>(table_.size()); }
    // The entry of a live handle; an empty entry for the invalid handle or a freed slot.
    const TextureEntry& entry(TextureHandle handle) const;
    // The image rectangle of a live handle. A picture whose size is known without its texels (one
    // given back while no screen showed it) is not decoded for it: a screen being built then
    // decodes its pictures when they are first drawn, after the screen it replaces is gone.
    RECT imageRect(TextureHandle handle) const;
    bool isLive(TextureHandle handle) const;

    // Rebuilds a texture released by device loss or eviction from its texel copy.
    void restoreTexture(TextureHandle handle);
    // Locks the texture and lets fill write its texels (pitch in bytes, third argument 0).
    void fillTexture(TextureHandle handle, const TexelFill& fill);
    // Makes the texel copy again from the texture's current texels.
    void takeTexelCopy(TextureHandle handle);

    // --- drawing ---
    // Draws src of the image (whole image when null) into dest moved by the origin, colour
    // modulated by argb and turned by angle radians (clockwise on screen) about dest's centre.
    void drawTexture(TextureHandle handle, const RECT& dest, const RECT* src, std::uint32_t argb,
                     float angle);
    Viewport getViewport() const { return viewport_; }
    void setViewport(const Viewport& viewport);

    int originX = 0;
    int originY = 0;

    // --- frame protocol ---
    bool isDeviceLost();
    bool restoreDevice();
    void clear(std::uint32_t argb);
    // A frame may redraw part of the picture when the device keeps it between frames.
    bool keepsPicture() const { return backend_ && !deviceLost_ && backend_->keepsPicture(); }
    // One colour over `area` (screen coordinates), for a frame that redraws only that part.
    void clearArea(const RECT& area, std::uint32_t argb);
    void beginScene();
    void endScene();
    void present();
    void countFrame() { ++frameCount; }
    // Render passes since start-up, including those that found nothing to redraw.
    std::uint32_t frameCount = 0;
    // Frames per second since start-up in whole numbers; 0 when no time has passed.
    std::uint32_t frameRate() const;
    // frames * 1000 / elapsedMs in unsigned 32-bit arithmetic, truncating.
    static std::uint32_t frameRate(std::uint32_t frames, std::uint32_t elapsedMs);
    // Writes "FPS: N\n" to standard error.
    void reportFrameRate() const;

    // --- test hooks ---
    void simulateDeviceLoss();
    bool readPixels(const RECT& area, std::vector<std::uint32_t>& argbOut);

protected:
    // A new slot, last freed first reused; the entry is stored in it.
    TextureHandle allocateHandle(std::unique_ptr<TextureEntry> entry);
    // Releases the device texture, frees the entry and pushes the handle on the free stack.
    void freeHandle(TextureHandle handle);
    TextureEntry* mutableEntry(TextureHandle handle);
    // Gives an entry registered ahead of its first use its texels (and, on a usable device, its
    // device texture). Called on the entry's first read; the registry of names knows how.
    virtual void decodeDeferred(TextureEntry& /*entry*/) {}
    // The entry, decoded if it was registered ahead of use; null for the invalid handle.
    TextureEntry* usableEntry(TextureHandle handle);

    // A device texture of the given size. When memory runs out, device textures of
    // other entries (not named `owner`) are released one at a time, lowest handle first, and the
    // creation is tried again. Null when nothing more can be released or the device is lost.
    render::DeviceTexture* createDeviceTexture(int width, int height, PixelFormat format,
                                               const std::wstring& owner);
    // Copies `rows` rows of the texel copy into the entry's device texture.
    bool uploadTexels(TextureEntry& entry, int rows);
    // Zeroes the whole device texture of an entry that keeps no texel copy.
    bool blankDeviceTexture(TextureEntry& entry);
    void releaseDeviceTexture(TextureEntry& entry);
    void releaseAllTextures();

private:
    void applyViewport();

    std::unique_ptr<render::RenderBackend> backend_;
    std::vector<std::unique_ptr<TextureEntry>> table_;
    std::vector<TextureHandle> freeHandles_;
    bool deviceLost_ = false;
    Viewport viewport_{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, 0.0f, 1.0f};
    std::chrono::steady_clock::time_point startTime_;
};
