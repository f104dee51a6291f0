#pragma once
// Timing and printing shared by the figures of tavlora-bench: every figure is printed as
// "name<TAB>milliseconds<TAB>ratio", the ratio taken to the baseline of the same run.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

namespace tavlora::bench {

// The best time in milliseconds of fn over runs runs; prepare (when given) runs before each,
// untimed.
inline double bestOf(int runs, const std::function<void()>& prepare, const std::function<void()>& fn) {
    using Clock = std::chrono::steady_clock;
    double best = 1e300;
    for (int r = 0; r < runs; ++r) {
        if (prepare) prepare();
        const auto t0 = Clock::now();
        fn();
        best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    }
    return best;
}

// One output line with an explicit second column and ratio.
inline void printLine(const std::string& name, double value, double ratio) {
    std::printf("%s\t%.3f\t%.2f\n", name.c_str(), value, ratio);
    std::fflush(stdout);
}

// One timed figure: its milliseconds and their ratio to the baseline.
inline void printFigure(const std::string& name, double ms, double baseline) {
    printLine(name, ms, baseline > 0 ? ms / baseline : 0.0);
}

}  // namespace tavlora::bench
