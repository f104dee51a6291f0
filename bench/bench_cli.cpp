// tavlora-bench figures of whole tavlora-cli commands, from process start to exit, on a fresh
// data folder seeded from the sample archive:
//   cli_filter_step   `filter NUMS --values "1; ...; 10" --keep` (generation, table, filter);
//                     a fourth column gives the command's peak memory in MB.
//   cli_prefetch_all  `prefetch --force`: every norm file, run once.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_util.h"

extern char** environ;

namespace {

struct RunResult {
    bool ok = false;
    double ms = 0;
    double peakMb = 0;
};

// Runs tavlora-cli with the arguments, its output sent to /dev/null; wall time and peak memory.
RunResult runCli(const std::vector<std::string>& args) {
    std::vector<std::string> all{TAVLORA_CLI_PATH};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    RunResult r;
    const auto t0 = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int err = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (err != 0) return r;
    int status = 0;
    rusage usage{};
    if (::wait4(pid, &status, 0, &usage) != pid) return r;
    r.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    r.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    r.peakMb = static_cast<double>(usage.ru_maxrss) / 1024.0;
    return r;
}

}  // namespace

// Called by the harness with the sample archive and the baseline of the run; false when a
// command failed.
bool benchCli(const std::filesystem::path& sample, double baseline) {
    const bool filterWanted = tavlora::bench::wanted("cli_filter_step");
    const bool prefetchWanted = tavlora::bench::wanted("cli_prefetch_all");
    if (!filterWanted && !prefetchWanted) return true;
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("tavlora-bench-cli-" + std::to_string(::getpid()));
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    bool ok = runCli({"--data", dir.string(), "archive", "import", sample.string()}).ok;
    if (ok && filterWanted) {
        double best = 1e300, peak = 0;
        for (int run = 0; run < 5 && ok; ++run) {
            const RunResult r =
                runCli({"--data", dir.string(), "filter", "NUMS", "--values", "1; 2; 3; 4; 5; 6; 7; 8; 9; 10", "--keep"});
            ok = r.ok;
            if (r.ms < best) best = r.ms;
            peak = std::max(peak, r.peakMb);
        }
        if (ok)
            std::printf("cli_filter_step\t%.3f\t%.2f\t%.1f\n", best, baseline > 0 ? best / baseline : 0.0, peak);
        std::fflush(stdout);
    }
    if (ok && prefetchWanted) {
        const RunResult r = runCli({"--data", dir.string(), "prefetch", "--force"});
        ok = r.ok;
        if (ok) tavlora::bench::printFigure("cli_prefetch_all", r.ms, baseline);
    }
    std::filesystem::remove_all(dir, ec);
    if (!ok) std::fprintf(stderr, "tavlora-bench: a tavlora-cli command failed\n");
    return ok;
}
