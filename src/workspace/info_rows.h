#pragma once
// The property list of the information window "Подробная информация": for one combination (a
// draw of the archive or a candidate of the combination list) the draw number and date rows,
// then one row per listed graph method of the registry, in registry order, with the method's
// number of that combination. Shared by the window and the command line.
#include <string>
#include <vector>

#include "core/records.h"

namespace tavlora {

class TStatList;

inline constexpr const char* kInfoDrawNumberRow = "Номер тиража:";
inline constexpr const char* kInfoDrawDateRow = "Дата тиража:";

struct TInfoRequest {
    int drawNumber = -1;     // -1: a combination that is not a draw (no number row)
    std::string dateText;    // empty: no date row
    TComb nums{};            // the five numbers in the order shown
    bool sorted = false;     // SortedDraws, handed on to the methods
    int drawIndex = -1;      // archive index of the draw; the analysis end index for a combination
    int referenceIndex = -1; // the analysis end index
};

struct TInfoRow {
    std::string property;
    std::string value;
    bool operator==(const TInfoRow&) const = default;
};

std::vector<TInfoRow> infoRows(const TStatList& registry, const TInfoRequest& request);

}  // namespace tavlora
