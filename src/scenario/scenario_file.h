#pragma once
// Scenario files: the ".lsc" files and the working copy "<base>.lss", one scenario line per text
// line, Windows-1251 on disk, UTF-8 in memory.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tavlora {

inline constexpr const char* kScenarioLoadStatus = "Загрузка файла \"%s\"...";
inline constexpr const char* kScenarioSaveStatus = "Сохранение файла \"%s\"...";
inline constexpr const char* kScenarioReadError = "Ошибка чтения файла \"%s\"!\r\r%s";
inline constexpr const char* kScenarioWriteError = "Ошибка записи в файл \"%s\"!\r\r%s";
inline constexpr const char* kScenarioFileFilter = "Файлы сценариев (*.lsc)|*.lsc";
inline constexpr const char* kScenarioFileExtension = "lsc";
inline constexpr std::string_view kScenarioWorkingCopyExtension = ".lss";

// Splits text into lines at CR LF, CR or LF; a final line break does not start another line.
std::vector<std::string> splitTextLines(std::string_view text);

// Reads a scenario file into its lines. Throws EError(kScenarioReadError) with the file name and
// the system's message when the file cannot be read.
std::vector<std::string> readScenarioFile(const std::filesystem::path& path);

// Writes the lines, each ended by CR LF, in Windows-1251, replacing the file whole (a failure
// leaves the old file as it was). Throws EError(kScenarioWriteError) on failure.
void writeScenarioFile(const std::filesystem::path& path, const std::vector<std::string>& lines);

}  // namespace tavlora
