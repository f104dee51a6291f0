#include "archive/results_page.h"

#include <algorithm>
#include <cstdio>

#include "core/error.h"
#include "core/format.h"
#include "core/text_forms.h"

namespace tavlora {

namespace {

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Position of needle in text at or after from, comparing ASCII letters without regard to case.
size_t findNoCase(std::string_view text, std::string_view needle, size_t from = 0) {
    if (needle.empty()) return from <= text.size() ? from : std::string_view::npos;
    auto it = std::search(text.begin() + static_cast<long>(std::min(from, text.size())), text.end(), needle.begin(),
                          needle.end(), [](char a, char b) { return lowerAscii(a) == lowerAscii(b); });
    return it == text.end() ? std::string_view::npos : static_cast<size_t>(it - text.begin());
}

// The beginning of a text for a message: at most maxBytes, never cutting a UTF-8 character.
std::string excerpt(std::string_view text, size_t maxBytes = 300) {
    if (text.size() <= maxBytes) return std::string(text);
    size_t n = maxBytes;
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
    return std::string(text.substr(0, n)) + "...";
}

// The text between begin and end. nullopt when begin is missing; EError when begin is there
// but end is not.
std::optional<std::string_view> cutBetween(std::string_view text, std::string_view begin, std::string_view end) {
    size_t b = findNoCase(text, begin);
    if (b == std::string_view::npos) return std::nullopt;
    b += begin.size();
    size_t e = findNoCase(text, end, b);
    if (e == std::string_view::npos)
        throw EError(fmt(kMarkerPairMissing, excerpt(text), std::string(begin), std::string(end)));
    return text.substr(b, e - b);
}

// A piece of a row, trimmed, without the double quotes that enclose it wholly.
std::string cleanPiece(std::string_view piece) {
    std::string_view t = trimText(piece);
    if (t.size() >= 2 && t.front() == '"' && t.back() == '"') t = t.substr(1, t.size() - 2);
    return std::string(t);
}

// The n-th (0-based) "<div>" ... "</div>" piece of a row; empty when there is none.
std::string divPiece(std::string_view row, int n) {
    size_t pos = 0;
    for (int i = 0;; ++i) {
        size_t b = findNoCase(row, "<div>", pos);
        if (b == std::string_view::npos) return {};
        b += 5;
        size_t e = findNoCase(row, "</div>", b);
        if (e == std::string_view::npos) return {};
        if (i == n) return cleanPiece(row.substr(b, e - b));
        pos = e + 6;
    }
}

std::vector<std::string_view> splitAt(std::string_view text, char sep) {
    std::vector<std::string_view> words;
    size_t start = 0;
    for (;;) {
        size_t p = text.find(sep, start);
        words.push_back(text.substr(start, p == std::string_view::npos ? std::string_view::npos : p - start));
        if (p == std::string_view::npos) return words;
        start = p + 1;
    }
}

std::vector<std::string_view> splitBlanks(std::string_view text) {
    std::vector<std::string_view> tokens;
    size_t i = 0;
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (i < text.size()) {
        while (i < text.size() && blank(text[i])) ++i;
        size_t start = i;
        while (i < text.size() && !blank(text[i])) ++i;
        if (i > start) tokens.push_back(text.substr(start, i - start));
    }
    return tokens;
}

struct RowNumbers {
    std::array<int, 5> main{};
    int extra = 0;
};

// The numbers text read by its five "-" words; nullopt when it does not have that shape or a
// word is not a number.
std::optional<RowNumbers> readRowNumbers(std::string_view text) {
    auto words = splitAt(text, '-');
    if (words.size() != 5) return std::nullopt;
    RowNumbers r;
    for (int i = 0; i < 4; ++i) {
        auto v = tryReadInt(words[static_cast<size_t>(i)]);
        if (!v) return std::nullopt;
        r.main[static_cast<size_t>(i)] = *v;
    }
    auto tokens = splitBlanks(words[4]);
    if (tokens.size() < 3) return std::nullopt;
    auto fifth = tryReadInt(tokens[0]);
    auto extra = tryReadInt(tokens[2]);
    if (!fifth || !extra) return std::nullopt;
    r.main[4] = *fifth;
    r.extra = *extra;
    return r;
}

// The date of a row (its first ten characters); a date that is not valid when unreadable.
CivilDate rowDate(const std::string& text) {
    try {
        auto d = readDateText(std::string_view(text).substr(0, TDraw::kDateMax));
        if (d) return *d;
    } catch (const EError&) {
    }
    return CivilDate{};
}

}  // namespace

std::string searchDateText(const CivilDate& date) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d%%2F%02d%%2F%04d", date.month, date.day, date.year);
    return buf;
}

std::string urlEncode(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
            c == '.' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

std::string resultsPageUrl(std::string_view base, std::string_view gameName, const CivilDate& from,
                           const CivilDate& to) {
    std::string url(trimText(base));
    // A bare site address ("scheme://host[:port]" with at most a "/" after it) gets the page path.
    const size_t scheme = url.find("://");
    const size_t hostStart = scheme == std::string::npos ? 0 : scheme + 3;
    const size_t pathStart = url.find_first_of("/?#", hostStart);
    const bool bare = pathStart == std::string::npos || url.compare(pathStart, std::string::npos, "/") == 0;
    if (bare) {
        if (!url.empty() && url.back() == '/') url.pop_back();
        url += kResultsPagePath;
    }
    url += url.find('?') == std::string::npos ? '?' : '&';
    url += "searchTypeIn=range";
    url += "&gameNameIn=" + urlEncode(gameName);
    url += "&singleDateIn=";
    url += "&fromDateIn=" + searchDateText(from);
    url += "&toDateIn=" + searchDateText(to);
    url += "&n1In=&n2In=&n3In=&n4In=&n5In=";
    url += "&submitForm=Submit";
    return url;
}

std::vector<PageRow> readResultsPage(std::string_view page) {
    std::vector<PageRow> rows;
    auto section = cutBetween(page, kResultsSectionBegin, kResultsSectionEnd);
    if (!section) return rows;
    auto table = cutBetween(*section, kResultsTableBegin, kResultsTableEnd);
    if (!table) return rows;
    size_t pos = 0;
    for (;;) {
        size_t b = findNoCase(*table, "<tr", pos);
        if (b == std::string_view::npos) break;
        size_t e = findNoCase(*table, "</tr>", b + 3);
        if (e == std::string_view::npos) break;
        std::string_view row = table->substr(b + 3, e - b - 3);
        rows.push_back({divPiece(row, 0), divPiece(row, 1)});
        pos = e + 5;
    }
    return rows;
}

std::string rowSkipText(RowSkip reason) {
    switch (reason) {
    case RowSkip::NotHeld: return "тираж ещё не проведён";
    case RowSkip::InArchive: return "тираж уже есть в архиве";
    case RowSkip::RepeatedDate: return "дата повторяется на странице";
    case RowSkip::BadDate: return "дата не прочитана";
    case RowSkip::FutureDate: return "дата позже сегодняшней";
    case RowSkip::BadNumbers: return "числа не прочитаны";
    case RowSkip::NumberOutOfRange: return "число вне допустимых пределов";
    case RowSkip::RepeatedNumber: return "число повторяется";
    }
    return {};
}

std::string SkippedRow::text() const {
    return fmt("Пропущена строка страницы результатов: дата \"%s\", числа \"%s\" (%s).", row.date, row.numbers,
               rowSkipText(reason));
}

PageDraws pageDraws(const std::vector<PageRow>& rows, std::optional<CivilDate> newestDate, const CivilDate& today,
                    int firstNumber) {
    PageDraws out;
    struct Candidate {
        CivilDate date;
        RowNumbers numbers;
        const PageRow* row;
    };
    std::vector<Candidate> candidates;
    for (const PageRow& row : rows) {
        auto skip = [&](RowSkip reason) { out.skipped.push_back({row, reason}); };
        if (row.numbers.empty() || row.numbers == "-") {
            skip(RowSkip::NotHeld);
            continue;
        }
        const CivilDate date = rowDate(row.date);
        if (!date.isValid()) {
            skip(RowSkip::BadDate);
            continue;
        }
        if (newestDate && !(date > *newestDate)) {
            skip(RowSkip::InArchive);
            continue;
        }
        if (date > today) {
            skip(RowSkip::FutureDate);
            continue;
        }
        auto numbers = readRowNumbers(row.numbers);
        if (!numbers) {
            skip(RowSkip::BadNumbers);
            continue;
        }
        const bool inRange =
            std::all_of(numbers->main.begin(), numbers->main.end(), [](int n) { return n >= 1 && n <= 69; }) &&
            numbers->extra >= 1 && numbers->extra <= 26;
        if (!inRange) {
            skip(RowSkip::NumberOutOfRange);
            continue;
        }
        auto sorted = numbers->main;
        std::sort(sorted.begin(), sorted.end());
        if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) {
            skip(RowSkip::RepeatedNumber);
            continue;
        }
        candidates.push_back({date, *numbers, &row});
    }

    // Date order whatever the page's order; of two rows of one date the first on the page counts.
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate& a, const Candidate& b) { return a.date < b.date; });
    int number = firstNumber;
    for (size_t i = 0; i < candidates.size(); ++i) {
        const Candidate& c = candidates[i];
        if (i > 0 && candidates[i - 1].date == c.date) {
            out.skipped.push_back({*c.row, RowSkip::RepeatedDate});
            continue;
        }
        TDraw d;
        d.number = number++;
        for (size_t k = 0; k < 5; ++k) d.nums[k] = static_cast<uint8_t>(c.numbers.main[k]);
        d.extra = static_cast<uint8_t>(c.numbers.extra);
        d.setDateText(dateText(c.date));
        out.draws.push_back(d);
    }
    return out;
}

}  // namespace tavlora
