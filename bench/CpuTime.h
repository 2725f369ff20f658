#pragma once

#include <algorithm>
#include <ctime>
#include <vector>

// CPU time readings for the benchmarks.
namespace CpuTime {

inline double microseconds(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return double(now.tv_sec) * 1e6 + double(now.tv_nsec) / 1e3;
}

inline double median(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

} // namespace CpuTime
