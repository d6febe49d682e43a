// Start-up registration of the skin set, and a frame of 500 textured quads through drawTexture
// against the same quads drawn with bare SDL_RenderGeometry calls.

#include "platform/NativeWindow.h"
#include "platform/Platform.h"
#include "platform/sdl/SdlRenderDirect.h"
#include "platform/sdl/SdlRenderFactory.h"
#include "window/IMResourceManager.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

platform::NativeWindow& benchWindow() {
    static std::unique_ptr<platform::NativeWindow> window = [] {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        setenv("SDL_RENDER_DRIVER", "software", 0);
        std::string error;
        if (!platform::initVideo(error))
            std::abort();
        auto w = platform::NativeWindow::create(L"bench", 800, 600, true, error);
        if (!w)
            std::abort();
        return w;
    }();
    return *window;
}

std::unique_ptr<IMResourceManager> makeManager() {
    auto manager = std::make_unique<IMResourceManager>();
    manager->attachBackend(platform::createSdlRenderBackend(benchWindow()));
    return manager;
}

void BM_RegisterSkinSet(benchmark::State& state) {
    auto manager = makeManager();
    for (auto _ : state) {
        manager->registerSkinSet();
        state.PauseTiming();
        manager->releaseSkinSet();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_RegisterSkinSet)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly();

std::vector<RECT> quadRects() {
    std::vector<RECT> rects;
    for (int i = 0; i < 500; ++i) {
        const int x = (i * 37) % 760;
        const int y = (i * 53) % 560;
        rects.push_back({x, y, x + 32, y + 32});
    }
    return rects;
}

TextureHandle quadTexture(IMResourceManager& manager) {
    const TextureHandle h = manager.createTexture(L"quad", 32, 32, PixelFormat::ARGB);
    manager.fillTexture(h, [](std::uint8_t* texels, int pitch, int, int rows) {
        for (int y = 0; y < rows; ++y)
            for (int x = 0; x < 32 * 4; ++x)
                texels[y * pitch + x] = static_cast<std::uint8_t>((x * 5 + y * 3) | 0x80);
    });
    return h;
}

void BM_FrameThroughDrawTexture(benchmark::State& state) {
    auto manager = makeManager();
    const TextureHandle h = quadTexture(*manager);
    const std::vector<RECT> rects = quadRects();
    for (auto _ : state) {
        manager->clear(0xFF000000);
        manager->beginScene();
        for (const RECT& r : rects)
            manager->drawTexture(h, r, nullptr, 0xC0FFFFFF, 0.0f);
        manager->endScene();
        manager->present();
    }
}
BENCHMARK(BM_FrameThroughDrawTexture)->Unit(benchmark::kMillisecond);

void BM_FrameThroughBareSdl(benchmark::State& state) {
    auto manager = makeManager();
    const TextureHandle h = quadTexture(*manager);
    const std::vector<RECT> rects = quadRects();
    render::RenderBackend& backend = *manager->backend();
    for (auto _ : state) {
        backend.clear(0xFF000000);
        platform::drawQuadsWithBareSdl(backend, manager->entry(h).texture, rects, 1.0f, 1.0f,
                                       0xC0FFFFFF);
        backend.present();
    }
}
BENCHMARK(BM_FrameThroughBareSdl)->Unit(benchmark::kMillisecond);

} // namespace
