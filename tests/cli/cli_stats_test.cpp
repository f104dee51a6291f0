// End-to-end tests of `tavlora-cli methods`, `stats` and `graph`.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

#include "cli_support.h"
#include "test_support.h"

using tavlora::test::TempDir;

namespace {

using tavlora::test::tableRows;
using tavlora::test::sampleDraws;

using StatsCliRun = tavlora::test::CliResult;

StatsCliRun runCli(const TempDir& dir, const std::vector<std::string>& args) {
    return tavlora::test::runCli(dir.path(), args, "", {});
}

void importSample(const TempDir& dir) {
    const auto r = runCli(dir, {"archive", "import", std::string(TAVLORA_SAMPLE_DIR) + "/draws.csv"});
    ASSERT_EQ(r.status, 0) << r.err;
}

TEST(CliStats, MethodsOnAFreshFolder) {
    TempDir dir;
    const auto r = runCli(dir, {"methods"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto rows = tableRows(r.out);
    ASSERT_GT(rows.size(), 25u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"Код", "Метод"}));
    auto caption = [&](const std::string& code) -> std::string {
        for (const auto& row : rows)
            if (row.size() == 2 && row[0] == code) return row[1];
        return "<missing " + code + ">";
    };
    EXPECT_EQ(rows[1][0], "NUMS");
    EXPECT_EQ(caption("SUMS"), "{ sum } Сумма тиража: все значения [ NG ]");
    EXPECT_EQ(caption("SUM1"), "{ sum } Сумма тиража: диапазон 1 (1/3) [ NG ]");
    EXPECT_EQ(caption("SUM2"), "{ sum } Сумма тиража: диапазон 2 (1/2) [ NG ]");
    EXPECT_EQ(caption("SUM3"), "{ sum } Сумма тиража: диапазон 3 (2/3) [ NG ]");
    for (int p = 1; p <= 5; ++p)
        EXPECT_EQ(caption("POS" + std::to_string(p)),
                  "{ num } Число в " + std::to_string(p) + " позиции тиража [ SNG ]");
    EXPECT_EQ(caption("POE1"), "{ num } Extra (Bonus, Star...) - число (!без фильтра!) [ G ]");
}

TEST(CliStats, MethodFileChangesTheCaptions) {
    TempDir dir;
    std::ofstream(dir / "Tavlora_5d69.flt", std::ios::binary)
        << "[FILTERS]\r\nFavorites=SUMS\r\nShowGroupName=0\r\n[STRINGS_RUS]\r\nNUMS=My numbers\r\n";
    const auto r = runCli(dir, {"methods"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto rows = tableRows(r.out);
    ASSERT_GT(rows.size(), 2u);
    EXPECT_EQ(rows[1], (std::vector<std::string>{"NUMS", "My numbers [ N ]"}));
}

TEST(CliStats, StatsTable) {
    TempDir dir;
    // An empty archive: the column captions only.
    auto r = runCli(dir, {"stats", "SUMS"});
    ASSERT_EQ(r.status, 0) << r.err;
    auto rows = tableRows(r.out);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"Значение", "Количество", "Посл. тираж", "Глубина", "Период min",
                                                 "Период max"}));
    importSample(dir);

    r = runCli(dir, {"stats", "nums", "--window", "10"});
    ASSERT_EQ(r.status, 0) << r.err;
    rows = tableRows(r.out);
    ASSERT_EQ(rows.size(), 70u);
    int total = 0;
    for (size_t i = 1; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i][0], std::to_string(i));
        total += std::stoi(rows[i][1]);
    }
    EXPECT_EQ(total, 50);

    // The numbers of the last draw of the window have depth 1 and last draw = its number.
    const auto draws = sampleDraws();
    ASSERT_EQ(draws.size(), 1390u);
    r = runCli(dir, {"--offset", "2", "stats", "NUMS", "--window", "1"});
    ASSERT_EQ(r.status, 0) << r.err;
    rows = tableRows(r.out);
    const auto& lastDraw = draws[1387];
    for (int n : lastDraw.second) {
        EXPECT_EQ(rows[static_cast<size_t>(n)][1], "1");
        EXPECT_EQ(rows[static_cast<size_t>(n)][2], std::to_string(lastDraw.first));
        EXPECT_EQ(rows[static_cast<size_t>(n)][3], "1");
    }

    // Hiding every draw leaves the table empty.
    r = runCli(dir, {"--offset", "1390", "stats", "SUMS"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(tableRows(r.out).size(), 1u);

    r = runCli(dir, {"stats", "NOPE"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("NOPE"), std::string::npos);
    EXPECT_EQ(runCli(dir, {"stats", "SUMS", "--window", "0"}).status, 2);
    EXPECT_EQ(runCli(dir, {"stats"}).status, 2);
}

TEST(CliStats, GraphNumbers) {
    TempDir dir;
    importSample(dir);
    const auto draws = sampleDraws();
    auto r = runCli(dir, {"graph", "SUMS", "--window", "5"});
    ASSERT_EQ(r.status, 0) << r.err;
    auto rows = tableRows(r.out);
    ASSERT_EQ(rows.size(), 8u);  // the captions, five draws, the mean and the most frequent value
    EXPECT_EQ(rows[0], (std::vector<std::string>{"Тираж", "Сумма тиража: все значения"}));
    for (size_t k = 1; k <= 5; ++k) {
        const auto& d = draws[1390 - 6 + k];
        int sum = 0;
        for (int n : d.second) sum += n;
        EXPECT_EQ(rows[k][0], std::to_string(d.first));
        EXPECT_EQ(rows[k][1], std::to_string(sum));
    }

    // With --sorted, position 1 holds the smallest number of the draw.
    r = runCli(dir, {"--sorted", "graph", "POS1", "--window", "3"});
    ASSERT_EQ(r.status, 0) << r.err;
    rows = tableRows(r.out);
    ASSERT_EQ(rows.size(), 6u);
    for (size_t k = 1; k <= 3; ++k) {
        const auto& nums = draws[1390 - 4 + k].second;
        EXPECT_EQ(rows[k][1], std::to_string(*std::min_element(nums.begin(), nums.end())));
    }

    r = runCli(dir, {"graph", "NUMS"});
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(r.err.empty());
    r = runCli(dir, {"graph", "SUMS"});
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(tableRows(r.out).size(), 103u);  // the default window of 100 draws, mean and mode
}

}  // namespace

// The command line's own usage errors are in Russian like the rest of its output: exit status 2
// and the message on standard error.
TEST(CliStats, UsageErrorsAreInRussian) {
    TempDir dir;
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const Case cases[] = {
        {{"stats"}, "tavlora-cli: ожидается один код метода"},
        {{"stats", "SUMS", "--window", "0"}, "tavlora-cli: параметру --window нужно число от 1 до 2147483647"},
        {{"stats", "SUMS", "--window", "12x"}, "tavlora-cli: параметру --window нужно целое число"},
        {{"ratings", "list", "--mode", "3"}, "tavlora-cli: параметру --mode нужно 0, 1 или 2"},
        {{"nonsense"}, "tavlora-cli: неизвестная команда nonsense"},
        {{}, "tavlora-cli: не указана команда"},
        {{"--bogus", "methods"}, "tavlora-cli: неизвестный параметр --bogus"},
        {{"methods", "extra"}, "tavlora-cli: methods не принимает аргументов"},
        {{"archive"}, "tavlora-cli: archive требует подкоманду"},
    };
    for (const Case& c : cases) {
        const auto r = runCli(dir, c.args);
        EXPECT_EQ(r.status, 2) << c.message;
        EXPECT_NE(r.err.find(c.message + "\n"), std::string::npos) << r.err;
    }
}
