#pragma once
// The method registry: one TStatMethod per selectable method (a class plus a parameter) in the
// fixed registry order, and the favourites and custom captions with their method file. It reads
// the program settings and the draws of its owner (the session, or a test).
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/interaction.h"
#include "core/records.h"
#include "core/settings.h"
#include "stats/custom_stat.h"

namespace tavlora {

class TStatList;
class IniFile;

inline constexpr std::string_view kMethodFileName = "Tavlora_5d69.flt";
inline constexpr int kHelpLanguage = 1049;

// One selectable method of the registry.
class TStatMethod {
public:
    TStatMethod(const TStatList& list, const TStatClassInfo& cls, int parameter)
        : list_(&list), class_(&cls), parameter_(parameter), code_(cls.formattedCode(parameter)) {}

    const TStatClassInfo& statClass() const { return *class_; }
    int parameter() const { return parameter_; }

    bool favourite = true;
    std::string customCaption;    // the user's caption; empty when none
    std::string captionArgument;  // the shredding formula of a group-12 method

    // Formatted once: the method lists, the method file and every scenario filter look methods
    // up by code.
    const std::string& code() const { return code_; }
    std::string defaultCaption() const { return class_->formattedCaption(parameter_); }
    // The custom caption when set, else the default caption; a group-12 caption is formatted once
    // more with the caption argument.
    std::string displayCaption() const;
    std::string helpTopic() const;
    bool acceptsTypedValues() const { return class_->acceptsTypedValues; }
    // A new instance of the method; the caller owns it.
    std::unique_ptr<TCustomStat> createInstance() const;

private:
    const TStatList* list_;
    const TStatClassInfo* class_;
    int parameter_;
    std::string code_;
};

class TStatList {
public:
    // A registry over the settings and the draws that its methods read. Both stay the caller's
    // and must outlive the registry; a change of the settings takes effect at the next rebuild()
    // (instance ranges, shredding captions) and in methods created after it. Empty until rebuilt.
    TStatList(const TSettings& settings, const TDrawsArray& draws);
    TStatList(const TStatList&) = delete;
    TStatList& operator=(const TStatList&) = delete;

    const TDrawsArray& draws() const { return draws_; }
    const TSettings& settings() const { return settings_; }
    // The help file of the method descriptions (empty: none).
    std::string helpFile;
    // Three-letter abbreviation of the interface language ("STRINGS_%s" section of the method file).
    std::string languageAbbreviation = "RUS";

    bool ordered = false;
    bool showGroupName = true;
    bool showMethodFlags = true;
    bool allFavourites = true;

    // Resets the display options, then adds one method per available class in registry order
    // (one per parameter of a multi-instance class's range).
    void rebuild();

    int count() const { return static_cast<int>(methods_.size()); }
    TStatMethod& item(int index) { return *methods_.at(static_cast<size_t>(index)); }
    const TStatMethod& item(int index) const { return *methods_.at(static_cast<size_t>(index)); }
    bool available(int index) const { return item(index).statClass().available; }
    bool listed(int index) const { return item(index).statClass().listed; }
    bool isGraph(int index) const { return item(index).statClass().isGraph; }
    bool hasNorm(int index) const { return item(index).statClass().hasNorm(); }
    bool shown(int index) const { return allFavourites || item(index).favourite; }
    // The display caption with the group code ("{ sum } ...") when show group name is on, and with
    // the kind letters ("... [ NG ]") when decorate and show method flags are on.
    std::string listCaption(int index, bool decorate) const;
    std::unique_ptr<TCustomStat> createInstance(int index) const { return item(index).createInstance(); }
    // The methods a method list offers: available, listed and shown (and graph methods only when
    // graphOnly), in registry order, or by list caption without regard to case when ordered is set.
    std::vector<int> methodListIndices(bool graphOnly) const;
    // A new instance of the method chosen in a method list; throws "Не выбран метод расчета
    // статистики (cb: <boxName>)!" when none is chosen.
    std::unique_ptr<TCustomStat> instanceFromSelection(const TStatMethod* selected, std::string_view boxName) const;
    std::unique_ptr<TCustomStat> instanceFromSelection(int selectedIndex, std::string_view boxName) const;

    // Codes of the favourite methods joined by ","; empty when all favourites is set.
    std::string favouritesText() const;
    void applyFavouritesText(std::string_view text);
    void selectAll();
    void normaliseFavourites();

    // Index of the method whose formatted code begins `text` (ASCII case ignored): the longest such
    // code, the first in registry order among equally long ones; -1 when none.
    int methodByCode(std::string_view text) const;
    // Index of the method whose formatted code equals `code` exactly (case ignored); -1 when none.
    int methodWithCode(std::string_view code) const;

    // Method file (favourites and custom captions). Failures throw EError with "Ошибка загрузки
    // списка фильтров!\r\r<reason>" / "Ошибка сохранения списка фильтров!\r\r<reason>"; what was
    // applied before a load failure stays applied.
    void loadMethodFile(const std::filesystem::path& path, bool withFilters);
    void saveMethodFile(const std::filesystem::path& path, bool withFilters, bool allCaptions) const;
    // The same, showing a failure as a warning and returning false.
    bool loadMethodFile(const std::filesystem::path& path, bool withFilters, Interaction& interaction);
    bool saveMethodFile(const std::filesystem::path& path, bool withFilters, bool allCaptions,
                        Interaction& interaction) const;
    // The method file's contents already read (load) or to be written (save): the file readers
    // above go through these.
    void applyMethodFile(const IniFile& ini, bool withFilters);
    void writeMethodFile(IniFile& ini, bool withFilters, bool allCaptions) const;

private:
    std::string stringsSection() const { return "STRINGS_" + languageAbbreviation; }

    const TSettings& settings_;
    const TDrawsArray& draws_;
    std::vector<std::unique_ptr<TStatMethod>> methods_;
    // Indices of the methods by code in capitals (codes repeat only across classes, if ever).
    std::unordered_map<std::string, std::vector<int>> codeIndex_;
};

}  // namespace tavlora
