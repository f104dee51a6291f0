#pragma once
// The numeric value of a statistics-table row label, read by the method instance (kept in its
// own file: the statistics class headers cannot share a translation unit with the combination
// list's header).
#include <cstdint>
#include <string>
#include <string_view>

namespace tavlora {

class TCustomStat;
class TStatList;

int32_t methodLabelValue(const TCustomStat& method, std::string_view label);
// Whether the registry's method at index is a valid index and offered by the method list
// (available, listed and shown).
bool methodInStatList(const TStatList& registry, int index);
// The method's display caption (its name).
std::string methodDisplayName(const TStatList& registry, int index);

}  // namespace tavlora
