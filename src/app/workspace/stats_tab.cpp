#include "app/workspace/stats_tab.h"

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineSeries>
#include <QMenu>
#include <QScrollBar>
#include <QSpinBox>
#include <QSplitter>
#include <QStyle>
#include <QTableView>
#include <QValueAxis>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>
#include <numeric>

#include "app/enter_key.h"
#include "app/favourites/method_description.h"
#include "app/workspace/norm_files.h"
#include "app/workspace/stat_table_model.h"
#include "core/format.h"
#include "session/session.h"
#include "stats/stat_list.h"
#include "ui/busy_state.h"
#include "ui/gui_progress.h"
#include "ui/progress_window.h"
#include "ui/text.h"
#include "ui/xlsx_export.h"
#include "workspace/comb_list.h"
#include "workspace/prefetch.h"
#include "workspace/stat_filter.h"
#include "workspace/stat_method.h"

namespace tavlora::app {

using ui::qs;
using ui::us;

namespace {

constexpr int kNormColumnWidth = 80;
constexpr std::size_t kMaxLabelledPoints = 16;
constexpr std::size_t kLabelledChars = 96;  // characters of point labels the chart's width holds

// Windows colour value (blue in the highest byte) to a Qt colour.
QColor windowsColor(uint32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

// Marks a computation as running for its lifetime.
struct ReentryGuard {
    explicit ReentryGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~ReentryGuard() { flag_ = false; }
    ReentryGuard(const ReentryGuard&) = delete;
    ReentryGuard& operator=(const ReentryGuard&) = delete;
    bool& flag_;
};

}  // namespace

// --- the tab ---------------------------------------------------------------------------------------

StatsTab::StatsTab(TabHost& host, QWidget* parent)
    : Tab(host, "tsStat", QStringLiteral("Статистика"), std::nullopt, parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    auto* row = new QHBoxLayout;
    cbDrawsStatType_ = new QComboBox(this);
    cbDrawsStatType_->setObjectName(QStringLiteral("cbDrawsStatType"));
    cbDrawsStatType_->setStatusTip(QStringLiteral("Вид расчета статистики"));
    cbDrawsStatType_->setToolTip(cbDrawsStatType_->statusTip());
    cbDrawsStatType_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cbDrawsStatType_->setMinimumContentsLength(40);
    auto* statLen = new StepSpinBox(this);
    statLen->setOnStep([this] { recompute(false); });
    edDrawsStatLen_ = statLen;
    edDrawsStatLen_->setObjectName(QStringLiteral("edDrawsStatLen"));
    edDrawsStatLen_->setRange(1, std::numeric_limits<int>::max());
    edDrawsStatLen_->setValue(1000);
    edDrawsStatLen_->setKeyboardTracking(false);
    edDrawsStatLen_->setStatusTip(QStringLiteral("Количество тиражей, использующихся для расчета статистики"));
    edDrawsStatLen_->setToolTip(edDrawsStatLen_->statusTip());
    new SpinEnterFilter(edDrawsStatLen_, [this] { recompute(false); });
    row->addWidget(cbDrawsStatType_, 1);
    row->addWidget(new QLabel(QStringLiteral("Тиражей:"), this));
    row->addWidget(edDrawsStatLen_);
    layout->addLayout(row);

    splitter_ = new QSplitter(Qt::Vertical, this);
    lvDrawsStat_ = new QTableView(splitter_);
    lvDrawsStat_->setObjectName(QStringLiteral("lvDrawsStat"));
    model_ = new StatTableModel(lvDrawsStat_);
    lvDrawsStat_->setModel(model_);
    lvDrawsStat_->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvDrawsStat_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvDrawsStat_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvDrawsStat_->setContextMenuPolicy(Qt::ActionsContextMenu);
    lvDrawsStat_->verticalHeader()->hide();
    lvDrawsStat_->verticalHeader()->setDefaultSectionSize(20);
    lvDrawsStat_->horizontalHeader()->setSectionsClickable(true);
    lvDrawsStat_->horizontalHeader()->setSortIndicatorShown(true);
    lvDrawsStat_->horizontalHeader()->setMinimumSectionSize(0);
    lvDrawsStat_->horizontalHeader()->setSortIndicator(sort_.column, Qt::AscendingOrder);
    // Every header caption fits, with room for the sort indicator.
    for (int c = 0; c < kStatColumnCount; ++c)
        lvDrawsStat_->setColumnWidth(
            c, std::max(c == 0 ? 110 : 60, lvDrawsStat_->horizontalHeader()->sectionSizeHint(c)));
    connect(lvDrawsStat_->horizontalHeader(), &QHeaderView::sectionClicked, this, &StatsTab::clickColumn);
    buildValueColumn();

    crtDrawsStat_ = new QChartView(splitter_);
    crtDrawsStat_->setObjectName(QStringLiteral("crtDrawsStat"));
    crtDrawsStat_->setRenderHint(QPainter::Antialiasing);
    clearChart();
    splitter_->addWidget(lvDrawsStat_);
    splitter_->addWidget(crtDrawsStat_);
    splitter_->setStretchFactor(0, 1);
    layout->addWidget(splitter_);

    connect(cbDrawsStatType_, &QComboBox::currentIndexChanged, this, [this] { recompute(false); });
    applyNormColumns();
}

void StatsTab::sessionOpened() { gate_.reset(); }

void StatsTab::setOptions(const StatsTabOptions& options) {
    options_ = options;
    applyNormColumns();
}

void StatsTab::applyNormColumns() {
    for (int c = 3; c <= 5; ++c) lvDrawsStat_->setColumnWidth(c, options_.prefetchsEnabled ? kNormColumnWidth : 0);
}

int StatsTab::selectedMethod() const {
    const QVariant v = cbDrawsStatType_->currentData();
    return v.isValid() ? v.toInt() : -1;
}

void StatsTab::fillMethodList(bool keepSelection) {
    const int previous = cbDrawsStatType_->currentIndex();
    {
        const QSignalBlocker block(cbDrawsStatType_);
        cbDrawsStatType_->clear();
        if (const Session* session = host_.session()) {
            const TStatList& registry = session->statList();
            for (int i : registry.methodListIndices(false)) cbDrawsStatType_->addItem(qs(registry.listCaption(i, true)), i);
        }
        const int index = keepSelection && previous >= 0 && previous < cbDrawsStatType_->count() ? previous : 0;
        cbDrawsStatType_->setCurrentIndex(cbDrawsStatType_->count() > 0 ? index : -1);
    }
    gate_.reset();
}

void StatsTab::clickColumn(int column) {
    sort_.click(column);
    for (QTableView* v : {lvDrawsStat_, frozen_})
        v->horizontalHeader()->setSortIndicator(sort_.column, sort_.descending ? Qt::DescendingOrder : Qt::AscendingOrder);
    model_->sortRows(sort_);
}

void StatsTab::buildValueColumn() {
    // A second view of the same rows and selection over the left edge of the table, showing only
    // the "Значение" column: scrolled sideways, the table still shows which value a row is.
    frozen_ = new QTableView(lvDrawsStat_);
    frozen_->setObjectName(QStringLiteral("lvDrawsStatValue"));
    frozen_->setModel(model_);
    frozen_->setSelectionModel(lvDrawsStat_->selectionModel());
    frozen_->setSelectionBehavior(QAbstractItemView::SelectRows);
    frozen_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    frozen_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    frozen_->setFocusPolicy(Qt::NoFocus);
    frozen_->verticalHeader()->hide();
    frozen_->verticalHeader()->setDefaultSectionSize(lvDrawsStat_->verticalHeader()->defaultSectionSize());
    frozen_->horizontalHeader()->setSectionsClickable(true);
    frozen_->horizontalHeader()->setSortIndicatorShown(true);
    frozen_->horizontalHeader()->setSortIndicator(sort_.column, Qt::AscendingOrder);
    frozen_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    frozen_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    frozen_->setVerticalScrollMode(lvDrawsStat_->verticalScrollMode());
    frozen_->setFrameShape(QFrame::NoFrame);
    frozen_->setStyleSheet(QStringLiteral("QTableView { border-right: 1px solid palette(mid); }"));
    auto hideOthers = [this] {
        for (int c = 1; c < kStatColumnCount; ++c) frozen_->setColumnHidden(c, true);
        frozen_->setColumnWidth(0, lvDrawsStat_->columnWidth(0));
    };
    hideOthers();
    connect(model_, &QAbstractItemModel::modelReset, frozen_, hideOthers);
    connect(frozen_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int c) {
        if (c == 0) clickColumn(0);
    });
    // Both views scroll together; the value column follows the table's width of that column.
    connect(frozen_->verticalScrollBar(), &QAbstractSlider::valueChanged, lvDrawsStat_->verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(lvDrawsStat_->verticalScrollBar(), &QAbstractSlider::valueChanged, frozen_->verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(lvDrawsStat_->horizontalHeader(), &QHeaderView::sectionResized, this, [this](int c, int, int size) {
        if (c != 0) return;
        frozen_->setColumnWidth(0, size);
        placeValueColumn();
    });
    // The table's context menu over the value column too.
    frozen_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(frozen_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (!lvDrawsStat_->actions().isEmpty())
            QMenu::exec(lvDrawsStat_->actions(), frozen_->viewport()->mapToGlobal(at), nullptr, frozen_);
    });
    connect(lvDrawsStat_->horizontalScrollBar(), &QAbstractSlider::valueChanged, this, &StatsTab::placeValueColumn);
    lvDrawsStat_->installEventFilter(this);
    lvDrawsStat_->viewport()->stackUnder(frozen_);
    placeValueColumn();
}

void StatsTab::placeValueColumn() {
    const int frame = lvDrawsStat_->frameWidth();
    frozen_->setGeometry(frame, frame, lvDrawsStat_->columnWidth(0),
                         lvDrawsStat_->viewport()->height() + lvDrawsStat_->horizontalHeader()->height());
    // Hidden while the column is not scrolled away, where the table shows it itself.
    frozen_->setVisible(lvDrawsStat_->horizontalScrollBar()->value() > 0);
}

bool StatsTab::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lvDrawsStat_ && (event->type() == QEvent::Resize || event->type() == QEvent::Show))
        placeValueColumn();
    return Tab::eventFilter(watched, event);
}

std::vector<std::size_t> StatsTab::selectedRows() const {
    std::vector<std::size_t> rows;
    if (!lvDrawsStat_->selectionModel()) return rows;
    for (const QModelIndex& i : lvDrawsStat_->selectionModel()->selectedRows()) rows.push_back(static_cast<std::size_t>(i.row()));
    std::sort(rows.begin(), rows.end());
    return rows;
}

void StatsTab::recompute(bool force) {
    // The event loop runs during long work (a norm build, a filter): a page change or another
    // trigger arriving meanwhile must not start a second computation over the first one.
    Session* session = host_.session();
    if (!session || computing_) return;
    const ReentryGuard guard(computing_);
    const TStatViewKey key{session->archive().count(), session->drawsOffset(), edDrawsStatLen_->value(),
                           selectedMethod()};
    if (!gate_.begin(key, force)) return;
    const int method = selectedMethod();
    table_ = TStatTable{};
    norms_.reset();
    model_->setRows({});
    clearChart();
    if (method < 0 || session->draws().empty()) return;

    ui::BusyScope busy(host_.busyState());
    const TStatList& registry = session->statList();
    if (options_.prefetchsEnabled && methodHasNorm(registry, method)) {
        // A missing norm file is built first, under a progress window whose "Отмена" stops it.
        const auto file = prefetchPath(session->dataDir(), statMethodCode(registry, method));
        std::error_code ec;
        const bool missing = !std::filesystem::exists(file, ec) || std::filesystem::file_size(file, ec) == 0;
        std::unique_ptr<ui::ProgressWindow> window;
        if (missing && !ui::ProgressWindow::current())
            window = std::make_unique<ui::ProgressWindow>(
                this, qs(fmt(kPrefetchCreatingText, file.filename().string())), 0, true);
        norms_ = openPrefetchFile(registry, method, session->dataDir(), host_.progress(), host_.interaction());
    }
    ui::StatusScope status(host_.progress(), kStatComputingText);
    TStatTableInput in = session->statTableInput(edDrawsStatLen_->value(), norms_ ? &*norms_ : nullptr);
    in.showTotalLine = options_.showTotalLine;
    try {
        table_ = computeStatTable(registry, method, in);
    } catch (const std::exception& e) {
        host_.interaction().error(e.what());
        return;
    }
    model_->setRows(table_.rows);
    model_->sortRows(sort_);
    // Long value texts (matrix masks, channel ranges) widen the value column rather than being cut.
    int fit = 0;
    for (const TStatTableRow& r : table_.rows) fit = std::max(fit, lvDrawsStat_->fontMetrics().horizontalAdvance(qs(r.cells[0])));
    fit += 2 * lvDrawsStat_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 8;
    if (fit > lvDrawsStat_->columnWidth(0)) lvDrawsStat_->setColumnWidth(0, fit);
    buildChart();
}

void StatsTab::clearChart() {
    // A fresh chart each time: axes removed from a live chart can leave their labels drawn.
    QChart* old = crtDrawsStat_->chart();
    auto* chart = new QChart;
    chart->legend()->setAlignment(Qt::AlignRight);
    QFont legendFont = chart->legend()->font();
    legendFont.setPointSize(7);
    chart->legend()->setFont(legendFont);
    chart->setMargins(QMargins(0, 0, 0, 0));
    chart->setBackgroundRoundness(0);
    crtDrawsStat_->setChart(chart);
    delete old;
}

void StatsTab::buildChart() {
    QChart* chart = crtDrawsStat_->chart();
    if (table_.chart.actual.empty()) return;
    // The points are labelled with their value texts; of many points every step-th one, so that
    // the labels do not run into each other.
    const auto& labelled = table_.chart.total.empty() ? table_.chart.actual : table_.chart.total;
    auto* axisX = new QCategoryAxis;
    axisX->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    std::size_t longest = 1;
    for (const TChartPoint& p : labelled) longest = std::max(longest, static_cast<std::size_t>(qs(p.label).size()));
    const std::size_t labels = std::clamp<std::size_t>(kLabelledChars / longest, 4, kMaxLabelledPoints);
    const std::size_t step = (labelled.size() + labels - 1) / labels;
    for (std::size_t i = 0; i < labelled.size(); i += step) axisX->append(qs(labelled[i].label), labelled[i].x);
    axisX->setStartValue(labelled.front().x);
    auto* axisY = new QValueAxis;
    axisY->setLabelFormat(QStringLiteral("%d"));
    // Small labels and few ticks: the chart is a low strip under the table.
    QFont small = axisX->labelsFont();
    small.setPointSize(7);
    axisX->setLabelsFont(small);
    axisY->setLabelsFont(small);
    axisY->setTickCount(3);
    chart->addAxis(axisX, Qt::AlignBottom);
    chart->addAxis(axisY, Qt::AlignLeft);
    double maxX = 1, maxY = 1;
    auto addSeries = [&](const std::vector<TChartPoint>& points, const char* name, QColor colour, int width,
                         bool markers) {
        auto* series = new QLineSeries;
        series->setName(QString::fromUtf8(name));
        QPen pen(colour);
        pen.setWidth(width);
        series->setPen(pen);
        for (const TChartPoint& p : points) {
            series->append(p.x, p.y);
            maxX = std::max(maxX, p.x);
            maxY = std::max(maxY, p.y);
        }
        if (markers) {
            // 2×2 point markers drawn with the marker colour.
            QImage marker(2, 2, QImage::Format_ARGB32);
            marker.fill(windowsColor(0xFF00FF));
            series->setLightMarker(marker);
            series->setMarkerSize(2);
        }
        chart->addSeries(series);
        series->attachAxis(axisX);
        series->attachAxis(axisY);
    };
    addSeries(table_.chart.actual, kStatChartActual, windowsColor(0x008000), 2, true);
    if (!table_.chart.total.empty()) addSeries(table_.chart.total, kStatChartTotal, windowsColor(0x0000FF), 1, false);
    axisX->setRange(labelled.front().x, maxX);
    axisY->setRange(0, maxY * 1.05);
    axisY->applyNiceNumbers();
}

bool StatsTab::filterSelected(bool remove) {
    Session* session = host_.session();
    if (!session || computing_) return false;
    const ReentryGuard guard(computing_);
    const int method = selectedMethod();
    const auto rows = selectedRows();
    if (method < 0 || rows.empty()) return false;
    const TStatFilterRequest request = session->statFilterRequest(method, model_->rows(), rows, remove);
    bool ran = false;
    {
        ui::BusyScope busy(host_.busyState());
        ui::StatusScope status(host_.progress(), kStatFilterText);
        try {
            ran = statFilter(session->combList(), session->statList(), method, request, host_.progress());
        } catch (const std::exception& e) {
            host_.interaction().error(e.what());
        }
    }
    host_.combListChanged();
    return ran;
}

QString StatsTab::methodDescription() const {
    const Session* session = host_.session();
    if (!session) return {};
    const int method = selectedMethod();
    if (method < 0) return {};
    const TStatList& registry = session->statList();
    const TStatMethod& m = registry.item(method);
    const TStatClassInfo& cls = m.statClass();
    const TStatKinds kinds = cls.kindsWithGraph();
    QString html;
    html += QStringLiteral("<h3>%1</h3>").arg(qs(m.displayCaption()).toHtmlEscaped());
    html += QStringLiteral("<p><b>Код:</b> %1<br><b>Группа:</b> %2</p>")
                .arg(qs(m.code()).toHtmlEscaped(), qs(groupText(cls.group)).toHtmlEscaped());
    html += QStringLiteral("<p><b>Признаки:</b> %1</p><ul>").arg(qs(kindLetters(kinds)));
    if (kinds & kindS) html += QStringLiteral("<li>S — значение зависит от порядка чисел в тираже;</li>");
    if (kinds & kindN) html += QStringLiteral("<li>N — для значений рассчитывается норма по полному набору комбинаций;</li>");
    if (kinds & kindD) html += QStringLiteral("<li>D — тираж сравнивается с предыдущим тиражом;</li>");
    if (kinds & kindP) html += QStringLiteral("<li>P — метод периодов;</li>");
    if (kinds & kindG) html += QStringLiteral("<li>G — метод строит график: одно число на тираж;</li>");
    html += QStringLiteral("</ul>");
    html += QStringLiteral(
                "<p>Метод вычисляет для каждого тиража окна значение «%1» и показывает, сколько раз каждое "
                "значение встретилось, как давно оно было в последний раз и с какими периодами повторялось. "
                "Выделенные значения можно оставить в списке комбинаций или удалить из него.</p>")
                .arg(qs(m.displayCaption()).toHtmlEscaped());
    return html;
}

void StatsTab::showDescription() {
    const Session* session = host_.session();
    const int method = selectedMethod();
    if (!session || method < 0) return;
    MethodDescriptionWindow window(*session, method, this->window());
    window.exec();
}

void StatsTab::togglePrefetchsEnabled() {
    TFormMainSettings& form = host_.formSettings();
    form.prefetchsEnabled = !form.prefetchsEnabled;
    host_.action(QStringLiteral("DrawsStatePrefetchsEnabled"))->setChecked(form.prefetchsEnabled);
    host_.writeKey("PrefetchsEnabled", form.prefetchsEnabled);
    if (Session* session = host_.session()) session->setNormsEnabled(form.prefetchsEnabled);
    ensureNormFiles(window(), host_, false, {});
    setOptions({form.prefetchsEnabled, form.showTotalLine});
    refreshView(true);
}

void StatsTab::toggleShowTotalLine() {
    TFormMainSettings& form = host_.formSettings();
    form.showTotalLine = !form.showTotalLine;
    host_.action(QStringLiteral("DrawsStatShowTotalLine"))->setChecked(form.showTotalLine);
    host_.writeKey("ShowTotalLine", form.showTotalLine);
    setOptions({form.prefetchsEnabled, form.showTotalLine});
    ui::StatusScope status(host_.progress(), "Создание графиков...");
    refreshView(true);
}

// --- the tab in the window -------------------------------------------------------------------------

void StatsTab::buildCommands() {
    auto haveSession = [this] { return host_.session() != nullptr; };
    // A table waiting to be recomputed (hidden while the draws changed) offers no values to filter.
    auto canFilter = [this] {
        Session* session = host_.session();
        return session && session->hasCombList() && session->combList().count() > 0 && !viewStale() &&
               !selectedRows().empty();
    };
    host_.addCommand({QStringLiteral("DrawsStatCalc"), QStringLiteral("Обновить"),
                      QStringLiteral("Пересчитать статистику"), [this] { refreshView(true); }, haveSession});
    host_.addCommand({QStringLiteral("StatFilter_Include"), QStringLiteral("Оставить выделенные"),
                      QStringLiteral("Оставить в списке комбинации с выделенными значениями"),
                      [this] { filterSelected(false); }, canFilter});
    host_.addCommand({QStringLiteral("StatFilter_Exclude"), QStringLiteral("Удалить выделенные"),
                      QStringLiteral("Удалить из списка комбинации с выделенными значениями"),
                      [this] { filterSelected(true); }, canFilter});
    host_.addCommand({QStringLiteral("DrawsStatePrefetchsEnabled"),
                      QStringLiteral("Использовать сравнение с полным набором комбинаций"),
                      QStringLiteral("Сравнивать статистику с нормой по полному набору комбинаций"),
                      [this] { togglePrefetchsEnabled(); }, haveSession, true});
    host_.addCommand({QStringLiteral("DrawsStatShowTotalLine"), QStringLiteral("График идеального распределения"),
                      QStringLiteral("Показывать на графике распределение по полному набору комбинаций"),
                      [this] { toggleShowTotalLine(); }, [this] { return host_.formSettings().prefetchsEnabled; },
                      true});
    host_.addCommand({QStringLiteral("DrawsStatExportToExcel"), QStringLiteral("Экспорт статистики в Microsoft Excel"),
                      QStringLiteral("Экспорт таблицы статистики в Microsoft Excel"),
                      [this] {
                          ui::exportViewToExcel(*lvDrawsStat_, caption(), host_.interaction(), host_.progress(),
                                                host_.busyState());
                      },
                      [this] { return lvDrawsStat_->model() && lvDrawsStat_->model()->rowCount() > 0; }});
    host_.addCommand({QStringLiteral("FiltersInfo"), QStringLiteral("Описание статистики"),
                      QStringLiteral("Описание выбранного метода расчета статистики"), [this] { showDescription(); },
                      [this] { return selectedMethod() >= 0; }});
}

std::optional<TabMenu> StatsTab::menu() const {
    return TabMenu{QStringLiteral("Статистика"),
                   lvDrawsStat_,
                   // The norms switch starts a long rebuild: it stands apart from the filter
                   // commands, after the description, so that a slip from "Удалить выделенные"
                   // does not reach it.
                   {"DrawsStatCalc", "", "StatFilter_Include", "StatFilter_Exclude", "", "DrawsStatExportToExcel", "FiltersInfo", "FiltersManager", "FiltersReset", "",
                    "DrawsStatePrefetchsEnabled", "DrawsStatShowTotalLine"}};
}

void StatsTab::restoreSettings(const TFormMainSettings& s) {
    host_.action(QStringLiteral("DrawsStatePrefetchsEnabled"))->setChecked(s.prefetchsEnabled);
    host_.action(QStringLiteral("DrawsStatShowTotalLine"))->setChecked(s.showTotalLine);
    edDrawsStatLen_->setValue(std::max(1, s.drawsStatLen));
    setOptions({s.prefetchsEnabled, s.showTotalLine});
    splitter_->setSizes({std::max(100, window()->height() - s.drawsStatHeight), std::max(0, s.drawsStatHeight)});
}

void StatsTab::saveSettings(TFormMainSettings& s) const {
    s.drawsStatLen = edDrawsStatLen_->value();
    if (const QList<int> sizes = splitter_->sizes(); sizes.size() == 2 && sizes[1] > 0) s.drawsStatHeight = sizes[1];
}

void StatsTab::enableControls(bool on) {
    cbDrawsStatType_->setEnabled(on);
    // Read-only rather than disabled while work runs, so that the field keeps the keyboard focus.
    edDrawsStatLen_->setEnabled(host_.session() != nullptr);
    edDrawsStatLen_->setReadOnly(!on);
}

}  // namespace tavlora::app
