#pragma once
// Draws the engine's chart series into a chart panel.
#include <QColor>
#include <vector>

#include "ui/chart_panel.h"
#include "workspace/chart_data.h"

class QWidget;

namespace tavlora::app {

// A Windows colour value (blue in the highest byte) as a Qt colour.
QColor windowsColor(uint32_t c);

// Adds every series with its points (found by title or created with its style) and fits the axes.
// randomColours: each series gets a random line and marker colour instead of its own.
void drawSeries(ui::ChartPanel& panel, const std::vector<TChartSeriesData>& series, bool randomColours = false);

}  // namespace tavlora::app
