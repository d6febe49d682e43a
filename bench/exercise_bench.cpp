// The cost of one mouse move reaching the exercise screen: routing through the window and the
// screen, the hit tests of the arrow and the circles, and, in the slowed stage, the cursor routine
// with its warp. The same move before the slowed stage (no arrow, no routine) is the baseline.

#include <benchmark/benchmark.h>

#include <algorithm>

#include "exercise/App.h"
#include "exercise/ExerciseCursor.h"
#include "platform/Clock.h"
#include "support/ManualClock.h"
#include "platform/MessageQueue.h"

namespace {

class Run {
public:
    Run() : clockScope_(clock_) {
        app_ = App::instance(L"bench");
        app_->runNextDialog();
        update();
    }
    ~Run() {
        App::releaseInstance();
        platform::discardMessages();
    }
    App& app() { return *app_; }
    void update() { app_->window->onUpdate(IMEvent(app_->window, IM_MSG_CLOSE)); }
    // Completes the task on screen the way its dwell wait would, and lets the fade-out run.
    void finishTask() {
        app_->currentMove->succeed();
        for (int step = 0; step < 10; ++step) {
            clock_.advanceMs(100);
            app_->window->fireDueTimers();
            update();
        }
        update();
    }
    void untilTask(int index) {
        while (app_->nextTaskIndex <= index) finishTask();
    }
    void mouse(int x, int y) {
        app_->window->onMouseMove(IMMouseEvent(app_->window, WM_MOUSEMOVE, 0, x, y));
    }

private:
    platform::ManualClock clock_;
    platform::ScopedClock clockScope_;
    App* app_ = nullptr;
};

// A hand resting near the circle: reports inside the dead zone, nothing moves.
void BM_SlowedStageMoveInsideDeadZone(benchmark::State& state) {
    Run run;
    run.untilTask(16);
    const DrawnCursorPosition& tip = drawnCursorPosition();
    int dx = 3;
    for (auto _ : state) {
        dx = -dx;
        run.mouse(tip.x + dx, tip.y - 3);
    }
    benchmark::DoNotOptimize(run.app().cursorPicture->getRect());
}
BENCHMARK(BM_SlowedStageMoveInsideDeadZone)->Repetitions(9)->ReportAggregatesOnly(true);

// A hand making strokes: every report leaves the dead zone, moves the arrow and warps the cursor.
void BM_SlowedStageStroke(benchmark::State& state) {
    Run run;
    run.untilTask(16);
    const DrawnCursorPosition& tip = drawnCursorPosition();
    int direction = 100;
    int moves = 0;
    for (auto _ : state) {
        if (tip.x > 700) direction = -100;
        if (tip.x < 100) direction = 100;
        run.mouse(tip.x + direction, tip.y);
        // Each warp leaves a native motion report queued; the program's loop would take them.
        if (++moves % 4096 == 0) {
            state.PauseTiming();
            platform::discardMessages();
            state.ResumeTiming();
        }
    }
    benchmark::DoNotOptimize(run.app().cursorPicture->getRect());
}
BENCHMARK(BM_SlowedStageStroke)->Repetitions(9)->ReportAggregatesOnly(true);

// The baseline: the same screen in the first stage, where the move is routing and hit tests only.
void BM_FirstStageMove(benchmark::State& state) {
    Run run;
    const MoveTaskSpec& task = run.app().taskList.front();
    int dx = 3;
    for (auto _ : state) {
        dx = -dx;
        run.mouse(task.x1 + 30 + dx, task.y1 - 3);
    }
}
BENCHMARK(BM_FirstStageMove)->Repetitions(9)->ReportAggregatesOnly(true);

} // namespace
