#pragma once
// The "Неделя" page: the statistics by weekday come with their subsystem.
#include "app/tab.h"

namespace tavlora::app {

class WeekTab : public Tab {
public:
    explicit WeekTab(TabHost& host, QWidget* parent = nullptr)
        : Tab(host, "tsWeek", QStringLiteral("Неделя"),
              tabToggle("TabWeek", "Неделя", "TabWeek", &TFormMainSettings::tabWeek), parent) {}
};

}  // namespace tavlora::app
