#include "stats/stat_list.h"

#include <algorithm>
#include <exception>

#include "core/codepage.h"
#include "core/error.h"
#include "core/format.h"
#include "core/ini_file.h"
#include "core/text_forms.h"
#include "stats/stat_classes.h"

namespace tavlora {

namespace {

constexpr std::string_view kFiltersSection = "FILTERS";
constexpr std::string_view kLoadError = "Ошибка загрузки списка фильтров!\r\r";
constexpr std::string_view kSaveError = "Ошибка сохранения списка фильтров!\r\r";
constexpr int kShreddingGroup = 12;

char asciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool equalsAsciiNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (asciiUpper(a[i]) != asciiUpper(b[i])) return false;
    return true;
}

}  // namespace

// --- TStatMethod -------------------------------------------------------------------------

std::string TStatMethod::displayCaption() const {
    std::string caption = customCaption.empty() ? defaultCaption() : customCaption;
    if (class_->group == kShreddingGroup) caption = fmt(caption, captionArgument);
    return caption;
}

std::string TStatMethod::helpTopic() const { return class_->helpTopic(parameter_, list_->helpFile); }

std::unique_ptr<TCustomStat> TStatMethod::createInstance() const { return class_->create(*list_, *class_, parameter_); }

// --- TStatList ---------------------------------------------------------------------------

TStatList::TStatList(const TSettings& settings, const TDrawsArray& draws) : settings_(settings), draws_(draws) {}

void TStatList::rebuild() {
    ordered = false;
    showGroupName = true;
    showMethodFlags = true;
    allFavourites = true;
    methods_.clear();
    for (const TStatRegistryEntry& entry : statRegistryOrder()) {
        const TStatClassInfo* cls = entry.info;
        if (!cls || !cls->available) continue;
        auto add = [&](int parameter) {
            auto m = std::make_unique<TStatMethod>(*this, *cls, parameter);
            if (cls->group == kShreddingGroup && parameter >= 1 && parameter <= 3)
                m->captionArgument = settings_.formulas[static_cast<size_t>(parameter - 1)];
            methods_.push_back(std::move(m));
        };
        if (cls->multiInstance) {
            const TStatInstanceRange r = cls->instanceRange(settings_);
            for (int p = r.lower; p <= r.upper; ++p) add(p);
        } else {
            add(0);
        }
    }
    codeIndex_.clear();
    for (size_t i = 0; i < methods_.size(); ++i) codeIndex_[toUpperUtf8(methods_[i]->code())].push_back(static_cast<int>(i));
}

std::string TStatList::listCaption(int index, bool decorate) const {
    const TStatMethod& m = item(index);
    std::string caption = m.displayCaption();
    if (showGroupName) caption = fmt("{ %1:s } %0:s", caption, std::string(groupCode(m.statClass().group)));
    const TStatKinds kinds = m.statClass().kindsWithGraph();
    if (decorate && showMethodFlags && kinds != 0) caption = fmt("%0:s [ %1:s ]", caption, kindLetters(kinds));
    return caption;
}

std::vector<int> TStatList::methodListIndices(bool graphOnly) const {
    std::vector<int> out;
    for (int i = 0; i < count(); ++i)
        if (available(i) && listed(i) && shown(i) && (!graphOnly || isGraph(i))) out.push_back(i);
    if (ordered) {
        std::vector<std::pair<std::string, int>> keyed;
        for (int i : out) keyed.emplace_back(toUpperUtf8(listCaption(i, true)), i);
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (size_t k = 0; k < keyed.size(); ++k) out[k] = keyed[k].second;
    }
    return out;
}

std::unique_ptr<TCustomStat> TStatList::instanceFromSelection(const TStatMethod* selected,
                                                             std::string_view boxName) const {
    if (!selected) throw EError(fmt("Не выбран метод расчета статистики (cb: %s)!", std::string(boxName)));
    return selected->createInstance();
}

std::unique_ptr<TCustomStat> TStatList::instanceFromSelection(int selectedIndex, std::string_view boxName) const {
    const TStatMethod* m = selectedIndex >= 0 && selectedIndex < count() ? &item(selectedIndex) : nullptr;
    return instanceFromSelection(m, boxName);
}

std::string TStatList::favouritesText() const {
    if (allFavourites) return {};
    std::string out;
    bool first = true;
    for (const auto& m : methods_) {
        if (!m->favourite) continue;
        if (!first) out += ',';
        out += m->code();
        first = false;
    }
    return out;
}

void TStatList::applyFavouritesText(std::string_view text) {
    if (trimText(text).empty()) {
        selectAll();
        return;
    }
    allFavourites = false;
    std::vector<std::string_view> words;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        words.push_back(text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    for (auto& m : methods_) {
        const std::string code = m->code();
        m->favourite = false;
        for (std::string_view w : words) {
            if (equalsAsciiNoCase(w, code)) {
                m->favourite = true;
                break;
            }
        }
    }
}

void TStatList::selectAll() {
    allFavourites = true;
    for (auto& m : methods_) m->favourite = true;
}

void TStatList::normaliseFavourites() {
    size_t favourites = 0;
    for (const auto& m : methods_) favourites += m->favourite ? 1 : 0;
    if (favourites == 0) {
        selectAll();
    } else if (favourites == methods_.size()) {
        allFavourites = true;
    } else {
        allFavourites = false;
    }
}

int TStatList::methodByCode(std::string_view text) const {
    // The longest code the text begins with wins, the first in registry order among equally long
    // ones: "ROW10:5" names ROW10 even though ROW1, a prefix of it, comes first in the registry.
    int found = -1;
    size_t foundSize = 0;
    for (int i = 0; i < count(); ++i) {
        const std::string code = item(i).code();
        if (code.size() > foundSize && text.size() >= code.size() &&
            equalsAsciiNoCase(text.substr(0, code.size()), code)) {
            found = i;
            foundSize = code.size();
        }
    }
    return found;
}

int TStatList::methodWithCode(std::string_view code) const {
    for (int i = 0; i < count(); ++i)
        if (equalsAsciiNoCase(code, item(i).code())) return i;
    return -1;
}

void TStatList::applyMethodFile(const IniFile& ini, bool withFilters) {
    if (withFilters) {
        applyFavouritesText(ini.readString(kFiltersSection, "Favorites", favouritesText()));
        // A favourites text that names no method of the registry would leave every method list
        // empty: all methods are favourites then, as after "Выбрать все".
        normaliseFavourites();
        ordered = ini.readBool(kFiltersSection, "Ordered", ordered);
        showGroupName = ini.readBool(kFiltersSection, "ShowGroupName", showGroupName);
        showMethodFlags = ini.readBool(kFiltersSection, "ShowMethodFlags", showMethodFlags);
    }
    // Each key of the captions section is looked up among the codes once: a file holds a few
    // captions, the registry some hundreds of methods. The first of equal keys (case ignored)
    // gives the caption, as a lookup of the code would.
    for (auto& m : methods_) m->customCaption.clear();
    const std::string section = stringsSection();
    std::vector<bool> taken(methods_.size(), false);
    for (const std::string& key : ini.sectionKeys(section)) {
        const auto found = codeIndex_.find(toUpperUtf8(trimText(key)));
        if (found == codeIndex_.end()) continue;
        std::string caption;
        for (const int i : found->second) {
            if (taken[static_cast<size_t>(i)]) continue;
            if (caption.empty()) caption = std::string(trimText(ini.readString(section, key, "")));
            taken[static_cast<size_t>(i)] = true;
            methods_[static_cast<size_t>(i)]->customCaption = caption;
        }
    }
}

void TStatList::writeMethodFile(IniFile& ini, bool withFilters, bool allCaptions) const {
    if (withFilters) {
        ini.writeString(kFiltersSection, "Favorites", favouritesText());
        ini.writeBool(kFiltersSection, "Ordered", ordered);
        ini.writeBool(kFiltersSection, "ShowGroupName", showGroupName);
        ini.writeBool(kFiltersSection, "ShowMethodFlags", showMethodFlags);
    }
    const std::string section = stringsSection();
    ini.eraseSection(section);
    for (const auto& m : methods_) {
        if (allCaptions)
            ini.writeString(section, m->code(), m->displayCaption());
        else if (!m->customCaption.empty())
            ini.writeString(section, m->code(), m->customCaption);
    }
}

void TStatList::loadMethodFile(const std::filesystem::path& path, bool withFilters) {
    try {
        applyMethodFile(IniFile(path), withFilters);
    } catch (const std::exception& e) {
        throw EError(std::string(kLoadError) + e.what());
    }
}

void TStatList::saveMethodFile(const std::filesystem::path& path, bool withFilters, bool allCaptions) const {
    try {
        IniFile ini(path);
        writeMethodFile(ini, withFilters, allCaptions);
        ini.saveAs(path);
    } catch (const std::exception& e) {
        throw EError(std::string(kSaveError) + e.what());
    }
}

bool TStatList::loadMethodFile(const std::filesystem::path& path, bool withFilters, Interaction& interaction) {
    try {
        loadMethodFile(path, withFilters);
        return true;
    } catch (const EError& e) {
        interaction.warning(e.what());
        return false;
    }
}

bool TStatList::saveMethodFile(const std::filesystem::path& path, bool withFilters, bool allCaptions,
                               Interaction& interaction) const {
    try {
        saveMethodFile(path, withFilters, allCaptions);
        return true;
    } catch (const EError& e) {
        interaction.warning(e.what());
        return false;
    }
}

}  // namespace tavlora
