// tavlora-bench figures of a scenario test: the example scenario tested over the last 20 draws
// of the sample archive in a temporary data folder, with a fixed random seed.
//
// Printed in the harness's format "name<TAB>value<TAB>ratio":
//   scenario_test_20_example            total milliseconds, ratio to the baseline pass
//   scenario_test_20_per_full_list_pass milliseconds per full-list pass of filtering (total divided
//                                       by the combinations tested / 11,238,513); its ratio is the
//                                       total time as a multiple of (full-list passes x baseline)
//   scenario_filter_steps_per_s         statistics filter steps per second, ratio to the baseline's
//                                       full-list passes per second
//   scenario_combs_tested_per_s         combinations tested per second, ratio to the baseline's
//                                       combinations per second
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <unistd.h>

#include "archive/draws_csv.h"
#include "core/game.h"
#include "core/interaction.h"
#include "core/progress.h"
#include "scenario/scenario.h"
#include "scenario/scenario_run.h"
#include "bench_util.h"
#include "session/session.h"

using namespace tavlora;

namespace {

using bench::printLine;

}  // namespace

// Called by the harness with the sample folder and the baseline of the run (milliseconds).
void benchScenario(const std::filesystem::path& sampleDir, double baseline) {
    constexpr int kTests = 20;
    const auto folder =
        std::filesystem::temp_directory_path() / ("tavlora-bench-scenario-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    NullProgress progress;
    ScriptedInteraction ui;
    TScenarioRunResult result;
    {
        Session session(folder, progress, ui);
        importDrawsCsv(session.archive(), sampleDir / "draws.csv", progress, ui);
        session.scenario().open(sampleDir / "example.lsc");
        const std::optional<TScenarioEnv> env = session.scenarioEnv(progress, ui);
        if (!env) {
            std::fprintf(stderr, "tavlora-bench: the stakes file of %s cannot be opened\n", folder.c_str());
            return;
        }
        TScenarioRunner runner(*env, progress, ui);
        runner.setSeed(1);
        result = runner.test(session.scenario(), kTests);
    }
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    if (result.failed || result.cycles != kTests) {
        std::fprintf(stderr, "tavlora-bench: the scenario test ended after %d cycles%s\n", result.cycles,
                     result.failed ? " with an error" : "");
        for (const auto& m : ui.messages) std::fprintf(stderr, "  %s\n", m.text.c_str());
        return;
    }
    const double ms = result.seconds * 1000.0;
    const double passes = static_cast<double>(result.combinationsTested) / static_cast<double>(kFullCombCount);
    std::fprintf(stderr, "scenario test %d: %lld filter steps, %lld combinations tested (%.2f full-list passes), %d stakes\n",
                 kTests, static_cast<long long>(result.filterSteps), static_cast<long long>(result.combinationsTested),
                 passes, result.stakesMade);
    printLine("scenario_test_20_example", ms, baseline > 0 ? ms / baseline : 0.0);
    const double perPass = passes > 0 ? ms / passes : 0.0;
    printLine("scenario_test_20_per_full_list_pass", perPass, baseline > 0 ? perPass / baseline : 0.0);
    const double seconds = result.seconds > 0 ? result.seconds : 1e-9;
    const double baselinePassesPerSecond = baseline > 0 ? 1000.0 / baseline : 0.0;
    const double stepsPerSecond = static_cast<double>(result.filterSteps) / seconds;
    printLine("scenario_filter_steps_per_s", stepsPerSecond,
              baselinePassesPerSecond > 0 ? stepsPerSecond / baselinePassesPerSecond : 0.0);
    const double combsPerSecond = static_cast<double>(result.combinationsTested) / seconds;
    const double baselineCombsPerSecond = baselinePassesPerSecond * static_cast<double>(kFullCombCount);
    printLine("scenario_combs_tested_per_s", combsPerSecond,
              baselineCombsPerSecond > 0 ? combsPerSecond / baselineCombsPerSecond : 0.0);
}
