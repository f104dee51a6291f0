#pragma once
// The "Карта" page: the number card comes with its subsystem.
#include "app/tab.h"

namespace tavlora::app {

class CardTab : public Tab {
public:
    explicit CardTab(TabHost& host, QWidget* parent = nullptr)
        : Tab(host, "tsCard", QStringLiteral("Карта"),
              tabToggle("TabCard", "Карта", "TabCard", &TFormMainSettings::tabCard), parent) {}
};

}  // namespace tavlora::app
