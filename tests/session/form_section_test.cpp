// A dialog's own section of <base>.frm: placement, integers and column widths kept apart from the
// main window's keys and from other sections.
#include <gtest/gtest.h>

#include "core/ini_file.h"
#include "session/form_section.h"
#include "test_support.h"

using namespace tavlora;
using tavlora::test::TempDir;

TEST(FormSection, KeysRoundTripInTheirOwnSection) {
    TempDir dir;
    const auto frm = dir / "Tavlora_5d69.frm";
    const TFormSectionKeys repeats(frm, "TFormRepeats");
    const TFormSectionKeys graph(frm, "TFormGraph");
    // Nothing stored: defaults.
    EXPECT_FALSE(repeats.placement(1920, 1080).valid);
    EXPECT_EQ(repeats.readInteger("DrawsDeep", 100), 100);
    EXPECT_TRUE(repeats.columnWidths("lvList").empty());

    TWindowPlacement main;
    main.left = 1, main.top = 2, main.width = 1000, main.height = 700;
    savePlacement(frm, main, 1920, 1080);
    TWindowPlacement p;
    p.left = 30, p.top = 40, p.width = 700, p.height = 450;
    repeats.savePlacement(p, 1920, 1080);
    repeats.writeInteger("DrawsDeep", 7);
    repeats.writeInteger("GraphHeight", 123);
    repeats.saveColumnWidths("lvList", {60, 80, 0, 300});

    const auto r = repeats.placement(1920, 1080);
    EXPECT_TRUE(r.valid);
    EXPECT_FALSE(r.maximized);
    EXPECT_EQ((std::array<int, 4>{r.left, r.top, r.width, r.height}), (std::array<int, 4>{30, 40, 700, 450}));
    // Another screen size falls back to the general rectangle.
    EXPECT_EQ(repeats.placement(800, 600).width, 700);
    EXPECT_EQ(repeats.readInteger("DrawsDeep", 100), 7);
    EXPECT_EQ(repeats.readInteger("GraphHeight", 0), 123);
    EXPECT_EQ(repeats.columnWidths("lvList"), (std::vector<int>{60, 80, 0, 300}));
    // The other sections keep their own values.
    EXPECT_FALSE(graph.placement(1920, 1080).valid);
    EXPECT_EQ(graph.readInteger("DrawsDeep", 5), 5);
    EXPECT_EQ(loadPlacement(frm, 1920, 1080).width, 1000);
    EXPECT_EQ(IniFile(frm).readString("TFormRepeats", "NormPos"), "30,40,730,490");

    // A stored rectangle that is not one (no width, no height, edges swapped, not four numbers) is
    // ignored; a one-pixel rectangle is taken.
    const std::pair<const char*, bool> rects[] = {{"500,10,100,400", false}, {"10,10,10,400", false},
                                                  {"10,10,200,10", false},   {"10,400,200,10", false},
                                                  {"10,10,200", false},      {"10,10,11,11", true}};
    for (const auto& [rect, valid] : rects) {
        IniFile ini(frm);
        ini.writeString("TFormGraph", "NormPos", rect);
        ini.save();
        EXPECT_EQ(graph.placement(1920, 1080).valid, valid) << rect;
    }
}
