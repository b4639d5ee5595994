// Reading, editing and writing config files: the default file, and generated files of n tables to
// show that time grows linearly with size (bytes/s stays flat as n grows). ParseMemory reports the peak
// heap a read takes per byte of the file, counted by the allocation hooks below: for files of many short
// keys the parsed nodes themselves dominate; for files of long scripts and comments, the reading.

#include "Configuration/ConfigFile.h"
#include "Configuration/DefaultConfig.h"
#include "TOML/TOMLDocument.h"

#include <atomic>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <malloc.h>
#include <new>

namespace {

std::atomic<size_t> allocatedBytes { 0 };
std::atomic<size_t> peakBytes { 0 };

void* counted(void* block)
{
    if (!block)
        throw std::bad_alloc();
    size_t now
        = allocatedBytes.fetch_add(malloc_usable_size(block), std::memory_order_relaxed) + malloc_usable_size(block);
    size_t peak = peakBytes.load(std::memory_order_relaxed);
    while (now > peak && !peakBytes.compare_exchange_weak(peak, now, std::memory_order_relaxed)) { }
    return block;
}

void released(void* block)
{
    if (!block)
        return;
    allocatedBytes.fetch_sub(malloc_usable_size(block), std::memory_order_relaxed);
    std::free(block);
}

} // namespace

void* operator new(size_t size)
{
    return counted(std::malloc(size));
}
void* operator new[](size_t size)
{
    return counted(std::malloc(size));
}
void operator delete(void* block) noexcept
{
    released(block);
}
void operator delete[](void* block) noexcept
{
    released(block);
}
void operator delete(void* block, size_t) noexcept
{
    released(block);
}
void operator delete[](void* block, size_t) noexcept
{
    released(block);
}

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

// A config of `count` web apps that carry long scripts and comment blocks, about 50 KB each.
std::string scriptedConfig(int64_t count)
{
    std::string text(DefaultConfig::text());
    for (int64_t i = 0; i < count; ++i) {
        std::string slug = "app" + std::to_string(i);
        for (int line = 0; line < 100; ++line)
            text += "# Notes on " + slug + ", line " + std::to_string(line) + ": what the script below changes.\n";
        text += "[apps." + slug + "]\nurl = \"https://" + slug + ".example.com/\"\nuser_js = \"\"\"\n";
        for (int line = 0; line < 800; ++line)
            text += "document.body.dataset.line" + std::to_string(line) + " = \"" + slug + "\";\n";
        text += "\"\"\"\n";
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

// The heap one read of the file takes at its peak, line-break normalising included, and the heap the
// parsed document keeps, per byte of the file.
void parseMemory(benchmark::State& state, const std::string& text)
{
    double perByte = 0, keptPerByte = 0;
    for (auto _ : state) {
        size_t before = allocatedBytes.load();
        peakBytes.store(before);
        ConfigFile file(text);
        perByte = static_cast<double>(peakBytes.load() - before) / static_cast<double>(text.size());
        keptPerByte = static_cast<double>(allocatedBytes.load() - before) / static_cast<double>(text.size());
        benchmark::DoNotOptimize(file);
    }
    state.counters["peakBytesPerByte"] = perByte;
    state.counters["keptBytesPerByte"] = keptPerByte;
    state.counters["fileBytes"] = static_cast<double>(text.size());
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

void BM_ParseMemoryTables(benchmark::State& state)
{
    parseMemory(state, generatedConfig(state.range(0)));
}
void BM_ParseMemoryScripts(benchmark::State& state)
{
    parseMemory(state, scriptedConfig(state.range(0)));
}

} // namespace

BENCHMARK(BM_ParseMemoryTables)->Arg(2000)->Arg(40000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseMemoryScripts)->Arg(200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseDefault);
BENCHMARK(BM_RenderDefault);
BENCHMARK(BM_EditDefault);
BENCHMARK(BM_ParseTables)->RangeMultiplier(4)->Range(125, 8000)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderTables)->RangeMultiplier(4)->Range(125, 8000)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditTables)->RangeMultiplier(4)->Range(125, 8000)->Arg(2000)->Unit(benchmark::kMillisecond);
