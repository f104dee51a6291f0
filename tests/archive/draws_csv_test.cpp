#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "archive/draws_csv.h"
#include "core/error.h"
#include "test_support.h"

using namespace tavlora;
using tavlora::test::TempDir;

namespace {

std::string fileBytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeBytes(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::vector<int> numbersOf(const DrawArchive& a) {
    std::vector<int> v;
    for (const auto& d : a.draws()) v.push_back(d.number);
    return v;
}

}  // namespace

TEST(DrawsCsv, RealArchiveRoundTripsByteForByte) {
    TempDir dir;
    const auto sample = std::filesystem::path(TAVLORA_SAMPLE_DIR) / "draws.csv";
    const auto ldr = dir / "Tavlora_5d69.ldr";
    NullProgress progress;
    ScriptedInteraction ui;
    DrawArchive a(ldr);
    a.load(progress, ui);
    EXPECT_EQ(importDrawsCsv(a, sample, progress, ui), 1390);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(a.archiveStatusText(), "Архив тиражей: 1390");
    EXPECT_EQ(a.nextDrawStatusText(), "Следующий тираж: 1391");
    EXPECT_EQ(std::filesystem::file_size(ldr), 1390u * 24u);
    // Every stored date fits the record and the extra bytes of the record stay zero.
    for (const auto& d : a.draws()) {
        EXPECT_EQ(d.dateLen, 10);
        EXPECT_EQ(d.unused, (std::array<uint8_t, 3>{0, 0, 0}));
    }

    const auto out = dir / "out.csv";
    exportDrawsCsv(a, out, progress);
    EXPECT_EQ(fileBytes(out), fileBytes(sample));

    // A second import of the same file finds every number already there.
    EXPECT_EQ(importDrawsCsv(a, out, progress, ui), 0);
    EXPECT_EQ(a.count(), 1390);

    DrawArchive b(ldr);
    b.load(progress, ui);
    EXPECT_EQ(b.draws(), a.draws());
}

TEST(DrawsCsv, FieldSplittingRules) {
    using V = std::vector<std::string>;
    EXPECT_EQ(splitCsvFields("1;\"01/07/2009\";3;17"), (V{"1", "01/07/2009", "3", "17"}));
    EXPECT_EQ(splitCsvFields("  1 ; 2\t3  "), (V{"1", "2", "3"}));
    EXPECT_EQ(splitCsvFields("1;2;"), (V{"1", "2", ""}));
    EXPECT_EQ(splitCsvFields("1;;2"), (V{"1", "", "2"}));
    EXPECT_EQ(splitCsvFields("\"a \"\"b\"\" c\";2"), (V{"a \"b\" c", "2"}));
    EXPECT_EQ(splitCsvFields("\"a;b\";c"), (V{"a;b", "c"}));
    EXPECT_EQ(splitCsvFields("\"open"), (V{"open"}));
    EXPECT_EQ(splitCsvFields("\"a\"b;c"), (V{"a", "b", "c"}));
    EXPECT_EQ(splitCsvFields("01/07/2009 12:00;1"), (V{"01/07/2009", "12:00", "1"}));
    EXPECT_EQ(splitCsvFields(""), V{});

    TDraw d;
    d.number = 1;
    d.nums = {3, 17, 20, 40, 57};
    d.extra = 12;
    d.setDateText("01/07/2009");
    EXPECT_EQ(drawCsvLine(d), "1;\"01/07/2009\";3;17;20;40;57;12");
    d.setDateText("a\"b");
    EXPECT_EQ(drawCsvLine(d), "1;\"a\"\"b\";3;17;20;40;57;12");
    EXPECT_EQ(parseDrawCsvLine(drawCsvLine(d), 0), d);
}

TEST(DrawsCsv, ImportMergesLinesByTheirFieldCount) {
    TempDir dir;
    NullProgress progress;
    ScriptedInteraction ui;
    DrawArchive a(dir / "Tavlora_5d69.ldr");
    const auto csv = dir / "in.csv";
    writeBytes(csv,
               "\"01/07/2009\";3;17;20;40;57;12\r\n"           // seven fields: numbered 1
               "   \r\n"                                         // blank: skipped
               "\"01/10/2009\";1;2;3;4;5;6\r\n"                // numbered 2
               "\"01/14/2009\";1;2;3;4;5\r\n"                  // six fields: ignored
               "7;01/17/2009 12:00;1;2;3;4;5;6\r\n"            // unquoted date with a blank: ignored
               "9;\"01/21/2009\";300;x;-1;69;70;27\n"          // kept; unfit numbers read as 0
               "\"01/24/2009\";11;12;13;14;15;16\r\n"          // numbered 4 (length 3 + 1)
               "2;\"dup\";1;2;3;4;5;6\r\n"                     // number 2 exists: ignored
               "0;\"zero\";1;2;3;4;5;6\r\n"                    // not positive: ignored
               "-5;\"neg\";1;2;3;4;5;6\r\n"
               "99999999999;\"big\";1;2;3;4;5;6\r\n"           // does not fit: ignored
               "8;\"01/28/2009 extra\";1;2;3;4;5;6;\r\n"       // nine fields (";" at the end): ignored
               "5;\"02/01/2009xyz\";1;2;3;4;5;6");             // last line without line end
    EXPECT_EQ(importDrawsCsv(a, csv, progress, ui), 5);
    EXPECT_EQ(numbersOf(a), (std::vector<int>{1, 2, 9, 4, 5}));
    EXPECT_EQ(a.at(0).dateText(), "01/07/2009");
    EXPECT_EQ(a.at(0).nums, (std::array<uint8_t, 5>{3, 17, 20, 40, 57}));
    EXPECT_EQ(a.at(0).extra, 12);
    EXPECT_EQ(a.at(2).nums, (std::array<uint8_t, 5>{0, 0, 0, 69, 70}));
    EXPECT_EQ(a.at(2).extra, 27);
    EXPECT_EQ(a.at(4).dateText(), "02/01/2009");  // cut to 10 characters
    EXPECT_EQ(std::filesystem::file_size(dir / "Tavlora_5d69.ldr"), 5u * 24u);

    // Older draws go after the newest one: the archive is not re-sorted.
    writeBytes(csv, "3;\"01/12/2009\";1;2;3;4;5;6\r\n");
    EXPECT_EQ(importDrawsCsv(a, csv, progress, ui), 1);
    EXPECT_EQ(numbersOf(a), (std::vector<int>{1, 2, 9, 4, 5, 3}));
    EXPECT_TRUE(ui.messages.empty());
}

TEST(DrawsCsv, UnreadableOrUnwritableFilesChangeNothing) {
    TempDir dir;
    NullProgress progress;
    ScriptedInteraction ui;
    const auto ldr = dir / "Tavlora_5d69.ldr";
    DrawArchive a(ldr);
    const auto csv = dir / "in.csv";
    writeBytes(csv, "1;\"01/07/2009\";3;17;20;40;57;12\r\n");
    importDrawsCsv(a, csv, progress, ui);
    const std::string before = fileBytes(ldr);

    EXPECT_THROW(importDrawsCsv(a, dir / "missing.csv", progress, ui), EError);
    std::filesystem::create_directory(dir / "folder.csv");
    try {
        importDrawsCsv(a, dir / "folder.csv", progress, ui);
        ADD_FAILURE() << "a folder was read as a file";
    } catch (const EError& e) {
        EXPECT_EQ(std::string(e.what()), std::strerror(EISDIR));
    }
    EXPECT_EQ(a.count(), 1);
    EXPECT_EQ(fileBytes(ldr), before);

    // Export onto a folder fails with the system's message and leaves the folder alone.
    std::filesystem::create_directories(dir / "out.csv" / "x");
    EXPECT_THROW(exportDrawsCsv(a, dir / "out.csv", progress), EError);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "out.csv" / "x"));
    EXPECT_TRUE(ui.messages.empty());
}
