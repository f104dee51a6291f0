#pragma once
// The archive as number grids: the card (every drawn number of every draw), the layout (the
// numbers of a recent window grouped by how often and how recently they came) with its compare
// lists, and the counts of each number per day of the week. Also the numbers picked in a grid as
// the values of the numbers filter (NUMS), so that the window and the command line filter alike.
#include <array>
#include <bitset>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/records.h"
#include "stats/stat_types.h"

namespace tavlora {

inline constexpr const char* kCardStatusText = "Обновление карты тиражей...";
inline constexpr const char* kLayoutStatusText = "Построение схемы выпадения номеров...";
inline constexpr const char* kWeekStatusText = "Построение статистики по дням недели...";
inline constexpr const char* kNoGridValuesText = "В выделенном диапазоне нет значений для фильтра!";

// --- card ------------------------------------------------------------------------------------------

// Columns of the card: 0 the draw number, 1..69 the numbers, 70 the extra number ("E").
inline constexpr int kCardColumns = 71;
inline constexpr int kCardExtraColumn = 70;

struct TCardRow {
    int32_t draw = 0;
    std::bitset<70> numbers;  // bit n: n (1..69) is among the draw's main numbers
    uint8_t extra = 0;
};

struct TCardGrid {
    std::vector<TCardRow> rows;  // one per archive draw, newest first

    // The number a cell shows, 0 for an empty cell: column 0 the draw number, 1..69 the number
    // when drawn, 70 the extra number. Rows and columns outside the grid are empty.
    int32_t cell(int row, int column) const;
};

// The card of the whole archive (the offset does not apply).
TCardGrid computeCard(const TDrawsArray& draws);

// Background colours (0xRRGGBB) of the card's number cells.
inline constexpr uint32_t kCardRepeatInRunColor = 0xFFFF00;  // a repeat that also has a neighbour
inline constexpr uint32_t kCardRepeatColor = 0x00FF00;       // a repeat from an adjacent draw
inline constexpr uint32_t kCardSequenceColor = 0x00FFFF;     // consecutive numbers of one draw

// The background of a number cell (columns 1..69) of a draw row; nothing for the grid's own
// colour. A repeat compares with the adjacent draws only (never with the header above the newest
// draw); groupWidth is the channel width setting.
std::optional<uint32_t> cardCellColor(const TCardGrid& card, int row, int column, bool colorCard,
                                      bool colorSequences, int groupWidth);

// --- layout ----------------------------------------------------------------------------------------

struct TLayoutEntry {
    int32_t number = 0;
    int32_t count = 0;     // occurrences in the window
    int32_t lastDraw = 0;  // draw number of the most recent occurrence
    bool operator==(const TLayoutEntry&) const = default;
};

// The entries of the window start..end: the draws walked from end down to start, each draw's
// numbers in stored order; a number gets its entry the first time it is met. Numbers outside
// 1..69 are left out. An empty window (end < 0 or window < 1) gives no entries.
std::vector<TLayoutEntry> layoutEntries(const TDrawsArray& draws, int endIndex, int window);

struct TLayoutGrid {
    std::vector<TLayoutEntry> entries;
    std::vector<int32_t> counts;  // row captions, descending
    std::vector<int32_t> draws;   // column captions, descending
    // [row][column] over counts x draws: the cell's numbers joined with ", ", those of the draw
    // after the offset in square brackets.
    std::vector<std::vector<std::string>> cells;
    std::vector<std::vector<std::vector<int32_t>>> cellNumbers;  // the same numbers, unbracketed

    bool empty() const { return entries.empty(); }
};

// next: the numbers of the actual draw after the offset (empty at offset 0).
TLayoutGrid computeLayout(const TDrawsArray& draws, int endIndex, int window, const std::bitset<256>& next);

// Background of a layout cell at grid row / column (1-based, the headers are row and column 0)
// of a grid with rowCount rows and columnCount columns (headers included); 0xRRGGBB.
inline constexpr uint32_t kLayoutNextColor = 0x00FF00;
inline constexpr uint32_t kLayoutBandOneColor = 0xFFEAEA;    // exactly one of row and column marked
inline constexpr uint32_t kLayoutBandOtherColor = 0xEAFFEA;  // both or neither marked
uint32_t layoutCellColor(int row, int column, int rowCount, int columnCount, bool holdsNext, bool gradient);

// --- compare lists ---------------------------------------------------------------------------------

inline constexpr const char* kCompareCountCaption = "Кол-во";

struct TCompareRow {
    int32_t count = 0;
    std::string numbers;  // joined with ", " in entry order
    bool operator==(const TCompareRow&) const = default;
};

struct TCompareList {
    std::string caption;            // "<first draw> - <last draw>" of the window
    std::vector<TCompareRow> rows;  // in the order the counts were first met
};

// The compare list of the `length` draws ending at endIndex. A length of 0 or below, or an empty
// window, gives an empty list without caption.
TCompareList computeCompareList(const TDrawsArray& draws, int endIndex, int length);
// The rows as the list shows them at first: by count, descending (equal counts keep their order).
std::vector<TCompareRow> compareRowsByCount(const TCompareList& list);

// --- week ------------------------------------------------------------------------------------------

// Short names of the weekdays, Monday (1) to Sunday (7), at index weekday - 1.
inline constexpr std::array<const char*, 7> kWeekdayShortNames{"Пн", "Вт", "Ср", "Чт", "Пт", "Сб", "Вс"};

struct TWeekTable {
    std::array<std::array<int32_t, 8>, 70> counts{};  // [number 1..69][weekday 1..7]
    int32_t maxCount = 0;
    int32_t count(int number, int weekday) const;
};

// Counts each main number 1..69 of the draws max(0, end - window + 1)..end per weekday of the
// draw's date; a draw whose date cannot be read is skipped.
TWeekTable computeWeek(const TDrawsArray& draws, int endIndex, int window);

// Background of a week cell with a count: from white (count 0) to pure red (the largest count).
uint32_t weekCellColor(int32_t count, int32_t maxCount);

// The week chart of the current cell: with byWeekday the seven counts of the number (x 1..7,
// labelled with the weekday's short name); otherwise the 69 counts of the weekday (x 1..69,
// labelled with the number).
struct TWeekChartPoint {
    int x = 0;
    int32_t y = 0;
    std::string label;
};
std::vector<TWeekChartPoint> weekChartPoints(const TWeekTable& table, bool byWeekday, int number, int weekday);

// --- values from a grid selection ------------------------------------------------------------------

struct TNumberSelection {
    TStatDrawArray values;  // one value per distinct number, key 1 the number
    std::string text;       // the numbers joined with "; "
    bool empty() const { return values.empty(); }
};

// The distinct numbers 1..69 of the list, in order; other values are not numbers of the game
// and are left out.
TNumberSelection numberSelection(const std::vector<int32_t>& numbers);
// The numbers of a layout cell's text: split on ",", each word stripped of "[" and "]" and
// trimmed; words that are not whole decimal numbers are skipped.
std::vector<int32_t> layoutTextNumbers(std::string_view text);

}  // namespace tavlora
