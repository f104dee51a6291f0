#include "app/archive/draws_tab.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "app/archive/draw_dialog.h"
#include "app/archive/draws_model.h"
#include "app/workspace/info_window.h"
#include "archive/download_settings.h"
#include "archive/draw_archive.h"
#include "archive/draw_download.h"
#include "archive/draws_csv.h"
#include "archive/http_client.h"
#include "core/error.h"
#include "core/format.h"
#include "core/interaction.h"
#include "core/text_forms.h"
#include "session/session.h"
#include "session/session_download.h"
#include "stakes/ratings.h"
#include "ui/busy_state.h"
#include "ui/file_dialogs.h"
#include "ui/gui_progress.h"
#include "ui/message_boxes.h"
#include "ui/text.h"
#include "ui/xlsx_export.h"
#include "ui/wait_window.h"
#include "workspace/info_rows.h"

namespace tavlora::app {

using ui::qs;
using ui::us;

namespace {

// The window's progress during a download: everything goes on to it, and every time the gauge
// moves (a range was answered and, with draws, saved) the list and the archive panels catch up
// with the archive, so that the rows shown always match it while the event loop runs.
class DownloadProgress : public Progress {
public:
    DownloadProgress(Progress& inner, std::function<void()> rangeDone)
        : inner_(inner), rangeDone_(std::move(rangeDone)) {}
    void setText(const std::string& text) override { inner_.setText(text); }
    void setMaximum(int64_t maximum) override { inner_.setMaximum(maximum); }
    void setPosition(int64_t position) override {
        rangeDone_();
        inner_.setPosition(position);
    }
    void pump() override { inner_.pump(); }
    bool stopRequested() const override { return inner_.stopRequested(); }

private:
    Progress& inner_;
    std::function<void()> rangeDone_;
};

// The download's messages and questions (the retry question above all) are shown with the wait
// window out of the way: it stays on top and would cover them. It comes back, with its "Стоп"
// button, when the box is closed and the download goes on.
class WaitWindowInteraction : public Interaction {
public:
    WaitWindowInteraction(Interaction& inner, QWidget* parent, std::function<void()> onStop)
        : inner_(inner), parent_(parent), onStop_(std::move(onStop)) {}
    void message(MessageKind kind, const std::string& caption, const std::string& text) override {
        const QString waiting = stepAside();
        inner_.message(kind, caption, text);
        comeBack(waiting);
    }
    bool question(const std::string& caption, const std::string& text, bool defaultYes) override {
        const QString waiting = stepAside();
        const bool yes = inner_.question(caption, text, defaultYes);
        comeBack(waiting);
        return yes;
    }

private:
    static QString stepAside() {
        const QString text = ui::WaitWindow::visible() ? ui::WaitWindow::text() : QString();
        ui::WaitWindow::hide();
        return text;
    }
    void comeBack(const QString& text) {
        if (text.isEmpty()) return;
        ui::WaitWindow::show(text, parent_);
        ui::WaitWindow::setStopHandler(onStop_, parent_);
    }

    Interaction& inner_;
    QWidget* parent_;
    std::function<void()> onStop_;
};

}  // namespace

DrawsTab::DrawsTab(TabHost& host, QWidget* parent)
    : Tab(host, "tsDraws", QStringLiteral("Архив тиражей"), std::nullopt, parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    auto* offsetRow = new QHBoxLayout;
    auto* offsetLabel = new QLabel(QStringLiteral("Смещение назад:"), this);
    edDrawsOffset_ = new QSpinBox(this);
    edDrawsOffset_->setObjectName(QStringLiteral("edDrawsOffset"));
    edDrawsOffset_->setRange(0, 0);
    edDrawsOffset_->setStatusTip(QStringLiteral("Смещение относительно последнего загруженного номера тиража"));
    edDrawsOffset_->setToolTip(edDrawsOffset_->statusTip());
    // A typed number applies on Enter (or when the field loses the focus), not digit by digit:
    // "37" must not pass through an offset of 3 with its recomputation of every view.
    edDrawsOffset_->setKeyboardTracking(false);
    offsetLabel->setBuddy(edDrawsOffset_);
    offsetRow->addWidget(offsetLabel);
    offsetRow->addWidget(edDrawsOffset_);
    offsetRow->addStretch();
    layout->addLayout(offsetRow);
    // An empty archive says how to get draws, above the empty list.
    lbEmptyArchive_ = new QLabel(QString::fromUtf8(kEmptyArchiveText), this);
    lbEmptyArchive_->setObjectName(QStringLiteral("lbEmptyArchive"));
    lbEmptyArchive_->setWordWrap(true);
    lbEmptyArchive_->setFrameShape(QFrame::StyledPanel);
    lbEmptyArchive_->setMargin(6);
    lbEmptyArchive_->hide();
    layout->addWidget(lbEmptyArchive_);
    lvDraws_ = new QTableView(this);
    lvDraws_->setObjectName(QStringLiteral("lvDraws"));
    model_ = new DrawsModel(lvDraws_);
    lvDraws_->setModel(model_);
    lvDraws_->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvDraws_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvDraws_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvDraws_->verticalHeader()->hide();
    lvDraws_->verticalHeader()->setDefaultSectionSize(20);
    lvDraws_->horizontalHeader()->setDefaultSectionSize(26);
    // The style's minimum section size would widen the number columns beyond their 23 pixels and
    // push the date column out of the panel.
    lvDraws_->horizontalHeader()->setMinimumSectionSize(16);
    lvDraws_->horizontalHeader()->setStretchLastSection(true);
    lvDraws_->setContextMenuPolicy(Qt::ActionsContextMenu);
    lvDraws_->setAlternatingRowColors(false);
    const int columnWidths[] = {50, 23, 23, 23, 23, 23, 23, 30, 92};
    for (int c = 0; c < static_cast<int>(std::size(columnWidths)); ++c) lvDraws_->setColumnWidth(c, columnWidths[c]);
    layout->addWidget(lvDraws_);
    connect(edDrawsOffset_, &QSpinBox::valueChanged, this, &DrawsTab::setDrawsOffset);
    connect(lvDraws_, &QTableView::doubleClicked, this, [this] {
        if (auto* a = host_.action(QStringLiteral("DrawsInfo")); a && a->isEnabled()) a->trigger();
    });
}

namespace {

// A key of a list's command: active while the list (or a child of it) has the focus, so that the
// same key may serve another list elsewhere in the window.
void setListKeys(QAction* a, QList<QKeySequence> keys) {
    a->setShortcuts(keys);
    a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
}

}  // namespace

void DrawsTab::buildCommands() {
    auto haveSession = [this] { return host_.session() != nullptr; };
    auto haveFocus = [this] { return hasArchive() && focusedListPosition() >= 0; };
    host_.addCommand({QStringLiteral("DrawsAdd"), QStringLiteral("Добавить"), QStringLiteral("Добавить новый тираж"),
                      [this] { addDraw(); }, haveSession});
    host_.addCommand({QStringLiteral("DrawsEdit"), QStringLiteral("Изменить"), QStringLiteral("Изменить данные тиража"),
                      [this] { editDraw(); }, haveFocus});
    host_.addCommand({QStringLiteral("DrawsDel"), QStringLiteral("Удалить"), QStringLiteral("Удалить выделенные тиражи"),
                      [this] { deleteDraws(); }, [this] { return hasArchive() && !selectedListPositions().empty(); }});
    host_.addCommand({QStringLiteral("DrawsSorted"), QStringLiteral("Упорядочить MIN->MAX"),
                      QStringLiteral("Показывать и анализировать числа тиража по возрастанию"),
                      [this] { toggleSortedDraws(); }, {}, true});
    host_.addCommand({QStringLiteral("DrawsInfo"), QStringLiteral("Сведения о тираже"),
                      QStringLiteral("Значения всех методов для выбранного тиража"), [this] { showDrawInfo(); },
                      haveFocus});
    host_.addCommand({QStringLiteral("ViewColorDraws"), QStringLiteral("Цветовое выделение каналов"),
                      QStringLiteral("Выделять числа тиражей цветами каналов"), [this] { toggleColorDraws(); }, {},
                      true});
    host_.addCommand({QStringLiteral("DrawsExport"), QStringLiteral("Экспорт в CSV-файл"),
                      QStringLiteral("Экспорт архива тиражей в CSV-файл"),
                      [this] {
                          const QString f = ui::chooseSaveFile(window(), QStringLiteral("Экспорт в CSV-файл"),
                                                               ui::kDrawsFileFilter, QStringLiteral("csv"));
                          if (!f.isEmpty() && exportDraws(f))
                              host_.interaction().information(fmt(kDrawsExportedText, host_.session()->archive().count()));
                      },
                      [this] { return hasArchive(); }});
    host_.addCommand({QStringLiteral("DrawsImport"), QStringLiteral("Импорт из CSV-файла"),
                      QStringLiteral("Импорт тиражей из CSV-файла"),
                      [this] {
                          const QString f =
                              ui::chooseOpenFile(window(), QStringLiteral("Импорт из CSV-файла"), ui::kDrawsFileFilter);
                          if (!f.isEmpty() && importDraws(f))
                              host_.interaction().information(fmt(kDrawsImportedText, lastImportCount_));
                      },
                      haveSession});
    host_.addCommand({QStringLiteral("DrawsXlsExport"), QStringLiteral("Экспорт в Microsoft Excel"),
                      QStringLiteral("Экспорт списка тиражей в Microsoft Excel"),
                      [this] {
                          ui::exportViewToExcel(*lvDraws_, caption(), host_.interaction(), host_.progress(),
                                                host_.busyState());
                      },
                      [this] { return hasArchive(); }});
    host_.addCommand({QStringLiteral("DrawsDownload"), qs(kDownloadCaption), qs(kDownloadHint),
                      [this] { downloadDraws(); }, [this] { return downloadAvailable(); }});
    setListKeys(host_.action(QStringLiteral("DrawsAdd")), {QKeySequence(Qt::Key_Insert)});
    setListKeys(host_.action(QStringLiteral("DrawsDel")), {QKeySequence(Qt::Key_Delete)});
    setListKeys(host_.action(QStringLiteral("DrawsInfo")), {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
}

std::optional<TabMenu> DrawsTab::menu() const {
    return TabMenu{QStringLiteral("Тиражи"),
                   lvDraws_,
                   {"DrawsAdd", "DrawsEdit", "DrawsDel", "", "DrawsSorted", "DrawsInfo", "ViewColorDraws", "",
                    "DrawsDownload", "DrawsImport", "DrawsExport", "DrawsXlsExport"}};
}

void DrawsTab::sessionOpened() {
    Session* session = host_.session();
    session->setSortedDraws(host_.formSettings().sortedDraws);
    model_->setSession(session);
}

void DrawsTab::restoreSettings(const TFormMainSettings& s) {
    host_.action(QStringLiteral("DrawsSorted"))->setChecked(s.sortedDraws);
    host_.action(QStringLiteral("ViewColorDraws"))->setChecked(s.colorDraws);
    model_->setColorDraws(s.colorDraws);
}

void DrawsTab::enableControls(bool on) {
    // While work runs the field turns read-only rather than disabled: a disabled field would pass
    // the keyboard focus on to the list, whose type-ahead would then take the next typed digit.
    edDrawsOffset_->setEnabled(host_.session() != nullptr);
    edDrawsOffset_->setReadOnly(!on);
}

// The channel colours of the list follow the channel width.
void DrawsTab::settingsChanged() { model_->repaint(); }

bool DrawsTab::hasArchive() const { return host_.session() && !host_.session()->archive().empty(); }

std::vector<int> DrawsTab::selectedListPositions() const {
    std::vector<int> rows;
    if (!lvDraws_->selectionModel()) return rows;
    for (const QModelIndex& i : lvDraws_->selectionModel()->selectedRows()) rows.push_back(i.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

int DrawsTab::focusedListPosition() const {
    const QModelIndex i = lvDraws_->currentIndex();
    const Session* session = host_.session();
    if (!i.isValid() || !session || !session->archive().validListPos(i.row())) return -1;
    return i.row();
}

void DrawsTab::refresh(bool force) {
    const Session* session = host_.session();
    if (!session) return;
    model_->refresh(force);
    const DrawArchive& archive = session->archive();
    lbEmptyArchive_->setVisible(archive.empty());
    host_.setPanel(kPanelArchive, qs(archive.archiveStatusText()));
    host_.setPanel(kPanelNextDraw, qs(archive.nextDrawStatusText()));
    host_.setPanel(kPanelActualDraw, qs(archive.actualDrawStatusText()));
    const QSignalBlocker block(edDrawsOffset_);
    edDrawsOffset_->setMaximum(std::max(0, archive.count() - 1));
    edDrawsOffset_->setValue(archive.drawsOffset());
}

TDrawDialog::NumberCheck DrawsTab::numberTakenCheck(int editedIndex) const {
    // A draw number names one draw: the dialog refuses a number that another record already
    // carries (the record being edited may keep its own).
    return [this, editedIndex](int number) {
        const Session* session = host_.session();
        if (!session) return false;
        const DrawArchive& archive = session->archive();
        for (int i = 0; i < archive.count(); ++i)
            if (i != editedIndex && archive.at(i).number == number) return true;
        return false;
    };
}

// --- commands ------------------------------------------------------------------------------------

void DrawsTab::setDrawsOffset(int offset) {
    Session* session = host_.session();
    if (!session || offset == session->drawsOffset()) return;
    session->setDrawsOffset(offset);
    refresh(false);
    host_.recalcViews(false);
    model_->repaint();
}

void DrawsTab::addDraw() {
    Session* session = host_.session();
    if (!session) return;
    TDraw draw;
    draw.number = session->archive().nextDrawNumber(0);
    const auto result = TDrawDialog::edit(window(), qs(kAddDrawCaption), draw, host_.interaction(),
                                          numberTakenCheck(-1));
    if (!result) return;
    ui::BusyScope busy(host_.busyState());
    session->archive().addDraw(*result, host_.progress(), host_.interaction());
    refresh(true);
    host_.recalcViews(true);
}

void DrawsTab::editDraw() {
    const int pos = focusedListPosition();
    if (pos < 0) return;
    DrawArchive& archive = host_.session()->archive();
    const int index = archive.indexOfListPos(pos);
    const auto result = TDrawDialog::edit(window(), qs(kAddDrawCaption), archive.at(index), host_.interaction(),
                                          numberTakenCheck(index));
    if (!result) return;
    ui::BusyScope busy(host_.busyState());
    try {
        archive.editDraw(index, *result, host_.progress(), host_.interaction());
    } catch (const EError& e) {
        host_.interaction().error(e.what());
    }
    refresh(true);
    host_.recalcViews(true);
}

void DrawsTab::deleteDraws() {
    Session* session = host_.session();
    if (!session) return;
    const auto rows = selectedListPositions();
    if (rows.empty() || !ui::confirmDelete(host_.interaction(), static_cast<int>(rows.size()))) return;
    ui::BusyScope busy(host_.busyState());
    ui::StatusScope status(host_.progress(), kDrawsDeletingText);
    // Each row is found again by its draw number, from the last list position to the first.
    std::vector<int> numbers;
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        const auto n = tryReadInt(us(model_->index(*it, 0).data().toString()));
        if (n) numbers.push_back(*n);
    }
    session->archive().deleteDrawsByNumber(numbers, host_.progress(), host_.interaction());
    lvDraws_->clearSelection();
    refresh(true);
    host_.recalcViews(true);
}

void DrawsTab::toggleSortedDraws() {
    TFormMainSettings& form = host_.formSettings();
    form.sortedDraws = !form.sortedDraws;
    host_.action(QStringLiteral("DrawsSorted"))->setChecked(form.sortedDraws);
    if (Session* session = host_.session()) session->setSortedDraws(form.sortedDraws);
    host_.writeKey("SortedDraws", form.sortedDraws);
    model_->repaint();
    host_.recalcViews(true);
}

void DrawsTab::toggleColorDraws() {
    TFormMainSettings& form = host_.formSettings();
    form.colorDraws = !form.colorDraws;
    host_.action(QStringLiteral("ViewColorDraws"))->setChecked(form.colorDraws);
    host_.writeKey("ColorDraws", form.colorDraws);
    model_->setColorDraws(form.colorDraws);
}

bool DrawsTab::importDraws(const QString& fileName) {
    Session* session = host_.session();
    if (!session) return false;
    ui::BusyScope busy(host_.busyState());
    const std::string path = us(fileName);
    ui::StatusScope status(host_.progress(), fmt(kDrawsImportText, path));
    bool ok = true;
    lastImportCount_ = 0;
    try {
        const DrawsCsvImport result =
            importDrawsCsv(session->archive(), std::filesystem::path(path), host_.progress(), host_.interaction());
        lastImportCount_ = result.added;
        if (result.valid == 0) {
            host_.interaction().error(kNoValidDrawLines);
            ok = false;
        }
    } catch (const std::exception& e) {
        host_.interaction().error(e.what());
        ok = false;
    }
    refresh(true);
    host_.recalcViews(true);
    return ok;
}

bool DrawsTab::exportDraws(const QString& fileName) {
    Session* session = host_.session();
    if (!session) return false;
    ui::BusyScope busy(host_.busyState());
    const std::string path = us(fileName);
    ui::StatusScope status(host_.progress(), fmt(kDrawsExportText, path));
    try {
        exportDrawsCsv(session->archive(), std::filesystem::path(path), host_.progress());
        return true;
    } catch (const std::exception& e) {
        host_.interaction().error(e.what());
        return false;
    }
}

bool DrawsTab::downloadConfigured() const {
    const Session* session = host_.session();
    if (!session) return false;
    try {
        return !trimText(loadDownloadSettings(session->filePath(".ini")).url).empty();
    } catch (const std::exception&) {
        return false;
    }
}

int DrawsTab::downloadDraws() {
    Session* session = host_.session();
    if (!session) return 0;
    DownloadRequest request;
    try {
        request.site = loadDownloadSettings(session->filePath(".ini"));
    } catch (const std::exception& e) {
        host_.interaction().error(e.what());
        return 0;
    }
    // Without a results page there is nothing to ask: say where it is set, without a wait window.
    if (trimText(request.site.url).empty()) {
        host_.interaction().error(kDownloadUrlMissing);
        return 0;
    }
    const int before = session->archive().count();
    SessionDownloadResult r;
    {
        ui::BusyScope busy(host_.busyState());
        ui::StatusScope status(host_.progress(), kDownloadWaitText);
        ui::GuiProgress& progress = host_.progress();
        auto stop = [&progress] { progress.requestStop(); };
        ui::WaitScope wait(qs(kDownloadWaitText), window(), stop);
        WaitWindowInteraction boxes(host_.interaction(), window(), stop);
        DownloadProgress rangeProgress(progress, [this] { refresh(false); });
        CurlHttpClient client;
        r = tavlora::downloadDraws(*session, client, host_.proxySettings(), request, rangeProgress, boxes,
                                   [](const std::string& text) { ui::WaitWindow::show(ui::displayText(text)); });
    }
    const DownloadResult& d = r.download;
    // Rows a sound page never has (a damaged or tampered answer) are told, never taken.
    const auto suspicious = d.suspiciousRows();
    if (!suspicious.empty()) {
        std::string text;
        for (const SkippedRow& row : suspicious) text += (text.empty() ? "" : "\r") + row.text();
        ui::warn(host_.interaction(), text);
    }
    const int appended = session->archive().count() - before;
    refresh(true);
    if (appended > 0) host_.recalcViews(true);
    // Checking the stakes against the new draws adds their results to the ratings.
    if (r.stakesChecked) host_.setPanel(kPanelRatings, qs(fmt("Рейтинг: %d", session->ratings().count())));
    return appended;
}

void DrawsTab::showDrawInfo() {
    const int pos = focusedListPosition();
    if (pos < 0) return;
    const Session& session = *host_.session();
    const DrawArchive& archive = session.archive();
    const int index = archive.indexOfListPos(pos);
    const TDraw& draw = archive.at(index);
    const TDraw shown = session.sortedDraws() ? sortedDraw(draw) : draw;
    TInfoRequest request;
    request.drawNumber = draw.number;
    request.dateText = draw.dateText();
    std::copy(shown.nums.begin(), shown.nums.end(), request.nums.n.begin());
    request.sorted = session.sortedDraws();
    request.drawIndex = index;
    request.referenceIndex = session.analysisEndIndex();
    TInfoWindow infoWindow(window(), session.statList(), request);
    infoWindow.exec();
}

}  // namespace tavlora::app
