// The census's read of the window system over 50 real windows: run on an X display with an EWMH window
// manager (scripts/virtual-desktop.sh start, then source the file it prints).
#include "Platforms/GLib/GLibMainLoop.h"
#include "Platforms/X11/X11Desktop.h"
#include "QuorvaneApp/Platform/WindowSystem.h"
#include "helpers/ForeignWindows.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

using namespace quorvane;

constexpr int windowCount = 50;

void windowsOfTheCensus(benchmark::State& state)
{
    if (!std::getenv("DISPLAY")) {
        state.SkipWithError("needs an X display (scripts/virtual-desktop.sh)");
        return;
    }
    GLibMainLoop loop;
    X11Desktop desktop(loop);
    bench::ForeignWindows windows(windowCount, 10, 10);
    // Wait until the window manager manages all of them.
    for (int tries = 0; tries < 500 && desktop.windowSystem().windows().size() < windowCount; ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    size_t listed = 0;
    for (auto _ : state) {
        std::vector<WindowFacts> facts = desktop.windowSystem().windows();
        std::vector<DisplayFacts> displays = desktop.windowSystem().displays();
        listed = facts.size();
        benchmark::DoNotOptimize(displays);
    }
    state.counters["windows"] = static_cast<double>(listed);
}
BENCHMARK(windowsOfTheCensus)->Unit(benchmark::kMillisecond);

} // namespace
