// The census's read of the window system over 50 real windows: run on an X display with an EWMH window
// manager (scripts/virtual-desktop.sh start, then source the file it prints).
#include "Platforms/GLib/GLibMainLoop.h"
#include "Platforms/X11/X11Desktop.h"
#include "QuorvaneApp/Platform/WindowSystem.h"
#include "helpers/XcbAtom.h"

#include <benchmark/benchmark.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

using namespace quorvane;

constexpr int windowCount = 50;

// Fifty titled, classed windows of another "process" (they claim pid 1), mapped and managed.
class FiftyWindows {
public:
    FiftyWindows()
    {
        m_connection = xcb_connect(nullptr, nullptr);
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        auto atom = [&](const char* name) { return quorvane::bench::internAtom(m_connection, name); };
        xcb_atom_t netName = atom("_NET_WM_NAME"), utf8 = atom("UTF8_STRING"), pidAtom = atom("_NET_WM_PID");
        for (int i = 0; i < windowCount; ++i) {
            xcb_window_t window = xcb_generate_id(m_connection);
            xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, window, screen->root, static_cast<int16_t>(i * 10),
                static_cast<int16_t>(i * 10), 300, 200, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0,
                nullptr);
            std::string title = "Benchmark window " + std::to_string(i);
            xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, netName, utf8, 8,
                static_cast<uint32_t>(title.size()), title.data());
            const char wmClass[] = "bench\0BenchWindow";
            xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                sizeof wmClass, wmClass);
            uint32_t pid = 1;
            xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, pidAtom, XCB_ATOM_CARDINAL, 32, 1, &pid);
            xcb_map_window(m_connection, window);
        }
        xcb_flush(m_connection);
    }
    ~FiftyWindows() { xcb_disconnect(m_connection); }

private:
    xcb_connection_t* m_connection;
};

void windowsOfTheCensus(benchmark::State& state)
{
    if (!std::getenv("DISPLAY")) {
        state.SkipWithError("needs an X display (scripts/virtual-desktop.sh)");
        return;
    }
    GLibMainLoop loop;
    X11Desktop desktop(loop);
    FiftyWindows windows;
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
