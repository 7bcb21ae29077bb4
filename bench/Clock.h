#ifndef ENVCHECK_BENCH_CLOCK_H
#define ENVCHECK_BENCH_CLOCK_H

#include <windows.h>

#include <algorithm>
#include <vector>

// Milliseconds from the performance counter.
inline double NowMs()
{
    static const double ticksPerMs = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / ticksPerMs;
}

inline double Median(std::vector<double> values)
{
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Median of several timings of one action, in milliseconds.
template <typename Action>
double MedianMs(int runs, Action action)
{
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const double start = NowMs();
        action();
        times.push_back(NowMs() - start);
    }
    return Median(times);
}

#endif
