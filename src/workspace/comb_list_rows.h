#pragma once
// The rows of the combination list as the window shows them: position, the five numbers and
// their sum. The command line prints and exports the same rows.
#include <cstddef>
#include <string>
#include <vector>

#include "core/records.h"

namespace tavlora {

// Column captions: "№ п.п.", "1".."5", "S".
const std::vector<std::string>& combListColumns();
// Cells of the row at list position `position` (from 0; the first column shows it from 1).
std::vector<std::string> combListRow(std::size_t position, const TComb& comb);

}  // namespace tavlora
