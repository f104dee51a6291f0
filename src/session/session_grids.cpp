// The number grids of the session and the numbers filter the grids run.
#include <algorithm>

#include "core/error.h"
#include "session/session.h"
#include "workspace/comb_list.h"
#include "workspace/stat_filter.h"
#include "workspace/stat_method.h"

namespace tavlora {

TLayoutGrid Session::layoutGrid(int window) const {
    return computeLayout(draws(), analysisEndIndex(), window, archive_.actualDrawSet());
}

bool Session::filterNumbers(const std::vector<int32_t>& numbers, const std::string& name, bool remove,
                            Progress& progress) {
    // The values are checked first: a selection without numbers must not cost the list its undo.
    const TNumberSelection selection = numberSelection(numbers);
    if (selection.empty()) throw EError(kNoGridValuesText);
    const int method = statMethodIndex(*registry_, "NUMS");
    TStatFilterRequest request;
    request.name = name;
    request.selection = selection.values;
    request.valuesText = selection.text;
    request.remove = remove;
    request.referenceIndex = std::max(0, analysisEndIndex());
    request.sorted = sortedDraws_;
    return statFilter(combList(), *registry_, method, request, progress);
}

}  // namespace tavlora
