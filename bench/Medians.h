// What the first-frame benchmarks time with and print: the monotonic clock, the median of a
// series and one line of median, minimum and maximum in milliseconds.
#pragma once

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

// The clock the frame hook stamps its notes with, in nanoseconds.
inline long long monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// labelWidth keeps the columns of one benchmark's lines under each other.
inline void report(const char* what, const std::vector<double>& ms, int labelWidth) {
    std::printf("  %-*s median %6.1f ms   min %6.1f   max %6.1f\n", labelWidth, what, median(ms),
                *std::min_element(ms.begin(), ms.end()), *std::max_element(ms.begin(), ms.end()));
}
