// tavlora-bench: timings of the hot loops over the combination list.
//
// Every figure is printed as "name<TAB>milliseconds<TAB>ratio", the ratio being the figure
// divided by the baseline measured in the same run: a plain single-threaded pass over the full
// list of 11,238,513 combinations summing each. Each figure is the best of several repetitions.
// The wheel generator's figures (wheel_K..._t...) run once each and add the wheel's size, the
// lower bound and the greedy cover's size as further columns. stakes_page_1e6 is one page of the
// stakes grid (40 rows read and formatted) over a file of a million stakes.
//
// Usage: see kUsage below (tavlora-bench --help).
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>

#include "archive/draws_csv.h"
#include "core/game.h"
#include "core/interaction.h"
#include "bench_util.h"
#include "core/parallel.h"
#include "core/progress.h"
#include "core/records.h"
#include "workspace/comb_list.h"

using namespace tavlora;

namespace {

constexpr int kRepetitions = 5;

const char* kUsage =
    "Usage: tavlora-bench [SAMPLE.csv] [--only NAME[,NAME...]] [--workers N] [--all-methods]\n"
    "  Prints \"name<TAB>milliseconds<TAB>ratio\" per figure, the ratio taken to a plain one-thread\n"
    "  pass over the full list of combinations measured in the same run.\n"
    "  SAMPLE.csv     the draw archive to use (default: the bundled sample)\n"
    "  --only WORDS   run only the figures whose names contain one of the comma-separated words\n"
    "                 (the baseline always runs)\n"
    "  --workers N    worker threads of the parallel loops (default: every core)\n"
    "  --all-methods  instead of the usual figures: the typical keep filter of every method and\n"
    "                 the norm file of every method with norms, each with the median and maximum\n"
    "                 ratio (all_filter_keep_CODE, all_norm_file_CODE)\n"
    "  --help         this text\n";

// Best time in milliseconds of fn over the repetitions; prepare runs untimed before each.
double bestOf(const std::function<void()>& prepare, const std::function<void()>& fn) {
    return bench::bestOf(kRepetitions, prepare, fn);
}

void print(const std::string& name, double ms, double baseline) { bench::printFigure(name, ms, baseline); }

TDrawsArray readSampleDraws(const std::filesystem::path& file) {
    TDrawsArray draws;
    std::ifstream in(file, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        draws.push_back(parseDrawCsvLine(line, static_cast<int>(draws.size())));
    }
    return draws;
}

volatile uint64_t gSink = 0;

}  // namespace

// The scenario test figures (bench_scenario.cpp).
void benchScenario(const std::filesystem::path& sampleDir, double baseline);

// One filter per statistics family and more norm files (bench_families.cpp).
void benchFamilies(TCombList& list, const std::function<void()>& regenerate, const TDrawsArray& draws,
                   double baseline);

// Every method's keep filter and norm file (bench_families.cpp).
void benchAllMethods(TCombList& list, const std::function<void()>& regenerate, const TDrawsArray& draws,
                     double baseline);

// Whole tavlora-cli commands (bench_cli.cpp); false when a command failed.
bool benchCli(const std::filesystem::path& sample, double baseline);

// The wheel generator's sizes (bench_wheels.cpp); false when a wheel failed its checks.
bool benchWheels(double baseline);
bool benchStakesPage(double baseline);

// The statistics view's figures (bench_stats.cpp).
void benchStatistics(TCombList& list, const std::function<void()>& regenerate, const TDrawsArray& draws,
                     double baseline);

int main(int argc, char** argv) {
    std::filesystem::path sample = std::filesystem::path(TAVLORA_SAMPLE_DIR) / "draws.csv";
    bool allMethods = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        std::string words;
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--all-methods") {
            allMethods = true;
            continue;
        }
        if (arg == "--workers" && i + 1 < argc) {
            setWorkerCountOverride(static_cast<unsigned>(std::max(0, std::atoi(argv[++i]))));
            continue;
        }
        if (arg == "--only" && i + 1 < argc)
            words = argv[++i];
        else if (arg.rfind("--only=", 0) == 0)
            words = arg.substr(7);
        else if (arg.rfind("-", 0) == 0) {
            std::fprintf(stderr, "tavlora-bench: unknown option %s\n%s", arg.c_str(), kUsage);
            return 2;
        } else {
            sample = arg;
            continue;
        }
        size_t from = 0;
        while (from <= words.size()) {
            const size_t comma = std::min(words.find(',', from), words.size());
            if (comma > from) bench::onlyFigures().push_back(words.substr(from, comma - from));
            from = comma + 1;
        }
    }
    const TDrawsArray draws = readSampleDraws(sample);
    if (draws.size() < 100) {
        std::cerr << "tavlora-bench: the sample archive " << sample << " holds " << draws.size()
                  << " draws; 100 are needed\n";
        return 1;
    }
    std::fprintf(stderr, "workers: %u, draws: %zu, repetitions: %d\n", workerCount(), draws.size(), kRepetitions);

    NullProgress progress;
    ScriptedInteraction ui;
    TCombList list;
    auto full = [&] {
        if (!list.generate(kGenerateFull, "", progress, ui) || list.count() != kFullCombCount) {
            std::cerr << "tavlora-bench: generation failed\n";
            std::exit(1);
        }
    };
    full();

    // Baseline: one thread, one pass, the sum of every combination.
    const double baseline = bestOf(nullptr, [&] {
        uint64_t sum = 0;
        for (const TComb& c : list.combs()) sum += c.n[0] + c.n[1] + c.n[2] + c.n[3] + c.n[4];
        gSink = gSink + sum;
    });
    print("baseline_sum_pass", baseline, baseline);
    if (allMethods) {
        benchAllMethods(list, full, draws, baseline);
        return 0;
    }
    const bool cliOk = benchCli(sample, baseline);
    const bool wheelsOk = benchWheels(baseline);
    const bool stakesOk = benchStakesPage(baseline);

    if (bench::wanted("generate_mode0")) print("generate_mode0", bestOf(nullptr, full), baseline);

    if (bench::wanted("remove_last_100_draws"))
        print("remove_last_100_draws",
              bestOf(full, [&] { list.removeLastDraws(draws, static_cast<int>(draws.size()) - 1, 100, progress); }),
              baseline);

    if (bench::wanted("undo")) {
        print("undo", bestOf([&] {
                  full();
                  list.removeLastDraws(draws, static_cast<int>(draws.size()) - 1, 100, progress);
              },
                             [&] { list.undo(progress); }),
              baseline);
    }

    // Keep the combinations holding one of ten numbers.
    std::array<bool, 256> mine{};
    for (int v : {3, 9, 14, 22, 31, 38, 45, 52, 60, 67}) mine[static_cast<std::size_t>(v)] = true;
    if (bench::wanted("keep_filter_10_numbers")) {
        print("keep_filter_10_numbers",
              bestOf(full,
                     [&] {
                         list.filterStep(
                             TCombFilterMode::Keep,
                             [&](const TComb& c) {
                                 return mine[c.n[0]] | mine[c.n[1]] | mine[c.n[2]] | mine[c.n[3]] | mine[c.n[4]];
                             },
                             progress);
                     }),
              baseline);
    }
    if (bench::wanted("keep_filter_10_numbers_chunks")) {
        print("keep_filter_10_numbers_chunks",
              bestOf(full,
                     [&] {
                         list.filterStepChunks(
                             TCombFilterMode::Keep,
                             [&](const TComb* combs, std::size_t, std::size_t count, unsigned, uint8_t* matched) {
                                 for (std::size_t k = 0; k < count; ++k) {
                                     const TComb& c = combs[k];
                                     matched[k] = mine[c.n[0]] | mine[c.n[1]] | mine[c.n[2]] | mine[c.n[3]] | mine[c.n[4]];
                                 }
                             },
                             progress);
                     }),
              baseline);
    }
    benchStatistics(list, full, draws, baseline);
    benchFamilies(list, full, draws, baseline);
    // The scenario test uses the example scenario beside the sample archive.
    list.release();
    if (bench::wanted("scenario")) benchScenario(sample.parent_path(), baseline);
    if (!stakesOk) return 1;
    if (!cliOk) return 1;
    if (!wheelsOk) {
        std::cerr << "tavlora-bench: a wheel did not cover every t-set or was larger than the greedy cover\n";
        return 1;
    }
    return 0;
}
