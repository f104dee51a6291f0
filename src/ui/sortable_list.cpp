#include "ui/sortable_list.h"

#include <QHeaderView>
#include <cmath>

namespace tavlora::ui {

std::optional<double> listNumber(const QString& text) {
    QString t = text.trimmed();
    if (t.isEmpty()) return std::nullopt;
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v)) return std::nullopt;
    return v;
}

int compareListTexts(const QString& a, const QString& b) {
    const auto x = listNumber(a);
    const auto y = listNumber(b);
    if (x && y) return *x < *y ? -1 : (*x > *y ? 1 : 0);
    return QString::compare(a, b, Qt::CaseInsensitive);
}

bool SortableProxyModel::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    const int c = compareListTexts(left.data().toString(), right.data().toString());
    if (c != 0) return c < 0;
    if (left.column() == 0) return false;
    const auto* m = sourceModel();
    return compareListTexts(m->index(left.row(), 0, left.parent()).data().toString(),
                            m->index(right.row(), 0, right.parent()).data().toString()) < 0;
}

SortableTableView::SortableTableView(QWidget* parent) : QTableView(parent), proxy_(new SortableProxyModel(this)) {
    proxy_->setDynamicSortFilter(false);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setSortIndicatorShown(true);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &SortableTableView::clickColumn);
}

void SortableTableView::setSourceModel(QAbstractItemModel* model) {
    proxy_->setSourceModel(model);
    QTableView::setModel(proxy_);
    if (sortColumn_ >= 0) sortBy(sortColumn_, sortOrder_);
}

void SortableTableView::clickColumn(int column) {
    if (column == sortColumn_)
        sortBy(column, sortOrder_ == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder);
    else
        sortBy(column, Qt::AscendingOrder);
}

void SortableTableView::sortBy(int column, Qt::SortOrder order) {
    sortColumn_ = column;
    sortOrder_ = order;
    proxy_->sort(column, order);
    horizontalHeader()->setSortIndicator(column, order);
}

}  // namespace tavlora::ui
