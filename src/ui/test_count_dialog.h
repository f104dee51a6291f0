#pragma once
// The dialog "Количество тестов" (TFormTestCnt): how many past draws a test replays, 1 .. maximum.
// Shared by the scenario test and the regular-stakes test.
#include <optional>

class QWidget;

namespace tavlora::ui {

inline constexpr const char* kTestCountCaption = "Количество тестов";
inline constexpr const char* kTestCountPrompt = "Укажите количество тестов:";
inline constexpr int kTestCountInitial = 10;

// Asks for the number of tests; the field starts at `initial` and a value above maximum is taken
// as maximum. Nothing when the user cancels or when maximum is below 1 (no test is possible).
std::optional<int> askTestCount(QWidget* parent, int maximum, int initial = kTestCountInitial);

}  // namespace tavlora::ui
