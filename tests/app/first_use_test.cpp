// What a new user meets first, through the shown window: typing the back offset, the applied
// filters after a new generation, a formula the evaluator cannot read, the status bar at the
// default and the smallest size, and a draw number given twice.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPaintEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableWidget>
#include <QSpinBox>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTabWidget>
#include <QTableView>
#include <QRegularExpression>
#include <QTimer>
#include <QTranslator>
#include <QTreeWidget>
#include <QtTest>
#include <fstream>

#include "app/gui_support.h"
#include "app/archive/draw_dialog.h"
#include "app/archive/draws_model.h"
#include "app/archive/draws_tab.h"
#include "app/main_window.h"
#include "app/settings/shredding_dialog.h"
#include "app/translations.h"
#include "app/workspace/combs_tab.h"
#include "app/workspace/generate_dialog.h"
#include "app/workspace/info_window.h"
#include "app/workspace/stat_table_model.h"
#include "app/workspace/stats_tab.h"
#include "core/interaction.h"
#include "session/session.h"
#include "stats/stat_list.h"
#include "workspace/info_rows.h"
#include "test_support.h"
#include "ui/file_dialogs.h"

using namespace tavlora;
using namespace tavlora::test;
using app::TFormMain;

namespace {

// The window on a data folder with the sample archive, shown and active.
std::unique_ptr<TFormMain> startWithDraws(const test::TempDir& dir, Interaction& interaction, bool import = true) {
    writeSmallGeneration(dir.path());
    auto w = startWindow(dir.path(), interaction);
    w->show();
    w->activateWindow();
    if (!QTest::qWaitForWindowActive(w.get())) qWarning("the window did not become active");
    if (import && !w->drawsTab()->importDraws(QStringLiteral(TAVLORA_SAMPLE_DIR "/draws.csv"))) return nullptr;
    return w;
}

void trigger(TFormMain& w, const char* name) {
    w.updateActions();
    QAction* a = w.action(QString::fromLatin1(name));
    QVERIFY2(a && a->isEnabled(), name);
    a->trigger();
}

// Collects the regions painted on a widget.
class PaintRecorder : public QObject {
public:
    explicit PaintRecorder(QWidget* w) : w_(w) { w->installEventFilter(this); }
    bool eventFilter(QObject* o, QEvent* e) override {
        if (o == w_ && e->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(e)->region();
        return false;
    }
    QRegion painted;

private:
    QWidget* w_;
};

// Whether the label shows its whole text within its width.
bool fits(const QLabel* label) {
    return label->fontMetrics().horizontalAdvance(label->text()) <= label->contentsRect().width();
}

}  // namespace

class FirstUseTest : public QObject {
    Q_OBJECT
private slots:
    // Qt's own dialogs speak Russian with the system's translations, and the file dialogs open
    // in the data folder.
    void qtDialogsAreRussianAndOpenInTheDataFolder() {
        QTranslator translator;
        QVERIFY2(app::installRussianQtTexts(translator), "qtbase_ru is missing (qt6-translations-l10n)");
        for (const auto& [context, source] : {std::pair{"QFileDialog", "Look in:"}, std::pair{"QFileDialog", "File &name:"},
                                              std::pair{"QPlatformTheme", "Cancel"}, std::pair{"QPlatformTheme", "Save"}}) {
            const QString text = QCoreApplication::translate(context, source);
            QVERIFY2(text != QString::fromLatin1(source) && text.contains(QRegularExpression(QStringLiteral("[А-Яа-я]"))),
                     qPrintable(text));
        }
        QCoreApplication::removeTranslator(&translator);
        test::TempDir dir;
        ScriptedInteraction si;
        auto w = startWithDraws(dir, si);
        QVERIFY(w);
        const QString folder = QString::fromStdString(dir.path().string());
        QCOMPARE(ui::fileDialogFolder(), folder);

        // The export writes every draw and importing it back adds none. (The dialogs open in the
        // folder above; the files are given here directly, since Qt's own dialog keeps shared
        // state that concurrent test programs disturb.)
        const QString file = folder + QStringLiteral("/export.csv");
        const int count = w->session()->archive().count();
        QVERIFY(w->drawsTab()->exportDraws(file));
        QVERIFY(w->drawsTab()->importDraws(file));
        QCOMPARE(w->drawsTab()->lastImportCount(), 0);
        QCOMPARE(w->session()->archive().count(), count);
    }

    // Typing "37" into the offset field applies 37 on Enter, not 3 on the first digit, and the
    // focus stays in the field (also for the arrow keys, which apply at once).
    void typedOffsetAppliesOnEnterAndKeepsFocus() {
        test::TempDir dir;
        ScriptedInteraction si;
        auto w = startWithDraws(dir, si);
        QVERIFY(w);
        QSpinBox* offset = w->drawsTab()->offsetEdit();
        offset->setFocus();
        QTRY_VERIFY(offset->hasFocus());
        offset->selectAll();
        // Each key goes where the keyboard focus is, as typing does.
        for (const QChar digit : QStringLiteral("37")) {
            QTest::keyClicks(QApplication::focusWidget(), QString(digit));
            QCOMPARE(w->session()->drawsOffset(), 0);
            QVERIFY(offset->hasFocus());
        }
        QCOMPARE(offset->text(), QStringLiteral("37"));
        QTest::keyClick(offset, Qt::Key_Return);
        QCOMPARE(w->session()->drawsOffset(), 37);
        QCOMPARE(offset->value(), 37);
        QVERIFY(offset->hasFocus());
        QCOMPARE(w->statsTab()->table().last, w->session()->archive().high() - 37);
        for (const auto& [key, expected] : {std::pair{Qt::Key_Up, 38}, std::pair{Qt::Key_Down, 37},
                                            std::pair{Qt::Key_Down, 36}}) {
            QTest::keyClick(offset, key);
            QCOMPARE(w->session()->drawsOffset(), expected);
            QVERIFY(offset->hasFocus());
        }
        // The arrows of "Тиражей" apply the new length at once, as typing and Enter do.
        QSpinBox* length = w->statsTab()->lengthEdit();
        length->setFocus();
        QTRY_VERIFY(length->hasFocus());
        const int window = w->statsTab()->table().windowSize;
        QTest::keyClick(length, Qt::Key_Down);
        QCOMPARE(w->statsTab()->table().windowSize, window - 1);
        QVERIFY(length->hasFocus());
        // The list's type-ahead took nothing: its current row was never moved.
        QVERIFY(!w->drawsTab()->listView()->currentIndex().isValid());
        QVERIFY(si.messages.empty());
    }

    // The keys of the lists: Enter, Ins and Del on the draws list; Ctrl+A, Ctrl+C, Ctrl+V and
    // Ctrl+Z on the combinations; F5 anywhere.
    void listKeysRunTheirCommands() {
        test::TempDir dir;
        ScriptedInteraction si;
        auto w = startWithDraws(dir, si);
        QVERIFY(w);
        QTableView* draws = w->drawsTab()->listView();
        const int before = w->session()->archive().count();
        draws->setFocus();
        draws->setCurrentIndex(w->drawsTab()->model()->index(0, 0));
        QTRY_VERIFY(draws->hasFocus());
        const struct {
            Qt::Key key;
            const char* dialogClass;  // the modal window the key opens, or null
            size_t questions;         // questions asked so far
        } drawKeys[] = {{Qt::Key_Return, "tavlora::app::TInfoWindow", 0},
                        {Qt::Key_Insert, "tavlora::app::TDrawDialog", 0},
                        {Qt::Key_Delete, nullptr, 1}};
        for (const auto& k : drawKeys) {
            QString opened;
            if (k.dialogClass)
                whenModal([&](QWidget* modal) {
                    opened = QString::fromLatin1(modal->metaObject()->className());
                    static_cast<QDialog*>(modal)->reject();
                });
            w->activateWindow();
            draws->setFocus();
            QTRY_VERIFY(draws->hasFocus());
            w->updateActions();
            QTest::keyClick(draws, k.key);
            if (k.dialogClass) QTRY_COMPARE(opened, QString::fromLatin1(k.dialogClass));
            QCOMPARE(si.questions.size(), k.questions);  // Del asks first; the answer is no
        }
        QCOMPARE(w->session()->archive().count(), before);

        app::CombsTab* combs = w->combsTab();
        w->leftPages()->setCurrentWidget(combs);
        QTableView* list = combs->listView();
        list->setFocus();
        QTRY_VERIFY(list->hasFocus());
        w->updateActions();
        QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(list->selectionModel()->selection().size(), 1);
        QCOMPARE(combs->selectedRows().size(), combs->count());
        QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text().count(QStringLiteral("\r\n")), int(combs->count()) - 1);
        QGuiApplication::clipboard()->setText(QStringLiteral("1 2 3 4 5"));
        w->updateActions();
        QTest::keyClick(list, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(combs->count(), size_t(1));
        w->updateActions();
        QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(combs->count(), size_t(21));

        QSignalSpy recalc(w->action("ViewRecalc"), &QAction::triggered);
        w->updateActions();
        QTest::keyClick(list, Qt::Key_F5);
        QCOMPARE(recalc.count(), 1);
        QVERIFY(si.messages.empty());
    }

    // The matrix pane of the information window widens with the matrix: no column is clipped
    // up to the widest pane, and the widest matrix scrolls.
    void informationMatrixWidensWithItsColumns() {
        test::TempDir dir;
        ScriptedInteraction si;
        auto w = startWithDraws(dir, si);
        QVERIFY(w);
        TInfoRequest request;
        request.nums.n = {1, 8, 15, 22, 69};
        request.drawIndex = request.referenceIndex = w->session()->analysisEndIndex();
        app::TInfoWindow info(w.get(), w->session()->statList(), request);
        info.show();
        for (const auto& [columns, scrolls] : {std::pair{7, false}, std::pair{10, false}, std::pair{13, false},
                                               std::pair{69, true}}) {
            info.columnsEdit()->setValue(columns);
            QApplication::processEvents();
            QTableWidget* grid = info.grid();
            QCOMPARE(grid->horizontalScrollBar()->maximum() > 0, scrolls);
        }
        QVERIFY(si.messages.empty());
    }

    // An empty archive says how to get draws until it has some.
    void emptyArchiveSaysHowToGetDraws() {
        test::TempDir dir;
        ScriptedInteraction si;
        auto w = startWithDraws(dir, si, false);
        auto* note = w->drawsTab()->findChild<QLabel*>(QStringLiteral("lbEmptyArchive"));
        QVERIFY(note);
        QVERIFY(note->isVisible());
        for (const char* how : {"Загрузить тиражи", "Импорт из CSV-файла", "Добавить"})
            QVERIFY2(note->text().contains(QString::fromUtf8(how)), how);
        QVERIFY(w->drawsTab()->importDraws(QStringLiteral(TAVLORA_SAMPLE_DIR "/draws.csv")));
        QVERIFY(!note->isVisible());
        // Every column of the statistics table explains itself in its header's tooltip.
        auto* m = w->statsTab()->tableModel();
        QSet<QString> tips;
        for (int c = 0; c < m->columnCount(); ++c)
            tips << m->headerData(c, Qt::Horizontal, Qt::ToolTipRole).toString();
        QCOMPARE(tips.size(), m->columnCount());
        QVERIFY(!tips.contains(QString()));

        // Scrolled to the right, the table keeps its "Значение" column in view over its left
        // edge, on the same rows.
        QTableView* table = w->statsTab()->tableView();
        QTableView* values = w->statsTab()->valueColumnView();
        QVERIFY(!values->isVisible());
        table->horizontalScrollBar()->setValue(table->horizontalScrollBar()->maximum());
        table->verticalScrollBar()->setValue(5);
        QApplication::processEvents();
        QVERIFY(table->horizontalScrollBar()->value() > 0);
        QVERIFY(values->isVisible());
        QCOMPARE(values->width(), table->columnWidth(0));
        QCOMPARE(values->verticalScrollBar()->value(), 5);
        const QModelIndex top = values->indexAt(QPoint(2, 2));
        QCOMPARE(top.column(), 0);
        QCOMPARE(top.row(), table->indexAt(QPoint(table->viewport()->width() - 2, 2)).row());
        for (int c = 1; c < m->columnCount(); ++c) QVERIFY(values->isColumnHidden(c));
        table->horizontalScrollBar()->setValue(0);
        QVERIFY(!values->isVisible());
    }

    // Two applied-filter rows, a right click and Esc on the first, then a generation: the rows
    // are gone and the whole list is painted anew, not just the first row.
    void appliedFiltersAreRepaintedAfterGenerate() {
        test::TempDir dir;
        ScriptedInteraction si;
        auto w = startWithDraws(dir, si);
        QVERIFY(w);
        app::CombsTab* combs = w->combsTab();
        w->leftPages()->setCurrentWidget(combs);
        QVERIFY(combs->generate(2, "1;2;3;4;5;6;7;8;9;10;11;12", false));
        QTableView* stats = w->statsTab()->tableView();
        // The first method gives the drawn numbers: keep the combinations holding 1 or 2, then
        // remove those holding 3.
        const std::pair<const char*, QStringList> steps[] = {{"StatFilter_Include", {"1", "2"}},
                                                              {"StatFilter_Exclude", {"3"}}};
        for (const auto& [command, values] : steps) {
            stats->clearSelection();
            for (int r = 0; r < stats->model()->rowCount(); ++r)
                if (values.contains(stats->model()->index(r, 0).data().toString()))
                    stats->selectionModel()->select(stats->model()->index(r, 0),
                                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
            trigger(*w, command);
        }
        QTreeWidget* filters = combs->filtersView();
        QCOMPARE(filters->topLevelItemCount(), 2);
        QApplication::processEvents();
        const QRect first = filters->visualItemRect(filters->topLevelItem(0));
        QTest::mouseClick(filters->viewport(), Qt::RightButton, {}, first.center());
        QTest::keyClick(filters->viewport(), Qt::Key_Escape);
        QApplication::processEvents();

        PaintRecorder recorder(filters->viewport());
        whenModal([](QWidget* modal) {
            auto* dialog = qobject_cast<app::TGenerateDialog*>(modal);
            QVERIFY(dialog);
            dialog->modeBox()->setCurrentIndex(2);
            dialog->parameterEdit()->setText(QStringLiteral("1;2;3;4;5;6;7;8;9;10"));
            dialog->accept();
        });
        trigger(*w, "CombsGen");
        QCOMPARE(combs->count(), size_t(252));
        QApplication::processEvents();
        QCOMPARE(filters->topLevelItemCount(), 0);
        QVERIFY(!filters->currentItem());
        QVERIFY(filters->selectedItems().isEmpty());
        // Both old rows were painted over.
        const QRect second = first.translated(0, first.height());
        QVERIFY(recorder.painted.contains(first));
        QVERIFY2(recorder.painted.contains(second), "the old second row was left on screen");
        QVERIFY(si.messages.empty());
    }

    // A formula the evaluator cannot read is refused on OK with what is wrong and where; the
    // settings keep the old formula. A readable change recomputes the statistics table at once.
    void shreddingFormulaIsCheckedAndApplied() {
        test::TempDir dir;
        ScriptedInteraction si;
        auto w = startWithDraws(dir, si);
        QVERIFY(w);
        const std::string before = w->session()->settings().formulas[0];
        app::StatsTab* stats = w->statsTab();
        const int shr = w->session()->statList().methodWithCode("SHR1");
        QVERIFY(shr >= 0);
        stats->methodBox()->setCurrentIndex(stats->methodBox()->findData(shr));
        QVERIFY(stats->tableModel()->rowCount() > 0);

        bool refused = false;
        whenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<app::TShreddingDialog*>(modal);
            QVERIFY(dialog);
            dialog->formulaEdit(0)->setText(QStringLiteral("(n1+n2"));
            dialog->accept();
            refused = dialog->isVisible();
            QCOMPARE(dialog->formulaEdit(0)->cursorPosition(), 0);
            dialog->reject();
        });
        trigger(*w, "EditShredding");
        QVERIFY(refused);
        QCOMPARE(si.messages.size(), size_t(1));
        QCOMPARE(si.messages[0].text, std::string("Ошибка в формуле 1, позиция 1: скобка «(» не закрыта."));
        QCOMPARE(w->session()->settings().formulas[0], before);

        whenModal([](QWidget* modal) {
            auto* dialog = qobject_cast<app::TShreddingDialog*>(modal);
            QVERIFY(dialog);
            dialog->formulaEdit(0)->setText(QStringLiteral("n1/100"));
            dialog->accept();
        });
        trigger(*w, "EditShredding");
        QCOMPARE(w->session()->settings().formulas[0], std::string("n1/100"));
        QCOMPARE(stats->methodBox()->currentData().toInt(), shr);
        // The table already holds the new formula's values: "Обновить" changes nothing.
        auto values = [&] {
            QStringList out;
            for (const auto& row : stats->table().rows) out << QString::number(row.value.count);
            auto* m = stats->tableModel();
            for (int r = 0; r < m->rowCount(); ++r) out << m->index(r, 0).data().toString();
            return out;
        };
        const QStringList shown = values();
        trigger(*w, "DrawsStatCalc");
        QCOMPARE(values(), shown);
        QCOMPARE(si.messages.size(), size_t(1));
    }

    // The fixed panels show their whole texts beside a long hint, at the default size and at the
    // smallest; the hint is cut with an ellipsis in the last panel; no two panels overlap.
    void statusBarPanelsStayReadable() {
        test::TempDir dir;
        ScriptedInteraction si;
        auto w = startWithDraws(dir, si);
        QVERIFY(w);
        const QString hint = QStringLiteral("Очень длинная подсказка, ") .repeated(12);
        QStatusTipEvent tip(hint);
        QApplication::sendEvent(w.get(), &tip);
        for (const QSize size : {QSize(1200, 760), QSize(1, 1)}) {
            w->resize(size);
            QApplication::processEvents();
            QTRY_VERIFY(w->width() >= w->minimumWidth());
            const QString where = QStringLiteral("window %1x%2").arg(w->width()).arg(w->height());
            QVERIFY2(w->statusPanel(1)->text().startsWith(QStringLiteral("Следующий тираж: ")), qPrintable(where));
            int right = -1;
            for (int i = 0; i < app::kStatusPanels; ++i) {
                QLabel* p = w->statusPanel(i);
                QVERIFY2(fits(p), qPrintable(QStringLiteral("%1: panel %2 \"%3\"").arg(where).arg(i).arg(p->text())));
                QVERIFY2(p->geometry().left() > right, qPrintable(QStringLiteral("%1: panel %2 overlaps").arg(where).arg(i)));
                QVERIFY2(p->geometry().right() <= w->statusBar()->width(), qPrintable(where));
                right = p->geometry().right();
            }
            const QString shown = w->statusPanel(app::kPanelHint)->text();
            QVERIFY2(shown.endsWith(QStringLiteral("…")) && shown.size() < hint.size(), qPrintable(shown));
            QCOMPARE(w->statusPanel(app::kPanelHint)->toolTip(), hint);
        }
    }

    // The draw dialog refuses a number another draw carries, for a new draw and for an edit,
    // and keeps the dialog open; the archive holds each number once.
    void drawNumberGivenTwiceIsRefused() {
        test::TempDir dir;
        ScriptedInteraction si;
        auto w = startWithDraws(dir, si);
        QVERIFY(w);
        DrawArchive& archive = w->session()->archive();
        const int count = archive.count();
        const int newest = archive.at(archive.high()).number;
        const int older = archive.at(archive.high() - 1).number;
        struct Case {
            const char* command;
            int number;
            bool refused;
        };
        const Case cases[] = {{"DrawsAdd", newest, true}, {"DrawsEdit", older, true}, {"DrawsEdit", newest, false}};
        w->drawsTab()->listView()->setCurrentIndex(w->drawsTab()->model()->index(0, 0));
        for (const Case& c : cases) {
            si.messages.clear();
            bool stayedOpen = false;
            whenModal([&](QWidget* modal) {
                auto* dialog = qobject_cast<app::TDrawDialog*>(modal);
                QVERIFY(dialog);
                // The dialog says what the numbers field expects and shows dates as the list does.
                auto* hint = dialog->findChild<QLabel*>(QStringLiteral("lbDrawNumbersHint"));
                QVERIFY(hint && hint->text().contains(QStringLiteral("Шесть чисел")));
                QCOMPARE(dialog->dateEdit()->displayFormat(), QStringLiteral("MM/dd/yyyy HH:mm"));
                dialog->numberEdit()->setValue(c.number);
                dialog->numbersEdit()->setText(QStringLiteral("1;2;3;4;5;6"));
                dialog->accept();
                stayedOpen = dialog->isVisible();
                if (stayedOpen) dialog->reject();
            });
            trigger(*w, c.command);
            QCOMPARE(stayedOpen, c.refused);
            if (c.refused) {
                QCOMPARE(si.messages.size(), size_t(1));
                QCOMPARE(si.messages[0].text,
                         "Тираж с номером " + std::to_string(c.number) + " уже есть в архиве тиражей!");
            } else {
                QVERIFY(si.messages.empty());
            }
        }
        QCOMPARE(archive.count(), count);
        int carried = 0;
        for (int i = 0; i < archive.count(); ++i) carried += archive.at(i).number == newest ? 1 : 0;
        QCOMPARE(carried, 1);
        QCOMPARE(archive.at(archive.high()).nums[0], uint8_t(1));  // the edit of its own number went through
    }
};

QTEST_MAIN(FirstUseTest)
#include "first_use_test.moc"
