#include "scenario/scenario_file.h"

#include "core/codepage.h"
#include "core/error.h"
#include "core/file_util.h"
#include "core/format.h"

namespace tavlora {

std::vector<std::string> splitTextLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.emplace_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

std::vector<std::string> readScenarioFile(const std::filesystem::path& path) {
    std::string bytes;
    try {
        bytes = readFileBytes(path);
    } catch (const EError& e) {
        throw EError(fmt(kScenarioReadError, path.string(), e.what()));
    }
    return splitTextLines(cp1251ToUtf8(bytes));
}

void writeScenarioFile(const std::filesystem::path& path, const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    try {
        writeFileAtomic(path, utf8ToCp1251(text));
    } catch (const EError& e) {
        throw EError(fmt(kScenarioWriteError, path.string(), e.what()));
    }
}

}  // namespace tavlora
