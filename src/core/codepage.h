#pragma once
// Windows-1251 <-> UTF-8 conversion at the file boundary, and the decimal separator of the
// user's locale used when real numbers are written to text files.
#include <cstddef>
#include <string>
#include <string_view>

namespace tavlora {

// Converts Windows-1251 bytes to UTF-8. Every byte has a form (0x98, unassigned in the code
// page, becomes U+0098 as on Windows), so conversion back gives the same bytes.
std::string cp1251ToUtf8(std::string_view cp1251);

// Converts UTF-8 to Windows-1251. Characters with no Windows-1251 form, and malformed UTF-8
// sequences, become '?'.
std::string utf8ToCp1251(std::string_view utf8);

// Appends the UTF-8 form of a code point.
void appendUtf8(std::string& out, char32_t cp);
// Number of characters (code points) of a UTF-8 text: the bytes that do not continue one.
std::size_t utf8Length(std::string_view utf8);
// Whether text is well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool isValidUtf8(std::string_view text);

// Number of bytes of the Windows-1251 form of a UTF-8 text (one per character).
std::size_t cp1251Length(std::string_view utf8);

// The first characters of a UTF-8 text whose Windows-1251 form fits maxBytes bytes; never cuts
// a character in half.
std::string truncateToCp1251Bytes(std::string_view utf8, std::size_t maxBytes);

// Case folding for the comparisons that Windows does without regard to case: ASCII and the
// Cyrillic letters of Windows-1251 (including Ё/ё and the Ukrainian/Belarusian letters).
// Works on UTF-8; characters without a case pass through unchanged.
std::string toUpperUtf8(std::string_view utf8);
std::string toLowerUtf8(std::string_view utf8);
bool equalsIgnoreCase(std::string_view a, std::string_view b);

// Radix character of the user's numeric locale as given by the environment (LC_ALL, then
// LC_NUMERIC, then LANG); '.' when none is set, for "C"/"POSIX" or when the locale is unknown.
// setDecimalSeparatorOverride fixes the answer (for tests); '\0' removes the override.
// The environment is read once, at the first call.
char systemDecimalSeparator();
void setDecimalSeparatorOverride(char separator);
// The same rule without the cache and the override: reads the environment now.
char detectDecimalSeparator();
// Radix character of a named locale ("ru_RU.UTF-8" -> ','); a locale that is not installed
// here is judged by its language. '.' for "", "C", "C.UTF-8" and "POSIX".
char decimalSeparatorOfLocale(std::string_view localeName);

}  // namespace tavlora
