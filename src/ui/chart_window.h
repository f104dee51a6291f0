#pragma once
// The chart window "График": a chart panel with the check box "Отображать метки на графиках" that
// switches the marks of the series created with marks. Non-modal; its owner keeps its placement.
#include <QDialog>

#include "ui/chart_panel.h"

class QCheckBox;

namespace tavlora::ui {

inline constexpr const char* kChartWindowTitle = "График";

class ChartWindow : public QDialog {
    Q_OBJECT
public:
    explicit ChartWindow(QWidget* parent = nullptr, const QString& title = QString::fromUtf8(kChartWindowTitle));

    ChartPanel* panel() const { return panel_; }
    QCheckBox* marksBox() const { return cbMarks_; }

    // Shortcuts to the panel.
    QLineSeries* series(const QString& title, const ChartSeriesStyle& style) { return panel_->series(title, style); }
    void addPoint(const QString& title, int x, double y) { panel_->addPoint(title, x, y); }
    void clear() { panel_->clear(); }
    void finish() { panel_->finish(); }

private:
    ChartPanel* panel_ = nullptr;
    QCheckBox* cbMarks_ = nullptr;
};

}  // namespace tavlora::ui
