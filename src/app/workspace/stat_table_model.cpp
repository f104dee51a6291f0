#include "app/workspace/stat_table_model.h"

#include <algorithm>
#include <numeric>

#include "ui/text.h"

namespace tavlora::app {

using ui::qs;

void StatTableModel::setRows(std::vector<TStatTableRow> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

void StatTableModel::sortRows(const TListSort& sort) {
    // A layout change rather than a reset: the selected rows stay selected after a header click,
    // as the rows themselves move and not the selection.
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<std::size_t> order(rows_.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return sort.before(rows_[a].cells, rows_[b].cells); });
    std::vector<TStatTableRow> sorted;
    sorted.reserve(rows_.size());
    std::vector<int> newRow(rows_.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        sorted.push_back(std::move(rows_[order[i]]));
        newRow[order[i]] = static_cast<int>(i);
    }
    rows_ = std::move(sorted);
    QModelIndexList from = persistentIndexList(), to;
    for (const QModelIndex& i : from)
        to << (static_cast<std::size_t>(i.row()) < newRow.size()
                   ? index(newRow[static_cast<std::size_t>(i.row())], i.column())
                   : QModelIndex());
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int StatTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int StatTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kStatColumnCount; }

QVariant StatTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || static_cast<std::size_t>(index.row()) >= rows_.size()) return {};
    if (role == Qt::DisplayRole)
        return qs(rows_[static_cast<std::size_t>(index.row())].cells[static_cast<std::size_t>(index.column())]);
    if (role == Qt::TextAlignmentRole)
        return index.column() == 0 ? QVariant(Qt::AlignLeft | Qt::AlignVCenter) : QVariant(Qt::AlignCenter);
    return {};
}

namespace {

// What each column means, shown as the tooltip of its header.
constexpr const char* kColumnMeanings[kStatColumnCount] = {
    "Значение метода",
    "Сколько раз значение встретилось в рассчитываемых тиражах",
    "Доля значения среди всех значений, в процентах",
    "Сколько раз значение встретилось бы при распределении как в полном наборе комбинаций",
    "Разность количества и нормы",
    "Отклонение от нормы, в процентах нормы",
    "Сколько тиражей прошло с последнего появления значения",
    "Глубина в процентах наибольшей глубины",
    "Вес значения: сумма количества, отклонения и глубины с коэффициентами из настроек",
    "Номер тиража, в котором значение встретилось последний раз",
    "Наименьшее число тиражей между двумя появлениями значения",
    "Среднее число тиражей между появлениями значения",
    "Наибольшее число тиражей между двумя появлениями значения",
    "Ожидаемый номер тиража следующего появления: последний тираж плюс средний период",
    "Ожидаемый номер тиража следующего появления по второй оценке: (количество + 1) × последний тираж / "
    "количество",
    "Ожидаемый номер тиража следующего появления по третьей оценке: (количество + 2) × (последний тираж + 1) / "
    "(количество + 1)",
    "Номер тиража, в котором значение на самом деле появилось после смещения назад",
    "Ожидание по периоду минус фактический тираж",
    "Ожидание по второй оценке минус фактический тираж",
    "Ожидание по третьей оценке минус фактический тираж",
};

}  // namespace

QVariant StatTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kStatColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole) return qs(statColumnCaptions()[static_cast<std::size_t>(section)]);
    if (role == Qt::ToolTipRole) return qs(kColumnMeanings[section]);
    return QAbstractTableModel::headerData(section, orientation, role);
}

}  // namespace tavlora::app
