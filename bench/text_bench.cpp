// Text costs: laying out and drawing the exercise description (wrapped at 593 px in 18 px Arial)
// with its glyphs rendered anew and taken from the registry, one frame of it against the same
// number of bare quads, and typing into an edit bar.

#include "exercise/App.h"
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "gui/IMDialogBase.h"
#include "gui/IMEditBar.h"
#include "gui/IMStaticPictureBase.h"
#include "gui/IMTextView.h"
#include "window/IMResourceManager.h"
#include "window/IMWindow.h"

namespace {

// The exercise description the start screen shows.
const std::wstring& kDescription = App::exerciseDescription;

using Label = IMStaticPictureBase<IMTextView>;

IMWindow* benchWindow() {
    static IMWindow* window = [] {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        setenv("SDL_RENDER_DRIVER", "software", 0);
        return IMWindow::create(RECT{0, 0, 800, 600}, nullptr, L"bench", true, nullptr);
    }();
    return window;
}

IMContainer* freshDialog() {
    IMWindow* window = benchWindow();
    IMContainer* dialog = window->createDialog(0, 0, 800, 600, 0);
    window->onUpdate(IMEvent(window, IM_MSG_CLOSE));
    return dialog;
}

void closeDialog(IMContainer* dialog) {
    dialog->close();
    benchWindow()->onUpdate(IMEvent(benchWindow(), IM_MSG_CLOSE));
}

Label* description(IMContainer* dialog, std::uint32_t color) {
    auto* label = new Label(dialog, 0);
    label->setFontSize(18);
    label->setTextColor(color);
    label->wrap = true;
    label->setRect(RECT{0, 0, 593, 600});
    label->setText(kDescription);
    return label;
}

void paint(IMContainer* dialog) {
    IMResourceManager* rm = resourceManager();
    rm->clear(0xFF000000);
    rm->beginScene();
    dialog->onPaint(IMEvent(dialog, IM_MSG_PAINT));
    rm->endScene();
}

// Every iteration uses a colour no glyph had before, so every glyph is rendered anew.
void BM_DescriptionFirstLayoutAndDraw(benchmark::State& state) {
    IMContainer* dialog = freshDialog();
    std::uint32_t color = 0xFF000001;
    for (auto _ : state) {
        Label* label = description(dialog, color++);
        benchmark::DoNotOptimize(label->getContentRect());
        paint(dialog);
        state.PauseTiming();
        label->close();
        benchmark::DoNotOptimize(dialog->onUpdate(IMEvent(dialog, IM_MSG_CLOSE)));
        state.ResumeTiming();
    }
    state.counters["glyphs"] = static_cast<double>(kDescription.size());
    closeDialog(dialog);
}
BENCHMARK(BM_DescriptionFirstLayoutAndDraw)->Unit(benchmark::kMillisecond);

// A label of the same style stays alive, so every glyph comes from the registry.
void BM_DescriptionCachedLayoutAndDraw(benchmark::State& state) {
    IMContainer* dialog = freshDialog();
    // Holds the textures; hidden so that each frame draws the description once.
    description(dialog, 0xFFFFFFFF)->hide();
    for (auto _ : state) {
        Label* label = description(dialog, 0xFFFFFFFF);
        benchmark::DoNotOptimize(label->getContentRect());
        paint(dialog);
        state.PauseTiming();
        label->close();
        dialog->onUpdate(IMEvent(dialog, IM_MSG_CLOSE));
        state.ResumeTiming();
    }
    closeDialog(dialog);
}
BENCHMARK(BM_DescriptionCachedLayoutAndDraw)->Unit(benchmark::kMillisecond);

// One frame drawing the laid-out description ...
void BM_FrameDescription(benchmark::State& state) {
    IMContainer* dialog = freshDialog();
    Label* label = description(dialog, 0xFFFFFFFF);
    benchWindow()->onUpdate(IMEvent(benchWindow(), IM_MSG_CLOSE));
    for (auto _ : state) paint(dialog);
    state.counters["quads"] = label->glyphCount();
    closeDialog(dialog);
}
BENCHMARK(BM_FrameDescription)->Unit(benchmark::kMicrosecond);

// ... against as many bare quads of one glyph-sized texture, drawn at the same places.
void BM_FrameBareQuads(benchmark::State& state) {
    IMContainer* dialog = freshDialog();
    Label* label = description(dialog, 0xFFFFFFFF);
    IMResourceManager* rm = resourceManager();
    const TextureHandle quad = label->glyphAt(0)->texture;
    std::vector<RECT> places;
    for (int i = 0; i < label->glyphCount(); ++i) places.push_back(label->glyphRectAt(i));
    for (auto _ : state) {
        rm->clear(0xFF000000);
        rm->beginScene();
        for (const RECT& r : places) rm->drawTexture(quad, r, nullptr, 0xFFFFFFFF, 0.0f);
        rm->endScene();
    }
    state.counters["quads"] = static_cast<double>(places.size());
    closeDialog(dialog);
}
BENCHMARK(BM_FrameBareQuads)->Unit(benchmark::kMicrosecond);

// Typing 200 characters into an edit bar, each key with its caret update and scrolling.
void BM_TypeIntoEditBar(benchmark::State& state) {
    IMWindow* window = benchWindow();
    IMContainer* dialog = freshDialog();
    const std::wstring text = kDescription.substr(0, 200);
    for (auto _ : state) {
        state.PauseTiming();
        auto* bar = new IMEditBar(dialog);
        bar->setRect(RECT{100, 100, 300, 122});
        window->onUpdate(IMEvent(window, IM_MSG_CLOSE));
        bar->setFocus(true);
        state.ResumeTiming();
        for (wchar_t c : text)
            window->onKey(IMKeyboardEvent(window, WM_CHAR, static_cast<WPARAM>(c), 0));
        state.PauseTiming();
        bar->close();
        window->onUpdate(IMEvent(window, IM_MSG_CLOSE));
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
    closeDialog(dialog);
}
BENCHMARK(BM_TypeIntoEditBar)->Unit(benchmark::kMillisecond);

} // namespace
