#include <gtest/gtest.h>

#include <algorithm>

#include "stats/stat_classes.h"
#include "layout_test_util.h"

namespace tavlora {
namespace {

using test::asGraph;
using test::findKey;
using test::makeArchive;
using test::makeComb;
using test::valueWithKeys;

// Channels with the default width 10: 3 5 7 12 40 -> 1 1 1 2 4; 61 62 69 1 20 -> 7 7 7 1 2;
// 10 11 21 31 41 -> 1 2 3 4 5.
TDrawsArray threeDraws() { return makeArchive({{3, 5, 7, 12, 40}, {61, 62, 69, 1, 20}, {10, 11, 21, 31, 41}}); }

TEST(ChannelStats, ChannelsOfTheNumbers) {
    const TDrawsArray draws = threeDraws();
    test::Registry r(draws);
    auto chan = r.create("CHAN");
    ASSERT_NE(chan, nullptr);

    // One draw: channel 1 three times, 2 and 4 once; the seven channels are pre-listed.
    TStatDrawArray one = statisticsRun(*chan, 0, 1, false);
    ASSERT_EQ(one.size(), 7u);
    for (size_t i = 0; i < 7; ++i) EXPECT_EQ(one[i].keys[0], i + 1);
    test::expectCounts(one, {{{1}, 3}, {{2}, 1}, {{3}, 0}, {{4}, 1}});
    EXPECT_EQ(findKey(one, 1)->minPeriod, 0);  // produced three times by one draw

    TStatDrawArray all = statisticsRun(*chan, 2, 3, false);
    EXPECT_EQ(summarize(all).total, 15);
    test::expectCounts(all, {{{1}, 5}, {{7}, 3}, {{6}, 0}});
    EXPECT_EQ(findKey(all, 4)->lastDraw, 3);  // 31 in the last draw
    EXPECT_EQ(findKey(all, 7)->depth, 2);

    EXPECT_EQ(chan->valueToText(valueWithKeys(7)), "07 [61-70]");
    EXPECT_EQ(chan->valueToText(valueWithKeys(3)), "03 [21-30]");
    EXPECT_EQ(chan->textToValue("07 [61-70]"), 7);
    EXPECT_EQ(chan->textToValue("03"), 3);
    EXPECT_EQ(chan->textToValue("[61-70]"), 0);
    EXPECT_EQ(chan->typedValue("5"), 5);

    TStatDrawArray sel{valueWithKeys(7)};
    test::expectMatches(*chan, sel, 2, {{{1, 2, 3, 4, 61}, true}, {{1, 2, 3, 4, 60}, false}});
}

TEST(ChannelStats, CountsPerChannelAndDistinctChannels) {
    const TDrawsArray draws = threeDraws();
    test::Registry r(draws);
    auto chnv = r.create("CHNV");
    auto chnc = r.create("CHNC");
    ASSERT_TRUE(chnv && chnc);

    // Pre-listed: 7 channels x counts 0..5; the first draw adds one value per channel.
    TStatDrawArray v = statisticsRun(*chnv, 0, 1, false);
    ASSERT_EQ(v.size(), 42u);
    EXPECT_EQ(summarize(v).total, 7);
    for (auto [ch, count] : {std::pair{1, 3}, {2, 1}, {3, 0}, {4, 1}, {5, 0}, {6, 0}, {7, 0}})
        EXPECT_EQ(findKey(v, ch, count)->count, 1) << ch;
    EXPECT_EQ(findKey(v, 1, 2)->count, 0);
    EXPECT_EQ(chnv->valueToText(valueWithKeys(3, 2)), "03 [21-30] x 2");
    EXPECT_EQ(chnv->typedValue("3"), 0);  // multi-key values take no typed values
    EXPECT_EQ(chnv->textToValue("03 [21-30] x 2"), 0);

    EXPECT_EQ(asGraph(chnc).numberOfDraw(0, 2, false), 3);
    EXPECT_EQ(asGraph(chnc).numberOfDraw(1, 2, false), 3);
    EXPECT_EQ(asGraph(chnc).numberOfDraw(2, 2, false), 5);
    TStatDrawArray c = statisticsRun(*chnc, 2, 3, false);
    ASSERT_EQ(c.size(), 5u);  // 1..5 pre-listed
    EXPECT_EQ(findKey(c, 3)->count, 2);
    EXPECT_EQ(findKey(c, 3)->minPeriod, 1);
    EXPECT_EQ(findKey(c, 5)->count, 1);

    // (1, 2): channel 1 holds exactly two numbers.
    TStatDrawArray pair{valueWithKeys(1, 2)};
    test::expectMatches(*chnv, pair, 2, {{{1, 2, 11, 21, 31}, true}, {{1, 11, 21, 31, 41}, false}});
    // A zero count matches a combination with no number in that channel.
    TStatDrawArray zeros{valueWithKeys(1, 0), valueWithKeys(2, 0), valueWithKeys(3, 0), valueWithKeys(4, 0),
                         valueWithKeys(5, 0)};
    test::expectMatches(*chnv, zeros, 2, {{{1, 11, 21, 31, 41}, false}, {{1, 11, 21, 31, 61}, true}});
    zeros.push_back(valueWithKeys(6, 0));
    EXPECT_TRUE(test::matchOf(*chnv, makeComb({1, 11, 21, 31, 41}), zeros, 2));
}

TEST(ChannelStats, OneMethodPerChannel) {
    const TDrawsArray draws = threeDraws();
    test::Registry r(draws);
    EXPECT_TRUE(test::hasCode(r.list, "CHN1"));
    EXPECT_TRUE(test::hasCode(r.list, "CHN7"));
    EXPECT_FALSE(test::hasCode(r.list, "CHN8"));
    EXPECT_FALSE(test::hasCode(r.list, "CHN0"));
    const int first = r.list.methodWithCode("CHN1");
    EXPECT_EQ(r.list.item(first).defaultCaption(), "Количество чисел в 1 канале");
    EXPECT_EQ(r.list.item(first).statClass().kindsWithGraph(), kindN | kindG);

    auto chn1 = r.create("CHN1");
    auto chn7 = r.create("CHN7");
    EXPECT_EQ(asGraph(chn1).numberOfDraw(0, 2, false), 3);
    EXPECT_EQ(asGraph(chn7).numberOfDraw(1, 2, false), 3);
    EXPECT_EQ(asGraph(chn7).numberOfComb(makeComb({1, 2, 3, 4, 5}), 0, 2, false), 0);

    // Counts 1..10 are pre-listed; a draw without a number in channel 6 adds the value 0.
    auto chn6 = r.create("CHN6");
    TStatDrawArray list = statisticsRun(*chn6, 2, 3, false);
    ASSERT_EQ(list.size(), 11u);
    EXPECT_EQ(list[0].keys[0], 1);
    EXPECT_EQ(list[9].keys[0], 10);
    EXPECT_EQ(list[10].keys[0], 0);
    EXPECT_EQ(list[10].count, 3);

    TStatDrawArray sel{valueWithKeys(2)};
    test::expectMatches(*chn1, sel, 2, {{{1, 10, 11, 12, 13}, true}, {{1, 2, 10, 12, 13}, false}});
}

TEST(ChannelStats, ChannelTuples) {
    const TDrawsArray draws = threeDraws();
    test::Registry r(draws);
    auto mix2 = r.create("KCM2");
    auto seq2 = r.create("KCS2");
    auto mix3 = r.create("KCM3");
    auto mix4 = r.create("KCM4");
    auto seq4 = r.create("KCS4");
    ASSERT_TRUE(mix2 && seq2 && mix3 && mix4 && seq4);
    EXPECT_TRUE(test::hasCode(r.list, "KCM3"));
    EXPECT_TRUE(test::hasCode(r.list, "KCS3"));
    EXPECT_EQ(r.list.item(r.list.methodWithCode("KCS3")).defaultCaption(),
              "Сочетания из 3 каналов по соседним числам");

    // Channels 1 1 1 2 4: the ten pairs.
    TStatDrawArray m2 = statisticsRun(*mix2, 0, 1, false);
    ASSERT_EQ(m2.size(), 4u);  // nothing pre-listed
    test::expectCounts(m2, {{{1, 1}, 3}, {{1, 2}, 3}, {{1, 4}, 3}, {{2, 4}, 1}});
    TStatDrawArray s2 = statisticsRun(*seq2, 0, 1, false);
    ASSERT_EQ(s2.size(), 3u);
    test::expectCounts(s2, {{{1, 1}, 2}, {{1, 2}, 1}, {{2, 4}, 1}});
    TStatDrawArray m3 = statisticsRun(*mix3, 0, 1, false);
    test::expectCounts(m3, {{{1, 1, 1}, 1}, {{1, 1, 2}, 3}, {{1, 1, 4}, 3}, {{1, 2, 4}, 3}});
    TStatDrawArray m4 = statisticsRun(*mix4, 0, 1, false);
    EXPECT_EQ(summarize(m4).total, 5);
    EXPECT_EQ(findKey(m4, 1, 1, 2, 4)->count, 3);
    TStatDrawArray s4 = statisticsRun(*seq4, 0, 1, false);
    ASSERT_EQ(s4.size(), 2u);
    EXPECT_NE(findKey(s4, 1, 1, 1, 2), nullptr);
    EXPECT_NE(findKey(s4, 1, 1, 2, 4), nullptr);
    EXPECT_EQ(mix3->valueToText(valueWithKeys(2, 2, 5)), "2:2:5");
    EXPECT_EQ(mix4->valueToText(valueWithKeys(1, 1, 2, 4)), "1:1:2:4");
    EXPECT_EQ(mix3->textToValue("2:2:5"), 0);

    // The tuples follow the order the draw is handed over in: 61 62 69 1 20 as drawn or sorted.
    TStatDrawArray drawn = statisticsRun(*seq2, 1, 1, false);
    EXPECT_EQ(findKey(drawn, 7, 7)->count, 2);
    EXPECT_NE(findKey(drawn, 7, 1), nullptr);
    TStatDrawArray sorted = statisticsRun(*seq2, 1, 1, true);
    EXPECT_EQ(findKey(sorted, 7, 1), nullptr);
    EXPECT_NE(findKey(sorted, 2, 7), nullptr);

    // A single combination gives no values.
    TStatDrawArray none;
    mix2->valuesOfComb(makeComb({1, 2, 3, 4, 5}), none);
    EXPECT_TRUE(none.empty());

    // The combination is taken in its stored order.
    TStatDrawArray sel{valueWithKeys(2, 1)};
    test::expectMatches(*seq2, sel, 2, {{{15, 5, 30, 40, 50}, true}, {{5, 15, 30, 40, 50}, false}});
    test::expectMatches(*mix2, sel, 2, {{{5, 15, 30, 40, 50}, false}, {{15, 30, 40, 5, 50}, true}});
}

TEST(ChannelStats, WidthFromTheSettingsAndRebuild) {
    const TDrawsArray draws = threeDraws();
    test::Registry r(draws);
    // Width 7: CHN1..CHN7 become CHN1..CHN10 after a rebuild; 69 lies in channel 10.
    r.settings.config.channelSize = 7;
    r.list.rebuild();
    EXPECT_TRUE(test::hasCode(r.list, "CHN10"));
    EXPECT_FALSE(test::hasCode(r.list, "CHN11"));
    EXPECT_EQ(asGraph(r.create("CHN10")).numberOfDraw(1, 2, false), 1);
    EXPECT_EQ(r.create("CHAN")->valueToText(valueWithKeys(10)), "10 [64-70]");

    // Width 1: every number is its own channel.
    r.settings.config.channelSize = 1;
    r.list.rebuild();
    EXPECT_TRUE(test::hasCode(r.list, "CHN69"));
    EXPECT_FALSE(test::hasCode(r.list, "CHN70"));
    auto chnc = r.create("CHNC");
    TStatDrawArray c = statisticsRun(*chnc, 2, 3, false);
    ASSERT_EQ(c.size(), 2u);
    EXPECT_EQ(findKey(c, 1)->count, 0);
    EXPECT_EQ(findKey(c, 5)->count, 3);
    auto chan = r.create("CHAN");
    EXPECT_EQ(statisticsRun(*chan, 2, 3, false).size(), 69u);
    EXPECT_EQ(chan->valueToText(valueWithKeys(5)), "05 [5-5]");
    EXPECT_EQ(asGraph(r.create("CHN40")).numberOfDraw(0, 2, false), 1);

    // Widths outside 1..69 are taken as 1 and 69.
    r.settings.config.channelSize = 0;
    r.list.rebuild();
    EXPECT_TRUE(test::hasCode(r.list, "CHN69"));
    EXPECT_EQ(asGraph(r.create("CHNC")).numberOfDraw(0, 2, false), 5);
    r.settings.config.channelSize = -3;
    r.list.rebuild();
    EXPECT_EQ(r.create("CHAN")->valueToText(valueWithKeys(2)), "02 [2-2]");
    r.settings.config.channelSize = 1000;
    r.list.rebuild();
    EXPECT_TRUE(test::hasCode(r.list, "CHN1"));
    EXPECT_FALSE(test::hasCode(r.list, "CHN2"));
    EXPECT_EQ(r.create("CHAN")->valueToText(valueWithKeys(1)), "01 [1-69]");
    EXPECT_EQ(asGraph(r.create("CHN1")).numberOfDraw(2, 2, false), 5);

    // A created method keeps the width it was created with.
    r.settings.config.channelSize = 10;
    r.list.rebuild();
    auto chan10 = r.create("CHAN");
    r.settings.config.channelSize = 5;
    EXPECT_EQ(chan10->valueToText(valueWithKeys(7)), "07 [61-70]");
}

TEST(ChannelStats, NormsOverACombinationSet) {
    // All 15 504 combinations of 1..20: two channels of ten numbers each.
    const TDrawsArray draws = threeDraws();
    test::Registry r(draws);
    const TCombsArray combs = test::allCombs(20);
    auto chnc = r.create("CHNC");
    TStatDrawArray c;
    combValuesChunk(*chnc, combs, 0, combs.size(), c);
    ASSERT_EQ(c.size(), 2u);
    EXPECT_EQ(findKey(c, 1)->count, 504);  // C(10, 5) in each of the two channels
    EXPECT_EQ(findKey(c, 2)->count, 15000);

    auto chnv = r.create("CHNV");
    TStatDrawArray v;
    combValuesChunk(*chnv, combs, 0, combs.size(), v);
    // C(10, k) * C(10, 5 - k) combinations hold k numbers of channel 1.
    const int expected[6] = {252, 2100, 5400, 5400, 2100, 252};
    for (int k = 0; k <= 5; ++k) EXPECT_EQ(findKey(v, 1, k)->count, expected[k]) << k;
    EXPECT_EQ(findKey(v, 3, 0)->count, 15504);
    EXPECT_EQ(findKey(v, 3, 1), nullptr);

    // One instance filling two lists in turns (as chunks of a norm run do) counts the same.
    TStatDrawArray first, second;
    for (size_t begin = 0; begin < combs.size(); begin += 1000)
        combValuesChunk(*chnv, combs, begin, begin + 1000, (begin / 1000) % 2 ? second : first);
    mergeValueCounts(first, second);
    ASSERT_EQ(first.size(), v.size());
    for (const auto& e : v) EXPECT_EQ(findKey(first, e.keys[0], e.keys[1])->count, e.count);
}

TEST(ChannelStats, MatchTestsAgreeWithTheValuesAndPartitionAList) {
    const TDrawsArray draws = test::spreadArchive(400);
    test::Registry r(draws);
    for (const char* code : {"CHAN", "CHNV", "CHNC", "CHN3", "KCM2", "KCM3", "KCM4", "KCS2", "KCS3", "KCS4"}) {
        TStatDrawArray sel = test::valuesOfFirstDraws(r, code, 3);
        test::expectMatchAgreesWithValues(r, code, sel);
        sel.resize(std::min<size_t>(sel.size(), 2));
        const int hits = test::expectMatchAgreesWithValues(r, code, sel);
        EXPECT_GT(hits, 0) << code;
        EXPECT_LT(hits, 400) << code;
    }

    // Include and exclude split a list into two complementary lists, each in its order.
    TCombsArray combs;
    for (const TDraw& d : draws) combs.push_back(makeComb({d.nums[0], d.nums[1], d.nums[2], d.nums[3], d.nums[4]}));
    for (const char* code : {"CHNC", "KCS3"}) {
        auto m = r.create(code);
        const TStatDrawArray sel = test::valuesOfFirstDraws(r, code, 2);
        TCombsArray kept, removed;
        ASSERT_TRUE(filterRun(*m, combs, sel, 0, false, TFilterMode::Include, kept));
        ASSERT_TRUE(filterRun(*m, combs, sel, 0, false, TFilterMode::Exclude, removed));
        EXPECT_EQ(kept.size() + removed.size(), combs.size()) << code;
        EXPECT_GT(kept.size(), 0u) << code;
        EXPECT_GT(removed.size(), 0u) << code;
        size_t k = 0, x = 0;
        for (const TComb& comb : combs) {
            if (k < kept.size() && kept[k] == comb) ++k;
            else if (x < removed.size() && removed[x] == comb) ++x;
        }
        EXPECT_EQ(k, kept.size()) << code;
        EXPECT_EQ(x, removed.size()) << code;
    }
}

}  // namespace
}  // namespace tavlora
