// The instruction clip on a real screen: one frame decoded, converted into its texture, drawn as
// the 800 x 600 picture scaled onto the whole screen, and presented. Run it under an X server of
// the size to measure (e.g. Xvfb -screen 0 1920x1080x24) once with the renderer the program
// chooses and once with SDL_RENDER_DRIVER=opengl, to compare the software and OpenGL paths.
// Counters: frame_ms (wall), cpu_ms (this process), and cpu_share_at_25fps = the share of one
// core that 25 frames a second cost this process (the X server's part is not in it).

#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "media/TheoraDecoder.h"
#include "media/YCbCrToXrgb.h"
#include "platform/NativeWindow.h"
#include "platform/Platform.h"
#include "platform/sdl/SdlRenderFactory.h"
#include "window/IMResourceManager.h"

namespace {

std::filesystem::path clipPath() {
    const std::filesystem::path source = TAVRELO_SOURCE_DIR;
    const std::filesystem::path real = source / "assets/numbered/115.ogv";
    if (std::filesystem::exists(real)) return real;
    return source / "tests/data/media/instruction_800x600_25fps.ogv";
}

std::vector<std::uint8_t> readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

double processCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

void BM_ClipFrameOnScreen(benchmark::State& state) {
    if (!std::getenv("DISPLAY")) {
        state.SkipWithError("needs an X display (DISPLAY)");
        return;
    }
    std::string error;
    if (!platform::initVideo(error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    auto window = platform::NativeWindow::create(L"clip bench", 800, 600, false, error);
    if (!window) {
        state.SkipWithError(error.c_str());
        return;
    }
    window->show();
    IMResourceManager manager;
    manager.attachBackend(platform::createSdlRenderBackend(*window));
    if (!manager.backend()) {
        state.SkipWithError("no renderer");
        return;
    }
    const std::vector<std::uint8_t> clip = readBytes(clipPath());
    TheoraDecoder decoder;
    decoder.open(clip.data(), static_cast<int>(clip.size()));
    if (!decoder.isOpen()) {
        state.SkipWithError("the clip does not open");
        return;
    }
    const TextureHandle frame = manager.createTexture(L"clip frame", 800, 600, PixelFormat::XRGB);
    const RECT picture{0, 0, 800, 600};
    const double cpuStart = processCpuMs();
    for (auto _ : state) {
        if (!decoder.decodeFrame()) {
            decoder.rewind();
            decoder.decodeFrame();
        }
        const media::Plane y = decoder.plane(0);
        manager.fillTexture(frame, [&](std::uint8_t* texels, int pitch, int, int) {
            media::convertYCbCrToXrgb(y, decoder.plane(1), decoder.plane(2), texels, pitch,
                                      std::min(y.width, 800), std::min(y.height, 600));
        });
        manager.clear(0xFF000000);
        manager.beginScene();
        manager.drawTexture(frame, picture, &picture, 0xFFFFFFFF, 0.0f);
        manager.endScene();
        manager.present();
    }
    const double cpuMs = (processCpuMs() - cpuStart) / static_cast<double>(state.iterations());
    state.SetLabel(platform::describeRenderer(*manager.backend()));
    state.counters["cpu_ms"] = cpuMs;
    state.counters["cpu_share_at_25fps"] = cpuMs * 25 / 1000;
    state.counters["frame_ms"] =
        benchmark::Counter(static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    manager.release(frame);
}
BENCHMARK(BM_ClipFrameOnScreen)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

} // namespace
