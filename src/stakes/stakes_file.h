#pragma once
// The stakes file <base>.lsk. It is held open with an exclusive lock for the whole run: the lock
// is what keeps a second copy of the program from working on the same data folder.
#include <filesystem>
#include <string>

namespace tavlora {

inline constexpr const char* kExclusiveAccessError =
    "Невозможно получить монопольный доступ к файлам данных!\r\r"
    "Возможные причины данной ошибки: \r\r"
    "1) Вы пытаетесь запустить вторую копию программы из одного и того же каталога. Корректная работа "
    "нескольких копий программы возможна только из разных каталогов.\r\r"
    "2) Для программы нет прав на запись в том каталоге, где она расположена. Например: в Windows 7 и выше "
    "по умолчанию запрещена запись в c:\\Program Files.\r\r"
    "Программа будет закрыта!";

class TStakesFile {
public:
    TStakesFile() = default;
    ~TStakesFile();
    TStakesFile(const TStakesFile&) = delete;
    TStakesFile& operator=(const TStakesFile&) = delete;

    // Opens the file for reading and writing (created empty when missing) and locks it
    // exclusively without waiting. Throws EError with the system's reason when the file cannot
    // be opened or another process (or another open of this one) holds the lock. An already
    // open file is closed first.
    void open(const std::filesystem::path& path);
    // Releases the lock and closes the file; nothing happens when it is not open.
    void close();

    bool isOpen() const { return fd_ >= 0; }
    const std::filesystem::path& path() const { return path_; }
    // The descriptor of the open file (-1 when closed), for the record operations.
    int handle() const { return fd_; }

private:
    int fd_ = -1;
    std::filesystem::path path_;
};

}  // namespace tavlora
