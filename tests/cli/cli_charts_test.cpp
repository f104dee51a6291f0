// End-to-end tests of `tavlora-cli graph` (mean and mode), `repeats` and `sums` on the bundled
// archive, each against a computation of its own made here from the archive's CSV.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "cli_support.h"
#include "test_support.h"

using tavlora::test::TempDir;
using tavlora::test::sampleDraws;
using tavlora::test::tableRows;

namespace {

using Rows = std::vector<std::vector<std::string>>;

tavlora::test::CliResult run(const TempDir& dir, const std::vector<std::string>& args) {
    return tavlora::test::runCli(dir.path(), args);
}

void importSample(const TempDir& dir) {
    const auto r = run(dir, {"archive", "import", tavlora::test::sampleCsv()});
    ASSERT_EQ(r.status, 0) << r.err;
}

int drawSum(const std::vector<int>& nums) {
    int s = 0;
    for (int n : nums) s += n;
    return s;
}

std::string fixed4(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.4f", v);
    return buf;
}

class CliCharts : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new TempDir;
        importSample(*dir_);
        draws_ = sampleDraws();
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    static TempDir* dir_;
    static std::vector<std::pair<int, std::vector<int>>> draws_;
};
TempDir* CliCharts::dir_ = nullptr;
std::vector<std::pair<int, std::vector<int>>> CliCharts::draws_;

// The sums graph of a window: the points, then the mean and the value that is most frequent (of
// equally frequent values the one met first in the window).
TEST_F(CliCharts, GraphPrintsMeanAndModeAfterThePoints) {
    ASSERT_EQ(draws_.size(), 1390u);
    struct Case {
        int offset, window;
    };
    for (const Case c : {Case{0, 1}, Case{0, 5}, Case{0, 100}, Case{7, 37}, Case{1389, 10}, Case{0, 5000}}) {
        SCOPED_TRACE("offset " + std::to_string(c.offset) + " window " + std::to_string(c.window));
        const auto r = run(*dir_, {"--offset", std::to_string(c.offset), "graph", "SUMS", "--window",
                                   std::to_string(c.window)});
        ASSERT_EQ(r.status, 0) << r.err;
        const Rows rows = tableRows(r.out);
        const int end = 1389 - c.offset;
        const int start = std::max(0, end - c.window + 1);
        const size_t n = static_cast<size_t>(end - start + 1);
        ASSERT_EQ(rows.size(), n + 3);
        std::vector<int> values;
        for (int i = start; i <= end; ++i) {
            const auto& d = draws_[static_cast<size_t>(i)];
            values.push_back(drawSum(d.second));
            EXPECT_EQ(rows[static_cast<size_t>(i - start + 1)],
                      (std::vector<std::string>{std::to_string(d.first), std::to_string(values.back())}));
        }
        double total = 0;
        for (int v : values) total += v;
        int bestCount = 0, mode = 0;
        for (int v : values) {
            const auto count = static_cast<int>(std::count(values.begin(), values.end(), v));
            if (count > bestCount) bestCount = count, mode = v;
        }
        EXPECT_EQ(rows[n + 1], (std::vector<std::string>{"Среднее значение", fixed4(total / static_cast<double>(n))}));
        EXPECT_EQ(rows[n + 2], (std::vector<std::string>{"Наиболее часто встречающееся значение", std::to_string(mode)}));
        if (c.window == 1) {
            EXPECT_EQ(rows[n + 1][1], fixed4(values[0]));
        }
    }
    // A window hidden entirely by the offset gives the captions only.
    const auto none = run(*dir_, {"--offset", "1390", "graph", "SUMS"});
    ASSERT_EQ(none.status, 0) << none.err;
    EXPECT_EQ(tableRows(none.out).size(), 1u);
}

// The repeats table against a plain computation: each recent draw against each of the draws before
// it within the depth, one row per number of shared numbers in the order first met.
TEST_F(CliCharts, RepeatsTableEqualsAPlainComputation) {
    struct Case {
        int draws, deep;
    };
    bool sawDrawWithoutRow = false;
    for (const Case c : {Case{100, 100}, Case{1390, 1}, Case{20, 1389}, Case{5000, 2}}) {
        SCOPED_TRACE("draws " + std::to_string(c.draws) + " deep " + std::to_string(c.deep));
        const auto r = run(*dir_, {"repeats", "--draws", std::to_string(c.draws), "--deep", std::to_string(c.deep)});
        ASSERT_EQ(r.status, 0) << r.err;
        Rows expected{{"Тираж", "Совпадений", "Кол-во повторов", "Список тиражей"}};
        const int last = static_cast<int>(draws_.size()) - 1;
        for (int p = last; p >= std::max(0, last - c.draws + 1); --p) {
            const std::set<int> mine(draws_[static_cast<size_t>(p)].second.begin(),
                                     draws_[static_cast<size_t>(p)].second.end());
            std::vector<std::pair<int, std::vector<int>>> byShared;  // (shared, earlier draws)
            for (int q = p - 1; q >= std::max(0, p - c.deep); --q) {
                int shared = 0;
                for (int x : draws_[static_cast<size_t>(q)].second) shared += static_cast<int>(mine.count(x));
                if (shared == 0) continue;
                auto it = std::find_if(byShared.begin(), byShared.end(), [&](const auto& e) { return e.first == shared; });
                if (it == byShared.end()) byShared.push_back({shared, {draws_[static_cast<size_t>(q)].first}});
                else it->second.push_back(draws_[static_cast<size_t>(q)].first);
            }
            if (byShared.empty()) sawDrawWithoutRow = true;
            for (const auto& [shared, list] : byShared) {
                std::string text;
                for (int d : list) text += (text.empty() ? "" : " ") + std::to_string(d);
                expected.push_back({std::to_string(draws_[static_cast<size_t>(p)].first), std::to_string(shared),
                                    std::to_string(list.size()), text});
            }
        }
        EXPECT_EQ(tableRows(r.out), expected);
    }
    // Depth 1 compares each draw with its predecessor only, and some of them share nothing.
    EXPECT_TRUE(sawDrawWithoutRow);

    EXPECT_EQ(run(*dir_, {"repeats", "--deep", "0"}).status, 2);
    EXPECT_EQ(run(*dir_, {"repeats", "--draws", "x"}).status, 2);
    TempDir empty;
    const auto r = run(empty, {"repeats"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(tableRows(r.out).size(), 1u);
}

// The sums of all combinations counted one by one here, the draws' sums from the CSV, and the three
// ranges from the thresholds 1/3, 1/2 and 2/3 of the way from the smallest count to the largest.
TEST_F(CliCharts, SumDistributionEqualsACountOfEveryCombination) {
    std::map<int, long long> total;
    for (int a = 1; a <= 65; ++a)
        for (int b = a + 1; b <= 66; ++b)
            for (int c = b + 1; c <= 67; ++c)
                for (int d = c + 1; d <= 68; ++d)
                    for (int e = d + 1; e <= 69; ++e) ++total[a + b + c + d + e];
    std::map<int, long long> drawn;
    for (const auto& d : draws_) ++drawn[drawSum(d.second)];

    const auto r = run(*dir_, {"sums"});
    ASSERT_EQ(r.status, 0) << r.err;
    const Rows rows = tableRows(r.out);
    Rows expected{{"Сумма", "Комбинаций", "Тиражей"}};
    long long tmin = -1, tmax = 0;
    for (const auto& [sum, count] : total) {
        expected.push_back({std::to_string(sum), std::to_string(count), std::to_string(drawn[sum])});
        tmin = tmin < 0 ? count : std::min(tmin, count);
        tmax = std::max(tmax, count);
    }
    expected.push_back({});
    expected.push_back({"Диапазон", "Порог", "Суммы от", "Суммы до"});
    const std::vector<std::pair<int, long long>> entries(total.begin(), total.end());
    const double w = static_cast<double>(tmax - tmin + 1);
    const std::pair<const char*, double> parts[3] = {{"1/3", w / 3}, {"1/2", w / 2}, {"2/3", 2 * w / 3}};
    for (const auto& [name, part] : parts) {
        const auto y = static_cast<long long>(std::trunc(static_cast<double>(tmin) + part));
        int low = 0, high = 0;
        for (size_t i = 0; i <= entries.size() / 2 && !low; ++i)
            if (entries[i].second >= y) low = entries[i].first;
        for (size_t i = entries.size() - 1; i >= entries.size() / 2 && !high; --i)
            if (entries[i].second >= y) high = entries[i].first;
        expected.push_back({name, std::to_string(y), std::to_string(low), std::to_string(high)});
    }
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(total.size(), 321u);  // every sum 15..335
}

}  // namespace
