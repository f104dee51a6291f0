// The main window through its public commands: start-up, the single-copy guard, the draws tab,
// the draw dialog and the settings dialogs. Message boxes are answered by a scripted Interaction.
#include <QAction>
#include <QApplication>
#include <QDateTimeEdit>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QCheckBox>
#include <QComboBox>
#include <QSignalSpy>
#include <QLineEdit>
#include <QPushButton>
#include <QProcess>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QStyleOptionViewItem>
#include <QStyledItemDelegate>
#include <QValidator>
#include <QtTest>
#include <fstream>

#include "app/gui_support.h"
#include "app/archive/draw_dialog.h"
#include "app/archive/draws_model.h"
#include "app/stakes/regulars_tab.h"
#include "app/systems/systems_tab.h"
#include "app/archive/draws_tab.h"
#include "app/main_window.h"
#include "app/scenario/scenario_tab.h"
#include "app/settings/settings_dialog.h"
#include "app/settings/shredding_dialog.h"
#include "app/workspace/combs_model.h"
#include "app/workspace/combs_tab.h"
#include "app/workspace/stats_tab.h"
#include "archive/draw_archive.h"
#include "core/codepage.h"
#include "core/error.h"
#include "core/ini_file.h"
#include "core/interaction.h"
#include "session/session.h"
#include "stakes/stake_record.h"
#include "stakes/stakes_store.h"
#include "stats/stat_list.h"
#include "test_support.h"
#include "ui/progress_window.h"

using namespace tavlora;
using namespace tavlora::test;
using app::TFormMain;

namespace {

// An archive file of draws numbered first..first+count-1.
void writeArchive(const std::filesystem::path& dir, int first, int count) {
    Session s(dir);
    for (int i = 0; i < count; ++i)
        s.archive().append(makeDraw(first + i, {uint8_t(1 + i % 60), uint8_t(2 + i % 60), uint8_t(3 + i % 60),
                                                uint8_t(4 + i % 60), uint8_t(70 - 1 - i % 5)},
                                    uint8_t(1 + i % 26)));
    NullProgress p;
    ScriptedInteraction si;
    QVERIFY(s.archive().save(p, si));
}

std::vector<int> archiveNumbers(const std::filesystem::path& dir) {
    Session s(dir);
    std::vector<int> out;
    for (const auto& d : s.draws()) out.push_back(d.number);
    return out;
}

QString panel(TFormMain& w, int i) { return w.statusPanel(i)->text(); }

// Whether the page with this caption is shown on either side of the window.
bool tabShown(TFormMain& w, const QString& caption) {
    for (QTabWidget* side : {w.leftPages(), w.rightPages()})
        for (int i = 0; i < side->count(); ++i)
            if (side->tabText(i) == caption) return side->isTabVisible(i);
    return false;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void startUpOnAnEmptyFolder() {
        test::TempDir dir;
        ScriptedInteraction si;
        auto w = startWindow(dir.path(), si);
        QCOMPARE(w->state(), TFormMain::State::Running);
        QVERIFY2(si.messages.empty(), si.messages.empty() ? "" : si.messages[0].text.c_str());
        QCOMPARE(panel(*w, 0), QString("Архив тиражей: 0"));
        QCOMPARE(panel(*w, 1), QString("Следующий тираж: 1"));
        QCOMPARE(panel(*w, 2), QString());
        QCOMPARE(panel(*w, 3), QString("Комбинаций: 11238513"));
        QVERIFY(std::filesystem::exists(dir / "Tavlora_5d69.lsk"));
        QVERIFY(w->windowTitle().contains("версия"));
        // Every tab in its place.
        QStringList left, right;
        for (int i = 0; i < w->leftPages()->count(); ++i) left << w->leftPages()->tabText(i);
        for (int i = 0; i < w->rightPages()->count(); ++i) right << w->rightPages()->tabText(i);
        QCOMPARE(left, QStringList({"Архив тиражей", "Комбинации"}));
        QCOMPARE(right, QStringList({"Статистика", "Графики", "Карта", "Схема", "Неделя", "Ставки", "Рейтинг",
                                     "Регуляры", "Системы", "Сценарий"}));
        // A fresh folder asks nothing (no results page is set for the download at start).
        QVERIFY(si.questions.empty());
        // With an empty archive the commands that need draws are off.
        w->updateActions();
        QVERIFY(w->action("DrawsAdd")->isEnabled());
        QVERIFY(!w->action("DrawsDel")->isEnabled());
        QVERIFY(!w->action("DrawsExport")->isEnabled());
        QVERIFY(!w->action("DrawsInfo")->isEnabled());
    }

    // The frame builds the menu bar from the commands each tab registers, in page order, and a
    // tab's menu is also the context menu of its list.
    void menusFollowTheTabs() {
        test::TempDir dir;
        ScriptedInteraction si;
        auto w = startWindow(dir.path(), si);
        // A command by its name, "-" a separator, ">" and the title a submenu; the menu titles carry
        // their access letters, each a different one.
        const auto entries = [](const QList<QAction*>& actions) {
            QStringList out;
            for (QAction* a : actions)
                out << (a->isSeparator() ? QString("-") : a->menu() ? ">" + a->text() : a->objectName());
            return out;
        };
        const QList<QPair<QString, QStringList>> expected = {
            {"&Программа", {"EditSettings", "EditShredding", "EditProxy", ">Загрузка тиражей при запуске", "-", "Exit"}},
            {"&Тиражи",
             {"DrawsAdd", "DrawsEdit", "DrawsDel", "-", "DrawsSorted", "DrawsInfo", "ViewColorDraws", "-",
              "DrawsDownload", "DrawsImport", "DrawsExport", "DrawsXlsExport"}},
            {"&Комбинации",
             {"CombsGen", "CombsOpen", "CombsSave", "-", "CombsUndo", "CombsDelExists", "CombsDelSelected", "-",
              "CombsCopy", "CombsPaste", "CombsSelectAll", "-", "CombsCheckNums", "CombsFindInDraws", "CombsInfo", "-",
              "CombsXlsExport", "-", "ViewColorCombs", "-", "SystemStakeAll", "SystemStakeFilter"}},
            {"&Статистика",
             {"DrawsStatCalc", "-", "StatFilter_Include", "StatFilter_Exclude", "-", "DrawsStatExportToExcel",
              "FiltersInfo", "FiltersManager", "FiltersReset", "-", "DrawsStatePrefetchsEnabled",
              "DrawsStatShowTotalLine"}},
            {"&Графики", {"DrawsGraphDraw", "-", "AnalyzeRepeats", "TotalSumCombs"}},
            {"К&арта",
             {"CardRefresh", "-", "CardFilter_Include", "CardFilter_Exclude", "-", "CardXlsExport", "-", "ColorCard",
              "ColorCardSequences"}},
            {"Сх&ема",
             {"LayoutRefresh", "-", "LayoutFilter_Include", "LayoutFilter_Exclude", "-", "LayoutXlsExport", "-",
              "LayoutGradient"}},
            {"&Неделя", {"WeekRefresh", "-", "WeekFilter_Include", "WeekFilter_Exclude", "-", "WeekChartMode", "WeekChartType"}},
            {"Ст&авки",
             {"StakeAdd", "StakeAddRandom", "StakeAddSelected", "StakeAddAll", "-", "StakeDel", "StakeFilter",
              "StakeClear", "-", "StakesCheckManual", "StakesGraphDraws", "StakesXlsExport", "-", "LogStakes",
              "LogStakesDelete", "StakesScroll"}},
            {"&Рейтинг",
             {"RatingsRefresh", "-", "RatingsToScript", "-", "StakesGraphOverlap", "StakesGraphProfits",
              "RatingsGraphOverlap", "-", "RatingsExport", "RatingsXlsExport", "-", "RatingsEffMode0",
              "RatingsEffMode1", "RatingsEffMode2"}},
            {"Р&егуляры", {"TablesAdd", "TablesDel", "-", "TablesStakeAdd", "TablesStakeTest"}},
            {"С&истемы",
             {"SystemsRefresh", "SystemsDownload", "-", "SystemsAdd", "SystemsProp", "SystemsDel", "-",
              "SystemsCreate", "-", "SystemStakeAll", "SystemStakeFilter"}},
            {"С&ценарий",
             {"ScriptAdd", "ScriptEmpty", "ScriptClone", "ScriptEdit", "-", "ScriptDel", "ScriptClr", "-", "ScriptUp",
              "ScriptDown", "-", "ScriptOpen", "ScriptLoad", "ScriptSave", "-", "ScriptRun", "ScriptTest", "ScriptStop",
              "-", "LogToggle", "LogsDelete", "StakesCheckLine"}},
            {"&Вид", {"ViewRecalc", "-", "TabGraps", "TabCard", "TabLayout", "TabWeek", "TabTables", "SystemsOn"}},
            {"П&омощь", {"Help", "LotterySite", "-", "AutoSelfUpdate", "CheckUpdate", "-", "About"}},
        };
        const QList<QAction*> bar = w->menuBar()->actions();
        QCOMPARE(bar.size(), expected.size());
        for (int i = 0; i < expected.size(); ++i) {
            QCOMPARE(bar[i]->text(), expected[i].first);
            QCOMPARE(entries(bar[i]->menu()->actions()), expected[i].second);
        }
        QCOMPARE(entries(bar[0]->menu()->actions()[3]->menu()->actions()),
                 QStringList({"AutoDownload0", "AutoDownload1", "AutoDownload2"}));
        const QList<QPair<QWidget*, int>> lists = {
            {w->drawsTab()->listView(), 1}, {w->combsTab()->listView(), 2}, {w->statsTab()->tableView(), 3},
            {w->regularsTab()->list(), 10}, {w->systemsTab()->list(), 11}, {w->scenarioTab()->listView(), 12}};
        for (const auto& [list, menu] : lists) QCOMPARE(entries(list->actions()), expected[menu].second);
        // The optional tabs' commands are checkable and show the state of their pages.
        for (const QString& name : expected[13].second.mid(2)) {
            QVERIFY(w->action(name)->isCheckable());
            QVERIFY(w->action(name)->isChecked());
        }
        QCOMPARE(w->action("TabCard")->statusTip(), QString("Показать или скрыть вкладку \"Карта\""));
        // The pages keep their object names.
        QStringList names;
        for (QTabWidget* side : {w->leftPages(), w->rightPages()})
            for (int i = 0; i < side->count(); ++i) names << side->widget(i)->objectName();
        QCOMPARE(names, QStringList({"tsDraws", "tsCombs", "tsStat", "tsGraphs", "tsCard", "tsLayout", "tsWeek",
                                     "tsStakes", "tsRatings", "tsTables", "tsSystems", "tsScript"}));
    }

    void stakesAndRatingsPanelsShowTheStoredCounts() {
        test::TempDir dir;
        {
            TStakesStore store(dir / "Tavlora_5d69.lsk");
            store.open();
            store.writeRecord(TStakeRecord{}, TStakesStore::Origin::End, 0);
            store.writeRecord(TStakeRecord{}, TStakesStore::Origin::End, 0);
        }
        ScriptedInteraction si;
        auto w = startWindow(dir.path(), si);
        QVERIFY(si.messages.empty());
        QCOMPARE(panel(*w, 4), QString("Ставок: 2"));
        QCOMPARE(panel(*w, 5), QString("Рейтинг: 0"));
    }

    void theInitialisationRunsFromTheStartTimer() {
        test::TempDir dir;
        ScriptedInteraction si;
        app::MainWindowOptions o;
        o.startup.dataDir = dir.path();
        o.interaction = &si;
        TFormMain w(o);
        QCOMPARE(w.state(), TFormMain::State::Created);
        QTRY_COMPARE(w.state(), TFormMain::State::Running);
    }

    void secondCopyOnTheSameFolderIsRefused() {
        test::TempDir dir, other;
        ScriptedInteraction first, second, third;
        auto a = startWindow(dir.path(), first);
        auto b = startWindow(dir.path(), second);
        QCOMPARE(b->state(), TFormMain::State::Ended);
        QCOMPARE(b->exitCode(), 1);
        QCOMPARE(second.messages.size(), size_t(1));
        QCOMPARE(second.messages[0].kind, MessageKind::Error);
        QCOMPARE(second.messages[0].caption, std::string("Ошибка"));
        QCOMPARE(second.messages[0].text, std::string(kExclusiveAccessError));
        QVERIFY(second.messages[0].text.find("Программа будет закрыта!") != std::string::npos);
        b->updateActions();
        QVERIFY(!b->action("DrawsAdd")->isEnabled());
        b.reset();
        QVERIFY(!IniFile(dir / "Tavlora_5d69.frm").keyExists("TFormMain", "NormPos"));  // the refused copy wrote nothing
        // Another folder runs.
        auto c = startWindow(other.path(), third);
        QCOMPARE(c->state(), TFormMain::State::Running);
        QVERIFY(third.messages.empty());
        // Once the first copy is gone the folder is free again.
        a.reset();
        QVERIFY(IniFile(dir / "Tavlora_5d69.frm").keyExists("TFormMain", "NormPos"));
        ScriptedInteraction fourth;
        auto d = startWindow(dir.path(), fourth);
        QCOMPARE(d->state(), TFormMain::State::Running);
    }

    void theProgramRefusesAFolderHeldByAnotherProcess() {
        test::TempDir dir, other;
        QProcess first;
        first.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
        first.start(TAVLORA_GUI_PATH, {"--data", QString::fromStdString(dir.path().string())});
        QVERIFY(first.waitForStarted());
        // Wait until the running copy holds the stakes file.
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                TStakesStore probe(dir / "Tavlora_5d69.lsk");
                try {
                    probe.open();
                    return false;
                } catch (const EError&) {
                    return true;
                }
            }(),
            20000);
        ScriptedInteraction same, elsewhere;
        auto refused = startWindow(dir.path(), same);
        QCOMPARE(refused->state(), TFormMain::State::Ended);
        QCOMPARE(same.messages.at(0).text, std::string(kExclusiveAccessError));
        auto runs = startWindow(other.path(), elsewhere);
        QCOMPARE(runs->state(), TFormMain::State::Running);
        first.kill();
        first.waitForFinished();
    }

    void theProgramEndsAfterLoadOnly() {
        test::TempDir dir;
        QProcess p;
        p.start(TAVLORA_GUI_PATH, {"--data", QString::fromStdString(dir.path().string()), "\\LOADONLY"});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        QVERIFY(std::filesystem::exists(dir / "Tavlora_5d69.lsk"));
    }

    void batchSwitchesEndTheProgramAfterTheirWork() {
        test::TempDir dir;
        ScriptedInteraction si;
        auto w = startWindow(dir.path(), si, {"-LOADONLY"});
        QCOMPARE(w->state(), TFormMain::State::Ended);
        QCOMPARE(w->exitCode(), 0);
        w.reset();
        // fullrefresh builds every missing norm file (minutes in a debug build): "Отмена" stops
        // the build, and the program still ends after it.
        QTimer cancel;
        QObject::connect(&cancel, &QTimer::timeout, [] {
            if (auto* p = ui::ProgressWindow::current(); p && p->cancelButton()) p->requestStop();
        });
        cancel.start(20);
        auto r = startWindow(dir.path(), si, {"/fullrefresh"});
        cancel.stop();
        QCOMPARE(r->state(), TFormMain::State::Ended);
        QVERIFY(si.messages.empty());
    }

    void drawDialogValidation_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("valid") << "1;2;3;4;5;26" << true;
        QTest::newRow("commas") << "69, 2, 3, 4, 5, 1" << true;
        QTest::newRow("five words") << "1;2;3;4;5" << false;
        QTest::newRow("repeated") << "1;1;2;3;4;5" << false;
        QTest::newRow("zero") << "0;2;3;4;5;6" << false;
        QTest::newRow("seventy") << "1;2;3;4;70;6" << false;
        QTest::newRow("extra 27") << "1;2;3;4;5;27" << false;
        QTest::newRow("letters") << "a;2;3;4;5;6" << false;
    }

    void drawDialogValidation() {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        ScriptedInteraction si;
        TDraw start;
        start.number = 42;
        app::TDrawDialog dialog(nullptr, "Введите данные следующего тиража", start, si);
        QCOMPARE(dialog.windowTitle(), QString("Введите данные следующего тиража"));
        QCOMPARE(dialog.numberEdit()->value(), 42);
        QVERIFY(dialog.numbersEdit()->text().isEmpty());
        dialog.dateEdit()->setDate(QDate(2015, 3, 14));
        dialog.numbersEdit()->setText(text);
        dialog.show();
        dialog.numberEdit()->setFocus();
        dialog.accept();
        QCOMPARE(dialog.result() == QDialog::Accepted, accepted);
        if (accepted) {
            QVERIFY(si.messages.empty());
            QCOMPARE(dialog.draw().number, 42);
            QCOMPARE(dialog.draw().dateText(), std::string("03/14/2015"));
        } else {
            QCOMPARE(si.messages.size(), size_t(1));
            QCOMPARE(si.messages[0].kind, MessageKind::Warning);
            QCOMPARE(si.messages[0].text, std::string("Введена некорректная комбинация!"));
            QCOMPARE(dialog.focusWidget(), dialog.numbersEdit());  // focus back on the numbers
            QCOMPARE(dialog.numbersEdit()->text(), text);          // text kept for correction
            QVERIFY(dialog.isVisible());
        }
    }

    void drawDialogShowsAnExistingDraw() {
        ScriptedInteraction si;
        const TDraw d = makeDraw(7, {5, 12, 33, 41, 69}, 9);
        app::TDrawDialog dialog(nullptr, "x", d, si);
        QCOMPARE(dialog.numbersEdit()->text(), QString("5;12;33;41;69;9"));
        QCOMPARE(dialog.dateEdit()->date(), QDate(2009, 1, 7));
        dialog.accept();
        QCOMPARE(dialog.draw().nums, d.nums);  // typed order kept
        QCOMPARE(dialog.draw().unused, (std::array<uint8_t, 3>{}));
    }

    void addingADrawThroughTheDialogSavesIt() {
        test::TempDir dir;
        writeArchive(dir.path(), 100, 3);
        ScriptedInteraction si;
        auto w = startWindow(dir.path(), si);
        QCOMPARE(panel(*w, 1), QString("Следующий тираж: 103"));
        bool seen = false;
        whenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<app::TDrawDialog*>(modal);
            QVERIFY(dialog);
            seen = true;
            QCOMPARE(dialog->numberEdit()->value(), 103);
            dialog->numbersEdit()->setText("7;8;9;10;11;12");
            dialog->accept();
        });
        w->drawsTab()->addDraw();
        QVERIFY(seen);
        QCOMPARE(archiveNumbers(dir.path()), (std::vector<int>{100, 101, 102, 103}));
        QCOMPARE(panel(*w, 0), QString("Архив тиражей: 4"));
        QCOMPARE(w->drawsTab()->listView()->model()->index(0, 0).data().toString(), QString("103"));
        QCOMPARE(w->drawsTab()->listView()->model()->index(0, 6).data().toString(), QString("12"));
        QCOMPARE(w->drawsTab()->listView()->model()->index(0, 7).data().toString(), QString("45"));
        // A cancelled dialog changes nothing.
        whenModal([](QWidget* modal) { modal->close(); });
        w->drawsTab()->addDraw();
        QCOMPARE(archiveNumbers(dir.path()).size(), size_t(4));
    }

    void editingTheFocusedDrawReplacesItInPlace() {
        test::TempDir dir;
        writeArchive(dir.path(), 10, 3);
        ScriptedInteraction si;
        auto w = startWindow(dir.path(), si);
        w->updateActions();
        QVERIFY(!w->action("DrawsEdit")->isEnabled());  // no focused row yet
        w->drawsTab()->listView()->setCurrentIndex(w->drawsTab()->listView()->model()->index(1, 0));  // draw 11
        w->updateActions();
        QVERIFY(w->action("DrawsEdit")->isEnabled());
        whenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<app::TDrawDialog*>(modal);
            QVERIFY(dialog);
            QCOMPARE(dialog->windowTitle(), QString("Введите данные следующего тиража"));
            QCOMPARE(dialog->numberEdit()->value(), 11);
            dialog->numberEdit()->setValue(500);
            dialog->numbersEdit()->setText("69;68;67;66;65;26");
            dialog->accept();
        });
        w->drawsTab()->editDraw();
        QCOMPARE(archiveNumbers(dir.path()), (std::vector<int>{10, 500, 12}));  // not reordered
        Session s(dir.path());
        QCOMPARE(s.draws()[1].nums, (std::array<uint8_t, 5>{69, 68, 67, 66, 65}));
        QCOMPARE(s.draws()[1].extra, uint8_t(26));
    }

    void deletingTwoSelectedRowsRemovesExactlyThoseDraws() {
        test::TempDir dir;
        writeArchive(dir.path(), 1, 6);
        ScriptedInteraction si(true);
        auto w = startWindow(dir.path(), si);
        auto* view = w->drawsTab()->listView();
        // List positions 1 and 4: draws 5 and 2 (newest first).
        view->selectionModel()->select(view->model()->index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        view->selectionModel()->select(view->model()->index(4, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        w->updateActions();
        QVERIFY(w->action("DrawsDel")->isEnabled());
        si.answers = {false};
        w->drawsTab()->deleteDraws();  // "No" keeps everything
        QCOMPARE(archiveNumbers(dir.path()), (std::vector<int>{1, 2, 3, 4, 5, 6}));
        w->drawsTab()->deleteDraws();
        QCOMPARE(si.questions.size(), size_t(2));
        QCOMPARE(si.questions[1].caption, std::string("Предупреждение"));
        QCOMPARE(si.questions[1].text, std::string("Удалить все выделенные записи (всего будет удалено 2 записи(ей))?"));
        QCOMPARE(archiveNumbers(dir.path()), (std::vector<int>{1, 3, 4, 6}));
        QCOMPARE(panel(*w, 0), QString("Архив тиражей: 4"));
        QVERIFY(view->selectionModel()->selectedRows().isEmpty());
        QCOMPARE(panel(*w, 6), QString());  // the status text is cleared afterwards
    }

    void offsetSpinFillsStatusPanelTwoAndMarksTheRow() {
        test::TempDir dir;
        {
            Session s(dir.path());
            s.archive().append(makeDraw(1, {1, 2, 3, 4, 5}, 1));
            s.archive().append(makeDraw(2, {10, 20, 30, 40, 50}, 2));
            s.archive().append(makeDraw(3, {11, 21, 31, 41, 51}, 3));
            NullProgress p;
            ScriptedInteraction si;
            QVERIFY(s.archive().save(p, si));
        }
        ScriptedInteraction si;
        auto w = startWindow(dir.path(), si);
        QCOMPARE(w->drawsTab()->offsetEdit()->maximum(), 2);
        w->drawsTab()->offsetEdit()->setValue(2);
        QCOMPARE(w->session()->drawsOffset(), 2);
        QCOMPARE(panel(*w, 2), QString("10;20;30;40;50"));
        QCOMPARE(panel(*w, 1), QString("Следующий тираж: 2"));
        const auto bg = w->drawsTab()->listView()->model()->index(2, 0).data(Qt::BackgroundRole).value<QBrush>();
        QCOMPARE(bg.color(), QColor(0xFF, 0xAA, 0xAA));
        w->drawsTab()->offsetEdit()->setValue(0);
        QCOMPARE(panel(*w, 2), QString());
        // Channel colours of the number cells, white elsewhere.
        const auto cell = w->drawsTab()->listView()->model()->index(2, 1).data(Qt::BackgroundRole).value<QBrush>();
        QCOMPARE(cell.color(), QColor(0xAA, 0xFF, 0xAA));  // number 1, channel 1
        QCOMPARE(w->drawsTab()->listView()->model()->index(2, 8).data(Qt::BackgroundRole).value<QBrush>().color(),
                 QColor(Qt::white));
        w->drawsTab()->toggleColorDraws();
        QVERIFY(!w->drawsTab()->listView()->model()->index(2, 1).data(Qt::BackgroundRole).isValid());
        QVERIFY(!loadFormSettings(dir / "Tavlora_5d69.frm").colorDraws);
    }

    void sortedDrawsIsStoredAtOnceAndShowsAscendingNumbers() {
        test::TempDir dir;
        {
            Session s(dir.path());
            s.archive().append(makeDraw(1, {50, 2, 40, 4, 5}, 1));
            NullProgress p;
            ScriptedInteraction si;
            QVERIFY(s.archive().save(p, si));
        }
        ScriptedInteraction si;
        auto w = startWindow(dir.path(), si);
        QCOMPARE(w->drawsTab()->listView()->model()->index(0, 1).data().toString(), QString("50"));
        w->action("DrawsSorted")->trigger();
        QVERIFY(w->action("DrawsSorted")->isChecked());
        QCOMPARE(w->drawsTab()->listView()->model()->index(0, 1).data().toString(), QString("2"));
        QVERIFY(loadFormSettings(dir / "Tavlora_5d69.frm").sortedDraws);
        QVERIFY(w->session()->sortedDraws());
    }

    void everyCommandIsDisabledWhileBusy() {
        test::TempDir dir;
        writeArchive(dir.path(), 1, 2);
        ScriptedInteraction si;
        auto w = startWindow(dir.path(), si);
        w->updateActions();
        QVERIFY(w->action("DrawsAdd")->isEnabled());
        w->busyState().enter();
        for (const char* name : {"DrawsAdd", "DrawsExport", "DrawsImport", "EditSettings", "TabGraps", "Exit"})
            QVERIFY2(!w->action(name)->isEnabled(), name);
        // The offset field cannot change while work runs; it stays enabled to keep the focus.
        QVERIFY(w->drawsTab()->offsetEdit()->isReadOnly());
        // Closing during long work asks it to stop and keeps the window.
        w->show();
        QVERIFY(!w->progress().stopRequested());
        QVERIFY(!w->close());
        QVERIFY(w->isVisible());
        QVERIFY(w->progress().stopRequested());
        w->busyState().leave();
        QVERIFY(!w->progress().stopRequested());
        QVERIFY(w->action("DrawsAdd")->isEnabled());
        QVERIFY(w->drawsTab()->offsetEdit()->isEnabled());
        QVERIFY(!w->drawsTab()->offsetEdit()->isReadOnly());
        // ... and the window closes once the work has stopped.
        QTRY_VERIFY(!w->isVisible());
    }

    void tabCommandsShowHideAndStoreTheirKeys() {
        test::TempDir dir;
        ScriptedInteraction si;
        {
            auto w = startWindow(dir.path(), si);
            QVERIFY(tabShown(*w, "Графики"));
            QCOMPARE(w->action("TabGraps")->text(), QString("Вкладка \"Графики\""));
            QCOMPARE(w->action("SystemsOn")->text(), QString("Системная игра"));
            w->action("TabGraps")->trigger();
            w->action("SystemsOn")->trigger();
            QVERIFY(!tabShown(*w, "Системы"));
            QVERIFY(!tabShown(*w, "Графики"));
            w->action("TabTables")->trigger();
            QVERIFY(!tabShown(*w, "Регуляры"));
            w->action("TabTables")->trigger();
            QVERIFY(tabShown(*w, "Регуляры"));
            QCOMPARE(w->rightPages()->tabText(w->rightPages()->currentIndex()), QString("Регуляры"));
        }
        const auto s = loadFormSettings(dir / "Tavlora_5d69.frm");
        QVERIFY(!s.tabGraphs);
        QVERIFY(!s.systemsEnabled);
        QVERIFY(s.tabTables);
        auto w = startWindow(dir.path(), si);
        QVERIFY(!tabShown(*w, "Графики"));
        QVERIFY(!tabShown(*w, "Системы"));
        QVERIFY(!w->action("TabGraps")->isChecked());
    }

    void firstRunShowsTheHelpDialogUntilDeclined() {
        test::TempDir dir;
        writeFormKey(dir / "Tavlora_5d69.frm", "FirstRun", true);
        ScriptedInteraction si;
        QString title;
        bool openEnabled = true;
        whenModal([&](QWidget* dialog) {
            title = dialog->windowTitle();
            openEnabled = dialog->findChild<QPushButton*>()->isEnabled();
            dialog->findChild<QCheckBox*>()->setChecked(true);
            dialog->close();
        });
        auto w = startWindow(dir.path(), si);
        QCOMPARE(title, QString("Справочная информация"));
        QVERIFY(openEnabled);  // the help is built into the program
        QVERIFY(!loadFormSettings(dir / "Tavlora_5d69.frm").firstRun);
        QCOMPARE(w->state(), TFormMain::State::Running);
    }

    void shutdownWritesPlacementAndSizes() {
        test::TempDir dir;
        ScriptedInteraction si;
        {
            auto w = startWindow(dir.path(), si);
            w->action("AutoDownload2")->trigger();
            w->drawsTab()->listView()->setColumnWidth(0, 44);
        }
        IniFile ini(dir / "Tavlora_5d69.frm");
        QVERIFY(ini.keyExists("TFormMain", "LeftPanelWidth"));
        QVERIFY(ini.keyExists("TFormMain", "NormPos"));
        QVERIFY(ini.keyExists("TFormMain", "lvDraws_Columns"));
        QCOMPARE(ini.readInteger("TFormMain", "DownloadDrawsOnStart", -1), 2);
        QVERIFY(ini.readBool("TFormMain", "PrefetchsInit", false));
        // With the download switched off nothing is asked at start.
        ScriptedInteraction again;
        auto w = startWindow(dir.path(), again);
        QVERIFY(again.questions.empty());
        QVERIFY(w->action("AutoDownload2")->isChecked());
        QCOMPARE(w->drawsTab()->listView()->columnWidth(0), 44);  // the list's widths come back
    }

    void importAndExportThroughTheWindow() {
        test::TempDir dir;
        ScriptedInteraction si;
        auto w = startWindow(dir.path(), si);
        const QString sample = QStringLiteral(TAVLORA_SAMPLE_DIR "/draws.csv");
        w->drawsTab()->listView()->setColumnWidth(0, 44);  // as the user narrowed it
        QVERIFY(w->drawsTab()->importDraws(sample));
        QCOMPARE(panel(*w, 0), QString("Архив тиражей: 1390"));
        // The number columns keep their narrow widths and the list its user's widths.
        QCOMPARE(w->drawsTab()->listView()->columnWidth(1), 23);
        QCOMPARE(w->drawsTab()->listView()->columnWidth(0), 44);
        QCOMPARE(w->drawsTab()->listView()->model()->rowCount(), 1390);
        const QString out = QString::fromStdString((dir / "out.csv").string());
        QVERIFY(w->drawsTab()->exportDraws(out));
        QVERIFY(w->drawsTab()->importDraws(out));  // the same file again appends nothing
        QCOMPARE(panel(*w, 0), QString("Архив тиражей: 1390"));
        QVERIFY(!w->drawsTab()->importDraws(QString::fromStdString((dir / "missing.csv").string())));
        QCOMPARE(si.messages.back().kind, MessageKind::Error);
        QCOMPARE(panel(*w, 0), QString("Архив тиражей: 1390"));
    }

    void settingsDialogKeepsEverySegmentWhenTheWidthChanges() {
        ScriptedInteraction si;
        TConfigData config;
        for (int n = 1; n <= 69; ++n) config.segments[static_cast<size_t>(n - 1)] = static_cast<uint8_t>(1 + n % 9);
        app::TSettingsDialog dialog(nullptr, config, si);
        QCOMPARE(dialog.matrixColsEdit()->value(), 7);
        QCOMPARE(dialog.matrixRowsEdit()->value(), 10);
        QCOMPARE(dialog.segmentGrid()->columnCount(), 7);
        // Number 10 sits in row 1, column 2 of a 7-wide grid.
        QCOMPARE(dialog.segmentGrid()->item(1, 2)->text(), QString::number(1 + 10 % 9));
        dialog.segmentGrid()->item(9, 5)->setText("7");  // number 69
        dialog.matrixColsEdit()->setValue(10);
        QCOMPARE(dialog.matrixRowsEdit()->value(), 7);
        QCOMPARE(dialog.segmentGrid()->columnCount(), 10);
        QCOMPARE(dialog.segmentGrid()->rowCount(), 7);
        auto expected = config.segments;
        expected[68] = 7;
        QCOMPARE(dialog.segmentsFromGrid(), expected);
        QCOMPARE(dialog.segmentGrid()->item(6, 8)->text(), QString("7"));  // 69 = row 6, column 8
        QVERIFY(!(dialog.segmentGrid()->item(6, 9)->flags() & Qt::ItemIsSelectable));  // no number 70
        QCOMPARE(dialog.config().segments, expected);
        QCOMPARE(dialog.config().matrixCols, 10);
        QVERIFY(si.messages.empty());
    }

    void settingsDialogCellEditorsFilterTyping() {
        ScriptedInteraction si;
        app::TSettingsDialog dialog(nullptr, TConfigData{}, si);
        QWidget host;
        auto editorFor = [&](QTableWidget* grid, int row, int col) {
            QStyleOptionViewItem option;
            auto* editor = qobject_cast<QLineEdit*>(
                grid->itemDelegateForIndex(grid->model()->index(row, col))->createEditor(&host, option, grid->model()->index(row, col)));
            return editor;
        };
        auto accepts = [](QLineEdit* e, QString text) {
            int pos = 0;
            return e->validator()->validate(text, pos) != QValidator::Invalid;
        };
        QLineEdit* prize = editorFor(dialog.prizeGrid(), 0, 1);
        QVERIFY(prize && prize->validator());
        QVERIFY(accepts(prize, "125"));
        QVERIFY(accepts(prize, QString("12") + QChar::fromLatin1(systemDecimalSeparator()) + "5"));
        QVERIFY(!accepts(prize, "12a"));
        QVERIFY(!accepts(prize, "-5"));
        QLineEdit* segment = editorFor(dialog.segmentGrid(), 0, 0);
        QVERIFY(segment && segment->validator());
        QVERIFY(accepts(segment, "7"));
        QVERIFY(!accepts(segment, "x"));
    }

    void settingsDialogRefusesSegmentsOutsideOneToNine() {
        ScriptedInteraction si;
        app::TSettingsDialog dialog(nullptr, TConfigData{}, si);
        dialog.segmentGrid()->item(0, 0)->setText("12");
        QCOMPARE(si.messages.size(), size_t(1));
        QCOMPARE(si.messages[0].text, std::string("Некорректное значение: 12!\r\rУкажите любое число от 1 до 9"));
        QCOMPARE(dialog.segmentGrid()->item(0, 0)->text(), QString("1"));
        dialog.segmentGrid()->item(0, 1)->setText("0");
        QCOMPARE(si.messages.size(), size_t(2));
        dialog.segmentGrid()->item(0, 2)->setText("");  // an empty cell reads as 1
        QCOMPARE(si.messages.size(), size_t(2));
        QCOMPARE(dialog.segmentsFromGrid()[2], uint8_t(1));
    }

    void settingsDialogFieldsAndSixPrizeRows() {
        ScriptedInteraction si;
        TConfigData config;
        config.stakeCost = 12345;  // 1.2345: more decimals than the field shows
        config.weights.count = 0.12345L;
        config.profits = {{3, 12345}, {5, 10000000000}};
        config.maxStake = 5;
        app::TSettingsDialog dialog(nullptr, config, si);
        QCOMPARE(dialog.matrixColsEdit()->minimum(), 1);
        QCOMPARE(dialog.matrixColsEdit()->maximum(), 69);
        QCOMPARE(dialog.channelSizeEdit()->minimum(), 4);
        QCOMPARE(dialog.channelSizeEdit()->maximum(), 69);
        QCOMPARE(dialog.stakeCostEdit()->decimals(), 2);
        QCOMPARE(dialog.prizeGrid()->rowCount(), 6);
        QCOMPARE(dialog.prizeGrid()->item(5, 0)->text(), QString("5"));
        // Each row shows the prize for its number of matches.
        const QChar sep = QChar::fromLatin1(systemDecimalSeparator());
        QCOMPARE(dialog.prizeGrid()->item(0, 1)->text(), QString("0") + sep + "00");
        QCOMPARE(dialog.prizeGrid()->item(3, 1)->text(), QString("1") + sep + "23");
        QCOMPARE(dialog.prizeGrid()->item(5, 1)->text(), QString("1000000") + sep + "00");
        dialog.prizeGrid()->item(4, 1)->setText("250");
        TConfigData out = dialog.config();
        QCOMPARE(out.profits.size(), size_t(6));
        QCOMPARE(out.profits[0].prize, int64_t(0));
        QCOMPARE(out.profits[3].overlap, uint8_t(3));
        QCOMPARE(out.profits[3].prize, int64_t(12345));  // untouched: every stored decimal kept
        QCOMPARE(out.profits[4].overlap, uint8_t(4));
        QCOMPARE(out.profits[4].prize, int64_t(2500000));
        QCOMPARE(out.profits[5].prize, int64_t(10000000000));
        QCOMPARE(out.stakeCost, int64_t(12345));
        QVERIFY(out.weights.count == 0.12345L);
        dialog.prizeGrid()->item(5, 1)->setText("zz");
        dialog.stakeCostEdit()->setValue(2.5);
        out = dialog.config();
        QCOMPARE(out.profits[5].prize, int64_t(0));  // unreadable value
        QCOMPARE(out.stakeCost, int64_t(25000));
        QCOMPARE(out.maxStake, 5);  // the hidden field never changes the stored value
        QVERIFY(!dialog.findChild<QSpinBox*>("edMaxStake")->isVisibleTo(&dialog));
    }

    void confirmedSettingsAreSavedToTheConfigurationFile() {
        test::TempDir dir;
        writeArchive(dir.path(), 1, 3);
        ScriptedInteraction si;
        auto w = startWindow(dir.path(), si);
        // The lists repaint: their channel colours follow the channel width.
        QSignalSpy drawsRepainted(w->drawsTab()->model(), &QAbstractItemModel::dataChanged);
        QSignalSpy combsRepainted(w->combsTab()->model(), &QAbstractItemModel::dataChanged);
        whenModal([](QWidget* modal) {
            auto* dialog = qobject_cast<app::TSettingsDialog*>(modal);
            QVERIFY(dialog);
            dialog->matrixColsEdit()->setValue(10);
            dialog->channelSizeEdit()->setValue(9);
            dialog->stakeCostEdit()->setValue(0.5);
            dialog->accept();
        });
        w->action("EditSettings")->trigger();
        QVERIFY(si.messages.empty());
        TSettings read;
        read.loadSettings(dir / "Tavlora_5d69.ini");
        QCOMPARE(read.config.matrixCols, 10);
        QCOMPARE(read.config.channelSize, 9);
        QCOMPARE(read.config.stakeCost, int64_t(5000));
        QVERIFY(w->session());
        const TStatList& registry = w->session()->statList();
        QCOMPARE(registry.settings().config.matrixCols, 10);
        QVERIFY(!drawsRepainted.isEmpty());
        QVERIFY(!combsRepainted.isEmpty());
        QComboBox* methods = w->statsTab()->methodBox();
        QCOMPARE(methods->findText("(n1)/(p1+1)", Qt::MatchContains), -1);
        whenModal([](QWidget* modal) {
            auto* dialog = qobject_cast<app::TShreddingDialog*>(modal);
            QVERIFY(dialog);
            const char* formulas[] = {"n1+n2", "n3", "(n1)/(p1+1)"};
            for (int i = 0; i < 3; ++i) {
                dialog->formulaEdit(i)->setText(formulas[i]);
                dialog->digitsEdit(i)->setValue(3 + i);
            }
            dialog->accept();
        });
        w->action("EditShredding")->trigger();
        // The rebuilt registry shows the new formula in the shredding method's caption.
        const int shr = registry.methodWithCode("SHR1");
        QVERIFY(shr >= 0);
        QVERIFY(registry.item(shr).displayCaption().find("n1+n2") != std::string::npos);
        // ... and so does the method list of the statistics tab.
        QVERIFY(methods->findText("(n1)/(p1+1)", Qt::MatchContains) >= 0);
        read.loadShredding(dir / "Tavlora_5d69.ini");
        QCOMPARE(read.formulas[0], std::string("n1+n2"));
        QCOMPARE(read.formulaDigits[2], 5);
    }

    void aSettingsWriteFailureIsReported() {
        test::TempDir dir;
        ScriptedInteraction si;
        auto w = startWindow(dir.path(), si);
        // A folder in place of the configuration file makes writing it fail.
        std::filesystem::create_directory(dir / "Tavlora_5d69.ini");
        whenModal([](QWidget* modal) { qobject_cast<QDialog*>(modal)->accept(); });
        w->action("EditSettings")->trigger();
        QCOMPARE(si.messages.size(), size_t(1));
        QCOMPARE(si.messages[0].caption, std::string("Ошибка"));
        QVERIFY(si.messages[0].text.starts_with("Ошибка записи в файл конфигурации!\r\r"));
        QCOMPARE(panel(*w, 6), QString());
    }

    void shreddingDialogFields() {
        app::TShreddingDialog dialog(nullptr, {"a", "b", "c"}, {1, 9, 3});
        QCOMPARE(dialog.windowTitle(), QString("Методы шинковки"));
        QCOMPARE(dialog.formulaEdit(1)->text(), QString("b"));
        QCOMPARE(dialog.digitsEdit(1)->value(), 5);  // clamped to 1..5
        dialog.formulaEdit(2)->setText("n1/n2");
        dialog.digitsEdit(0)->setValue(4);
        QCOMPARE(dialog.formulas()[2], std::string("n1/n2"));
        QCOMPARE(dialog.digits()[0], 4);
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
