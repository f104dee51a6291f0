#include <gtest/gtest.h>

#include "stats/stat_classes.h"
#include "stats_test_util.h"

namespace tavlora {
namespace {

using test::findKey;
using test::makeArchive;
using test::makeComb;
using test::valueWithKeys;

// Draws 100..104; 12 comes out in 100, 103 and 104.
TDrawsArray twelveArchive() {
    return makeArchive({{12, 1, 2, 3, 4},
                        {20, 21, 22, 23, 24},
                        {30, 31, 32, 33, 34},
                        {12, 40, 41, 42, 43},
                        {12, 50, 51, 52, 53}},
                       100);
}

TEST(PeriodStats, NumberPeriodsAreDistancesOfDrawNumbers) {
    const TDrawsArray draws = twelveArchive();
    test::Registry r(draws);
    auto periods = r.create("PRDV");
    const TStatDrawArray list = statisticsRun(*periods, 4, 5, false);
    // The first appearance adds nothing; 103 adds (12, 3), 104 adds (12, 1).
    ASSERT_EQ(list.size(), 2u);
    const TStatDraw* three = findKey(list, 12, 3);
    ASSERT_NE(three, nullptr);
    EXPECT_EQ(three->lastDraw, 103);
    EXPECT_EQ(three->depth, 2);
    const TStatDraw* one = findKey(list, 12, 1);
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(one->lastDraw, 104);
    EXPECT_EQ(periods->valueToText(*three), "12 x 3");
    // A window that starts after 100 does not see the first appearance.
    const TStatDrawArray late = statisticsRun(*periods, 4, 2, false);
    ASSERT_EQ(late.size(), 1u);
    EXPECT_NE(findKey(late, 12, 1), nullptr);
}

TEST(PeriodStats, ChannelPeriodCountsOnceForNumbersOfOneChannel) {
    const TDrawsArray draws = twelveArchive();
    test::Registry r(draws);
    auto periods = r.create("PRDC");
    const TStatDrawArray list = statisticsRun(*periods, 4, 5, false);
    // Channel 2 at 100, 101, 103, 104; 3 at 101, 102; 4 at 102, 103; 5 at 103, 104. Numbers that
    // share a channel in one draw add no second period.
    ASSERT_EQ(list.size(), 5u);
    test::expectCounts(list, {{{2, 1}, 2}, {{2, 2}, 1}, {{3, 1}, 1}, {{4, 1}, 1}, {{5, 1}, 1}});
    EXPECT_EQ(findKey(list, 2, 1)->minPeriod, 3);  // 101 to 104
    EXPECT_EQ(periods->valueToText(*findKey(list, 2, 1)), "02 x 1");
}

TEST(PeriodStats, SegmentPeriodsWithDigitsOutsideTheRange) {
    const TDrawsArray draws = twelveArchive();
    test::Registry r(draws);
    auto& seg = r.settings.config.segments;
    seg.fill(0);  // counts as segment 1
    seg[11] = 5;  // number 12
    auto periods = r.create("PRDG");
    const TStatDrawArray list = statisticsRun(*periods, 4, 5, false);
    // Segment 1 in every draw, 5 in 100, 103, 104.
    ASSERT_EQ(list.size(), 3u);
    test::expectCounts(list, {{{1, 1}, 4}, {{5, 3}, 1}, {{5, 1}, 1}});
    EXPECT_EQ(periods->valueToText(*findKey(list, 5, 3)), "5 x 3");
}

TEST(PeriodStats, CandidateCarriesAPeriodOnlyWhenTheDrawThatFarBackHoldsTheItem) {
    const TDrawsArray draws = twelveArchive();
    test::Registry r(draws);
    auto periods = r.create("PRDV");
    const TComb with12 = makeComb({12, 60, 61, 62, 63});
    const TComb without12 = makeComb({13, 60, 61, 62, 63});
    // Reference index 4: the candidate stands at index 5. Three draws before it is index 2 (draw
    // 102), which lacks 12; two draws before it is index 3 (draw 103), which holds 12.
    const TStatDrawArray three{valueWithKeys(12, 3)};
    const TStatDrawArray two{valueWithKeys(12, 2)};
    // The test is the same in both modes: the mode only decides whether a match is kept.
    for (const TFilterMode mode : {TFilterMode::Include, TFilterMode::Exclude}) {
        EXPECT_FALSE(test::matchOf(*periods, with12, three, 4, false, mode));
        EXPECT_FALSE(test::matchOf(*periods, without12, three, 4, false, mode));
        EXPECT_TRUE(test::matchOf(*periods, with12, two, 4, false, mode));
        EXPECT_FALSE(test::matchOf(*periods, without12, two, 4, false, mode));
        // A distance reaching before the archive reads an empty draw.
        const TStatDrawArray far{valueWithKeys(12, 40)};
        EXPECT_FALSE(test::matchOf(*periods, with12, far, 4, false, mode));
    }
}

TEST(PeriodStats, PeriodsCountDrawNumbersWhileTheCandidateTestCountsPositions) {
    // Draw numbers 100, 101, 105: 12 in 101 and 105 is a period of 4 draw numbers, 1 position.
    TDrawsArray draws = makeArchive({{1, 2, 3, 4, 5}, {12, 20, 21, 22, 23}, {12, 30, 31, 32, 33}}, 100);
    draws[2].number = 105;
    test::Registry r(draws);
    auto periods = r.create("PRDV");
    const TStatDrawArray list = statisticsRun(*periods, 2, 3, false);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_NE(findKey(list, 12, 4), nullptr);
    // With reference index 2 the candidate's previous draw (distance 1) holds 12; distance 4 is
    // before the archive.
    const TStatDrawArray one{valueWithKeys(12, 1)};
    const TStatDrawArray four{valueWithKeys(12, 4)};
    EXPECT_TRUE(test::matchOf(*periods, makeComb({12, 1, 2, 3, 4}), one, 2));
    EXPECT_FALSE(test::matchOf(*periods, makeComb({12, 1, 2, 3, 4}), four, 2));
}

TEST(PeriodStats, FilterRunsInBothModes) {
    const TDrawsArray draws = twelveArchive();
    test::Registry r(draws);
    auto periods = r.create("PRDV");
    const TCombsArray all = test::allCombs(14);
    // 12 at distance 2 is realised (draw 103 holds 12); 1 at distance 1 is not (draw 104 lacks 1).
    const TStatDrawArray sel{valueWithKeys(12, 2), valueWithKeys(1, 1)};
    TCombsArray kept, notRemoved;
    ASSERT_TRUE(filterRun(*periods, all, sel, 4, false, TFilterMode::Include, kept));
    ASSERT_TRUE(filterRun(*periods, all, sel, 4, false, TFilterMode::Exclude, notRemoved));
    // Include keeps the candidates that repeat 12 after two draws; exclude removes exactly those,
    // so the two lists split the full list (a selected period that is not realised, 1 after one
    // draw, neither keeps nor removes anything).
    EXPECT_EQ(kept.size(), 715u);         // C(13, 4)
    EXPECT_EQ(notRemoved.size(), 1287u);  // C(13, 5)
    for (const TComb& c : kept) EXPECT_TRUE(combContains(12, c));
    for (const TComb& c : notRemoved) EXPECT_FALSE(combContains(12, c));
    EXPECT_EQ(kept.size() + notRemoved.size(), all.size());
}

TEST(PeriodStats, RegisteredInOrder) {
    const TDrawsArray draws = twelveArchive();
    test::Registry r(draws);
    const int v = r.list.methodWithCode("PRDV");
    ASSERT_GE(v, 0);
    EXPECT_EQ(r.list.methodWithCode("PRDC"), v + 1);
    EXPECT_EQ(r.list.methodWithCode("PRDG"), v + 2);
    EXPECT_EQ(r.list.methodWithCode("GRSP"), v - 1);
    EXPECT_EQ(r.list.listCaption(v, true), "{ per } Периоды повторения чисел [ P ]");
    EXPECT_FALSE(r.list.hasNorm(v));
}

}  // namespace
}  // namespace tavlora
