#include "app/workspace/chart_drawing.h"

#include <QGuiApplication>
#include <QLineSeries>
#include <QRandomGenerator>
#include <QScreen>
#include <QWidget>

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

namespace {

QSize screenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->size() : QSize(1024, 768);
}

}  // namespace

void restorePlacement(QWidget& dialog, const TFormSectionKeys& keys) {
    try {
        const QSize screen = screenSize();
        const TWindowPlacement p = keys.placement(screen.width(), screen.height());
        if (p.valid) {
            dialog.resize(p.width, p.height);
            dialog.move(p.left, p.top);
        }
    } catch (const std::exception&) {
        // An unreadable settings file leaves the dialog at its default size.
    }
}

void savePlacement(const QWidget& dialog, const TFormSectionKeys& keys) {
    try {
        TWindowPlacement p;
        const QRect r = dialog.geometry();
        p.left = r.left();
        p.top = r.top();
        p.width = r.width();
        p.height = r.height();
        p.maximized = dialog.isMaximized();
        p.pixelsPerInch = dialog.logicalDpiY();
        const QSize screen = screenSize();
        keys.savePlacement(p, screen.width(), screen.height());
    } catch (const std::exception&) {
        // Nothing to show while the dialog goes away; the old placement stays.
    }
}

}  // namespace tavlora::app
