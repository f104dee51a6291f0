#include "core/settings.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "core/codepage.h"
#include "core/error.h"
#include "core/format.h"
#include "core/ini_file.h"
#include "core/numbers.h"

namespace tavlora {

namespace {

constexpr const char* kGlobal = "GLOBAL";
constexpr const char* kStakes = "STAKES";
constexpr const char* kCdl = "CDL";
constexpr const char* kShredding = "SHREDDING";

constexpr const char* kWriteError = "Ошибка записи в файл конфигурации!\r\r%s";

// Opens the settings file for reading. A file that cannot be read gives the defaults, as a
// missing one does: the program still starts and the user can fix the settings in the dialog.
IniFile openForLoad(const std::filesystem::path& path) {
    IniFile ini;
    try {
        ini.open(path);
    } catch (const EError&) {
        ini = IniFile();
    }
    return ini;
}

// Opens the settings file for an update. A file that exists but cannot be read is not
// overwritten (its other sections would be lost): that is reported as a write failure.
IniFile openForSave(const std::filesystem::path& path) {
    IniFile ini;
    try {
        ini.open(path);
    } catch (const EError& e) {
        throw EError(fmt(kWriteError, std::string(e.what())));
    }
    return ini;
}

void saveIni(const IniFile& ini) {
    try {
        ini.save();
    } catch (const EError& e) {
        throw EError(fmt(kWriteError, std::string(e.what())));
    }
}

// Money: a real in money units, held as 1/10000 units rounded to nearest.
int64_t readMoney(const IniFile& ini, const char* section, const std::string& key, int64_t def) {
    auto v = ini.value(section, key);
    if (!v) return def;
    auto r = IniFile::parseReal(*v);
    if (!r) return def;
    const long double units = std::round(*r * 10000.0L);
    if (!(std::fabs(units) < 9.2e18L)) return def;  // beyond the 64-bit range: unreadable
    return static_cast<int64_t>(units);
}

// Written exactly: the 1/10000 units as a decimal text with up to four decimals and the
// system decimal separator ("0.5" for 5000, "1000000" for 10000000000).
std::string formatMoney(int64_t units) {
    const bool negative = units < 0;
    const uint64_t mag = negative ? 0 - static_cast<uint64_t>(units) : static_cast<uint64_t>(units);
    std::string s = std::to_string(mag / 10000);
    uint64_t frac = mag % 10000;
    if (frac != 0) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%04u", static_cast<unsigned>(frac));
        std::string f(buf);
        while (!f.empty() && f.back() == '0') f.pop_back();
        s += systemDecimalSeparator();
        s += f;
    }
    return negative ? "-" + s : s;
}

int32_t clampInt(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : (v > hi ? hi : v); }

}  // namespace

void TSettings::loadSettings(const std::filesystem::path& iniPath) {
    const IniFile ini = openForLoad(iniPath);
    TConfigData d;  // defaults for every key that is missing or unreadable

    // Widths outside 1..69 would leave the matrix and channel methods without columns or
    // channels; such hand-edited values are brought into range.
    d.matrixCols = clampInt(ini.readInteger(kGlobal, "MatrixCols", 7), 1, kMaxWidth);
    d.channelSize = clampInt(ini.readInteger(kGlobal, "ChannelSize", 10), 1, kMaxWidth);
    d.segments = parseSegments(ini.readString(kGlobal, "MatrixSegments", ""));

    d.stakeCost = readMoney(ini, kStakes, "Cost", 0);
    d.maxStake = ini.readInteger(kStakes, "MaxStake", 5);
    const int32_t rows = clampInt(ini.readInteger(kStakes, "Profits", 0), 0, kMaxPrizeRows);
    d.profits.reserve(static_cast<std::size_t>(rows));
    for (int32_t i = 0; i < rows; ++i) {
        TPrizeRow row;
        const int32_t overlap = ini.readInteger(kStakes, "Profit_" + std::to_string(i) + "_Overlap", 0);
        // An overlap that does not fit the byte would otherwise wrap onto a real match count.
        row.overlap = static_cast<uint8_t>(overlap < 0 || overlap > 255 ? 255 : overlap);
        row.prize = readMoney(ini, kStakes, "Profit_" + std::to_string(i) + "_Profit", 0);
        d.profits.push_back(row);
    }

    d.weights.count = ini.readReal(kCdl, "Count", 0);
    d.weights.deviation = ini.readReal(kCdl, "Deviation", -1);
    d.weights.level = ini.readReal(kCdl, "Level", 1);
    d.weights.usePercents = ini.readInteger(kCdl, "UsePercents", 0) > 0;
    d.weights.useAbsValues = ini.readInteger(kCdl, "UseAbsValues", 0) > 0;

    config = std::move(d);
    savedWeights = config.weights;
}

void TSettings::saveSettings(const std::filesystem::path& iniPath) const {
    IniFile ini = openForSave(iniPath);
    ini.writeInteger(kGlobal, "MatrixCols", config.matrixCols);
    ini.writeString(kGlobal, "MatrixSegments", segmentsText(config.segments));
    ini.writeInteger(kGlobal, "ChannelSize", config.channelSize);

    ini.writeString(kStakes, "Cost", formatMoney(config.stakeCost));
    ini.writeInteger(kStakes, "MaxStake", config.maxStake);
    ini.writeInteger(kStakes, "Profits", static_cast<int64_t>(config.profits.size()));
    for (std::size_t i = 0; i < config.profits.size(); ++i) {
        ini.writeInteger(kStakes, "Profit_" + std::to_string(i) + "_Overlap", config.profits[i].overlap);
        ini.writeString(kStakes, "Profit_" + std::to_string(i) + "_Profit", formatMoney(config.profits[i].prize));
    }
    // Rows beyond the current count, left from a longer table, are dropped so that the file
    // describes exactly the table held.
    for (const std::string& key : ini.sectionKeys(kStakes)) {
        unsigned idx = 0;
        char tail[16] = {};
        if (std::sscanf(key.c_str(), "Profit_%u_%15s", &idx, tail) == 2 && idx >= config.profits.size())
            ini.eraseKey(kStakes, key);
    }

    ini.writeReal(kCdl, "Count", config.weights.count);
    ini.writeReal(kCdl, "Deviation", config.weights.deviation);
    ini.writeReal(kCdl, "Level", config.weights.level);
    ini.writeInteger(kCdl, "UsePercents", config.weights.usePercents ? 1 : 0);
    ini.writeInteger(kCdl, "UseAbsValues", config.weights.useAbsValues ? 1 : 0);
    saveIni(ini);
}

void TSettings::loadGeneratorMemory(const std::filesystem::path& iniPath) {
    const IniFile ini = openForLoad(iniPath);
    const int32_t mode = ini.readInteger(kGlobal, "CombsGenerateMode", 0);
    generateMode = static_cast<uint8_t>(mode < 0 || mode > 255 ? 0 : mode);
    generateParameters = truncateToCp1251Bytes(ini.readString(kGlobal, "CombsGenerateParameters", ""), kMaxParameters);
}

void TSettings::setGeneratorMemory(uint8_t mode, std::string_view parameters) {
    generateMode = mode;
    generateParameters = truncateToCp1251Bytes(parameters, kMaxParameters);
}

void TSettings::saveGeneratorMemory(const std::filesystem::path& iniPath) const {
    IniFile ini = openForSave(iniPath);
    ini.writeInteger(kGlobal, "CombsGenerateMode", generateMode);
    ini.writeString(kGlobal, "CombsGenerateParameters", truncateToCp1251Bytes(generateParameters, kMaxParameters));
    saveIni(ini);
}

void TSettings::loadShredding(const std::filesystem::path& iniPath) {
    const IniFile ini = openForLoad(iniPath);
    static const std::array<std::string, 3> kDefaults{"(n1+n2+n3)/(n4+n5)", "(n4+n5)/(n1+n2+n3)",
                                                      "(n1+n2)/(n3+n4+n5)"};
    for (int i = 0; i < 3; ++i) {
        const std::string n = std::to_string(i + 1);
        const auto k = static_cast<std::size_t>(i);
        formulas[k] = ini.readString(kShredding, "Formula" + n, kDefaults[k]);
        // The shredded value has 10^digits possible values: keep digits in the dialog's range.
        formulaDigits[k] = clampInt(ini.readInteger(kShredding, "Formula" + n + "Digits", 2), 1, 5);
    }
}

void TSettings::saveShredding(const std::filesystem::path& iniPath) const {
    IniFile ini = openForSave(iniPath);
    for (int i = 0; i < 3; ++i) {
        const std::string n = std::to_string(i + 1);
        const auto k = static_cast<std::size_t>(i);
        ini.writeString(kShredding, "Formula" + n, formulas[k]);
        ini.writeInteger(kShredding, "Formula" + n + "Digits", formulaDigits[k]);
    }
    saveIni(ini);
}

std::array<uint8_t, 69> TSettings::parseSegments(std::string_view text) {
    std::array<uint8_t, 69> seg = TConfigData::filledSegments();
    // One character per number: the Windows-1251 form has one byte per character.
    const std::string bytes = utf8ToCp1251(text);
    for (std::size_t i = 0; i < seg.size() && i < bytes.size(); ++i) {
        const char c = bytes[i];
        // Digit 0 has no segment (segments are 1..9): it is taken as 1 like any non-digit.
        seg[i] = (c >= '1' && c <= '9') ? static_cast<uint8_t>(c - '0') : 1;
    }
    return seg;
}

std::string TSettings::segmentsText(const std::array<uint8_t, 69>& segments) {
    std::string s;
    for (uint8_t d : segments) s += std::to_string(d);
    return s;
}

std::array<int64_t, 6> TSettings::prizeEditorValues(const std::vector<TPrizeRow>& profits) {
    std::array<int64_t, 6> values{};
    std::array<bool, 6> seen{};
    for (const TPrizeRow& row : profits)
        if (row.overlap < values.size() && !seen[row.overlap]) {
            seen[row.overlap] = true;
            values[row.overlap] = row.prize;
        }
    return values;
}

std::vector<TPrizeRow> TSettings::prizeTableFromEditor(const std::vector<std::pair<std::string, std::string>>& rows) {
    std::vector<TPrizeRow> table;
    table.reserve(rows.size());
    for (const auto& [key, value] : rows) {
        TPrizeRow row;
        const int32_t overlap = IniFile::parseInteger(key).value_or(0);
        row.overlap = static_cast<uint8_t>(overlap < 0 || overlap > 255 ? 255 : overlap);
        const long double prize = IniFile::parseReal(value).value_or(0) * 10000.0L;
        row.prize = std::fabs(prize) < 9.2e18L ? static_cast<int64_t>(std::round(prize)) : 0;
        table.push_back(row);
    }
    return table;
}

bool TSettings::validSegmentCell(std::string_view text) {
    if (text.empty()) return true;
    const auto v = IniFile::parseLeadingInteger(text);
    if (!v || *v < 1 || *v > 9) return false;
    for (char c : text)  // the whole text must be the number
        if ((c < '0' || c > '9') && c != ' ' && c != '+') return false;
    return true;
}

uint8_t TSettings::segmentOfCell(std::string_view text) {
    if (!validSegmentCell(text) || text.empty()) return 1;
    return static_cast<uint8_t>(*IniFile::parseLeadingInteger(text));
}

int64_t TSettings::stakeResult(int n, int m) const {
    const long double cost = static_cast<long double>(binomial(n, 5)) * static_cast<long double>(config.stakeCost);
    long double r = std::round(-cost);
    constexpr long double kLimit = 9.2e18L;
    if (r > kLimit) r = kLimit;
    if (r < -kLimit) r = -kLimit;
    int64_t result = static_cast<int64_t>(r);
    if (m >= 0)
        for (const TPrizeRow& row : config.profits)
            if (row.overlap == m) {
                result += row.prize;
                break;
            }
    return result;
}

long double TSettings::rowWeight(int32_t c, int32_t r, int32_t d, bool hasNorm, int64_t total, int32_t maxDepth) const {
    return rowWeight(config.weights, c, r, d, hasNorm, total, maxDepth);
}

long double TSettings::rowWeight(const TWeights& w, int32_t c, int32_t r, int32_t d, bool hasNorm, int64_t total,
                                 int32_t maxDepth) {
    // 32-bit wrap-around of the products, formed without undefined behaviour.
    const auto times100 = [](int32_t x) {
        return static_cast<int32_t>(static_cast<uint32_t>(x) * 100u);
    };
    const int32_t v = hasNorm ? static_cast<int32_t>(static_cast<uint32_t>(c) - static_cast<uint32_t>(r)) : 0;
    long double tc, tv, td;
    if (!w.usePercents) {
        tc = c;
        tv = v;
        td = d;
    } else {
        tc = total == 0 ? 0.0L : static_cast<long double>(times100(c)) / static_cast<long double>(total);
        tv = (!hasNorm || r == 0) ? 0.0L : static_cast<long double>(times100(v)) / static_cast<long double>(r);
        td = maxDepth == 0 ? 0.0L : static_cast<long double>(times100(d)) / static_cast<long double>(maxDepth);
    }
    if (w.useAbsValues) {
        tc = std::fabs(tc);
        tv = std::fabs(tv);
        td = std::fabs(td);
    }
    return w.count * tc + w.deviation * tv + w.level * td;
}

}  // namespace tavlora
