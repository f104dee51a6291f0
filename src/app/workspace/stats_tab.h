#pragma once
// The "Статистика" tab: the method list `cbDrawsStatType`, the window length `edDrawsStatLen`,
// the 20-column table `lvDrawsStat` (sorted by the engine's sortable-list rule) and the chart
// `crtDrawsStat`. The table and the chart come from the engine's statistics table; the filter
// commands run the engine's statistics filter over the session's combination list. The tab is
// the first view of the view chain.
#include <optional>
#include <vector>

#include "app/tab.h"
#include "workspace/stat_table.h"

class QComboBox;
class QSpinBox;
class QSplitter;

class QChartView;

namespace tavlora::app {

class StatTableModel;

// The switches of the tab that live in the window settings.
struct StatsTabOptions {
    bool prefetchsEnabled = false;
    bool showTotalLine = true;
};

class StatsTab : public Tab {
    Q_OBJECT
public:
    explicit StatsTab(TabHost& host, QWidget* parent = nullptr);

    void setOptions(const StatsTabOptions& options);

    QComboBox* methodBox() const { return cbDrawsStatType_; }
    QSpinBox* lengthEdit() const { return edDrawsStatLen_; }
    QTableView* tableView() const { return lvDrawsStat_; }
    // The "Значение" column kept in view over the table's left edge while it scrolls sideways.
    QTableView* valueColumnView() const { return frozen_; }
    StatTableModel* tableModel() const { return model_; }
    QChartView* chartView() const { return crtDrawsStat_; }
    const TStatTable& table() const { return table_; }
    const TListSort& sortState() const { return sort_; }

    // Registry index of the selected method, -1 when none.
    int selectedMethod() const;
    // Refills the method list (keeping the selected position when asked and still in range).
    void fillMethodList(bool keepSelection);
    // Recomputes the table and the chart; without force nothing happens while the key is the same.
    void recompute(bool force) override;
    // Clicks a column header: sorts by it ascending, or reverses the current column.
    void clickColumn(int column);
    // Selected table rows (positions in the displayed order), ascending.
    std::vector<std::size_t> selectedRows() const;
    // Keeps or removes the combinations with the selected values. Returns whether a filter ran.
    bool filterSelected(bool remove);
    // Column widths of the norm columns 3..5 follow the norms switch.
    void applyNormColumns();
    // The generated description page of the selected method (HTML).
    QString methodDescription() const;
    // The description window of the selected method.
    void showDescription();
    // The norms switch (building the missing norm files) and the ideal-distribution line switch.
    void togglePrefetchsEnabled();
    void toggleShowTotalLine();

    void buildCommands() override;
    std::optional<TabMenu> menu() const override;
    void sessionOpened() override;
    void restoreSettings(const TFormMainSettings& s) override;
    void saveSettings(TFormMainSettings& s) const override;
    std::vector<QTableView*> columnLists() const override { return {lvDrawsStat_}; }
    void enableControls(bool on) override;
    void methodListsChanged() override { fillMethodList(true); }
    bool isView() const override { return true; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildValueColumn();
    void placeValueColumn();
    void buildChart();
    void clearChart();

    StatsTabOptions options_;
    TStatRecomputeGate gate_;
    TListSort sort_;
    TStatTable table_;
    std::optional<TPrefetchData> norms_;
    bool computing_ = false;  // a recomputation or a filter is running

    QComboBox* cbDrawsStatType_ = nullptr;
    QSpinBox* edDrawsStatLen_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QTableView* lvDrawsStat_ = nullptr;
    QTableView* frozen_ = nullptr;
    StatTableModel* model_ = nullptr;
    QChartView* crtDrawsStat_ = nullptr;
};

}  // namespace tavlora::app
