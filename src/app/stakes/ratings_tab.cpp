#include "app/stakes/ratings_tab.h"

#include <QAbstractTableModel>
#include <QActionGroup>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "app/stakes/stakes_charts.h"
#include "core/error.h"
#include "core/format.h"
#include "session/session.h"
#include "stakes/stakes_store.h"
#include "ui/busy_state.h"
#include "ui/file_dialogs.h"
#include "ui/gui_progress.h"
#include "ui/text.h"
#include "ui/xlsx_export.h"

namespace tavlora::app {

using ui::qs;

namespace {
constexpr const char* kOverlapHint = "График совпадений ставок";
constexpr const char* kProfitsHint = "График профита ставок";
constexpr const char* kDistributionHint = "Количество совпадений";
constexpr const char* kCsvExportText = "Экспорт в CSV-файл...";
}  // namespace

// The rows of the rating as the list shows them, in the rating's own order.
class RatingsModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void show(const TRatings* ratings, TRatingsEffMode mode) {
        beginResetModel();
        ratings_ = ratings;
        mode_ = mode;
        endResetModel();
    }
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() || !ratings_ ? 0 : ratings_->count();
    }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : kRatingColumnCount; }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!ratings_ || !index.isValid() || index.row() >= ratings_->count()) return {};
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(Qt::Alignment((index.column() == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter));
        if (role != Qt::DisplayRole) return {};
        const TRatingRecord& row = ratings_->rows()[static_cast<size_t>(index.row())];
        try {
            return qs(ratingCellText(row, index.column(), mode_));
        } catch (const std::exception&) {
            return index.column() == 0 ? QStringLiteral("# bad data #") : QString();
        }
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < kRatingColumnCount)
            return qs(ratingColumns()[static_cast<size_t>(section)]);
        return QAbstractTableModel::headerData(section, orientation, role);
    }

private:
    const TRatings* ratings_ = nullptr;
    TRatingsEffMode mode_ = TRatingsEffMode::Absolute;
};

RatingsTab::RatingsTab(TabHost& host, QWidget* parent)
    : Tab(host, "tsRatings", QStringLiteral("Рейтинг"), std::nullopt, parent) {
    lvRatings_ = new QTableView(this);
    lvRatings_->setObjectName(QStringLiteral("lvRatings"));
    model_ = new RatingsModel(this);
    lvRatings_->setModel(model_);
    lvRatings_->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvRatings_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvRatings_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvRatings_->setContextMenuPolicy(Qt::ActionsContextMenu);
    lvRatings_->setWordWrap(false);
    lvRatings_->verticalHeader()->hide();
    lvRatings_->setColumnWidth(0, 300);
    QHeaderView* header = lvRatings_->horizontalHeader();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(3, Qt::DescendingOrder);
    connect(header, &QHeaderView::sectionClicked, this, &RatingsTab::sortByColumn);
    connect(lvRatings_, &QTableView::doubleClicked, this, [this] {
        QAction* a = host_.action(QStringLiteral("RatingsGraphOverlap"));
        if (a && a->isEnabled()) a->trigger();
    });
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(lvRatings_);
}

TRatings* RatingsTab::ratings() const {
    Session* s = host_.session();
    return s ? &s->ratings() : nullptr;
}

bool RatingsTab::hasSelection() const { return ratings() && lvRatings_->selectionModel()->hasSelection(); }

void RatingsTab::reload() {
    TRatings* r = ratings();
    model_->show(r, mode_);
    if (r) {
        lvRatings_->horizontalHeader()->setSortIndicator(
            r->sortColumn(), r->sortDescending() ? Qt::DescendingOrder : Qt::AscendingOrder);
        lvRatings_->horizontalHeader()->setSortIndicatorShown(r->sortColumn() >= 0);
    }
    host_.setPanel(kPanelRatings, qs(fmt("Рейтинг: %d", r ? r->count() : 0)));
}

void RatingsTab::setEffMode(TRatingsEffMode mode) {
    mode_ = mode;
    const int i = static_cast<int>(mode);
    if (QAction* a = host_.action(QStringLiteral("RatingsEffMode%1").arg(i))) a->setChecked(true);
    reload();
}

void RatingsTab::sortByColumn(int column) {
    TRatings* r = ratings();
    if (!r) return;
    const bool descending = column == r->sortColumn() ? !r->sortDescending() : false;
    {
        ui::BusyScope busy(host_.busyState());
        r->sortBy(column, descending, host_.progress(), host_.interaction());
    }
    reload();
}

void RatingsTab::refreshRatings() {
    Session* s = host_.session();
    if (!s) return;
    {
        ui::BusyScope busy(host_.busyState());
        s->ratings().refresh(s->stakes(), host_.progress(), host_.interaction());
    }
    reload();
}

bool RatingsTab::exportCsv(const QString& fileName) {
    TRatings* r = ratings();
    if (!r || fileName.isEmpty()) return false;
    ui::BusyScope busy(host_.busyState());
    ui::StatusScope status(host_.progress(), kCsvExportText);
    try {
        r->exportCsv(fileName.toStdString(), mode_);
        return true;
    } catch (const std::exception& e) {
        host_.interaction().error(e.what());
        return false;
    }
}

std::vector<std::string> RatingsTab::selectedKeys() const {
    std::vector<std::string> keys;
    TRatings* r = ratings();
    if (!r) return keys;
    QModelIndexList rows = lvRatings_->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    for (const QModelIndex& i : rows)
        if (i.row() < r->count()) keys.push_back(r->rows()[static_cast<size_t>(i.row())].key);
    return keys;
}

void RatingsTab::addToScenario() {
    Session* s = host_.session();
    const auto keys = selectedKeys();
    if (!s || keys.empty()) return;
    int added = 0;
    {
        ui::BusyScope busy(host_.busyState());
        try {
            added = s->addRatingsToScenario(keys, host_.progress(), host_.interaction());
        } catch (const std::exception& e) {
            host_.interaction().error(e.what());
        }
    }
    if (added > 0) host_.scenarioChanged();
}

void RatingsTab::showStakesGraph(bool profit) {
    Session* s = host_.session();
    const auto keys = selectedKeys();
    if (!s || keys.empty()) return;
    std::vector<TGraphSeries> series;
    {
        ui::BusyScope busy(host_.busyState());
        ui::StatusScope status(host_.progress(), kStakesGraphText);
        try {
            series = stakesGraphSeries(s->stakes(), keys, profit);
        } catch (const std::exception& e) {
            host_.interaction().error(e.what());
            return;
        }
    }
    showGraphWindow(graph_, window(), QString::fromUtf8(profit ? kProfitsHint : kOverlapHint),
                    chartSeries(series, {0x0000FF, 0xFF0000, 0x008000, 0x800080, 0x008080, 0x000080, 0x808000}));
}

void RatingsTab::showDistribution() {
    TRatings* r = ratings();
    if (!r) return;
    TRatingsArray rows;
    QModelIndexList selected = lvRatings_->selectionModel()->selectedRows();
    std::sort(selected.begin(), selected.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    for (const QModelIndex& i : selected)
        if (i.row() < r->count()) rows.push_back(r->rows()[static_cast<size_t>(i.row())]);
    std::vector<TGraphSeries> series;
    try {
        series = ratingDistributionSeries(rows);
    } catch (const std::exception& e) {
        host_.interaction().error(e.what());
        return;
    }
    showGraphWindow(graph_, window(), QString::fromUtf8(kDistributionHint),
                    chartSeries(series, {0x808080, 0x0000FF, 0xFF0000, 0x008000, 0x800080, 0x008080}));
}

void RatingsTab::buildCommands() {
    auto selection = [this] { return hasSelection(); };
    auto notEmpty = [this] { return ratings() && !ratings()->empty(); };
    host_.addCommand({QStringLiteral("RatingsRefresh"), QStringLiteral("Обновить рейтинг"),
                      QStringLiteral("Пересчитать рейтинг по текущим данным"), [this] { refreshRatings(); },
                      [this] { return host_.session() && host_.session()->stakesOpen(); }});
    host_.addCommand({QStringLiteral("RatingsExport"), QStringLiteral("Экспорт рейтинга в CSV-файл"),
                      QStringLiteral("Экспортировать рейтинг в CSV-файл"),
                      [this] {
                          exportCsv(ui::chooseSaveFile(window(), QStringLiteral("Экспорт рейтинга в CSV-файл"),
                                                       "CSV-файлы (*.csv)|*.csv", QStringLiteral("csv")));
                      },
                      notEmpty});
    host_.addCommand({QStringLiteral("RatingsXlsExport"), QStringLiteral("Экспорт рейтинга в Microsoft Excel"),
                      QStringLiteral("Экспортировать рейтинг в Microsoft Excel"),
                      [this] {
                          ui::exportViewToExcel(*lvRatings_, caption(), host_.interaction(), host_.progress(),
                                                host_.busyState());
                      },
                      notEmpty});
    host_.addCommand({QStringLiteral("RatingsToScript"), QStringLiteral("Добавить в сценарий"),
                      QStringLiteral("Добавить выделенные строки рейтинга в сценарий"), [this] { addToScenario(); },
                      selection});
    host_.addCommand({QStringLiteral("StakesGraphOverlap"), QString::fromUtf8(kOverlapHint),
                      QString::fromUtf8(kOverlapHint), [this] { showStakesGraph(false); }, selection});
    host_.addCommand({QStringLiteral("StakesGraphProfits"), QString::fromUtf8(kProfitsHint),
                      QString::fromUtf8(kProfitsHint), [this] { showStakesGraph(true); }, selection});
    host_.addCommand({QStringLiteral("RatingsGraphOverlap"), QString::fromUtf8(kDistributionHint),
                      QStringLiteral("Распределение совпадений в сравнении с ожидаемым"),
                      [this] { showDistribution(); }, selection});
    const char* modeCaptions[] = {"Ожидаемые значения совпадений", "Абсолютные значения эффективности",
                                  "Относительные значения эффективности"};
    modes_ = new QActionGroup(this);
    for (int i = 0; i < 3; ++i) {
        QAction* a = host_.addCommand({QStringLiteral("RatingsEffMode%1").arg(i), QString::fromUtf8(modeCaptions[i]),
                                       QString::fromUtf8(modeCaptions[i]),
                                       [this, i] {
                                           setEffMode(static_cast<TRatingsEffMode>(i));
                                           host_.formSettings().ratingsEffMode = i;
                                           host_.writeKey("RatingsEffMode", int32_t{i});
                                       },
                                       {}, true});
        modes_->addAction(a);
    }
}

std::optional<TabMenu> RatingsTab::menu() const {
    return TabMenu{QStringLiteral("Рейтинг"),
                   lvRatings_,
                   {"RatingsRefresh", "", "RatingsToScript", "", "StakesGraphOverlap", "StakesGraphProfits",
                    "RatingsGraphOverlap", "", "RatingsExport", "RatingsXlsExport", "", "RatingsEffMode0",
                    "RatingsEffMode1", "RatingsEffMode2"}};
}

void RatingsTab::restoreSettings(const TFormMainSettings& s) {
    setEffMode(static_cast<TRatingsEffMode>(std::clamp(s.ratingsEffMode, 0, 2)));
}

}  // namespace tavlora::app
