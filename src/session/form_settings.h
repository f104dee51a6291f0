#pragma once
// The per-window keys of the main window, kept in <base>.frm, section "TFormMain". The window
// reads each key once at creation; "on change" keys are written at once when their command
// toggles them, the others (sizes and lengths) at shutdown together with the window placement.
// The command line reads the same keys for the switches the engine obeys (norms, stakes log,
// rating efficiency mode).
#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tavlora {

inline constexpr const char* kFormSection = "TFormMain";

struct TFormMainSettings {
    // Written at shutdown.
    int32_t leftPanelWidth = 335;
    int32_t drawsExclude = 0;
    int32_t drawsStatLen = 1000;
    int32_t drawsStatHeight = 131;
    int32_t drawsGraphLen = 100;
    int32_t filtersHeight = 127;
    int32_t layoutLen = 100;
    std::array<int32_t, 5> layoutCompareLen{50, 100, 200, 300, 400};
    int32_t weekLen = 1000;
    int32_t weekHeight = 131;
    int32_t layoutCompareHeight = 257;
    int32_t scriptLibraryHeight = 223;
    int32_t scriptLibraryFilter = 2;
    // Written when changed.
    int32_t weekChartMode = 0;
    bool weekChartType = false;
    bool autoUpdates = true;
    int32_t downloadDrawsOnStart = 0;  // 0 ask, 1 automatic, 2 never
    bool scriptLogEnabled = false;
    bool stakesLogEnabled = false;
    bool stakesScrollEnabled = true;
    bool stakesCheckOnLine = true;
    bool colorDraws = true;
    bool colorCombs = true;
    bool colorCard = true;
    bool colorCardSequences = true;
    bool layoutGradient = true;
    bool sortedDraws = false;
    bool prefetchsEnabled = false;
    bool showTotalLine = true;
    bool prefetchsInit = false;
    int32_t ratingsEffMode = 1;
    bool scriptLibraryOn = true;
    bool tabGraphs = true;
    bool tabCard = true;
    bool tabLayout = true;
    bool tabWeek = true;
    bool tabTables = true;
    bool systemsEnabled = true;
    int32_t language = 1033;
    bool firstRun = false;

    bool operator==(const TFormMainSettings&) const = default;
};

// Window placement: the normal rectangle, whether the window is maximised, and the screen
// resolution it was stored for.
struct TWindowPlacement {
    bool valid = false;
    int left = 0, top = 0, width = 0, height = 0;
    bool maximized = false;
    int pixelsPerInch = 96;
};

// Reads every key (missing or unreadable keys take their defaults). Throws EError when the
// file exists but cannot be read.
TFormMainSettings loadFormSettings(const std::filesystem::path& frmPath);
// Writes the keys marked "shutdown" (sizes and lengths).
void saveShutdownKeys(const std::filesystem::path& frmPath, const TFormMainSettings& s);
// Writes every key of the table.
void saveAllKeys(const std::filesystem::path& frmPath, const TFormMainSettings& s);
// Writes one key at once (boolean as "1"/"0").
void writeFormKey(const std::filesystem::path& frmPath, std::string_view key, bool value);
void writeFormKey(const std::filesystem::path& frmPath, std::string_view key, int32_t value);

// Placement keys Flags, ShowCmd, PixelsPerInch, NormPos and NormPos_<w>x<h> (screen size).
TWindowPlacement loadPlacement(const std::filesystem::path& frmPath, int screenWidth, int screenHeight);
void savePlacement(const std::filesystem::path& frmPath, const TWindowPlacement& p, int screenWidth,
                   int screenHeight);
// The same keys in the section of another window (its class name), e.g. a dialog that keeps its
// own size and position.
TWindowPlacement loadPlacement(const std::filesystem::path& frmPath, const std::string& section, int screenWidth,
                               int screenHeight);
void savePlacement(const std::filesystem::path& frmPath, const std::string& section, const TWindowPlacement& p,
                   int screenWidth, int screenHeight);

// Column widths of a list view, stored as "<name>_Columns" = "w0,w1,...".
std::vector<int> loadColumnWidths(const std::filesystem::path& frmPath, std::string_view listName);
void saveColumnWidths(const std::filesystem::path& frmPath, std::string_view listName, const std::vector<int>& widths);

}  // namespace tavlora
