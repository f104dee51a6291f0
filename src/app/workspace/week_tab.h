#pragma once
// The "Неделя" page: how often each number came on each day of the week over the last `WeekLen`
// draws (`sgWeek`: a row per weekday, Monday to Sunday, a column per number), from white to red
// by count, and the chart `crtWeek` of the current cell: the seven weekdays of its number
// (`WeekChartMode` 1) or the 69 numbers of its weekday (0), as a line or as bars
// (`WeekChartType`). The selected columns' numbers keep or remove combinations.
#include <QAbstractTableModel>
#include <array>

#include "app/tab.h"
#include "workspace/number_grids.h"

class QSpinBox;
class QSplitter;
class QTableView;

namespace tavlora::ui {
class ChartPanel;
}

namespace tavlora::app {

// The week table as a table model: column 0 the weekday names, then one column per number.
class WeekModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    void setTable(TWeekTable table);
    const TWeekTable& table() const { return table_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    TWeekTable table_;
};

class WeekTab : public Tab {
    Q_OBJECT
public:
    explicit WeekTab(TabHost& host, QWidget* parent = nullptr);

    QTableView* grid() const { return sgWeek_; }
    WeekModel* model() const { return model_; }
    QSpinBox* lengthEdit() const { return edWeekLen_; }
    ui::ChartPanel* chart() const { return crtWeek_; }
    // The numbers of the selected columns, left to right, whatever the rows.
    std::vector<int32_t> selectedNumbers() const;
    bool filterSelected(bool remove);
    // Draws the chart of the current cell.
    void drawChart();

    void buildCommands() override;
    std::optional<TabMenu> menu() const override;
    void restoreSettings(const TFormMainSettings& s) override;
    void saveSettings(TFormMainSettings& s) const override;
    void enableControls(bool on) override;
    bool isView() const override { return true; }

protected:
    void recompute(bool force) override;

private:
    WeekModel* model_ = nullptr;
    QTableView* sgWeek_ = nullptr;
    QSpinBox* edWeekLen_ = nullptr;
    QSplitter* splitter_ = nullptr;
    ui::ChartPanel* crtWeek_ = nullptr;
    std::optional<std::array<int, 3>> key_;
};

}  // namespace tavlora::app
