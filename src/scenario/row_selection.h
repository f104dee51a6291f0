#pragma once
// Which rows of a statistics list a scenario filter selects: the row texts a selection mode
// looks at (TStatValues) and the test of each of the 32 selection modes.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavlora {

struct TStatTableRow;

// The texts of one statistics-list row that selection and stop modes read, and the numeric value
// of its label (from the method instance's text-to-value conversion).
struct TStatValues {
    std::string label;
    int32_t value = 0;
    std::string count, countPercent;
    std::string deviation, deviationPercent;
    std::string depth, depthPercent;
    std::string weight;
    std::string periodMin, period, periodMax;
};

// The row's texts from the statistics table's columns ("Значение", "Количество", "Кол-во в %",
// "Отклонение", "Откл-ие в %", "Глубина", "Глубина в %", "Вес", "Период min", "Период",
// "Период max").
TStatValues statValuesOfRow(const TStatTableRow& row, int32_t numericValue);

// A decimal cell of the statistics list: "." or "," as the decimal point, an optional sign, no
// exponent; nullopt when unreadable. Independent of the C locale (a GUI running under a locale
// whose decimal point is "," must read "12.5" the same way).
std::optional<long double> readStatDecimal(std::string_view text);

// Whether the row passes selection mode `mode` with the selection value: one number for the
// "not less" / "not more" modes, numbers separated by "," or ";" for the list modes. Integer
// columns read as integers, percent, weight and period columns as decimals ("." or ","). An
// unreadable cell counts as 0 in a "not less" test and, in a "not more" test, as 65535 (integer
// and percent columns) or 0 (weight and period); it is in no list. Mode 0 and modes above 31
// select every row.
bool rowPassesSelection(int mode, const TStatValues& row, std::string_view selectionValue);

}  // namespace tavlora
