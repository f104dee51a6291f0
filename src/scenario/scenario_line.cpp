#include "scenario/scenario_line.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <vector>

#include "core/format.h"
#include "core/text_forms.h"
#include "stats/stat_list.h"

namespace tavlora {

namespace {

struct CodeEntry {
    const char* code;
    const char* caption;
    const char* shortCaption;
};

constexpr CodeEntry kSources[kScenarioSourceCount] = {
    {"FULL", "Исходный список (рекомендуется для тестов)", "Исходный список"},
    {"EXCL", "Удалить N последних тиражей (для прогнозов)", "Исключить %d тиражей"},
    {"CURR", "Текущий список (для последовательного выполнения)", "Текущий список"},
};

constexpr CodeEntry kResults[kScenarioResultCount] = {
    {"RAND", "Выбрать одну случайную комбинацию", "Случайно"},
    {"FIRST", "Выбрать первую комбинацию в списке", "Первая"},
    {"LAST", "Выбрать последнюю комбинацию в списке", "Последняя"},
    {"ALL", "Выбрать все комбинации (не рекомендуется)", "Все"},
    {"SYSA", "Системная игра [вся система]", "Система [все]"},
    {"SYSC", "Системная игра [система * комбинации]", "Система [комб]"},
    {"STOP", "Остановить выполнение сценария", "Остановить"},
    {"SKIP", "Пропустить (игнорировать) эту ставку", "Пропустить"},
    {"NONE", "Не делать ставок (для последовательного выполнения)", "Не делать ставок"},
};

constexpr CodeEntry kSelections[kSelectionModeCount] = {
    {"LNO", "Весь список (без условий)", nullptr},
    {"LMV", "\"Глубина\": не менее заданного значения", nullptr},
    {"LMP", "\"Глубина\": не менее заданного процента", nullptr},
    {"LLV", "\"Глубина\": не более заданного значения", nullptr},
    {"LLP", "\"Глубина\": не более заданного процента", nullptr},
    {"LDV", "\"Глубина\": из заданного списка значений", nullptr},
    {"LDP", "\"Глубина\": из заданного списка процентов", nullptr},
    {"DMV", "\"Отклонение\": не менее заданного значения", nullptr},
    {"DMP", "\"Отклонение\": не менее заданного процента", nullptr},
    {"DLV", "\"Отклонение\": не более заданного значения", nullptr},
    {"DLP", "\"Отклонение\": не более заданного процента", nullptr},
    {"DDV", "\"Отклонение\": из заданного списка значений", nullptr},
    {"DDP", "\"Отклонение\": из заданного списка процентов", nullptr},
    {"CMV", "\"Количество\": не менее заданного значения", nullptr},
    {"CMP", "\"Количество\": не менее заданного процента", nullptr},
    {"CLV", "\"Количество\": не более заданного значения", nullptr},
    {"CLP", "\"Количество\": не более заданного процента", nullptr},
    {"CDV", "\"Количество\": из заданного списка значений", nullptr},
    {"CDP", "\"Количество\": из заданного списка процентов", nullptr},
    {"WMV", "\"Вес\": не менее заданного значения", nullptr},
    {"WLV", "\"Вес\": не более заданного значения", nullptr},
    {"WDV", "\"Вес\": из заданного списка значений", nullptr},
    {"PIM", "\"Период min\": не менее заданного значения", nullptr},
    {"PIL", "\"Период min\": не более заданного значения", nullptr},
    {"PIR", "\"Период min\": из заданного списка значений", nullptr},
    {"PAM", "\"Период\": не менее заданного значения", nullptr},
    {"PAL", "\"Период\": не более заданного значения", nullptr},
    {"PAR", "\"Период\": из заданного списка значений", nullptr},
    {"PXM", "\"Период max\": не менее заданного значения", nullptr},
    {"PXL", "\"Период max\": не более заданного значения", nullptr},
    {"PXR", "\"Период max\": из заданного списка значений", nullptr},
    {"LVA", "\"Значения\": из заданного списка значений", nullptr},
};

constexpr CodeEntry kStops[kScenarioStopCount] = {
    {"SF", "Обработать все записи", nullptr},
    {"SC", "Количеству оставшихся комбинаций", nullptr},
    {"SZ", "Пока список не будет пуст и откатить на шаг", nullptr},
    {"ST", "Количеству шагов", nullptr},
    {"SV", "Значению в списке статистики", nullptr},
    {"SP", "Процентному соотношению в списке статистики", nullptr},
};

template <size_t N>
const CodeEntry* entryAt(const CodeEntry (&table)[N], int index) {
    return index >= 0 && static_cast<size_t>(index) < N ? &table[index] : nullptr;
}

template <size_t N>
std::string codeAt(const CodeEntry (&table)[N], int index) {
    const CodeEntry* e = entryAt(table, index);
    return e ? e->code : "";
}

template <size_t N>
std::string captionAt(const CodeEntry (&table)[N], int index) {
    const CodeEntry* e = entryAt(table, index);
    return e ? e->caption : kScenarioBadCaption;
}

char asciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Whether text begins with the (ASCII) code, case ignored.
bool beginsWithCode(std::string_view text, std::string_view code) {
    if (code.empty() || text.size() < code.size()) return false;
    for (size_t i = 0; i < code.size(); ++i)
        if (asciiUpper(text[i]) != asciiUpper(code[i])) return false;
    return true;
}

bool equalsCode(std::string_view text, std::string_view code) {
    return text.size() == code.size() && beginsWithCode(text, code);
}

// Index of the first code of the table that text begins with (or equals); -1 when none.
template <size_t N>
int findCode(const CodeEntry (&table)[N], std::string_view text, bool prefix) {
    for (size_t i = 0; i < N; ++i)
        if (prefix ? beginsWithCode(text, table[i].code) : equalsCode(text, table[i].code)) return static_cast<int>(i);
    return -1;
}

// The words of text separated by any run of sep; leading and trailing separators are skipped.
std::vector<std::string_view> words(std::string_view text, char sep) {
    std::vector<std::string_view> out;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i] == sep) ++i;
        if (i >= text.size()) break;
        size_t j = text.find(sep, i);
        if (j == std::string_view::npos) j = text.size();
        out.push_back(text.substr(i, j - i));
        i = j;
    }
    return out;
}

std::string_view wordAt(const std::vector<std::string_view>& w, size_t index) {
    return index < w.size() ? w[index] : std::string_view();
}

// The part after the first ":" (empty when there is none).
std::string_view afterColon(std::string_view text) {
    const size_t p = text.find(':');
    return p == std::string_view::npos ? std::string_view() : text.substr(p + 1);
}

// The text after its first `count` characters (UTF-8 aware).
std::string_view skipCharacters(std::string_view text, int count) {
    size_t i = 0;
    for (int k = 0; k < count && i < text.size(); ++k) {
        ++i;
        while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
    }
    return text.substr(i);
}

int characterCount(std::string_view text) {
    int n = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

}  // namespace

// --- code tables --------------------------------------------------------------------------------

std::string sourceCode(int index) { return codeAt(kSources, index); }
std::string sourceCaption(int index) { return captionAt(kSources, index); }
std::string sourceShortCaption(int index, int excludeCount) {
    const CodeEntry* e = entryAt(kSources, index);
    if (!e) return kScenarioBadCaption;
    return index == ssExcl ? fmt(e->shortCaption, excludeCount) : std::string(e->shortCaption);
}
std::string resultCode(int index) { return codeAt(kResults, index); }
std::string resultCaption(int index) { return captionAt(kResults, index); }
std::string resultShortCaption(int index) {
    const CodeEntry* e = entryAt(kResults, index);
    return e ? e->shortCaption : kScenarioBadCaption;
}
std::string selectionModeCode(int index) { return codeAt(kSelections, index); }
std::string selectionModeCaption(int index) { return captionAt(kSelections, index); }
std::string stopModeCode(int index) { return codeAt(kStops, index); }
std::string stopModeCaption(int index) { return captionAt(kStops, index); }

bool isListSelectionMode(int mode) {
    switch (mode) {
        case 5: case 6: case 11: case 12: case 17: case 18: case 21: case 24: case 27: case 30: case 31:
            return true;
        default:
            return false;
    }
}

bool expandsSelectionValues(int mode) {
    return (mode >= 1 && mode <= 4) || (mode >= 7 && mode <= 10) || (mode >= 13 && mode <= 16) ||
           (mode >= 19 && mode <= 30);
}

// --- options --------------------------------------------------------------------------------------

ScenarioOptions ScenarioOptions::parse(std::string_view text) {
    ScenarioOptions o;
    const auto w = words(text, '#');
    const std::string_view first = trimText(wordAt(w, 0));
    const int source = findCode(kSources, first, true);
    if (source >= 0) o.source = static_cast<uint8_t>(source);
    if (first.find(':') != std::string_view::npos) o.excludeCount = readInt(afterColon(first), 0);
    const int result = findCode(kResults, trimText(wordAt(w, 1)), false);
    if (result >= 0) o.resultMode = static_cast<uint8_t>(result);
    for (size_t i = 2; i < w.size(); ++i) {
        const std::string_view s = trimText(w[i]);
        if (equalsCode(s, "CLR")) o.clearStakes = true;
        if (equalsCode(s, "NEX")) o.newOnly = true;
    }
    return o;
}

std::string ScenarioOptions::text() const {
    std::string s = sourceCode(source) + ":" + std::to_string(excludeCount) + "#" + resultCode(resultMode);
    if (clearStakes) s += "#CLR";
    if (newOnly) s += "#NEX";
    return s;
}

std::string ScenarioOptions::displayText() const {
    std::string s = sourceShortCaption(source, excludeCount) + "; " + resultShortCaption(resultMode);
    if (clearStakes) s += "; Удалить ставки";
    s += newOnly ? "; Только новые ставки" : "; Все создаваемые ставки";
    return s;
}

std::string ScenarioOptions::stakeText() const {
    std::string s = sourceCode(source);
    if (source == ssExcl) s += ":" + std::to_string(excludeCount);
    s += "#" + resultCode(resultMode);
    if (newOnly) s += "#NEX";
    return s;
}

// --- filters --------------------------------------------------------------------------------------

namespace {

// The number formed by the digits, minus signs and decimal separators ("." or ",") of text, the
// rest dropped; nothing when they form no number.
std::optional<long double> lenientNumber(std::string_view text) {
    std::string kept;
    for (char c : text) {
        if ((c >= '0' && c <= '9') || c == '-')
            kept += c;
        else if (c == '.' || c == ',')
            kept += '.';
    }
    if (kept.find_first_of("0123456789") == std::string::npos) return std::nullopt;
    long double v = 0;
    const auto [p, ec] = std::from_chars(kept.data(), kept.data() + kept.size(), v);
    if (ec != std::errc() || p != kept.data() + kept.size()) return std::nullopt;
    return v;
}

}  // namespace

long double readLenientReal(std::string_view text) { return lenientNumber(text).value_or(0); }

std::string coefficientText(long double value) {
    if (value == 0) return "0";  // also turns -0 into "0"
    char buf[6000];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    if (r.ec != std::errc()) return "0";  // not finite: cannot be read back anyway
    return std::string(buf, r.ptr);
}

TFilterItem TFilterItem::parse(std::string_view text, const TStatList* registry) {
    TFilterItem f;
    if (trimText(text).empty()) return f;
    f.used = true;
    const auto w = words(text, '#');

    // 1: flags and sort column.
    const std::string_view head = wordAt(w, 0);
    f.sortColumn = characterCount(head) < 4 ? 1 : readInt(skipCharacters(head, 3), 1);
    f.bottomUp = head.find('B') != std::string_view::npos;
    f.multiSelect = head.find('M') != std::string_view::npos;
    f.keepSelected = head.find('F') != std::string_view::npos;

    // 2: method and sample lengths.
    f.methodText = std::string(trimText(wordAt(w, 1)));
    if (registry) {
        const int index = registry->methodByCode(f.methodText);
        if (index >= 0) {
            f.methodIndex = index;
            f.method = &registry->item(index);
            f.drawsText = std::string(trimText(afterColon(f.methodText)));
        }
    }

    // 3: selection mode and values.
    if (w.size() > 2) {
        const std::string_view s = trimText(w[2]);
        const int mode = findCode(kSelections, s, true);
        if (mode >= 0) {
            f.selectionMode = static_cast<uint8_t>(mode);
            f.selectionText = std::string(trimText(afterColon(s)));
        }
    }

    // 4: stop mode and value.
    if (w.size() > 3) {
        const std::string_view s = trimText(w[3]);
        const int mode = findCode(kStops, s, true);
        if (mode >= 0) f.stopMode = static_cast<uint8_t>(mode);
        f.stopValue = readInt(afterColon(s), 1);
    }

    // 5: the filter's own weight coefficients.
    if (w.size() > 4) {
        f.weightOverride = true;
        const auto parts = words(trimText(w[4]), ':');
        f.weights.count = readLenientReal(wordAt(parts, 0));
        f.weights.deviation = readLenientReal(wordAt(parts, 1));
        f.weights.level = readLenientReal(wordAt(parts, 2));
        f.weights.usePercents = trimText(wordAt(parts, 3)) == "1";
        f.weights.useAbsValues = trimText(wordAt(parts, 4)) == "1";
    }
    return f;
}

std::string TFilterItem::text() const {
    if (!used) return "";
    std::string s;
    s += bottomUp ? 'B' : 'T';
    s += multiSelect ? 'M' : 'S';
    s += keepSelected ? 'F' : 'D';
    s += std::to_string(sortColumn);
    s += '#';
    s += method ? method->code() + ":" + drawsText : methodText;
    s += "#" + selectionModeCode(selectionMode) + ":" + selectionText;
    s += "#" + stopModeCode(stopMode) + ":" + std::to_string(stopValue);
    if (weightOverride) {
        s += "#" + coefficientText(weights.count) + ":" + coefficientText(weights.deviation) + ":" +
             coefficientText(weights.level) + ":" + (weights.usePercents ? "1" : "0") + ":" +
             (weights.useAbsValues ? "1" : "0");
    }
    return s;
}

TIntArray TFilterItem::drawsList() const { return parseValueList(drawsText); }
TIntArray TFilterItem::selectionList() const { return parseValueList(selectionText); }

// --- lines ----------------------------------------------------------------------------------------

bool isSeparatorLine(std::string_view line) { return trimText(line).empty(); }

ScenarioLineFields splitScenarioLine(std::string_view line) {
    ScenarioLineFields f;
    const auto w = words(line, '|');
    f.options = std::string(trimText(wordAt(w, 0)));
    for (int i = 0; i < kScenarioFilterCount; ++i)
        f.filters[static_cast<size_t>(i)] = std::string(trimText(wordAt(w, static_cast<size_t>(i) + 1)));
    f.comment = std::string(trimText(wordAt(w, 1 + kScenarioFilterCount)));
    return f;
}

std::string joinScenarioLine(std::string_view options, const std::array<std::string, kScenarioFilterCount>& filters,
                             std::string_view comment) {
    std::string s(options);
    for (const std::string& f : filters) {
        s += '|';
        s += trimText(f).empty() ? std::string_view(" ") : std::string_view(f);
    }
    s += '|';
    if (!trimText(comment).empty()) s += comment;
    return s;
}

namespace {

// A weight coefficient reads when the lenient reader finds a number in it (not only when the
// number is 0: "0", "0.0" and "-0" read).
bool coefficientReads(std::string_view text) {
    text = trimText(text);
    return text.empty() || lenientNumber(text).has_value();
}

// A list of sample lengths or selection values: readable and not empty.
bool valueListReads(std::string_view text) { return !parseValueList(text).empty(); }

}  // namespace

std::string scenarioOptionsFault(std::string_view text) {
    const std::string quoted = "Опции \"" + std::string(text) + "\": ";
    if (text.empty()) return "Опции не указаны.";
    const auto w = words(text, '#');
    const std::string_view first = trimText(wordAt(w, 0));
    if (findCode(kSources, first, true) < 0)
        return quoted + "неизвестный исходный список \"" + std::string(first) + "\".";
    if (first.find(':') != std::string_view::npos) {
        const std::string_view count = trimText(afterColon(first));
        const auto n = tryReadInt(count);
        if (!count.empty() && (!n || *n < 0))
            return quoted + "количество тиражей \"" + std::string(count) + "\" - не целое число от 0.";
    }
    if (w.size() > 1 && findCode(kResults, trimText(w[1]), false) < 0)
        return quoted + "неизвестный режим ставок \"" + std::string(trimText(w[1])) + "\".";
    for (size_t i = 2; i < w.size(); ++i) {
        const std::string_view s = trimText(w[i]);
        if (!s.empty() && !equalsCode(s, "CLR") && !equalsCode(s, "NEX"))
            return quoted + "неизвестный признак \"" + std::string(s) + "\".";
    }
    return {};
}

std::string scenarioFilterFault(int number, std::string_view text, const TStatList* registry) {
    if (trimText(text).empty()) return {};
    const std::string quoted = fmt("Фильтр %d \"%s\": ", number, std::string(text));
    const auto w = words(text, '#');
    if (w.size() > 5) return quoted + "лишнее поле \"" + std::string(trimText(w[5])) + "\".";

    // {T|B}{S|M}{D|F} and the sort column. The reader sets a flag by its capital letter only, so
    // "t", "s" and "d" read as meant while "b", "m" and "f" would silently read as "T", "S", "D".
    const std::string_view head = trimText(wordAt(w, 0));
    const auto flag = [&](size_t i, std::string_view letters) { return letters.find(head[i]) != std::string_view::npos; };
    const bool flagsRead = head.size() >= 3 && flag(0, "TBt") && flag(1, "SMs") && flag(2, "DFd");
    const auto column = head.size() > 3 ? tryReadInt(head.substr(3)) : std::optional<int>(1);
    if (!flagsRead || !column || *column < 0)
        return quoted + "признаки \"" + std::string(head) + "\" - ожидаются T или B, S или M, D или F и номер колонки.";

    const std::string_view method = trimText(wordAt(w, 1));
    if (method.empty()) return quoted + "не указан метод расчета статистики.";
    if (registry && registry->methodByCode(method) < 0) return fmt(kScenarioUnknownMethodFault, number, std::string(method));
    const std::string_view draws = trimText(afterColon(method));
    const TIntArray lengths = parseValueList(draws);
    if (lengths.empty() || std::any_of(lengths.begin(), lengths.end(), [](int32_t d) { return d < 1; }))
        return quoted + "длины выборок \"" + std::string(draws) + "\" - не список чисел от 1.";

    if (w.size() > 2) {
        const std::string_view sel = trimText(w[2]);
        const int mode = findCode(kSelections, sel, true);
        if (mode < 0) return quoted + "неизвестный режим выделения \"" + std::string(sel) + "\".";
        const std::string_view values = trimText(afterColon(sel));
        if (mode != 0 && !valueListReads(values))
            return quoted + "значения выделения \"" + std::string(values) + "\" не читаются.";
    }
    if (w.size() > 3) {
        const std::string_view stop = trimText(w[3]);
        if (findCode(kStops, stop, true) < 0) return quoted + "неизвестный способ останова \"" + std::string(stop) + "\".";
        const std::string_view value = trimText(afterColon(stop));
        if (!value.empty() && !tryReadInt(value))
            return quoted + "значение останова \"" + std::string(value) + "\" - не целое число.";
    }
    if (w.size() > 4) {
        const auto parts = words(trimText(w[4]), ':');
        if (parts.size() > 5) return quoted + "лишний весовой коэффициент \"" + std::string(trimText(parts[5])) + "\".";
        for (size_t i = 0; i < parts.size(); ++i) {
            const std::string_view part = trimText(parts[i]);
            if (i < 3 ? !coefficientReads(part) : !(part.empty() || part == "0" || part == "1"))
                return quoted + "весовой коэффициент \"" + std::string(part) + "\" не читается.";
        }
    }
    return {};
}

std::string scenarioLineFault(std::string_view text, const TStatList* registry) {
    if (isSeparatorLine(text)) return {};
    const ScenarioLineFields f = splitScenarioLine(text);
    std::string fault = scenarioOptionsFault(f.options);
    for (int i = 0; fault.empty() && i < kScenarioFilterCount; ++i)
        fault = scenarioFilterFault(i + 1, f.filters[static_cast<size_t>(i)], registry);
    return fault;
}

ScenarioLine ScenarioLine::parse(std::string_view text, const TStatList* registry) {
    ScenarioLine line;
    if (isSeparatorLine(text)) return line;
    line.separator = false;
    const ScenarioLineFields f = splitScenarioLine(text);
    line.options = ScenarioOptions::parse(f.options);
    for (size_t i = 0; i < line.filters.size(); ++i) line.filters[i] = TFilterItem::parse(f.filters[i], registry);
    line.comment = f.comment;
    return line;
}

std::string ScenarioLine::text() const {
    if (separator) return "";
    std::array<std::string, kScenarioFilterCount> texts;
    for (size_t i = 0; i < filters.size(); ++i) texts[i] = filters[i].text();
    return joinScenarioLine(options.text(), texts, comment);
}

int ScenarioLine::usedFilterCount() const {
    int n = 0;
    for (const TFilterItem& f : filters)
        if (f.used) ++n;
    return n;
}

std::array<std::string, 2 + kScenarioFilterCount> ScenarioLine::cells() const {
    std::array<std::string, 2 + kScenarioFilterCount> c;
    if (separator) return c;
    c[0] = comment;
    c[1] = options.displayText();
    for (size_t i = 0; i < filters.size(); ++i) c[i + 2] = filters[i].text();
    return c;
}

const std::array<std::string, 2 + kScenarioFilterCount>& scenarioColumns() {
    static const std::array<std::string, 2 + kScenarioFilterCount> columns{
        "Комментарии", "Опции", "Фильтр 1", "Фильтр 2", "Фильтр 3", "Фильтр 4", "Фильтр 5", "Фильтр 6", "Фильтр 7"};
    return columns;
}

}  // namespace tavlora
