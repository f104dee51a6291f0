#include "stakes/systems_seed.h"

#include <algorithm>

#include "core/error.h"
#include "core/file_util.h"
#include "core/format.h"
#include "stakes/systems.h"

namespace tavlora {

namespace {

// The regular files of a folder named like system files, in name order.
std::vector<std::filesystem::path> systemFiles(const std::filesystem::path& dir) {
    std::vector<std::filesystem::path> out;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeEc;
        if (!it->is_regular_file(typeEc)) continue;
        if (parseSystemFileName(it->path().filename().string())) out.push_back(it->path());
    }
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace

TSystemsSeed seedSystemsFolder(const std::filesystem::path& systemsDir, const std::filesystem::path& sourceDir) {
    TSystemsSeed seed;
    if (!systemFiles(systemsDir).empty()) return seed;
    const auto sources = systemFiles(sourceDir);
    if (sources.empty()) return seed;
    std::error_code ec;
    std::filesystem::create_directories(systemsDir, ec);
    if (ec) throw EError(fmt(kSystemsFolderError, systemsDir.string(), ec.message()));
    for (const auto& source : sources) {
        const std::string name = source.filename().string();
        std::string bytes;
        try {
            // Only a file that system play can read is copied.
            const int k = parseSystemFileName(name)->k;
            if (readSystemPositions(source, k).empty()) throw EError("нет комбинаций");
            bytes = readFileBytes(source);
        } catch (const EError& e) {
            seed.skipped.push_back(name + ": " + e.what());
            continue;
        }
        const auto target = systemsDir / name;
        try {
            writeFileAtomic(target, bytes);
        } catch (const EError& e) {
            throw EError(fmt(kSystemWriteError, target.string(), e.what()));
        }
        std::error_code timeEc;
        const auto time = std::filesystem::last_write_time(source, timeEc);
        if (!timeEc) std::filesystem::last_write_time(target, time, timeEc);
        ++seed.copied;
    }
    return seed;
}

}  // namespace tavlora
