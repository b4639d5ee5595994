// The tray menu's rebuild with fifty web apps and fifty saved layouts over the GTK item: the presenter, the
// GTK menu and its D-Bus mirror, for one change of what the menu shows (MenuScene::Change: the banner's text
// and tone, the banner appearing or going, a layout added, a web app removed). Each iteration times the
// change; putting it back before is not timed. With a host, the host's read of the whole menu that follows
// each rebuild is served on the main thread too. CPU is the main thread's. Run on an X display with a
// session bus (scripts/virtual-desktop.sh start, then source the file it prints).
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

// Rebuilds the menu now, lets the host read all of it when there is one, and runs what the rebuild left for
// the main loop.
size_t rebuildAndRead(StatusMenu& menu, test::TestTrayHost* host)
{
    menu.rebuild();
    size_t lines = 0;
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
    return lines;
}

void rebuild(benchmark::State& state)
{
    auto change = static_cast<bench::MenuScene::Change>(state.range(0));
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
    state.SetLabel(bench::MenuScene::name(change));
    test::TestTrayHost* reader = host ? &*host : nullptr;
    size_t lines = 0;
    for (auto _ : state) {
        state.PauseTiming();
        scene.undo(change, banner);
        rebuildAndRead(menu, reader);
        state.ResumeTiming();
        scene.make(change, banner);
        lines = rebuildAndRead(menu, reader);
    }
    if (host)
        state.counters["top_lines"] = static_cast<double>(lines);
}
BENCHMARK(rebuild)
    ->ArgNames({ "change", "hostReads" })
    ->ArgsProduct({ { 0, 1, 2, 3, 4 }, { 0, 1 } })
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(200);

} // namespace
