#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

namespace quorvane::bench {

// The 95th percentile of the repetitions of a benchmark, for ComputeStatistics("p95", percentile95).
inline double percentile95(const std::vector<double>& values)
{
    std::vector<double> sorted = values;
    std::sort(sorted.begin(), sorted.end());
    return sorted.empty() ? 0 : sorted[std::min(sorted.size() - 1, sorted.size() * 95 / 100)];
}

// Times a benchmark as `repetitions` single events (one iteration each, timed by the benchmark itself), so
// that its aggregates are the median and the 95th percentile of single events: BENCHMARK(f)->Apply(singleEvents<60>).
template <int repetitions> void singleEvents(benchmark::internal::Benchmark* benchmark)
{
    benchmark->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1)
        ->Repetitions(repetitions)
        ->ComputeStatistics("p95", percentile95)
        ->ReportAggregatesOnly(true);
}

} // namespace quorvane::bench
