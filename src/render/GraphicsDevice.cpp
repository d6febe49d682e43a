#include "render/GraphicsDevice.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

const TextureEntry& emptyEntry() {
    static const TextureEntry empty;
    return empty;
}

std::uint32_t millisecondsSince(std::chrono::steady_clock::time_point start) {
    const auto elapsed = std::chrono::steady_clock::now() - start;
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

} // namespace

GraphicsDevice::GraphicsDevice() : startTime_(std::chrono::steady_clock::now()) {}

GraphicsDevice::~GraphicsDevice() {
    // Device textures go before the renderer that made them.
    for (auto& slot : table_)
        if (slot)
            releaseDeviceTexture(*slot);
    table_.clear();
    freeHandles_.clear();
    backend_.reset();
}

void GraphicsDevice::attachBackend(std::unique_ptr<render::RenderBackend> backend) {
    releaseAllTextures();
    backend_ = std::move(backend);
    deviceLost_ = false;
    frameCount = 0;
    startTime_ = std::chrono::steady_clock::now();
    applyViewport();
}

const TextureEntry& GraphicsDevice::entry(TextureHandle handle) const {
    // Decoding a deferred picture on its first read changes nothing a reader can observe.
    if (TextureEntry* e = const_cast<GraphicsDevice*>(this)->usableEntry(handle))
        return *e;
    return emptyEntry();
}

RECT GraphicsDevice::imageRect(TextureHandle handle) const {
    if (handle < table_.size() && table_[handle]) {
        const RECT known = table_[handle]->imageRect;
        if (known.right > known.left && known.bottom > known.top) return known;
    }
    return entry(handle).imageRect;
}

TextureEntry* GraphicsDevice::usableEntry(TextureHandle handle) {
    if (handle >= table_.size() || !table_[handle])
        return nullptr;
    TextureEntry* e = table_[handle].get();
    if (!e->undecodedPicture.empty())
        decodeDeferred(*e);
    return e;
}

bool GraphicsDevice::isLive(TextureHandle handle) const {
    return handle < table_.size() && table_[handle] != nullptr;
}

TextureEntry* GraphicsDevice::mutableEntry(TextureHandle handle) {
    return handle < table_.size() ? table_[handle].get() : nullptr;
}

TextureHandle GraphicsDevice::allocateHandle(std::unique_ptr<TextureEntry> newEntry) {
    if (!freeHandles_.empty()) {
        const TextureHandle handle = freeHandles_.back();
        freeHandles_.pop_back();
        table_[handle] = std::move(newEntry);
        return handle;
    }
    table_.push_back(std::move(newEntry));
    return static_cast<TextureHandle>(table_.size() - 1);
}

void GraphicsDevice::freeHandle(TextureHandle handle) {
    TextureEntry* e = mutableEntry(handle);
    if (!e)
        return;
    releaseDeviceTexture(*e);
    table_[handle].reset();
    freeHandles_.push_back(handle);
}

void GraphicsDevice::releaseDeviceTexture(TextureEntry& e) {
    if (e.texture && backend_)
        backend_->destroyTexture(e.texture);
    e.texture = nullptr;
    // An opaque picture kept no texel copy to rebuild its texture from: its file image is
    // decoded again on its next use.
    if (e.opaqueWithoutCopy) {
        e.opaqueWithoutCopy = false;
        e.undecodedPicture = e.pictureFile;
    }
}

void GraphicsDevice::releaseAllTextures() {
    for (auto& slot : table_)
        if (slot)
            releaseDeviceTexture(*slot);
}

render::DeviceTexture* GraphicsDevice::createDeviceTexture(int width, int height,
                                                           PixelFormat format,
                                                           const std::wstring& owner) {
    if (!backend_ || deviceLost_ || backend_->deviceLost())
        return nullptr;
    TextureHandle nextCandidate = 0;
    for (;;) {
        try {
            return backend_->createTexture(width, height, format);
        } catch (const std::bad_alloc&) {
            // Out of texture memory: give up the device texture of the first other live entry
            // (its texel copy brings it back on its next use) and try again. A texture that
            // keeps no copy would come back blank: it is not given up.
            TextureEntry* victim = nullptr;
            while (nextCandidate < table_.size() && !victim) {
                TextureEntry* candidate = table_[nextCandidate++].get();
                if (candidate && candidate->texture && !candidate->ownerFilled &&
                    candidate->name != owner)
                    victim = candidate;
            }
            if (!victim)
                return nullptr;
            releaseDeviceTexture(*victim);
        }
    }
}

bool GraphicsDevice::uploadTexels(TextureEntry& e, int rows) {
    std::uint8_t* texels = nullptr;
    int pitch = 0;
    if (!e.texture || !backend_->lockTexture(e.texture, texels, pitch))
        return false;
    const std::size_t rowBytes = static_cast<std::size_t>(e.textureWidth) * 4;
    rows = std::min(rows, e.textureHeight);
    for (int y = 0; y < rows; ++y)
        std::memcpy(texels + static_cast<std::size_t>(y) * static_cast<std::size_t>(pitch),
                    e.texelCopy.data() + static_cast<std::size_t>(y) * rowBytes, rowBytes);
    backend_->unlockTexture(e.texture);
    return true;
}

bool GraphicsDevice::blankDeviceTexture(TextureEntry& e) {
    std::uint8_t* texels = nullptr;
    int pitch = 0;
    if (!e.texture || !backend_->lockTexture(e.texture, texels, pitch))
        return false;
    const std::size_t rowBytes = static_cast<std::size_t>(e.textureWidth) * 4;
    for (int y = 0; y < e.textureHeight; ++y)
        std::memset(texels + static_cast<std::size_t>(y) * static_cast<std::size_t>(pitch), 0, rowBytes);
    backend_->unlockTexture(e.texture);
    return true;
}

void GraphicsDevice::restoreTexture(TextureHandle handle) {
    TextureEntry* e = usableEntry(handle);
    if (!e || e->texture || (e->texelCopy.empty() && !e->ownerFilled))
        return;
    e->texture = createDeviceTexture(e->textureWidth, e->textureHeight, e->format, e->name);
    const bool filled = e->ownerFilled ? blankDeviceTexture(*e) : uploadTexels(*e, e->textureHeight);
    if (e->texture && !filled)
        releaseDeviceTexture(*e);
}

void GraphicsDevice::fillTexture(TextureHandle handle, const TexelFill& fill) {
    TextureEntry* e = usableEntry(handle);
    if (!e || !fill)
        return;
    restoreTexture(handle);
    std::uint8_t* texels = nullptr;
    int pitch = 0;
    // A lost device's textures are about to go; writing them would lose the texels.
    if (e->texture && !isDeviceLost() && backend_->lockTexture(e->texture, texels, pitch)) {
        fill(texels, pitch, 0, e->imageRect.bottom);
        backend_->unlockTexture(e->texture);
        return;
    }
    std::fputs("Fuck!!!\n", stderr);
    std::fflush(stderr);
    // With no device texture to write (device lost), the texel copy takes the texels so that the
    // texture comes back with them rather than blank. A lock failure on a usable device leaves
    // everything as it was.
    if ((!e->texture || isDeviceLost()) && !e->texelCopy.empty())
        fill(e->texelCopy.data(), e->textureWidth * 4, 0, e->imageRect.bottom);
}

void GraphicsDevice::takeTexelCopy(TextureHandle handle) {
    TextureEntry* e = usableEntry(handle);
    if (!e || !e->texture)
        return;
    std::uint8_t* texels = nullptr;
    int pitch = 0;
    if (!backend_->lockTexture(e->texture, texels, pitch))
        return;
    const std::size_t rowBytes = static_cast<std::size_t>(e->textureWidth) * 4;
    e->texelCopy.resize(rowBytes * static_cast<std::size_t>(e->textureHeight));
    for (int y = 0; y < e->textureHeight; ++y)
        std::memcpy(e->texelCopy.data() + static_cast<std::size_t>(y) * rowBytes,
                    texels + static_cast<std::size_t>(y) * static_cast<std::size_t>(pitch),
                    rowBytes);
    backend_->unlockTexture(e->texture);
}

void GraphicsDevice::drawTexture(TextureHandle handle, const RECT& dest, const RECT* src,
                                 std::uint32_t argb, float angle) {
    TextureEntry* e = usableEntry(handle);
    if (!e || !backend_)
        return;
    if (!e->texture)
        restoreTexture(handle);
    if (!e->texture)
        return;
    if (dest.left >= dest.right || dest.top >= dest.bottom)
        return;
    if (viewport_.Width <= 0 || viewport_.Height <= 0)
        return;
    // Wholly outside the clip (a frame that redraws a small part): nothing to hand on.
    if (angle == 0.0f &&
        isRectEmpty(intersectRect(offsetRect(dest, originX, originY),
                                  RECT{viewport_.X, viewport_.Y, viewport_.X + viewport_.Width,
                                       viewport_.Y + viewport_.Height})))
        return;

    const RECT& s = src ? *src : e->imageRect;
    const float tw = static_cast<float>(e->textureWidth);
    const float th = static_cast<float>(e->textureHeight);
    const float ox = static_cast<float>(originX);
    const float oy = static_cast<float>(originY);
    const float corners[4][2] = {{float(dest.left), float(dest.top)},
                                 {float(dest.right), float(dest.top)},
                                 {float(dest.right), float(dest.bottom)},
                                 {float(dest.left), float(dest.bottom)}};
    render::QuadVertex quad[4];
    if (angle == 0.0f) {
        const float u[4] = {s.left / tw, s.right / tw, s.right / tw, s.left / tw};
        const float v[4] = {s.top / th, s.top / th, s.bottom / th, s.bottom / th};
        for (int i = 0; i < 4; ++i)
            quad[i] = {ox + corners[i][0], oy + corners[i][1], argb, u[i], v[i]};
    } else {
        // Turned on the CPU about the centre of dest; with y growing downwards a positive angle
        // turns clockwise. A turned quad always shows the image part starting at its top-left.
        const float cx = (dest.left + dest.right) * 0.5f;
        const float cy = (dest.top + dest.bottom) * 0.5f;
        const float c = std::cos(angle);
        const float sn = std::sin(angle);
        const float sw = static_cast<float>(s.right - s.left) / tw;
        const float sh = static_cast<float>(s.bottom - s.top) / th;
        const float u[4] = {0.0f, sw, sw, 0.0f};
        const float v[4] = {0.0f, 0.0f, sh, sh};
        for (int i = 0; i < 4; ++i) {
            const float dx = corners[i][0] - cx;
            const float dy = corners[i][1] - cy;
            quad[i] = {ox + cx + dx * c - dy * sn, oy + cy + dx * sn + dy * c, argb, u[i], v[i]};
        }
    }
    // Shrinking pictures are filtered linearly; pictures shown at their size or enlarged keep
    // crisp texels.
    const bool shrinks = (dest.right - dest.left) < std::abs(s.right - s.left) ||
                         (dest.bottom - dest.top) < std::abs(s.bottom - s.top);
    backend_->drawQuad(e->texture, quad,
                       shrinks ? render::TextureFilter::Linear : render::TextureFilter::Nearest);
}

void GraphicsDevice::setViewport(const Viewport& viewport) {
    viewport_ = viewport;
    applyViewport();
}

void GraphicsDevice::applyViewport() {
    if (!backend_)
        return;
    // An empty viewport draws nothing (drawTexture checks); SDL would read an empty clip as
    // "no clip", so the backend is only told about non-empty ones.
    if (viewport_.Width <= 0 || viewport_.Height <= 0)
        return;
    const RECT clip{viewport_.X, viewport_.Y, viewport_.X + viewport_.Width,
                    viewport_.Y + viewport_.Height};
    backend_->setClip(&clip);
}

bool GraphicsDevice::isDeviceLost() {
    if (deviceLost_)
        return true;
    if (!backend_ || backend_->deviceLost())
        deviceLost_ = true;
    return deviceLost_;
}

bool GraphicsDevice::restoreDevice() {
    releaseAllTextures();
    if (isDeviceLost() && backend_) {
        deviceLost_ = !backend_->recreate();
        if (!deviceLost_)
            applyViewport();
    }
    return !deviceLost_;
}

void GraphicsDevice::clear(std::uint32_t argb) {
    if (backend_)
        backend_->clear(argb);
}

void GraphicsDevice::clearArea(const RECT& area, std::uint32_t argb) {
    if (backend_ && !isRectEmpty(area))
        backend_->fillArea(area, argb);
}

void GraphicsDevice::beginScene() {
    applyViewport();
}

void GraphicsDevice::endScene() {}

void GraphicsDevice::present() {
    if (backend_)
        backend_->present();
}

std::uint32_t GraphicsDevice::frameRate(std::uint32_t frames, std::uint32_t elapsedMs) {
    if (elapsedMs == 0)
        return 0;
    return static_cast<std::uint32_t>(frames * 1000u) / elapsedMs;
}

std::uint32_t GraphicsDevice::frameRate() const {
    return frameRate(frameCount, millisecondsSince(startTime_));
}

void GraphicsDevice::reportFrameRate() const {
    std::fprintf(stderr, "FPS: %u\n", static_cast<unsigned>(frameRate()));
    std::fflush(stderr);
}

void GraphicsDevice::simulateDeviceLoss() {
    if (backend_)
        backend_->simulateDeviceLoss();
}

bool GraphicsDevice::readPixels(const RECT& area, std::vector<std::uint32_t>& argbOut) {
    return backend_ && backend_->readPixels(area, argbOut);
}
