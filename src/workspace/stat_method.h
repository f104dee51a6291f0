#pragma once
// Method instances for the statistics view, the norm files and the filter, reachable without
// including the statistics class headers: a TCustomStat is only forward-declared here, which keeps
// the heavy statistics headers out of the views and the combination list's users.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/records.h"
#include "stats/stat_types.h"

namespace tavlora {

class TCustomStat;
class TStatList;

struct TCustomStatDeleter {
    void operator()(TCustomStat* method) const;
};
// An owned method instance.
using TStatInstancePtr = std::unique_ptr<TCustomStat, TCustomStatDeleter>;

// A new instance of the registry's method at index.
TStatInstancePtr createStatInstance(const TStatList& registry, int methodIndex);
// Index of the method whose formatted code equals code (case ignored); throws EError
// "Неизвестный метод расчета статистики: "<code>"!" when there is none.
int statMethodIndex(const TStatList& registry, std::string_view code);
// The method's formatted code and its decorated list caption (the text the method list shows,
// used as the name of an applied-filter row).
std::string statMethodCode(const TStatList& registry, int methodIndex);
std::string statMethodListCaption(const TStatList& registry, int methodIndex);
// Whether the method has a norm (a norm file can be built for it).
bool methodHasNorm(const TStatList& registry, int methodIndex);
// The method's value text of a value record.
std::string statValueText(const TCustomStat& method, const TStatDraw& value);

}  // namespace tavlora
