#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "archive/draws_csv.h"
#include "core/error.h"
#include "session/session.h"
#include "test_support.h"

using namespace tavlora;
using tavlora::test::TempDir;

TEST(Session, OpensAMissingFolderWithDefaults) {
    TempDir dir;
    const auto data = dir / "nested/data";
    Session s(data);
    EXPECT_TRUE(std::filesystem::is_directory(data));
    EXPECT_EQ(s.dataDir(), data);
    EXPECT_EQ(s.filePath(".ldr"), data / "Tavlora_5d69.ldr");
    EXPECT_EQ(s.filePath(".ini"), data / "Tavlora_5d69.ini");
    EXPECT_TRUE(s.draws().empty());
    EXPECT_EQ(s.drawsOffset(), 0);
    EXPECT_EQ(s.analysisEndIndex(), -1);
    EXPECT_FALSE(s.sortedDraws());
    EXPECT_TRUE(s.archiveReadWhole());
    EXPECT_TRUE(s.startupMessages().empty());
    EXPECT_EQ(s.settings().config.matrixCols, 7);
    EXPECT_EQ(s.settings().config.channelSize, 10);
    // Nothing is written just by opening.
    EXPECT_FALSE(std::filesystem::exists(s.filePath(".ldr")));

    // A file standing where the folder should be is an error, not a crash.
    std::ofstream(dir / "plain").put('x');
    EXPECT_THROW(Session(dir / "plain"), EError);
}

TEST(Session, LoadsTheArchiveAndSettingsAndStartsAtOffsetZero) {
    TempDir dir;
    {
        std::ofstream ini(dir / "Tavlora_5d69.ini", std::ios::binary);
        ini << "[GLOBAL]\r\nMatrixCols=9\r\nChannelSize=5\r\n";
    }
    {
        Session s(dir.path());
        NullProgress progress;
        ScriptedInteraction ui;
        importDrawsCsv(s.archive(), std::filesystem::path(TAVLORA_SAMPLE_DIR) / "draws.csv", progress, ui);
        s.setDrawsOffset(5);
        s.setSortedDraws(true);
        EXPECT_EQ(s.analysisEndIndex(), 1389 - 5);
    }
    NullProgress progress;
    ScriptedInteraction ui;
    Session s(dir.path(), progress, ui);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(s.draws().size(), 1390u);
    EXPECT_EQ(s.drawsOffset(), 0);
    EXPECT_FALSE(s.sortedDraws());
    EXPECT_EQ(s.analysisEndIndex(), 1389);
    EXPECT_EQ(s.settings().config.matrixCols, 9);
    EXPECT_EQ(s.settings().config.channelSize, 5);

    s.setDrawsOffset(1390);
    EXPECT_EQ(s.analysisEndIndex(), -1);
    EXPECT_EQ(s.archive().actualDrawText(), "");

    // Analyses see the numbers in ascending order only when the switch is on.
    const TDraw& raw = s.draws()[0];
    EXPECT_EQ(s.drawForAnalysis(0), raw);
    s.setSortedDraws(true);
    TDraw sorted = s.drawForAnalysis(0);
    EXPECT_TRUE(std::is_sorted(sorted.nums.begin(), sorted.nums.end()));
    EXPECT_EQ(sorted.extra, raw.extra);
    EXPECT_EQ(sorted.number, raw.number);
    EXPECT_THROW(s.drawForAnalysis(1390), EError);
}

TEST(Session, AnUnreadableArchiveIsReportedAndMarked) {
    TempDir dir;
    std::filesystem::create_directory(dir / "Tavlora_5d69.ldr");
    Session quiet(dir.path());
    ASSERT_EQ(quiet.startupMessages().size(), 1u);
    EXPECT_EQ(quiet.startupMessages()[0].rfind("Ошибка чтения файла тиражей!\r\r", 0), 0u);
    EXPECT_FALSE(quiet.archiveReadWhole());

    NullProgress progress;
    ScriptedInteraction ui;
    Session s(dir.path(), progress, ui);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].kind, MessageKind::Error);
    EXPECT_TRUE(s.draws().empty());
}
