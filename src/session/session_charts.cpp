// The chart views' data over the session's archive.
#include <memory>

#include "core/error.h"
#include "core/format.h"
#include "session/session.h"
#include "stats/stat_list.h"

namespace tavlora {

TDrawsGraph Session::drawsGraph(int methodIndex, int window) const {
    const TStatList& list = statList();
    if (methodIndex < 0 || methodIndex >= list.count()) return {};
    if (!list.isGraph(methodIndex))
        throw EError(fmt("Метод \"%s\" не строит график!", list.item(methodIndex).code()));
    const std::unique_ptr<TCustomStat> method = list.createInstance(methodIndex);
    const auto& graph = dynamic_cast<const TCustomGraphStat&>(*method);
    return computeDrawsGraph(graph, draws(), analysisEndIndex(), window, sortedDraws());
}

TRepeatsTable Session::repeatsTable(int drawsLength, int depth, Progress* progress) const {
    return computeRepeats(draws(), drawsLength, depth, progress);
}

}  // namespace tavlora
