// Media costs: Theora decoding with colour conversion per 800 x 600 frame (and ffmpeg decoding
// the same clip in the same run), the colour conversion alone, the mixer per playing stream, and
// how far sound labels fire from their wall-clock times.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "media/CSoundSystem.h"
#include "media/SoundMixer.h"
#include "media/SoundRing.h"
#include "media/TheoraDecoder.h"
#include "media/YCbCrToXrgb.h"
#include "platform/MessageQueue.h"
#include "window/IMResourceManager.h"
#include "window/IMWindow.h"

namespace {

using Clock = std::chrono::steady_clock;

std::filesystem::path sourceDir() {
#ifdef TAVRELO_SOURCE_DIR
    return TAVRELO_SOURCE_DIR;
#else
    // bench programs sit in <build>/bench; the sources are found from the working directory.
    for (std::filesystem::path p = std::filesystem::current_path(); !p.empty(); p = p.parent_path()) {
        if (std::filesystem::exists(p / "src/media/TheoraDecoder.h")) return p;
        if (p == p.parent_path()) break;
    }
    return "/work/main";
#endif
}

// The real instruction clip when the assets are there, otherwise the short test clip.
std::filesystem::path clipPath() {
    const std::filesystem::path real = sourceDir() / "assets/numbered/115.ogv";
    if (std::filesystem::exists(real)) return real;
    return sourceDir() / "tests/data/media/instruction_800x600_25fps.ogv";
}

std::vector<std::uint8_t> readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

const std::vector<std::uint8_t>& clip() {
    static const std::vector<std::uint8_t> bytes = readBytes(clipPath());
    return bytes;
}

// The video view's two frame textures: each new frame is converted into the one not on screen,
// unless that one holds the same picture already (a still scene repeats pictures as empty packets).
class FrameTextures {
public:
    void present(const TheoraDecoder& decoder) {
        Texture& back = textures_[backIndex_];
        if (back.picture != decoder.pictureSerial()) {
            const media::Plane y = decoder.plane(0);
            media::convertYCbCrToXrgb(y, decoder.plane(1), decoder.plane(2), back.texels.data(), 1024 * 4,
                                      std::min(y.width, 1024), std::min(y.height, 1024));
            back.picture = decoder.pictureSerial();
        }
        benchmark::DoNotOptimize(back.texels.data());
        backIndex_ ^= 1;
    }

private:
    struct Texture {
        std::vector<std::uint8_t> texels = std::vector<std::uint8_t>(1024 * 1024 * 4);
        std::uint64_t picture = 0;
    };
    Texture textures_[2];
    int backIndex_ = 0;
};

// Decodes every frame of the clip and brings it into the frame textures; returns the frames.
int decodeWholeClip(FrameTextures& textures) {
    TheoraDecoder decoder;
    decoder.open(clip().data(), static_cast<int>(clip().size()));
    int frames = 0;
    while (decoder.decodeFrame()) {
        textures.present(decoder);
        ++frames;
    }
    return frames;
}

void BM_TheoraDecodeAndConvertPerFrame(benchmark::State& state) {
    FrameTextures textures;
    TheoraDecoder decoder;
    decoder.open(clip().data(), static_cast<int>(clip().size()));
    for (auto _ : state) {
        if (!decoder.decodeFrame()) {
            state.PauseTiming();
            decoder.rewind();
            decoder.decodeFrame();
            state.ResumeTiming();
        }
        textures.present(decoder);
    }
    state.SetLabel(clipPath().filename().string());
}
BENCHMARK(BM_TheoraDecodeAndConvertPerFrame)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Whole clip, ours against `ffmpeg -i clip -f null -`, each reported per frame; ratio = ours / ffmpeg.
void BM_WholeClipAgainstFfmpeg(benchmark::State& state) {
    FrameTextures textures;
    const std::string command = "ffmpeg -v error -nostdin -i '" + clipPath().string() + "' -f null - 2>/dev/null";
    double oursMs = 0, ffmpegMs = 0;
    int frames = 0;
    for (auto _ : state) {
        auto t0 = Clock::now();
        frames = decodeWholeClip(textures);
        auto t1 = Clock::now();
        const int status = std::system(command.c_str());
        auto t2 = Clock::now();
        if (status != 0) {
            state.SkipWithError("ffmpeg is not available");
            return;
        }
        oursMs += std::chrono::duration<double, std::milli>(t1 - t0).count();
        ffmpegMs += std::chrono::duration<double, std::milli>(t2 - t1).count();
    }
    const double n = static_cast<double>(state.iterations()) * frames;
    state.counters["ours_ms_per_frame"] = oursMs / n;
    state.counters["ffmpeg_ms_per_frame"] = ffmpegMs / n;
    state.counters["ratio"] = oursMs / ffmpegMs;
    state.counters["frames"] = frames;
}
BENCHMARK(BM_WholeClipAgainstFfmpeg)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(3)->ReportAggregatesOnly(true);

void BM_ColourConversion800x608(benchmark::State& state) {
    std::mt19937 random(1);
    std::vector<std::uint8_t> y(800 * 608), cb(400 * 304), cr(400 * 304);
    for (auto* v : {&y, &cb, &cr})
        for (auto& b : *v) b = static_cast<std::uint8_t>(random());
    std::vector<std::uint8_t> texels(1024 * 1024 * 4);
    const media::Plane py{y.data(), 800, 800, 608}, pcb{cb.data(), 400, 400, 304}, pcr{cr.data(), 400, 400, 304};
    for (auto _ : state) {
        media::convertYCbCrToXrgb(py, pcb, pcr, texels.data(), 1024 * 4, 800, 608);
        benchmark::DoNotOptimize(texels.data());
    }
}
BENCHMARK(BM_ColourConversion800x608)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_ColourConversionReference800x608(benchmark::State& state) {
    std::vector<std::uint8_t> y(800 * 608, 100), cb(400 * 304, 90), cr(400 * 304, 200);
    std::vector<std::uint8_t> texels(1024 * 1024 * 4);
    const media::Plane py{y.data(), 800, 800, 608}, pcb{cb.data(), 400, 400, 304}, pcr{cr.data(), 400, 400, 304};
    for (auto _ : state) {
        media::convertYCbCrToXrgbReference(py, pcb, pcr, texels.data(), 1024 * 4, 800, 608);
        benchmark::DoNotOptimize(texels.data());
    }
}
BENCHMARK(BM_ColourConversionReference800x608)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// One device block (1024 frames at 44100 Hz) with N playing 44000 Hz stereo streams. The
// counter gives the share of one core each stream costs.
void BM_MixerBlock(benchmark::State& state) {
    const int streams = static_cast<int>(state.range(0));
    std::vector<std::unique_ptr<SoundRing>> rings;
    SoundMixer mixer(44100);
    for (int i = 0; i < streams; ++i) {
        rings.push_back(std::make_unique<SoundRing>(2, 44000, 44000 * 4));
        std::uint8_t* p = rings.back()->lock(0, 44000 * 4);
        for (int k = 0; k < 44000 * 4; ++k) p[k] = static_cast<std::uint8_t>(k * 7 + i);
        rings.back()->unlock();
        rings.back()->play();
        mixer.add(rings.back().get());
    }
    std::vector<std::int16_t> out(2 * 1024);
    for (auto _ : state) {
        mixer.render(out.data(), 1024);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["core_share_per_stream"] = benchmark::Counter(
        1024.0 / 44100.0 * static_cast<double>(streams),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_MixerBlock)->Arg(1)->Arg(4)->Arg(8)->Unit(benchmark::kMicrosecond);

// Labels at 100, 200 ... 2000 ms after playSound, fired through the window's own loop; the
// error of each against the wall clock.
void BM_LabelFiringError(benchmark::State& state) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("SDL_RENDER_DRIVER", "software", 0);
    IMWindow* window = IMWindow::create(RECT{0, 0, 800, 600}, nullptr, L"bench", true, nullptr);
    CSoundSystem* sound = resourceManager();
    const std::string path = (sourceDir() / "tests/data/media/tone_44100_stereo.ogg").string();
    const std::uint32_t id = sound->loadSound(std::wstring(path.begin(), path.end()));
    if (id == 0) {
        state.SkipWithError("no sound");
        delete window;
        return;
    }
    std::vector<double> errors;
    Clock::time_point begin;
    int fired = 0;
    bool connected = false;
    for (auto _ : state) {
        fired = 0;
        for (std::uint32_t p = 100; p <= 2000; p += 100) {
            if (!connected)
                sound->addSoundLabel(id, p, [&](std::uint32_t, std::uint32_t position) {
                    const double ms =
                        std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
                    errors.push_back(ms - position);
                    ++fired;
                    return 0L;
                });
            else // a fired label must be added again; the slot is already connected
                sound->addSoundLabel(id, p, [](std::uint32_t, std::uint32_t) { return 0L; });
        }
        connected = true;
        begin = Clock::now();
        sound->playSound(id, true);
        // Asked again before every wait: with nothing scheduled the loop waits for input only.
        while (fired < 20 && window->pumpOnce())
            if (fired < 20) platform::waitForMessages(window->idleWaitMs());
        sound->stopSound(id);
    }
    std::sort(errors.begin(), errors.end());
    state.counters["median_error_ms"] = errors[errors.size() / 2];
    state.counters["worst_error_ms"] = errors.back();
    delete window;
    platform::discardMessages();
}
BENCHMARK(BM_LabelFiringError)->Iterations(2)->Unit(benchmark::kMillisecond);

} // namespace
