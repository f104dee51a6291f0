#pragma once
// The "Графики" page: the graphs of the statistics methods come with their subsystem. Its
// command keeps the historical name TabGraps; its key is TabGraphs.
#include "app/tab.h"

namespace tavlora::app {

class GraphsTab : public Tab {
public:
    explicit GraphsTab(TabHost& host, QWidget* parent = nullptr)
        : Tab(host, "tsGraphs", QStringLiteral("Графики"),
              tabToggle("TabGraps", "Графики", "TabGraphs", &TFormMainSettings::tabGraphs), parent) {}
};

}  // namespace tavlora::app
