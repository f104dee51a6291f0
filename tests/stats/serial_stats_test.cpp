#include <gtest/gtest.h>

#include "stats/stat_classes.h"
#include "stats_test_util.h"

namespace tavlora {
namespace {

using test::findKey;
using test::makeArchive;
using test::makeComb;
using test::valueWithKeys;

// Number 7 is present, present, absent, present; the last draw is the reference draw.
TDrawsArray sevenArchive() {
    return makeArchive({{7, 1, 2, 3, 4}, {7, 10, 11, 12, 13}, {20, 21, 22, 23, 24}, {7, 30, 31, 32, 33}});
}

TEST(SerialStats, NumberGroupsCountFinishedAndFinalSeries) {
    const TDrawsArray draws = sevenArchive();
    test::Registry r(draws);
    auto groups = r.create("GRPV");
    const TStatDrawArray list = statisticsRun(*groups, 3, 4, false);
    // 7: a series of 2 ended at the third draw, a series of 1 runs up to the last; 30..33 only in the last.
    ASSERT_EQ(list.size(), 6u);
    const TStatDraw* two = findKey(list, 7, 2);
    ASSERT_NE(two, nullptr);
    EXPECT_EQ(two->count, 1);
    EXPECT_EQ(two->lastDraw, 2);  // the series' latest draw
    EXPECT_EQ(two->depth, 3);
    const TStatDraw* one = findKey(list, 7, 1);
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(one->lastDraw, 4);
    EXPECT_EQ(one->depth, 1);
    for (int n = 30; n <= 33; ++n) EXPECT_NE(findKey(list, n, 1), nullptr) << n;
    // Numbers of the first two draws that are not in the reference draw add nothing.
    for (int n : {1, 2, 3, 4, 10, 11, 12, 13, 20}) {
        for (const auto& v : list) EXPECT_NE(v.keys[0], n);
    }
    EXPECT_EQ(groups->valueToText(*two), "7 x 2");
}

TEST(SerialStats, NumberPausesCountOnlyClosedPausesOfReferenceItems) {
    const TDrawsArray draws = sevenArchive();
    test::Registry r(draws);
    auto pauses = r.create("GRPP");
    const TStatDrawArray list = statisticsRun(*pauses, 3, 4, false);
    // 7 stayed away one draw; 30..33 stayed away three draws before the last.
    ASSERT_EQ(list.size(), 5u);
    const TStatDraw* seven = findKey(list, 7, 1);
    ASSERT_NE(seven, nullptr);
    EXPECT_EQ(seven->lastDraw, 3);
    EXPECT_EQ(seven->depth, 2);
    for (int n = 30; n <= 33; ++n) {
        const TStatDraw* v = findKey(list, n, 3);
        ASSERT_NE(v, nullptr) << n;
        EXPECT_EQ(v->lastDraw, 3);
    }
}

TEST(SerialStats, RangeOfOneDraw) {
    const TDrawsArray draws = sevenArchive();
    test::Registry r(draws);
    const TStatDrawArray groups = statisticsRun(*r.create("GRPV"), 1, 1, false);
    ASSERT_EQ(groups.size(), 5u);
    for (int n : {7, 10, 11, 12, 13}) EXPECT_EQ(findKey(groups, n, 1)->depth, 1);
    EXPECT_TRUE(statisticsRun(*r.create("GRPP"), 1, 1, false).empty());
}

TEST(SerialStats, ChannelGroupsAndPauses) {
    // Channels of width 10: {1}, {1, 2}, {2, 3}, {1, 3, 4}.
    const TDrawsArray draws = sevenArchive();
    test::Registry r(draws);
    auto groups = r.create("GRCV");
    const TStatDrawArray g = statisticsRun(*groups, 3, 4, false);
    ASSERT_EQ(g.size(), 4u);
    EXPECT_EQ(findKey(g, 1, 2)->lastDraw, 2);
    EXPECT_EQ(findKey(g, 1, 1)->lastDraw, 4);
    EXPECT_EQ(findKey(g, 3, 2)->lastDraw, 4);
    EXPECT_NE(findKey(g, 4, 1), nullptr);
    EXPECT_EQ(groups->valueToText(valueWithKeys(3, 4)), "03 x 4");

    const TStatDrawArray p = statisticsRun(*r.create("GRCP"), 3, 4, false);
    ASSERT_EQ(p.size(), 3u);
    EXPECT_NE(findKey(p, 1, 1), nullptr);
    EXPECT_EQ(findKey(p, 3, 2)->lastDraw, 2);
    EXPECT_EQ(findKey(p, 4, 3)->lastDraw, 3);
}

TEST(SerialStats, SegmentGroups) {
    const TDrawsArray draws = sevenArchive();
    test::Registry r(draws);
    auto& seg = r.settings.config.segments;
    for (int n = 1; n <= 9; ++n) seg[static_cast<size_t>(n - 1)] = 2;
    for (int n = 30; n <= 39; ++n) seg[static_cast<size_t>(n - 1)] = 3;
    auto groups = r.create("GRSV");
    // Segments per draw: {2}, {1, 2}, {1}, {2, 3}; segment 1 is not in the reference draw.
    const TStatDrawArray g = statisticsRun(*groups, 3, 4, false);
    ASSERT_EQ(g.size(), 3u);
    EXPECT_EQ(findKey(g, 2, 2)->lastDraw, 2);
    EXPECT_EQ(findKey(g, 2, 1)->lastDraw, 4);
    EXPECT_NE(findKey(g, 3, 1), nullptr);
    EXPECT_EQ(groups->valueToText(*findKey(g, 3, 1)), "3 x 1");
}

TEST(SerialStats, SettingsOutsideTheDialogRangesAreSafe) {
    const TDrawsArray draws = sevenArchive();
    test::Registry r(draws);
    // A channel width of 0 is taken as 1: every number is its own channel.
    r.settings.config.channelSize = 0;
    // Digits 0 and 12 count as segment 1, like numbers without an entry.
    r.settings.config.segments.fill(0);
    r.settings.config.segments[6] = 12;
    r.settings.config.segments[29] = 9;
    const TStatDrawArray numbers = statisticsRun(*r.create("GRPV"), 3, 4, false);
    const TStatDrawArray channels = statisticsRun(*r.create("GRCV"), 3, 4, false);
    ASSERT_EQ(channels.size(), numbers.size());
    for (const auto& v : numbers) EXPECT_NE(findKey(channels, v.keys[0], v.keys[1]), nullptr);
    // Segments: 30 is in 9, every other number in 1. Segment 1 runs all four draws; 9 only the last.
    const TStatDrawArray segs = statisticsRun(*r.create("GRSV"), 3, 4, false);
    ASSERT_EQ(segs.size(), 2u);
    EXPECT_NE(findKey(segs, 1, 4), nullptr);
    EXPECT_NE(findKey(segs, 9, 1), nullptr);
    const TStatDrawArray pauses = statisticsRun(*r.create("GRSP"), 3, 4, false);
    ASSERT_EQ(pauses.size(), 1u);
    EXPECT_NE(findKey(pauses, 9, 3), nullptr);
}

TEST(SerialStats, MatchTestAndFilterModesPartitionAList) {
    const TDrawsArray draws = sevenArchive();
    test::Registry r(draws);
    auto groups = r.create("GRPV");
    const TStatDrawArray sel{valueWithKeys(7, 2)};
    test::expectMatches(*groups, sel, 3, {{{1, 2, 3, 4, 7}, true}, {{1, 2, 3, 4, 8}, false}});

    const TCombsArray all = test::allCombs(12);
    TCombsArray kept, removed;
    ASSERT_TRUE(filterRun(*groups, all, sel, 3, false, TFilterMode::Include, kept));
    ASSERT_TRUE(filterRun(*groups, all, sel, 3, false, TFilterMode::Exclude, removed));
    EXPECT_EQ(kept.size(), 330u);  // C(11, 4) combinations hold 7
    EXPECT_EQ(kept.size() + removed.size(), all.size());
    for (const TComb& c : kept) EXPECT_TRUE(combContains(7, c));
    for (const TComb& c : removed) EXPECT_FALSE(combContains(7, c));

    // The channel members compare the channel of each number: channel 3 is 21..30.
    auto channels = r.create("GRCV");
    const TStatDrawArray chSel{valueWithKeys(3, 2)};
    test::expectMatches(*channels, chSel, 3, {{{1, 2, 3, 4, 30}, true}, {{1, 2, 3, 4, 31}, false}});
}

TEST(SerialStats, RegisteredInOrder) {
    const TDrawsArray draws = sevenArchive();
    test::Registry r(draws);
    const char* codes[] = {"GRPV", "GRPP", "GRCV", "GRCP", "GRSV", "GRSP"};
    int previous = -1;
    for (const char* code : codes) {
        const int i = r.list.methodWithCode(code);
        ASSERT_GE(i, 0) << code;
        EXPECT_GT(i, previous) << code;
        previous = i;
        EXPECT_EQ(r.list.listCaption(i, true).find("{ ser } "), 0u) << code;
        EXPECT_EQ(r.list.listCaption(i, true).substr(r.list.listCaption(i, true).size() - 6), " [ D ]") << code;
        EXPECT_FALSE(r.list.item(i).acceptsTypedValues());
    }
    EXPECT_EQ(r.list.item(r.list.methodWithCode("GRCP")).defaultCaption(), "Интервалы между повторениями каналов");
}

}  // namespace
}  // namespace tavlora
