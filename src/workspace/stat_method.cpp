#include "workspace/stat_method.h"

#include "core/error.h"
#include "core/format.h"
#include "stats/custom_stat.h"
#include "stats/stat_list.h"
#include "stats/stat_run.h"

namespace tavlora {

void TCustomStatDeleter::operator()(TCustomStat* method) const { delete method; }

TStatInstancePtr createStatInstance(const TStatList& registry, int methodIndex) {
    return TStatInstancePtr(registry.createInstance(methodIndex).release());
}

int statMethodIndex(const TStatList& registry, std::string_view code) {
    const int index = registry.methodWithCode(code);
    if (index < 0) throw EError(fmt("Неизвестный метод расчета статистики: \"%s\"!", std::string(code)));
    return index;
}

std::string statMethodCode(const TStatList& registry, int methodIndex) { return registry.item(methodIndex).code(); }

std::string statMethodListCaption(const TStatList& registry, int methodIndex) {
    return registry.listCaption(methodIndex, true);
}

bool methodHasNorm(const TStatList& registry, int methodIndex) { return registry.hasNorm(methodIndex); }

std::string statValueText(const TCustomStat& method, const TStatDraw& value) { return method.valueToText(value); }

}  // namespace tavlora
