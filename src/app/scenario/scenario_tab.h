#pragma once
// The "Сценарий" page: the scenario editor comes with its subsystem.
#include "app/tab.h"

namespace tavlora::app {

class ScenarioTab : public Tab {
public:
    explicit ScenarioTab(TabHost& host, QWidget* parent = nullptr)
        : Tab(host, "tsScript", QStringLiteral("Сценарий"), std::nullopt, parent) {}
};

}  // namespace tavlora::app
