// The favourites manager, the method description window and the help window, through the
// window's commands and the dialogs' own controls. Message boxes are answered by a scripted
// Interaction; modal dialogs are handled once they are open.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>
#include <fstream>

#include "app/gui_support.h"
#include "app/favourites/favourites_commands.h"
#include "app/favourites/favourites_dialog.h"
#include "app/favourites/help_browser.h"
#include "app/favourites/help_window.h"
#include "app/favourites/method_description.h"
#include "app/main_window.h"
#include "app/workspace/stats_tab.h"
#include "core/ini_file.h"
#include "core/interaction.h"
#include "help/help_pages.h"
#include "session/form_settings.h"
#include "session/method_example.h"
#include "session/session.h"
#include "stats/stat_list.h"
#include "test_support.h"

using namespace tavlora;
using namespace tavlora::test;
using app::FavouritesDialog;
using app::TFormMain;

namespace {

// Records the default button of every question.
class RecordingInteraction : public ScriptedInteraction {
public:
    bool question(const std::string& caption, const std::string& text, bool defaultYes) override {
        defaults.push_back(defaultYes);
        return ScriptedInteraction::question(caption, text, defaultYes);
    }
    std::vector<bool> defaults;
};

// A data folder with three draws and a small stored generation (the start-up then does not
// build the full combination list).
void prepareFolder(const std::filesystem::path& dir) {
    {
        std::ofstream ini(dir / "Tavlora_5d69.ini", std::ios::binary);
        ini << "[GLOBAL]\r\nCombsGenerateMode=2\r\nCombsGenerateParameters=1;2;3;4;5;6;7\r\n";
    }
    Session s(dir);
    s.archive().append(makeDraw(101, {3, 14, 15, 26, 44}, 5));
    s.archive().append(makeDraw(102, {7, 21, 33, 40, 68}, 12));
    s.archive().append(makeDraw(103, {2, 9, 30, 51, 64}, 20));
    NullProgress p;
    ScriptedInteraction si;
    QVERIFY(s.archive().save(p, si));
}

int methodIndex(const Session& s, const char* code) { return s.statList().methodWithCode(code); }

app::FavouritesSnapshot snapshotOf(const Session& s) { return app::FavouritesSnapshot::take(s.statList()); }

bool sameChoice(const app::FavouritesSnapshot& a, const app::FavouritesSnapshot& b) {
    return a.favourite == b.favourite && a.captions == b.captions && a.allFavourites == b.allFavourites &&
           a.ordered == b.ordered && a.showGroupName == b.showGroupName && a.showMethodFlags == b.showMethodFlags;
}

QStringList methodListTexts(TFormMain& w) {
    QStringList texts;
    QComboBox* box = w.statsTab()->methodBox();
    for (int i = 0; i < box->count(); ++i) texts << box->itemText(i);
    return texts;
}

// The visible text of a browser's page.
QString pageText(const QTextBrowser* b) { return b->document()->toPlainText(); }

}  // namespace

class FavouritesTest : public QObject {
    Q_OBJECT
private slots:
    void uncheckingEveryMethodLeavesAllFavourite() {
        test::TempDir dir;
        prepareFolder(dir.path());
        ScriptedInteraction si;
        auto w = startWindow(dir.path(), si);
        Session& s = *w->session();
        // Start from a partial choice so that the result is not the state the folder began with.
        s.statList().applyFavouritesText("NUMS,SUMS");
        w->methodListsChanged();
        QCOMPARE(w->statsTab()->methodBox()->count(), 2);

        QString countText;
        whenModal([&](QWidget* modal) {
            auto* d = qobject_cast<FavouritesDialog*>(modal);
            QVERIFY(d);
            countText = d->countLabel()->text();
            d->button("btnResetAll")->click();
            for (int i = 0; i < s.statList().count(); ++i) QVERIFY(!FavouritesDialog::isChecked(d->methodNode(i)));
            d->accept();
        });
        w->updateActions();
        w->action("FiltersManager")->trigger();

        QCOMPARE(countText, QString("всего %1 методов").arg(s.statList().count()));
        QVERIFY(s.statList().allFavourites);
        for (int i = 0; i < s.statList().count(); ++i) QVERIFY(s.statList().item(i).favourite);
        QCOMPARE(w->statsTab()->methodBox()->count(),
                 static_cast<int>(s.statList().methodListIndices(false).size()));
        QVERIFY(w->statsTab()->methodBox()->count() > 100);
        // The method file holds the choice: an empty favourites text means all.
        IniFile ini(dir / "Tavlora_5d69.flt");
        QVERIFY(ini.keyExists("FILTERS", "Favorites"));
        QCOMPARE(QString::fromStdString(ini.readString("FILTERS", "Favorites", "x")), QString());
    }

    void okStoresChecksCaptionsAndOptions() {
        test::TempDir dir;
        prepareFolder(dir.path());
        ScriptedInteraction si;
        auto w = startWindow(dir.path(), si);
        Session& s = *w->session();
        const int nums = methodIndex(s, "NUMS");
        const int sums = methodIndex(s, "SUMS");
        const int digs = methodIndex(s, "DIGS");
        QVERIFY(nums >= 0 && sums >= 0 && digs >= 0);
        s.statList().item(digs).customCaption = "Старое имя";
        const QString sumsOwn = QString::fromStdString(s.statList().item(sums).defaultCaption());
        QString describedPage;

        whenModal([&](QWidget* modal) {
            auto* d = qobject_cast<FavouritesDialog*>(modal);
            QVERIFY(d);
            QCOMPARE(d->methodNode(digs)->text(0), QString("Старое имя"));
            d->button("btnResetAll")->click();
            // "Выбрать группу" on a method node checks its whole group.
            d->tree()->setCurrentItem(d->methodNode(sums));
            d->button("btnSelectGroup")->click();
            QVERIFY(FavouritesDialog::isChecked(d->methodNode(sums)));
            QVERIFY(!FavouritesDialog::isChecked(d->methodNode(nums)));
            d->tree()->setCurrentItem(d->methodNode(nums));
            d->renameSelected(QStringLiteral("  Мои числа  "));
            d->tree()->setCurrentItem(d->methodNode(digs));
            d->button("btnRestore")->click();
            d->orderedBox()->setChecked(true);
            d->groupNameBox()->setChecked(false);
            // "Описание" opens the description of the selected method over the manager.
            d->tree()->setCurrentItem(d->methodNode(sums));
            whenModal([&](QWidget* over) {
                if (auto* window = qobject_cast<app::MethodDescriptionWindow*>(over))
                    describedPage = window->browser()->pageName();
                over->close();
            });
            d->button("btnInfo")->click();
            d->accept();
        });
        w->updateActions();
        w->action("FiltersManager")->trigger();

        QCOMPARE(describedPage, QString("Filters_1049_SUMS.htm"));
        const TStatList& r = s.statList();
        QVERIFY(!r.allFavourites);
        QVERIFY(r.item(sums).favourite);
        QVERIFY(!r.item(nums).favourite);
        QCOMPARE(QString::fromStdString(r.item(nums).customCaption), QString("Мои числа"));
        QVERIFY(r.item(digs).customCaption.empty());
        QVERIFY(r.ordered);
        QVERIFY(!r.showGroupName);
        // The lists were refilled from the reloaded method file: only the sum group, sorted.
        const QStringList texts = methodListTexts(*w);
        QVERIFY(texts.contains(sumsOwn + " [ NG ]"));
        QVERIFY(!texts.join('\n').contains("Мои числа"));
        QStringList sorted = texts;
        std::sort(sorted.begin(), sorted.end(),
                  [](const QString& a, const QString& b) { return QString::compare(a, b, Qt::CaseInsensitive) < 0; });
        QCOMPARE(texts, sorted);
        IniFile ini(dir / "Tavlora_5d69.flt");
        QCOMPARE(QString::fromStdString(ini.readString("STRINGS_RUS", "NUMS")), QString("Мои числа"));
        QVERIFY(!ini.keyExists("STRINGS_RUS", "DIGS"));
        QVERIFY(QString::fromStdString(ini.readString("FILTERS", "Favorites")).contains("SUMS"));
    }

    void renamingBackInAnyCaseClearsTheCustomCaption_data() {
        QTest::addColumn<int>("change");
        QTest::newRow("upper") << 0;
        QTest::newRow("lower") << 1;
        QTest::newRow("same") << 2;
        QTest::newRow("first letter flipped") << 3;
    }
    void renamingBackInAnyCaseClearsTheCustomCaption() {
        QFETCH(int, change);
        test::TempDir dir;
        prepareFolder(dir.path());
        Session s(dir.path());
        ScriptedInteraction si;
        const int sums = methodIndex(s, "SUMS");
        s.statList().item(sums).customCaption = "Моя сумма";
        const QString own = QString::fromStdString(s.statList().item(sums).defaultCaption());
        QString typed = change == 0 ? own.toUpper() : change == 1 ? own.toLower() : own;
        if (change == 3) typed[0] = typed[0].isUpper() ? typed[0].toLower() : typed[0].toUpper();
        QVERIFY(change == 2 || typed != own);

        FavouritesDialog d(s, si, {});
        d.tree()->setCurrentItem(d.methodNode(sums));
        d.renameSelected(typed);
        QCOMPARE(d.methodNode(sums)->text(0), typed);
        d.accept();
        QVERIFY(s.statList().item(sums).customCaption.empty());
        QCOMPARE(QString::fromStdString(s.statList().item(sums).displayCaption()), own);
    }

    void cancelAfterImportExportRenameAndOptionsLeavesEverything() {
        test::TempDir dir;
        prepareFolder(dir.path());
        Session s(dir.path());
        ScriptedInteraction si;
        TStatList& r = s.statList();
        const int nums = methodIndex(s, "NUMS");
        const int sums = methodIndex(s, "SUMS");
        const int even = methodIndex(s, "EVEN");
        // A names file with captions of its own for NUMS and EVEN.
        const auto namesFile = dir / "names.flt";
        r.item(nums).customCaption = "Импортированные числа";
        r.item(even).customCaption = "Импортированная четность";
        r.saveMethodFile(namesFile, false, false);
        // The state the dialog opens on: a partial choice and one caption of the user's.
        for (int i = 0; i < r.count(); ++i) r.item(i).customCaption.clear();
        r.applyFavouritesText("NUMS,SUMS");
        r.item(sums).customCaption = "Моя сумма";
        r.ordered = false;
        r.showGroupName = true;
        r.showMethodFlags = true;
        const auto before = snapshotOf(s);

        FavouritesDialog d(s, si, {});
        QVERIFY(d.importNames(QString::fromStdString(namesFile.string())));
        QCOMPARE(d.methodNode(nums)->text(0), QString("Импортированные числа"));
        QCOMPARE(d.methodNode(even)->text(0), QString("Импортированная четность"));
        // Captions not in the file go back to the methods' own; the checks stay as they were.
        QCOMPARE(d.methodNode(sums)->text(0), QString::fromStdString(r.item(sums).defaultCaption()));
        QVERIFY(FavouritesDialog::isChecked(d.methodNode(nums)));
        QVERIFY(!FavouritesDialog::isChecked(d.methodNode(even)));

        d.tree()->setCurrentItem(d.methodNode(even));
        d.renameSelected(QStringLiteral("Другое имя"));
        d.checkAll(true);
        d.orderedBox()->setChecked(true);
        d.groupNameBox()->setChecked(false);
        d.methodFlagsBox()->setChecked(false);
        const auto exported = dir / "exported.flt";
        QVERIFY(d.exportNames(QString::fromStdString(exported.string())));
        // The export writes every caption as the tree shows it, and no favourites.
        IniFile out(exported);
        QCOMPARE(QString::fromStdString(out.readString("STRINGS_RUS", "EVEN")), QString("Другое имя"));
        QCOMPARE(QString::fromStdString(out.readString("STRINGS_RUS", "NUMS")), QString("Импортированные числа"));
        QCOMPARE(QString::fromStdString(out.readString("STRINGS_RUS", "DIGS")),
                 QString::fromStdString(r.item(methodIndex(s, "DIGS")).displayCaption()));
        QVERIFY(!out.keyExists("FILTERS", "Favorites"));

        d.reject();
        QVERIFY(sameChoice(snapshotOf(s), before));
        QCOMPARE(QString::fromStdString(r.item(sums).customCaption), QString("Моя сумма"));
        QVERIFY(r.item(nums).customCaption.empty());
        QVERIFY(r.item(nums).favourite && !r.item(even).favourite && !r.allFavourites);
    }

    void aDoubleClickTogglesOnce() {
        test::TempDir dir;
        prepareFolder(dir.path());
        Session s(dir.path());
        ScriptedInteraction si;
        FavouritesDialog d(s, si, {});
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QTreeWidget* tree = d.tree();
        const int sums = methodIndex(s, "SUMS");
        QTreeWidgetItem* node = d.methodNode(sums);
        tree->scrollToItem(node);
        const QPoint at = tree->viewport()->mapTo(&d, tree->visualItemRect(node).center());
        QVERIFY(FavouritesDialog::isChecked(node));

        // The whole gesture, as the window system delivers it: press, release, press, release.
        QSignalSpy doubleClicks(tree, &QTreeWidget::itemDoubleClicked);
        QTest::mouseDClick(d.windowHandle(), Qt::LeftButton, {}, at);
        QCOMPARE(doubleClicks.count(), 1);  // the view saw a double click, not two single clicks
        QVERIFY(!FavouritesDialog::isChecked(node));
        QTest::mouseDClick(d.windowHandle(), Qt::LeftButton, {}, at);
        QVERIFY(FavouritesDialog::isChecked(node));
        // A single click later still toggles.
        QTest::mouseClick(d.windowHandle(), Qt::LeftButton, {}, at);
        QVERIFY(!FavouritesDialog::isChecked(node));

        // A double click on a group node neither toggles its methods nor folds it.
        QTreeWidgetItem* group = node->parent();
        const QPoint groupAt = tree->viewport()->mapTo(&d, tree->visualItemRect(group).center());
        QTest::mouseDClick(d.windowHandle(), Qt::LeftButton, {}, groupAt);
        QVERIFY(group->isExpanded());
        QVERIFY(!FavouritesDialog::isChecked(node));
    }

    void resetAsksWithNoAsDefaultAndSelectsAll() {
        test::TempDir dir;
        prepareFolder(dir.path());
        RecordingInteraction si;
        auto w = startWindow(dir.path(), si);
        Session& s = *w->session();
        s.statList().applyFavouritesText("NUMS");
        w->updateActions();
        si.answers = {false, true};
        w->action("FiltersReset")->trigger();
        QCOMPARE(si.questions.size(), size_t(1));
        QCOMPARE(QString::fromStdString(si.questions[0].text),
                 QString("Вы действительно хотите сбросить список избранных фильтров?"));
        QCOMPARE(si.defaults, std::vector<bool>{false});
        QVERIFY(!s.statList().allFavourites);  // "No" changes nothing

        w->action("FiltersReset")->trigger();
        QVERIFY(s.statList().allFavourites);
        QCOMPARE(w->statsTab()->methodBox()->count(), static_cast<int>(s.statList().methodListIndices(false).size()));
        QCOMPARE(QString::fromStdString(IniFile(dir / "Tavlora_5d69.flt").readString("FILTERS", "Favorites", "x")),
                 QString());
    }

    void descriptionShowsTheMethodPageAndItsValuesForTheNewestDraw_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<int>("graph");  // -1: not a graph method
        QTest::newRow("NUMS newest") << "NUMS" << 0 << QStringList{"2", "9", "30", "51", "64"} << -1;
        QTest::newRow("SUMS newest") << "SUMS" << 0 << QStringList{"156"} << 156;
        QTest::newRow("SUMS behind offset 1") << "SUMS" << 1 << QStringList{"169"} << 169;
        QTest::newRow("NUMS behind offset 2") << "NUMS" << 2 << QStringList{"3", "14", "15", "26", "44"} << -1;
    }
    void descriptionShowsTheMethodPageAndItsValuesForTheNewestDraw() {
        QFETCH(QString, code);
        QFETCH(int, offset);
        QFETCH(QStringList, values);
        QFETCH(int, graph);
        test::TempDir dir;
        prepareFolder(dir.path());
        ScriptedInteraction si;
        auto w = startWindow(dir.path(), si);
        Session& s = *w->session();
        s.setDrawsOffset(offset);
        const int method = methodIndex(s, code.toLatin1().constData());
        QVERIFY(method >= 0);

        const TMethodExample ex = methodExample(s, method);
        QCOMPARE(ex.drawIndex, 2 - offset);
        QStringList got;
        for (const auto& v : ex.values) got << QString::fromStdString(v);
        QCOMPARE(got, values);
        QCOMPARE(ex.graphNumber.has_value(), graph >= 0);
        if (graph >= 0) QCOMPARE(*ex.graphNumber, graph);

        // Opened by "Описание статистики" on the statistics tab for the selected method.
        QComboBox* box = w->statsTab()->methodBox();
        box->setCurrentIndex(box->findData(method));
        QString page, exampleText, title;
        whenModal([&](QWidget* modal) {
            auto* window = qobject_cast<app::MethodDescriptionWindow*>(modal);
            QVERIFY(window);
            title = window->windowTitle();
            page = window->browser()->pageName();
            QVERIFY(pageText(window->browser()).contains(code));
            exampleText = pageText(window->exampleView());
            window->resize(500, 420);
            window->move(33, 44);
            window->reject();
        });
        w->updateActions();
        w->action("FiltersInfo")->trigger();
        QVERIFY(title.startsWith("Описание методики расчета"));
        QCOMPARE(page, QString::fromStdString(methodHelpFile(s.statList().item(method))));
        QVERIFY(exampleText.contains(QString("№ %1").arg(103 - offset)));
        QVERIFY2(exampleText.contains(values.join("; ")), qPrintable(exampleText));
        QCOMPARE(exampleText.contains("Число для графика"), graph >= 0);

        // The placement is kept for the next opening.
        app::MethodDescriptionWindow again(s, method);
        again.show();
        QCOMPARE(again.size(), QSize(500, 420));
        const TWindowPlacement p = loadPlacement(dir / "Tavlora_5d69.frm", app::kDescriptionSection, 1, 1);
        QVERIFY(p.valid);
    }

    void descriptionOfAnEmptyArchiveSaysSo() {
        test::TempDir dir;
        Session s(dir.path());
        const int sums = methodIndex(s, "SUMS");
        QCOMPARE(methodExample(s, sums).drawIndex, -1);
        app::MethodDescriptionWindow window(s, sums);
        QVERIFY(pageText(window.exampleView()).contains("нет тиража"));
        QVERIFY(pageText(window.browser()).contains("SUMS"));
    }

    void helpWindowFiltersTitlesAndFollowsLinks() {
        app::HelpWindow help;
        const QStringList all = help.visibleTitles();
        QCOMPARE(all.size(), static_cast<qsizetype>(helpPageNames().size()));
        QCOMPARE(help.browser()->pageName(), QString("index.htm"));
        QCOMPARE(all.first(), app::helpPageTitle("index.htm"));

        help.filterEdit()->setText(QStringLiteral("сЦЕНАР"));
        const QStringList found = help.visibleTitles();
        QVERIFY(!found.isEmpty());
        QVERIFY(found.size() < all.size());
        for (const QString& t : found) QVERIFY(t.contains("сценар", Qt::CaseInsensitive));
        QVERIFY(found.contains(app::helpPageTitle("help_scenarios.htm")));
        // Enter opens the first page found.
        QTest::keyClick(help.filterEdit(), Qt::Key_Return);
        QVERIFY(pageText(help.browser()).contains("сценар", Qt::CaseInsensitive));
        help.filterEdit()->clear();
        QCOMPARE(help.visibleTitles().size(), all.size());

        // A link of the index opens the embedded page; back and forward walk the history.
        help.browser()->openPage("index.htm");
        help.browser()->setSource(QUrl("Filters_1049_SUMS.htm"));
        QCOMPARE(help.browser()->pageName(), QString("Filters_1049_SUMS.htm"));
        QVERIFY(pageText(help.browser()).contains("SUMS"));
        QVERIFY(help.backButton()->isEnabled());
        help.backButton()->click();
        QCOMPARE(help.browser()->pageName(), QString("index.htm"));
        QVERIFY(help.forwardButton()->isEnabled());
        help.forwardButton()->click();
        QCOMPARE(help.browser()->pageName(), QString("Filters_1049_SUMS.htm"));
        QVERIFY(!help.browser()->openPage("no_such_page.htm"));
        QCOMPARE(help.browser()->pageName(), QString("Filters_1049_SUMS.htm"));
    }

    void firstStartOffersTheHelpUntilDeclined() {
        test::TempDir dir;
        prepareFolder(dir.path());
        ScriptedInteraction si;
        // A first start: no window-settings file yet.
        QVERIFY(!std::filesystem::exists(dir / "Tavlora_5d69.frm"));
        QString title;
        bool openEnabled = false;
        whenModal([&](QWidget* dialog) {
            title = dialog->windowTitle();
            auto* open = dialog->findChild<QPushButton*>("btnOpenHelp");
            openEnabled = open && open->isEnabled();
            if (open) open->click();
        });
        {
            auto w = startWindow(dir.path(), si, {}, true);
            QCOMPARE(title, QString("Справочная информация"));
            QVERIFY(openEnabled);
            QVERIFY(w->favourites()->helpWindow());
            QVERIFY(w->favourites()->helpWindow()->isVisible());
            QCOMPARE(w->favourites()->helpWindow()->browser()->pageName(), QString("index.htm"));
        }
        QVERIFY(loadFormSettings(dir / "Tavlora_5d69.frm").firstRun);

        // The next start asks again; the box declines it for good.
        title.clear();
        whenModal([&](QWidget* dialog) {
            title = dialog->windowTitle();
            dialog->findChild<QCheckBox*>()->setChecked(true);
            dialog->close();
        });
        { auto w = startWindow(dir.path(), si, {}, true); }
        QCOMPARE(title, QString("Справочная информация"));
        QVERIFY(!loadFormSettings(dir / "Tavlora_5d69.frm").firstRun);

        // The Help command opens the same window at the index.
        auto w = startWindow(dir.path(), si, {}, true);
        w->action("Help")->trigger();
        QVERIFY(w->favourites()->helpWindow()->isVisible());
        QCOMPARE(w->favourites()->helpWindow()->browser()->pageName(), QString("index.htm"));
    }
};

QTEST_MAIN(FavouritesTest)
#include "favourites_test.moc"
