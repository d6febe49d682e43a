// Peak resident memory of a process that has made its window and device and registered the skin
// set (what the program holds before any screen is built).

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

#include "window/IMWindow.h"

namespace {

double statusKb(const std::string& key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key + ":", 0) == 0) return std::stod(line.substr(key.size() + 1));
    return 0;
}

void BM_PeakResidentAfterStartUp(benchmark::State& state) {
    const double before = statusKb("VmHWM");
    IMWindow* window = nullptr;
    for (auto _ : state) {
        window = IMWindow::create(RECT{0, 0, 800, 600}, nullptr, L"bench", true, nullptr);
        window->onUpdate(IMEvent(window, IM_MSG_CLOSE));
        window->render();
    }
    state.counters["peak_rss_MiB"] = statusKb("VmHWM") / 1024.0;
    state.counters["process_before_MiB"] = before / 1024.0;
    delete window;
}
BENCHMARK(BM_PeakResidentAfterStartUp)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
