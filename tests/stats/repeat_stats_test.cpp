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

// Keys 1 of the values that draw `index` adds (window ending at lastIndex), in order.
std::vector<int> drawValues(TCustomStat& m, int index, int lastIndex, bool sorted = false) {
    TStatDrawArray list;
    auto state = std::make_unique<TStatState>();
    TLastValueArray last;
    m.valuesOfDraw(index, lastIndex, sorted, list, *state, last);
    std::vector<int> out;
    for (const auto& v : list)
        for (int i = 0; i < v.count; ++i) out.push_back(v.keys[0]);
    return out;
}

std::vector<int> listed(TCustomStat& m, int lastIndex) {
    TStatDrawArray list;
    m.listAllValues(lastIndex, list);
    std::vector<int> out;
    for (const auto& v : list) {
        EXPECT_EQ(v.count, 0);
        out.push_back(v.keys[0]);
    }
    return out;
}

bool matches(TCustomStat& m, std::array<int, 5> comb, std::initializer_list<int> keys, int reference) {
    TStatDrawArray sel;
    for (int k : keys) sel.push_back(valueWithKeys(k));
    m.loadDraws(-1, reference, false);
    return test::matchOf(m, makeComb(comb), sel, reference);
}

using Ints = std::vector<int>;

TEST(RepeatStats, RepeatsOfTheNextDrawAgainstTheReferenceDraw) {
    // Draw a - 1, draw a and the reference draw R.
    const TDrawsArray draws = makeArchive({{3, 12, 33, 50, 60}, {12, 14, 33, 40, 66}, {5, 12, 20, 33, 41}});
    test::Registry r(draws);
    auto rpv2 = r.create("RPV2");
    auto rpc2 = r.create("RPC2");
    auto p1 = r.create("PRV+1");
    EXPECT_EQ(drawValues(*rpv2, 1, 2), (Ints{12, 33}));
    EXPECT_EQ(drawValues(*rpc2, 1, 2), (Ints{2}));
    // 13 and 34 are in R moved by 1 but not in draw a.
    EXPECT_EQ(drawValues(*p1, 1, 2), Ints{});
    EXPECT_EQ(listed(*rpv2, 2), (Ints{5, 12, 20, 33, 41}));
    EXPECT_EQ(listed(*p1, 2), (Ints{6, 13, 21, 34, 42}));
    EXPECT_EQ(listed(*rpc2, 2), (Ints{1, 2, 3, 4, 5}));

    // A run over the window: draw 2 (R itself) repeats 12 and 33 of draw 1 again.
    const TStatDrawArray list = statisticsRun(*rpv2, 2, 2, false);
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(findKey(list, 12)->count, 2);
    EXPECT_EQ(findKey(list, 12)->minPeriod, 1);
    EXPECT_EQ(findKey(list, 5)->count, 0);
    // Count 0 is not pre-listed; it is added when a draw has it (the first draw has no draw before).
    const TStatDrawArray counts = statisticsRun(*rpc2, 2, 3, false);
    EXPECT_EQ(counts.size(), 6u);
    EXPECT_EQ(findKey(counts, 0)->count, 1);
    EXPECT_EQ(findKey(counts, 2)->count, 2);
}

TEST(RepeatStats, FirstDrawsOfTheArchiveHaveNoDrawBefore) {
    // 1 in the first draws: a missing draw moved by +1 must not read as 1, and by -1 not as 68.
    const TDrawsArray draws = makeArchive(
        {{1, 2, 3, 68, 69}, {1, 2, 3, 68, 69}, {1, 2, 3, 68, 69}, {1, 2, 3, 68, 69}, {1, 2, 3, 68, 69}});
    test::Registry r(draws);
    const std::vector<std::pair<std::string, int>> lags{{"RPC2", 1}, {"RPO1", 2}, {"PRC2O2", 3}, {"PRC2O3", 4},
                                                        {"PRC+1", 1}, {"PRC-1", 1}, {"PRC+2", 1}, {"PRC-2", 1}};
    for (const auto& [code, lag] : lags) {
        auto m = r.create(code);
        ASSERT_NE(m, nullptr) << code;
        for (int a = 0; a < lag; ++a) EXPECT_EQ(drawValues(*m, a, 4), Ints{0}) << code << " draw " << a;
        EXPECT_NE(drawValues(*m, lag, 4), Ints{0}) << code;
    }
    EXPECT_EQ(drawValues(*r.create("RPC2"), 1, 4), Ints{5});
    EXPECT_EQ(drawValues(*r.create("PRC+1"), 1, 4), (Ints{4}));  // 1->2, 2->3, 68->69, 69->1
    for (const char* code : {"RPV2", "PRV2O1", "PRV2O2", "PRV2O3", "PRV+1", "PRV-1", "PRV+2", "PRV-2"}) {
        auto m = r.create(code);
        EXPECT_EQ(drawValues(*m, 0, 4), Ints{}) << code;
    }
    EXPECT_EQ(drawValues(*r.create("PRV2O3"), 3, 4), Ints{});
    EXPECT_EQ(drawValues(*r.create("PRV2O3"), 4, 4), (Ints{1, 2, 3, 68, 69}));
    // 1 - 2 wraps to 68 and 2 - 2 to 69, 3 - 2 is 1: moved numbers in drawn order.
    EXPECT_EQ(drawValues(*r.create("PRV-2"), 1, 4), (Ints{68, 69, 1}));
}

TEST(RepeatStats, EachMemberLooksBackByItsOwnLag) {
    // R = draw 4 = 1 2 3 4 5. Draw 4 - L holds exactly the L numbers 1..L of R, so the lag of a
    // member shows in what draw 4 adds; draw 3 also holds 6 and 68, which the shifts move into R.
    const TDrawsArray draws = makeArchive({{1, 2, 3, 4, 40},
                                           {1, 2, 3, 50, 51},
                                           {1, 2, 52, 53, 54},
                                           {1, 6, 7, 67, 68},
                                           {1, 2, 3, 4, 5}});
    test::Registry r(draws);
    // Values members: the numbers draw 4 adds; count members: the one count it adds.
    const std::pair<const char*, Ints> cases[] = {
        {"RPV2", {1}},  {"PRV2O1", {1, 2}}, {"PRV2O2", {1, 2, 3}}, {"PRV2O3", {1, 2, 3, 4}},
        {"RPC2", {1}},  {"RPO1", {2}},      {"PRC2O2", {3}},       {"PRC2O3", {4}},
        // Moved draw 3: +1 gives 2 7 8 68 69, -1 gives 69 5 6 66 67, +2 gives 3 8 9 69 1 and
        // -2 gives 68 4 5 65 66. Values need the unmoved number in R, which only 1 is.
        {"PRV+1", {2}}, {"PRV-1", {}},      {"PRV+2", {3}},        {"PRV-2", {}},
        {"PRC+1", {1}}, {"PRC-1", {1}},     {"PRC+2", {2}},        {"PRC-2", {2}},
    };
    for (const auto& [code, expected] : cases) {
        auto m = r.create(code);
        ASSERT_NE(m, nullptr) << code;
        EXPECT_EQ(drawValues(*m, 4, 4), expected) << code;
    }
}

TEST(RepeatStats, ShiftsWrapAroundTheRange) {
    const TDrawsArray draws = makeArchive({{69, 10, 20, 30, 40}, {1, 11, 50, 60, 69}, {1, 10, 20, 30, 69}});
    test::Registry r(draws);
    auto p1 = r.create("PRV+1");
    auto n1 = r.create("PRV-1");
    EXPECT_EQ(listed(*p1, 2), (Ints{2, 11, 21, 31, 1}));
    EXPECT_EQ(listed(*n1, 2), (Ints{69, 9, 19, 29, 68}));
    // Draw 1 holds 69 + 1 = 1 and 10 + 1 = 11; 69 and 10 are in R.
    EXPECT_EQ(drawValues(*p1, 1, 2), (Ints{1, 11}));
    EXPECT_EQ(drawValues(*r.create("PRC+1"), 1, 2), (Ints{2}));
    // Draw 2 (R) holds 1 - 1 = 69 and 11 - 1 = 10, but only 1 is in R: 10 is not in R moved by -1.
    EXPECT_EQ(drawValues(*n1, 2, 2), (Ints{69}));
    EXPECT_EQ(drawValues(*r.create("PRC-1"), 2, 2), (Ints{2}));
    EXPECT_EQ(drawValues(*r.create("PRC-2"), 2, 2), Ints{0});
}

TEST(RepeatStats, ThreeDrawMembers) {
    const TDrawsArray draws = makeArchive(
        {{5, 6, 7, 8, 9}, {1, 2, 3, 4, 5}, {1, 2, 3, 10, 11}, {1, 2, 20, 21, 22}, {1, 2, 3, 30, 40}});
    test::Registry r(draws);
    auto rpv3 = r.create("RPV3");
    const TStatDrawArray v3 = statisticsRun(*rpv3, 4, 3, false);
    EXPECT_EQ(listed(*rpv3, 4), (Ints{1, 2, 3, 30, 40}));
    ASSERT_EQ(v3.size(), 5u);
    // in draws 2, 1 and R, but not in draw 0
    test::expectCounts(v3, {{{1}, 2}, {{2}, 2}, {{3}, 0}});

    auto prl2 = r.create("PRL2");
    EXPECT_EQ(drawValues(*prl2, 2, 4), (Ints{1, 2, 3}));  // in draw 1, not in draw 0
    EXPECT_EQ(drawValues(*prl2, 3, 4), Ints{});           // 1 and 2 are in draws 2 and 1
    EXPECT_EQ(drawValues(*prl2, 4, 4), Ints{});

    auto rpc3 = r.create("RPC3");
    auto prb2 = r.create("PRB2");
    EXPECT_EQ(drawValues(*rpc3, 2, 4), Ints{0});
    EXPECT_EQ(drawValues(*rpc3, 3, 4), Ints{2});
    EXPECT_EQ(drawValues(*rpc3, 4, 4), Ints{2});
    EXPECT_EQ(drawValues(*prb2, 2, 4), Ints{3});
    EXPECT_EQ(drawValues(*prb2, 3, 4), Ints{0});
    EXPECT_EQ(drawValues(*prb2, 0, 4), Ints{0});

    // Candidates after the reference draw 4: in both draws 4 and 3 are 1 and 2; in draw 4 and
    // not in draw 3 are 3, 30 and 40.
    EXPECT_TRUE(matches(*rpc3, {1, 2, 5, 6, 7}, {2}, 4));
    EXPECT_FALSE(matches(*rpc3, {1, 3, 5, 6, 7}, {2}, 4));
    EXPECT_TRUE(matches(*prb2, {3, 30, 40, 50, 60}, {3}, 4));
    EXPECT_TRUE(matches(*prb2, {1, 2, 20, 21, 22}, {0}, 4));
    EXPECT_TRUE(matches(*rpv3, {9, 10, 11, 12, 2}, {2, 30}, 4));
    EXPECT_FALSE(matches(*rpv3, {9, 10, 11, 12, 1}, {2, 30}, 4));
}

TEST(RepeatStats, CandidatesAreComparedWithTheDrawLPlacesBefore) {
    const TDrawsArray draws = makeArchive(
        {{1, 2, 3, 4, 5}, {11, 12, 13, 14, 15}, {21, 22, 23, 24, 25}, {31, 32, 33, 34, 35}, {41, 42, 43, 44, 45}});
    test::Registry r(draws);
    // The candidate stands at index 5: lag 1 compares it with draw 4, lag 2 with draw 3, lag 4
    // with draw 1.
    EXPECT_TRUE(matches(*r.create("RPC2"), {41, 42, 1, 2, 3}, {2}, 4));
    EXPECT_TRUE(matches(*r.create("RPO1"), {31, 32, 33, 41, 42}, {3}, 4));
    EXPECT_TRUE(matches(*r.create("PRC2O2"), {21, 32, 33, 41, 42}, {1}, 4));
    EXPECT_TRUE(matches(*r.create("PRC2O3"), {11, 12, 13, 14, 42}, {4}, 4));
    // With an offset of one draw the reference is draw 3.
    EXPECT_TRUE(matches(*r.create("RPC2"), {31, 42, 1, 2, 3}, {1}, 3));
    // Moved by -1: 40 41 42 43 44.
    EXPECT_TRUE(matches(*r.create("PRC-1"), {40, 41, 42, 43, 44}, {5}, 4));
    // Values members keep candidates holding a selected number.
    EXPECT_TRUE(matches(*r.create("PRV+2"), {1, 2, 3, 4, 47}, {47}, 4));

    // A filter run partitions a list: out of 1..10 the candidates sharing exactly two numbers with
    // the first draw's 1 2 3 4 5 (reference index 0 compares with draw 0): C(5,2) * C(5,3) = 100.
    auto rpc2 = r.create("RPC2");
    const TCombsArray all = test::allCombs(10);
    const TStatDrawArray two{valueWithKeys(2)};
    TCombsArray kept, removed;
    ASSERT_TRUE(filterRun(*rpc2, all, two, 0, false, TFilterMode::Include, kept));
    ASSERT_TRUE(filterRun(*rpc2, all, two, 0, false, TFilterMode::Exclude, removed));
    EXPECT_EQ(kept.size(), 100u);
    EXPECT_EQ(removed.size(), 152u);
}

TEST(RepeatStats, RegistryCodesAndCaptions) {
    const TDrawsArray draws;
    test::Registry r(draws);
    const int first = r.list.methodWithCode("RPV2");
    ASSERT_GE(first, 0);
    const std::vector<std::string> order{"RPV2", "RPV3", "PRL2", "PRV2O1", "PRV2O2", "PRV2O3", "PRV+1",
                                         "PRV-1", "PRV+2", "PRV-2", "RPC2", "RPC3", "PRB2", "RPO1",
                                         "PRC2O2", "PRC2O3", "PRC+1", "PRC-1", "PRC+2", "PRC-2"};
    for (size_t i = 0; i < order.size(); ++i) {
        const int at = first + static_cast<int>(i);
        EXPECT_EQ(r.list.item(at).code(), order[i]);
        EXPECT_EQ(r.list.item(at).statClass().kindsWithGraph(), kindD);
        EXPECT_EQ(r.list.item(at).statClass().group, 7);
    }
    EXPECT_EQ(r.list.item(first + 4).defaultCaption(), "Повторяющиеся числа в 2-х тиражах через 2 тираж(а)");
    EXPECT_EQ(r.list.item(first + 13).defaultCaption(), "Количество повторов в 2-х тиражах через 1 тираж(а)");
    EXPECT_EQ(r.list.item(first + 8).defaultCaption(), "Данные предыдущего тиража + 2");
    EXPECT_EQ(r.list.item(first + 17).defaultCaption(), "Количество совпадений \"значений - 1\"");
    EXPECT_EQ(r.create("RPO1")->typedValue("3"), 3);
}

}  // namespace
}  // namespace tavlora
