#pragma once
// The "Ставки" page: the stakes list comes with its subsystem (the stakes file itself is opened
// at start-up, where it guards the data folder against a second copy).
#include "app/tab.h"

namespace tavlora::app {

class StakesTab : public Tab {
public:
    explicit StakesTab(TabHost& host, QWidget* parent = nullptr)
        : Tab(host, "tsStakes", QStringLiteral("Ставки"), std::nullopt, parent) {}
};

}  // namespace tavlora::app
