#include <gtest/gtest.h>

#include "stats/stat_classes.h"
#include "stats_test_util.h"

namespace tavlora {
namespace {

using test::findKey;
using test::makeArchive;
using test::makeComb;
using test::valueWithKeys;

TEST(NumberStats, ValuesOverAWindow) {
    // Twelve draws; 7 occurs in draws 3, 6 and 12 (numbers 3, 6, 12).
    const TDrawsArray draws = makeArchive({{1, 2, 3, 4, 5},
                                           {6, 8, 9, 10, 11},
                                           {7, 12, 13, 14, 15},
                                           {16, 17, 18, 19, 20},
                                           {21, 22, 23, 24, 25},
                                           {7, 26, 27, 28, 29},
                                           {30, 31, 32, 33, 34},
                                           {35, 36, 37, 38, 39},
                                           {40, 41, 42, 43, 44},
                                           {45, 46, 47, 48, 49},
                                           {50, 51, 52, 53, 54},
                                           {55, 56, 57, 58, 7}});
    test::Registry r(draws);
    auto nums = r.create("NUMS");
    // A window of 10 draws: 69 rows whose counts add up to 50.
    const TStatDrawArray list = statisticsRun(*nums, 11, 10, false);
    ASSERT_EQ(list.size(), 69u);
    EXPECT_EQ(summarize(list).total, 50);
    for (size_t i = 0; i < list.size(); ++i) EXPECT_EQ(list[i].keys[0], i + 1);
    const TStatDraw* seven = findKey(list, 7);
    EXPECT_EQ(seven->count, 3);
    EXPECT_EQ(seven->lastDraw, 12);
    EXPECT_EQ(seven->depth, 1);
    EXPECT_EQ(seven->minPeriod, 3);
    EXPECT_EQ(seven->maxPeriod, 6);
    // Numbers of the first two draws lie before the window: listed, never seen.
    const TStatDraw* one = findKey(list, 1);
    EXPECT_EQ(one->count, 0);
    EXPECT_EQ(one->lastDraw, 0);
    EXPECT_EQ(one->depth, 0);
    EXPECT_EQ(findKey(list, 34)->depth, 6);  // draw 7 of a window ending at draw 12
    EXPECT_EQ(nums->valueToText(*seven), "7");

    // A window longer than the archive takes the archive from its start.
    EXPECT_EQ(summarize(statisticsRun(*nums, 11, 1000, false)).total, 60);
    // Find next occurrence: 7 after draw 3 is next seen in draw 6, after draw 12 never.
    EXPECT_EQ(nums->findNextOccurrence(valueWithKeys(7), 3, 11, false), 6);
    EXPECT_EQ(nums->findNextOccurrence(valueWithKeys(7), 12, 11, false), -1);
    EXPECT_EQ(nums->findNextOccurrence(valueWithKeys(69), 0, 11, false), -1);

    // Match test: any number of the combination is selected.
    TStatDrawArray sel{valueWithKeys(7), valueWithKeys(60)};
    test::expectMatches(*nums, sel, 11, {{{1, 2, 3, 4, 60}, true}, {{1, 2, 3, 4, 5}, false}});
    // Keys 2..4 take part: a record (7, 1, 0, 0) is not the number 7.
    TStatDrawArray odd{valueWithKeys(7, 1)};
    EXPECT_FALSE(test::matchOf(*nums, makeComb({7, 2, 3, 4, 5}), odd, 11));
}

TEST(NumberStats, DigitsCountEveryDigitOfEveryNumber) {
    const TDrawsArray draws = makeArchive({{10, 20, 30, 40, 50}, {7, 33, 1, 2, 3}});
    test::Registry r(draws);
    auto digs = r.create("DIGS");
    TStatDrawArray list = statisticsRun(*digs, 0, 1, false);
    ASSERT_EQ(list.size(), 6u);  // nothing is pre-listed
    EXPECT_EQ(findKey(list, 0)->count, 5);
    EXPECT_EQ(findKey(list, 0)->minPeriod, 0);  // produced five times by one draw
    for (int d = 1; d <= 5; ++d) EXPECT_EQ(findKey(list, d)->count, 1) << d;
    list = statisticsRun(*digs, 1, 1, false);
    EXPECT_EQ(findKey(list, 3)->count, 3);  // 33 gives 3 twice, and 3 itself
    EXPECT_EQ(findKey(list, 7)->count, 1);

    TStatDrawArray sel{valueWithKeys(9)};
    test::expectMatches(*digs, sel, 1, {{{1, 2, 3, 4, 69}, true}, {{1, 2, 3, 4, 68}, false}});

    TStatDrawArray combValues;
    digs->valuesOfComb(makeComb({10, 11, 2, 3, 4}), combValues);
    EXPECT_EQ(findKey(combValues, 1)->count, 3);
    EXPECT_EQ(findKey(combValues, 0)->count, 1);
}

TEST(NumberStats, ClassCounts) {
    const TDrawsArray draws =
        makeArchive({{1, 3, 5, 7, 9}, {1, 2, 3, 4, 5}, {34, 35, 36, 37, 38}, {2, 4, 6, 8, 10}});
    test::Registry r(draws);
    auto even = r.create("EVEN");
    // Five odd numbers: 0, shown 0:5, appended after the pre-listed 1..5.
    TStatDrawArray list = statisticsRun(*even, 0, 1, false);
    ASSERT_EQ(list.size(), 6u);
    for (int k = 1; k <= 5; ++k) {
        EXPECT_EQ(list[static_cast<size_t>(k - 1)].keys[0], k);
        EXPECT_EQ(list[static_cast<size_t>(k - 1)].count, 0);
    }
    EXPECT_EQ(list[5].keys[0], 0);
    EXPECT_EQ(list[5].count, 1);
    EXPECT_EQ(even->valueToText(list[5]), "0:5");
    EXPECT_EQ(even->valueToText(list[2]), "3:2");
    EXPECT_EQ(even->textToValue("3:2"), 3);
    EXPECT_EQ(even->textToValue("x:2"), 0);
    EXPECT_EQ(even->typedValue("4"), 4);

    auto prim = r.create("PRIM");
    auto smal = r.create("SMAL");
    auto* primGraph = dynamic_cast<TCustomGraphStat*>(prim.get());
    auto* smalGraph = dynamic_cast<TCustomGraphStat*>(smal.get());
    auto* evenGraph = dynamic_cast<TCustomGraphStat*>(even.get());
    ASSERT_TRUE(primGraph && smalGraph && evenGraph);
    EXPECT_EQ(primGraph->numberOfDraw(1, 3, false), 4);  // 1, 2, 3 and 5 are prime
    EXPECT_EQ(smalGraph->numberOfDraw(2, 3, false), 1);  // only 34 is small
    EXPECT_EQ(evenGraph->numberOfDraw(3, 3, false), 5);
    EXPECT_EQ(evenGraph->numberOfComb(makeComb({2, 3, 4, 5, 7}), 0, 3, false), 2);

    TStatDrawArray sel{valueWithKeys(4)};
    test::expectMatches(*prim, sel, 3, {{{1, 2, 3, 4, 5}, true}, {{1, 2, 3, 4, 6}, false}});
}

TEST(NumberStats, MasksOfEvenSmallAndPrimeNumbers) {
    const TDrawsArray draws = makeArchive({{2, 15, 36, 40, 69}, {1, 2, 3, 4, 5}});
    test::Registry r(draws);
    auto evnv = r.create("EVNV");
    auto smlv = r.create("SMLV");
    auto prmv = r.create("PRMV");

    TStatDrawArray e = statisticsRun(*evnv, 0, 1, false);
    ASSERT_EQ(e.size(), 32u);  // the masks 0..31, pre-listed
    const TStatDraw* nine = findKey(e, 9);
    ASSERT_NE(nine, nullptr);
    EXPECT_EQ(nine->count, 1);
    EXPECT_EQ(evnv->valueToText(*nine), "ЧнЧЧн (009)");

    TStatDrawArray s = statisticsRun(*smlv, 0, 1, false);
    ASSERT_EQ(s.size(), 1u);  // nothing pre-listed
    EXPECT_EQ(smlv->valueToText(s[0]), "11222 (007)");

    TStatDrawArray p = statisticsRun(*prmv, 0, 1, false);
    ASSERT_EQ(p.size(), 32u);
    EXPECT_EQ(findKey(p, 16)->count, 1);
    EXPECT_EQ(prmv->valueToText(*findKey(p, 16)), "ПСССС (016)");

    e = statisticsRun(*evnv, 1, 1, false);
    EXPECT_EQ(findKey(e, 21)->count, 1);
    EXPECT_EQ(evnv->valueToText(*findKey(e, 21)), "нЧнЧн (021)");
    EXPECT_EQ(evnv->textToValue("нЧнЧн"), 21);
    EXPECT_EQ(evnv->textToValue("нЧнЧн (021)"), 21);
    EXPECT_EQ(evnv->textToValue("нн"), 24);
    EXPECT_EQ(evnv->textToValue("ННННН"), 0);  // the letters are compared exactly
    EXPECT_EQ(smlv->textToValue("11222 (007)"), 7);

    // The mask depends on the positions: sorting the draw changes it.
    TStatDrawArray sorted = statisticsRun(*smlv, 0, 1, true);
    EXPECT_EQ(smlv->valueToText(sorted[0]), "11222 (007)");
    const TDrawsArray shuffled = makeArchive({{69, 2, 40, 15, 36}});
    test::Registry r2(shuffled);
    auto smlv2 = r2.create("SMLV");
    EXPECT_EQ(smlv2->valueToText(statisticsRun(*smlv2, 0, 1, false)[0]), "21212 (021)");
    EXPECT_EQ(smlv2->valueToText(statisticsRun(*smlv2, 0, 1, true)[0]), "11222 (007)");

    TStatDrawArray sel{valueWithKeys(9)};
    test::expectMatches(*evnv, sel, 1, {{{2, 15, 36, 40, 69}, true}, {{15, 2, 36, 40, 69}, false}});
}

TEST(NumberStats, PositionsAndExtra) {
    TDrawsArray draws = makeArchive({{40, 2, 15, 69, 36}});
    draws[0].extra = 17;
    test::Registry r(draws);
    auto pos3 = r.create("POS3");
    ASSERT_NE(pos3, nullptr);
    EXPECT_EQ(pos3->parameter(), 3);
    TStatDrawArray unsorted = statisticsRun(*pos3, 0, 1, false);
    ASSERT_EQ(unsorted.size(), 69u);
    EXPECT_EQ(findKey(unsorted, 15)->count, 1);
    EXPECT_EQ(findKey(unsorted, 36)->count, 0);
    TStatDrawArray sorted = statisticsRun(*pos3, 0, 1, true);
    EXPECT_EQ(findKey(sorted, 36)->count, 1);
    auto* g = dynamic_cast<TCustomGraphStat*>(pos3.get());
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->numberOfDraw(0, 0, false), 15);
    EXPECT_EQ(g->numberOfDraw(0, 0, true), 36);
    // Combinations are taken in their stored order.
    EXPECT_EQ(g->numberOfComb(makeComb({40, 2, 15, 69, 36}), 0, 0, true), 15);
    TStatDrawArray sel{valueWithKeys(15)};
    test::expectMatches(*pos3, sel, 0, true, {{{40, 2, 15, 69, 36}, true}, {{15, 2, 40, 69, 36}, false}});

    auto poe = r.create("POE1");
    ASSERT_NE(poe, nullptr);
    TStatDrawArray extra = statisticsRun(*poe, 0, 1, false);
    ASSERT_EQ(extra.size(), 1u);  // nothing pre-listed
    EXPECT_EQ(extra[0].keys[0], 17);
    EXPECT_EQ(poe->valueToText(extra[0]), "17");
    auto* pg = dynamic_cast<TCustomGraphStat*>(poe.get());
    ASSERT_NE(pg, nullptr);
    EXPECT_EQ(pg->numberOfDraw(0, 0, false), 17);
    EXPECT_EQ(pg->numberOfDraw(5, 0, false), 0);  // outside the archive: an empty draw
    TStatDrawArray none;
    poe->valuesOfComb(makeComb({1, 2, 3, 4, 5}), none);
    EXPECT_TRUE(none.empty());

    // Never a filter: include removes everything, exclude keeps everything.
    const TCombsArray combs = test::allCombs(8);
    TStatDrawArray any{valueWithKeys(17)};
    TCombsArray kept;
    ASSERT_TRUE(filterRun(*poe, combs, any, 0, false, TFilterMode::Include, kept));
    EXPECT_TRUE(kept.empty());
    ASSERT_TRUE(filterRun(*poe, combs, any, 0, false, TFilterMode::Exclude, kept));
    EXPECT_EQ(kept, combs);
}

}  // namespace
}  // namespace tavlora
