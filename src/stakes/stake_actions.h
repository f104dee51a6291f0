#pragma once
// The ways stakes are made, shared by the desktop program and the command line: the checks of
// the stake dialog, a stake added and checked at once, and manual stakes for many combinations.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/interaction.h"
#include "core/progress.h"
#include "core/records.h"
#include "stakes/stake_record.h"

namespace tavlora {

class DrawArchive;
class TSettings;
class TRatings;
class TStakesStore;

// Longest comment of the stake dialogs, in characters.
inline constexpr int kStakeCommentMaxChars = 64;

struct TStakeInput {
    enum class Field { None, Numbers, Comment };
    bool ok = false;
    TComb numbers{};  // ascending, when ok
    std::string warning;
    Field focus = Field::None;  // the field that takes the focus after the warning
};

// The OK checks of the stake dialog: exactly five words split at "," or ";", each an integer
// 1..69, all distinct ("Введена некорректная комбинация!"), then a comment that is not empty
// ("Необходимо ввести комментарий!").
TStakeInput validateStakeInput(std::string_view numbersText, std::string_view comment);
// The "Сумма:" field: the sum of the words typed; words that are not numbers count as 0.
int64_t stakeInputSum(std::string_view numbersText);

// Adds a stake for count draws and, when that succeeded, checks all stakes (the stake dialog's
// way). Returns whether the stake was added.
bool addStakeAndCheck(TStakesStore& store, const TStakeRecord& record, int count, const DrawArchive& archive,
                      const TSettings& settings, TRatings& ratings, Progress& progress, Interaction& interaction);

// One manual stake per combination, in order, each added for count draws from drawNumber with
// the comment and list size given; stops at the first failure. Returns how many combinations
// were added. Checking is left to the caller.
int addManualStakes(TStakesStore& store, const TCombsArray& combinations, int32_t drawNumber, int count,
                    const std::string& comment, int32_t listSize, const TSettings& settings, Progress& progress,
                    Interaction& interaction);

}  // namespace tavlora
