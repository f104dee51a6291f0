// The window's spreadsheet exports (draws, combinations, statistics table): each command writes a
// workbook of what its list shows and hands it to the desktop's opener; the file is read back by
// an independent reader (tests/scripts/xlsx_cells.py, Python's zipfile and XML parser).
#include <QAction>
#include <QFile>
#include <QProcess>
#include <QTableView>
#include <QtTest>
#include <fstream>

#include "app/gui_support.h"
#include "app/archive/draws_tab.h"
#include "app/main_window.h"
#include "app/workspace/combs_tab.h"
#include "app/workspace/stats_tab.h"
#include "archive/draw_archive.h"
#include "core/interaction.h"
#include "test_support.h"
#include "ui/xlsx_export.h"

using namespace tavlora;
using namespace tavlora::test;
using app::TFormMain;

namespace {

std::unique_ptr<TFormMain> startWithGeneration(const std::filesystem::path& dir, Interaction& interaction) {
    writeSmallGeneration(dir);
    return startWindow(dir, interaction);
}

struct Book {
    QString sheet;
    QStringList widths;
    QList<QStringList> rows;  // cells as the reader prints them: [*]n<number>, [*]s<text>, -
};

Book readBack(const QString& file) {
    QProcess p;
    p.start(QStringLiteral(TAVLORA_PYTHON), {QStringLiteral(TAVLORA_XLSX_READER), file});
    p.waitForFinished(60000);
    Book b;
    if (p.exitCode() != 0) {
        qWarning("%s", p.readAllStandardError().constData());
        return b;
    }
    QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    if (lines.size() < 2) return b;
    b.sheet = lines[0];
    b.widths = lines[1].split('\t');
    for (int i = 2; i < lines.size(); ++i) b.rows << lines[i].split('\t');
    return b;
}

// The workbook holds the view's visible columns under a bold header, every row in the view's
// order, numbers as numeric cells.
void expectViewInBook(const QTableView& view, const Book& book, const QString& sheet) {
    QCOMPARE(book.sheet, sheet);
    const QAbstractItemModel* m = view.model();
    QList<int> columns;
    for (int c = 0; c < m->columnCount(); ++c)
        if (!view.isColumnHidden(c) && view.columnWidth(c) > 0) columns << c;
    QCOMPARE(book.widths.size(), columns.size());
    QCOMPARE(book.rows.size(), m->rowCount() + 1);
    for (int i = 0; i < columns.size(); ++i)
        QCOMPARE(book.rows[0].value(i), "*s" + m->headerData(columns[i], Qt::Horizontal).toString());
    int numbers = 0;
    for (int r = 0; r < m->rowCount(); ++r) {
        for (int i = 0; i < columns.size(); ++i) {
            const QString shown = m->index(r, columns[i]).data().toString();
            const QString cell = book.rows[r + 1].value(i, QStringLiteral("-"));
            bool isNumber = false;
            const double v = QString(shown).replace(',', '.').toDouble(&isNumber);
            if (shown.isEmpty()) {
                QCOMPARE(cell, QStringLiteral("-"));
            } else if (isNumber) {
                QVERIFY2(cell.startsWith('n'), qPrintable(QStringLiteral("row %1: %2 stored as %3").arg(r).arg(shown, cell)));
                QCOMPARE(cell.mid(1).toDouble(), v);
                ++numbers;
            } else {
                QCOMPARE(cell, "s" + shown);
            }
        }
    }
    QVERIFY(numbers > 0);
}

}  // namespace

class XlsxExportTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        opened_.clear();
        ui::setWorkbookOpener([this](const QString& f) {
            opened_ << f;
            return openerWorks_;
        });
    }
    void cleanup() {
        for (const QString& f : opened_) QFile::remove(f);
        ui::setWorkbookOpener({});
        openerWorks_ = true;
    }

    void everyListExportsWhatItShows() {
        test::TempDir dir;
        ScriptedInteraction si;
        auto w = startWithGeneration(dir.path(), si);
        QVERIFY(!enabled(*w, "DrawsXlsExport"));  // an empty archive
        QVERIFY(!enabled(*w, "DrawsStatExportToExcel"));
        QVERIFY(w->drawsTab()->importDraws(QStringLiteral(TAVLORA_SAMPLE_DIR "/draws.csv")));

        const struct {
            const char* command;
            QTableView* view;
            QString sheet;
        } cases[] = {
            {"DrawsXlsExport", w->drawsTab()->listView(), QStringLiteral("Архив тиражей")},
            {"CombsXlsExport", w->combsTab()->listView(), QStringLiteral("Комбинации")},
            {"DrawsStatExportToExcel", w->statsTab()->tableView(), QStringLiteral("Статистика")},
        };
        for (const auto& c : cases) {
            QVERIFY2(enabled(*w, c.command), c.command);
            QVERIFY(c.view->model()->rowCount() > 0);
            const int before = int(opened_.size());
            w->action(QString::fromLatin1(c.command))->trigger();
            QCOMPARE(int(opened_.size()), before + 1);
            QVERIFY(QFile::exists(opened_.last()));
            expectViewInBook(*c.view, readBack(opened_.last()), c.sheet);
        }
        // The statistics table hides its norm columns while norms are off: they are not exported.
        QVERIFY(w->statsTab()->tableView()->columnWidth(3) == 0 || w->statsTab()->tableView()->isColumnHidden(3));
        QVERIFY2(si.messages.empty(), si.messages.empty() ? "" : si.messages[0].text.c_str());

        // No program for the file: the user learns where it was written.
        openerWorks_ = false;
        w->action(QStringLiteral("CombsXlsExport"))->trigger();
        QCOMPARE(int(si.messages.size()), 1);
        QVERIFY(si.messages[0].kind == MessageKind::Warning);
        QVERIFY(si.messages[0].text.find(opened_.last().toStdString()) != std::string::npos);
    }

    // The combination list's cells are numbers as the model gives them, rows in list order.
    void combinationsAreNumbers() {
        test::TempDir dir;
        ScriptedInteraction si;
        auto w = startWithGeneration(dir.path(), si);
        QTableView* view = w->combsTab()->listView();
        const TExportTable t = ui::tableFromView(*view, QStringLiteral("Комбинации"));
        QCOMPARE(int(t.rows.size()), 21);
        QCOMPARE(t.captions.front(), std::string("№ п.п."));
        // Position, five numbers and the sum, all numeric; the last row is 3 4 5 6 7.
        const std::vector<TExportCell> last{TExportCell::ofNumber(21), TExportCell::ofNumber(3), TExportCell::ofNumber(4),
                                            TExportCell::ofNumber(5),  TExportCell::ofNumber(6), TExportCell::ofNumber(7),
                                            TExportCell::ofNumber(25)};
        QVERIFY(t.rows.back() == last);
    }

private:
    QStringList opened_;
    bool openerWorks_ = true;
};

QTEST_MAIN(XlsxExportTest)
#include "xlsx_export_test.moc"
