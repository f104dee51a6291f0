#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "stats/stat_classes.h"
#include "layout_test_util.h"

namespace tavlora {
namespace {

using test::asGraph;
using test::findKey;
using test::makeArchive;
using test::makeComb;
using test::valueWithKeys;

// With the default width 7: 3 10 17 40 41 stands in columns 3 3 3 5 6 and rows 1 2 3 6 6;
// 1 3 8 10 15 in columns 1 3 1 3 1 and rows 1 1 2 2 3; 3 10 24 31 50 in columns 3 3 3 3 1.
TDrawsArray matrixDraws() { return makeArchive({{3, 10, 17, 40, 41}, {1, 3, 8, 10, 15}, {3, 10, 24, 31, 50}}); }

TEST(MatrixStats, ColumnsAndRowsOfTheNumbers) {
    const TDrawsArray draws = matrixDraws();
    test::Registry r(draws);
    auto cols = r.create("COLS");
    auto rows = r.create("ROWS");
    ASSERT_TRUE(cols && rows);

    // 15 stands in column 1, row 3.
    TStatDrawArray c, w;
    cols->valuesOfComb(makeComb({15, 1, 2, 9, 10}), c);
    rows->valuesOfComb(makeComb({15, 1, 2, 9, 10}), w);
    EXPECT_EQ(c.front().keys[0], 1);
    EXPECT_EQ(w.front().keys[0], 3);

    TStatDrawArray colList = statisticsRun(*cols, 1, 1, false);
    ASSERT_EQ(colList.size(), 7u);  // columns 1..7 pre-listed
    test::expectCounts(colList, {{{1}, 3}, {{3}, 2}, {{7}, 0}});
    TStatDrawArray rowList = statisticsRun(*rows, 2, 3, false);
    ASSERT_EQ(rowList.size(), 10u);  // rows 1..10
    test::expectCounts(rowList, {{{1}, 4}, {{6}, 2}, {{10}, 0}});
    EXPECT_EQ(rows->valueToText(valueWithKeys(6)), "6");

    TStatDrawArray sel{valueWithKeys(7)};
    test::expectMatches(*cols, sel, 2, {{{1, 2, 3, 4, 14}, true}, {{1, 2, 3, 4, 13}, false}});
}

TEST(MatrixStats, CountsPerLineAndDistinctLines) {
    const TDrawsArray draws = matrixDraws();
    test::Registry r(draws);
    auto colv = r.create("COLV");
    auto rowv = r.create("ROWV");
    TStatDrawArray cv = statisticsRun(*colv, 0, 1, false);
    ASSERT_EQ(cv.size(), 42u);  // 7 columns x counts 0..5
    for (auto [col, count] : {std::pair{1, 0}, {2, 0}, {3, 3}, {4, 0}, {5, 1}, {6, 1}, {7, 0}})
        EXPECT_EQ(findKey(cv, col, count)->count, 1) << col;
    EXPECT_EQ(colv->valueToText(valueWithKeys(3, 3)), "3 x 3");
    EXPECT_EQ(colv->typedValue("3"), 0);
    TStatDrawArray rv = statisticsRun(*rowv, 0, 1, false);
    ASSERT_EQ(rv.size(), 60u);  // 10 rows x counts 0..min(7, 5)
    EXPECT_EQ(findKey(rv, 6, 2)->count, 1);
    EXPECT_EQ(findKey(rv, 4, 0)->count, 1);

    auto coln = r.create("COLN");
    auto rown = r.create("ROWN");
    EXPECT_EQ(asGraph(coln).numberOfDraw(0, 2, false), 3);
    EXPECT_EQ(asGraph(rown).numberOfDraw(0, 2, false), 4);
    EXPECT_EQ(asGraph(coln).numberOfDraw(1, 2, false), 2);
    EXPECT_EQ(asGraph(rown).numberOfDraw(1, 2, false), 3);
    EXPECT_EQ(statisticsRun(*coln, 2, 3, false).size(), 5u);

    TStatDrawArray sel{valueWithKeys(1, 3)};
    test::expectMatches(*colv, sel, 2, {{{1, 3, 8, 10, 15}, true}, {{1, 3, 8, 10, 16}, false}});
}

TEST(MatrixStats, MasksOfOccupiedLines) {
    const TDrawsArray draws = matrixDraws();
    test::Registry r(draws);
    auto colm = r.create("COLM");
    auto rowm = r.create("ROWM");
    TStatDrawArray m = statisticsRun(*colm, 1, 2, false);
    ASSERT_EQ(m.size(), 2u);  // nothing pre-listed
    const TStatDraw* v80 = findKey(m, 80);
    ASSERT_NE(v80, nullptr);
    EXPECT_EQ(v80->keys12(), 80);
    EXPECT_EQ(colm->valueToText(*v80), "1010000 (080)");
    EXPECT_EQ(colm->valueToText(*findKey(m, 22)), "0010110 (022)");
    EXPECT_EQ(colm->textToValue("1010000 (080)"), 80);
    EXPECT_EQ(colm->textToValue("0010110"), 22);
    EXPECT_EQ(colm->textToValue("я1"), 32);  // characters are counted, not bytes: column 2
    EXPECT_EQ(colm->typedValue("1"), 64);

    // Ten rows: rows 1 2 3 6 give 1110010000 (912), read back over ten characters.
    TStatDrawArray rm = statisticsRun(*rowm, 0, 1, false);
    ASSERT_EQ(rm.size(), 1u);
    EXPECT_EQ(rm[0].keys12(), 912);
    EXPECT_EQ(rowm->valueToText(rm[0]), "1110010000 (912)");
    EXPECT_EQ(rowm->textToValue("1110010000 (912)"), 912);
    EXPECT_EQ(rowm->textToValue("111001"), 912);

    TStatDrawArray sel{valueWithKeys(80)};
    test::expectMatches(*colm, sel, 2, {{{22, 1, 3, 8, 10}, true}, {{22, 1, 3, 8, 11}, false}});
}

TEST(MatrixStats, AdjacentNumbers) {
    const TDrawsArray draws = matrixDraws();
    test::Registry r(draws);
    auto cola = r.create("COLA");
    auto rowa = r.create("ROWA");
    auto colc = r.create("COLC");
    auto rowc = r.create("ROWC");
    ASSERT_TRUE(cola && rowa && colc && rowc);

    // 3-10 and 10-17 touch, 3-17 does not: one column with three numbers.
    TStatDrawArray a = statisticsRun(*cola, 0, 1, false);
    ASSERT_EQ(a.size(), 1u);
    EXPECT_EQ(a[0].keys[0], 3);
    EXPECT_EQ(a[0].keys[1], 3);
    EXPECT_EQ(cola->valueToText(a[0]), "3 x 3");
    TStatDrawArray h = statisticsRun(*rowa, 0, 1, false);
    ASSERT_EQ(h.size(), 1u);
    EXPECT_NE(findKey(h, 6, 2), nullptr);
    // Two separate pairs 3-10 and 24-31 in column 3 give the same value as a run of three.
    TStatDrawArray split = statisticsRun(*cola, 2, 1, false);
    ASSERT_EQ(split.size(), 1u);
    EXPECT_NE(findKey(split, 3, 3), nullptr);
    EXPECT_EQ(asGraph(colc).numberOfDraw(2, 2, false), 1);
    // 1 3 8 10 15: 1-8, 8-15 in column 1 and 3-10 in column 3, in the order first met.
    TStatDrawArray two = statisticsRun(*cola, 1, 1, false);
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[0].keys[0], 1);
    EXPECT_EQ(two[0].keys[1], 3);
    EXPECT_EQ(two[1].keys[0], 3);
    EXPECT_EQ(two[1].keys[1], 2);
    EXPECT_EQ(asGraph(colc).numberOfDraw(1, 2, false), 2);
    EXPECT_EQ(asGraph(rowc).numberOfDraw(1, 2, false), 0);

    // 3 and 10 are vertical neighbours; 7 and 8 are not horizontal ones (ends of two rows).
    TStatDrawArray v;
    cola->valuesOfComb(makeComb({3, 10, 20, 30, 60}), v);
    ASSERT_EQ(v.size(), 1u);
    EXPECT_NE(findKey(v, 3, 2), nullptr);
    TStatDrawArray none;
    rowa->valuesOfComb(makeComb({7, 8, 20, 30, 60}), none);
    cola->valuesOfComb(makeComb({7, 8, 20, 30, 60}), none);
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(asGraph(rowc).numberOfComb(makeComb({7, 8, 20, 30, 60}), 0, 2, false), 0);
    EXPECT_EQ(asGraph(rowc).numberOfComb(makeComb({8, 9, 20, 21, 60}), 0, 2, false), 2);

    TStatDrawArray sel{valueWithKeys(3, 2)};
    test::expectMatches(*cola, sel, 2, {{{60, 3, 20, 10, 30}, true}, {{3, 10, 17, 30, 60}, false}});
}

TEST(MatrixStats, OneMethodPerColumnAndRow) {
    const TDrawsArray draws = matrixDraws();
    test::Registry r(draws);
    EXPECT_TRUE(test::hasCode(r.list, "COL7"));
    EXPECT_FALSE(test::hasCode(r.list, "COL8"));
    EXPECT_TRUE(test::hasCode(r.list, "ROW10"));
    EXPECT_FALSE(test::hasCode(r.list, "ROW11"));
    EXPECT_EQ(r.list.item(r.list.methodWithCode("ROW4")).defaultCaption(), "Количество чисел в 4 строке матрицы");
    auto col3 = r.create("COL3");
    auto row6 = r.create("ROW6");
    EXPECT_EQ(asGraph(col3).numberOfDraw(0, 2, false), 3);
    EXPECT_EQ(asGraph(row6).numberOfDraw(0, 2, false), 2);
    EXPECT_EQ(statisticsRun(*col3, 2, 3, false).size(), 10u);  // counts 3, 2, 4: all pre-listed (1..10)
    EXPECT_EQ(statisticsRun(*r.create("COL7"), 2, 3, false).size(), 11u);  // no number in column 7: 0 added
    EXPECT_EQ(statisticsRun(*row6, 2, 3, false).size(), 8u);   // 1..7 pre-listed, then 0

    // A scenario text naming ROW10 resolves to ROW10, not to ROW1 whose code is a prefix of it.
    EXPECT_EQ(r.list.methodByCode("ROW10:5"), r.list.methodWithCode("ROW10"));
    EXPECT_EQ(r.list.methodByCode("row1:5"), r.list.methodWithCode("ROW1"));

    // Width 10 after a rebuild: ten columns, seven rows.
    r.settings.config.matrixCols = 10;
    r.list.rebuild();
    EXPECT_TRUE(test::hasCode(r.list, "COL10"));
    EXPECT_TRUE(test::hasCode(r.list, "ROW7"));
    EXPECT_FALSE(test::hasCode(r.list, "ROW8"));
    EXPECT_EQ(r.create("COLM")->valueToText(valueWithKeys(1)), "0000000001 (001)");
    EXPECT_EQ(r.list.methodByCode("COL10:1"), r.list.methodWithCode("COL10"));
}

TEST(MatrixStats, LineTuples) {
    const TDrawsArray draws = matrixDraws();
    test::Registry r(draws);
    auto kfm2 = r.create("KFM2");
    auto krs2 = r.create("KRS2");
    auto krm4 = r.create("KRM4");
    ASSERT_TRUE(kfm2 && krs2 && krm4 && r.create("KFS4") && r.create("KRM3"));
    // Columns 3 3 3 5 6: pairs (3,3) x3, (3,5) x3, (3,6) x3, (5,6) x1.
    TStatDrawArray p = statisticsRun(*kfm2, 0, 1, false);
    ASSERT_EQ(p.size(), 4u);
    EXPECT_EQ(findKey(p, 3, 3)->count, 3);
    EXPECT_EQ(findKey(p, 5, 6)->count, 1);
    // Rows 1 2 3 6 6: adjacent pairs (1,2) (2,3) (3,6) (6,6).
    TStatDrawArray s = statisticsRun(*krs2, 0, 1, false);
    ASSERT_EQ(s.size(), 4u);
    EXPECT_NE(findKey(s, 6, 6), nullptr);
    EXPECT_EQ(krs2->valueToText(*findKey(s, 3, 6)), "3:6");
    TStatDrawArray q = statisticsRun(*krm4, 0, 1, false);
    EXPECT_EQ(findKey(q, 1, 2, 6, 6)->count, 1);
    EXPECT_EQ(findKey(q, 1, 2, 3, 6)->count, 2);
}

TEST(MatrixStats, ExtremeWidths) {
    const TDrawsArray draws = makeArchive({{1, 2, 3, 4, 5}, {65, 66, 67, 68, 69}, {1, 2, 3, 4, 6}});
    test::Registry r(draws);

    // Width 69: one row; 69 columns, a pattern wider than the keys kept exact.
    r.settings.config.matrixCols = 69;
    r.list.rebuild();
    EXPECT_TRUE(test::hasCode(r.list, "ROW1"));
    EXPECT_FALSE(test::hasCode(r.list, "ROW2"));
    EXPECT_TRUE(test::hasCode(r.list, "COL69"));
    EXPECT_EQ(asGraph(r.create("ROWN")).numberOfDraw(0, 2, false), 1);
    EXPECT_EQ(asGraph(r.create("COLN")).numberOfDraw(0, 2, false), 5);
    EXPECT_EQ(statisticsRun(*r.create("ROWS"), 2, 3, false).size(), 1u);
    auto colm = r.create("COLM");
    TStatDrawArray wide = statisticsRun(*colm, 2, 3, false);
    ASSERT_EQ(wide.size(), 3u);  // three different patterns, three values
    EXPECT_EQ(colm->valueToText(wide[0]), "11111" + std::string(64, '0') + " (571849066284996100096)");
    EXPECT_EQ(colm->valueToText(wide[1]), std::string(64, '0') + "11111 (031)");
    TStatDrawArray sel{wide[2]};
    test::expectMatches(*colm, sel, 2, {{{6, 4, 3, 2, 1}, true}, {{1, 2, 3, 4, 5}, false}});

    // Width 1: one column of 69 rows; consecutive numbers are vertical neighbours.
    r.settings.config.matrixCols = 1;
    r.list.rebuild();
    EXPECT_TRUE(test::hasCode(r.list, "COL1"));
    EXPECT_FALSE(test::hasCode(r.list, "COL2"));
    EXPECT_TRUE(test::hasCode(r.list, "ROW69"));
    TStatDrawArray a = statisticsRun(*r.create("COLA"), 0, 1, false);
    ASSERT_EQ(a.size(), 1u);
    EXPECT_NE(findKey(a, 1, 5), nullptr);
    EXPECT_EQ(statisticsRun(*r.create("ROWA"), 2, 3, false).size(), 0u);
    EXPECT_EQ(r.create("COLM")->valueToText(valueWithKeys(1)), "1 (001)");
    auto rowm = r.create("ROWM");
    TStatDrawArray rows = statisticsRun(*rowm, 2, 3, false);
    EXPECT_EQ(rows.size(), 3u);
    EXPECT_EQ(rowm->valueToText(rows[1]), std::string(64, '0') + "11111 (031)");

    // Widths outside 1..69 are taken as 1 and 69.
    r.settings.config.matrixCols = 0;
    r.list.rebuild();
    EXPECT_FALSE(test::hasCode(r.list, "COL2"));
    EXPECT_TRUE(test::hasCode(r.list, "ROW69"));
    EXPECT_EQ(asGraph(r.create("ROWN")).numberOfDraw(0, 2, false), 5);
    r.settings.config.matrixCols = 500;
    r.list.rebuild();
    EXPECT_TRUE(test::hasCode(r.list, "COL69"));
    EXPECT_FALSE(test::hasCode(r.list, "COL70"));
    EXPECT_EQ(asGraph(r.create("COLN")).numberOfDraw(1, 2, false), 5);
}

TEST(MatrixStats, NormsOverACombinationSet) {
    // All 2002 combinations of 1..14: two full rows of seven; column c holds c and c + 7.
    const TDrawsArray draws = matrixDraws();
    test::Registry r(draws);
    const TCombsArray combs = test::allCombs(14);
    auto count = [&](const char* code) {
        auto m = r.create(code);
        TStatDrawArray list;
        combValuesChunk(*m, combs, 0, combs.size(), list);
        return list;
    };
    const TStatDrawArray rown = count("ROWN");
    EXPECT_EQ(findKey(rown, 1)->count, 42);  // C(7, 5) in each row
    EXPECT_EQ(findKey(rown, 2)->count, 1960);
    // j distinct columns: C(7, j) * C(j, 5 - j) * 2^(2j - 5).
    const TStatDrawArray coln = count("COLN");
    test::expectCounts(coln, {{{3}, 210}, {{4}, 1120}, {{5}, 672}});
    // A full column is a vertical pair: 5 - j of them.
    const TStatDrawArray colc = count("COLC");
    test::expectCounts(colc, {{{2}, 210}, {{1}, 1120}, {{0}, 672}});
    const TStatDrawArray col1 = count("COL1");
    EXPECT_EQ(findKey(col1, 2)->count, 220);  // C(12, 3)
    EXPECT_EQ(findKey(col1, 0)->count, 792);  // C(12, 5)
}

TEST(MatrixStats, MatchTestsAgreeWithTheValuesAndPartitionAList) {
    const TDrawsArray draws = test::spreadArchive(400);
    test::Registry r(draws);
    for (const char* code : {"COLS", "ROWS", "COLV", "ROWV", "COLN", "ROWN", "COLM", "ROWM", "COLA", "ROWA", "COLC",
                             "ROWC", "COL2", "ROW9", "KFM2", "KFM3", "KFM4", "KFS2", "KFS3", "KFS4", "KRM2", "KRM3",
                             "KRM4", "KRS2", "KRS3", "KRS4"}) {
        TStatDrawArray sel = test::valuesOfFirstDraws(r, code, 20);
        test::expectMatchAgreesWithValues(r, code, sel);
        sel.resize(std::min<size_t>(sel.size(), 2));
        const int hits = test::expectMatchAgreesWithValues(r, code, sel);
        EXPECT_GT(hits, 0) << code;
        EXPECT_LT(hits, 400) << code;
    }
    TCombsArray combs;
    for (const TDraw& d : draws) combs.push_back(makeComb({d.nums[0], d.nums[1], d.nums[2], d.nums[3], d.nums[4]}));
    for (const char* code : {"COLM", "ROWA", "KRM2"}) {
        auto m = r.create(code);
        const TStatDrawArray sel = test::valuesOfFirstDraws(r, code, 3);
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
