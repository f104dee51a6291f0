// The fast paths of the hot loops compared with the plain ones on varied data: value counts of
// norm runs against addValue, chunk match tests against the per-combination test, and the
// packed key setters against the key array.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "stats/packed_key_set.h"
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

// Counts the values of combs three ways: the plain value list of `plain` (returned in list,
// sorted by keys), `fast` with counts attached as a norm run does (its scratch list emptied into
// the counts once it holds more than flushAfter values), and the batch shortcut of `fast` where
// the method has one (shortcut tells). The three must agree.
void expectNormCountsAgree(TCustomStat& plain, TCustomStat& fast, const TCombsArray& combs, size_t flushAfter,
                           const std::string& label, TStatDrawArray& list, bool& shortcut) {
    TValueCounts counts;
    fast.countValuesInto(&counts);
    TStatDrawArray scratch;
    for (const TComb& c : combs) {
        plain.valuesOfComb(c, list);
        fast.valuesOfComb(c, scratch);
        if (scratch.size() > flushAfter) {
            counts.addList(scratch);
            scratch.clear();
        }
    }
    counts.addList(scratch);
    fast.countValuesInto(nullptr);
    std::stable_sort(list.begin(), list.end(), [](const TStatDraw& a, const TStatDraw& b) { return a.keys < b.keys; });
    auto expectSame = [&](const TStatDrawArray& got) {
        ASSERT_EQ(got.size(), list.size()) << label;
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].keys, list[i].keys) << label;
            EXPECT_EQ(got[i].count, list[i].count) << label;
        }
    };
    expectSame(counts.values());
    TValueCounts batched;
    shortcut = fast.countCombValues(combs.data(), combs.size(), batched);
    if (shortcut) expectSame(batched.values());
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
    int methods = 0, shortcuts = 0;
    for (int m = 0; m < r.list.count(); ++m) {
        if (!r.list.hasNorm(m)) continue;
        ++methods;
        auto plain = r.list.createInstance(m);
        auto fast = r.list.createInstance(m);
        TStatDrawArray list;
        bool shortcut = false;
        expectNormCountsAgree(*plain, *fast, combs, 5, r.list.item(m).code(), list, shortcut);
        if (shortcut) ++shortcuts;
    }
    EXPECT_GT(methods, 20);
    EXPECT_EQ(shortcuts, methods);  // every norm run counts batches of combinations
}

// Every method: the chunk match test equals the per-combination test on random selections, in
// both modes.
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
            const auto matcher = method->prepareFilter(sel, reference, sorted, mode);
            std::vector<uint8_t> got(combs.size(), 7);
            matcher->matchChunk(combs.data(), combs.size(), got.data());
            for (size_t i = 0; i < combs.size(); ++i)
                ASSERT_EQ(got[i], matcher->matches(combs[i]) ? 1 : 0) << code << " comb " << i;
        }
    }
}

// The chunk match test against the per-combination test over every combination; returns how many
// matched.
size_t expectChunkEqualsPlainTest(const TCustomStat& method, const TCombsArray& combs, const TStatDrawArray& sel,
                                  int reference, bool sorted, const std::string& what) {
    const auto matcher = method.prepareFilter(sel, reference, sorted);
    std::vector<uint8_t> got(combs.size(), 7);
    // Uneven pieces, as the parallel filter hands them over.
    for (size_t i = 0; i < combs.size();) {
        const size_t n = std::min<size_t>(combs.size() - i, 1 + (i * 7919) % 1500);
        matcher->matchChunk(combs.data() + i, n, got.data() + i);
        i += n;
    }
    size_t matched = 0;
    for (size_t i = 0; i < combs.size(); ++i) {
        const bool want = matcher->matches(combs[i]);
        EXPECT_EQ(got[i], want ? 1 : 0) << what << " comb " << i;
        if (got[i] != (want ? 1 : 0)) break;
        matched += want ? 1 : 0;
    }
    return matched;
}

// Records that differ from the given ones in one key only, or carry keys no tuple has: the misses
// a fast path must not take for hits.
void addNearMisses(std::mt19937& rng, TStatDrawArray& sel, size_t count) {
    const size_t n = sel.size();
    for (size_t i = 0; i < count && n > 0; ++i) {
        TStatDraw v = sel[rng() % n];
        const size_t key = rng() % 4;
        switch (rng() % 3) {
            case 0: v.keys[key] = static_cast<uint16_t>(v.keys[key] + 1); break;
            case 1: v.keys[key] = static_cast<uint16_t>(v.keys[key] + 256); break;
            default: v.keys[key] = static_cast<uint16_t>(rng() % 70); break;
        }
        sel.push_back(v);
    }
}

// `count` random rows of a statistics table (repeats possible, as a selection may hold them).
TStatDrawArray someRows(std::mt19937& rng, const TStatDrawArray& table, size_t count) {
    TStatDrawArray sel;
    for (size_t i = 0; i < count && !table.empty(); ++i) sel.push_back(table[rng() % table.size()]);
    return sel;
}

// An archive whose draws are the given combinations, so that the statistics tables hold values
// that the combinations carry.
TDrawsArray drawsOf(const TCombsArray& combs, size_t count) {
    TDrawsArray draws;
    for (size_t i = 0; i < count && i < combs.size(); ++i)
        draws.push_back(test::makeDraw(static_cast<int>(i + 1),
                                       {combs[i].n[0], combs[i].n[1], combs[i].n[2], combs[i].n[3], combs[i].n[4]}));
    return draws;
}

// For every method code: selections of rows of its table over the draws (with near misses), small
// and large, the chunk test against the plain test; some but not all combinations must match.
void expectChunkTestsOf(const std::vector<std::string>& codes, test::Registry& r, const TCombsArray& combs,
                        unsigned seed) {
    std::mt19937 rng(seed);
    const int last = static_cast<int>(r.list.draws().size()) - 1;
    for (const std::string& code : codes) {
        auto method = r.create(code);
        ASSERT_TRUE(method) << code;
        const TStatDrawArray table = statisticsRun(*method, last, last + 1, false);
        ASSERT_FALSE(table.empty()) << code;
        size_t matched = 0, tested = 0;
        for (size_t rows : {size_t{1}, size_t{6}, size_t{30}}) {
            TStatDrawArray sel = someRows(rng, table, rows);
            addNearMisses(rng, sel, rows);
            matched += expectChunkEqualsPlainTest(*method, combs, sel, last, rows == 6, code);
            tested += combs.size();
        }
        EXPECT_GT(matched, 0u) << code;
        EXPECT_LT(matched, tested) << code;
    }
}

// Random combinations and a few with bytes beyond the game's numbers (which the fast paths must
// answer like the plain tests); the draws of the registry are the first 300 of them. Then runs
// of combinations sharing the first four numbers of a draw (as a generated list holds them, and
// as the tuple kernels reuse per run), one with a byte beyond the numbers in its last place.
struct ChunkTestData {
    explicit ChunkTestData(unsigned seed, size_t count = 3000) {
        std::mt19937 rng(seed);
        combs = randomCombs(rng, count);
        draws = drawsOf(combs, 300);
        for (int i = 0; i < 40; ++i)
            combs.push_back(test::makeComb({combs[static_cast<size_t>(i)].n[0], 130, 200, 255, 69}));
        // In increasing order but with a zero, repeated numbers or bytes past the game's numbers,
        // and sums or distances beyond one byte.
        for (const auto& n : std::vector<std::array<int, 5>>{{0, 3, 3, 6, 9},
                                                              {0, 0, 5, 5, 10},
                                                              {2, 2, 4, 4, 8},
                                                              {1, 2, 3, 200, 203},
                                                              {100, 155, 200, 255, 255},
                                                              {0, 255, 0, 255, 0},
                                                              {255, 1, 254, 2, 253},
                                                              {1, 128, 129, 255, 0}})
            combs.push_back(test::makeComb(n));
        for (size_t run = 0; run < 6; ++run) {
            const std::array<uint8_t, 5> n = combs[100 + run * 31].n;  // a copy: the list grows below
            for (int last = 1; last <= 69; ++last) {
                if (std::find(n.begin(), n.begin() + 4, last) != n.begin() + 4) continue;
                combs.push_back(test::makeComb({n[0], n[1], n[2], n[3], last}));
                if (run == 2 && last == 35) combs.push_back(test::makeComb({n[0], n[1], n[2], n[3], 130}));
            }
        }
    }
    TCombsArray combs;
    TDrawsArray draws;
};

// The number tuples (pairs, triples, quadruples over any, adjacent or given positions).
TEST(FastPaths, NumberTupleChunkTestEqualsThePlainTest) {
    ChunkTestData d(21);
    test::Registry r(d.draws);
    const TCombsArray& combs = d.combs;
    expectChunkTestsOf({"KNM2", "KNM3", "KNM4", "KNS2", "KNS3", "KNS4", "KNP21", "KNP24", "KNP32", "KNP33", "KNP41",
                        "KNP42"},
                       r, combs, 4);
}

// The Tesk numbers (both graph modes and the dynamic member).
TEST(FastPaths, TeskChunkTestEqualsThePlainTest) {
    ChunkTestData d(22);
    test::Registry r(d.draws);
    expectChunkTestsOf({"HCO1", "HCO2", "HCO3"}, r, d.combs, 5);
}

// Channel widths and matrix widths the layout methods are tried with (the defaults, narrow ones
// and the widest).
const std::array<std::pair<int, int>, 3> kLayoutWidths{{{10, 7}, {3, 2}, {1, 69}}};

// Sets the channel and matrix widths and a segment map of all nine segments.
void setWidths(test::Registry& r, int channel, int columns) {
    auto& config = r.settings.config;
    config.channelSize = channel;
    config.matrixCols = columns;
    for (size_t i = 0; i < config.segments.size(); ++i)
        config.segments[i] = static_cast<uint8_t>(1 + (i * 7 + static_cast<size_t>(channel)) % 9);
}

// Selections with more distinct tuple beginnings than the tuple trie takes (the tuples of
// thousands of draws) are answered by the pair marks and the key set instead, as exactly.
TEST(FastPaths, LargeTupleSelectionsEqualThePlainTest) {
    ChunkTestData d(29);
    const TDrawsArray draws = drawsOf(d.combs, 3000);
    test::Registry r(draws);
    const int last = static_cast<int>(r.list.draws().size()) - 1;
    struct Case {
        const char* code;
        int k;
        bool trie;  // the selection fits the trie
    };
    for (const Case& c : {Case{"KNM4", 4, false}, Case{"KNS4", 4, true}, Case{"KNS3", 3, true}, Case{"KDS4", 4, true},
                          Case{"KCM4", 4, true}}) {
        auto method = r.create(c.code);
        ASSERT_TRUE(method) << c.code;
        // Two rows in three of the table, so that some combinations match none.
        const TStatDrawArray table = statisticsRun(*method, last, last + 1, false);
        TStatDrawArray sel;
        for (size_t i = 0; i < table.size(); ++i)
            if (i % 3 != 0) sel.push_back(table[i]);
        TTupleTrie trie;
        EXPECT_EQ(trie.build(sel, c.k), c.trie) << c.code << " " << sel.size();
        const size_t matched = expectChunkEqualsPlainTest(*method, d.combs, sel, last, false, c.code);
        EXPECT_GT(matched, 0u) << c.code;
        EXPECT_LT(matched, d.combs.size()) << c.code;
    }
    // Every ordered pair of numbers begins a selected triple: too many pairs for the trie.
    {
        auto triples = r.create("KNM3");
        ASSERT_TRUE(triples);
        TStatDrawArray sel;
        for (uint16_t a = 1; a <= 69; ++a)
            for (uint16_t b = 1; b <= 69; ++b)
                if (a != b) {
                    TStatDraw v;
                    v.setKeys(a, b, static_cast<uint16_t>((a * b) % 69 + 1));
                    sel.push_back(v);
                }
        TTupleTrie trie;
        EXPECT_FALSE(trie.build(sel, 3));
        const size_t matched = expectChunkEqualsPlainTest(*triples, d.combs, sel, last, false, "KNM3");
        EXPECT_GT(matched, 0u);
        EXPECT_LT(matched, d.combs.size());
    }
    // Selections none of whose records a tuple of game values can carry: the trie holds no
    // tuple, and nothing matches but what the plain test says.
    for (const char* code : {"KNM2", "KNM3", "KNM4", "KDS3", "KCS4"}) {
        auto method = r.create(code);
        ASSERT_TRUE(method) << code;
        TStatDrawArray sel(2);
        sel[0].setKeys(300, 2, 3, 4);
        sel[1].setKeys(1, 2, 3, 4);
        sel[1].keys[3] = 500;
        EXPECT_EQ(expectChunkEqualsPlainTest(*method, d.combs, sel, last, false, code), 0u) << code;
    }
    // Rows of a matrix two wide: too many tuples of rows for the trie.
    setWidths(r, 3, 2);
    auto rows = r.create("KRM4");
    ASSERT_TRUE(rows);
    const TStatDrawArray table = statisticsRun(*rows, last, last + 1, false);
    TTupleTrie trie;
    EXPECT_FALSE(trie.build(table, 4)) << table.size();
    const size_t matched = expectChunkEqualsPlainTest(*rows, d.combs, table, last, false, "KRM4");
    EXPECT_GT(matched, 0u);
}

// The counts per class (channel, column, row, segment), under several widths.
TEST(FastPaths, ClassCountsChunkTestEqualsThePlainTest) {
    ChunkTestData d(23);
    for (const auto& [channel, columns] : kLayoutWidths) {
        test::Registry r(d.draws);
        setWidths(r, channel, columns);
        expectChunkTestsOf({"CHNV", "COLV", "ROWV", "SGMV"}, r, d.combs, static_cast<unsigned>(channel));
    }
}

// The number of distinct classes and the count in one class, under several widths.
TEST(FastPaths, ClassNumberChunkTestEqualsThePlainTest) {
    ChunkTestData d(25);
    for (const auto& [channel, columns] : kLayoutWidths) {
        test::Registry r(d.draws);
        setWidths(r, channel, columns);
        expectChunkTestsOf({"CHNC", "COLN", "ROWN", "SGMC", "CHN1"}, r, d.combs,
                           static_cast<unsigned>(channel + columns));
    }
}

// The tuples of classes over any or adjacent positions, under several widths.
TEST(FastPaths, ClassTupleChunkTestEqualsThePlainTest) {
    ChunkTestData d(24, 1200);
    for (const auto& [channel, columns] : kLayoutWidths) {
        test::Registry r(d.draws);
        setWidths(r, channel, columns);
        expectChunkTestsOf({"KCM2", "KCM3", "KCM4", "KCS2", "KCS3", "KCS4", "KFM2", "KFM3", "KFM4", "KFS3", "KRM3", "KRM4",
                            "KRS2", "KGM2", "KGM3", "KGS4"},
                           r, d.combs, static_cast<unsigned>(columns));
    }
}

// The one-value kernels of the sums, gaps and shredding formulas, and the matrix adjacency,
// under several widths (the widest matrix has lines beyond the tables' 64).
TEST(FastPaths, ValueKernelChunkTestEqualsThePlainTest) {
    ChunkTestData d(26, 2000);
    for (const auto& [channel, columns] : kLayoutWidths) {
        test::Registry r(d.draws);
        setWidths(r, channel, columns);
        // formulas with p and t, and one that splits into no table (the plain evaluation)
        r.settings.formulas = {"(n1+n2+p1)/(n4+n5+t5)", "(2*n2-n3)/(n1+n4+n5)", "n1/n2/n3/n4/n5"};
        r.list.rebuild();
        std::vector<std::string> codes{"SUME", "SUMP", "SUMV", "S2T3", "PRDV", "PRDC", "PRDG", "DIFM", "DIFD",
                                       "DIFK", "DIFO", "ROWA", "ROWC", "SHR1", "SHR2", "SHR3", "SEQL", "SEQS",
                                       "LENS", "KDS2", "KDS3", "KDS4", "DIGS", "EVEN", "SMAL", "PRIM", "EVNV",
                                       "SMLV", "PRMV"};
        if (columns < 69) codes.insert(codes.end(), {"COLA", "COLC"});  // one row: no column holds two numbers
        expectChunkTestsOf(codes, r, d.combs, static_cast<unsigned>(channel * columns));
    }
}

// Whole runs of ordered combinations, as a generated list hands them over, so that the block
// kernels take their shortcut for ordered numbers in every full block: the chunk test and the
// norm counts against the plain ones.
TEST(FastPaths, BlockKernelsOnOrderedRunsEqualThePlainPaths) {
    ChunkTestData d(29, 400);
    test::Registry r(d.draws);
    const TCombsArray combs = test::allCombs(22);
    const std::vector<std::string> codes{"S2T3", "DIFK", "DIFO", "DIFM", "DIFD", "HCO1", "HCO2"};
    expectChunkTestsOf(codes, r, combs, 6);
    for (const std::string& code : codes) {
        auto plain = r.create(code);
        auto fast = r.create(code);
        TStatDrawArray list;
        bool shortcut = false;
        expectNormCountsAgree(*plain, *fast, combs, 7, code, list, shortcut);
        EXPECT_TRUE(shortcut) << code;
        EXPECT_GT(list.size(), 2u) << code;
    }
}

// The chain members: the later item of any number, the count in one channel or segment, and
// the numbers allowed within channels, each answered from per-number tables.
TEST(FastPaths, ChainChunkTestEqualsThePlainTest) {
    ChunkTestData d(28, 1500);
    for (const auto& [channel, columns] : kLayoutWidths) {
        test::Registry r(d.draws);
        setWidths(r, channel, columns);
        expectChunkTestsOf({"SDV2", "SDP2", "SDN3", "SCV2", "SCP2", "SCN5", "SC2C3", "SC3C4", "SDA2",
                            "SDG2", "SDZ2", "SDC2", "SSV2", "SSN2", "SSM4", "SS2C1", "SS3C1"},
                           r, d.combs, static_cast<unsigned>(channel + 2 * columns));
    }
}

// Norm runs of the value kernels: each has the batch-counting shortcut and counts exactly the
// values of combinations, including bytes beyond the game's numbers.
TEST(FastPaths, ValueKernelNormCountsEqualTheValueList) {
    ChunkTestData d(27, 2500);
    for (const auto& [channel, columns] : kLayoutWidths) {
        test::Registry r(d.draws);
        setWidths(r, channel, columns);
        r.settings.formulaDigits = {2, 5, 3};
        r.list.rebuild();
        for (const std::string code : {"SUME", "SUMP", "S2T3", "DIFM", "DIFD", "DIFK", "DIFO", "COLA", "ROWA", "COLC",
                                       "ROWC", "SHR1", "SHR2", "SHR3", "SEQL", "SEQS", "LENS", "HCO1", "HCO2", "DIGS", "EVEN",
                                       "SMAL", "PRIM", "EVNV", "SMLV", "PRMV", "POS1", "POS5", "SUM1", "SUM3", "DIFA", "COLM",
                                       "ROWM"}) {
            auto plain = r.create(code);
            auto fast = r.create(code);
            ASSERT_TRUE(plain && fast) << code;
            TStatDrawArray list;
            bool shortcut = false;
            expectNormCountsAgree(*plain, *fast, d.combs, 7, code + " width " + std::to_string(columns), list, shortcut);
            EXPECT_TRUE(shortcut) << code;
            // the combinations differ in value (not in the columns, nor the one row, of a matrix 69 wide)
            if (columns < 69 || (code.rfind("COL", 0) != 0 && code != "ROWM")) {
                EXPECT_GT(list.size(), 1u) << code;
            }
        }
    }
}

// Norm runs of the methods with direct counting: the counts equal the value list of the plain
// values of combinations, over a run of neighbouring combinations as a norm run walks them (the
// scratch list emptied at eight entries, as the norm run does) and random ones.
TEST(FastPaths, DirectNormCountsEqualTheValueList) {
    TCombsArray combs;
    for (int c = 3; c <= 20; ++c)
        for (int dd = c + 1; dd <= 68; ++dd)
            for (int e = dd + 1; e <= 69; e += 7) combs.push_back(test::makeComb({1, 2, c, dd, e}));
    std::mt19937 rng(25);
    const TCombsArray more = randomCombs(rng, 1500);
    combs.insert(combs.end(), more.begin(), more.end());
    const TDrawsArray draws = test::loadSampleDraws();
    for (const auto& [channel, columns] : kLayoutWidths) {
        test::Registry r(draws);
        setWidths(r, channel, columns);
        for (const std::string code : {"DIFA", "CHNV", "COLV", "ROWV", "SGMV", "CHAN", "COLS", "ROWS", "SGMS", "CHNC",
                                       "COLN", "ROWN", "SGMC", "CHN1", "COL2", "ROW3", "SGM1"}) {
            auto plain = r.create(code);
            auto fast = r.create(code);
            ASSERT_TRUE(plain && fast) << code;
            TStatDrawArray list;
            bool shortcut = false;
            expectNormCountsAgree(*plain, *fast, combs, 7, code + " width " + std::to_string(channel), list, shortcut);
            int64_t total = 0;
            for (const TStatDraw& v : list) total += v.count;
            EXPECT_GE(total, static_cast<int64_t>(combs.size())) << code;
            // Every method here but DIFA has the batch-counting shortcut of the norm run.
            if (!shortcut) {
                EXPECT_EQ(code, "DIFA");
            }
            if (code == "CHNV" || code == "COLV") {
                // The counts per class worked out here from the widths.
                const bool channels = code == "CHNV";
                const int classes = channels ? (69 + channel - 1) / channel : columns;
                std::map<std::array<uint16_t, 4>, int32_t> want;
                for (const TComb& c : combs) {
                    std::vector<int> in(static_cast<size_t>(classes) + 1, 0);
                    for (uint8_t n : c.n) ++in[static_cast<size_t>(channels ? (n + channel - 1) / channel : (n - 1) % columns + 1)];
                    for (int k = 1; k <= classes; ++k)
                        ++want[{static_cast<uint16_t>(k), static_cast<uint16_t>(in[static_cast<size_t>(k)]), 0, 0}];
                }
                ASSERT_EQ(list.size(), want.size()) << code;
                size_t i = 0;
                for (const auto& [keys, count] : want) {
                    EXPECT_EQ(list[i].keys, keys) << code;
                    EXPECT_EQ(list[i].count, count) << code;
                    ++i;
                }
            }
        }
    }
}

// The counts per class and the matrix adjacency on combinations that repeat a number next to its
// matrix neighbours or carry bytes 0 and beyond 69, under widths whose matrix has many lines
// (also more than the tables' 64): the chunk tests and the norm counts equal the plain paths.
TEST(FastPaths, LayoutKernelsEqualThePlainPathsOnOddCombinations) {
    ChunkTestData d(29, 1500);
    std::mt19937 rng(30);
    for (int i = 0; i < 600; ++i) {
        const int a = 1 + static_cast<int>(rng() % 69), step = 1 + static_cast<int>(rng() % 12);
        const int odd = i % 3 == 0 ? 0 : 70 + static_cast<int>(rng() % 186);
        // a chain of touching numbers with one of them twice, then with an odd byte inside or last
        d.combs.push_back(test::makeComb({a, a + step, a + step, a + 2 * step, a + 3 * step}));
        d.combs.push_back(test::makeComb({a, odd, a + step, a + step, a + 2 * step}));
        d.combs.push_back(test::makeComb({a, a + step, a + 2 * step, a + 3 * step, odd}));
    }
    for (const auto& [channel, columns] : std::array<std::pair<int, int>, 4>{{{10, 7}, {3, 2}, {5, 12}, {1, 69}}}) {
        test::Registry r(d.draws);
        setWidths(r, channel, columns);
        std::vector<std::string> codes{"CHNV", "COLV", "ROWV", "SGMV", "ROWA"};
        // One row: no column holds two numbers, and nearly every combination has one touching row.
        if (columns < 69) codes.insert(codes.end(), {"ROWC", "COLA", "COLC"});
        expectChunkTestsOf(codes, r, d.combs, static_cast<unsigned>(channel + columns));
        if (columns == 69) codes.push_back("ROWC");
        for (const std::string& code : codes) {
            auto plain = r.create(code);
            auto fast = r.create(code);
            TStatDrawArray list;
            bool shortcut = false;
            expectNormCountsAgree(*plain, *fast, d.combs, 7, code + " width " + std::to_string(columns), list, shortcut);
            EXPECT_TRUE(shortcut) << code;
        }
    }
}

}  // namespace
}  // namespace tavlora
