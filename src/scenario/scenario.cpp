#include "scenario/scenario.h"

#include <algorithm>
#include <utility>

#include "core/error.h"
#include "core/format.h"
#include "scenario/scenario_file.h"
#include "scenario/scenario_line.h"

namespace tavlora {

namespace {

// A line as stored: CR and LF would split it in the file, so they become blanks.
std::string oneLine(const std::string& text) {
    std::string s = text;
    std::replace_if(s.begin(), s.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return s;
}

}  // namespace

TScenario::TScenario(std::filesystem::path workingCopy) : workingCopy_(std::move(workingCopy)) {}

void TScenario::checkIndex(int index) const {
    if (index < 0 || index >= count()) throw EError(fmt(kScenarioIndexError, index));
}

const std::string& TScenario::line(int index) const {
    checkIndex(index);
    return lines_[static_cast<size_t>(index)];
}

bool TScenario::isCommand(int index) const {
    return index >= 0 && index < count() && !isSeparatorLine(lines_[static_cast<size_t>(index)]);
}

ScenarioLine TScenario::parsedLine(int index, const TStatList* registry) const {
    return ScenarioLine::parse(line(index), registry);
}

std::vector<std::string> TScenario::readLines(const std::filesystem::path& file, std::vector<std::string>* asRead) {
    StatusScope statusScope(progress_, fmt(kScenarioLoadStatus, file.string()));
    std::vector<std::string> all = readScenarioFile(file);
    std::vector<std::string> kept;
    std::vector<TScenarioSkippedLine> skipped;
    bool commandKept = false;
    for (size_t i = 0; i < all.size(); ++i) {
        std::string reason = scenarioLineFault(all[i], nullptr);
        if (reason.empty()) {
            commandKept = commandKept || !isSeparatorLine(all[i]);
            kept.push_back(all[i]);
        } else {
            skipped.push_back({static_cast<int>(i) + 1, std::move(reason)});
        }
    }
    if (!skipped.empty() && !commandKept && !asRead) {
        const std::string first = fmt("Строка %d: %s", skipped.front().lineNumber, skipped.front().reason);
        throw EError(fmt(kScenarioReadError, file.string(), fmt(kScenarioNoReadableLine, first)));
    }
    skippedFile_ = file;
    skipped_ = std::move(skipped);
    if (asRead) *asRead = std::move(all);
    return kept;
}

std::string TScenario::skippedLinesWarning() const {
    if (skipped_.empty()) return {};
    std::string numbers;
    const size_t shown = std::min<size_t>(skipped_.size(), 5);
    for (size_t i = 0; i < shown; ++i) numbers += (i ? ", " : "") + std::to_string(skipped_[i].lineNumber);
    if (skipped_.size() > shown) numbers += ", ...";
    std::string text = fmt(kScenarioSkippedLines, skippedFile_.string(), static_cast<int>(skipped_.size()), numbers,
                           fmt("Строка %d: %s", skipped_.front().lineNumber, skipped_.front().reason));
    if (keepOriginal_ && skippedFile_ == workingCopy_) text += "\r" + fmt(kScenarioBackupNote, backupCopy().string());
    return text;
}

std::filesystem::path TScenario::backupCopy() const {
    std::filesystem::path p = workingCopy_;
    p += ".bak";
    return p;
}

void TScenario::loadWorkingCopy() {
    std::error_code ec;
    if (!std::filesystem::exists(workingCopy_, ec)) return;
    // The lines left out stay in the file until the scenario is first changed; then the file
    // as it was goes to the backup copy, so no line the user wrote is lost without a trace.
    std::vector<std::string> asRead;
    lines_ = readLines(workingCopy_, &asRead);
    keepOriginal_ = !skipped_.empty();
    if (keepOriginal_) unsavedOriginal_ = std::move(asRead);
}

void TScenario::open(const std::filesystem::path& file) {
    lines_ = readLines(file);
    save();
}

int TScenario::appendFile(const std::filesystem::path& file) {
    std::vector<std::string> added = readLines(file);
    if (!lines_.empty() && !isSeparatorLine(lines_.back()) && !added.empty()) lines_.emplace_back();
    const int first = count();
    lines_.insert(lines_.end(), std::make_move_iterator(added.begin()), std::make_move_iterator(added.end()));
    save();
    return first;
}

void TScenario::saveAs(const std::filesystem::path& file) const {
    StatusScope statusScope(progress_, fmt(kScenarioSaveStatus, file.string()));
    writeScenarioFile(file, lines_);
}

void TScenario::save() {
    if (keepOriginal_) {
        writeScenarioFile(backupCopy(), unsavedOriginal_);
        keepOriginal_ = false;
        unsavedOriginal_.clear();
    }
    saveAs(workingCopy_);
}

int TScenario::append(const std::string& text) {
    lines_.push_back(oneLine(text));
    const int index = count() - 1;
    save();
    return index;
}

void TScenario::replace(int index, const std::string& text) {
    checkIndex(index);
    lines_[static_cast<size_t>(index)] = oneLine(text);
    save();
}

void TScenario::remove(std::vector<int> indices) {
    for (int i : indices) checkIndex(i);
    if (indices.empty()) return;
    StatusScope statusScope(progress_, kScenarioDeleteStatus);
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    for (auto it = indices.rbegin(); it != indices.rend(); ++it) lines_.erase(lines_.begin() + *it);
    save();
}

void TScenario::clear() {
    lines_.clear();
    save();
}

int TScenario::moveUp(int index) {
    checkIndex(index);
    if (index == 0) return index;
    std::swap(lines_[static_cast<size_t>(index)], lines_[static_cast<size_t>(index) - 1]);
    save();
    return index - 1;
}

int TScenario::moveDown(int index) {
    checkIndex(index);
    if (index == count() - 1) return index;
    std::swap(lines_[static_cast<size_t>(index)], lines_[static_cast<size_t>(index) + 1]);
    save();
    return index + 1;
}

}  // namespace tavlora
