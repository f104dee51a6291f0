// The "Карта", "Схема" and "Неделя" tabs on the sample archive: the numbers picked in each grid
// keep or remove combinations exactly as `tavlora-cli filter-numbers` does, a selection without
// numbers changes nothing, and a hidden tab is not computed.
#include <QAction>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTabWidget>
#include <QTableView>
#include <QtCharts/QLineSeries>
#include <QtTest>
#include <fstream>
#include <set>

#include "app/archive/draws_tab.h"
#include "app/gui_support.h"
#include "app/main_window.h"
#include "app/workspace/card_tab.h"
#include "app/workspace/layout_tab.h"
#include "app/workspace/week_tab.h"
#include "cli_support.h"
#include "core/interaction.h"
#include "core/progress.h"
#include "session/session.h"
#include "test_support.h"
#include "ui/chart_panel.h"
#include "workspace/comb_list.h"

using namespace tavlora;
using namespace tavlora::test;
using app::TFormMain;

namespace {

// A stored generation of the 792 combinations of the numbers 1..12.
void writeGeneration(const std::filesystem::path& dir) {
    std::ofstream ini(dir / "Tavlora_5d69.ini", std::ios::binary);
    ini << "[GLOBAL]\r\nCombsGenerateMode=2\r\nCombsGenerateParameters=1;2;3;4;5;6;7;8;9;10;11;12\r\n";
}

std::vector<TComb> combsOf(const TCombList& list) { return {list.combs().begin(), list.combs().end()}; }

// The window's list before a filter saved to a file, filtered by the command line with the same
// numbers; returns the command line's result.
std::vector<TComb> cliFiltered(const std::filesystem::path& dir, const std::vector<TComb>& before,
                               const std::string& values, bool remove) {
    TCombList in;
    NullProgress progress;
    ScriptedInteraction ui;
    std::string text;
    for (const TComb& c : before)
        text += std::to_string(c.n[0]) + " " + std::to_string(c.n[1]) + " " + std::to_string(c.n[2]) + " " +
                std::to_string(c.n[3]) + " " + std::to_string(c.n[4]) + "\n";
    in.pasteText(text, progress, ui);
    in.saveFile(dir / "before.lcv", progress, ui);
    // A folder of its own: the window holds its data folder against other copies.
    const CliResult r = runCli(dir, {"--data", (dir / "cli").string(), "filter-numbers", "--values", values, remove ? "--remove" : "--keep", "--in",
                                     (dir / "before.lcv").string(), "--out", (dir / "after.lcv").string()});
    if (r.status != 0) return {};
    TCombList out;
    out.openFile(dir / "after.lcv", progress, ui);
    return combsOf(out);
}

void select(QTableView* view, const QModelIndexList& cells) {
    view->selectionModel()->clearSelection();
    for (const QModelIndex& c : cells) view->selectionModel()->select(c, QItemSelectionModel::Select);
}

}  // namespace

class GridsTest : public QObject {
    Q_OBJECT
private slots:
    void cardSelectionKeepsWhatTheCommandLineKeeps() {
        test::TempDir dir;
        writeGeneration(dir.path());
        ScriptedInteraction si;
        auto w = startWindow(dir.path(), si);
        // Hidden, the card is not computed; shown, it holds every draw.
        w->action("TabCard")->trigger();
        QVERIFY(w->drawsTab()->importDraws(QStringLiteral(TAVLORA_SAMPLE_DIR "/draws.csv")));
        app::CardTab* tab = w->cardTab();
        QCOMPARE(tab->model()->rowCount(), 0);
        w->action("TabCard")->trigger();
        w->rightPages()->setCurrentWidget(tab);
        QCOMPARE(tab->model()->rowCount(), 1390);
        QCOMPARE(tab->model()->columnCount(), 71);
        QCOMPARE(tab->model()->index(0, 0).data().toInt(), 1390);

        // Three cells of numbers up to 12, in three draws.
        QModelIndexList cells;
        std::set<int> picked;
        for (int r = 0; r < 1390 && cells.size() < 3; ++r)
            for (int c = 1; c <= 12; ++c)
                if (tab->model()->index(r, c).data().toInt() == c && picked.insert(c).second) {
                    cells << tab->model()->index(r, c);
                    break;
                }
        QCOMPARE(cells.size(), 3);
        select(tab->grid(), cells);
        const std::vector<TComb> before = combsOf(w->session()->combList());
        QCOMPARE(before.size(), size_t(792));
        QVERIFY(enabled(*w, "CardFilter_Include"));
        w->action("CardFilter_Include")->trigger();
        const std::vector<TComb> after = combsOf(w->session()->combList());
        QVERIFY(after.size() < before.size());
        QVERIFY(!after.empty());
        std::string values;
        for (int n : picked) values += std::to_string(n) + "; ";
        QCOMPARE(after, cliFiltered(dir.path(), before, values, false));
        QCOMPARE(QString::fromStdString(w->session()->combList().appliedFilters().back().name), QString("Карта"));

        // Only empty cells: the error, the list and its undo stay.
        const std::size_t rows = w->session()->combList().appliedFilters().size();
        QModelIndexList empty;
        for (int c = 1; c <= 69 && empty.size() < 2; ++c)
            if (!tab->model()->index(5, c).data().isValid()) empty << tab->model()->index(5, c);
        select(tab->grid(), empty);
        QVERIFY(enabled(*w, "CardFilter_Include"));
        si.messages.clear();
        w->action("CardFilter_Include")->trigger();
        QCOMPARE(si.messages.size(), size_t(1));
        QCOMPARE(QString::fromStdString(si.messages[0].text), QString("В выделенном диапазоне нет значений для фильтра!"));
        QCOMPARE(combsOf(w->session()->combList()), after);
        QCOMPARE(w->session()->combList().appliedFilters().size(), rows);
        QVERIFY(w->session()->combList().undo(w->progress()));
        QCOMPARE(combsOf(w->session()->combList()), before);

        // A selection reaching into the draw column or the extra column does not filter.
        select(tab->grid(), {tab->model()->index(0, 0), cells[0]});
        QVERIFY(!enabled(*w, "CardFilter_Include"));
        select(tab->grid(), {tab->model()->index(0, 70)});
        QVERIFY(!enabled(*w, "CardFilter_Exclude"));
    }

    void layoutAndWeekSelectionsFilterByTheirNumbers() {
        test::TempDir dir;
        writeGeneration(dir.path());
        ScriptedInteraction si;
        auto w = startWindow(dir.path(), si);
        QVERIFY(w->drawsTab()->importDraws(QStringLiteral(TAVLORA_SAMPLE_DIR "/draws.csv")));
        w->session()->setDrawsOffset(5);
        app::LayoutTab* layout = w->layoutTab();
        w->rightPages()->setCurrentWidget(layout);
        layout->refreshView(true);
        const TLayoutGrid grid = w->session()->layoutGrid(100);
        QCOMPARE(layout->model()->rowCount(), int(grid.counts.size()));
        QCOMPARE(layout->model()->columnCount(), int(grid.draws.size()) + 1);
        // The next draw's numbers are bracketed on green.
        QModelIndex next;
        for (int r = 0; r < layout->model()->rowCount() && !next.isValid(); ++r)
            for (int c = 1; c < layout->model()->columnCount(); ++c)
                if (layout->model()->index(r, c).data().toString().contains('[')) {
                    next = layout->model()->index(r, c);
                    break;
                }
        QVERIFY(next.isValid());
        QCOMPARE(next.data(Qt::BackgroundRole).value<QColor>(), QColor(0, 255, 0));
        QVERIFY(layout->compareList(0)->model()->rowCount() > 0);
        QCOMPARE(layout->compareList(0)->model()->headerData(1, Qt::Horizontal).toString(), QString("1336 - 1385"));

        // Keep the numbers of the bracketed cell (all of them, brackets dropped).
        select(layout->grid(), {next});
        QVERIFY(enabled(*w, "LayoutFilter_Exclude"));
        std::string values;
        for (int n : layoutTextNumbers(next.data().toString().toStdString())) values += std::to_string(n) + ";";
        const std::vector<TComb> before = combsOf(w->session()->combList());
        w->action("LayoutFilter_Exclude")->trigger();
        QCOMPARE(combsOf(w->session()->combList()), cliFiltered(dir.path(), before, values, true));
        select(layout->grid(), {layout->model()->index(0, 0)});
        QVERIFY(!enabled(*w, "LayoutFilter_Include"));
        QVERIFY(w->session()->combList().undo(w->progress()));

        // The week: selecting whole columns through their headers filters by the columns' numbers.
        app::WeekTab* week = w->weekTab();
        w->rightPages()->setCurrentWidget(week);
        QCOMPARE(week->model()->index(0, 0).data().toString(), QString("Пн"));
        week->grid()->selectionModel()->clearSelection();
        week->grid()->selectColumn(7);
        week->grid()->setSelectionMode(QAbstractItemView::MultiSelection);
        week->grid()->selectColumn(3);
        QCOMPARE(week->selectedNumbers(), (std::vector<int32_t>{3, 7}));
        w->action("WeekFilter_Include")->trigger();
        QCOMPARE(combsOf(w->session()->combList()), cliFiltered(dir.path(), before, "3; 7", false));
        QCOMPARE(QString::fromStdString(w->session()->combList().appliedFilters().back().name), QString("Неделя"));

        // The chart of the current cell: a line of the 69 numbers of its weekday, or bars.
        w->formSettings().weekChartType = false;
        w->action("WeekChartType")->trigger();
        week->grid()->setCurrentIndex(week->model()->index(2, 10));
        const auto series = week->chart()->allSeries();
        QCOMPARE(series.size(), size_t(1));
        QCOMPARE(series[0]->count(), 69);
        QCOMPARE(series[0]->at(9).y(), double(w->session()->weekTable(1000).count(10, 3)));
        w->action("WeekChartMode")->trigger();
        QCOMPARE(week->chart()->allSeries()[0]->count(), 7);
        QCOMPARE(week->chart()->allSeries()[0]->at(2).y(), double(w->session()->weekTable(1000).count(10, 3)));
    }
};

QTEST_MAIN(GridsTest)
#include "grids_test.moc"
