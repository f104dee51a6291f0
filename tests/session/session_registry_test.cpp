// The session's method registry, built over the settings and the method file of the data folder,
// and its combination list.
#include <gtest/gtest.h>

#include <fstream>

#include "session/session.h"
#include "stats/stat_list.h"
#include "test_support.h"
#include "workspace/comb_list.h"
#include "workspace/stat_method.h"

using namespace tavlora;
using tavlora::test::TempDir;

TEST(SessionRegistry, HoldsTheSettingsAndFollowsTheFilesOfTheFolder) {
    TempDir plain;
    Session defaults(plain.path());
    EXPECT_EQ(&defaults.settings(), &defaults.statList().settings());
    EXPECT_EQ(&defaults.statList().draws(), &defaults.draws());
    EXPECT_GE(defaults.statList().methodWithCode("CHN7"), 0);  // 69 numbers in channels of 10
    EXPECT_TRUE(defaults.statList().allFavourites);

    TempDir wide;
    {
        std::ofstream ini(wide / "Tavlora_5d69.ini", std::ios::binary);
        ini << "[GLOBAL]\r\nChannelSize=20\r\n";
        std::ofstream flt(wide / "Tavlora_5d69.flt", std::ios::binary);
        flt << "[FILTERS]\r\nFavorites=NUMS,SUMS\r\n";
    }
    Session custom(wide.path());
    EXPECT_EQ(custom.settings().config.channelSize, 20);
    EXPECT_LT(custom.statList().methodWithCode("CHN7"), 0);  // the instance ranges follow the settings
    EXPECT_GE(custom.statList().methodWithCode("CHN4"), 0);
    const TStatList& list = custom.statList();
    EXPECT_FALSE(list.allFavourites);
    EXPECT_TRUE(list.item(list.methodWithCode("SUMS")).favourite);
    EXPECT_FALSE(list.item(list.methodWithCode("EVEN")).favourite);
}

TEST(SessionRegistry, CreatesTheCombinationListOnDemand) {
    TempDir dir;
    Session session(dir.path());
    EXPECT_GT(statMethodIndex(session.statList(), "NUMS"), -1);
    EXPECT_FALSE(session.hasCombList());
    TCombList& list = session.combList();
    EXPECT_TRUE(session.hasCombList());
    EXPECT_EQ(&list, &session.combList());
    EXPECT_EQ(list.bufferFile(), session.filePath(".~buff"));
}
