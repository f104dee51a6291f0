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

// The values one combination gives, as (key 1, count) in list order.
std::vector<std::pair<int, int>> combValues(TCustomStat& m, std::array<int, 5> nums) {
    TStatDrawArray list;
    m.valuesOfComb(makeComb(nums), list);
    std::vector<std::pair<int, int>> out;
    for (const auto& v : list) out.emplace_back(v.keys[0], v.count);
    return out;
}

using Pairs = std::vector<std::pair<int, int>>;

TEST(SequenceStats, RunsOfConsecutiveNumbers) {
    const TDrawsArray draws;
    test::Registry r(draws);
    auto seql = r.create("SEQL");
    auto seqs = r.create("SEQS");
    auto lens = r.create("LENS");
    EXPECT_EQ(combValues(*seql, {1, 2, 3, 4, 5}), (Pairs{{5, 1}}));
    EXPECT_EQ(combValues(*seqs, {1, 2, 3, 4, 5}), (Pairs{{1, 1}}));
    EXPECT_EQ(combValues(*lens, {1, 2, 3, 4, 5}), (Pairs{{5, 1}}));

    EXPECT_EQ(combValues(*seql, {1, 2, 10, 11, 30}), (Pairs{{2, 2}, {1, 1}}));
    EXPECT_EQ(combValues(*seqs, {1, 2, 10, 11, 30}), (Pairs{{2, 1}}));
    EXPECT_EQ(combValues(*lens, {1, 2, 10, 11, 30}), (Pairs{{2, 1}}));

    EXPECT_EQ(combValues(*seql, {5, 15, 25, 35, 45}), (Pairs{{1, 5}}));
    EXPECT_EQ(combValues(*seqs, {5, 15, 25, 35, 45}), (Pairs{{0, 1}}));
    EXPECT_EQ(combValues(*lens, {5, 15, 25, 35, 45}), (Pairs{{1, 1}}));

    // A run at the end and another in the middle: 3 4 5 10 20 gives 3, 1, 1.
    EXPECT_EQ(combValues(*seql, {3, 4, 5, 10, 20}), (Pairs{{3, 1}, {1, 2}}));
    EXPECT_EQ(combValues(*seqs, {1, 5, 6, 7, 69}), (Pairs{{1, 1}}));
    // 69 and 1 are not consecutive.
    EXPECT_EQ(combValues(*lens, {1, 20, 40, 68, 69}), (Pairs{{2, 1}}));
    EXPECT_EQ(combValues(*seqs, {1, 20, 40, 68, 69}), (Pairs{{1, 1}}));
    EXPECT_EQ(graph(lens).numberOfComb(makeComb({69, 1, 20, 30, 40}), 0, 0, false), 1);
}

TEST(SequenceStats, TableValuesAndGraphNumbersUseDifferentRules) {
    const TDrawsArray draws = makeArchive({{12, 11, 30, 40, 50}, {20, 21, 22, 5, 6}});
    test::Registry r(draws);
    auto seql = r.create("SEQL");
    auto seqs = r.create("SEQS");
    auto lens = r.create("LENS");
    // Drawn order: 12 then 11 are two runs of one for the table values ...
    const TStatDrawArray lengths = statisticsRun(*seql, 0, 1, false);
    ASSERT_EQ(lengths.size(), 5u);  // 1..5 pre-listed
    EXPECT_EQ(findKey(lengths, 1)->count, 5);
    EXPECT_EQ(findKey(lengths, 2)->count, 0);
    EXPECT_EQ(findKey(statisticsRun(*seqs, 0, 1, false), 0)->count, 1);
    EXPECT_EQ(findKey(statisticsRun(*lens, 0, 1, false), 1)->count, 1);
    // ... and one run of two for the graph numbers.
    EXPECT_EQ(graph(seqs).numberOfDraw(0, 1, false), 1);
    EXPECT_EQ(graph(lens).numberOfDraw(0, 1, false), 2);
    // Sorted, both rules see 11 12.
    EXPECT_EQ(findKey(statisticsRun(*seql, 0, 1, true), 2)->count, 1);
    EXPECT_EQ(findKey(statisticsRun(*lens, 0, 1, true), 2)->count, 1);

    // 20 21 22 5 6: runs of 3 and 2 in drawn order; the drop from 22 to 5 breaks the run.
    const TStatDrawArray both = statisticsRun(*seql, 1, 2, false);
    test::expectCounts(both, {{{3}, 1}, {{2}, 1}, {{1}, 5}});
    EXPECT_EQ(graph(seqs).numberOfDraw(1, 1, false), 2);
    const TStatDrawArray counts = statisticsRun(*seqs, 1, 2, false);
    ASSERT_EQ(counts.size(), 3u);  // 0..2 pre-listed
    EXPECT_EQ(findKey(counts, 2)->count, 1);
    EXPECT_EQ(findKey(counts, 2)->lastDraw, 2);
}

TEST(SequenceStats, MatchTestsPartitionAList) {
    const TDrawsArray draws = makeArchive({{1, 2, 3, 4, 5}});
    test::Registry r(draws);
    auto seql = r.create("SEQL");
    TStatDrawArray sel{valueWithKeys(3)};
    test::expectMatches(*seql, sel, 0, {{{3, 4, 5, 10, 20}, true}, {{3, 4, 5, 6, 20}, false}});

    // Out of the 252 combinations of 1..10, a longest run of exactly 4: 1 2 3 4 with one of 6..10
    // (5), 7 8 9 10 with one of 1..5 (5), and a run starting at 2..6 with one number that is not
    // next to it (4 each): 5 + 5 + 5 * 4 = 30.
    auto lens = r.create("LENS");
    const TCombsArray all = test::allCombs(10);
    const TStatDrawArray four{valueWithKeys(4)};
    TCombsArray kept, removed;
    ASSERT_TRUE(filterRun(*lens, all, four, 0, false, TFilterMode::Include, kept));
    ASSERT_TRUE(filterRun(*lens, all, four, 0, false, TFilterMode::Exclude, removed));
    EXPECT_EQ(kept.size(), 30u);
    EXPECT_EQ(kept.size() + removed.size(), all.size());
    for (const TComb& c : kept)
        EXPECT_EQ(std::find(removed.begin(), removed.end(), c), removed.end());
}

TEST(SequenceStats, RegistryOrderAndKinds) {
    const TDrawsArray draws;
    test::Registry r(draws);
    const int i = r.list.methodWithCode("SEQL");
    ASSERT_GE(i, 0);
    EXPECT_EQ(r.list.item(i + 1).code(), "SEQS");
    EXPECT_EQ(r.list.item(i + 2).code(), "LENS");
    EXPECT_EQ(r.list.listCaption(i + 2, true),
              "{ seq } Макс. длина последовательности в тираже [ SNG ]");
    EXPECT_EQ(r.list.listCaption(i, true), "{ seq } Длина последовательности в тираже [ SN ]");
    EXPECT_EQ(r.create("SEQS")->typedValue("2"), 2);
}

}  // namespace
}  // namespace tavlora
