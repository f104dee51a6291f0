// Finding and reading a downloaded wheeling system and mapping it onto concrete numbers.
#include <fstream>
#include <gtest/gtest.h>

#include "stakes/systems.h"
#include "test_support.h"

namespace tavlora {
namespace {

using test::TempDir;

void writeText(const std::filesystem::path& p, const std::string& text) {
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary);
    out << text;
}

TEST(Systems, PositionsAreMappedOntoTheNumbersInOrderOfAppearance) {
    TempDir dir;
    const auto systems = dir / kSystemsFolder;
    EXPECT_EQ(systemFileName(12, 3, 42), "5-12-3_0042.dat");
    writeText(systems / systemFileName(6, 0, 7), "01 02 03 04 06\r\n02*03+04,05/06\r\n\r\n1:2;3=4\\5\n");
    writeText(systems / systemFileName(7, 0, 1), "01 02 03 04 05\r\n");  // another K
    writeText(systems / "5-06-x.dat", "09 09 09 09 09\r\n");             // not a system name

    ScriptedInteraction ui;
    const TByteArray numbers{3, 8, 15, 22, 31, 40};
    TSystemLookup r = findSystem(systems, numbers, &ui);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.file.filename(), "5-06-0_0007.dat");
    ASSERT_EQ(r.combinations.size(), 3u);
    EXPECT_EQ(r.combinations[0], (TComb{{3, 8, 15, 22, 40}}));
    EXPECT_EQ(r.combinations[1], (TComb{{8, 15, 22, 31, 40}}));
    EXPECT_EQ(r.combinations[2], (TComb{{3, 8, 15, 22, 31}}));
    EXPECT_TRUE(ui.messages.empty());

    // The first file in name order wins when several are present.
    writeText(systems / systemFileName(6, 0, 3), "06 05 04 03 02\r\n");
    r = findSystem(systems, numbers, nullptr);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.file.filename(), "5-06-0_0003.dat");
    EXPECT_EQ(r.combinations[0], (TComb{{40, 31, 22, 15, 8}}));
}

TEST(Systems, MissingOrBrokenSystemsAreReported) {
    TempDir dir;
    const auto systems = dir / kSystemsFolder;
    ScriptedInteraction ui;
    TSystemLookup r = findSystem(systems, TByteArray{1, 2, 3, 4, 5, 6, 7, 8}, &ui);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "Система для 8 чисел не найдена или не загружена на компьютер!");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(ui.messages[0].text,
              "Система для 8 чисел не найдена или не загружена на компьютер!\r\rПеред системной игрой необходимо "
              "предварительно загрузить системы на Ваш компьютер через меню \"Системы\" - \"Загрузить\".");

    // A position beyond K would read outside the numbers: refused with the load error.
    writeText(systems / systemFileName(6, 0, 1), "01 02 03 04 05\r\n01 02 03 04 07\r\n");
    ui.messages.clear();
    r = findSystem(systems, TByteArray{1, 2, 3, 4, 5, 6}, &ui);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.combinations.empty());
    EXPECT_EQ(r.error.rfind("Ошибка загрузки комбинаций системы!\r\r", 0), 0u);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, r.error);

    // A repeated position would make a stake with a repeated number.
    for (const char* bad : {"01 02 03 04\r\n", "01 02 03 04 05 06\r\n", "01 02 xx 04 05\r\n", "00 01 02 03 04\r\n",
                            "01 02 03 03 04\r\n"}) {
        writeText(systems / systemFileName(6, 0, 1), bad);
        EXPECT_FALSE(findSystem(systems, TByteArray{1, 2, 3, 4, 5, 6}, nullptr).ok) << bad;
    }
    // An empty system file has no combination to play, and says so (a scenario logs the text).
    writeText(systems / systemFileName(6, 0, 1), "\r\n");
    ui.messages.clear();
    r = findSystem(systems, TByteArray{1, 2, 3, 4, 5, 6}, &ui);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error.rfind("Ошибка загрузки комбинаций системы!\r\r", 0), 0u);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, r.error);
}

}  // namespace
}  // namespace tavlora
