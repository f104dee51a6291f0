// The window as an installed desktop program: the choice of its data folder without --data, the
// seeding of the user's folder from the installed sample folder (the one this build stages for
// the package), the start on that folder, and the "О программе" box.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTimer>
#include <QtTest>
#include <curl/curl.h>
#include <fstream>
#include <xlsxwriter.h>

#include "app/gui_support.h"
#include "app/about_dialog.h"
#include "app/command_line.h"
#include "app/data_folder.h"
#include "app/main_window.h"
#include "app/tab.h"
#include "core/interaction.h"
#include "session/session.h"
#include "test_support.h"

using namespace tavlora;
using namespace tavlora::test;
namespace fs = std::filesystem;

namespace {

void touch(const fs::path& path, const std::string& bytes = "x") {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// Points the user's data folder and the system's data folders into a test folder.
class XdgScope {
public:
    XdgScope(const fs::path& dataHome, const fs::path& dataDirs) {
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(dataHome.string()));
        qputenv("XDG_DATA_DIRS", QByteArray::fromStdString(dataDirs.string()));
    }
    ~XdgScope() {
        qunsetenv("XDG_DATA_HOME");
        qunsetenv("XDG_DATA_DIRS");
    }
};

// A package unpacked under root: root/usr/bin (writable, no data) and root/usr/share/tavlora as
// this build stages it for the package.
fs::path unpackInstall(const fs::path& root) {
    fs::create_directories(root / "usr/bin");
    fs::create_directories(root / "usr/share");
    fs::copy(TAVLORA_SHARE_DIR, root / "usr/share/tavlora", fs::copy_options::recursive);
    return root / "usr/bin";
}

}  // namespace

class DesktopTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { app::setApplicationIdentity(); }

    void theProgramsFolderServesOnlyWhenItIsABuildTreeOrHoldsData() {
        struct Case {
            const char* name;
            std::vector<const char*> files;
            bool portable;
        };
        const std::vector<Case> cases = {
            {"an installed program's folder", {"tavlora", "tavlora-cli"}, false},
            {"a build tree", {"tavlora", "CMakeCache.txt"}, true},
            {"a portable copy with its archive", {"tavlora", "Tavlora_5d69.ldr"}, true},
            {"a portable copy with only its settings", {"tavlora", "Tavlora_5d69.ini"}, true},
            {"a look-alike name", {"tavlora", "Tavlora_5d69"}, false},
            {"an empty folder", {}, false},
        };
        for (const auto& c : cases) {
            test::TempDir dir;
            for (const char* f : c.files) touch(dir / f);
            QVERIFY2(app::isPortableFolder(dir.path()) == c.portable, c.name);
        }
        test::TempDir dir;
        QVERIFY(!app::isPortableFolder(dir / "missing"));
        QVERIFY(!app::isPortableFolder({}));
    }

    void theInstalledFolderIsFoundBesideTheProgramThenInTheSystemsDataFolders() {
        test::TempDir dir;
        XdgScope xdg(dir / "home", (dir / "sys1").string() + ":" + (dir / "sys2").string());
        const auto exeDir = dir / "root/usr/bin";
        fs::create_directories(exeDir);
        QCOMPARE(app::installedDataFolder(exeDir), fs::path());
        fs::create_directories(dir / "sys2/tavlora");
        QCOMPARE(app::installedDataFolder(exeDir), dir / "sys2/tavlora");
        fs::create_directories(dir / "root/usr/share/tavlora");
        QCOMPARE(app::installedDataFolder(exeDir), dir / "root/usr/share/tavlora");
    }

    void anInstalledWindowStartsOnTheSeededUserFolderWithTheSampleDraws() {
        test::TempDir dir;
        XdgScope xdg(dir / "home/.local/share", dir / "nowhere");
        const auto exeDir = unpackInstall(dir / "root");
        const auto user = dir / "home/.local/share/tavlora";
        QCOMPARE(app::userDataFolder(), user);

        const auto folder = app::openDefaultDataFolder(exeDir);
        QCOMPARE(folder.dir, user);
        QVERIFY2(folder.error.empty(), folder.error.c_str());
        QCOMPARE(folder.seeded, (std::vector<std::string>{"example.lsc", "Tavlora_5d69.ldr"}));

        // The window started the way main() starts it, without --data.
        app::MainWindowOptions o;
        o.startup = app::parseStartupOptions({}, exeDir);
        QVERIFY(!o.startup.dataGiven);
        o.startup.dataDir = folder.dir;
        ScriptedInteraction si;
        o.interaction = &si;
        o.startTimer = false;
        {
            app::TFormMain w(o);
            w.initialise();
            QCOMPARE(w.state(), app::TFormMain::State::Running);
            QCOMPARE(w.session()->draws().size(), size_t(1390));
            QCOMPARE(w.statusPanel(app::kPanelArchive)->text(), QString("Архив тиражей: 1390"));
        }
        QVERIFY2(si.messages.empty(), si.messages.empty() ? "" : si.messages.front().text.c_str());
        QVERIFY(fs::exists(user / "Tavlora_5d69.frm"));
        // Nothing is written beside the program.
        QVERIFY(fs::is_empty(exeDir));

        // The next start copies nothing: the user's archive stays as it is.
        touch(user / "example.lsc", "mine");
        const auto again = app::openDefaultDataFolder(exeDir);
        QCOMPARE(again.dir, user);
        QVERIFY(again.seeded.empty());
        std::ifstream in(user / "example.lsc");
        std::string text;
        std::getline(in, text);
        QCOMPARE(text, std::string("mine"));
    }

    void aBuildTreeKeepsItsOwnFolderAndSeedsNothing() {
        test::TempDir dir;
        XdgScope xdg(dir / "home/.local/share", dir / "nowhere");
        const auto exeDir = unpackInstall(dir / "root");
        touch(exeDir / "CMakeCache.txt");
        const auto folder = app::openDefaultDataFolder(exeDir);
        QCOMPARE(folder.dir, exeDir);
        QVERIFY(folder.seeded.empty());
        QVERIFY(!fs::exists(dir / "home/.local/share/tavlora"));
        // --data overrides the choice.
        const auto o = app::parseStartupOptions({"--data", (dir / "mine").string()}, exeDir);
        QVERIFY(o.dataGiven);
        QCOMPARE(o.dataDir, dir / "mine");
    }

    void aSeedingThatFailsIsReportedAndTheFolderStillChosen() {
        test::TempDir dir;
        touch(dir / "home", "a file where the home folder should be");
        XdgScope xdg(dir / "home/.local/share", dir / "nowhere");
        const auto exeDir = unpackInstall(dir / "root");
        const auto folder = app::openDefaultDataFolder(exeDir);
        QCOMPARE(folder.dir, dir / "home/.local/share/tavlora");
        QVERIFY(folder.seeded.empty());
        QVERIFY2(folder.error.find((dir / "home/.local/share/tavlora").string()) != std::string::npos,
                 folder.error.c_str());
    }

    void theAboutBoxShowsVersionBuildDateLibrariesAndDataFolder() {
        test::TempDir dir;
        ScriptedInteraction si;
        app::MainWindowOptions o;
        o.startup.dataDir = dir.path();
        o.interaction = &si;
        o.startTimer = false;
        app::TFormMain w(o);
        w.initialise();

        // The command sits in the help menu.
        QMenu* help = nullptr;
        for (QAction* a : w.menuBar()->actions())
            if (a->text() == "П&омощь") help = a->menu();
        QVERIFY(help);
        QAction* about = w.action("About");
        QVERIFY(about);
        QCOMPARE(about->text(), QString("О программе"));
        QVERIFY(help->actions().contains(about));
        QVERIFY(about->isEnabled());

        QString title, text;
        whenModal([&](QWidget* dialog) {
            title = dialog->windowTitle();
            if (auto* label = dialog->findChild<QLabel*>("AboutText")) text = label->text();
            dialog->close();
        });
        about->trigger();
        QCOMPARE(title, QString("О программе"));
        const QStringList expected = {
            QStringLiteral("Версия: ") + TAVLORA_VERSION,
            QString::fromLatin1(qVersion()),
            QString::fromLatin1(curl_version_info(CURLVERSION_NOW)->version),
            QString::fromLatin1(lxw_version()),
            QString::fromStdString(dir.path().string()),
        };
        for (const QString& part : expected) QVERIFY2(text.contains(part), qPrintable(part + " in " + text));
        QVERIFY2(text.contains(QRegularExpression(QStringLiteral("Дата сборки: \\d{4}-\\d{2}-\\d{2}"))),
                 qPrintable(text));
        for (const char* name : {"Qt Charts", "libcurl", "libxlsxwriter"}) QVERIFY2(text.contains(name), name);
    }
};

QTEST_MAIN(DesktopTest)
#include "desktop_test.moc"
