#pragma once
// A worked example of one statistics method: its values for the newest draw that the analyses
// see (the archive's last draw less the draw offset), as the description window shows them.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/records.h"

namespace tavlora {

class Session;

struct TMethodExample {
    int drawIndex = -1;  // archive index of the draw; -1 when no draw is visible at the offset
    TDraw draw{};        // the draw as the analyses see it (numbers ascending when sorted)
    // The texts of the method's values for that draw, as the first column of the statistics table
    // writes them, in the order the method produces them (a value produced twice is listed once).
    std::vector<std::string> values;
    // The method's graph number of that draw, for a graph method.
    std::optional<int32_t> graphNumber;
};

// The values of the method at methodIndex (registry index) for the newest visible draw, computed
// with the session's sorted switch. The draw is taken alone, with a fresh state block, the way the
// statistics view finds a value after its window.
TMethodExample methodExample(const Session& session, int methodIndex);

}  // namespace tavlora
