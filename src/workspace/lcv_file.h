#pragma once
// The .lcv text form of a combination list: one combination per line, its five numbers in
// decimal joined by ";", CR LF line ends.
#include <filesystem>
#include <string>
#include <string_view>

#include "core/records.h"

namespace tavlora {

// One combination per line, its numbers in decimal without leading zeros joined by ";", CR LF
// after every line.
std::string lcvText(const TCombsArray& combs);
inline constexpr const char* kLcvBadLine =
    "Строка %d: неверная комбинация \"%s\" (нужны пять разных чисел от 1 до 69).";

// Reads .lcv text: lines split on "," and ";"; empty lines and lines without exactly five words
// are skipped; each trimmed word is read as an integer. Appends to out in file order, without
// sorting. A five-word line that is not five distinct numbers 1..69 throws EError(kLcvBadLine)
// with its line number, and out is then unchanged.
void parseLcvText(std::string_view text, TCombsArray& out);

// Appends the combinations of a .lcv file to out. Throws EError with the system's message when
// the file cannot be read, or kLcvBadLine (out is then unchanged).
void readLcvFile(const std::filesystem::path& file, TCombsArray& out);
// Writes the list as a .lcv file, replacing the file whole. Throws EError with the system's
// message on failure (the old file then stays as it was).
void writeLcvFile(const std::filesystem::path& file, const TCombsArray& combs);

}  // namespace tavlora
