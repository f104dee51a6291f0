#include "session/data_folder_seed.h"

#include <algorithm>

#include "core/error.h"
#include "core/file_util.h"
#include "core/format.h"
#include "session/session.h"

namespace tavlora {

namespace {

std::string archiveName() { return std::string(kBaseName) + ".ldr"; }

// True when something (a file, a folder, even a dangling link) already has this name.
bool nameTaken(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::symlink_status(path, ec).type() != std::filesystem::file_type::not_found;
}

void copyOne(const std::filesystem::path& source, const std::filesystem::path& dataDir) {
    const auto target = dataDir / source.filename();
    try {
        writeFileAtomic(target, readFileBytes(source));
    } catch (const EError& e) {
        throw EError(fmt(kDataFileCopyError, source.string(), dataDir.string(), std::string(e.what())));
    }
}

}  // namespace

TDataFolderSeed seedDataFolder(const std::filesystem::path& sourceDir, const std::filesystem::path& dataDir) {
    TDataFolderSeed seed;
    const std::string archive = archiveName();
    if (nameTaken(dataDir / archive)) return seed;
    std::error_code ec;
    if (!std::filesystem::is_directory(sourceDir, ec)) return seed;

    std::vector<std::filesystem::path> files;
    bool hasArchive = false;
    for (std::filesystem::directory_iterator it(sourceDir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeEc;
        if (!it->is_regular_file(typeEc)) continue;
        if (it->path().filename() == archive)
            hasArchive = true;
        else
            files.push_back(it->path());
    }
    if (ec) throw EError(fmt(kDataFileCopyError, sourceDir.string(), dataDir.string(), ec.message()));
    std::sort(files.begin(), files.end());
    if (hasArchive) files.push_back(sourceDir / archive);

    std::filesystem::create_directories(dataDir, ec);
    if (ec) throw EError(fmt(kDataFolderCreateError, dataDir.string(), ec.message()));
    for (const auto& file : files) {
        if (nameTaken(dataDir / file.filename())) continue;
        copyOne(file, dataDir);
        seed.copied.push_back(file.filename().string());
    }
    return seed;
}

}  // namespace tavlora
