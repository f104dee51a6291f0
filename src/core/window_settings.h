#pragma once
// Placement, column widths and single keys of a window, stored in the window-settings file
// (<base>.frm) under a section named after the window's class ("TFormMain", "TFormRepeats", ...).
// No Qt: the window side turns widgets into these records (src/ui/window_settings.h).
#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

namespace tavlora {

// Window placement: the normal rectangle, whether the window is maximised, and the screen
// resolution it was stored for.
struct TWindowPlacement {
    bool valid = false;
    int left = 0, top = 0, width = 0, height = 0;
    bool maximized = false;
    int pixelsPerInch = 96;
};

// Placement keys Flags, ShowCmd, PixelsPerInch, NormPos and NormPos_<w>x<h> (screen size) of a
// section. The rectangle stored for the current screen size wins over the general one; a missing
// or unreadable rectangle gives an invalid placement (the window keeps its designed size).
TWindowPlacement loadPlacement(const std::filesystem::path& frmPath, std::string_view section, int screenWidth,
                               int screenHeight);
void savePlacement(const std::filesystem::path& frmPath, std::string_view section, const TWindowPlacement& p,
                   int screenWidth, int screenHeight);

// Column widths of a list, stored as "<listName>_Columns" = "w0,w1,..." in a section.
std::vector<int> loadColumnWidths(const std::filesystem::path& frmPath, std::string_view section,
                                  std::string_view listName);
void saveColumnWidths(const std::filesystem::path& frmPath, std::string_view section, std::string_view listName,
                      const std::vector<int>& widths);

// One integer key of a section (dialog sizes and lengths); unreadable values give the default.
int32_t readWindowKey(const std::filesystem::path& frmPath, std::string_view section, std::string_view key,
                      int32_t defaultValue);
void writeWindowKey(const std::filesystem::path& frmPath, std::string_view section, std::string_view key,
                    int32_t value);

}  // namespace tavlora
