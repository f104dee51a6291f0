#pragma once
// The open data folder as one object: the settings, the draw archive with its offset and the
// display switches shared by every analysis. The GUI's main window and the command line both
// work through a Session.
#include <filesystem>
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

class Session {
public:
    // Opens the data folder (created when missing), loads the settings from <base>.ini and the
    // archive from <base>.ldr. The offset starts at 0. Messages of the start-up (a read error
    // of the archive) go to interaction; start-up continues after them.
    Session(std::filesystem::path dataDir, Progress& progress, Interaction& interaction);
    // Same, silently: start-up messages are kept in startupMessages().
    explicit Session(std::filesystem::path dataDir);

    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    std::filesystem::path dataDir() const { return dataDir_; }
    // <data>/Tavlora_5d69<extension>, e.g. filePath(".ldr").
    std::filesystem::path filePath(std::string_view extension) const;

    TSettings& settings() { return settings_; }
    const TSettings& settings() const { return settings_; }

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
    TSettings settings_;
    DrawArchive archive_;
    bool sortedDraws_ = false;
    bool archiveReadWhole_ = true;
    std::vector<std::string> startupMessages_;
};

}  // namespace tavlora
