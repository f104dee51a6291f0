#include "scenario/method_value.h"

#include <algorithm>

#include "stats/custom_stat.h"
#include "stats/stat_list.h"

namespace tavlora {

int32_t methodLabelValue(const TCustomStat& method, std::string_view label) { return method.textToValue(label); }

bool methodInStatList(const TStatList& registry, int index) {
    if (index < 0 || index >= registry.count()) return false;
    const auto listed = registry.methodListIndices(false);
    return std::find(listed.begin(), listed.end(), index) != listed.end();
}

std::string methodDisplayName(const TStatList& registry, int index) {
    return registry.item(index).displayCaption();
}

}  // namespace tavlora
