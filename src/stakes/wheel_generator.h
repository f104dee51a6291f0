#pragma once
// Our own wheels: covering designs C(K, 5, t). A wheel over K positions guarantees "t if t":
// whichever t of the K numbers are drawn, some ticket (a block of five of the K positions) holds
// all t of them. The generator starts from a greedy cover and shrinks it by a local search
// (a tabu search over point swaps in the blocks) that removes a block whenever the remaining
// blocks can be rearranged to cover every t-set again. The result is written as an ordinary
// system file, so lookup, system play and the scenario result modes use it unchanged.
//
// A wheel's file is "5-KK-T_0000.dat": the block length field holds the guarantee t and the
// id 0 marks a wheel made on this computer (the catalogue's ids start at 1).
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/progress.h"
#include "core/records.h"

namespace tavlora {

inline constexpr int kWheelMinNumbers = 6;
inline constexpr int kWheelMaxNumbers = 69;
inline constexpr int kWheelMinGuarantee = 1;
inline constexpr int kWheelMaxGuarantee = 4;
// The system id of a wheel made by the generator.
inline constexpr int kWheelSystemId = 0;

// The Schönheim lower bound L(K, 5, t) = ceil(K/5 * ceil((K-1)/4 * ... ceil((K-t+1)/(5-t+1)))):
// no wheel for these parameters has fewer tickets. 1 for t = 0.
int64_t schoenheimBound(int numbers, int blockSize, int guarantee);

// The result of checking a wheel.
struct TWheelCheck {
    bool valid = true;        // every block holds five distinct positions 1..K
    std::string error;        // why not valid
    int64_t uncovered = 0;    // t-sets that no block contains
    std::vector<int> firstUncovered;  // the smallest such t-set (positions ascending), if any
    bool covers() const { return valid && uncovered == 0; }
};

// Checks that every t-subset of 1..K lies in some block. Independent of the generator's own
// bookkeeping: it marks the t-subsets of every block, then walks all t-subsets of 1..K.
TWheelCheck verifyWheel(const std::vector<TComb>& blocks, int numbers, int guarantee);

// The plain greedy cover: repeatedly takes the block that covers the most t-sets not yet
// covered, ties going to the first block in colex order. Deterministic; the yardstick of the
// generator. Blocks hold positions 1..K ascending.
std::vector<TComb> greedyWheel(int numbers, int guarantee);

struct TWheelOptions {
    int numbers = 0;      // K
    int guarantee = 0;    // t
    uint64_t seed = 1;    // same seed and options -> same wheel, whatever the number of cores
    double seconds = 10;  // time limit of the search (<= 0: none)
    // The search runs this many independent streams in rounds of roundIterations steps each;
    // both are fixed numbers (never the core count), so the result does not depend on the
    // machine unless the time limit cuts the search.
    int streams = 8;
    int roundIterations = 4000;
    // The search ends after so many rounds without a smaller wheel (or at the lower bound).
    int patienceRounds = 12;
    // Optional: a wheel for K-1 numbers with the same guarantee. Completed greedily with blocks
    // through number K it is a second start; the search begins from the smaller of the two.
    // Ignored unless it covers every t-set of K-1 numbers.
    std::vector<TComb> base;
};

struct TWheelResult {
    int numbers = 0;
    int guarantee = 0;
    std::vector<TComb> blocks;  // positions 1..K ascending in each block; blocks in ascending order
    int64_t greedySize = 0;     // size of the plain greedy cover
    int64_t lowerBound = 0;     // Schönheim bound
    int rounds = 0;             // search rounds run
    bool extendedBase = false;  // the search began from the extended K-1 wheel
    bool timedOut = false;      // the time limit ended the search (then the seed alone does not fix the result)
    bool stopped = false;       // the user stopped the search (the best wheel so far is kept)
    int64_t size() const { return static_cast<int64_t>(blocks.size()); }
};

// Builds a wheel: greedy start, then the local search on all cores until the lower bound is
// reached, patienceRounds rounds pass without a smaller wheel, the time limit passes or the
// user stops. The result always covers every t-set. Throws EError for parameters outside
// K 6..69, t 1..4. Progress: status text with the current size, gauge 0..1000, stop flag.
TWheelResult generateWheel(const TWheelOptions& options, Progress& progress);

// "5-KK-T_0000.dat" for a wheel of K numbers and guarantee t.
std::string wheelFileName(int numbers, int guarantee);

// The wheel for K-1 numbers with guarantee t from the systems folder, as a start for K
// (TWheelOptions::base); empty when there is none or it is unreadable or does not cover.
std::vector<TComb> readWheelBase(const std::filesystem::path& systemsDir, int numbers, int guarantee);

// The system file text of a wheel: one block per line, positions "%.2d" separated by one blank,
// CR LF line ends.
std::string wheelFileText(const std::vector<TComb>& blocks);

struct TWheelSave {
    std::filesystem::path file;
    bool written = false;     // false: an existing wheel file of this K and t was kept
    int64_t existingSize = 0; // size of the kept file when not written
};

// Writes the wheel into the systems folder (created when missing) as wheelFileName(K, t),
// replacing the file through a temporary file. An existing file that is a valid, complete wheel
// of the same K and t and no larger is kept: a shorter search must not throw away a smaller
// wheel. Throws EError when the folder or file cannot be written.
TWheelSave saveWheel(const std::filesystem::path& systemsDir, const TWheelResult& wheel);

}  // namespace tavlora
