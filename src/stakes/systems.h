#pragma once
// Wheeling systems kept on disk: the "Systems" folder beside the data files holds one text file
// per downloaded system, "5-KK-B_IIII.dat" (numbers per combination, positions K with two digits,
// block length, system id with four digits), one combination of five positions 1..K per line.
// Playing a system maps its positions onto K concrete numbers.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/interaction.h"
#include "core/progress.h"
#include "core/records.h"
#include "stakes/stake_record.h"

namespace tavlora {

inline constexpr const char* kSystemsFolder = "Systems";
inline constexpr const char* kSystemNotFound = "Система для %d чисел не найдена или не загружена на компьютер!";
inline constexpr const char* kSystemNotFoundBox =
    "Система для %d чисел не найдена или не загружена на компьютер!\r\rПеред системной игрой необходимо "
    "предварительно загрузить системы на Ваш компьютер через меню \"Системы\" - \"Загрузить\".";
inline constexpr const char* kSystemLoadError = "Ошибка загрузки комбинаций системы!\r\r%s";

// "5-12-3_0042.dat" for K = 12, block 3, id 42.
std::string systemFileName(int k, int block, int id);
// The parts of a system file name "5-KK-B_IIII.dat" (the extension in any case); nullopt for any
// other name.
struct TSystemFileName {
    int k = 0;
    int block = 0;
    int id = 0;
};
std::optional<TSystemFileName> parseSystemFileName(const std::string& name);

// The first file (in name order) of the folder matching "5-KK-*_*.dat", if any.
std::optional<std::filesystem::path> findSystemFile(const std::filesystem::path& systemsDir, int k);

// One combination of a system file as the files hold it: five positions with two digits each,
// separated by one blank ("01 02 03 04 07").
std::string systemLine(const TComb& positions);
// The words of a system line: the runs of characters between the separators of positions, any of
// " *+,-./:;=\_|~" and tabs.
std::vector<std::string_view> systemLineWords(std::string_view line);

// Reads a system file: one combination of five positions per non-empty line, the positions
// separated by any of " *+,-./:;=\_|~" (and tabs). Throws EError (the reason, without the
// message frame) when a line does not hold five distinct positions 1..k or the file cannot be
// read.
std::vector<TComb> readSystemPositions(const std::filesystem::path& file, int k);
// The same reading of a system file's bytes already in memory.
std::vector<TComb> parseSystemPositions(std::string_view text, int k);

struct TSystemLookup {
    bool ok = false;
    std::vector<TComb> combinations;  // positions mapped onto the numbers, in file order
    std::filesystem::path file;
    std::string error;  // the short error text when not ok
};

// Finds the system for the given distinct numbers (K = their count) and maps line i, position
// p_j onto the p_j-th number of the list. Without a system: error kSystemNotFound and, when
// interaction is given, the box kSystemNotFoundBox; a reading error, or a file without any
// combination: kSystemLoadError. ok is true when at least one combination was read.
TSystemLookup findSystem(const std::filesystem::path& systemsDir, const TByteArray& numbers,
                         Interaction* interaction);

class TStakesStore;
class TSettings;

// System play: every combination of the system ("вся система"), or only those also in the
// combination list ("система * комбинации").
enum class TSystemPlayMode { All, Filtered };

// "Системная игра для %d чисел [вся система]: %s" or "... [комбинации]: %s" with K and the
// system file's name without folder and extension.
std::string systemPlayComment(TSystemPlayMode mode, int k, const std::filesystem::path& systemFile);

struct TSystemPlayResult {
    int added = 0;    // system combinations turned into stakes
    bool ok = true;   // false when an addition failed (the loop stopped there)
};

// Appends a separator when the last stake is real, then for every system combination in file
// order (numbers ascending; in the filtered mode only those also in the list) a stake of the
// given kind with the draw number, comment, list size = the list's length (filtered) or the
// number of system combinations (all), profit = minus the cost, for count draws. Stops at the
// first failed addition. Checking is left to the caller.
TSystemPlayResult addSystemStakes(TStakesStore& store, const TSystemLookup& system, TSystemPlayMode mode,
                                  const TCombsArray& list, int32_t drawNumber, int count, const std::string& comment,
                                  TStakeKind kind, const TSettings& settings, Progress& progress,
                                  Interaction& interaction);

}  // namespace tavlora
