#include "core/window_settings.h"

#include <functional>
#include <optional>
#include <string>

#include "core/ini_file.h"
#include "core/text_forms.h"

namespace tavlora {

namespace {

// The comma-separated numbers of a value, each in its place; an unreadable one is absent (so that
// the numbers after it keep their positions).
std::vector<std::optional<int>> readInts(std::string_view text) {
    std::vector<std::optional<int>> out;
    if (text.empty()) return out;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(',', start);
        if (end == std::string_view::npos) end = text.size();
        out.push_back(tryReadInt(text.substr(start, end - start)));
        start = end + 1;
    }
    return out;
}

std::string joinIntsText(const std::vector<int>& v) {
    std::string s;
    for (size_t i = 0; i < v.size(); ++i) {
        if (i) s += ',';
        s += std::to_string(v[i]);
    }
    return s;
}

void update(const std::filesystem::path& path, const std::function<void(IniFile&)>& change) {
    IniFile ini(path);
    change(ini);
    ini.save();
}

std::string resolutionKey(const char* base, int w, int h) {
    return std::string(base) + "_" + std::to_string(w) + "x" + std::to_string(h);
}

}  // namespace

TWindowPlacement loadPlacement(const std::filesystem::path& frmPath, std::string_view section, int screenWidth,
                               int screenHeight) {
    IniFile ini(frmPath);
    TWindowPlacement p;
    // The rectangle stored for this screen size wins over the general one.
    std::string pos = ini.readString(section, resolutionKey("NormPos", screenWidth, screenHeight));
    if (pos.empty()) pos = ini.readString(section, "NormPos");
    const auto v = readInts(pos);
    if (v.size() == 4 && v[0] && v[1] && v[2] && v[3] && *v[2] > *v[0] && *v[3] > *v[1]) {
        p.valid = true;
        p.left = *v[0];
        p.top = *v[1];
        p.width = *v[2] - *v[0];
        p.height = *v[3] - *v[1];
    }
    p.maximized = ini.readInteger(section, "ShowCmd", 1) == 3;
    p.pixelsPerInch = ini.readInteger(section, "PixelsPerInch", 96);
    return p;
}

void savePlacement(const std::filesystem::path& frmPath, std::string_view section, const TWindowPlacement& p,
                   int screenWidth, int screenHeight) {
    update(frmPath, [&](IniFile& ini) {
        const std::string rect = joinIntsText({p.left, p.top, p.left + p.width, p.top + p.height});
        ini.writeInteger(section, "Flags", 0);
        ini.writeInteger(section, "ShowCmd", p.maximized ? 3 : 1);
        ini.writeInteger(section, "PixelsPerInch", p.pixelsPerInch);
        ini.writeString(section, "NormPos", rect);
        ini.writeString(section, resolutionKey("NormPos", screenWidth, screenHeight), rect);
    });
}

std::vector<int> loadColumnWidths(const std::filesystem::path& frmPath, std::string_view section,
                                  std::string_view listName) {
    IniFile ini(frmPath);
    // An unreadable or negative width becomes 0, which leaves that column as designed.
    std::vector<int> widths;
    for (const auto& v : readInts(ini.readString(section, std::string(listName) + "_Columns")))
        widths.push_back(v && *v > 0 ? *v : 0);
    return widths;
}

void saveColumnWidths(const std::filesystem::path& frmPath, std::string_view section, std::string_view listName,
                      const std::vector<int>& widths) {
    update(frmPath,
           [&](IniFile& ini) { ini.writeString(section, std::string(listName) + "_Columns", joinIntsText(widths)); });
}

int32_t readWindowKey(const std::filesystem::path& frmPath, std::string_view section, std::string_view key,
                      int32_t defaultValue) {
    return IniFile(frmPath).readInteger(section, key, defaultValue);
}

void writeWindowKey(const std::filesystem::path& frmPath, std::string_view section, std::string_view key,
                    int32_t value) {
    update(frmPath, [&](IniFile& ini) { ini.writeInteger(section, key, value); });
}

}  // namespace tavlora
