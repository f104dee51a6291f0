#include "app/workspace/combs_model.h"

#include <QBrush>
#include <QColor>

#include "core/numbers.h"
#include "core/settings.h"
#include "workspace/comb_list.h"

namespace tavlora::app {

namespace {

constexpr int kColumns = 7;

QColor rgb(uint32_t c) { return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); }

}  // namespace

void CombsModel::setList(const TCombList* list, const TSettings* settings) {
    list_ = list;
    settings_ = settings;
    refresh();
}

void CombsModel::setColorCombs(bool on) {
    colorCombs_ = on;
    repaint();
}

void CombsModel::refresh() {
    beginResetModel();
    rows_ = list_ ? static_cast<int>(list_->count()) : 0;
    endResetModel();
}

void CombsModel::repaint() {
    if (rows_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, kColumns - 1));
}

int CombsModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int CombsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumns; }

QVariant CombsModel::data(const QModelIndex& index, int role) const {
    if (!list_ || !index.isValid() || index.row() >= rows_ || static_cast<std::size_t>(index.row()) >= list_->count())
        return {};
    const TComb& c = list_->combs()[static_cast<std::size_t>(index.row())];
    const int col = index.column();
    switch (role) {
        case Qt::DisplayRole:
            if (col == 0) return index.row() + 1;
            if (col <= 5) return static_cast<int>(c.n[static_cast<std::size_t>(col - 1)]);
            return c.n[0] + c.n[1] + c.n[2] + c.n[3] + c.n[4];
        case Qt::TextAlignmentRole: return QVariant(Qt::AlignCenter);
        case Qt::BackgroundRole:
            if (!colorCombs_) return {};
            if (col >= 1 && col <= 5) {
                const int width = settings_ ? settings_->config.channelSize : 10;
                return QBrush(rgb(groupColor(c.n[static_cast<std::size_t>(col - 1)], width)));
            }
            return QBrush(Qt::white);
        case Qt::ForegroundRole:
            // Black text on the white and light channel backgrounds, whatever the desktop theme.
            return colorCombs_ ? QVariant(QBrush(Qt::black)) : QVariant();
        default: return {};
    }
}

QVariant CombsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const captions[kColumns] = {"№ п.п.", "1", "2", "3", "4", "5", "S"};
    return section >= 0 && section < kColumns ? QString::fromUtf8(captions[section]) : QVariant();
}

}  // namespace tavlora::app
