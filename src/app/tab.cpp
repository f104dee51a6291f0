#include "app/tab.h"

namespace tavlora::app {

Tab::Tab(TabHost& host, const char* objectName, const QString& caption, std::optional<TabToggle> toggle,
         QWidget* parent)
    : QWidget(parent), host_(host), caption_(caption), toggle_(std::move(toggle)) {
    setObjectName(QString::fromLatin1(objectName));
}

void Tab::refreshView(bool force) {
    force = force || staleForce_;
    stale_ = staleForce_ = false;
    recompute(force);
}

void Tab::deferView(bool force) {
    stale_ = true;
    staleForce_ = staleForce_ || force;
}

}  // namespace tavlora::app
