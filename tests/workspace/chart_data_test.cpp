// The chart data of the workspace: the combination sum counts against a count of every
// combination, the most frequent key of a counter table, the sum ranges and the repeats series.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "workspace/chart_data.h"

using namespace tavlora;

namespace {

// Counts the sums of every k-number combination of 1..n one by one.
std::vector<int64_t> bruteSumCounts(int n, int k) {
    std::vector<int64_t> counts(static_cast<size_t>(n * k) + 1, 0);
    std::function<void(int, int, int)> pick = [&](int from, int left, int sum) {
        if (left == 0) {
            ++counts[static_cast<size_t>(sum)];
            return;
        }
        for (int x = from; x <= n; ++x) pick(x + 1, left - 1, sum + x);
    };
    pick(1, k, 0);
    return counts;
}

}  // namespace

TEST(ChartData, SumCountsEqualACountOfEveryCombination) {
    struct Case {
        int n, k;
    };
    for (const Case c : {Case{1, 1}, Case{5, 5}, Case{6, 2}, Case{10, 3}, Case{20, 5}, Case{30, 4}, Case{69, 5}}) {
        SCOPED_TRACE(std::to_string(c.n) + " choose " + std::to_string(c.k));
        EXPECT_EQ(combinationSumCounts(c.n, c.k), bruteSumCounts(c.n, c.k));
    }
    // The game's full set: C(69,5) combinations, sums 15..335.
    const auto full = combinationSumCounts(69, 5);
    int64_t all = 0;
    for (int64_t v : full) all += v;
    EXPECT_EQ(all, 11238513);
    EXPECT_EQ(full[14], 0);
    EXPECT_EQ(full[15], 1);
    EXPECT_EQ(full[335], 1);
}

TEST(ChartData, MostFrequentKeyKeepsTheEarliestOfEqualCounts) {
    struct Case {
        std::vector<int32_t> keys;
        int32_t mode;
    };
    const Case cases[] = {
        {{}, 0},
        {{7}, 7},
        {{5, 3, 3, 5}, 5},        // a tie: 5 came first
        {{5, 3, 3, 5, 3}, 3},     // 3 more often
        {{9, 1, 2, 2, 1, 9}, 9},  // a three-way tie
        {{-4, 2, -4}, -4},
    };
    for (const Case& c : cases) {
        TStatSimpleArray table;
        for (int32_t k : c.keys) addToCounter(table, k, 1);
        EXPECT_EQ(mostFrequentKey(table), c.mode);
    }
}

TEST(ChartData, SumRangesScanEachHalfOfTheTable) {
    const std::vector<TStatSimple> table{{10, 1}, {11, 4}, {12, 9}, {13, 4}, {14, 2}};
    struct Case {
        int32_t threshold;
        int low, high;
    };
    // From below the scan covers entries 0..2, from above 4 down to 2; 0 where nothing reaches.
    for (const Case c : {Case{1, 10, 14}, Case{3, 11, 13}, Case{5, 12, 12}, Case{9, 12, 12}, Case{10, 0, 0}}) {
        const TSumRange r = sumRange(table, c.threshold);
        EXPECT_EQ(r, (TSumRange{c.threshold, c.low, c.high})) << c.threshold;
    }
    EXPECT_EQ(sumRange({}, 1), (TSumRange{1, 0, 0}));
}

TEST(ChartData, GraphSeriesAndRepeatsSeries) {
    TDrawsGraph g;
    g.drawNumbers = {10, 11, 12};
    g.values = {4, 6, 4};
    g.mean = 14.0 / 3;
    g.mode = 4;
    const auto s = drawsGraphSeries(g, "caption", true);
    ASSERT_EQ(s.size(), 3u);
    EXPECT_EQ(s[0].title, "caption");
    EXPECT_TRUE(s[0].marks);
    EXPECT_EQ(s[1].title, kGraphMeanTitle);
    EXPECT_EQ(s[2].title, kGraphModeTitle);
    for (const auto& series : s) ASSERT_EQ(series.points.size(), 3u);
    EXPECT_EQ(s[0].points[1].x, 11);
    EXPECT_EQ(s[0].points[1].y, 6);
    EXPECT_DOUBLE_EQ(s[1].points[2].y, 14.0 / 3);
    EXPECT_EQ(s[2].points[0].y, 4);

    // Rows go to the series of their number of shared numbers, from the last row to the first.
    TRepeatsTable t;
    t.rows = {{20, 1, 3, {19, 18, 17}}, {20, 2, 1, {15}}, {19, 1, 1, {18}}};
    t.maxMatches = 3;
    const auto rs = repeatsSeries(t);
    ASSERT_EQ(rs.size(), 3u);
    EXPECT_EQ(rs[0].title, "Совпадений: 1");
    EXPECT_EQ(rs[2].title, "Совпадений: 3");
    ASSERT_EQ(rs[0].points.size(), 2u);
    EXPECT_EQ(rs[0].points[0].x, 19);
    EXPECT_EQ(rs[0].points[1].x, 20);
    EXPECT_EQ(rs[0].points[1].y, 3);
    ASSERT_EQ(rs[1].points.size(), 1u);
    EXPECT_TRUE(rs[2].points.empty());
    EXPECT_EQ(t.rows[0].drawsText(), "19 18 17");
}
