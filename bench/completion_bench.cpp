// From the end of the final praise clip to the completion screen drawn: the praise and the
// exercise screen close, the run's closing rows are written and the report saved to its file,
// and the completion screen is built and presented. A pupil should see no gap. Each repetition
// plays a whole run of twenty tasks first (untimed), for a pupil with a report in a fresh data
// folder. The time is the step's wall time (median and worst over the repetitions).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "exercise/App.h"
#include "exercise/Instruction.h"
#include "platform/Clock.h"
#include "platform/MessageQueue.h"
#include "screens/CompletionScreen.h"
#include "screens/PraiseScreen.h"
#include "support/ManualClock.h"

namespace {

using Clock = std::chrono::steady_clock;

template <typename Screen> Screen* onScreen(IMWindow* window) {
    for (const auto& [layer, children] : window->children())
        for (IMControl* child : children)
            if (auto* screen = dynamic_cast<Screen*>(child)) return screen;
    return nullptr;
}

class Lesson {
public:
    Lesson() : clockScope_(clock_) {
        data_ = std::filesystem::temp_directory_path() / ("tavrelo-completion-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(data_);
        ::setenv("XDG_DATA_HOME", data_.c_str(), 1);
        app_ = App::instance(L"bench");
    }
    ~Lesson() {
        App::releaseInstance();
        platform::discardMessages();
        std::error_code ignored;
        std::filesystem::remove_all(data_, ignored);
    }
    App& app() { return *app_; }
    void update() {
        platform::NativeMessage message;
        while (platform::peekMessage(message)) app_->window->handleMessage(message);
        app_->window->updateAndRender();
    }
    void advance(int ms) {
        for (int done = 0; done < ms; done += 10) {
            clock_.advanceMs(10);
            app_->window->fireDueTimers();
            update();
        }
    }
    // A whole run up to its final praise on screen; the first with the opening instruction
    // skipped, later ones started from the completion screen.
    PraiseScreen* playRun(bool first) {
        if (first) {
            app_->startWithName(L"Маша");
            update();
            app_->window->handleMessage(platform::NativeMessage{WM_KEYDOWN, VK_ESCAPE, 1, 0, 0});
        } else {
            app_->startAnotherRun();
        }
        update();
        update();
        for (int guard = 0; guard < 100 && !onScreen<PraiseScreen>(app_->window); ++guard) {
            if (app_->shownInstruction && app_->shownInstruction->clip()) {
                // The slowed stage's instruction closes with its clip.
                app_->shownInstruction->clip()->finished(IMEvent(app_->shownInstruction, IM_MSG_STATE));
                update();
            } else if (app_->currentMove) {
                app_->currentMove->succeed();
            }
            advance(1100);
        }
        return onScreen<PraiseScreen>(app_->window);
    }

private:
    platform::ManualClock clock_;
    platform::ScopedClock clockScope_;
    std::filesystem::path data_;
    App* app_ = nullptr;
};

void BM_PraiseEndToCompletionScreenDrawn(benchmark::State& state) {
    Lesson lesson;
    IMWindow* window = lesson.app().window;
    bool first = true;
    for (auto _ : state) {
        PraiseScreen* praise = lesson.playRun(first);
        first = false;
        if (!praise) {
            state.SkipWithError("the run did not reach its final praise");
            return;
        }
        const auto start = Clock::now();
        praise->clip()->finished(IMEvent(praise, IM_MSG_STATE));
        // Update passes and frames until the completion screen has been presented.
        while (!onScreen<CompletionScreen>(window) || window->isChanged()) lesson.update();
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
    if (!lesson.app().hasReport()) state.SkipWithError("no report was kept");
}
BENCHMARK(BM_PraiseEndToCompletionScreenDrawn)
    ->Iterations(1)
    ->Repetitions(15)
    ->ComputeStatistics("max", [](const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); })
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
