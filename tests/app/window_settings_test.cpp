// Window settings per section: dialogs reopen where and at the size they were closed, each under
// its own section of the window-settings file, and the main window's lists keep their column
// widths from one run to the next.
#include <QDialog>
#include <QHeaderView>
#include <QTableView>
#include <QTableWidget>
#include <QTreeWidget>
#include <QtTest>
#include <fstream>

#include "app/gui_support.h"
#include "app/archive/draw_dialog.h"
#include "app/archive/draws_tab.h"
#include "app/main_window.h"
#include "app/settings/shredding_dialog.h"
#include "app/workspace/combs_tab.h"
#include "app/workspace/generate_dialog.h"
#include "app/workspace/stats_tab.h"
#include "core/ini_file.h"
#include "core/interaction.h"
#include "core/window_settings.h"
#include "test_support.h"
#include "ui/window_settings.h"

using namespace tavlora;
using namespace tavlora::test;
using app::TFormMain;

namespace {

}  // namespace

class WindowSettingsTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { ui::setWindowSettingsFile({}); }

    // Each real dialog stores its size under its own section and reopens at it; a section that
    // was never stored leaves the designed size.
    void dialogsReopenAtTheirStoredSize() {
        test::TempDir dir;
        const auto frm = dir.path() / "Tavlora_5d69.frm";
        ui::setWindowSettingsFile(frm);
        ScriptedInteraction si;
        const struct {
            const char* section;
            std::function<std::unique_ptr<QDialog>()> make;
        } cases[] = {
            {"TGenerateDialog", [] { return std::make_unique<app::TGenerateDialog>(nullptr, uint8_t(2), "1;2;3"); }},
            {"TShreddingDialog",
             [] {
                 return std::make_unique<app::TShreddingDialog>(nullptr, std::array<std::string, 3>{"n1", "n2", "n3"},
                                                                std::array<int32_t, 3>{1, 1, 1});
             }},
            {"TDrawDialog",
             [&si] { return std::make_unique<app::TDrawDialog>(nullptr, QStringLiteral("Тираж"), TDraw{}, si); }},
        };
        int extra = 0;
        QSize firstSize;
        for (const auto& c : cases) {
            auto first = c.make();
            first->show();
            const QSize stored = first->size() + QSize(37 + extra, 23 + extra);
            first->resize(stored);
            if (extra == 0) firstSize = stored;
            first->hide();
            QVERIFY2(IniFile(frm).keyExists(c.section, "NormPos"), c.section);
            auto again = c.make();
            again->show();
            QCOMPARE(again->size(), stored);
            extra += 5;
        }
        // Reopened after the others stored their sizes, the first dialog still has its own.
        auto generate = cases[0].make();
        generate->show();
        QCOMPARE(generate->size(), firstSize);
        QVERIFY(!IniFile(frm).keyExists("TFormRepeats", "NormPos"));

        // The widths of a kept list go with the dialog's section.
        QDialog d;
        auto* list = new QTableWidget(3, 3, &d);
        list->setObjectName(QStringLiteral("lvList"));
        ui::keepPlacement(d, "TFormRepeats", {list});
        d.show();
        list->setColumnWidth(1, 93);
        d.hide();
        QDialog d2;
        auto* list2 = new QTableWidget(3, 3, &d2);
        list2->setObjectName(QStringLiteral("lvList"));
        ui::keepPlacement(d2, "TFormRepeats", {list2});
        QVERIFY(list2->columnWidth(1) != 93);
        d2.show();
        QCOMPARE(list2->columnWidth(1), 93);
    }

    // The lists of the main window (draws, combinations, applied filters, statistics) keep their
    // widths through a shutdown and a new start.
    void mainListsKeepTheirWidths() {
        test::TempDir dir;
        std::ofstream(dir.path() / "Tavlora_5d69.ini", std::ios::binary)
            << "[GLOBAL]\r\nCombsGenerateMode=2\r\nCombsGenerateParameters=1;2;3;4;5;6;7\r\n";
        ScriptedInteraction si;
        auto views = [](TFormMain& w) {
            return std::vector<QAbstractItemView*>{w.drawsTab()->listView(), w.combsTab()->listView(),
                                                   w.combsTab()->findChild<QTreeWidget*>(QStringLiteral("lvFilters")),
                                                   w.statsTab()->tableView()};
        };
        auto width = [](QAbstractItemView* v, int c) {
            if (auto* t = qobject_cast<QTableView*>(v)) return t->columnWidth(c);
            return static_cast<QTreeView*>(v)->columnWidth(c);
        };
        const int column[] = {2, 3, 1, 0};
        std::vector<int> set;
        {
            auto w = startWindow(dir.path(), si);
            const auto v = views(*w);
            for (std::size_t i = 0; i < v.size(); ++i) {
                QVERIFY(v[i]);
                const int chosen = width(v[i], column[i]) + 17 + int(i);
                if (auto* t = qobject_cast<QTableView*>(v[i])) t->setColumnWidth(column[i], chosen);
                else static_cast<QTreeView*>(v[i])->setColumnWidth(column[i], chosen);
                set.push_back(chosen);
            }
        }
        auto w = startWindow(dir.path(), si);
        const auto v = views(*w);
        for (std::size_t i = 0; i < v.size(); ++i) QCOMPARE(width(v[i], column[i]), set[i]);
        // The norm columns stay hidden while norms are off, whatever was stored for them.
        QCOMPARE(w->statsTab()->tableView()->columnWidth(3), 0);
        QVERIFY2(si.messages.empty(), si.messages.empty() ? "" : si.messages[0].text.c_str());
    }
};

QTEST_MAIN(WindowSettingsTest)
#include "window_settings_test.moc"
