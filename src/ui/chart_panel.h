#pragma once
// A line chart whose series are found by their titles (without regard to case) and created on
// first use with their style: line colour and width, point markers, and marks (point labels) that
// one switch turns on and off for the series created with marks. Points are (integer x, value y),
// labelled with x unless the series' marks show the values. The chart window, the graphs tab and
// the chart dialogs all draw through it.
#include <QColor>
#include <QString>
#include <QWidget>
#include <vector>

class QChart;
class QChartView;
class QLineSeries;

namespace tavlora::ui {

struct ChartSeriesStyle {
    QColor color = Qt::black;
    int width = 2;
    bool markers = true;
    int markerSize = 3;
    QColor markerColor{};     // invalid: the line's colour
    bool marks = false;       // whether the series shows marks while the switch is on
    bool marksShowValue = false;  // marks show y instead of the point's label (x)
};

class ChartPanel : public QWidget {
    Q_OBJECT
public:
    explicit ChartPanel(QWidget* parent = nullptr);

    // The series with this title (letter case ignored), or null.
    QLineSeries* findSeries(const QString& title) const;
    // The series with this title; created with the style when there is none yet.
    QLineSeries* series(const QString& title, const ChartSeriesStyle& style);
    // Adds a point to the series with this title (created with the default style when missing).
    void addPoint(const QString& title, int x, double y);
    static void addPoint(QLineSeries* series, int x, double y);
    // Removes every series and axis.
    void clear();
    // Fits the axes to the points; call when the points are in.
    void finish();

    // The marks switch: shows or hides the marks of the series created with marks.
    void setMarksVisible(bool on);
    bool marksVisible() const { return marksVisible_; }

    QChart* chart() const;
    QChartView* view() const { return view_; }
    std::vector<QLineSeries*> allSeries() const { return series_; }

private:
    QChartView* view_ = nullptr;
    std::vector<QLineSeries*> series_;
    bool marksVisible_ = true;
};

}  // namespace tavlora::ui
