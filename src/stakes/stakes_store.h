#pragma once
// The stakes store: the stakes file <base>.lsk held open (read/write, locked exclusively) for the
// whole run, with the record operations, adding, checking, deleting and the per-draw logs.
//
// Records are read and written one whole 312-byte record at a time; a failed append is cut back
// so that the file never holds a partial record. Deleting rewrites the kept records to the
// temporary file <base>.~tmp and renames it over the stakes file, which replaces the file
// atomically: an interruption leaves either the old or the new file, never none.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/interaction.h"
#include "core/progress.h"
#include "stakes/stake_record.h"

namespace tavlora {

class DrawArchive;
class TSettings;
class TRatings;

inline constexpr const char* kStakesReadFileError = "Ошибка чтения файла ставок!\r\r%s";
inline constexpr const char* kStakesWriteFileError = "Ошибка записи в файл ставок!\r\r%s";
inline constexpr const char* kStakeReadRecordError = "Ошибка чтения записи из файла ставок!\r\r%s";
inline constexpr const char* kStakeAddError = "Ошибка добавления записи в файл ставок!\r\r%s";
inline constexpr const char* kStakeFindError = "Ошибка поиска записи в файле ставок!\r\r%s";
inline constexpr const char* kStakeDeleteError = "Ошибка удаления записи из файла ставок!\r\r%s";
inline constexpr const char* kStakesCheckError = "Ошибка проверки ставок!\r\r%s";
inline constexpr const char* kStakeTempFileError = "Ошибка переименования / удаления временного файла ставок %s!\r\r%s";
inline constexpr const char* kStakeIndexNotFound = "Запись со индексом %d в файле данных не найдена!";
inline constexpr const char* kStakesNotOpen = "Файл ставок не открыт!";
inline constexpr const char* kCheckedStakeAppend = "Добавление в конец файла уже проверенной ставки!";
inline constexpr const char* kOldStakesFile =
    "Обнаружен файл ставок устаревшей версии - имеющиеся в файле ставки будут удалены!";
inline constexpr const char* kLogDeleteError = "Ошибка удаления файла \"%s\"!\r\r%s";
inline constexpr const char* kLogWriteError = "Ошибка записи в файл \"%s\"!\r\r%s";
inline constexpr const char* kNoLogFiles = "Файлы журналов не найдены!";
inline constexpr const char* kLogSearchText = "Поиск файлов журналов...";
inline constexpr const char* kStakesCheckText = "Проверка результатов ставок...";
inline constexpr const char* kStakesCheckProgressText = "Проверка результатов ставок ( завершено %.0f %% )...";
inline constexpr const char* kStakesLoadText = "Загрузка файла ставок...";
inline constexpr const char* kStakeAddText = "Создание ставки...";
inline constexpr const char* kStakesAddText = "Создание ставок...";
inline constexpr const char* kStakesDeleteText = "Удаление ставок...";
inline constexpr const char* kStakesCountStatus = "Ставок: %d";
inline constexpr const char* kStakeCommentMissing = "Необходимо ввести комментарий!";
// A log file beyond this size is started anew.
inline constexpr uint64_t kStakeLogLimit = 268435456;

// Conditions of deleting by the number of matches.
enum class TStakeCondition { Equal = 0, Greater = 1, NotLess = 2, Less = 3, NotGreater = 4 };
// "Равно [ = ]", "Более [ > ]", "Не менее [ >= ]", "Менее [ < ]", "Не более [ <= ]".
const std::vector<std::string>& stakeConditionCaptions();
bool stakeConditionHolds(TStakeCondition condition, int matches, int value);

// The shared delete confirmation ("Удалить выделенную запись?" for one record).
std::string deleteConfirmationText(int64_t count);

// Profit per draw number, in the order the draws are first met.
using TProfitDrawArray = std::vector<std::pair<int32_t, int64_t>>;

// Shown when another copy of the program holds the stakes file of the data folder.
inline constexpr const char* kExclusiveAccessError =
    "Невозможно получить монопольный доступ к файлам данных!\r\r"
    "Возможные причины данной ошибки: \r\r"
    "1) Папка данных уже используется другой копией программы. Несколько копий программы могут работать "
    "одновременно только с разными папками данных (параметр --data).\r\r"
    "2) У программы нет прав на запись в папку данных. Разрешите запись в неё или укажите другую папку "
    "(параметр --data).\r\r"
    "Программа будет закрыта!";

// Whether another open file holds the lock of the stakes file (another copy of the program works
// on the data folder). A missing file is held by nobody. The lock is taken only for the moment of
// asking; this process's own open store counts as another holder.
bool stakesFileLockedElsewhere(const std::filesystem::path& file);

class TStakesStore {
public:
    enum class Origin { Start, End };

    // file: <data>/Tavlora_5d69.lsk. Nothing is opened until open().
    explicit TStakesStore(std::filesystem::path file);
    ~TStakesStore();
    TStakesStore(const TStakesStore&) = delete;
    TStakesStore& operator=(const TStakesStore&) = delete;

    const std::filesystem::path& file() const { return file_; }
    // <data>/<base>.~tmp, the file a delete writes the kept records to.
    std::filesystem::path tempFile() const;

    // Opens the file (created empty when missing) and locks it exclusively without waiting.
    // Throws EError with the system's reason when it cannot be opened or is locked elsewhere.
    void open();
    // Opens (as open(), unless the file is already held) and checks the version: a non-empty file whose size is not a multiple of
    // 312 or whose first byte is not 2 is reported with kOldStakesFile, kept beside as
    // <base>.lsk.old and truncated to zero. Returns false, after reporting kStakesReadFileError,
    // when the file cannot be opened or read.
    bool openChecked(Progress& progress, Interaction& interaction);
    void close();
    // Closes and opens again; failures are reported and give false.
    bool reopen(Interaction& interaction);

    bool isOpen() const { return fd_ >= 0; }
    bool hasRecords() const { return recordCount() > 0; }
    // Number of whole records in the file (0 when closed).
    int64_t recordCount() const;

    // Reads the record at 312·index from the origin (index -1 from the end is the last one).
    // Throws EError(kStakeReadRecordError) on failure, a position outside the file included.
    TStakeRecord readRecord(Origin origin, int64_t index);
    // Writes a whole record at 312·index from the origin (index 0 from the end appends). Throws
    // EError(kStakeAddError) on failure; a failed append leaves the file as it was.
    void writeRecord(const TStakeRecord& record, Origin origin, int64_t index);
    // Every record in file order. Throws like readRecord.
    std::vector<TStakeRecord> readAll();

    // A record with this draw number and an identical 12-byte number set exists.
    // Throws EError(kStakeFindError) on a read failure.
    bool exists(int32_t drawNumber, const TShema& numbers);

    // Appends a stake for count draws (copies numbered drawNumber + i, each preceded by a
    // separator when the last record is real; with count < 2 one record, as it is). A checked
    // stake is never appended. Failures are reported and give false.
    bool addStakes(const TStakeRecord& record, int count, Interaction& interaction);

    // Checks every eligible stake against the archive (unchecked, draw number above 0, at least
    // five numbers, its draw present); each newly checked stake is written back, added to the
    // ratings and logged when logs are on. When any was checked, the file is reopened and the
    // ratings sorted and saved. Returns whether any stake was checked.
    bool checkAll(const DrawArchive& archive, const TSettings& settings, TRatings& ratings, Progress& progress,
                  Interaction& interaction);

    // Removes the records first..last (0-based, inclusive; clamped to the file). Returns false
    // after reporting a failure; the stakes file then stays as it was and stays open.
    bool deleteRange(int64_t first, int64_t last, Progress& progress, Interaction& interaction);
    // Removes the checked records whose number of matches meets the condition; unchecked ones,
    // separators included, are kept.
    bool deleteWhere(TStakeCondition condition, int value, Progress& progress, Interaction& interaction);
    // Truncates the file to zero and reopens it.
    bool clear(Interaction& interaction);

    // Profits of all records with a draw number of 0 or above, summed per draw number.
    TProfitDrawArray profitPerDraw();

    // Per-draw logs <base>-<draw>.log beside the stakes file.
    bool logEnabled() const { return logEnabled_; }
    void setLogEnabled(bool on) { logEnabled_ = on; }
    std::filesystem::path logFile(int32_t drawNumber) const;
    // The log line of a checked stake (UTF-8, without line end) at the given local time text.
    static std::string logLine(const TStakeRecord& stake, const std::string& timeText);
    // Appends the stake's line to its draw's log; a file beyond kStakeLogLimit is deleted first.
    // Failures are reported and give false.
    bool writeLog(const TStakeRecord& stake, Interaction& interaction);
    // The log files present beside the stakes file.
    std::vector<std::filesystem::path> logFiles() const;
    // Deletes the log files: information kNoLogFiles when there are none; otherwise a summary
    // as information (all deleted) or warning (some could not be). Returns how many were deleted.
    int deleteLogs(Progress& progress, Interaction& interaction);

private:
    int64_t fileSize() const;
    int64_t position(Origin origin, int64_t index) const;
    bool rewriteKeeping(const std::vector<bool>& keep, Progress& progress, Interaction& interaction);

    std::filesystem::path file_;
    int fd_ = -1;
    bool logEnabled_ = false;
    // One-record read cache: the record at an absolute index; dropped on every write and reopen.
    std::optional<std::pair<int64_t, TStakeRecord>> cache_;
};

}  // namespace tavlora
