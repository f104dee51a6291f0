#include "scenario/row_selection.h"

#include <charconv>
#include <optional>
#include <vector>

#include "core/text_forms.h"
#include "workspace/stat_table.h"

namespace tavlora {

namespace {

enum class Test { AtLeast, AtMost, InList };
enum class Kind { Integer, Percent, Decimal };  // Decimal: weight and period columns

struct ModeRule {
    std::string TStatValues::*column;  // null: the numeric value
    Kind kind;
    Test test;
};

std::optional<long double> readCell(std::string_view text, Kind kind) {
    if (kind == Kind::Integer) {
        const auto v = tryReadInt(text);
        return v ? std::optional<long double>(*v) : std::nullopt;
    }
    return readStatDecimal(text);
}

// The rule of each mode 1..31, in table order.
const ModeRule* ruleOf(int mode) {
    using S = TStatValues;
    static const ModeRule rules[] = {
        {&S::depth, Kind::Integer, Test::AtLeast},            // 1 LMV
        {&S::depthPercent, Kind::Percent, Test::AtLeast},     // 2 LMP
        {&S::depth, Kind::Integer, Test::AtMost},             // 3 LLV
        {&S::depthPercent, Kind::Percent, Test::AtMost},      // 4 LLP
        {&S::depth, Kind::Integer, Test::InList},             // 5 LDV
        {&S::depthPercent, Kind::Percent, Test::InList},      // 6 LDP
        {&S::deviation, Kind::Integer, Test::AtLeast},        // 7 DMV
        {&S::deviationPercent, Kind::Percent, Test::AtLeast}, // 8 DMP
        {&S::deviation, Kind::Integer, Test::AtMost},         // 9 DLV
        {&S::deviationPercent, Kind::Percent, Test::AtMost},  // 10 DLP
        {&S::deviation, Kind::Integer, Test::InList},         // 11 DDV
        {&S::deviationPercent, Kind::Percent, Test::InList},  // 12 DDP
        {&S::count, Kind::Integer, Test::AtLeast},            // 13 CMV
        {&S::countPercent, Kind::Percent, Test::AtLeast},     // 14 CMP
        {&S::count, Kind::Integer, Test::AtMost},             // 15 CLV
        {&S::countPercent, Kind::Percent, Test::AtMost},      // 16 CLP
        {&S::count, Kind::Integer, Test::InList},             // 17 CDV
        {&S::countPercent, Kind::Percent, Test::InList},      // 18 CDP
        {&S::weight, Kind::Decimal, Test::AtLeast},           // 19 WMV
        {&S::weight, Kind::Decimal, Test::AtMost},            // 20 WLV
        {&S::weight, Kind::Decimal, Test::InList},            // 21 WDV
        {&S::periodMin, Kind::Integer, Test::AtLeast},        // 22 PIM
        {&S::periodMin, Kind::Integer, Test::AtMost},         // 23 PIL
        {&S::periodMin, Kind::Integer, Test::InList},         // 24 PIR
        {&S::period, Kind::Decimal, Test::AtLeast},           // 25 PAM
        {&S::period, Kind::Decimal, Test::AtMost},            // 26 PAL
        {&S::period, Kind::Decimal, Test::InList},            // 27 PAR
        {&S::periodMax, Kind::Integer, Test::AtLeast},        // 28 PXM
        {&S::periodMax, Kind::Integer, Test::AtMost},         // 29 PXL
        {&S::periodMax, Kind::Integer, Test::InList},         // 30 PXR
        {nullptr, Kind::Integer, Test::InList},               // 31 LVA
    };
    return mode >= 1 && mode <= 31 ? &rules[mode - 1] : nullptr;
}

}  // namespace

std::optional<long double> readStatDecimal(std::string_view text) {
    text = trimText(text);
    if (text.empty()) return std::nullopt;
    std::string s(text);
    for (char& c : s)
        if (c == ',') c = '.';
    if (s[0] == '+') s.erase(0, 1);
    long double v = 0;
    const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::fixed);
    if (ec != std::errc() || p != s.data() + s.size()) return std::nullopt;
    return v;
}

TStatValues statValuesOfRow(const TStatTableRow& row, int32_t numericValue) {
    TStatValues v;
    const auto& c = row.cells;
    v.label = c[0];
    v.value = numericValue;
    v.count = c[1];
    v.countPercent = c[2];
    v.deviation = c[4];
    v.deviationPercent = c[5];
    v.depth = c[6];
    v.depthPercent = c[7];
    v.weight = c[8];
    v.periodMin = c[10];
    v.period = c[11];
    v.periodMax = c[12];
    return v;
}

bool rowPassesSelection(int mode, const TStatValues& row, std::string_view selectionValue) {
    const ModeRule* rule = ruleOf(mode);
    if (!rule) return true;
    const std::optional<long double> cell =
        rule->column ? readCell(row.*(rule->column), rule->kind) : std::optional<long double>(row.value);

    if (rule->test == Test::InList) {
        if (!cell) return false;
        size_t i = 0;
        while (i <= selectionValue.size()) {
            size_t j = selectionValue.find_first_of(",;", i);
            if (j == std::string_view::npos) j = selectionValue.size();
            const auto item = readCell(selectionValue.substr(i, j - i), rule->kind);
            if (item && *item == *cell) return true;
            i = j + 1;
        }
        return false;
    }

    const long double v = readCell(selectionValue, rule->kind).value_or(0);
    if (rule->test == Test::AtLeast) return cell.value_or(0) >= v;
    const long double unreadable = rule->kind == Kind::Decimal ? 0 : 65535;
    return cell.value_or(unreadable) <= v;
}

}  // namespace tavlora
