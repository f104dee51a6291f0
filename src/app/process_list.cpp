#include "app/process_list.h"

#include <cctype>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <unistd.h>

namespace tavlora::app {

namespace fs = std::filesystem;

namespace {

// The file name of a process's executable from its /proc link. An executable replaced or removed
// while the process runs (as an update does) reads "name (deleted)": that process still runs it.
std::string executableName(const fs::path& link) {
    std::error_code ec;
    const auto exe = fs::read_symlink(link, ec);
    if (ec) return {};
    std::string name = exe.filename().string();
    constexpr std::string_view kDeleted = " (deleted)";
    if (name.ends_with(kDeleted)) name.erase(name.size() - kDeleted.size());
    return name;
}

}  // namespace

std::string ownExecutableName() { return executableName("/proc/self/exe"); }

bool otherProcessRunning(const std::string& name) {
    if (name.empty()) return false;
    const std::string self = std::to_string(::getpid());
    std::error_code ec;
    for (fs::directory_iterator it("/proc", ec), end; !ec && it != end; it.increment(ec)) {
        const std::string pid = it->path().filename().string();
        if (pid.empty() || !std::isdigit(static_cast<unsigned char>(pid[0])) || pid == self) continue;
        if (executableName(it->path() / "exe") == name) return true;
    }
    return false;
}

}  // namespace tavlora::app
