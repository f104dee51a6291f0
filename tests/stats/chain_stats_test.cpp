#include <gtest/gtest.h>

#include <array>
#include <tuple>
#include <vector>

#include "stats/stat_classes.h"
#include "stats_test_util.h"

namespace tavlora {
namespace {

using test::findKey;
using test::makeArchive;
using test::makeComb;
using test::valueWithKeys;

constexpr int kChainGroup = 10;

// The values one draw adds, on its own (window ending at lastIndex).
TStatDrawArray drawValues(TCustomStat& m, int index, int lastIndex, bool sorted = false) {
    TStatDrawArray list;
    auto state = std::make_unique<TStatState>();
    state->clear();
    TLastValueArray lastValues;
    m.valuesOfDraw(index, lastIndex, sorted, list, *state, lastValues);
    return list;
}

std::vector<std::array<int, 3>> keysOf(const TStatDrawArray& list) {
    std::vector<std::array<int, 3>> out;
    for (const auto& v : list) out.push_back({v.keys[0], v.keys[1], v.keys[2]});
    return out;
}

bool matches(TCustomStat& m, const TStatDrawArray& sel, int reference, std::array<int, 5> comb) {
    m.loadDraws(-1, reference, false);
    return test::matchOf(m, makeComb(comb), sel, reference);
}

TEST(ChainStats, NumbersRegardlessOfPosition) {
    // a - 1, a, and R holding 12 and 33 but not 5, 20, 41.
    const TDrawsArray draws = makeArchive({{5, 12, 20, 33, 41}, {7, 12, 25, 40, 60}, {12, 33, 50, 55, 66}});
    test::Registry r(draws);
    auto all = r.create("SDV2");
    using K = std::array<int, 3>;
    const std::vector<K> expected{{12, 7, 0},  {12, 12, 0}, {12, 25, 0}, {12, 40, 0}, {12, 60, 0},
                                  {33, 7, 0},  {33, 12, 0}, {33, 25, 0}, {33, 40, 0}, {33, 60, 0}};
    EXPECT_EQ(keysOf(drawValues(*all, 1, 2)), expected);
    EXPECT_EQ(all->valueToText(valueWithKeys(12, 40)), "12 -> 40");

    // Over the whole range the last draw adds 12's transitions to R, so (12, 12) comes twice.
    const TStatDrawArray list = statisticsRun(*all, 2, 3, false);
    EXPECT_EQ(list.size(), 14u);
    EXPECT_EQ(findKey(list, 12, 12)->count, 2);
    EXPECT_EQ(findKey(list, 12, 66)->lastDraw, 3);

    // The match test looks at the later number only, at any position.
    const TStatDrawArray sel{valueWithKeys(33, 25)};
    test::expectMatches(*all, sel, 2, {{{25, 1, 2, 3, 4}, true}, {{33, 1, 2, 3, 4}, false}});
}

TEST(ChainStats, ByPositionTwoDraws) {
    // a - 1 drawn as 40 10 20 30 1; R = 1 11 20 33 42.
    const TDrawsArray draws = makeArchive({{40, 10, 20, 30, 1}, {2, 10, 25, 31, 41}, {1, 11, 20, 33, 42}});
    test::Registry r(draws);
    using K = std::array<int, 3>;
    auto pos = r.create("SDP2");
    EXPECT_EQ(keysOf(drawValues(*pos, 1, 2, true)), (std::vector<K>{{1, 2, 0}, {20, 25, 0}}));
    EXPECT_EQ(keysOf(drawValues(*pos, 1, 2, false)), (std::vector<K>{{20, 25, 0}}));
    EXPECT_EQ(keysOf(drawValues(*r.create("SDN3"), 1, 2, true)), (std::vector<K>{{20, 25, 0}}));
    EXPECT_TRUE(drawValues(*r.create("SDN2"), 1, 2, true).empty());

    // Channels (width 10): a - 1 sorted 1 1 2 3 4, a 1 1 3 4 5, R 1 2 2 4 5.
    auto channels = r.create("SCP2");
    const TStatDrawArray ch = drawValues(*channels, 1, 2, true);
    EXPECT_EQ(keysOf(ch), (std::vector<K>{{1, 1, 0}, {2, 3, 0}}));
    EXPECT_EQ(channels->valueToText(ch[1]), "02 -> 03");
    EXPECT_EQ(keysOf(drawValues(*r.create("SCN3"), 1, 2, true)), (std::vector<K>{{2, 3, 0}}));

    // A candidate matches when it holds the later number at any position.
    const TStatDrawArray sel{valueWithKeys(20, 25)};
    test::expectMatches(*pos, sel, 2, {{{25, 60, 61, 62, 63}, true}, {{60, 61, 62, 63, 25}, true},
                                       {{20, 60, 61, 62, 63}, false}});
    // Channel 3 is 21..30.
    const TStatDrawArray chSel{valueWithKeys(2, 3)};
    test::expectMatches(*channels, chSel, 2, {{{1, 2, 3, 4, 21}, true}, {{1, 2, 3, 4, 31}, false}});
}

// a - 2, a - 1, a, R - 1, R.
TDrawsArray threeDrawArchive() {
    return makeArchive({{5, 10, 20, 30, 40},
                        {1, 10, 20, 33, 40},
                        {7, 11, 22, 34, 45},
                        {5, 12, 20, 31, 41},
                        {1, 13, 20, 33, 42}});
}

TEST(ChainStats, ByPositionThreeDraws) {
    const TDrawsArray draws = threeDrawArchive();
    test::Registry r(draws);
    using K = std::array<int, 3>;
    auto pos = r.create("SDP3");
    const TStatDrawArray list = drawValues(*pos, 2, 4);
    EXPECT_EQ(keysOf(list), (std::vector<K>{{5, 1, 7}, {20, 20, 22}}));
    EXPECT_EQ(pos->valueToText(list[0]), "5-1 -> 7");
    EXPECT_EQ(keysOf(drawValues(*r.create("SDM1"), 2, 4)), (std::vector<K>{{5, 1, 7}}));

    // Channels: 1 1 2 3 4 / 1 1 2 4 4 / 1 2 3 4 5 / 1 2 2 4 5 / 1 2 2 4 5.
    auto channels = r.create("SCP3");
    const TStatDrawArray ch = drawValues(*channels, 2, 4);
    EXPECT_EQ(keysOf(ch), (std::vector<K>{{1, 1, 1}, {2, 2, 3}}));
    EXPECT_EQ(channels->valueToText(ch[0]), "01-01 -> 01");
    EXPECT_EQ(keysOf(drawValues(*r.create("SCM3"), 2, 4)), (std::vector<K>{{2, 2, 3}}));

    // The later item is key 3.
    const TStatDrawArray sel{valueWithKeys(5, 1, 7)};
    test::expectMatches(*pos, sel, 4, {{{7, 60, 61, 62, 63}, true}, {{1, 5, 61, 62, 63}, false}});
}

TEST(ChainStats, ChannelCounts) {
    // Numbers in channel 1 (1..10) per draw: 2, 2, 1, 1, 1.
    const TDrawsArray draws = threeDrawArchive();
    test::Registry r(draws);
    auto two = r.create("SC2C1");
    const TStatDrawArray list2 = statisticsRun(*two, 4, 5, false);
    ASSERT_EQ(list2.size(), 11u);  // (1, 0) .. (1, 10) listed for the width 10
    EXPECT_EQ(findKey(list2, 1, 1)->count, 2);
    EXPECT_EQ(findKey(list2, 1, 10)->count, 0);
    EXPECT_EQ(two->valueToText(*findKey(list2, 1, 1)), "1 -> 1");

    auto three = r.create("SC3C1");
    const TStatDrawArray list3 = statisticsRun(*three, 4, 5, false);
    ASSERT_EQ(list3.size(), 11u);
    EXPECT_EQ(findKey(list3, 1, 1, 1)->count, 1);  // only the last draw follows 1 and 1
    int total = 0;
    for (const auto& v : list3) total += v.count;
    EXPECT_EQ(total, 1);

    // Channel 2 (11..20): 1, 1, 1, 2, 2; only the last draw follows a count of 2.
    const TStatDrawArray c2 = statisticsRun(*r.create("SC2C2"), 4, 5, false);
    EXPECT_EQ(findKey(c2, 2, 2)->count, 1);

    // The candidate's count in the channel is compared with the later count.
    const TStatDrawArray sel{valueWithKeys(1, 2)};
    test::expectMatches(*two, sel, 4, {{{1, 2, 30, 40, 50}, true}, {{1, 20, 30, 40, 50}, false},
                                       {{1, 2, 3, 40, 50}, false}});
}

TEST(ChainStats, InsideChannelsInFourModes) {
    // x = 12 is in a - 1 and in R; draw a holds 15 and 19 of channel 2 (11..20).
    const TDrawsArray found = makeArchive({{12, 31, 41, 51, 61}, {15, 19, 25, 35, 45}, {12, 22, 33, 44, 55}});
    const TDrawsArray none = makeArchive({{12, 31, 41, 51, 61}, {5, 25, 35, 45, 65}, {12, 22, 33, 44, 55}});
    test::Registry rf(found), rn(none);
    using Keys = std::vector<std::array<int, 3>>;
    // The values of draw a in each mode, with and without a number in the channel of 12.
    const std::vector<std::tuple<const char*, Keys, Keys>> cases{
        {"SDA2", {{12, 15, 0}, {12, 19, 0}}, {{12, 0, 0}}},
        {"SDG2", {{12, 15, 0}, {12, 19, 0}}, {}},
        {"SDZ2", {}, {{12, 0, 0}}},
        {"SDC2", {{12, 2, 0}}, {{12, 0, 0}}},
    };
    for (const auto& [code, withFound, withNone] : cases) {
        EXPECT_EQ(keysOf(drawValues(*rf.create(code), 1, 2)), withFound) << code;
        EXPECT_EQ(keysOf(drawValues(*rn.create(code), 1, 2)), withNone) << code;
    }

    EXPECT_EQ(rf.create("SDA2")->valueToText(valueWithKeys(12, 5)), "12 -> 05");
    EXPECT_EQ(rf.create("SDC2")->valueToText(valueWithKeys(12, 2)), "12 -> 2");
}

TEST(ChainStats, InsideMatchTestUsesTheDrawBeforeTheCandidate) {
    // The draw before the candidate (reference index 2) holds 12 and 22.
    const TDrawsArray draws = makeArchive({{12, 31, 41, 51, 61}, {15, 19, 25, 35, 45}, {12, 22, 33, 44, 55}});
    test::Registry r(draws);
    auto all = r.create("SDA2");
    const TStatDrawArray exact{valueWithKeys(12, 15)};
    test::expectMatches(*all, exact, 2, {{{15, 60, 61, 62, 63}, true}, {{16, 60, 61, 62, 63}, false}});
    // A second key of 0 stands for the whole channel of x.
    const TStatDrawArray empty{valueWithKeys(12, 0)};
    test::expectMatches(*all, empty, 2, {{{16, 60, 61, 62, 63}, true}, {{21, 60, 61, 62, 63}, false}});
    // A first key that is not in the draw before the candidate selects nothing.
    const TStatDrawArray absent{valueWithKeys(15, 16)};
    EXPECT_FALSE(matches(*all, absent, 2, {16, 60, 61, 62, 63}));
    // With reference index 1 the draw before holds 15: now (15, 16) applies.
    EXPECT_TRUE(matches(*all, absent, 1, {16, 60, 61, 62, 63}));

    // Count mode: the channel of x, never the count read as a number.
    auto count = r.create("SDC2");
    const TStatDrawArray two{valueWithKeys(12, 2)};
    test::expectMatches(*count, two, 2, {{{17, 60, 61, 62, 63}, true}, {{2, 60, 61, 62, 63}, false}});

    // Include and exclude partition a list: with (12, 0) the candidates holding one of 11..16.
    const TCombsArray combs = test::allCombs(16);
    TCombsArray kept, rest;
    ASSERT_TRUE(filterRun(*all, combs, empty, 2, false, TFilterMode::Include, kept));
    ASSERT_TRUE(filterRun(*all, combs, empty, 2, false, TFilterMode::Exclude, rest));
    EXPECT_EQ(rest.size(), 252u);  // C(10, 5): only numbers 1..10
    EXPECT_EQ(kept.size() + rest.size(), combs.size());
    for (const TComb& c : rest)
        for (uint8_t n : c.n) EXPECT_LE(n, 10);
}

TEST(ChainStats, Segments) {
    const TDrawsArray draws = makeArchive({{5, 12, 20, 33, 41}, {7, 12, 25, 40, 60}, {12, 33, 50, 55, 66}});
    test::Registry r(draws);
    auto& seg = r.settings.config.segments;
    for (int n = 1; n <= 20; ++n) seg[static_cast<size_t>(n - 1)] = 2;
    for (int n = 21; n <= 40; ++n) seg[static_cast<size_t>(n - 1)] = 3;
    r.list.rebuild();
    // Segments: a - 1 2 2 2 3 1, a 2 2 3 3 1, R 2 3 1 1 1.
    auto all = r.create("SSV2");
    const TStatDrawArray list = drawValues(*all, 1, 2);
    EXPECT_EQ(list.size(), 9u);
    test::expectCounts(list, {{{2, 2}, 6}, {{2, 3}, 6}, {{2, 1}, 3}, {{3, 2}, 2}, {{1, 1}, 1}});
    EXPECT_EQ(all->valueToText(*findKey(list, 2, 3)), "2 -> 3");
    // Positions 1 and 5 of a - 1 match R's segments.
    using K = std::array<int, 3>;
    EXPECT_EQ(keysOf(drawValues(*r.create("SSP2"), 1, 2)), (std::vector<K>{{2, 2, 0}, {1, 1, 0}}));
    // Segment count members exist for segments 1..3; only (kR, 0) is listed.
    ASSERT_GE(r.list.methodWithCode("SS2C3"), 0);
    EXPECT_LT(r.list.methodWithCode("SS2C4"), 0);
    const TStatDrawArray counts = statisticsRun(*r.create("SS2C3"), 2, 3, false);
    // Segment 3 per draw: 1, 2, 1. The first draw's count 1 equals R's, followed by 2.
    ASSERT_EQ(counts.size(), 2u);
    EXPECT_EQ(findKey(counts, 1, 0)->count, 0);
    EXPECT_EQ(findKey(counts, 1, 2)->count, 1);
    // The candidate's segment is compared with the later segment.
    const TStatDrawArray sel{valueWithKeys(1, 3)};
    test::expectMatches(*all, sel, 2, {{{25, 60, 61, 62, 63}, true}, {{5, 60, 61, 62, 63}, false}});
}

TEST(ChainStats, FirstDrawsAddNothing) {
    const TDrawsArray draws = threeDrawArchive();
    test::Registry r(draws);
    int members = 0;
    for (int i = 0; i < r.list.count(); ++i) {
        if (r.list.item(i).statClass().group != kChainGroup) continue;
        ++members;
        auto m = r.list.createInstance(i);
        const std::string code = r.list.item(i).code();
        EXPECT_TRUE(drawValues(*m, 0, 4).empty()) << code;
        const bool threeDraws = code.starts_with("SDP3") || code.starts_with("SDM") || code.starts_with("SCP3") ||
                                code.starts_with("SCM") || code.starts_with("SC3C") || code.starts_with("SSP3") ||
                                code.starts_with("SSM") || code.starts_with("SS3C");
        if (threeDraws) {
            EXPECT_TRUE(drawValues(*m, 1, 4).empty()) << code;
        }
    }
    // 13 number, 27 channel (7 channels), 4 inside and 15 segment (one segment) methods.
    EXPECT_EQ(members, 59);
}

TEST(ChainStats, InstanceRangesFollowTheSettings) {
    const TDrawsArray draws = threeDrawArchive();
    test::Registry r(draws);
    r.settings.config.channelSize = 7;
    r.settings.config.segments.fill(3);
    r.settings.config.segments[68] = 7;
    r.list.rebuild();
    EXPECT_GE(r.list.methodWithCode("SC2C10"), 0);
    EXPECT_LT(r.list.methodWithCode("SC2C11"), 0);
    EXPECT_LT(r.list.methodWithCode("SS2C2"), 0);
    EXPECT_GE(r.list.methodWithCode("SS3C3"), 0);
    EXPECT_GE(r.list.methodWithCode("SS3C7"), 0);
    EXPECT_LT(r.list.methodWithCode("SS3C8"), 0);

    // A width of 0 leaves no channel count methods; the other channel members take it as 1.
    r.settings.config.channelSize = 0;
    // Digits 0 and 12 count as segment 1.
    r.settings.config.segments.fill(0);
    r.settings.config.segments[0] = 12;
    r.list.rebuild();
    EXPECT_LT(r.list.methodWithCode("SC2C1"), 0);
    EXPECT_LT(r.list.methodWithCode("SC3C1"), 0);
    EXPECT_GE(r.list.methodWithCode("SS2C1"), 0);
    EXPECT_LT(r.list.methodWithCode("SS2C2"), 0);
    const TStatDrawArray channels = drawValues(*r.create("SCP2"), 1, 4);
    const TStatDrawArray numbers = drawValues(*r.create("SDP2"), 1, 4);
    EXPECT_EQ(keysOf(channels), keysOf(numbers));
    for (int i = 0; i < r.list.count(); ++i) {
        if (r.list.item(i).statClass().group != kChainGroup) continue;
        auto m = r.list.createInstance(i);
        EXPECT_NO_THROW(statisticsRun(*m, 4, 5, false)) << r.list.item(i).code();
    }
}

TEST(ChainStats, CaptionsAndKinds) {
    const TDrawsArray draws = threeDrawArchive();
    test::Registry r(draws);
    auto caption = [&](const char* code) { return r.list.listCaption(r.list.methodWithCode(code), true); };
    EXPECT_EQ(caption("SDV2"), "{ mov } Переходы чисел между 2 тиражами без учета позиции [ D ]");
    EXPECT_EQ(caption("SDP3"), "{ mov } Переходы чисел между 3 тиражами с учетом позиции [ SD ]");
    EXPECT_EQ(caption("SDN3"), "{ mov } Переходы чисел между 2 тиражами в 3 позиции [ SD ]");
    EXPECT_EQ(caption("SCM5"), "{ mov } Переходы каналов между 3 тиражами в 5 позиции [ SD ]");
    EXPECT_EQ(caption("SC2C4"), "{ mov } Переходы кол-ва чисел в 4 канале между 2 тиражами [ D ]");
    EXPECT_EQ(caption("SS3C1"), "{ mov } Переходы кол-ва чисел в 1 сегменте между 3 тиражами [ D ]");
    EXPECT_EQ(caption("SDZ2"), "{ mov } Переходы чисел в пределах каналов (N-0, не удачные) [ D ]");
    // Registry order: the three-draw members follow their per-position two-draw members.
    EXPECT_EQ(r.list.methodWithCode("SDP3"), r.list.methodWithCode("SDN5") + 1);
    EXPECT_EQ(r.list.methodWithCode("SDV2"), r.list.methodWithCode("PRDG") + 1);
}

TEST(ChainStats, EveryMemberRunsOnTheSampleArchive) {
    const TDrawsArray draws = test::loadSampleDraws();
    ASSERT_GT(draws.size(), 10u);
    test::Registry r(draws);
    const int last = static_cast<int>(draws.size()) - 1;
    const TCombsArray combs = test::allCombs(12);
    for (int i = 0; i < r.list.count(); ++i) {
        const int group = r.list.item(i).statClass().group;
        if (group < 8 || group > kChainGroup) continue;
        auto m = r.list.createInstance(i);
        const TStatDrawArray list = statisticsRun(*m, last, 100, false);
        for (const auto& v : list) EXPECT_FALSE(m->valueToText(v).empty());
        TCombsArray kept;
        ASSERT_TRUE(filterRun(*m, combs, list, last, false, TFilterMode::Include, kept)) << r.list.item(i).code();
    }
}

}  // namespace
}  // namespace tavlora
