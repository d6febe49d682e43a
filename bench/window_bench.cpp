// The cost of the main loop's idle work and of routing a mouse move through a deep tree.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "gui/IMDialogBase.h"
#include "gui/IMStaticPictureBase.h"
#include "gui/IMTextureView.h"
#include "platform/MessageQueue.h"
#include "window/IMWindow.h"

namespace {

class Leaf : public IMViewControl<IMEmptyView> {
public:
    Leaf(IMContainer* parent, const RECT& r) : IMViewControl<IMEmptyView>(parent, 0) { setRect(r); }
};

IMWindow* sharedWindow() {
    static IMWindow* window = IMWindow::create(RECT{0, 0, 800, 600}, nullptr, L"bench", true, nullptr);
    return window;
}

void update(IMContainer& c) { c.onUpdate(IMEvent(&c, IM_MSG_CLOSE)); }

// The real loop while `more` holds. It is asked again before every wait: with nothing scheduled
// the loop waits for input only, which a benchmark never sends.
template <typename More> void runLoopWhile(IMWindow* window, More more) {
    while (more() && window->pumpOnce())
        if (more()) platform::waitForMessages(window->idleWaitMs());
}

// One idle iteration: the update pass and the window's render step finding nothing changed.
void BM_IdleIteration300Controls(benchmark::State& state) {
    IMWindow* window = sharedWindow();
    IMContainer* screen = window->createDialog(0, 0, 800, 600, 0);
    for (int i = 0; i < 300; ++i) new Leaf(screen, RECT{(i % 20) * 40, (i / 20) * 40, (i % 20) * 40 + 30, (i / 20) * 40 + 30});
    update(*window);
    update(*window);
    window->render();
    for (auto _ : state) {
        window->onUpdate(IMEvent(window, IM_MSG_CLOSE));
        window->render();
        benchmark::DoNotOptimize(window->isChanged());
    }
    screen->close();
    update(*window);
}
BENCHMARK(BM_IdleIteration300Controls);

// A mouse move routed through 5 nested containers, each holding 50 children.
void BM_RouteMouseMoveFiveLevels(benchmark::State& state) {
    auto root = std::make_unique<IMContainer>(nullptr, RECT{0, 0, 800, 600}, 0);
    IMContainer* level = root.get();
    for (int depth = 0; depth < 5; ++depth) {
        for (int i = 0; i < 49; ++i) new Leaf(level, RECT{i * 2, 0, i * 2 + 1, 1});
        IMContainer* next = level->createDialog(0, 0, 800 - depth, 600 - depth, 0);
        update(*level);
        level = next;
    }
    update(*level);
    int x = 100;
    for (auto _ : state) {
        x = x == 100 ? 101 : 100;
        root->onMouseMove(IMMouseEvent(root.get(), WM_MOUSEMOVE, 0, x, 300));
    }
    root->close();
}
BENCHMARK(BM_RouteMouseMoveFiveLevels);

// Timer bookkeeping of a loop turn with a handful of live timers that are not yet due.
void BM_TimerPassNothingDue(benchmark::State& state) {
    IMWindow* window = sharedWindow();
    std::vector<int> ids;
    for (int i = 0; i < 8; ++i) ids.push_back(window->createTimer(60'000));
    for (auto _ : state) window->fireDueTimers();
    for (int id : ids) window->killTimer(id);
}
BENCHMARK(BM_TimerPassNothingDue);

// How late one-shot timers fire in the real loop (with its idle wait), on the real clock. Each
// iteration chains 20 one-shot 60 ms timers, as the fades do, and records each firing's lateness.
void BM_TimerLatenessRealLoop(benchmark::State& state) {
    IMWindow* window = sharedWindow();
    std::vector<double> lateness;
    for (auto _ : state) {
        int remaining = 20;
        std::chrono::steady_clock::time_point due;
        std::function<void()> arm = [&] {
            const int id = window->createTimer(60);
            due = std::chrono::steady_clock::now() + std::chrono::milliseconds(60);
            window->connectTimer(id, [&, id](const IMEvent&) {
                window->killTimer(id);
                lateness.push_back(
                    std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - due).count());
                if (--remaining > 0) arm();
                return 0L;
            });
        };
        arm();
        runLoopWhile(window, [&] { return remaining > 0; });
    }
    std::sort(lateness.begin(), lateness.end());
    state.counters["late_median_ms"] = lateness[lateness.size() / 2];
    state.counters["late_p99_ms"] = lateness[lateness.size() * 99 / 100];
    state.counters["late_max_ms"] = lateness.back();
}
BENCHMARK(BM_TimerLatenessRealLoop)->Iterations(5)->Unit(benchmark::kMillisecond);

// From a timer changing a picture to the frame that shows it, in the real loop on the real clock.
// Each iteration chains 20 one-shot 60 ms timers, as the fades do; each one moves a picture, and
// the picture's next paint (inside the frame that is then presented) ends the measurement. The
// loop used to draw before firing timers and then sleep until the next one was due, so every
// change appeared a whole timer period late.
void BM_TimerChangeToFrameRealLoop(benchmark::State& state) {
    IMWindow* window = sharedWindow();
    auto* picture = window->createPicture(0, 0, L"ExitButton", 0);
    std::vector<double> latency;
    std::chrono::steady_clock::time_point changedAt;
    bool waiting = false;
    IMScopedConnection painted = picture->painted.connect([&](const IMEvent&) {
        if (waiting) {
            latency.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - changedAt).count());
            waiting = false;
        }
        return 0L;
    });
    for (auto _ : state) {
        int remaining = 20;
        std::function<void()> arm = [&] {
            const int id = window->createTimer(60);
            window->connectTimer(id, [&, id](const IMEvent&) {
                window->killTimer(id);
                picture->moveTo(remaining * 10, 0);
                changedAt = std::chrono::steady_clock::now();
                waiting = true;
                if (--remaining > 0) arm();
                return 0L;
            });
        };
        arm();
        runLoopWhile(window, [&] { return remaining > 0 || waiting; });
    }
    picture->close();
    update(*window);
    std::sort(latency.begin(), latency.end());
    state.counters["frame_after_change_median_ms"] = latency[latency.size() / 2];
    state.counters["frame_after_change_max_ms"] = latency.back();
}
BENCHMARK(BM_TimerChangeToFrameRealLoop)->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace

