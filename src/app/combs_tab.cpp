#include "app/combs_tab.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPainter>
#include <QSpinBox>
#include <QSplitter>
#include <QTableView>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/combs_model.h"
#include "app/enter_key.h"
#include "app/generate_dialog.h"
#include "core/error.h"
#include "core/format.h"
#include "session/session.h"
#include "ui/busy_state.h"
#include "ui/file_dialogs.h"
#include "ui/gui_progress.h"
#include "ui/text.h"
#include "workspace/comb_list.h"

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

CombsTab::CombsTab(ui::BusyState& busy, ui::GuiProgress& progress, QWidget* parent)
    : QWidget(parent), busy_(busy), progress_(progress) {
    setObjectName(QStringLiteral("tsCombs"));
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
    lvCombs_->horizontalHeader()->setStretchLastSection(true);
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

void CombsTab::setSession(Session* session, Interaction* interaction) {
    session_ = session;
    interaction_ = interaction;
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
    emit listChanged(countText);
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
    TGenerateDialog dialog(this, s.generateMode, s.generateParameters);
    if (dialog.exec() == QDialog::Accepted) generate(dialog.mode(), dialog.parameters(), dialog.saveAsDefault());
}

bool CombsTab::generate(uint8_t mode, const std::string& parameters, bool saveAsDefault) {
    if (!session_) return false;
    if (saveAsDefault) {
        try {
            session_->settings().setGeneratorMemory(mode, parameters);
            session_->settings().saveGeneratorMemory(session_->filePath(".ini"));
        } catch (const std::exception& e) {
            interaction_->error(e.what());
        }
    }
    bool ok = false;
    {
        ui::BusyScope busy(busy_);
        ok = session_->combList().generate(mode, parameters, progress_, *interaction_);
    }
    lvCombs_->clearSelection();
    refresh();
    return ok;
}

bool CombsTab::generateFromSettings() {
    if (!session_) return false;
    bool ok = false;
    {
        ui::BusyScope busy(busy_);
        ok = session_->combList().generate(session_->settings(), progress_, *interaction_);
    }
    refresh();
    return ok;
}

bool CombsTab::openFile(const QString& fileName) {
    if (!session_) return false;
    bool ok = false;
    {
        ui::BusyScope busy(busy_);
        ok = session_->combList().openFile(std::filesystem::path(us(fileName)), progress_, *interaction_);
    }
    lvCombs_->clearSelection();
    refresh();
    return ok;
}

bool CombsTab::saveFile(const QString& fileName) {
    if (!session_ || count() == 0) return false;
    ui::BusyScope busy(busy_);
    return session_->combList().saveFile(std::filesystem::path(us(fileName)), progress_, *interaction_);
}

void CombsTab::undo() {
    if (!canUndo()) return;
    {
        ui::BusyScope busy(busy_);
        session_->combList().undo(progress_);
    }
    lvCombs_->clearSelection();
    refresh();
}

void CombsTab::removeSelected() {
    if (!session_) return;
    const auto rows = selectedRows();
    if (rows.empty()) return;
    {
        ui::BusyScope busy(busy_);
        session_->combList().removeSelected(rows, progress_);
    }
    lvCombs_->clearSelection();
    refresh();
}

void CombsTab::removeLastDraws() {
    if (!session_ || busy_.busy()) return;
    {
        ui::BusyScope busy(busy_);
        session_->combList().removeLastDraws(session_->draws(), session_->analysisEndIndex(), edCombsExclude_->value(),
                                             progress_);
    }
    lvCombs_->clearSelection();
    refresh();
}

void CombsTab::copyToClipboard() {
    if (!session_ || count() == 0) return;
    ui::BusyScope busy(busy_);
    ui::StatusScope status(progress_, kCombsWaitText);
    const std::string text = session_->combList().copyText(selectedRows(), progress_);
    QGuiApplication::clipboard()->setText(qs(text));
}

bool CombsTab::pasteText(const QString& text) {
    if (!session_) return false;
    bool ok = false;
    {
        ui::BusyScope busy(busy_);
        ok = session_->combList().pasteText(us(text), progress_, *interaction_);
    }
    lvCombs_->clearSelection();
    refresh();
    return ok;
}

void CombsTab::paste() { pasteText(QGuiApplication::clipboard()->text()); }

void CombsTab::selectAll() { lvCombs_->selectAll(); }

void CombsTab::showUniqueNumbers() {
    if (!session_) return;
    ui::BusyScope busy(busy_);
    session_->combList().showUniqueNumbers(*interaction_);
}

void CombsTab::findInDraws() {
    if (!session_ || focusedRow() < 0) return;
    ui::BusyScope busy(busy_);
    TCombList::showFindInDraws(focusedComb(), session_->draws(), progress_, *interaction_);
}

}  // namespace tavlora::app
