#pragma once
// Timing and printing shared by the figures of tavlora-bench: every figure is printed as
// "name<TAB>milliseconds<TAB>ratio", the ratio taken to the baseline of the same run.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace tavlora::bench {

// The figure names (or parts of names) given with --only; empty: every figure runs.
inline std::vector<std::string>& onlyFigures() {
    static std::vector<std::string> only;
    return only;
}

// True when the figure `name` is to run: no --only was given, or one of its words is part of name.
inline bool wanted(const std::string& name) {
    const auto& only = onlyFigures();
    if (only.empty()) return true;
    for (const auto& part : only)
        if (name.find(part) != std::string::npos) return true;
    return false;
}

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
