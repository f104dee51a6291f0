#include "app/systems/systems_tab.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <iterator>

#include "app/stakes/ratings_tab.h"
#include "app/stakes/stake_dialogs.h"
#include "app/stakes/stakes_tab.h"
#include "app/systems/system_dialog.h"
#include "archive/http_client.h"
#include "core/error.h"
#include "core/format.h"
#include "session/session.h"
#include "session/session_systems.h"
#include "stakes/stakes_store.h"
#include "stakes/wheel_generator.h"
#include "ui/busy_state.h"
#include "ui/gui_progress.h"
#include "ui/text.h"
#include "ui/wait_window.h"
#include "workspace/comb_list.h"

namespace tavlora::app {

using ui::qs;
using ui::us;

namespace {

constexpr const char* kWheelMadeText =
    "Создана система для %d чисел с гарантией %d из %d: %d комбинаций (нижняя граница %d).\r\rФайл: %s";
constexpr const char* kWheelKeptText =
    "Система для %d чисел с гарантией %d из %d уже есть и не больше найденной: %d комбинаций в файле %s "
    "(найдено %d).";

// The row icons: a filled disc for a downloaded system, a ring for one that is not; blue for the
// user's own systems, grey for others'.
QIcon rowIcon(bool downloaded, bool own) {
    static QIcon icons[2][2];
    QIcon& icon = icons[downloaded][own];
    if (icon.isNull()) {
        QPixmap pm(16, 16);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        const QColor colour = own ? QColor(30, 90, 200) : QColor(110, 110, 110);
        p.setPen(QPen(colour, 2));
        p.setBrush(downloaded ? QBrush(QColor(60, 170, 60)) : QBrush(Qt::NoBrush));
        p.drawEllipse(QRectF(2, 2, 12, 12));
        p.end();
        icon = QIcon(pm);
    }
    return icon;
}

}  // namespace

// --- the model -------------------------------------------------------------------------------

void SystemsModel::setRows(std::vector<TSystemRow> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

int SystemsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int SystemsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(std::size(kSystemsColumns));
}

QVariant SystemsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= static_cast<int>(rows_.size())) return {};
    const TSystemRow& row = rows_[static_cast<size_t>(index.row())];
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        return qs(systemRowCell(row, index.column()));
    }
    if (role == Qt::DecorationRole && index.column() == 0 && row.info.id >= 0)
        return rowIcon(row.downloaded, row.own);
    if (role == Qt::TextAlignmentRole && ((index.column() >= 2 && index.column() <= 4) || index.column() == 7))
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant SystemsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < static_cast<int>(std::size(kSystemsColumns)))
        return qs(kSystemsColumns[section]);
    return QAbstractTableModel::headerData(section, orientation, role);
}

// --- the tab ---------------------------------------------------------------------------------

SystemsTab::SystemsTab(TabHost& host, StakesTab* stakes, RatingsTab* ratings, QWidget* parent)
    : Tab(host, "tsSystems", QStringLiteral("Системы"),
          TabToggle{QStringLiteral("SystemsOn"), QStringLiteral("Системная игра"), QStringLiteral("SystemsEnabled"),
                    &TFormMainSettings::systemsEnabled},
          parent),
      stakes_(stakes),
      ratings_(ratings) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    model_ = new SystemsModel(this);
    lvSystems_ = new QTableView(this);
    lvSystems_->setObjectName(QStringLiteral("lvSystems"));
    lvSystems_->setModel(model_);
    lvSystems_->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvSystems_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvSystems_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvSystems_->setContextMenuPolicy(Qt::ActionsContextMenu);
    lvSystems_->verticalHeader()->hide();
    lvSystems_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    lvSystems_->verticalHeader()->setDefaultSectionSize(20);
    lvSystems_->horizontalHeader()->setStretchLastSection(true);
    const int widths[] = {200, 90, 50, 40, 90, 140, 80, 70, 140, 250, 150};
    for (int c = 0; c < 11; ++c) lvSystems_->setColumnWidth(c, widths[c]);
    connect(lvSystems_, &QTableView::doubleClicked, this, [this] { editFocused(); });
    layout->addWidget(lvSystems_);
}

bool SystemsTab::catalogueSet() const {
    const Session* s = host_.session();
    return s && !systemsSettings(*s).url.empty();
}

PageFetcher& SystemsTab::fetcher() {
    if (fetcher_) return *fetcher_;
    if (!ownFetcher_) ownFetcher_ = std::make_unique<CurlHttpClient>();
    return *ownFetcher_;
}

std::vector<int> SystemsTab::selectedRows() const {
    std::vector<int> rows;
    if (!lvSystems_->selectionModel()) return rows;
    for (const QModelIndex& i : lvSystems_->selectionModel()->selectedRows())
        if (model_->rows()[static_cast<size_t>(i.row())].info.id >= 0) rows.push_back(i.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

const TSystemRow* SystemsTab::focusedRow() const {
    const QModelIndex i = lvSystems_->currentIndex();
    if (!i.isValid() || i.row() >= static_cast<int>(model_->rows().size())) return nullptr;
    const TSystemRow& row = model_->rows()[static_cast<size_t>(i.row())];
    return row.info.id >= 0 ? &row : nullptr;
}

bool SystemsTab::canPlay() const {
    Session* s = host_.session();
    return shown() && s && s->stakes().isOpen() && s->hasCombList() && s->combList().count() > 0;
}

void SystemsTab::sessionOpened() { model_->setRows({}); }

void SystemsTab::showPlayCommands(bool on) {
    for (const char* name : {"SystemStakeAll", "SystemStakeFilter"})
        if (QAction* a = host_.action(QString::fromLatin1(name))) a->setVisible(on);
    // The page's menu in the menu bar goes with the page.
    for (QMenu* m : window()->findChildren<QMenu*>())
        if (m->menuAction() && QString(m->menuAction()->text()).remove(QLatin1Char('&')) == caption() &&
            m->actions().contains(host_.action(QStringLiteral("SystemsDownload"))))
            m->menuAction()->setVisible(on);
}

void SystemsTab::shownChanged(bool on) {
    showPlayCommands(on);
    if (!host_.session()) return;
    if (on) loadList();
    else model_->setRows({});
}

void SystemsTab::settingsChanged() {
    Session* s = host_.session();
    if (s && shown() && systemsSettings(*s) != listedWith_) loadList();
}

void SystemsTab::loadList() {
    Session* s = host_.session();
    if (!s) return;
    // The selected system (by its id and K, which also tell apart the files on disk) comes back
    // selected after the reload.
    std::optional<std::pair<int32_t, int>> keep;
    if (const QModelIndex i = lvSystems_->currentIndex(); i.isValid() && i.row() < static_cast<int>(model_->rows().size())) {
        const auto& info = model_->rows()[static_cast<size_t>(i.row())].info;
        keep = {info.id, static_cast<int>(info.numbers)};
    }
    listedWith_ = systemsSettings(*s);
    TSystemsListing listing;
    {
        ui::BusyScope busy(host_.busyState());
        listing = listSystems(*s, fetcher(), host_.progress(), host_.interaction());
    }
    model_->setRows(std::move(listing.rows));
    if (!keep) return;
    const auto& rows = model_->rows();
    for (size_t r = 0; r < rows.size(); ++r)
        if (rows[r].info.id == keep->first && static_cast<int>(rows[r].info.numbers) == keep->second) {
            lvSystems_->setCurrentIndex(model_->index(static_cast<int>(r), 0));
            lvSystems_->selectionModel()->select(model_->index(static_cast<int>(r), 0),
                                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            break;
        }
}

void SystemsTab::downloadSelected() {
    Session* s = host_.session();
    const std::vector<int> rows = selectedRows();
    if (!s || rows.empty()) return;
    std::vector<TSystemInfo> wanted;
    for (int r : rows) wanted.push_back(model_->rows()[static_cast<size_t>(r)].info);
    {
        ui::BusyScope busy(host_.busyState());
        for (const TSystemInfo& info : wanted)
            if (!downloadSystem(*s, fetcher(), info, host_.progress(), host_.interaction()) &&
                host_.progress().stopRequested())
                break;
    }
    loadList();
}

std::optional<TSystemData> SystemsTab::systemData(const TSystemRow& row) {
    Session* s = host_.session();
    if (!s) return std::nullopt;
    ui::BusyScope busy(host_.busyState());
    auto lines = systemCombinations(*s, systemsSettings(*s), fetcher(), row, host_.progress(), host_.interaction());
    if (!lines) return std::nullopt;
    TSystemData data{row.info, std::move(*lines)};
    // The dialog shows the list in its normal form.
    data.combinations = normaliseSystemText(data.combinations).text;
    return data;
}

void SystemsTab::addSystem() {
    Session* s = host_.session();
    if (!s) return;
    // Without the e-mail the catalogue cannot tell the system is the user's: said before any typing.
    if (systemsSettings(*s).mail.empty()) {
        host_.interaction().error(fmt(kSystemAddError, std::string(kSystemsMailMissing)));
        return;
    }
    TSystemData blank;
    blank.info.id = 0;
    editAndSave(blank, true);
}

void SystemsTab::editFocused() {
    const TSystemRow* focused = focusedRow();
    if (!host_.session() || !focused) return;
    const TSystemRow row = *focused;
    const auto data = systemData(row);
    if (!data) return;
    editAndSave(*data, row.own && catalogueSet());
}

void SystemsTab::editAndSave(TSystemData data, bool editable) {
    Session* s = host_.session();
    // A save that fails (the message is shown) opens the dialog again with what was typed, so
    // that nothing typed is lost; Cancel ends it.
    for (;;) {
        const auto edited = TFormSystem::ask(window(), data, editable, host_.interaction());
        if (!edited || !s) return;
        data = *edited;
        std::optional<int32_t> id;
        {
            ui::BusyScope busy(host_.busyState());
            id = saveOwnSystem(*s, fetcher(), data, host_.progress(), host_.interaction());
        }
        if (id) break;
    }
    loadList();
}

void SystemsTab::deleteFocused() {
    Session* s = host_.session();
    const TSystemRow* focused = focusedRow();
    if (!s || !focused) return;
    const TSystemInfo info = focused->info;
    bool deleted = false;
    {
        ui::BusyScope busy(host_.busyState());
        deleted = deleteOwnSystem(*s, fetcher(), info, host_.progress(), host_.interaction());
    }
    if (deleted) loadList();
}

void SystemsTab::createWheel() {
    Session* s = host_.session();
    if (!s) return;
    const auto wanted = TFormWheel::ask(window());
    if (!wanted) return;
    TWheelOptions options;
    options.numbers = wanted->numbers;
    options.guarantee = wanted->guarantee;
    options.seconds = wanted->seconds;
    std::optional<TSystemGenerated> made;
    {
        ui::BusyScope busy(host_.busyState());
        ui::GuiProgress& progress = host_.progress();
        progress.resetStop();
        ui::WaitScope wait(QStringLiteral("Создание системы..."), window(), [&progress] { progress.requestStop(); });
        try {
            made = generateSystem(*s, options, progress);
        } catch (const EError& e) {
            host_.interaction().error(e.what());
        }
        progress.resetStop();
    }
    if (!made) return;
    const TWheelResult& wheel = made->wheel;
    if (made->save.written)
        host_.interaction().information(fmt(kWheelMadeText, wheel.numbers, wheel.guarantee, wheel.guarantee,
                                            static_cast<int64_t>(wheel.size()), wheel.lowerBound,
                                            made->save.file.filename().string()));
    else
        host_.interaction().information(fmt(kWheelKeptText, wheel.numbers, wheel.guarantee, wheel.guarantee,
                                            made->save.existingSize, made->save.file.filename().string(),
                                            static_cast<int64_t>(wheel.size())));
    loadList();
}

void SystemsTab::play(TSystemPlayMode mode) {
    Session* s = host_.session();
    if (!s || !canPlay()) return;
    TSystemPlayPrepared prepared;
    {
        ui::BusyScope busy(host_.busyState());
        StatusScope status(host_.progress(), kSystemPlayWaitStatus);
        prepared = prepareSystemPlay(*s, mode, &host_.interaction());
    }
    if (!prepared.ok) return;
    const auto answer = TFormMulti::ask(window(), prepared.drawNumber, host_.interaction(), prepared.comment);
    if (!answer) return;
    int added = 0;
    {
        ui::BusyScope busy(host_.busyState());
        added = playSystem(*s, prepared, answer->drawNumber, answer->count, answer->comment, host_.progress(),
                           host_.interaction());
    }
    if (added > 0) {
        if (stakes_) stakes_->refresh(true);
        if (ratings_) ratings_->reload();
    }
}

void SystemsTab::buildCommands() {
    auto ready = [this] { return shown() && host_.session() != nullptr; };
    auto catalogue = [this, ready] { return ready() && catalogueSet(); };
    host_.addCommand({QStringLiteral("SystemsRefresh"), QStringLiteral("Обновить список"),
                      QStringLiteral("Загрузить список систем заново"), [this] { loadList(); }, ready});
    host_.addCommand({QStringLiteral("SystemsDownload"), QStringLiteral("Загрузить"),
                      QStringLiteral("Загрузить выделенные системы на компьютер"), [this] { downloadSelected(); },
                      [this, catalogue] { return catalogue() && !selectedRows().empty(); }});
    host_.addCommand({QStringLiteral("SystemsAdd"), QStringLiteral("Добавить"),
                      QStringLiteral("Добавить свою систему в каталог"), [this] { addSystem(); }, catalogue});
    host_.addCommand({QStringLiteral("SystemsProp"), QStringLiteral("Свойства"),
                      QStringLiteral("Свойства выбранной системы"), [this] { editFocused(); },
                      [this, ready] { return ready() && focusedRow() != nullptr; }});
    host_.addCommand({QStringLiteral("SystemsDel"), QStringLiteral("Удалить"),
                      QStringLiteral("Удалить свою систему из каталога"), [this] { deleteFocused(); },
                      [this, catalogue] {
                          const TSystemRow* row = focusedRow();
                          return catalogue() && row && row->own;
                      }});
    host_.addCommand({QStringLiteral("SystemsCreate"), QStringLiteral("Создать систему..."),
                      QStringLiteral("Построить свою систему с гарантией \"t из t\" для выбранного количества чисел"),
                      [this] { createWheel(); }, ready});
    host_.addCommand({QStringLiteral("SystemStakeAll"), qs(kSystemStakeAllCaption), qs(kSystemStakeAllHint),
                      [this] { play(TSystemPlayMode::All); }, [this] { return canPlay(); }});
    host_.addCommand({QStringLiteral("SystemStakeFilter"), qs(kSystemStakeFilterCaption), qs(kSystemStakeFilterHint),
                      [this] { play(TSystemPlayMode::Filtered); }, [this] { return canPlay(); }});
}

std::optional<TabMenu> SystemsTab::menu() const {
    return TabMenu{QStringLiteral("Системы"),
                   lvSystems_,
                   {"SystemsRefresh", "SystemsDownload", "", "SystemsAdd", "SystemsProp", "SystemsDel", "",
                    "SystemsCreate", "", "SystemStakeAll", "SystemStakeFilter"}};
}

}  // namespace tavlora::app
