#pragma once
// Delphi-style formatting of message and caption patterns: "%d", "%s", "%.2d", "%.5f",
// "%0:d", "%1:s", "%%". A pattern that does not fit its arguments (a missing argument, a
// wrong type, an unknown directive) is returned unformatted instead of failing, since user
// captions are patterns too.
//
// Directives: "%" [index ":"] ["-"] [width] ["." precision] type, where index, width and
// precision may be "*" (taken from the next integer argument) and type is one of
//   d  decimal integer; precision = minimum number of digits ("%.2d" of 5 -> "05")
//   u  unsigned decimal integer (a negative value is shown as its two's complement)
//   x  hexadecimal in capitals; precision = minimum number of digits
//   s  text; precision = maximum number of characters
//   f  fixed point, precision decimals (default 2)
//   e  scientific "-d.ddd...E+ddd", precision significant digits (default 15)
//   g  the shorter of fixed and scientific, precision significant digits (default 15)
//   n  like f with thousands separators
//   m  money: like n
// Width and precision count characters (not bytes) of UTF-8 texts. Real directives accept an
// integer argument too; integer directives refuse a real one, and "s" refuses numbers, as Delphi
// does. The decimal separator of f, e, g, n and m is the system's (systemDecimalSeparator) unless
// given explicitly.
#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

namespace tavlora {

using FormatArg = std::variant<int64_t, long double, std::string>;

std::string formatDelphi(std::string_view pattern, std::initializer_list<FormatArg> args);
std::string formatDelphi(std::string_view pattern, std::initializer_list<FormatArg> args, char decimalSeparator);

// Convenience overloads for the common cases.
inline FormatArg fmtArg(int v) { return FormatArg(static_cast<int64_t>(v)); }
inline FormatArg fmtArg(int64_t v) { return FormatArg(v); }
inline FormatArg fmtArg(double v) { return FormatArg(static_cast<long double>(v)); }
inline FormatArg fmtArg(long double v) { return FormatArg(v); }
inline FormatArg fmtArg(std::string v) { return FormatArg(std::move(v)); }
inline FormatArg fmtArg(const char* v) { return FormatArg(std::string(v ? v : "")); }
inline FormatArg fmtArg(std::string_view v) { return FormatArg(std::string(v)); }
inline FormatArg fmtArg(float v) { return FormatArg(static_cast<long double>(v)); }
// Every other integer type (unsigned, long long, size_t, uint8_t, uint16_t, char, bool, ...).
// Unsigned values beyond the signed 64-bit range keep their bits (shown right by "%u").
template <typename T>
    requires std::is_integral_v<T> && (!std::is_same_v<T, int>) && (!std::is_same_v<T, int64_t>)
inline FormatArg fmtArg(T v) {
    return FormatArg(static_cast<int64_t>(v));
}
inline FormatArg fmtArg(const FormatArg& v) { return v; }

template <typename... Args>
std::string fmt(std::string_view pattern, Args&&... args) {
    return formatDelphi(pattern, {fmtArg(std::forward<Args>(args))...});
}

}  // namespace tavlora
