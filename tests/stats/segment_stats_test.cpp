#include <gtest/gtest.h>

#include <algorithm>

#include "core/settings.h"
#include "stats/stat_classes.h"
#include "layout_test_util.h"

namespace tavlora {
namespace {

using test::asGraph;
using test::findKey;
using test::makeArchive;
using test::makeComb;
using test::valueWithKeys;

// Numbers 1..3 in segment 3, 4..6 in segment 1, 7..10 in segment 2, the rest (beyond the text)
// in segment 1: the map first uses 3, then 1, then 2.
void useThreeSegments(test::Registry& r) {
    r.settings.config.segments = TSettings::parseSegments("3331112222");
    r.list.rebuild();
}

// 1 4 7 20 69 -> segments 3 1 2 1 1; 2 3 11 12 13 -> 3 3 1 1 1.
TDrawsArray segmentDraws() { return makeArchive({{1, 4, 7, 20, 69}, {2, 3, 11, 12, 13}}); }

TEST(SegmentStats, SegmentsOfTheNumbers) {
    const TDrawsArray draws = segmentDraws();
    test::Registry r(draws);
    useThreeSegments(r);
    auto sgms = r.create("SGMS");
    ASSERT_NE(sgms, nullptr);
    TStatDrawArray list = statisticsRun(*sgms, 1, 2, false);
    ASSERT_EQ(list.size(), 3u);  // pre-listed in the order the map first uses them
    EXPECT_EQ(list[0].keys[0], 3);
    EXPECT_EQ(list[1].keys[0], 1);
    EXPECT_EQ(list[2].keys[0], 2);
    EXPECT_EQ(list[0].count, 3);
    EXPECT_EQ(list[1].count, 6);
    EXPECT_EQ(list[2].count, 1);
    EXPECT_EQ(sgms->valueToText(list[0]), "3");

    TStatDrawArray sel{valueWithKeys(2)};
    test::expectMatches(*sgms, sel, 1, {{{1, 2, 3, 4, 10}, true}, {{1, 2, 3, 4, 11}, false}});
}

TEST(SegmentStats, CountsPerSegmentAndDistinctSegments) {
    const TDrawsArray draws = segmentDraws();
    test::Registry r(draws);
    useThreeSegments(r);
    auto sgmv = r.create("SGMV");
    TStatDrawArray one = statisticsRun(*sgmv, 0, 1, false);
    ASSERT_EQ(one.size(), 3u);  // nothing pre-listed; segment 3 first
    EXPECT_EQ(one[0].keys[0], 3);
    EXPECT_EQ(one[0].keys[1], 1);
    EXPECT_EQ(one[1].keys[0], 1);
    EXPECT_EQ(one[1].keys[1], 3);
    EXPECT_EQ(one[2].keys[0], 2);
    EXPECT_EQ(one[2].keys[1], 1);
    TStatDrawArray two = statisticsRun(*sgmv, 1, 2, false);
    ASSERT_EQ(two.size(), 5u);
    EXPECT_EQ(findKey(two, 1, 3)->count, 2);
    EXPECT_EQ(findKey(two, 2, 0)->count, 1);
    EXPECT_EQ(sgmv->valueToText(*findKey(two, 3, 2)), "3 x 2");
    EXPECT_EQ(sgmv->typedValue("3"), 0);

    auto sgmc = r.create("SGMC");
    EXPECT_EQ(asGraph(sgmc).numberOfDraw(0, 1, false), 3);
    EXPECT_EQ(asGraph(sgmc).numberOfDraw(1, 1, false), 2);
    EXPECT_EQ(statisticsRun(*sgmc, 1, 2, false).size(), 2u);  // nothing pre-listed

    TStatDrawArray sel{valueWithKeys(2, 0)};
    test::expectMatches(*sgmv, sel, 1, {{{1, 2, 3, 4, 11}, true}, {{1, 2, 3, 4, 10}, false}});
}

TEST(SegmentStats, OneMethodPerSegment) {
    const TDrawsArray draws = segmentDraws();
    test::Registry r(draws);
    // The default map: everything in segment 1, one method counting 5 for every draw.
    EXPECT_TRUE(test::hasCode(r.list, "SGM1"));
    EXPECT_FALSE(test::hasCode(r.list, "SGM2"));
    EXPECT_EQ(asGraph(r.create("SGM1")).numberOfDraw(0, 1, false), 5);
    EXPECT_EQ(asGraph(r.create("SGMC")).numberOfDraw(1, 1, false), 1);
    EXPECT_EQ(statisticsRun(*r.create("SGMS"), 1, 2, false).size(), 1u);

    useThreeSegments(r);
    EXPECT_TRUE(test::hasCode(r.list, "SGM3"));
    EXPECT_FALSE(test::hasCode(r.list, "SGM4"));
    EXPECT_EQ(r.list.item(r.list.methodWithCode("SGM2")).defaultCaption(), "Количество чисел в 2 сегменте матрицы");
    auto sgm2 = r.create("SGM2");
    EXPECT_EQ(asGraph(sgm2).numberOfDraw(0, 1, false), 1);
    EXPECT_EQ(asGraph(sgm2).numberOfDraw(1, 1, false), 0);
    TStatDrawArray list = statisticsRun(*sgm2, 1, 2, false);
    ASSERT_EQ(list.size(), 2u);  // nothing pre-listed: 1 and 0 as they occur
    EXPECT_NE(findKey(list, 0), nullptr);

    // From the smallest to the largest segment of the map, including unused ones between.
    auto& seg = r.settings.config.segments;
    std::fill(seg.begin(), seg.end(), uint8_t{2});
    seg[68] = 5;
    r.list.rebuild();
    EXPECT_FALSE(test::hasCode(r.list, "SGM1"));
    EXPECT_TRUE(test::hasCode(r.list, "SGM2"));
    EXPECT_TRUE(test::hasCode(r.list, "SGM5"));
    EXPECT_FALSE(test::hasCode(r.list, "SGM6"));
    EXPECT_EQ(asGraph(r.create("SGM3")).numberOfDraw(0, 1, false), 0);
    EXPECT_EQ(asGraph(r.create("SGM5")).numberOfDraw(0, 1, false), 1);
}

TEST(SegmentStats, DigitsOutsideOneToNineCountAsSegmentOne) {
    const TDrawsArray draws = makeArchive({{1, 2, 3, 4, 5}});
    test::Registry r(draws);
    auto& seg = r.settings.config.segments;
    seg[0] = 0;
    seg[1] = 12;
    seg[2] = 9;
    seg[3] = 255;
    r.list.rebuild();
    EXPECT_TRUE(test::hasCode(r.list, "SGM1"));
    EXPECT_TRUE(test::hasCode(r.list, "SGM9"));
    EXPECT_FALSE(test::hasCode(r.list, "SGM0"));
    EXPECT_FALSE(test::hasCode(r.list, "SGM12"));
    TStatDrawArray list = statisticsRun(*r.create("SGMS"), 0, 1, false);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(findKey(list, 1)->count, 4);
    EXPECT_EQ(findKey(list, 9)->count, 1);
    EXPECT_EQ(asGraph(r.create("SGM1")).numberOfDraw(0, 0, false), 4);
    TStatDrawArray pairs = statisticsRun(*r.create("KGS2"), 0, 1, false);
    EXPECT_NE(findKey(pairs, 1, 9), nullptr);
    EXPECT_NE(findKey(pairs, 9, 1), nullptr);
}

TEST(SegmentStats, SegmentTuples) {
    const TDrawsArray draws = segmentDraws();
    test::Registry r(draws);
    useThreeSegments(r);
    auto kgm2 = r.create("KGM2");
    auto kgs2 = r.create("KGS2");
    ASSERT_TRUE(kgm2 && kgs2 && r.create("KGM4") && r.create("KGS3"));
    // Segments 3 3 1 1 1.
    TStatDrawArray m = statisticsRun(*kgm2, 1, 1, false);
    ASSERT_EQ(m.size(), 3u);
    test::expectCounts(m, {{{3, 3}, 1}, {{3, 1}, 6}, {{1, 1}, 3}});
    TStatDrawArray s = statisticsRun(*kgs2, 1, 1, false);
    EXPECT_EQ(findKey(s, 1, 1)->count, 2);
    EXPECT_EQ(findKey(s, 3, 1)->count, 1);
    EXPECT_EQ(kgm2->valueToText(*findKey(m, 3, 1)), "3:1");

    TStatDrawArray sel{valueWithKeys(2, 3)};
    test::expectMatches(*kgs2, sel, 1, {{{20, 7, 1, 30, 40}, true}, {{1, 7, 20, 30, 40}, false}});
}

TEST(SegmentStats, NormsOverACombinationSet) {
    // The 252 combinations of 1..10: segment 3 holds 3 numbers, segment 1 three, segment 2 four.
    const TDrawsArray draws = segmentDraws();
    test::Registry r(draws);
    useThreeSegments(r);
    const TCombsArray combs = test::allCombs(10);
    TStatDrawArray c;
    combValuesChunk(*r.create("SGMC"), combs, 0, combs.size(), c);
    EXPECT_EQ(findKey(c, 1), nullptr);
    EXPECT_EQ(findKey(c, 2)->count, 48);  // C(6, 5) + C(7, 5) + C(7, 5)
    EXPECT_EQ(findKey(c, 3)->count, 204);
    TStatDrawArray v;
    combValuesChunk(*r.create("SGMV"), combs, 0, combs.size(), v);
    EXPECT_EQ(findKey(v, 3, 0)->count, 21);  // C(7, 5)
    EXPECT_EQ(findKey(v, 2, 4)->count, 6);   // all four of segment 2 and one of six others
}

TEST(SegmentStats, MatchTestsAgreeWithTheValuesAndPartitionAList) {
    const TDrawsArray draws = test::spreadArchive(400);
    test::Registry r(draws);
    r.settings.config.segments =
        TSettings::parseSegments("123456789123456789123456789111222333444555666777888999123");
    r.list.rebuild();
    for (const char* code : {"SGMS", "SGMV", "SGMC", "SGM4", "KGM2", "KGM3", "KGM4", "KGS2", "KGS3", "KGS4"}) {
        TStatDrawArray sel = test::valuesOfFirstDraws(r, code, 5);
        test::expectMatchAgreesWithValues(r, code, sel);
        sel.resize(std::min<size_t>(sel.size(), 2));
        const int hits = test::expectMatchAgreesWithValues(r, code, sel);
        EXPECT_GT(hits, 0) << code;
        EXPECT_LT(hits, 400) << code;
    }
    TCombsArray combs;
    for (const TDraw& d : draws) combs.push_back(makeComb({d.nums[0], d.nums[1], d.nums[2], d.nums[3], d.nums[4]}));
    for (const char* code : {"SGMV", "KGM3"}) {
        auto m = r.create(code);
        TStatDrawArray sel = test::valuesOfFirstDraws(r, code, 2);
        sel.resize(std::min<size_t>(sel.size(), 3));
        TCombsArray kept, removed;
        ASSERT_TRUE(filterRun(*m, combs, sel, 0, false, TFilterMode::Include, kept));
        ASSERT_TRUE(filterRun(*m, combs, sel, 0, false, TFilterMode::Exclude, removed));
        EXPECT_EQ(kept.size() + removed.size(), combs.size()) << code;
        EXPECT_GT(kept.size(), 0u) << code;
        EXPECT_GT(removed.size(), 0u) << code;
        for (const TComb& k : kept) EXPECT_EQ(std::count(removed.begin(), removed.end(), k), 0) << code;
    }
}

}  // namespace
}  // namespace tavlora
