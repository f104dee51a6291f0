#pragma once
// The keys of a dialog that keeps its own section of the window settings file (<base>.frm): its
// placement under the same keys as the main window's, its column widths and its own integers.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "session/form_settings.h"

namespace tavlora {

class TFormSectionKeys {
public:
    TFormSectionKeys(std::filesystem::path frmPath, std::string section)
        : path_(std::move(frmPath)), section_(std::move(section)) {}

    const std::string& section() const { return section_; }

    // Missing or unreadable keys give their defaults; reads of an unreadable file throw EError.
    TWindowPlacement placement(int screenWidth, int screenHeight) const;
    int32_t readInteger(std::string_view key, int32_t def) const;
    std::vector<int> columnWidths(std::string_view listName) const;

    // Writes go through a whole-file rewrite; a failure throws EError and leaves the file whole.
    void savePlacement(const TWindowPlacement& p, int screenWidth, int screenHeight) const;
    void writeInteger(std::string_view key, int32_t value) const;
    void saveColumnWidths(std::string_view listName, const std::vector<int>& widths) const;

private:
    std::filesystem::path path_;
    std::string section_;
};

}  // namespace tavlora
