#pragma once
// The main window TFormMain: the frame around the tabs. It owns the session, builds the tabs,
// the menus from the commands the tabs register and the status bar, runs the start-up sequence
// (creation, then the initialisation from a one-shot timer), passes the view chain on to the
// tabs, and writes its settings at shutdown. Each tab receives the window as its TabHost.
#include <QHash>
#include <QMainWindow>
#include <QTimer>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <vector>

#include "app/command_line.h"
#include "app/tab.h"
#include "archive/proxy_settings.h"
#include "session/form_settings.h"
#include "ui/busy_state.h"
#include "ui/gui_progress.h"
#include "ui/message_boxes.h"

class QLabel;
class QSplitter;
class QTabWidget;

namespace tavlora::app {

class CombsTab;
class DrawsTab;
class FavouritesCommands;
class SettingsCommands;
class StatsTab;
class GraphsTab;
class RegularsTab;
class ScenarioTab;
class CardTab;
class LayoutTab;
class WeekTab;
class SystemsTab;
class StakesTab;
class RatingsTab;

inline constexpr const char* kStartError = "Ошибка запуска программы!\r\r%s";
inline constexpr const char* kInitError = "Ошибка инициализации программы!\r\r%s";
inline constexpr const char* kFormLoadError = "Ошибка загрузки параметров программы!\r\r%s";
inline constexpr const char* kConfigLoadingText = "Загрузка файла конфигурации...";
inline constexpr const char* kConfigReadError = "Ошибка чтения файла конфигурации!\r\r%s";
inline constexpr const char* kInitialisingText = "Инициализация...";
inline constexpr const char* kDownloadQuestion =
    "Обновить список тиражей?\r\rДля выполнения обновления необходимо действующее подключение к сети Интернет.";

struct MainWindowOptions {
    StartupOptions startup;
    // Where messages and questions go; null: real message boxes.
    Interaction* interaction = nullptr;
    // Start the one-shot initialisation timer (tests may call initialise() themselves).
    bool startTimer = true;
    // Offer the help at the end of a first start in a folder (one without a window-settings file):
    // `FirstRun` is then written true, so that the help dialog comes at every start until the user
    // declines it. The program turns this on; tests that open windows in fresh folders leave it off.
    bool helpOnFirstStart = false;
};

class TFormMain : public QMainWindow, public TabHost {
    Q_OBJECT
public:
    enum class State { Created, Initialising, Running, Ended };

    explicit TFormMain(MainWindowOptions options, QWidget* parent = nullptr);
    ~TFormMain() override;

    // The initialisation sequence (the first tick of the start-up timer).
    void initialise();

    State state() const { return state_; }
    int exitCode() const { return exitCode_; }

    // --- the frame: its pages and status panels ------------------------------------------------
    QLabel* statusPanel(int index) const { return panels_.at(static_cast<size_t>(index)); }
    QTabWidget* leftPages() const { return pcLeft_; }
    QTabWidget* rightPages() const { return pcRight_; }
    DrawsTab* drawsTab() const { return drawsTab_; }
    CombsTab* combsTab() const { return combsTab_; }
    StakesTab* stakesTab() const { return stakesTab_; }
    RatingsTab* ratingsTab() const { return ratingsTab_; }
    RegularsTab* regularsTab() const { return regularsTab_; }
    SystemsTab* systemsTab() const { return systemsTab_; }
    StatsTab* statsTab() const { return statsTab_; }
    GraphsTab* graphsTab() const { return graphsTab_; }
    ScenarioTab* scenarioTab() const { return scenarioTab_; }
    CardTab* cardTab() const { return cardTab_; }
    LayoutTab* layoutTab() const { return layoutTab_; }
    WeekTab* weekTab() const { return weekTab_; }
    FavouritesCommands* favourites() const { return favourites_.get(); }

    // Recomputes the enabled state of every command (runs when the interface is idle).
    void updateActions();

    // --- TabHost -------------------------------------------------------------------------------
    Session* session() const override { return session_.get(); }
    Interaction& interaction() override { return *interaction_; }
    ui::BusyState& busyState() override { return busy_; }
    ui::GuiProgress& progress() override { return progress_; }
    void setPanel(int index, const QString& text) override;
    TProxySettings& proxySettings() override { return proxy_; }
    QAction* addCommand(CommandSpec spec) override;
    QAction* action(const QString& name) const override;
    TFormMainSettings& formSettings() override { return form_; }
    void writeKey(const char* key, bool value) override;
    void writeKey(const char* key, int32_t value) override;
    void recalcViews(bool force) override;
    void combListChanged() override;
    void methodListsChanged() override;
    void settingsChanged() override;
    void scenarioChanged() override;

signals:
    // The program ends (exclusive access refused, a switch that ends after its work).
    void programEnded(int exitCode);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Creation steps.
    void buildLayout();
    template <class T>
    T* addTab(QTabWidget* side, T* tab);
    void buildActions();
    void buildMenus();
    void buildStatusBar();
    // Keeps the window at least as wide as the status bar's panels need.
    void updateMinimumWidth();
    void waitForRestartedCopy();
    void applyTabVisibility();
    void restoreWindowSettings();
    void loadConfiguration();

    // Steps of later subsystems: each is the single place its work is started from.
    void clearCombinationList() {}
    void reserveCombinationStorage();
    void initRatings() {}
    void loadStakes();
    void loadRatings();
    void loadRegularTables() {}
    void loadScriptWorkingCopy();
    void loadSystemsList();
    void loadScriptLibrary() {}
    void setupRatingsSort() {}
    bool selfUpdateInstalled() { return false; }
    void recreatePrefetchs();
    void releaseRatings() {}

    void showFirstRunDialog();
    void endProgram(int code);
    void saveWindowSettings();
    void scheduleActionUpdate();
    void setDownloadOnStart(int mode);
    // Shows or hides an optional tab by its command and stores its key at once.
    void toggleTab(Tab* tab);
    void setTabShown(Tab* tab, bool shown);
    // The view chain's part on a page change: the view now on screen on that side catches up.
    void recalcVisibleViews(QTabWidget* side);
    QTabWidget* sideOf(const Tab* tab) const;
    std::filesystem::path frmPath() const;
    void showError(const std::string& text) { interaction_->error(text); }

    MainWindowOptions options_;
    std::unique_ptr<ui::MessageBoxInteraction> boxes_;
    Interaction* interaction_ = nullptr;
    ui::BusyState busy_;
    ui::GuiProgress progress_;
    std::unique_ptr<Session> session_;
    std::unique_ptr<SettingsCommands> settings_;
    std::unique_ptr<FavouritesCommands> favourites_;
    TFormMainSettings form_;
    TProxySettings proxy_;
    State state_ = State::Created;
    int exitCode_ = 0;
    bool settingsSaved_ = false;
    bool closePending_ = false;  // a close request waits for the running work to stop

    QTimer initTimer_;
    QTimer idleTimer_;
    QHash<QString, QAction*> actions_;
    std::vector<std::pair<QAction*, std::function<bool()>>> updaters_;
    std::array<QLabel*, kStatusPanels> panels_{};

    QSplitter* splitter_ = nullptr;
    QTabWidget* pcLeft_ = nullptr;
    QTabWidget* pcRight_ = nullptr;
    std::vector<Tab*> tabs_;  // in page order, left then right
    DrawsTab* drawsTab_ = nullptr;
    CombsTab* combsTab_ = nullptr;
    StatsTab* statsTab_ = nullptr;
    GraphsTab* graphsTab_ = nullptr;
    CardTab* cardTab_ = nullptr;
    LayoutTab* layoutTab_ = nullptr;
    WeekTab* weekTab_ = nullptr;
    SystemsTab* systemsTab_ = nullptr;
    StakesTab* stakesTab_ = nullptr;
    RatingsTab* ratingsTab_ = nullptr;
    RegularsTab* regularsTab_ = nullptr;
    ScenarioTab* scenarioTab_ = nullptr;
};

}  // namespace tavlora::app
