// The start-up of the main window: the wait of a restarted copy, the loading of the configuration
// at creation, the initialisation sequence run from the start-up timer, and the help dialog of a
// first start.
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

#include "app/archive/draws_tab.h"
#include "app/stakes/ratings_tab.h"
#include "app/stakes/stakes_tab.h"
#include "app/favourites/favourites_commands.h"
#include "app/main_window.h"
#include "app/process_list.h"
#include "app/scenario/scenario_tab.h"
#include "app/systems/systems_tab.h"
#include "app/workspace/combs_tab.h"
#include "app/workspace/norm_files.h"
#include "archive/download_settings.h"
#include "core/error.h"
#include "core/format.h"
#include "help/help_pages.h"
#include "session/session.h"
#include "stakes/ratings.h"
#include "stakes/stakes_store.h"
#include "stats/stat_list.h"
#include "ui/file_dialogs.h"
#include "ui/text.h"

namespace tavlora::app {

using ui::qs;

namespace {

constexpr int kRestartWaitSteps = 601;

}  // namespace

void TFormMain::waitForRestartedCopy() {
    const std::string name = ownExecutableName();
    for (int step = 0; step < kRestartWaitSteps; ++step) {
        if (!otherProcessRunning(name)) return;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 100) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QThread::msleep(10);
        }
    }
    if (otherProcessRunning(name)) endProgram(0);
}

void TFormMain::loadConfiguration() {
    ui::BusyScope busy(busy_);
    ui::StatusScope status(progress_, kConfigLoadingText);
    try {
        // Opening the session loads the settings (a missing or unreadable file gives the
        // defaults) and reads the archive; its messages are shown at initialisation.
        session_ = std::make_unique<Session>(options_.startup.dataDir);
        // The file dialogs open in the data folder, where the program's own files are.
        ui::setFileDialogFolder(ui::qs(options_.startup.dataDir.string()));
        session_->setNormsEnabled(form_.prefetchsEnabled);
        session_->setStakesLogEnabled(form_.stakesLogEnabled);
        for (Tab* tab : tabs_) tab->sessionOpened();
    } catch (const std::exception& e) {
        showError(fmt(kConfigReadError, std::string(e.what())));
        return;
    }
    try {
        proxy_ = loadProxySettings(session_->filePath(".ini"));
    } catch (const std::exception& e) {
        showError(fmt(kConfigReadError, std::string(e.what())));
    }
    // The session has rebuilt its registry over the settings and applied the method file; the
    // method lists are filled from it.
    methodListsChanged();
}

// --- initialisation -------------------------------------------------------------------------------

void TFormMain::initialise() {
    initTimer_.stop();
    if (state_ != State::Created) return;
    state_ = State::Initialising;
    try {
        ui::BusyScope busy(busy_);
        ui::StatusScope status(progress_, kInitialisingText);
        // 1. Storage of the combination list.
        reserveCombinationStorage();
        // 2. Ratings; the version in the caption.
        initRatings();
        setWindowTitle(windowTitle() + QStringLiteral(" версия ") + QString::fromLatin1(TAVLORA_VERSION));
        if (!session_) throw EError(fmt(kConfigReadError, std::string("нет открытого каталога данных")));
        // 3. The offset starts at 0.
        session_->setDrawsOffset(0);
        // 4. The stakes file, opened exclusively: the single-copy guard.
        try {
            session_->stakes().open();
        } catch (const EError&) {
            showError(kExclusiveAccessError);
            endProgram(1);
            return;
        }
        loadStakes();
        // 5. The archive (read when the session opened; its messages are shown now), the
        //    combination list, every view, ratings, regulars and the working scenario.
        for (const auto& m : session_->startupMessages()) showError(m);
        drawsTab_->refresh(true);
        combsTab_->generateFromSettings();
        recalcViews(true);
        loadRatings();
        loadRegularTables();
        loadScriptWorkingCopy();
        const auto& sw = options_.startup;
        // 6. Lists of the online services, unless a batch switch is given.
        if (!sw.loadOnly && !sw.fullRecreate && !sw.fullRefresh) {
            loadSystemsList();
            loadScriptLibrary();
        }
        // 7. Column sorting of the ratings.
        setupRatingsSort();
        // 8. loadonly: download, then end unless a prefetch switch follows.
        if (sw.loadOnly) {
            // An unattended run has nobody to close a box: without a results page the
            // explanation goes to standard error and the run goes on.
            if (drawsTab_->downloadConfigured()) drawsTab_->downloadDraws();
            else qWarning("%s", kDownloadUrlMissing);
            if (!sw.fullRecreate && !sw.fullRefresh) {
                endProgram(0);
                return;
            }
        }
        // 9. A self-update that was installed restarts the program.
        if (form_.autoUpdates && selfUpdateInstalled()) {
            endProgram(0);
            return;
        }
        // 10. Norm files.
        if (sw.fullRecreate) {
            recreatePrefetchs();
            endProgram(0);
            return;
        }
        ensureNormFiles(this, *this, sw.fullRefresh, {});
        if (sw.fullRefresh) {
            endProgram(0);
            return;
        }
        // 11. Draw download at start. Without a results page the question could only lead to
        //     the explanation of where to set it, so nothing is asked then (the command still
        //     explains it).
        if (drawsTab_->downloadAvailable() && drawsTab_->downloadConfigured()) {
            if (form_.downloadDrawsOnStart == 0) {
                if (ui::confirm(*interaction_, kDownloadQuestion, true)) drawsTab_->downloadDraws();
            } else if (form_.downloadDrawsOnStart == 1) {
                drawsTab_->downloadDraws();
            }
        }
        state_ = State::Running;
    } catch (const std::exception& e) {
        state_ = State::Running;
        showError(fmt(kInitError, std::string(e.what())));
    }
    // 12. The help dialog of a first start.
    if (state_ == State::Running && form_.firstRun) showFirstRunDialog();
    updateActions();
}

void TFormMain::reserveCombinationStorage() {
    if (session_) combsTab_->attachList();
}

void TFormMain::loadStakes() {
    // The file is already held by the single-copy guard; this checks its version (an old file is
    // reported and emptied) without giving up the lock.
    session_->stakes().openChecked(progress_, interaction());
    stakesTab_->refresh(false);
}

void TFormMain::loadScriptWorkingCopy() { scenarioTab_->reloadLines(); }

// The systems list is read only while its page is shown (hidden, it stays empty).
void TFormMain::loadSystemsList() {
    if (form_.systemsEnabled) systemsTab_->loadList();
}

void TFormMain::loadRatings() {
    session_->loadRatings(progress_, *interaction_);
    ratingsTab_->reload();
}

void TFormMain::recreatePrefetchs() {
    std::set<int> all;
    for (int g = 0; g < kStatGroupCount; ++g) all.insert(g);
    ensureNormFiles(this, *this, true, all);
}

void TFormMain::showFirstRunDialog() {
    QDialog dialog(this);
    dialog.setWindowTitle(QStringLiteral("Справочная информация"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* open = new QPushButton(QStringLiteral("Открыть файл встроенной справочной системы"), &dialog);
    open->setObjectName(QStringLiteral("btnOpenHelp"));
    // The help is built into the program, so it is always there to open.
    open->setEnabled(helpPage(kHelpIndexPage).has_value());
    constexpr int kOpenHelp = 2;
    connect(open, &QPushButton::clicked, &dialog, [&dialog] { dialog.done(kOpenHelp); });
    auto* dontShow = new QCheckBox(QStringLiteral("Больше не показывать данный диалог"), &dialog);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Закрыть"));
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(open);
    layout->addWidget(dontShow);
    layout->addWidget(buttons);
    const int result = dialog.exec();
    if (dontShow->isChecked()) {
        form_.firstRun = false;
        writeKey("FirstRun", false);
    }
    // The help window is not modal: it opens once the dialog has closed.
    if (result == kOpenHelp) favourites_->showHelp();
}

void TFormMain::endProgram(int code) {
    state_ = State::Ended;
    exitCode_ = code;
    emit programEnded(code);
}

}  // namespace tavlora::app
