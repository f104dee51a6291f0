#include "workspace/number_grids.h"

#include <algorithm>
#include <cmath>

#include "core/date.h"
#include "core/numbers.h"

namespace tavlora {

namespace {

bool gameNumber(int n) { return n >= 1 && n <= 69; }

std::string joined(const std::vector<std::string>& words, const char* separator) {
    std::string out;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i) out += separator;
        out += words[i];
    }
    return out;
}

// The analysis window [first, end] of `window` draws ending at endIndex, clipped to the archive;
// nothing when it holds no draw.
std::optional<std::pair<int, int>> windowRange(const TDrawsArray& draws, int endIndex, int window) {
    const int end = std::min(endIndex, static_cast<int>(draws.size()) - 1);
    if (end < 0 || window < 1) return std::nullopt;
    return std::pair{std::max(0, end - window + 1), end};
}

uint8_t component(long v) { return static_cast<uint8_t>(std::clamp(v, 0L, 255L)); }

uint32_t rgb(long r, long g, long b) {
    return static_cast<uint32_t>(component(r)) << 16 | static_cast<uint32_t>(component(g)) << 8 | component(b);
}

}  // namespace

// --- card ------------------------------------------------------------------------------------------

int32_t TCardGrid::cell(int row, int column) const {
    if (row < 0 || row >= static_cast<int>(rows.size())) return 0;
    const TCardRow& r = rows[static_cast<std::size_t>(row)];
    if (column == 0) return r.draw;
    if (column == kCardExtraColumn) return r.extra;
    if (gameNumber(column) && r.numbers[static_cast<std::size_t>(column)]) return column;
    return 0;
}

TCardGrid computeCard(const TDrawsArray& draws) {
    TCardGrid card;
    card.rows.reserve(draws.size());
    for (auto it = draws.rbegin(); it != draws.rend(); ++it) {
        TCardRow row;
        row.draw = it->number;
        for (uint8_t n : it->nums)
            if (gameNumber(n)) row.numbers.set(n);
        row.extra = it->extra;
        card.rows.push_back(row);
    }
    return card;
}

std::optional<uint32_t> cardCellColor(const TCardGrid& card, int row, int column, bool colorCard,
                                      bool colorSequences, int groupWidth) {
    if (!gameNumber(column) || row < 0 || row >= static_cast<int>(card.rows.size())) return std::nullopt;
    const bool holds = card.cell(row, column) != 0;
    if (colorSequences && holds) {
        const bool repeat = card.cell(row - 1, column) != 0 || card.cell(row + 1, column) != 0;
        const bool neighbour = (column > 1 && card.cell(row, column - 1) != 0) ||
                               (column < 69 && card.cell(row, column + 1) != 0);
        if (repeat) return neighbour ? kCardRepeatInRunColor : kCardRepeatColor;
        if (neighbour) return kCardSequenceColor;
    }
    if (colorCard) return groupColor(column, groupWidth);
    return std::nullopt;
}

// --- layout ----------------------------------------------------------------------------------------

std::vector<TLayoutEntry> layoutEntries(const TDrawsArray& draws, int endIndex, int window) {
    std::vector<TLayoutEntry> entries;
    const auto range = windowRange(draws, endIndex, window);
    if (!range) return entries;
    std::array<int, 70> slot{};  // entry index + 1 of each number, 0 before it is met
    for (int i = range->second; i >= range->first; --i) {
        const TDraw& d = draws[static_cast<std::size_t>(i)];
        for (uint8_t n : d.nums) {
            if (!gameNumber(n)) continue;
            if (slot[n] == 0) {
                entries.push_back({n, 1, d.number});
                slot[n] = static_cast<int>(entries.size());
            } else {
                ++entries[static_cast<std::size_t>(slot[n] - 1)].count;
            }
        }
    }
    return entries;
}

TLayoutGrid computeLayout(const TDrawsArray& draws, int endIndex, int window, const std::bitset<256>& next) {
    TLayoutGrid grid;
    grid.entries = layoutEntries(draws, endIndex, window);
    for (const TLayoutEntry& e : grid.entries) {
        grid.counts.push_back(e.count);
        grid.draws.push_back(e.lastDraw);
    }
    for (auto* v : {&grid.counts, &grid.draws}) {
        std::sort(v->begin(), v->end(), std::greater<>());
        v->erase(std::unique(v->begin(), v->end()), v->end());
    }
    grid.cells.assign(grid.counts.size(), std::vector<std::string>(grid.draws.size()));
    grid.cellNumbers.assign(grid.counts.size(), std::vector<std::vector<int32_t>>(grid.draws.size()));
    for (const TLayoutEntry& e : grid.entries) {
        const auto r = static_cast<std::size_t>(
            std::find(grid.counts.begin(), grid.counts.end(), e.count) - grid.counts.begin());
        const auto c = static_cast<std::size_t>(
            std::find(grid.draws.begin(), grid.draws.end(), e.lastDraw) - grid.draws.begin());
        std::string word = std::to_string(e.number);
        if (next[static_cast<std::size_t>(e.number)]) word = "[" + word + "]";
        std::string& text = grid.cells[r][c];
        if (!text.empty()) text += ", ";
        text += word;
        grid.cellNumbers[r][c].push_back(e.number);
    }
    return grid;
}

uint32_t layoutCellColor(int row, int column, int rowCount, int columnCount, bool holdsNext, bool gradient) {
    if (holdsNext) return kLayoutNextColor;
    if (gradient && rowCount > 0 && columnCount > 0) {
        const double r = 155.0 * row / rowCount;
        const double c = 155.0 * column / columnCount;
        return rgb(255 - std::lround(r), 255 - std::lround(c), std::lround(r + 100));
    }
    // Bands of five indices: 1-5, 11-15, ... 91-95 are marked.
    const auto marked = [](int i) { return i >= 1 && i <= 95 && (i - 1) / 5 % 2 == 0; };
    return marked(row) != marked(column) ? kLayoutBandOneColor : kLayoutBandOtherColor;
}

// --- compare lists ---------------------------------------------------------------------------------

TCompareList computeCompareList(const TDrawsArray& draws, int endIndex, int length) {
    TCompareList list;
    const auto range = windowRange(draws, endIndex, length);
    if (!range) return list;
    list.caption = std::to_string(draws[static_cast<std::size_t>(range->first)].number) + " - " +
                   std::to_string(draws[static_cast<std::size_t>(range->second)].number);
    for (const TLayoutEntry& e : layoutEntries(draws, endIndex, length)) {
        auto row = std::find_if(list.rows.begin(), list.rows.end(),
                                [&](const TCompareRow& r) { return r.count == e.count; });
        if (row == list.rows.end()) {
            list.rows.push_back({e.count, std::to_string(e.number)});
        } else {
            row->numbers += ", " + std::to_string(e.number);
        }
    }
    return list;
}

std::vector<TCompareRow> compareRowsByCount(const TCompareList& list) {
    std::vector<TCompareRow> rows = list.rows;
    std::stable_sort(rows.begin(), rows.end(), [](const TCompareRow& a, const TCompareRow& b) { return a.count > b.count; });
    return rows;
}

// --- week ------------------------------------------------------------------------------------------

int32_t TWeekTable::count(int number, int weekday) const {
    if (!gameNumber(number) || weekday < 1 || weekday > 7) return 0;
    return counts[static_cast<std::size_t>(number)][static_cast<std::size_t>(weekday)];
}

TWeekTable computeWeek(const TDrawsArray& draws, int endIndex, int window) {
    TWeekTable table;
    const auto range = windowRange(draws, endIndex, window);
    if (!range) return table;
    for (int i = range->first; i <= range->second; ++i) {
        const TDraw& d = draws[static_cast<std::size_t>(i)];
        const std::optional<int> day = weekdayOfDateText(d.dateText());
        if (!day) continue;
        for (uint8_t n : d.nums)
            if (gameNumber(n)) ++table.counts[n][static_cast<std::size_t>(*day)];
    }
    for (int n = 1; n <= 69; ++n)
        for (int d = 1; d <= 7; ++d) table.maxCount = std::max(table.maxCount, table.count(n, d));
    return table;
}

uint32_t weekCellColor(int32_t count, int32_t maxCount) {
    if (maxCount <= 0) return 0xFFFFFF;
    const long fade = std::lround(255.0 * count / maxCount);
    return rgb(255, 255 - fade, 255 - fade);
}

std::vector<TWeekChartPoint> weekChartPoints(const TWeekTable& table, bool byWeekday, int number, int weekday) {
    std::vector<TWeekChartPoint> points;
    if (byWeekday) {
        for (int d = 1; d <= 7; ++d)
            points.push_back({d, table.count(number, d), kWeekdayShortNames[static_cast<std::size_t>(d - 1)]});
    } else {
        for (int n = 1; n <= 69; ++n) points.push_back({n, table.count(n, weekday), std::to_string(n)});
    }
    return points;
}

// --- values from a grid selection ------------------------------------------------------------------

TNumberSelection numberSelection(const std::vector<int32_t>& numbers) {
    TNumberSelection selection;
    std::bitset<70> seen;
    std::vector<std::string> words;
    for (int32_t n : numbers) {
        if (!gameNumber(n) || seen[static_cast<std::size_t>(n)]) continue;
        seen.set(static_cast<std::size_t>(n));
        TStatDraw value;
        value.keys[0] = static_cast<uint16_t>(n);
        selection.values.push_back(value);
        words.push_back(std::to_string(n));
    }
    selection.text = joined(words, "; ");
    return selection;
}

std::vector<int32_t> layoutTextNumbers(std::string_view text) {
    std::vector<int32_t> numbers;
    while (true) {
        const auto cut = text.find(',');
        std::string word;
        for (char ch : text.substr(0, cut))
            if (ch != '[' && ch != ']') word += ch;
        const auto b = word.find_first_not_of(" \t");
        const auto e = word.find_last_not_of(" \t");
        if (b != std::string::npos) {
            word = word.substr(b, e - b + 1);
            const bool digits = word.size() <= 9 && std::all_of(word.begin(), word.end(), [](char ch) {
                return ch >= '0' && ch <= '9';
            });
            if (digits) numbers.push_back(std::stoi(word));
        }
        if (cut == std::string_view::npos) break;
        text.remove_prefix(cut + 1);
    }
    return numbers;
}

}  // namespace tavlora
