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

void TScenario::loadWorkingCopy() {
    std::error_code ec;
    if (!std::filesystem::exists(workingCopy_, ec)) return;
    StatusScope statusScope(progress_, fmt(kScenarioLoadStatus, workingCopy_.string()));
    lines_ = readScenarioFile(workingCopy_);
}

void TScenario::open(const std::filesystem::path& file) {
    {
        StatusScope statusScope(progress_, fmt(kScenarioLoadStatus, file.string()));
        lines_ = readScenarioFile(file);
    }
    save();
}

int TScenario::appendFile(const std::filesystem::path& file) {
    std::vector<std::string> added;
    {
        StatusScope statusScope(progress_, fmt(kScenarioLoadStatus, file.string()));
        added = readScenarioFile(file);
    }
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

void TScenario::save() const { saveAs(workingCopy_); }

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
