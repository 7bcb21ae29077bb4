#ifndef ENVCHECK_READER_BENCH_SUPPORT_H
#define ENVCHECK_READER_BENCH_SUPPORT_H

// What the reader's benchmarks share: a clock, a quantile of runs, and the tests' file helpers.
#include <algorithm>
#include <chrono>
#include <vector>

#include "../tests/Files.h"

namespace bench {

using Clock = std::chrono::steady_clock;

inline double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// The value a fraction of the others are below: 0.5, the median; -1 of none.
inline double Quantile(std::vector<double> values, double fraction = 0.5)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[std::min(values.size() - 1, static_cast<size_t>(fraction * values.size()))];
}

inline double Median(std::vector<double> values) { return Quantile(std::move(values)); }

}  // namespace bench

#endif
