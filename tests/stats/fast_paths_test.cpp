// The fast paths of the hot loops compared with the plain ones on varied data: value counts of
// norm runs against addValue, chunk match tests against the per-combination test, and the
// packed key setters against the key array.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "stats/stat_classes.h"
#include "stats_test_util.h"

namespace tavlora {
namespace {

TCombsArray randomCombs(std::mt19937& rng, size_t count) {
    TCombsArray out;
    // A run of neighbouring combinations (as a norm run walks them) and random ones.
    for (int e = 10; e <= 69 && out.size() < count / 4; ++e) out.push_back(test::makeComb({3, 4, 8, 9, e}));
    std::uniform_int_distribution<int> num(1, 69);
    while (out.size() < count) {
        std::array<int, 5> n{};
        for (size_t i = 0; i < 5;) {
            const int x = num(rng);
            if (std::find(n.begin(), n.begin() + static_cast<long>(i), x) == n.begin() + static_cast<long>(i)) n[i++] = x;
        }
        if (rng() % 2) std::sort(n.begin(), n.end());
        out.push_back(test::makeComb(n));
    }
    return out;
}

TEST(FastPaths, PackedKeySettersEqualTheKeyArray) {
    std::mt19937 rng(11);
    for (int i = 0; i < 1000; ++i) {
        TStatDraw v;
        const std::array<uint16_t, 4> k{static_cast<uint16_t>(rng()), static_cast<uint16_t>(rng()),
                                        static_cast<uint16_t>(rng()), static_cast<uint16_t>(rng())};
        v.setKeys(k[0], k[1], k[2], k[3]);
        EXPECT_EQ(v.keys, k);
        const int32_t a = static_cast<int32_t>(rng()), b = static_cast<int32_t>(rng());
        v.setKeys12(a);
        EXPECT_EQ(v.keys12(), a);
        EXPECT_EQ(v.keys[2], k[2]);
        EXPECT_EQ(v.keys[3], k[3]);
        v.setKeys34(b);
        EXPECT_EQ(v.keys34(), b);
        EXPECT_EQ(v.keys12(), a);
        TStatDraw w;
        w.setPackedKeys(v.packedKeys());
        EXPECT_EQ(w.keys, v.keys);
    }
}

TEST(FastPaths, ValueCountsEqualAMapOfCounts) {
    std::mt19937 rng(5);
    TValueCounts a, b;
    std::map<std::array<uint16_t, 4>, int64_t> want;
    for (int i = 0; i < 20000; ++i) {
        TStatDraw v;
        switch (rng() % 3) {
            case 0: v.setKeys(static_cast<uint16_t>(rng() % 5000)); break;
            case 1: v.setKeys(static_cast<uint16_t>(rng() % 40), static_cast<uint16_t>(rng() % 40)); break;
            default: v.setKeys(static_cast<uint16_t>(rng()), 0, 0, static_cast<uint16_t>(rng() % 3)); break;
        }
        const int32_t count = static_cast<int32_t>(rng() % 3);  // 0 too: the value is still listed
        (i % 2 ? a : b).add(v.packedKeys(), count);
        want[v.keys] += count;
    }
    a.merge(b);
    const TStatDrawArray got = a.values();
    ASSERT_EQ(got.size(), want.size());
    size_t i = 0;
    for (const auto& [keys, count] : want) {
        EXPECT_EQ(got[i].keys, keys);
        EXPECT_EQ(got[i].count, count);
        ++i;
    }
}

// Every method with a norm: the values of combinations counted through the value counts equal
// those gathered by addValue.
TEST(FastPaths, NormCountsEqualTheValueListOfEveryNormMethod) {
    const TDrawsArray draws = test::loadSampleDraws();
    test::Registry r(draws);
    std::mt19937 rng(3);
    const TCombsArray combs = randomCombs(rng, 120);
    int methods = 0;
    for (int m = 0; m < r.list.count(); ++m) {
        if (!r.list.hasNorm(m)) continue;
        ++methods;
        auto plain = r.list.createInstance(m);
        auto fast = r.list.createInstance(m);
        TValueCounts counts;
        fast->countValuesInto(&counts);
        TStatDrawArray list, rest;
        for (const TComb& c : combs) {
            plain->valuesOfComb(c, list);
            fast->valuesOfComb(c, rest);
            if (rest.size() > 5) {
                counts.addList(rest);
                rest.clear();
            }
        }
        counts.addList(rest);
        std::stable_sort(list.begin(), list.end(), [](const TStatDraw& a, const TStatDraw& b) { return a.keys < b.keys; });
        const TStatDrawArray got = counts.values();
        const std::string code = r.list.item(m).code();
        ASSERT_EQ(got.size(), list.size()) << code;
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].keys, list[i].keys) << code;
            EXPECT_EQ(got[i].count, list[i].count) << code;
        }
    }
    EXPECT_GT(methods, 20);
}

// Every method: the chunk match test equals the per-combination test on random selections, in
// both modes, with and without the tables of the prepared selection.
TEST(FastPaths, ChunkMatchTestEqualsTheMatchTestOfEveryMethod) {
    const TDrawsArray draws = test::loadSampleDraws();
    test::Registry r(draws);
    std::mt19937 rng(9);
    TCombsArray combs = randomCombs(rng, 300);
    const int reference = filterReferenceIndex(static_cast<int>(draws.size()), 3);
    for (int m = 0; m < r.list.count(); ++m) {
        auto method = r.list.createInstance(m);
        const std::string code = r.list.item(m).code();
        const TStatDrawArray table = statisticsRun(*method, reference, 60, false);
        for (int round = 0; round < 2; ++round) {
            TStatDrawArray sel;
            for (const TStatDraw& v : table)
                if (rng() % 4 == 0) sel.push_back(v);
            if (sel.empty() && !table.empty()) sel.push_back(table[rng() % table.size()]);
            const bool sorted = round == 1;
            const TFilterMode mode = round == 0 ? TFilterMode::Include : TFilterMode::Exclude;
            beginFilterRun(*method, sel, reference, sorted);
            const TStatDrawArray copy = sel;  // not the prepared selection: the plain lookups
            for (const TStatDrawArray* s : std::array<const TStatDrawArray*, 2>{&sel, &copy}) {
                std::vector<uint8_t> got(combs.size(), 7);
                method->matchChunk(combs.data(), combs.size(), *s, reference, sorted, mode, got.data());
                for (size_t i = 0; i < combs.size(); ++i)
                    ASSERT_EQ(got[i], method->matchTest(combs[i], *s, reference, sorted, mode) ? 1 : 0)
                        << code << " comb " << i;
            }
        }
    }
}

}  // namespace
}  // namespace tavlora
