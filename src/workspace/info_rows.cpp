#include "workspace/info_rows.h"

#include "stats/custom_stat.h"
#include "stats/stat_list.h"

namespace tavlora {

std::vector<TInfoRow> infoRows(const TStatList& registry, const TInfoRequest& request) {
    std::vector<TInfoRow> rows;
    if (request.drawNumber >= 0) rows.push_back({kInfoDrawNumberRow, std::to_string(request.drawNumber)});
    if (!request.dateText.empty()) rows.push_back({kInfoDrawDateRow, request.dateText});
    for (int i = 0; i < registry.count(); ++i) {
        if (!registry.listed(i) || !registry.isGraph(i)) continue;
        const std::unique_ptr<TCustomStat> method = registry.createInstance(i);
        const auto* graph = dynamic_cast<const TCustomGraphStat*>(method.get());
        if (!graph) continue;  // a graph class that is not a graph method has no number to show
        const int32_t value = graph->numberOfComb(request.nums, request.drawIndex, request.referenceIndex, request.sorted);
        rows.push_back({method->instanceCaption(), std::to_string(value)});
    }
    return rows;
}

}  // namespace tavlora
