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

// Keys 1 of the values with a count, in list order.
std::vector<int> countedKeys(const TStatDrawArray& list) {
    std::vector<int> out;
    for (const auto& v : list)
        if (v.count > 0) out.push_back(v.keys[0]);
    return out;
}

TEST(DiffStats, StoredAndSortedGapsOfOneDraw) {
    const TDrawsArray draws = makeArchive({{40, 2, 15, 69, 36}});
    test::Registry r(draws);
    auto difa = r.create("DIFA");
    const TStatDrawArray stored = statisticsRun(*difa, 0, 1, false);
    ASSERT_EQ(stored.size(), 68u);  // gaps 1..68 pre-listed
    EXPECT_EQ(countedKeys(stored), (std::vector<int>{13, 33, 38, 54}));
    const TStatDrawArray sorted = statisticsRun(*difa, 0, 1, true);  // 2 15 36 40 69
    EXPECT_EQ(countedKeys(sorted), (std::vector<int>{4, 13, 21, 29}));

    auto difm = r.create("DIFM");
    auto difd = r.create("DIFD");
    EXPECT_EQ(graph(difm).numberOfDraw(0, 0, false), 54);
    EXPECT_EQ(graph(difm).numberOfDraw(0, 0, true), 29);
    EXPECT_EQ(graph(difd).numberOfDraw(0, 0, false), 67);
    EXPECT_EQ(graph(difd).numberOfDraw(0, 0, true), 67);
    EXPECT_EQ(countedKeys(statisticsRun(*difm, 0, 1, false)), std::vector<int>{54});
    EXPECT_EQ(countedKeys(statisticsRun(*difd, 0, 1, true)), std::vector<int>{67});

    auto kds2 = r.create("KDS2");
    const TStatDrawArray pairs = statisticsRun(*kds2, 0, 1, false);
    ASSERT_EQ(pairs.size(), 3u);  // nothing pre-listed
    EXPECT_EQ(kds2->valueToText(pairs[0]), "38:13");
    EXPECT_EQ(kds2->valueToText(pairs[1]), "13:54");
    EXPECT_EQ(kds2->valueToText(pairs[2]), "54:33");
    auto kds3 = r.create("KDS3");
    const TStatDrawArray triples = statisticsRun(*kds3, 0, 1, true);
    ASSERT_EQ(triples.size(), 2u);
    EXPECT_NE(findKey(triples, 13, 21, 4), nullptr);
    EXPECT_EQ(kds3->valueToText(triples[1]), "21:4:29");
    auto kds4 = r.create("KDS4");
    const TStatDrawArray quad = statisticsRun(*kds4, 0, 1, false);
    ASSERT_EQ(quad.size(), 1u);
    EXPECT_EQ(kds4->valueToText(quad[0]), "38:13:54:33");
}

TEST(DiffStats, ConsecutiveNumbersInEveryMember) {
    const TDrawsArray draws = makeArchive({{1, 2, 3, 4, 5}});
    test::Registry r(draws);
    auto difa = r.create("DIFA");
    const TStatDrawArray a = statisticsRun(*difa, 0, 1, false);
    EXPECT_EQ(findKey(a, 1)->count, 4);
    EXPECT_EQ(summarize(a).total, 4);

    auto difo = r.create("DIFO");
    const TStatDrawArray o = statisticsRun(*difo, 0, 1, false);
    ASSERT_EQ(o.size(), 1u);
    EXPECT_EQ(difo->valueToText(o[0]), "1 x 4");
    EXPECT_EQ(o[0].count, 1);

    EXPECT_EQ(graph(r.create("DIFK")).numberOfDraw(0, 0, false), 4);
    EXPECT_EQ(graph(r.create("DIFM")).numberOfDraw(0, 0, false), 1);
    EXPECT_EQ(graph(r.create("DIFD")).numberOfDraw(0, 0, false), 4);

    auto kds2 = r.create("KDS2");
    const TStatDrawArray k = statisticsRun(*kds2, 0, 1, false);
    ASSERT_EQ(k.size(), 1u);
    EXPECT_EQ(findKey(k, 1, 1)->count, 3);

    // Gaps without repetition give a largest multiplicity of 1.
    EXPECT_EQ(graph(r.create("DIFK")).numberOfComb(makeComb({1, 3, 6, 10, 15}), 0, 0, false), 1);
}

TEST(DiffStats, PeriodsOfAllGapsAreMeasuredOnlyAtTheFirstPosition) {
    // Gap 7: draw 1 at position 2-3, draw 2 at position 2-3, draw 3 at position 1-2.
    const TDrawsArray draws = makeArchive({{10, 20, 27, 40, 60}, {1, 30, 37, 50, 69}, {5, 12, 30, 45, 60}});
    test::Registry r(draws);
    auto difa = r.create("DIFA");
    const TStatDrawArray two = statisticsRun(*difa, 1, 2, false);
    const TStatDraw* seven = findKey(two, 7);
    EXPECT_EQ(seven->count, 2);
    EXPECT_EQ(seven->minPeriod, 0);
    EXPECT_EQ(seven->maxPeriod, 0);
    EXPECT_EQ(seven->lastDraw, 2);
    // In draw 3 it arrives at position 1-2: measured from draw 2, where it was last seen.
    const TStatDrawArray three = statisticsRun(*difa, 2, 3, false);
    seven = findKey(three, 7);
    EXPECT_EQ(seven->count, 3);
    EXPECT_EQ(seven->minPeriod, 1);
    EXPECT_EQ(seven->maxPeriod, 1);
    // 15 occurs twice in draw 3, never at position 1-2.
    EXPECT_EQ(findKey(three, 15)->count, 2);
    EXPECT_EQ(findKey(three, 15)->minPeriod, 0);
}

TEST(DiffStats, TupleRunsMeasurePeriodsOfTheirFirstRun) {
    const TDrawsArray draws = makeArchive({{1, 2, 3, 4, 5}, {10, 30, 31, 50, 52}, {11, 12, 13, 14, 15}});
    test::Registry r(draws);
    auto kds4 = r.create("KDS4");
    const TStatDrawArray q = statisticsRun(*kds4, 2, 3, false);
    const TStatDraw* ones = findKey(q, 1, 1, 1, 1);
    EXPECT_EQ(ones->count, 2);
    EXPECT_EQ(ones->minPeriod, 2);
    EXPECT_EQ(ones->maxPeriod, 2);
    EXPECT_EQ(findKey(q, 20, 1, 19, 2)->count, 1);
    // KDS2: (1, 1) three times per draw; only the first of draw 3 measures, from draw 1's last run.
    auto kds2 = r.create("KDS2");
    const TStatDrawArray pairs = statisticsRun(*kds2, 2, 3, false);
    const TStatDraw* pair = findKey(pairs, 1, 1);
    ASSERT_NE(pair, nullptr);
    EXPECT_EQ(pair->count, 6);
    EXPECT_EQ(pair->minPeriod, 2);
    EXPECT_EQ(pair->maxPeriod, 2);
}

TEST(DiffStats, MatchTests) {
    const TDrawsArray draws = makeArchive({{1, 2, 3, 4, 5}});
    test::Registry r(draws);
    const TComb c = makeComb({1, 3, 5, 7, 20});  // gaps 2 2 2 13

    auto difa = r.create("DIFA");
    TStatDrawArray sel{valueWithKeys(13)};
    EXPECT_TRUE(test::matchOf(*difa, c, sel, 0));
    EXPECT_FALSE(test::matchOf(*difa, makeComb({1, 2, 3, 4, 5}), sel, 0));

    auto difo = r.create("DIFO");
    TStatDrawArray three{valueWithKeys(2, 3)}, four{valueWithKeys(2, 4)}, thirteen{valueWithKeys(13, 1)};
    for (auto* s : {&three, &thirteen}) {
        EXPECT_TRUE(test::matchOf(*difo, c, *s, 0));
    }
    EXPECT_FALSE(test::matchOf(*difo, c, four, 0));

    auto kds3 = r.create("KDS3");
    TStatDrawArray run{valueWithKeys(2, 2, 13)}, wrongOrder{valueWithKeys(13, 2, 2)};
    EXPECT_TRUE(test::matchOf(*kds3, c, run, 0));
    EXPECT_FALSE(test::matchOf(*kds3, c, wrongOrder, 0));

    auto difk = r.create("DIFK");
    TStatDrawArray mult3{valueWithKeys(3)};
    EXPECT_TRUE(test::matchOf(*difk, c, mult3, 0));
}

TEST(DiffStats, IncludeAndExcludePartitionAList) {
    const TDrawsArray draws = makeArchive({{1, 2, 3, 4, 5}});
    test::Registry r(draws);
    auto difm = r.create("DIFM");
    const TCombsArray all = test::allCombs(10);  // 252 combinations
    const TStatDrawArray sel{valueWithKeys(2)};
    TCombsArray kept, removed;
    ASSERT_TRUE(filterRun(*difm, all, sel, 0, false, TFilterMode::Include, kept));
    ASSERT_TRUE(filterRun(*difm, all, sel, 0, false, TFilterMode::Exclude, removed));
    // Four gaps of 1 or 2 with sum S fit 10 - S times: 6 + 20 + 24 + 12 + 2 = 64, less the 6 runs
    // of consecutive numbers whose largest gap is 1.
    EXPECT_EQ(kept.size(), 58u);
    EXPECT_EQ(removed.size(), 194u);
    EXPECT_TRUE(std::is_sorted(kept.begin(), kept.end(), [](const TComb& a, const TComb& b) { return a.n < b.n; }));
    EXPECT_EQ(kept.front().n, (std::array<uint8_t, 5>{1, 2, 3, 4, 6}));
}

TEST(DiffStats, NormOfTheSpreadOverAllCombinations) {
    // Over the combinations of 1..12 a spread s has 12 - s places for its smallest number and
    // C(s - 1, 3) choices of the three numbers in between.
    const TDrawsArray draws;
    test::Registry r(draws);
    auto difd = r.create("DIFD");
    const TCombsArray all = test::allCombs(12);
    TStatDrawArray list;
    combValuesChunk(*difd, all, 0, all.size(), list);
    const std::array<int, 8> expected{8 * 1, 7 * 4, 6 * 10, 5 * 20, 4 * 35, 3 * 56, 2 * 84, 1 * 120};
    ASSERT_EQ(list.size(), expected.size());
    for (int s = 4; s <= 11; ++s) EXPECT_EQ(findKey(list, s)->count, expected[static_cast<size_t>(s - 4)]) << s;
}

TEST(DiffStats, ValuesOfCombinationsAndRegistryOrder) {
    const TDrawsArray draws;
    test::Registry r(draws);
    auto difo = r.create("DIFO");
    TStatDrawArray list;
    difo->valuesOfComb(makeComb({1, 3, 5, 7, 20}), list);
    difo->valuesOfComb(makeComb({1, 2, 3, 4, 5}), list);
    ASSERT_EQ(list.size(), 3u);
    test::expectCounts(list, {{{2, 3}, 1}, {{13, 1}, 1}, {{1, 4}, 1}});
    // Values of combinations go into whatever list they are given: a pre-listed one, or two lists in
    // turn, each counted on its own.
    auto difa = r.create("DIFA");
    TStatDrawArray listed, other;
    difa->listAllValues(0, listed);
    difa->valuesOfComb(makeComb({1, 2, 3, 4, 5}), listed);
    difa->valuesOfComb(makeComb({1, 3, 5, 7, 20}), other);
    difa->valuesOfComb(makeComb({2, 3, 4, 5, 7}), listed);
    difa->valuesOfComb(makeComb({10, 12, 14, 15, 17}), other);
    ASSERT_EQ(listed.size(), 68u);
    EXPECT_EQ(findKey(listed, 1)->count, 7);
    EXPECT_EQ(findKey(listed, 2)->count, 1);
    EXPECT_EQ(summarize(listed).total, 8);
    ASSERT_EQ(other.size(), 3u);
    test::expectCounts(other, {{{2}, 6}, {{13}, 1}, {{1}, 1}});
    other.clear();
    difa->valuesOfComb(makeComb({1, 2, 3, 4, 5}), other);
    ASSERT_EQ(other.size(), 1u);
    EXPECT_EQ(other[0].count, 4);

    // KDS members have no norm and no values of a combination.
    auto kds2 = r.create("KDS2");
    TStatDrawArray none;
    kds2->valuesOfComb(makeComb({1, 2, 3, 4, 5}), none);
    EXPECT_TRUE(none.empty());

    std::vector<std::string> codes;
    for (int i = 0; i < r.list.count(); ++i) codes.push_back(r.list.item(i).code());
    const auto at = std::find(codes.begin(), codes.end(), "S2T3");
    ASSERT_LE(at + 6, codes.end());
    EXPECT_EQ(std::vector<std::string>(at + 1, at + 6),
              (std::vector<std::string>{"DIFA", "DIFM", "DIFD", "DIFO", "DIFK"}));
    const auto kds = std::find(codes.begin(), codes.end(), "KDS2");
    ASSERT_LE(kds + 3, codes.end());
    EXPECT_EQ(*(kds + 1), "KDS3");
    EXPECT_EQ(*(kds + 2), "KDS4");
    const int i = r.list.methodWithCode("KDS3");
    EXPECT_EQ(r.list.item(i).defaultCaption(), "Сочетания из 3 разностей между числами");
    EXPECT_FALSE(r.list.hasNorm(i));
    EXPECT_TRUE(r.list.hasNorm(r.list.methodWithCode("DIFD")));
    r.list.showGroupName = true;
    EXPECT_EQ(r.list.listCaption(r.list.methodWithCode("DIFD"), true),
              "{ dif } Разность между минимальным и максимальным числом [ NG ]");
}

}  // namespace
}  // namespace tavlora
