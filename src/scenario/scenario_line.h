#pragma once
// One line of a scenario as text and as parsed data: the line's nine "|"-separated fields, the
// options of a command line (start list, result mode, stake switches), the seven filters (a
// statistics method with sample lengths, sort column, row selection, stop mode and an optional
// weight block) and the code tables with their captions.
//
// Line text:    options | filter 1 | ... | filter 7 | comment
// Options text: SOURCE:count#RESULT[#CLR][#NEX]                  e.g. "EXCL:5#RAND#NEX"
// Filter text:  {T|B}{S|M}{D|F}sort#CODE:draws#SEL:values#STOP:n[#cnt:dev:depth:pct:abs]
//               e.g. "TSD1#NUMS:100,200#LMV:1-3;1#SF:1"
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/records.h"
#include "core/settings.h"

namespace tavlora {

class TStatList;
class TStatMethod;

inline constexpr int kScenarioFilterCount = 7;
// What every caption function returns for an index outside its table.
inline constexpr const char* kScenarioBadCaption = "# ERROR #";
// A filter whose method code names no method of the registry.
inline constexpr const char* kScenarioUnknownMethodFault = "Фильтр %d: метод расчета статистики \"%s\" не найден.";

// --- code tables --------------------------------------------------------------------------------
// Source of a command line's start list.
enum TScenarioSource : uint8_t { ssFull = 0, ssExcl = 1, ssCurr = 2 };
inline constexpr int kScenarioSourceCount = 3;
// What to stake when the filters leave the list.
enum TScenarioResult : uint8_t {
    srRand = 0, srFirst = 1, srLast = 2, srAll = 3, srSysA = 4, srSysC = 5, srStop = 6, srSkip = 7, srNone = 8
};
inline constexpr int kScenarioResultCount = 9;
// When the walk over the statistics list stops.
enum TScenarioStop : uint8_t { stAll = 0, stCount = 1, stEmpty = 2, stSteps = 3, stValue = 4, stPercent = 5 };
inline constexpr int kScenarioStopCount = 6;
inline constexpr int kSelectionModeCount = 32;

// Codes are empty for an index outside the table; captions are kScenarioBadCaption then.
std::string sourceCode(int index);
std::string sourceCaption(int index);
// "Исходный список", "Исключить %d тиражей" with the count, "Текущий список".
std::string sourceShortCaption(int index, int excludeCount);
std::string resultCode(int index);
std::string resultCaption(int index);
std::string resultShortCaption(int index);
std::string selectionModeCode(int index);
std::string selectionModeCaption(int index);
std::string stopModeCode(int index);
std::string stopModeCaption(int index);
// Modes whose selection text is one list of values tested by membership:
// 5, 6, 11, 12, 17, 18, 21, 24, 27, 30, 31.
bool isListSelectionMode(int mode);
// Modes whose filter makes one variant per selection value: 1-4, 7-10, 13-16 and 19-30 (the
// list modes 21, 24, 27 and 30 among them too); other modes make one variant with the whole list.
bool expandsSelectionValues(int mode);

// --- options --------------------------------------------------------------------------------------
struct ScenarioOptions {
    int32_t excludeCount = 0;  // latest draws whose combinations leave the start list (EXCL)
    uint8_t source = ssFull;   // TScenarioSource, 0..2
    uint8_t resultMode = srRand;  // TScenarioResult, 0..8
    bool clearStakes = false;  // empty the stakes file before the line runs
    bool newOnly = false;      // do not add a stake already in the stakes list

    // Reads an options text; what is not found stays at its default (FULL, 0, RAND, off, off).
    static ScenarioOptions parse(std::string_view text);
    // "SOURCE:count#RESULT", then "#CLR" and "#NEX" when set.
    std::string text() const;
    // The "Опции" column: "Исходный список; Случайно; Все создаваемые ставки".
    std::string displayText() const;
    // The options as written into stake comments: source, ":count" only for EXCL, "#RESULT",
    // "#NEX" when new only is set (clear stakes is not written).
    std::string stakeText() const;
    bool operator==(const ScenarioOptions&) const = default;
};

// --- filters --------------------------------------------------------------------------------------
struct TFilterItem {
    bool used = false;        // the filter text was non-empty
    std::string methodText;   // sub-field 2 as read ("NUMS:100,200")
    // The registry method the method text names; null when no registry was given or no code
    // matched. Points into the registry the filter was read with: valid until it is rebuilt.
    const TStatMethod* method = nullptr;
    int methodIndex = -1;     // index of method in that registry, -1 when none
    std::string drawsText;    // value list of sample lengths (only when method is set)
    int32_t sortColumn = 0;   // statistics list column sorted by, descending
    bool bottomUp = false;    // walk the sorted list from the last row to the first
    bool multiSelect = false; // select all matching rows, then filter once
    bool keepSelected = false;  // keep the combinations with a selected value (else remove)
    uint8_t selectionMode = 0;  // 0..31
    std::string selectionText;  // value list of the selection mode
    bool weightOverride = false;  // use `weights` instead of the global weight coefficients
    TWeights weights;             // only meaningful with weightOverride
    uint8_t stopMode = stAll;     // 0..5
    int32_t stopValue = 0;

    // Reads a filter text. With a registry, the method is the first registry method (registry
    // order) whose code the method text begins with, case ignored; without one, or without a
    // match, the method stays unset and the method text is kept as read. Never fails.
    static TFilterItem parse(std::string_view text, const TStatList* registry);
    // The canonical filter text; empty when not used. An unresolved method is written back as
    // its method text.
    std::string text() const;
    // The sample lengths and selection values of the filter (empty lists when unreadable).
    TIntArray drawsList() const;
    TIntArray selectionList() const;
};

// Lenient reading of a weight coefficient: digits and "-" stay, "." and "," are decimal points,
// other characters are dropped; what does not read as a number gives 0.
long double readLenientReal(std::string_view text);
// Shortest decimal text of a coefficient that reads back to the same value, with "." as the
// decimal point and never in exponent form.
std::string coefficientText(long double value);

// --- lines ----------------------------------------------------------------------------------------
// A line's fields as texts, each trimmed (absent fields are empty).
struct ScenarioLineFields {
    std::string options;
    std::array<std::string, kScenarioFilterCount> filters;
    std::string comment;
};

// True when the trimmed text is empty: the line is a separator.
bool isSeparatorLine(std::string_view line);
// Splits a line into its fields: "|" is the only separator, runs of separators count as one
// and leading separators are skipped; every field is trimmed.
ScenarioLineFields splitScenarioLine(std::string_view line);
// Writes a line: the options text, "|" and each filter text (a single blank for a filter whose
// trimmed text is empty), then "|" and the comment when its trimmed text is non-empty.
// Filter texts and the comment are written as given, untrimmed.
std::string joinScenarioLine(std::string_view options, const std::array<std::string, kScenarioFilterCount>& filters,
                             std::string_view comment);

// Why a line's text cannot be read as it stands: the first field holding something the reader
// would silently replace by a default (an unknown code, a count or value that is not a number, a
// negative count, an unreadable list of sample lengths or selection values, a weight that is not
// a number, a field too many); empty when the whole line reads. With a registry a filter's
// method code must also name one of its methods. A separator always reads.
std::string scenarioLineFault(std::string_view text, const TStatList* registry);
// The same for the options field alone, and for filter field `number` (1..7) alone.
std::string scenarioOptionsFault(std::string_view options);
std::string scenarioFilterFault(int number, std::string_view filter, const TStatList* registry);

struct ScenarioLine {
    bool separator = true;
    ScenarioOptions options;
    std::array<TFilterItem, kScenarioFilterCount> filters;  // in field order; unused ones are empty
    std::string comment;

    // Reads a line; filters are resolved through the registry when one is given.
    static ScenarioLine parse(std::string_view text, const TStatList* registry);
    // The canonical line text; empty for a separator.
    std::string text() const;
    // The used filters in field order (execution gives them consecutive slots).
    int usedFilterCount() const;
    // The list view cells: "Комментарии", "Опции", "Фильтр 1".."Фильтр 7" (all empty for a
    // separator; a filter that is not set shows an empty cell).
    std::array<std::string, 2 + kScenarioFilterCount> cells() const;
};

// Captions of the scenario list columns.
const std::array<std::string, 2 + kScenarioFilterCount>& scenarioColumns();

}  // namespace tavlora
