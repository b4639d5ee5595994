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
#include "helpers/XcbAtom.h"

#include <benchmark/benchmark.h>
#include <glib.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

using namespace quorvane;

constexpr int windowCount = 12;

// Twelve titled windows of another "process" (they claim pid 1), mapped and managed.
class TwelveWindows {
public:
    TwelveWindows()
    {
        m_connection = xcb_connect(nullptr, nullptr);
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        auto atom = [&](const char* name) { return quorvane::bench::internAtom(m_connection, name); };
        xcb_atom_t netName = atom("_NET_WM_NAME"), utf8 = atom("UTF8_STRING"), pidAtom = atom("_NET_WM_PID");
        for (int i = 0; i < windowCount; ++i) {
            xcb_window_t window = xcb_generate_id(m_connection);
            xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, window, screen->root, static_cast<int16_t>(i * 60),
                static_cast<int16_t>(i * 40), 300, 200, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0,
                nullptr);
            std::string title = "Benchmark window " + std::to_string(i);
            xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, netName, utf8, 8,
                static_cast<uint32_t>(title.size()), title.data());
            uint32_t pid = 1;
            xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, pidAtom, XCB_ATOM_CARDINAL, 32, 1, &pid);
            xcb_map_window(m_connection, window);
        }
        xcb_flush(m_connection);
    }
    ~TwelveWindows() { xcb_disconnect(m_connection); }

private:
    xcb_connection_t* m_connection;
};

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
    TwelveWindows windows;
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
