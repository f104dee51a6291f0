#include "app/stakes/stakes_model.h"

#include <QApplication>
#include <QBrush>
#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "core/error.h"
#include "stakes/stakes_store.h"
#include "ui/text.h"

namespace tavlora::app {

namespace {

constexpr int64_t kBlockRows = 256;
constexpr size_t kCachedBlocks = 8;
constexpr int kNumberGap = 3;

QColor kindColour(uint8_t kind) {
    switch (kind) {
        case 1: return QColor(0xEA, 0xFF, 0xEA);
        case 2: return QColor(0xFF, 0xEA, 0xEA);
        case 3: return QColor(0xEA, 0xFF, 0xFF);
        case 4: return QColor(0xFC, 0xFD, 0xD9);
        default: return {};
    }
}

bool isMatched(const TStakeRecord& stake, int number) {
    const int count = std::clamp(stake.matches.count, 0, 8);
    return std::find(stake.matches.nums.begin(), stake.matches.nums.begin() + count, number) !=
           stake.matches.nums.begin() + count;
}

}  // namespace

StakesModel::StakesModel(QObject* parent) : QAbstractTableModel(parent) {}

void StakesModel::setStore(TStakesStore* store) {
    store_ = store;
    reload();
}

void StakesModel::reload() {
    beginResetModel();
    blocks_.clear();
    const int64_t count = store_ && store_->isOpen() ? store_->recordCount() : 0;
    rows_ = static_cast<int>(std::min<int64_t>(count, std::numeric_limits<int>::max()));
    endResetModel();
}

const StakesModel::Row& StakesModel::row(int index) const {
    const int64_t first = index / kBlockRows * kBlockRows;
    for (auto it = blocks_.begin(); it != blocks_.end(); ++it)
        if (it->first == first) {
            blocks_.splice(blocks_.begin(), blocks_, it);
            return blocks_.front().rows[static_cast<size_t>(index - first)];
        }
    Block block{first, {}};
    const int64_t last = std::min<int64_t>(first + kBlockRows, rows_);
    block.rows.reserve(static_cast<size_t>(last - first));
    for (int64_t i = first; i < last; ++i) {
        Row r;
        try {
            r.record = store_->readRecord(TStakesStore::Origin::Start, i);
            const auto cells = stakeGridRow(r.record);
            for (size_t c = 0; c < r.cells.size() && c < cells.size(); ++c) r.cells[c] = ui::qs(cells[c]);
        } catch (const EError&) {
            // A record that cannot be read shows as an empty row; the file is not changed.
            r.record = TStakeRecord::separator();
        }
        block.rows.push_back(std::move(r));
    }
    blocks_.push_front(std::move(block));
    if (blocks_.size() > kCachedBlocks) blocks_.pop_back();
    return blocks_.front().rows[static_cast<size_t>(index - first)];
}

const TStakeRecord& StakesModel::record(int index) const { return row(index).record; }

int StakesModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }
int StakesModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kStakeColumns; }

std::vector<StakeNumberPiece> StakesModel::numberPieces(const TStakeRecord& stake, int column) {
    std::vector<StakeNumberPiece> out;
    if (stake.isSeparator()) return out;
    if (column == 2) {
        for (int i = 0; i < std::clamp(stake.numbers.count, 0, 8); ++i) {
            const int n = stake.numbers.nums[static_cast<size_t>(i)];
            out.push_back({n, isMatched(stake, n)});
        }
    } else if (column == 4 && stake.checked) {
        for (uint8_t n : stake.drawNums) out.push_back({n, isMatched(stake, n)});
    }
    return out;
}

QVariant StakesModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_) return {};
    const int column = index.column();
    switch (role) {
        case Qt::DisplayRole: return row(index.row()).cells[static_cast<size_t>(column)];
        case Qt::TextAlignmentRole:
            if (column <= 6) return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
            return QVariant::fromValue(Qt::Alignment((column == 7 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
        case Qt::BackgroundRole: {
            const QColor c = kindColour(record(index.row()).kind);
            return c.isValid() ? QVariant(QBrush(c)) : QVariant();
        }
        case Qt::ForegroundRole: {
            const TStakeRecord& r = record(index.row());
            if (column >= 5 && column <= 7 && r.checked && r.isReal())
                return QBrush(r.profit > 0 ? QColor(Qt::darkGreen) : QColor(Qt::red));
            return {};
        }
        case kNumbersRole: {
            QVariantList list;
            for (const StakeNumberPiece& p : numberPieces(record(index.row()), column))
                list.append(QVariant(QVariantList{p.number, p.matched}));
            return list;
        }
        default: return {};
    }
}

QVariant StakesModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, orientation, role);
    const auto& columns = stakeGridColumns();
    return section >= 0 && static_cast<size_t>(section) < columns.size() ? ui::qs(columns[static_cast<size_t>(section)])
                                                                         : QVariant();
}

void StakeNumbersDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const QVariantList pieces = index.data(StakesModel::kNumbersRole).toList();
    if (pieces.isEmpty()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    // The cell's background and selection as usual, without its text.
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    opt.text.clear();
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    QFont bold = opt.font;
    bold.setBold(true);
    const QFontMetrics plainMetrics(opt.font), boldMetrics(bold);
    int total = 0;
    for (const QVariant& v : pieces) {
        const QVariantList p = v.toList();
        if (p.size() != 2) return;
        const QString text = QString::number(p[0].toInt());
        total += (p[1].toBool() ? boldMetrics : plainMetrics).horizontalAdvance(text) + kNumberGap;
    }
    total -= kNumberGap;
    int x = opt.rect.left() + std::max(0, (opt.rect.width() - total) / 2);
    const bool selected = opt.state & QStyle::State_Selected;
    painter->save();
    painter->setClipRect(opt.rect);
    for (const QVariant& v : pieces) {
        const QVariantList p = v.toList();
        if (p.size() != 2) break;
        const bool matched = p[1].toBool();
        const QString text = QString::number(p[0].toInt());
        painter->setFont(matched ? bold : opt.font);
        painter->setPen(matched ? QColor(Qt::blue)
                                : opt.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        const int w = (matched ? boldMetrics : plainMetrics).horizontalAdvance(text);
        painter->drawText(QRect(x, opt.rect.top(), w, opt.rect.height()), Qt::AlignCenter, text);
        x += w + kNumberGap;
    }
    painter->restore();
}

}  // namespace tavlora::app
