#pragma once
// Exchange of the draw archive with semicolon-separated text files (Windows-1251, CR LF):
//   number;"mm/dd/yyyy";n1;n2;n3;n4;n5;extra
// Import also takes seven-field lines without the number (the date first).
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "archive/draw_archive.h"
#include "core/progress.h"
#include "core/records.h"

namespace tavlora {

inline constexpr const char* kDrawsExportText = "Экспорт тиражей в файл \"%s\"...";
inline constexpr const char* kDrawsImportText = "Импорт тиражей из файла \"%s\"...";
inline constexpr const char* kNoValidDrawLines = "В файле нет ни одной строки с верным тиражом: архив не изменён.";

// One line of the file for a draw (without the line end). The date text is quoted, a quote
// inside it doubled; numbers in stored order.
std::string drawCsvLine(const TDraw& draw);
// The whole file for the draws, oldest first, each line ended by CR LF.
std::string drawsCsvText(const TDrawsArray& draws);

// Splits a line into fields: a field beginning with a double quote runs to its closing quote
// (a doubled quote inside stands for one); any other field runs to the next ";" or the next
// character with code 32 or below; blanks and one ";" separate fields; a ";" at the very end
// adds an empty last field.
std::vector<std::string> splitCsvFields(std::string_view line);

// The draw a line describes. archiveLength numbers a seven-field line (length + 1). Lines of
// another field count give number 0. Numbers that do not read as integers 0..255 are stored as
// 0 (values inside that range are kept without checking them against the game); a draw number
// that does not read as an integer gives 0. The date is cut to 10 characters.
TDraw parseDrawCsvLine(std::string_view line, int archiveLength);

// Writes every draw of the archive to the file (whole, through a temporary file). Throws
// EError with the system's message when the file cannot be written.
void exportDrawsCsv(const DrawArchive& archive, const std::filesystem::path& file, Progress& progress);

// Whether a parsed line is a draw the archive may hold: a positive number, five distinct main
// numbers 1..69, an extra number 1..26 and a date text that reads as a calendar date.
bool isValidCsvDraw(const TDraw& draw);

// The outcome of an import: draws appended, lines that do not make a valid draw (blank lines
// are not counted) and the first few of their line numbers (1-based).
struct DrawsCsvImport {
    static constexpr std::size_t kLinesShown = 5;
    int added = 0;
    int valid = 0;    // lines that make a valid draw, appended or already in the archive
    int skipped = 0;  // lines that do not
    std::vector<int> skippedLines;
};

// The warning for skipped lines: their count and the first line numbers.
std::string skippedLinesText(const DrawsCsvImport& result);

// Merges the file into the archive: every line that makes a valid draw (isValidCsvDraw) whose
// number the archive does not hold yet is appended, in file order; other lines are skipped and
// counted, so that an unreadable value never becomes a draw. The whole file is read before
// anything changes, so an unreadable file (EError with the system's message) leaves the
// archive as it was. Skipped lines are reported through interaction as a warning. When draws
// were appended the archive is saved (a save failure is reported through interaction); a file
// without a new valid draw changes nothing.
DrawsCsvImport importDrawsCsv(DrawArchive& archive, const std::filesystem::path& file, Progress& progress,
                              Interaction& interaction);

}  // namespace tavlora
