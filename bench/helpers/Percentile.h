#pragma once

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

} // namespace quorvane::bench
