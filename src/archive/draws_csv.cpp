#include "archive/draws_csv.h"

#include <algorithm>
#include <optional>

#include "core/date.h"
#include "core/error.h"
#include "core/file_util.h"
#include "core/game.h"
#include "core/format.h"
#include "core/text_forms.h"

namespace tavlora {

namespace {

bool isBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

// A number field: an integer 0..255, else 0.
uint8_t byteField(const std::string& text) {
    int v = readInt(text, 0);
    return (v >= 0 && v <= 255) ? static_cast<uint8_t>(v) : 0;
}

}  // namespace

std::string drawCsvLine(const TDraw& draw) {
    std::string line = numberText(draw.number);
    line += ";\"";
    // The date text goes out as the record holds it (both sides use the same code page).
    for (char c : draw.dateText()) {
        if (c == '"') line += '"';
        line += c;
    }
    line += '"';
    for (uint8_t n : draw.nums) {
        line += ';';
        line += numberText(n);
    }
    line += ';';
    line += numberText(draw.extra);
    return line;
}

std::string drawsCsvText(const TDrawsArray& draws) {
    std::string text;
    text.reserve(draws.size() * 40);
    for (const auto& d : draws) {
        text += drawCsvLine(d);
        text += "\r\n";
    }
    return text;
}

std::vector<std::string> splitCsvFields(std::string_view line) {
    std::vector<std::string> fields;
    size_t p = 0;
    const size_t n = line.size();
    while (p < n && isBlank(line[p])) ++p;
    while (p < n) {
        std::string field;
        if (line[p] == '"') {
            ++p;
            while (p < n) {
                if (line[p] == '"') {
                    if (p + 1 < n && line[p + 1] == '"') {
                        field += '"';
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                field += line[p++];
            }
        } else {
            size_t start = p;
            while (p < n && !isBlank(line[p]) && line[p] != ';') ++p;
            field.assign(line.substr(start, p - start));
        }
        fields.push_back(std::move(field));
        while (p < n && isBlank(line[p])) ++p;
        if (p < n && line[p] == ';') {
            if (p + 1 == n) fields.emplace_back();
            ++p;
            while (p < n && isBlank(line[p])) ++p;
        }
    }
    return fields;
}

TDraw parseDrawCsvLine(std::string_view line, int archiveLength) {
    TDraw d;
    std::vector<std::string> f = splitCsvFields(line);
    size_t first;  // index of the date field
    if (f.size() == 7) {
        d.number = archiveLength + 1;
        first = 0;
    } else if (f.size() == 8) {
        d.number = readInt(f[0], 0);
        first = 1;
    } else {
        return d;
    }
    d.setDateText(f[first]);
    for (size_t i = 0; i < 5; ++i) d.nums[i] = byteField(f[first + 1 + i]);
    d.extra = byteField(f[first + 6]);
    return d;
}

void exportDrawsCsv(const DrawArchive& archive, const std::filesystem::path& file, Progress& progress) {
    StatusScope status(progress, fmt(kDrawsExportText, file.string()));
    writeFileAtomic(file, drawsCsvText(archive.draws()));
}

bool isValidCsvDraw(const TDraw& draw) {
    if (draw.number <= 0) return false;
    for (size_t i = 0; i < draw.nums.size(); ++i) {
        const int n = draw.nums[i];
        if (n < kMinNumber || n > kMaxNumber) return false;
        for (size_t j = 0; j < i; ++j)
            if (draw.nums[j] == n) return false;
    }
    if (draw.extra < 1 || draw.extra > kMaxExtra) return false;
    try {
        return readDateText(draw.dateText()).has_value();
    } catch (const EError&) {
        return false;
    }
}

std::string skippedLinesText(const DrawsCsvImport& result) {
    std::string lines;
    for (int line : result.skippedLines) {
        if (!lines.empty()) lines += ", ";
        lines += numberText(line);
    }
    if (result.skipped > static_cast<int>(result.skippedLines.size())) lines += ", ...";
    return fmt("Пропущено строк, не содержащих верного тиража: %d (строки %s).", result.skipped, lines);
}

DrawsCsvImport importDrawsCsv(DrawArchive& archive, const std::filesystem::path& file, Progress& progress,
                              Interaction& interaction) {
    DrawsCsvImport result;
    {
        StatusScope status(progress, fmt(kDrawsImportText, file.string()));
        const std::string text = readFileBytes(file);
        int lineNumber = 0;
        for (std::string_view line : splitLines(text)) {
            ++lineNumber;
            if (trimText(line).empty()) continue;
            TDraw d = parseDrawCsvLine(line, archive.count());
            if (!isValidCsvDraw(d)) {
                ++result.skipped;
                if (result.skippedLines.size() < DrawsCsvImport::kLinesShown) result.skippedLines.push_back(lineNumber);
                continue;
            }
            ++result.valid;
            if (archive.findByNumber(d.number) < 0) {
                archive.append(d);
                ++result.added;
            }
        }
    }
    if (result.skipped > 0) interaction.warning(skippedLinesText(result));
    if (result.added > 0) archive.save(progress, interaction);
    return result;
}

}  // namespace tavlora
