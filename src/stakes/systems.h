#pragma once
// Wheeling systems kept on disk: the "Systems" folder beside the data files holds one text file
// per downloaded system, "5-KK-B_IIII.dat" (numbers per combination, positions K with two digits,
// block length, system id with four digits), one combination of five positions 1..K per line.
// Playing a system maps its positions onto K concrete numbers.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/interaction.h"
#include "core/records.h"

namespace tavlora {

inline constexpr const char* kSystemsFolder = "Systems";
inline constexpr const char* kSystemNotFound = "Система для %d чисел не найдена или не загружена на компьютер!";
inline constexpr const char* kSystemNotFoundBox =
    "Система для %d чисел не найдена или не загружена на компьютер!\r\rПеред системной игрой необходимо "
    "предварительно загрузить системы на Ваш компьютер через меню \"Системы\" - \"Загрузить\".";
inline constexpr const char* kSystemLoadError = "Ошибка загрузки комбинаций системы!\r\r%s";

// "5-12-3_0042.dat" for K = 12, block 3, id 42.
std::string systemFileName(int k, int block, int id);
// The first file (in name order) of the folder matching "5-KK-*_*.dat", if any.
std::optional<std::filesystem::path> findSystemFile(const std::filesystem::path& systemsDir, int k);

// Reads a system file: one combination of five positions per non-empty line, the positions
// separated by any of " *+,-./:;=\_|~" (and tabs). Throws EError (the reason, without the
// message frame) when a line does not hold five positions 1..k or the file cannot be read.
std::vector<TComb> readSystemPositions(const std::filesystem::path& file, int k);

struct TSystemLookup {
    bool ok = false;
    std::vector<TComb> combinations;  // positions mapped onto the numbers, in file order
    std::filesystem::path file;
    std::string error;  // the short error text when not ok
};

// Finds the system for the given distinct numbers (K = their count) and maps line i, position
// p_j onto the p_j-th number of the list. Without a system: error kSystemNotFound and, when
// interaction is given, the box kSystemNotFoundBox; a reading error: kSystemLoadError. ok is
// true when at least one combination was read.
TSystemLookup findSystem(const std::filesystem::path& systemsDir, const TByteArray& numbers,
                         Interaction* interaction);

}  // namespace tavlora
