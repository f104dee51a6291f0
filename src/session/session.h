#pragma once
// The open data folder as one object: the settings, the draw archive with its offset, the
// display switches shared by every analysis, the statistics method registry, the combination
// list, the stakes store, the rating and the working scenario. The GUI's main window and the
// command line both work through a Session.
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "archive/draw_archive.h"
#include "core/interaction.h"
#include "core/progress.h"
#include "core/records.h"
#include "core/settings.h"

namespace tavlora {

inline constexpr std::string_view kBaseName = "Tavlora_5d69";

class TStatList;
class TCombList;
class TStakesStore;
class TRatings;
class TScenario;
struct SessionStatListDeleter {
    void operator()(TStatList* list) const;
};
struct SessionCombListDeleter {
    void operator()(TCombList* list) const;
};

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

    // The program settings: the ones the method registry holds (one copy for the whole session).
    TSettings& settings();
    const TSettings& settings() const;

    // The method registry over this session's archive and settings, rebuilt at opening (after the
    // settings were read) with the method file <base>.flt applied when it exists.
    TStatList& statList() { return *registry_; }
    const TStatList& statList() const { return *registry_; }

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

    // The rating (<base>.lrt), created empty at the first call; loadRatings() reads the file
    // once (a read error is reported, gives false and leaves the rating unread for a retry).
    TRatings& ratings();
    bool loadRatings(Progress& progress, Interaction& interaction);

    // The working scenario (<base>.lss), read from its working copy at the first call (a read
    // error is thrown and the next call tries again).
    TScenario& scenario();

    // The folder of the downloaded wheeling systems: <data>/Systems.
    std::filesystem::path systemsDir() const;

    // Opens the stakes file and loads the rating when not done yet, then checks every eligible
    // stake against the archive. Returns whether any stake was checked; false also when the
    // stakes file or the rating could not be opened (reported through interaction).
    bool checkStakes(Progress& progress, Interaction& interaction);

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

    // False when the archive file exists but could not be read whole at start-up: the archive
    // then holds only what was read, and saving it would drop the rest of the file.
    bool archiveReadWhole() const { return archiveReadWhole_; }

    // Messages reported while opening when no Interaction was given.
    const std::vector<std::string>& startupMessages() const { return startupMessages_; }

private:
    void open(Progress& progress, Interaction& interaction);

    std::filesystem::path dataDir_;
    std::unique_ptr<TStatList, SessionStatListDeleter> registry_;
    DrawArchive archive_;
    std::unique_ptr<TCombList, SessionCombListDeleter> combs_;
    std::unique_ptr<TStakesStore> stakes_;
    std::unique_ptr<TRatings> ratings_;
    bool ratingsLoaded_ = false;
    std::unique_ptr<TScenario> scenario_;
    bool sortedDraws_ = false;
    bool archiveReadWhole_ = true;
    std::vector<std::string> startupMessages_;
};

}  // namespace tavlora
