#pragma once
// The main window TFormMain: a presenter over the Session. It builds the tabs, the commands and
// the status bar, runs the start-up sequence (creation, then the initialisation from a one-shot
// timer), turns commands into session calls and redraws, and writes its settings at shutdown.
#include <QHash>
#include <QMainWindow>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>
#include <set>
#include <vector>

#include "app/command_line.h"
#include "archive/proxy_settings.h"
#include "session/form_settings.h"
#include "core/interaction.h"
#include "core/settings.h"
#include "stakes/stakes_store.h"
#include "ui/busy_state.h"
#include "ui/gui_progress.h"
#include "ui/message_boxes.h"

class QAction;
class QLabel;
class QSpinBox;
class QSplitter;
class QTabWidget;
class QTableView;

namespace tavlora {
class Session;
class TStatList;
}

namespace tavlora::app {

class CombsTab;
class DrawsModel;
class StatsTab;

inline constexpr int kStatusPanels = 7;
inline constexpr const char* kStartError = "Ошибка запуска программы!\r\r%s";
inline constexpr const char* kInitError = "Ошибка инициализации программы!\r\r%s";
inline constexpr const char* kFormLoadError = "Ошибка загрузки параметров программы!\r\r%s";
inline constexpr const char* kConfigLoadingText = "Загрузка файла конфигурации...";
inline constexpr const char* kConfigReadError = "Ошибка чтения файла конфигурации!\r\r%s";
inline constexpr const char* kConfigSavingText = "Сохранение файла конфигурации...";
inline constexpr const char* kInitialisingText = "Инициализация...";
inline constexpr const char* kAddDrawCaption = "Введите данные следующего тиража";
inline constexpr const char* kDownloadQuestion =
    "Обновить список тиражей?\r\rДля выполнения обновления необходимо действующее подключение к сети Интернет.";

struct MainWindowOptions {
    StartupOptions startup;
    // Where messages and questions go; null: real message boxes.
    Interaction* interaction = nullptr;
    // Start the one-shot initialisation timer (tests may call initialise() themselves).
    bool startTimer = true;
};

class TFormMain : public QMainWindow {
    Q_OBJECT
public:
    enum class State { Created, Initialising, Running, Ended };

    explicit TFormMain(MainWindowOptions options, QWidget* parent = nullptr);
    ~TFormMain() override;

    // The initialisation sequence (the first tick of the start-up timer).
    void initialise();

    State state() const { return state_; }
    int exitCode() const { return exitCode_; }
    Session* session() const { return session_.get(); }
    // The statistics registry of the session (null until the session is open).
    TStatList* registry() const;
    const TFormMainSettings& formSettings() const { return form_; }
    const TProxySettings& proxySettings() const { return proxy_; }
    std::filesystem::path frmPath() const;
    Interaction& interaction() { return *interaction_; }
    ui::BusyState& busyState() { return busy_; }
    ui::GuiProgress& progress() { return progress_; }

    QLabel* statusPanel(int index) const { return panels_.at(static_cast<size_t>(index)); }
    QTableView* drawsView() const { return lvDraws_; }
    DrawsModel* drawsModel() const { return drawsModel_; }
    QSpinBox* offsetEdit() const { return edDrawsOffset_; }
    QTabWidget* leftPages() const { return pcLeft_; }
    QTabWidget* rightPages() const { return pcRight_; }
    QAction* action(const QString& name) const { return actions_.value(name); }
    CombsTab* combsTab() const { return combsTab_; }
    StatsTab* statsTab() const { return statsTab_; }
    bool tabShown(const QString& caption) const;

    // --- commands (the actions call these; tests may call them directly) -----------------------
    void addDraw();
    void editDraw();
    void deleteDraws();
    void toggleSortedDraws();
    void toggleColorDraws();
    void setDrawsOffset(int offset);
    bool importDraws(const QString& fileName);
    bool exportDraws(const QString& fileName);
    void editSettings();
    void editShredding();
    // Stores a confirmed settings record: save, registry rebuild, norm groups, views.
    void applySettings(const TConfigData& config);
    void applyShredding(const std::array<std::string, 3>& formulas, const std::array<int32_t, 3>& digits);
    void setDownloadOnStart(int mode);
    // Shows or hides an optional tab by its command name (TabGraps, TabCard, TabLayout, TabWeek,
    // TabTables, SystemsOn) and stores its key at once.
    void toggleTab(const QString& actionName);
    // The information window of the focused draw / of the focused combination.
    void showDrawInfo();
    void showCombInfo();
    void toggleColorCombs();
    void togglePrefetchsEnabled();
    void toggleShowTotalLine();

    // Recomputes the enabled state of every command (runs when the interface is idle).
    void updateActions();
    // Redraws the draws list and the status panels of the archive.
    void refreshDraws(bool force);

signals:
    // The program ends (exclusive access refused, a switch that ends after its work).
    void programEnded(int exitCode);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct OptionalTab {
        QString action;         // the command that shows or hides the tab
        QString actionCaption;  // that command's caption
        QString key;            // its per-window key
        QString caption;        // the tab's caption
        QWidget* page;
        bool TFormMainSettings::*flag;
    };

    // Creation steps.
    void buildLayout();
    void buildActions();
    void buildMenus();
    void buildStatusBar();
    void waitForRestartedCopy();
    void applyTabVisibility();
    void restoreWindowSettings();
    void loadConfiguration();

    // Steps of later subsystems: each is the single place its work is started from.
    void clearCombinationList() {}
    void reserveCombinationStorage();
    void initRatings() {}
    void loadStakes();
    void generateCombinations();
    void loadRatings();
    void loadRegularTables() {}
    void loadScriptWorkingCopy() {}
    void loadSystemsList() {}
    void loadScriptLibrary() {}
    void setupRatingsSort() {}
    void downloadDraws() {}
    bool drawDownloadAvailable() const { return false; }
    bool selfUpdateInstalled() { return false; }
    void recreatePrefetchs();
    void ensurePrefetchs(bool force, const std::set<int>& groups);
    void fillMethodLists(bool reload);
    void recalcViews(bool force);
    void recalcVisibleViews();
    void releaseCombinationList();
    void releaseRatings() {}
    void buildCombsActions();

    void showFirstRunDialog();
    void endProgram(int code);
    void saveWindowSettings();
    void writeKey(const char* key, bool value);
    void writeKey(const char* key, int32_t value);
    void scheduleActionUpdate();
    void setPanel(int index, const QString& text);
    void showError(const std::string& text) { interaction_->error(text); }
    QAction* makeAction(const QString& name, const QString& caption, const QString& hint,
                        std::function<void()> run, std::function<bool()> enabled = {});
    std::vector<int> selectedListPositions() const;
    int focusedListPosition() const;
    bool hasArchive() const;

    MainWindowOptions options_;
    std::unique_ptr<ui::MessageBoxInteraction> boxes_;
    Interaction* interaction_ = nullptr;
    ui::BusyState busy_;
    ui::GuiProgress progress_;
    std::unique_ptr<Session> session_;
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
    std::vector<OptionalTab> optionalTabs_;
    std::array<QLabel*, kStatusPanels> panels_{};

    QSplitter* splitter_ = nullptr;
    QTabWidget* pcLeft_ = nullptr;
    QTabWidget* pcRight_ = nullptr;
    QTableView* lvDraws_ = nullptr;
    DrawsModel* drawsModel_ = nullptr;
    QSpinBox* edDrawsOffset_ = nullptr;
    CombsTab* combsTab_ = nullptr;
    StatsTab* statsTab_ = nullptr;
};

}  // namespace tavlora::app
