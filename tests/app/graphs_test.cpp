// The "Графики" tab, the repeats dialog and the sum distribution window on the sample archive.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QtCharts/QLineSeries>
#include <QtTest>
#include <fstream>
#include <map>

#include "app/gui_support.h"
#include "app/archive/draws_tab.h"
#include "app/main_window.h"
#include "app/workspace/graphs_tab.h"
#include "app/workspace/repeats_dialog.h"
#include "core/interaction.h"
#include "session/session.h"
#include "test_support.h"
#include "ui/chart_panel.h"
#include "ui/chart_window.h"

using namespace tavlora;
using namespace tavlora::test;
using app::TFormMain;

namespace {

bool trigger(TFormMain& w, const char* name) {
    w.updateActions();
    QAction* a = w.action(QString::fromLatin1(name));
    if (!a || !a->isEnabled()) return false;
    a->trigger();
    return true;
}

}  // namespace

class GraphsTest : public QObject {
    Q_OBJECT
private slots:
    // Three series of 100 points: the method's numbers of the last 100 draws, their mean and their
    // most frequent value (the earliest of equally frequent ones); the marks switch shows the
    // labels of the method's series only; an offset change redraws the shown tab.
    void graphsTabShowsThreeSeriesOfTheWindow() {
        test::TempDir dir;
        writeSmallGeneration(dir.path());
        ScriptedInteraction si;
        auto w = startWindow(dir.path(), si);
        QVERIFY(!trigger(*w, "AnalyzeRepeats"));  // no draws yet
        QVERIFY(w->drawsTab()->importDraws(QStringLiteral(TAVLORA_SAMPLE_DIR "/draws.csv")));
        app::GraphsTab* tab = w->graphsTab();
        QVERIFY(tab->methodBox()->count() > 0);
        QVERIFY(tab->chart()->allSeries().empty());  // hidden: not computed yet
        w->rightPages()->setCurrentWidget(tab);
        const auto series = tab->chart()->allSeries();
        QCOMPARE(series.size(), size_t(3));
        QCOMPARE(series[1]->name(), QString("Среднее значение"));
        QCOMPARE(series[2]->name(), QString("Наиболее часто встречающееся значение"));
        const Session& s = *w->session();
        for (QLineSeries* line : series) QCOMPARE(line->count(), 100);
        const auto points = series[0]->points();
        double sum = 0;
        std::map<double, int> counts;
        for (int i = 0; i < 100; ++i) {
            QCOMPARE(points[i].x(), double(s.draws()[static_cast<size_t>(1290 + i)].number));
            sum += points[i].y();
            ++counts[points[i].y()];
        }
        double mode = points[0].y();
        for (const QPointF& p : points)
            if (counts[p.y()] > counts[mode]) mode = p.y();
        for (int i = 0; i < 100; ++i) {
            QCOMPARE(series[1]->at(i).y(), sum / 100);
            QCOMPARE(series[2]->at(i).y(), mode);
        }

        QVERIFY(!series[0]->pointLabelsVisible());
        tab->marksBox()->setChecked(true);
        QVERIFY(series[0]->pointLabelsVisible());
        QVERIFY(!series[1]->pointLabelsVisible());

        // A shorter window on Enter, then an offset: the last point is the draw at the offset.
        tab->lengthEdit()->setValue(1);
        QTest::keyClick(tab->lengthEdit(), Qt::Key_Return);
        QCOMPARE(tab->chart()->allSeries().size(), size_t(3));
        for (QLineSeries* line : tab->chart()->allSeries()) QCOMPARE(line->count(), 1);
        QCOMPARE(tab->chart()->allSeries()[1]->at(0).y(), tab->chart()->allSeries()[0]->at(0).y());
        QCOMPARE(tab->chart()->allSeries()[2]->at(0).y(), tab->chart()->allSeries()[0]->at(0).y());
        w->drawsTab()->offsetEdit()->setValue(3);
        QCOMPARE(tab->chart()->allSeries()[0]->at(0).x(), double(s.draws()[1386].number));
        QVERIFY(si.messages.empty());
    }

    // The repeats dialog lists rows for the newest draws within the depth, one series per number
    // of shared numbers, and reopens at the size and with the parameters it was closed with.
    void repeatsDialogKeepsItsSettings() {
        test::TempDir dir;
        writeSmallGeneration(dir.path());
        ScriptedInteraction si;
        auto w = startWindow(dir.path(), si);
        QVERIFY(w->drawsTab()->importDraws(QStringLiteral(TAVLORA_SAMPLE_DIR "/draws.csv")));
        QVERIFY(trigger(*w, "AnalyzeRepeats"));
        QPointer<app::RepeatsDialog> d = w->graphsTab()->repeatsDialog();
        QVERIFY(d);
        QCOMPARE(d->windowTitle(), QString("Количество повторов в зависимости от тиража"));
        QTableWidget* list = d->list();
        QVERIFY(list->rowCount() > 100);
        const Session& s = *w->session();
        QCOMPARE(list->item(0, 0)->text(), QString::number(s.draws().back().number));
        int maxMatches = 0, points = 0;
        for (int r = 0; r < list->rowCount(); ++r) {
            maxMatches = std::max(maxMatches, list->item(r, 1)->text().toInt());
            QCOMPARE(list->item(r, 3)->text().split(' ').size(), list->item(r, 2)->text().toInt());
        }
        QCOMPARE(d->chart()->allSeries().size(), size_t(maxMatches));
        for (QLineSeries* line : d->chart()->allSeries()) points += line->count();
        QCOMPARE(points, list->rowCount());

        d->resize(700, 450);
        d->deepEdit()->setValue(1);
        QTest::keyClick(d->deepEdit(), Qt::Key_Return);
        // Depth 1: every listed draw is the one before the row's draw.
        for (int r = 0; r < list->rowCount(); ++r)
            QCOMPARE(list->item(r, 3)->text().toInt(), list->item(r, 0)->text().toInt() - 1);
        d->close();
        QTRY_VERIFY(!d);

        QVERIFY(trigger(*w, "AnalyzeRepeats"));
        d = w->graphsTab()->repeatsDialog();
        QVERIFY(d);
        QCOMPARE(d->size(), QSize(700, 450));
        QCOMPARE(d->deepEdit()->value(), 1);
        QCOMPARE(d->lengthEdit()->value(), 100);
        d->close();
        QVERIFY(si.messages.empty());
    }

    // The sum distribution: the chart window titled with the command, the draws' sums (all 1390
    // draws), the combinations' sums (every sum 15..335) and the three range lines.
    void sumDistributionWindow() {
        test::TempDir dir;
        writeSmallGeneration(dir.path());
        ScriptedInteraction si;
        auto w = startWindow(dir.path(), si);
        QVERIFY(w->drawsTab()->importDraws(QStringLiteral(TAVLORA_SAMPLE_DIR "/draws.csv")));
        QVERIFY(trigger(*w, "TotalSumCombs"));
        ui::ChartWindow* c = w->graphsTab()->sumsWindow();
        QVERIFY(c);
        QCOMPARE(c->windowTitle(), QString("Распределение сумм тиражей и всех возможных комбинаций"));
        const auto series = c->panel()->allSeries();
        QCOMPARE(series.size(), size_t(5));
        QCOMPARE(series[0]->name(), QString("Фактическое распределение сумм (по тиражам)"));
        double draws = 0, largest = 0;
        for (const QPointF& p : series[0]->points()) draws += p.y(), largest = std::max(largest, p.y());
        QCOMPARE(draws, 1390.0);
        QCOMPARE(series[1]->count(), 321);
        double theoryTop = 0;
        for (const QPointF& p : series[1]->points()) theoryTop = std::max(theoryTop, p.y());
        QCOMPARE(theoryTop, largest);  // scaled to the draws' largest count
        for (int k = 2; k < 5; ++k) {
            QVERIFY(series[static_cast<size_t>(k)]->name().startsWith(QString("Диапазон %1 (от ").arg(k - 1)));
            QCOMPARE(series[static_cast<size_t>(k)]->count(), 321);
        }
        // The marks switch hides the marks of the draws' series, the only one created with marks.
        QVERIFY(series[0]->pointLabelsVisible());
        c->marksBox()->setChecked(false);
        QVERIFY(!series[0]->pointLabelsVisible());
        c->marksBox()->setChecked(true);
        QVERIFY(!series[1]->pointLabelsVisible());
        // The window reopens at the size it was closed with.
        c->resize(640, 380);
        QPointer<ui::ChartWindow> closing = c;
        c->close();
        QTRY_VERIFY(!closing);
        QVERIFY(trigger(*w, "TotalSumCombs"));
        c = w->graphsTab()->sumsWindow();
        QVERIFY(c);
        QCOMPARE(c->size(), QSize(640, 380));
        QCOMPARE(c->panel()->allSeries().size(), size_t(5));
        c->close();
        QVERIFY(si.messages.empty());
    }
};

QTEST_MAIN(GraphsTest)
#include "graphs_test.moc"
