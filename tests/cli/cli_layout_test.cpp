// The channel, matrix and segment members through `tavlora-cli methods`, `stats` and `graph` on the
// bundled sample archive, with the default layout and with one read from the settings file.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli_support.h"
#include "test_support.h"

namespace {

using tavlora::test::TempDir;

// Runs the CLI on the data folder with the arguments split at spaces (none holds one); returns its
// exit status and what it printed (standard output, then standard error).
int runCli(const TempDir& dir, const std::string& args, std::string& out) {
    std::vector<std::string> words;
    std::istringstream in(args);
    for (std::string w; in >> w;) words.push_back(w);
    const auto r = tavlora::test::runCli(dir.path(), words);
    out = r.out + r.err;
    return r.status;
}

// Codes of the listed methods of groups grp, mtx and sgm, with whether each is a graph method.
std::vector<std::pair<std::string, bool>> layoutMethods(const std::string& listing) {
    std::vector<std::pair<std::string, bool>> out;
    size_t pos = 0;
    while (pos < listing.size()) {
        size_t end = listing.find('\n', pos);
        if (end == std::string::npos) end = listing.size();
        const std::string line = listing.substr(pos, end - pos);
        pos = end + 1;
        if (line.find("{ grp }") == std::string::npos && line.find("{ mtx }") == std::string::npos &&
            line.find("{ sgm }") == std::string::npos)
            continue;
        out.emplace_back(line.substr(0, line.find('\t')), line.find("G ]") != std::string::npos);
    }
    return out;
}

bool listed(const std::vector<std::pair<std::string, bool>>& methods, const std::string& code) {
    for (const auto& m : methods)
        if (m.first == code) return true;
    return false;
}

TEST(LayoutStatsCli, EveryMemberIsListedAndComputes) {
    TempDir dir;
    std::string out;
    const auto imported = tavlora::test::runCli(dir.path(), {"archive", "import", tavlora::test::sampleCsv()});
    ASSERT_EQ(imported.status, 0) << imported.err;
    ASSERT_EQ(runCli(dir, "methods", out), 0) << out;
    auto methods = layoutMethods(out);
    // 10 channel classes with 7 channels, 26 matrix classes with 7 columns and 10 rows, 10 segment
    // classes with one segment.
    EXPECT_EQ(methods.size(), 9u + 7u + 24u + 7u + 10u + 9u + 1u);
    for (const char* code : {"CHAN", "CHNV", "CHNC", "KCM2", "KCM3", "KCM4", "KCS2", "KCS3", "KCS4", "CHN1", "CHN7",
                             "COLS", "ROWS", "COLV", "ROWV", "COLN", "ROWN", "COLM", "ROWM", "COLA", "ROWA", "COLC",
                             "ROWC", "KFM2", "KFM3", "KFM4", "KFS2", "KFS3", "KFS4", "KRM2", "KRM3", "KRM4", "KRS2",
                             "KRS3", "KRS4", "COL1", "COL7", "ROW1", "ROW10", "SGMS", "SGMV", "SGMC", "KGM2", "KGM3",
                             "KGM4", "KGS2", "KGS3", "KGS4", "SGM1"})
        EXPECT_TRUE(listed(methods, code)) << code;
    EXPECT_FALSE(listed(methods, "CHN8"));

    for (const auto& [code, isGraph] : methods) {
        EXPECT_EQ(runCli(dir, "stats " + code + " --window 30", out), 0) << code << ": " << out;
        EXPECT_NE(out.find('\n'), std::string::npos) << code;
        if (isGraph) {
            EXPECT_EQ(runCli(dir, "graph " + code, out), 0) << code << ": " << out;
        }
    }
    ASSERT_EQ(runCli(dir, "stats CHAN --window 30", out), 0);
    EXPECT_NE(out.find("07 [61-70]\t"), std::string::npos) << out;

    // Channel width 7, matrix width 0 (taken as 1) and a short segment map from the settings file.
    {
        std::ofstream ini(dir / "Tavlora_5d69.ini", std::ios::binary);
        ini << "[GLOBAL]\r\nChannelSize=7\r\nMatrixCols=0\r\nMatrixSegments=3331112222\r\n";
    }
    ASSERT_EQ(runCli(dir, "methods", out), 0) << out;
    methods = layoutMethods(out);
    EXPECT_TRUE(listed(methods, "CHN10"));
    EXPECT_FALSE(listed(methods, "CHN11"));
    EXPECT_TRUE(listed(methods, "ROW69"));
    EXPECT_FALSE(listed(methods, "COL2"));
    EXPECT_TRUE(listed(methods, "SGM3"));
    for (const char* code : {"CHAN", "CHN10", "COLM", "ROWM", "ROWV", "COLA", "SGMV", "KGS2"})
        EXPECT_EQ(runCli(dir, std::string("stats ") + code + " --window 30", out), 0) << code << ": " << out;
    ASSERT_EQ(runCli(dir, "stats CHAN --window 30", out), 0);
    EXPECT_NE(out.find("10 [64-70]\t"), std::string::npos) << out;
}

}  // namespace
