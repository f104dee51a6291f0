#pragma once
// The "Схема" page: the layout `sgLayout` of the numbers of the last `LayoutLen` draws (rows: how
// often they came, descending; columns: the draw of their latest occurrence, descending; the next
// draw's numbers in brackets at an offset), coloured by a gradient or in bands (`LayoutGradient`),
// and the five compare lists `lvLayoutCmp1`..`5` below it with their own lengths. The selected
// numbers keep or remove combinations.
#include <QAbstractTableModel>
#include <array>

#include "app/tab.h"
#include "workspace/number_grids.h"

class QSpinBox;
class QSplitter;
class QStandardItemModel;
class QTableView;

namespace tavlora::app {

// The layout as a table model: column 0 the counts, then one column per draw.
class LayoutModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    void setGrid(TLayoutGrid grid);
    void setGradient(bool on);
    const TLayoutGrid& grid() const { return grid_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    TLayoutGrid grid_;
    bool gradient_ = true;
};

class LayoutTab : public Tab {
    Q_OBJECT
public:
    explicit LayoutTab(TabHost& host, QWidget* parent = nullptr);

    QTableView* grid() const { return sgLayout_; }
    LayoutModel* model() const { return model_; }
    QSpinBox* lengthEdit() const { return edLayoutLen_; }
    QSpinBox* compareEdit(int i) const { return edCmp_[static_cast<std::size_t>(i)]; }
    QTableView* compareList(int i) const { return lvCmp_[static_cast<std::size_t>(i)]; }
    // The numbers of the selected cells, columns left to right, brackets dropped.
    std::vector<int32_t> selectedNumbers() const;
    bool selectionInCells() const;
    bool filterSelected(bool remove);
    // Recomputes the compare lists (forced: even when archive and offset are unchanged).
    void recomputeCompare(bool force);

    void buildCommands() override;
    std::optional<TabMenu> menu() const override;
    void restoreSettings(const TFormMainSettings& s) override;
    void saveSettings(TFormMainSettings& s) const override;
    void enableControls(bool on) override;
    bool isView() const override { return true; }

protected:
    void recompute(bool force) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void fitColumns();
    void splitCompareLists();

    LayoutModel* model_ = nullptr;
    QTableView* sgLayout_ = nullptr;
    QSpinBox* edLayoutLen_ = nullptr;
    QSplitter* compareSplitter_ = nullptr;
    QSplitter* splitter_ = nullptr;
    std::array<QSpinBox*, 5> edCmp_{};
    std::array<QTableView*, 5> lvCmp_{};
    std::array<QStandardItemModel*, 5> cmpModels_{};
    // The inputs of the last computations: archive length, offset, window.
    std::optional<std::array<int, 3>> layoutKey_;
    std::optional<std::array<int, 2>> compareKey_;
};

}  // namespace tavlora::app
