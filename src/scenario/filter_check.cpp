#include "scenario/filter_check.h"

#include <algorithm>

#include "core/format.h"
#include "scenario/scenario_run.h"
#include "stats/stat_list.h"

namespace tavlora {

TFilterCheckResult checkFilterItem(const TFilterItem& item) {
    if (!item.used) return {};
    if (!item.method) return {TFilterCheck::UnknownMethod, fmt(kScriptUnknownMethod, item.methodText), TFilterFocus::StatType};
    // A sample length below 1 would compute the statistics over no draws at all.
    const TIntArray draws = item.drawsList();
    if (draws.empty() || std::any_of(draws.begin(), draws.end(), [](int32_t d) { return d < 1; }))
        return {TFilterCheck::DrawsList, kFilterBadRange, TFilterFocus::DrawsLen};
    if (item.selectionMode == kValueListSelectionMode && !item.method->acceptsTypedValues())
        return {TFilterCheck::ValueListMode, kFilterNoValueList, TFilterFocus::LevelMode};
    if (item.selectionMode != 0 && item.selectionList().empty())
        return {TFilterCheck::SelectionList, kFilterBadRange, TFilterFocus::LevelValue};
    if (item.multiSelect && item.stopMode == stCount)
        return {TFilterCheck::MultiSelectCount, kFilterMultiSelectCount, TFilterFocus::StopMode};
    return {};
}

}  // namespace tavlora
