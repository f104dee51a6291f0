// The stakes and rating operations the window's stakes and rating tabs call.
#include "scenario/rating_to_scenario.h"
#include "session/session.h"
#include "stakes/stake_actions.h"
#include "stakes/stakes_store.h"
#include "workspace/comb_list.h"

namespace tavlora {

TStakeRecord Session::newManualStake(const std::optional<TComb>& combination) {
    const auto listSize = static_cast<int32_t>(hasCombList() ? combList().count() : 0);
    return tavlora::newManualStake(archive_, settings_, listSize, combination);
}

bool Session::addStake(const TStakeRecord& record, int count, Progress& progress, Interaction& interaction) {
    if (!openStakes(progress, interaction) || !loadRatings(progress, interaction)) return false;
    return addStakeAndCheck(stakes(), record, count, archive_, settings_, ratings(), progress, interaction);
}

int Session::addManualStakes(const TCombsArray& combinations, int32_t drawNumber, int count,
                             const std::string& comment, Progress& progress, Interaction& interaction) {
    if (!openStakes(progress, interaction) || !loadRatings(progress, interaction)) return 0;
    const auto listSize = static_cast<int32_t>(hasCombList() ? combList().count() : 0);
    const int added = tavlora::addManualStakes(stakes(), combinations, drawNumber, count, comment, listSize,
                                               settings_, progress, interaction);
    if (added > 0) checkStakes(progress, interaction);
    return added;
}

std::vector<TGraphSeries> Session::stakesProfitGraph() { return profitGraphSeries(stakes().profitPerDraw()); }

int Session::addRatingsToScenario(const std::vector<std::string>& keys, Progress& progress, Interaction& interaction) {
    return addRatingKeysToScenario(scenario(), keys, interaction, &progress);
}

}  // namespace tavlora
