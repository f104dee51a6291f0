#include "app/stakes/stakes_charts.h"

#include <cmath>

#include "app/workspace/chart_drawing.h"
#include "ui/chart_window.h"
#include "ui/window_settings.h"

namespace tavlora::app {

std::vector<TChartSeriesData> chartSeries(const std::vector<TGraphSeries>& series, const std::vector<uint32_t>& colours) {
    std::vector<TChartSeriesData> out;
    for (size_t i = 0; i < series.size(); ++i) {
        TChartSeriesData s;
        s.title = series[i].name;
        s.color = colours.empty() ? 0 : colours[std::min(i, colours.size() - 1)];
        s.markers = true;
        s.marks = true;
        s.marksShowValue = true;
        for (const TGraphPoint& p : series[i].points)
            s.points.push_back({static_cast<int64_t>(std::llround(p.x)), static_cast<double>(p.y)});
        out.push_back(std::move(s));
    }
    return out;
}

void showGraphWindow(QPointer<ui::ChartWindow>& window, QWidget* parent, const QString& title,
                     const std::vector<TChartSeriesData>& series) {
    if (!window) {
        window = new ui::ChartWindow(parent, title);
        window->setAttribute(Qt::WA_DeleteOnClose);
        ui::keepPlacement(*window, "TFormGraph");
    }
    window->setWindowTitle(title);
    window->clear();
    drawSeries(*window->panel(), series);
    window->show();
    window->raise();
}

}  // namespace tavlora::app
