#include "Configuration/ConfigFile.h"
#include "Configuration/DefaultConfig.h"
#include "Configuration/QuorvaneConfig.h"

#include <benchmark/benchmark.h>
#include <string>

namespace {

using quorvane::ConfigFile;

// A heavy user's file: 500 web apps, 500 application hotkeys, 200 rules and 50 layouts of four windows.
std::string largeConfigText()
{
    std::string text(quorvane::DefaultConfig::text());
    for (int index = 0; index < 500; ++index) {
        auto slug = "site" + std::to_string(index);
        text += "\n[apps." + slug + "]\nurl = \"https://" + slug + ".example.com/inbox\"\nname = \"Site "
            + std::to_string(index) + "\"\nbundle_id = \"app.quorvane.web." + slug + "\"\nhotkey = \"ctrl+opt+shift+"
            + std::to_string(index % 10) + "\"\ntile = \"left-half\"\nuser_css = \"body { margin: 0 }\"\n";
    }
    text += "\n[hotkeys]\n";
    for (int index = 0; index < 500; ++index) {
        text += "\"ctrl+opt+cmd+" + std::to_string(index) + "\" = { bundle = \"com.example.app" + std::to_string(index)
            + "\" } # app " + std::to_string(index) + "\n";
    }
    for (int index = 0; index < 200; ++index) {
        text += "\n[rules.rule" + std::to_string(index) + "]\nbundle = \"com.example.app" + std::to_string(index)
            + "\"\ntitle = \"^Project \\\\d+\"\ntile = \"right-third\"\ndisplay = 2\n";
    }
    for (int index = 0; index < 50; ++index) {
        text += "\n[layouts.layout" + std::to_string(index)
            + "]\nsafari = \"left-half\"\nmail = \"right-half\"\n"
              "terminal = \"bottom-right\"\nnotes = \"top-right\"\n";
    }
    return text;
}

const std::string& textOf(int64_t which)
{
    static const std::string defaultText(quorvane::DefaultConfig::text());
    static const std::string largeText = largeConfigText();
    return which == 0 ? defaultText : largeText;
}

void parseConfig(benchmark::State& state)
{
    auto& text = textOf(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(ConfigFile(text));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(parseConfig)->ArgName("large")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void decodeConfig(benchmark::State& state)
{
    ConfigFile file(textOf(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(file.decode());
}
BENCHMARK(decodeConfig)->ArgName("large")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void parseAndDecodeConfig(benchmark::State& state)
{
    auto& text = textOf(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(ConfigFile(text).decode());
}
BENCHMARK(parseAndDecodeConfig)->ArgName("large")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void saveGeneralSettings(benchmark::State& state)
{
    ConfigFile file(textOf(state.range(0)));
    auto general = file.decode().general;
    for (auto _ : state) {
        auto copy = file;
        copy.setGeneral(general);
        benchmark::DoNotOptimize(copy.text());
    }
}
BENCHMARK(saveGeneralSettings)->ArgName("large")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace
