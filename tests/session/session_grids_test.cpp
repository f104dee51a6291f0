// The numbers filter the grids run through the session: the selected numbers keep or remove the
// combinations holding any of them, and a selection without numbers changes nothing, not even the
// undo point.
#include <gtest/gtest.h>

#include "core/error.h"
#include "session/session.h"
#include "test_support.h"
#include "workspace/comb_list.h"

using namespace tavlora;
using tavlora::test::TempDir;

TEST(SessionGrids, NumbersFilterKeepsOrRemovesAndNoValuesKeepTheListAndItsUndo) {
    TempDir dir;
    Session s(dir.path());
    NullProgress progress;
    ScriptedInteraction ui;
    TCombList& list = s.combList();
    const char* combs = "1 2 3 4 5\n7 8 9 10 11\n20 21 22 23 24\n30 31 32 33 34\n7 21 40 50 60\n";
    ASSERT_TRUE(list.pasteText(combs, progress, ui));

    ASSERT_TRUE(s.filterNumbers({21, 7, 21}, "Карта", false, progress));
    ASSERT_EQ(list.count(), 3u);
    EXPECT_EQ(list.at(0), (TComb{{7, 8, 9, 10, 11}}));
    EXPECT_EQ(list.at(2), (TComb{{7, 21, 40, 50, 60}}));
    ASSERT_FALSE(list.appliedFilters().empty());
    EXPECT_EQ(list.appliedFilters().back().name, "Карта");
    EXPECT_EQ(list.appliedFilters().back().values, "21; 7");
    EXPECT_EQ(list.appliedFilters().back().icon, TFilterIcon::Keep);
    const std::size_t rows = list.appliedFilters().size();

    // Only empty cells (or values that are no numbers of the game): the error, and nothing moves.
    for (const std::vector<int32_t>& none : {std::vector<int32_t>{}, std::vector<int32_t>{0, 70}}) {
        try {
            s.filterNumbers(none, "Карта", false, progress);
            ADD_FAILURE() << "no error for a selection without numbers";
        } catch (const EError& e) {
            EXPECT_STREQ(e.what(), kNoGridValuesText);
        }
        EXPECT_EQ(list.count(), 3u);
        EXPECT_EQ(list.appliedFilters().size(), rows);
    }
    // The undo still returns the list before the filter.
    ASSERT_TRUE(list.canUndo());
    ASSERT_TRUE(list.undo(progress));
    EXPECT_EQ(list.count(), 5u);

    ASSERT_TRUE(s.filterNumbers({3, 33}, "Неделя", true, progress));
    ASSERT_EQ(list.count(), 3u);
    EXPECT_EQ(list.at(0), (TComb{{7, 8, 9, 10, 11}}));
    EXPECT_EQ(list.appliedFilters().back().icon, TFilterIcon::Remove);
}
