#pragma once
// The rows of the statistics table in displayed order: 20 columns of texts from the engine's
// statistics table, sorted by the sortable-list rule.
#include <QAbstractTableModel>
#include <vector>

#include "workspace/stat_table.h"

namespace tavlora::app {

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

}  // namespace tavlora::app
