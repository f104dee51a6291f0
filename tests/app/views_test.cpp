// The "Комбинации" and "Статистика" tabs and the information window through the main window's
// commands: generation, the list commands, the statistics table and its filter, the norm build
// with "Отмена", and the matrix grid and property list of "Подробная информация".
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTableWidget>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>
#include <QtCharts/QCategoryAxis>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <fstream>

#include "app/gui_support.h"
#include "app/archive/draws_model.h"
#include "app/archive/draws_tab.h"
#include "app/main_window.h"
#include "app/workspace/combs_model.h"
#include "app/workspace/combs_tab.h"
#include "app/workspace/generate_dialog.h"
#include "app/workspace/info_window.h"
#include "app/workspace/stat_table_model.h"
#include "app/workspace/stats_tab.h"
#include "session/form_settings.h"
#include "core/interaction.h"
#include "core/numbers.h"
#include "session/session.h"
#include "stats/stat_list.h"
#include "test_support.h"
#include "ui/progress_window.h"
#include "workspace/prefetch.h"

using namespace tavlora;
using namespace tavlora::test;
using app::TFormMain;

namespace {

QString panel(TFormMain& w, int i) { return w.statusPanel(i)->text(); }

void trigger(TFormMain& w, const char* name) {
    w.updateActions();
    QAction* a = w.action(QString::fromLatin1(name));
    QVERIFY2(a, name);
    QVERIFY2(a->isEnabled(), name);
    a->trigger();
}

// The combinations shown, as "a b c d e" texts.
QStringList shownCombs(TFormMain& w) {
    QStringList out;
    auto* m = w.combsTab()->model();
    for (int r = 0; r < m->rowCount(); ++r) {
        QStringList nums;
        for (int c = 1; c <= 5; ++c) nums << m->index(r, c).data().toString();
        out << nums.join(' ');
    }
    return out;
}

QStringList filterRows(TFormMain& w) {
    QStringList out;
    auto* f = w.combsTab()->filtersView();
    for (int i = 0; i < f->topLevelItemCount(); ++i) {
        auto* item = f->topLevelItem(i);
        out << item->text(0) + "|" + item->text(1) + "|" + item->text(2);
    }
    return out;
}

void selectStatRows(TFormMain& w, std::initializer_list<int> rows) {
    QTableView* v = w.statsTab()->tableView();
    v->clearSelection();
    for (int r : rows)
        v->selectionModel()->select(v->model()->index(r, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

}  // namespace

class ViewsTest : public QObject {
    Q_OBJECT
private slots:
    // The one full-list test: start-up builds the full list; keeping a value of the statistics
    // table shrinks it while the window keeps repainting, adds one applied-filter row, and undo
    // brings the list and the rows back.
    void fullListKeepFilterAndUndo() {
        test::TempDir dir;
        ScriptedInteraction si;
        auto w = startWindow(dir.path(), si);
        QCOMPARE(panel(*w, 3), QString("Комбинаций: 11238513"));
        QCOMPARE(w->combsTab()->model()->rowCount(), 11238513);
        // The last row is read straight from the engine's array.
        QCOMPARE(w->combsTab()->model()->index(11238512, 0).data().toInt(), 11238513);
        QCOMPARE(w->combsTab()->model()->index(11238512, 1).data().toInt(), 65);
        w->combsTab()->listView()->scrollToBottom();
        QApplication::processEvents();

        QVERIFY(w->drawsTab()->importDraws(QStringLiteral(TAVLORA_SAMPLE_DIR "/draws.csv")));
        app::StatsTab* stats = w->statsTab();
        QVERIFY(stats->tableModel()->rowCount() > 1);
        QVERIFY(!enabled(*w, "StatFilter_Include"));
        selectStatRows(*w, {0});
        const QString value = stats->tableModel()->index(0, 0).data().toString();

        int ticks = 0;
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
        tick.start(0);
        trigger(*w, "StatFilter_Include");
        tick.stop();
        QVERIFY2(ticks > 0, "the event loop ran during the filter");

        // The first listed method gives the numbers of a draw: keeping one number leaves the
        // C(68,4) combinations that hold it.
        const auto count = w->combsTab()->count();
        QCOMPARE(count, size_t(814385));
        auto* model = w->combsTab()->model();
        for (int r : {0, int(count) / 2, int(count) - 1}) {
            QStringList nums;
            for (int c = 1; c <= 5; ++c) nums << model->index(r, c).data().toString();
            QVERIFY2(nums.contains(value), qPrintable(nums.join(' ')));
        }
        QCOMPARE(panel(*w, 3), QString("Комбинаций: %1").arg(count));
        const QStringList rows = filterRows(*w);
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0], stats->methodBox()->currentText() + "|" + value + "|" + QString::number(count));

        trigger(*w, "CombsUndo");
        QCOMPARE(panel(*w, 3), QString("Комбинаций: 11238513"));
        QVERIFY(filterRows(*w).isEmpty());
        QVERIFY(!enabled(*w, "CombsUndo"));
        QVERIFY2(si.messages.empty(), si.messages.empty() ? "" : si.messages[0].text.c_str());
    }

    // Remove selected, copy, paste (with the parse error), unique numbers, find in draws and the
    // exclusion of the latest draws with Enter, on a list of 21 combinations.
    void listCommandsOnASmallList() {
        test::TempDir dir;
        writeSmallGeneration(dir.path());
        ScriptedInteraction si;
        auto w = startWindow(dir.path(), si);
        app::CombsTab* tab = w->combsTab();
        QCOMPARE(panel(*w, 3), QString("Комбинаций: 21"));
        QCOMPARE(shownCombs(*w).first(), QString("1 2 3 4 5"));
        QCOMPARE(tab->model()->index(0, 6).data().toInt(), 15);
        QCOMPARE(tab->model()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QString("№ п.п."));
        // Channel colours on, then off.
        QCOMPARE(tab->model()->index(0, 1).data(Qt::BackgroundRole).value<QBrush>().color().rgb() & 0xFFFFFF,
                 groupColor(1, w->session()->settings().config.channelSize));
        trigger(*w, "ViewColorCombs");
        QVERIFY(!tab->model()->index(0, 1).data(Qt::BackgroundRole).isValid());
        QVERIFY(!enabled(*w, "CombsUndo"));
        QVERIFY(!enabled(*w, "CombsDelSelected"));

        // Copy two selected rows: two-digit numbers, CR LF between the lines.
        auto* view = tab->listView();
        view->selectionModel()->select(tab->model()->index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        view->selectionModel()->select(tab->model()->index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        trigger(*w, "CombsCopy");
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("01 02 03 04 05\r\n01 02 03 04 07"));

        trigger(*w, "CombsDelSelected");
        QCOMPARE(panel(*w, 3), QString("Комбинаций: 19"));
        QCOMPARE(filterRows(*w), QStringList({"Выделенные комбинации|2|19"}));
        QCOMPARE(shownCombs(*w).first(), QString("1 2 3 4 6"));
        QVERIFY(!tab->hasSelection());

        // A line of four numbers: the parse error, and the list as it was.
        const QStringList before = shownCombs(*w);
        QVERIFY(!tab->pasteText(QStringLiteral("1 2 3 4 5\r\n1 2 3 4")));
        QCOMPARE(si.messages.size(), size_t(1));
        QCOMPARE(si.messages[0].text, std::string("Некорректная комбинация: \"1 2 3 4\"!"));
        QCOMPARE(shownCombs(*w), before);
        QCOMPARE(panel(*w, 3), QString("Комбинаций: 19"));

        // A good paste replaces the list and clears the applied filters; undo brings the old
        // list back, and the paste again.
        QGuiApplication::clipboard()->setText(QStringLiteral("5,6,7,8,9\r\n10-20-30-40-50"));
        trigger(*w, "CombsPaste");
        QCOMPARE(shownCombs(*w), QStringList({"5 6 7 8 9", "10 20 30 40 50"}));
        QVERIFY(filterRows(*w).isEmpty());
        trigger(*w, "CombsUndo");
        QCOMPARE(shownCombs(*w), before);
        QVERIFY(!enabled(*w, "CombsUndo"));
        trigger(*w, "CombsPaste");
        QCOMPARE(shownCombs(*w), QStringList({"5 6 7 8 9", "10 20 30 40 50"}));

        trigger(*w, "CombsCheckNums");
        QCOMPARE(si.messages.back().text, std::string("В текущем списке комбинаций содержится 10 уникальных номеров"));

        // Find in draws: the sample archive does not hold 5 6 7 8 9.
        QVERIFY(w->drawsTab()->importDraws(QStringLiteral(TAVLORA_SAMPLE_DIR "/draws.csv")));
        view->setCurrentIndex(tab->model()->index(0, 0));
        trigger(*w, "CombsFindInDraws");
        QCOMPARE(si.messages.back().text, std::string("Выделенная комбинация не найдена архиве тиражей!"));

        // The newest draw pasted as a combination is removed by "[-] Тиражи" with N = 1 and Enter.
        const TDraw& newest = w->session()->archive().at(w->session()->archive().high());
        const TDraw sorted = sortedDraw(newest);
        QString line;
        for (auto n : sorted.nums) line += QString::number(n) + ' ';
        QVERIFY(tab->pasteText(line.trimmed() + QStringLiteral("\r\n1 2 3 4 5")));
        QCOMPARE(tab->count(), size_t(2));
        tab->excludeEdit()->setValue(1);
        tab->excludeEdit()->setFocus();
        QTest::keyClick(tab->excludeEdit(), Qt::Key_Return);
        QCOMPARE(shownCombs(*w), QStringList({"1 2 3 4 5"}));
        QCOMPARE(filterRows(*w), QStringList({"Последние тиражи|1|1"}));
        // The filter rows carry their icons.
        QVERIFY(!tab->filtersView()->topLevelItem(0)->icon(0).isNull());
        trigger(*w, "CombsUndo");
        QCOMPARE(tab->count(), size_t(2));
        QVERIFY(filterRows(*w).isEmpty());
        // The "[-] Тиражи" button runs the same command.
        w->updateActions();
        tab->excludeButton()->click();
        QCOMPARE(filterRows(*w), QStringList({"Последние тиражи|1|1"}));
    }

    // Open and save round trip through the window, and the generation dialog's controls.
    void generationDialogAndFiles() {
        test::TempDir dir;
        writeSmallGeneration(dir.path());
        ScriptedInteraction si;
        auto w = startWindow(dir.path(), si);
        app::CombsTab* tab = w->combsTab();
        QVERIFY(tab->pasteText(QStringLiteral("9 3 5 1 2\r\n1 2 3 4 5")));
        const QString file = QString::fromStdString((dir / "list.lcv").string());
        QVERIFY(tab->saveFile(file));
        QVERIFY(tab->generate(2, "1;2;3;4;5;6", false));
        QCOMPARE(tab->count(), size_t(6));
        QVERIFY(tab->openFile(file));
        QCOMPARE(shownCombs(*w), QStringList({"9 3 5 1 2", "1 2 3 4 5"}));

        app::TGenerateDialog dialog(w.get(), 2, "1;2;3");
        QCOMPARE(dialog.windowTitle(), QString("Создание нового списка комбинаций"));
        QCOMPARE(dialog.modeBox()->count(), 5);
        QCOMPARE(dialog.modeBox()->currentIndex(), 2);
        QCOMPARE(dialog.parameterEdit()->text(), QString("1;2;3"));
        QVERIFY(!dialog.defaultBox()->isChecked());
        QVERIFY(dialog.parameterEdit()->isEnabled());
        QVERIFY(!dialog.fileButton()->isEnabled());
        dialog.modeBox()->setCurrentIndex(0);
        QVERIFY(!dialog.parameterEdit()->isEnabled());
        dialog.modeBox()->setCurrentIndex(4);
        QVERIFY(dialog.fileButton()->isEnabled());
        QCOMPARE(dialog.fileButton()->toolTip(), QString("Выбор файла"));

        // The dialog through the command; saving as the default writes the configuration.
        whenModal([](QWidget* m) {
            auto* d = qobject_cast<app::TGenerateDialog*>(m);
            QVERIFY(d);
            d->modeBox()->setCurrentIndex(1);
            d->parameterEdit()->setText("69");
            d->defaultBox()->setChecked(true);
            d->accept();
        });
        trigger(*w, "CombsGen");
        QCOMPARE(panel(*w, 3), QString("Комбинаций: 814385"));  // C(68,4): every combination holding 69
        Session reread(dir.path());
        QCOMPARE(int(reread.settings().generateMode), 1);
        QCOMPARE(reread.settings().generateParameters, std::string("69"));
    }

    // The statistics tab: decorated captions, the initial sort, header clicks (keeping the
    // selection), the norm columns, Enter in the length edit, the chart and the description page.
    void statisticsTable() {
        test::TempDir dir;
        writeSmallGeneration(dir.path());
        ScriptedInteraction si;
        auto w = startWindow(dir.path(), si);
        QVERIFY(w->drawsTab()->importDraws(QStringLiteral(TAVLORA_SAMPLE_DIR "/draws.csv")));
        app::StatsTab* stats = w->statsTab();
        const TStatList& registry = w->session()->statList();
        const auto indices = registry.methodListIndices(false);
        QCOMPARE(stats->methodBox()->count(), int(indices.size()));
        QCOMPARE(stats->methodBox()->itemText(0), QString::fromStdString(registry.listCaption(indices[0], true)));
        QCOMPARE(stats->sortState().column, 1);
        QVERIFY(!stats->sortState().descending);
        for (int c = 3; c <= 5; ++c) QCOMPARE(stats->tableView()->columnWidth(c), 0);
        QCOMPARE(stats->tableView()->selectionMode(), QAbstractItemView::ExtendedSelection);

        auto* m = stats->tableModel();
        QCOMPARE(m->columnCount(), 20);
        QCOMPARE(m->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QString("Значение"));
        auto column = [&](int c) {
            QList<double> v;
            for (int r = 0; r < m->rowCount(); ++r) v << m->index(r, c).data().toString().toDouble();
            return v;
        };
        QList<double> counts = column(1);
        QVERIFY(std::is_sorted(counts.begin(), counts.end()));
        stats->tableView()->horizontalHeader()->sectionClicked(1);
        counts = column(1);
        QVERIFY(std::is_sorted(counts.rbegin(), counts.rend()));
        QVERIFY(stats->sortState().descending);
        stats->clickColumn(1);
        // A header click moves the selected row together with its value.
        selectStatRows(*w, {0});
        const QString selectedValue = m->index(0, 0).data().toString();
        stats->clickColumn(0);
        QCOMPARE(stats->selectedRows().size(), size_t(1));
        QCOMPARE(m->index(int(stats->selectedRows()[0]), 0).data().toString(), selectedValue);
        stats->clickColumn(1);

        // The chart: the actual series with its colour and width.
        auto* chart = stats->chartView()->chart();
        QCOMPARE(chart->series().size(), 1);
        auto* actual = qobject_cast<QLineSeries*>(chart->series().first());
        QCOMPARE(actual->name(), QString("Фактические данные"));
        QCOMPARE(actual->pen().color(), QColor(0, 0x80, 0));
        QCOMPARE(actual->pen().width(), 2);
        // Many points: a readable part of them carries the value texts.
        auto* manyAxis = qobject_cast<QCategoryAxis*>(chart->axes(Qt::Horizontal).value(0));
        QVERIFY(manyAxis);
        QVERIFY(manyAxis->count() >= 4 && manyAxis->count() <= 16);
        for (const QString& label : manyAxis->categoriesLabels())
            QVERIFY2(!m->match(m->index(0, 0), Qt::DisplayRole, label, 1, Qt::MatchExactly).isEmpty(), qPrintable(label));

        // Enter in the length edit recomputes with the new window: the counts add up to it
        // for a method with one value per draw (the first listed method, numbers, has five).
        int total = 0;
        for (const auto& row : stats->table().rows) total += row.value.count;
        stats->lengthEdit()->setValue(10);
        QCOMPARE(stats->table().windowSize, 1000);  // not recomputed yet: no Enter
        stats->lengthEdit()->setFocus();
        QTest::keyClick(stats->lengthEdit(), Qt::Key_Return);
        QCOMPARE(stats->table().windowSize, 10);
        int shortTotal = 0;
        for (const auto& row : stats->table().rows) shortTotal += row.value.count;
        QCOMPARE(shortTotal * 100, total);

        // An offset change recomputes: the window ends earlier.
        w->drawsTab()->offsetEdit()->setValue(5);
        QCOMPARE(stats->table().last, w->session()->archive().high() - 5);

        // A method change recomputes.
        stats->methodBox()->setCurrentIndex(1);
        QCOMPARE(m->index(0, 0).data().isValid(), !stats->table().rows.empty());
        QVERIFY(stats->methodDescription().contains(QString::fromStdString(registry.item(indices[1]).code())));
        QVERIFY(enabled(*w, "FiltersInfo"));

        // A method with a few values labels the chart's points with the value texts.
        int few = -1;
        for (int i = 0; i < stats->methodBox()->count() && few < 0; ++i) {
            stats->methodBox()->setCurrentIndex(i);
            if (m->rowCount() >= 2 && m->rowCount() <= 16) few = i;
        }
        QVERIFY(few >= 0);
        auto* axis = qobject_cast<QCategoryAxis*>(stats->chartView()->chart()->axes(Qt::Horizontal).value(0));
        QVERIFY(axis);
        QStringList labels = axis->categoriesLabels(), values;
        for (int r = 0; r < m->rowCount(); ++r) values << m->index(r, 0).data().toString();
        labels.sort();
        values.sort();
        QCOMPARE(labels, values);
        QVERIFY(!enabled(*w, "DrawsStatShowTotalLine"));
        QVERIFY(si.messages.empty());
    }

    // The view chain: a change of the draws recomputes the statistics only while its page is on
    // screen; a hidden page catches up when it is shown (forced when the change asked for force),
    // and a page change alone recomputes nothing.
    void hiddenViewsCatchUpWhenShown() {
        test::TempDir dir;
        writeSmallGeneration(dir.path());
        ScriptedInteraction si;
        auto w = startWindow(dir.path(), si);
        app::StatsTab* stats = w->statsTab();
        QTabWidget* right = w->rightPages();
        QWidget* graphs = right->findChild<QWidget*>("tsGraphs");
        QVERIFY(graphs);
        QCOMPARE(right->currentWidget(), stats);
        QCOMPARE(stats->tableModel()->rowCount(), 0);  // no draws yet

        right->setCurrentWidget(graphs);
        QVERIFY(w->drawsTab()->importDraws(QStringLiteral(TAVLORA_SAMPLE_DIR "/draws.csv")));
        QCOMPARE(stats->tableModel()->rowCount(), 0);  // not on screen: it waits
        QVERIFY(stats->viewStale());
        right->setCurrentWidget(stats);
        QVERIFY(!stats->viewStale());
        QVERIFY(stats->tableModel()->rowCount() > 1);
        const int newest = w->session()->archive().high();
        QCOMPARE(stats->table().last, newest);

        // Showing the page again without a change keeps the table and its selection.
        selectStatRows(*w, {0});
        QVERIFY(enabled(*w, "StatFilter_Include"));
        right->setCurrentWidget(graphs);
        right->setCurrentWidget(stats);
        QCOMPARE(stats->selectedRows().size(), size_t(1));

        // The sorted order changes no input the table compares, so only a forced recompute
        // replaces the rows. While the page is hidden the old rows offer nothing to filter.
        right->setCurrentWidget(graphs);
        trigger(*w, "DrawsSorted");
        QVERIFY(stats->viewStale());
        QCOMPARE(stats->selectedRows().size(), size_t(1));
        QVERIFY(!enabled(*w, "StatFilter_Include"));
        QVERIFY(!enabled(*w, "StatFilter_Exclude"));
        right->setCurrentWidget(stats);
        QVERIFY(!stats->viewStale());
        QVERIFY(stats->selectedRows().empty());

        // An offset change while hidden: the window ends earlier once the page is shown.
        right->setCurrentWidget(graphs);
        w->drawsTab()->offsetEdit()->setValue(3);
        QCOMPARE(stats->table().last, newest);
        right->setCurrentWidget(stats);
        QCOMPARE(stats->table().last, newest - 3);
        QVERIFY(si.messages.empty());
    }

    // Switching the norms on builds the norm files under a progress window; "Отмена" stops the
    // build and leaves no norm file behind, half-written or otherwise.
    void normBuildCanBeCancelled() {
        test::TempDir dir;
        writeSmallGeneration(dir.path());
        ScriptedInteraction si;
        auto w = startWindow(dir.path(), si);
        QVERIFY(w->drawsTab()->importDraws(QStringLiteral(TAVLORA_SAMPLE_DIR "/draws.csv")));
        int cancels = 0;
        QTimer cancel;
        QObject::connect(&cancel, &QTimer::timeout, [&] {
            if (auto* p = ui::ProgressWindow::current(); p && p->cancelButton() && p->cancelButton()->isEnabled()) {
                QCOMPARE(p->height(), ui::kProgressHeightWithCancel);
                p->cancelButton()->click();
                ++cancels;
            }
        });
        cancel.start(50);
        trigger(*w, "DrawsStatePrefetchsEnabled");
        cancel.stop();
        QVERIFY(cancels >= 1);
        QVERIFY(w->formSettings().prefetchsEnabled);
        for (int c = 3; c <= 5; ++c) QCOMPARE(w->statsTab()->tableView()->columnWidth(c), 80);
        // The build stopped before every norm file was made; the files that exist are whole
        // norm files (the one under construction was removed, nothing temporary is left).
        const TStatList& registry = w->session()->statList();
        int withNorm = 0;
        for (int i = 0; i < registry.count(); ++i) withNorm += registry.hasNorm(i) ? 1 : 0;
        int files = 0;
        const auto folder = dir / "Prefetchs";
        if (std::filesystem::exists(folder))
            for (const auto& e : std::filesystem::directory_iterator(folder)) {
                ++files;
                const std::string name = e.path().filename().string();
                QVERIFY2(name.ends_with(".dfc"), name.c_str());
                std::ifstream in(e.path(), std::ios::binary);
                const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
                const TPrefetchData data = parsePrefetchBytes(bytes);
                QVERIFY2(!data.entries.empty() && data.maxCount > 0, name.c_str());
            }
        QVERIFY(files < withNorm);
        QVERIFY(!w->busyState().busy());
        QVERIFY(enabled(*w, "DrawsStatShowTotalLine"));
    }

    // The tab keys: ColorCombs and PrefetchsEnabled are written when toggled, the lengths and
    // heights at shutdown, and all of them come back at the next start.
    void tabSettingsAreStoredAndRestored() {
        test::TempDir dir;
        writeSmallGeneration(dir.path());
        ScriptedInteraction si;
        const auto frm = dir / "Tavlora_5d69.frm";
        {
            auto w = startWindow(dir.path(), si);
            QVERIFY(w->action("ViewColorCombs")->isChecked());
            trigger(*w, "ViewColorCombs");
            QVERIFY(!loadFormSettings(frm).colorCombs);
            w->combsTab()->excludeEdit()->setValue(4);
            w->statsTab()->lengthEdit()->setValue(250);
            QCOMPARE(loadFormSettings(frm).drawsStatLen, 1000);  // written at shutdown only
        }
        const auto stored = loadFormSettings(frm);
        QCOMPARE(stored.drawsExclude, 4);
        QCOMPARE(stored.drawsStatLen, 250);
        QVERIFY(stored.filtersHeight > 0);
        QVERIFY(stored.drawsStatHeight > 0);
        auto w = startWindow(dir.path(), si);
        QCOMPARE(w->combsTab()->excludeEdit()->value(), 4);
        QCOMPARE(w->statsTab()->lengthEdit()->value(), 250);
        QVERIFY(!w->action("ViewColorCombs")->isChecked());
        QVERIFY(!w->combsTab()->model()->colorCombs());
        QVERIFY(si.messages.empty());
    }

    // "Подробная информация" for a combination and for a draw.
    void informationWindow() {
        test::TempDir dir;
        writeSmallGeneration(dir.path());
        ScriptedInteraction si;
        auto w = startWindow(dir.path(), si);
        QVERIFY(w->drawsTab()->importDraws(QStringLiteral(TAVLORA_SAMPLE_DIR "/draws.csv")));
        const TStatList& registry = w->session()->statList();
        int firstGraph = -1;
        for (int i = 0; i < registry.count() && firstGraph < 0; ++i)
            if (registry.listed(i) && registry.isGraph(i)) firstGraph = i;
        QVERIFY(firstGraph >= 0);

        QVERIFY(w->combsTab()->pasteText(QStringLiteral("1 8 15 22 69")));
        w->combsTab()->listView()->setCurrentIndex(w->combsTab()->model()->index(0, 0));
        bool seen = false;
        whenModal([&](QWidget* m) {
            auto* info = qobject_cast<app::TInfoWindow*>(m);
            QVERIFY(info);
            seen = true;
            QCOMPARE(info->windowTitle(), QString("Подробная информация"));
            QTableWidget* props = info->properties();
            QVERIFY(props->rowCount() > 1);
            QCOMPARE(props->item(0, 0)->text(), QString::fromStdString(registry.createInstance(firstGraph)->instanceCaption()));
            for (int r = 0; r < props->rowCount(); ++r) QVERIFY(props->item(r, 0)->text() != "Номер тиража:");
            // Seven columns: ten rows, 69 in column 6 of row 10 (counted from 1).
            QCOMPARE(info->columnsEdit()->value(), 7);
            QCOMPARE(info->grid()->columnCount(), 7);
            QCOMPARE(info->grid()->rowCount(), 10);
            QCOMPARE(info->grid()->item(9, 5)->text(), QString("69"));
            QCOMPARE(info->grid()->item(0, 0)->text(), QString("1"));
            QCOMPARE(info->grid()->item(3, 0)->text(), QString("22"));
            QCOMPARE(info->cellColor(9, 5).rgb() & 0xFFFFFF, groupColor(69, 10));
            // The cell of number 70 keeps the grid's colour.
            QCOMPARE(info->cellColor(9, 6), info->grid()->palette().color(QPalette::Base));
            info->columnsEdit()->setValue(69);
            QCOMPARE(info->grid()->rowCount(), 1);
            QCOMPARE(info->grid()->item(0, 68)->text(), QString("69"));
            info->accept();
        });
        trigger(*w, "CombsInfo");
        QVERIFY(seen);

        // A draw: its number and date come first; the double click opens the same window.
        w->drawsTab()->listView()->setCurrentIndex(w->drawsTab()->model()->index(0, 0));
        const TDraw& newest = w->session()->archive().at(w->session()->archive().high());
        seen = false;
        whenModal([&](QWidget* m) {
            auto* info = qobject_cast<app::TInfoWindow*>(m);
            QVERIFY(info);
            seen = true;
            QCOMPARE(info->properties()->item(0, 0)->text(), QString("Номер тиража:"));
            QCOMPARE(info->properties()->item(0, 1)->text(), QString::number(newest.number));
            QCOMPARE(info->properties()->item(1, 0)->text(), QString("Дата тиража:"));
            QCOMPARE(info->properties()->item(1, 1)->text(), QString::fromStdString(newest.dateText()));
            info->accept();
        });
        trigger(*w, "DrawsInfo");
        QVERIFY(seen);
    }
};

QTEST_MAIN(ViewsTest)
#include "views_test.moc"
