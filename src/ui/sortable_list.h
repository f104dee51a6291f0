#pragma once
// The sortable list view: sorted by one column; a click on a header sorts ascending by that
// column, a second click on the same header reverses. Two rows are compared by the texts of the
// sort column, as numbers when both read as numbers ("," taken as the decimal point), otherwise
// as texts without regard to case; rows with equal texts are ordered by their column-0 texts.
#include <QSortFilterProxyModel>
#include <QTableView>
#include <optional>

namespace tavlora::ui {

// The number a cell text reads as ("12", "-3,5", "0.25"), or nothing.
std::optional<double> listNumber(const QString& text);
// <0, 0, >0 as a sorts before, with, after b.
int compareListTexts(const QString& a, const QString& b);

class SortableProxyModel : public QSortFilterProxyModel {
    Q_OBJECT
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;
};

// A table view over a SortableProxyModel with the header-click rule above.
class SortableTableView : public QTableView {
    Q_OBJECT
public:
    explicit SortableTableView(QWidget* parent = nullptr);
    // Shows the model through the view's sorting proxy.
    void setSourceModel(QAbstractItemModel* model);
    SortableProxyModel* proxy() const { return proxy_; }
    // Sorts by the column; a repeated call with the current column reverses the order.
    void clickColumn(int column);
    void sortBy(int column, Qt::SortOrder order);
    int sortColumn() const { return sortColumn_; }
    Qt::SortOrder sortOrder() const { return sortOrder_; }

private:
    SortableProxyModel* proxy_;
    int sortColumn_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};

}  // namespace tavlora::ui
