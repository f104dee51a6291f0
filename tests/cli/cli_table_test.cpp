// End-to-end tests of `tavlora-cli table`, `filter` and `prefetch`.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

#include "cli_support.h"
#include "test_support.h"

using tavlora::test::TempDir;

namespace {

using tavlora::test::readTextFile;
using tavlora::test::tableRows;

using CliRun = tavlora::test::CliResult;

CliRun cli(const TempDir& dir, const std::vector<std::string>& args) {
    return tavlora::test::runCli(dir.path(), args, "", {});
}

void importSample(const TempDir& dir) {
    ASSERT_EQ(cli(dir, {"archive", "import", std::string(TAVLORA_SAMPLE_DIR) + "/draws.csv"}).status, 0);
}

TEST(CliTable, TwentyColumnsSortedAsAsked) {
    TempDir dir;
    importSample(dir);
    const CliRun r = cli(dir, {"--offset", "10", "table", "nums", "--window", "200", "--sort", "1", "--desc"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto rows = tableRows(r.out);
    ASSERT_EQ(rows.size(), 70u);
    ASSERT_EQ(rows[0].size(), 20u);
    EXPECT_EQ(rows[0][0], "Значение");
    EXPECT_EQ(rows[0][3], "Норма");
    EXPECT_EQ(rows[0][16], "Факт");
    EXPECT_EQ(rows[0][19], "+/- КРН");
    long total = 0;
    for (size_t i = 1; i < rows.size(); ++i) {
        ASSERT_EQ(rows[i].size(), 20u);
        EXPECT_EQ(rows[i][3], "-");  // no norms asked for
        total += std::stol(rows[i][1]);
        if (i > 1) {
            EXPECT_GE(std::stol(rows[i - 1][1]), std::stol(rows[i][1]));
        }
    }
    EXPECT_EQ(total, 1000);  // 200 draws of five numbers
    // With an offset some values come again after the window: "Факт" is a draw number then.
    bool anyFact = false;
    for (size_t i = 1; i < rows.size(); ++i) anyFact = anyFact || rows[i][16] != "-";
    EXPECT_TRUE(anyFact);

    EXPECT_EQ(cli(dir, {"table", "NUMS", "--sort", "20"}).status, 2);
    EXPECT_EQ(cli(dir, {"table", "NOPE"}).status, 1);
}

TEST(CliTable, FilterKeepsOrRemovesTheListedValues) {
    TempDir dir;
    importSample(dir);
    {
        std::ofstream lcv(dir / "in.lcv", std::ios::binary);
        lcv << "1;2;3;4;5\r\n1;10;20;30;40\r\n2;3;4;5;6\r\n7;8;9;10;11\r\n";
    }
    CliRun r = cli(dir, {"filter", "NUMS", "--values", "1", "--keep", "--in", "in.lcv", "--out", "out.lcv"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Комбинаций: 2\n");
    EXPECT_EQ(readTextFile(dir / "out.lcv"), "1;2;3;4;5\r\n1;10;20;30;40\r\n");

    r = cli(dir, {"filter", "NUMS", "--values", "1; 10", "--remove", "--in", "in.lcv", "--out", "out.lcv"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Комбинаций: 1\n");
    EXPECT_EQ(readTextFile(dir / "out.lcv"), "2;3;4;5;6\r\n");

    r = cli(dir, {"filter", "NUMS", "--values", "1; 70", "--keep", "--in", "in.lcv"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("\"70\""), std::string::npos) << r.err;

    EXPECT_EQ(cli(dir, {"filter", "NUMS", "--values", "1", "--in", "in.lcv"}).status, 2);  // no mode
    EXPECT_EQ(cli(dir, {"filter", "NUMS", "--keep", "--remove", "--values", "1"}).status, 2);
    EXPECT_EQ(cli(dir, {"prefetch", "--groups", "13"}).status, 2);
}

}  // namespace
