// Placement, column widths and keys of any window section in the window-settings file.
#include <gtest/gtest.h>

#include <fstream>

#include "core/window_settings.h"
#include "test_support.h"

namespace tavlora {
namespace {

TEST(WindowSettings, EachSectionKeepsItsOwnPlacementWidthsAndKeys) {
    test::TempDir dir;
    const auto frm = dir.path() / "Tavlora_5d69.frm";
    EXPECT_FALSE(loadPlacement(frm, "TFormRepeats", 1920, 1080).valid);  // no file yet

    TWindowPlacement main{true, 10, 20, 800, 600, true, 120};
    TWindowPlacement repeats{true, 50, 60, 400, 300, false, 96};
    savePlacement(frm, "TFormMain", main, 1920, 1080);
    savePlacement(frm, "TFormRepeats", repeats, 1920, 1080);
    saveColumnWidths(frm, "TFormMain", "lvList", {10, 20});
    saveColumnWidths(frm, "TFormRepeats", "lvList", {50, 0, 70});
    writeWindowKey(frm, "TFormRepeats", "DrawsDeep", 25);

    const struct {
        const char* section;
        TWindowPlacement expected;
        std::vector<int> widths;
    } cases[] = {{"TFormMain", main, {10, 20}}, {"TFormRepeats", repeats, {50, 0, 70}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.section);
        const TWindowPlacement p = loadPlacement(frm, c.section, 1920, 1080);
        EXPECT_TRUE(p.valid);
        EXPECT_EQ(p.left, c.expected.left);
        EXPECT_EQ(p.top, c.expected.top);
        EXPECT_EQ(p.width, c.expected.width);
        EXPECT_EQ(p.height, c.expected.height);
        EXPECT_EQ(p.maximized, c.expected.maximized);
        EXPECT_EQ(p.pixelsPerInch, c.expected.pixelsPerInch);
        EXPECT_EQ(loadColumnWidths(frm, c.section, "lvList"), c.widths);
    }
    EXPECT_EQ(readWindowKey(frm, "TFormRepeats", "DrawsDeep", 100), 25);
    EXPECT_EQ(readWindowKey(frm, "TFormMain", "DrawsDeep", 100), 100);
    EXPECT_TRUE(loadColumnWidths(frm, "TFormChart", "lvList").empty());

    // A rectangle stored for another screen size still applies through the general key; one
    // stored for this size wins over it.
    TWindowPlacement small{true, 1, 2, 300, 200, false, 96};
    savePlacement(frm, "TFormRepeats", small, 1024, 768);
    EXPECT_EQ(loadPlacement(frm, "TFormRepeats", 1920, 1080).width, 400);
    EXPECT_EQ(loadPlacement(frm, "TFormRepeats", 1280, 1024).width, 300);  // the general key: last written
    EXPECT_EQ(loadPlacement(frm, "TFormRepeats", 1024, 768).width, 300);
}

TEST(WindowSettings, UnreadableRectanglesAndWidthsAreNotTakenAsData) {
    test::TempDir dir;
    const auto frm = dir.path() / "Tavlora_5d69.frm";
    std::ofstream(frm, std::ios::binary) << "[TFormRepeats]\r\nNormPos=10,20,5,40\r\nlvList_Columns=40,x,60,-5\r\n"
                                            "DrawsDeep=abc\r\n[TFormChart]\r\nNormPos=1,2,3\r\n[TFormInfo]\r\nNormPos=10,x,300,400\r\n"
                                            "[TFormTail]\r\nNormPos=10,20,300,400,\r\n[TFormGood]\r\nNormPos=10,20,300,400\r\n";
    EXPECT_FALSE(loadPlacement(frm, "TFormRepeats", 800, 600).valid);  // right edge left of the left one
    EXPECT_FALSE(loadPlacement(frm, "TFormChart", 800, 600).valid);    // three numbers
    EXPECT_FALSE(loadPlacement(frm, "TFormInfo", 800, 600).valid);     // an unreadable top
    EXPECT_FALSE(loadPlacement(frm, "TFormTail", 800, 600).valid);     // an empty fifth field
    EXPECT_TRUE(loadPlacement(frm, "TFormGood", 800, 600).valid);      // the same without it
    // The unreadable and negative widths leave their columns alone; 60 stays the third width.
    EXPECT_EQ(loadColumnWidths(frm, "TFormRepeats", "lvList"), (std::vector<int>{40, 0, 60, 0}));
    EXPECT_EQ(readWindowKey(frm, "TFormRepeats", "DrawsDeep", 100), 100);
}

}  // namespace
}  // namespace tavlora
