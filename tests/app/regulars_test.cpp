// The "Регуляры" tab on a real data folder: regulars made from three selected combinations, the
// next stake of one through the stake dialog (cancelled, then accepted), and the list emptied and
// read again when the tab is hidden and shown.
#include <QDialog>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableView>
#include <QtTest>

#include "app/main_window.h"
#include "app/stakes/regulars_tab.h"
#include "app/stakes/stakes_tab.h"
#include "app/workspace/combs_tab.h"
#include "core/interaction.h"
#include "core/progress.h"
#include "gui_support.h"
#include "session/session.h"
#include "stakes/regulars.h"
#include "stakes/stakes_store.h"
#include "test_support.h"

using namespace tavlora;
using namespace tavlora::test;

namespace {

std::vector<std::string> rowTexts(QTableView* list) {
    std::vector<std::string> rows;
    for (int r = 0; r < list->model()->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < list->model()->columnCount(); ++c) cells << list->model()->index(r, c).data().toString();
        rows.push_back(cells.join('|').toStdString());
    }
    return rows;
}

std::vector<std::string> fileTexts(const std::filesystem::path& dir) {
    TRegulars file(dir / "Tavlora_5d69.ltb");
    NullProgress progress;
    ScriptedInteraction si;
    std::vector<std::string> rows;
    if (!file.load(progress, si)) return {"unreadable"};
    for (const TRegular& r : file.items()) {
        std::string row;
        for (const auto& cell : regularListRow(r)) row += (row.empty() ? "" : "|") + cell;
        rows.push_back(row);
    }
    return rows;
}

}  // namespace

class RegularsTabTest : public QObject {
    Q_OBJECT
private slots:
    void regularsFromSelectedCombinationsStakeThroughTheDialog() {
        TempDir dir;
        writeSmallGeneration(dir.path());
        ScriptedInteraction si;
        auto w = startWindow(dir.path(), si);
        NullProgress progress;
        QVERIFY(w->session()->archive().addDraw(makeDraw(1, {9, 8, 7, 6, 10}, 1), progress, si));
        QVERIFY(w->session()->archive().addDraw(makeDraw(2, {40, 3, 1, 50, 2}, 1), progress, si));
        QTableView* list = w->regularsTab()->list();
        QVERIFY(enabled(*w, "TablesAdd"));
        QVERIFY(!enabled(*w, "TablesDel"));
        QVERIFY(!enabled(*w, "TablesStakeAdd"));

        // Rows 1, 3 and 6 of the combinations 1..7: 1;2;3;4;5, 1;2;3;4;7 and 1;2;3;6;7.
        QTableView* combs = w->combsTab()->listView();
        for (int row : {0, 2, 5})
            combs->selectionModel()->select(combs->model()->index(row, 0),
                                            QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QString startText;
        bool startEnabled = true;
        whenModal([&](QWidget* d) {
            startText = d->findChild<QLineEdit*>("edCombStart")->text();
            startEnabled = d->findChild<QLineEdit*>("edCombStart")->isEnabled();
            d->findChild<QSpinBox*>("edStep")->setValue(2);
            qobject_cast<QDialog*>(d)->accept();
        });
        w->action("TablesAdd")->trigger();
        QVERIFY(si.messages.empty());
        QCOMPARE(startText, QString("{...Выделенные комбинации...}"));
        QVERIFY(!startEnabled);
        const std::vector<std::string> made{"Регулярная ставка (1)|1;2;3;4;5|2|1;2;3;4;5|0",
                                            "Регулярная ставка (3)|1;2;3;4;7|2|1;2;3;4;7|0",
                                            "Регулярная ставка (6)|1;2;3;6;7|2|1;2;3;6;7|0"};
        QCOMPARE(rowTexts(list), made);
        QCOMPARE(fileTexts(dir.path()), made);

        // Adding the same selection again would repeat the generated names: refused, nothing added.
        whenModal([&](QWidget* d) {
            auto* dialog = qobject_cast<QDialog*>(d);
            dialog->accept();  // refused: the dialog stays open
            dialog->reject();
        });
        w->action("TablesAdd")->trigger();
        QCOMPARE(si.messages.size(), size_t{1});
        QCOMPARE(si.messages[0].text, std::string(kRegularCommentTaken));
        QCOMPARE(rowTexts(list).size(), size_t{3});
        si.messages.clear();

        // The next stake of the second regular: the dialog shows the moved numbers; Cancel leaves
        // the regular and the stakes as they were.
        list->setCurrentIndex(list->model()->index(1, 0));
        QVERIFY(enabled(*w, "TablesStakeAdd"));
        QString offered;
        whenModal([&](QWidget* d) {
            offered = d->findChild<QLineEdit*>("edStakeData")->text();
            qobject_cast<QDialog*>(d)->reject();
        });
        w->action("TablesStakeAdd")->trigger();
        QCOMPARE(offered, QString("3;4;5;6;9"));
        QCOMPARE(rowTexts(list), made);
        QCOMPARE(fileTexts(dir.path()), made);
        QCOMPARE(w->session()->stakes().recordCount(), 0);

        whenModal([&](QWidget* d) { qobject_cast<QDialog*>(d)->accept(); });
        w->action("TablesStakeAdd")->trigger();
        QVERIFY(si.messages.empty());
        const auto stakes = w->session()->stakes().readAll();
        QCOMPARE(stakes.size(), size_t{1});
        QCOMPARE(int(stakes[0].kind), int(TStakeKind::Regular));
        QCOMPARE(stakes[0].drawNumber, 3);
        QCOMPARE(stakes[0].comment, std::string("Регулярная ставка (3)"));
        QCOMPARE(stakes[0].listSize, 21);
        QCOMPARE(w->stakesTab()->grid()->model()->rowCount(), 1);
        const std::string moved = "Регулярная ставка (3)|1;2;3;4;7|2|3;4;5;6;9|1";
        QCOMPARE(rowTexts(list)[1], moved);
        QCOMPARE(fileTexts(dir.path())[1], moved);

        // Hiding the tab empties the list; showing it reads the file again.
        w->action("TabTables")->trigger();
        QCOMPARE(list->model()->rowCount(), 0);
        QVERIFY(w->session()->regulars().items().empty());
        w->action("TabTables")->trigger();
        QCOMPARE(rowTexts(list)[1], moved);

        // Deleting asks first; yes removes the selected rows.
        list->selectionModel()->select(list->model()->index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        list->selectionModel()->select(list->model()->index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QVERIFY(enabled(*w, "TablesDel"));
        si.answers = {true};
        w->action("TablesDel")->trigger();
        QCOMPARE(si.questions.size(), size_t{1});
        QCOMPARE(fileTexts(dir.path()), std::vector<std::string>{moved});
        QCOMPARE(rowTexts(list), std::vector<std::string>{moved});
    }
};

QTEST_MAIN(RegularsTabTest)
#include "regulars_test.moc"
