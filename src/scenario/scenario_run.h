#pragma once
// Running the working scenario: a forecast (one pass at the archive's current offset) or a test
// (one pass per offset N, N-1, ..., 1, so that the stakes made at offset k are for the first
// hidden draw and can be checked against it). A pass walks the command lines in order; each line
// builds or keeps a start list, applies every variant of its filters to it through the
// statistics table and the statistics filter, and turns what is left into stakes.
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "core/interaction.h"
#include "core/progress.h"
#include "scenario/filter_variants.h"
#include "scenario/run_log.h"
#include "scenario/scenario_line.h"
#include "workspace/prefetch.h"
#include "workspace/stat_table.h"

namespace tavlora {

class DrawArchive;
class TCombList;
class TRatings;
class TScenario;
class TSettings;
class TStakesStore;
class TStatList;
class TCustomStat;

// --- texts -------------------------------------------------------------------------------------
inline constexpr const char* kScriptRunningStatus = "Выполнение сценария...";
inline constexpr const char* kScriptDoneStatus = "Сценарий завершен!";
inline constexpr const char* kScriptCycleStatus = "Цикл: %d";
inline constexpr const char* kScriptLineStatus = "Строка: %d";
inline constexpr const char* kScriptFilterStatus = "Фильтр %d из %d: %s";
inline constexpr const char* kScriptMethodNotFound =
    "Метод расчета статистики \"%s\" на найден!\r%s\r\rВозможно, Вы отключили данных метод расчета либо "
    "использовали сценарий от другой модификации программы.";
// A filter whose method code matched no method of the registry when the line was read.
inline constexpr const char* kScriptUnknownMethod =
    "Метод расчета статистики фильтра не найден: %s!\r\rВозможно, Вы отключили данный метод расчета либо "
    "использовали сценарий от другой модификации программы.";
inline constexpr const char* kScriptStopWarning =
    "Выполнение сценария прервано, т.к. после применения всех фильтров в списке комбинаций их осталось более "
    "одной: %d!\r\rФильтры: %s";
inline constexpr const char* kScriptStopQuestion = "Остановить выполнение сценария?";

// Everything a run works on; the Session (or a test) owns it all.
struct TScenarioEnv {
    DrawArchive* archive = nullptr;
    TStatList* registry = nullptr;
    TSettings* settings = nullptr;  // the program settings (the registry's)
    TCombList* combs = nullptr;     // with its buffer file set
    TStakesStore* stakes = nullptr; // open
    TRatings* ratings = nullptr;    // loaded
    std::filesystem::path logFolder;   // where ScriptLog_*.txt go (the data folder)
    std::filesystem::path systemsDir;  // the wheeling systems (SYSA / SYSC)
    bool sortedDraws = false;  // analyse draws with their numbers ascending
    bool normsEnabled = false; // compare with the full set (norm files, created when missing)
};

// The status panels of a running scenario.
struct TScenarioPanels {
    int cycle = 0;
    int line = 0;        // 1-based line being run, 0 before the first
    int stakes = 0;      // stakes made in this run
    std::string filter;  // "Фильтр %d из %d: %s" or the stake options of a line without filters
};

struct TScenarioRunResult {
    int cycles = 0;                  // passes run
    int stakesMade = 0;
    int64_t filterSteps = 0;         // statistics filter steps run over the combination list
    int64_t combinationsTested = 0;  // combinations those steps went through
    bool stopped = false;            // stopped by the user, by a STOP line or by an error
    bool failed = false;             // an error was shown
    std::filesystem::path logFile;   // the log written, when logging was on
    double seconds = 0;
};

class TScenarioRunner {
public:
    TScenarioRunner(TScenarioEnv env, Progress& progress, Interaction& interaction);
    ~TScenarioRunner();
    TScenarioRunner(const TScenarioRunner&) = delete;
    TScenarioRunner& operator=(const TScenarioRunner&) = delete;

    // "ScriptLogEnabled" and "StakesCheckOnLine" of the window settings.
    void setLogEnabled(bool on) { logEnabled_ = on; }
    void setCheckEachLine(bool on) { checkEachLine_ = on; }
    // The random generator of result mode RAND (seeded from the system otherwise).
    void setSeed(uint64_t seed) { random_.seed(seed); }
    void setClock(std::function<std::time_t()> clock) { log_.setClock(std::move(clock)); }

    // Hooks for the front end (each may be empty): a line is about to run (0-based index), the
    // status panels changed, stakes were added or checked (refresh the grid).
    std::function<void(int)> onLine;
    std::function<void(const TScenarioPanels&)> onPanels;
    std::function<void()> onStakesChanged;

    // Whether a run may start: not running, a non-empty scenario and a non-empty archive.
    bool canRun(const TScenario& scenario) const;
    // Most tests a test run may make: the number of draws less one (0 for an empty archive).
    int maxTests() const;

    // One pass at the current offset.
    TScenarioRunResult forecast(const TScenario& scenario);
    // One pass at each offset n, n-1, ..., 1 (n above maxTests() is taken as maxTests(), below 1
    // nothing runs). The offset from before is set back unless the run was stopped, when it
    // stays at the offset being tested.
    TScenarioRunResult test(const TScenario& scenario, int n);

    bool running() const { return running_; }
    bool stopRequested() const { return stop_; }
    // "Стоп": logs the interruption and raises the stop flag polled at every step.
    void requestStop();
    const TScenarioPanels& panels() const { return panels_; }

private:
    void begin();
    void finish(TScenarioRunResult& result);
    void banner(int offset);
    void runPass(const TScenario& scenario);
    void runLine(const TScenario& scenario, int index);
    void runVariant(const ScenarioLine& line, int lineNo, int64_t k, int64_t count, const TFilterRec& variant);
    bool buildStartList(const ScenarioOptions& options);
    void applyPart(const TFilterPart& part);
    void filterRows(const TFilterPart& part, int methodIndex, TCustomStat& method,
                    const std::vector<TStatTableRow>& table, const std::vector<std::size_t>& rows);
    void makeStakes(const ScenarioOptions& options, int lineNo, int64_t variantNo, const std::string& stakeText,
                    const std::string& comment);
    void stakeOne(const TComb& comb, const ScenarioOptions& options, const std::string& comment, bool many);
    void playSystem(const ScenarioOptions& options, const std::string& comment);
    void checkStakes();
    bool stopCheck();
    // An error of the run: shown, and the run stops (cleanly) at the next check.
    void fail(const std::string& message);
    void log(const std::string& line);
    void showPanels(bool throttled);
    const TPrefetchData* normsFor(int methodIndex);
    // The statistics table of a method, sorted descending by the column: computed once per line
    // for each sample length, weights and column, then reused by every variant of the line.
    const TStatTable& sortedTable(int methodIndex, int sortColumn, const TStatTableInput& input);

    TScenarioEnv env_;
    Progress& progress_;
    Interaction& interaction_;
    TScenarioLog log_;
    bool logEnabled_ = false;
    bool logging_ = false;
    bool checkEachLine_ = false;
    bool running_ = false;
    bool stop_ = false;
    bool failed_ = false;
    TScenarioPanels panels_;
    std::mt19937_64 random_;
    int64_t filterSteps_ = 0;
    int64_t combinationsTested_ = 0;
    int64_t lastPanelsMs_ = 0;
    std::map<int, std::optional<TPrefetchData>> norms_;
    std::pair<int, int> excludedKey_{-1, -1};  // offset and count of the excluded start list built last
    struct TCachedTable {
        int methodIndex;
        int sortColumn;
        int window;
        TWeights weights;
        bool sorted;
        int endIndex;
        const TPrefetchData* norms;
        std::unique_ptr<TStatTable> table;
    };
    std::vector<TCachedTable> tables_;  // the tables of the line being run
};

// "[a;b;c;d;e]" numbers of a stake as the log writes them.
std::string stakeNumbersText(const TComb& comb);

}  // namespace tavlora
