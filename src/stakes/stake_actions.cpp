#include "stakes/stake_actions.h"

#include "core/settings.h"
#include "core/text_forms.h"
#include "stakes/ratings.h"
#include "stakes/stakes_store.h"

namespace tavlora {

TStakeInput validateStakeInput(std::string_view numbersText, std::string_view comment) {
    TStakeInput r;
    const std::optional<TComb> comb = readFiveNumbers(numbersText);
    if (!comb) {
        r.warning = kBadCombinationWarning;
        r.focus = TStakeInput::Field::Numbers;
        return r;
    }
    if (trimText(comment).empty()) {
        r.warning = kStakeCommentMissing;
        r.focus = TStakeInput::Field::Comment;
        return r;
    }
    r.numbers = *comb;
    sortComb(r.numbers);
    r.ok = true;
    return r;
}

int64_t stakeInputSum(std::string_view text) {
    int64_t sum = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of(",;", start);
        if (end == std::string_view::npos) end = text.size();
        sum += readInt(text.substr(start, end - start), 0);
        start = end + 1;
    }
    return sum;
}

bool addStakeAndCheck(TStakesStore& store, const TStakeRecord& record, int count, const DrawArchive& archive,
                      const TSettings& settings, TRatings& ratings, Progress& progress, Interaction& interaction) {
    bool added = false;
    {
        StatusScope status(progress, kStakeAddText);
        added = store.addStakes(record, count, interaction);
    }
    if (added) store.checkAll(archive, settings, ratings, progress, interaction);
    return added;
}

int addManualStakes(TStakesStore& store, const TCombsArray& combinations, int32_t drawNumber, int count,
                    const std::string& comment, int32_t listSize, const TSettings& settings, Progress& progress,
                    Interaction& interaction) {
    StatusScope status(progress, kStakesAddText);
    TStakeRecord r;
    r.kind = static_cast<uint8_t>(TStakeKind::Manual);
    r.drawNumber = drawNumber;
    r.comment = comment;
    r.listSize = listSize;
    r.profit = settings.stakeResult(5, -1);
    int added = 0;
    for (const TComb& c : combinations) {
        r.numbers = shemaOf(c);
        sortShema(r.numbers);
        if (!store.addStakes(r, count, interaction)) break;
        ++added;
        if (added % 1000 == 0) progress.pump();
    }
    return added;
}

}  // namespace tavlora
