#pragma once
// The log file of a scenario run: "<folder>/ScriptLog_<yyyy-mm-dd-hh-nn-ss>.txt" named after the
// start time, one line per step, each prefixed by the local time "[yyyy-mm-dd hh:nn:ss]: ". The
// file is opened for appending and closed again for every line, so that what was written stays
// on disk when the program ends abruptly. Text is Windows-1251 with CR LF line ends.
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/interaction.h"
#include "core/progress.h"

namespace tavlora {

inline constexpr const char* kScriptLogPattern = "ScriptLog_%s.txt";
inline constexpr const char* kScriptLogWriteError = "Ошибка записи журнала: %s!";

class TScenarioLog {
public:
    // folder: where log files go (the data folder).
    explicit TScenarioLog(std::filesystem::path folder);

    // The clock that names the file and stamps the lines (tests set a fixed one).
    void setClock(std::function<std::time_t()> clock) { clock_ = std::move(clock); }

    // Starts a new file named after the current time (nothing is written yet).
    void open();
    // Appends one line; opens a new file first when none is open. A write failure is shown
    // through interaction as kScriptLogWriteError with the system's message; the caller goes on.
    void write(const std::string& line, Interaction& interaction);
    // Forgets the file and returns its path when it exists (empty otherwise).
    std::filesystem::path close();

    bool isOpen() const { return !path_.empty(); }
    const std::filesystem::path& path() const { return path_; }

    // "<folder>/ScriptLog_2024-01-31-23-59-07.txt" for the given time.
    static std::filesystem::path fileFor(const std::filesystem::path& folder, std::time_t when);
    // "[2024-01-31 23:59:07]: " for the given time.
    static std::string stamp(std::time_t when);

private:
    std::filesystem::path folder_;
    std::filesystem::path path_;
    std::function<std::time_t()> clock_;
};

// The run logs of the folder (files matching ScriptLog_*.txt, case ignored), in name order.
std::vector<std::filesystem::path> scenarioLogFiles(const std::filesystem::path& folder);
// Deletes the run logs: information "Файлы журналов не найдены!" when there are none; otherwise
// "Удалено файлов журналов: %d" as information when all went, or a warning naming those that
// could not be deleted. Returns how many were deleted.
int deleteScenarioLogs(const std::filesystem::path& folder, Progress& progress, Interaction& interaction);

}  // namespace tavlora
