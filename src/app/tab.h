#pragma once
// The contract between the main window and its tabs. The window is a frame: it owns the session,
// the status bar, the menus and the start-up and shutdown order. Each tab is a page that receives
// a TabHost, registers its own commands with their enabled rules, names the menu they form, keeps
// its per-window keys, and takes part in the view chain when it shows results computed from the
// archive (a new draw, an offset change or new settings recompute the views in tab order; a view
// that is not on screen is recomputed when it is shown).
#include <QAction>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "session/form_settings.h"

class QTableView;

namespace tavlora {
class Interaction;
class Session;
struct TProxySettings;
}  // namespace tavlora

namespace tavlora::ui {
class BusyState;
class GuiProgress;
}  // namespace tavlora::ui

namespace tavlora::app {

// The panels of the status bar, left to right.
enum StatusPanel : int {
    kPanelArchive = 0,  // "Архив тиражей: N"
    kPanelNextDraw,     // "Следующий тираж: N"
    kPanelActualDraw,   // the numbers of the draw at the offset
    kPanelCombs,        // "Комбинаций: N"
    kPanelStakes,       // "Ставок: N"
    kPanelRatings,      // "Рейтинг: N"
    kPanelHint,         // hints and the status text of running work
};
inline constexpr int kStatusPanels = 7;

// A command as a tab registers it: the action's object name, its caption and hint, what it runs
// and when it is enabled (besides the window being idle). Without run the command belongs to a
// subsystem still to come and does nothing.
struct CommandSpec {
    QString name{};
    QString caption{};
    QString hint{};
    std::function<void()> run{};
    std::function<bool()> enabled{};  // empty: always enabled
    bool checkable = false;
    // Stays enabled (by its own rule) while long work holds the busy state: the stop of that work.
    bool whileBusy = false;
};

// The show/hide command of an optional tab and the per-window key that keeps its state.
struct TabToggle {
    QString action;    // the command's name
    QString caption;   // the command's caption
    QString key;       // the per-window key written when the command runs
    bool TFormMainSettings::*flag;
};

// The toggle of a tab whose command reads "Вкладка "<caption>"".
inline TabToggle tabToggle(const char* action, const char* tabCaption, const char* key,
                           bool TFormMainSettings::*flag) {
    return {QString::fromLatin1(action), QStringLiteral("Вкладка \"%1\"").arg(QString::fromUtf8(tabCaption)),
            QString::fromLatin1(key), flag};
}

// The menu a tab's commands form in the menu bar; the same commands make the context menu of the
// tab's list. An empty name is a separator.
struct TabMenu {
    QString caption;
    QWidget* list = nullptr;
    QStringList commands;
};

class Tab;

// What the frame offers each tab.
class TabHost {
public:
    virtual ~TabHost() = default;

    // The open data folder; null until the configuration is loaded.
    virtual Session* session() const = 0;
    // Where messages and questions go.
    virtual Interaction& interaction() = 0;
    // The busy counter (commands are disabled and close waits while it is non-zero) and the
    // progress that long work reports to.
    virtual ui::BusyState& busyState() = 0;
    virtual ui::GuiProgress& progress() = 0;
    virtual void setPanel(int index, const QString& text) = 0;
    // The proxy state of the program (the PROXY section as loaded, and the proxy an automatic
    // search chose during this run).
    virtual TProxySettings& proxySettings() = 0;

    // Registers a command; the frame enables it by its rule when idle and puts it into menus.
    virtual QAction* addCommand(CommandSpec spec) = 0;
    virtual QAction* action(const QString& name) const = 0;

    // The per-window keys as read at creation; a key that changes with a command is written at
    // once (a failure is shown).
    virtual TFormMainSettings& formSettings() = 0;
    virtual void writeKey(const char* key, bool value) = 0;
    virtual void writeKey(const char* key, int32_t value) = 0;

    // The view chain: recomputes the views in tab order, the ones on screen now and the others
    // when they are shown. force recomputes even when the inputs of a view look unchanged.
    virtual void recalcViews(bool force) = 0;
    // Tell every tab that the combination list, the method lists of the registry or the
    // settings changed.
    virtual void combListChanged() = 0;
    virtual void methodListsChanged() = 0;
    virtual void settingsChanged() = 0;
    // Lines were added to the working scenario: every tab hears of it, and the right side shows
    // the scenario page ("tsScript").
    virtual void scenarioChanged() = 0;
};

// A page of the window. A tab that has no content yet is a plain Tab with its name and caption.
class Tab : public QWidget {
    Q_OBJECT
public:
    Tab(TabHost& host, const char* objectName, const QString& caption, std::optional<TabToggle> toggle = {},
        QWidget* parent = nullptr);

    const QString& caption() const { return caption_; }
    // The show/hide command of an optional tab.
    const std::optional<TabToggle>& toggle() const { return toggle_; }

    // Registers the tab's commands (once, after every tab exists).
    virtual void buildCommands() {}
    // The tab's menu, when it has one.
    virtual std::optional<TabMenu> menu() const { return std::nullopt; }
    // The session has been opened.
    virtual void sessionOpened() {}
    // Applies the per-window keys read at creation (the window already has its size).
    virtual void restoreSettings(const TFormMainSettings&) {}
    // Stores the keys written at shutdown (lengths, heights).
    virtual void saveSettings(TFormMainSettings&) const {}
    // The lists whose column widths are kept under "<object name>_Columns".
    virtual std::vector<QTableView*> columnLists() const { return {}; }
    // Enables the tab's own controls that are not commands (edits, lists of choices).
    virtual void enableControls(bool) {}
    // The window is asked to close while long work runs: false keeps it open; true lets the
    // frame stop the work and close once it has ended.
    virtual bool closeRequested() { return true; }
    // Notifications passed on by the host.
    virtual void combListChanged() {}
    virtual void methodListsChanged() {}
    virtual void settingsChanged() {}
    virtual void scenarioChanged() {}
    // The page of an optional tab was shown or hidden (at start-up and by its command).
    virtual void shownChanged(bool) {}

    // --- the view chain ------------------------------------------------------------------------
    virtual bool isView() const { return false; }
    // Recomputes now, together with a request that waited while the page was hidden.
    void refreshView(bool force);
    // Keeps a request until the page is shown.
    void deferView(bool force);
    bool viewStale() const { return stale_; }

protected:
    // Computes the view's contents (views only); without force it may keep contents whose
    // inputs did not change.
    virtual void recompute(bool) {}

    TabHost& host_;

private:
    QString caption_;
    std::optional<TabToggle> toggle_;
    bool stale_ = false;
    bool staleForce_ = false;
};

}  // namespace tavlora::app
