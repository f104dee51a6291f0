#include "app/workspace/repeats_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

#include "app/enter_key.h"
#include "app/tab.h"
#include "app/workspace/chart_drawing.h"
#include "core/window_settings.h"
#include "ui/window_settings.h"
#include "session/session.h"
#include "ui/busy_state.h"
#include "ui/chart_panel.h"
#include "ui/gui_progress.h"
#include "ui/progress_window.h"
#include "ui/text.h"
#include "workspace/chart_data.h"

namespace tavlora::app {

using ui::qs;

namespace {

constexpr int kDefaultGraphHeight = 200;

QSpinBox* parameterEdit(QWidget* parent, const char* name, const QString& hint) {
    auto* e = new QSpinBox(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setRange(1, std::numeric_limits<int>::max());
    e->setValue(100);
    e->setKeyboardTracking(false);
    e->setStatusTip(hint);
    e->setToolTip(hint);
    return e;
}

std::filesystem::path frmPathOf(TabHost& host) {
    return host.session() ? host.session()->filePath(".frm") : std::filesystem::path{};
}

}  // namespace

RepeatsDialog::RepeatsDialog(TabHost& host, QWidget* parent)
    : QDialog(parent), host_(host), frm_(frmPathOf(host)) {
    setObjectName(QString::fromLatin1(kRepeatsSection));
    setWindowTitle(QString::fromUtf8(kRepeatsTitle));
    setSizeGripEnabled(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    auto* row = new QHBoxLayout;
    edDrawsLen_ = parameterEdit(this, "edDrawsLen", QStringLiteral("Количество тиражей, использующихся для расчета статистики"));
    edDeep_ = parameterEdit(this, "edDeep", QStringLiteral("Количество предыдущих тиражей, в которых ищутся совпадения"));
    auto* calc = new QPushButton(QStringLiteral("Рассчитать"), this);
    calc->setObjectName(QStringLiteral("btnCalc"));
    calc->setAutoDefault(false);
    row->addWidget(new QLabel(QStringLiteral("Тиражей:"), this));
    row->addWidget(edDrawsLen_);
    row->addWidget(new QLabel(QStringLiteral("Глубина:"), this));
    row->addWidget(edDeep_);
    row->addWidget(calc);
    row->addStretch(1);
    layout->addLayout(row);

    splitter_ = new QSplitter(Qt::Vertical, this);
    lvList_ = new QTableWidget(0, 4, splitter_);
    lvList_->setObjectName(QStringLiteral("lvList"));
    lvList_->setHorizontalHeaderLabels(
        {QStringLiteral("Тираж"), QStringLiteral("Совпадений"), QStringLiteral("Кол-во повторов"),
         QStringLiteral("Список тиражей")});
    lvList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvList_->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvList_->verticalHeader()->hide();
    lvList_->verticalHeader()->setDefaultSectionSize(20);
    lvList_->horizontalHeader()->setStretchLastSection(true);
    // Every header caption fits.
    for (int c = 0; c < 3; ++c) lvList_->setColumnWidth(c, std::max(80, lvList_->horizontalHeader()->sectionSizeHint(c) + 8));
    chart_ = new ui::ChartPanel(splitter_);
    chart_->setObjectName(QStringLiteral("crtRepeats"));
    splitter_->addWidget(lvList_);
    splitter_->addWidget(chart_);
    layout->addWidget(splitter_, 1);
    resize(760, 560);

    connect(calc, &QPushButton::clicked, this, &RepeatsDialog::calculate);
    new SpinEnterFilter(edDrawsLen_, [this] { calculate(); });
    new SpinEnterFilter(edDeep_, [this] { calculate(); });
    restoreSettings();
}

void RepeatsDialog::restoreSettings() {
    ui::restorePlacement(*this, kRepeatsSection);
    ui::restoreColumnWidths(*lvList_, kRepeatsSection);
    int graphHeight = kDefaultGraphHeight;
    try {
        edDrawsLen_->setValue(std::max(1, readWindowKey(frm_, kRepeatsSection, "DrawsLength", 100)));
        edDeep_->setValue(std::max(1, readWindowKey(frm_, kRepeatsSection, "DrawsDeep", 100)));
        graphHeight = std::max(0, readWindowKey(frm_, kRepeatsSection, "GraphHeight", kDefaultGraphHeight));
    } catch (const std::exception&) {
        // An unreadable settings file leaves the defaults.
    }
    splitter_->setSizes({std::max(100, height() - graphHeight), graphHeight});
}

void RepeatsDialog::saveSettings() const {
    ui::savePlacement(*this, kRepeatsSection);
    ui::saveColumnWidths(*lvList_, kRepeatsSection);
    try {
        writeWindowKey(frm_, kRepeatsSection, "DrawsLength", edDrawsLen_->value());
        writeWindowKey(frm_, kRepeatsSection, "DrawsDeep", edDeep_->value());
        if (const QList<int> sizes = splitter_->sizes(); sizes.size() == 2) writeWindowKey(frm_, kRepeatsSection, "GraphHeight", sizes[1]);
    } catch (const std::exception&) {
        // Nothing to show while the dialog goes away; the old values stay.
    }
}

void RepeatsDialog::done(int result) {
    saveSettings();
    QDialog::done(result);
}

void RepeatsDialog::calculate() {
    Session* session = host_.session();
    if (!session || computing_ || host_.busyState().busy()) return;
    computing_ = true;
    TRepeatsTable table;
    {
        ui::BusyScope busy(host_.busyState());
        try {
            const ui::ProgressWindow window(this, QString::fromUtf8(kRepeatsCollectText), 0, false);
            table = session->repeatsTable(edDrawsLen_->value(), edDeep_->value(), &host_.progress());
        } catch (const std::exception& e) {
            host_.interaction().error(e.what());
        }
        ui::StatusScope status(host_.progress(), kRepeatsChartText);
        lvList_->setRowCount(0);
        lvList_->setRowCount(static_cast<int>(table.rows.size()));
        for (size_t i = 0; i < table.rows.size(); ++i) {
            const TRepeatsRow& r = table.rows[i];
            const QString cells[4] = {QString::number(r.draw), QString::number(r.matches), QString::number(r.repeats),
                                      qs(r.drawsText())};
            for (int c = 0; c < 4; ++c) lvList_->setItem(static_cast<int>(i), c, new QTableWidgetItem(cells[c]));
        }
        chart_->clear();
        drawSeries(*chart_, repeatsSeries(table), true);
    }
    computing_ = false;
}

}  // namespace tavlora::app
