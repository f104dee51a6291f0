#pragma once
// Delphi-style formatting of message and caption patterns: "%d", "%s", "%.2d", "%.5f",
// "%0:d", "%1:s", "%%". A pattern that does not fit its arguments (a missing argument, a
// wrong type, an unknown directive) is returned unformatted instead of failing, since user
// captions are patterns too.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace tavlora {

using FormatArg = std::variant<int64_t, long double, std::string>;

std::string formatDelphi(std::string_view pattern, std::initializer_list<FormatArg> args);

// Convenience overloads for the common cases.
inline FormatArg fmtArg(int v) { return FormatArg(static_cast<int64_t>(v)); }
inline FormatArg fmtArg(int64_t v) { return FormatArg(v); }
inline FormatArg fmtArg(double v) { return FormatArg(static_cast<long double>(v)); }
inline FormatArg fmtArg(long double v) { return FormatArg(v); }
inline FormatArg fmtArg(std::string v) { return FormatArg(std::move(v)); }
inline FormatArg fmtArg(const char* v) { return FormatArg(std::string(v)); }

template <typename... Args>
std::string fmt(std::string_view pattern, Args&&... args) {
    return formatDelphi(pattern, {fmtArg(std::forward<Args>(args))...});
}

}  // namespace tavlora
