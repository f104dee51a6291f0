#include "session/form_section.h"

#include "core/ini_file.h"
#include "core/text_forms.h"

namespace tavlora {

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

std::string joinInts(const std::vector<int>& v) {
    std::string s;
    for (size_t i = 0; i < v.size(); ++i) s += (i ? "," : "") + std::to_string(v[i]);
    return s;
}

std::string sizedKey(int w, int h) { return "NormPos_" + std::to_string(w) + "x" + std::to_string(h); }

}  // namespace

TWindowPlacement TFormSectionKeys::placement(int screenWidth, int screenHeight) const {
    const IniFile ini(path_);
    TWindowPlacement p;
    // The rectangle stored for this screen size wins over the general one.
    std::string pos = ini.readString(section_, sizedKey(screenWidth, screenHeight));
    if (pos.empty()) pos = ini.readString(section_, "NormPos");
    const auto v = readInts(pos);
    if (v.size() == 4 && v[2] > v[0] && v[3] > v[1]) {
        p.valid = true;
        p.left = v[0];
        p.top = v[1];
        p.width = v[2] - v[0];
        p.height = v[3] - v[1];
    }
    p.maximized = ini.readInteger(section_, "ShowCmd", 1) == 3;
    p.pixelsPerInch = ini.readInteger(section_, "PixelsPerInch", 96);
    return p;
}

int32_t TFormSectionKeys::readInteger(std::string_view key, int32_t def) const {
    return IniFile(path_).readInteger(section_, key, def);
}

std::vector<int> TFormSectionKeys::columnWidths(std::string_view listName) const {
    return readInts(IniFile(path_).readString(section_, std::string(listName) + "_Columns"));
}

void TFormSectionKeys::savePlacement(const TWindowPlacement& p, int screenWidth, int screenHeight) const {
    IniFile ini(path_);
    const std::string rect = joinInts({p.left, p.top, p.left + p.width, p.top + p.height});
    ini.writeInteger(section_, "Flags", 0);
    ini.writeInteger(section_, "ShowCmd", p.maximized ? 3 : 1);
    ini.writeInteger(section_, "PixelsPerInch", p.pixelsPerInch);
    ini.writeString(section_, "NormPos", rect);
    ini.writeString(section_, sizedKey(screenWidth, screenHeight), rect);
    ini.save();
}

void TFormSectionKeys::writeInteger(std::string_view key, int32_t value) const {
    IniFile ini(path_);
    ini.writeInteger(section_, key, value);
    ini.save();
}

void TFormSectionKeys::saveColumnWidths(std::string_view listName, const std::vector<int>& widths) const {
    IniFile ini(path_);
    ini.writeString(section_, std::string(listName) + "_Columns", joinInts(widths));
    ini.save();
}

}  // namespace tavlora
