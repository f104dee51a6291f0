#include "workspace/stat_filter.h"

#include "workspace/comb_list.h"
#include "stats/stat_run.h"
#include "workspace/stat_method.h"

namespace tavlora {

bool statFilter(TCombList& list, const TCustomStat& method, const TStatFilterRequest& request, Progress& progress) {
    if (request.selection.empty() || list.empty()) return false;
    StatusScope status(progress, kStatFilterText);
    // The method's const chunk match test over chunks of the list, on all cores, into the
    // combination list's ordered filter step.
    const TFilterMode mode = request.remove ? TFilterMode::Exclude : TFilterMode::Include;
    const auto matcher = method.prepareFilter(request.selection, request.referenceIndex, request.sorted, mode);
    const TMatchChunk match = [&](const TComb* combs, std::size_t, std::size_t count, unsigned, uint8_t* matched) {
        matcher->matchChunk(combs, count, matched);
    };
    if (!list.filterStepChunks(request.remove ? TCombFilterMode::Remove : TCombFilterMode::Keep, match, progress))
        return false;
    list.addAppliedFilter(request.name, request.valuesText, request.remove);
    return true;
}

bool statFilter(TCombList& list, const TStatList& registry, int methodIndex, const TStatFilterRequest& request,
                Progress& progress) {
    if (request.selection.empty() || list.empty()) return false;
    TStatInstancePtr method = createStatInstance(registry, methodIndex);
    return statFilter(list, *method, request, progress);
}

}  // namespace tavlora
