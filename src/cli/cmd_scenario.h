#pragma once
// tavlora-cli scenario: the part other command files call.
#include <string>
#include <vector>

#include "cli/cli.h"

namespace tavlora::cli {

// Turns rating rows (1-based positions in the order `ratings list` shows them) into scenario
// lines appended to the working scenario. Serves `scenario from-ratings ROW...` and is meant
// for `ratings to-scenario ROW...`.
int runRatingsToScenario(Context& ctx, const std::vector<std::string>& rows);

}  // namespace tavlora::cli
