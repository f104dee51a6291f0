#include "app/workspace/layout_tab.h"

#include <QAction>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QSpinBox>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>
#include <limits>

#include "app/enter_key.h"
#include "app/workspace/grid_filter.h"
#include "session/session.h"
#include "ui/busy_state.h"
#include "ui/gui_progress.h"
#include "ui/text.h"
#include "ui/xlsx_export.h"

namespace tavlora::app {

using ui::qs;

namespace {
constexpr const char* kLayoutExportCaption = "Экспорт схемы в Microsoft Excel";
}

// --- model -----------------------------------------------------------------------------------------

void LayoutModel::setGrid(TLayoutGrid grid) {
    beginResetModel();
    grid_ = std::move(grid);
    endResetModel();
}

void LayoutModel::setGradient(bool on) {
    gradient_ = on;
    if (rowCount() > 0 && columnCount() > 1)
        emit dataChanged(index(0, 1), index(rowCount() - 1, columnCount() - 1), {Qt::BackgroundRole});
}

int LayoutModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(grid_.counts.size());
}

int LayoutModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(grid_.draws.size()) + 1;
}

QVariant LayoutModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const auto r = static_cast<std::size_t>(index.row());
    const int c = index.column();
    if (role == Qt::DisplayRole) {
        if (c == 0) return grid_.counts[r];
        return qs(grid_.cells[r][static_cast<std::size_t>(c - 1)]);
    }
    if (role == Qt::BackgroundRole && c > 0) {
        const std::string& text = grid_.cells[r][static_cast<std::size_t>(c - 1)];
        // Grid coordinates count the header row and column, as the colour formulas do.
        return rgbColor(layoutCellColor(index.row() + 1, c, rowCount() + 1, columnCount(),
                                        text.find('[') != std::string::npos, gradient_));
    }
    if (role == Qt::TextAlignmentRole) return QVariant(Qt::AlignCenter);
    return {};
}

QVariant LayoutModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    if (section == 0) return QString();
    return grid_.draws[static_cast<std::size_t>(section - 1)];
}

// --- tab -------------------------------------------------------------------------------------------

LayoutTab::LayoutTab(TabHost& host, QWidget* parent)
    : Tab(host, "tsLayout", QStringLiteral("Схема"),
          tabToggle("TabLayout", "Схема", "TabLayout", &TFormMainSettings::tabLayout), parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    auto* row = new QHBoxLayout;
    edLayoutLen_ = new QSpinBox(this);
    edLayoutLen_->setObjectName(QStringLiteral("edLayoutLen"));
    edLayoutLen_->setRange(1, std::numeric_limits<int>::max());
    edLayoutLen_->setValue(100);
    edLayoutLen_->setKeyboardTracking(false);
    edLayoutLen_->setStatusTip(QStringLiteral("Количество тиражей, использующихся для построения схемы"));
    edLayoutLen_->setToolTip(edLayoutLen_->statusTip());
    new SpinEnterFilter(edLayoutLen_, [this] { refreshView(false); });
    auto* refresh = new QToolButton(this);
    refresh->setObjectName(QStringLiteral("btnLayoutRefresh"));
    row->addWidget(new QLabel(QStringLiteral("Тиражей:"), this));
    row->addWidget(edLayoutLen_);
    row->addWidget(refresh);
    row->addStretch(1);
    layout->addLayout(row);

    splitter_ = new QSplitter(Qt::Vertical, this);
    model_ = new LayoutModel(this);
    sgLayout_ = new QTableView(splitter_);
    sgLayout_->setObjectName(QStringLiteral("sgLayout"));
    sgLayout_->setModel(model_);
    sgLayout_->verticalHeader()->hide();
    sgLayout_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sgLayout_->setWordWrap(false);
    compareSplitter_ = new QSplitter(Qt::Horizontal, splitter_);
    for (std::size_t i = 0; i < 5; ++i) {
        auto* box = new QWidget(compareSplitter_);
        auto* v = new QVBoxLayout(box);
        v->setContentsMargins(0, 0, 0, 0);
        auto* edit = new QSpinBox(box);
        edit->setObjectName(QStringLiteral("edLayoutCmp%1").arg(i + 1));
        edit->setRange(1, std::numeric_limits<int>::max());
        edit->setValue(TFormMainSettings{}.layoutCompareLen[i]);
        edit->setKeyboardTracking(false);
        edit->setStatusTip(QStringLiteral("Количество тиражей списка сравнения"));
        edit->setToolTip(edit->statusTip());
        new SpinEnterFilter(edit, [this] { recomputeCompare(true); });
        auto* model = new QStandardItemModel(0, 2, box);
        auto* list = new QTableView(box);
        list->setObjectName(QStringLiteral("lvLayoutCmp%1").arg(i + 1));
        list->setModel(model);
        list->verticalHeader()->hide();
        list->setEditTriggers(QAbstractItemView::NoEditTriggers);
        list->setSelectionBehavior(QAbstractItemView::SelectRows);
        list->setSortingEnabled(true);
        list->horizontalHeader()->setStretchLastSection(true);
        v->addWidget(edit);
        v->addWidget(list, 1);
        edCmp_[i] = edit;
        lvCmp_[i] = list;
        cmpModels_[i] = model;
    }
    splitter_->setStretchFactor(0, 1);
    layout->addWidget(splitter_, 1);
    QMetaObject::invokeMethod(
        this,
        [this, refresh] {
            if (QAction* a = host_.action(QStringLiteral("LayoutRefresh"))) refresh->setDefaultAction(a);
        },
        Qt::QueuedConnection);
}

void LayoutTab::recompute(bool force) {
    Session* session = host_.session();
    if (!session) return;
    const std::array<int, 3> key{session->archive().count(), session->drawsOffset(), edLayoutLen_->value()};
    if (force || layoutKey_ != key) {
        ui::BusyScope busy(host_.busyState());
        StatusScope status(host_.progress(), kLayoutStatusText);
        model_->setGradient(host_.formSettings().layoutGradient);
        model_->setGrid(session->layoutGrid(edLayoutLen_->value()));
        fitColumns();
        layoutKey_ = key;
    }
    recomputeCompare(force);
}

void LayoutTab::fitColumns() {
    // The count column is 50 wide; a draw column 40, or its widest text plus 10.
    const QFontMetrics fm(sgLayout_->font());
    sgLayout_->setColumnWidth(0, 50);
    for (int c = 1; c < model_->columnCount(); ++c) {
        int width = 40;
        for (int r = 0; r < model_->rowCount(); ++r)
            width = std::max(width, fm.horizontalAdvance(model_->index(r, c).data().toString()) + 10);
        sgLayout_->setColumnWidth(c, width);
    }
}

void LayoutTab::recomputeCompare(bool force) {
    Session* session = host_.session();
    if (!session) return;
    const std::array<int, 2> key{session->archive().count(), session->drawsOffset()};
    if (!force && compareKey_ == key) return;
    for (std::size_t i = 0; i < 5; ++i) {
        const TCompareList list = session->compareList(edCmp_[i]->value());
        QStandardItemModel* model = cmpModels_[i];
        lvCmp_[i]->setSortingEnabled(false);
        model->removeRows(0, model->rowCount());
        model->setHorizontalHeaderLabels({QString::fromUtf8(kCompareCountCaption), qs(list.caption)});
        for (const TCompareRow& row : list.rows) {
            auto* count = new QStandardItem;
            count->setData(row.count, Qt::DisplayRole);
            model->appendRow({count, new QStandardItem(qs(row.numbers))});
        }
        lvCmp_[i]->setSortingEnabled(true);
        lvCmp_[i]->sortByColumn(0, Qt::DescendingOrder);
    }
    compareKey_ = key;
}

void LayoutTab::splitCompareLists() {
    // Four lists share the width equally, the fifth takes the rest.
    const int handle = compareSplitter_->handleWidth();
    const int width = compareSplitter_->width();
    const int each = std::max(0, width / 5 - handle);
    compareSplitter_->setSizes({each, each, each, each, std::max(0, width - 4 * (each + handle))});
}

void LayoutTab::resizeEvent(QResizeEvent* event) {
    Tab::resizeEvent(event);
    splitCompareLists();
}

std::vector<int32_t> LayoutTab::selectedNumbers() const {
    std::vector<int32_t> numbers;
    for (const QModelIndex& cell : selectedCellsByColumn(*sgLayout_)) {
        if (cell.column() < 1) continue;
        for (int32_t n : layoutTextNumbers(cell.data().toString().toStdString())) numbers.push_back(n);
    }
    return numbers;
}

bool LayoutTab::selectionInCells() const {
    const QModelIndexList cells = sgLayout_->selectionModel()->selectedIndexes();
    if (cells.isEmpty()) return false;
    return std::none_of(cells.begin(), cells.end(), [](const QModelIndex& c) { return c.column() == 0; });
}

bool LayoutTab::filterSelected(bool remove) { return filterByGridNumbers(host_, selectedNumbers(), caption(), remove); }

void LayoutTab::buildCommands() {
    auto canFilter = [this] {
        return combListHasRows(host_) && host_.formSettings().tabLayout && selectionInCells();
    };
    auto haveSession = [this] { return host_.session() != nullptr; };
    host_.addCommand({QStringLiteral("LayoutRefresh"), QStringLiteral("Обновить"),
                      QStringLiteral("Построить схему и списки сравнения заново"), [this] { refreshView(true); },
                      haveSession});
    host_.addCommand({QStringLiteral("LayoutFilter_Include"), QStringLiteral("Оставить выделенные"),
                      QStringLiteral("Оставить комбинации, содержащие выделенные числа"),
                      [this] { filterSelected(false); }, canFilter});
    host_.addCommand({QStringLiteral("LayoutFilter_Exclude"), QStringLiteral("Удалить выделенные"),
                      QStringLiteral("Удалить комбинации, содержащие выделенные числа"),
                      [this] { filterSelected(true); }, canFilter});
    host_.addCommand({QStringLiteral("LayoutXlsExport"), QString::fromUtf8(kLayoutExportCaption),
                      QStringLiteral("Сохранить схему в книгу Excel"),
                      [this] {
                          ui::exportViewToExcel(*sgLayout_, caption(), host_.interaction(), host_.progress(),
                                                host_.busyState());
                      },
                      [this] { return model_->rowCount() > 0; }});
    QAction* gradient = host_.addCommand(
        {QStringLiteral("LayoutGradient"), QStringLiteral("Градиентная раскраска схемы"),
         QStringLiteral("Раскрашивать схему градиентом или полосами"),
         [this] {
             TFormMainSettings& form = host_.formSettings();
             form.layoutGradient = !form.layoutGradient;
             host_.action(QStringLiteral("LayoutGradient"))->setChecked(form.layoutGradient);
             host_.writeKey("LayoutGradient", form.layoutGradient);
             model_->setGradient(form.layoutGradient);
         },
         {}, true});
    gradient->setChecked(host_.formSettings().layoutGradient);
}

std::optional<TabMenu> LayoutTab::menu() const {
    return TabMenu{QStringLiteral("Сх&ема"),
                   sgLayout_,
                   {"LayoutRefresh", "", "LayoutFilter_Include", "LayoutFilter_Exclude", "", "LayoutXlsExport", "",
                    "LayoutGradient"}};
}

void LayoutTab::restoreSettings(const TFormMainSettings& s) {
    edLayoutLen_->setValue(std::max(1, s.layoutLen));
    for (std::size_t i = 0; i < 5; ++i) edCmp_[i]->setValue(std::max(1, s.layoutCompareLen[i]));
    if (QAction* a = host_.action(QStringLiteral("LayoutGradient"))) a->setChecked(s.layoutGradient);
    model_->setGradient(s.layoutGradient);
    const int total = splitter_->height();
    if (s.layoutCompareHeight > 0 && total > s.layoutCompareHeight)
        splitter_->setSizes({total - s.layoutCompareHeight, s.layoutCompareHeight});
}

void LayoutTab::saveSettings(TFormMainSettings& s) const {
    s.layoutLen = edLayoutLen_->value();
    for (std::size_t i = 0; i < 5; ++i) s.layoutCompareLen[i] = edCmp_[i]->value();
    if (splitter_->sizes().size() == 2 && splitter_->sizes()[1] > 0) s.layoutCompareHeight = splitter_->sizes()[1];
}

void LayoutTab::enableControls(bool on) {
    edLayoutLen_->setEnabled(on);
    for (QSpinBox* e : edCmp_) e->setEnabled(on);
}

}  // namespace tavlora::app
