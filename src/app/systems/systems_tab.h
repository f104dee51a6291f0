#pragma once
// The "Системы" page: the wheeling systems come with their subsystem. Its command is
// "Системная игра" with the key SystemsEnabled.
#include "app/tab.h"

namespace tavlora::app {

class SystemsTab : public Tab {
public:
    explicit SystemsTab(TabHost& host, QWidget* parent = nullptr)
        : Tab(host, "tsSystems", QStringLiteral("Системы"),
              TabToggle{QStringLiteral("SystemsOn"), QStringLiteral("Системная игра"),
                        QStringLiteral("SystemsEnabled"), &TFormMainSettings::systemsEnabled},
              parent) {}
};

}  // namespace tavlora::app
