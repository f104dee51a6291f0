#include "app/stakes/regulars_tab.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "app/stakes/regular_dialog.h"
#include "app/stakes/ratings_tab.h"
#include "app/stakes/stake_dialogs.h"
#include "app/stakes/stakes_tab.h"
#include "app/workspace/combs_tab.h"
#include "core/error.h"
#include "session/session.h"
#include "stakes/regulars.h"
#include "stakes/stakes_store.h"
#include "ui/busy_state.h"
#include "ui/gui_progress.h"
#include "ui/test_count_dialog.h"
#include "ui/text.h"
#include "workspace/comb_list.h"

namespace tavlora::app {

using ui::qs;

// --- the model -------------------------------------------------------------------------------

void RegularsModel::setList(const TRegulars* list) {
    beginResetModel();
    list_ = list;
    endResetModel();
}

void RegularsModel::refresh() {
    beginResetModel();
    endResetModel();
}

int RegularsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !list_ ? 0 : list_->count();
}

int RegularsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(regularListColumns().size());
}

QVariant RegularsModel::data(const QModelIndex& index, int role) const {
    if (!list_ || !index.isValid() || index.row() >= list_->count()) return {};
    if (role == Qt::DisplayRole) {
        const auto cells = regularListRow(list_->items()[static_cast<size_t>(index.row())]);
        return qs(cells.at(static_cast<size_t>(index.column())));
    }
    if (role == Qt::TextAlignmentRole && (index.column() == 2 || index.column() == 4))
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant RegularsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < static_cast<int>(regularListColumns().size()))
        return qs(regularListColumns()[static_cast<size_t>(section)]);
    return QAbstractTableModel::headerData(section, orientation, role);
}

// --- the tab ---------------------------------------------------------------------------------

RegularsTab::RegularsTab(TabHost& host, CombsTab* combs, StakesTab* stakes, RatingsTab* ratings, QWidget* parent)
    : Tab(host, "tsTables", QStringLiteral("Регуляры"),
          tabToggle("TabTables", "Регуляры", "TabTables", &TFormMainSettings::tabTables), parent),
      combs_(combs),
      stakes_(stakes),
      ratings_(ratings) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    model_ = new RegularsModel(this);
    lvTables_ = new QTableView(this);
    lvTables_->setObjectName(QStringLiteral("lvTables"));
    lvTables_->setModel(model_);
    lvTables_->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvTables_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvTables_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvTables_->setContextMenuPolicy(Qt::ActionsContextMenu);
    lvTables_->setSortingEnabled(false);
    lvTables_->verticalHeader()->hide();
    lvTables_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    lvTables_->verticalHeader()->setDefaultSectionSize(20);
    lvTables_->horizontalHeader()->setStretchLastSection(true);
    const int widths[] = {200, 140, 50, 140, 60};
    for (int c = 0; c < 5; ++c) lvTables_->setColumnWidth(c, widths[c]);
    layout->addWidget(lvTables_);
}

TRegulars* RegularsTab::regulars() const {
    Session* s = host_.session();
    return s ? &s->regulars() : nullptr;
}

std::vector<int> RegularsTab::selectedRows() const {
    std::vector<int> rows;
    if (!lvTables_->selectionModel()) return rows;
    for (const QModelIndex& i : lvTables_->selectionModel()->selectedRows()) rows.push_back(i.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

int RegularsTab::focusedRow() const {
    const QModelIndex i = lvTables_->currentIndex();
    const TRegulars* list = regulars();
    return list && i.isValid() && i.row() < list->count() ? i.row() : -1;
}

int32_t RegularsTab::listSize() const {
    Session* s = host_.session();
    return s && s->hasCombList() ? static_cast<int32_t>(s->combList().count()) : 0;
}

void RegularsTab::sessionOpened() {
    // The list starts empty; a shown page reads the file.
    unload();
    if (shown()) load();
}

void RegularsTab::shownChanged(bool on) {
    if (!host_.session()) return;
    if (on) load();
    else unload();
}

void RegularsTab::load() {
    TRegulars* list = regulars();
    if (!list) return;
    list->load(host_.progress(), host_.interaction());
    model_->setList(list);
}

void RegularsTab::unload() {
    model_->setList(nullptr);
    if (TRegulars* list = regulars()) list->unload();
}

void RegularsTab::addRegulars() {
    TRegulars* list = regulars();
    Session* s = host_.session();
    if (!list || !s) return;
    std::vector<TSelectedComb> selected;
    if (combs_ && s->hasCombList())
        for (size_t row : combs_->selectedRows()) selected.push_back({row + 1, s->combList().at(row)});
    const auto made = TFormTable::ask(window(), std::move(selected), list->items(), host_.interaction());
    if (!made) return;
    ui::BusyScope busy(host_.busyState());
    {
        StatusScope status(host_.progress(), kRegularsCreateStatus);
        list->items().insert(list->items().end(), made->begin(), made->end());
    }
    list->save(host_.progress(), host_.interaction());
    model_->refresh();
}

void RegularsTab::deleteRegulars() {
    TRegulars* list = regulars();
    const std::vector<int> rows = selectedRows();
    if (!list || rows.empty()) return;
    if (!host_.interaction().question("Предупреждение", deleteConfirmationText(static_cast<int64_t>(rows.size())),
                                      false))
        return;
    ui::BusyScope busy(host_.busyState());
    try {
        StatusScope status(host_.progress(), kRegularsDeleteStatus);
        list->remove(rows);
    } catch (const EError& e) {
        host_.interaction().error(e.what());
    }
    list->save(host_.progress(), host_.interaction());
    model_->refresh();
}

void RegularsTab::stakeFocused() {
    TRegulars* list = regulars();
    Session* s = host_.session();
    const int row = focusedRow();
    if (!list || !s || row < 0) return;
    // The stake is made on a copy: the regular moves on only when the stake was really added.
    TRegular next = list->items()[static_cast<size_t>(row)];
    if (const auto problem = advanceRegular(next, s->archive())) {
        host_.interaction().warning(*problem);
        return;
    }
    const auto result =
        TFormStake::ask(window(), regularStake(next, s->archive(), s->settings(), listSize()), host_.interaction());
    if (!result) return;
    ui::BusyScope busy(host_.busyState());
    if (!s->addStake(result->record, result->count, host_.progress(), host_.interaction())) return;
    list->items()[static_cast<size_t>(row)] = next;
    list->save(host_.progress(), host_.interaction());
    model_->refresh();
    if (stakes_) stakes_->refresh(true);
    if (ratings_) ratings_->reload();
}

void RegularsTab::testSelected() {
    TRegulars* list = regulars();
    Session* s = host_.session();
    const std::vector<int> rows = selectedRows();
    if (!list || !s || rows.empty()) return;
    const auto n = ui::askTestCount(window(), s->archive().count() - 1);
    if (!n || *n <= 0) return;
    ui::BusyScope busy(host_.busyState());
    if (!s->openStakes(host_.progress(), host_.interaction()) ||
        !s->loadRatings(host_.progress(), host_.interaction()))
        return;
    const int added = runRegularsTest(*list, rows, *n, s->archive(), s->stakes(), s->settings(), s->ratings(),
                                      listSize(), host_.progress(), host_.interaction());
    model_->refresh();
    if (added > 0) {
        if (stakes_) stakes_->refresh(true);
        if (ratings_) ratings_->reload();
    }
}

void RegularsTab::buildCommands() {
    auto ready = [this] { return shown() && regulars() != nullptr; };
    host_.addCommand({QStringLiteral("TablesAdd"), QStringLiteral("Добавить регулярную ставку"),
                      QStringLiteral("Добавить регулярную ставку"), [this] { addRegulars(); }, ready});
    host_.addCommand({QStringLiteral("TablesDel"), QStringLiteral("Удалить регулярную ставку"),
                      QStringLiteral("Удалить выделенные регулярные ставки"), [this] { deleteRegulars(); },
                      [this, ready] { return ready() && !selectedRows().empty(); }});
    host_.addCommand({QStringLiteral("TablesStakeAdd"), QStringLiteral("Сделать ставку по регуляру"),
                      QStringLiteral("Сделать следующую ставку по выбранному регуляру"), [this] { stakeFocused(); },
                      [this, ready] { return ready() && focusedRow() >= 0; }});
    host_.addCommand({QStringLiteral("TablesStakeTest"), QStringLiteral("Тест регуляров"),
                      QStringLiteral("Сделать ставки по выделенным регулярам на прошедшие тиражи"),
                      [this] { testSelected(); }, [this, ready] { return ready() && !selectedRows().empty(); }});
}

std::optional<TabMenu> RegularsTab::menu() const {
    return TabMenu{QStringLiteral("Регуляры"), lvTables_, {"TablesAdd", "TablesDel", "", "TablesStakeAdd", "TablesStakeTest"}};
}

}  // namespace tavlora::app
