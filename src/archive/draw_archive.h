#pragma once
// The draw archive: every past draw of the game, oldest first, mirrored in <base>.ldr as
// 24-byte records without header. It also carries the draw offset, which hides the newest
// draws from every analysis.
//
// Two orders are used: the archive index (0 = oldest, high() = newest) and the list position
// of the draws list on screen (0 = newest); list position p is archive index high() - p.
#include <bitset>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/interaction.h"
#include "core/progress.h"
#include "core/records.h"

namespace tavlora {

// Messages and status texts of the archive.
inline constexpr const char* kDrawsReadError = "Ошибка чтения файла тиражей!\r\r%s";
inline constexpr const char* kDrawsWriteError = "Ошибка записи в файл тиражей!\r\r%s";
inline constexpr const char* kDrawIndexNotFound = "Запись со индексом %d в файле данных не найдена!";
inline constexpr const char* kDrawsLoadingText = "Загрузка файла тиражей...";
inline constexpr const char* kDrawsSavingText = "Сохранение файла тиражей...";
inline constexpr const char* kDrawsDeletingText = "Удаление выделенных тиражей....";
inline constexpr const char* kArchiveCountStatus = "Архив тиражей: %d";
inline constexpr const char* kNextDrawStatus = "Следующий тираж: %d";
// Date of a list position when there is no such record (yyyymmdd).
inline constexpr int kNoDrawDate = 20090107;

// A set of numbers 0..255 (the numbers of one draw, for highlighting).
using TNumberSet = std::bitset<256>;

class DrawArchive {
public:
    // file: the archive file (<data>/Tavlora_5d69.ldr). Nothing is read until load().
    explicit DrawArchive(std::filesystem::path file);

    const std::filesystem::path& file() const { return file_; }
    const TDrawsArray& draws() const { return draws_; }
    int count() const { return static_cast<int>(draws_.size()); }
    int high() const { return count() - 1; }
    bool empty() const { return draws_.empty(); }

    // --- file ---------------------------------------------------------------------------------
    // Loads the file. A missing file gives an empty archive silently. Only whole 24-byte records
    // are read (a trailing partial record is ignored). A read error keeps the records read so
    // far, reports kDrawsReadError through interaction and returns false.
    bool load(Progress& progress, Interaction& interaction);
    // Rewrites the file whole (through a temporary file). A failure reports kDrawsWriteError,
    // keeps the old file whole and the in-memory archive as it is, and returns false.
    bool save(Progress& progress, Interaction& interaction);
    // Empties the in-memory archive (the file is not touched).
    void clear();

    // --- changes in memory (callers save afterwards) ---------------------------------------------
    void append(const TDraw& draw);
    // Both throw EError(kDrawIndexNotFound) for an index outside 0..high().
    void replace(int index, const TDraw& draw);
    void remove(int index);
    const TDraw& at(int index) const;  // same error

    // --- changes that save at once ------------------------------------------------------------
    // Appends / replaces and saves; the return value is that of save().
    bool addDraw(const TDraw& draw, Progress& progress, Interaction& interaction);
    bool editDraw(int index, const TDraw& draw, Progress& progress, Interaction& interaction);
    // Deletes the draws with the given numbers, each found by number (numbers not in the archive
    // are skipped), then saves. Returns how many records were deleted.
    int deleteDrawsByNumber(const std::vector<int>& numbers, Progress& progress, Interaction& interaction);

    // --- searches -----------------------------------------------------------------------------
    // Archive index of the draw with the given number, or -1: interpolation search with a
    // stepping walk and a full scan as fallback, so an unordered archive is still searched whole.
    int findByNumber(int number) const;
    // Archive index among the newest k + 1 records (high() down to high() - k, never below 0)
    // whose date text equals date (case-insensitive), or -1.
    int findByDate(std::string_view date, int k) const;

    // --- list positions -----------------------------------------------------------------------
    int indexOfListPos(int listPos) const { return high() - listPos; }
    bool validListPos(int listPos) const { return listPos >= 0 && listPos < count(); }
    // Empty archive: 1; position outside the list: -1; else the number there + 1.
    int nextDrawNumber(int listPos) const;
    // The date at the list position plus days, as yyyymmdd; kNoDrawDate when there is no record
    // there. A record without date text counts from day 0 (12/30/1899), as the date reader gives
    // it; a date text that is not a date throws the date reader's EError.
    int dateShifted(int listPos, int days) const;
    // The five main numbers at the list position (zeros outside the list).
    TComb numbersAt(int listPos) const;

    // --- draw offset --------------------------------------------------------------------------
    int drawsOffset() const { return offset_; }
    // Stores the offset (negative values read as 0). Returns false when it was unchanged.
    bool setDrawsOffset(int offset);
    // high() - offset: the newest index an analysis may see; may be below 0.
    int analysisEndIndex() const { return high() - offset_; }
    // The draw that followed the offset point (list position offset - 1) when
    // 0 < offset < count: its numbers joined with ";" and as a set; empty otherwise.
    std::string actualDrawText() const;
    TNumberSet actualDrawSet() const;

    // --- status texts -------------------------------------------------------------------------
    std::string archiveStatusText() const;  // "Архив тиражей: %d"
    std::string nextDrawStatusText() const;  // "Следующий тираж: %d" for list position = offset
    std::string actualDrawStatusText() const { return actualDrawText(); }

private:
    std::filesystem::path file_;
    TDrawsArray draws_;
    int offset_ = 0;
};

// --- the draws list -------------------------------------------------------------------------------
// Column captions: "Тираж", "1".."5", "E", "S", "Дата тиража".
const std::vector<std::string>& drawListColumns();
// Cells of one row: draw number, the five numbers (ascending when sorted), extra number, sum of
// the five numbers, date text (the record holds it in the file's code page; the cell is UTF-8).
std::vector<std::string> drawListRow(const TDraw& draw, bool sorted);

}  // namespace tavlora
