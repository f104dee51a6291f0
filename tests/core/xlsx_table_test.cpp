// The cell and sheet-name rules of the spreadsheet export (the written workbook itself is read
// back by an independent reader in tests/cli/cli_xlsx_test.cpp).
#include <gtest/gtest.h>

#include "core/error.h"
#include "core/xlsx_table.h"
#include "test_support.h"

namespace tavlora {
namespace {

TEST(XlsxTable, DisplayedTextsBecomeNumbersOnlyWhenTheyAreWholeNumbers) {
    struct Case {
        const char* text;
        bool number;
        double value;
    };
    const Case cases[] = {
        {"1390", true, 1390},       {"-12", true, -12},          {"+3", true, 3},
        {"3,75", true, 3.75},       {"0.5", true, 0.5},          {"007", true, 7},
        {"123456789012345", true, 123456789012345.0},
        {"1234567890123456", false, 0},  // 16 digits would not be exact
        {"0,000000000000001", true, 1e-15},
        {"", false, 0},             {"-", false, 0},             {"+", false, 0},
        {"1.", false, 0},           {",5", false, 0},            {"1,2,3", false, 0},
        {"08/05/2026", false, 0},   {"8;14;20;30;59", false, 0}, {"-34.509%", false, 0},
        {"1 2", false, 0},          {"12a", false, 0},           {"--1", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const TExportCell cell = exportCellFromText(c.text);
        EXPECT_EQ(cell.isNumber, c.number);
        if (c.number) EXPECT_DOUBLE_EQ(cell.number, c.value);
        else EXPECT_EQ(cell.text, c.text);
    }
}

TEST(XlsxTable, SheetNamesFollowTheSpreadsheetRules) {
    const std::pair<const char*, const char*> cases[] = {
        {"Архив тиражей", "Архив тиражей"},
        {"a[b]c:d*e?f/g\\h", "a_b_c_d_e_f_g_h"},
        {"'Рейтинг'", "Рейтинг"},
        {"''", "Лист1"},
        {"", "Лист1"},
        // 31 characters at most, counted as characters, not UTF-8 bytes.
        {"Статистика по всем тиражам архива за год", "Статистика по всем тиражам архи"},
        // A cut that leaves an apostrophe at the end drops it.
        {"123456789012345678901234567890'x", "123456789012345678901234567890"},
    };
    for (const auto& [caption, expected] : cases) EXPECT_EQ(exportSheetName(caption), expected) << caption;
}

TEST(XlsxTable, RefusesTablesLargerThanASheetBeforeTouchingTheFile) {
    test::TempDir dir;
    const auto file = dir.path() / "big.xlsx";
    EXPECT_NO_THROW(checkXlsxTableSize(kXlsxMaxDataRows, kXlsxMaxColumns));
    EXPECT_THROW(checkXlsxTableSize(kXlsxMaxDataRows + 1, 1), EError);
    EXPECT_THROW(checkXlsxTableSize(1, kXlsxMaxColumns + 1), EError);
    TExportTable wide;
    wide.captions.assign(static_cast<std::size_t>(kXlsxMaxColumns) + 1, "x");
    EXPECT_THROW(writeXlsxTable(file, wide), EError);
    EXPECT_FALSE(std::filesystem::exists(file));

    // A written workbook replaces an older file and leaves no temporary file beside it.
    TExportTable small;
    small.sheetName = "Ставки";
    small.captions = {"a", "b"};
    small.rows = {exportRowFromTexts({"1", "x"})};
    writeXlsxTable(file, small);
    writeXlsxTable(file, small);
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++files;
    EXPECT_EQ(files, 1);
    const auto written = std::filesystem::file_size(file);
    EXPECT_GT(written, 0u);

    // A cell the sheet cannot hold (a text over 32,767 characters) fails the export: the earlier
    // workbook stays as it was and no temporary file is left.
    TExportTable tooLong = small;
    tooLong.rows.push_back({TExportCell::ofText(std::string(40000, 'x'))});
    EXPECT_THROW(writeXlsxTable(file, tooLong), EError);
    EXPECT_EQ(std::filesystem::file_size(file), written);
    files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++files;
    EXPECT_EQ(files, 1);
}

}  // namespace
}  // namespace tavlora
