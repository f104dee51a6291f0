#pragma once
// A plain table written as a spreadsheet workbook (.xlsx): one sheet, a bold header row of column
// captions, numbers stored as numeric cells and texts as text cells, column widths in pixels.
// The window exports its lists through it and the command line writes the same tables.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tavlora {

// One cell: a number or a text.
struct TExportCell {
    bool isNumber = false;
    double number = 0;
    std::string text;

    static TExportCell ofNumber(double v) { return {true, v, {}}; }
    static TExportCell ofText(std::string t) { return {false, 0, std::move(t)}; }
    bool operator==(const TExportCell&) const = default;
};

struct TExportTable {
    std::string sheetName;              // a tab caption; made a valid sheet name when written
    std::vector<std::string> captions;  // the header row
    std::vector<int> widths;            // pixels per column; missing or <= 0: fitted to the texts
    std::vector<std::vector<TExportCell>> rows;
};

// The most data rows one sheet holds (the sheet's 1,048,576 rows less the header row).
inline constexpr int64_t kXlsxMaxDataRows = 1048575;
// The most columns one sheet holds.
inline constexpr int64_t kXlsxMaxColumns = 16384;

// Throws the EError "Таблица слишком велика для листа Excel ..." when a table of that size does
// not fit one sheet.
void checkXlsxTableSize(int64_t dataRows, int64_t columns);

// The cell a displayed text stands for: a whole decimal number ("-12", "+3", "3,75", "0.5"; "," or "."
// as the decimal point, at most 15 significant digits so that the value is exact) becomes a
// number, anything else (dates, combinations, percentages, empty texts) stays text.
TExportCell exportCellFromText(std::string_view text);
// A row of displayed texts as cells.
std::vector<TExportCell> exportRowFromTexts(const std::vector<std::string>& texts);

// A valid sheet name for a caption: the characters []:*?/\ become "_", leading and trailing
// apostrophes are dropped, the name is cut to 31 characters (not bytes) and an empty result
// becomes "Лист1".
std::string exportSheetName(std::string_view caption);

// Pixel widths fitted to the longest text of each column (header included), for tables that come
// without widths.
std::vector<int> fittedColumnWidths(const TExportTable& table);

// Writes the workbook. The file is written beside the target under a temporary name and renamed
// over it, so that a failure never leaves half a workbook in place of an older file. Throws
// EError "Ошибка записи в файл "%s"!\r\r%s" on a write failure, and refuses a table with more
// rows or columns than a sheet holds ("Таблица слишком велика для листа Excel ...") before
// writing anything, rather than cutting it short.
void writeXlsxTable(const std::filesystem::path& file, const TExportTable& table);

}  // namespace tavlora
