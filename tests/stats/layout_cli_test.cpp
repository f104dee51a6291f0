// The channel, matrix and segment members through `tavlora-cli methods`, `stats` and `graph` on the
// bundled sample archive, with the default layout and with one read from the settings file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "test_support.h"

namespace {

using tavlora::test::TempDir;

std::string quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Runs the CLI on the data folder; returns its exit status and standard output.
int runCli(const TempDir& dir, const std::string& args, std::string& out) {
    const std::string cmd = quoted(TAVLORA_CLI_PATH) + " --data " + quoted(dir.path().string()) + " " + args + " >" +
                            quoted((dir / "out.txt").string()) + " 2>&1 </dev/null";
    const int raw = std::system(cmd.c_str());
    std::ifstream in(dir / "out.txt", std::ios::binary);
    out.assign(std::istreambuf_iterator<char>(in), {});
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
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
    if (!std::filesystem::exists(TAVLORA_CLI_PATH)) GTEST_SKIP() << "tavlora-cli is not built";
    TempDir dir;
    std::string out;
    ASSERT_EQ(runCli(dir, "archive import " + quoted(std::string(TAVLORA_SAMPLE_DIR) + "/draws.csv"), out), 0) << out;
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
