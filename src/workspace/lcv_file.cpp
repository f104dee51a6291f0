#include "workspace/lcv_file.h"

#include "core/error.h"
#include "core/file_util.h"
#include "core/format.h"
#include "core/game.h"
#include "core/text_forms.h"

namespace tavlora {

std::string lcvText(const TCombsArray& combs) {
    std::string out;
    out.reserve(combs.size() * 16);
    char buf[32];
    for (const TComb& c : combs) {
        char* p = buf;
        for (int i = 0; i < kBallsInDraw; ++i) {
            if (i > 0) *p++ = ';';
            const unsigned v = c.n[static_cast<std::size_t>(i)];
            if (v >= 100) *p++ = static_cast<char>('0' + v / 100);
            if (v >= 10) *p++ = static_cast<char>('0' + v / 10 % 10);
            *p++ = static_cast<char>('0' + v % 10);
        }
        *p++ = '\r';
        *p++ = '\n';
        out.append(buf, static_cast<std::size_t>(p - buf));
    }
    return out;
}

void parseLcvText(std::string_view text, TCombsArray& out) {
    const std::size_t before = out.size();
    int lineNumber = 0;
    for (std::string_view line : splitLines(text)) {
        ++lineNumber;
        if (trimText(line).empty()) continue;
        const auto words = splitWords(line, ",;");
        if (words.size() != static_cast<std::size_t>(kBallsInDraw)) continue;
        TComb c;
        for (int i = 0; i < kBallsInDraw; ++i) {
            const int v = readInt(trimText(words[static_cast<std::size_t>(i)]), 0);
            c.n[static_cast<std::size_t>(i)] = static_cast<uint8_t>(v >= 0 && v <= 255 ? v : 0);
        }
        if (!combIsValid(c)) {
            // A number that is not a number, out of range or repeated never becomes a
            // combination: the file is refused and out is left as it was.
            out.resize(before);
            throw EError(fmt(kLcvBadLine, lineNumber, std::string(trimText(line).substr(0, 60))));
        }
        out.push_back(c);
    }
}

void readLcvFile(const std::filesystem::path& file, TCombsArray& out) { parseLcvText(readFileBytes(file), out); }

void writeLcvFile(const std::filesystem::path& file, const TCombsArray& combs) { writeFileAtomic(file, lcvText(combs)); }

}  // namespace tavlora
