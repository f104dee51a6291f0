#pragma once
// Turning rating rows back into scenario lines ("Добавить в сценарий"): a scenario stake's
// comment "NN.VVV: comment @ OPTIONS + filter + filter" becomes the line
// "OPTIONS|filter|filter| | | | | |NN.VVV: comment".
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/interaction.h"
#include "core/progress.h"

namespace tavlora {

class TScenario;

inline constexpr const char* kRatingsToScenarioStatus = "Генерация новых строк в сценарии...";
inline constexpr const char* kRatingsToScenarioError = "Строку\r\r%s\r\rневозможно добавить в сценарий!";
inline constexpr const char* kRatingsKeyCutError =
    "Строку\r\r%s\r\rневозможно добавить в сценарий: комментарий ставки длиннее 255 символов и был обрезан, "
    "строка сценария из него была бы неверной!";

// A key as long as the rating file can hold (255 Windows-1251 bytes) was most likely cut from a
// longer stake comment: its last filter or its comment is incomplete.
bool ratingKeyWasCut(std::string_view key);

// The scenario line text made from a rating key, or nothing when none of the line's seven
// filters is set (a manual stake's comment, for one) or when the key was cut.
std::optional<std::string> scenarioLineFromRatingKey(std::string_view key);

// Appends one line per key, in the order given (the working copy is written with each). A key
// that makes no line, or was cut at the key's length limit, is reported as an error through
// interaction and skipped. Returns the number
// of lines added.
int addRatingKeysToScenario(TScenario& scenario, const std::vector<std::string>& keys, Interaction& interaction,
                            Progress* progress = nullptr);

}  // namespace tavlora
