// The session's stakes store, rating, working scenario and systems folder.
#include <gtest/gtest.h>

#include <fstream>

#include "core/error.h"
#include "scenario/scenario.h"
#include "session/session.h"
#include "stakes/ratings.h"
#include "stakes/stake_record.h"
#include "stakes/stakes_store.h"
#include "test_support.h"

using namespace tavlora;
using tavlora::test::TempDir;

namespace {

TDraw drawOf(int32_t number, std::array<uint8_t, 5> nums) {
    TDraw d;
    d.number = number;
    d.nums = nums;
    d.extra = 1;
    return d;
}

}  // namespace

TEST(SessionStakes, OpensTheStakesFileOnceAndExclusively) {
    TempDir dir;
    NullProgress progress;
    ScriptedInteraction ui;
    Session first(dir.path());
    EXPECT_FALSE(first.stakesOpen());  // nothing is locked before it is asked for
    EXPECT_EQ(first.stakes().file(), dir / "Tavlora_5d69.lsk");
    EXPECT_FALSE(first.stakesOpen());
    ASSERT_TRUE(first.openStakes(progress, ui));
    EXPECT_TRUE(first.openStakes(progress, ui));  // a second call keeps the open file
    EXPECT_TRUE(ui.messages.empty());

    // A second session on the same folder cannot lock the file and says so.
    Session second(dir.path());
    EXPECT_FALSE(second.openStakes(progress, ui));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].kind, MessageKind::Error);
    EXPECT_FALSE(second.checkStakes(progress, ui));
}

TEST(SessionStakes, ChecksStakesIntoTheRatingAndKeepsTheWorkingScenario) {
    TempDir dir;
    NullProgress progress;
    ScriptedInteraction ui;
    {
        Session s(dir.path());
        s.archive().append(drawOf(1, {1, 2, 3, 4, 5}));
        s.archive().append(drawOf(2, {6, 7, 8, 9, 10}));
        ASSERT_TRUE(s.archive().save(progress, ui));
        ASSERT_TRUE(s.openStakes(progress, ui));
        TStakeRecord stake = newManualStake(s.archive(), s.settings(), 1, TComb{{6, 7, 8, 20, 21}});
        stake.drawNumber = 2;
        ASSERT_TRUE(s.stakes().addStakes(stake, 1, ui));
        EXPECT_TRUE(s.checkStakes(progress, ui));
        EXPECT_FALSE(s.checkStakes(progress, ui));  // nothing left to check
        ASSERT_EQ(s.ratings().count(), 1);
        EXPECT_EQ(s.ratings().rows()[0].matched, 3);

        s.scenario().append("FULL:0#RAND|TSD1#NUMS:10#LMV:1#SF:0");
        EXPECT_EQ(s.systemsDir(), dir / "Systems");
    }
    // The next session reads the rating and the scenario back from their files.
    Session again(dir.path());
    ASSERT_TRUE(again.loadRatings(progress, ui));
    EXPECT_EQ(again.ratings().count(), 1);
    ASSERT_EQ(again.scenario().count(), 1);
    EXPECT_EQ(again.scenario().line(0), "FULL:0#RAND|TSD1#NUMS:10#LMV:1#SF:0");
    EXPECT_TRUE(ui.messages.empty());
}
