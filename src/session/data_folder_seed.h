#pragma once
// The first start of a user's data folder: an installed program ships a sample archive and
// example files in a read-only folder (/usr/share/tavlora); a data folder that holds no archive
// yet gets a copy of them, so that the window opens on real draws.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tavlora {

inline constexpr const char* kDataFolderCreateError = "Не удалось создать папку данных \"%s\"!\r\r%s";
inline constexpr const char* kDataFileCopyError = "Ошибка копирования файла \"%s\" в папку данных \"%s\"!\r\r%s";

struct TDataFolderSeed {
    std::vector<std::string> copied;  // names of the files copied, the archive last
};

// When dataDir holds no archive file (Tavlora_5d69.ldr), creates dataDir when missing and copies
// into it every regular file of the top level of sourceDir that dataDir does not hold yet (a
// file the user already has is never replaced); sub-folders are left to their own seeding. The
// archive is copied last, so that its presence means the seeding is complete and a seeding that
// failed half-way is retried at the next start. Each copy goes through a temporary file and a
// rename. Does nothing when dataDir already holds an archive or sourceDir does not exist.
// Throws EError naming the folder or the file that failed; files copied before stay.
TDataFolderSeed seedDataFolder(const std::filesystem::path& sourceDir, const std::filesystem::path& dataDir);

}  // namespace tavlora
