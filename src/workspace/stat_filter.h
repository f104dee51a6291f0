#pragma once
// Keeping or removing the combinations of the combination list that carry selected values of a
// statistics method: the filter run of the statistics view and of scenarios. Runs on all cores
// through the combination list's chunk filter step; the old list becomes the undo point and one
// applied-filter row is added.
#include <string>

#include "core/progress.h"
#include "stats/stat_types.h"

namespace tavlora {

class TCombList;
class TCustomStat;
class TStatList;

inline constexpr const char* kStatFilterText = "Фильтрация комбинаций...";

struct TStatFilterRequest {
    std::string name;          // the applied-filter row's name: the method's list caption
    TStatDrawArray selection;  // the selected values, top to bottom as displayed
    std::string valuesText;    // their value texts joined with "; "
    bool remove = false;       // "Удалить выделенные" (exclude) instead of "Оставить выделенные"
    int referenceIndex = 0;    // High - DrawsOffset, 0 when negative (filterReferenceIndex)
    bool sorted = false;       // SortedDraws
};

// Runs the filter with the caller's method instance. An empty selection or an empty list changes
// nothing, takes no undo point and adds no row (returns false). A stop request leaves the list as
// it was before the step and adds no row (returns false). Exceptions of the method propagate with
// the list as it was. Returns true when the step ran and its row was added.
bool statFilter(TCombList& list, const TCustomStat& method, const TStatFilterRequest& request, Progress& progress);
// The same with a new instance of the registry's method at methodIndex.
bool statFilter(TCombList& list, const TStatList& registry, int methodIndex, const TStatFilterRequest& request,
                Progress& progress);

}  // namespace tavlora
