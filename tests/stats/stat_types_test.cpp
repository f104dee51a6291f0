#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "stats/layout_stats.h"
#include "stats/packed_key_set.h"
#include "stats/stat_types.h"
#include "stats_test_util.h"

namespace tavlora {
namespace {

using test::valueWithKeys;

TStatDraw occurrence(int k1, int drawNumber, int depth) {
    TStatDraw v = valueWithKeys(k1);
    v.lastDraw = drawNumber;
    v.runningDraw = drawNumber;
    v.depth = depth;
    v.count = 1;
    return v;
}

TEST(StatValueList, AddValueCountsAndMeasuresPeriods) {
    TStatDrawArray list;
    // Pre-listed value: count 0, never seen.
    TStatDraw pre = valueWithKeys(7);
    addValue(list, pre, false);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].count, 0);
    EXPECT_EQ(list[0].lastDraw, 0);
    EXPECT_EQ(list[0].depth, 0);

    // Occurrences in draws 101, 104 and 110 of a window ending at draw 112.
    addValue(list, occurrence(7, 101, 12), true);
    addValue(list, occurrence(7, 104, 9), true);
    addValue(list, occurrence(7, 110, 3), true);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].count, 3);
    EXPECT_EQ(list[0].lastDraw, 110);
    EXPECT_EQ(list[0].depth, 3);
    EXPECT_EQ(list[0].minPeriod, 3);
    EXPECT_EQ(list[0].maxPeriod, 6);
    EXPECT_EQ(list[0].runningDraw, 110);

    // A new value is appended with its norm cleared.
    TStatDraw other = occurrence(8, 111, 2);
    other.norm = 55;
    addValue(list, other, true);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1].norm, 0);
    EXPECT_EQ(list[1].minPeriod, 0);
}

TEST(StatValueList, ValueProducedTwiceByOneDrawHasPeriodZero) {
    TStatDrawArray list;
    addValue(list, occurrence(0, 50, 1), true);
    addValue(list, occurrence(0, 50, 1), true);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].count, 2);
    EXPECT_EQ(list[0].minPeriod, 0);
    EXPECT_EQ(list[0].maxPeriod, 0);
}

TEST(StatValueList, DepthKeepsMostRecentAndFlagControlsPeriods) {
    TStatDrawArray list;
    addValue(list, occurrence(3, 10, 5), true);
    addValue(list, occurrence(3, 13, 2), true);
    EXPECT_EQ(list[0].depth, 2);
    EXPECT_EQ(list[0].lastDraw, 13);
    // A deeper occurrence does not replace the most recent one.
    addValue(list, occurrence(3, 9, 6), false);
    EXPECT_EQ(list[0].depth, 2);
    EXPECT_EQ(list[0].lastDraw, 13);
    // Without the draw flag no period is measured, but the running draw moves.
    EXPECT_EQ(list[0].minPeriod, 3);
    EXPECT_EQ(list[0].runningDraw, 9);
    // Combination values (depth 0, last draw 0) never measure periods.
    TStatDraw comb = valueWithKeys(3);
    comb.count = 1;
    addValue(list, comb, false);
    EXPECT_EQ(list[0].count, 4);
    EXPECT_EQ(list[0].minPeriod, 3);
    EXPECT_EQ(list[0].maxPeriod, 3);
}

TEST(StatValueList, SortIsStableByUnsignedKeys) {
    TStatDrawArray list;
    list.push_back(valueWithKeys(0xFFFF));
    list.push_back(valueWithKeys(2, 1));
    list.push_back(valueWithKeys(2, 0, 5));
    list.push_back(valueWithKeys(1));
    list.push_back(valueWithKeys(2, 0, 5));
    list[2].count = 10;
    list[4].count = 20;
    sortValues(list);
    EXPECT_EQ(list[0].keys[0], 1);
    EXPECT_EQ(list[1].keys[2], 5);
    EXPECT_EQ(list[1].count, 10);
    EXPECT_EQ(list[2].count, 20);
    EXPECT_EQ(list[3].keys[1], 1);
    EXPECT_EQ(list[4].keys[0], 0xFFFF);
}

TEST(StatValueList, SummaryAndMerge) {
    TStatDrawArray list;
    EXPECT_EQ(summarize(list).total, 0);
    list.push_back(occurrence(1, 5, 4));
    list.push_back(occurrence(2, 7, 2));
    list[1].count = 9;
    list.push_back(valueWithKeys(3));
    const TStatSummary s = summarize(list);
    EXPECT_EQ(s.total, 10);
    EXPECT_EQ(s.minCount, 0);
    EXPECT_EQ(s.maxCount, 9);
    EXPECT_EQ(s.maxDepth, 4);

    TStatDrawArray other;
    other.push_back(valueWithKeys(2));
    other[0].count = 3;
    other.push_back(valueWithKeys(4));
    other[1].count = 1;
    mergeValueCounts(list, other);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[1].count, 12);
    EXPECT_EQ(list[3].keys[0], 4);
}

TEST(StatSelection, Helpers) {
    TStatDrawArray sel;
    sel.push_back(valueWithKeys(0x1234, 0x00FF, 7, 0));
    TStatDraw neg;
    neg.setKeys12(-5);
    neg.setKeys34(-70000);
    sel.push_back(neg);

    EXPECT_TRUE(selHasKeys(sel, 0x1234, 0x00FF, 7, 0));
    EXPECT_FALSE(selHasKeys(sel, 0x1234, 0x00FF, 7, 1));
    EXPECT_TRUE(selHasKey(sel, 3, 7));
    EXPECT_FALSE(selHasKey(sel, 4, 7));
    EXPECT_FALSE(selHasKey(sel, 5, 0));
    EXPECT_TRUE(selHasByte(sel, 1, 0x34));
    EXPECT_TRUE(selHasByte(sel, 2, 0x12));
    EXPECT_TRUE(selHasByte(sel, 3, 0xFF));
    EXPECT_TRUE(selHasByte(sel, 4, 0x00));
    EXPECT_TRUE(selHasByte(sel, 5, 7));
    EXPECT_FALSE(selHasByte(sel, 9, 0));
    EXPECT_TRUE(selHasInt(sel, 1, -5));
    EXPECT_TRUE(selHasInt(sel, 2, -70000));
    EXPECT_FALSE(selHasInt(sel, 1, 5));
    EXPECT_TRUE(selHasInt(sel, 1, 0x00FF1234));
    EXPECT_FALSE(selHasPair(sel, 0x1234, 7));  // keys 1-2 read together are 0x00FF1234
    TStatDrawArray pairs;
    pairs.push_back(valueWithKeys(150, 0, 160, 0));
    EXPECT_TRUE(selHasPair(pairs, 150, 160));
    EXPECT_FALSE(selHasPair(pairs, 160, 150));
}

// The lookup tables a matcher builds from a selection answer exactly like a scan of its records,
// for selections with keys inside and beyond each table's range.
TEST(StatSelection, SelectionTablesAnswerLikeTheScan) {
    std::mt19937 rng(12345);
    for (int round = 0; round < 50; ++round) {
        TStatDrawArray sel;
        const int n = static_cast<int>(rng() % 12);
        for (int i = 0; i < n; ++i) {
            // Key 1 around the key-1 set's 1024 bits and the pair rows' 256; key 2 around their 8.
            const int k1 = round % 2 ? static_cast<int>(rng() % 1100) : static_cast<int>(rng() % 300);
            const int k2 = rng() % 4 == 0 ? static_cast<int>(rng() % 10) : 0;
            sel.push_back(valueWithKeys(k1, k2, 0, rng() % 5 == 0 ? 1 : 0));
        }
        const TKey1Set key1(sel);
        TPackedKeySet packed;
        packed.build(sel);
        TPairSelection pairs;
        pairs.build(sel);
        for (int k = 0; k < 1100; ++k) {
            ASSERT_EQ(key1.hasExact(sel, k), selHasKeys(sel, static_cast<uint16_t>(k), 0, 0, 0)) << k;
            ASSERT_EQ(key1.hasAny(sel, k), selHasKey(sel, 1, static_cast<uint16_t>(k))) << k;
            for (int k2 = 0; k2 < 10; ++k2) {
                const auto a = static_cast<uint16_t>(k), b = static_cast<uint16_t>(k2);
                ASSERT_EQ(pairs.has(sel, k, k2), selHasKeys(sel, a, b, 0, 0)) << k << " " << k2;
                for (uint16_t k4 : {0, 1})
                    ASSERT_EQ(packed.contains(TPackedKeySet::pack(a, b, 0, k4)), selHasKeys(sel, a, b, 0, k4))
                        << k << " " << k2 << " " << k4;
            }
        }
        std::vector<uint8_t> table(1100, 7);
        key1.exactTable(sel, table.data(), table.size());
        for (int k = 0; k < 1100; ++k) ASSERT_EQ(table[static_cast<size_t>(k)], key1.hasExact(sel, k) ? 1 : 0) << k;
    }
}

TEST(StatTables, LastValueAndCounters) {
    TLastValueArray table;
    EXPECT_EQ(noteOccurrence(table, 10, 1, 0, 0, 0), -1);
    EXPECT_EQ(noteOccurrence(table, 10, 1, 0, 0, 1), -1);
    EXPECT_EQ(noteOccurrence(table, 14, 1, 0, 0, 0), 4);
    EXPECT_EQ(noteOccurrence(table, 20, 1, 0, 0, 0), 6);
    EXPECT_EQ(table.size(), 2u);

    TStatSimpleArray counters;
    addToCounter(counters, 5, 1);
    addToCounter(counters, 2, 0);   // absent: appended even with amount 0
    addToCounter(counters, 5, 2);   // present, positive: added
    addToCounter(counters, 5, -4);  // present, not positive: left
    addToCounter(counters, -1, 3);
    ASSERT_EQ(counters.size(), 3u);
    EXPECT_EQ(counters[0].count, 3);
    EXPECT_EQ(counters[1].count, 0);
    sortCounters(counters);
    EXPECT_EQ(counters[0].key, -1);
    EXPECT_EQ(counters[1].key, 2);
    EXPECT_EQ(counters[2].key, 5);
}

TEST(StatKindsAndGroups, LettersAndCaptions) {
    EXPECT_EQ(kindLetters(0), "");
    EXPECT_EQ(kindLetters(kindN | kindG), "NG");
    EXPECT_EQ(kindLetters(kindG | kindS | kindN), "SNG");
    EXPECT_EQ(kindLetters(kindS | kindN | kindD | kindP | kindG), "SNDPG");
    EXPECT_EQ(groupText(1), "{ sum } Сумма чисел тиража");
    EXPECT_EQ(groupText(12), "{ shr } Методы шинковки");
    EXPECT_EQ(groupText(13), "#ERROR#");
    EXPECT_EQ(groupText(-1), "#ERROR#");
    for (int g = 0; g < kStatGroupCount; ++g) EXPECT_EQ(groupCode(g).size(), 3u) << g;
}

TEST(StatState, ClearZeroesTheBlock) {
    auto state = std::make_unique<TStatState>();
    struct Entry {
        int32_t count;
        int32_t draw;
    };
    state->as<Entry>().count = 9;
    state->clear();
    EXPECT_EQ(state->as<Entry>().count, 0);
}

}  // namespace
}  // namespace tavlora
