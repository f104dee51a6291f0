#pragma once
// Text forms of numbers, combinations, number sets and draws, and the readers of the texts a
// user types: combinations, hand-entered draws, integer value lists.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/date.h"
#include "core/records.h"

namespace tavlora {

// --- numbers --------------------------------------------------------------------------------
// Plain decimal without padding (7, 69).
std::string numberText(int n);
// Decimal integer read from the whole text after trimming blanks and tabs; an optional sign is
// allowed. Returns defaultValue when the text is not a number or does not fit 32 bits.
int readInt(std::string_view text, int defaultValue = 0);
// The same reading, nullopt when the text is not a number.
std::optional<int> tryReadInt(std::string_view text);
// The text without leading and trailing blanks, tabs, CR and LF.
std::string_view trimText(std::string_view text);
// Splits at any character of seps. With collapse, runs of separators count as one and leading or
// trailing separators give no empty words; without it every separator ends a word (so "a;;b"
// gives three words and "" one empty word).
std::vector<std::string_view> splitWords(std::string_view text, std::string_view seps, bool collapse = false);
// The lines of a text ended by CR LF, LF or a lone CR; a final line break does not start another
// line, so "" gives no line and "a\r\n" one.
std::vector<std::string_view> splitLines(std::string_view text);

// --- records --------------------------------------------------------------------------------
// "5;12;33;41;69": the five numbers in stored order.
std::string semicolonForm(const TComb& c);
std::string semicolonForm(const TDraw& d);  // the five main numbers
// "05 12 33 41 69": each number padded with "0" to two characters.
std::string blankForm(const TComb& c);
// The first count numbers of the set joined by sep ("5, 12, 33").
std::string joinedForm(const TShema& s, std::string_view sep);
// "Тираж № 1234 от 03/14/2015, значения: 5;12;33;41;69 e:7"
std::string drawLine(const TDraw& d);
// How a stake was made: 1 "Вручную", 2 "Регуляр", 3 "Сценарий", 4 "Система"; otherwise "".
std::string stakeSourceText(int code);

// --- combinations ---------------------------------------------------------------------------
// Reads five numbers separated by any run of TAB, blank, ",", "-", ".", ":", ";" and "|".
// Throws EError("Некорректная комбинация: \"<text>\"!") unless there are exactly five words.
// Words that are not numbers, and numbers outside 0..255, are stored as 0; range and
// repetition are not checked here (see combIsValid).
TComb parseCombination(std::string_view text);
// Five numbers 1..69, pairwise distinct.
bool combIsValid(const TComb& c);
// Exactly five words separated by "," or ";", each an integer 1..69, all distinct, in the order
// typed; nullopt otherwise. The rule of the stake and regular-table dialogs.
std::optional<TComb> readFiveNumbers(std::string_view text);

// --- hand-entered draws ---------------------------------------------------------------------
inline constexpr const char* kBadCombinationWarning = "Введена некорректная комбинация!";
inline constexpr const char* kBadDrawNumberWarning = "Номер тиража должен быть в пределах от 1 до 2147483647!";

struct DrawInputResult {
    bool ok = false;
    TDraw draw;           // built when ok: number, numbers in typed order, extra, date; unused zero
    std::string warning;  // the warning to show when not ok
};
// Checks the fields of the draw dialog: the number 1..2147483647; the numbers text split at ";"
// and "," into exactly six words, five distinct numbers 1..69 and an extra number 1..26.
DrawInputResult validateDrawInput(int64_t number, std::string_view numbersText,
                                  std::optional<CivilDate> date);
// The numbers field of the draw dialog for an existing draw: "5;12;33;41;69;7".
std::string drawInputText(const TDraw& d);

// --- value lists ----------------------------------------------------------------------------
// Longest list a stepped range may produce; a longer range reads as the empty list.
inline constexpr int64_t kMaxValueListSize = 100000;
// "3, 5, 8" or "-5": a list of integers separated by "," or ";". Otherwise a stepped range
// "first-last;step" (first may be negative, the step may also follow a ","). Anything else,
// a zero step, or a range longer than kMaxValueListSize, gives the empty list.
TIntArray parseValueList(std::string_view text);
std::string joinInts(const TIntArray& values, std::string_view sep);

// "-" when the text is not a non-negative integer; otherwise t - reference with a leading "+"
// when positive ("+3", "0", "-2").
std::string differenceText(std::string_view text, int reference);

}  // namespace tavlora
