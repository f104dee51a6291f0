// End-to-end tests of `tavlora-cli archive ...`: the built program runs in a temporary folder.
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

using CliRun = tavlora::test::CliResult;

void writeTextFile(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
}

// Runs the program in dir with the given arguments; stdout and stderr are captured.
CliRun cli(const TempDir& dir, const std::vector<std::string>& args) {
    return tavlora::test::runCli(dir.path(), args, "", {});
}

const std::string kSample = tavlora::test::sampleCsv();

}  // namespace

// A file of random bytes imported as CSV adds nothing, says why and exits 1; a file with some
// valid lines adds those and names the skipped ones.
TEST(CliArchive, ImportOfGarbageChangesNothing) {
    TempDir dir;
    ASSERT_EQ(cli(dir, {"--data", "d", "archive", "add", "--number", "7", "--numbers", "1;2;3;4;5;6"}).status, 0);
    const std::string before = readTextFile(dir / "d/Tavlora_5d69.ldr");
    std::string garbage;
    uint32_t x = 12345;
    for (int i = 0; i < 4000; ++i) {
        x = x * 1103515245u + 12345u;
        garbage += static_cast<char>((x >> 16) & 0xFF);
        if (i % 37 == 0) garbage += ";0;0;0;0;0;0\r\n";
    }
    writeTextFile(dir / "garbage.csv", garbage);
    CliRun r = cli(dir, {"--data", "d", "archive", "import", "garbage.csv"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("В файле нет ни одной строки с верным тиражом"), std::string::npos) << r.err;
    EXPECT_EQ(readTextFile(dir / "d/Tavlora_5d69.ldr"), before);

    writeTextFile(dir / "mixed.csv", "x;y\r\n8;\"01/10/2009\";9;8;7;6;5;4\r\n8;\"01/10/2009\";9;8;7;6;5;40\r\n");
    r = cli(dir, {"--data", "d", "archive", "import", "mixed.csv"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Добавлено тиражей: 1\nПропущено строк: 2\n");
    EXPECT_NE(r.err.find("(строки 1, 3)"), std::string::npos) << r.err;
    EXPECT_EQ(std::filesystem::file_size(dir / "d/Tavlora_5d69.ldr"), 48u);
}

TEST(CliArchive, ImportStatusListAndExportOfTheRealArchive) {
    TempDir dir;
    CliRun r = cli(dir, {"--data", "d", "archive", "import", kSample});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Добавлено тиражей: 1390\n");
    EXPECT_EQ(std::filesystem::file_size(dir / "d/Tavlora_5d69.ldr"), 1390u * 24u);

    r = cli(dir, {"--data", "d", "archive", "status"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Архив тиражей: 1390\nСледующий тираж: 1391\n\n");

    // The offset at the last list position shows the draw that came after it (draw 2).
    r = cli(dir, {"--data", "d", "--offset", "1389", "archive", "status"});
    EXPECT_EQ(r.out, "Архив тиражей: 1390\nСледующий тираж: 2\n12;27;29;43;68\n");

    r = cli(dir, {"--data", "d", "archive", "export", "copy.csv"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readTextFile(dir / "copy.csv"), readTextFile(kSample));

    r = cli(dir, {"--data", "d", "archive", "import", "copy.csv"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Добавлено тиражей: 0\n");
    EXPECT_EQ(std::filesystem::file_size(dir / "d/Tavlora_5d69.ldr"), 1390u * 24u);

    // Newest first; the first line of the sample is draw 1 of 10/07/2015: 18 30 40 48 52, extra 9.
    r = cli(dir, {"--data", "d", "archive", "list"});
    EXPECT_EQ(r.status, 0);
    auto rows = textLines(r.out);
    ASSERT_EQ(rows.size(), 1391u);
    EXPECT_EQ(rows[0], "Тираж\t1\t2\t3\t4\t5\tE\tS\tДата тиража");
    EXPECT_EQ(rows[1390], "1\t18\t30\t40\t48\t52\t9\t188\t10/07/2015");
    EXPECT_EQ(rows[1].rfind("1390\t", 0), 0u);

    r = cli(dir, {"--data", "d", "archive", "list", "--last", "2"});
    EXPECT_EQ(textLines(r.out).size(), 3u);
}

TEST(CliArchive, SortedListShowsAscendingNumbers) {
    TempDir dir;
    std::ofstream(dir / "in.csv", std::ios::binary) << "7;\"03/14/2015\";40;3;17;57;20;12\r\n";
    ASSERT_EQ(cli(dir, {"archive", "import", "in.csv"}).status, 0);  // default data folder: here
    EXPECT_TRUE(std::filesystem::exists(dir / "Tavlora_5d69.ldr"));
    CliRun r = cli(dir, {"archive", "list"});
    EXPECT_EQ(textLines(r.out).at(1), "7\t40\t3\t17\t57\t20\t12\t137\t03/14/2015");
    r = cli(dir, {"--sorted", "archive", "list"});
    EXPECT_EQ(textLines(r.out).at(1), "7\t3\t17\t20\t40\t57\t12\t137\t03/14/2015");
}

TEST(CliArchive, AddEditAndDeleteDraws) {
    TempDir dir;
    const auto ldr = dir / "Tavlora_5d69.ldr";
    CliRun r = cli(dir, {"archive", "add", "--numbers", "1;2;3;4;5;26", "--date", "01/07/2009"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Тираж № 1 от 01/07/2009, значения: 1;2;3;4;5 e:26\n");
    for (const char* nums : {"10;20;30;40;50;1", "11;21;31;41;51;2", "12;22;32;42;52;3", "13;23;33;43;53;4"})
        ASSERT_EQ(cli(dir, {"archive", "add", "--numbers", nums}).status, 0);
    EXPECT_EQ(cli(dir, {"archive", "status"}).out, "Архив тиражей: 5\nСледующий тираж: 6\n\n");
    const std::string five = readTextFile(ldr);

    // Rejected input changes nothing.
    for (const char* bad : {"1;2;3;4;5", "1;1;2;3;4;5", "0;2;3;4;5;6", "1;2;3;4;70;6", "1;2;3;4;5;27"}) {
        r = cli(dir, {"archive", "add", "--numbers", bad});
        EXPECT_EQ(r.status, 1) << bad;
        EXPECT_NE(r.err.find("Введена некорректная комбинация!"), std::string::npos) << bad;
    }
    r = cli(dir, {"archive", "add", "--numbers", "1;2;3;4;5;6", "--number", "3"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Тираж № 3 уже есть в архиве!"), std::string::npos);
    EXPECT_EQ(cli(dir, {"archive", "add", "--numbers", "1;2;3;4;5;6", "--number", "0"}).status, 1);
    EXPECT_EQ(cli(dir, {"archive", "add", "--numbers", "1;2;3;4;5;6", "--date", "13/45/2009"}).status, 1);
    EXPECT_EQ(readTextFile(ldr), five);

    // Renumbering draw 2 puts the archive out of order; draw 2's new number is still found.
    r = cli(dir, {"archive", "edit", "2", "--number", "900"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Тираж № 900 от , значения: 10;20;30;40;50 e:1\n");
    r = cli(dir, {"archive", "edit", "900", "--numbers", "9;8;7;6;5;4", "--date", "02/02/2010"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Тираж № 900 от 02/02/2010, значения: 9;8;7;6;5 e:4\n");
    EXPECT_EQ(cli(dir, {"archive", "edit", "2"}).status, 1);
    EXPECT_EQ(cli(dir, {"archive", "edit", "900", "--number", "4"}).status, 1);
    EXPECT_EQ(cli(dir, {"archive", "edit", "900", "--numbers", "1;2;3"}).status, 1);

    // Deleting: an unknown number stops everything; without --yes the question is refused.
    const std::string before = readTextFile(ldr);
    r = cli(dir, {"--yes", "archive", "delete", "4", "77", "1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Тираж № 77 не найден в архиве!"), std::string::npos);
    EXPECT_EQ(cli(dir, {"archive", "delete", "4", "1"}).status, 1);
    EXPECT_EQ(readTextFile(ldr), before);

    r = cli(dir, {"--yes", "archive", "delete", "4", "900", "1"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Удалено тиражей: 3\n");
    auto rows = textLines(cli(dir, {"archive", "list"}).out);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1].rfind("5\t", 0), 0u);
    EXPECT_EQ(rows[2].rfind("3\t", 0), 0u);
    EXPECT_EQ(std::filesystem::file_size(ldr), 2u * 24u);
}

TEST(CliArchive, FailuresAndUsageErrors) {
    TempDir dir;
    // Usage errors: exit status 2 with the usage text.
    for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
             {"archive"}, {"archive", "bogus"}, {"archive", "add"}, {"archive", "list", "--last", "x"},
             {"archive", "import"}, {"archive", "delete"}, {"archive", "status", "--what"}}) {
        CliRun r = cli(dir, args);
        EXPECT_EQ(r.status, 2) << args.back();
        EXPECT_NE(r.err.find("archive status"), std::string::npos);
    }

    // A missing CSV file: the system's message, exit 1, nothing written.
    CliRun r = cli(dir, {"archive", "import", "missing.csv"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("No such file or directory"), std::string::npos);
    EXPECT_EQ(cli(dir, {"archive", "export", "x.csv"}).status, 1);  // nothing to export
    EXPECT_FALSE(std::filesystem::exists(dir / "x.csv"));

    // An archive file that cannot be read is reported and never overwritten.
    std::filesystem::create_directories(dir / "Tavlora_5d69.ldr/keep");
    r = cli(dir, {"archive", "status"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("Ошибка чтения файла тиражей!"), std::string::npos);
    EXPECT_EQ(cli(dir, {"archive", "add", "--numbers", "1;2;3;4;5;6"}).status, 1);
    EXPECT_EQ(cli(dir, {"archive", "import", kSample}).status, 1);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "Tavlora_5d69.ldr/keep"));
}
