#include "app/main_window.h"

#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTabWidget>
#include <QTableView>
#include <QThread>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>
#include <ctime>

#include "app/combs_tab.h"
#include "app/draw_dialog.h"
#include "app/draws_model.h"
#include "app/generate_dialog.h"
#include "app/info_window.h"
#include "app/process_list.h"
#include "app/settings_dialog.h"
#include "app/shredding_dialog.h"
#include "app/stats_tab.h"
#include "archive/draw_archive.h"
#include "archive/draws_csv.h"
#include "core/codepage.h"
#include "core/error.h"
#include "core/format.h"
#include "core/text_forms.h"
#include "session/session.h"
#include "stakes/ratings.h"
#include "stats/stat_list.h"
#include "ui/file_dialogs.h"
#include "workspace/info_rows.h"
#include "ui/text.h"

namespace tavlora::app {

using ui::qs;
using ui::us;

namespace {

constexpr int kRestartWaitSteps = 601;
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
    progress_.setTextSink([this](const QString& text) { setPanel(6, text); });
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
        pcRight_->setTabVisible(pcRight_->indexOf(optionalTabs_.back().page), false);
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
    releaseCombinationList();
    if (session_) session_->archive().clear();
    if (session_) session_->stakes().close();
    releaseRatings();
}

void TFormMain::buildLayout() {
    splitter_ = new QSplitter(Qt::Horizontal, this);
    pcLeft_ = new QTabWidget(splitter_);
    pcLeft_->setObjectName(QStringLiteral("pcLeft"));
    pcRight_ = new QTabWidget(splitter_);
    pcRight_->setObjectName(QStringLiteral("pcRight"));

    // The draws tab: the offset above the virtual list.
    auto* tsDraws = new QWidget(pcLeft_);
    tsDraws->setObjectName(QStringLiteral("tsDraws"));
    auto* drawsLayout = new QVBoxLayout(tsDraws);
    drawsLayout->setContentsMargins(2, 2, 2, 2);
    auto* offsetRow = new QHBoxLayout;
    auto* offsetLabel = new QLabel(QStringLiteral("Смещение назад:"), tsDraws);
    edDrawsOffset_ = new QSpinBox(tsDraws);
    edDrawsOffset_->setObjectName(QStringLiteral("edDrawsOffset"));
    edDrawsOffset_->setRange(0, 0);
    edDrawsOffset_->setStatusTip(QStringLiteral("Смещение относительно последнего загруженного номера тиража"));
    edDrawsOffset_->setToolTip(edDrawsOffset_->statusTip());
    offsetLabel->setBuddy(edDrawsOffset_);
    offsetRow->addWidget(offsetLabel);
    offsetRow->addWidget(edDrawsOffset_);
    offsetRow->addStretch();
    drawsLayout->addLayout(offsetRow);
    lvDraws_ = new QTableView(tsDraws);
    lvDraws_->setObjectName(QStringLiteral("lvDraws"));
    drawsModel_ = new DrawsModel(lvDraws_);
    lvDraws_->setModel(drawsModel_);
    lvDraws_->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvDraws_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvDraws_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvDraws_->verticalHeader()->hide();
    lvDraws_->verticalHeader()->setDefaultSectionSize(20);
    lvDraws_->horizontalHeader()->setDefaultSectionSize(26);
    // The style's minimum section size would widen the number columns beyond their 23 pixels and
    // push the date column out of the panel.
    lvDraws_->horizontalHeader()->setMinimumSectionSize(16);
    lvDraws_->horizontalHeader()->setStretchLastSection(true);
    lvDraws_->setContextMenuPolicy(Qt::ActionsContextMenu);
    lvDraws_->setAlternatingRowColors(false);
    const int columnWidths[] = {50, 23, 23, 23, 23, 23, 23, 30, 92};
    for (int c = 0; c < static_cast<int>(std::size(columnWidths)); ++c) lvDraws_->setColumnWidth(c, columnWidths[c]);
    drawsLayout->addWidget(lvDraws_);
    connect(edDrawsOffset_, &QSpinBox::valueChanged, this, &TFormMain::setDrawsOffset);
    connect(lvDraws_, &QTableView::doubleClicked, this, [this] {
        if (auto* a = action(QStringLiteral("DrawsInfo")); a && a->isEnabled()) a->trigger();
    });
    pcLeft_->addTab(tsDraws, QStringLiteral("Архив тиражей"));

    auto page = [](QTabWidget* owner, const char* name, const QString& caption) {
        auto* w = new QWidget(owner);
        w->setObjectName(QString::fromLatin1(name));
        owner->addTab(w, caption);
        return w;
    };
    combsTab_ = new CombsTab(busy_, progress_, pcLeft_);
    pcLeft_->addTab(combsTab_, QStringLiteral("Комбинации"));
    connect(combsTab_, &CombsTab::listChanged, this, [this](const QString& text) { setPanel(3, text); });
    statsTab_ = new StatsTab(busy_, progress_, pcRight_);
    pcRight_->addTab(statsTab_, QStringLiteral("Статистика"));
    connect(statsTab_, &StatsTab::combsChanged, combsTab_, &CombsTab::refresh);
    auto* tsGraphs = page(pcRight_, "tsGraphs", QStringLiteral("Графики"));
    auto* tsCard = page(pcRight_, "tsCard", QStringLiteral("Карта"));
    auto* tsLayout = page(pcRight_, "tsLayout", QStringLiteral("Схема"));
    auto* tsWeek = page(pcRight_, "tsWeek", QStringLiteral("Неделя"));
    page(pcRight_, "tsStakes", QStringLiteral("Ставки"));
    page(pcRight_, "tsRatings", QStringLiteral("Рейтинг"));
    auto* tsTables = page(pcRight_, "tsTables", QStringLiteral("Регуляры"));
    auto* tsSystems = page(pcRight_, "tsSystems", QStringLiteral("Системы"));
    page(pcRight_, "tsScript", QStringLiteral("Сценарий"));
    // The graphs command keeps its historical name TabGraps; its key is TabGraphs. The systems
    // tab comes last: it is hidden at creation and shown again by its own key.
    const auto tabCommand = [](const char* caption) { return QStringLiteral("Вкладка \"%1\"").arg(QString::fromUtf8(caption)); };
    optionalTabs_ = {
        {QStringLiteral("TabGraps"), tabCommand("Графики"), QStringLiteral("TabGraphs"), QStringLiteral("Графики"),
         tsGraphs, &TFormMainSettings::tabGraphs},
        {QStringLiteral("TabCard"), tabCommand("Карта"), QStringLiteral("TabCard"), QStringLiteral("Карта"), tsCard,
         &TFormMainSettings::tabCard},
        {QStringLiteral("TabLayout"), tabCommand("Схема"), QStringLiteral("TabLayout"), QStringLiteral("Схема"), tsLayout,
         &TFormMainSettings::tabLayout},
        {QStringLiteral("TabWeek"), tabCommand("Неделя"), QStringLiteral("TabWeek"), QStringLiteral("Неделя"), tsWeek,
         &TFormMainSettings::tabWeek},
        {QStringLiteral("TabTables"), tabCommand("Регуляры"), QStringLiteral("TabTables"), QStringLiteral("Регуляры"),
         tsTables, &TFormMainSettings::tabTables},
        {QStringLiteral("SystemsOn"), QStringLiteral("Системная игра"), QStringLiteral("SystemsEnabled"),
         QStringLiteral("Системы"), tsSystems, &TFormMainSettings::systemsEnabled},
    };
    // Changing the right-hand page recomputes the views it shows, without force.
    connect(pcRight_, &QTabWidget::currentChanged, this, [this] { recalcVisibleViews(); });

    splitter_->addWidget(pcLeft_);
    splitter_->addWidget(pcRight_);
    splitter_->setStretchFactor(1, 1);
    setCentralWidget(splitter_);
    resize(1200, 760);
}

QAction* TFormMain::makeAction(const QString& name, const QString& caption, const QString& hint,
                               std::function<void()> run, std::function<bool()> enabled) {
    auto* a = new QAction(caption, this);
    a->setObjectName(name);
    a->setStatusTip(hint);
    if (run)
        connect(a, &QAction::triggered, this, [this, run = std::move(run)] {
            run();
            scheduleActionUpdate();
        });
    actions_.insert(name, a);
    updaters_.emplace_back(a, enabled ? std::move(enabled) : [] { return true; });
    return a;
}

void TFormMain::buildActions() {
    auto never = [] { return false; };
    makeAction(QStringLiteral("DrawsAdd"), QStringLiteral("Добавить"), QStringLiteral("Добавить новый тираж"),
               [this] { addDraw(); }, [this] { return session_ != nullptr; });
    makeAction(QStringLiteral("DrawsEdit"), QStringLiteral("Изменить"), QStringLiteral("Изменить данные тиража"),
               [this] { editDraw(); }, [this] { return hasArchive() && focusedListPosition() >= 0; });
    makeAction(QStringLiteral("DrawsDel"), QStringLiteral("Удалить"), QStringLiteral("Удалить выделенные тиражи"),
               [this] { deleteDraws(); }, [this] { return hasArchive() && !selectedListPositions().empty(); });
    auto* sorted = makeAction(QStringLiteral("DrawsSorted"), QStringLiteral("Упорядочить MIN->MAX"),
                              QStringLiteral("Показывать и анализировать числа тиража по возрастанию"),
                              [this] { toggleSortedDraws(); });
    sorted->setCheckable(true);
    // The information window comes with its own subsystem.
    makeAction(QStringLiteral("DrawsInfo"), QStringLiteral("Сведения о тираже"),
               QStringLiteral("Значения всех методов для выбранного тиража"), [this] { showDrawInfo(); },
               [this] { return hasArchive() && focusedListPosition() >= 0; });
    auto* color = makeAction(QStringLiteral("ViewColorDraws"), QStringLiteral("Цветовое выделение каналов"),
                             QStringLiteral("Выделять числа тиражей цветами каналов"), [this] { toggleColorDraws(); });
    color->setCheckable(true);
    makeAction(QStringLiteral("DrawsExport"), QStringLiteral("Экспорт в CSV-файл"),
               QStringLiteral("Экспорт архива тиражей в CSV-файл"),
               [this] {
                   const QString f = ui::chooseSaveFile(this, QStringLiteral("Экспорт в CSV-файл"), ui::kDrawsFileFilter,
                                                        QStringLiteral("csv"));
                   if (!f.isEmpty()) exportDraws(f);
               },
               [this] { return hasArchive(); });
    makeAction(QStringLiteral("DrawsImport"), QStringLiteral("Импорт из CSV-файла"),
               QStringLiteral("Импорт тиражей из CSV-файла"),
               [this] {
                   const QString f = ui::chooseOpenFile(this, QStringLiteral("Импорт из CSV-файла"), ui::kDrawsFileFilter);
                   if (!f.isEmpty()) importDraws(f);
               },
               [this] { return session_ != nullptr; });
    makeAction(QStringLiteral("DrawsDownload"), QStringLiteral("Загрузить тиражи"),
               QStringLiteral("Загрузка новых тиражей с сайта лотереи"), [this] { downloadDraws(); },
               [this] { return drawDownloadAvailable(); });

    makeAction(QStringLiteral("EditSettings"), QStringLiteral("Параметры"), QStringLiteral("Параметры системы"),
               [this] { editSettings(); }, [this] { return session_ != nullptr; });
    makeAction(QStringLiteral("EditShredding"), QStringLiteral("Формулы шинковки"),
               QStringLiteral("Редактирование формул для методов шинковки"), [this] { editShredding(); },
               [this] { return session_ != nullptr; });
    makeAction(QStringLiteral("EditProxy"), QStringLiteral("Параметры proxy-сервера"),
               QStringLiteral("Параметры подключения через proxy-сервер"), {}, never);
    auto* group = new QActionGroup(this);
    const QString autoCaptions[3] = {QStringLiteral("По запросу (по умолчанию)"), QStringLiteral("Автоматически"),
                                     QStringLiteral("Отключено")};
    for (int i = 0; i < 3; ++i) {
        auto* a = makeAction(QStringLiteral("AutoDownload%1").arg(i), autoCaptions[i],
                             QStringLiteral("Загрузка тиражей при запуске программы"), [this, i] { setDownloadOnStart(i); });
        a->setCheckable(true);
        group->addAction(a);
    }
    auto* autoUpdate = makeAction(QStringLiteral("AutoSelfUpdate"), QStringLiteral("Автоматическое обновление"),
                                  QStringLiteral("Проверять обновления программы при запуске"), [this] {
                                      form_.autoUpdates = !form_.autoUpdates;
                                      writeKey("AutoUpdates", form_.autoUpdates);
                                  });
    autoUpdate->setCheckable(true);
    makeAction(QStringLiteral("CheckUpdate"), QStringLiteral("Поиск обновлений"),
               QStringLiteral("Поиск обновлений программы"), {}, never);
    for (const auto& tab : optionalTabs_) {
        auto* a = makeAction(tab.action, tab.actionCaption,
                             QStringLiteral("Показать или скрыть вкладку \"%1\"").arg(tab.caption),
                             [this, name = tab.action] { toggleTab(name); });
        a->setCheckable(true);
    }
    makeAction(QStringLiteral("Help"), QStringLiteral("Справка"), QStringLiteral("Справочная система программы"), {},
               never);
    makeAction(QStringLiteral("LotterySite"), QStringLiteral("Сайт лотереи"),
               QStringLiteral("Открыть сайт лотереи с результатами тиражей"),
               [] { QDesktopServices::openUrl(QUrl(QString::fromLatin1(kLotterySite))); });
    buildCombsActions();
    auto* exitAction = makeAction(QStringLiteral("Exit"), QStringLiteral("Выход"), QStringLiteral("Завершить работу программы"),
                                  [this] { close(); });
    exitAction->setShortcut(QKeySequence(QStringLiteral("Alt+X")));
}

void TFormMain::buildMenus() {
    auto* program = menuBar()->addMenu(QStringLiteral("Программа"));
    program->addAction(action(QStringLiteral("EditSettings")));
    program->addAction(action(QStringLiteral("EditShredding")));
    program->addAction(action(QStringLiteral("EditProxy")));
    auto* onStart = program->addMenu(QStringLiteral("Загрузка тиражей при запуске"));
    for (int i = 0; i < 3; ++i) onStart->addAction(action(QStringLiteral("AutoDownload%1").arg(i)));
    program->addSeparator();
    program->addAction(action(QStringLiteral("Exit")));

    auto* draws = menuBar()->addMenu(QStringLiteral("Тиражи"));
    const char* drawCommands[] = {"DrawsAdd", "DrawsEdit", "DrawsDel", nullptr, "DrawsSorted", "DrawsInfo",
                                  "ViewColorDraws", nullptr, "DrawsDownload", "DrawsImport", "DrawsExport"};
    for (const char* name : drawCommands) {
        if (!name) {
            draws->addSeparator();
            lvDraws_->addAction(new QAction(this));
            lvDraws_->actions().back()->setSeparator(true);
            continue;
        }
        draws->addAction(action(QString::fromLatin1(name)));
        lvDraws_->addAction(action(QString::fromLatin1(name)));
    }

    auto addCommands = [this](QMenu* menu, QWidget* list, std::initializer_list<const char*> names) {
        for (const char* name : names) {
            if (!name) {
                menu->addSeparator();
                auto* separator = new QAction(list);
                separator->setSeparator(true);
                list->addAction(separator);
                continue;
            }
            menu->addAction(action(QString::fromLatin1(name)));
            list->addAction(action(QString::fromLatin1(name)));
        }
    };
    addCommands(menuBar()->addMenu(QStringLiteral("Комбинации")), combsTab_->listView(),
                {"CombsGen", "CombsOpen", "CombsSave", nullptr, "CombsUndo", "CombsDelExists", "CombsDelSelected",
                 nullptr, "CombsCopy", "CombsPaste", "CombsSelectAll", nullptr, "CombsCheckNums", "CombsFindInDraws",
                 "CombsInfo", nullptr, "ViewColorCombs"});
    addCommands(menuBar()->addMenu(QStringLiteral("Статистика")), statsTab_->tableView(),
                {"DrawsStatCalc", nullptr, "StatFilter_Include", "StatFilter_Exclude", nullptr,
                 "DrawsStatePrefetchsEnabled", "DrawsStatShowTotalLine", nullptr, "FiltersInfo"});

    auto* view = menuBar()->addMenu(QStringLiteral("Вид"));
    for (const auto& tab : optionalTabs_) view->addAction(action(tab.action));

    auto* help = menuBar()->addMenu(QStringLiteral("Помощь"));
    help->addAction(action(QStringLiteral("Help")));
    help->addAction(action(QStringLiteral("LotterySite")));
    help->addSeparator();
    help->addAction(action(QStringLiteral("AutoSelfUpdate")));
    help->addAction(action(QStringLiteral("CheckUpdate")));
}

void TFormMain::buildStatusBar() {
    const int widths[kStatusPanels] = {140, 140, 140, 150, 100, 100, 0};
    for (int i = 0; i < kStatusPanels; ++i) {
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        label->setFrameShape(QFrame::StyledPanel);
        label->setFrameShadow(QFrame::Sunken);
        if (widths[i] > 0) label->setMinimumWidth(widths[i]);
        statusBar()->addWidget(label, i == kStatusPanels - 1 ? 1 : 0);
        panels_[static_cast<size_t>(i)] = label;
    }
    setPanel(3, qs(fmt("Комбинаций: %d", 0)));
    setPanel(4, qs(fmt("Ставок: %d", 0)));
    setPanel(5, qs(fmt("Рейтинг: %d", 0)));
}

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

void TFormMain::applyTabVisibility() {
    for (const auto& tab : optionalTabs_) {
        const bool shown = form_.*tab.flag;
        pcRight_->setTabVisible(pcRight_->indexOf(tab.page), shown);
        action(tab.action)->setChecked(shown);
    }
}

void TFormMain::restoreWindowSettings() {
    try {
        form_ = loadFormSettings(frmPath());
        const QScreen* screen = QGuiApplication::primaryScreen();
        const QSize size = screen ? screen->size() : QSize(1024, 768);
        const TWindowPlacement p = loadPlacement(frmPath(), size.width(), size.height());
        if (p.valid) setGeometry(p.left, p.top, p.width, p.height);
        if (p.maximized) setWindowState(windowState() | Qt::WindowMaximized);
        splitter_->setSizes({form_.leftPanelWidth, std::max(200, width() - form_.leftPanelWidth)});
        const auto widths = loadColumnWidths(frmPath(), "lvDraws");
        for (size_t i = 0; i < widths.size() && i < static_cast<size_t>(drawsModel_->columnCount()); ++i)
            if (widths[i] > 0) lvDraws_->setColumnWidth(static_cast<int>(i), widths[i]);
        // On the very first start the prefetch settings are initialised.
        if (!form_.prefetchsInit) {
            form_.prefetchsInit = true;
            writeKey("PrefetchsInit", true);
            writeKey("PrefetchsEnabled", form_.prefetchsEnabled);
        }
    } catch (const std::exception& e) {
        showError(fmt(kFormLoadError, std::string(e.what())));
    }
    action(QStringLiteral("DrawsSorted"))->setChecked(form_.sortedDraws);
    action(QStringLiteral("ViewColorDraws"))->setChecked(form_.colorDraws);
    action(QStringLiteral("AutoSelfUpdate"))->setChecked(form_.autoUpdates);
    if (auto* a = action(QStringLiteral("AutoDownload%1").arg(std::clamp(form_.downloadDrawsOnStart, 0, 2))))
        a->setChecked(true);
    drawsModel_->setColorDraws(form_.colorDraws);
    action(QStringLiteral("ViewColorCombs"))->setChecked(form_.colorCombs);
    action(QStringLiteral("DrawsStatePrefetchsEnabled"))->setChecked(form_.prefetchsEnabled);
    action(QStringLiteral("DrawsStatShowTotalLine"))->setChecked(form_.showTotalLine);
    combsTab_->setColorCombs(form_.colorCombs);
    combsTab_->excludeEdit()->setValue(std::max(0, form_.drawsExclude));
    statsTab_->lengthEdit()->setValue(std::max(1, form_.drawsStatLen));
    statsTab_->setOptions({form_.prefetchsEnabled, form_.showTotalLine});
    combsTab_->splitter()->setSizes({std::max(100, height() - form_.filtersHeight), std::max(0, form_.filtersHeight)});
    statsTab_->splitter()->setSizes({std::max(100, height() - form_.drawsStatHeight), std::max(0, form_.drawsStatHeight)});
}

void TFormMain::loadConfiguration() {
    ui::BusyScope busy(busy_);
    ui::StatusScope status(progress_, kConfigLoadingText);
    try {
        // Opening the session loads the settings (a missing or unreadable file gives the
        // defaults) and reads the archive; its messages are shown at initialisation.
        session_ = std::make_unique<Session>(options_.startup.dataDir);
        session_->setSortedDraws(form_.sortedDraws);
        session_->setNormsEnabled(form_.prefetchsEnabled);
        session_->setStakesLogEnabled(form_.stakesLogEnabled);
        drawsModel_->setSession(session_.get());
        statsTab_->setSession(session_.get(), interaction_);
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
    fillMethodLists(false);
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
        refreshDraws(true);
        generateCombinations();
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
            downloadDraws();
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
        ensurePrefetchs(sw.fullRefresh, {});
        if (sw.fullRefresh) {
            endProgram(0);
            return;
        }
        // 11. Draw download at start (only asked when the download is available).
        if (drawDownloadAvailable()) {
            if (form_.downloadDrawsOnStart == 0) {
                if (ui::confirm(*interaction_, kDownloadQuestion, true)) downloadDraws();
            } else if (form_.downloadDrawsOnStart == 1) {
                downloadDraws();
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

void TFormMain::showFirstRunDialog() {
    QDialog dialog(this);
    dialog.setWindowTitle(QStringLiteral("Справочная информация"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* open = new QPushButton(QStringLiteral("Открыть файл встроенной справочной системы"), &dialog);
    const auto helpFile = session_->dataDir() / "Tavlora_5d69.html";
    open->setEnabled(std::filesystem::exists(helpFile));
    connect(open, &QPushButton::clicked, &dialog, [helpFile] {
        QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(helpFile.string())));
    });
    auto* dontShow = new QCheckBox(QStringLiteral("Больше не показывать данный диалог"), &dialog);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Закрыть"));
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(open);
    layout->addWidget(dontShow);
    layout->addWidget(buttons);
    dialog.exec();
    if (dontShow->isChecked()) {
        form_.firstRun = false;
        writeKey("FirstRun", false);
    }
}

void TFormMain::endProgram(int code) {
    state_ = State::Ended;
    exitCode_ = code;
    emit programEnded(code);
}

// --- shutdown -------------------------------------------------------------------------------------

void TFormMain::closeEvent(QCloseEvent* event) {
    // The event loop runs during long work: a close request then asks the work to stop and the
    // window closes once it has ended, so that nothing is torn down under a running operation.
    if (busy_.busy()) {
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
        form_.drawsExclude = combsTab_->excludeEdit()->value();
        form_.drawsStatLen = statsTab_->lengthEdit()->value();
        if (const QList<int> s = combsTab_->splitter()->sizes(); s.size() == 2 && s[1] > 0) form_.filtersHeight = s[1];
        if (const QList<int> s = statsTab_->splitter()->sizes(); s.size() == 2 && s[1] > 0) form_.drawsStatHeight = s[1];
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
        std::vector<int> widths;
        for (int c = 0; c < drawsModel_->columnCount(); ++c) widths.push_back(lvDraws_->columnWidth(c));
        saveColumnWidths(frmPath(), "lvDraws", widths);
    } catch (const std::exception&) {
        // Nothing can be shown while the window goes away; the settings keep their old values.
    }
}

TStatList* TFormMain::registry() const { return session_ ? &session_->statList() : nullptr; }

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

// --- idle update ----------------------------------------------------------------------------------

void TFormMain::scheduleActionUpdate() {
    if (!idleTimer_.isActive()) idleTimer_.start();
}

void TFormMain::updateActions() {
    const bool busy = busy_.busy();
    for (auto& [a, enabled] : updaters_) a->setEnabled(!busy && state_ != State::Ended && enabled());
    edDrawsOffset_->setEnabled(!busy && session_ != nullptr);
    combsTab_->excludeEdit()->setEnabled(!busy && session_ != nullptr);
    combsTab_->excludeButton()->setEnabled(!busy && session_ != nullptr);
    statsTab_->methodBox()->setEnabled(!busy && session_ != nullptr);
    statsTab_->lengthEdit()->setEnabled(!busy && session_ != nullptr);
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
        if (!busy_.busy()) setPanel(6, static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

void TFormMain::setPanel(int index, const QString& text) { panels_.at(static_cast<size_t>(index))->setText(text); }

bool TFormMain::tabShown(const QString& caption) const {
    for (int i = 0; i < pcRight_->count(); ++i)
        if (pcRight_->tabText(i) == caption) return pcRight_->isTabVisible(i);
    for (int i = 0; i < pcLeft_->count(); ++i)
        if (pcLeft_->tabText(i) == caption) return pcLeft_->isTabVisible(i);
    return false;
}

// --- draws ----------------------------------------------------------------------------------------

bool TFormMain::hasArchive() const { return session_ && !session_->archive().empty(); }

std::vector<int> TFormMain::selectedListPositions() const {
    std::vector<int> rows;
    if (!lvDraws_->selectionModel()) return rows;
    for (const QModelIndex& i : lvDraws_->selectionModel()->selectedRows()) rows.push_back(i.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

int TFormMain::focusedListPosition() const {
    const QModelIndex i = lvDraws_->currentIndex();
    if (!i.isValid() || !session_ || !session_->archive().validListPos(i.row())) return -1;
    return i.row();
}

void TFormMain::refreshDraws(bool force) {
    if (!session_) return;
    drawsModel_->refresh(force);
    const DrawArchive& archive = session_->archive();
    setPanel(0, qs(archive.archiveStatusText()));
    setPanel(1, qs(archive.nextDrawStatusText()));
    setPanel(2, qs(archive.actualDrawStatusText()));
    const QSignalBlocker block(edDrawsOffset_);
    edDrawsOffset_->setMaximum(std::max(0, archive.count() - 1));
    edDrawsOffset_->setValue(archive.drawsOffset());
}

void TFormMain::setDrawsOffset(int offset) {
    if (!session_ || offset == session_->drawsOffset()) return;
    session_->setDrawsOffset(offset);
    refreshDraws(false);
    recalcViews(false);
    drawsModel_->repaint();
}

void TFormMain::addDraw() {
    if (!session_) return;
    TDraw draw;
    draw.number = session_->archive().nextDrawNumber(0);
    const auto result = TDrawDialog::edit(this, qs(kAddDrawCaption), draw, *interaction_);
    if (!result) return;
    ui::BusyScope busy(busy_);
    session_->archive().addDraw(*result, progress_, *interaction_);
    refreshDraws(true);
    recalcViews(true);
}

void TFormMain::editDraw() {
    const int pos = focusedListPosition();
    if (pos < 0) return;
    const int index = session_->archive().indexOfListPos(pos);
    const auto result = TDrawDialog::edit(this, qs(kAddDrawCaption), session_->archive().at(index), *interaction_);
    if (!result) return;
    ui::BusyScope busy(busy_);
    try {
        session_->archive().editDraw(index, *result, progress_, *interaction_);
    } catch (const EError& e) {
        showError(e.what());
    }
    refreshDraws(true);
    recalcViews(true);
}

void TFormMain::deleteDraws() {
    if (!session_) return;
    const auto rows = selectedListPositions();
    if (rows.empty() || !ui::confirmDelete(*interaction_, static_cast<int>(rows.size()))) return;
    ui::BusyScope busy(busy_);
    ui::StatusScope status(progress_, kDrawsDeletingText);
    // Each row is found again by its draw number, from the last list position to the first.
    std::vector<int> numbers;
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        const auto n = tryReadInt(us(drawsModel_->index(*it, 0).data().toString()));
        if (n) numbers.push_back(*n);
    }
    session_->archive().deleteDrawsByNumber(numbers, progress_, *interaction_);
    lvDraws_->clearSelection();
    refreshDraws(true);
    recalcViews(true);
}

void TFormMain::toggleSortedDraws() {
    form_.sortedDraws = !form_.sortedDraws;
    action(QStringLiteral("DrawsSorted"))->setChecked(form_.sortedDraws);
    if (session_) session_->setSortedDraws(form_.sortedDraws);
    writeKey("SortedDraws", form_.sortedDraws);
    drawsModel_->repaint();
    recalcViews(true);
}

void TFormMain::toggleColorDraws() {
    form_.colorDraws = !form_.colorDraws;
    action(QStringLiteral("ViewColorDraws"))->setChecked(form_.colorDraws);
    writeKey("ColorDraws", form_.colorDraws);
    drawsModel_->setColorDraws(form_.colorDraws);
}

bool TFormMain::importDraws(const QString& fileName) {
    if (!session_) return false;
    ui::BusyScope busy(busy_);
    const std::string path = us(fileName);
    ui::StatusScope status(progress_, fmt(kDrawsImportText, path));
    bool ok = true;
    try {
        importDrawsCsv(session_->archive(), std::filesystem::path(path), progress_, *interaction_);
    } catch (const std::exception& e) {
        showError(e.what());
        ok = false;
    }
    refreshDraws(true);
    recalcViews(true);
    return ok;
}

bool TFormMain::exportDraws(const QString& fileName) {
    if (!session_) return false;
    ui::BusyScope busy(busy_);
    const std::string path = us(fileName);
    ui::StatusScope status(progress_, fmt(kDrawsExportText, path));
    try {
        exportDrawsCsv(session_->archive(), std::filesystem::path(path), progress_);
        return true;
    } catch (const std::exception& e) {
        showError(e.what());
        return false;
    }
}

// --- settings -------------------------------------------------------------------------------------

void TFormMain::editSettings() {
    if (!session_) return;
    TSettingsDialog dialog(this, session_->settings().config, *interaction_);
    if (dialog.exec() == QDialog::Accepted) applySettings(dialog.config());
}

void TFormMain::applySettings(const TConfigData& config) {
    if (!session_) return;
    std::set<int> groups;
    {
        ui::BusyScope busy(busy_);
        ui::StatusScope status(progress_, kConfigSavingText);
        groups = session_->applySettings(config, *interaction_);
    }
    fillMethodLists(true);
    ensurePrefetchs(false, groups);
    recalcViews(true);
    // The channel colours of the lists follow the channel width.
    drawsModel_->repaint();
    combsTab_->setColorCombs(form_.colorCombs);
}

void TFormMain::editShredding() {
    if (!session_) return;
    const TSettings& s = session_->settings();
    TShreddingDialog dialog(this, s.formulas, s.formulaDigits);
    if (dialog.exec() == QDialog::Accepted) applyShredding(dialog.formulas(), dialog.digits());
}

void TFormMain::applyShredding(const std::array<std::string, 3>& formulas, const std::array<int32_t, 3>& digits) {
    if (!session_) return;
    std::set<int> groups;
    {
        ui::BusyScope busy(busy_);
        ui::StatusScope status(progress_, kConfigSavingText);
        groups = session_->applyShredding(formulas, digits, *interaction_);
    }
    ensurePrefetchs(false, groups);
    fillMethodLists(true);
}

void TFormMain::setDownloadOnStart(int mode) {
    form_.downloadDrawsOnStart = mode;
    action(QStringLiteral("AutoDownload%1").arg(mode))->setChecked(true);
    writeKey("DownloadDrawsOnStart", static_cast<int32_t>(mode));
}

void TFormMain::toggleTab(const QString& actionName) {
    for (const auto& tab : optionalTabs_) {
        if (tab.action != actionName) continue;
        const bool shown = !(form_.*tab.flag);
        form_.*tab.flag = shown;
        pcRight_->setTabVisible(pcRight_->indexOf(tab.page), shown);
        action(actionName)->setChecked(shown);
        writeKey(us(tab.key).c_str(), shown);
        if (shown) {
            pcRight_->setCurrentWidget(tab.page);
            recalcVisibleViews();
        }
        return;
    }
}

// --- combinations and statistics ------------------------------------------------------------------

void TFormMain::buildCombsActions() {
    auto haveSession = [this] { return session_ != nullptr; };
    auto haveList = [this] { return combsTab_->count() > 0; };
    makeAction(QStringLiteral("CombsGen"), QStringLiteral("Генерировать"),
               QStringLiteral("Создание нового списка комбинаций"), [this] { combsTab_->generateDialog(); }, haveSession);
    makeAction(QStringLiteral("CombsOpen"), QStringLiteral("Открыть"), QStringLiteral("Загрузить список комбинаций из файла"),
               [this] {
                   const QString f = ui::chooseOpenFile(this, QStringLiteral("Открыть"), kCombsFileFilter);
                   if (!f.isEmpty()) combsTab_->openFile(f);
               },
               haveSession);
    makeAction(QStringLiteral("CombsSave"), QStringLiteral("Сохранить"), QStringLiteral("Сохранить список комбинаций в файл"),
               [this] {
                   const QString f =
                       ui::chooseSaveFile(this, QStringLiteral("Сохранить"), kCombsFileFilter, QStringLiteral("lcv"));
                   if (!f.isEmpty()) combsTab_->saveFile(f);
               },
               haveList);
    makeAction(QStringLiteral("CombsUndo"), QStringLiteral("Отменить"), QStringLiteral("Отменить последнее изменение списка"),
               [this] { combsTab_->undo(); }, [this] { return combsTab_->canUndo(); });
    makeAction(QStringLiteral("CombsDelExists"), QStringLiteral("Исключить тиражи"),
               QStringLiteral("Исключить указанное количество последних тиражей из списка комбинаций"),
               [this] { combsTab_->removeLastDraws(); }, haveSession);
    connect(combsTab_->excludeButton(), &QToolButton::clicked, this, [this] {
        if (auto* a = action(QStringLiteral("CombsDelExists")); a && a->isEnabled()) a->trigger();
    });
    makeAction(QStringLiteral("CombsDelSelected"), QStringLiteral("Удалить выделенные"),
               QStringLiteral("Удалить выделенные комбинации из списка"), [this] { combsTab_->removeSelected(); },
               [this] { return combsTab_->count() > 0 && combsTab_->hasSelection(); });
    makeAction(QStringLiteral("CombsCopy"), QStringLiteral("Копировать в буфер"),
               QStringLiteral("Копировать выделенные комбинации в буфер обмена"), [this] { combsTab_->copyToClipboard(); },
               haveList);
    makeAction(QStringLiteral("CombsPaste"), QStringLiteral("Вставить из буфера"),
               QStringLiteral("Заменить список комбинациями из буфера обмена"), [this] { combsTab_->paste(); },
               [this] {
                   const QMimeData* data = QGuiApplication::clipboard()->mimeData();
                   return session_ != nullptr && data && data->hasText();
               });
    makeAction(QStringLiteral("CombsSelectAll"), QStringLiteral("Выделить все"), QStringLiteral("Выделить все комбинации"),
               [this] { combsTab_->selectAll(); }, haveList);
    makeAction(QStringLiteral("CombsCheckNums"), QStringLiteral("Количество уникальных номеров"),
               QStringLiteral("Количество различных чисел в списке комбинаций"), [this] { combsTab_->showUniqueNumbers(); },
               haveSession);
    makeAction(QStringLiteral("CombsFindInDraws"), QStringLiteral("Проверить по архиву тиражей"),
               QStringLiteral("Найти выделенную комбинацию в архиве тиражей"), [this] { combsTab_->findInDraws(); },
               [this] { return combsTab_->focusedRow() >= 0; });
    makeAction(QStringLiteral("CombsInfo"), QStringLiteral("Сведения о комбинации"),
               QStringLiteral("Значения всех методов для выделенной комбинации"), [this] { showCombInfo(); },
               [this] { return combsTab_->focusedRow() >= 0; });
    auto* color = makeAction(QStringLiteral("ViewColorCombs"), QStringLiteral("Цветовое выделение каналов"),
                             QStringLiteral("Выделять числа комбинаций цветами каналов"), [this] { toggleColorCombs(); });
    color->setCheckable(true);

    makeAction(QStringLiteral("DrawsStatCalc"), QStringLiteral("Обновить"), QStringLiteral("Пересчитать статистику"),
               [this] { statsTab_->recompute(true); }, haveSession);
    auto canFilter = [this] { return combsTab_->count() > 0 && !statsTab_->selectedRows().empty(); };
    makeAction(QStringLiteral("StatFilter_Include"), QStringLiteral("Оставить выделенные"),
               QStringLiteral("Оставить в списке комбинации с выделенными значениями"),
               [this] { statsTab_->filterSelected(false); }, canFilter);
    makeAction(QStringLiteral("StatFilter_Exclude"), QStringLiteral("Удалить выделенные"),
               QStringLiteral("Удалить из списка комбинации с выделенными значениями"),
               [this] { statsTab_->filterSelected(true); }, canFilter);
    auto* prefetchs = makeAction(QStringLiteral("DrawsStatePrefetchsEnabled"),
                                 QStringLiteral("Использовать сравнение с полным набором комбинаций"),
                                 QStringLiteral("Сравнивать статистику с нормой по полному набору комбинаций"),
                                 [this] { togglePrefetchsEnabled(); }, haveSession);
    prefetchs->setCheckable(true);
    auto* totalLine = makeAction(QStringLiteral("DrawsStatShowTotalLine"), QStringLiteral("График идеального распределения"),
                                 QStringLiteral("Показывать на графике распределение по полному набору комбинаций"),
                                 [this] { toggleShowTotalLine(); }, [this] { return form_.prefetchsEnabled; });
    totalLine->setCheckable(true);
    makeAction(QStringLiteral("FiltersInfo"), QStringLiteral("Описание статистики"),
               QStringLiteral("Описание выбранного метода расчета статистики"), [this] { statsTab_->showDescription(); },
               [this] { return statsTab_->selectedMethod() >= 0; });
}

void TFormMain::reserveCombinationStorage() {
    if (session_) combsTab_->setSession(session_.get(), interaction_);
}

void TFormMain::generateCombinations() { combsTab_->generateFromSettings(); }

void TFormMain::loadStakes() {
    // The file is already held by the single-copy guard; this checks its version (an old file is
    // reported and emptied) without giving up the lock.
    session_->stakes().openChecked(progress_, interaction());
    setPanel(4, qs(fmt("Ставок: %d", session_->stakes().recordCount())));
}

void TFormMain::loadRatings() {
    session_->loadRatings(progress_, *interaction_);
    setPanel(5, qs(fmt("Рейтинг: %d", session_->ratings().count())));
}

void TFormMain::releaseCombinationList() { combsTab_->release(); }

void TFormMain::recreatePrefetchs() {
    std::set<int> all;
    for (int g = 0; g < kStatGroupCount; ++g) all.insert(g);
    ensurePrefetchs(true, all);
}

void TFormMain::ensurePrefetchs(bool force, const std::set<int>& groups) {
    if (!session_) return;
    ensureNormFiles(this, *session_, form_.prefetchsEnabled, force, groups, busy_, progress_, *interaction_);
}

void TFormMain::fillMethodLists(bool reload) {
    if (!session_) return;
    if (reload) {
        // Favourites and captions survive the rebuild through the method file.
        session_->statList().saveMethodFile(session_->filePath(".flt"), true, false, *interaction_);
        session_->rebuildRegistry(*interaction_);
    }
    statsTab_->fillMethodList(true);
}

void TFormMain::recalcViews(bool force) {
    if (!session_) return;
    statsTab_->recompute(force);
}

void TFormMain::recalcVisibleViews() {
    // A page changed while long work runs (the event loop runs meanwhile) waits: the work
    // recomputes the views it changes when it ends, and nothing may start inside it.
    if (busy_.busy()) return;
    if (session_ && state_ == State::Running && pcRight_->currentWidget() == statsTab_) statsTab_->recompute(false);
}

void TFormMain::toggleColorCombs() {
    form_.colorCombs = !form_.colorCombs;
    action(QStringLiteral("ViewColorCombs"))->setChecked(form_.colorCombs);
    writeKey("ColorCombs", form_.colorCombs);
    combsTab_->setColorCombs(form_.colorCombs);
}

void TFormMain::togglePrefetchsEnabled() {
    form_.prefetchsEnabled = !form_.prefetchsEnabled;
    action(QStringLiteral("DrawsStatePrefetchsEnabled"))->setChecked(form_.prefetchsEnabled);
    writeKey("PrefetchsEnabled", form_.prefetchsEnabled);
    if (session_) session_->setNormsEnabled(form_.prefetchsEnabled);
    ensurePrefetchs(false, {});
    statsTab_->setOptions({form_.prefetchsEnabled, form_.showTotalLine});
    statsTab_->recompute(true);
}

void TFormMain::toggleShowTotalLine() {
    form_.showTotalLine = !form_.showTotalLine;
    action(QStringLiteral("DrawsStatShowTotalLine"))->setChecked(form_.showTotalLine);
    writeKey("ShowTotalLine", form_.showTotalLine);
    statsTab_->setOptions({form_.prefetchsEnabled, form_.showTotalLine});
    ui::StatusScope status(progress_, "Создание графиков...");
    statsTab_->recompute(true);
}

void TFormMain::showDrawInfo() {
    const int pos = focusedListPosition();
    if (pos < 0) return;
    const DrawArchive& archive = session_->archive();
    const int index = archive.indexOfListPos(pos);
    const TDraw& draw = archive.at(index);
    const TDraw shown = session_->sortedDraws() ? sortedDraw(draw) : draw;
    TInfoRequest request;
    request.drawNumber = draw.number;
    request.dateText = draw.dateText();
    std::copy(shown.nums.begin(), shown.nums.end(), request.nums.n.begin());
    request.sorted = session_->sortedDraws();
    request.drawIndex = index;
    request.referenceIndex = session_->analysisEndIndex();
    TInfoWindow window(this, session_->statList(), request);
    window.exec();
}

void TFormMain::showCombInfo() {
    if (combsTab_->focusedRow() < 0) return;
    TInfoRequest request;
    request.nums = combsTab_->focusedComb();
    request.sorted = session_->sortedDraws();
    request.drawIndex = session_->analysisEndIndex();
    request.referenceIndex = request.drawIndex;
    TInfoWindow window(this, session_->statList(), request);
    window.exec();
}

}  // namespace tavlora::app
