// The shared UI helpers and the window's plain-C++ pieces: command-line switches, list sorting,
// message texts and confirmations, file filters, busy state, progress window, proxy settings.
#include <QApplication>
#include <QHeaderView>
#include <QProcess>
#include <QPushButton>
#include <QStandardItemModel>
#include <QStandardPaths>
#include <QtTest>
#include <fstream>

#include "app/command_line.h"
#include "app/main_window.h"
#include "app/process_list.h"
#include "app/settings/settings_commands.h"
#include "archive/proxy_settings.h"
#include "core/error.h"
#include "core/interaction.h"
#include "test_support.h"
#include "ui/busy_state.h"
#include "ui/file_dialogs.h"
#include "ui/gui_progress.h"
#include "ui/message_boxes.h"
#include "ui/progress_window.h"
#include "ui/sortable_list.h"
#include "ui/text.h"
#include "ui/wait_window.h"

using namespace tavlora;

class HelpersTest : public QObject {
    Q_OBJECT
private slots:
    void switchesAcceptEveryPrefixInAnyCase() {
        using app::hasSwitch;
        for (const char* arg : {"loadonly", "-LOADONLY", "--LoadOnly", "/loadonly", "\\loadonly"})
            QVERIFY2(hasSwitch({"x", arg}, "loadonly"), arg);
        QVERIFY(!hasSwitch({"loadonly2"}, "loadonly"));
        QVERIFY(!hasSwitch({"---loadonly"}, "loadonly"));
        QVERIFY(!hasSwitch({"+loadonly"}, "loadonly"));
        QVERIFY(!hasSwitch({}, "restart"));
        const auto o = app::parseStartupOptions({"-LOADONLY", "/FullRefresh", "\\restart"}, "/exe");
        QVERIFY(o.loadOnly && o.fullRefresh && o.restart && !o.fullRecreate);
        QCOMPARE(o.dataDir, std::filesystem::path("/exe"));
    }

    void dataFolderOption() {
        QCOMPARE(app::parseStartupOptions({"--data", "/d1"}, "/exe").dataDir, std::filesystem::path("/d1"));
        QCOMPARE(app::parseStartupOptions({"--data=/d2", "fullrecreate"}, "/exe").dataDir, std::filesystem::path("/d2"));
        QVERIFY(app::parseStartupOptions({"--data=/d2", "fullrecreate"}, "/exe").fullRecreate);
        QVERIFY_THROWS_EXCEPTION(EError, app::parseStartupOptions({"--data"}, "/exe"));
    }

    void listTextsCompareAsNumbersOrCaseInsensitiveTexts() {
        using ui::compareListTexts;
        QVERIFY(compareListTexts("9", "10") < 0);         // numbers, not texts
        QVERIFY(compareListTexts("2,5", "10") < 0);       // "," is the decimal point
        QVERIFY(compareListTexts("-3", "2") < 0);
        QCOMPARE(compareListTexts("1,50", "1.5"), 0);
        QCOMPARE(compareListTexts("abc", "ABC"), 0);      // case ignored
        QVERIFY(compareListTexts("b", "A") > 0);
        QVERIFY(compareListTexts("9", "10a") > 0);        // one is not a number: text order
        QVERIFY(!ui::listNumber("inf").has_value());
        QVERIFY(!ui::listNumber("").has_value());
    }

    void headerClickSortsAscendingThenReversesWithTiesByColumnZero() {
        QStandardItemModel model(0, 2);
        const char* rows[][2] = {{"b", "10"}, {"a", "9"}, {"c", "10"}, {"d", "x"}};
        for (auto& r : rows) model.appendRow({new QStandardItem(r[0]), new QStandardItem(r[1])});
        ui::SortableTableView view;
        view.setSourceModel(&model);
        auto column0 = [&] {
            QStringList out;
            for (int i = 0; i < view.model()->rowCount(); ++i) out << view.model()->index(i, 0).data().toString();
            return out;
        };
        view.horizontalHeader()->sectionClicked(1);
        QCOMPARE(view.sortOrder(), Qt::AscendingOrder);
        // 9 < 10 = 10 (tie: b before c) < "x" (a number sorts before a text by text order)
        QCOMPARE(column0(), QStringList({"a", "b", "c", "d"}));
        view.horizontalHeader()->sectionClicked(1);
        QCOMPARE(view.sortOrder(), Qt::DescendingOrder);
        QCOMPARE(column0().first(), QString("d"));
        view.horizontalHeader()->sectionClicked(0);  // another column starts ascending again
        QCOMPARE(view.sortOrder(), Qt::AscendingOrder);
        QCOMPARE(column0(), QStringList({"a", "b", "c", "d"}));
    }

    void messagesTurnParagraphMarksIntoLineBreaks() {
        QCOMPARE(ui::displayText("Ошибка!\r\rПричина"), QString("Ошибка!\n\nПричина"));
        QCOMPARE(ui::displayText("a\r\nb"), QString("a\nb"));
        QCOMPARE(ui::qs(ui::us(QString("Архив"))), QString("Архив"));
    }

    void deleteConfirmationAsksWithWarningCaptionAndNoDefault() {
        ScriptedInteraction s(true);
        QVERIFY(ui::confirmDelete(s, 1));
        QVERIFY(ui::confirmDelete(s, 3));
        QVERIFY(!ui::confirmDelete(s, 0));  // nothing selected: nothing asked
        QCOMPARE(s.questions.size(), size_t(2));
        QCOMPARE(s.questions[0].caption, std::string("Предупреждение"));
        QCOMPARE(s.questions[0].text, std::string("Удалить выделенную запись?"));
        QCOMPARE(s.questions[1].text,
                 std::string("Удалить все выделенные записи (всего будет удалено 3 записи(ей))?"));
        s.answers = {false};
        QVERIFY(!ui::confirmDelete(s, 2));
    }

    void fileFiltersAndDefaultExtension() {
        QCOMPARE(ui::qtFileFilter(ui::kDrawsFileFilter), QString("Файлы тиражей (*.csv)"));
        QCOMPARE(ui::qtFileFilter("Комбинации|*.lcv|Все файлы|*.*"), QString("Комбинации (*.lcv);;Все файлы (*.*)"));
        QCOMPARE(ui::qtFileFilter("Тексты (*.txt)|*.txt;*.log"), QString("Тексты (*.txt *.log)"));
        QCOMPARE(ui::withDefaultExtension("/tmp/draws", "csv"), QString("/tmp/draws.csv"));
        QCOMPARE(ui::withDefaultExtension("/tmp/draws.txt", "csv"), QString("/tmp/draws.txt"));
        QCOMPARE(ui::withDefaultExtension("", "csv"), QString());
    }

    void busyCounterNeverGoesBelowZeroAndShowsTheWaitCursor() {
        ui::BusyState busy;
        QSignalSpy spy(&busy, &ui::BusyState::busyChanged);
        busy.leave();
        QCOMPARE(busy.count(), 0);
        {
            ui::BusyScope a(busy);
            ui::BusyScope b(busy);
            QCOMPARE(busy.count(), 2);
            QVERIFY(QApplication::overrideCursor());
            QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        }
        QCOMPARE(busy.count(), 0);
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(spy.count(), 2);  // busy once, idle once
    }

    void progressWindowIsSingleAndCancelIsTheStopRequest() {
        {
            ui::ProgressWindow w(nullptr, "Работа...", 10, true);
            QCOMPARE(w.height(), 105);
            try {
                ui::ProgressWindow second(nullptr, "x", 1, false);
                QFAIL("a second progress window opened");
            } catch (const EError& e) {
                QCOMPARE(std::string(e.what()), std::string("Окно индикатора уже создано!"));
            }
            w.setPosition(25);
            QCOMPARE(w.position(), int64_t(10));  // clamped at the maximum
            ui::GuiProgress progress;
            QVERIFY(!progress.stopRequested());
            QTest::mouseClick(w.cancelButton(), Qt::LeftButton);
            QVERIFY(w.stopRequested());
            QVERIFY(!w.cancelButton()->isEnabled());
            QVERIFY(progress.stopRequested());
        }
        QVERIFY(!ui::ProgressWindow::current());
        ui::ProgressWindow plain(nullptr, "Работа...", 5, false);
        QCOMPARE(plain.height(), 74);
        QVERIFY(!plain.cancelButton());
    }

    void progressTextGoesToTheSinkAndClearsOnEveryWayOut() {
        QString shown = "старое";
        ui::GuiProgress progress([&](const QString& t) { shown = t; });
        try {
            ui::StatusScope s(progress, "Загрузка\r\rфайла...");
            QCOMPARE(shown, QString("Загрузка\n\nфайла..."));
            throw EError("сбой");
        } catch (const EError&) {
        }
        QCOMPARE(shown, QString());
    }

    void waitWindowIsUpdatedInPlaceAndFreed() {
        ui::WaitWindow::show("Подождите...");
        QVERIFY(ui::WaitWindow::visible());
        ui::WaitWindow::show("Ещё немного...");
        QCOMPARE(ui::WaitWindow::text(), QString("Ещё немного..."));
        ui::WaitWindow::hide();
        QVERIFY(!ui::WaitWindow::visible());
    }

    void proxySectionDefaults() {
        test::TempDir dir;
        const auto ini = dir / "Tavlora_5d69.ini";
        auto p = loadProxySettings(ini);
        QCOMPARE(p.mode, 0);
        QCOMPARE(p.port, 80);
        QVERIFY(p.server.empty());
        {
            std::ofstream f(ini, std::ios::binary);
            f << "[PROXY]\r\nProxyServer=proxy.local\r\nProxyPort=3128\r\nProxyUsername=u\r\n";
        }
        p = loadProxySettings(ini);
        QCOMPARE(p.mode, 2);  // no mode but a server: manual proxy
        QCOMPARE(p.server, std::string("proxy.local"));
        QCOMPARE(p.port, 3128);
        QCOMPARE(p.username, std::string("u"));
    }

    void runningProcessesAreFoundByExecutableName() {
        QVERIFY(!app::ownExecutableName().empty());
        QVERIFY(!app::otherProcessRunning("no-such-program-tavlora-xyz"));
        QVERIFY(!app::otherProcessRunning(""));
        QProcess sleeper;
        sleeper.start("sleep", {"30"});
        QVERIFY(sleeper.waitForStarted());
        QVERIFY(app::otherProcessRunning("sleep"));
        sleeper.kill();
        sleeper.waitForFinished();
        // A copy whose executable was replaced since it started (an update) still counts.
        test::TempDir dir;
        const auto exe = dir / "tavlora-replaced";
        std::filesystem::copy_file(QStandardPaths::findExecutable("sleep").toStdString(), exe);
        QProcess old;
        old.start(QString::fromStdString(exe.string()), {"30"});
        QVERIFY(old.waitForStarted());
        std::filesystem::remove(exe);
        QVERIFY(app::otherProcessRunning("tavlora-replaced"));
        old.kill();
        old.waitForFinished();
    }
};

QTEST_MAIN(HelpersTest)
#include "helpers_test.moc"
