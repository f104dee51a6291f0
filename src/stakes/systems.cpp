#include "stakes/systems.h"

#include <algorithm>
#include <cctype>
#include <unordered_map>

#include "core/error.h"
#include "core/file_util.h"
#include "core/format.h"
#include "core/settings.h"
#include "core/text_forms.h"
#include "stakes/stakes_store.h"

namespace tavlora {

namespace {

bool isSeparator(char c) {
    switch (c) {
        case ' ': case '\t': case '*': case '+': case ',': case '-': case '.': case '/': case ':':
        case ';': case '=': case '\\': case '_': case '|': case '~':
            return true;
        default:
            return false;
    }
}

bool endsWithDat(const std::string& name) {
    if (name.size() < 4) return false;
    std::string ext = name.substr(name.size() - 4);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".dat";
}

}  // namespace

std::string systemFileName(int k, int block, int id) { return fmt("%d-%.2d-%d_%.4d.dat", 5, k, block, id); }

std::optional<TSystemFileName> parseSystemFileName(const std::string& name) {
    if (name.rfind("5-", 0) != 0 || !endsWithDat(name)) return std::nullopt;
    const std::string stem = name.substr(2, name.size() - 6);  // "KK-B_IIII"
    size_t at = 0;
    // A run of 1..maxDigits digits followed by `stop` (or the end when stop is 0).
    auto number = [&](size_t maxDigits, char stop) -> std::optional<int> {
        const size_t from = at;
        int v = 0;
        while (at < stem.size() && std::isdigit(static_cast<unsigned char>(stem[at])) && at - from < maxDigits)
            v = v * 10 + (stem[at++] - '0');
        if (at == from) return std::nullopt;
        if (stop == 0) return at == stem.size() ? std::optional<int>(v) : std::nullopt;
        if (at >= stem.size() || stem[at] != stop) return std::nullopt;
        ++at;
        return v;
    };
    const auto k = number(2, '-');
    if (!k || at != 3) return std::nullopt;  // K is written with two digits
    const auto block = number(9, '_');
    if (!block) return std::nullopt;
    const auto id = number(9, 0);
    if (!id) return std::nullopt;
    return TSystemFileName{*k, *block, *id};
}

std::optional<std::filesystem::path> findSystemFile(const std::filesystem::path& systemsDir, int k) {
    const std::string prefix = fmt("%d-%.2d-", 5, k);
    std::vector<std::filesystem::path> found;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(systemsDir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.rfind(prefix, 0) != 0 || !endsWithDat(name)) continue;
        // "*_*": an underscore somewhere between the prefix and the extension.
        if (name.find('_', prefix.size()) == std::string::npos || name.find('_', prefix.size()) >= name.size() - 4)
            continue;
        if (!it->is_regular_file(ec)) continue;
        found.push_back(it->path());
    }
    if (found.empty()) return std::nullopt;
    std::sort(found.begin(), found.end());
    return found.front();
}

std::vector<TComb> readSystemPositions(const std::filesystem::path& file, int k) {
    return parseSystemPositions(readFileBytes(file), k);
}

std::string systemLine(const TComb& c) {
    return fmt("%.2d %.2d %.2d %.2d %.2d", int{c.n[0]}, int{c.n[1]}, int{c.n[2]}, int{c.n[3]}, int{c.n[4]});
}

std::vector<std::string_view> systemLineWords(std::string_view line) {
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isSeparator(line[i])) ++i;
        const size_t from = i;
        while (i < line.size() && !isSeparator(line[i])) ++i;
        if (i > from) words.push_back(line.substr(from, i - from));
    }
    return words;
}

std::vector<TComb> parseSystemPositions(std::string_view text, int k) {
    std::vector<TComb> out;
    size_t start = 0;
    int lineNo = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        const std::string line(text.substr(start, end - start));
        ++lineNo;
        if (!trimText(line).empty()) {
            const std::vector<std::string_view> words = systemLineWords(line);
            if (words.size() != 5) throw EError(fmt("Строка %d: \"%s\" - ожидается пять позиций.", lineNo, line));
            TComb c;
            for (size_t j = 0; j < 5; ++j) {
                auto v = tryReadInt(words[j]);
                if (!v || *v < 1 || *v > k)
                    throw EError(fmt("Строка %d: \"%s\" - некорректная позиция \"%s\".", lineNo, line, std::string(words[j])));
                c.n[j] = static_cast<uint8_t>(*v);
            }
            // A repeated position would make a stake with a repeated number.
            for (size_t a = 0; a < 5; ++a)
                for (size_t b = a + 1; b < 5; ++b)
                    if (c.n[a] == c.n[b])
                        throw EError(fmt("Строка %d: \"%s\" - повторяется позиция %d.", lineNo, line, int{c.n[a]}));
            out.push_back(c);
        }
        if (end >= text.size()) break;
        // One line end: CR LF, LF or CR.
        start = (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? end + 2 : end + 1;
    }
    return out;
}

TSystemLookup findSystem(const std::filesystem::path& systemsDir, const TByteArray& numbers, Interaction* interaction) {
    TSystemLookup result;
    const int k = static_cast<int>(numbers.size());
    auto file = findSystemFile(systemsDir, k);
    if (!file) {
        result.error = fmt(kSystemNotFound, k);
        if (interaction) interaction->error(fmt(kSystemNotFoundBox, k));
        return result;
    }
    result.file = *file;
    try {
        for (const TComb& positions : readSystemPositions(*file, k)) {
            TComb c;
            for (size_t j = 0; j < 5; ++j) c.n[j] = numbers[positions.n[j] - 1u];
            result.combinations.push_back(c);
        }
    } catch (const EError& e) {
        result.combinations.clear();
        result.error = fmt(kSystemLoadError, e.what());
        if (interaction) interaction->error(result.error);
        return result;
    }
    result.ok = !result.combinations.empty();
    if (!result.ok) {
        // A system without combinations can make no stake: say so rather than end silently.
        result.error = fmt(kSystemLoadError, fmt("Файл \"%s\" не содержит комбинаций.", file->filename().string()));
        if (interaction) interaction->error(result.error);
    }
    return result;
}

std::string systemPlayComment(TSystemPlayMode mode, int k, const std::filesystem::path& systemFile) {
    const char* pattern = mode == TSystemPlayMode::All ? "Системная игра для %d чисел [вся система]: %s"
                                                       : "Системная игра для %d чисел [комбинации]: %s";
    return fmt(pattern, k, systemFile.stem().string());
}

TSystemPlayResult addSystemStakes(TStakesStore& store, const TSystemLookup& system, TSystemPlayMode mode,
                                  const TCombsArray& list, int32_t drawNumber, int count, const std::string& comment,
                                  TStakeKind kind, const TSettings& settings, Progress& progress,
                                  Interaction& interaction) {
    TSystemPlayResult result;
    StatusScope status(progress, kStakesAddText);
    // Which system combinations the list holds: one pass over the list against the (small)
    // system, instead of an index of the whole list.
    std::vector<bool> inList(system.combinations.size(), mode == TSystemPlayMode::All);
    if (mode == TSystemPlayMode::Filtered) {
        std::unordered_multimap<uint64_t, size_t> where;
        for (size_t i = 0; i < system.combinations.size(); ++i) where.emplace(sortedKey(system.combinations[i]), i);
        for (const TComb& c : list) {
            auto [from, to] = where.equal_range(sortedKey(c));
            for (auto it = from; it != to; ++it) inList[it->second] = true;
        }
    }
    try {
        if (store.hasRecords() && store.readRecord(TStakesStore::Origin::End, -1).isReal())
            store.writeRecord(TStakeRecord::separator(), TStakesStore::Origin::End, 0);
    } catch (const EError& e) {
        interaction.error(e.what());
        result.ok = false;
        return result;
    }
    TStakeRecord r;
    r.kind = static_cast<uint8_t>(kind);
    r.drawNumber = drawNumber;
    r.comment = comment;
    r.listSize = mode == TSystemPlayMode::Filtered ? static_cast<int32_t>(list.size())
                                                   : static_cast<int32_t>(system.combinations.size());
    r.profit = settings.stakeResult(5, -1);
    for (size_t i = 0; i < system.combinations.size(); ++i) {
        if (!inList[i]) continue;
        TComb c = system.combinations[i];
        sortComb(c);
        r.numbers = shemaOf(c);
        if (!store.addStakes(r, count, interaction)) {
            result.ok = false;
            break;
        }
        ++result.added;
    }
    return result;
}

}  // namespace tavlora
