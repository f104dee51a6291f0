#include "app/main_window.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSet>
#include <QSplitter>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QUrl>
#include <algorithm>
#include <cstdlib>
#include <ctime>

#include "app/about_dialog.h"
#include "app/favourites/favourites_commands.h"
#include "app/archive/draws_tab.h"
#include "app/archive/proxy_dialog.h"
#include "app/scenario/scenario_tab.h"
#include "app/settings/settings_commands.h"
#include "app/stakes/ratings_tab.h"
#include "app/stakes/regulars_tab.h"
#include "app/stakes/stakes_tab.h"
#include "app/systems/systems_tab.h"
#include "app/workspace/card_tab.h"
#include "app/workspace/combs_tab.h"
#include "app/workspace/graphs_tab.h"
#include "app/workspace/layout_tab.h"
#include "app/workspace/stats_tab.h"
#include "app/workspace/week_tab.h"
#include "archive/draw_archive.h"
#include "core/format.h"
#include "core/settings.h"
#include "session/session.h"
#include "stakes/stakes_store.h"
#include "ui/elided_label.h"
#include "ui/text.h"
#include "ui/window_settings.h"

namespace tavlora::app {

using ui::qs;
using ui::us;

namespace {

constexpr int kInitDelayMs = 100;
constexpr const char* kLotterySite = "https://www.powerball.com/previous-results";

}  // namespace

// --- creation -------------------------------------------------------------------------------------

TFormMain::TFormMain(MainWindowOptions options, QWidget* parent) : QMainWindow(parent), options_(std::move(options)) {
    setObjectName(QStringLiteral("TFormMain"));
    if (options_.interaction) {
        interaction_ = options_.interaction;
    } else {
        boxes_ = std::make_unique<ui::MessageBoxInteraction>(this);
        interaction_ = boxes_.get();
    }
    progress_.setTextSink([this](const QString& text) { setPanel(kPanelHint, text); });
    connect(&busy_, &ui::BusyState::busyChanged, this, [this](bool busy) {
        if (!busy) progress_.resetStop();  // a stop request ends with the work it stopped
        updateActions();
        // A close asked for during the work is carried out once the work has stopped.
        if (!busy && closePending_) {
            closePending_ = false;
            QTimer::singleShot(0, this, [this] { close(); });
        }
    });
    idleTimer_.setSingleShot(true);
    idleTimer_.setInterval(0);
    connect(&idleTimer_, &QTimer::timeout, this, &TFormMain::updateActions);
    initTimer_.setSingleShot(true);
    initTimer_.setInterval(kInitDelayMs);
    connect(&initTimer_, &QTimer::timeout, this, &TFormMain::initialise);

    setWindowTitle(QStringLiteral("Tavlora 5/69"));
    buildLayout();
    buildActions();
    buildMenus();
    buildStatusBar();

    try {
        // 1. Font, random generator, the systems tab hidden until its subsystem shows it, the
        //    combination list emptied.
        QFont font = QApplication::font("QMenu");
        setFont(font);
        std::srand(static_cast<unsigned>(std::time(nullptr)));
        setTabShown(systemsTab_, false);
        clearCombinationList();
        // 2. A restarted copy waits for the old one to end.
        if (options_.startup.restart) waitForRestartedCopy();
        if (state_ == State::Ended) return;
        // 4. Placement and per-window keys (read before step 3 shows the tabs by them).
        restoreWindowSettings();
        // 3. The optional tabs by their keys.
        applyTabVisibility();
        // 5. Program settings, proxy, registry, method lists.
        loadConfiguration();
    } catch (const std::exception& e) {
        showError(fmt(kStartError, std::string(e.what())));
    }
    // 6. The initialisation runs from a one-shot timer so that the window is visible meanwhile.
    qApp->installEventFilter(this);
    if (options_.startTimer) initTimer_.start();
    updateActions();
}

TFormMain::~TFormMain() {
    qApp->removeEventFilter(this);
    saveWindowSettings();
    combsTab_->release();
    if (session_) session_->archive().clear();
    if (session_) session_->stakes().close();
    releaseRatings();
}

template <class T>
T* TFormMain::addTab(QTabWidget* side, T* tab) {
    side->addTab(tab, tab->caption());
    tabs_.push_back(tab);
    return tab;
}

void TFormMain::buildLayout() {
    splitter_ = new QSplitter(Qt::Horizontal, this);
    pcLeft_ = new QTabWidget(splitter_);
    pcLeft_->setObjectName(QStringLiteral("pcLeft"));
    pcRight_ = new QTabWidget(splitter_);
    pcRight_->setObjectName(QStringLiteral("pcRight"));

    // The pages in their order; menus, views and optional-tab commands follow this order.
    drawsTab_ = addTab(pcLeft_, new DrawsTab(*this, pcLeft_));
    combsTab_ = addTab(pcLeft_, new CombsTab(*this, pcLeft_));
    statsTab_ = addTab(pcRight_, new StatsTab(*this, pcRight_));
    graphsTab_ = addTab(pcRight_, new GraphsTab(*this, pcRight_));
    cardTab_ = addTab(pcRight_, new CardTab(*this, pcRight_));
    layoutTab_ = addTab(pcRight_, new LayoutTab(*this, pcRight_));
    weekTab_ = addTab(pcRight_, new WeekTab(*this, pcRight_));
    ratingsTab_ = new RatingsTab(*this, pcRight_);
    stakesTab_ = addTab(pcRight_, new StakesTab(*this, combsTab_, ratingsTab_, pcRight_));
    addTab(pcRight_, ratingsTab_);
    regularsTab_ = addTab(pcRight_, new RegularsTab(*this, combsTab_, stakesTab_, ratingsTab_, pcRight_));
    systemsTab_ = addTab(pcRight_, new SystemsTab(*this, stakesTab_, ratingsTab_, pcRight_));
    scenarioTab_ = addTab(pcRight_, new ScenarioTab(*this, {statsTab_, combsTab_, drawsTab_, {drawsTab_, combsTab_, statsTab_}},
                                                    pcRight_));
    // Changing a page recomputes the view it shows, without force.
    for (QTabWidget* side : {pcLeft_, pcRight_})
        connect(side, &QTabWidget::currentChanged, this, [this, side] { recalcVisibleViews(side); });

    splitter_->addWidget(pcLeft_);
    splitter_->addWidget(pcRight_);
    splitter_->setStretchFactor(1, 1);
    setCentralWidget(splitter_);
    resize(1200, 760);
}

QAction* TFormMain::addCommand(CommandSpec spec) {
    auto* a = new QAction(spec.caption, this);
    a->setObjectName(spec.name);
    a->setStatusTip(spec.hint);
    a->setCheckable(spec.checkable);
    a->setProperty("whileBusy", spec.whileBusy);
    if (spec.run)
        connect(a, &QAction::triggered, this, [this, run = std::move(spec.run)] {
            run();
            scheduleActionUpdate();
        });
    actions_.insert(spec.name, a);
    updaters_.emplace_back(a, spec.enabled ? std::move(spec.enabled) : [] { return true; });
    return a;
}

QAction* TFormMain::action(const QString& name) const { return actions_.value(name); }

void TFormMain::buildActions() {
    for (Tab* tab : tabs_) tab->buildCommands();
    settings_ = std::make_unique<SettingsCommands>(*this, this);
    settings_->buildCommands();
    favourites_ = std::make_unique<FavouritesCommands>(*this, this);
    favourites_->buildCommands();

    auto never = [] { return false; };
    addCommand({QStringLiteral("EditProxy"), QStringLiteral("Параметры proxy-сервера"),
                QStringLiteral("Параметры подключения через proxy-сервер"),
                [this] { editProxySettings(this, *this); }, [this] { return session_ != nullptr; }});
    auto* group = new QActionGroup(this);
    const QString autoCaptions[3] = {QStringLiteral("По запросу (по умолчанию)"), QStringLiteral("Автоматически"),
                                     QStringLiteral("Отключено")};
    for (int i = 0; i < 3; ++i)
        group->addAction(addCommand({QStringLiteral("AutoDownload%1").arg(i), autoCaptions[i],
                                     QStringLiteral("Загрузка тиражей при запуске программы"),
                                     [this, i] { setDownloadOnStart(i); }, {}, true}));
    addCommand({QStringLiteral("AutoSelfUpdate"), QStringLiteral("Автоматическое обновление"),
                QStringLiteral("Проверять обновления программы при запуске"),
                [this] {
                    form_.autoUpdates = !form_.autoUpdates;
                    writeKey("AutoUpdates", form_.autoUpdates);
                },
                {}, true});
    addCommand({QStringLiteral("CheckUpdate"), QStringLiteral("Поиск обновлений"),
                QStringLiteral("Поиск обновлений программы"), {}, never});
    for (Tab* tab : tabs_)
        if (const auto& toggle = tab->toggle())
            addCommand({toggle->action, toggle->caption,
                        QStringLiteral("Показать или скрыть вкладку \"%1\"").arg(tab->caption()),
                        [this, tab] { toggleTab(tab); }, {}, true});
    // F5 recomputes the views on screen, forced, as "Обновить" does for the statistics.
    addCommand({QStringLiteral("ViewRecalc"), QStringLiteral("Пересчитать"),
                QStringLiteral("Пересчитать открытые вкладки"),
                [this] {
                    for (QTabWidget* side : {pcLeft_, pcRight_})
                        if (auto* tab = qobject_cast<Tab*>(side->currentWidget()); tab && tab->isView())
                            tab->refreshView(true);
                },
                [this] { return session_ != nullptr; }})
        ->setShortcut(QKeySequence(Qt::Key_F5));
    addCommand({QStringLiteral("LotterySite"), QStringLiteral("Сайт лотереи"),
                QStringLiteral("Открыть сайт лотереи с результатами тиражей"),
                [] { QDesktopServices::openUrl(QUrl(QString::fromLatin1(kLotterySite))); }});
    addCommand({QStringLiteral("Exit"), QStringLiteral("Выход"), QStringLiteral("Завершить работу программы"),
                [this] { close(); }})
        ->setShortcut(QKeySequence(QStringLiteral("Alt+X")));
}

namespace {

// Gives each menu-bar title an access letter (Alt+letter): the first of its letters that no
// earlier title took, so that every menu opens from the keyboard.
void assignAccessLetters(QMenuBar& bar) {
    QSet<QChar> taken;
    for (QAction* a : bar.actions()) {
        QString text = a->text();
        if (text.contains(QLatin1Char('&'))) continue;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text[i].toLower();
            if (!c.isLetter() || taken.contains(c)) continue;
            taken.insert(c);
            text.insert(i, QLatin1Char('&'));
            a->setText(text);
            break;
        }
    }
}

}  // namespace

void TFormMain::buildMenus() {
    auto* program = menuBar()->addMenu(QStringLiteral("Программа"));
    program->addAction(action(QStringLiteral("EditSettings")));
    program->addAction(action(QStringLiteral("EditShredding")));
    program->addAction(action(QStringLiteral("EditProxy")));
    auto* onStart = program->addMenu(QStringLiteral("Загрузка тиражей при запуске"));
    for (int i = 0; i < 3; ++i) onStart->addAction(action(QStringLiteral("AutoDownload%1").arg(i)));
    program->addSeparator();
    program->addAction(action(QStringLiteral("Exit")));

    // Each tab's menu, in page order; its commands also form the context menu of its list.
    for (Tab* tab : tabs_) {
        const auto menu = tab->menu();
        if (!menu) continue;
        QMenu* bar = menuBar()->addMenu(menu->caption);
        for (const QString& name : menu->commands) {
            if (name.isEmpty()) {
                bar->addSeparator();
                if (menu->list) {
                    auto* separator = new QAction(menu->list);
                    separator->setSeparator(true);
                    menu->list->addAction(separator);
                }
                continue;
            }
            bar->addAction(action(name));
            if (menu->list) menu->list->addAction(action(name));
        }
    }

    auto* view = menuBar()->addMenu(QStringLiteral("Вид"));
    view->addAction(action(QStringLiteral("ViewRecalc")));
    view->addSeparator();
    for (Tab* tab : tabs_)
        if (const auto& toggle = tab->toggle()) view->addAction(action(toggle->action));

    auto* help = menuBar()->addMenu(QStringLiteral("Помощь"));
    help->addAction(action(QStringLiteral("Help")));
    help->addAction(action(QStringLiteral("LotterySite")));
    help->addSeparator();
    help->addAction(action(QStringLiteral("AutoSelfUpdate")));
    help->addAction(action(QStringLiteral("CheckUpdate")));
    help->addSeparator();
    help->addAction(addCommand({QStringLiteral("About"), QString::fromUtf8(kAboutCaption),
                                QStringLiteral("Версия программы и библиотек"),
                                [this] { AboutDialog(options_.startup.dataDir, this).exec(); }}));
    assignAccessLetters(*menuBar());
}

namespace {

// The narrowest widths of the fixed panels, as for their usual texts.
constexpr int kPanelWidths[kStatusPanels] = {140, 140, 140, 150, 100, 100, 0};

}  // namespace

void TFormMain::buildStatusBar() {
    for (int i = 0; i < kStatusPanels; ++i) {
        // The last panel takes the hints and running work's texts, cut to the room left; the
        // others widen to their texts and never shrink below them.
        QLabel* label = i == kPanelHint ? new ui::ElidedLabel(this) : new QLabel(this);
        label->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        label->setFrameShape(QFrame::StyledPanel);
        label->setFrameShadow(QFrame::Sunken);
        if (i != kPanelHint) {
            label->setFixedWidth(kPanelWidths[i]);
            label->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
        }
        statusBar()->addWidget(label, i == kPanelHint ? 1 : 0);
        panels_[static_cast<size_t>(i)] = label;
    }
    setPanel(kPanelCombs, qs(fmt("Комбинаций: %d", 0)));
    setPanel(kPanelStakes, qs(fmt("Ставок: %d", 0)));
    setPanel(kPanelRatings, qs(fmt("Рейтинг: %d", 0)));
    updateMinimumWidth();
}

void TFormMain::applyTabVisibility() {
    for (Tab* tab : tabs_) {
        const auto& toggle = tab->toggle();
        if (!toggle) continue;
        const bool shown = form_.*(toggle->flag);
        setTabShown(tab, shown);
        action(toggle->action)->setChecked(shown);
    }
}

void TFormMain::restoreWindowSettings() {
    try {
        // Dialogs keep their placement in the same file, each under its own section.
        ui::setWindowSettingsFile(frmPath());
        std::error_code ec;
        const bool firstStart = !std::filesystem::exists(frmPath(), ec);
        form_ = loadFormSettings(frmPath());
        // The help dialog of a first start: without this its key, false by default, would never
        // be set and the dialog never shown.
        if (firstStart && options_.helpOnFirstStart) {
            form_.firstRun = true;
            writeKey("FirstRun", true);
        }
        const QScreen* screen = QGuiApplication::primaryScreen();
        const QSize size = screen ? screen->size() : QSize(1024, 768);
        const TWindowPlacement p = loadPlacement(frmPath(), size.width(), size.height());
        if (p.valid) setGeometry(p.left, p.top, p.width, p.height);
        if (p.maximized) setWindowState(windowState() | Qt::WindowMaximized);
        splitter_->setSizes({form_.leftPanelWidth, std::max(200, width() - form_.leftPanelWidth)});
        for (Tab* tab : tabs_)
            for (QTableView* list : tab->columnLists()) ui::restoreColumnWidths(*list, kFormSection);
        // On the very first start the prefetch settings are initialised.
        if (!form_.prefetchsInit) {
            form_.prefetchsInit = true;
            writeKey("PrefetchsInit", true);
            writeKey("PrefetchsEnabled", form_.prefetchsEnabled);
        }
    } catch (const std::exception& e) {
        showError(fmt(kFormLoadError, std::string(e.what())));
    }
    action(QStringLiteral("AutoSelfUpdate"))->setChecked(form_.autoUpdates);
    if (auto* a = action(QStringLiteral("AutoDownload%1").arg(std::clamp(form_.downloadDrawsOnStart, 0, 2))))
        a->setChecked(true);
    for (Tab* tab : tabs_) tab->restoreSettings(form_);
}

// --- shutdown -------------------------------------------------------------------------------------

void TFormMain::closeEvent(QCloseEvent* event) {
    // The event loop runs during long work: a close request then asks the work to stop and the
    // window closes once it has ended, so that nothing is torn down under a running operation.
    if (busy_.busy()) {
        for (Tab* tab : tabs_)
            if (!tab->closeRequested()) {
                event->ignore();
                return;
            }
        progress_.requestStop();
        closePending_ = true;
        event->ignore();
        return;
    }
    saveWindowSettings();
    QMainWindow::closeEvent(event);
}

void TFormMain::saveWindowSettings() {
    // Only a window that holds the data folder writes its settings back, and only once: a copy
    // refused by the single-copy guard leaves the running copy's settings alone.
    if (settingsSaved_ || !session_ || !session_->stakesOpen()) return;
    settingsSaved_ = true;
    try {
        const QList<int> sizes = splitter_->sizes();
        if (!sizes.isEmpty() && sizes.front() > 0) form_.leftPanelWidth = sizes.front();
        for (const Tab* tab : tabs_) tab->saveSettings(form_);
        saveShutdownKeys(frmPath(), form_);
        TWindowPlacement p;
        const QRect r = normalGeometry().isValid() ? normalGeometry() : geometry();
        p.left = r.left();
        p.top = r.top();
        p.width = r.width();
        p.height = r.height();
        p.maximized = isMaximized();
        p.pixelsPerInch = static_cast<int>(logicalDpiY());
        const QScreen* screen = QGuiApplication::primaryScreen();
        const QSize size = screen ? screen->size() : QSize(1024, 768);
        savePlacement(frmPath(), p, size.width(), size.height());
        for (const Tab* tab : tabs_)
            for (QTableView* list : tab->columnLists()) ui::saveColumnWidths(*list, kFormSection);
    } catch (const std::exception&) {
        // Nothing can be shown while the window goes away; the settings keep their old values.
    }
}

// --- per-window keys ------------------------------------------------------------------------------

std::filesystem::path TFormMain::frmPath() const {
    return options_.startup.dataDir / (std::string(kBaseName) + ".frm");
}

void TFormMain::writeKey(const char* key, bool value) {
    try {
        writeFormKey(frmPath(), key, value);
    } catch (const std::exception& e) {
        showError(e.what());
    }
}

void TFormMain::writeKey(const char* key, int32_t value) {
    try {
        writeFormKey(frmPath(), key, value);
    } catch (const std::exception& e) {
        showError(e.what());
    }
}

void TFormMain::setDownloadOnStart(int mode) {
    form_.downloadDrawsOnStart = mode;
    action(QStringLiteral("AutoDownload%1").arg(mode))->setChecked(true);
    writeKey("DownloadDrawsOnStart", static_cast<int32_t>(mode));
}

// --- pages and the view chain ---------------------------------------------------------------------

QTabWidget* TFormMain::sideOf(const Tab* tab) const { return pcLeft_->indexOf(tab) >= 0 ? pcLeft_ : pcRight_; }

void TFormMain::setTabShown(Tab* tab, bool shown) {
    QTabWidget* side = sideOf(tab);
    side->setTabVisible(side->indexOf(tab), shown);
    tab->shownChanged(shown);
}

void TFormMain::toggleTab(Tab* tab) {
    const TabToggle& toggle = *tab->toggle();
    const bool shown = !(form_.*toggle.flag);
    form_.*toggle.flag = shown;
    setTabShown(tab, shown);
    action(toggle.action)->setChecked(shown);
    writeKey(us(toggle.key).c_str(), shown);
    if (shown) {
        sideOf(tab)->setCurrentWidget(tab);
        recalcVisibleViews(sideOf(tab));
    }
}

void TFormMain::recalcViews(bool force) {
    if (!session_) return;
    for (Tab* tab : tabs_) {
        if (!tab->isView()) continue;
        if (sideOf(tab)->currentWidget() == tab) tab->refreshView(force);
        else tab->deferView(force);
    }
}

void TFormMain::recalcVisibleViews(QTabWidget* side) {
    // A page changed while long work runs (the event loop runs meanwhile) waits: the work
    // recomputes the views it changes when it ends, and nothing may start inside it.
    if (busy_.busy() || !session_ || state_ != State::Running) return;
    if (auto* tab = qobject_cast<Tab*>(side->currentWidget()); tab && tab->isView()) tab->refreshView(false);
}

void TFormMain::combListChanged() {
    for (Tab* tab : tabs_) tab->combListChanged();
}

void TFormMain::scenarioChanged() {
    for (Tab* tab : tabs_) tab->scenarioChanged();
    for (Tab* tab : tabs_)
        if (tab->objectName() == QLatin1String("tsScript")) {
            QTabWidget* side = sideOf(tab);
            if (side && side->indexOf(tab) >= 0) side->setCurrentWidget(tab);
        }
}

void TFormMain::methodListsChanged() {
    for (Tab* tab : tabs_) tab->methodListsChanged();
}

void TFormMain::settingsChanged() {
    for (Tab* tab : tabs_) tab->settingsChanged();
}

// --- idle update and the status bar ---------------------------------------------------------------

void TFormMain::scheduleActionUpdate() {
    if (!idleTimer_.isActive()) idleTimer_.start();
}

void TFormMain::updateActions() {
    const bool busy = busy_.busy();
    for (auto& [a, enabled] : updaters_)
        a->setEnabled((!busy || a->property("whileBusy").toBool()) && state_ != State::Ended && enabled());
    for (Tab* tab : tabs_) tab->enableControls(!busy && session_ != nullptr);
}

bool TFormMain::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonRelease:
        case QEvent::KeyRelease:
        case QEvent::FocusIn:
        case QEvent::Show:
        case QEvent::WindowActivate: scheduleActionUpdate(); break;
        default: break;
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TFormMain::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        // The hint of the control under the mouse goes to the last panel when nothing runs.
        if (!busy_.busy()) setPanel(kPanelHint, static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

void TFormMain::setPanel(int index, const QString& text) {
    QLabel* label = panels_.at(static_cast<size_t>(index));
    if (index == kPanelHint) {
        static_cast<ui::ElidedLabel*>(label)->setFullText(text);
        return;
    }
    label->setText(text);
    // The panel keeps a width that shows its whole text; the window's minimum width follows
    // from the status bar's, so every panel stays readable at the smallest window size.
    const int needed = label->fontMetrics().horizontalAdvance(text) + 2 * label->frameWidth() +
                       label->fontMetrics().horizontalAdvance(QLatin1Char('x')) + 4;
    const int width = std::max(kPanelWidths[index], needed);
    if (label->minimumWidth() != width) {
        label->setFixedWidth(width);
        updateMinimumWidth();
    }
}

void TFormMain::updateMinimumWidth() {
    // The status bar's panels side by side, with the room of the hint panel's ellipsis, the
    // layout's spacing and the size grip: below that width they would be drawn over each other.
    int needed = 0;
    for (const QLabel* p : panels_) needed += std::max(p->minimumWidth(), p->minimumSizeHint().width()) + 6;
    needed += 2 * statusBar()->style()->pixelMetric(QStyle::PM_LayoutLeftMargin) + 24;
    setMinimumWidth(std::max(needed, centralWidget() ? centralWidget()->minimumSizeHint().width() : 0));
}

}  // namespace tavlora::app
