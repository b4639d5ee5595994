// The tray menu's rebuild with fifty web apps and fifty saved layouts: the presenter's own share, handed to
// the simulated item (the GTK item's share is X11StatusMenuBenchmark's).
#include "Platforms/Simulated/SimulatedMainLoop.h"
#include "Platforms/Simulated/SimulatedStatusItem.h"
#include "QuorvaneApp/Views/StatusMenu.h"

#include "helpers/MenuScene.h"

#include <benchmark/benchmark.h>

namespace {

using namespace quorvane;

void rebuildWithFiftyAppsAndLayouts(benchmark::State& state)
{
    SimulatedMainLoop loop;
    SimulatedStatusItem item;
    Banner banner;
    bench::MenuScene scene;
    StatusMenu menu(loop, item, scene, banner, bench::MenuScene::idleActions());
    loop.runPending();
    for (auto _ : state) {
        scene.changeBanner(banner);
        menu.rebuild();
    }
    state.counters["lines"] = static_cast<double>(item.labels("Layouts").size() + item.labels("Web Apps").size());
    state.counters["updates"] = item.menuUpdates();
}
BENCHMARK(rebuildWithFiftyAppsAndLayouts)->Unit(benchmark::kMicrosecond);

} // namespace
