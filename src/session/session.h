#pragma once
// The open data folder as one object: the settings, the draw archive with its offset, the
// switches shared by every analysis, the statistics method registry, the combination list, the
// stakes store, the rating and the working scenario. The GUI's main window and the command line
// both work through a Session: it owns the settings and builds the inputs of the analyses (a
// statistics table, a filter step, a scenario run) from its own state, so that a front end never
// assembles engine objects itself.
#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "archive/draw_archive.h"
#include "core/interaction.h"
#include "core/progress.h"
#include "core/records.h"
#include "core/settings.h"
#include "scenario/scenario_run.h"
#include "stakes/ratings.h"
#include "stakes/stake_record.h"
#include "workspace/chart_data.h"
#include "workspace/number_grids.h"
#include "workspace/prefetch.h"
#include "workspace/stat_filter.h"
#include "workspace/stat_table.h"

namespace tavlora {

inline constexpr std::string_view kBaseName = "Tavlora_5d69";

// Refusal of a change while another copy of the program (the window) works on the data folder.
inline constexpr const char* kFolderInUseError =
    "Каталог данных используется другой копией программы: изменения в нём сейчас невозможны. "
    "Закройте другую копию программы или укажите другой каталог данных (параметр --data).";

class TStatList;
class TCombList;
class TStakesStore;
class TRatings;
class TRegulars;
class TScenario;
struct SessionStatListDeleter {
    void operator()(TStatList* list) const;
};
struct SessionCombListDeleter {
    void operator()(TCombList* list) const;
};

// The groups of norm files that no longer fit after the settings changed: 4 when the matrix width
// changed, 3 when the channel width changed, 5 when the segment map changed.
std::set<int> changedNormGroups(const TConfigData& before, const TConfigData& after);
// The group of the shredding methods, whose norm files follow the formulas.
inline constexpr int kShreddingNormGroup = 12;

class Session {
public:
    // Opens the data folder (created when missing), loads the settings from <base>.ini and the
    // archive from <base>.ldr. The offset starts at 0. Messages of the start-up (a read error
    // of the archive) go to interaction; start-up continues after them.
    Session(std::filesystem::path dataDir, Progress& progress, Interaction& interaction);
    // Same, silently: start-up messages are kept in startupMessages().
    explicit Session(std::filesystem::path dataDir);

    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    std::filesystem::path dataDir() const { return dataDir_; }
    // <data>/Tavlora_5d69<extension>, e.g. filePath(".ldr").
    std::filesystem::path filePath(std::string_view extension) const;

    // The program settings, read from <base>.ini at opening; one copy for the whole session, read
    // by the method registry and every analysis. They change only through the operations below,
    // which keep the registry in step.
    const TSettings& settings() const { return settings_; }

    // Takes a confirmed settings record: keeps it, writes it to <base>.ini and rebuilds the
    // registry with the method file. A write failure is shown through interaction (the engine's
    // message) and the new settings stay in use. Returns the norm groups to rebuild.
    std::set<int> applySettings(const TConfigData& config, Interaction& interaction);
    // The same for the three shredding formulas and their digits; returns {kShreddingNormGroup}.
    std::set<int> applyShredding(const std::array<std::string, 3>& formulas, const std::array<int32_t, 3>& digits,
                                 Interaction& interaction);
    // Keeps the generator's mode and parameters as its defaults and writes them to <base>.ini
    // (throws EError on a write failure; the values stay in use).
    void storeGeneratorMemory(uint8_t mode, std::string_view parameters);

    // The method registry over this session's archive and settings, rebuilt at opening (after the
    // settings were read) with the method file <base>.flt applied when it exists.
    TStatList& statList() { return *registry_; }
    const TStatList& statList() const { return *registry_; }
    // Rebuilds the registry over the current settings (instance ranges, shredding captions) and
    // applies the method file <base>.flt (favourites, captions) when it exists; a method file that
    // cannot be read is shown as a warning through interaction.
    void rebuildRegistry(Interaction& interaction);
    // Writes the registry's favourites and custom captions to the method file <base>.flt; a
    // failure is shown through interaction and returns false.
    bool saveMethodFile(Interaction& interaction) const;

    // The combination list (buffer file <base>.~buff). Created empty at the first call, so that
    // commands that do not use it never reserve its storage.
    TCombList& combList();
    bool hasCombList() const { return combs_ != nullptr; }

    // The stakes store (<base>.lsk). The object is created at the first call; the file is opened
    // and locked only by openStakes(), so that a process holding its own lock on the file (or a
    // command that never stakes) is not refused.
    TStakesStore& stakes();
    // Opens the stakes file exclusively with its version check, once; later calls only tell
    // whether it is open. Failures are reported through interaction and give false.
    bool openStakes(Progress& progress, Interaction& interaction);
    bool stakesOpen() const;
    // Whether another copy of the program works on this data folder: it holds the stakes file's
    // lock, the single-copy guard of the window. False while this session holds it itself.
    bool folderInUse() const;

    // The rating (<base>.lrt), created empty at the first call; loadRatings() reads the file
    // once (a read error is reported, gives false and leaves the rating unread for a retry).
    TRatings& ratings();
    bool loadRatings(Progress& progress, Interaction& interaction);

    // The regular table stakes (<base>.ltb), created empty at the first call; the window loads
    // them only while their tab is shown (TRegulars::load / unload).
    TRegulars& regulars();

    // The working scenario (<base>.lss), read from its working copy at the first call (a read
    // error is thrown and the next call tries again).
    TScenario& scenario();

    // The folder of the downloaded wheeling systems: <data>/Systems.
    std::filesystem::path systemsDir() const;

    // Opens the stakes file and loads the rating when not done yet, then checks every eligible
    // stake against the archive. Returns whether any stake was checked; false also when the
    // stakes file or the rating could not be opened (reported through interaction).
    bool checkStakes(Progress& progress, Interaction& interaction);

    // --- stakes and rating operations of the window (session_stakes.cpp) ---------------------
    // A new manual stake for the next draw at the current offset, with the combination list's
    // length as its list size and the combination's numbers (none: an empty set).
    TStakeRecord newManualStake(const std::optional<TComb>& combination);
    // Adds a stake for count draws and, when that succeeded, checks all stakes. Returns whether
    // the stake was added; failures are reported through interaction.
    bool addStake(const TStakeRecord& record, int count, Progress& progress, Interaction& interaction);
    // One manual stake per combination (in order, each for count draws from drawNumber, with the
    // comment), then a check of all stakes. Returns how many combinations were staked.
    int addManualStakes(const TCombsArray& combinations, int32_t drawNumber, int count, const std::string& comment,
                        Progress& progress, Interaction& interaction);
    // The profit graph of the stakes file: three series per draw number. Throws EError when the
    // file holds fewer than two draws.
    std::vector<TGraphSeries> stakesProfitGraph();
    // Appends one scenario line per rating key to the working scenario (a key that makes no line
    // is reported and skipped). Returns the number of lines added.
    int addRatingsToScenario(const std::vector<std::string>& keys, Progress& progress, Interaction& interaction);

    DrawArchive& archive() { return archive_; }
    const DrawArchive& archive() const { return archive_; }
    const TDrawsArray& draws() const { return archive_.draws(); }

    int drawsOffset() const { return archive_.drawsOffset(); }
    // Returns false when the offset was unchanged (nothing to recompute).
    bool setDrawsOffset(int offset) { return archive_.setDrawsOffset(offset); }
    // High - offset; may be below 0 when the offset hides every draw.
    int analysisEndIndex() const { return archive_.analysisEndIndex(); }

    bool sortedDraws() const { return sortedDraws_; }
    void setSortedDraws(bool on) { sortedDraws_ = on; }
    // The draw at an archive index as analyses see it: numbers ascending when sortedDraws().
    TDraw drawForAnalysis(int index) const;

    // Whether analyses compare with the full set of combinations (the norm files).
    bool normsEnabled() const { return normsEnabled_; }
    void setNormsEnabled(bool on) { normsEnabled_ = on; }
    // Whether changes of the stakes file are logged (also for a store created later).
    bool stakesLogEnabled() const { return stakesLogEnabled_; }
    void setStakesLogEnabled(bool on);

    // The input of the statistics table of a method over `window` draws ending at the analysis end
    // index (the offset applied), with the sorted switch and the settings' weights. norms: the
    // method's norm data (see methodNorms), or null for a table without norms.
    TStatTableInput statTableInput(int window, const TPrefetchData* norms = nullptr) const;
    // The norm data of the method at methodIndex when the norms switch is on and the method has a
    // norm: its norm file, built first when missing. Nothing otherwise, or when the file could not
    // be read or built (shown through interaction).
    std::optional<TPrefetchData> methodNorms(int methodIndex, Progress& progress, Interaction& interaction) const;
    // The filter step that keeps (or, with remove, removes) the combinations carrying the values of
    // the chosen rows of the method's statistics table (rowIndices: positions in rows). The step is
    // named by the method's list caption and measured from the analysis end index.
    TStatFilterRequest statFilterRequest(int methodIndex, const std::vector<TStatTableRow>& rows,
                                         const std::vector<std::size_t>& rowIndices, bool remove) const;
    // Everything a scenario run works on: the archive, registry, settings, combination list,
    // stakes and rating of this session with its switches. Opens the stakes file and loads the
    // rating first when not done yet; nothing when either fails (shown through interaction).
    std::optional<TScenarioEnv> scenarioEnv(Progress& progress, Interaction& interaction);
    // A runner of the working scenario over scenarioEnv(), reporting to progress and interaction;
    // null when the environment could not be made (shown through interaction). The runner works
    // on this session's objects: nothing else may change them while it runs.
    std::unique_ptr<TScenarioRunner> scenarioRunner(Progress& progress, Interaction& interaction);

    // The graph of the method at methodIndex over `window` draws ending at the analysis end index
    // (the offset applied), with the sorted switch. Throws EError when the method draws no graph.
    TDrawsGraph drawsGraph(int methodIndex, int window) const;
    // The repeats table over the whole archive (the offset does not apply).
    TRepeatsTable repeatsTable(int drawsLength, int depth, Progress* progress = nullptr) const;
    // The sums of the archive's draws against the sums of all combinations (the whole archive).
    TSumDistribution sumDistribution() const { return computeSumDistribution(draws()); }

    // The number grids: the card of the whole archive; the layout, a compare list and the week
    // table of the window of `window` draws ending at the analysis end index (the offset applied;
    // the layout brackets the numbers of the draw after the offset).
    TCardGrid cardGrid() const { return computeCard(draws()); }
    TLayoutGrid layoutGrid(int window) const;
    TCompareList compareList(int length) const { return computeCompareList(draws(), analysisEndIndex(), length); }
    TWeekTable weekTable(int window) const { return computeWeek(draws(), analysisEndIndex(), window); }
    // Keeps (or, with remove, removes) the combinations that hold any of the numbers, through the
    // numbers filter (NUMS) measured from the analysis end index; the applied-filter row is named
    // `name`. Numbers outside 1..69 are ignored; when none is left EError(kNoGridValuesText) is
    // thrown before the list or its undo point is touched. Returns whether the step ran.
    bool filterNumbers(const std::vector<int32_t>& numbers, const std::string& name, bool remove, Progress& progress);

    // False when the archive file exists but could not be read whole at start-up: the archive
    // then holds only what was read, and saving it would drop the rest of the file.
    bool archiveReadWhole() const { return archiveReadWhole_; }

    // Messages reported while opening when no Interaction was given.
    const std::vector<std::string>& startupMessages() const { return startupMessages_; }

private:
    void open(Progress& progress, Interaction& interaction);

    std::filesystem::path dataDir_;
    TSettings settings_;
    DrawArchive archive_;
    std::unique_ptr<TStatList, SessionStatListDeleter> registry_;
    std::unique_ptr<TCombList, SessionCombListDeleter> combs_;
    std::unique_ptr<TStakesStore> stakes_;
    std::unique_ptr<TRatings> ratings_;
    bool ratingsLoaded_ = false;
    std::unique_ptr<TRegulars> regulars_;
    std::unique_ptr<TScenario> scenario_;
    bool sortedDraws_ = false;
    bool normsEnabled_ = false;
    bool stakesLogEnabled_ = false;
    bool archiveReadWhole_ = true;
    std::vector<std::string> startupMessages_;
};

}  // namespace tavlora
