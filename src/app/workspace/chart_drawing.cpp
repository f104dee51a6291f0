#include "app/workspace/chart_drawing.h"

#include <QLineSeries>
#include <QRandomGenerator>

#include "ui/text.h"

namespace tavlora::app {

QColor windowsColor(uint32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

void drawSeries(ui::ChartPanel& panel, const std::vector<TChartSeriesData>& series, bool randomColours) {
    for (const TChartSeriesData& data : series) {
        ui::ChartSeriesStyle style;
        if (randomColours) {
            style.color = QColor::fromRgb(QRandomGenerator::global()->bounded(0x1000000u));
            style.markerColor = QColor::fromRgb(QRandomGenerator::global()->bounded(0x1000000u));
        } else {
            style.color = windowsColor(data.color);
            if (data.markerColor != kLineColor) style.markerColor = windowsColor(data.markerColor);
        }
        style.markers = data.markers;
        style.markerSize = data.markerSize;
        style.marks = data.marks;
        style.marksShowValue = data.marksShowValue;
        QLineSeries* s = panel.series(ui::qs(data.title), style);
        QList<QPointF> points;
        points.reserve(static_cast<qsizetype>(data.points.size()));
        for (const TChartPointData& p : data.points) points.append(QPointF(static_cast<double>(p.x), p.y));
        s->append(points);
    }
    panel.finish();
}

}  // namespace tavlora::app
