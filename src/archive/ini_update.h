#pragma once
// Rewrites some keys of the configuration file and keeps the rest of it.
#include <filesystem>
#include <string>

#include "core/error.h"
#include "core/format.h"
#include "core/ini_file.h"

namespace tavlora {

inline constexpr const char* kConfigFileWriteError = "Ошибка записи в файл конфигурации!\r\r%s";

// Reads the file, lets change() set its keys and writes it back whole. A file that exists but
// cannot be read is not overwritten (its other sections would be lost). Every failure throws
// EError(kConfigFileWriteError) and leaves the old file as it was.
template <typename Change>
void updateIniFile(const std::filesystem::path& path, Change&& change) {
    IniFile ini;
    try {
        ini.open(path);
        change(ini);
        ini.save();
    } catch (const EError& e) {
        throw EError(fmt(kConfigFileWriteError, std::string(e.what())));
    }
}

}  // namespace tavlora
