// End-to-end test of `tavlora-cli scenario test` with the example scenario on the sample archive,
// and the usage errors of `scenario run` / `scenario test` and `ratings to-scenario`.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

#include "cli_support.h"
#include "test_support.h"

using tavlora::test::TempDir;

namespace {

using tavlora::test::textLines;

using tavlora::test::CliResult;

CliResult cli(const TempDir& dir, const std::vector<std::string>& args) {
    return tavlora::test::runCli(dir.path(), args, "LC_ALL=C", {"--data", "d"});
}

// The value after "Caption: " on the summary line that begins with it.
std::string summaryValue(const std::string& out, const std::string& caption) {
    for (const auto& l : textLines(out))
        if (l.rfind(caption + ": ", 0) == 0) return l.substr(caption.size() + 2);
    return {};
}

// The full test window in an optimised build; a smaller one under the sanitizers and in debug
// builds, where each pass over the full list takes many times longer.
#if defined(NDEBUG) && !defined(__SANITIZE_ADDRESS__)
constexpr int kTests = 20;
#else
constexpr int kTests = 2;
#endif

}  // namespace

TEST(CliScenarioRun, TestsTheExampleOverTheLastDrawsAndRepeatsWithTheSameSeed) {
    TempDir dir;
    const std::string sample = TAVLORA_SAMPLE_DIR;
    ASSERT_EQ(cli(dir, {"archive", "import", sample + "/draws.csv"}).status, 0);
    ASSERT_EQ(cli(dir, {"scenario", "load", sample + "/example.lsc"}).status, 0);

    const CliResult run = cli(dir, {"scenario", "test", std::to_string(kTests), "--seed", "1", "--log"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(summaryValue(run.out, "Циклов"), std::to_string(kTests));
    // The last line stakes once per variant (two sample lengths) in every pass.
    EXPECT_EQ(summaryValue(run.out, "Ставок"), std::to_string(2 * kTests));
    EXPECT_GT(std::stoll(summaryValue(run.out, "Проверено комбинаций")), 11000000LL * kTests);
    EXPECT_NE(run.err.find("Цикл: 1 из " + std::to_string(kTests)), std::string::npos) << run.err;
    const std::string logFile = summaryValue(run.out, "Журнал");
    ASSERT_FALSE(logFile.empty());
    EXPECT_TRUE(std::filesystem::exists(logFile));
    const CliResult removed = cli(dir, {"scenario", "delete-logs"});
    EXPECT_EQ(removed.status, 0);
    EXPECT_NE(removed.err.find("Удалено файлов журналов: 1"), std::string::npos) << removed.err;
    EXPECT_FALSE(std::filesystem::exists(logFile));

    // Every stake was made for a hidden draw and checked against it.
    const CliResult list = cli(dir, {"stakes", "list"});
    ASSERT_EQ(list.status, 0);
    int real = 0, checked = 0, firstDraw = 0, lastDraw = 0;
    for (const auto& l : textLines(list.out)) {
        const auto tab = l.find('\t');
        if (tab == 0 || tab == std::string::npos || l.rfind("№", 0) == 0) continue;
        const int draw = std::stoi(l.substr(0, tab));
        if (real == 0) firstDraw = draw;
        lastDraw = draw;
        ++real;
        std::vector<std::string> cells;
        std::istringstream in(l);
        for (std::string c; std::getline(in, c, '\t');) cells.push_back(c);
        ASSERT_GE(cells.size(), 9u);
        EXPECT_EQ(cells[1], "Сценарий");
        if (!cells[4].empty()) ++checked;
        EXPECT_NE(cells[8].find("@ CURR#RAND#NEX + TSD6#NUMS:"), std::string::npos) << cells[8];
    }
    EXPECT_EQ(real, 2 * kTests);
    EXPECT_EQ(checked, real);
    EXPECT_EQ(firstDraw, 1390 - kTests + 1);
    EXPECT_EQ(lastDraw, 1390);

    // The rating holds one row per variant of the staking line, with every stake counted.
    const CliResult ratings = cli(dir, {"ratings", "list"});
    ASSERT_EQ(ratings.status, 0);
    const auto rows = textLines(ratings.out);
    ASSERT_EQ(rows.size(), 3u) << ratings.out;
    for (size_t i = 1; i < rows.size(); ++i)
        EXPECT_NE(rows[i].find("\t" + std::to_string(kTests) + "\t"), std::string::npos) << rows[i];

    // The same seed on a fresh folder makes the same stakes.
    TempDir other;
    ASSERT_EQ(cli(other, {"archive", "import", sample + "/draws.csv"}).status, 0);
    ASSERT_EQ(cli(other, {"scenario", "load", sample + "/example.lsc"}).status, 0);
    ASSERT_EQ(cli(other, {"scenario", "test", std::to_string(kTests), "--seed", "1"}).status, 0);
    EXPECT_EQ(cli(other, {"stakes", "list"}).out, list.out);
}

TEST(CliScenarioRun, RefusesBadArgumentsAndAnEmptyScenario) {
    TempDir dir;
    EXPECT_EQ(cli(dir, {"scenario", "test"}).status, 2);
    EXPECT_EQ(cli(dir, {"scenario", "test", "0"}).status, 2);
    EXPECT_EQ(cli(dir, {"scenario", "run", "5"}).status, 2);
    EXPECT_EQ(cli(dir, {"scenario", "run", "--seed", "x"}).status, 2);
    const CliResult empty = cli(dir, {"scenario", "run"});
    EXPECT_EQ(empty.status, 1);
    EXPECT_NE(empty.err.find("Сценарий пуст"), std::string::npos) << empty.err;
    EXPECT_EQ(cli(dir, {"ratings", "to-scenario"}).status, 2);
    const CliResult missing = cli(dir, {"ratings", "to-scenario", "1"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("Строка рейтинга 1 не найдена"), std::string::npos) << missing.err;
}
