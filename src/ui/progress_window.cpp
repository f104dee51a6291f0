#include "ui/progress_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "core/error.h"

namespace tavlora::ui {

ProgressWindow* ProgressWindow::current_ = nullptr;

ProgressWindow::ProgressWindow(QWidget* parent, const QString& text, int64_t maximum, bool cancellable)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    if (current_) throw EError(kProgressWindowExists);
    current_ = this;
    setWindowTitle(QStringLiteral("Tavlora 5/69"));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    label_ = new QLabel(text, this);
    bar_ = new QProgressBar(this);
    bar_->setTextVisible(false);
    layout->addWidget(label_);
    layout->addWidget(bar_);
    if (cancellable) {
        cancel_ = new QPushButton(QStringLiteral("Отмена"), this);
        auto* row = new QHBoxLayout;
        row->addStretch();
        row->addWidget(cancel_);
        row->addStretch();
        layout->addLayout(row);
        connect(cancel_, &QPushButton::clicked, this, &ProgressWindow::requestStop);
    }
    setFixedSize(400, cancellable ? kProgressHeightWithCancel : kProgressHeightWithoutCancel);
    maximum_ = std::max<int64_t>(0, maximum);
    updateGauge();
    show();
    pump();
}

ProgressWindow::~ProgressWindow() {
    if (current_ == this) current_ = nullptr;
}

void ProgressWindow::setText(const QString& text) {
    label_->setText(text);
    pump();
}

void ProgressWindow::setMaximum(int64_t maximum) {
    maximum_ = std::max<int64_t>(0, maximum);
    position_ = std::min(position_, maximum_);
    updateGauge();
    pump();
}

void ProgressWindow::setPosition(int64_t position) {
    position_ = std::clamp<int64_t>(position, 0, maximum_);
    updateGauge();
    pump();
}

void ProgressWindow::requestStop() {
    stopRequested_ = true;
    if (cancel_) cancel_->setEnabled(false);
}

void ProgressWindow::closeEvent(QCloseEvent* event) {
    // The window goes away with its operation, never by the user.
    event->ignore();
}

void ProgressWindow::reject() {
    if (cancel_) requestStop();
}

void ProgressWindow::updateGauge() {
    // The bar works in int; scale large maxima down to a per-mille gauge.
    if (maximum_ <= 1000000) {
        bar_->setMaximum(static_cast<int>(maximum_));
        bar_->setValue(static_cast<int>(position_));
    } else {
        bar_->setMaximum(1000);
        bar_->setValue(static_cast<int>(position_ * 1000 / maximum_));
    }
}

void ProgressWindow::pump() { QCoreApplication::processEvents(); }

}  // namespace tavlora::ui
