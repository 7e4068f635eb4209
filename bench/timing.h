#pragma once

// Small timing helpers for benchmarks that measure a yardstick and the code in the same iteration.

#include <algorithm>
#include <chrono>
#include <vector>

namespace kelvara::bench {

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Seconds `work` takes, on the steady clock.
template <typename F> double Seconds(F&& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace kelvara::bench
