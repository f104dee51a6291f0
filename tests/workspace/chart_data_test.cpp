// The chart data of the workspace: the combination sum counts against a count of every
// combination, the most frequent key of a counter table, the sum ranges and the repeats series.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
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
    // Green with magenta markers and value marks; the mean blue and the mode red, plain lines.
    struct Style {
        uint32_t color;
        bool markers, marks;
    };
    const Style styles[3] = {{0x008000, true, true}, {0xFF0000, false, false}, {0x0000FF, false, false}};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(s[i].color, styles[i].color) << i;
        EXPECT_EQ(s[i].markers, styles[i].markers) << i;
        EXPECT_EQ(s[i].marks, styles[i].marks) << i;
    }
    EXPECT_EQ(s[0].markerColor, 0xFF00FFu);
    EXPECT_EQ(s[0].markerSize, 2);
    EXPECT_TRUE(s[0].marksShowValue);
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

// The sum distribution of three draws: the combinations' counts, the draws' counts by sum, the
// ranges from the thresholds and the five series, the combinations' and range lines scaled to the
// draws' largest count.
TEST(ChartData, SumDistributionAndItsSeries) {
    TDrawsArray draws(3);
    const uint8_t nums[3][5] = {{1, 2, 3, 4, 5}, {69, 68, 67, 66, 65}, {5, 4, 3, 2, 1}};
    for (size_t i = 0; i < 3; ++i) {
        draws[i].number = static_cast<int32_t>(i + 1);
        for (size_t k = 0; k < 5; ++k) draws[i].nums[k] = nums[i][k];
    }
    const TSumDistribution d = computeSumDistribution(draws);
    ASSERT_EQ(d.total.size(), 321u);
    EXPECT_EQ(d.total.front().key, 15);
    EXPECT_EQ(d.totalMin, 1);
    EXPECT_EQ(d.actual.size(), 2u);
    EXPECT_EQ(d.actual[0].key, 15);
    EXPECT_EQ(d.actual[0].count, 2);
    EXPECT_EQ(d.actual[1].key, 335);
    EXPECT_EQ(d.actualMax, 2);
    const int32_t w = d.totalMax - d.totalMin + 1;
    const int32_t thresholds[3] = {1 + w / 3, 1 + w / 2, 1 + 2 * w / 3};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(d.ranges[i], sumRange(d.total, thresholds[i])) << i;
        EXPECT_GT(d.ranges[i].low, 15);
        EXPECT_EQ(d.ranges[i].low + d.ranges[i].high, 350);  // the distribution is symmetric about 175
    }
    EXPECT_LT(d.ranges[2].high - d.ranges[2].low, d.ranges[0].high - d.ranges[0].low);

    const auto s = sumDistributionSeries(d);
    ASSERT_EQ(s.size(), 5u);
    EXPECT_EQ(s[0].title, kSumsActualTitle);
    EXPECT_TRUE(s[0].marks && s[0].markers);
    ASSERT_EQ(s[0].points.size(), 2u);
    EXPECT_EQ(s[0].points[0].y, 2);
    EXPECT_EQ(s[1].title, kSumsTotalTitle);
    EXPECT_FALSE(s[1].marks);
    ASSERT_EQ(s[1].points.size(), 321u);
    double top = 0;
    for (const auto& p : s[1].points) top = std::max(top, p.y);
    EXPECT_DOUBLE_EQ(top, 2.0);
    const char* parts[3] = {"1/3", "1/2", "2/3"};
    for (size_t i = 0; i < 3; ++i) {
        const auto& line = s[2 + i];
        EXPECT_EQ(line.title, "Диапазон " + std::to_string(i + 1) + " (от " + parts[i] + " и выше по оси Y) - суммы " +
                                  std::to_string(d.ranges[i].low) + "-" + std::to_string(d.ranges[i].high));
        ASSERT_EQ(line.points.size(), 321u);
        EXPECT_DOUBLE_EQ(line.points[160].y, 2.0 * thresholds[i] / d.totalMax);
    }
}
