#pragma once
// The "Сценарий" page: the working scenario in the list `lvScript` ("Комментарии", "Опции",
// "Фильтр 1".."Фильтр 7"), its editing commands over the session's scenario (each change is
// written to the working copy at once), the forecast "Прогноз" and the test "Тест" with "Стоп",
// the log switches and the tab's panels "Строк", "Цикл", "Строка", "Ставок" and the filter.
//
// A run goes on the interface thread: the engine's runner lets the event loop run between its
// steps (through the window's progress), so the window repaints and "Стоп" can be pressed, and
// every view reads the session only between steps. Meanwhile the busy state disables every
// other command, and the three data tabs and the list are disabled.
#include <QString>
#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "app/scenario/filter_dialog.h"
#include "app/tab.h"

class QAbstractTableModel;
class QLabel;

namespace tavlora {
class TScenario;
class TScenarioRunner;
struct TScenarioPanels;
}  // namespace tavlora

namespace tavlora::app {

class CombsTab;
class DrawsTab;
class StatsTab;
class ScriptModel;

inline constexpr const char* kScriptFileFilter = "Файлы сценариев (*.lsc)|*.lsc";
inline constexpr const char* kNoTestsPossible = "Для тестирования в архиве должно быть не менее двух тиражей!";

// The tabs the scenario reads its defaults from and disables while it runs.
struct ScenarioTabLinks {
    StatsTab* stats = nullptr;      // the statistics type list and sample length
    CombsTab* combs = nullptr;      // the exclude count preset of new lines
    DrawsTab* draws = nullptr;      // shows the offset a test moves
    std::vector<QWidget*> dataTabs; // "Архив тиражей", "Комбинации", "Статистика"
};

class ScenarioTab : public Tab {
    Q_OBJECT
public:
    ScenarioTab(TabHost& host, ScenarioTabLinks links, QWidget* parent = nullptr);
    ~ScenarioTab() override;

    // Rereads the working scenario into the list (start-up, and after another tab changed it).
    void reloadLines();
    // Lines were added to the working scenario elsewhere (the rating's "Добавить в сценарий").
    void scenarioChanged() override { reloadLines(); }

    QTableView* listView() const { return lvScript_; }
    QLabel* panel(int index) const { return panels_.at(static_cast<std::size_t>(index)); }
    bool running() const { return runner_ != nullptr; }
    // The seed of the random choice of result mode RAND for the next runs (none: from the system).
    void setRandomSeed(std::optional<uint64_t> seed) { seed_ = seed; }
    // The filter editor's choices as the statistics tab offers them now.
    FilterEditorContext filterContext() const;
    // The row with the focus, or -1; the selected rows ascending.
    int focusedRow() const;
    std::vector<int> selectedRows() const;

    // --- commands --------------------------------------------------------------------------------
    void addLine();
    void addSeparator();
    void cloneLine();
    void editLine();
    void deleteLines();
    void clearLines();
    void moveLine(bool up);
    void openFile();
    void appendFile();
    void saveFile();
    bool openPath(const QString& path, bool append);
    // "Прогноз" (tests = 0) or "Тест" over `tests` draws (asked for when not given).
    void run(bool test, std::optional<int> tests = std::nullopt);
    // "Стоп": asks, then asks the running scenario to stop. Returns whether a stop is requested.
    bool stop();

    void buildCommands() override;
    std::optional<TabMenu> menu() const override;
    void restoreSettings(const TFormMainSettings& s) override;
    std::vector<QTableView*> columnLists() const override { return {lvScript_}; }
    void enableControls(bool on) override;
    bool closeRequested() override;

private:
    TScenario* scenario() const;
    bool commandFocused() const;
    // Shows the line count and selects the row (scrolling it into view) when it is >= 0.
    void linesChanged(int select);
    // Runs a change of the scenario; its write error is shown (the change stays in the list).
    template <class Change>
    void change(Change&& fn);
    QString askLine(const QString& title, const QString& text, int excludePreset);
    void showPanels(const TScenarioPanels& p);
    void setRunning(bool on);

    ScenarioTabLinks links_;
    QTableView* lvScript_ = nullptr;
    ScriptModel* model_ = nullptr;
    std::array<QLabel*, 5> panels_{};
    std::unique_ptr<TScenarioRunner> runner_;
    std::optional<uint64_t> seed_;
    bool logEnabled_ = false;
    bool checkEachLine_ = true;
    int shownCycle_ = -1;
};

}  // namespace tavlora::app
