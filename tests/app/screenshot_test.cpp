// A tour of the window with the sample archive imported: saves PNGs of the main window and of
// its dialogs under the build folder, and checks that each picture shows what it should.
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QTreeWidget>
#include <QtCharts/QChartView>
#include <QTableView>
#include <QtTest>

#include "app/combs_tab.h"
#include "app/draw_dialog.h"
#include "app/main_window.h"
#include "app/settings_dialog.h"
#include "app/shredding_dialog.h"
#include "app/stats_tab.h"
#include "core/interaction.h"
#include "session/session.h"
#include "test_support.h"
#include "ui/progress_window.h"

using namespace tavlora;

namespace {

QString shotPath(const char* name) {
    QDir().mkpath(QStringLiteral(TAVLORA_SCREENSHOT_DIR));
    return QStringLiteral(TAVLORA_SCREENSHOT_DIR "/") + QString::fromLatin1(name);
}

// Saves the widget's picture and checks it is a real, non-uniform image of the widget's size.
void saveShot(QWidget& w, const char* name) {
    w.show();
    QApplication::processEvents();
    const QPixmap pix = w.grab();
    QVERIFY(!pix.isNull());
    QCOMPARE(pix.size(), w.size());
    const QImage img = pix.toImage();
    QSet<QRgb> colours;
    for (int y = 0; y < img.height(); y += 3)
        for (int x = 0; x < img.width(); x += 3) colours.insert(img.pixel(x, y));
    QVERIFY2(colours.size() > 3, name);  // text and frames were drawn, not a blank area
    QVERIFY(pix.save(shotPath(name)));
}

}  // namespace

class ScreenshotTest : public QObject {
    Q_OBJECT
private slots:
    void tour() {
        test::TempDir dir;
        ScriptedInteraction si;
        app::MainWindowOptions o;
        o.startup.dataDir = dir.path();
        o.interaction = &si;
        o.startTimer = false;
        app::TFormMain w(o);
        w.initialise();
        QVERIFY(w.importDraws(QStringLiteral(TAVLORA_SAMPLE_DIR "/draws.csv")));
        w.resize(1280, 760);
        w.offsetEdit()->setValue(3);
        w.drawsView()->selectRow(5);
        QCOMPARE(w.statusPanel(0)->text(), QString("Архив тиражей: 1390"));
        QVERIFY(!w.statusPanel(2)->text().isEmpty());
        saveShot(w, "main-window.png");

        // The combinations tab after one keep filter of the statistics table: the full list
        // generated at start-up, narrowed to the combinations with the most frequent value.
        QCOMPARE(w.statusPanel(3)->text(), QString("Комбинаций: 11238513"));
        app::StatsTab* stats = w.statsTab();
        stats->clickColumn(1);  // most frequent value first
        QTableView* table = stats->tableView();
        table->selectionModel()->select(table->model()->index(0, 0),
                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QVERIFY(stats->filterSelected(false));
        QCOMPARE(w.combsTab()->filtersView()->topLevelItemCount(), 1);
        w.leftPages()->setCurrentWidget(w.combsTab());
        w.combsTab()->listView()->selectRow(2);
        saveShot(w, "combinations.png");

        // The statistics tab with the norms of the full set and the ideal distribution line.
        stats->setOptions({true, true});
        stats->recompute(true);
        QVERIFY(stats->table().normsLoaded);
        QCOMPARE(stats->chartView()->chart()->series().size(), 2);
        w.resize(1500, 820);
        saveShot(w, "statistics.png");
        w.resize(1280, 760);

        const TDraw& newest = w.session()->archive().at(w.session()->archive().high());
        app::TDrawDialog draw(&w, QString::fromUtf8(app::kAddDrawCaption), newest, si);
        saveShot(draw, "draw-dialog.png");
        draw.numbersEdit()->setText("1;2;3");
        draw.accept();
        QCOMPARE(si.messages.size(), size_t(1));

        app::TSettingsDialog settings(&w, w.session()->settings().config, si);
        saveShot(settings, "settings-dialog.png");
        settings.matrixColsEdit()->setValue(10);
        saveShot(settings, "settings-dialog-width-10.png");

        app::TShreddingDialog shredding(&w, w.session()->settings().formulas, w.session()->settings().formulaDigits);
        saveShot(shredding, "shredding-dialog.png");

        ui::ProgressWindow progress(&w, QStringLiteral("Импорт тиражей из файла..."), 100, true);
        progress.setPosition(40);
        saveShot(progress, "progress-window.png");
    }
};

QTEST_MAIN(ScreenshotTest)
#include "screenshot_test.moc"
