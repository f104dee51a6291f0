// Making stakes: the stake dialog's checks, stakes for many combinations and system play.
#include <fstream>
#include <gtest/gtest.h>

#include "archive/draw_archive.h"
#include "core/settings.h"
#include "core/text_forms.h"
#include "stakes/ratings.h"
#include "stakes/stake_actions.h"
#include "stakes/stakes_store.h"
#include "stakes/systems.h"
#include "test_support.h"

namespace tavlora {
namespace {

using test::TempDir;

std::vector<std::string> numberTexts(TStakesStore& store) {
    std::vector<std::string> out;
    for (const auto& r : store.readAll())
        out.push_back(r.isReal() ? std::to_string(r.drawNumber) + ":" + joinedForm(r.numbers, ";") : "-");
    return out;
}

TEST(StakeActions, StakeDialogChecks) {
    for (const char* bad : {"5;5;12;33;41", "5;12;33;41;70", "5;12;33;41", "5;12;33;41;0", "5 12 33 41 69", ""}) {
        const TStakeInput r = validateStakeInput(bad, "c");
        EXPECT_FALSE(r.ok) << bad;
        EXPECT_EQ(r.warning, "Введена некорректная комбинация!");
        EXPECT_EQ(r.focus, TStakeInput::Field::Numbers);
    }
    TStakeInput r = validateStakeInput("41,5;12; 33 ;69", "  ");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.warning, "Необходимо ввести комментарий!");
    EXPECT_EQ(r.focus, TStakeInput::Field::Comment);
    r = validateStakeInput("41,5;12; 33 ;69", "мой");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.numbers, (TComb{{5, 12, 33, 41, 69}}));

    EXPECT_EQ(stakeInputSum("5;12;x;3"), 20);
    EXPECT_EQ(stakeInputSum("5,12;;-3"), 14);
    EXPECT_EQ(stakeInputSum(""), 0);
}

TEST(StakeActions, ManualStakesForCombinationsAndCheckAfterAdding) {
    TempDir dir;
    TStakesStore store(dir / "Tavlora_5d69.lsk");
    store.open();
    TSettings settings;
    settings.config.stakeCost = 15000;
    settings.config.profits = {{1, 40000}};
    NullProgress progress;
    ScriptedInteraction ui;

    const TCombsArray combs{{{9, 1, 2, 3, 4}}, {{10, 11, 12, 13, 14}}};
    EXPECT_EQ(addManualStakes(store, combs, 10, 2, "multi", 777, settings, progress, ui), 2);
    EXPECT_EQ(numberTexts(store), (std::vector<std::string>{"10:1;2;3;4;9", "-", "11:1;2;3;4;9", "-",
                                                            "10:10;11;12;13;14", "-", "11:10;11;12;13;14"}));
    const TStakeRecord first = store.readRecord(TStakesStore::Origin::Start, 0);
    EXPECT_EQ(first.kind, 1);
    EXPECT_EQ(first.comment, "multi");
    EXPECT_EQ(first.listSize, 777);
    EXPECT_EQ(first.profit, -15000);
    // A failure stops the loop: draw numbers beyond the 32-bit range cannot be made.
    EXPECT_EQ(addManualStakes(store, combs, 2147483647, 2, "multi", 1, settings, progress, ui), 0);
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(store.recordCount(), 7);

    DrawArchive archive(dir / "Tavlora_5d69.ldr");
    TDraw d;
    d.number = 10;
    d.nums = {9, 50, 51, 52, 53};
    archive.append(d);
    TRatings ratings(dir / "Tavlora_5d69.lrt");
    TStakeRecord s = newManualStake(archive, settings, 5, TComb{{60, 61, 62, 63, 9}});
    s.drawNumber = 10;
    ui.messages.clear();
    ASSERT_TRUE(addStakeAndCheck(store, s, 1, archive, settings, ratings, progress, ui));
    const TStakeRecord last = store.readRecord(TStakesStore::Origin::End, -1);
    EXPECT_TRUE(last.checked);
    EXPECT_EQ(last.matchCount(), 1);
    EXPECT_EQ(last.profit, 25000);
    EXPECT_TRUE(store.readRecord(TStakesStore::Origin::Start, 0).checked);  // the earlier stakes for 10 too
    EXPECT_EQ(ratings.count(), 2);
    EXPECT_TRUE(ui.messages.empty());
}

TEST(StakeActions, SystemPlayAllOrOnlyCombinationsOfTheList) {
    TempDir dir;
    const auto systems = dir / kSystemsFolder;
    std::filesystem::create_directories(systems);
    {
        std::ofstream out(systems / systemFileName(6, 0, 7), std::ios::binary);
        out << "01 02 03 04 06\r\n01 02 03 04 05\r\n";
    }
    // The list's distinct numbers in order of appearance are 3, 8, 15, 22, 31, 40.
    const TCombsArray list{{{3, 8, 15, 22, 40}}, {{31, 3, 8, 15, 22}}, {{3, 8, 15, 22, 31}}};
    const TByteArray numbers = distinctNumbers(list);
    ASSERT_EQ(numbers, (TByteArray{3, 8, 15, 22, 40, 31}));
    // Positions map onto the numbers in that order: line 01 02 03 04 06 gives 3;8;15;22;31.
    const TSystemLookup system = findSystem(systems, numbers, nullptr);
    ASSERT_TRUE(system.ok);
    EXPECT_EQ(systemPlayComment(TSystemPlayMode::All, 6, system.file),
              "Системная игра для 6 чисел [вся система]: 5-06-0_0007");
    EXPECT_EQ(systemPlayComment(TSystemPlayMode::Filtered, 6, system.file),
              "Системная игра для 6 чисел [комбинации]: 5-06-0_0007");

    TStakesStore store(dir / "Tavlora_5d69.lsk");
    store.open();
    TSettings settings;
    settings.config.stakeCost = 10000;
    NullProgress progress;
    ScriptedInteraction ui;
    TStakeRecord manual;
    manual.kind = 1;
    manual.drawNumber = 5;
    manual.numbers = shemaOf(TComb{{1, 2, 3, 4, 5}});
    ASSERT_TRUE(store.addStakes(manual, 1, ui));

    TSystemPlayResult r = addSystemStakes(store, system, TSystemPlayMode::Filtered, list, 6, 1, "f",
                                          TStakeKind::System, settings, progress, ui);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.added, 2);
    EXPECT_EQ(numberTexts(store), (std::vector<std::string>{"5:1;2;3;4;5", "-", "6:3;8;15;22;31", "6:3;8;15;22;40"}));
    const TStakeRecord s = store.readRecord(TStakesStore::Origin::End, -1);
    EXPECT_EQ(s.kind, 4);
    EXPECT_EQ(s.listSize, 3);
    EXPECT_EQ(s.profit, -10000);
    EXPECT_EQ(s.comment, "f");

    const TCombsArray shortList{{{3, 8, 15, 22, 40}}};
    r = addSystemStakes(store, system, TSystemPlayMode::Filtered, shortList, 7, 1, "f", TStakeKind::Scenario, settings,
                        progress, ui);
    EXPECT_EQ(r.added, 1);
    r = addSystemStakes(store, system, TSystemPlayMode::All, shortList, 8, 1, "a", TStakeKind::System, settings,
                        progress, ui);
    EXPECT_EQ(r.added, 2);
    EXPECT_EQ(store.readRecord(TStakesStore::Origin::End, -1).listSize, 2);
    EXPECT_EQ(store.recordCount(), 9);
    EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
}  // namespace tavlora
