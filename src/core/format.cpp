#include "core/format.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

#include "core/codepage.h"

namespace tavlora {

namespace {

constexpr int kMaxWidth = 4096;  // a wider field is taken as a pattern error, not an allocation

// The first maxChars characters of a UTF-8 text.
std::string_view utf8Prefix(std::string_view s, std::size_t maxChars) {
    std::size_t n = 0, i = 0;
    for (; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
            if (n == maxChars) break;
            ++n;
        }
    }
    return s.substr(0, i);
}

std::string fixed(long double v, int decimals, char sep) {
    char buf[128];
    int n = std::snprintf(buf, sizeof buf, "%.*Lf", decimals, v);
    std::string s;
    if (n < 0 || n >= static_cast<int>(sizeof buf)) {
        std::vector<char> big(static_cast<std::size_t>(n > 0 ? n : 0) + 1);
        std::snprintf(big.data(), big.size(), "%.*Lf", decimals, v);
        s.assign(big.data());
    } else {
        s.assign(buf, static_cast<std::size_t>(n));
    }
    for (char& c : s)
        if (c == '.' || c == ',') c = sep;
    return s;
}

std::string groupThousands(std::string s, char sep) {
    const std::size_t start = (!s.empty() && s[0] == '-') ? 1 : 0;
    std::size_t end = s.find(sep, start);
    if (end == std::string::npos) end = s.size();
    // Russian and most comma locales group with a no-break space; "." locales with ",".
    const std::string group = sep == '.' ? std::string(",") : std::string("\xC2\xA0");
    for (std::size_t digits = end - start; digits > 3;) {
        digits -= 3;
        s.insert(start + digits, group);
    }
    return s;
}

// "-d.ddd...E+ddd" with `digits` significant digits and at least three exponent digits.
std::string scientific(long double v, int digits, char sep) {
    if (digits < 1) digits = 1;
    if (digits > 18) digits = 18;
    char buf[128];
    std::snprintf(buf, sizeof buf, "%.*LE", digits - 1, v);
    std::string s(buf);
    const std::size_t e = s.find('E');
    if (e == std::string::npos) return s;
    std::string mant = s.substr(0, e);
    std::string exp = s.substr(e + 1);
    const char sign = exp.empty() ? '+' : exp[0];
    std::string mag = exp.substr(1);
    while (mag.size() < 3) mag = "0" + mag;
    for (char& c : mant)
        if (c == '.' || c == ',') c = sep;
    return mant + "E" + sign + mag;
}

// Delphi's general format: fixed when the exponent is below the precision, else scientific;
// trailing zeros of the fraction removed.
std::string general(long double v, int digits, char sep) {
    if (digits < 1) digits = 1;
    if (digits > 18) digits = 18;
    if (v == 0) return "0";
    char buf[128];
    std::snprintf(buf, sizeof buf, "%.*LE", digits - 1, v);
    const char* e = std::strchr(buf, 'E');
    const int exponent = e ? std::atoi(e + 1) : 0;
    std::string s;
    if (exponent >= digits || exponent < -5) {
        std::string m(buf, e ? static_cast<std::size_t>(e - buf) : std::strlen(buf));
        if (m.find('.') != std::string::npos) {
            while (!m.empty() && m.back() == '0') m.pop_back();
            if (!m.empty() && m.back() == '.') m.pop_back();
        }
        s = m + "E" + (exponent < 0 ? "-" : "") + std::to_string(std::abs(exponent));
    } else {
        std::snprintf(buf, sizeof buf, "%.*Lf", std::max(0, digits - 1 - exponent), v);
        s = buf;
        if (s.find('.') != std::string::npos) {
            while (!s.empty() && s.back() == '0') s.pop_back();
            if (!s.empty() && s.back() == '.') s.pop_back();
        }
    }
    for (char& c : s)
        if (c == '.' || c == ',') c = sep;
    return s;
}

std::string withMinDigits(std::string digits, int minDigits, bool negative) {
    if (minDigits > kMaxWidth) minDigits = kMaxWidth;
    if (static_cast<int>(digits.size()) < minDigits) digits.insert(0, static_cast<std::size_t>(minDigits) - digits.size(), '0');
    return negative ? "-" + digits : digits;
}

std::optional<std::string> formatImpl(std::string_view p, std::initializer_list<FormatArg> list, char sep) {
    const FormatArg* args = list.begin();
    const std::size_t count = list.size();
    std::size_t next = 0;
    std::string out;
    out.reserve(p.size() + 16);
    std::size_t i = 0;
    auto readNumber = [&](int& value) -> bool {  // digits or '*'
        if (i < p.size() && p[i] == '*') {
            ++i;
            if (next >= count || !std::holds_alternative<int64_t>(args[next])) return false;
            const int64_t v = std::get<int64_t>(args[next++]);
            if (v < -kMaxWidth || v > kMaxWidth) return false;
            value = static_cast<int>(v);
            return true;
        }
        value = 0;
        bool any = false;
        while (i < p.size() && p[i] >= '0' && p[i] <= '9') {
            value = value * 10 + (p[i] - '0');
            if (value > kMaxWidth) return false;
            ++i;
            any = true;
        }
        return any;
    };
    while (i < p.size()) {
        const char c = p[i];
        if (c != '%') {
            out += c;
            ++i;
            continue;
        }
        ++i;
        if (i >= p.size()) return std::nullopt;
        if (p[i] == '%') {
            out += '%';
            ++i;
            continue;
        }
        // [index ":"]
        {
            const std::size_t save = i, saveNext = next;
            int index = 0;
            if (readNumber(index) && i < p.size() && p[i] == ':') {
                if (index < 0) return std::nullopt;
                next = static_cast<std::size_t>(index);
                ++i;
            } else {
                i = save;
                next = saveNext;
            }
        }
        bool left = false;
        if (i < p.size() && p[i] == '-') {
            left = true;
            ++i;
        }
        auto startsNumber = [&] { return i < p.size() && (p[i] == '*' || (p[i] >= '0' && p[i] <= '9')); };
        int width = -1, precision = -1;
        if (startsNumber()) {
            if (!readNumber(width)) return std::nullopt;
            if (width < 0) {  // "*" with a negative value: left justify, as Delphi does
                left = true;
                width = -width;
            }
        }
        if (i < p.size() && p[i] == '.') {
            ++i;
            precision = 0;
            if (startsNumber()) {
                if (!readNumber(precision)) return std::nullopt;
                if (precision < 0) precision = -1;
            }
        }
        if (i >= p.size()) return std::nullopt;
        const char type = static_cast<char>(p[i] | 0x20);  // letters in either case
        ++i;
        if (next >= count) return std::nullopt;
        const FormatArg& arg = args[next++];
        std::string field;
        switch (type) {
            case 'd': {
                if (!std::holds_alternative<int64_t>(arg)) return std::nullopt;
                const int64_t v = std::get<int64_t>(arg);
                const uint64_t mag = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
                field = withMinDigits(std::to_string(mag), precision, v < 0);
                break;
            }
            case 'u': {
                if (!std::holds_alternative<int64_t>(arg)) return std::nullopt;
                field = withMinDigits(std::to_string(static_cast<uint64_t>(std::get<int64_t>(arg))), precision, false);
                break;
            }
            case 'x': {
                if (!std::holds_alternative<int64_t>(arg)) return std::nullopt;
                char buf[32];
                std::snprintf(buf, sizeof buf, "%llX", static_cast<unsigned long long>(std::get<int64_t>(arg)));
                field = withMinDigits(buf, precision, false);
                break;
            }
            case 's': {
                if (!std::holds_alternative<std::string>(arg)) return std::nullopt;
                const std::string& s = std::get<std::string>(arg);
                field = precision >= 0 ? std::string(utf8Prefix(s, static_cast<std::size_t>(precision))) : s;
                break;
            }
            case 'f':
            case 'e':
            case 'g':
            case 'n':
            case 'm': {
                long double v;
                if (std::holds_alternative<long double>(arg))
                    v = std::get<long double>(arg);
                else if (std::holds_alternative<int64_t>(arg))
                    v = static_cast<long double>(std::get<int64_t>(arg));
                else
                    return std::nullopt;
                if (std::isnan(v)) {
                    field = "NAN";
                } else if (std::isinf(v)) {
                    field = v > 0 ? "INF" : "-INF";
                } else if (type == 'e') {
                    field = scientific(v, precision < 0 ? 15 : precision, sep);
                } else if (type == 'g') {
                    field = general(v, precision < 0 ? 15 : precision, sep);
                } else {
                    const int decimals = precision < 0 ? 2 : std::min(precision, 18);
                    // Very large magnitudes are shown in scientific form rather than as a
                    // hundreds-of-digits fixed text.
                    if (std::fabs(v) >= 1e18L)
                        field = scientific(v, 15, sep);
                    else
                        field = fixed(v, decimals, sep);
                    if (type != 'f') field = groupThousands(field, sep);
                }
                break;
            }
            default:
                return std::nullopt;
        }
        const std::size_t len = utf8Length(field);
        if (width > 0 && len < static_cast<std::size_t>(width)) {
            const std::string pad(static_cast<std::size_t>(width) - len, ' ');
            field = left ? field + pad : pad + field;
        }
        out += field;
    }
    return out;
}

}  // namespace

std::string formatDelphi(std::string_view pattern, std::initializer_list<FormatArg> args, char decimalSeparator) {
    auto r = formatImpl(pattern, args, decimalSeparator ? decimalSeparator : '.');
    return r ? std::move(*r) : std::string(pattern);
}

std::string formatDelphi(std::string_view pattern, std::initializer_list<FormatArg> args) {
    return formatDelphi(pattern, args, systemDecimalSeparator());
}

}  // namespace tavlora
