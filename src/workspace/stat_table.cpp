#include "workspace/stat_table.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>
#include <unordered_map>

#include "core/codepage.h"
#include "core/format.h"
#include "stats/custom_stat.h"
#include "stats/stat_list.h"
#include "stats/stat_run.h"

namespace tavlora {

namespace {

const std::string kNone = "-";

// Rounding to nearest with ties to even (the rounding of the expected-draw columns and norms).
int64_t roundEven(long double x) {
    const long double r = x - std::floor(x);
    long double f = std::floor(x);
    if (r > 0.5L || (r == 0.5L && std::fmod(f, 2.0L) != 0)) f += 1;
    return static_cast<int64_t>(f);
}

std::string intText(int64_t v) { return std::to_string(v); }

std::string signedText(int64_t v) { return v > 0 ? "+" + std::to_string(v) : std::to_string(v); }

// Reads a whole text as an integer (an optional sign, then digits).
std::optional<int64_t> readInteger(std::string_view s) {
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    int64_t v = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc() || p != s.data() + s.size()) return std::nullopt;
    return v;
}

// Reads a whole text as a real number with "," or "." as the decimal point.
std::optional<double> readNumber(std::string_view text) {
    std::string s(text);
    for (char& c : s)
        if (c == ',') c = '.';
    std::string_view v(s);
    if (!v.empty() && v.front() == '+') v.remove_prefix(1);
    if (v.empty() || v.front() == '+') return std::nullopt;
    double out = 0;
    auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), out);
    if (ec != std::errc() || p != v.data() + v.size()) return std::nullopt;
    return out;
}

int archiveIndexOfNumber(const TDrawsArray* draws, int32_t number) {
    if (!draws) return -1;
    for (std::size_t i = draws->size(); i-- > 0;)
        if ((*draws)[i].number == number) return static_cast<int>(i);
    return -1;
}

}  // namespace

const std::array<std::string, kStatColumnCount>& statColumnCaptions() {
    static const std::array<std::string, kStatColumnCount> captions{
        "Значение",    "Количество", "Кол-во в %", "Норма",      "Отклонение", "Откл-ие в %", "Глубина",
        "Глубина в %", "Вес",        "Посл. тираж", "Период min", "Период",     "Период max", "Ожд. ПРД",
        "Ожд. СТФ",    "Ожд. КРН",   "Факт",       "+/- ПРД",    "+/- СТФ",    "+/- КРН"};
    return captions;
}

TStatTable computeStatTable(const TStatList& registry, int methodIndex, const TStatTableInput& input) {
    std::unique_ptr<TCustomStat> method = registry.createInstance(methodIndex);
    return computeStatTable(*method, input);
}

TStatTable computeStatTable(TCustomStat& method, const TStatTableInput& input) {
    TStatTable table;
    const TDrawsArray* draws = input.draws ? input.draws : &method.registry().draws();
    if (draws->empty()) return table;
    const int end = input.endIndex;
    const int start = windowFirstIndex(end, input.window);
    table.first = start;
    table.last = end;
    table.windowSize = end >= start ? end - start + 1 : 0;
    TStatDrawArray values;
    if (end >= start && input.window >= 1) values = statisticsRun(method, end, input.window, input.sorted);
    const TStatSummary sum = summarize(values);
    table.summary = sum;
    // Position of each value by its keys: norm files of the combined methods hold hundreds of
    // thousands of entries, too many for a linear search per entry.
    std::unordered_map<uint64_t, int> position;
    position.reserve(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) position.emplace(values[i].packedKeys(), static_cast<int>(i));
    const auto indexOf = [&](const std::array<uint16_t, 4>& keys) {
        TStatDraw probe;
        probe.keys = keys;
        const auto it = position.find(probe.packedKeys());
        return it == position.end() ? -1 : it->second;
    };

    // Norms from the norm file, scaled to the window's counts.
    if (input.norms && input.norms->maxCount != 0) {
        const TPrefetchData& f = *input.norms;
        table.ratio = f.maxCount == f.minCount
                          ? ((static_cast<long double>(sum.minCount) + sum.maxCount) / 2) / f.maxCount
                          : static_cast<long double>(sum.maxCount) / f.maxCount;
        table.normsLoaded = true;
        for (const TPrefetchEntry& e : f.entries)
            if (const int i = indexOf(e.keys); i >= 0)
                values[static_cast<std::size_t>(i)].norm = static_cast<int32_t>(roundEven(e.count * table.ratio));
    }

    const long double W = table.windowSize;
    const long double T = static_cast<long double>(sum.total);
    table.rows.reserve(values.size());
    for (const TStatDraw& v : values) {
        TStatTableRow row;
        row.value = v;
        auto& c = row.cells;
        const int32_t cnt = v.count, n = v.norm, d = v.depth, L = v.lastDraw;
        c[0] = method.valueToText(v);
        c[1] = intText(cnt);
        c[2] = sum.total == 0 ? kNone : fmt("%.5f", static_cast<long double>(cnt) * 100 / T);
        if (table.normsLoaded) {
            c[3] = intText(n);
            c[4] = intText(static_cast<int64_t>(cnt) - n);
            c[5] = n != 0 ? fmt("%.5f", static_cast<long double>(static_cast<int64_t>(cnt) - n) * 100 / n)
                          : fmt("%.5f", cnt != 0 ? 100.0L : 0.0L);
        } else {
            c[3] = c[4] = c[5] = kNone;
        }
        if (d == 0) {
            for (int k = 6; k < kStatColumnCount; ++k) c[static_cast<std::size_t>(k)] = kNone;
            table.rows.push_back(std::move(row));
            continue;
        }
        c[6] = intText(d);
        c[7] = fmt("%.2f", static_cast<long double>(d) * 100 / sum.maxDepth);
        c[8] = fmt("%.2f", TSettings::rowWeight(input.weights, cnt, n, d, table.normsLoaded, sum.total, sum.maxDepth));
        c[9] = intText(L);
        if (cnt < 2) {
            c[10] = c[11] = c[12] = c[13] = kNone;
        } else {
            c[10] = intText(v.minPeriod);
            c[11] = fmt("%.4f", W / cnt);
            c[12] = intText(v.maxPeriod);
            c[13] = intText(roundEven(W / cnt + L));
        }
        if (cnt < 1) {
            for (int k = 14; k < kStatColumnCount; ++k) c[static_cast<std::size_t>(k)] = kNone;
        } else {
            c[14] = intText(roundEven(static_cast<long double>(cnt + 1) * L / cnt));
            c[15] = intText(roundEven(static_cast<long double>(cnt + 2) * (static_cast<long double>(L) + 1) / (cnt + 1)));
            const int i = archiveIndexOfNumber(draws, L);
            const int32_t fact = method.findNextOccurrence(v, i + 1, end, input.sorted);
            if (fact == -1) {
                c[16] = c[17] = c[18] = c[19] = kNone;
            } else {
                c[16] = intText(fact);
                for (int k = 0; k < 3; ++k) {
                    const auto e = readInteger(c[static_cast<std::size_t>(13 + k)]);
                    c[static_cast<std::size_t>(17 + k)] = e ? signedText(*e - fact) : kNone;
                }
            }
        }
        table.rows.push_back(std::move(row));
    }

    // Chart.
    if (values.size() > 1) {
        if (table.normsLoaded) {
            int k = 0;
            for (const TPrefetchEntry& e : input.norms->entries) {
                ++k;
                TStatDraw keyRecord;
                keyRecord.keys = e.keys;
                const std::string label = method.valueToText(keyRecord);
                if (input.showTotalLine)
                    table.chart.total.push_back({static_cast<double>(k), static_cast<double>(e.count * table.ratio), label});
                if (const int i = indexOf(e.keys); i >= 0)
                    table.chart.actual.push_back(
                        {static_cast<double>(k), static_cast<double>(values[static_cast<std::size_t>(i)].count), label});
            }
        } else {
            TStatDrawArray byKeys = values;
            sortValues(byKeys);
            int k = 0;
            for (const TStatDraw& v : byKeys)
                table.chart.actual.push_back({static_cast<double>(++k), static_cast<double>(v.count), method.valueToText(v)});
        }
    }
    return table;
}

int compareListTexts(std::string_view a, std::string_view b) {
    const auto x = readNumber(a), y = readNumber(b);
    if (x && y) return *x < *y ? -1 : (*x > *y ? 1 : 0);
    const std::string la = toLowerUtf8(a), lb = toLowerUtf8(b);
    const int c = la.compare(lb);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int compareListRows(std::span<const std::string> a, std::span<const std::string> b, int column) {
    const auto cell = [](std::span<const std::string> r, int col) -> std::string_view {
        return col >= 0 && static_cast<std::size_t>(col) < r.size() ? std::string_view(r[static_cast<std::size_t>(col)])
                                                                     : std::string_view();
    };
    const int c = compareListTexts(cell(a, column), cell(b, column));
    if (c != 0 || column == 0) return c;
    return compareListTexts(cell(a, 0), cell(b, 0));
}

void sortStatRows(std::vector<TStatTableRow>& rows, const TListSort& sort) {
    std::stable_sort(rows.begin(), rows.end(), [&](const TStatTableRow& a, const TStatTableRow& b) {
        return sort.before(a.cells, b.cells);
    });
}

std::vector<std::string> statRowLogTexts(const TStatTableRow& row) {
    std::vector<std::string> out;
    for (int k : {0, 1, 2, 4, 5, 6, 7, 8, 10, 11, 12}) out.push_back(row.cells[static_cast<std::size_t>(k)]);
    return out;
}

TStatSelection statSelection(const std::vector<TStatTableRow>& rows, std::vector<std::size_t> rowIndices) {
    std::sort(rowIndices.begin(), rowIndices.end());
    rowIndices.erase(std::unique(rowIndices.begin(), rowIndices.end()), rowIndices.end());
    TStatSelection sel;
    for (std::size_t i : rowIndices) {
        if (i >= rows.size()) continue;
        if (!sel.values.empty()) sel.text += "; ";
        sel.values.push_back(rows[i].value);
        sel.text += rows[i].cells[0];
    }
    return sel;
}

std::optional<std::size_t> findStatRow(const std::vector<TStatTableRow>& rows, std::string_view text) {
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].cells[0] == text) return i;
    return std::nullopt;
}

}  // namespace tavlora
