// The main window's keys in <base>.frm: defaults, round trips, shutdown-only writes, placement and
// column widths.
#include <gtest/gtest.h>

#include "core/ini_file.h"
#include "session/form_settings.h"
#include "test_support.h"

using namespace tavlora;
using tavlora::test::TempDir;

TEST(FormSettings, MissingFrmGivesDefaultsAndKeysRoundTrip) {
    TempDir dir;
    const auto frm = dir / "Tavlora_5d69.frm";
    const auto s = loadFormSettings(frm);
    EXPECT_EQ(s, TFormMainSettings{});
    EXPECT_EQ(s.leftPanelWidth, 335);
    EXPECT_EQ(s.drawsStatLen, 1000);
    EXPECT_EQ(s.layoutCompareLen[4], 400);
    EXPECT_EQ(s.ratingsEffMode, 1);
    EXPECT_EQ(s.scriptLibraryFilter, 2);
    EXPECT_EQ(s.language, 1033);
    EXPECT_TRUE(s.autoUpdates && s.colorDraws && s.tabGraphs && s.systemsEnabled && s.stakesCheckOnLine);
    EXPECT_TRUE(!s.sortedDraws && !s.firstRun && !s.prefetchsInit && !s.weekChartType);

    auto changed = s;
    changed.leftPanelWidth = 400;
    changed.layoutCompareLen[2] = 222;
    changed.sortedDraws = true;
    changed.downloadDrawsOnStart = 2;
    saveAllKeys(frm, changed);
    EXPECT_EQ(loadFormSettings(frm), changed);
    // Shutdown keys only: the flags keep what was written when they changed.
    auto later = changed;
    later.leftPanelWidth = 500;
    later.sortedDraws = false;
    saveShutdownKeys(frm, later);
    const auto read = loadFormSettings(frm);
    EXPECT_EQ(read.leftPanelWidth, 500);
    EXPECT_TRUE(read.sortedDraws);
    writeFormKey(frm, "SortedDraws", false);
    EXPECT_FALSE(loadFormSettings(frm).sortedDraws);
    IniFile ini(frm);
    EXPECT_EQ(ini.readString("TFormMain", "LayoutCompareLen3"), std::string("222"));
}

TEST(FormSettings, PlacementAndColumnWidthsRoundTrip) {
    TempDir dir;
    const auto frm = dir / "Tavlora_5d69.frm";
    EXPECT_FALSE(loadPlacement(frm, 1920, 1080).valid);
    TWindowPlacement p;
    p.left = 10, p.top = 20, p.width = 800, p.height = 600, p.maximized = true;
    savePlacement(frm, p, 1920, 1080);
    const auto r = loadPlacement(frm, 1920, 1080);
    EXPECT_TRUE(r.valid && r.maximized);
    EXPECT_EQ(r.width, 800);
    EXPECT_EQ(r.top, 20);
    saveColumnWidths(frm, "lvDraws", {60, 30, 30});
    EXPECT_EQ(loadColumnWidths(frm, "lvDraws"), (std::vector<int>{60, 30, 30}));
    EXPECT_TRUE(loadColumnWidths(frm, "lvOther").empty());
}
