// The "Ставки" and "Рейтинг" tabs on real data folders: the stake dialog's checks, stakes for
// several draws, deleting by condition, checking after a new draw with the matched numbers drawn
// in bold blue, the profit graph, and the rating list against the command line's.
#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

#include "app/main_window.h"
#include "app/scenario/scenario_tab.h"
#include "app/stakes/ratings_tab.h"
#include "app/stakes/stake_dialogs.h"
#include "app/stakes/stakes_model.h"
#include "app/stakes/stakes_tab.h"
#include "app/workspace/combs_tab.h"
#include "cli_support.h"
#include "core/interaction.h"
#include "core/progress.h"
#include "gui_support.h"
#include "scenario/scenario.h"
#include "session/session.h"
#include "stakes/ratings.h"
#include "stakes/stakes_store.h"
#include "test_support.h"
#include "ui/chart_window.h"

using namespace tavlora;
using namespace tavlora::test;
using app::StakesModel;

namespace {

QString panel(app::TFormMain& w, int i) { return w.statusPanel(i)->text(); }

TStakeRecord stake(int draw, std::array<uint8_t, 5> nums, int matches = -1, bool checked = false) {
    TStakeRecord r;
    r.kind = 1;
    r.drawNumber = draw;
    r.numbers.count = 5;
    std::copy(nums.begin(), nums.end(), r.numbers.nums.begin());
    r.matches.count = matches;
    r.checked = checked;
    r.comment = "Ставка";
    return r;
}

void writeStakes(const std::filesystem::path& dir, const std::vector<TStakeRecord>& records) {
    TStakesStore store(dir / "Tavlora_5d69.lsk");
    store.open();
    for (const auto& r : records) store.writeRecord(r, TStakesStore::Origin::End, 0);
}

std::vector<TStakeRecord> storedStakes(app::TFormMain& w) { return w.session()->stakes().readAll(); }

// Pixels of the region that are plainly blue (the matched numbers).
int bluePixels(const QImage& image, const QRect& r) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.blue() > 180 && c.red() < 90 && c.green() < 90) ++n;
        }
    return n;
}

}  // namespace

class StakesTabTest : public QObject {
    Q_OBJECT
private slots:
    // The OK checks in their order, each with its message and the field that takes the focus.
    void stakeDialogRefusesWrongInputWithFocus() {
        struct Case {
            const char* numbers;
            const char* comment;
            const char* message;  // empty: accepted
            const char* focus;
        };
        const Case cases[] = {
            {"5;5;12;33;41", "мой", "Введена некорректная комбинация!", "edStakeData"},
            {"5;12;33;41;70", "мой", "Введена некорректная комбинация!", "edStakeData"},
            {"5;12;33;41", "мой", "Введена некорректная комбинация!", "edStakeData"},
            {"5;12;x;41;7", "", "Введена некорректная комбинация!", "edStakeData"},
            {"41,5;12;33;7", "", "Необходимо ввести комментарий!", "edComment"},
            {"41,5;12;33;7", "мой", "", ""},
        };
        for (const Case& c : cases) {
            ScriptedInteraction si;
            app::TFormStake dialog(stake(10, {}), si);
            dialog.findChild<QLineEdit*>("edStakeData")->setText(QString::fromUtf8(c.numbers));
            dialog.findChild<QLineEdit*>("edComment")->setText(QString::fromUtf8(c.comment));
            dialog.findChild<QSpinBox*>("edDrawsCount")->setValue(2);
            dialog.accept();
            if (!*c.message) {
                QVERIFY(si.messages.empty());
                QCOMPARE(dialog.result(), int(QDialog::Accepted));
                const TStakeRecord& r = dialog.stake().record;
                QCOMPARE(r.drawNumber, 10);
                QCOMPARE(r.numbers.count, 5);
                QCOMPARE((std::vector<int>(r.numbers.nums.begin(), r.numbers.nums.begin() + 5)),
                         (std::vector<int>{5, 7, 12, 33, 41}));
                QCOMPARE(r.comment, std::string("мой"));
                QCOMPARE(dialog.stake().count, 2);
                continue;
            }
            QVERIFY2(dialog.result() != QDialog::Accepted, c.numbers);
            QCOMPARE(si.messages.size(), size_t{1});
            QCOMPARE(si.messages[0].text, std::string(c.message));
            QVERIFY(dialog.focusWidget());
            QCOMPARE(dialog.focusWidget()->objectName(), QString::fromLatin1(c.focus));
        }
        // The sum follows the typed text; words that are not numbers count as 0.
        ScriptedInteraction si;
        app::TFormStake dialog(stake(1, {}), si);
        dialog.findChild<QLineEdit*>("edStakeData")->setText("5;x;12");
        QCOMPARE(dialog.findChild<QLineEdit*>("edStakeSum")->text(), QString("17"));
    }

    // A stake for three draws through the window: after a real stake, each copy stands behind
    // its own separator, and the grid and status panel show all seven records.
    void stakeForThreeDrawsMakesSeparatorStakePairs() {
        TempDir dir;
        writeSmallGeneration(dir.path());
        writeStakes(dir.path(), {stake(7, {1, 2, 3, 4, 5})});
        ScriptedInteraction si;
        auto w = startWindow(dir.path(), si);
        QVERIFY(enabled(*w, "StakeAdd"));
        QTableView* combs = w->combsTab()->listView();
        combs->setCurrentIndex(combs->model()->index(2, 0));
        QString prefilled;
        whenModal([&](QWidget* d) {
            prefilled = d->findChild<QLineEdit*>("edStakeData")->text();
            d->findChild<QSpinBox*>("edDrawNumber")->setValue(100);
            d->findChild<QSpinBox*>("edDrawsCount")->setValue(3);
            qobject_cast<QDialog*>(d)->accept();
        });
        // A double click on a combination stakes it.
        emit combs->doubleClicked(combs->currentIndex());
        QVERIFY(si.messages.empty());
        QCOMPARE(prefilled, QString("1;2;3;4;7"));  // the focused combination
        const auto records = storedStakes(*w);
        QCOMPARE(records.size(), size_t{7});
        for (int i = 0; i < 3; ++i) {
            QVERIFY(records[static_cast<size_t>(1 + 2 * i)].isSeparator());
            QCOMPARE(records[static_cast<size_t>(2 + 2 * i)].drawNumber, 100 + i);
            QCOMPARE(records[static_cast<size_t>(2 + 2 * i)].comment, std::string("Ставка \"вручную\""));
        }
        QTableView* grid = w->stakesTab()->grid();
        QCOMPARE(grid->model()->rowCount(), 7);
        QCOMPARE(grid->model()->index(3, 0).data().toString(), QString());  // a separator row is empty
        QCOMPARE(grid->model()->index(4, 0).data().toString(), QString("101"));
        QCOMPARE(grid->model()->index(4, 2).data().toString(), QString("1;2;3;4;7"));
        QCOMPARE(grid->currentIndex().row(), 6);  // scrolled to the new stake
        QCOMPARE(panel(*w, 4), QString("Ставок: 7"));
    }

    // Deleting by condition removes checked stakes only; unchecked ones and separators stay.
    void deleteByConditionKeepsUncheckedStakes() {
        struct Case {
            int condition;
            int value;
            std::vector<int> kept;  // matches of the records left, -1 unchecked or separator
        };
        const Case cases[] = {
            {4, 1, {-1, 2, -1, -1, 3, 5}},  // "Не более [ <= ]" 1
            {0, 2, {-1, 0, 1, -1, -1, 3, 5}},
            {1, 2, {-1, 0, 1, 2, -1, -1}},
            {3, 1, {-1, 1, 2, -1, -1, 3, 5}},
        };
        for (const Case& c : cases) {
            TempDir dir;
            writeSmallGeneration(dir.path());
            writeStakes(dir.path(), {stake(5, {1, 2, 3, 4, 5}), stake(1, {1, 2, 3, 4, 5}, 0, true),
                                     stake(1, {1, 2, 3, 4, 6}, 1, true), stake(1, {1, 2, 3, 4, 7}, 2, true),
                                     TStakeRecord::separator(), stake(6, {1, 2, 3, 4, 8}),
                                     stake(2, {1, 2, 3, 4, 9}, 3, true), stake(2, {1, 2, 3, 4, 10}, 5, true)});
            ScriptedInteraction si;
            auto w = startWindow(dir.path(), si);
            QVERIFY(enabled(*w, "StakeFilter"));
            whenModal([&](QWidget* d) {
                // The dialog opens at "Равно [ = ]" and 0 every time.
                QCOMPARE(d->findChild<QComboBox*>("cbCondition")->currentIndex(), 0);
                QCOMPARE(d->findChild<QSpinBox*>("edValue")->value(), 0);
                d->findChild<QComboBox*>("cbCondition")->setCurrentIndex(c.condition);
                d->findChild<QSpinBox*>("edValue")->setValue(c.value);
                qobject_cast<QDialog*>(d)->accept();
            });
            w->action("StakeFilter")->trigger();
            std::vector<int> kept;
            for (const auto& r : storedStakes(*w)) kept.push_back(r.checked ? r.matchCount() : -1);
            QCOMPARE(kept, c.kept);
            QCOMPARE(w->stakesTab()->grid()->model()->rowCount(), int(c.kept.size()));
            QCOMPARE(panel(*w, 4), QString("Ставок: %1").arg(c.kept.size()));
        }
    }

    // A stake for the next draw stays unchecked until the draw is in the archive; the check then
    // fills the results, draws the matched numbers bold blue and adds the stake to the rating.
    void checkAfterTheNextDrawColoursTheMatchedNumbers() {
        TempDir dir;
        writeSmallGeneration(dir.path());
        writeStakes(dir.path(), {stake(2, {1, 2, 3, 4, 5})});
        ScriptedInteraction si;
        auto w = startWindow(dir.path(), si);
        NullProgress progress;
        QVERIFY(w->session()->archive().addDraw(makeDraw(1, {9, 8, 7, 6, 10}, 1), progress, si));
        QTableView* grid = w->stakesTab()->grid();
        w->resize(1400, 700);
        w->show();
        w->rightPages()->setCurrentWidget(w->stakesTab());
        const auto shot = [&] {
            QApplication::processEvents();
            return grid->viewport()->grab().toImage();
        };
        w->action("StakesCheckManual")->trigger();
        QCOMPARE(storedStakes(*w)[0].checked, false);  // draw 2 is not there yet
        const QImage before = shot();
        const QRect stakeCell = grid->visualRect(grid->model()->index(0, 2)).intersected(before.rect());
        const QRect drawCell = grid->visualRect(grid->model()->index(0, 4)).intersected(before.rect());
        QVERIFY(stakeCell.width() > 50 && drawCell.width() > 50);
        QCOMPARE(bluePixels(before, stakeCell), 0);

        QVERIFY(w->session()->archive().addDraw(makeDraw(2, {40, 3, 1, 50, 2}, 1), progress, si));
        w->action("StakesCheckManual")->trigger();
        QVERIFY(si.messages.empty());
        const TStakeRecord r = storedStakes(*w)[0];
        QVERIFY(r.checked);
        QCOMPARE(r.matchCount(), 3);
        QAbstractItemModel* m = grid->model();
        QCOMPARE(m->index(0, 4).data().toString(), QString("40;3;1;50;2"));
        QCOMPARE(m->index(0, 5).data().toString(), QString("3"));
        QCOMPARE(m->index(0, 6).data().toString(), QString("1 2 3"));
        const auto pieces = [](const TStakeRecord& s, int column) {
            std::vector<std::pair<int, bool>> out;
            for (const auto& p : StakesModel::numberPieces(s, column)) out.emplace_back(p.number, p.matched);
            return out;
        };
        QCOMPARE(pieces(r, 2), (std::vector<std::pair<int, bool>>{{1, true}, {2, true}, {3, true}, {4, false}, {5, false}}));
        QCOMPARE(pieces(r, 4), (std::vector<std::pair<int, bool>>{{40, false}, {3, true}, {1, true}, {50, false}, {2, true}}));
        // The profit colour follows its sign.
        const QColor profit = m->index(0, 7).data(Qt::ForegroundRole).value<QBrush>().color();
        QCOMPARE(profit, r.profit > 0 ? QColor(Qt::darkGreen) : QColor(Qt::red));
        // On screen the matched numbers are blue in both number columns.
        const QImage after = shot();
        QVERIFY(bluePixels(after, stakeCell) > 10);
        QVERIFY(bluePixels(after, drawCell) > 10);
        QCOMPARE(w->ratingsTab()->list()->model()->rowCount(), 1);
        QCOMPARE(panel(*w, 5), QString("Рейтинг: 1"));
    }

    // The profit graph needs more than one draw, as its message says.
    void profitGraphNeedsTwoDraws() {
        TempDir dir;
        writeSmallGeneration(dir.path());
        writeStakes(dir.path(), {stake(4, {1, 2, 3, 4, 5}), stake(4, {1, 2, 3, 4, 6})});
        ScriptedInteraction si;
        auto w = startWindow(dir.path(), si);
        w->action("StakesGraphDraws")->trigger();
        QCOMPARE(si.messages.size(), size_t{1});
        QCOMPARE(si.messages[0].text, std::string(kGraphNeedsDraws));
        QVERIFY(!w->findChild<ui::ChartWindow*>());

        NullProgress progress;
        w->session()->stakes().addStakes(stake(5, {1, 2, 3, 4, 7}), 1, si);
        w->action("StakesGraphDraws")->trigger();
        QCOMPARE(si.messages.size(), size_t{1});
        auto* chart = w->findChild<ui::ChartWindow*>();
        QVERIFY(chart);
        QCOMPARE(chart->windowTitle(), QString("Суммарный профит ставок по тиражам"));
        for (const char* title : {"Суммарный профит ставок по тиражу", "Среднее значение", "Накопленное значение"})
            QVERIFY2(chart->panel()->series(QString::fromUtf8(title), {}), title);
    }

    // The rating after a five-draw test of the example equals the command line's list cell for
    // cell in every efficiency mode; the CSV export carries all 18 columns in every line.
    void ratingsMatchTheCommandLineInEveryMode() {
        TempDir dir;
        const std::string sample = TAVLORA_SAMPLE_DIR;
        const auto cli = [&](const std::vector<std::string>& args) { return runCli(dir.path(), args, "LC_ALL=C"); };
        QCOMPARE(cli({"archive", "import", sample + "/draws.csv"}).status, 0);
        QCOMPARE(cli({"scenario", "load", sample + "/example.lsc"}).status, 0);
        const CliResult run = cli({"scenario", "test", "5", "--seed", "1"});
        QVERIFY2(run.status == 0, run.err.c_str());
        std::vector<std::vector<std::vector<std::string>>> expected;
        for (int mode = 0; mode < 3; ++mode) {
            const CliResult list = cli({"ratings", "list", "--mode", std::to_string(mode)});
            QCOMPARE(list.status, 0);
            expected.push_back(tableRows(list.out));
        }
        QVERIFY(expected[0].size() > 2);
        writeSmallGeneration(dir.path());
        ScriptedInteraction si;
        auto w = startWindow(dir.path(), si);
        QAbstractItemModel* m = w->ratingsTab()->list()->model();
        for (int mode = 0; mode < 3; ++mode) {
            w->action(QStringLiteral("RatingsEffMode%1").arg(mode))->trigger();
            const auto& rows = expected[static_cast<size_t>(mode)];
            QCOMPARE(m->rowCount() + 1, int(rows.size()));
            for (int c = 0; c < kRatingColumnCount; ++c)
                QCOMPARE(m->headerData(c, Qt::Horizontal).toString().toStdString(), rows[0][static_cast<size_t>(c)]);
            for (int r = 0; r < m->rowCount(); ++r)
                for (int c = 0; c < kRatingColumnCount; ++c)
                    QCOMPARE(m->index(r, c).data().toString().toStdString(),
                             rows[static_cast<size_t>(r + 1)][static_cast<size_t>(c)]);
        }
        QVERIFY(w->action("RatingsEffMode2")->isChecked());
        QCOMPARE(panel(*w, 5), QString("Рейтинг: %1").arg(m->rowCount()));
        const QString csv = QString::fromStdString((dir.path() / "rating.csv").string());
        QVERIFY(w->ratingsTab()->exportCsv(csv));
        const auto lines = textLines(readTextFile(dir.path() / "rating.csv"));
        QCOMPARE(int(lines.size()), m->rowCount() + 1);
        for (const auto& l : lines) QCOMPARE(std::count(l.begin(), l.end(), ';'), 17L);
    }

    // "Добавить в сценарий" adds the lines of good keys, refuses a key cut at the rating's limit
    // with its message, and shows the scenario page.
    void addToScenarioRefusesACutKeyAndShowsTheScenario() {
        TempDir dir;
        writeSmallGeneration(dir.path());
        const std::string good = "01.001: строка @ FULL#RAND + TSD1#NUMS:10#LNO:#SF:1";
        std::string cut = "01.002: @ FULL#RAND + TSD1#NUMS:10#LNO:#SF:1 + TSD1#EVEN:20#LNO:";
        cut += std::string(255 - cut.size(), '1');
        {
            TRatings ratings(dir.path() / "Tavlora_5d69.lrt");
            TRatingRecord a, b;
            a.key = good, a.stakes = 2, a.counters[0] = 2;
            b.key = cut, b.stakes = 1, b.counters[1] = 1;
            ratings.setRows({a, b});
            NullProgress progress;
            ScriptedInteraction quiet;
            QVERIFY(ratings.save(progress, quiet));
        }
        ScriptedInteraction si;
        auto w = startWindow(dir.path(), si);
        QVERIFY(!enabled(*w, "RatingsToScript"));
        w->ratingsTab()->list()->selectAll();
        QVERIFY(enabled(*w, "RatingsToScript"));
        w->rightPages()->setCurrentIndex(0);
        w->action("RatingsToScript")->trigger();
        QCOMPARE(w->session()->scenario().count(), 1);
        QVERIFY(w->session()->scenario().line(0).find("TSD1#NUMS:10") != std::string::npos);
        QCOMPARE(si.messages.size(), size_t{1});
        QVERIFY(si.messages[0].text.find("был обрезан") != std::string::npos);
        QCOMPARE(w->rightPages()->currentWidget()->objectName(), QString("tsScript"));
        // The scenario page shows the new line at once.
        QCOMPARE(w->scenarioTab()->listView()->model()->rowCount(), 1);
    }
};

QTEST_MAIN(StakesTabTest)
#include "stakes_test.moc"
