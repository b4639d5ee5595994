// Reading, editing and writing config files: the default file, and generated files of n tables to
// show that time grows linearly with size (bytes/s stays flat as n grows).

#include "Configuration/DefaultConfig.h"
#include "TOML/TOMLDocument.h"

#include <benchmark/benchmark.h>

namespace {

using namespace quorvane;

// A config of `count` web-app tables, each with a comment, strings, a multiline script and numbers.
std::string generatedConfig(int64_t count)
{
    std::string text(DefaultConfig::text());
    for (int64_t i = 0; i < count; ++i) {
        std::string slug = "app" + std::to_string(i);
        text += "\n# Web app " + slug + "\n[apps." + slug + "]\nurl = \"https://" + slug + ".example.com/inbox\"\n"
            + "name = \"App " + std::to_string(i) + "\"\nhotkey = \"ctrl+opt+shift+" + std::to_string(i % 10)
            + "\" # launch\ntile = \"left-half\"\nuser_js = \"\"\"\ndocument.title = \"" + slug
            + "\";\nconsole.log(1);\n\"\"\"\nscale = " + std::to_string(i) + ".25\ntags = [\"mail\", \"work\", 3]\n";
    }
    return text;
}

void parse(benchmark::State& state, const std::string& text)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(TOMLDocument::parse(text));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

void render(benchmark::State& state, const std::string& text)
{
    TOMLDocument document = TOMLDocument::parse(text);
    for (auto _ : state)
        benchmark::DoNotOptimize(document.text());
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

// What the tool does for one change: read the file, set a few keys, write it back.
void edit(benchmark::State& state, const std::string& text)
{
    for (auto _ : state) {
        TOMLDocument document = TOMLDocument::parse(text);
        document.set({ "general" }, "tile_gap", TOMLValue::integer(8));
        document.set({ "general" }, "window_style", TOMLValue::string("standard"));
        document.set({ "apps", "new" }, "url", TOMLValue::string("https://new.example.com"));
        document.removeTable({ "apps", "app1" });
        benchmark::DoNotOptimize(document.text());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

void BM_ParseDefault(benchmark::State& state)
{
    parse(state, std::string(DefaultConfig::text()));
}
void BM_RenderDefault(benchmark::State& state)
{
    render(state, std::string(DefaultConfig::text()));
}
void BM_EditDefault(benchmark::State& state)
{
    edit(state, std::string(DefaultConfig::text()));
}
void BM_ParseTables(benchmark::State& state)
{
    parse(state, generatedConfig(state.range(0)));
}
void BM_RenderTables(benchmark::State& state)
{
    render(state, generatedConfig(state.range(0)));
}
void BM_EditTables(benchmark::State& state)
{
    edit(state, generatedConfig(state.range(0)));
}

} // namespace

BENCHMARK(BM_ParseDefault);
BENCHMARK(BM_RenderDefault);
BENCHMARK(BM_EditDefault);
BENCHMARK(BM_ParseTables)->RangeMultiplier(4)->Range(125, 8000)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderTables)->RangeMultiplier(4)->Range(125, 8000)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditTables)->RangeMultiplier(4)->Range(125, 8000)->Arg(2000)->Unit(benchmark::kMillisecond);
