#pragma once
// The "Регуляры" page: the regular table stakes come with their subsystem.
#include "app/tab.h"

namespace tavlora::app {

class RegularsTab : public Tab {
public:
    explicit RegularsTab(TabHost& host, QWidget* parent = nullptr)
        : Tab(host, "tsTables", QStringLiteral("Регуляры"),
              tabToggle("TabTables", "Регуляры", "TabTables", &TFormMainSettings::tabTables), parent) {}
};

}  // namespace tavlora::app
