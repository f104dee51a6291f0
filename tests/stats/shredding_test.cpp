#include <gtest/gtest.h>

#include "core/settings.h"
#include "stats/shredding_stats.h"
#include "stats/stat_classes.h"
#include "stats/stat_run.h"
#include "stats_test_util.h"

namespace tavlora {
namespace {

using test::findKey;
using test::makeArchive;
using test::makeComb;
using test::valueWithInt12;
using test::valueWithKeys;

// Four draws; the expected values below are worked out by hand from these numbers.
TDrawsArray handArchive() {
    return makeArchive({{5, 10, 20, 30, 40},  //
                        {1, 2, 4, 68, 69},
                        {10, 19, 5, 20, 25},
                        {3, 6, 9, 12, 15}});
}

struct Shredders {
    explicit Shredders(const TDrawsArray& draws) : r(draws) {
        r.settings.formulas = {"(n1+p1+t1)/(p5+t5)", "(n1+n2)/(n3+n4+n5)", "n1/p1"};
        r.settings.formulaDigits = {2, 3, 2};
        r.list.rebuild();
    }
    std::unique_ptr<TCustomStat> create(const std::string& code) { return r.create(code); }
    test::Registry r;
};

std::vector<int32_t> drawValues(TCustomStat& m, int count, bool sorted) {
    std::vector<int32_t> out;
    auto state = std::make_unique<TStatState>();
    TLastValueArray last;
    for (int i = 0; i < count; ++i) {
        TStatDrawArray list;
        m.valuesOfDraw(i, count - 1, sorted, list, *state, last);
        EXPECT_EQ(list.size(), 1u);
        out.push_back(list.empty() ? -1 : list[0].keys12());
    }
    return out;
}

TEST(ShreddingStats, RegistryEntriesAndCaptions) {
    TDrawsArray draws;
    test::Registry r(draws);
    const int first = r.list.methodWithCode("SHR1");
    ASSERT_GE(first, 0);
    ASSERT_EQ(first + 3, r.list.count());  // the last three methods of the registry
    EXPECT_EQ(r.list.item(first + 1).code(), "SHR2");
    EXPECT_EQ(r.list.item(first + 2).code(), "SHR3");
    EXPECT_EQ(r.list.listCaption(first, true), "{ shr } Метод шинковки 1: (n1+n2+n3)/(n4+n5) [ SNG ]");
    EXPECT_EQ(r.list.item(first + 1).displayCaption(), "Метод шинковки 2: (n4+n5)/(n1+n2+n3)");
    EXPECT_EQ(r.list.item(first + 2).displayCaption(), "Метод шинковки 3: (n1+n2)/(n3+n4+n5)");
    EXPECT_EQ(r.list.item(first).defaultCaption(), "Метод шинковки 1: %s");
    EXPECT_TRUE(r.list.isGraph(first));
    EXPECT_TRUE(r.list.hasNorm(first));
    EXPECT_EQ(kTstShreddingStat.baseCodeText(), "SHRx");

    // a custom caption is formatted with the formula too
    r.list.item(first).customCaption = "Моя формула [%s]";
    EXPECT_EQ(r.list.item(first).displayCaption(), "Моя формула [(n1+n2+n3)/(n4+n5)]");

    // new formulas show after a rebuild; an instance copies formula and digits when created
    r.settings.formulas[1] = "n1*p2%t3";
    r.settings.formulaDigits[1] = 4;
    r.list.rebuild();
    EXPECT_EQ(r.list.item(first + 1).displayCaption(), "Метод шинковки 2: n1*p2%t3");
    auto m = r.list.createInstance(first + 1);
    auto* s = dynamic_cast<TstShreddingStat*>(m.get());
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->formula(), "n1*p2%t3");
    EXPECT_EQ(s->digits(), 4);
    r.settings.formulas[1] = "n1";
    EXPECT_EQ(s->formula(), "n1*p2%t3");

    // nothing is pre-listed
    TStatDrawArray list;
    m->listAllValues(0, list);
    EXPECT_TRUE(list.empty());
}

TEST(ShreddingStats, ValuesOfDrawsComputedByHand) {
    const TDrawsArray draws = handArchive();
    Shredders s(draws);
    auto shr1 = s.create("SHR1");  // (n1+p1+t1)/(p5+t5), 2 digits
    auto shr2 = s.create("SHR2");  // (n1+n2)/(n3+n4+n5), 3 digits
    auto shr3 = s.create("SHR3");  // n1/p1, 2 digits

    // draw 1 has no draws before it: p and t are 0 and the divisions by them give 0;
    // draw 2: 6/40; draw 3: 16/109 = 0.1467...; draw 4: 14/94 = 0.1489...
    EXPECT_EQ(drawValues(*shr1, 4, false), (std::vector<int32_t>{0, 15, 14, 14}));
    // 15/90 = 0.1666..., 3/141 = 0.0212..., 29/50 = 0.58, 9/36 = 0.25
    EXPECT_EQ(drawValues(*shr2, 4, false), (std::vector<int32_t>{166, 21, 580, 250}));
    // 5/0, 1/5, 10/1 (whole: 0), 3/10
    EXPECT_EQ(drawValues(*shr3, 4, false), (std::vector<int32_t>{0, 20, 0, 30}));
    // sorted draws: draw 3 reads 5 10 19 20 25 (15/64 = 0.234375), and as p of draw 4, 3/5
    EXPECT_EQ(drawValues(*shr2, 4, true), (std::vector<int32_t>{166, 21, 234, 250}));
    EXPECT_EQ(drawValues(*shr3, 4, true), (std::vector<int32_t>{0, 20, 0, 60}));

    // a statistics run collects the values with their counts and periods
    const TStatDrawArray list = statisticsRun(*shr1, 3, 4, false);
    ASSERT_EQ(list.size(), 3u);
    const TStatDraw* v14 = findKey(list, 14);
    ASSERT_NE(v14, nullptr);
    EXPECT_EQ(v14->count, 2);
    EXPECT_EQ(v14->lastDraw, 4);
    EXPECT_EQ(v14->depth, 1);
    EXPECT_EQ(v14->minPeriod, 1);
    EXPECT_EQ(findKey(list, 0)->count, 1);
    EXPECT_EQ(shr1->valueToText(*v14), "14");
    EXPECT_EQ(shr1->findNextOccurrence(valueWithKeys(14), 0, 3, false), 3);

    // graph numbers: the draws themselves, or any combination against the draws before an index
    auto* g = dynamic_cast<TCustomGraphStat*>(shr1.get());
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(graphNumbers(*g, 0, 3, 3, false), (std::vector<int32_t>{0, 15, 14, 14}));
    EXPECT_EQ(g->numberOfComb(makeComb({1, 2, 3, 4, 5}), 3, 3, false), 12);  // (1+10+1)/(25+69)
    EXPECT_EQ(g->numberOfComb(makeComb({1, 2, 3, 4, 5}), 0, 3, false), 0);   // nothing before draw 1
}

TEST(ShreddingStats, SingleCombinationsHaveNoDrawsBefore) {
    const TDrawsArray draws = handArchive();
    Shredders s(draws);
    auto shr1 = s.create("SHR1");
    auto shr2 = s.create("SHR2");
    TStatDrawArray list;
    shr2->valuesOfComb(makeComb({5, 10, 20, 30, 40}), list);
    shr2->valuesOfComb(makeComb({10, 19, 5, 20, 25}), list);
    shr2->valuesOfComb(makeComb({1, 2, 3, 4, 5}), list);  // 3/12 = 0.25
    ASSERT_EQ(list.size(), 3u);
    test::expectCounts(list, {{{166}, 1}, {{580}, 1}, {{250}, 1}});

    // the norm over a full set: SHR1 divides by p5+t5 = 0 for every combination
    const TCombsArray combs = test::allCombs(12);
    TStatDrawArray norm1, norm2;
    combValuesChunk(*shr1, combs, 0, combs.size(), norm1);
    ASSERT_EQ(norm1.size(), 1u);
    EXPECT_EQ(norm1[0].keys12(), 0);
    EXPECT_EQ(norm1[0].count, static_cast<int32_t>(combs.size()));
    combValuesChunk(*shr2, combs, 0, combs.size(), norm2);
    int64_t total = 0;
    for (const TStatDraw& v : norm2) total += v.count;
    EXPECT_EQ(total, static_cast<int64_t>(combs.size()));
    // (1+2)/(3+4+5) = 0.25 and (1+3)/(2+4+6)... each counted where it falls
    int32_t quarter = 0;
    for (const TComb& c : combs) quarter += (c.n[0] + c.n[1]) * 4 == (c.n[2] + c.n[3] + c.n[4]) ? 1 : 0;
    EXPECT_EQ(findKey(norm2, 250)->count, quarter);
}

TEST(ShreddingStats, MatchTestUsesTheReferenceDrawAndTheOneBefore) {
    const TDrawsArray draws = handArchive();
    Shredders s(draws);
    auto shr1 = s.create("SHR1");
    const TComb c = makeComb({1, 2, 3, 4, 5});
    // reference draw 4 (index 3): p = 3 6 9 12 15, t = 10 19 5 20 25: (1+3+10)/(15+25) = 0.35
    TStatDrawArray sel{valueWithKeys(35)};
    TStatDrawArray other{valueWithKeys(14)};
    EXPECT_TRUE(test::matchOf(*shr1, c, sel, 3));
    EXPECT_FALSE(test::matchOf(*shr1, c, other, 3));
    // another reference index has its own p and t:
    // index 0: p = 5 10 20 30 40, t = 0: (1+5)/40 = 0.15
    EXPECT_FALSE(test::matchOf(*shr1, c, sel, 0));
    EXPECT_TRUE(test::matchOf(*shr1, c, TStatDrawArray{valueWithKeys(15)}, 0));

    // a filter run keeps exactly the combinations whose value is selected, in order, and
    // include and exclude partition the list
    const TCombsArray combs = test::allCombs(16);
    const ShredFormula f("(n1+p1+t1)/(p5+t5)");
    TStatDrawArray pick{valueWithKeys(35), valueWithKeys(40), valueWithKeys(7)};
    TCombsArray expectedIn, expectedOut, in, out;
    for (const TComb& k : combs) {
        FormulaVars v{k.n[0], k.n[1], k.n[2], k.n[3], k.n[4], 3, 6, 9, 12, 15, 10, 19, 5, 20, 25};
        const int value = f.shred(v, 2);
        (value == 35 || value == 40 || value == 7 ? expectedIn : expectedOut).push_back(k);
    }
    ASSERT_FALSE(expectedIn.empty());
    ASSERT_TRUE(filterRun(*shr1, combs, pick, 3, false, TFilterMode::Include, in));
    ASSERT_TRUE(filterRun(*shr1, combs, pick, 3, false, TFilterMode::Exclude, out));
    EXPECT_EQ(in, expectedIn);
    EXPECT_EQ(out, expectedOut);
}

TEST(ShreddingStats, FiveDigitsAndFailingFormulas) {
    const TDrawsArray draws = handArchive();
    test::Registry r(draws);
    r.settings.formulas = {"n1/3", "n1/x", "LN(p1-n1)"};
    r.settings.formulaDigits = {5, 2, 2};
    r.list.rebuild();
    auto five = r.create("SHR1");
    // 2/3 with five digits is 66666, beyond the 16 bits of key 1: held in keys 1-2
    TStatDrawArray list;
    five->valuesOfComb(makeComb({2, 3, 4, 5, 6}), list);
    five->valuesOfComb(makeComb({1, 3, 4, 5, 6}), list);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].keys12(), 66666);
    EXPECT_EQ(list[1].keys12(), 33333);
    EXPECT_EQ(list[1].keys[1], 0);  // values that fit stay in key 1 alone
    EXPECT_EQ(five->valueToText(list[0]), "66666");
    EXPECT_TRUE(test::matchOf(*five, makeComb({2, 3, 4, 5, 6}), {valueWithInt12(66666)}, 3));
    EXPECT_FALSE(test::matchOf(*five, makeComb({2, 3, 4, 5, 6}), {valueWithKeys(66666 & 0xFFFF)}, 3));
    EXPECT_TRUE(test::matchOf(*five, makeComb({1, 3, 4, 5, 6}), {valueWithKeys(33333)}, 3));

    // an unknown name, or a logarithm of a number <= 0, gives 0
    auto unknown = r.create("SHR2");
    auto ln = r.create("SHR3");
    EXPECT_EQ(drawValues(*unknown, 4, false), (std::vector<int32_t>{0, 0, 0, 0}));
    // LN(p1-n1): draw 1 has p1 = 0 (LN(-5) fails), draw 2 LN(4) = 1.386, draw 3 LN(-9) fails,
    // draw 4 LN(7) = 1.9459
    EXPECT_EQ(drawValues(*ln, 4, false), (std::vector<int32_t>{0, 38, 0, 94}));
}

}  // namespace
}  // namespace tavlora
