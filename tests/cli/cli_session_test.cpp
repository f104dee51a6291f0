// What every command gets from opening the data folder: the window a table is computed over and
// the desktop window's switches of the folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli_support.h"
#include "core/codepage.h"
#include "session/session.h"
#include "test_support.h"
#include "workspace/stat_method.h"
#include "workspace/stat_table.h"

namespace {

using tavlora::test::CliResult;
using tavlora::test::TempDir;
using namespace tavlora;

CliResult cli(const TempDir& dir, const std::vector<std::string>& args) {
    return tavlora::test::runCli(dir.path(), args, "LC_ALL=C", {"--data", "d"});
}

// The sample archive with each draw's numbers in the order largest first, then the others
// ascending: analysing them in ascending order gives other values of the position methods.
void importUnsortedSample(const TempDir& dir) {
    std::ofstream csv(dir / "drawn.csv", std::ios::binary);
    std::ifstream in(tavlora::test::sampleCsv());
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> f;
        std::istringstream ls(line);
        for (std::string cell; std::getline(ls, cell, ';');) f.push_back(cell);
        ASSERT_GE(f.size(), 8u) << line;
        std::rotate(f.begin() + 2, f.begin() + 6, f.begin() + 7);
        for (std::size_t i = 0; i < f.size(); ++i) csv << (i ? ";" : "") << f[i];
        csv << "\r\n";
    }
    csv.close();
    ASSERT_EQ(cli(dir, {"archive", "import", "drawn.csv"}).status, 0);
}

TEST(CliSession, TheCommandLineShowsTheSessionsTableOfTheSameWindow) {
    TempDir dir;
    importUnsortedSample(dir);
    const CliResult shown = cli(dir, {"--offset", "7", "--sorted", "table", "POS1", "--window", "60"});
    ASSERT_EQ(shown.status, 0) << shown.err;
    const auto rows = tavlora::test::tableRows(shown.out);

    setDecimalSeparatorOverride('.');  // as the program prints in the C locale
    Session session(dir / "d");
    session.setDrawsOffset(7);
    session.setSortedDraws(true);
    const int pos1 = statMethodIndex(session.statList(), "POS1");
    TStatTable table = computeStatTable(session.statList(), pos1, session.statTableInput(60));
    sortStatRows(table.rows, TListSort{});
    setDecimalSeparatorOverride('\0');
    ASSERT_EQ(rows.size(), table.rows.size() + 1);
    for (std::size_t i = 0; i < table.rows.size(); ++i)
        EXPECT_EQ(rows[i + 1], std::vector<std::string>(table.rows[i].cells.begin(), table.rows[i].cells.end()))
            << "row " << i;

    // The offset and the order switch both change that window.
    EXPECT_NE(cli(dir, {"--offset", "7", "table", "POS1", "--window", "60"}).out, shown.out);
    EXPECT_NE(cli(dir, {"--sorted", "table", "POS1", "--window", "60"}).out, shown.out);
}

TEST(CliSession, TheWindowSwitchesOfTheFolderApplyToTheCommands) {
    const auto sample = tavlora::test::sampleDraws();
    ASSERT_FALSE(sample.empty());
    const std::string last = std::to_string(sample.back().first);
    const std::string log = "Tavlora_5d69-" + last + ".log";
    // The same stake in a folder without window settings and in one whose window logs the stakes
    // and shows the rating's efficiency in a mode beyond the last one, taken as the last (relative).
    TempDir plain, logged;
    for (const TempDir* dir : {&plain, &logged})
        ASSERT_EQ(cli(*dir, {"archive", "import", tavlora::test::sampleCsv()}).status, 0);
    std::ofstream(logged / "d" / "Tavlora_5d69.frm", std::ios::binary)
        << "[TFormMain]\r\nStakesLogEnabled=1\r\nRatingsEffMode=9\r\n";
    for (const TempDir* dir : {&plain, &logged}) {
        const CliResult r = cli(*dir, {"stakes", "add", "--numbers", "1;2;3;4;5", "--draw", last});
        ASSERT_EQ(r.status, 0) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(plain / "d" / log));
    EXPECT_TRUE(std::filesystem::exists(logged / "d" / log));

    const CliResult byWindow = cli(logged, {"ratings", "list"});
    ASSERT_EQ(byWindow.status, 0) << byWindow.err;
    EXPECT_EQ(byWindow.out, cli(logged, {"ratings", "list", "--mode", "2"}).out);
    EXPECT_EQ(cli(plain, {"ratings", "list"}).out, cli(plain, {"ratings", "list", "--mode", "1"}).out);
    EXPECT_NE(byWindow.out, cli(logged, {"ratings", "list", "--mode", "1"}).out);
}

}  // namespace
