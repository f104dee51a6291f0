#include "core/codepage.h"

#include <algorithm>

#include <array>
#include <atomic>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <langinfo.h>
#include <locale.h>
#include <string>

namespace tavlora {

namespace {

// Code points of the Windows-1251 bytes 0x80..0xBF. 0x98 is unassigned in the code page; it is
// mapped to U+0098 as Windows does, so that every byte survives a round trip.
constexpr std::array<char16_t, 64> kHigh = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
};

char32_t byteToCodePoint(unsigned char b) {
    if (b < 0x80) return b;
    if (b >= 0xC0) return 0x0410 + (b - 0xC0);
    return kHigh[b - 0x80];
}

// Windows-1251 byte of a code point, or -1 when it has none.
int codePointToByte(char32_t cp) {
    if (cp < 0x80) return static_cast<int>(cp);
    if (cp >= 0x0410 && cp <= 0x044F) return static_cast<int>(0xC0 + (cp - 0x0410));
    for (int i = 0; i < 64; ++i)
        if (kHigh[static_cast<std::size_t>(i)] == cp) return 0x80 + i;
    return -1;
}


constexpr char32_t kInvalid = 0xFFFFFFFF;

// Decodes one UTF-8 character at s[i], advancing i. A malformed sequence yields kInvalid and
// advances by one byte, so that decoding always makes progress and never reads past the end.
char32_t decodeUtf8(std::string_view s, std::size_t& i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    int len;
    char32_t cp;
    if ((b0 & 0xE0) == 0xC0) {
        len = 2;
        cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3;
        cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4;
        cp = b0 & 0x07;
    } else {
        ++i;
        return kInvalid;
    }
    if (i + static_cast<std::size_t>(len) > s.size()) {
        ++i;
        return kInvalid;
    }
    for (int k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return kInvalid;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    static constexpr char32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return kInvalid;
    }
    i += static_cast<std::size_t>(len);
    return cp;
}

char32_t upperCodePoint(char32_t cp) {
    if (cp >= 'a' && cp <= 'z') return cp - 32;
    if (cp >= 0x0430 && cp <= 0x044F) return cp - 0x20;  // а..я
    if (cp >= 0x0450 && cp <= 0x045F) return cp - 0x50;  // ѐ..џ (ё, ђ, ѓ, є, ѕ, і, ї, ј, љ, њ, ћ, ќ, ў, џ)
    if (cp == 0x0491) return 0x0490;                     // ґ
    return cp;
}

char32_t lowerCodePoint(char32_t cp) {
    if (cp >= 'A' && cp <= 'Z') return cp + 32;
    if (cp >= 0x0410 && cp <= 0x042F) return cp + 0x20;
    if (cp >= 0x0400 && cp <= 0x040F) return cp + 0x50;
    if (cp == 0x0490) return 0x0491;
    return cp;
}

template <typename Map>
std::string mapCase(std::string_view s, Map map) {
    std::string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        const std::size_t start = i;
        const char32_t cp = decodeUtf8(s, i);
        if (cp == kInvalid)
            out.append(s.substr(start, i - start));
        else
            appendUtf8(out, map(cp));
    }
    return out;
}

std::atomic<char> gSeparatorOverride{'\0'};

// Languages whose usual decimal separator is a comma; used when the locale named by the
// environment is not installed on this system.
bool languageUsesComma(std::string_view lang) {
    static constexpr std::string_view kComma[] = {
        "ru", "uk", "be", "kk", "uz", "ky", "tg", "az", "hy", "ka", "bg", "sr", "mk", "hr", "bs", "sl",
        "cs", "sk", "pl", "hu", "ro", "de", "fr", "es", "it", "pt", "nl", "da", "sv", "nb", "nn", "no",
        "fi", "et", "lv", "lt", "el", "tr", "id", "vi", "ca", "gl", "eu", "is", "af", "sq"};
    for (auto l : kComma)
        if (lang == l) return true;
    return false;
}

}  // namespace

std::string cp1251ToUtf8(std::string_view cp1251) {
    std::string out;
    out.reserve(cp1251.size() * 2);
    for (char c : cp1251) appendUtf8(out, byteToCodePoint(static_cast<unsigned char>(c)));
    return out;
}

std::string utf8ToCp1251(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const char32_t cp = decodeUtf8(utf8, i);
        const int b = cp == kInvalid ? -1 : codePointToByte(cp);
        out += b < 0 ? '?' : static_cast<char>(b);
    }
    return out;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::size_t utf8Length(std::string_view utf8) {
    return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

bool isValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size())
        if (decodeUtf8(text, i) == kInvalid) return false;
    return true;
}

std::size_t cp1251Length(std::string_view utf8) {
    std::size_t n = 0, i = 0;
    while (i < utf8.size()) {
        decodeUtf8(utf8, i);
        ++n;
    }
    return n;
}

std::string truncateToCp1251Bytes(std::string_view utf8, std::size_t maxBytes) {
    std::size_t n = 0, i = 0;
    while (i < utf8.size() && n < maxBytes) {
        decodeUtf8(utf8, i);
        ++n;
    }
    return std::string(utf8.substr(0, i));
}

std::string toUpperUtf8(std::string_view utf8) { return mapCase(utf8, upperCodePoint); }
std::string toLowerUtf8(std::string_view utf8) { return mapCase(utf8, lowerCodePoint); }

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const std::size_t si = i, sj = j;
        const char32_t ca = decodeUtf8(a, i);
        const char32_t cb = decodeUtf8(b, j);
        if (ca == kInvalid || cb == kInvalid) {
            if (a.substr(si, i - si) != b.substr(sj, j - sj)) return false;
            continue;
        }
        if (upperCodePoint(ca) != upperCodePoint(cb)) return false;
    }
    return i == a.size() && j == b.size();
}

char decimalSeparatorOfLocale(std::string_view localeName) {
    const std::string name(localeName);
    if (name.empty() || name == "C" || name == "POSIX" || name.rfind("C.", 0) == 0) return '.';
    if (locale_t loc = ::newlocale(LC_NUMERIC_MASK, name.c_str(), static_cast<locale_t>(nullptr))) {
        const char* radix = ::nl_langinfo_l(RADIXCHAR, loc);
        const char r = (radix && radix[0] && !radix[1]) ? radix[0] : '.';
        ::freelocale(loc);
        return r;
    }
    // Not installed here: judge by the language part ("ru_RU.UTF-8" -> "ru").
    std::string lang;
    for (char c : name) {
        if (!std::isalpha(static_cast<unsigned char>(c))) break;
        lang += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return languageUsesComma(lang) ? ',' : '.';
}

char detectDecimalSeparator() {
    for (const char* var : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
        const char* v = std::getenv(var);
        if (v && *v) return decimalSeparatorOfLocale(v);
    }
    return '.';
}

char systemDecimalSeparator() {
    if (char o = gSeparatorOverride.load(std::memory_order_relaxed)) return o;
    static const char detected = detectDecimalSeparator();
    return detected;
}

void setDecimalSeparatorOverride(char separator) { gSeparatorOverride.store(separator, std::memory_order_relaxed); }

}  // namespace tavlora
