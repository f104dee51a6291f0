#include "workspace/stat_filter.h"

#include "workspace/comb_list.h"
#include "workspace/stat_method.h"

namespace tavlora {

namespace {

// Sets the status text for the lifetime of the step and clears it on every way out.
class FilterStatus {
public:
    explicit FilterStatus(Progress& progress) : progress_(progress) { progress_.setText(kStatFilterText); }
    ~FilterStatus() { progress_.setText(""); }
    FilterStatus(const FilterStatus&) = delete;
    FilterStatus& operator=(const FilterStatus&) = delete;

private:
    Progress& progress_;
};

}  // namespace

bool statFilter(TCombList& list, TCustomStat& method, const TStatFilterRequest& request, Progress& progress) {
    if (request.selection.empty() || list.empty()) return false;
    FilterStatus status(progress);
    // One call of the method's const match test per combination, on all cores, into the
    // combination list's ordered filter step.
    const TStatMatcher match(method, request.selection, request.referenceIndex, request.sorted, request.remove);
    if (!list.filterStep(request.remove ? TCombFilterMode::Remove : TCombFilterMode::Keep, match, progress)) return false;
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
