#include "JSON/JSONValue.h"

#include <benchmark/benchmark.h>
#include <string>

namespace {

using quorvane::JSONValue;

// The shape of `config show --json` for a configuration with 100 web apps and 10 layouts.
JSONValue configPayload()
{
    JSONValue::Array apps;
    for (int i = 0; i < 100; ++i) {
        std::string slug = "app-" + std::to_string(i);
        apps.push_back(JSONValue::Object {
            { "slug", slug },
            { "name", "App \xC3\xA9 " + std::to_string(i) },
            { "url", "https://" + slug + ".example.com/inbox?tab=\"all\"" },
            { "bundleIdentifier", "app.quorvane.webapp." + slug },
            { "hotkey", i % 2 ? JSONValue("opt+cmd+" + std::to_string(i % 10)) : JSONValue() },
            { "tile", i % 3 ? JSONValue("left-half") : JSONValue() },
        });
    }
    JSONValue::Array layouts;
    for (int i = 0; i < 10; ++i) {
        JSONValue::Array assignments;
        for (int j = 0; j < 4; ++j)
            assignments.push_back(
                JSONValue::Object { { "target", "com.example.app" + std::to_string(j) }, { "tile", "top-left" } });
        layouts.push_back(
            JSONValue::Object { { "name", "layout-" + std::to_string(i) }, { "assignments", assignments } });
    }
    return JSONValue::Object { { "version", 1 }, { "apps", apps }, { "layouts", layouts } };
}

void canonicalConfigPayload(benchmark::State& state)
{
    JSONValue payload = configPayload();
    size_t bytes = 0;
    for (auto _ : state) {
        std::string text = payload.canonicalString();
        bytes = text.size();
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(canonicalConfigPayload);

void parseConfigPayload(benchmark::State& state)
{
    std::string text = configPayload().canonicalString();
    for (auto _ : state)
        benchmark::DoNotOptimize(JSONValue::parse(text));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(parseConfigPayload);

} // namespace
