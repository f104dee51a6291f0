// A tour of the window with the sample archive imported: saves PNGs of the main window and of
// its dialogs under the build folder, and checks that each picture shows what it should.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTreeWidget>
#include <QtCharts/QChartView>
#include <QTableView>
#include <QTableWidget>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>

#include "core/interaction.h"

// Server start failures are failures of the running Qt test function.
#define TAVLORA_SERVER_EXPECT(cond, message)                                                    \
    do {                                                                                        \
        if (!(cond)) QTest::qFail(std::string(message).c_str(), __FILE__, __LINE__);           \
    } while (0)
#include "server_support.h"

#include "app/archive/draw_dialog.h"
#include "app/systems/system_dialog.h"
#include "app/systems/systems_tab.h"
#include "app/archive/draws_tab.h"
#include "app/favourites/favourites_dialog.h"
#include "app/favourites/help_browser.h"
#include "app/favourites/method_description.h"

#include "app/archive/proxy_dialog.h"
#include "app/main_window.h"
#include "app/scenario/filter_dialog.h"
#include "app/scenario/scenario_tab.h"
#include "app/scenario/script_dialog.h"
#include "app/settings/settings_dialog.h"
#include "app/settings/shredding_dialog.h"
#include "app/workspace/combs_tab.h"
#include "app/workspace/generate_dialog.h"
#include "app/workspace/graphs_tab.h"
#include "app/workspace/repeats_dialog.h"
#include "app/workspace/info_window.h"
#include "app/workspace/stat_table_model.h"
#include "app/workspace/stats_tab.h"
#include "core/interaction.h"
#include "scenario/scenario.h"
#include "session/session.h"
#include "stats/custom_stat.h"
#include "stats/stat_list.h"
#include "test_support.h"
#include "cli_support.h"
#include "gui_support.h"
#include "app/stakes/ratings_tab.h"
#include "app/stakes/stakes_tab.h"
#include "ui/chart_panel.h"
#include <QtCharts/QChart>
#include "app/workspace/card_tab.h"
#include "app/workspace/layout_tab.h"
#include "app/workspace/week_tab.h"
#include "ui/chart_window.h"
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

// The window at its default size with every status panel showing its whole text.
void checkStatusBarReadable(app::TFormMain& w) {
    w.show();
    QApplication::processEvents();
    for (int i = 0; i < app::kStatusPanels; ++i) {
        const QLabel* p = w.statusPanel(i);
        QVERIFY2(p->fontMetrics().horizontalAdvance(p->text()) <= p->contentsRect().width(), qPrintable(p->text()));
    }
}

int newestNumber(app::TFormMain& w) { return w.session()->archive().at(w.session()->archive().high()).number; }

}  // namespace

class ScreenshotTest : public QObject {
    Q_OBJECT
private slots:
    // The stakes and rating tabs after the example scenario's test over the last 20 draws of the
    // sample archive, run by the command line on the same folder.
    void stakesAndRatings() {
        test::TempDir dir;
        const std::string sample = TAVLORA_SAMPLE_DIR;
        const auto cli = [&](const std::vector<std::string>& args) { return test::runCli(dir.path(), args, "LC_ALL=C"); };
        QCOMPARE(cli({"archive", "import", sample + "/draws.csv"}).status, 0);
        QCOMPARE(cli({"scenario", "load", sample + "/example.lsc"}).status, 0);
        const test::CliResult run = cli({"scenario", "test", "20", "--seed", "1"});
        QVERIFY2(run.status == 0, run.err.c_str());
        test::writeSmallGeneration(dir.path());
        ScriptedInteraction si;
        auto w = test::startWindow(dir.path(), si);
        QVERIFY(si.messages.empty());

        QTableView* grid = w->stakesTab()->grid();
        QVERIFY(grid->model()->rowCount() > 20);
        w->rightPages()->setCurrentWidget(w->stakesTab());
        grid->selectRow(grid->model()->rowCount() - 2);
        QVERIFY(w->statusPanel(4)->text().startsWith(QStringLiteral("Ставок: ")));
        checkStatusBarReadable(*w);
        saveShot(*w, "stakes.png");

        QTableView* ratings = w->ratingsTab()->list();
        QVERIFY(ratings->model()->rowCount() >= 2);  // one row per variant of the staking line
        w->rightPages()->setCurrentWidget(w->ratingsTab());
        ratings->selectRow(0);
        QCOMPARE(w->statusPanel(5)->text(), QStringLiteral("Рейтинг: %1").arg(ratings->model()->rowCount()));
        saveShot(*w, "ratings.png");
    }

    // The systems tab over a small catalogue served by the local catalogue service: one system
    // downloaded, one of the user's own, and the system dialog of the own one.
    void systems() {
        test::TempDir dir;
        const auto catalogue = dir.path() / "catalogue.json";
        std::ofstream(catalogue)
            << "[{\"id\": 7, \"nums\": 6, \"olap\": 0, \"title\": \"Шесть чисел, гарантия 3\", \"descr\": "
               "\"Шесть билетов на шесть чисел\", \"author\": \"Клуб\", \"cl_mail\": \"club@example.org\", \"url\": "
               "\"http://example.org/6\", \"created\": \"2024-01-02 03:04:05\", \"downloads\": 41, \"last_download\": "
               "\"2024-05-06 07:08:09\", \"clist\": \"01 02 03 04 05\\n01 02 03 04 06\\n01 02 03 05 06\\n01 02 04 05 06\\n"
               "01 03 04 05 06\\n02 03 04 05 06\\n\"},"
               " {\"id\": 12, \"nums\": 8, \"olap\": 2, \"title\": \"Восемь чисел\", \"descr\": \"Моя первая система\", "
               "\"author\": \"Я\", \"cl_mail\": \"me@example.org\", \"url\": \"\", \"created\": \"2024-02-03 04:05:06\", "
               "\"downloads\": 2, \"last_download\": \"2024-03-01 10:00:00\", \"clist\": \"01 02 03 04 05\\n04 05 06 07 08\\n\"},"
               " {\"id\": 30, \"nums\": 10, \"olap\": 0, \"title\": \"Десять чисел\", \"descr\": \"Гарантия 2 из 2\", "
               "\"author\": \"Клуб\", \"cl_mail\": \"club@example.org\", \"url\": \"\", \"created\": \"2024-04-05 06:07:08\", "
               "\"downloads\": 9, \"last_download\": \"2024-06-01 12:00:00\", \"clist\": \"01 02 03 04 05\\n06 07 08 09 10\\n\"}]";
        test::SystemsServer server(dir.path(), "systems", catalogue);
        test::writeSmallGeneration(dir.path());
        std::ofstream(dir.path() / "Tavlora_5d69.ini", std::ios::binary | std::ios::app)
            << "[SYSTEMS]\r\nUrl=" << server.url() << "\r\nMail=me@example.org\r\n";
        ScriptedInteraction si;
        auto w = test::startWindow(dir.path(), si);
        app::SystemsTab& tab = *w->systemsTab();
        QCOMPARE(tab.model()->rowCount(), 3);
        tab.list()->selectRow(0);
        QVERIFY(test::enabled(*w, "SystemsDownload"));
        w->action("SystemsDownload")->trigger();
        QVERIFY(si.messages.empty());
        QCOMPARE(tab.model()->index(0, 6).data().toString(), QStringLiteral("Загружена"));
        w->rightPages()->setCurrentWidget(&tab);
        saveShot(*w, "systems.png");

        TSystemData own{tab.model()->rows()[1].info, "01 02 03 04 05\n04 05 06 07 08\n"};
        app::TFormSystem dialog(own, true, si, w.get());
        saveShot(dialog, "system-dialog.png");
    }

    void tour() {
        test::TempDir dir;
        ScriptedInteraction si;
        app::MainWindowOptions o;
        o.startup.dataDir = dir.path();
        o.interaction = &si;
        o.startTimer = false;
        app::TFormMain w(o);
        w.initialise();
        QVERIFY(w.drawsTab()->importDraws(QStringLiteral(TAVLORA_SAMPLE_DIR "/draws.csv")));
        // The default size of the window, as a new user first sees it.
        QCOMPARE(w.size(), QSize(1200, 760));
        w.drawsTab()->offsetEdit()->setValue(3);
        w.drawsTab()->listView()->selectRow(5);
        QCOMPARE(w.statusPanel(0)->text(), QString("Архив тиражей: 1390"));
        QVERIFY(!w.statusPanel(2)->text().isEmpty());
        checkStatusBarReadable(w);
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
        checkStatusBarReadable(w);
        saveShot(w, "combinations.png");

        // The statistics tab with the norms of the full set and the ideal distribution line.
        stats->setOptions({true, true});
        stats->recompute(true);
        QVERIFY(stats->table().normsLoaded);
        QCOMPARE(stats->chartView()->chart()->series().size(), 2);
        checkStatusBarReadable(w);
        saveShot(w, "statistics.png");

        // A method with a few values, norms on: the chart's points are labelled with the values.
        stats->setOptions({false, true});
        int few = -1;
        for (int i = 0; i < stats->methodBox()->count() && few < 0; ++i) {
            stats->methodBox()->setCurrentIndex(i);
            if (stats->tableModel()->rowCount() >= 4 && stats->tableModel()->rowCount() <= 16) few = i;
        }
        QVERIFY(few >= 0);
        stats->setOptions({true, true});
        stats->recompute(true);
        QVERIFY(stats->table().normsLoaded);
        saveShot(w, "statistics-few-values.png");

        // The graphs tab: the sums of the last 100 draws with their mean and most frequent value.
        app::GraphsTab* graphs = w.graphsTab();
        for (int i = 0; i < graphs->methodBox()->count(); ++i)
            if (graphs->methodBox()->itemText(i).contains(QStringLiteral("Сумма тиража: все значения")))
                graphs->methodBox()->setCurrentIndex(i);
        w.rightPages()->setCurrentWidget(graphs);
        QCOMPARE(graphs->chart()->allSeries().size(), size_t(3));
        saveShot(w, "graphs.png");

        // The card, the layout with its compare lists, and the week table with its chart.
        w.rightPages()->setCurrentWidget(w.cardTab());
        QCOMPARE(w.cardTab()->model()->rowCount(), 1390);
        saveShot(w, "card.png");
        w.rightPages()->setCurrentWidget(w.layoutTab());
        QVERIFY(w.layoutTab()->model()->rowCount() > 0);
        saveShot(w, "layout.png");
        w.rightPages()->setCurrentWidget(w.weekTab());
        w.weekTab()->grid()->setCurrentIndex(w.weekTab()->model()->index(2, 10));
        QVERIFY(!w.weekTab()->chart()->chart()->series().isEmpty());
        saveShot(w, "week.png");
        w.rightPages()->setCurrentWidget(stats);

        // The repeats dialog and the sum distribution window.
        w.updateActions();
        w.action(QStringLiteral("AnalyzeRepeats"))->trigger();
        app::RepeatsDialog* repeats = graphs->repeatsDialog();
        QVERIFY(repeats);
        QVERIFY(repeats->list()->rowCount() > 0);
        repeats->resize(900, 640);
        saveShot(*repeats, "repeats-dialog.png");
        repeats->close();
        w.updateActions();
        w.action(QStringLiteral("TotalSumCombs"))->trigger();
        ui::ChartWindow* sums = graphs->sumsWindow();
        QVERIFY(sums);
        QCOMPARE(sums->panel()->allSeries().size(), size_t(5));
        sums->marksBox()->setChecked(false);
        sums->resize(1000, 600);
        saveShot(*sums, "sum-distribution.png");
        sums->close();

        app::TGenerateDialog generate(&w, 1, "3;17;20");
        saveShot(generate, "generate-dialog.png");

        TInfoRequest request;
        request.drawNumber = newestNumber(w);
        request.dateText = w.session()->archive().at(w.session()->archive().high()).dateText();
        request.nums = TComb{{5, 17, 33, 48, 69}};
        request.drawIndex = w.session()->archive().high();
        request.referenceIndex = request.drawIndex;
        app::TInfoWindow info(&w, w.session()->statList(), request);
        saveShot(info, "info-window.png");

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

        // The favourites manager with a renamed method and one group left out, and the description
        // of the sum method with its values for the newest draw.
        const TStatList& registry = w.session()->statList();
        const int sumsMethod = registry.methodWithCode("SUMS");
        app::FavouritesDialog favourites(*w.session(), si, {}, &w);
        favourites.tree()->setCurrentItem(favourites.methodNode(registry.methodWithCode("NUMS")));
        favourites.checkGroup(false);
        favourites.tree()->setCurrentItem(favourites.methodNode(sumsMethod));
        favourites.renameSelected(QStringLiteral("Сумма чисел тиража"));
        QVERIFY(!app::FavouritesDialog::isChecked(favourites.methodNode(registry.methodWithCode("NUMS"))));
        favourites.resize(620, 720);
        saveShot(favourites, "favourites-manager.png");
        favourites.reject();
        QVERIFY(registry.item(sumsMethod).customCaption.empty());

        app::MethodDescriptionWindow description(*w.session(), sumsMethod, &w);
        description.resize(760, 720);
        QVERIFY(description.exampleView()->toPlainText().contains(QString::number(drawSum(w.session()->archive().at(w.session()->analysisEndIndex())))));
        saveShot(description, "method-description.png");

        // The proxy dialog with a hand-set proxy (its fields editable) and the results page.
        TProxySettings manual;
        manual.mode = kProxyModeManual;
        manual.server = "proxy.example";
        manual.port = 3128;
        manual.username = "player";
        manual.password = "secret";
        app::TProxyDialog proxy(&w, manual, {"https://results.example", "Tavlora 5/69", "https://proxies.example/list"},
                                si);
        QVERIFY(proxy.manualButton()->isChecked() && proxy.serverEdit()->isEnabled());
        saveShot(proxy, "proxy-dialog.png");

        ui::ProgressWindow progress(&w, QStringLiteral("Импорт тиражей из файла..."), 100, true);
        progress.setPosition(40);
        saveShot(progress, "progress-window.png");

        // The scenario tab during a test of the example scenario, taken while the run goes, and
        // the line editor and the filter editor on the example's second line.
        app::ScenarioTab& scenario = *w.scenarioTab();
        QVERIFY(scenario.openPath(QStringLiteral(TAVLORA_SAMPLE_DIR "/example.lsc"), false));
        w.rightPages()->setCurrentWidget(&scenario);
        bool shot = false;
        si.answers.push_back(true);  // "Остановить выполнение сценария?"
        QTimer probe;
        probe.setInterval(100);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            if (shot || !scenario.running() || scenario.panel(4)->text().isEmpty()) return;
            shot = true;
            saveShot(w, "scenario-run.png");
            w.action("ScriptStop")->trigger();
        });
        probe.start();
        scenario.run(true, 3);
        probe.stop();
        QVERIFY(shot);
        w.session()->setDrawsOffset(0);
        const QString line = QString::fromStdString(w.session()->scenario().line(1));
        app::TFormScript lineEditor(QStringLiteral("Редактирование строки"), line, 0, scenario.filterContext(), si);
        QCOMPARE(lineEditor.filterEdit(0)->text(), QString("TMF1#EVEN:100#LVA:1,2,3#SF:1"));
        saveShot(lineEditor, "scenario-line-editor.png");
        app::TFormFilter filterEditor(scenario.filterContext(), lineEditor.filterEdit(0)->text(), si);
        QCOMPARE(filterEditor.levelMode()->currentIndex(), 31);
        saveShot(filterEditor, "scenario-filter-editor.png");
    }
};

QTEST_MAIN(ScreenshotTest)
#include "screenshot_test.moc"
