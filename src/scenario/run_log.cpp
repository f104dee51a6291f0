#include "scenario/run_log.h"

#include <cerrno>
#include <cstdio>
#include <system_error>

#include "core/codepage.h"
#include "core/file_util.h"
#include "core/format.h"

namespace tavlora {

namespace {

std::string localText(std::time_t when, const char* pattern) {
    std::tm tm{};
    localtime_r(&when, &tm);
    char buf[64];
    const std::size_t n = std::strftime(buf, sizeof buf, pattern, &tm);
    return std::string(buf, n);
}

}  // namespace

TScenarioLog::TScenarioLog(std::filesystem::path folder)
    : folder_(std::move(folder)), clock_([] { return std::time(nullptr); }) {}

std::filesystem::path TScenarioLog::fileFor(const std::filesystem::path& folder, std::time_t when) {
    return folder / fmt(kScriptLogPattern, localText(when, "%Y-%m-%d-%H-%M-%S"));
}

std::string TScenarioLog::stamp(std::time_t when) { return localText(when, "[%Y-%m-%d %H:%M:%S]: "); }

void TScenarioLog::open() { path_ = fileFor(folder_, clock_()); }

void TScenarioLog::write(const std::string& line, Interaction& interaction) {
    if (path_.empty()) open();
    const std::string bytes = utf8ToCp1251(stamp(clock_()) + line) + "\r\n";
    std::FILE* f = std::fopen(path_.c_str(), "ab");
    int err = 0;
    if (!f) {
        err = errno;
    } else {
        if (std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) err = errno ? errno : EIO;
        if (std::fclose(f) != 0 && err == 0) err = errno ? errno : EIO;
    }
    if (err != 0) interaction.error(fmt(kScriptLogWriteError, systemMessage(err)));
}

std::filesystem::path TScenarioLog::close() {
    std::filesystem::path done;
    std::error_code ec;
    if (!path_.empty() && std::filesystem::exists(path_, ec)) done = path_;
    path_.clear();
    return done;
}

}  // namespace tavlora
