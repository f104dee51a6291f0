#include "ui/chart_window.h"

#include <QCheckBox>
#include <QVBoxLayout>

namespace tavlora::ui {

ChartWindow::ChartWindow(QWidget* parent, const QString& title) : QDialog(parent) {
    setObjectName(QStringLiteral("TFormGraph"));
    setWindowTitle(title);
    setSizeGripEnabled(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    cbMarks_ = new QCheckBox(QStringLiteral("Отображать метки на графиках"), this);
    cbMarks_->setObjectName(QStringLiteral("cbMarks"));
    cbMarks_->setChecked(true);
    panel_ = new ChartPanel(this);
    panel_->setObjectName(QStringLiteral("crtGraph"));
    layout->addWidget(cbMarks_);
    layout->addWidget(panel_, 1);
    connect(cbMarks_, &QCheckBox::toggled, panel_, &ChartPanel::setMarksVisible);
    resize(800, 500);
}

}  // namespace tavlora::ui
