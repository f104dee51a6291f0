#pragma once
// The checks a filter must pass before it is stored in a scenario line: the same checks, in the
// same order and with the same messages, for the filter editor of the window and for the lines
// typed on the command line. The first failed check is returned with its message and the
// control of the filter editor that gets the focus.
#include <string>

#include "scenario/scenario_line.h"

namespace tavlora {

inline constexpr const char* kFilterBadRange = "Введен некорректный диапазон значений!";
inline constexpr const char* kFilterNoValueList =
    "Для данного вида статистики не доступен режим выделения по списку значений!";
inline constexpr const char* kFilterMultiSelectCount =
    "В режиме мультивыделения остановка сценария по количеству комбинаций или чисел не может быть "
    "выполнена!\rВыберите другой способ останова.";
// The selection mode that selects the rows whose value is in a typed list.
inline constexpr int kValueListSelectionMode = 31;

enum class TFilterCheck {
    Ok,
    UnknownMethod,     // the method code names no method of the registry
    DrawsList,         // the sample lengths are not a list of lengths of at least 1
    ValueListMode,     // mode 31 with a method that takes no typed values
    SelectionList,     // a selection mode other than 0 without a readable list
    MultiSelectCount,  // multi-select with the stop by the number of combinations
};

// The filter editor's control a failed check points at.
enum class TFilterFocus { None, StatType, DrawsLen, LevelMode, LevelValue, StopMode };

struct TFilterCheckResult {
    TFilterCheck check = TFilterCheck::Ok;
    std::string message;
    TFilterFocus focus = TFilterFocus::None;
    bool ok() const { return check == TFilterCheck::Ok; }
};

// Checks a used filter (an unused one always passes). Every sample length must be at least 1,
// so "0", "0,100" and "-5" are all refused; a filter whose method was not resolved is refused
// with kScriptUnknownMethod naming its method text.
TFilterCheckResult checkFilterItem(const TFilterItem& item);

}  // namespace tavlora
