#include <gtest/gtest.h>

#include <random>

#include "core/parallel.h"
#include "stats/stat_classes.h"
#include "stats_test_util.h"

namespace tavlora {
namespace {

using test::makeComb;
using test::valueWithKeys;

// Codes of the built methods that are filters.
const std::vector<std::string> kFilterCodes{"NUMS", "DIGS", "EVEN", "EVNV", "SMAL", "SMLV", "PRIM", "PRMV",
                                            "SUMS", "SUM1", "SUM2", "SUM3", "SUMC", "SUMV", "SUMT", "SUME",
                                            "SUMP", "S2T3", "POS1", "POS5", "POE1"};

TEST(StatRun, WindowBounds) {
    EXPECT_EQ(windowFirstIndex(9, 10), 0);
    EXPECT_EQ(windowFirstIndex(9, 3), 7);
    EXPECT_EQ(windowFirstIndex(2, 1000), 0);
    EXPECT_EQ(windowFirstIndex(2000000000, 2147483647), 0);
    EXPECT_EQ(filterReferenceIndex(100, 0), 99);
    EXPECT_EQ(filterReferenceIndex(100, 5), 94);
    EXPECT_EQ(filterReferenceIndex(3, 10), 0);
    EXPECT_EQ(filterReferenceIndex(0, 0), 0);

    // Empty archive / empty window: only the pre-listed values.
    TDrawsArray none;
    test::Registry r(none);
    auto nums = r.create("NUMS");
    const TStatDrawArray list = statisticsRun(*nums, -1, 1000, false);
    EXPECT_EQ(list.size(), 69u);
    EXPECT_EQ(summarize(list).total, 0);
}

TEST(StatRun, IncludeAndExcludePartitionTheListAndEqualThePlainTest) {
    const TDrawsArray draws = test::loadSampleDraws();
    ASSERT_GT(draws.size(), 1000u);
    test::Registry r(draws);
    const TCombsArray combs = test::allCombs(24);  // 42 504 combinations
    const int reference = filterReferenceIndex(static_cast<int>(draws.size()), 0);
    // Several threads run the match test of one instance at once.
    setWorkerCountOverride(4);
    struct ResetWorkers {
        ~ResetWorkers() { setWorkerCountOverride(0); }
    } resetWorkers;
    std::mt19937 rng(7);
    for (const std::string& code : kFilterCodes) {
        auto method = r.create(code);
        ASSERT_NE(method, nullptr) << code;
        // Select a few values of the method's table over the last 200 draws.
        const TStatDrawArray table = statisticsRun(*method, reference, 200, false);
        TStatDrawArray sel;
        for (const TStatDraw& v : table)
            if (rng() % 3 == 0) sel.push_back(v);
        if (sel.empty() && !table.empty()) sel.push_back(table.front());

        TCombsArray kept, removed;
        ASSERT_TRUE(filterRun(*method, combs, sel, reference, false, TFilterMode::Include, kept));
        ASSERT_TRUE(filterRun(*method, combs, sel, reference, false, TFilterMode::Exclude, removed));
        EXPECT_EQ(kept.size() + removed.size(), combs.size()) << code;

        // The parallel run equals the per-combination test of another instance's matcher.
        auto plain = r.create(code);
        const auto matcher = plain->prepareFilter(sel, reference, false);
        TCombsArray expectKept, expectRemoved;
        for (const TComb& c : combs) (matcher->keeps(c) ? expectKept : expectRemoved).push_back(c);
        EXPECT_EQ(kept, expectKept) << code;
        EXPECT_EQ(removed, expectRemoved) << code;

        // Chunks concatenated in order give the same list.
        TCombsArray chunked;
        for (size_t b = 0; b < combs.size(); b += 5000) filterChunk(*matcher, combs, b, b + 5000, chunked);
        EXPECT_EQ(chunked, kept) << code;
    }
}

TEST(StatRun, CombinationValuesMergeAcrossChunks) {
    TDrawsArray draws;
    test::Registry r(draws);
    const TCombsArray combs = test::allCombs(15);  // 3 003 combinations
    for (const std::string code : {"NUMS", "SUMS", "EVNV", "S2T3"}) {
        auto whole = r.create(code);
        TStatDrawArray all;
        combValuesChunk(*whole, combs, 0, combs.size(), all);
        TStatDrawArray merged;
        for (size_t b = 0; b < combs.size(); b += 700) {
            auto part = r.create(code);
            TStatDrawArray piece;
            combValuesChunk(*part, combs, b, b + 700, piece);
            mergeValueCounts(merged, piece);
        }
        sortValues(all);
        sortValues(merged);
        EXPECT_EQ(all, merged) << code;
        EXPECT_EQ(summarize(all).total, static_cast<int64_t>(combs.size()) * (std::string(code) == "NUMS" ? 5 : 1));
    }
    // NUMS over all combinations of 1..15: each number is in C(14, 4) = 1001 of them.
    auto nums = r.create("NUMS");
    TStatDrawArray list;
    combValuesChunk(*nums, combs, 0, combs.size(), list);
    EXPECT_EQ(test::findKey(list, 15)->count, 1001);
    EXPECT_EQ(test::findKey(list, 15)->depth, 0);
    EXPECT_EQ(test::findKey(list, 15)->minPeriod, 0);
}

TEST(StatRun, SampleArchiveSmoke) {
    const TDrawsArray draws = test::loadSampleDraws();
    ASSERT_EQ(draws.size(), 1390u);
    test::Registry r(draws);
    const int last = static_cast<int>(draws.size()) - 1;
    for (int i = 0; i < r.list.count(); ++i) {
        auto m = r.list.createInstance(i);
        const TStatDrawArray list = statisticsRun(*m, last, 1000, true);
        for (const TStatDraw& v : list) {
            EXPECT_FALSE(m->valueToText(v).empty()) << r.list.item(i).code();
            EXPECT_GE(v.count, 0);
            EXPECT_LE(v.depth, 1000);
        }
        if (auto* g = dynamic_cast<TCustomGraphStat*>(m.get())) {
            EXPECT_TRUE(r.list.isGraph(i));
            const auto numbers = graphNumbers(*g, last - 99, last, last, false);
            EXPECT_EQ(numbers.size(), 100u);
        } else {
            EXPECT_FALSE(r.list.isGraph(i)) << r.list.item(i).code();
        }
    }
    // NUMS over the whole sample counts five numbers per draw; SUMS one value per draw.
    auto nums = r.create("NUMS");
    EXPECT_EQ(summarize(statisticsRun(*nums, last, 5000, false)).total, 5 * 1390);
    auto sums = r.create("SUMS");
    const TStatDrawArray s = statisticsRun(*sums, last, 1390, false);
    EXPECT_EQ(s.size(), 321u);
    EXPECT_EQ(summarize(s).total, 1390);
    // The first draw of the sample, 18 30 40 48 52, sums to 188.
    EXPECT_EQ(dynamic_cast<TCustomGraphStat&>(*sums).numberOfDraw(0, last, false), 188);
}

}  // namespace
}  // namespace tavlora
