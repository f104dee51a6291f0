#include "app/archive/draws_model.h"

#include <QBrush>
#include <QColor>

#include "archive/draw_archive.h"
#include "core/numbers.h"
#include "core/records.h"
#include "session/session.h"
#include "ui/text.h"

namespace tavlora::app {

namespace {

QColor rgb(uint32_t c) { return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); }

}  // namespace

void DrawsModel::setSession(Session* session) {
    beginResetModel();
    session_ = session;
    rows_ = session_ ? session_->archive().count() : 0;
    endResetModel();
}

void DrawsModel::setColorDraws(bool on) {
    colorDraws_ = on;
    repaint();
}

void DrawsModel::refresh(bool force) {
    const int count = session_ ? session_->archive().count() : 0;
    if (force || count != rows_) {
        beginResetModel();
        rows_ = count;
        endResetModel();
    } else {
        repaint();
    }
}

void DrawsModel::repaint() {
    if (rows_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, columnCount() - 1));
}

int DrawsModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int DrawsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(drawListColumns().size());
}

QVariant DrawsModel::data(const QModelIndex& index, int role) const {
    if (!session_ || !index.isValid()) return {};
    const DrawArchive& archive = session_->archive();
    const int row = index.row();
    if (!archive.validListPos(row) || row >= rows_) return {};
    const TDraw& draw = archive.at(archive.indexOfListPos(row));
    const int col = index.column();
    switch (role) {
        case Qt::DisplayRole: {
            const auto cells = drawListRow(draw, session_->sortedDraws());
            return col < static_cast<int>(cells.size()) ? ui::qs(cells[static_cast<size_t>(col)]) : QVariant();
        }
        case Qt::TextAlignmentRole:
            return col == 8 ? QVariant(Qt::AlignLeft | Qt::AlignVCenter) : QVariant(Qt::AlignCenter);
        case Qt::BackgroundRole: {
            if (row == archive.drawsOffset()) return QBrush(rgb(kOffsetRowColor));
            if (!colorDraws_) return {};
            if (col >= 1 && col <= 5) {
                const TDraw shown = session_->sortedDraws() ? sortedDraw(draw) : draw;
                return QBrush(rgb(groupColor(shown.nums[static_cast<size_t>(col - 1)],
                                             session_->settings().config.channelSize)));
            }
            return QBrush(Qt::white);
        }
        default: return {};
    }
}

QVariant DrawsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, orientation, role);
    const auto& cols = drawListColumns();
    return section >= 0 && section < static_cast<int>(cols.size()) ? ui::qs(cols[static_cast<size_t>(section)]) : QVariant();
}

}  // namespace tavlora::app
