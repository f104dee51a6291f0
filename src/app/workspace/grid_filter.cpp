#include "app/workspace/grid_filter.h"

#include <QItemSelectionModel>
#include <algorithm>
#include <exception>

#include "core/interaction.h"
#include "session/session.h"
#include "ui/busy_state.h"
#include "ui/gui_progress.h"
#include "workspace/comb_list.h"
#include "workspace/stat_filter.h"

namespace tavlora::app {

bool filterByGridNumbers(TabHost& host, const std::vector<int32_t>& numbers, const QString& tabCaption, bool remove) {
    Session* session = host.session();
    if (!session) return false;
    bool ran = false;
    {
        ui::BusyScope busy(host.busyState());
        StatusScope status(host.progress(), kStatFilterText);
        try {
            ran = session->filterNumbers(numbers, tabCaption.toStdString(), remove, host.progress());
        } catch (const std::exception& e) {
            host.interaction().error(e.what());
        }
    }
    if (ran) host.combListChanged();
    return ran;
}

QModelIndexList selectedCellsByColumn(const QTableView& view) {
    QModelIndexList cells = view.selectionModel() ? view.selectionModel()->selectedIndexes() : QModelIndexList{};
    std::sort(cells.begin(), cells.end(), [](const QModelIndex& a, const QModelIndex& b) {
        return a.column() != b.column() ? a.column() < b.column() : a.row() < b.row();
    });
    return cells;
}

bool combListHasRows(const TabHost& host) {
    Session* session = host.session();
    return session && session->hasCombList() && !session->combList().empty();
}

}  // namespace tavlora::app
