// tavlora-bench figures of the wheel generator: for t = 2 and t = 3 and K = 6..20, the wheel the
// generator builds with its default options and seed 1 (and, as the command line does with the
// Systems folder, the wheel just built for K-1 as a second start), printed beside the Schönheim
// lower bound and beside the plain greedy cover of the same K and t. Every wheel is checked to
// cover all t-sets. One line per wheel:
//   wheel_K12_t3<TAB>milliseconds<TAB>ratio<TAB>size N<TAB>bound B<TAB>greedy G<TAB>verified
// the ratio being the time over the baseline pass of the run.
#include <chrono>
#include <cstdio>
#include <string>

#include "bench_util.h"
#include "core/format.h"
#include "core/progress.h"
#include "stakes/wheel_generator.h"

using namespace tavlora;

// Called by the harness with the baseline of the run (milliseconds). Returns false when a wheel
// does not cover or is larger than the greedy cover.
bool benchWheels(double baseline) {
    bool ok = true;
    for (int t : {2, 3}) {
        std::vector<TComb> previous;
        for (int k = 6; k <= 20; ++k) {
            const std::string name = fmt("wheel_K%.2d_t%d", k, t);
            if (!bench::wanted(name)) {
                previous.clear();
                continue;
            }
            TWheelOptions options;
            options.numbers = k;
            options.guarantee = t;
            options.base = previous;
            NullProgress progress;
            const auto t0 = std::chrono::steady_clock::now();
            const TWheelResult wheel = generateWheel(options, progress);
            const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
            previous = wheel.blocks;
            const int64_t greedy = static_cast<int64_t>(greedyWheel(k, t).size());
            const TWheelCheck check = verifyWheel(wheel.blocks, k, t);
            const bool good = check.covers() && wheel.size() <= greedy && wheel.size() >= wheel.lowerBound;
            ok = ok && good;
            std::printf("%s\t%.3f\t%.2f\tsize %lld\tbound %lld\tgreedy %lld\t%s%s\n", name.c_str(), ms,
                        baseline > 0 ? ms / baseline : 0.0, static_cast<long long>(wheel.size()),
                        static_cast<long long>(wheel.lowerBound), static_cast<long long>(greedy),
                        good ? "verified" : "FAILED", wheel.timedOut ? " (time limit)" : "");
            std::fflush(stdout);
        }
    }
    return ok;
}
