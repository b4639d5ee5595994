// The tile overlay's 0.6-second refresh with twelve managed windows, drawn by the GTK panels: the census of
// the window system, the cheat sheet's placement and the rings. Time is wall time; CPU is the main thread's.
// Run on an X display with an EWMH window manager (scripts/virtual-desktop.sh start, then source the file it
// prints).
#include "Platforms/GLib/GLibMainLoop.h"
#include "Platforms/GTK/GTKOverlayPanels.h"
#include "Platforms/X11/X11Desktop.h"
#include "QuorvaneApp/Platform/WindowSystem.h"
#include "QuorvaneApp/Views/TileOverlay.h"
#include "QuorvaneApp/Tiling/WindowAccess.h"
#include "Hotkeys/TileKeys.h"
#include "helpers/ForeignWindows.h"

#include <benchmark/benchmark.h>
#include <glib.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

using namespace quorvane;

constexpr int windowCount = 12;

void drawPending()
{
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
}

void refreshWithTwelveWindows(benchmark::State& state)
{
    const char* display = std::getenv("DISPLAY");
    if (!display || !GTKOverlayPanels::start(display)) {
        state.SkipWithError("needs an X display (scripts/virtual-desktop.sh)");
        return;
    }
    GLibMainLoop loop;
    X11Desktop desktop(loop);
    GTKOverlayPanels panels;
    WindowAccess access(desktop.windowSystem(), desktop.applications());
    TileOverlay overlay(loop, panels, access, desktop.permissions());
    bench::ForeignWindows windows(windowCount, 60, 40);
    for (int tries = 0; tries < 500 && desktop.windowSystem().windows().size() < windowCount; ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    overlay.show(false, 0, TileKeys::resolved({}));
    drawPending();
    for (auto _ : state) {
        // As the 0.6-second timer runs it in the application: one piece of the main loop's work, whose reads
        // of the window system are shared.
        bool done = false;
        loop.post([&] {
            overlay.refresh();
            done = true;
        });
        while (!done)
            g_main_context_iteration(nullptr, TRUE);
        state.PauseTiming();
        drawPending();
        state.ResumeTiming();
    }
    state.counters["windows"] = static_cast<double>(access.windows().size());
    overlay.hide();
}
BENCHMARK(refreshWithTwelveWindows)->Unit(benchmark::kMicrosecond)->UseRealTime()->Iterations(200);

// The panels' own share of a refresh: the same cheat sheet and twelve unchanged rings handed over again.
void panelsWithTwelveRings(benchmark::State& state)
{
    const char* display = std::getenv("DISPLAY");
    if (!display || !GTKOverlayPanels::start(display)) {
        state.SkipWithError("needs an X display (scripts/virtual-desktop.sh)");
        return;
    }
    GTKOverlayPanels panels;
    std::vector<Ring> rings;
    for (int i = 0; i < windowCount; ++i)
        rings.push_back(Ring { Frame { i * 60.0, i * 40.0, 300, 200 }, i == 0 });
    const Frame frame { 12, 632, 936, 420 };
    PanelContent content { "Tile mode", "Benchmark window 0 · left-half", {}, { "Return or Esc leaves" } };
    panels.show(PanelKind::cheatSheet, frame, content);
    panels.setRings(rings);
    drawPending();
    for (auto _ : state) {
        panels.show(PanelKind::cheatSheet, frame, content);
        panels.setRings(rings);
        state.PauseTiming();
        drawPending();
        state.ResumeTiming();
    }
    panels.setRings({});
    panels.hide(PanelKind::cheatSheet);
}
BENCHMARK(panelsWithTwelveRings)->Unit(benchmark::kMicrosecond)->UseRealTime()->Iterations(200);

} // namespace
