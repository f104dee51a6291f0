#pragma once
// The "Схема" page: the layout of the numbers comes with its subsystem.
#include "app/tab.h"

namespace tavlora::app {

class LayoutTab : public Tab {
public:
    explicit LayoutTab(TabHost& host, QWidget* parent = nullptr)
        : Tab(host, "tsLayout", QStringLiteral("Схема"),
              tabToggle("TabLayout", "Схема", "TabLayout", &TFormMainSettings::tabLayout), parent) {}
};

}  // namespace tavlora::app
