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
    EXPECT_EQ(importDrawsCsv(a, sample, progress, ui).added, 1390);
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
    EXPECT_EQ(importDrawsCsv(a, out, progress, ui).added, 0);
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
               "\"01/07/2009\";3;17;20;40;57;12\r\n"           // 1: seven fields, numbered 1
               "   \r\n"                                         // 2: blank, not counted
               "\"01/10/2009\";1;2;3;4;5;6\r\n"                // 3: numbered 2
               "\"01/14/2009\";1;2;3;4;5\r\n"                  // 4: six fields
               "7;01/17/2009 12:00;1;2;3;4;5;6\r\n"            // 5: unquoted date with a blank
               "9;\"01/21/2009\";9;10;11;69;1;26\n"            // 6: kept
               "\"01/24/2009\";11;12;13;14;15;16\r\n"          // 7: numbered 4 (length 3 + 1)
               "2;\"01/26/2009\";1;2;3;4;5;6\r\n"              // 8: number 2 exists: valid, not added
               "0;\"01/26/2009\";1;2;3;4;5;6\r\n"              // 9: not positive
               "8;\"01/28/2009 extra\";1;2;3;4;5;6;\r\n"       // 10: nine fields
               "5;\"02/01/2009xyz\";1;2;3;4;5;6");             // 11: cut to 10; no line end
    const DrawsCsvImport r = importDrawsCsv(a, csv, progress, ui);
    EXPECT_EQ(r.added, 5);
    EXPECT_EQ(r.valid, 6);
    EXPECT_EQ(r.skipped, 4);
    EXPECT_EQ(r.skippedLines, (std::vector<int>{4, 5, 9, 10}));
    EXPECT_EQ(numbersOf(a), (std::vector<int>{1, 2, 9, 4, 5}));
    EXPECT_EQ(a.at(0).dateText(), "01/07/2009");
    EXPECT_EQ(a.at(0).nums, (std::array<uint8_t, 5>{3, 17, 20, 40, 57}));
    EXPECT_EQ(a.at(0).extra, 12);
    EXPECT_EQ(a.at(4).dateText(), "02/01/2009");
    EXPECT_EQ(std::filesystem::file_size(dir / "Tavlora_5d69.ldr"), 5u * 24u);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].kind, MessageKind::Warning);
    EXPECT_EQ(ui.messages[0].text, "Пропущено строк, не содержащих верного тиража: 4 (строки 4, 5, 9, 10).");

    // Older draws go after the newest one: the archive is not re-sorted.
    ui.messages.clear();
    writeBytes(csv, "3;\"01/12/2009\";1;2;3;4;5;6\r\n");
    EXPECT_EQ(importDrawsCsv(a, csv, progress, ui).added, 1);
    EXPECT_EQ(numbersOf(a), (std::vector<int>{1, 2, 9, 4, 5, 3}));
    EXPECT_TRUE(ui.messages.empty());
}

// Each line holds one fault that would store a value the game cannot have; none becomes a draw.
TEST(DrawsCsv, LinesWithUnfitValuesAreSkippedAndNothingIsStored) {
    const std::vector<std::string> bad = {
        "1;\"01/07/2009\";0;17;20;40;57;12",      // main number 0
        "1;\"01/07/2009\";3;17;20;40;70;12",      // main number above 69
        "1;\"01/07/2009\";3;17;20;40;300;12",     // does not fit a byte
        "1;\"01/07/2009\";3;x;20;40;57;12",       // not a number
        "1;\"01/07/2009\";3;-1;20;40;57;12",      // negative
        "1;\"01/07/2009\";3;17;17;40;57;12",      // repeated main number
        "1;\"01/07/2009\";3;17;20;40;57;0",       // extra 0
        "1;\"01/07/2009\";3;17;20;40;57;27",      // extra above 26
        "1;\"13/07/2009\";3;17;20;40;57;12",      // month 13
        "1;\"02/30/2009\";3;17;20;40;57;12",      // no such day
        "1;\"\";3;17;20;40;57;12",                // no date
        "1;\"\x01\xff\x80garbage\";3;17;20;40;57;12",  // random bytes as date
        "99999999999;\"01/07/2009\";3;17;20;40;57;12",  // number does not fit
        "\x8f\x13\xfe;;\x01",                     // random bytes
    };
    TempDir dir;
    NullProgress progress;
    const auto ldr = dir / "Tavlora_5d69.ldr";
    const auto csv = dir / "in.csv";
    for (const std::string& line : bad) {
        SCOPED_TRACE(line);
        ScriptedInteraction ui;
        DrawArchive a(ldr);
        writeBytes(csv, line + "\r\n");
        const DrawsCsvImport r = importDrawsCsv(a, csv, progress, ui);
        EXPECT_EQ(r.added, 0);
        EXPECT_EQ(r.valid, 0);
        EXPECT_EQ(r.skippedLines, (std::vector<int>{1}));
        EXPECT_EQ(a.count(), 0);
        EXPECT_FALSE(std::filesystem::exists(ldr));
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].kind, MessageKind::Warning);
    }

    // Many skipped lines: the count and only the first five line numbers.
    std::string many;
    for (int i = 0; i < 8; ++i) many += bad[static_cast<size_t>(i)] + "\r\n";
    many += "1;\"01/07/2009\";3;17;20;40;57;12\r\n";
    writeBytes(csv, many);
    ScriptedInteraction ui;
    DrawArchive a(ldr);
    const DrawsCsvImport r = importDrawsCsv(a, csv, progress, ui);
    EXPECT_EQ(r.added, 1);
    EXPECT_EQ(skippedLinesText(r), "Пропущено строк, не содержащих верного тиража: 8 (строки 1, 2, 3, 4, 5, ...).");
    EXPECT_EQ(std::filesystem::file_size(ldr), 24u);
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
