// The "Сценарий" tab: the line and filter editors, the test run against the command line's, and
// a run that keeps the window responsive and stops on request.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <algorithm>
#include <fstream>
#include <sstream>

#include "app/archive/draws_tab.h"
#include "app/gui_support.h"
#include "app/workspace/combs_tab.h"
#include "app/workspace/stats_tab.h"
#include "app/scenario/filter_dialog.h"
#include "app/scenario/scenario_tab.h"
#include "app/scenario/script_dialog.h"
#include "cli_support.h"
#include "core/codepage.h"
#include "core/interaction.h"
#include "scenario/filter_check.h"
#include "scenario/scenario.h"
#include "session/session.h"
#include "stats/stat_list.h"
#include "test_support.h"

using namespace tavlora;

namespace {

std::string fileBytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A data folder with the sample archive and the example scenario, made by the command line.
void prepareExample(const std::filesystem::path& dir) {
    const std::string sample = TAVLORA_SAMPLE_DIR;
    QCOMPARE(test::runCli(dir, {"archive", "import", sample + "/draws.csv"}).status, 0);
    QCOMPARE(test::runCli(dir, {"scenario", "load", sample + "/example.lsc"}).status, 0);
}

// The row of the filter editor's type list bound to the method with this code.
int typeRow(const app::FilterEditorContext& c, const std::string& code) {
    for (std::size_t r = 0; r < c.methods.size(); ++r)
        if (c.registry->item(c.methods[r].second).code() == code) return static_cast<int>(r);
    return -1;
}

struct FilterChoice {
    std::string code;
    QString draws;
    bool multi;
    int level;
    QString values;
    int stop;
    bool keep;
};

void fill(app::TFormFilter& f, const app::FilterEditorContext& c, const FilterChoice& x) {
    const int row = typeRow(c, x.code);
    QVERIFY2(row >= 0, x.code.c_str());
    f.statType()->setCurrentIndex(row);
    f.drawsLen()->setText(x.draws);
    f.multiSelect()->setChecked(x.multi);
    f.levelMode()->setCurrentIndex(x.level);
    f.levelValue()->setText(x.values);
    f.stopMode()->setCurrentIndex(x.stop);
    f.filterMode()->setCurrentIndex(x.keep ? 1 : 0);
}

}  // namespace

class ScenarioTest : public QObject {
    Q_OBJECT
private slots:
    // Line 2 of the example built through the line editor and, for its two filters, the filter
    // editor gives exactly the line of the file.
    void dialogsBuildTheExampleLine() {
        test::TempDir dir;
        prepareExample(dir.path());
        ScriptedInteraction si;
        auto w = test::startWindow(dir.path(), si);
        app::ScenarioTab& tab = *w->scenarioTab();
        QCOMPARE(tab.listView()->model()->rowCount(), 5);  // the working copy is loaded at start
        QCOMPARE(tab.panel(0)->text(), QString("Строк: 5"));
        std::istringstream lines(cp1251ToUtf8(fileBytes(std::filesystem::path(TAVLORA_SAMPLE_DIR) / "example.lsc")));
        std::string expected;
        std::getline(lines, expected);
        std::getline(lines, expected);
        if (!expected.empty() && expected.back() == '\r') expected.pop_back();
        const std::string comment = expected.substr(expected.rfind('|') + 1);

        const app::FilterEditorContext c = tab.filterContext();
        const FilterChoice filters[] = {{"EVEN", "100", true, 31, "1,2,3", 0, true},
                                        {"SMAL", "100", true, 31, "1-4;1", 0, true}};
        bool filled = false;
        test::whenModal([&](QWidget* m) {
            auto* line = qobject_cast<app::TFormScript*>(m);
            QVERIFY(line);
            QCOMPARE(line->windowTitle(), QString("Элемент сценария"));
            line->comments()->setText(QString::fromStdString(comment));
            line->startCombsType()->setCurrentIndex(2);
            line->resultCombsMode()->setCurrentIndex(8);
            for (int i = 0; i < 2; ++i) {
                test::whenModal([&, i](QWidget* fm) {
                    auto* f = qobject_cast<app::TFormFilter*>(fm);
                    QVERIFY(f);
                    fill(*f, c, filters[i]);
                    f->accept();
                });
                line->filterButton(i)->click();
            }
            filled = true;
            line->accept();
        });
        tab.addLine();
        QVERIFY(filled);
        const TScenario& sc = w->session()->scenario();
        QCOMPARE(sc.count(), 6);
        QCOMPARE(QString::fromStdString(sc.line(5)), QString::fromStdString(expected));
        QVERIFY(si.messages.empty());
    }

    // The editing commands on the list: their enabled rules follow the focused line, and each
    // change is written to the working copy at once.
    void editingCommandsChangeTheWorkingCopy() {
        test::TempDir dir;
        prepareExample(dir.path());
        ScriptedInteraction si;
        si.answers = {true};  // the delete confirmation
        auto w = test::startWindow(dir.path(), si);
        app::ScenarioTab& tab = *w->scenarioTab();
        QTableView* list = tab.listView();
        const auto select = [&](std::initializer_list<int> rows) {
            list->clearSelection();
            for (int r : rows)
                list->selectionModel()->setCurrentIndex(list->model()->index(r, 0),
                                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
        };
        const auto lines = [&] { return w->session()->scenario().lines(); };
        const std::vector<std::string> before = lines();
        QCOMPARE(list->model()->index(3, 1).data().toString(), QString());  // the separator
        QCOMPARE(list->model()->index(1, 1).data().toString(),
                 QString("Текущий список; Не делать ставок; Все создаваемые ставки"));

        // Clone and edit need a command; up not on the first line, down not on the last.
        const struct {
            int row;
            bool command, up, down;
        } rules[] = {{0, true, false, true}, {3, false, true, true}, {4, true, true, false}};
        for (const auto& r : rules) {
            select({r.row});
            QCOMPARE(test::enabled(*w, "ScriptEdit"), r.command);
            QCOMPARE(test::enabled(*w, "ScriptClone"), r.command);
            QCOMPARE(test::enabled(*w, "ScriptUp"), r.up);
            QCOMPARE(test::enabled(*w, "ScriptDown"), r.down);
        }

        select({0});
        QVERIFY(test::enabled(*w, "ScriptDown"));
        w->action("ScriptDown")->trigger();
        QCOMPARE(lines()[1], before[0]);
        QCOMPARE(lines()[0], before[1]);
        QCOMPARE(tab.focusedRow(), 1);  // the moved line stays selected
        QVERIFY(test::enabled(*w, "ScriptUp"));
        w->action("ScriptUp")->trigger();
        QCOMPARE(lines(), before);

        // Deleting lines 2 and 4 of five leaves lines 1, 3 and 5 in order.
        select({1, 3});
        QVERIFY(test::enabled(*w, "ScriptDel"));
        w->action("ScriptDel")->trigger();
        QCOMPARE(lines(), (std::vector<std::string>{before[0], before[2], before[4]}));
        QCOMPARE(tab.panel(0)->text(), QString("Строк: 3"));
        QVERIFY(test::enabled(*w, "ScriptEmpty"));
        w->action("ScriptEmpty")->trigger();
        QCOMPARE(lines().size(), std::size_t{4});
        QCOMPARE(tab.focusedRow(), 3);
        QVERIFY(si.answers.empty());
        // What the list shows is what the working copy holds.
        TScenario reread(w->session()->scenario().workingCopy());
        reread.loadWorkingCopy();
        QCOMPARE(reread.lines(), lines());
    }

    // The editor's checks in order with their focus targets, on the edge cases of the editor.
    void filterEditorRefusesAndFocuses() {
        test::TempDir dir;
        test::writeSmallGeneration(dir.path());
        ScriptedInteraction si;
        auto w = test::startWindow(dir.path(), si);
        const app::FilterEditorContext c = w->scenarioTab()->filterContext();
        struct Case {
            FilterChoice choice;
            const char* message;  // empty: accepted
            const char* focus;
            const char* text;     // the filter written on OK
        };
        const Case cases[] = {
            {{"NUMS", "0", false, 0, "", 0, false}, kFilterBadRange, "edDrawsLen", ""},
            {{"NUMS", "0,100", false, 0, "", 0, false}, kFilterBadRange, "edDrawsLen", ""},
            {{"NUMS", "1-10", false, 0, "", 0, false}, kFilterBadRange, "edDrawsLen", ""},
            {{"NUMS", "1-10;2", false, 0, "", 0, false}, "", "", "TSD1#NUMS:1-10;2#LNO:#SF:1"},
            {{"SDV2", "100", false, 31, "1", 0, false}, kFilterNoValueList, "cbLevelMode", ""},
            {{"NUMS", "100", false, 1, "", 0, false}, kFilterBadRange, "edLevelValue", ""},
            {{"NUMS", "100", true, 1, "5", 1, true}, kFilterMultiSelectCount, "cbStopMode", ""},
            {{"NUMS", "100", false, 1, "5", 1, true}, "", "", "TSF1#NUMS:100#LMV:5#SC:1"},
        };
        for (const Case& k : cases) {
            si.messages.clear();
            app::TFormFilter f(c, QString(), si);
            fill(f, c, k.choice);
            f.show();
            f.accept();
            if (*k.message) {
                QVERIFY2(f.result() != QDialog::Accepted, k.message);
                QCOMPARE(si.messages.size(), std::size_t{1});
                QCOMPARE(si.messages[0].text, std::string(k.message));
                QVERIFY(f.focusWidget());
                QCOMPARE(f.focusWidget()->objectName(), QString(k.focus));
            } else {
                QCOMPARE(f.result(), int(QDialog::Accepted));
                QCOMPARE(f.filterText(), QString(k.text));
            }
        }

        // A new filter starts from the statistics tab's choices and the defaults.
        app::TFormFilter fresh(c, QString(), si);
        QCOMPARE(fresh.statType()->currentIndex(), c.presetRow);
        QCOMPARE(fresh.drawsLen()->text(), QString::number(c.drawsLen));
        QCOMPARE(fresh.sortOrder()->currentIndex(), 1);
        QCOMPARE(fresh.stopValue()->value(), 1);
        QCOMPARE(fresh.filterMode()->currentIndex(), 0);
        // The value-list fields take digits, ",", "-" and ";" only.
        fresh.drawsLen()->clear();
        QTest::keyClicks(fresh.drawsLen(), "1a-2;b3,x");
        QCOMPARE(fresh.drawsLen()->text(), QString("1-2;3,"));
        // The own weight coefficients: only for the weight modes, and their fields only when chosen.
        for (const auto& [mode, own] : {std::pair{18, true}, {19, true}, {21, false}, {22, true}}) {
            fresh.levelMode()->setCurrentIndex(mode);
            fresh.cdlOverride()->setChecked(own);
            const bool weightMode = mode >= 19 && mode <= 21;
            QCOMPARE(fresh.cdlOverride()->isEnabled(), weightMode);
            QCOMPARE(fresh.coefCount()->isEnabled(), weightMode && own);
            QCOMPARE(fresh.coefPercents()->isEnabled(), weightMode && own);
        }

        // A filter whose method is not registered is warned about and kept unless a type is chosen.
        si.messages.clear();
        const QString foreign = "BMF3#ZZZZ:100#LMV:2#ST:4";
        app::TFormFilter kept(c, foreign, si);
        QCOMPARE(si.messages.size(), std::size_t{1});
        QCOMPARE(si.messages[0].kind, MessageKind::Warning);
        QVERIFY(si.messages[0].text.find("ZZZZ:100") != std::string::npos);
        QCOMPARE(kept.statType()->currentIndex(), -1);
        kept.accept();
        QCOMPARE(kept.filterText(), foreign);
        app::TFormFilter chosen(c, foreign, si);
        chosen.statType()->setCurrentIndex(typeRow(c, "NUMS"));
        emit chosen.statType()->activated(typeRow(c, "NUMS"));
        chosen.accept();
        QCOMPARE(chosen.filterText(), QString("BMF3#NUMS:100#LMV:2#ST:4"));
    }

    // A double-click on filter field 6 edits filter 6 and writes it back there.
    void doubleClickEditsThatFilter() {
        test::TempDir dir;
        test::writeSmallGeneration(dir.path());
        ScriptedInteraction si;
        auto w = test::startWindow(dir.path(), si);
        const app::FilterEditorContext c = w->scenarioTab()->filterContext();
        app::TFormScript line("Создание новой строки", QString(), 7, c, si);
        QCOMPARE(line.drawsExclude()->value(), 7);
        QCOMPARE(line.startCombsType()->currentIndex(), 0);
        line.show();
        test::whenModal([&](QWidget* m) {
            auto* f = qobject_cast<app::TFormFilter*>(m);
            QVERIFY(f);
            fill(*f, c, {"SUMS", "200", false, 0, "", 0, false});
            f->accept();
        });
        QTest::mouseDClick(line.filterEdit(5), Qt::LeftButton);
        for (int i = 0; i < kScenarioFilterCount; ++i)
            QCOMPARE(line.filterEdit(i)->text(), i == 5 ? QString("TSD1#SUMS:200#LNO:#SF:1") : QString());
        line.accept();
        QCOMPARE(line.lineText(), QString("FULL:0#RAND| | | | | |TSD1#SUMS:200#LNO:#SF:1| |"));
    }

    // "Тест" with 5 draws and seed 1 leaves the same stakes and ratings files as the command line's
    // "scenario test 5 --seed 1" on a copy of the same folder.
    void windowTestMatchesTheCommandLine() {
        test::TempDir cliDir, guiDir;
        prepareExample(cliDir.path());
        std::filesystem::copy(cliDir.path(), guiDir.path(), std::filesystem::copy_options::recursive |
                                                               std::filesystem::copy_options::overwrite_existing);
        const test::CliResult cli = test::runCli(cliDir.path(), {"scenario", "test", "5", "--seed", "1"});
        QVERIFY2(cli.status == 0, cli.err.c_str());
        {
            ScriptedInteraction si;
            auto w = test::startWindow(guiDir.path(), si);
            w->scenarioTab()->setRandomSeed(1);
            QVERIFY(test::enabled(*w, "ScriptTest"));
            int asked = 0;
            test::whenModal([&](QWidget* m) {
                QCOMPARE(m->windowTitle(), QString("Количество тестов"));
                auto* count = m->findChild<QSpinBox*>("edTestCount");
                QVERIFY(count);
                QCOMPARE(count->value(), 10);
                QCOMPARE(count->maximum(), w->session()->archive().count() - 1);
                count->setValue(5);
                asked = 1;
                qobject_cast<QDialog*>(m)->accept();
            });
            w->action("ScriptTest")->trigger();
            QCOMPARE(asked, 1);
            QCOMPARE(w->session()->drawsOffset(), 0);  // set back after a test that was not stopped
            QVERIFY(si.messages.empty());
        }
        for (const char* ext : {".lsk", ".lrt"}) {
            const std::string a = fileBytes(cliDir.path() / (std::string("Tavlora_5d69") + ext));
            const std::string b = fileBytes(guiDir.path() / (std::string("Tavlora_5d69") + ext));
            QVERIFY2(!a.empty(), ext);
            QVERIFY2(a == b, ext);
        }
    }

    // A 20-draw test: while it runs the data tabs and the list are disabled, the line being run is
    // selected, the panels follow the run and the event loop answers quickly; "Стоп" asks and ends
    // the run within a second, leaving the offset that was being tested.
    void runStaysResponsiveAndStops() {
        test::TempDir dir;
        prepareExample(dir.path());
        ScriptedInteraction si;
        si.answers.push_back(true);  // "Остановить выполнение сценария?"
        auto w = test::startWindow(dir.path(), si);
        app::ScenarioTab& tab = *w->scenarioTab();
        std::vector<qint64> delays;
        bool sawRunningState = false;
        QElapsedTimer sinceStop;
        QElapsedTimer clock;
        clock.start();
        QTimer probe;
        probe.setInterval(50);
        qint64 posted = -1;
        QObject::connect(&probe, &QTimer::timeout, [&] {
            // The delay of a zero timer posted now: how long the event loop takes to answer.
            if (posted >= 0) return;
            posted = clock.elapsed();
            QTimer::singleShot(0, &probe, [&] {
                delays.push_back(clock.elapsed() - posted);
                posted = -1;
            });
            if (!tab.running()) return;
            if (!sawRunningState && !w->drawsTab()->isEnabled() && !w->combsTab()->isEnabled() &&
                !w->statsTab()->isEnabled() && !tab.listView()->isEnabled() &&
                tab.panel(1)->text().startsWith("Цикл: ") && tab.listView()->selectionModel()->hasSelection() &&
                w->action("ScriptStop")->isEnabled() && !w->action("ScriptRun")->isEnabled())
                sawRunningState = true;
            if (delays.size() >= 20 && !sinceStop.isValid()) {
                sinceStop.start();
                w->action("ScriptStop")->trigger();
            }
        });
        probe.start();
        tab.run(true, 20);
        const qint64 stopTook = sinceStop.isValid() ? sinceStop.elapsed() : -1;
        probe.stop();
        QVERIFY(sawRunningState);
        QVERIFY2(stopTook >= 0, "the run ended before it was stopped");
        QVERIFY2(stopTook <= 1000, qPrintable(QString::number(stopTook)));
        QCOMPARE(si.messages.size(), std::size_t{0});
        QVERIFY(w->session()->drawsOffset() > 0);  // stopped: the offset being tested stays
        QVERIFY(w->drawsTab()->isEnabled() && tab.listView()->isEnabled());
        std::sort(delays.begin(), delays.end());
        const qint64 median = delays[delays.size() / 2];
        QVERIFY2(median <= 100, qPrintable(QString::number(median)));
    }

    // Closing the window during a run asks to stop, stops, and then closes.
    void closingDuringARunStopsFirst() {
        test::TempDir dir;
        prepareExample(dir.path());
        ScriptedInteraction si;
        si.answers = {false, true};  // the first close is declined, the second one stops
        auto w = test::startWindow(dir.path(), si);
        w->show();
        app::ScenarioTab& tab = *w->scenarioTab();
        int closes = 0;
        bool keptOpen = false;
        QTimer probe;
        probe.setInterval(200);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            if (!tab.running() || closes >= 2) return;
            ++closes;
            w->close();
            if (closes == 1) keptOpen = w->isVisible() && tab.running();
        });
        probe.start();
        tab.run(true, 20);
        probe.stop();
        QCOMPARE(closes, 2);
        QVERIFY(keptOpen);
        QTRY_VERIFY(!w->isVisible());
        QVERIFY(si.answers.empty());
    }
};

QTEST_MAIN(ScenarioTest)
#include "scenario_test.moc"
