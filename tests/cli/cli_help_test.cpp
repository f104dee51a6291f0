// End-to-end tests of `tavlora-cli help method CODE` and of the help page of the command line.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli_support.h"
#include "help/help_pages.h"
#include "help/html_text.h"
#include "test_support.h"

using tavlora::test::TempDir;

namespace {

tavlora::test::CliResult run(const TempDir& dir, const std::vector<std::string>& args) {
    return tavlora::test::runCli(dir.path(), args);
}

std::string rendered(const std::string& file) {
    const auto page = tavlora::helpPage(file);
    return page ? tavlora::htmlToText(*page) : std::string();
}

TEST(CliHelp, MethodPrintsTheDescriptionPageOfAnyInstanceIgnoringCase) {
    TempDir dir;
    const struct {
        const char* code;
        const char* file;
    } cases[] = {
        {"nums", "Filters_1049_NUMS.htm"},     // letter case ignored
        {"SUM2", "Filters_1049_SUM.htm"},      // an instance of a multi-instance class
        {"Prv2o3", "Filters_1049_PRV2O.htm"},  // a class sharing its numbered code pattern
        {"PRC-2", "Filters_1049_PRC-2.htm"},
    };
    for (const auto& c : cases) {
        const auto r = run(dir, {"help", "method", c.code});
        ASSERT_EQ(r.status, 0) << c.code << ": " << r.err;
        const std::string expected = rendered(c.file);
        ASSERT_FALSE(expected.empty()) << c.file;
        EXPECT_EQ(r.out, expected) << c.code;
        EXPECT_NE(r.out.find("Что вычисляется\n---------------"), std::string::npos) << c.code;
        EXPECT_EQ(r.out.find('<'), std::string::npos) << c.code << ": markup left in the text";
    }
}

TEST(CliHelp, MethodRefusesUnknownCodesAndAMissingCode) {
    TempDir dir;
    auto r = run(dir, {"help", "method", "NOPE"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.empty());
    EXPECT_NE(r.err.find("Метод расчета статистики с кодом \"NOPE\" не найден!"), std::string::npos) << r.err;

    r = run(dir, {"help", "method"});
    EXPECT_EQ(r.status, 2);
    r = run(dir, {"help", "method", "NUMS", "SUMS"});
    EXPECT_EQ(r.status, 2);
}

TEST(CliHelp, MethodCodesFollowTheSettingsOfTheDataFolder) {
    // With channels of 10 there are seven channels, so CHN8 exists only with narrower channels.
    TempDir dir;
    auto r = run(dir, {"help", "method", "CHN8"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("с кодом \"CHN8\" не найден"), std::string::npos) << r.err;

    std::ofstream(dir / "Tavlora_5d69.ini", std::ios::binary) << "[GLOBAL]\r\nChannelSize=5\r\n";
    r = run(dir, {"help", "method", "chn8"});
    const std::string page = rendered("Filters_1049_CHNx.htm");
    if (!page.empty()) {
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, page);
    } else {
        // The page of the class is not written yet: the method is known, its page is reported missing.
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("нет страницы Filters_1049_CHNx.htm"), std::string::npos) << r.err;
    }
}

bool containsWord(const std::string& text, const std::string& word) {
    auto isWord = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-'; };
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
        const size_t end = at + word.size();
        if ((at == 0 || !isWord(text[at - 1])) && (end >= text.size() || !isWord(text[end]))) return true;
    }
    return false;
}

TEST(CliHelp, TheCommandLinePageDescribesEveryCommandAndOption) {
    TempDir dir;
    const auto r = run(dir, {"--help"});
    ASSERT_EQ(r.status, 0);
    const std::string page = rendered("help_command_line.htm");
    ASSERT_FALSE(page.empty());

    std::istringstream in(r.out);
    bool commands = false;
    int seen = 0;
    for (std::string line; std::getline(in, line);) {
        if (line == "Команды:") {
            commands = true;
            continue;
        }
        if (!commands || line.size() < 3) continue;
        const std::string name = line.substr(2, line.find('\t') - 2);
        ++seen;
        EXPECT_TRUE(containsWord(page, name)) << "help_command_line.htm does not describe the command " << name;
    }
    EXPECT_GT(seen, 5);
    for (const char* option : {"--data", "--offset", "--sorted", "--yes", "--help", "--version"})
        EXPECT_TRUE(containsWord(page, option)) << option;
    EXPECT_NE(page.find("help method"), std::string::npos);
}

}  // namespace
