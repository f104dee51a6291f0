#pragma once
// The "Рейтинг" page: the ratings list comes with its subsystem.
#include "app/tab.h"

namespace tavlora::app {

class RatingsTab : public Tab {
public:
    explicit RatingsTab(TabHost& host, QWidget* parent = nullptr)
        : Tab(host, "tsRatings", QStringLiteral("Рейтинг"), std::nullopt, parent) {}
};

}  // namespace tavlora::app
