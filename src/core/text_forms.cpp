#include "core/text_forms.h"

#include <algorithm>
#include <array>
#include <limits>
#include <set>

#include "core/codepage.h"
#include "core/error.h"
#include "core/game.h"
#include "core/records.h"

namespace tavlora {

std::vector<std::string_view> splitWords(std::string_view text, std::string_view seps, bool collapse) {
    std::vector<std::string_view> words;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || seps.find(text[i]) != std::string_view::npos) {
            if (!collapse || i > start) words.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    return words;
}

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines.push_back(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            start = i + 1;
        }
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

namespace {

void appendJoined(std::string& out, const uint8_t* nums, int count, std::string_view sep) {
    for (int i = 0; i < count; ++i) {
        if (i > 0) out += sep;
        out += std::to_string(nums[i]);
    }
}

}  // namespace

std::string numberText(int n) { return std::to_string(n); }

std::string_view trimText(std::string_view text) {
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

std::optional<int> tryReadInt(std::string_view text) {
    text = trimText(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    int64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + (c - '0');
        if (v > static_cast<int64_t>(std::numeric_limits<int>::max()) + 1) return std::nullopt;
    }
    if (negative) v = -v;
    if (v > std::numeric_limits<int>::max() || v < std::numeric_limits<int>::min()) return std::nullopt;
    return static_cast<int>(v);
}

int readInt(std::string_view text, int defaultValue) { return tryReadInt(text).value_or(defaultValue); }

std::string semicolonForm(const TComb& c) {
    std::string s;
    appendJoined(s, c.n.data(), kBallsInDraw, ";");
    return s;
}

std::string semicolonForm(const TDraw& d) { return semicolonForm(drawNumbers(d)); }

std::string blankForm(const TComb& c) {
    std::string s;
    for (int i = 0; i < kBallsInDraw; ++i) {
        if (i > 0) s += ' ';
        if (c.n[i] < 10) s += '0';
        s += std::to_string(c.n[i]);
    }
    return s;
}

std::string joinedForm(const TShema& s, std::string_view sep) {
    std::string out;
    appendJoined(out, s.nums.data(), shemaCount(s), sep);
    return out;
}

std::string drawLine(const TDraw& d) {
    // The record holds its date text in the files' code page; the line is UTF-8 like every text.
    return "Тираж № " + std::to_string(d.number) + " от " + cp1251ToUtf8(d.dateText()) + ", значения: " + semicolonForm(d) +
           " e:" + std::to_string(d.extra);
}

std::string stakeSourceText(int code) {
    switch (code) {
        case 1: return "Вручную";
        case 2: return "Регуляр";
        case 3: return "Сценарий";
        case 4: return "Система";
        default: return {};
    }
}

TComb parseCombination(std::string_view text) {
    auto words = splitWords(text, "\t ,-.:;|", true);
    if (words.size() != static_cast<size_t>(kBallsInDraw))
        throw EError("Некорректная комбинация: \"" + std::string(text) + "\"!");
    TComb c;
    for (int i = 0; i < kBallsInDraw; ++i) {
        int v = readInt(words[i], 0);
        // A byte cannot hold more; storing v mod 256 would turn 300 into a valid-looking 44.
        c.n[i] = static_cast<uint8_t>(v >= 0 && v <= 255 ? v : 0);
    }
    return c;
}

bool combIsValid(const TComb& c) {
    std::array<bool, 256> seen{};
    for (uint8_t x : c.n) {
        if (x < kMinNumber || x > kMaxNumber || seen[x]) return false;
        seen[x] = true;
    }
    return true;
}

std::optional<TComb> readFiveNumbers(std::string_view text) {
    auto words = splitWords(text, ",;", false);
    if (words.size() != static_cast<size_t>(kBallsInDraw)) return std::nullopt;
    TComb c;
    for (int i = 0; i < kBallsInDraw; ++i) {
        int v = readInt(words[i], 0);
        if (v < kMinNumber || v > kMaxNumber) return std::nullopt;
        c.n[i] = static_cast<uint8_t>(v);
    }
    if (!combIsValid(c)) return std::nullopt;
    return c;
}

DrawInputResult validateDrawInput(int64_t number, std::string_view numbersText, std::optional<CivilDate> date) {
    DrawInputResult r;
    if (number < 1 || number > std::numeric_limits<int32_t>::max()) {
        r.warning = kBadDrawNumberWarning;
        return r;
    }
    auto words = splitWords(numbersText, ";,", false);
    if (words.size() != static_cast<size_t>(kBallsInDraw + 1)) {
        r.warning = kBadCombinationWarning;
        return r;
    }
    TDraw d;
    d.number = static_cast<int32_t>(number);
    std::set<int> distinct;
    for (int i = 0; i < kBallsInDraw; ++i) {
        int v = readInt(words[i], 0);
        if (v < kMinNumber || v > kMaxNumber) {
            r.warning = kBadCombinationWarning;
            return r;
        }
        d.nums[i] = static_cast<uint8_t>(v);
        distinct.insert(v);
    }
    int extra = readInt(words[kBallsInDraw], 0);
    if (distinct.size() != static_cast<size_t>(kBallsInDraw) || extra < 1 || extra > kMaxExtra) {
        r.warning = kBadCombinationWarning;
        return r;
    }
    d.extra = static_cast<uint8_t>(extra);
    if (date) d.setDateText(dateText(*date));
    r.ok = true;
    r.draw = d;
    return r;
}

std::string drawInputText(const TDraw& d) { return semicolonForm(d) + ";" + std::to_string(d.extra); }

TIntArray parseValueList(std::string_view text) {
    // A plain list of integers.
    auto words = splitWords(text, ",;", false);
    TIntArray list;
    bool allNumbers = !trimText(text).empty();
    for (auto w : words) {
        auto v = tryReadInt(w);
        if (!v) {
            allNumbers = false;
            break;
        }
        list.push_back(*v);
    }
    if (allNumbers) return list;

    // A stepped range first-last;step; first may carry a sign of its own.
    text = trimText(text);
    size_t dash = text.size() > 1 ? text.find('-', 1) : std::string_view::npos;
    if (dash == std::string_view::npos) return {};
    std::string_view rest = text.substr(dash + 1);
    size_t sep = rest.find_first_of(";,");
    if (sep == std::string_view::npos) return {};
    auto first = tryReadInt(text.substr(0, dash));
    auto last = tryReadInt(rest.substr(0, sep));
    auto step = tryReadInt(rest.substr(sep + 1));
    if (!first || !last || !step || *step == 0) return {};
    int64_t count = (static_cast<int64_t>(*last) - *first) / *step + 1;
    if (count <= 0 || count > kMaxValueListSize) return {};
    TIntArray range;
    range.reserve(static_cast<size_t>(count));
    for (int64_t i = 0; i < count; ++i) range.push_back(static_cast<int32_t>(*first + i * *step));
    return range;
}

std::string joinInts(const TIntArray& values, std::string_view sep) {
    std::string out;
    for (size_t i = 0; i < values.size(); ++i) {
        if (i > 0) out += sep;
        out += std::to_string(values[i]);
    }
    return out;
}

std::string differenceText(std::string_view text, int reference) {
    int t = readInt(text, -1);
    if (t < 0) return "-";
    int64_t d = static_cast<int64_t>(t) - reference;
    return d > 0 ? "+" + std::to_string(d) : std::to_string(d);
}

}  // namespace tavlora
