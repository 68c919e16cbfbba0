// The two figures the benchmarks take of their runs: the milliseconds since
// a start and the median of several runs.
#pragma once

#include <algorithm>
#include <chrono>
#include <vector>

namespace speclore::bench {

inline double millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace speclore::bench
