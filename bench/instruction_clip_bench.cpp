// The instruction's clip as the pupil sees it: the real instruction (clip 115 at 25 frames a
// second with its speech) in the program's full-screen window, run by the real main loop. Run it
// under an X server of the size to measure (bench/instruction_clip.sh does 800 x 600 and
// 1920 x 1080). For every new clip frame the loop presents, the time it reached the screen is
// taken after the present:
//   gap_median_ms, gap_p99_ms  the time from one presented clip frame to the next
//   late_max_ms                how long after its due time (first frame + n × 40 ms) the latest
//                              frame was presented
//   skipped                    clip frames never presented (each one a frame too late to show)
//   cpu_percent                this process's share of one core while the clip plays
// Environment: CLIP_SECONDS (default 12) of the clip are played per repetition.

#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "exercise/Instruction.h"
#include "platform/MessageQueue.h"
#include "window/IMWindow.h"

namespace {

using Clock = std::chrono::steady_clock;

double processCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

double percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

IMWindow* programWindow() {
    // Full screen, as the program opens it: the 800 x 600 picture scaled onto the screen.
    static IMWindow* window = IMWindow::create(RECT{0, 0, 800, 600}, nullptr, L"Tavrelo bench", false, nullptr);
    return window;
}

void BM_InstructionClipFrames(benchmark::State& state) {
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (!std::getenv("DISPLAY") || (driver && std::string(driver) == "offscreen")) {
        state.SkipWithError("needs an X display (DISPLAY, SDL_VIDEODRIVER=x11)");
        return;
    }
    const double seconds = std::getenv("CLIP_SECONDS") ? std::atof(std::getenv("CLIP_SECONDS")) : 12;
    const auto period = std::chrono::duration<double>(Instruction::clipFramePeriod / 60000.0);
    IMWindow* window = programWindow();

    std::vector<double> gaps;
    std::vector<double> offsets;
    double cpuShare = 0;
    int skipped = 0;
    // The window is on screen and has drawn before the instruction opens, as in the program.
    const auto settled = Clock::now() + std::chrono::milliseconds(500);
    while (Clock::now() < settled && window->pumpOnce()) platform::waitForMessages(10);
    for (auto _ : state) {
        auto* dialog = new IMContainer(window, std::nullopt, 0);
        auto* instruction = new Instruction(dialog, Instruction::Kind::General);
        Instruction::Clip* clip = instruction->clip();
        int shownFrame = -1;
        Clock::time_point firstShown{};
        Clock::time_point lastShown{};
        const double cpuStart = processCpuSeconds();
        const auto wallStart = Clock::now();
        const auto end = wallStart + std::chrono::duration<double>(seconds);
        while (Clock::now() < end) {
            // The loop's turn (IMWindow::pumpOnce), with the clip's frame read right after the
            // present.
            platform::NativeMessage message;
            while (platform::peekMessage(message)) window->handleMessage(message);
            window->updateAndRender();
            const int frame = clip->currentFrame();
            if (frame != shownFrame) {
                const auto now = Clock::now();
                if (shownFrame < 0) {
                    firstShown = now;
                } else {
                    gaps.push_back(std::chrono::duration<double, std::milli>(now - lastShown).count());
                    skipped += std::max(0, frame - shownFrame - 1);
                    if (std::getenv("CLIP_TRACE"))
                        std::fprintf(stderr, "frame %d at %.1f ms\n", frame,
                                     std::chrono::duration<double, std::milli>(now - firstShown).count());
                    // How far this frame is from its place in a steady 25 a second.
                    const auto due = firstShown + period * frame;
                    offsets.push_back(std::chrono::duration<double, std::milli>(now - due).count());
                }
                shownFrame = frame;
                lastShown = now;
            }
            window->fireDueTimers();
            platform::waitForMessages(window->idleWaitMs());
        }
        const double wall = std::chrono::duration<double>(Clock::now() - wallStart).count();
        cpuShare = (processCpuSeconds() - cpuStart) / wall * 100;
        dialog->close();
        window->pumpOnce();
    }
    state.counters["gap_median_ms"] = percentile(gaps, 0.5);
    state.counters["gap_p99_ms"] = percentile(gaps, 0.99);
    // The clip's own clock started before its first frame could be presented: measured against
    // the steadiest frame, the latest one is this late.
    const auto [earliest, latest] = std::minmax_element(offsets.begin(), offsets.end());
    state.counters["late_max_ms"] = offsets.empty() ? 0 : *latest - *earliest;
    state.counters["skipped"] = skipped;
    state.counters["frames"] = static_cast<double>(gaps.size() + 1);
    state.counters["cpu_percent"] = cpuShare;
}
BENCHMARK(BM_InstructionClipFrames)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace
