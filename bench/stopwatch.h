#pragma once
// Timing helpers: every figure is the median of several runs after one
// untimed warm-up run (file cache, first-use allocations). Paired measures
// alternate ours and the reference run by run, so a change of the machine's
// load during the measure reaches both sides alike.

#include <algorithm>
#include <chrono>
#include <vector>

namespace stopwatch {

using Clock = std::chrono::steady_clock;

template<class F>
double seconds(F &&fn)
{
    const auto start = Clock::now();
    fn();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

inline double median(std::vector<double> values)
{
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

template<class F>
double medianSeconds(int runs, F &&fn)
{
    fn();
    std::vector<double> t;
    for (int i = 0; i < runs; ++i) t.push_back(seconds(fn));
    return median(t);
}

struct Pair
{
    double ours = 0;
    double reference = 0;
};

template<class A, class B>
Pair medianPair(int runs, A &&ours, B &&reference)
{
    ours();
    reference();
    std::vector<double> a, b;
    for (int i = 0; i < runs; ++i) {
        a.push_back(seconds(ours));
        b.push_back(seconds(reference));
    }
    return {median(a), median(b)};
}

} // namespace stopwatch
