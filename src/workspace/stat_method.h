#pragma once
// Method instances for the statistics view, the norm files and the filter, reachable without
// including the statistics class headers: a TCustomStat is only forward-declared here, so this
// header can be used next to the combination list's header (both headers name a filter mode
// `TFilterMode`, with different meanings, and cannot share one translation unit).
#include <cstddef>
#include <cstdint>
#include <functional>
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

// The chunk form of a filter test over combinations (the shape the combination list's chunk
// filter step takes): matched[k] = 1 when combination first + k carries a selected value.
using TStatMatchChunk =
    std::function<void(const TComb* combs, std::size_t first, std::size_t count, unsigned worker, uint8_t* matched)>;

// Prepares a filter run (load draws(-1, reference, sorted) and the method's lookup tables of the
// selection) and returns the test, which calls the method's const match test and may run on
// several threads at once. remove selects the exclude mode of the match test. The method and the
// selection must outlive the returned test.
TStatMatchChunk statMatchChunk(TCustomStat& method, const TStatDrawArray& selection, int referenceIndex, bool sorted,
                               bool remove);

}  // namespace tavlora
