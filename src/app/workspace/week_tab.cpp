#include "app/workspace/week_tab.h"

#include <QAction>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QSpinBox>
#include <QSplitter>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>
#include <QValueAxis>
#include <limits>
#include <set>

#include "app/enter_key.h"
#include "app/workspace/chart_drawing.h"
#include "app/workspace/grid_filter.h"
#include "session/session.h"
#include "ui/busy_state.h"
#include "ui/chart_panel.h"
#include "ui/gui_progress.h"
#include "ui/text.h"

namespace tavlora::app {

using ui::qs;

// --- model -----------------------------------------------------------------------------------------

void WeekModel::setTable(TWeekTable table) {
    beginResetModel();
    table_ = table;
    endResetModel();
}

int WeekModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 7; }

int WeekModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 70; }

QVariant WeekModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const int day = index.row() + 1;
    const int number = index.column();
    if (role == Qt::DisplayRole) {
        if (number == 0) return qs(kWeekdayShortNames[static_cast<std::size_t>(index.row())]);
        const int32_t c = table_.count(number, day);
        return c ? QVariant(c) : QVariant();
    }
    if (role == Qt::BackgroundRole && number > 0) {
        const int32_t c = table_.count(number, day);
        return c ? QVariant(rgbColor(weekCellColor(c, table_.maxCount))) : QVariant();
    }
    if (role == Qt::TextAlignmentRole) return QVariant(Qt::AlignCenter);
    return {};
}

QVariant WeekModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    return section == 0 ? QString() : QString::number(section);
}

// --- tab -------------------------------------------------------------------------------------------

WeekTab::WeekTab(TabHost& host, QWidget* parent)
    : Tab(host, "tsWeek", QStringLiteral("Неделя"),
          tabToggle("TabWeek", "Неделя", "TabWeek", &TFormMainSettings::tabWeek), parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    auto* row = new QHBoxLayout;
    edWeekLen_ = new QSpinBox(this);
    edWeekLen_->setObjectName(QStringLiteral("edWeekLen"));
    edWeekLen_->setRange(1, std::numeric_limits<int>::max());
    edWeekLen_->setValue(1000);
    edWeekLen_->setKeyboardTracking(false);
    edWeekLen_->setStatusTip(QStringLiteral("Количество тиражей, использующихся для статистики по дням недели"));
    edWeekLen_->setToolTip(edWeekLen_->statusTip());
    new SpinEnterFilter(edWeekLen_, [this] { refreshView(false); });
    auto* refresh = new QToolButton(this);
    refresh->setObjectName(QStringLiteral("btnWeekRefresh"));
    row->addWidget(new QLabel(QStringLiteral("Тиражей:"), this));
    row->addWidget(edWeekLen_);
    row->addWidget(refresh);
    row->addStretch(1);
    layout->addLayout(row);

    splitter_ = new QSplitter(Qt::Vertical, this);
    model_ = new WeekModel(this);
    sgWeek_ = new QTableView(splitter_);
    sgWeek_->setObjectName(QStringLiteral("sgWeek"));
    sgWeek_->setModel(model_);
    sgWeek_->verticalHeader()->hide();
    sgWeek_->verticalHeader()->setDefaultSectionSize(18);
    sgWeek_->horizontalHeader()->setDefaultSectionSize(26);
    sgWeek_->horizontalHeader()->setMinimumSectionSize(16);
    sgWeek_->setColumnWidth(0, 36);
    sgWeek_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    crtWeek_ = new ui::ChartPanel(splitter_);
    crtWeek_->setObjectName(QStringLiteral("crtWeek"));
    crtWeek_->setMarksVisible(false);
    splitter_->setStretchFactor(1, 1);
    layout->addWidget(splitter_, 1);
    connect(sgWeek_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { drawChart(); });
    QMetaObject::invokeMethod(
        this,
        [this, refresh] {
            if (QAction* a = host_.action(QStringLiteral("WeekRefresh"))) refresh->setDefaultAction(a);
        },
        Qt::QueuedConnection);
}

void WeekTab::recompute(bool force) {
    Session* session = host_.session();
    if (!session) return;
    const std::array<int, 3> key{session->archive().count(), session->drawsOffset(), edWeekLen_->value()};
    if (!force && key_ == key) return;
    ui::BusyScope busy(host_.busyState());
    StatusScope status(host_.progress(), kWeekStatusText);
    const QModelIndex current = sgWeek_->currentIndex();
    model_->setTable(session->weekTable(edWeekLen_->value()));
    sgWeek_->setCurrentIndex(model_->index(current.isValid() ? current.row() : 0, current.isValid() ? current.column() : 1));
    key_ = key;
    drawChart();
}

void WeekTab::drawChart() {
    crtWeek_->clear();
    const QModelIndex current = sgWeek_->currentIndex();
    if (!current.isValid()) return;
    const TFormMainSettings& form = host_.formSettings();
    const bool byWeekday = form.weekChartMode == 1;
    const int number = std::max(1, current.column());
    const std::vector<TWeekChartPoint> points = weekChartPoints(model_->table(), byWeekday, number, current.row() + 1);
    const QString title = byWeekday ? QStringLiteral("Число %1").arg(number)
                                    : qs(kWeekdayShortNames[static_cast<std::size_t>(current.row())]);
    if (form.weekChartType) {
        ui::ChartSeriesStyle style;
        style.color = windowsColor(0x008000);
        style.width = 2;
        style.markers = true;
        style.markerSize = 2;
        style.markerColor = windowsColor(0xFF00FF);
        style.marks = false;
        QLineSeries* series = crtWeek_->series(title, style);
        for (const TWeekChartPoint& p : points) ui::ChartPanel::addPoint(series, p.x, p.y);
        crtWeek_->finish();
        return;
    }
    QChart* chart = crtWeek_->chart();
    auto* set = new QBarSet(title);
    set->setColor(windowsColor(0x008000));
    QStringList labels;
    int32_t top = 1;
    for (const TWeekChartPoint& p : points) {
        *set << p.y;
        labels << qs(p.label);
        top = std::max(top, p.y);
    }
    auto* bars = new QBarSeries;
    bars->append(set);
    chart->addSeries(bars);
    auto* axisX = new QBarCategoryAxis;
    axisX->append(labels);
    auto* axisY = new QValueAxis;
    axisY->setRange(0, top);
    axisY->setLabelFormat(QStringLiteral("%d"));
    chart->addAxis(axisX, Qt::AlignBottom);
    chart->addAxis(axisY, Qt::AlignLeft);
    bars->attachAxis(axisX);
    bars->attachAxis(axisY);
}

std::vector<int32_t> WeekTab::selectedNumbers() const {
    std::vector<int32_t> numbers;
    std::set<int> columns;
    for (const QModelIndex& cell : selectedCellsByColumn(*sgWeek_))
        if (cell.column() >= 1 && columns.insert(cell.column()).second) numbers.push_back(cell.column());
    return numbers;
}

bool WeekTab::filterSelected(bool remove) { return filterByGridNumbers(host_, selectedNumbers(), caption(), remove); }

void WeekTab::buildCommands() {
    auto canFilter = [this] {
        return combListHasRows(host_) && host_.formSettings().tabWeek && sgWeek_->selectionModel()->hasSelection();
    };
    auto haveSession = [this] { return host_.session() != nullptr; };
    host_.addCommand({QStringLiteral("WeekRefresh"), QStringLiteral("Обновить"),
                      QStringLiteral("Построить статистику по дням недели заново"), [this] { refreshView(true); },
                      haveSession});
    host_.addCommand({QStringLiteral("WeekFilter_Include"), QStringLiteral("Оставить выделенные"),
                      QStringLiteral("Оставить комбинации, содержащие числа выделенных колонок"),
                      [this] { filterSelected(false); }, canFilter});
    host_.addCommand({QStringLiteral("WeekFilter_Exclude"), QStringLiteral("Удалить выделенные"),
                      QStringLiteral("Удалить комбинации, содержащие числа выделенных колонок"),
                      [this] { filterSelected(true); }, canFilter});
    QAction* mode = host_.addCommand({QStringLiteral("WeekChartMode"), QStringLiteral("График по дням недели"),
                                      QStringLiteral("График числа по дням недели или дня недели по числам"),
                                      [this] {
                                          TFormMainSettings& form = host_.formSettings();
                                          form.weekChartMode = form.weekChartMode == 1 ? 0 : 1;
                                          host_.action(QStringLiteral("WeekChartMode"))->setChecked(form.weekChartMode == 1);
                                          host_.writeKey("WeekChartMode", form.weekChartMode);
                                          drawChart();
                                      },
                                      {}, true});
    mode->setChecked(host_.formSettings().weekChartMode == 1);
    QAction* type = host_.addCommand({QStringLiteral("WeekChartType"), QStringLiteral("График / диаграмма"),
                                      QStringLiteral("Линия или столбцы"),
                                      [this] {
                                          TFormMainSettings& form = host_.formSettings();
                                          form.weekChartType = !form.weekChartType;
                                          host_.action(QStringLiteral("WeekChartType"))->setChecked(form.weekChartType);
                                          host_.writeKey("WeekChartType", form.weekChartType);
                                          drawChart();
                                      },
                                      {}, true});
    type->setChecked(host_.formSettings().weekChartType);
}

std::optional<TabMenu> WeekTab::menu() const {
    return TabMenu{QStringLiteral("&Неделя"),
                   sgWeek_,
                   {"WeekRefresh", "", "WeekFilter_Include", "WeekFilter_Exclude", "", "WeekChartMode",
                    "WeekChartType"}};
}

void WeekTab::restoreSettings(const TFormMainSettings& s) {
    edWeekLen_->setValue(std::max(1, s.weekLen));
    if (QAction* a = host_.action(QStringLiteral("WeekChartMode"))) a->setChecked(s.weekChartMode == 1);
    if (QAction* a = host_.action(QStringLiteral("WeekChartType"))) a->setChecked(s.weekChartType);
    const int total = splitter_->height();
    if (s.weekHeight > 0 && total > s.weekHeight) splitter_->setSizes({s.weekHeight, total - s.weekHeight});
}

void WeekTab::saveSettings(TFormMainSettings& s) const {
    s.weekLen = edWeekLen_->value();
    if (!splitter_->sizes().isEmpty() && splitter_->sizes()[0] > 0) s.weekHeight = splitter_->sizes()[0];
}

void WeekTab::enableControls(bool on) { edWeekLen_->setEnabled(on); }

}  // namespace tavlora::app
