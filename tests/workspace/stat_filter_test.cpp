// Keeping and removing combinations by selected statistic values through the method registry and
// the combination list.
#include <gtest/gtest.h>

#include "stats/stat_list.h"
#include "test_support.h"
#include "workspace/comb_list.h"
#include "workspace/stat_filter.h"
#include "workspace/stat_method.h"
#include "workspace/stat_table.h"

using namespace tavlora;
using tavlora::test::TempDir;

namespace {

class StatFilterTest : public ::testing::Test {
protected:
    void SetUp() override {
        TDraw d;
        d.number = 1;
        d.nums = {1, 2, 3, 4, 5};
        draws.push_back(d);
        registry.rebuild();
        nums = statMethodIndex(registry, "NUMS");
        TStatTableInput in;
        in.draws = &draws;
        in.endIndex = 0;
        table = computeStatTable(registry, nums, in);
    }

    TStatFilterRequest request(std::vector<std::string> values, bool remove) {
        std::vector<std::size_t> rows;
        for (const auto& v : values) rows.push_back(findStatRow(table.rows, v).value());
        const TStatSelection sel = statSelection(table.rows, rows);
        TStatFilterRequest r;
        r.name = statMethodListCaption(registry, nums);
        r.selection = sel.values;
        r.valuesText = sel.text;
        r.remove = remove;
        return r;
    }

    TempDir dir;
    TSettings settings;
    TDrawsArray draws;
    TStatList registry{settings, draws};
    TCombList combs{dir / "Tavlora_5d69.~buff"};
    int nums = -1;
    TStatTable table;
    NullProgress progress;
    ScriptedInteraction ui;
};

TEST_F(StatFilterTest, EachKeepOrRemoveAddsOneRowAndReplacesTheUndoLevel) {
    TCombList& list = combs;
    ASSERT_TRUE(list.generate(kGenerateOnlyOf, "1;2;3;4;5;6;7;8", progress, ui));
    ASSERT_EQ(list.count(), 56u);

    ASSERT_TRUE(statFilter(list, registry, nums, request({"1"}, false), progress));
    EXPECT_EQ(list.count(), 35u);  // C(7,4): the combinations holding 1
    for (const TComb& c : list.combs()) EXPECT_EQ(c.n[0], 1);
    ASSERT_EQ(list.appliedFilters().size(), 1u);
    EXPECT_EQ(list.appliedFilters()[0],
              (TAppliedFilter{"{ num } Числа тиража [ N ]", "1", 35, TFilterIcon::Keep}));
    EXPECT_TRUE(list.canUndo());

    ASSERT_TRUE(list.undo(progress));
    ASSERT_TRUE(statFilter(list, registry, nums, request({"2", "1"}, true), progress));
    EXPECT_EQ(list.count(), 6u);  // C(6,5): neither 1 nor 2
    ASSERT_EQ(list.appliedFilters().size(), 1u);
    EXPECT_EQ(list.appliedFilters()[0].values, "1; 2");  // in the table's order
    EXPECT_EQ(list.appliedFilters()[0].icon, TFilterIcon::Remove);
    ASSERT_TRUE(list.undo(progress));
    EXPECT_EQ(list.count(), 56u);
}

TEST_F(StatFilterTest, AnEmptySelectionOrAnEmptyListChangesNothing) {
    TCombList& list = combs;
    ASSERT_TRUE(list.generate(kGenerateOnlyOf, "1;2;3;4;5;6", progress, ui));
    const TCombsArray before = list.combs();
    EXPECT_FALSE(statFilter(list, registry, nums, request({}, false), progress));
    EXPECT_EQ(list.combs(), before);
    EXPECT_TRUE(list.appliedFilters().empty());
    EXPECT_FALSE(list.canUndo());

    ASSERT_TRUE(list.generate(kGenerateOnlyOf, "1;2", progress, ui));  // fewer than five numbers: empty
    EXPECT_FALSE(statFilter(list, registry, nums, request({"1"}, false), progress));
    EXPECT_TRUE(list.appliedFilters().empty());
}

TEST_F(StatFilterTest, AStoppedFilterLeavesTheListAsItWas) {
    TCombList& list = combs;
    ASSERT_TRUE(list.generate(kGenerateOnlyOf, "1;2;3;4;5;6;7;8;9;10", progress, ui));
    const TCombsArray before = list.combs();
    progress.requestStop();
    EXPECT_FALSE(statFilter(list, registry, nums, request({"1"}, true), progress));
    EXPECT_EQ(list.combs(), before);
    EXPECT_TRUE(list.appliedFilters().empty());
}

TEST_F(StatFilterTest, KeepingAndRemovingOneNumberOfTheFullList) {
    TCombList& list = combs;
    ASSERT_TRUE(list.generate(kGenerateFull, "", progress, ui));
    ASSERT_TRUE(statFilter(list, registry, nums, request({"1"}, false), progress));
    EXPECT_EQ(list.count(), 814385u);  // C(68,4)
    ASSERT_TRUE(list.undo(progress));
    EXPECT_EQ(list.count(), 11238513u);
    ASSERT_TRUE(statFilter(list, registry, nums, request({"1"}, true), progress));
    EXPECT_EQ(list.count(), 10424128u);  // C(68,5)
    ASSERT_TRUE(list.undo(progress));
    EXPECT_EQ(list.count(), 11238513u);
}

}  // namespace
