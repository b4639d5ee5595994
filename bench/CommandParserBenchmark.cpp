#include "Command/CommandParser.h"
#include "Command/Invocation.h"

#include <benchmark/benchmark.h>

namespace {

void parseCommandLines(benchmark::State& state)
{
    const std::vector<std::vector<std::string>> lines = {
        { "app", "add", "https://mail.example.com", "--name", "Mail", "--hotkey", "opt+cmd+m", "--tile", "left-half" },
        { "--json", "hotkey", "set", "ctrl+opt+shift+k", "com.apple.Safari" },
        { "tile", "Safari", "right-two-thirds", "--display=2", "--timeout", "0.5" },
        { "rule", "add", "com.apple.Terminal", "--tile", "fill", "--title", "^Build" },
        { "--yes", "app", "remove", "Mail" },
        { "config", "show", "--json" },
    };
    for (auto _ : state) {
        for (const auto& words : lines)
            benchmark::DoNotOptimize(quorvane::CommandParser::parse(words));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(lines.size()));
}
BENCHMARK(parseCommandLines);

} // namespace
