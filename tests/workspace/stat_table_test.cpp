// The statistics table: the 20 columns with their "-" rules and rounding, norms from a norm
// file, weights, the chart series, the sortable-list comparison and the selection of rows.
#include <gtest/gtest.h>

#include <numeric>

#include "core/codepage.h"
#include "stats/custom_stat.h"
#include "stats/stat_list.h"
#include "workspace/stat_method.h"
#include "workspace/stat_table.h"

using namespace tavlora;

namespace {

TDraw draw(int number, std::array<uint8_t, 5> nums) {
    TDraw d;
    d.number = number;
    d.nums = nums;
    return d;
}

// Six draws; the window of the tests ends at index 4 (draw 5), draw 6 lies after it.
//   10 comes in draws 2 and 4, 20 in draws 1 and 3, 31 in draw 1: all three again in draw 6.
TDrawsArray sampleDraws() {
    return {draw(1, {20, 31, 32, 33, 34}), draw(2, {10, 41, 42, 43, 44}), draw(3, {20, 51, 52, 53, 54}),
            draw(4, {10, 61, 62, 63, 64}), draw(5, {1, 2, 3, 4, 5}),      draw(6, {10, 20, 31, 65, 66})};
}

class StatTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        setDecimalSeparatorOverride(',');
        registry.rebuild();
        nums = statMethodIndex(registry, "NUMS");
        input.draws = &draws;
        input.endIndex = 4;
        input.window = 1000;  // longer than the archive
        input.weights = TWeights{1, 2, 0.5L, false, false};
    }
    void TearDown() override { setDecimalSeparatorOverride('\0'); }

    const TStatTableRow& row(const TStatTable& t, const std::string& value) {
        const auto i = findStatRow(t.rows, value);
        EXPECT_TRUE(i.has_value()) << value;
        return t.rows.at(i.value_or(0));
    }

    TDrawsArray draws = sampleDraws();
    TSettings settings;
    TStatList registry{settings, draws};
    int nums = -1;
    TStatTableInput input;
};

TEST_F(StatTableTest, ColumnsOfAWindowLongerThanTheArchive) {
    const TStatTable t = computeStatTable(registry, nums, input);
    EXPECT_EQ(t.first, 0);
    EXPECT_EQ(t.windowSize, 5);
    EXPECT_EQ(t.rows.size(), 69u);  // every number is listed
    EXPECT_EQ(t.summary.total, 25);
    EXPECT_EQ(t.summary.maxDepth, 5);
    EXPECT_FALSE(t.normsLoaded);

    // 10: count 2, last draw 4 (depth 2), W/c + L = 6.5 and (c+2)(L+1)/(c+1) = 6.67.
    const std::array<std::string, 20> ten{"10", "2", "8,00000", "-", "-", "-", "2", "40,00", "3,00", "4",
                                          "2", "2,5000", "2", "6", "6", "7", "6", "0", "0", "+1"};
    EXPECT_EQ(row(t, "10").cells, ten);
    // 20: W/c + L = 5.5 and (c+1)L/c = 4.5: both ties round to the even neighbour.
    const std::array<std::string, 20> twenty{"20", "2", "8,00000", "-", "-", "-", "3", "60,00", "3,50", "3",
                                             "2", "2,5000", "2", "6", "4", "5", "6", "0", "-2", "-1"};
    EXPECT_EQ(row(t, "20").cells, twenty);
    // 31: one occurrence: no periods and no expected draw by period.
    const auto& c31 = row(t, "31").cells;
    for (int k : {10, 11, 12, 13, 17}) EXPECT_EQ(c31[static_cast<size_t>(k)], "-") << k;
    EXPECT_EQ(c31[14], "2");
    EXPECT_EQ(c31[15], "3");
    EXPECT_EQ(c31[16], "6");
    EXPECT_EQ(c31[18], "-4");
    // 1 came in the last draw of the window and never again: no actual draw.
    const auto& c1 = row(t, "1").cells;
    EXPECT_EQ(c1[6], "1");
    for (int k = 16; k < 20; ++k) EXPECT_EQ(c1[static_cast<size_t>(k)], "-") << k;
    // 69 is listed but absent: count 0 and "-" from column 6 on.
    const auto& c69 = row(t, "69").cells;
    EXPECT_EQ(c69[1], "0");
    EXPECT_EQ(c69[2], "0,00000");
    for (int k = 6; k < 20; ++k) EXPECT_EQ(c69[static_cast<size_t>(k)], "-") << k;

    // The row texts of scenario logs: columns 0, 1, 2, 4, 5, 6, 7, 8, 10, 11, 12.
    EXPECT_EQ(statRowLogTexts(row(t, "10")),
              (std::vector<std::string>{"10", "2", "8,00000", "-", "-", "2", "40,00", "3,00", "2", "2,5000", "2"}));
}

TEST_F(StatTableTest, EmptyArchiveAndHiddenDrawsGiveAnEmptyTable) {
    TDrawsArray none;
    input.draws = &none;
    EXPECT_TRUE(computeStatTable(registry, nums, input).rows.empty());
    input.draws = &draws;
    input.endIndex = -1;  // the offset hides every draw
    EXPECT_TRUE(computeStatTable(registry, nums, input).rows.empty());
}

TEST_F(StatTableTest, NormsAreScaledToTheWindowAndRoundedToEven) {
    // fmax = 8, cmax = 2: ratio 0.25; 6 * 0.25 = 1.5 -> 2 and 2 * 0.25 = 0.5 -> 0.
    TPrefetchData file{{{{10, 0, 0, 0}, 8}, {{20, 0, 0, 0}, 6}, {{31, 0, 0, 0}, 2}}, 2, 8};
    input.norms = &file;
    const TStatTable t = computeStatTable(registry, nums, input);
    ASSERT_TRUE(t.normsLoaded);
    EXPECT_EQ(t.ratio, 0.25L);
    EXPECT_EQ(row(t, "10").value.norm, 2);
    EXPECT_EQ(row(t, "20").value.norm, 2);
    const auto& c31 = row(t, "31").cells;
    EXPECT_EQ(c31[3], "0");
    EXPECT_EQ(c31[4], "1");
    EXPECT_EQ(c31[5], "100,00000");  // norm 0 with a count
    EXPECT_EQ(c31[8], "5,50");       // 1*1 + 2*(1-0) + 0.5*5
    const auto& c69 = row(t, "69").cells;  // zero count, norm 0
    EXPECT_EQ(c69[3], "0");
    EXPECT_EQ(c69[4], "0");
    EXPECT_EQ(c69[5], "0,00000");
    EXPECT_EQ(c69[6], "-");
    const auto& c10 = row(t, "10").cells;
    EXPECT_EQ(c10[5], "0,00000");
    EXPECT_EQ(c10[8], "3,00");

    // Chart: the file's entries in file order, the total line scaled by the ratio.
    ASSERT_EQ(t.chart.total.size(), 3u);
    EXPECT_EQ(t.chart.total[0], (TChartPoint{1, 2.0, "10"}));
    EXPECT_EQ(t.chart.total[1], (TChartPoint{2, 1.5, "20"}));
    ASSERT_EQ(t.chart.actual.size(), 3u);
    EXPECT_EQ(t.chart.actual[2], (TChartPoint{3, 1.0, "31"}));
    input.showTotalLine = false;
    const TStatTable noLine = computeStatTable(registry, nums, input);
    EXPECT_TRUE(noLine.chart.total.empty());
    EXPECT_EQ(noLine.chart.actual.size(), 3u);
}

TEST_F(StatTableTest, EqualNormCountsUseTheMeanOfTheWindowCounts) {
    // fmin = fmax = 4: ratio = ((cmin + cmax) / 2) / fmax = ((0 + 2) / 2) / 4.
    TPrefetchData file{{{{10, 0, 0, 0}, 4}, {{20, 0, 0, 0}, 4}}, 4, 4};
    input.norms = &file;
    const TStatTable t = computeStatTable(registry, nums, input);
    EXPECT_EQ(t.ratio, 0.25L);
    EXPECT_EQ(row(t, "10").cells[3], "1");
    EXPECT_EQ(row(t, "10").cells[5], "100,00000");
}

TEST_F(StatTableTest, AZeroLargestCountLoadsNoNorms) {
    TPrefetchData file{{{{10, 0, 0, 0}, 0}}, 0, 0};
    input.norms = &file;
    const TStatTable t = computeStatTable(registry, nums, input);
    EXPECT_FALSE(t.normsLoaded);
    EXPECT_EQ(row(t, "10").cells[3], "-");
    EXPECT_EQ(row(t, "10").value.norm, 0);
}

TEST_F(StatTableTest, WeightInPercentsAndAbsoluteValues) {
    input.weights = TWeights{1, 2, 0.5L, true, false};
    EXPECT_EQ(row(computeStatTable(registry, nums, input), "10").cells[8], "28,00");  // 8 + 0 + 0.5*40
    input.weights = TWeights{1, -1, -1, false, true};
    EXPECT_EQ(row(computeStatTable(registry, nums, input), "10").cells[8], "0,00");  // 2 - 0 - 2
}

TEST_F(StatTableTest, ChartWithoutNormsFollowsTheKeys) {
    const TStatTable t = computeStatTable(registry, nums, input);
    ASSERT_EQ(t.chart.actual.size(), 69u);
    EXPECT_TRUE(t.chart.total.empty());
    EXPECT_EQ(t.chart.actual[9], (TChartPoint{10, 2, "10"}));
    EXPECT_EQ(t.chart.actual[68], (TChartPoint{69, 0, "69"}));
}

TEST(ListSort, TextsCompareAsNumbersOrAsTextsWithoutCase) {
    EXPECT_LT(compareListTexts("2,5", "10"), 0);
    EXPECT_GT(compareListTexts("+3", "-2"), 0);
    EXPECT_EQ(compareListTexts("1,50", "1.5"), 0);
    EXPECT_LT(compareListTexts("10", "9x"), 0);  // not both numbers: compared as texts
    EXPECT_EQ(compareListTexts("ЧнЧ (010)", "чНч (010)"), 0);
    EXPECT_LT(compareListTexts("abc", "ABD"), 0);
    EXPECT_LT(compareListTexts("-", "5"), 0);
}

TEST(ListSort, ClicksChooseAndReverseTheColumnAndTiesFollowColumnZero) {
    TListSort sort;
    EXPECT_EQ(sort.column, 1);
    EXPECT_FALSE(sort.descending);
    sort.click(1);
    EXPECT_TRUE(sort.descending);
    sort.click(3);
    EXPECT_EQ(sort.column, 3);
    EXPECT_FALSE(sort.descending);

    auto mk = [](std::string v, std::string c) {
        TStatTableRow r;
        r.cells[0] = std::move(v);
        r.cells[1] = std::move(c);
        return r;
    };
    std::vector<TStatTableRow> rows{mk("b", "2"), mk("c", "10"), mk("a", "2"), mk("d", "-")};
    sortStatRows(rows, TListSort{1, false});
    std::vector<std::string> order;
    for (const auto& r : rows) order.push_back(r.cells[0]);
    // "-" is no number, so it is compared with the numbers as a text and goes first.
    EXPECT_EQ(order, (std::vector<std::string>{"d", "a", "b", "c"}));
    sortStatRows(rows, TListSort{1, true});
    order.clear();
    for (const auto& r : rows) order.push_back(r.cells[0]);
    // The reverse direction reverses the whole comparison, the tie-break by column 0 included.
    EXPECT_EQ(order, (std::vector<std::string>{"c", "b", "a", "d"}));
}

TEST_F(StatTableTest, SelectionFollowsTheDisplayedOrder) {
    TStatTable t = computeStatTable(registry, nums, input);
    sortStatRows(t.rows, TListSort{1, true});  // counts descending: 20 and 10 (ties reversed) first
    const auto i10 = *findStatRow(t.rows, "10");
    const auto i20 = *findStatRow(t.rows, "20");
    const auto i5 = *findStatRow(t.rows, "5");
    const TStatSelection sel = statSelection(t.rows, {i5, i20, i10, i20});
    ASSERT_EQ(sel.values.size(), 3u);
    EXPECT_EQ(sel.text, "20; 10; 5");
    EXPECT_EQ(sel.values[0].keys[0], 20);
    EXPECT_TRUE(statSelection(t.rows, {}).values.empty());
    EXPECT_FALSE(findStatRow(t.rows, "70").has_value());
}

TEST(StatTableKey, UnchangedKeySkipsAnUnforcedRecomputation) {
    TStatRecomputeGate gate;
    const TStatViewKey key{1390, 0, 1000, 0};
    EXPECT_TRUE(gate.begin(key, false));
    EXPECT_FALSE(gate.begin(key, false));
    EXPECT_TRUE(gate.begin(key, true));
    EXPECT_TRUE(gate.begin(TStatViewKey{1390, 1, 1000, 0}, false));
    EXPECT_TRUE(gate.begin(key, false));
}

}  // namespace
