#pragma once
// The benchmarks' clock: seconds from the high-resolution performance counter, and the median of a
// series of timings.
#include <windows.h>

#include <algorithm>
#include <vector>

inline double BenchSeconds() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / frequency;
}

// The middle value (of an even count, the upper of the two middle ones); the series must not be empty.
inline double BenchMedian(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
