#pragma once
// The graphs of the stakes and rating tabs in the chart window "График".
#include <QPointer>
#include <QString>
#include <cstdint>
#include <vector>

#include "stakes/ratings.h"
#include "workspace/chart_data.h"

class QWidget;

namespace tavlora::ui {
class ChartWindow;
}

namespace tavlora::app {

inline constexpr const char* kStakesGraphText = "Создание графиков...";

// The engine's graph series as chart series, series i in colours[i] (Windows colour values; the
// last colour repeats for the remaining series). Points lie on whole x values.
std::vector<TChartSeriesData> chartSeries(const std::vector<TGraphSeries>& series, const std::vector<uint32_t>& colours);
// Opens (or reuses) the chart window with the title and draws the series into it.
void showGraphWindow(QPointer<ui::ChartWindow>& window, QWidget* parent, const QString& title,
                     const std::vector<TChartSeriesData>& series);

}  // namespace tavlora::app
