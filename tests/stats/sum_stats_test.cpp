#include <gtest/gtest.h>

#include <algorithm>

#include "stats/stat_classes.h"
#include "stats_test_util.h"

namespace tavlora {
namespace {

using test::findKey;
using test::makeArchive;
using test::makeComb;
using test::valueWithInt12;
using test::valueWithKeys;

TCustomGraphStat& graph(const std::unique_ptr<TCustomStat>& m) {
    auto* g = dynamic_cast<TCustomGraphStat*>(m.get());
    if (!g) throw std::runtime_error("not a graph method");
    return *g;
}

const TStatDraw* findInt(const TStatDrawArray& list, int32_t k12, int32_t k34 = 0) {
    for (const auto& v : list)
        if (v.keys12() == k12 && v.keys34() == k34) return &v;
    return nullptr;
}

TEST(SumStats, SumValuesAndClassSums) {
    const TDrawsArray draws = makeArchive({{2, 15, 36, 40, 69}, {1, 2, 3, 4, 5}, {4, 6, 8, 9, 10}});
    test::Registry r(draws);
    auto sums = r.create("SUMS");
    TStatDrawArray list = statisticsRun(*sums, 2, 3, false);
    ASSERT_EQ(list.size(), 321u);
    EXPECT_EQ(list.front().keys12(), 15);
    EXPECT_EQ(list.back().keys12(), 335);
    EXPECT_EQ(findInt(list, 162)->count, 1);
    EXPECT_EQ(findInt(list, 15)->count, 1);
    EXPECT_EQ(findInt(list, 100)->count, 0);
    EXPECT_EQ(sums->valueToText(*findInt(list, 162)), "162");
    EXPECT_EQ(graph(sums).numberOfDraw(0, 2, false), 162);
    EXPECT_EQ(graph(sums).numberOfComb(makeComb({65, 66, 67, 68, 69}), 0, 2, false), 335);

    TStatDrawArray sel{valueWithInt12(162)};
    test::expectMatches(*sums, sel, 2, {{{69, 40, 36, 15, 2}, true}, {{1, 2, 3, 4, 6}, false}});
    TStatDrawArray withKey3{valueWithKeys(162, 0, 1)};  // keys 3-4 must be 0
    EXPECT_FALSE(test::matchOf(*sums, makeComb({69, 40, 36, 15, 2}), withKey3, 2));

    auto even = r.create("SUME");
    auto prime = r.create("SUMP");
    TStatDrawArray e = statisticsRun(*even, 2, 3, false);
    EXPECT_EQ(e.size(), 3u);  // nothing pre-listed
    EXPECT_EQ(findInt(e, 78)->count, 1);  // 2 + 36 + 40
    EXPECT_EQ(findInt(e, 6)->count, 1);   // 2 + 4
    TStatDrawArray p = statisticsRun(*prime, 2, 3, false);
    EXPECT_EQ(findInt(p, 2)->count, 1);   // only 2 is prime in the first draw
    EXPECT_EQ(findInt(p, 11)->count, 1);  // 1 + 2 + 3 + 5: 1 counts as prime
    EXPECT_EQ(findInt(p, 0)->count, 1);   // 4 6 8 9 10 has no prime
    EXPECT_EQ(graph(prime).numberOfComb(makeComb({4, 6, 8, 9, 10}), 0, 2, false), 0);
}

TEST(SumStats, SumOfTwoEqualsAThird) {
    const TDrawsArray draws = makeArchive({{1, 2, 3, 4, 5}, {10, 20, 30, 40, 50}, {1, 10, 20, 40, 69}});
    test::Registry r(draws);
    auto s2t3 = r.create("S2T3");
    EXPECT_EQ(graph(s2t3).numberOfDraw(0, 2, false), 4);
    EXPECT_EQ(graph(s2t3).numberOfDraw(1, 2, false), 4);
    EXPECT_EQ(graph(s2t3).numberOfDraw(2, 2, false), 0);
    TStatDrawArray list = statisticsRun(*s2t3, 2, 3, false);
    ASSERT_EQ(list.size(), 2u);
    ASSERT_NE(findKey(list, 4), nullptr);
    EXPECT_EQ(findKey(list, 4)->count, 2);
    EXPECT_EQ(findKey(list, 4)->minPeriod, 1);
    TStatDrawArray sel{valueWithKeys(0)};
    test::expectMatches(*s2t3, sel, 2, {{{1, 10, 20, 40, 69}, true}, {{5, 4, 3, 2, 1}, false}});
}

TEST(SumStats, SumOfTwoEqualsAThirdInAnyOrderOfTheNumbers) {
    // Draws in stored order, where any position may hold a sum or a part of one.
    struct Case {
        std::array<int, 5> nums;
        int count;
    };
    const Case cases[] = {
        {{1, 10, 20, 30, 9}, 2},   // 1+9=10 (the fifth as a part), 10+20=30
        {{1, 2, 4, 5, 3}, 4},      // 3=1+2 (the fifth as the sum), 4=1+3, 5=1+4, 5=2+3
        {{50, 40, 30, 20, 10}, 4}, // descending
        {{3, 5, 8, 1, 2}, 3},      // 3=1+2, 5=2+3, 8=3+5
        {{69, 1, 40, 20, 10}, 0},
    };
    const TDrawsArray draws = makeArchive(
        {cases[0].nums, cases[1].nums, cases[2].nums, cases[3].nums, cases[4].nums});
    test::Registry r(draws);
    auto s2t3 = r.create("S2T3");
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        const int index = static_cast<int>(i);
        SCOPED_TRACE(index);
        // As a draw (stored and sorted order give the same count) and through the statistics run.
        EXPECT_EQ(graph(s2t3).numberOfDraw(index, 4, false), c.count);
        EXPECT_EQ(graph(s2t3).numberOfDraw(index, 4, true), c.count);
        const TStatDrawArray one = statisticsRun(*s2t3, index, 1, false);
        ASSERT_EQ(one.size(), 1u);
        EXPECT_EQ(one[0].keys[0], c.count);

        // As a candidate: every order of the five numbers gives the same count and the same match.
        std::array<int, 5> perm = c.nums;
        std::sort(perm.begin(), perm.end());
        const TStatDrawArray sel{valueWithKeys(c.count)};
        const TStatDrawArray other{valueWithKeys(c.count + 1)};
        const auto selMatcher = s2t3->prepareFilter(sel, 4, false, TFilterMode::Include);
        const auto otherMatcher = s2t3->prepareFilter(other, 4, false, TFilterMode::Include);
        int orders = 0;
        do {
            const TComb comb = makeComb(perm);
            ASSERT_EQ(graph(s2t3).numberOfComb(comb, 0, 4, false), c.count) << ::testing::PrintToString(perm);
            ASSERT_TRUE(selMatcher->matches(comb));
            ASSERT_FALSE(otherMatcher->matches(comb));
            TStatDrawArray values;
            s2t3->valuesOfComb(comb, values);
            ASSERT_EQ(values.size(), 1u);
            ASSERT_EQ(values[0].keys[0], c.count);
            ++orders;
        } while (std::next_permutation(perm.begin(), perm.end()));
        EXPECT_EQ(orders, 120);
    }
}

TEST(SumStats, RangeInstances) {
    // Sums 241, 242 and 120.
    const TDrawsArray draws = makeArchive({{41, 45, 50, 52, 53}, {41, 45, 50, 52, 54}, {10, 20, 25, 30, 35}});
    test::Registry r(draws);
    auto sum1 = r.create("SUM1");
    auto sum3 = r.create("SUM3");
    EXPECT_EQ(graph(sum1).numberOfDraw(0, 2, false), 1);
    EXPECT_EQ(graph(sum1).numberOfDraw(1, 2, false), 0);
    EXPECT_EQ(graph(sum1).numberOfDraw(2, 2, false), 1);
    EXPECT_EQ(graph(sum3).numberOfDraw(2, 2, false), 0);

    TStatDrawArray list = statisticsRun(*sum1, 2, 3, false);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].keys[0], 0);
    EXPECT_EQ(list[0].count, 1);
    EXPECT_EQ(list[1].keys[0], 1);
    EXPECT_EQ(list[1].count, 2);
    EXPECT_EQ(sum1->valueToText(list[1]), "109-241");
    EXPECT_EQ(sum1->valueToText(list[0]), "Остальные");
    EXPECT_EQ(sum3->valueToText(list[1]), "134-216");

    const TComb in = makeComb({41, 45, 50, 52, 53}), out = makeComb({41, 45, 50, 52, 54});
    TStatDrawArray one{valueWithKeys(1)}, zero{valueWithKeys(0)}, both{valueWithKeys(0), valueWithKeys(1)};
    for (const TStatDrawArray* sel : {&one, &both}) {
        EXPECT_TRUE(test::matchOf(*sum1, in, *sel, 2));
        EXPECT_FALSE(test::matchOf(*sum1, out, *sel, 2));
    }
    EXPECT_FALSE(test::matchOf(*sum1, in, zero, 2));
    EXPECT_TRUE(test::matchOf(*sum1, out, zero, 2));
}

// Sums of the draws: 150, 160, 150, 170, 150 (the last one is the reference draw).
TDrawsArray changeArchive() {
    return makeArchive({{10, 20, 30, 40, 50}, {10, 20, 30, 40, 60}, {10, 20, 30, 40, 50}, {10, 20, 30, 50, 60},
                        {10, 20, 30, 40, 50}});
}

TEST(SumStats, ExactChangeFollowsDrawsWithTheLatestSum) {
    const TDrawsArray draws = changeArchive();
    test::Registry r(draws);
    auto sumc = r.create("SUMC");
    TStatDrawArray list = statisticsRun(*sumc, 4, 5, false);
    // The first draw has no draw before it (sum 0) and adds nothing.
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].keys12(), 150);
    EXPECT_EQ(list[0].keys34(), 160);
    EXPECT_EQ(list[0].lastDraw, 2);
    EXPECT_EQ(list[1].keys34(), 170);
    EXPECT_EQ(sumc->valueToText(list[0]), "+10 : 150 + 10 = 160");
    TStatDraw down = valueWithInt12(120);
    down.setKeys34(113);
    EXPECT_EQ(sumc->valueToText(down), "- 07 : 120 - 7 = 113");
    TStatDraw up = valueWithInt12(120);
    up.setKeys34(135);
    EXPECT_EQ(sumc->valueToText(up), "+15 : 120 + 15 = 135");

    EXPECT_EQ(graph(sumc).numberOfDraw(0, 4, false), 150);
    EXPECT_EQ(graph(sumc).numberOfDraw(1, 4, false), 10);
    EXPECT_EQ(graph(sumc).numberOfDraw(2, 4, false), -10);
    EXPECT_EQ(graph(sumc).numberOfComb(makeComb({1, 2, 3, 4, 5}), 4, 4, false), 15 - 170);

    TStatDrawArray sel{list[1]};
    test::expectMatches(*sumc, sel, 4, {{{10, 20, 30, 50, 60}, true}, {{10, 20, 30, 40, 60}, false}});
}

TEST(SumStats, TrendOfTheSum) {
    const TDrawsArray draws = changeArchive();
    test::Registry r(draws);
    auto sumt = r.create("SUMT");
    TStatDrawArray list = statisticsRun(*sumt, 4, 5, false);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].keys12(), 0);
    EXPECT_EQ(list[1].keys12(), 1);
    EXPECT_EQ(list[2].keys12(), -1);
    EXPECT_EQ(list[2].keys[0], 0xFFFF);
    EXPECT_EQ(list[1].count, 2);  // 150 -> 160 and 150 -> 170
    EXPECT_EQ(list[0].count + list[2].count, 0);
    EXPECT_EQ(sumt->valueToText(list[0]), "=");
    EXPECT_EQ(sumt->valueToText(list[1]), "+");
    EXPECT_EQ(sumt->valueToText(list[2]), "-");

    // Relative to the reference draw (sum 150).
    TStatDrawArray equal{valueWithInt12(0)}, lower{valueWithInt12(-1)};
    test::expectMatches(*sumt, equal, 4, {{{50, 40, 30, 20, 10}, true}, {{50, 40, 30, 20, 11}, false}});
    EXPECT_TRUE(test::matchOf(*sumt, makeComb({1, 2, 3, 4, 5}), lower, 4));
    // Another reference index is honoured (draw 3 has sum 170).
    EXPECT_TRUE(test::matchOf(*sumt, makeComb({10, 20, 30, 40, 60}), lower, 3));

    EXPECT_EQ(graph(sumt).numberOfDraw(0, 4, false), 1);  // 150 against the empty draw
    EXPECT_EQ(graph(sumt).numberOfDraw(2, 4, false), -1);
    EXPECT_EQ(graph(sumt).numberOfComb(makeComb({10, 20, 30, 40, 60}), 2, 4, false), 0);
}

TEST(SumStats, ChangeWithinTheSumStep) {
    // Draw 1 has sum 150, draw 2 sum 250; the reference draw's sum decides whether draw 2 counts.
    auto archiveWithReference = [](std::array<int, 5> last) {
        return makeArchive({{10, 20, 30, 40, 50}, {40, 45, 50, 55, 60}, last});
    };
    for (const auto& [reference, counted] :
         std::vector<std::pair<std::array<int, 5>, bool>>{{{10, 20, 30, 40, 82}, true},     // 182
                                                          {{10, 20, 30, 40, 83}, false},    // 183
                                                          {{10, 20, 30, 40, 18}, true},     // 118
                                                          {{10, 20, 30, 40, 17}, false}}) {  // 117
        const TDrawsArray draws = archiveWithReference(reference);
        test::Registry r(draws);
        auto sumv = r.create("SUMV");
        TStatDrawArray list = statisticsRun(*sumv, 2, 3, false);
        const TStatDraw* plus100 = findInt(list, 100);
        EXPECT_EQ(plus100 != nullptr, counted) << drawSum(draws[2]);
        if (plus100) {
            EXPECT_EQ(sumv->valueToText(*plus100), "+100");
        }
    }
    const TDrawsArray draws = archiveWithReference({10, 20, 30, 40, 82});
    test::Registry r(draws);
    auto sumv = r.create("SUMV");
    EXPECT_EQ(sumv->valueToText(valueWithInt12(-7)), "- 07");
    EXPECT_EQ(sumv->valueToText(valueWithInt12(0)), "+00");
    EXPECT_EQ(sumv->valueToText(valueWithInt12(15)), "+15");
    // Match test: the change from the draw at the reference index.
    TStatDrawArray sel{valueWithInt12(-7)};
    test::expectMatches(*sumv, sel, 2, {{{10, 20, 30, 40, 75}, true}, {{10, 20, 30, 40, 76}, false}});
    EXPECT_TRUE(test::matchOf(*sumv, makeComb({10, 20, 30, 40, 43}), sel, 0));
}

}  // namespace
}  // namespace tavlora
