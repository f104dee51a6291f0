#pragma once
// The starter set of wheeling systems: a data folder whose "Systems" folder holds no system
// file yet gets the system files of a source folder (the wheels shipped with the program), so
// that system play works before any catalogue was reached.
#include <filesystem>
#include <string>
#include <vector>

namespace tavlora {

inline constexpr const char* kSystemsFolderError = "Не удалось создать папку систем \"%s\"!\r\r%s";
inline constexpr const char* kSystemWriteError = "Ошибка записи файла системы \"%s\"!\r\r%s";

struct TSystemsSeed {
    int copied = 0;                     // system files copied
    std::vector<std::string> skipped;   // source files named like systems that could not be read, with the reason
};

// When systemsDir holds no file named like a system ("5-KK-B_IIII.dat"), copies every such file
// of sourceDir whose combinations read as positions 1..K into it (created when missing), keeping
// the file times; each copy goes through a temporary file. Does nothing when systemsDir already
// holds a system or sourceDir is missing. Throws EError when a file cannot be written.
TSystemsSeed seedSystemsFolder(const std::filesystem::path& systemsDir, const std::filesystem::path& sourceDir);

}  // namespace tavlora
