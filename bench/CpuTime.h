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

// The median thread CPU time of `runs` calls of fn, in microseconds.
template <typename Fn>
double medianThreadTime(int runs, Fn fn)
{
    std::vector<double> samples;
    for (int i = 0; i < runs; ++i) {
        const double start = microseconds(CLOCK_THREAD_CPUTIME_ID);
        fn();
        samples.push_back(microseconds(CLOCK_THREAD_CPUTIME_ID) - start);
    }
    return median(std::move(samples));
}

} // namespace CpuTime
