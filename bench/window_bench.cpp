// The cost of the main loop's idle work and of routing a mouse move through a deep tree.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "gui/IMDialogBase.h"
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
        while (remaining > 0 && window->pumpOnce()) platform::waitForMessages(window->idleWaitMs());
    }
    std::sort(lateness.begin(), lateness.end());
    state.counters["late_median_ms"] = lateness[lateness.size() / 2];
    state.counters["late_p99_ms"] = lateness[lateness.size() * 99 / 100];
    state.counters["late_max_ms"] = lateness.back();
}
BENCHMARK(BM_TimerLatenessRealLoop)->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace

