#include "app/favourites/favourites_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/format.h"
#include "core/interaction.h"
#include "session/session.h"
#include "stats/stat_list.h"
#include "stats/stat_types.h"
#include "ui/file_dialogs.h"
#include "ui/text.h"
#include "ui/wait_window.h"

namespace tavlora::app {

using ui::qs;
using ui::us;

namespace {

constexpr int kMethodRole = Qt::UserRole;       // registry index of a method node, -1 for a group
constexpr int kCheckedRole = Qt::UserRole + 1;  // whether a method node is checked

// A check box drawn by the current style, as an icon.
QIcon checkIcon(const QWidget* widget, bool on) {
    QStyle* style = widget->style();
    const int w = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, widget);
    const int h = style->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, widget);
    QPixmap pixmap(std::max(w, 13), std::max(h, 13));
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    QStyleOptionButton option;
    option.rect = pixmap.rect();
    option.state = QStyle::State_Enabled | (on ? QStyle::State_On : QStyle::State_Off);
    style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &painter, widget);
    return QIcon(pixmap);
}

QPushButton* addButton(QWidget* parent, QGridLayout* grid, int row, int column, const char* name, const char* caption) {
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    grid->addWidget(b, row, column);
    return b;
}

}  // namespace

// --- snapshot --------------------------------------------------------------------------------------

FavouritesSnapshot FavouritesSnapshot::take(const TStatList& registry) {
    FavouritesSnapshot s;
    for (int i = 0; i < registry.count(); ++i) {
        s.favourite.push_back(registry.item(i).favourite);
        s.captions.push_back(registry.item(i).customCaption);
    }
    s.allFavourites = registry.allFavourites;
    s.ordered = registry.ordered;
    s.showGroupName = registry.showGroupName;
    s.showMethodFlags = registry.showMethodFlags;
    return s;
}

void FavouritesSnapshot::restore(TStatList& registry) const {
    for (int i = 0; i < registry.count() && static_cast<size_t>(i) < favourite.size(); ++i) {
        registry.item(i).favourite = favourite[static_cast<size_t>(i)];
        registry.item(i).customCaption = captions[static_cast<size_t>(i)];
    }
    registry.allFavourites = allFavourites;
    registry.ordered = ordered;
    registry.showGroupName = showGroupName;
    registry.showMethodFlags = showMethodFlags;
}

// --- the dialog ------------------------------------------------------------------------------------

FavouritesDialog::FavouritesDialog(Session& session, Interaction& interaction, std::function<void(int)> describe,
                                   QWidget* parent)
    : QDialog(parent), session_(session), interaction_(interaction), describe_(std::move(describe)) {
    setObjectName(QStringLiteral("TFiltersManagerForm"));
    setWindowTitle(QString::fromUtf8(kFavouritesTitle));
    snapshot_ = FavouritesSnapshot::take(session_.statList());
    checkedIcon_ = checkIcon(this, true);
    uncheckedIcon_ = checkIcon(this, false);

    auto* layout = new QVBoxLayout(this);
    countLabel_ = new QLabel(this);
    countLabel_->setObjectName(QStringLiteral("lblCount"));
    layout->addWidget(countLabel_);
    tvFilters_ = new QTreeWidget(this);
    tvFilters_->setObjectName(QStringLiteral("tvFilters"));
    tvFilters_->setHeaderHidden(true);
    tvFilters_->setColumnCount(1);
    tvFilters_->setSelectionMode(QAbstractItemView::SingleSelection);
    tvFilters_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // A double click on a method toggles it, not its group's expansion.
    tvFilters_->setExpandsOnDoubleClick(false);
    tvFilters_->viewport()->installEventFilter(this);
    layout->addWidget(tvFilters_, 1);

    const TStatList& registry = session_.statList();
    cbOrdered_ = new QCheckBox(QStringLiteral("Сортировать списки по названию метода"), this);
    cbOrdered_->setObjectName(QStringLiteral("cbOrdered"));
    cbOrdered_->setChecked(registry.ordered);
    cbGroupName_ = new QCheckBox(QStringLiteral("Отображать идентификатор группы { xxx } перед названием метода"), this);
    cbGroupName_->setObjectName(QStringLiteral("cbShowGroupName"));
    cbGroupName_->setChecked(registry.showGroupName);
    cbMethodFlags_ = new QCheckBox(QStringLiteral("Отображать особенности метода [ YYY ] после названия метода"), this);
    cbMethodFlags_->setObjectName(QStringLiteral("cbShowMethodFlags"));
    cbMethodFlags_->setChecked(registry.showMethodFlags);
    layout->addWidget(cbOrdered_);
    layout->addWidget(cbGroupName_);
    layout->addWidget(cbMethodFlags_);

    auto* grid = new QGridLayout;
    auto* resetAll = addButton(this, grid, 0, 0, "btnResetAll", "Сбросить все");
    auto* selectAll = addButton(this, grid, 0, 1, "btnSelectAll", "Выбрать все");
    auto* resetGroup = addButton(this, grid, 1, 0, "btnResetGroup", "Сбросить группу");
    auto* selectGroup = addButton(this, grid, 1, 1, "btnSelectGroup", "Выбрать группу");
    auto* rename = addButton(this, grid, 2, 0, "btnRename", "Переименовать");
    auto* giveBack = addButton(this, grid, 2, 1, "btnRestore", "Вернуть");
    auto* info = addButton(this, grid, 3, 0, "btnInfo", "Описание");
    auto* import = addButton(this, grid, 4, 0, "btnImport", "Импорт названий");
    auto* exportNames = addButton(this, grid, 4, 1, "btnExport", "Экспорт названий");
    layout->addLayout(grid);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &FavouritesDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &FavouritesDialog::reject);
    connect(resetAll, &QPushButton::clicked, this, [this] { checkAll(false); });
    connect(selectAll, &QPushButton::clicked, this, [this] { checkAll(true); });
    connect(resetGroup, &QPushButton::clicked, this, [this] { checkGroup(false); });
    connect(selectGroup, &QPushButton::clicked, this, [this] { checkGroup(true); });
    connect(rename, &QPushButton::clicked, this, &FavouritesDialog::askRename);
    connect(giveBack, &QPushButton::clicked, this, &FavouritesDialog::restoreSelectedCaption);
    connect(info, &QPushButton::clicked, this, [this] {
        const int method = methodOf(tvFilters_->currentItem());
        if (method >= 0 && describe_) describe_(method);
    });
    connect(import, &QPushButton::clicked, this, &FavouritesDialog::askImport);
    connect(exportNames, &QPushButton::clicked, this, &FavouritesDialog::askExport);
    connect(tvFilters_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* node) { onClicked(node); });
    connect(tvFilters_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* node) { onDoubleClicked(node); });
    connect(tvFilters_, &QTreeWidget::currentItemChanged, this, &FavouritesDialog::updateButtons);

    buildTree(std::nullopt);
    resize(560, 640);
}

QPushButton* FavouritesDialog::button(const QString& objectName) const { return findChild<QPushButton*>(objectName); }

void FavouritesDialog::buildTree(const std::optional<std::vector<bool>>& keepChecks) {
    ui::WaitScope wait(QString::fromUtf8(kPleaseWaitText), this);
    const TStatList& registry = session_.statList();
    tvFilters_->clear();
    countLabel_->setText(qs(fmt("всего %d методов", registry.count())));
    std::vector<QTreeWidgetItem*> groups(kStatGroupCount, nullptr);
    const QIcon groupIcon = style()->standardIcon(QStyle::SP_DirIcon);
    for (int i = 0; i < registry.count(); ++i) {
        if (!registry.available(i)) continue;
        const TStatMethod& m = registry.item(i);
        const int group = m.statClass().group;
        if (group < 0 || group >= kStatGroupCount) continue;
        QTreeWidgetItem*& parent = groups[static_cast<size_t>(group)];
        if (!parent) {
            // Group nodes are created on first need, so they follow the registry order.
            parent = new QTreeWidgetItem(tvFilters_, {qs(groupCaption(group))});
            parent->setData(0, kMethodRole, -1);
            parent->setIcon(0, groupIcon);
        }
        const std::string& caption = m.customCaption.empty() ? m.defaultCaption() : m.customCaption;
        auto* node = new QTreeWidgetItem(parent, {qs(caption)});
        node->setData(0, kMethodRole, i);
        node->setToolTip(0, qs(m.code()));
        const bool checked = keepChecks && static_cast<size_t>(i) < keepChecks->size()
                                 ? (*keepChecks)[static_cast<size_t>(i)]
                                 : registry.shown(i);
        setChecked(node, checked);
    }
    tvFilters_->expandAll();
    updateButtons();
}

QTreeWidgetItem* FavouritesDialog::methodNode(int methodIndex) const {
    for (int g = 0; g < tvFilters_->topLevelItemCount(); ++g) {
        QTreeWidgetItem* group = tvFilters_->topLevelItem(g);
        for (int k = 0; k < group->childCount(); ++k)
            if (methodOf(group->child(k)) == methodIndex) return group->child(k);
    }
    return nullptr;
}

int FavouritesDialog::methodOf(const QTreeWidgetItem* node) {
    return node ? node->data(0, kMethodRole).toInt() : -1;
}

bool FavouritesDialog::isChecked(const QTreeWidgetItem* node) { return node && node->data(0, kCheckedRole).toBool(); }

void FavouritesDialog::setChecked(QTreeWidgetItem* node, bool checked) {
    if (!node || methodOf(node) < 0) return;
    node->setData(0, kCheckedRole, checked);
    node->setIcon(0, checked ? checkedIcon_ : uncheckedIcon_);
}

std::vector<bool> FavouritesDialog::currentChecks() const {
    std::vector<bool> checks(static_cast<size_t>(session_.statList().count()), false);
    for (int g = 0; g < tvFilters_->topLevelItemCount(); ++g) {
        const QTreeWidgetItem* group = tvFilters_->topLevelItem(g);
        for (int k = 0; k < group->childCount(); ++k) {
            const int method = methodOf(group->child(k));
            if (method >= 0 && static_cast<size_t>(method) < checks.size())
                checks[static_cast<size_t>(method)] = isChecked(group->child(k));
        }
    }
    return checks;
}

void FavouritesDialog::onClicked(QTreeWidgetItem* node) {
    // The press that ends a double click reports one more click: the double click has already
    // toggled the node, so that click is not counted again.
    if (afterDoubleClick_) {
        afterDoubleClick_ = false;
        return;
    }
    setChecked(node, !isChecked(node));
}

bool FavouritesDialog::eventFilter(QObject* watched, QEvent* event) {
    // A new press starts a new gesture: a double click that ended off its node leaves nothing
    // pending.
    if (watched == tvFilters_->viewport() && event->type() == QEvent::MouseButtonPress) afterDoubleClick_ = false;
    return QDialog::eventFilter(watched, event);
}

void FavouritesDialog::onDoubleClicked(QTreeWidgetItem* node) {
    // The first click of the double click toggled the node already: the gesture as a whole is one
    // toggle, and the click that follows the double click is skipped.
    (void)node;
    afterDoubleClick_ = true;
}

void FavouritesDialog::checkAll(bool checked) {
    ui::WaitScope wait(QString::fromUtf8(kPleaseWaitText), this);
    for (int g = 0; g < tvFilters_->topLevelItemCount(); ++g) {
        QTreeWidgetItem* group = tvFilters_->topLevelItem(g);
        for (int k = 0; k < group->childCount(); ++k) setChecked(group->child(k), checked);
    }
}

QTreeWidgetItem* FavouritesDialog::selectedGroupNode() const {
    QTreeWidgetItem* node = tvFilters_->currentItem();
    if (!node) return nullptr;
    return node->parent() ? node->parent() : node;
}

void FavouritesDialog::checkGroup(bool checked) {
    QTreeWidgetItem* group = selectedGroupNode();
    if (!group) return;
    ui::WaitScope wait(QString::fromUtf8(kPleaseWaitText), this);
    for (int k = 0; k < group->childCount(); ++k) setChecked(group->child(k), checked);
}

void FavouritesDialog::askRename() {
    QTreeWidgetItem* node = tvFilters_->currentItem();
    if (methodOf(node) < 0) return;
    bool ok = false;
    const QString caption = QInputDialog::getText(this, QStringLiteral("Переименование"),
                                                  QStringLiteral("Введите наименование фильтра:"), QLineEdit::Normal,
                                                  node->text(0), &ok);
    if (ok) renameSelected(caption);
}

void FavouritesDialog::renameSelected(const QString& caption) {
    QTreeWidgetItem* node = tvFilters_->currentItem();
    const int method = methodOf(node);
    if (method < 0) return;
    // A blank name would leave the method without a caption in every list: it gives the method's
    // own caption back instead.
    const QString trimmed = caption.trimmed();
    node->setText(0, trimmed.isEmpty() ? qs(session_.statList().item(method).defaultCaption()) : trimmed);
}

void FavouritesDialog::restoreSelectedCaption() {
    QTreeWidgetItem* node = tvFilters_->currentItem();
    const int method = methodOf(node);
    if (method < 0) return;
    node->setText(0, qs(session_.statList().item(method).defaultCaption()));
}

std::string FavouritesDialog::customCaptionFor(int methodIndex, const QString& caption) const {
    const QString own = qs(session_.statList().item(methodIndex).defaultCaption());
    return QString::compare(caption, own, Qt::CaseInsensitive) == 0 ? std::string() : us(caption);
}

void FavouritesDialog::applyCaptions() {
    TStatList& registry = session_.statList();
    for (int g = 0; g < tvFilters_->topLevelItemCount(); ++g) {
        const QTreeWidgetItem* group = tvFilters_->topLevelItem(g);
        for (int k = 0; k < group->childCount(); ++k) {
            const int method = methodOf(group->child(k));
            if (method >= 0) registry.item(method).customCaption = customCaptionFor(method, group->child(k)->text(0));
        }
    }
}

bool FavouritesDialog::importNames(const QString& fileName) {
    const std::vector<bool> checks = currentChecks();
    const bool ok = session_.statList().loadMethodFile(std::filesystem::path(us(fileName)), false, interaction_);
    // The captions read so far are shown either way; the checks made in the dialog stay.
    buildTree(checks);
    return ok;
}

bool FavouritesDialog::exportNames(const QString& fileName) {
    TStatList& registry = session_.statList();
    // Only the file is to change: the registry's captions are put back after writing it.
    const FavouritesSnapshot before = FavouritesSnapshot::take(registry);
    applyCaptions();
    const bool ok = registry.saveMethodFile(std::filesystem::path(us(fileName)), false, true, interaction_);
    before.restore(registry);
    return ok;
}

void FavouritesDialog::askImport() {
    const QString file =
        QFileDialog::getOpenFileName(this, QStringLiteral("Импорт названий"), qs(session_.dataDir().string()),
                                     ui::qtFileFilter(kMethodNamesFilter));
    if (!file.isEmpty()) importNames(file);
}

void FavouritesDialog::askExport() {
    const QString file = ui::withDefaultExtension(
        QFileDialog::getSaveFileName(this, QStringLiteral("Экспорт названий"), qs(session_.dataDir().string()),
                                     ui::qtFileFilter(kMethodNamesFilter)),
        QStringLiteral("flt"));
    if (!file.isEmpty()) exportNames(file);
}

void FavouritesDialog::updateButtons() {
    const bool method = methodOf(tvFilters_->currentItem()) >= 0;
    const bool any = tvFilters_->currentItem() != nullptr;
    for (const char* name : {"btnRename", "btnRestore", "btnInfo"})
        if (auto* b = button(QString::fromLatin1(name))) b->setEnabled(method);
    for (const char* name : {"btnResetGroup", "btnSelectGroup"})
        if (auto* b = button(QString::fromLatin1(name))) b->setEnabled(any);
}

void FavouritesDialog::accept() {
    TStatList& registry = session_.statList();
    const std::vector<bool> checks = currentChecks();
    applyCaptions();
    for (int i = 0; i < registry.count(); ++i) registry.item(i).favourite = checks[static_cast<size_t>(i)];
    // None checked means all; all checked sets the registry's all-favourites switch.
    registry.normaliseFavourites();
    registry.ordered = cbOrdered_->isChecked();
    registry.showGroupName = cbGroupName_->isChecked();
    registry.showMethodFlags = cbMethodFlags_->isChecked();
    QDialog::accept();
}

void FavouritesDialog::reject() {
    snapshot_.restore(session_.statList());
    QDialog::reject();
}

}  // namespace tavlora::app
