#include "ui/chart_panel.h"

#include <QChart>
#include <QChartView>
#include <QImage>
#include <QLineSeries>
#include <QPainter>
#include <QValueAxis>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace tavlora::ui {

namespace {

constexpr const char* kMarksProperty = "tavloraMarks";

}  // namespace

ChartPanel::ChartPanel(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    view_ = new QChartView(this);
    view_->setRenderHint(QPainter::Antialiasing);
    layout->addWidget(view_);
    clear();
}

QChart* ChartPanel::chart() const { return view_->chart(); }

QLineSeries* ChartPanel::findSeries(const QString& title) const {
    for (QLineSeries* s : series_)
        if (s->name().compare(title, Qt::CaseInsensitive) == 0) return s;
    return nullptr;
}

QLineSeries* ChartPanel::series(const QString& title, const ChartSeriesStyle& style) {
    if (QLineSeries* s = findSeries(title)) return s;
    auto* s = new QLineSeries;
    s->setName(title);
    QPen pen(style.color);
    pen.setWidth(style.width);
    s->setPen(pen);
    if (style.markers) {
        QImage marker(style.markerSize, style.markerSize, QImage::Format_ARGB32);
        marker.fill(style.markerColor.isValid() ? style.markerColor : style.color);
        s->setLightMarker(marker);
        s->setMarkerSize(style.markerSize);
    }
    s->setPointLabelsFormat(style.marksShowValue ? QStringLiteral("@yPoint") : QStringLiteral("@xPoint"));
    s->setPointLabelsClipping(true);
    s->setProperty(kMarksProperty, style.marks);
    s->setPointLabelsVisible(style.marks && marksVisible_);
    chart()->addSeries(s);
    series_.push_back(s);
    return s;
}

void ChartPanel::addPoint(const QString& title, int x, double y) { addPoint(series(title, {}), x, y); }

void ChartPanel::addPoint(QLineSeries* series, int x, double y) { series->append(x, y); }

void ChartPanel::clear() {
    // A fresh chart each time: axes removed from a live chart can leave their labels drawn.
    QChart* old = view_->chart();
    auto* chart = new QChart;
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setMargins(QMargins(2, 2, 2, 2));
    chart->setBackgroundRoundness(0);
    view_->setChart(chart);
    delete old;
    series_.clear();
}

void ChartPanel::finish() {
    QChart* c = chart();
    for (QAbstractAxis* axis : c->axes()) {
        c->removeAxis(axis);
        delete axis;
    }
    double minX = 0, maxX = 1, minY = 0, maxY = 1;
    bool any = false;
    for (QLineSeries* s : series_)
        for (const QPointF& p : s->points()) {
            if (!any) {
                minX = maxX = p.x();
                minY = maxY = p.y();
                any = true;
            }
            minX = std::min(minX, p.x());
            maxX = std::max(maxX, p.x());
            minY = std::min(minY, p.y());
            maxY = std::max(maxY, p.y());
        }
    if (maxX <= minX) maxX = minX + 1;
    if (maxY <= minY) maxY = minY + 1;
    auto* axisX = new QValueAxis;
    axisX->setLabelFormat(QStringLiteral("%d"));
    axisX->setRange(minX, maxX);
    auto* axisY = new QValueAxis;
    axisY->setRange(std::min(0.0, minY), maxY + (maxY - std::min(0.0, minY)) * 0.05);
    axisY->applyNiceNumbers();
    c->addAxis(axisX, Qt::AlignBottom);
    c->addAxis(axisY, Qt::AlignLeft);
    for (QLineSeries* s : series_) {
        s->attachAxis(axisX);
        s->attachAxis(axisY);
    }
}

void ChartPanel::setMarksVisible(bool on) {
    marksVisible_ = on;
    for (QLineSeries* s : series_) s->setPointLabelsVisible(on && s->property(kMarksProperty).toBool());
}

}  // namespace tavlora::ui
