#pragma once
// The stake record: one ticket played for one draw, as kept in the stakes file <base>.lsk.
// File form: exactly 312 bytes, little-endian, no padding:
//     0  version (always 2)          1  kind (0 separator, 1 manual, 2 regular, 3 scenario, 4 system)
//     2  zero (2)                    4  draw number (int32; -1 in a separator)
//     8  checked (1 once the draw's result was applied)                  9  zero (3)
//    12  list size (int32)          16  stake numbers (number set, 12 bytes, ascending)
//    28  the draw's five numbers    33  zero (3)
//    36  matches (number set: count = number of matches, -1 until checked; the matched numbers)
//    48  profit (int64, 1/10000 money units)
//    56  comment: length byte and up to 255 Windows-1251 characters
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/records.h"

namespace tavlora {

class TSettings;
class DrawArchive;

enum class TStakeKind : uint8_t { Separator = 0, Manual = 1, Regular = 2, Scenario = 3, System = 4 };

inline constexpr const char* kManualStakeComment = "Ставка \"вручную\"";

struct TStakeRecord {
    static constexpr size_t kSize = 312;
    static constexpr uint8_t kVersion = 2;
    static constexpr size_t kCommentMax = 255;  // Windows-1251 bytes

    uint8_t version = kVersion;
    uint8_t kind = 0;
    int32_t drawNumber = -1;
    bool checked = false;
    int32_t listSize = 0;
    TShema numbers{};
    std::array<uint8_t, 5> drawNums{};
    TShema matches{-1, {}};
    int64_t profit = 0;
    std::string comment;  // UTF-8 in memory; cut to 255 Windows-1251 bytes when encoded

    // A stake played for a real draw (the number is above 0); separators are not real.
    bool isReal() const { return drawNumber > 0; }
    bool isSeparator() const { return drawNumber <= 0; }
    // Number of matches: -1 until checked.
    int matchCount() const { return matches.count; }

    // The separator row that stands between groups of stakes.
    static TStakeRecord separator();

    void encode(uint8_t* out) const;
    static TStakeRecord decode(const uint8_t* p);
    std::string toBytes() const;

    bool operator==(const TStakeRecord&) const = default;
};

// A new manual stake: kind 1, draw number = the latest draw visible at the archive's offset + 1
// (1 for an empty archive), comment "Ставка \"вручную\"", the given list size, the numbers of
// the combination (an empty set without one), unchecked, profit = minus the cost.
TStakeRecord newManualStake(const DrawArchive& archive, const TSettings& settings, int32_t listSize,
                            const std::optional<TComb>& combination);

// Applies the result of a draw to a stake: the draw's numbers, the matched numbers ascending with
// their count, the profit from the stake result of the settings, and the checked flag.
void applyDrawResult(TStakeRecord& stake, const TDraw& draw, const TSettings& settings);

// Captions of the nine columns of the stakes grid.
const std::vector<std::string>& stakeGridColumns();
// Cell texts of one record (all empty for a record whose draw number is 0 or below).
std::vector<std::string> stakeGridRow(const TStakeRecord& stake);

// Money amount (1/10000 units) with two decimals in the system's decimal separator.
std::string moneyText(int64_t amount);

}  // namespace tavlora
