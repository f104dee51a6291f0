#include "ui/busy_state.h"

#include <QApplication>
#include <QCursor>

namespace tavlora::ui {

BusyState::~BusyState() {
    if (count_ > 0 && qApp) QApplication::restoreOverrideCursor();
}

void BusyState::enter() {
    if (++count_ == 1) {
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        emit busyChanged(true);
    }
}

void BusyState::leave() {
    if (count_ == 0) return;
    if (--count_ == 0) {
        QApplication::restoreOverrideCursor();
        emit busyChanged(false);
    }
}

}  // namespace tavlora::ui
