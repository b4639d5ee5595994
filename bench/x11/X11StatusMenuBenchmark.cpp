// The tray menu's rebuild with fifty web apps and fifty saved layouts over the GTK item: the presenter, the
// GTK menu and its D-Bus mirror. `newLines` 0: the banner's text changes, and the menu is changed where it
// stands; 1: the banner comes and goes, and a new menu is built. With a host, the host's read of the whole
// menu that follows each rebuild is served on the main thread too. CPU is the main thread's. Run on an X display with a session bus
// (scripts/virtual-desktop.sh start, then source the file it prints).
#include "Platforms/GTK/GTKOverlayPanels.h"
#include "Platforms/GTK/GTKStatusItem.h"
#include "Platforms/GLib/GLibMainLoop.h"
#include "QuorvaneApp/Views/StatusMenu.h"
#include "X11/TestTrayHost.h"

#include "helpers/MenuScene.h"

#include <benchmark/benchmark.h>
#include <glib.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <thread>

namespace {

using namespace quorvane;

void drainPending()
{
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
}

void rebuild(benchmark::State& state)
{
    bool newLines = state.range(0) != 0;
    bool hostReads = state.range(1) != 0;
    const char* display = std::getenv("DISPLAY");
    if (!display || !GTKOverlayPanels::start(display)) {
        state.SkipWithError("needs an X display (scripts/virtual-desktop.sh)");
        return;
    }
    std::optional<test::TestTrayHost> host;
    if (hostReads)
        host.emplace();
    GLibMainLoop loop;
    GTKStatusItem item("quorvane-bench", "");
    Banner banner;
    bench::MenuScene scene;
    StatusMenu menu(loop, item, scene, banner, bench::MenuScene::idleActions());
    drainPending();
    for (int tries = 0; host && host->registrations().empty() && tries < 2000; ++tries) {
        drainPending();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (host && host->registrations().empty()) {
        state.SkipWithError("the item did not register with the test host");
        return;
    }
    size_t lines = 0;
    for (auto _ : state) {
        if (newLines)
            scene.toggleBanner(banner);
        else
            scene.changeBanner(banner);
        menu.rebuild();
        if (host) {
            // The host reads on its own thread; this thread serves the read as the application's does.
            std::atomic<bool> read = false;
            std::thread reader([&] {
                std::optional<test::TrayMenuItem> shown = host->menu();
                lines = shown ? shown->labels().size() : 0;
                read = true;
                g_main_context_wakeup(nullptr);
            });
            while (!read)
                g_main_context_iteration(nullptr, TRUE);
            reader.join();
        }
        drainPending();
    }
    if (host)
        state.counters["top_lines"] = static_cast<double>(lines);
}
BENCHMARK(rebuild)
    ->ArgNames({ "newLines", "hostReads" })
    ->ArgsProduct({ { 0, 1 }, { 0, 1 } })
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(200);

} // namespace
