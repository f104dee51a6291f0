#pragma once
// The working scenario: an ordered list of line texts (parsed only when shown, edited or run)
// kept in step with its working copy "<base>.lss". Every change is written to the working copy
// at once; a failing write is thrown (EError with kScenarioWriteError) after the change was made
// in memory, so the caller shows it and the list stays as the user sees it.
#include <filesystem>
#include <string>
#include <vector>

#include "core/progress.h"

namespace tavlora {

class TStatList;
struct ScenarioLine;

inline constexpr const char* kScenarioIndexError = "Запись со индексом %d в файле данных не найдена!";
inline constexpr const char* kScenarioDeleteStatus = "Удаление строк...";
inline constexpr const char* kScenarioLineCountStatus = "Строк: %d";
inline constexpr const char* kScenarioNewLineTitle = "Создание новой строки";
inline constexpr const char* kScenarioEditLineTitle = "Редактирование строки";
inline constexpr const char* kScenarioSkippedLines = "Файл \"%s\": пропущено строк, которые не удалось прочитать: %d (строки %s).\r%s";
inline constexpr const char* kScenarioNoReadableLine = "В файле нет ни одной читаемой строки сценария: сценарий не изменён.\r%s";
inline constexpr const char* kScenarioBackupNote = "Прежний файл будет сохранён как \"%s\" при первом изменении сценария.";

// A line of a scenario file that was not taken: its 1-based number in the file and why.
struct TScenarioSkippedLine {
    int lineNumber = 0;
    std::string reason;
};

class TScenario {
public:
    // workingCopy: the file every change is written to (<data>/Tavlora_5d69.lss).
    explicit TScenario(std::filesystem::path workingCopy);

    const std::filesystem::path& workingCopy() const { return workingCopy_; }
    // Receives the status texts of reading and writing (may be null: none shown).
    void setProgress(Progress* progress) { progress_ = progress; }

    const std::vector<std::string>& lines() const { return lines_; }
    int count() const { return static_cast<int>(lines_.size()); }
    bool empty() const { return lines_.empty(); }
    // Line i; throws EError(kScenarioIndexError) for an index outside the list.
    const std::string& line(int index) const;
    // Whether line i is a command (not a separator); false outside the list.
    bool isCommand(int index) const;
    // Line i parsed (filters resolved through the registry when given).
    ScenarioLine parsedLine(int index, const TStatList* registry) const;

    // Every file read takes only the lines that read whole (see scenarioLineFault); the others
    // are skipped and listed in skippedLines() until the next file read.

    // Reads the working copy when it exists (start-up); the copy is not rewritten. A read error
    // is thrown and leaves the scenario as it was; a copy none of whose lines reads gives an
    // empty scenario. When lines were skipped, the next write of
    // the working copy first keeps the file as it was read in backupCopy().
    void loadWorkingCopy();
    // Replaces the scenario by the file's lines (open). A read error, or a file whose command
    // lines were all skipped, leaves it as it was.
    void open(const std::filesystem::path& file);
    // Appends the file's lines; one separator line goes first when the scenario is not empty,
    // its last line is not a separator and the file has lines. Returns the index of the first
    // line of the file in the scenario (count() when the file was empty). A read error, or a
    // file whose command lines were all skipped, leaves the scenario as it was.
    int appendFile(const std::filesystem::path& file);
    // The lines the last file read skipped, and the warning telling the user about them (empty
    // when none was skipped).
    const std::vector<TScenarioSkippedLine>& skippedLines() const { return skipped_; }
    std::string skippedLinesWarning() const;
    // Where the working copy read with skipped lines is kept before it is first rewritten.
    std::filesystem::path backupCopy() const;
    // Writes all lines to a file (save as).
    void saveAs(const std::filesystem::path& file) const;
    // Writes the working copy (after keeping the file as read in backupCopy() when lines of it
    // were skipped).
    void save();

    // Appends a line and returns its index. Line breaks inside the text become blanks, so that a
    // line stays one line of the file.
    int append(const std::string& text);
    // Appends an empty separator line and returns its index.
    int appendSeparator() { return append(std::string()); }
    // Replaces line i (throws EError(kScenarioIndexError) outside the list).
    void replace(int index, const std::string& text);
    // Removes the given lines (any order, duplicates ignored), from the last one up. An index
    // outside the list throws EError(kScenarioIndexError) before anything is removed.
    void remove(std::vector<int> indices);
    void clear();
    // Swaps line i with the one above (below); returns the line's new index. At the edge nothing
    // changes (and nothing is written) and i is returned. Throws outside the list.
    int moveUp(int index);
    int moveDown(int index);

private:
    void checkIndex(int index) const;
    // The file's lines that read whole; skipped_ lists the others. Without asRead, throws when
    // the file has command lines and none of them reads; with it, returns what reads (maybe
    // nothing) and every line of the file in asRead.
    std::vector<std::string> readLines(const std::filesystem::path& file, std::vector<std::string>* asRead = nullptr);

    std::filesystem::path workingCopy_;
    std::vector<std::string> lines_;
    Progress* progress_ = nullptr;
    std::filesystem::path skippedFile_;
    std::vector<TScenarioSkippedLine> skipped_;
    // The working copy as read, while lines of it were skipped and it was not yet rewritten.
    std::vector<std::string> unsavedOriginal_;
    bool keepOriginal_ = false;
};

}  // namespace tavlora
