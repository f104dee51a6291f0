#include "app/stakes/stakes_tab.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>
#include <QVBoxLayout>
#include <random>

#include "app/stakes/ratings_tab.h"
#include "app/stakes/stake_dialogs.h"
#include "app/stakes/stakes_charts.h"
#include "app/stakes/stakes_model.h"
#include "app/workspace/combs_tab.h"
#include "core/error.h"
#include "core/format.h"
#include "session/session.h"
#include "stakes/stakes_store.h"
#include "workspace/comb_list.h"
#include "ui/busy_state.h"
#include "ui/chart_window.h"
#include "ui/gui_progress.h"
#include "ui/message_boxes.h"
#include "ui/text.h"
#include "ui/xlsx_export.h"

namespace tavlora::app {

using ui::qs;

namespace {
constexpr const char* kProfitGraphHint = "Суммарный профит ставок по тиражам";
}

StakesTab::StakesTab(TabHost& host, CombsTab* combs, RatingsTab* ratings, QWidget* parent)
    : Tab(host, "tsStakes", QStringLiteral("Ставки"), std::nullopt, parent), combs_(combs), ratings_(ratings) {
    sgStakes_ = new QTableView(this);
    sgStakes_->setObjectName(QStringLiteral("sgStakes"));
    model_ = new StakesModel(this);
    sgStakes_->setModel(model_);
    sgStakes_->setItemDelegate(new StakeNumbersDelegate(sgStakes_));
    sgStakes_->setSelectionBehavior(QAbstractItemView::SelectRows);
    sgStakes_->setSelectionMode(QAbstractItemView::ContiguousSelection);
    sgStakes_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sgStakes_->setContextMenuPolicy(Qt::ActionsContextMenu);
    sgStakes_->setWordWrap(false);
    sgStakes_->verticalHeader()->hide();
    sgStakes_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    sgStakes_->verticalHeader()->setDefaultSectionSize(sgStakes_->fontMetrics().height() + 4);
    for (int c = 0; c < kStakeColumns; ++c) sgStakes_->setColumnWidth(c, kStakeColumnWidths[static_cast<size_t>(c)]);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(sgStakes_);
}

void StakesTab::sessionOpened() {
    if (Session* s = host_.session()) model_->setStore(&s->stakes());
    refresh(false);
}

bool StakesTab::fileOpen() const { return host_.session() && host_.session()->stakesOpen(); }
bool StakesTab::hasRecords() const { return fileOpen() && host_.session()->stakes().hasRecords(); }

void StakesTab::refresh(bool scrollToEnd) {
    Session* s = host_.session();
    if (!s) return;
    model_->setStore(s->stakesOpen() ? &s->stakes() : nullptr);
    host_.setPanel(kPanelStakes, qs(fmt(kStakesCountStatus, s->stakesOpen() ? s->stakes().recordCount() : 0)));
    const int rows = model_->rowCount();
    if (scrollToEnd && rows > 0) {
        const QModelIndex last = model_->index(rows - 1, 0);
        sgStakes_->setCurrentIndex(last);
        sgStakes_->scrollTo(last);
    }
}

void StakesTab::ratingsChanged() {
    if (ratings_) ratings_->reload();
}

void StakesTab::addStake(const std::optional<TComb>& combination) {
    Session* s = host_.session();
    if (!s) return;
    const auto result = TFormStake::ask(window(), s->newManualStake(combination), host_.interaction());
    if (!result) return;
    {
        ui::BusyScope busy(host_.busyState());
        ui::StatusScope status(host_.progress(), kStakeAddText);
        if (!s->addStake(result->record, result->count, host_.progress(), host_.interaction())) return;
    }
    refresh(true);
    ratingsChanged();
}

void StakesTab::addStakes(const TCombsArray& combinations) {
    Session* s = host_.session();
    if (!s || combinations.empty()) return;
    const auto result = TFormMulti::ask(window(), s->newManualStake(std::nullopt).drawNumber, host_.interaction());
    if (!result) return;
    {
        ui::BusyScope busy(host_.busyState());
        ui::StatusScope status(host_.progress(), kStakesAddText);
        s->addManualStakes(combinations, result->drawNumber, result->count, result->comment, host_.progress(),
                           host_.interaction());
    }
    if (combs_) combs_->listView()->clearSelection();
    refresh(host_.formSettings().stakesScrollEnabled);
    ratingsChanged();
}

void StakesTab::deleteSelected() {
    Session* s = host_.session();
    const QModelIndexList rows = sgStakes_->selectionModel()->selectedRows();
    if (!s || rows.isEmpty()) return;
    int first = rows.front().row(), last = first;
    for (const QModelIndex& i : rows) first = std::min(first, i.row()), last = std::max(last, i.row());
    if (!ui::confirmDelete(host_.interaction(), last - first + 1)) return;
    {
        ui::BusyScope busy(host_.busyState());
        ui::StatusScope status(host_.progress(), kStakesDeleteText);
        if (s->stakes().deleteRange(first, last, host_.progress(), host_.interaction()))
            s->checkStakes(host_.progress(), host_.interaction());
    }
    sgStakes_->clearSelection();
    refresh(false);
    ratingsChanged();
}

void StakesTab::deleteByCondition() {
    Session* s = host_.session();
    if (!s) return;
    const auto condition = TFormStakeFilter::ask(window());
    if (!condition) return;
    {
        ui::BusyScope busy(host_.busyState());
        ui::StatusScope status(host_.progress(), kStakesDeleteText);
        if (s->stakes().deleteWhere(condition->condition, condition->value, host_.progress(), host_.interaction()))
            s->checkStakes(host_.progress(), host_.interaction());
    }
    refresh(false);
    ratingsChanged();
}

void StakesTab::clearStakes() {
    Session* s = host_.session();
    if (!s || !ui::confirmDelete(host_.interaction(), static_cast<int>(s->stakes().recordCount()))) return;
    {
        ui::BusyScope busy(host_.busyState());
        ui::StatusScope status(host_.progress(), kStakesDeleteText);
        s->stakes().clear(host_.interaction());
    }
    refresh(false);
    // The rating may be rebuilt from the now empty file (it asks first).
    if (ratings_) ratings_->refreshRatings();
}

void StakesTab::checkStakes() {
    Session* s = host_.session();
    if (!s) return;
    {
        ui::BusyScope busy(host_.busyState());
        s->checkStakes(host_.progress(), host_.interaction());
    }
    refresh(false);
    ratingsChanged();
}

void StakesTab::showProfitGraph() {
    Session* s = host_.session();
    if (!s) return;
    std::vector<TGraphSeries> series;
    {
        ui::BusyScope busy(host_.busyState());
        ui::StatusScope status(host_.progress(), kStakesGraphText);
        try {
            series = s->stakesProfitGraph();
        } catch (const EError& e) {
            host_.interaction().error(e.what());
            return;
        }
    }
    showGraphWindow(graph_, window(), QString::fromUtf8(kProfitGraphHint),
                             chartSeries(series, {0x008000, 0xFF0000, 0x0000FF}));
}

void StakesTab::buildCommands() {
    auto open = [this] { return fileOpen(); };
    auto records = [this] { return hasRecords(); };
    auto withCombs = [this] { return fileOpen() && combs_ && combs_->count() > 0; };
    auto withSelection = [this] { return fileOpen() && combs_ && combs_->hasSelection(); };
    host_.addCommand({QStringLiteral("StakeAdd"), QStringLiteral("Сделать ставку"),
                      QStringLiteral("Сделать ставку на выбранную комбинацию"),
                      [this] {
                          std::optional<TComb> comb;
                          if (combs_ && combs_->focusedRow() >= 0) comb = combs_->focusedComb();
                          addStake(comb);
                      },
                      open});
    host_.addCommand({QStringLiteral("StakeAddRandom"), QStringLiteral("Сделать случайную ставку"),
                      QStringLiteral("Сделать ставку на случайную комбинацию из списка"),
                      [this] {
                          Session* s = host_.session();
                          if (!s || s->combList().count() == 0) return;
                          static std::mt19937_64 random{std::random_device{}()};
                          std::uniform_int_distribution<size_t> pick(0, s->combList().count() - 1);
                          addStake(s->combList().at(pick(random)));
                      },
                      withCombs});
    host_.addCommand({QStringLiteral("StakeAddSelected"), QStringLiteral("Сделать ставки для выделенных комбинаций"),
                      QStringLiteral("Сделать по ставке на каждую выделенную комбинацию"),
                      [this] {
                          Session* s = host_.session();
                          if (!s || !combs_) return;
                          TCombsArray list;
                          for (size_t row : combs_->selectedRows()) list.push_back(s->combList().at(row));
                          addStakes(list);
                      },
                      withSelection});
    host_.addCommand({QStringLiteral("StakeAddAll"), QStringLiteral("Сделать ставки для всех комбинаций"),
                      QStringLiteral("Сделать по ставке на каждую комбинацию списка"),
                      [this] {
                          if (Session* s = host_.session()) addStakes(s->combList().combs());
                      },
                      withCombs});
    host_.addCommand({QStringLiteral("StakeDel"), QStringLiteral("Удалить ставку"),
                      QStringLiteral("Удалить выделенные ставки"), [this] { deleteSelected(); },
                      [this] { return hasRecords() && sgStakes_->selectionModel()->hasSelection(); }});
    host_.addCommand({QStringLiteral("StakeFilter"), QStringLiteral("Удалить по условию"),
                      QStringLiteral("Удалить проверенные ставки по количеству совпадений"),
                      [this] { deleteByCondition(); }, records});
    host_.addCommand({QStringLiteral("StakeClear"), QStringLiteral("Удалить все ставки"),
                      QStringLiteral("Удалить все ставки из файла ставок"), [this] { clearStakes(); }, records});
    host_.addCommand({QStringLiteral("StakesCheckManual"), QStringLiteral("Проверить ставки"),
                      QStringLiteral("Проверить ставки по архиву тиражей"), [this] { checkStakes(); }, records});
    host_.addCommand({QStringLiteral("LogStakes"), QStringLiteral("Журналы ставок"),
                      QStringLiteral("Записывать проверенные ставки в журналы по тиражам"),
                      [this] {
                          const bool on = host_.action(QStringLiteral("LogStakes"))->isChecked();
                          host_.formSettings().stakesLogEnabled = on;
                          if (Session* s = host_.session()) s->setStakesLogEnabled(on);
                          host_.writeKey("StakesLogEnabled", on);
                      },
                      {}, true});
    host_.addCommand({QStringLiteral("LogStakesDelete"), QStringLiteral("Удалить журналы ставок"),
                      QStringLiteral("Удалить файлы журналов ставок"),
                      [this] {
                          Session* s = host_.session();
                          if (!s) return;
                          ui::BusyScope busy(host_.busyState());
                          s->stakes().deleteLogs(host_.progress(), host_.interaction());
                      }});
    host_.addCommand({QStringLiteral("StakesScroll"), QStringLiteral("Прокручивать список при добавлении"),
                      QStringLiteral("Показывать новую ставку при добавлении многих ставок"),
                      [this] {
                          const bool on = host_.action(QStringLiteral("StakesScroll"))->isChecked();
                          host_.formSettings().stakesScrollEnabled = on;
                          host_.writeKey("StakesScrollEnabled", on);
                      },
                      {}, true});
    host_.addCommand({QStringLiteral("StakesXlsExport"), QStringLiteral("Экспорт ставок в Microsoft Excel"),
                      QStringLiteral("Экспортировать список ставок в Microsoft Excel"),
                      [this] {
                          ui::exportViewToExcel(*sgStakes_, caption(), host_.interaction(), host_.progress(),
                                                host_.busyState());
                      },
                      records});
    host_.addCommand({QStringLiteral("StakesGraphDraws"), QStringLiteral("Суммарный профит по тиражам"),
                      QString::fromUtf8(kProfitGraphHint), [this] { showProfitGraph(); }, records});
}

std::optional<TabMenu> StakesTab::menu() const {
    return TabMenu{QStringLiteral("Ставки"),
                   sgStakes_,
                   {"StakeAdd", "StakeAddRandom", "StakeAddSelected", "StakeAddAll", "", "StakeDel", "StakeFilter",
                    "StakeClear", "", "StakesCheckManual", "StakesGraphDraws", "StakesXlsExport", "", "LogStakes",
                    "LogStakesDelete", "StakesScroll"}};
}

void StakesTab::restoreSettings(const TFormMainSettings& s) {
    host_.action(QStringLiteral("LogStakes"))->setChecked(s.stakesLogEnabled);
    host_.action(QStringLiteral("StakesScroll"))->setChecked(s.stakesScrollEnabled);
}

}  // namespace tavlora::app
