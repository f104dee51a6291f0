#include <gtest/gtest.h>

#include <algorithm>

#include "stats/stat_classes.h"
#include "stats_test_util.h"

namespace tavlora {
namespace {

using test::findKey;
using test::makeArchive;
using test::makeComb;
using test::valueWithKeys;

TCustomGraphStat& graph(const std::unique_ptr<TCustomStat>& m) {
    auto* g = dynamic_cast<TCustomGraphStat*>(m.get());
    if (!g) throw std::runtime_error("not a graph method");
    return *g;
}

using Texts = std::vector<std::string>;

Texts texts(const TCustomStat& m, const TStatDrawArray& list) {
    Texts out;
    for (const auto& v : list) out.push_back(m.valueToText(v));
    return out;
}

int tesk(const std::unique_ptr<TCustomStat>& m, std::array<int, 5> nums) {
    return graph(m).numberOfComb(makeComb(nums), 0, 0, false);
}

TEST(TeskStats, DifferenceTriangleModes) {
    const TDrawsArray draws = makeArchive({{40, 3, 55, 9, 17}});
    test::Registry r(draws);
    auto hco1 = r.create("HCO1");
    auto hco2 = r.create("HCO2");
    // 6 8 23 15, then 2 15 8, then 13 7: d = 6.
    EXPECT_EQ(tesk(hco1, {3, 9, 17, 40, 55}), 6);
    EXPECT_EQ(tesk(hco2, {3, 9, 17, 40, 55}), 6);
    // 1 1 1 1, 0 0 0, 0 0: d = 0 and s = 0.
    EXPECT_EQ(tesk(hco1, {1, 2, 3, 4, 5}), 0);
    EXPECT_EQ(tesk(hco2, {1, 2, 3, 4, 5}), 0);
    // 1 1 14 41, 0 13 27, 13 14: d = 1, s = 27.
    EXPECT_EQ(tesk(hco1, {1, 2, 3, 17, 58}), 1);
    EXPECT_EQ(tesk(hco2, {1, 2, 3, 17, 58}), 27);
    // 1 1 1 3, 0 0 2, 0 2: d = 2 in both modes.
    EXPECT_EQ(tesk(hco2, {5, 6, 7, 8, 11}), 2);

    // Drawn order 40 3 55 9 17: 37 52 46 8, 15 6 38, 9 32: d = 23; sorted it is 6.
    EXPECT_EQ(graph(hco1).numberOfDraw(0, 0, false), 23);
    EXPECT_EQ(graph(hco1).numberOfDraw(0, 0, true), 6);
    const TStatDrawArray list = statisticsRun(*hco1, 0, 1, false);
    ASSERT_EQ(list.size(), 1u);  // nothing pre-listed
    EXPECT_EQ(hco1->valueToText(list[0]), "23");
    EXPECT_EQ(hco1->typedValue("23"), 23);

    TStatDrawArray sel{valueWithKeys(27)};
    EXPECT_TRUE(test::matchOf(*hco2, makeComb({1, 2, 3, 17, 58}), sel, 0));
    EXPECT_FALSE(test::matchOf(*hco1, makeComb({1, 2, 3, 17, 58}), sel, 0));

    TStatDrawArray norm;
    hco2->valuesOfComb(makeComb({1, 2, 3, 17, 58}), norm);
    hco2->valuesOfComb(makeComb({3, 9, 17, 40, 55}), norm);
    hco2->valuesOfComb(makeComb({1, 2, 3, 17, 58}), norm);
    ASSERT_EQ(norm.size(), 2u);
    EXPECT_EQ(findKey(norm, 27)->count, 2);
    EXPECT_EQ(findKey(norm, 6)->count, 1);
}

TEST(TeskStats, DynamicMemberGivesTheReferenceNumberAndItsMultiples) {
    test::Registry empty(TDrawsArray{});
    const std::vector<std::pair<std::array<int, 5>, Texts>> cases{
        {{1, 2, 3, 4, 5}, {"0"}},
        {{5, 6, 7, 8, 11}, {"2", "8", "6", "4"}},
        {{5, 6, 7, 8, 12}, {"3", "27", "24", "21", "18", "15", "12", "9", "6"}},
        {{1, 2, 3, 17, 58}, {"27 (1)", "54"}},
        {{3, 9, 17, 40, 55}, {"6", "66", "60", "54", "48", "42", "36", "30", "24", "18", "12"}},
    };
    for (const auto& [nums, expected] : cases) {
        const TDrawsArray draws = makeArchive({{10, 20, 30, 40, 50}, nums});
        test::Registry r(draws);
        auto hco3 = r.create("HCO3");
        const TStatDrawArray list = statisticsRun(*hco3, 1, 2, false);
        EXPECT_EQ(texts(*hco3, list), expected) << int(nums[4]);
        for (const auto& v : list) EXPECT_EQ(v.count, 0);  // no draw after the reference draw
    }
    // The two-byte value carries key 2 = 1 and key 4 = 2.
    const TDrawsArray draws = makeArchive({{1, 2, 3, 17, 58}});
    test::Registry r(draws);
    const TStatDrawArray list = statisticsRun(*r.create("HCO3"), 0, 1, false);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].keys, (std::array<uint16_t, 4>{27, 1, 0, 2}));
    EXPECT_EQ(list[1].keys, (std::array<uint16_t, 4>{54, 0, 0, 0}));
}

TEST(TeskStats, DynamicMemberCountsHitsInTheDrawAfterTheReference) {
    // Draw 2 is the reference (an offset of one draw); draw 3 follows it and holds 8 and 4.
    const TDrawsArray draws =
        makeArchive({{5, 6, 7, 8, 12}, {10, 20, 30, 40, 50}, {5, 6, 7, 8, 11}, {4, 8, 30, 40, 50}});
    test::Registry r(draws);
    auto hco3 = r.create("HCO3");
    const TStatDrawArray list = statisticsRun(*hco3, 2, 3, false);
    // Draws 0 and 1 are not the reference and add nothing.
    ASSERT_EQ(texts(*hco3, list), (Texts{"2", "8", "6", "4"}));
    EXPECT_EQ(list[0].count, 0);
    EXPECT_EQ(list[1].count, 1);
    EXPECT_EQ(list[2].count, 0);
    EXPECT_EQ(list[3].count, 1);
    for (const auto& v : list) {
        EXPECT_EQ(v.minPeriod, 0);
        EXPECT_EQ(v.maxPeriod, 0);
    }
    // Without the offset the reference is draw 3: 4 8 30 40 50 gives 4 22 10 10, 18 12 0, 6 12:
    // d = 6 and multiples 66 .. 12.
    EXPECT_EQ(texts(*hco3, statisticsRun(*hco3, 3, 4, false)).front(), "6");

    // Match test: a candidate holding key 1 of a selected value.
    TStatDrawArray sel{valueWithKeys(27, 1, 0, 2), valueWithKeys(54)};
    hco3->loadDraws(-1, 3, false);
    test::expectMatches(*hco3, sel, 3, {{{1, 2, 3, 4, 27}, true}, {{1, 2, 3, 4, 54}, true}, {{1, 2, 3, 4, 5}, false}});
    const TCombsArray all = test::allCombs(10);
    TStatDrawArray small{valueWithKeys(2), valueWithKeys(8)};
    TCombsArray kept, removed;
    ASSERT_TRUE(filterRun(*hco3, all, small, 3, false, TFilterMode::Include, kept));
    ASSERT_TRUE(filterRun(*hco3, all, small, 3, false, TFilterMode::Exclude, removed));
    // Combinations of 1..10 without 2 and 8: C(8, 5) = 56.
    EXPECT_EQ(removed.size(), 56u);
    EXPECT_EQ(kept.size(), 196u);
}

TEST(TeskStats, RegistryEntries) {
    const TDrawsArray draws;
    test::Registry r(draws);
    const int first = r.list.methodWithCode("HCO1");
    ASSERT_GE(first, 0);
    EXPECT_EQ(r.list.item(first + 1).code(), "HCO2");
    EXPECT_EQ(r.list.item(first + 2).code(), "HCO3");
    EXPECT_EQ(r.list.listCaption(first, true), "{ tsk } Число Tesk 1 (только разность) [ SNG ]");
    EXPECT_EQ(r.list.listCaption(first + 1, true),
              "{ tsk } Число Tesk 2 (разность + сложение, если {0,1}) [ SNG ]");
    EXPECT_EQ(r.list.listCaption(first + 2, true), "{ tsk } Числа Tesk 3 (динамический, только фильтр) [ SD ]");
    EXPECT_FALSE(r.list.hasNorm(first + 2));
    EXPECT_EQ(r.create("HCO3")->typedValue("5"), 0);
}

}  // namespace
}  // namespace tavlora
