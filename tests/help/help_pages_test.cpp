// The embedded help: every statistics method has its description page in the common shape, the
// pages are self-contained and linked from the index, and the program pages exist.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "help/help_pages.h"
#include "help/html_text.h"
#include "scenario/scenario_line.h"
#include "stats/stat_classes.h"
#include "stats/stat_list.h"

using namespace tavlora;

namespace {

const std::vector<std::string> kHeadings = {"Что вычисляется", "Значения", "Параметры и настройки", "Как использовать",
                                            "Пример"};

// Settings under which the instance ranges of the channel, matrix and segment classes differ from
// the defaults (7 columns, channels of 10, one segment).
struct Layout {
    const char* name;
    int cols;
    int channel;
    int segmentCycle;  // segments 1..cycle repeated over the numbers; 1 = all in segment 1
};
const Layout kLayouts[] = {
    {"default", 7, 10, 1},
    {"wide matrix, narrow channels, nine segments", 10, 5, 9},
    {"one column, channels of 4, three segments", 1, 4, 3},
    {"one row, one channel", 69, 69, 2},
};

// A registry built over the settings of one layout (and no draws).
struct LayoutRegistry {
    explicit LayoutRegistry(const Layout& l) {
        TConfigData& c = settings.config;
        c.matrixCols = l.cols;
        c.channelSize = l.channel;
        for (int n = 0; n < 69; ++n) c.segments[static_cast<size_t>(n)] = static_cast<uint8_t>(n % l.segmentCycle + 1);
        list.rebuild();
    }
    TSettings settings;
    TDrawsArray draws;
    TStatList list{settings, draws};
};

std::string between(std::string_view s, std::string_view open, std::string_view close, size_t from = 0) {
    const size_t a = s.find(open, from);
    if (a == std::string_view::npos) return {};
    const size_t b = s.find(close, a + open.size());
    if (b == std::string_view::npos) return {};
    return std::string(s.substr(a + open.size(), b - a - open.size()));
}

// Text of an HTML fragment on one line per block, for comparisons.
std::string plain(std::string_view html) { return htmlToText(html, 0); }

struct PageParts {
    std::string title;
    std::string h1;
    std::string codeParagraph;
    std::string body;
    std::vector<std::pair<std::string, std::string>> sections;  // heading, plain text
};

PageParts parsePage(std::string_view html) {
    PageParts p;
    p.title = plain(between(html, "<title>", "</title>"));
    p.h1 = plain(between(html, "<h1>", "</h1>"));
    p.codeParagraph = plain(between(html, "<p class=\"code\">", "</p>"));
    p.body = plain(between(html, "<body>", "</body>"));
    const std::string body = between(html, "<body>", "</body>");
    for (size_t at = body.find("<h2>"); at != std::string::npos;) {
        const size_t headEnd = body.find("</h2>", at);
        if (headEnd == std::string::npos) break;
        const std::string heading = plain(body.substr(at + 4, headEnd - at - 4));
        const size_t next = body.find("<h2>", headEnd);
        const std::string text = body.substr(headEnd + 5, (next == std::string::npos ? body.size() : next) - headEnd - 5);
        p.sections.emplace_back(heading.substr(0, heading.find_last_not_of('\n') + 1), plain(text));
        at = next;
    }
    return p;
}

bool isWordChar(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); }

// True when token occurs in text not glued to further letters or digits (COL1 is not in COL10).
bool containsToken(std::string_view text, std::string_view token) {
    for (size_t at = text.find(token); at != std::string_view::npos; at = text.find(token, at + 1)) {
        const bool before = at == 0 || !isWordChar(text[at - 1]) || !isWordChar(token.front());
        const size_t end = at + token.size();
        const bool after = end >= text.size() || !isWordChar(text[end]) || !isWordChar(token.back());
        if (before && after) return true;
    }
    return false;
}

struct ClassCase {
    int number;
    const TStatClassInfo* info;
};
void PrintTo(const ClassCase& c, std::ostream* os) { *os << c.number << " " << c.info->className; }

std::vector<ClassCase> registryClasses() {
    std::vector<ClassCase> out;
    for (const TStatRegistryEntry& e : statRegistryOrder())
        if (e.info && e.info->available) out.push_back({e.number, e.info});
    return out;
}

// The classes whose methods are described by the page of this file name.
std::vector<const TStatClassInfo*> classesOfPage(const std::string& file) {
    std::vector<const TStatClassInfo*> out;
    for (const ClassCase& c : registryClasses())
        if (methodHelpFile(*c.info) == file) out.push_back(c.info);
    return out;
}

class MethodPage : public testing::TestWithParam<ClassCase> {};

TEST_P(MethodPage, DescribesEveryInstanceOfItsClass) {
    const TStatClassInfo& cls = *GetParam().info;
    const std::string file = methodHelpFile(cls);
    const auto page = helpPage(file);
    ASSERT_TRUE(page) << cls.className << ": no page " << file;
    const PageParts parts = parsePage(*page);

    std::vector<std::string> headings;
    for (const auto& s : parts.sections) headings.push_back(s.first);
    EXPECT_EQ(headings, kHeadings) << file;
    for (const auto& [heading, text] : parts.sections) {
        // "Нет." is a whole answer for the parameters; the other sections describe something.
        const size_t least = heading == "Параметры и настройки" ? 4 : 120;
        EXPECT_GE(text.size(), least) << file << ": section \"" << heading << "\" is too short to describe anything";
    }
    EXPECT_FALSE(parts.h1.empty()) << file;
    EXPECT_NE(parts.title.find(" — "), std::string::npos) << file << ": title \"" << parts.title << "\"";

    // The code paragraph names the group and says whether the class serves the graphs.
    EXPECT_NE(parts.codeParagraph.find(std::string(groupCaption(cls.group))), std::string::npos)
        << file << ": the group caption of " << cls.className << " is missing from \"" << parts.codeParagraph << "\"";
    bool graph = false;
    for (const TStatClassInfo* c : classesOfPage(file)) graph = graph || c->isGraph;
    EXPECT_EQ(parts.codeParagraph.find("график") != std::string::npos, graph)
        << file << ": the kinds in \"" << parts.codeParagraph << "\" disagree with the graph mark";

    // Every method of the class, under several layouts, is named by the page: by its own code or by
    // the class's code pattern.
    const std::string pageText = plain(*page);
    int walked = 0;
    for (const Layout& layout : kLayouts) {
        LayoutRegistry registry(layout);
        const TStatList& list = registry.list;
        for (int i = 0; i < list.count(); ++i) {
            const TStatMethod& m = list.item(i);
            if (&m.statClass() != &cls) continue;
            ++walked;
            EXPECT_EQ(methodHelpFile(m), file);
            const bool named = containsToken(pageText, m.code()) ||
                               (std::string_view(cls.code).find("%d") != std::string_view::npos &&
                                pageText.find(std::string(cls.code)) != std::string::npos) ||
                               (!cls.baseCode.empty() && containsToken(pageText, cls.baseCode));
            EXPECT_TRUE(named) << file << " does not name " << m.code() << " (layout: " << layout.name << ")";
        }
    }
    EXPECT_GT(walked, 0) << cls.className << " has no method in any layout";
}

INSTANTIATE_TEST_SUITE_P(Registry, MethodPage, testing::ValuesIn(registryClasses()),
                         [](const testing::TestParamInfo<ClassCase>& info) {
                             char number[8];
                             std::snprintf(number, sizeof number, "R%03d_", info.param.number);
                             return number + std::string(info.param.info->className);
                         });

TEST(MethodPages, TheClassWalkCoversTheWholeRegistry) {
    std::set<const TStatClassInfo*> classes;
    for (const ClassCase& c : registryClasses()) classes.insert(c.info);
    for (const Layout& layout : kLayouts) {
        LayoutRegistry registry(layout);
        const TStatList& list = registry.list;
        ASSERT_GT(list.count(), 0);
        for (int i = 0; i < list.count(); ++i)
            EXPECT_TRUE(classes.count(&list.item(i).statClass())) << list.item(i).code() << " (" << layout.name << ")";
    }
}

TEST(MethodPages, EachPageBelongsToAClassAndReadsDifferently) {
    std::map<std::string, std::string> bodies, computed, examples;  // text -> page
    for (std::string_view name : helpPageNames()) {
        const std::string file(name);
        if (file.rfind("Filters_", 0) != 0) continue;
        EXPECT_FALSE(classesOfPage(file).empty()) << file << " describes no registered method class";
        const PageParts parts = parsePage(*helpPage(file));
        auto unique = [&](std::map<std::string, std::string>& seen, const std::string& text, const char* what) {
            if (text.empty()) return;
            const auto [it, inserted] = seen.emplace(text, file);
            EXPECT_TRUE(inserted) << file << " has the same " << what << " as " << it->second;
        };
        unique(bodies, parts.body, "body");
        for (const auto& [heading, text] : parts.sections) {
            if (heading == "Что вычисляется") unique(computed, text, "\"Что вычисляется\" section");
            if (heading == "Пример") unique(examples, text, "example");
        }
    }
}

TEST(MethodPages, FileOfAMethodFollowsItsClassCode) {
    const TSettings settings;
    const TDrawsArray draws;
    TStatList list(settings, draws);
    list.rebuild();
    const struct {
        const char* code;
        const char* file;
    } cases[] = {
        {"NUMS", "Filters_1049_NUMS.htm"},   {"sum2", "Filters_1049_SUM.htm"},   {"POS4", "Filters_1049_POSx.htm"},
        {"POE1", "Filters_1049_POSx.htm"},   {"PRV+1", "Filters_1049_PRV+1.htm"}, {"PRC-2", "Filters_1049_PRC-2.htm"},
        {"PRV2O3", "Filters_1049_PRV2O.htm"}, {"RPO1", "Filters_1049_RPO1.htm"},   {"PRC2O2", "Filters_1049_PRC2O.htm"},
        {"KCM3", "Filters_1049_KCM.htm"},    {"COL7", "Filters_1049_COLx.htm"},  {"SHR2", "Filters_1049_SHRx.htm"},
    };
    for (const auto& c : cases) {
        const int i = list.methodWithCode(c.code);
        ASSERT_GE(i, 0) << c.code;
        EXPECT_EQ(methodHelpFile(list.item(i)), c.file) << c.code;
    }
}

TEST(HelpPages, LookUpByNameWithoutRegardToCase) {
    const auto names = helpPageNames();
    ASSERT_FALSE(names.empty());
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    for (std::string_view n : names) {
        const auto page = helpPage(n);
        ASSERT_TRUE(page) << n;
        EXPECT_EQ(page->substr(0, 15), "<!DOCTYPE html>") << n;
    }
    const auto lower = helpPage("filters_1049_nums.htm");
    ASSERT_TRUE(lower);
    EXPECT_EQ(*lower, *helpPage("Filters_1049_NUMS.htm"));
    EXPECT_FALSE(helpPage("Filters_1049_NUMS"));
    EXPECT_FALSE(helpPage("Filters_1049_NOPE.htm"));
    EXPECT_FALSE(helpPage(""));
}

bool validUtf8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (len == 0 || i + static_cast<size_t>(len) > s.size()) return false;
        for (int k = 1; k < len; ++k)
            if ((static_cast<unsigned char>(s[i + static_cast<size_t>(k)]) & 0xC0) != 0x80) return false;
        i += static_cast<size_t>(len);
    }
    return true;
}

std::vector<std::string> links(std::string_view html) {
    std::vector<std::string> out;
    for (size_t at = html.find("href=\""); at != std::string_view::npos; at = html.find("href=\"", at + 6))
        out.push_back(between(html.substr(at), "href=\"", "\""));
    return out;
}

TEST(HelpPages, SelfContainedWithWorkingLinks) {
    std::string style;
    for (std::string_view name : helpPageNames()) {
        const std::string_view page = *helpPage(name);
        EXPECT_TRUE(validUtf8(page)) << name;
        EXPECT_NE(page.find("<meta charset=\"utf-8\">"), std::string_view::npos) << name;
        EXPECT_NE(page.find("<html lang=\"ru\">"), std::string_view::npos) << name;
        for (const char* outside : {"http:", "https:", "ftp:", "file:", "<img", "<script", "<link", "src=", "<iframe"})
            EXPECT_EQ(page.find(outside), std::string_view::npos) << name << " refers outside the help: " << outside;
        const std::string s = between(page, "<style>", "</style>");
        if (style.empty()) style = s;
        EXPECT_EQ(s, style) << name << " has its own style";
        for (const std::string& target : links(page)) {
            const std::string file = target.substr(0, target.find('#'));
            if (file.empty()) continue;  // a place on the same page
            EXPECT_TRUE(helpPage(file)) << name << " links to a missing page: " << target;
        }
    }
}

TEST(HelpPages, IndexLinksEveryPage) {
    const auto index = helpPage(kHelpIndexPage);
    ASSERT_TRUE(index);
    EXPECT_EQ(plain(between(*index, "<title>", "</title>")), "Помощь\n");
    std::set<std::string> linked;
    for (const std::string& target : links(*index)) linked.insert(target.substr(0, target.find('#')));
    for (std::string_view name : helpPageNames()) {
        if (name == kHelpIndexPage) continue;
        EXPECT_TRUE(linked.count(std::string(name))) << "the index does not link " << name;
    }
}

TEST(HelpPages, ProgramPagesExist) {
    for (const char* topic : {"archive", "download", "statistics", "combinations", "filters", "scenarios", "stakes",
                              "ratings", "regulars", "systems", "settings", "command_line"}) {
        const std::string file = std::string("help_") + topic + ".htm";
        const auto page = helpPage(file);
        ASSERT_TRUE(page) << file;
        EXPECT_FALSE(plain(between(*page, "<h1>", "</h1>")).empty()) << file;
        EXPECT_GT(plain(*page).size(), 1500u) << file << " is too short to help anyone";
    }
}

TEST(HelpPages, ScenarioPageExplainsEveryCodeOfTheLineSyntax) {
    const auto page = helpPage("help_scenarios.htm");
    ASSERT_TRUE(page);
    const std::string text = plain(*page);
    std::vector<std::string> codes = {"CLR", "NEX"};
    for (int i = 0; i < kScenarioSourceCount; ++i) codes.push_back(sourceCode(i));
    for (int i = 0; i < kScenarioResultCount; ++i) codes.push_back(resultCode(i));
    for (int i = 0; i < kSelectionModeCount; ++i) codes.push_back(selectionModeCode(i));
    for (int i = 0; i < kScenarioStopCount; ++i) codes.push_back(stopModeCode(i));
    for (const std::string& code : codes) {
        ASSERT_FALSE(code.empty());
        EXPECT_TRUE(containsToken(text, code)) << "help_scenarios.htm does not explain " << code;
    }
    // The captions of the selection modes are the ones the filter editor shows.
    for (int i = 0; i < kSelectionModeCount; ++i) {
        std::string caption = selectionModeCaption(i);
        EXPECT_NE(text.find(caption), std::string::npos) << caption;
    }
}

}  // namespace
