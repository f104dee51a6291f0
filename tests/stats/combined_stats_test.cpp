#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "stats/stat_classes.h"
#include "stats_test_util.h"

namespace tavlora {
namespace {

using test::findKey;
using test::makeArchive;
using test::makeComb;
using test::valueWithKeys;

using Texts = std::vector<std::string>;

// The value texts of a statistics run, each repeated by its count, in list order.
Texts valueTexts(TCustomStat& m, int lastIndex, int length, bool sorted) {
    Texts out;
    for (const auto& v : statisticsRun(m, lastIndex, length, sorted))
        for (int i = 0; i < v.count; ++i) out.push_back(m.valueToText(v));
    return out;
}

bool matches(TCustomStat& m, std::array<int, 5> comb, const TStatDrawArray& sel) {
    return test::matchOf(m, makeComb(comb), sel, 0);
}

TEST(CombinedStats, TuplesOfOneDraw) {
    const TDrawsArray draws = makeArchive({{3, 9, 17, 40, 55}});
    test::Registry r(draws);
    const std::vector<std::pair<const char*, Texts>> cases{
        {"KNM2", {"3:9", "3:17", "3:40", "3:55", "9:17", "9:40", "9:55", "17:40", "17:55", "40:55"}},
        {"KNS2", {"3:9", "9:17", "17:40", "40:55"}},
        {"KNP23", {"17:40"}},
        {"KNM3", {"3:9:17", "3:9:40", "3:9:55", "3:17:40", "3:17:55", "3:40:55", "9:17:40", "9:17:55", "9:40:55",
                  "17:40:55"}},
        {"KNM4", {"3:9:17:40", "3:9:17:55", "3:9:40:55", "3:17:40:55", "9:17:40:55"}},
        {"KNS3", {"3:9:17", "9:17:40", "17:40:55"}},
        {"KNS4", {"3:9:17:40", "9:17:40:55"}},
        {"KNP31", {"3:9:17"}},
        {"KNP33", {"17:40:55"}},
        {"KNP42", {"9:17:40:55"}},
    };
    for (const auto& [code, texts] : cases) EXPECT_EQ(valueTexts(*r.create(code), 0, 1, false), texts) << code;
    // Keys: the pair 17:40 in keys 1 and 2, keys 3 and 4 zero.
    const TStatDrawArray pos = statisticsRun(*r.create("KNP24"), 0, 1, false);
    ASSERT_EQ(pos.size(), 1u);
    EXPECT_EQ(pos[0].keys, (std::array<uint16_t, 4>{40, 55, 0, 0}));
}

TEST(CombinedStats, DrawnOrderAndSortedOrder) {
    const TDrawsArray draws = makeArchive({{40, 3, 55, 9, 17}});
    test::Registry r(draws);
    auto kns2 = r.create("KNS2");
    EXPECT_EQ(valueTexts(*kns2, 0, 1, false), (Texts{"40:3", "3:55", "55:9", "9:17"}));
    EXPECT_EQ(valueTexts(*kns2, 0, 1, true), (Texts{"3:9", "9:17", "17:40", "40:55"}));
    EXPECT_EQ(valueTexts(*r.create("KNP21"), 0, 1, false), (Texts{"40:3"}));
    EXPECT_EQ(valueTexts(*r.create("KNM2"), 0, 1, false).front(), "40:3");
    // Match tests take the candidate in its stored order.
    const TStatDrawArray sel{valueWithKeys(40, 3)};
    EXPECT_TRUE(matches(*kns2, {40, 3, 55, 9, 17}, sel));
    EXPECT_FALSE(matches(*kns2, {3, 9, 17, 40, 55}, sel));
}

TEST(CombinedStats, CountsAndPeriodsOverAWindow) {
    const TDrawsArray draws = makeArchive({{1, 2, 3, 4, 5}, {1, 2, 30, 40, 50}, {6, 7, 8, 9, 10}, {1, 2, 60, 61, 62}});
    test::Registry r(draws);
    auto knm2 = r.create("KNM2");
    const TStatDrawArray list = statisticsRun(*knm2, 3, 4, false);
    EXPECT_EQ(list.size(), 10u + 9u + 10u + 9u);  // 1:2 is shared by three draws
    const TStatDraw* oneTwo = findKey(list, 1, 2);
    EXPECT_EQ(oneTwo->count, 3);
    EXPECT_EQ(oneTwo->lastDraw, 4);
    EXPECT_EQ(oneTwo->minPeriod, 1);
    EXPECT_EQ(oneTwo->maxPeriod, 2);
    EXPECT_EQ(findKey(list, 2, 1), nullptr);
    // Nothing is pre-listed and combinations give no values.
    TStatDrawArray none;
    knm2->listAllValues(3, none);
    knm2->valuesOfComb(makeComb({1, 2, 3, 4, 5}), none);
    EXPECT_TRUE(none.empty());
}

TEST(CombinedStats, MatchTests) {
    const TDrawsArray draws = makeArchive({{1, 2, 3, 4, 5}});
    test::Registry r(draws);
    const TStatDrawArray triple{valueWithKeys(3, 17, 55)};
    EXPECT_TRUE(matches(*r.create("KNM3"), {3, 9, 17, 40, 55}, triple));
    EXPECT_FALSE(matches(*r.create("KNS3"), {3, 9, 17, 40, 55}, triple));
    const TStatDrawArray adjacent{valueWithKeys(9, 17, 40)};
    EXPECT_TRUE(matches(*r.create("KNS3"), {3, 9, 17, 40, 55}, adjacent));
    EXPECT_TRUE(matches(*r.create("KNP32"), {3, 9, 17, 40, 55}, adjacent));
    EXPECT_FALSE(matches(*r.create("KNP31"), {3, 9, 17, 40, 55}, adjacent));
    // A pair selected with a third key is a different value.
    EXPECT_FALSE(matches(*r.create("KNM2"), {3, 9, 17, 40, 55}, {valueWithKeys(3, 9, 17)}));
    // Many selected values: only the one that the candidate carries matters.
    TStatDrawArray many;
    for (int a = 20; a <= 69; ++a)
        for (int b = a + 1; b <= 69; ++b) many.push_back(valueWithKeys(a, b));
    EXPECT_FALSE(matches(*r.create("KNM2"), {1, 2, 3, 4, 19}, many));
    EXPECT_TRUE(matches(*r.create("KNM2"), {1, 2, 3, 20, 21}, many));

    // Include and exclude partition a list: the combinations of 1..10 holding both 1 and 2 are
    // C(8, 3) = 56.
    auto knm2 = r.create("KNM2");
    const TCombsArray all = test::allCombs(10);
    const TStatDrawArray pair{valueWithKeys(1, 2)};
    TCombsArray kept, removed;
    ASSERT_TRUE(filterRun(*knm2, all, pair, 0, false, TFilterMode::Include, kept));
    ASSERT_TRUE(filterRun(*knm2, all, pair, 0, false, TFilterMode::Exclude, removed));
    EXPECT_EQ(kept.size(), 56u);
    EXPECT_EQ(removed.size(), 196u);
    for (const TComb& c : kept) EXPECT_TRUE(c.n[0] == 1 && c.n[1] == 2);
}

TEST(CombinedStats, RegistryInstancesAndUnavailableSortedMembers) {
    const TDrawsArray draws = makeArchive({{40, 3, 55, 9, 17}});
    test::Registry r(draws);
    const int first = r.list.methodWithCode("KNM2");
    ASSERT_GE(first, 0);
    const std::vector<std::string> order{"KNM2",  "KNM3",  "KNM4",  "KNS2",  "KNS3",  "KNS4",  "KNP21", "KNP22",
                                         "KNP23", "KNP24", "KNP31", "KNP32", "KNP33", "KNP41", "KNP42"};
    for (size_t i = 0; i < order.size(); ++i) EXPECT_EQ(r.list.item(first + static_cast<int>(i)).code(), order[i]);
    EXPECT_EQ(r.list.item(first + 1).defaultCaption(), "Сочетания из 3 чисел по всем числам тиража");
    EXPECT_EQ(r.list.item(first + 4).defaultCaption(), "Сочетания из 3 соседних чисел тиража");
    EXPECT_EQ(r.list.item(first + 11).defaultCaption(), "Сочетания из 3-х чисел тиража начиная с 2 позиции");
    EXPECT_EQ(r.list.listCaption(first, true), "{ num } Сочетания из 2 чисел по всем числам тиража [ S ]");
    EXPECT_FALSE(r.list.hasNorm(first));
    EXPECT_EQ(r.create("KNM2")->typedValue("7"), 0);
    for (const char* code : {"KNO2", "KNO3", "KNO4", "KNP20", "KNP25", "KNP34", "KNP43"})
        EXPECT_LT(r.list.methodWithCode(code), 0) << code;

    // The sorted members exist as classes that report themselves unavailable; their rule is the
    // adjacent tuples of the ascending numbers.
    const TStatClassInfo* sort2 = findStatClass("TstCombValSort2");
    ASSERT_NE(sort2, nullptr);
    EXPECT_FALSE(sort2->available);
    EXPECT_EQ(sort2->formattedCode(0), "KNO2");
    EXPECT_EQ(sort2->kindsWithGraph(), 0);
    auto m = sort2->create(r.list, *sort2, 0);
    EXPECT_EQ(valueTexts(*m, 0, 1, false), (Texts{"3:9", "9:17", "17:40", "40:55"}));
}

}  // namespace
}  // namespace tavlora
