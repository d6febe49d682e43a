#include "platform/sdl/SdlRenderBackend.h"

#include "platform/sdl/SdlRenderFactory.h"
#include "platform/sdl/SdlRendererChoice.h"
#include "platform/sdl/SdlWindowAccess.h"

#include <cstring>
#include <new>

namespace platform {

namespace {

SDL_Color vertexColour(std::uint32_t argb) {
    return SDL_Color{static_cast<Uint8>(argb >> 16), static_cast<Uint8>(argb >> 8),
                     static_cast<Uint8>(argb), static_cast<Uint8>(argb >> 24)};
}

bool isOutOfMemory(const char* error) {
    return error && (std::strstr(error, "ut of memory") || std::strstr(error, "OUT_OF_MEMORY"));
}

} // namespace

SdlRenderBackend::SdlRenderBackend(SDL_Window* window) : window_(window) {
    SDL_AddEventWatch(&SdlRenderBackend::watchEvents, this);
    makeRenderer();
}

SdlRenderBackend::~SdlRenderBackend() {
    SDL_DelEventWatch(&SdlRenderBackend::watchEvents, this);
    if (renderer_)
        SDL_DestroyRenderer(renderer_);
}

int SDLCALL SdlRenderBackend::watchEvents(void* self, SDL_Event* event) {
    // Both resets invalidate device textures on some drivers; the device layer treats them alike.
    if (event->type == SDL_RENDER_DEVICE_RESET || event->type == SDL_RENDER_TARGETS_RESET)
        static_cast<SdlRenderBackend*>(self)->lost_.store(true);
    return 1;
}

bool SdlRenderBackend::makeRenderer() {
    renderer_ = createPreferredRenderer(window_);
    if (!renderer_)
        return false;
    // Every coordinate above this layer is an 800 x 600 picture coordinate; SDL scales it
    // uniformly onto the output and letterboxes the rest.
    SDL_RenderSetLogicalSize(renderer_, SCREEN_WIDTH, SCREEN_HEIGHT);
    SDL_SetRenderDrawBlendMode(renderer_, SDL_BLENDMODE_NONE);
    SDL_RendererInfo info{};
    software_ = SDL_GetRendererInfo(renderer_, &info) == 0 && (info.flags & SDL_RENDERER_SOFTWARE) != 0;
    presentedWidth_ = presentedHeight_ = 0;
    return true;
}

void SdlRenderBackend::outputSize(int& width, int& height) const {
    width = height = 0;
    if (renderer_) SDL_GetRendererOutputSize(renderer_, &width, &height);
}

render::DeviceTexture* SdlRenderBackend::createTexture(int width, int height, PixelFormat format) {
    if (!renderer_ || width <= 0 || height <= 0)
        return nullptr;
    const std::size_t bytes =
        static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
    if (memoryCap_ != 0 && memoryUsed_ + bytes > memoryCap_)
        throw std::bad_alloc();
    const Uint32 sdlFormat =
        format == PixelFormat::ARGB ? SDL_PIXELFORMAT_ARGB8888 : SDL_PIXELFORMAT_RGB888;
    SDL_ClearError();
    SDL_Texture* sdl =
        SDL_CreateTexture(renderer_, sdlFormat, SDL_TEXTUREACCESS_STREAMING, width, height);
    if (!sdl) {
        if (isOutOfMemory(SDL_GetError()))
            throw std::bad_alloc();
        return nullptr;
    }
    SDL_SetTextureBlendMode(sdl, SDL_BLENDMODE_BLEND);
    SDL_SetTextureScaleMode(sdl, SDL_ScaleModeNearest);
    auto* texture = new render::DeviceTexture{sdl, bytes, SDL_ScaleModeNearest};
    memoryUsed_ += bytes;
    return texture;
}

void SdlRenderBackend::destroyTexture(render::DeviceTexture* texture) {
    if (!texture)
        return;
    memoryUsed_ -= texture->bytes;
    SDL_DestroyTexture(texture->sdl);
    delete texture;
}

bool SdlRenderBackend::lockTexture(render::DeviceTexture* texture, std::uint8_t*& texels,
                                   int& pitch) {
    void* pixels = nullptr;
    if (!texture || SDL_LockTexture(texture->sdl, nullptr, &pixels, &pitch) != 0)
        return false;
    texels = static_cast<std::uint8_t*>(pixels);
    return true;
}

void SdlRenderBackend::unlockTexture(render::DeviceTexture* texture) {
    if (texture)
        SDL_UnlockTexture(texture->sdl);
}

void SdlRenderBackend::drawQuad(render::DeviceTexture* texture,
                                const render::QuadVertex (&corners)[4],
                                render::TextureFilter filter) {
    if (!renderer_ || !texture)
        return;
    const SDL_ScaleMode mode =
        filter == render::TextureFilter::Linear ? SDL_ScaleModeLinear : SDL_ScaleModeNearest;
    if (texture->scaleMode != mode) {
        SDL_SetTextureScaleMode(texture->sdl, mode);
        texture->scaleMode = mode;
    }
    if (drawAsCopy(texture, corners))
        return;
    // Geometry carries its colour in its vertices; a modulation a copy left on the texture
    // would apply twice.
    setModulation(texture, 0xFFFFFFFF);
    SDL_Vertex vertices[4];
    for (int i = 0; i < 4; ++i) {
        vertices[i].position = SDL_FPoint{corners[i].x, corners[i].y};
        vertices[i].color = vertexColour(corners[i].argb);
        vertices[i].tex_coord = SDL_FPoint{corners[i].u, corners[i].v};
    }
    static const int fan[6] = {0, 1, 2, 0, 2, 3};
    SDL_RenderGeometry(renderer_, texture->sdl, vertices, 4, fan, 6);
}

void SdlRenderBackend::setModulation(render::DeviceTexture* texture, std::uint32_t argb) {
    if (texture->modulation == argb)
        return;
    const SDL_Color c = vertexColour(argb);
    SDL_SetTextureColorMod(texture->sdl, c.r, c.g, c.b);
    SDL_SetTextureAlphaMod(texture->sdl, c.a);
    texture->modulation = argb;
}

bool SdlRenderBackend::drawAsCopy(render::DeviceTexture* texture,
                                  const render::QuadVertex (&q)[4]) {
    // An upright rectangle in one colour is a plain copy, which the software renderer blits
    // several times faster than it fills the same two triangles; turned quads stay geometry.
    const bool upright = q[0].y == q[1].y && q[1].x == q[2].x && q[2].y == q[3].y &&
                         q[3].x == q[0].x && q[0].x < q[1].x && q[0].y < q[3].y &&
                         q[0].u == q[3].u && q[1].u == q[2].u && q[0].v == q[1].v &&
                         q[2].v == q[3].v && q[0].u <= q[1].u && q[0].v <= q[3].v;
    const std::uint32_t argb = q[0].argb;
    if (!upright || q[1].argb != argb || q[2].argb != argb || q[3].argb != argb)
        return false;
    int width = 0;
    int height = 0;
    if (SDL_QueryTexture(texture->sdl, nullptr, nullptr, &width, &height) != 0)
        return false;
    const float left = q[0].u * static_cast<float>(width);
    const float top = q[0].v * static_cast<float>(height);
    const SDL_Rect source{static_cast<int>(left + 0.5f), static_cast<int>(top + 0.5f),
                          static_cast<int>(q[1].u * static_cast<float>(width) - left + 0.5f),
                          static_cast<int>(q[3].v * static_cast<float>(height) - top + 0.5f)};
    if (source.w <= 0 || source.h <= 0)
        return true;
    setModulation(texture, argb);
    const SDL_FRect dest{q[0].x, q[0].y, q[1].x - q[0].x, q[3].y - q[0].y};
    return SDL_RenderCopyF(renderer_, texture->sdl, &source, &dest) == 0;
}

void SdlRenderBackend::setClip(const RECT* clip) {
    if (!renderer_)
        return;
    if (!clip) {
        SDL_RenderSetClipRect(renderer_, nullptr);
        return;
    }
    const SDL_Rect rect{clip->left, clip->top, clip->right - clip->left, clip->bottom - clip->top};
    SDL_RenderSetClipRect(renderer_, &rect);
}

void SdlRenderBackend::clear(std::uint32_t argb) {
    if (!renderer_)
        return;
    const SDL_Color c = vertexColour(argb);
    SDL_SetRenderDrawColor(renderer_, c.r, c.g, c.b, c.a);
    SDL_RenderClear(renderer_);
}

void SdlRenderBackend::present() {
    if (!renderer_)
        return;
    SDL_RenderPresent(renderer_);
    outputSize(presentedWidth_, presentedHeight_);
}

bool SdlRenderBackend::keepsPicture() const {
    if (!software_ || presentedWidth_ == 0) return false;
    int width = 0;
    int height = 0;
    outputSize(width, height);
    return width == presentedWidth_ && height == presentedHeight_;
}

void SdlRenderBackend::fillArea(const RECT& area, std::uint32_t argb) {
    if (!renderer_)
        return;
    const SDL_Color c = vertexColour(argb);
    SDL_SetRenderDrawColor(renderer_, c.r, c.g, c.b, c.a);
    const SDL_Rect rect{area.left, area.top, area.right - area.left, area.bottom - area.top};
    SDL_RenderFillRect(renderer_, &rect);
}

bool SdlRenderBackend::recreate() {
    if (renderer_)
        SDL_DestroyRenderer(renderer_);
    renderer_ = nullptr;
    memoryUsed_ = 0;
    lost_.store(false);
    if (makeRenderer())
        return true;
    lost_.store(true);
    return false;
}

void SdlRenderBackend::simulateDeviceLoss() {
    SDL_Event event{};
    event.type = SDL_RENDER_DEVICE_RESET;
    // Pushing runs the event watch just as a real reset does; without an event queue, say it
    // directly.
    if (SDL_PushEvent(&event) != 1)
        lost_.store(true);
}

bool SdlRenderBackend::readPixels(const RECT& area, std::vector<std::uint32_t>& argbOut) {
    if (!renderer_ || area.right <= area.left || area.bottom <= area.top)
        return false;
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    argbOut.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    // Each logical pixel is read where the letterboxed picture puts its centre.
    int outputW = 0;
    int outputH = 0;
    if (SDL_GetRendererOutputSize(renderer_, &outputW, &outputH) != 0)
        return false;
    std::vector<std::uint32_t> output(static_cast<std::size_t>(outputW) *
                                      static_cast<std::size_t>(outputH));
    const SDL_Rect whole{0, 0, outputW, outputH};
    SDL_Rect clip{};
    const bool clipped = SDL_RenderIsClipEnabled(renderer_) == SDL_TRUE;
    if (clipped)
        SDL_RenderGetClipRect(renderer_, &clip);
    SDL_RenderSetClipRect(renderer_, nullptr);
    float scaleX = 1.0f;
    float scaleY = 1.0f;
    SDL_RenderGetScale(renderer_, &scaleX, &scaleY);
    SDL_Rect viewport{};
    SDL_RenderGetViewport(renderer_, &viewport);
    // Reading uses output coordinates: drop the logical scale for the read, then restore it.
    int logicalW = 0;
    int logicalH = 0;
    SDL_RenderGetLogicalSize(renderer_, &logicalW, &logicalH);
    SDL_RenderSetLogicalSize(renderer_, 0, 0);
    SDL_RenderSetScale(renderer_, 1.0f, 1.0f);
    SDL_RenderSetViewport(renderer_, nullptr);
    const bool ok = SDL_RenderReadPixels(renderer_, &whole, SDL_PIXELFORMAT_ARGB8888, output.data(),
                                         outputW * 4) == 0;
    if (logicalW > 0)
        SDL_RenderSetLogicalSize(renderer_, logicalW, logicalH);
    if (clipped)
        SDL_RenderSetClipRect(renderer_, &clip);
    if (!ok)
        return false;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int ox = static_cast<int>(
                (static_cast<float>(viewport.x) + (static_cast<float>(area.left + x) + 0.5f)) *
                scaleX);
            const int oy = static_cast<int>(
                (static_cast<float>(viewport.y) + (static_cast<float>(area.top + y) + 0.5f)) *
                scaleY);
            if (ox < 0 || oy < 0 || ox >= outputW || oy >= outputH)
                continue;
            argbOut[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                    static_cast<std::size_t>(x)] =
                output[static_cast<std::size_t>(oy) * static_cast<std::size_t>(outputW) +
                       static_cast<std::size_t>(ox)];
        }
    }
    return true;
}

std::unique_ptr<render::RenderBackend> createSdlRenderBackend(NativeWindow& window) {
    auto backend = std::make_unique<SdlRenderBackend>(sdlWindowOf(window));
    if (!backend->valid())
        return nullptr;
    return backend;
}

std::string describeRenderer(render::RenderBackend& backend) {
    auto* sdl = dynamic_cast<SdlRenderBackend*>(&backend);
    SDL_RendererInfo info{};
    int width = 0;
    int height = 0;
    if (!sdl || !sdl->renderer() || SDL_GetRendererInfo(sdl->renderer(), &info) != 0)
        return "none";
    SDL_GetRendererOutputSize(sdl->renderer(), &width, &height);
    return std::string(info.name) + " " + std::to_string(width) + "x" + std::to_string(height);
}

} // namespace platform
