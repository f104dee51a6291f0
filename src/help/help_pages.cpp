#include "help/help_pages.h"

#include <cstdio>

#include "help/help_data.h"
#include "stats/custom_stat.h"
#include "stats/stat_list.h"

namespace tavlora {

namespace {

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    return true;
}

}  // namespace

std::optional<std::string_view> helpPage(std::string_view fileName) {
    for (std::size_t i = 0; i < help_data::kPageCount; ++i) {
        const help_data::TEmbeddedPage& p = help_data::kPages[i];
        if (equalNoCase(fileName, p.name)) return std::string_view(reinterpret_cast<const char*>(p.data), p.size);
    }
    return std::nullopt;
}

std::vector<std::string_view> helpPageNames() {
    std::vector<std::string_view> names;
    names.reserve(help_data::kPageCount);
    for (std::size_t i = 0; i < help_data::kPageCount; ++i) names.emplace_back(help_data::kPages[i].name);
    return names;
}

std::string methodHelpFile(const TStatClassInfo& cls) {
    std::string base = cls.baseCodeText();
    for (size_t at = base.find("%d"); at != std::string::npos; at = base.find("%d", at)) base.erase(at, 2);
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "Filters_%.4d_", kHelpLanguage);
    return prefix + base + ".htm";
}

std::string methodHelpFile(const TStatMethod& method) { return methodHelpFile(method.statClass()); }

}  // namespace tavlora
