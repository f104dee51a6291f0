#include "app/workspace/graphs_tab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>
#include <limits>

#include "app/enter_key.h"
#include "app/workspace/chart_drawing.h"
#include "ui/window_settings.h"
#include "app/workspace/repeats_dialog.h"
#include "session/session.h"
#include "stats/stat_list.h"
#include "ui/busy_state.h"
#include "ui/chart_window.h"
#include "ui/gui_progress.h"
#include "ui/text.h"

namespace tavlora::app {

using ui::qs;

GraphsTab::GraphsTab(TabHost& host, QWidget* parent)
    : Tab(host, "tsGraphs", QStringLiteral("Графики"),
          tabToggle("TabGraps", "Графики", "TabGraphs", &TFormMainSettings::tabGraphs), parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    auto* row = new QHBoxLayout;
    cbDrawsGraphType_ = new QComboBox(this);
    cbDrawsGraphType_->setObjectName(QStringLiteral("cbDrawsGraphType"));
    cbDrawsGraphType_->setStatusTip(QStringLiteral("Тип графика"));
    cbDrawsGraphType_->setToolTip(cbDrawsGraphType_->statusTip());
    cbDrawsGraphType_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cbDrawsGraphType_->setMinimumContentsLength(30);
    edDrawsGraphLen_ = new QSpinBox(this);
    edDrawsGraphLen_->setObjectName(QStringLiteral("edDrawsGraphLen"));
    edDrawsGraphLen_->setRange(1, std::numeric_limits<int>::max());
    edDrawsGraphLen_->setValue(100);
    edDrawsGraphLen_->setKeyboardTracking(false);
    edDrawsGraphLen_->setStatusTip(QStringLiteral("Количество тиражей, использующихся для построения графиков"));
    edDrawsGraphLen_->setToolTip(edDrawsGraphLen_->statusTip());
    new SpinEnterFilter(edDrawsGraphLen_, [this] { refreshView(false); });
    cbMarks_ = new QCheckBox(QStringLiteral("Отображать метки на графике"), this);
    cbMarks_->setObjectName(QStringLiteral("cbDrawsGraphMarks"));
    auto* refresh = new QToolButton(this);
    refresh->setObjectName(QStringLiteral("btnDrawsGraphDraw"));
    row->addWidget(cbDrawsGraphType_, 1);
    row->addWidget(new QLabel(QStringLiteral("Тиражей:"), this));
    row->addWidget(edDrawsGraphLen_);
    row->addWidget(cbMarks_);
    row->addWidget(refresh);
    layout->addLayout(row);
    crtDrawsGraph_ = new ui::ChartPanel(this);
    crtDrawsGraph_->setObjectName(QStringLiteral("crtDrawsGraph"));
    crtDrawsGraph_->setMarksVisible(false);
    layout->addWidget(crtDrawsGraph_, 1);

    connect(cbDrawsGraphType_, &QComboBox::currentIndexChanged, this, [this] { refreshView(false); });
    connect(cbMarks_, &QCheckBox::toggled, crtDrawsGraph_, &ui::ChartPanel::setMarksVisible);
    // The refresh button runs the command, once the commands exist.
    QMetaObject::invokeMethod(
        this,
        [this, refresh] {
            if (QAction* a = host_.action(QStringLiteral("DrawsGraphDraw"))) refresh->setDefaultAction(a);
        },
        Qt::QueuedConnection);
}

int GraphsTab::selectedMethod() const {
    const QVariant v = cbDrawsGraphType_->currentData();
    return v.isValid() ? v.toInt() : -1;
}

void GraphsTab::fillMethodList(bool keepSelection) {
    const int previous = cbDrawsGraphType_->currentIndex();
    {
        const QSignalBlocker block(cbDrawsGraphType_);
        cbDrawsGraphType_->clear();
        if (const Session* session = host_.session()) {
            const TStatList& registry = session->statList();
            for (int i : registry.methodListIndices(true)) cbDrawsGraphType_->addItem(qs(registry.listCaption(i, true)), i);
        }
        const int index = keepSelection && previous >= 0 && previous < cbDrawsGraphType_->count() ? previous : 0;
        cbDrawsGraphType_->setCurrentIndex(cbDrawsGraphType_->count() > 0 ? index : -1);
    }
    gate_.reset();
}

void GraphsTab::recompute(bool force) {
    Session* session = host_.session();
    if (!session || computing_) return;
    const TStatViewKey key{session->archive().count(), session->drawsOffset(), edDrawsGraphLen_->value(),
                           selectedMethod()};
    if (!gate_.begin(key, force)) return;
    computing_ = true;
    crtDrawsGraph_->clear();
    const int method = selectedMethod();
    if (method >= 0 && !session->draws().empty()) {
        ui::BusyScope busy(host_.busyState());
        ui::StatusScope status(host_.progress(), kGraphStatusText);
        try {
            const TDrawsGraph graph = session->drawsGraph(method, edDrawsGraphLen_->value());
            if (!graph.empty())
                drawSeries(*crtDrawsGraph_,
                           drawsGraphSeries(graph, session->statList().item(method).displayCaption(), true));
        } catch (const std::exception& e) {
            host_.interaction().error(e.what());
        }
    }
    computing_ = false;
}

void GraphsTab::analyzeRepeats() {
    Session* session = host_.session();
    if (!session) return;
    if (!repeats_) {
        repeats_ = new RepeatsDialog(host_, window());
        repeats_->setAttribute(Qt::WA_DeleteOnClose);
    }
    repeats_->show();
    repeats_->raise();
    repeats_->activateWindow();
    repeats_->calculate();
}

void GraphsTab::totalSumCombs() {
    Session* session = host_.session();
    if (!session) return;
    if (!sums_) {
        sums_ = new ui::ChartWindow(window(), QString::fromUtf8(kTotalSumCombsCaption));
        sums_->setAttribute(Qt::WA_DeleteOnClose);
        ui::keepPlacement(*sums_, kChartWindowSection);
    }
    {
        ui::BusyScope busy(host_.busyState());
        ui::StatusScope status(host_.progress(), kRepeatsCollectText);
        sums_->clear();
        drawSeries(*sums_->panel(), sumDistributionSeries(session->sumDistribution()));
    }
    sums_->show();
    sums_->raise();
}

void GraphsTab::buildCommands() {
    auto haveSession = [this] { return host_.session() != nullptr; };
    auto haveDraws = [this] { return host_.session() && !host_.session()->draws().empty(); };
    host_.addCommand({QStringLiteral("DrawsGraphDraw"), QStringLiteral("Обновить"),
                      QStringLiteral("Построить график заново"), [this] { refreshView(true); }, haveSession});
    host_.addCommand({QStringLiteral("AnalyzeRepeats"), QString::fromUtf8(kRepeatsTitle),
                      QStringLiteral("Сколько чисел каждого из последних тиражей повторяют предыдущие тиражи"),
                      [this] { analyzeRepeats(); }, haveDraws});
    host_.addCommand({QStringLiteral("TotalSumCombs"), QString::fromUtf8(kTotalSumCombsCaption),
                      QStringLiteral("Сравнить суммы тиражей с суммами всех возможных комбинаций"),
                      [this] { totalSumCombs(); }, haveSession});
}

std::optional<TabMenu> GraphsTab::menu() const {
    return TabMenu{QStringLiteral("Графики"), crtDrawsGraph_, {"DrawsGraphDraw", "", "AnalyzeRepeats", "TotalSumCombs"}};
}

void GraphsTab::restoreSettings(const TFormMainSettings& s) { edDrawsGraphLen_->setValue(std::max(1, s.drawsGraphLen)); }

void GraphsTab::saveSettings(TFormMainSettings& s) const { s.drawsGraphLen = edDrawsGraphLen_->value(); }

void GraphsTab::enableControls(bool on) {
    cbDrawsGraphType_->setEnabled(on);
    edDrawsGraphLen_->setEnabled(on);
}

}  // namespace tavlora::app
