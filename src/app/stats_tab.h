#pragma once
// The "Статистика" tab: the method list `cbDrawsStatType`, the window length `edDrawsStatLen`,
// the 20-column table `lvDrawsStat` (sorted by the engine's sortable-list rule) and the chart
// `crtDrawsStat`. The table and the chart come from the engine's statistics table; the filter
// commands run the engine's statistics filter over the session's combination list.
#include <QAbstractTableModel>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>

#include "workspace/stat_table.h"

class QComboBox;
class QSpinBox;
class QSplitter;
class QTableView;

class QChartView;

namespace tavlora {
class Interaction;
class Session;
}

namespace tavlora::ui {
class BusyState;
class GuiProgress;
}

namespace tavlora::app {

// The rows of the statistics table in displayed order.
class StatTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    void setRows(std::vector<TStatTableRow> rows);
    const std::vector<TStatTableRow>& rows() const { return rows_; }
    void sortRows(const TListSort& sort);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<TStatTableRow> rows_;
};

// The switches of the tab that live in the window settings.
struct StatsTabOptions {
    bool prefetchsEnabled = false;
    bool showTotalLine = true;
};

class StatsTab : public QWidget {
    Q_OBJECT
public:
    StatsTab(ui::BusyState& busy, ui::GuiProgress& progress, QWidget* parent = nullptr);

    void setSession(Session* session, Interaction* interaction);
    void setOptions(const StatsTabOptions& options);
    const StatsTabOptions& options() const { return options_; }

    QComboBox* methodBox() const { return cbDrawsStatType_; }
    QSpinBox* lengthEdit() const { return edDrawsStatLen_; }
    QTableView* tableView() const { return lvDrawsStat_; }
    StatTableModel* tableModel() const { return model_; }
    QChartView* chartView() const { return crtDrawsStat_; }
    QSplitter* splitter() const { return splitter_; }
    const TStatTable& table() const { return table_; }
    const TListSort& sortState() const { return sort_; }

    // Registry index of the selected method, -1 when none.
    int selectedMethod() const;
    // Refills the method list (keeping the selected position when asked and still in range).
    void fillMethodList(bool keepSelection);
    // Recomputes the table and the chart; without force nothing happens while the key is the same.
    void recompute(bool force);
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
    void showDescription();

signals:
    // The combination list changed through a filter.
    void combsChanged();

private:
    void buildChart();
    void clearChart();

    Session* session_ = nullptr;
    Interaction* interaction_ = nullptr;
    ui::BusyState& busy_;
    ui::GuiProgress& progress_;
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
    StatTableModel* model_ = nullptr;
    QChartView* crtDrawsStat_ = nullptr;
};

// Builds the norm files (force, groups) under a progress window with "Отмена". Returns false
// when stopped.
bool ensureNormFiles(QWidget* parent, Session& session, bool enabled, bool force, const std::set<int>& groups,
                     ui::BusyState& busy, ui::GuiProgress& progress, Interaction& interaction);

}  // namespace tavlora::app
