#pragma once
// The stakes grid `sgStakes` as a virtual list over the stakes file: rows are read on demand in
// blocks through the store and kept in a small cache, so a file of a million stakes scrolls
// without reading more than the rows on screen. Colours by stake kind, profit green or red,
// and the numbers of the stake and draw columns drawn one by one, matched ones in bold blue.
#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <array>
#include <cstdint>
#include <list>
#include <vector>

#include "stakes/stake_record.h"

namespace tavlora {
class TStakesStore;
}

namespace tavlora::app {

inline constexpr int kStakeColumns = 9;
// Column widths of a new grid (and of one reset for an outdated file).
inline constexpr std::array<int, kStakeColumns> kStakeColumnWidths{60, 60, 120, 60, 120, 60, 60, 60, 1000};

// One number of the stake or draw column as it is drawn: matched numbers are bold blue.
struct StakeNumberPiece {
    int number = 0;
    bool matched = false;
};

class StakesModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The numbers of column 2 (the stake) or 4 (the draw) with their matched marks.
    static constexpr int kNumbersRole = Qt::UserRole + 1;

    explicit StakesModel(QObject* parent = nullptr);

    // The store read by the model (null: an empty grid).
    void setStore(TStakesStore* store);
    // Drops the cache and reads the row count again (after any change of the file).
    void reload();
    // The record shown on a row (read through the cache).
    const TStakeRecord& record(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The numbers of a cell of column 2 or 4 (empty for other columns and unchecked draws).
    static std::vector<StakeNumberPiece> numberPieces(const TStakeRecord& stake, int column);

private:
    struct Row {
        TStakeRecord record;
        std::array<QString, kStakeColumns> cells;
    };
    struct Block {
        int64_t first = 0;
        std::vector<Row> rows;
    };
    const Row& row(int index) const;

    TStakesStore* store_ = nullptr;
    int rows_ = 0;
    // The most recently used blocks first.
    mutable std::list<Block> blocks_;
};

// Draws the cells of the stake and draw columns number by number, 3 pixels apart.
class StakeNumbersDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

}  // namespace tavlora::app
