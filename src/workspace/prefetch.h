#pragma once
// Norm files ("prefetch" files): for one statistics method, the number of combinations of the
// full set C(69,5) that carry each of its values, kept in
// <data>/Prefetchs/Tavlora_5d69_<CODE>.dfc so that the statistics view reads norms instead of
// recomputing them. Layout, little-endian, no header: per value (ascending keys) 4 unsigned
// 16-bit keys and a signed 32-bit count (12 bytes), then a 12-byte trailer: the smallest count,
// the largest count and 0.
#include <array>
#include <bitset>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/interaction.h"
#include "core/progress.h"
#include "stats/stat_types.h"

namespace tavlora {

class TStatList;

inline constexpr const char* kPrefetchFolder = "Prefetchs";
inline constexpr const char* kPrefetchCreatingText = "Создание файла предварительной выборки %s...";
inline constexpr const char* kPrefetchOpenError =
    "Ошибка открытия файла данных для полного набора вариантов!\r\rИмя файла: %s\r\r%s";
inline constexpr const char* kPrefetchCreateError =
    "Ошибка создания файла данных для полного набора вариантов!\r\rИмя файла: %s\r\r%s";
inline constexpr const char* kPrefetchEnsureText = "Создание файлов для полного набора комбинаций...";

struct TPrefetchEntry {
    std::array<uint16_t, 4> keys{};
    int32_t count = 0;
    bool operator==(const TPrefetchEntry&) const = default;
};

// The content of a norm file.
struct TPrefetchData {
    std::vector<TPrefetchEntry> entries;  // in file order (ascending keys)
    int32_t minCount = 0;                 // trailer
    int32_t maxCount = 0;
    bool operator==(const TPrefetchData&) const = default;
};

using TGroupSet = std::bitset<13>;

// <dataDir>/Prefetchs/Tavlora_5d69_<code>.dfc
std::filesystem::path prefetchPath(const std::filesystem::path& dataDir, std::string_view code);

// The file bytes of the data, and back. parsePrefetchBytes throws EError when the size is not
// 12 * (N + 1) with N >= 0.
std::string prefetchBytes(const TPrefetchData& data);
TPrefetchData parsePrefetchBytes(std::string_view bytes);
// The data of a value list: sorted by keys, counts copied, trailer = smallest and largest count.
TPrefetchData prefetchDataOf(TStatDrawArray values);

// Values of a combination over the whole set of C(69,5) combinations, for the registry's method
// at methodIndex: the combinations are produced on the fly in lexicographic order and spread
// over all cores, one method instance and one value list per worker, the lists merged by keys
// and sorted (the result equals a one-thread run). Progress moves from 0 to the number of
// three-number prefixes. Returns false on a stop request (values then incomplete); an error of the
// method is thrown as EError. The one-method case of fullSetValuesOfMethods.
bool fullSetValues(const TStatList& registry, int methodIndex, TStatDrawArray& values, Progress& progress);

// The outcome of one method in a run over several methods: its full-set values, or the message
// of the error that ended its counting (the other methods of the run go on without it).
struct TFullSetOutcome {
    TStatDrawArray values;
    std::string error;  // empty when values is complete
};

// fullSetValues for several methods in one pass: each worker produces a batch of combinations once
// and every method of the run counts it (with its counting shortcut, or through valuesOfComb),
// into counts of its own per worker that are merged at the end. outcomes[k] belongs to
// methodIndices[k]; its values equal those of fullSetValues for that method. A method that throws
// gets its message in error and is left out of the rest of the run. Progress moves from 0 to the
// number of three-number prefixes. Returns false on a stop request (outcomes then incomplete).
bool fullSetValuesOfMethods(const TStatList& registry, const std::vector<int>& methodIndices,
                            std::vector<TFullSetOutcome>& outcomes, Progress& progress);

// Builds the method's norm file: status kPrefetchCreatingText, the full-set values, the file
// written through a temporary file and a rename. On an error the target file is removed and
// kPrefetchCreateError is shown; on a stop the target file is removed silently (a stopped or
// failed build never leaves a file behind). Returns true when the file was written.
bool createPrefetchFile(const TStatList& registry, int methodIndex, const std::filesystem::path& dataDir,
                        Progress& progress, Interaction& interaction);

// Reads the method's norm file, creating it first when it is missing or empty. A read error
// (or a file whose size is not a whole number of records) shows kPrefetchOpenError; creation
// errors show kPrefetchCreateError. Returns nothing when there are no norms to use.
std::optional<TPrefetchData> openPrefetchFile(const TStatList& registry, int methodIndex,
                                              const std::filesystem::path& dataDir, Progress& progress,
                                              Interaction& interaction);

// Ensures the norm files: nothing when neither force nor enabled (the norms switch) is set;
// otherwise every method with a norm gets its file created when missing, and recreated when it
// exists and its group is in groups. The due files are counted together in one pass over the full
// set (a few passes when there are many workers, to bound the memory of the counts), then written
// one by one in registry order, each through a temporary file and a rename. The gauge runs over
// the registered methods. A method or file that fails shows kPrefetchCreateError for its file
// (which is then removed) and the other files are still written. On a stop no file of the
// unfinished pass is written and files that already existed are left as they were.
// Returns false when stopped.
bool ensurePrefetchFiles(const TStatList& registry, const std::filesystem::path& dataDir, bool enabled, bool force,
                         const TGroupSet& groups, Progress& progress, Interaction& interaction);

}  // namespace tavlora
