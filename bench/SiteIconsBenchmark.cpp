#include "WebApps/NavigationPolicy.h"
#include "WebApps/SiteIcons.h"
#include "WebApps/WebAppBundlePlan.h"

#include <benchmark/benchmark.h>
#include <string>

namespace {

using namespace quorvane;

const std::string base = "https://mail.example.com/inbox";

// A real-world sized head: a dozen icon links and a manifest among 200 KB of markup.
std::string typicalPage()
{
    std::string page = "<!doctype html><html><head><title>Mail</title>";
    for (int size : { 16, 32, 48, 57, 72, 96, 114, 120, 144, 152, 180, 192 })
        page += "<link rel=\"icon\" type=\"image/png\" sizes=\"" + std::to_string(size) + "x" + std::to_string(size)
            + "\" href=\"/icons/" + std::to_string(size) + ".png\">\n";
    page += "<link rel=\"manifest\" href=\"/site.webmanifest\"><link rel=\"stylesheet\" href=\"/s.css\"></head><body>";
    while (page.size() < 200 * 1024)
        page += "<div class=\"message\"><a href=\"/m/1\">Subject line of a message</a></div>\n";
    return page + "</body></html>";
}

// Hostile pages at the 2 MiB download cap: unterminated link tags, and tags without end.
std::string unterminatedLinks()
{
    std::string page;
    while (page.size() < 2 * 1024 * 1024)
        page += "<link rel=icon ";
    return page;
}

std::string manyLinks()
{
    std::string page;
    while (page.size() < 2 * 1024 * 1024)
        page += "<link rel=\"icon\" href=\"/a.png\" sizes=16x16>";
    return page;
}

void runPage(benchmark::State& state, const std::string& page)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(SiteIcons::bestIconURL(SiteIcons::iconCandidates(page, base)));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}

void BM_IconCandidatesTypicalPage(benchmark::State& state)
{
    runPage(state, typicalPage());
}
BENCHMARK(BM_IconCandidatesTypicalPage)->Unit(benchmark::kMillisecond);

void BM_IconCandidatesUnterminatedLinks2MiB(benchmark::State& state)
{
    runPage(state, unterminatedLinks());
}
BENCHMARK(BM_IconCandidatesUnterminatedLinks2MiB)->Unit(benchmark::kMillisecond);

void BM_IconCandidatesManyLinks2MiB(benchmark::State& state)
{
    runPage(state, manyLinks());
}
BENCHMARK(BM_IconCandidatesManyLinks2MiB)->Unit(benchmark::kMillisecond);

void BM_DecideLink(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(
            NavigationPolicy::decideLink(base, "https://login.example.org/oauth/authorize?client_id=1&redirect_uri=x",
                false, true, LinkActivation::userLink));
}
BENCHMARK(BM_DecideLink)->Unit(benchmark::kMicrosecond);

void BM_PlanFiles(benchmark::State& state)
{
    for (auto _ : state) {
        WebAppBundlePlan plan("My Mail", slugify("My Mail"), base, bundleIdentifier("my-mail"), UUID {}, "/Apps");
        benchmark::DoNotOptimize(plan.infoPlist());
        benchmark::DoNotOptimize(plan.stubJSON());
    }
}
BENCHMARK(BM_PlanFiles)->Unit(benchmark::kMicrosecond);

} // namespace
