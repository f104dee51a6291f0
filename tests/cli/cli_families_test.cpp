// The difference, sequence, repeat, combined-value and Tesk families through `tavlora-cli methods`,
// `stats` and `graph` on the bundled sample archive.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cli_support.h"
#include "test_support.h"

namespace {

using tavlora::test::TempDir;

struct CliRows {
    int status = -1;
    std::vector<std::vector<std::string>> rows;
    std::string err;
};

CliRows runCli(const TempDir& dir, const std::vector<std::string>& args) {
    const auto r = tavlora::test::runCli(dir.path(), args);
    return {r.status, tavlora::test::tableRows(r.out), r.err};
}

// The codes of the difference, sequence, repeat, combined-value and Tesk families in registry order.
const std::vector<std::string> kFamilyCodes{
    "DIFA",  "DIFM",  "DIFD",  "DIFO",  "DIFK",  "SEQL",  "SEQS",   "LENS",   "RPV2",   "RPV3",  "PRL2",
    "PRV2O1", "PRV2O2", "PRV2O3", "PRV+1", "PRV-1", "PRV+2", "PRV-2", "RPC2", "RPC3", "PRB2", "RPO1",
    "PRC2O2", "PRC2O3", "PRC+1", "PRC-1", "PRC+2", "PRC-2", "KNM2", "KNM3", "KNM4", "KNS2", "KNS3", "KNS4",
    "KNP21", "KNP22", "KNP23", "KNP24", "KNP31", "KNP32", "KNP33", "KNP41", "KNP42", "KDS2", "KDS3", "KDS4",
    "HCO1",  "HCO2",  "HCO3"};
const std::vector<std::string> kFamilyGraphCodes{"DIFM", "DIFD", "DIFK", "SEQS", "LENS", "HCO1", "HCO2"};

TEST(FamiliesCli, MethodsStatsAndGraphsOverTheSampleArchive) {
    TempDir dir;
    const auto imported = runCli(dir, {"archive", "import", tavlora::test::sampleCsv()});
    ASSERT_EQ(imported.status, 0) << imported.err;

    const auto methods = runCli(dir, {"methods"});
    ASSERT_EQ(methods.status, 0) << methods.err;
    std::vector<std::string> listed;
    for (const auto& row : methods.rows)
        if (!row.empty()) listed.push_back(row[0]);
    size_t previous = 0;
    for (const auto& code : kFamilyCodes) {
        const auto at = std::find(listed.begin(), listed.end(), code);
        ASSERT_NE(at, listed.end()) << code;
        const auto index = static_cast<size_t>(at - listed.begin());
        EXPECT_GT(index, previous) << code;
        previous = index;
    }
    EXPECT_EQ(std::find(listed.begin(), listed.end(), "KNO2"), listed.end());

    for (const auto& code : kFamilyCodes) {
        const auto r = runCli(dir, {"stats", code, "--window", "50"});
        ASSERT_EQ(r.status, 0) << code << ": " << r.err;
        EXPECT_GT(r.rows.size(), 1u) << code;
        for (size_t i = 1; i < r.rows.size(); ++i) ASSERT_EQ(r.rows[i].size(), 6u) << code;
    }
    for (const auto& code : kFamilyGraphCodes) {
        const auto r = runCli(dir, {"graph", code, "--window", "5"});
        ASSERT_EQ(r.status, 0) << code << ": " << r.err;
        EXPECT_EQ(r.rows.size(), 8u) << code;  // five draws between the captions and mean and mode
    }

    // The spread of the last sample draw, read from the CSV, is the last graph number of DIFD.
    const auto sample = tavlora::test::sampleDraws();
    ASSERT_FALSE(sample.empty());
    const auto& nums = sample.back().second;
    const int spread = *std::max_element(nums.begin(), nums.end()) - *std::min_element(nums.begin(), nums.end());
    const auto difd = runCli(dir, {"graph", "DIFD", "--window", "1"});
    ASSERT_EQ(difd.rows.size(), 4u);
    EXPECT_EQ(difd.rows[1], (std::vector<std::string>{std::to_string(sample.back().first), std::to_string(spread)}));
    // The dynamic Tesk member lists values of the last draw only: all with last draw = that draw.
    const auto hco3 = runCli(dir, {"stats", "HCO3", "--window", "50"});
    for (size_t i = 1; i < hco3.rows.size(); ++i) EXPECT_EQ(hco3.rows[i][2], std::to_string(sample.back().first));
    // Graph of a member that draws no graph fails.
    EXPECT_NE(runCli(dir, {"graph", "KNM2"}).status, 0);
}

}  // namespace
