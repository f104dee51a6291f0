// The "Системы" tab against the real local catalogue service (tests/servers/systems_server.py):
// the list shows the catalogue's rows with their marks, "Загрузить" writes the system file and
// marks the row, an own system is added and deleted through the dialog, system play makes the
// stakes of the mapped system, the system dialog normalises its list and refuses the first failing
// check, and without a catalogue address the list shows the systems on disk.
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTableView>
#include <QtTest>
#include <fstream>
#include <optional>
#include <string>

#include "core/interaction.h"

// Server start failures are failures of the running Qt test function.
#define TAVLORA_SERVER_EXPECT(cond, message)                                                    \
    do {                                                                                        \
        if (!(cond)) QTest::qFail(std::string(message).c_str(), __FILE__, __LINE__);           \
    } while (0)
#include "server_support.h"

#include "app/gui_support.h"
#include "app/main_window.h"
#include "app/systems/system_dialog.h"
#include "app/systems/systems_tab.h"
#include "session/session.h"
#include "session/session_systems.h"
#include "stakes/stakes_store.h"
#include "test_support.h"

using namespace tavlora;
using namespace tavlora::test;

namespace {

// The catalogue file of the service (an ordinary literal: moc does not read raw strings).
const char* kCatalogue =
    "[\n"
    " {\"id\": 21, \"nums\": 6, \"olap\": 0, \"title\": \"Шесть чисел\", \"descr\": \"Одна линия\", \"author\": \"Чужой\",\n"
    "  \"cl_mail\": \"other@example.org\", \"url\": \"\", \"created\": \"2024-01-02 03:04:05\", \"downloads\": 3,\n"
    "  \"last_download\": \"2024-05-06 07:08:09\", \"clist\": \"01 02 03 04 06\\n\"},\n"
    " {\"id\": 22, \"nums\": 12, \"olap\": 2, \"title\": \"Моя система\", \"descr\": \"Своя\", \"author\": \"Я\",\n"
    "  \"cl_mail\": \"Me@Example.org\", \"url\": \"http://example.org/\", \"created\": \"2024-02-03 04:05:06\", \"downloads\": 0,\n"
    "  \"last_download\": \"\", \"clist\": \"01 02 03 04 05\\n06 07 08 09 10\\n08 09 10 11 12\\n\"}\n"
    "]\n";

// The combination list of the numbers 3, 8, 15, 22, 31, 40 (the six combinations of five of them,
// so the numbers appear in that order), and the systems settings.
void writeSettings(const std::filesystem::path& dir, const std::string& url) {
    std::ofstream ini(dir / "Tavlora_5d69.ini", std::ios::binary);
    ini << "[GLOBAL]\r\nCombsGenerateMode=2\r\nCombsGenerateParameters=3;8;15;22;31;40\r\n";
    ini << "[SYSTEMS]\r\nUrl=" << url << "\r\nMail=me@example.org\r\n";
}

QString cell(app::SystemsTab& tab, int row, int column) {
    return tab.model()->index(row, column).data().toString();
}

int rowOf(app::SystemsTab& tab, int32_t id) {
    const auto& rows = tab.model()->rows();
    for (size_t r = 0; r < rows.size(); ++r)
        if (rows[r].info.id == id) return static_cast<int>(r);
    return -1;
}

void selectRow(app::SystemsTab& tab, int row) {
    QTableView* list = tab.list();
    list->setCurrentIndex(list->model()->index(row, 0));
    list->selectionModel()->select(list->model()->index(row, 0),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void fill(QWidget* d, const char* name, const QString& text) {
    if (auto* e = d->findChild<QLineEdit*>(name)) e->setText(text);
    else if (auto* m = d->findChild<QPlainTextEdit*>(name)) m->setPlainText(text);
}

}  // namespace

class SystemsTabTest : public QObject {
    Q_OBJECT
private slots:
    void catalogueListDownloadOwnSystemsAndPlay() {
        TempDir dir;
        const auto catalogue = dir.path() / "catalogue.json";
        std::ofstream(catalogue) << kCatalogue;
        std::optional<SystemsServer> server;
        server.emplace(dir.path(), "systems", catalogue);
        writeSettings(dir.path(), server->url());
        ScriptedInteraction si;
        auto w = startWindow(dir.path(), si);
        app::SystemsTab& tab = *w->systemsTab();

        // Loaded at start-up: the catalogue's two rows with the eleven columns.
        QCOMPARE(tab.model()->rowCount(), 2);
        QCOMPARE(tab.model()->columnCount(), 11);
        const int other = rowOf(tab, 21), own = rowOf(tab, 22);
        QVERIFY(other >= 0 && own >= 0);
        const QStringList expected = {"Шесть чисел", "Чужой", "06", "0", "1", "2024-01-02 03:04:05", "",
                                      "3", "2024-05-06 07:08:09", "Одна линия", ""};
        for (int c = 0; c < 11; ++c) QCOMPARE(cell(tab, other, c), expected[c]);
        QCOMPARE(cell(tab, own, 2), QString("12"));
        QVERIFY(tab.model()->rows()[static_cast<size_t>(own)].own);
        QVERIFY(!tab.model()->rows()[static_cast<size_t>(other)].own);
        const auto icon = [&](int row) {
            return tab.model()->index(row, 0).data(Qt::DecorationRole).value<QIcon>().pixmap(16).toImage();
        };
        QVERIFY(icon(own) != icon(other));
        QVERIFY(!enabled(*w, "SystemsDownload"));

        // No system for six numbers on disk yet: system play says so and stakes nothing.
        QVERIFY(enabled(*w, "SystemStakeAll"));
        w->action("SystemStakeAll")->trigger();
        QCOMPARE(si.messages.size(), size_t{1});
        QVERIFY(QString::fromStdString(si.messages[0].text).startsWith("Система для 6 чисел не найдена"));
        QVERIFY(w->session()->stakes().readAll().empty());
        si.messages.clear();

        // "Загрузить" writes the file with the catalogue's line and marks the row; the selection
        // stays on the same system after the list is read again.
        selectRow(tab, other);
        QVERIFY(enabled(*w, "SystemsDownload"));
        QVERIFY(!enabled(*w, "SystemsDel"));
        w->action("SystemsDownload")->trigger();
        const auto file = dir.path() / "Systems" / "5-06-0_0021.dat";
        QVERIFY(std::filesystem::exists(file));
        QCOMPARE(fileLines(file), std::vector<std::string>({"01 02 03 04 06\r"}));
        const int downloaded = rowOf(tab, 21);
        QCOMPARE(cell(tab, downloaded, 6), QString("Загружена"));
        QVERIFY(tab.model()->rows()[static_cast<size_t>(downloaded)].downloaded);
        QCOMPARE(tab.list()->currentIndex().row(), downloaded);
        QVERIFY(icon(downloaded) != icon(rowOf(tab, 22)));
        QVERIFY(si.messages.empty());

        // System play over the whole system: the numbers 3, 8, 15, 22, 31, 40 and the line
        // 01 02 03 04 06 give the stake 3;8;15;22;40 with the comment naming the system.
        QVERIFY(enabled(*w, "SystemStakeAll"));
        QString comment;
        whenModal([&](QWidget* d) {
            comment = d->findChild<QLineEdit*>("edComment")->text();
            qobject_cast<QDialog*>(d)->accept();
        });
        w->action("SystemStakeAll")->trigger();
        QCOMPARE(comment, QString("Системная игра для 6 чисел [вся система]: 5-06-0_0021"));
        const auto stakes = w->session()->stakes().readAll();
        QCOMPARE(static_cast<int>(stakes.size()), 1);
        QCOMPARE(stakes[0].numbers.count, 5);
        QCOMPARE(std::vector<int>(stakes[0].numbers.nums.begin(), stakes[0].numbers.nums.begin() + 5),
                 std::vector<int>({3, 8, 15, 22, 40}));
        QCOMPARE(stakes[0].kind, static_cast<uint8_t>(TStakeKind::System));
        QCOMPARE(stakes[0].comment, comment.toStdString());
        QCOMPARE(stakes[0].listSize, 1);
        // Only the tickets also in the list: the one ticket is one of the list's combinations.
        whenModal([&](QWidget* d) {
            comment = d->findChild<QLineEdit*>("edComment")->text();
            qobject_cast<QDialog*>(d)->accept();
        });
        QVERIFY(enabled(*w, "SystemStakeFilter"));
        w->action("SystemStakeFilter")->trigger();
        QCOMPARE(comment, QString("Системная игра для 6 чисел [комбинации]: 5-06-0_0021"));
        const auto filtered = w->session()->stakes().readAll();
        QVERIFY(filtered.size() > stakes.size());
        QCOMPARE(std::vector<int>(filtered.back().numbers.nums.begin(), filtered.back().numbers.nums.begin() + 5),
                 std::vector<int>({3, 8, 15, 22, 40}));
        QCOMPARE(filtered.back().comment, comment.toStdString());
        QCOMPARE(filtered.back().listSize, 6);

        // An own system added through the dialog reaches the catalogue and comes back as own.
        whenModal([&](QWidget* d) {
            fill(d, "edTitle", "Новая");
            fill(d, "edAuthor", "Я");
            fill(d, "mmDescr", "Проба");
            fill(d, "mmCombs", "1,2,3,4,5\n2 3 4 5 7\n");
            qobject_cast<QDialog*>(d)->accept();
        });
        w->action("SystemsAdd")->trigger();
        QCOMPARE(tab.model()->rowCount(), 3);
        int added = -1;
        for (int r = 0; r < 3; ++r)
            if (cell(tab, r, 0) == "Новая") added = r;
        QVERIFY(added >= 0);
        QCOMPARE(cell(tab, added, 2), QString("07"));
        QCOMPARE(cell(tab, added, 4), QString("2"));
        QVERIFY(tab.model()->rows()[static_cast<size_t>(added)].own);

        // "Свойства" of an own system not on disk shows the catalogue's list; a changed description
        // is saved there.
        selectRow(tab, rowOf(tab, 22));
        QVERIFY(enabled(*w, "SystemsProp"));
        QString shownList;
        whenModal([&](QWidget* d) {
            shownList = d->findChild<QPlainTextEdit*>("mmCombs")->toPlainText();
            fill(d, "mmDescr", "Исправлено");
            qobject_cast<QDialog*>(d)->accept();
        });
        w->action("SystemsProp")->trigger();
        QCOMPARE(shownList, QString("01 02 03 04 05\n06 07 08 09 10\n08 09 10 11 12\n"));
        QCOMPARE(cell(tab, rowOf(tab, 22), 9), QString("Исправлено"));
        QCOMPARE(tab.list()->currentIndex().row(), rowOf(tab, 22));

        // Deleting asks first: No keeps it, Yes removes it from the catalogue.
        selectRow(tab, added);
        QVERIFY(enabled(*w, "SystemsDel"));
        si.answers = {false, true};
        w->action("SystemsDel")->trigger();
        QCOMPARE(tab.model()->rowCount(), 3);
        QCOMPARE(si.questions.size(), size_t{1});
        QCOMPARE(QString::fromStdString(si.questions[0].text), QString("Вы действительно хотите удалить систему \"Новая\"?"));
        w->action("SystemsDel")->trigger();
        QCOMPARE(tab.model()->rowCount(), 2);
        QVERIFY(si.messages.empty());

        // Hiding the page empties the list and hides the play commands; showing it reads the list
        // and makes the page current.
        w->action("SystemsOn")->trigger();
        QCOMPARE(tab.model()->rowCount(), 0);
        QVERIFY(!w->action("SystemStakeAll")->isVisible());
        QVERIFY(!enabled(*w, "SystemStakeAll"));
        w->action("SystemsOn")->trigger();
        QCOMPARE(tab.model()->rowCount(), 2);
        QVERIFY(w->action("SystemStakeAll")->isVisible());
        QCOMPARE(w->rightPages()->currentWidget(), static_cast<QWidget*>(&tab));

        // The service gone: a failed save shows its error and opens the dialog again with what
        // was typed.
        server.reset();
        QString reopenedTitle, reopenedList;
        whenModal([&](QWidget* d) {
            fill(d, "edTitle", "Потерянная?");
            fill(d, "edAuthor", "Я");
            fill(d, "mmDescr", "Проба");
            fill(d, "mmCombs", "1 2 3 4 6\n");
            whenModal([&](QWidget* again) {
                reopenedTitle = again->findChild<QLineEdit*>("edTitle")->text();
                reopenedList = again->findChild<QPlainTextEdit*>("mmCombs")->toPlainText();
                qobject_cast<QDialog*>(again)->reject();
            });
            qobject_cast<QDialog*>(d)->accept();
        });
        QVERIFY(enabled(*w, "SystemsAdd"));
        w->action("SystemsAdd")->trigger();
        QCOMPARE(reopenedTitle, QString("Потерянная?"));
        QCOMPARE(reopenedList, QString("01 02 03 04 06\n"));
        QCOMPARE(si.messages.size(), size_t{1});
        QVERIFY(QString::fromStdString(si.messages[0].text).startsWith("Ошибка добавления системы!"));
    }

    // The dialog's list is normalised when it loses the focus (K is the largest position), and OK
    // shows the first failing check, keeping the dialog open.
    void dialogNormalisesAndRefusesTheFirstFailingCheck() {
        struct Case {
            const char* title;
            const char* author;
            const char* descr;
            const char* list;
            int block;
            const char* message;  // nullptr: accepted
        };
        const Case cases[] = {
            {"", "", "", "", 9, "Название системы должно быть указано обязательно!"},
            {"T", "", "", "1 2 3 4 5", 9, "Указано недопустимое количество используемых чисел!"},
            {"T", "", "", "1 2 3 4 6", 9, "Указан недопустимый размер блока!"},
            {"T", " ", "", "1 2 3 4 6", 4, "Имя автора должно быть указано обязательно!"},
            {"T", "A", "", "1 2 3 4 6", 4, "Описание системы должно быть указано обязательно!"},
            {"T", "A", "D", "1 2 3 4", 4, "Указано недопустимое количество используемых чисел!"},
            {"T", "A", "D", "3 4 5 6 7\n1 2 3 4", 0, nullptr},
        };
        for (const Case& c : cases) {
            ScriptedInteraction si;
            TSystemData blank;
            app::TFormSystem d(blank, true, si);
            fill(&d, "edTitle", c.title);
            fill(&d, "edAuthor", c.author);
            fill(&d, "mmDescr", c.descr);
            fill(&d, "mmCombs", c.list);
            d.findChild<QSpinBox*>("edBlock")->setValue(c.block);
            d.accept();
            if (c.message) {
                QCOMPARE(si.messages.size(), size_t{1});
                QCOMPARE(QString::fromStdString(si.messages[0].text), QString(c.message));
                QCOMPARE(d.result(), int(QDialog::Rejected));
            } else {
                QVERIFY(si.messages.empty());
                QCOMPARE(d.result(), int(QDialog::Accepted));
                QCOMPARE(d.system().info.numbers, 7);
                QCOMPARE(d.system().info.count, 1);
            }
        }

        // Leaving the list: "1,2,3,4,5" becomes "01 02 03 04 05", a four-number line is dropped, and a
        // list over positions 3..8 needs 8 numbers.
        ScriptedInteraction si;
        TSystemData blank;
        app::TFormSystem d(blank, true, si);
        auto* list = d.findChild<QPlainTextEdit*>("mmCombs");
        list->setPlainText("1,2,3,4,5\n1 2 3 4\n3;4;5;6;8\n");
        QFocusEvent out(QEvent::FocusOut);
        QApplication::sendEvent(list, &out);
        QCOMPARE(list->toPlainText(), QString("01 02 03 04 05\n03 04 05 06 08\n"));
        QCOMPARE(d.findChild<QSpinBox*>("edNums")->value(), 8);
        QCOMPARE(d.system().info.count, 2);
    }

    // Without a catalogue address the list shows the system files on disk, and a wheel made by
    // "Создать систему..." appears there.
    void withoutCatalogueTheListShowsTheSystemsOnDisk() {
        TempDir dir;
        writeSettings(dir.path(), "");
        std::filesystem::create_directories(dir.path() / "Systems");
        for (const auto& entry : std::filesystem::directory_iterator(dir.path() / "Systems"))
            std::filesystem::remove(entry.path());
        std::ofstream(dir.path() / "Systems" / "5-08-1_0042.dat", std::ios::binary)
            << "01 02 03 04 05\r\n04 05 06 07 08\r\n";
        ScriptedInteraction si;
        auto w = startWindow(dir.path(), si);
        app::SystemsTab& tab = *w->systemsTab();
        QCOMPARE(rowOf(tab, -1), -1);
        const int row = rowOf(tab, 42);
        QVERIFY(row >= 0);
        QCOMPARE(cell(tab, row, 2), QString("08"));
        QCOMPARE(cell(tab, row, 4), QString("2"));
        QCOMPARE(cell(tab, row, 6), QString("Загружена"));
        QVERIFY(!enabled(*w, "SystemsDownload"));
        QVERIFY(!enabled(*w, "SystemsAdd"));

        whenModal([&](QWidget* d) {
            d->findChild<QSpinBox*>("edNums")->setValue(7);
            d->findChild<QSpinBox*>("edGuarantee")->setValue(2);
            d->findChild<QSpinBox*>("edSeconds")->setValue(1);
            qobject_cast<QDialog*>(d)->accept();
        });
        w->action("SystemsCreate")->trigger();
        QVERIFY(std::filesystem::exists(dir.path() / "Systems" / "5-07-2_0000.dat"));
        bool listed = false;
        for (int r = 0; r < tab.model()->rowCount(); ++r) listed |= cell(tab, r, 2) == "07";
        QVERIFY(listed);
        QCOMPARE(si.messages.size(), size_t{1});
        QVERIFY(QString::fromStdString(si.messages[0].text).contains("5-07-2_0000.dat"));

        // The catalogue address and e-mail come from the settings dialog (trimmed); the shown list
        // is read again at once. Nobody answers there: the error, the placeholder row, and the
        // wheel made here still listed.
        si.messages.clear();
        whenModal([&](QWidget* d) {
            QCOMPARE(d->findChild<QLineEdit*>("edSystemsUrl")->text(), QString());
            QCOMPARE(d->findChild<QLineEdit*>("edSystemsMail")->text(), QString("me@example.org"));
            d->findChild<QLineEdit*>("edSystemsUrl")->setText(" http://127.0.0.1:1/ ");
            d->findChild<QLineEdit*>("edSystemsMail")->setText("you@example.org ");
            qobject_cast<QDialog*>(d)->accept();
        });
        w->action("EditSettings")->trigger();
        QCOMPARE(systemsSettings(*w->session()), (TSystemsSettings{"http://127.0.0.1:1/", "you@example.org"}));
        QCOMPARE(si.messages.size(), size_t{1});
        QVERIFY(QString::fromStdString(si.messages[0].text).startsWith("Ошибка загрузки списка систем!"));
        QCOMPARE(cell(tab, 0, 0), QString("Список систем не доступен!"));
        QCOMPARE(rowOf(tab, 42), -1);
        QVERIFY(rowOf(tab, 0) > 0);
        // The placeholder is no system: nothing to download or show.
        selectRow(tab, 0);
        QVERIFY(!enabled(*w, "SystemsProp"));
        QVERIFY(!enabled(*w, "SystemsDownload"));
    }
};

QTEST_MAIN(SystemsTabTest)
#include "systems_test.moc"
