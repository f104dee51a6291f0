// The prepared filter: a matcher answers for the selection it was made from, whatever later
// happens to the caller's selection object, and several matchers of one method live side by side.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "stats_test_util.h"

namespace tavlora {
namespace {

using test::makeArchive;
using test::makeComb;
using test::valueWithInt12;
using test::valueWithKeys;

TDrawsArray fiveDraws() {
    return makeArchive({{10, 20, 30, 40, 50}, {11, 21, 31, 41, 51}, {12, 22, 32, 42, 52}, {2, 3, 4, 6, 7},
                        {1, 60, 61, 62, 63}});
}

// Both answers of a matcher for one combination, which must agree.
bool answer(const TStatMatcher& m, const TComb& c) {
    uint8_t chunk = 7;
    m.matchChunk(&c, 1, &chunk);
    EXPECT_EQ(chunk, m.matches(c) ? 1 : 0);
    return m.matches(c);
}

// A first selection, and a second one of the same size that replaces it in the same vector object
// (so at the same address): the first matcher keeps answering for the first selection, the second
// for the second, also after the caller's vector is gone. One case per kind of match tables.
TEST(StatMatcher, AMatcherAnswersForItsOwnSelectionOnly) {
    struct Case {
        const char* code;
        TStatDrawArray first;
        TStatDrawArray second;
        bool firstMatches;
        bool secondMatches;
    };
    const TComb comb = makeComb({1, 2, 3, 4, 5});
    const std::vector<Case> cases{
        {"SUMS", {valueWithInt12(999)}, {valueWithInt12(15)}, false, true},         // sums of bytes
        {"NUMS", {valueWithKeys(60)}, {valueWithKeys(1)}, false, true},             // numbers of bytes
        {"S2T3", {valueWithKeys(2)}, {valueWithKeys(4)}, false, true},              // the key-1 set
        {"KNM2", {valueWithKeys(60, 61)}, {valueWithKeys(1, 2)}, false, true},      // tuples of numbers
        {"SDV2", {valueWithKeys(60, 61)}, {valueWithKeys(60, 2)}, false, true},     // chain items
        {"SDA2", {valueWithKeys(1, 30)}, {valueWithKeys(1, 3)}, false, true},       // chain numbers
        {"PRDV", {valueWithKeys(60, 2)}, {valueWithKeys(1, 1)}, false, true},       // period masks
        {"DIFO", {valueWithKeys(2, 4)}, {valueWithKeys(1, 4)}, false, true},        // packed keys
        {"CHNV", {valueWithKeys(1, 4)}, {valueWithKeys(1, 5)}, false, true},        // class counts
        {"CHNV", {valueWithKeys(1, 5)}, {valueWithKeys(2, 5)}, true, false},        // the other way
        {"KCM2", {valueWithKeys(1, 2)}, {valueWithKeys(1, 1)}, false, true},        // class tuples
        {"RPC2", {valueWithKeys(0)}, {valueWithKeys(1)}, false, true},              // repeat marks
    };
    const TDrawsArray draws = fiveDraws();
    test::Registry r(draws);
    for (const Case& c : cases) {
        auto method = r.create(c.code);
        ASSERT_TRUE(method) << c.code;
        auto sel = std::make_unique<TStatDrawArray>(c.first);
        const auto first = method->prepareFilter(*sel, 4, false);
        *sel = c.second;
        const auto second = method->prepareFilter(*sel, 4, false);
        EXPECT_EQ(answer(*first, comb), c.firstMatches) << c.code;
        EXPECT_EQ(answer(*second, comb), c.secondMatches) << c.code;
        sel.reset();
        EXPECT_EQ(answer(*first, comb), c.firstMatches) << c.code;
        EXPECT_EQ(answer(*second, comb), c.secondMatches) << c.code;
        EXPECT_EQ(second->selection(), c.second) << c.code;
    }
}

// The tables that depend on the reference draw belong to the matcher too: two matchers of one
// instance at different reference indices answer each for its own draw.
TEST(StatMatcher, EachMatcherKeepsItsReferenceDraw) {
    const TDrawsArray draws = fiveDraws();
    test::Registry r(draws);
    // Sum 35 lies above the sum of index 3 (22) and below that of index 4 (247).
    const TComb comb = makeComb({5, 6, 7, 8, 9});
    struct Case {
        const char* code;
        TStatDrawArray sel;
        bool at3;
        bool at4;
    };
    const std::vector<Case> cases{
        {"SUMT", {valueWithInt12(1)}, true, false},           // the sum rose
        {"SUMV", {valueWithInt12(35 - 22)}, true, false},     // by exactly 13
        {"SUMV", {valueWithInt12(35 - 247)}, false, true},
        {"PRDV", {valueWithKeys(7, 1)}, true, false},         // 7 was in the draw at index 3 only
    };
    for (const Case& c : cases) {
        auto method = r.create(c.code);
        ASSERT_TRUE(method) << c.code;
        const auto at3 = method->prepareFilter(c.sel, 3, false);
        const auto at4 = method->prepareFilter(c.sel, 4, false);
        EXPECT_EQ(answer(*at3, comb), c.at3) << c.code;
        EXPECT_EQ(answer(*at4, comb), c.at4) << c.code;
    }
}

// keeps() is the filter's decision: the match in include mode, its negation in exclude mode.
TEST(StatMatcher, KeepsFollowsTheMode) {
    const TDrawsArray draws = fiveDraws();
    test::Registry r(draws);
    auto sums = r.create("SUMS");
    const TStatDrawArray sel{valueWithInt12(15)};
    const auto include = sums->prepareFilter(sel, 4, false, TFilterMode::Include);
    const auto exclude = sums->prepareFilter(sel, 4, false, TFilterMode::Exclude);
    for (const TComb& c : {makeComb({1, 2, 3, 4, 5}), makeComb({1, 2, 3, 4, 6})}) {
        EXPECT_EQ(include->matches(c), exclude->matches(c));
        EXPECT_EQ(include->keeps(c), include->matches(c));
        EXPECT_EQ(exclude->keeps(c), !exclude->matches(c));
    }
    EXPECT_TRUE(include->keeps(makeComb({1, 2, 3, 4, 5})));
    EXPECT_FALSE(exclude->keeps(makeComb({1, 2, 3, 4, 5})));
}

}  // namespace
}  // namespace tavlora
