// What a dotless application word costs the command-line tool: finding its desktop file with plain file
// look-ups along the XDG data folders of this machine, for an installed id, an id with sub-folder dashes that
// names nothing, and an unknown word.
#include "Configuration/DesktopEntryLookup.h"
#include "Configuration/QuorvanePaths.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

using namespace quorvane;

void lookUp(benchmark::State& state, const char* id)
{
    const char* home = std::getenv("HOME");
    QuorvanePaths paths = QuorvanePaths::fromEnvironment(home ? home : "/root");
    for (auto _ : state)
        benchmark::DoNotOptimize(DesktopEntryLookup::isInstalled(paths, id));
}

BENCHMARK_CAPTURE(lookUp, installed, "openbox");
BENCHMARK_CAPTURE(lookUp, dashedUnknown, "org-example-some-long-editor-name");
BENCHMARK_CAPTURE(lookUp, unknown, "nothing");

} // namespace
