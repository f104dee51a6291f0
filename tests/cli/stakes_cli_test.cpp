// End-to-end tests of `tavlora-cli stakes ...` and `tavlora-cli ratings ...` in a temporary folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

#include "cli_support.h"
#include "test_support.h"

using tavlora::test::TempDir;

namespace {

using tavlora::test::readTextFile;
using tavlora::test::textLines;

using tavlora::test::CliResult;

// Runs the program on the data folder "d" of dir, in the C locale (decimal point ".").
CliResult stakesCli(const TempDir& dir, const std::vector<std::string>& args) {
    return tavlora::test::runCli(dir.path(), args, "LC_ALL=C", {"--data", "d"});
}

const std::string kHeader =
    "№ тиража\tВид ставки\tМоя ставка\tВыборка\tРезультаты тиража\tСовпадений\tСовпадения\tПрофит\tКомментарий";
const std::string kSeparatorRow = "\t\t\t\t\t\t\t\t";
const std::string kComment = "Ставка \"вручную\"";

}  // namespace

TEST(CliStakes, AddCheckRateDeleteAndClear) {
    TempDir dir;
    std::filesystem::create_directories(dir / "d");
    {
        std::ofstream ini(dir / "d/Tavlora_5d69.ini", std::ios::binary);
        ini << "[STAKES]\r\nCost=2\r\nProfits=1\r\nProfit_0_Overlap=2\r\nProfit_0_Profit=10\r\n";
    }
    ASSERT_EQ(stakesCli(dir, {"archive", "add", "--numbers", "1;2;3;4;5;6", "--number", "1"}).status, 0);
    ASSERT_EQ(stakesCli(dir, {"archive", "add", "--numbers", "6;7;8;9;10;6"}).status, 0);

    // A stake for three draws from the next one (3): copies separated by empty rows.
    CliResult r = stakesCli(dir, {"stakes", "add", "--numbers", "69;5;33;12;41", "--draws", "3"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Ставок: 5\n");
    r = stakesCli(dir, {"stakes", "list"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string pending = "\tВручную\t5;12;33;41;69\t0\t\t\t\t-2.00\t" + kComment;
    EXPECT_EQ(textLines(r.out), (std::vector<std::string>{kHeader, "3" + pending, kSeparatorRow, "4" + pending,
                                                         kSeparatorRow, "5" + pending}));

    // The checks of the stake dialog.
    for (const char* bad : {"5;5;12;33;41", "5;12;33;41;70", "5;12;33;41"}) {
        r = stakesCli(dir, {"stakes", "add", "--numbers", bad});
        EXPECT_EQ(r.status, 1) << bad;
        EXPECT_NE(r.err.find("Введена некорректная комбинация!"), std::string::npos) << r.err;
    }
    r = stakesCli(dir, {"stakes", "add", "--numbers", "1;2;3;4;5", "--comment", " "});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Необходимо ввести комментарий!"), std::string::npos) << r.err;
    EXPECT_EQ(stakesCli(dir, {"stakes", "add", "--numbers", "1;2;3;4;5", "--draws", "0"}).status, 2);
    EXPECT_EQ(std::filesystem::file_size(dir / "d/Tavlora_5d69.lsk"), 5u * 312u);

    // Draw 3 arrives: the next check applies it (2 matches: prize 10 minus the cost 2).
    ASSERT_EQ(stakesCli(dir, {"archive", "add", "--numbers", "22;12;20;21;5;7"}).status, 0);
    r = stakesCli(dir, {"stakes", "check"});
    ASSERT_EQ(r.status, 0) << r.err;
    r = stakesCli(dir, {"stakes", "list"});
    auto rows = textLines(r.out);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[1], "3\tВручную\t5;12;33;41;69\t0\t22;12;20;21;5\t2\t5 12\t8.00\t" + kComment);
    EXPECT_EQ(rows[3], "4" + pending);

    r = stakesCli(dir, {"ratings", "list", "--mode", "0"});
    ASSERT_EQ(r.status, 0) << r.err;
    rows = textLines(r.out);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].rfind("Комментарий\tСтавок\t", 0), 0u);
    EXPECT_EQ(rows[1], kComment + "\t1\t2\t2.000\t8.00\t8.00\t0\t0\t1\t0\t0\t0\t1\t0\t0\t0\t0\t0");
    r = stakesCli(dir, {"ratings", "export", "rating.csv"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(readTextFile(dir / "rating.csv").find(";1;2;2.000;8.00;8.00;0;0;1;0;0;0;-67.843%;-28.268%;96.293%;-0.179%;-0.003%;-0.000%\r\n"), std::string::npos);

    // Deleting by condition touches checked stakes only.
    ASSERT_EQ(stakesCli(dir, {"stakes", "delete", "--where", "<= 1"}).status, 0);
    EXPECT_EQ(textLines(stakesCli(dir, {"stakes", "list"}).out).size(), 6u);
    r = stakesCli(dir, {"stakes", "delete", "--where", ">=2"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Ставок: 4\n");
    EXPECT_EQ(stakesCli(dir, {"stakes", "delete", "--where", "~ 1"}).status, 2);

    // Deleting rows is a question of the program.
    r = stakesCli(dir, {"stakes", "delete", "--rows", "1-2"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(std::filesystem::file_size(dir / "d/Tavlora_5d69.lsk"), 4u * 312u);
    r = stakesCli(dir, {"--yes", "stakes", "delete", "--rows", "1-2"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(textLines(stakesCli(dir, {"stakes", "list"}).out),
              (std::vector<std::string>{kHeader, kSeparatorRow, "5" + pending}));
    EXPECT_EQ(stakesCli(dir, {"stakes", "delete", "--rows", "2-9"}).status, 1);

    // Clearing asks; the rating survives a refused refresh question and empties on a yes.
    EXPECT_EQ(stakesCli(dir, {"stakes", "clear"}).status, 1);
    EXPECT_EQ(std::filesystem::file_size(dir / "d/Tavlora_5d69.lsk"), 2u * 312u);
    r = stakesCli(dir, {"ratings", "refresh"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Рейтинг: 1\n");
    r = stakesCli(dir, {"--yes", "stakes", "clear"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Ставок: 0\n");
    EXPECT_EQ(std::filesystem::file_size(dir / "d/Tavlora_5d69.lsk"), 0u);
    EXPECT_EQ(textLines(stakesCli(dir, {"ratings", "list"}).out).size(), 1u);
    EXPECT_EQ(stakesCli(dir, {"ratings", "export", "empty.csv"}).status, 1);
}

TEST(CliStakes, OldStakesFileIsReportedAndEmptied) {
    TempDir dir;
    std::filesystem::create_directories(dir / "d");
    {
        std::ofstream lsk(dir / "d/Tavlora_5d69.lsk", std::ios::binary);
        lsk << std::string(313, '\2');
    }
    CliResult r = stakesCli(dir, {"stakes", "list"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("Обнаружен файл ставок устаревшей версии - имеющиеся в файле ставки будут удалены!"),
              std::string::npos);
    EXPECT_EQ(textLines(r.out).size(), 1u);
    EXPECT_EQ(std::filesystem::file_size(dir / "d/Tavlora_5d69.lsk"), 0u);
}
