#include "session/method_example.h"

#include <memory>

#include "session/session.h"
#include "stats/custom_stat.h"
#include "stats/stat_list.h"
#include "stats/stat_types.h"

namespace tavlora {

TMethodExample methodExample(const Session& session, int methodIndex) {
    TMethodExample example;
    const TStatList& registry = session.statList();
    const int end = session.analysisEndIndex();
    if (methodIndex < 0 || methodIndex >= registry.count() || end < 0 ||
        end >= static_cast<int>(session.draws().size()))
        return example;
    example.drawIndex = end;
    example.draw = session.drawForAnalysis(end);

    const bool sorted = session.sortedDraws();
    std::unique_ptr<TCustomStat> method = registry.createInstance(methodIndex);
    auto state = std::make_unique<TStatState>();  // large: kept off the stack
    TLastValueArray lastValues;
    TStatDrawArray list;
    method->valuesOfDraw(end, end, sorted, list, *state, lastValues);
    example.values.reserve(list.size());
    for (const TStatDraw& v : list) example.values.push_back(method->valueToText(v));
    if (registry.isGraph(methodIndex))
        if (const auto* graph = dynamic_cast<const TCustomGraphStat*>(method.get()))
            example.graphNumber = graph->numberOfDraw(end, end, sorted);
    return example;
}

}  // namespace tavlora
