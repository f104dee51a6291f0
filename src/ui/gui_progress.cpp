#include "ui/gui_progress.h"

#include <QCoreApplication>

#include "ui/progress_window.h"
#include "ui/text.h"

namespace tavlora::ui {

void GuiProgress::setText(const std::string& text) {
    if (sink_) sink_(displayText(text));
    pump();
}

void GuiProgress::setMaximum(int64_t maximum) {
    if (auto* w = ProgressWindow::current()) w->setMaximum(maximum);
    pump();
}

void GuiProgress::setPosition(int64_t position) {
    if (auto* w = ProgressWindow::current()) w->setPosition(position);
    pump();
}

void GuiProgress::pump() { QCoreApplication::processEvents(); }

bool GuiProgress::stopRequested() const {
    if (stop_) return true;
    const auto* w = ProgressWindow::current();
    return w && w->stopRequested();
}

}  // namespace tavlora::ui
