// The start screen at rest and under typing: one frame of the blinking caret, and one keystroke in
// the name field with the frame that shows it, on the software renderer.

#include <benchmark/benchmark.h>

#include <cstdlib>

#include "exercise/App.h"
#include "platform/Clock.h"
#include "platform/MessageQueue.h"
#include "screens/ScreenHost.h"
#include "screens/StartScreen.h"
#include "support/ManualClock.h"
#include "window/IMWindow.h"

namespace {

class QuietHost : public ScreenHost {
public:
    long returnToStart() override { return 0; }
    void exitProgram() override {}
    long closeExitMenu() override { return 0; }
    long startWithName(const std::wstring&) override { return 0; }
    IMControl* openSettings() override { return nullptr; }
};

class StartScreenBench {
public:
    StartScreenBench() : clockScope_(clock_) {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        setenv("SDL_RENDER_DRIVER", "software", 0);
        window = IMWindow::create(RECT{0, 0, 800, 600}, nullptr, L"bench", true, nullptr);
        screen = new StartScreen(window, host_,
                                 StartScreen::Texts{App::catalogueNumber, App::exerciseTitle, App::exerciseDescription, {}});
        for (int i = 0; i < 3; ++i) frame();
    }
    ~StartScreenBench() { delete window; }

    // What a turn of the main loop does after input: due timers, the update pass, a frame.
    void frame() {
        window->fireDueTimers();
        window->onUpdate(IMEvent(window, IM_MSG_CLOSE));
        window->render();
    }
    void key(WPARAM code) { window->handleMessage(platform::NativeMessage{WM_CHAR, code, 1, 0, 0}); }

    platform::ManualClock clock_;
    platform::ScopedClock clockScope_;
    QuietHost host_;
    IMWindow* window = nullptr;
    StartScreen* screen = nullptr;
};

// Half a blink period passes: the caret's timer fires, it turns on or off, the screen is drawn.
void BM_StartScreenCaretBlinkFrame(benchmark::State& state) {
    StartScreenBench bench;
    for (auto _ : state) {
        bench.clock_.advanceMs(500);
        bench.frame();
    }
}
BENCHMARK(BM_StartScreenCaretBlinkFrame)->Unit(benchmark::kMicrosecond);

// One letter typed into a name of a dozen letters and drawn; every other iteration takes it back
// with backspace, so the name keeps its length.
void BM_StartScreenKeystroke(benchmark::State& state) {
    StartScreenBench bench;
    for (wchar_t c : std::wstring(L"Иванов Петя")) bench.key(static_cast<WPARAM>(c));
    bench.frame();
    bool typed = false;
    for (auto _ : state) {
        bench.key(typed ? 8 : static_cast<WPARAM>(L'ш'));
        typed = !typed;
        bench.frame();
    }
    benchmark::DoNotOptimize(bench.screen->nameField->getText());
}
BENCHMARK(BM_StartScreenKeystroke)->Unit(benchmark::kMicrosecond);

// Building the whole screen, description laid out, up to its first frame.
void BM_StartScreenBuildAndFirstFrame(benchmark::State& state) {
    StartScreenBench bench;
    for (auto _ : state) {
        auto* screen = new StartScreen(bench.window, bench.host_,
                                       StartScreen::Texts{App::catalogueNumber, App::exerciseTitle, App::exerciseDescription, {}});
        bench.frame();
        state.PauseTiming();
        screen->close();
        bench.frame();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartScreenBuildAndFirstFrame)->Unit(benchmark::kMicrosecond);

} // namespace
