#include "session/form_settings.h"

#include <functional>
#include <sstream>

#include "core/ini_file.h"
#include "core/text_forms.h"

namespace tavlora {

namespace {

// One table drives reading and writing so that no key is forgotten on either side.
struct IntKey {
    const char* key;
    int32_t TFormMainSettings::*field;
    bool shutdown;
};
struct BoolKey {
    const char* key;
    bool TFormMainSettings::*field;
};

const std::vector<IntKey>& intKeys() {
    static const std::vector<IntKey> keys{
        {"LeftPanelWidth", &TFormMainSettings::leftPanelWidth, true},
        {"DrawsExclude", &TFormMainSettings::drawsExclude, true},
        {"DrawsStatLen", &TFormMainSettings::drawsStatLen, true},
        {"DrawsStatHeight", &TFormMainSettings::drawsStatHeight, true},
        {"DrawsGraphLen", &TFormMainSettings::drawsGraphLen, true},
        {"FiltersHeight", &TFormMainSettings::filtersHeight, true},
        {"LayoutLen", &TFormMainSettings::layoutLen, true},
        {"WeekLen", &TFormMainSettings::weekLen, true},
        {"WeekHeight", &TFormMainSettings::weekHeight, true},
        {"LayoutCompareHeight", &TFormMainSettings::layoutCompareHeight, true},
        {"ScriptLibraryHeight", &TFormMainSettings::scriptLibraryHeight, true},
        {"ScriptLibraryFilter", &TFormMainSettings::scriptLibraryFilter, true},
        {"WeekChartMode", &TFormMainSettings::weekChartMode, false},
        {"DownloadDrawsOnStart", &TFormMainSettings::downloadDrawsOnStart, false},
        {"RatingsEffMode", &TFormMainSettings::ratingsEffMode, false},
        {"Language", &TFormMainSettings::language, false},
    };
    return keys;
}

const std::vector<BoolKey>& boolKeys() {
    static const std::vector<BoolKey> keys{
        {"WeekChartType", &TFormMainSettings::weekChartType},
        {"AutoUpdates", &TFormMainSettings::autoUpdates},
        {"ScriptLogEnabled", &TFormMainSettings::scriptLogEnabled},
        {"StakesLogEnabled", &TFormMainSettings::stakesLogEnabled},
        {"StakesScrollEnabled", &TFormMainSettings::stakesScrollEnabled},
        {"StakesCheckOnLine", &TFormMainSettings::stakesCheckOnLine},
        {"ColorDraws", &TFormMainSettings::colorDraws},
        {"ColorCombs", &TFormMainSettings::colorCombs},
        {"ColorCard", &TFormMainSettings::colorCard},
        {"ColorCardSequences", &TFormMainSettings::colorCardSequences},
        {"LayoutGradient", &TFormMainSettings::layoutGradient},
        {"SortedDraws", &TFormMainSettings::sortedDraws},
        {"PrefetchsEnabled", &TFormMainSettings::prefetchsEnabled},
        {"ShowTotalLine", &TFormMainSettings::showTotalLine},
        {"PrefetchsInit", &TFormMainSettings::prefetchsInit},
        {"ScriptLibraryOn", &TFormMainSettings::scriptLibraryOn},
        {"TabGraphs", &TFormMainSettings::tabGraphs},
        {"TabCard", &TFormMainSettings::tabCard},
        {"TabLayout", &TFormMainSettings::tabLayout},
        {"TabWeek", &TFormMainSettings::tabWeek},
        {"TabTables", &TFormMainSettings::tabTables},
        {"SystemsEnabled", &TFormMainSettings::systemsEnabled},
        {"FirstRun", &TFormMainSettings::firstRun},
    };
    return keys;
}

std::string compareKey(int i) { return "LayoutCompareLen" + std::to_string(i + 1); }

void update(const std::filesystem::path& path, const std::function<void(IniFile&)>& change) {
    IniFile ini(path);
    change(ini);
    ini.save();
}

}  // namespace

TFormMainSettings loadFormSettings(const std::filesystem::path& frmPath) {
    IniFile ini(frmPath);
    TFormMainSettings s;
    for (const auto& k : intKeys()) s.*k.field = ini.readInteger(kFormSection, k.key, s.*k.field);
    for (const auto& k : boolKeys()) s.*k.field = ini.readBool(kFormSection, k.key, s.*k.field);
    for (int i = 0; i < 5; ++i)
        s.layoutCompareLen[i] = ini.readInteger(kFormSection, compareKey(i), s.layoutCompareLen[i]);
    return s;
}

void saveShutdownKeys(const std::filesystem::path& frmPath, const TFormMainSettings& s) {
    update(frmPath, [&](IniFile& ini) {
        for (const auto& k : intKeys())
            if (k.shutdown) ini.writeInteger(kFormSection, k.key, s.*k.field);
        for (int i = 0; i < 5; ++i) ini.writeInteger(kFormSection, compareKey(i), s.layoutCompareLen[i]);
    });
}

void saveAllKeys(const std::filesystem::path& frmPath, const TFormMainSettings& s) {
    update(frmPath, [&](IniFile& ini) {
        for (const auto& k : intKeys()) ini.writeInteger(kFormSection, k.key, s.*k.field);
        for (const auto& k : boolKeys()) ini.writeBool(kFormSection, k.key, s.*k.field);
        for (int i = 0; i < 5; ++i) ini.writeInteger(kFormSection, compareKey(i), s.layoutCompareLen[i]);
    });
}

void writeFormKey(const std::filesystem::path& frmPath, std::string_view key, bool value) {
    update(frmPath, [&](IniFile& ini) { ini.writeBool(kFormSection, key, value); });
}

void writeFormKey(const std::filesystem::path& frmPath, std::string_view key, int32_t value) {
    update(frmPath, [&](IniFile& ini) { ini.writeInteger(kFormSection, key, value); });
}

namespace {

std::vector<int> readInts(std::string_view text) {
    std::vector<int> out;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(',', start);
        if (end == std::string_view::npos) end = text.size();
        if (auto v = tryReadInt(text.substr(start, end - start))) out.push_back(*v);
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

std::string resolutionKey(const char* base, int w, int h) {
    return std::string(base) + "_" + std::to_string(w) + "x" + std::to_string(h);
}

}  // namespace

TWindowPlacement loadPlacement(const std::filesystem::path& frmPath, int screenWidth, int screenHeight) {
    return loadPlacement(frmPath, kFormSection, screenWidth, screenHeight);
}

void savePlacement(const std::filesystem::path& frmPath, const TWindowPlacement& p, int screenWidth,
                   int screenHeight) {
    savePlacement(frmPath, kFormSection, p, screenWidth, screenHeight);
}

TWindowPlacement loadPlacement(const std::filesystem::path& frmPath, const std::string& section, int screenWidth,
                               int screenHeight) {
    IniFile ini(frmPath);
    TWindowPlacement p;
    // The rectangle stored for this screen size wins over the general one.
    std::string pos = ini.readString(section, resolutionKey("NormPos", screenWidth, screenHeight));
    if (pos.empty()) pos = ini.readString(section, "NormPos");
    const auto v = readInts(pos);
    if (v.size() == 4 && v[2] > v[0] && v[3] > v[1]) {
        p.valid = true;
        p.left = v[0];
        p.top = v[1];
        p.width = v[2] - v[0];
        p.height = v[3] - v[1];
    }
    p.maximized = ini.readInteger(section, "ShowCmd", 1) == 3;
    p.pixelsPerInch = ini.readInteger(section, "PixelsPerInch", 96);
    return p;
}

void savePlacement(const std::filesystem::path& frmPath, const std::string& section, const TWindowPlacement& p,
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

std::vector<int> loadColumnWidths(const std::filesystem::path& frmPath, std::string_view listName) {
    IniFile ini(frmPath);
    return readInts(ini.readString(kFormSection, std::string(listName) + "_Columns"));
}

void saveColumnWidths(const std::filesystem::path& frmPath, std::string_view listName, const std::vector<int>& widths) {
    update(frmPath,
           [&](IniFile& ini) { ini.writeString(kFormSection, std::string(listName) + "_Columns", joinIntsText(widths)); });
}

}  // namespace tavlora
