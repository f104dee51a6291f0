#include "scenario/run_log.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <system_error>

#include "core/codepage.h"
#include "core/error.h"
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
    try {
        appendFileBytes(path_, bytes);
    } catch (const EError& e) {
        interaction.error(fmt(kScriptLogWriteError, std::string(e.what())));
    }
}

std::filesystem::path TScenarioLog::close() {
    std::filesystem::path done;
    std::error_code ec;
    if (!path_.empty() && std::filesystem::exists(path_, ec)) done = path_;
    path_.clear();
    return done;
}

std::vector<std::filesystem::path> scenarioLogFiles(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> out;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        // The mask "ScriptLog_*.txt" ("*" may be empty), matched without regard to case as the
        // Windows file search does.
        std::string name = it->path().filename().string();
        for (char& c : name)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (name.size() >= 14 && name.rfind("scriptlog_", 0) == 0 && name.substr(name.size() - 4) == ".txt" &&
            it->is_regular_file(ec))
            out.push_back(it->path());
    }
    std::sort(out.begin(), out.end());
    return out;
}

int deleteScenarioLogs(const std::filesystem::path& folder, Progress& progress, Interaction& interaction) {
    const auto files = scenarioLogFiles(folder);
    if (files.empty()) {
        interaction.information("Файлы журналов не найдены!");
        return 0;
    }
    int deleted = 0;
    std::string failed;
    {
        StatusScope status(progress, "Поиск файлов журналов...");
        for (const auto& f : files) {
            std::error_code ec;
            if (std::filesystem::remove(f, ec) && !ec) {
                ++deleted;
            } else {
                failed += "\r" + f.filename().string() + ": " + (ec ? ec.message() : std::string("не найден"));
            }
        }
    }
    if (failed.empty())
        interaction.information(fmt("Удалено файлов журналов: %d", deleted));
    else
        interaction.warning(fmt("Удалено файлов журналов: %d из %d. Не удалось удалить:", deleted,
                                static_cast<int>(files.size())) +
                            failed);
    return deleted;
}

}  // namespace tavlora
