#pragma once
// The statistics table of the "Статистика" tab as plain data: for one method and a window of
// draws, one row per value with the 20 column texts (counts, percentages, norm and deviation,
// depth, weight, periods, the three expected draws, the actual next occurrence and the
// differences), the chart series, the last-computation key, the sortable-list comparison and the
// row texts of scenario logs. No user interface; the GUI and the command line show the texts.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/records.h"
#include "core/settings.h"
#include "stats/stat_types.h"
#include "workspace/prefetch.h"

namespace tavlora {

class TCustomStat;
class TStatList;

inline constexpr int kStatColumnCount = 20;
inline constexpr const char* kStatComputingText = "Анализ тиражей и расчет статистики...";
inline constexpr const char* kStatChartActual = "Фактические данные";
inline constexpr const char* kStatChartTotal = "Все возможные комбинации";

// "Значение", "Количество", "Кол-во в %", "Норма", ... "+/- КРН".
const std::array<std::string, kStatColumnCount>& statColumnCaptions();

// What a recomputation depends on; a recomputation that is not forced does nothing while the
// key stays the same.
struct TStatViewKey {
    int archiveLength = -1;
    int drawsOffset = 0;
    int window = 0;
    int methodIndex = -1;
    bool operator==(const TStatViewKey&) const = default;
};

class TStatRecomputeGate {
public:
    // True when a recomputation has to run (forced, or the key changed); stores the key.
    bool begin(const TStatViewKey& key, bool force) {
        if (!force && last_ && *last_ == key) return false;
        last_ = key;
        return true;
    }
    void reset() { last_.reset(); }

private:
    std::optional<TStatViewKey> last_;
};

struct TStatTableInput {
    const TDrawsArray* draws = nullptr;  // the archive (draw numbers of column 16); null: the registry's
    int endIndex = -1;                   // analysis end index: High - DrawsOffset
    int window = 1000;                   // DrawsStatLen
    bool sorted = false;                 // SortedDraws
    TWeights weights;                    // the CDL coefficients (or a scenario's own)
    const TPrefetchData* norms = nullptr;  // the method's norm file; null: no norms
    bool showTotalLine = true;           // the "all combinations" chart series
};

struct TStatTableRow {
    TStatDraw value;  // the row's value record (norm filled in); a filter selection copies it
    std::array<std::string, kStatColumnCount> cells;
};

struct TChartPoint {
    double x = 0;
    double y = 0;
    std::string label;
    bool operator==(const TChartPoint&) const = default;
};

// The chart under the table: empty series when the value list has at most one value.
struct TStatChart {
    std::vector<TChartPoint> actual;  // "Фактические данные"
    std::vector<TChartPoint> total;   // "Все возможные комбинации" (norms loaded and the total line on)
};

struct TStatTable {
    std::vector<TStatTableRow> rows;  // value-list order until sorted
    TStatSummary summary;             // T, cmin, cmax, Dmax of the value list
    int first = 0;                    // window start index
    int last = -1;                    // window end index
    int windowSize = 0;               // W = last - first + 1
    bool normsLoaded = false;
    long double ratio = 0;            // norm = round(file count * ratio)
    TStatChart chart;
};

// Runs the statistics run of the method over the window and builds the table (in value-list
// order; sort it with sortStatRows). With an empty archive or an end index below 0 the table is
// empty.
TStatTable computeStatTable(TCustomStat& method, const TStatTableInput& input);
TStatTable computeStatTable(const TStatList& registry, int methodIndex, const TStatTableInput& input);

// --- sortable list view ------------------------------------------------------------------------
// Compares two cell texts: as numbers when both read as numbers ("," or "." as the decimal
// point, an optional sign), otherwise as texts without regard to case. <0, 0, >0.
int compareListTexts(std::string_view a, std::string_view b);
// Compares two rows by one column, rows with equal texts by their column 0.
int compareListRows(std::span<const std::string> a, std::span<const std::string> b, int column);

// The sort state of a sortable list view: column 1 ascending at first; a click on another
// column sorts by it ascending, a click on the current column reverses the direction.
struct TListSort {
    int column = 1;
    bool descending = false;
    void click(int clicked) {
        if (clicked == column) {
            descending = !descending;
        } else {
            column = clicked;
            descending = false;
        }
    }
    // Whether row a goes before row b.
    bool before(std::span<const std::string> a, std::span<const std::string> b) const {
        const int c = compareListRows(a, b, column);
        return descending ? c > 0 : c < 0;
    }
};
// Stable sort of the table rows by the sort state.
void sortStatRows(std::vector<TStatTableRow>& rows, const TListSort& sort);

// --- rows for scenarios and filters --------------------------------------------------------------
// Texts of columns 0, 1, 2, 4, 5, 6, 7, 8, 10, 11 and 12 of a row (scenario logs).
std::vector<std::string> statRowLogTexts(const TStatTableRow& row);

// A filter selection taken from table rows: the value records of the rows, top to bottom as
// displayed (rowIndices are positions in `rows`, in any order, duplicates ignored), and their
// column-0 texts joined with "; ".
struct TStatSelection {
    TStatDrawArray values;
    std::string text;
};
TStatSelection statSelection(const std::vector<TStatTableRow>& rows, std::vector<std::size_t> rowIndices);

// Position of the row whose column-0 text equals text exactly, or nothing.
std::optional<std::size_t> findStatRow(const std::vector<TStatTableRow>& rows, std::string_view text);

}  // namespace tavlora
