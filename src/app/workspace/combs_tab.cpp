#include "app/workspace/combs_tab.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QSpinBox>
#include <QSplitter>
#include <QTableView>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/enter_key.h"
#include "app/workspace/combs_model.h"
#include "app/workspace/generate_dialog.h"
#include "app/workspace/info_window.h"
#include "core/error.h"
#include "core/format.h"
#include "core/interaction.h"
#include "session/session.h"
#include "ui/busy_state.h"
#include "ui/file_dialogs.h"
#include "ui/gui_progress.h"
#include "ui/text.h"
#include "ui/window_settings.h"
#include "ui/xlsx_export.h"
#include "workspace/comb_list.h"
#include "workspace/info_rows.h"

namespace tavlora::app {

using ui::qs;
using ui::us;

namespace {

// The icons of the applied-filters rows: a red minus (remove), a green plus (keep), a blue
// arrow back (undo step).
QIcon filterIcon(TFilterIcon kind) {
    QPixmap pix(16, 16);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(kind == TFilterIcon::Remove ? QColor(200, 0, 0) : kind == TFilterIcon::Keep ? QColor(0, 140, 0)
                                                                                          : QColor(0, 70, 200));
    pen.setWidth(3);
    p.setPen(pen);
    if (kind == TFilterIcon::Undo) {
        p.drawArc(QRect(3, 3, 10, 10), 90 * 16, -270 * 16);
        p.drawLine(3, 5, 7, 3);
    } else {
        p.drawLine(3, 8, 13, 8);
        if (kind == TFilterIcon::Keep) p.drawLine(8, 3, 8, 13);
    }
    return QIcon(pix);
}

}  // namespace

CombsTab::CombsTab(TabHost& host, QWidget* parent)
    : Tab(host, "tsCombs", QStringLiteral("Комбинации"), std::nullopt, parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    auto* row = new QHBoxLayout;
    edCombsExclude_ = new QSpinBox(this);
    edCombsExclude_->setObjectName(QStringLiteral("edCombsExclude"));
    edCombsExclude_->setRange(0, 2147483647);
    edCombsExclude_->setStatusTip(
        QStringLiteral("Исключить указанное количество последних тиражей из списка комбинаций"));
    edCombsExclude_->setToolTip(edCombsExclude_->statusTip());
    edCombsExclude_->setKeyboardTracking(false);
    new SpinEnterFilter(edCombsExclude_, [this] { removeLastDraws(); });
    btnExclude_ = new QToolButton(this);
    btnExclude_->setObjectName(QStringLiteral("btnCombsExclude"));
    btnExclude_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    btnExclude_->setText(QStringLiteral("[-] Тиражи"));
    row->addWidget(btnExclude_);
    row->addWidget(edCombsExclude_);
    row->addStretch();
    layout->addLayout(row);

    splitter_ = new QSplitter(Qt::Vertical, this);
    lvCombs_ = new QTableView(splitter_);
    lvCombs_->setObjectName(QStringLiteral("lvCombs"));
    model_ = new CombsModel(lvCombs_);
    lvCombs_->setModel(model_);
    lvCombs_->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvCombs_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvCombs_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvCombs_->setContextMenuPolicy(Qt::ActionsContextMenu);
    lvCombs_->verticalHeader()->hide();
    // Fixed row heights: the view never measures rows, so millions of rows cost nothing.
    lvCombs_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    lvCombs_->verticalHeader()->setDefaultSectionSize(20);
    // A double click stakes the combination (the stake dialog), when staking is possible.
    connect(lvCombs_, &QTableView::doubleClicked, this, [this] {
        QAction* stake = host_.action(QStringLiteral("StakeAdd"));
        if (!stake) return;
        if (stake->isEnabled()) stake->trigger();
    });
    lvCombs_->horizontalHeader()->setStretchLastSection(true);
    // The header asks its selection model, for every section it paints, whether the whole column
    // is selected, which walks every selected row: after "Выделить все" on the full list each
    // repaint took seconds. The header gets a selection of its own that stays empty; the rows
    // show their selection as before.
    lvCombs_->horizontalHeader()->setHighlightSections(false);
    lvCombs_->horizontalHeader()->setSelectionModel(new QItemSelectionModel(model_, lvCombs_));
    const int widths[] = {70, 30, 30, 30, 30, 30, 40};
    for (int c = 0; c < 7; ++c) lvCombs_->setColumnWidth(c, widths[c]);

    lvFilters_ = new QTreeWidget(splitter_);
    lvFilters_->setObjectName(QStringLiteral("lvFilters"));
    lvFilters_->setRootIsDecorated(false);
    lvFilters_->setColumnCount(3);
    lvFilters_->setHeaderLabels({QStringLiteral("Примененные фильтры"), QStringLiteral("Значения"),
                                 QStringLiteral("Комбинаций")});
    // The filter's name takes the room left by the values and the count.
    lvFilters_->header()->setStretchLastSection(false);
    lvFilters_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    lvFilters_->header()->setSectionResizeMode(1, QHeaderView::Interactive);
    lvFilters_->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    lvFilters_->setColumnWidth(1, 80);
    splitter_->addWidget(lvCombs_);
    splitter_->addWidget(lvFilters_);
    splitter_->setStretchFactor(0, 1);
    layout->addWidget(splitter_);
}

void CombsTab::attachList() {
    session_ = host_.session();
    if (session_) model_->setList(&session_->combList(), &session_->settings());
    else model_->setList(nullptr, nullptr);
    refresh();
}

void CombsTab::setColorCombs(bool on) { model_->setColorCombs(on); }

std::size_t CombsTab::count() const { return session_ && session_->hasCombList() ? session_->combList().count() : 0; }

bool CombsTab::canUndo() const { return session_ && session_->hasCombList() && session_->combList().canUndo(); }

bool CombsTab::hasSelection() const {
    return lvCombs_->selectionModel() && lvCombs_->selectionModel()->hasSelection();
}

int CombsTab::focusedRow() const {
    const QModelIndex i = lvCombs_->currentIndex();
    return i.isValid() && static_cast<std::size_t>(i.row()) < count() ? i.row() : -1;
}

std::vector<std::size_t> CombsTab::selectedRows() const {
    std::vector<std::size_t> rows;
    if (!lvCombs_->selectionModel()) return rows;
    std::vector<std::pair<int, int>> ranges;
    for (const QItemSelectionRange& r : lvCombs_->selectionModel()->selection()) ranges.emplace_back(r.top(), r.bottom());
    std::sort(ranges.begin(), ranges.end());
    int next = 0;  // ranges may overlap; each row is listed once, ascending
    for (const auto& [top, bottom] : ranges) {
        for (int row = std::max(top, next); row <= bottom; ++row) rows.push_back(static_cast<std::size_t>(row));
        next = std::max(next, bottom + 1);
    }
    return rows;
}

TComb CombsTab::focusedComb() const {
    const int row = focusedRow();
    return row >= 0 ? session_->combList().at(static_cast<std::size_t>(row)) : TComb{};
}

void CombsTab::refresh() {
    model_->refresh();
    // The rows are rebuilt from the list's filters: the current and selected rows (a right
    // click leaves one) go first, and the whole list is painted anew, so that no old row stays
    // on screen until it is clicked.
    lvFilters_->setCurrentItem(nullptr);
    lvFilters_->clearSelection();
    lvFilters_->clear();
    QString countText = QString::fromUtf8(fmt(kCombsCountStatus, 0).c_str());
    if (session_) {
        TCombList& list = session_->combList();
        for (const TAppliedFilter& f : list.appliedFilters()) {
            auto* item = new QTreeWidgetItem(lvFilters_, {qs(f.name), qs(f.values), QString::number(f.count)});
            item->setIcon(0, filterIcon(f.icon));
            item->setToolTip(0, item->text(0));  // names and value lists are often longer than the columns
            item->setToolTip(1, item->text(1));
            item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        }
        countText = qs(list.countStatusText());
    }
    lvFilters_->viewport()->update();
    host_.setPanel(kPanelCombs, countText);
}

void CombsTab::release() {
    if (!session_ || !session_->hasCombList()) return;
    model_->setList(nullptr, nullptr);
    session_->combList().release();
}

// --- commands --------------------------------------------------------------------------------------

void CombsTab::generateDialog() {
    if (!session_) return;
    const TSettings& s = session_->settings();
    TGenerateDialog dialog(window(), s.generateMode, s.generateParameters);
    if (dialog.exec() == QDialog::Accepted) generate(dialog.mode(), dialog.parameters(), dialog.saveAsDefault());
}

bool CombsTab::generate(uint8_t mode, const std::string& parameters, bool saveAsDefault) {
    if (!session_) return false;
    if (saveAsDefault) {
        try {
            session_->storeGeneratorMemory(mode, parameters);
        } catch (const std::exception& e) {
            host_.interaction().error(e.what());
        }
    }
    bool ok = false;
    {
        ui::BusyScope busy(host_.busyState());
        ok = session_->combList().generate(mode, parameters, host_.progress(), host_.interaction());
    }
    lvCombs_->clearSelection();
    refresh();
    return ok;
}

bool CombsTab::generateFromSettings() {
    if (!session_) return false;
    bool ok = false;
    {
        ui::BusyScope busy(host_.busyState());
        ok = session_->combList().generate(session_->settings(), host_.progress(), host_.interaction());
    }
    refresh();
    return ok;
}

bool CombsTab::openFile(const QString& fileName) {
    if (!session_) return false;
    bool ok = false;
    {
        ui::BusyScope busy(host_.busyState());
        ok = session_->combList().openFile(std::filesystem::path(us(fileName)), host_.progress(), host_.interaction());
    }
    lvCombs_->clearSelection();
    refresh();
    return ok;
}

bool CombsTab::saveFile(const QString& fileName) {
    if (!session_ || count() == 0) return false;
    ui::BusyScope busy(host_.busyState());
    return session_->combList().saveFile(std::filesystem::path(us(fileName)), host_.progress(), host_.interaction());
}

void CombsTab::undo() {
    if (!canUndo()) return;
    {
        ui::BusyScope busy(host_.busyState());
        session_->combList().undo(host_.progress());
    }
    lvCombs_->clearSelection();
    refresh();
}

void CombsTab::removeSelected() {
    if (!session_) return;
    const auto rows = selectedRows();
    if (rows.empty()) return;
    {
        ui::BusyScope busy(host_.busyState());
        session_->combList().removeSelected(rows, host_.progress());
    }
    lvCombs_->clearSelection();
    refresh();
}

void CombsTab::removeLastDraws() {
    if (!session_ || host_.busyState().busy()) return;
    {
        ui::BusyScope busy(host_.busyState());
        session_->combList().removeLastDraws(session_->draws(), session_->analysisEndIndex(), edCombsExclude_->value(),
                                             host_.progress());
    }
    lvCombs_->clearSelection();
    refresh();
}

void CombsTab::copyToClipboard() {
    if (!session_ || count() == 0) return;
    ui::BusyScope busy(host_.busyState());
    ui::StatusScope status(host_.progress(), kCombsWaitText);
    const std::string text = session_->combList().copyText(selectedRows(), host_.progress());
    QGuiApplication::clipboard()->setText(qs(text));
}

bool CombsTab::pasteText(const QString& text) {
    if (!session_) return false;
    bool ok = false;
    {
        ui::BusyScope busy(host_.busyState());
        ok = session_->combList().pasteText(us(text), host_.progress(), host_.interaction());
    }
    lvCombs_->clearSelection();
    refresh();
    return ok;
}

void CombsTab::paste() { pasteText(QGuiApplication::clipboard()->text()); }

void CombsTab::selectAll() {
    // One selection range over every row, never row by row.
    if (count() == 0 || !lvCombs_->selectionModel()) return;
    const QItemSelection all(model_->index(0, 0), model_->index(model_->rowCount() - 1, model_->columnCount() - 1));
    lvCombs_->selectionModel()->select(all, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void CombsTab::showUniqueNumbers() {
    if (!session_) return;
    ui::BusyScope busy(host_.busyState());
    session_->combList().showUniqueNumbers(host_.interaction());
}

void CombsTab::findInDraws() {
    if (!session_ || focusedRow() < 0) return;
    ui::BusyScope busy(host_.busyState());
    TCombList::showFindInDraws(focusedComb(), session_->draws(), host_.progress(), host_.interaction());
}

void CombsTab::toggleColorCombs() {
    TFormMainSettings& form = host_.formSettings();
    form.colorCombs = !form.colorCombs;
    host_.action(QStringLiteral("ViewColorCombs"))->setChecked(form.colorCombs);
    host_.writeKey("ColorCombs", form.colorCombs);
    setColorCombs(form.colorCombs);
}

void CombsTab::showCombInfo() {
    if (focusedRow() < 0) return;
    const Session& session = *host_.session();
    TInfoRequest request;
    request.nums = focusedComb();
    request.sorted = session.sortedDraws();
    request.drawIndex = session.analysisEndIndex();
    request.referenceIndex = request.drawIndex;
    TInfoWindow infoWindow(window(), session.statList(), request);
    infoWindow.exec();
}

// --- the tab in the window -------------------------------------------------------------------------

namespace {

// A key of the list's command, active while the list has the focus (the draws list has its own
// Del and the edits their own Ctrl+A, Ctrl+C and Ctrl+V).
void setListKey(QAction* a, const QKeySequence& key) {
    a->setShortcut(key);
    a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
}

}  // namespace

void CombsTab::buildCommands() {
    auto haveSession = [this] { return host_.session() != nullptr; };
    auto haveList = [this] { return count() > 0; };
    auto haveFocus = [this] { return focusedRow() >= 0; };
    host_.addCommand({QStringLiteral("CombsGen"), QStringLiteral("Генерировать"),
                      QStringLiteral("Создание нового списка комбинаций"), [this] { generateDialog(); }, haveSession});
    host_.addCommand({QStringLiteral("CombsOpen"), QStringLiteral("Открыть"),
                      QStringLiteral("Загрузить список комбинаций из файла"),
                      [this] {
                          const QString f = ui::chooseOpenFile(window(), QStringLiteral("Открыть"), kCombsFileFilter);
                          if (!f.isEmpty()) openFile(f);
                      },
                      haveSession});
    host_.addCommand({QStringLiteral("CombsSave"), QStringLiteral("Сохранить"),
                      QStringLiteral("Сохранить список комбинаций в файл"),
                      [this] {
                          const QString f = ui::chooseSaveFile(window(), QStringLiteral("Сохранить"), kCombsFileFilter,
                                                               QStringLiteral("lcv"));
                          if (!f.isEmpty()) saveFile(f);
                      },
                      haveList});
    host_.addCommand({QStringLiteral("CombsUndo"), QStringLiteral("Отменить"),
                      QStringLiteral("Отменить последнее изменение списка"), [this] { undo(); },
                      [this] { return canUndo(); }});
    host_.addCommand({QStringLiteral("CombsDelExists"), QStringLiteral("Исключить тиражи"),
                      QStringLiteral("Исключить указанное количество последних тиражей из списка комбинаций"),
                      [this] { removeLastDraws(); }, haveSession});
    connect(btnExclude_, &QToolButton::clicked, this, [this] {
        if (auto* a = host_.action(QStringLiteral("CombsDelExists")); a && a->isEnabled()) a->trigger();
    });
    host_.addCommand({QStringLiteral("CombsDelSelected"), QStringLiteral("Удалить выделенные"),
                      QStringLiteral("Удалить выделенные комбинации из списка"), [this] { removeSelected(); },
                      [this] { return count() > 0 && hasSelection(); }});
    host_.addCommand({QStringLiteral("CombsCopy"), QStringLiteral("Копировать в буфер"),
                      QStringLiteral("Копировать выделенные комбинации в буфер обмена"), [this] { copyToClipboard(); },
                      haveList});
    host_.addCommand({QStringLiteral("CombsPaste"), QStringLiteral("Вставить из буфера"),
                      QStringLiteral("Заменить список комбинациями из буфера обмена"), [this] { paste(); },
                      [this] {
                          const QMimeData* data = QGuiApplication::clipboard()->mimeData();
                          return host_.session() != nullptr && data && data->hasText();
                      }});
    host_.addCommand({QStringLiteral("CombsSelectAll"), QStringLiteral("Выделить все"),
                      QStringLiteral("Выделить все комбинации"), [this] { selectAll(); }, haveList});
    host_.addCommand({QStringLiteral("CombsCheckNums"), QStringLiteral("Количество уникальных номеров"),
                      QStringLiteral("Количество различных чисел в списке комбинаций"), [this] { showUniqueNumbers(); },
                      haveSession});
    host_.addCommand({QStringLiteral("CombsFindInDraws"), QStringLiteral("Проверить по архиву тиражей"),
                      QStringLiteral("Найти выделенную комбинацию в архиве тиражей"), [this] { findInDraws(); },
                      haveFocus});
    host_.addCommand({QStringLiteral("CombsInfo"), QStringLiteral("Сведения о комбинации"),
                      QStringLiteral("Значения всех методов для выделенной комбинации"), [this] { showCombInfo(); },
                      haveFocus});
    host_.addCommand({QStringLiteral("CombsXlsExport"), QStringLiteral("Экспорт в Microsoft Excel"),
                      QStringLiteral("Экспорт списка комбинаций в Microsoft Excel"),
                      [this] {
                          ui::exportViewToExcel(*lvCombs_, caption(), host_.interaction(), host_.progress(),
                                                host_.busyState());
                      },
                      haveList});
    host_.addCommand({QStringLiteral("ViewColorCombs"), QStringLiteral("Цветовое выделение каналов"),
                      QStringLiteral("Выделять числа комбинаций цветами каналов"), [this] { toggleColorCombs(); }, {},
                      true});
    // Undo works from anywhere in the window; an edit with the focus keeps its own Ctrl+Z.
    host_.action(QStringLiteral("CombsUndo"))->setShortcut(QKeySequence::Undo);
    setListKey(host_.action(QStringLiteral("CombsSelectAll")), QKeySequence::SelectAll);
    setListKey(host_.action(QStringLiteral("CombsCopy")), QKeySequence::Copy);
    setListKey(host_.action(QStringLiteral("CombsPaste")), QKeySequence::Paste);
    setListKey(host_.action(QStringLiteral("CombsDelSelected")), QKeySequence(Qt::Key_Delete));
}

std::optional<TabMenu> CombsTab::menu() const {
    return TabMenu{QStringLiteral("Комбинации"),
                   lvCombs_,
                   {"CombsGen", "CombsOpen", "CombsSave", "", "CombsUndo", "CombsDelExists", "CombsDelSelected", "",
                    "CombsCopy", "CombsPaste", "CombsSelectAll", "", "CombsCheckNums", "CombsFindInDraws", "CombsInfo",
                    "", "CombsXlsExport", "", "ViewColorCombs", "", "SystemStakeAll", "SystemStakeFilter"}};
}

void CombsTab::restoreSettings(const TFormMainSettings& s) {
    host_.action(QStringLiteral("ViewColorCombs"))->setChecked(s.colorCombs);
    setColorCombs(s.colorCombs);
    edCombsExclude_->setValue(std::max(0, s.drawsExclude));
    splitter_->setSizes({std::max(100, window()->height() - s.filtersHeight), std::max(0, s.filtersHeight)});
    // The applied-filters list is a tree: its widths are kept beside those of the lists.
    ui::restoreColumnWidths(*lvFilters_, kFormSection);
}

void CombsTab::saveSettings(TFormMainSettings& s) const {
    s.drawsExclude = edCombsExclude_->value();
    if (const QList<int> sizes = splitter_->sizes(); sizes.size() == 2 && sizes[1] > 0) s.filtersHeight = sizes[1];
    ui::saveColumnWidths(*lvFilters_, kFormSection);
}

void CombsTab::enableControls(bool on) {
    edCombsExclude_->setEnabled(on);
    btnExclude_->setEnabled(on);
}

// The channel colours of the list follow the channel width.
void CombsTab::settingsChanged() { setColorCombs(host_.formSettings().colorCombs); }

}  // namespace tavlora::app
