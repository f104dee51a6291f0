#include "app/process_list.h"

#include <cctype>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace tavlora::app {

namespace fs = std::filesystem;

std::string ownExecutableName() {
    std::error_code ec;
    const auto exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.filename().string();
}

bool otherProcessRunning(const std::string& executableName) {
    if (executableName.empty()) return false;
    const std::string self = std::to_string(::getpid());
    std::error_code ec;
    for (fs::directory_iterator it("/proc", ec), end; !ec && it != end; it.increment(ec)) {
        const std::string pid = it->path().filename().string();
        if (pid.empty() || !std::isdigit(static_cast<unsigned char>(pid[0])) || pid == self) continue;
        std::error_code linkError;
        const auto exe = fs::read_symlink(it->path() / "exe", linkError);
        if (!linkError && exe.filename().string() == executableName) return true;
    }
    return false;
}

}  // namespace tavlora::app
