#include "stats/shredding_stats.h"

#include <algorithm>

#include "core/settings.h"
#include "core/text_forms.h"
#include "stats/stat_classes.h"
#include "stats/stat_list.h"

namespace tavlora {

namespace {

constexpr int kShreddingGroup = 12;
constexpr int kFormulaCount = 3;

std::string formulaOf(const TStatList& list, int parameter) {
    if (parameter < 1 || parameter > kFormulaCount) return {};
    return list.settings().formulas[static_cast<size_t>(parameter - 1)];
}

int digitsOf(const TStatList& list, int parameter) {
    if (parameter < 1 || parameter > kFormulaCount) return 2;
    return std::clamp<int>(list.settings().formulaDigits[static_cast<size_t>(parameter - 1)], 1, 5);
}

void putNumbers(FormulaVars& vars, size_t at, const uint8_t* nums) {
    for (size_t i = 0; i < 5; ++i) vars[at + i] = nums[i];
}

}  // namespace

TstShreddingStat::TstShreddingStat(const TStatList& list, const TStatClassInfo& cls, int parameter)
    : TCustomGraphStat(list, cls, parameter),
      formula_(formulaOf(list, parameter)),
      digits_(digitsOf(list, parameter)),
      compiled_(formula_) {}

std::string TstShreddingStat::valueToText(const TStatDraw& value) const { return numberText(value.keys12()); }

FormulaVars TstShreddingStat::varsFor(const uint8_t* nums, int pIndex, bool sorted) const {
    FormulaVars vars{};
    putNumbers(vars, 0, nums);
    putNumbers(vars, 5, drawAt(pIndex, sorted).nums.data());
    putNumbers(vars, 10, drawAt(pIndex - 1, sorted).nums.data());
    return vars;
}

void TstShreddingStat::valuesOfComb(const TComb& comb, TStatDrawArray& list) {
    TCustomGraphStat::valuesOfComb(comb, list);
    FormulaVars vars{};  // a combination alone: p and t are 0
    putNumbers(vars, 0, comb.n.data());
    working_.setKeys12(shredded(vars));
    addWorking(list, false);
}

void TstShreddingStat::valuesOfDraw(int index, int lastIndex, bool sorted, TStatDrawArray& list, TStatState& state,
                                    TLastValueArray& lastValues) {
    TCustomGraphStat::valuesOfDraw(index, lastIndex, sorted, list, state, lastValues);
    working_.setKeys12(shredded(varsFor(current_.nums.data(), index - 1, sorted)));
    addWorking(list, true);
}

namespace {

// p and t of a filter run (n left 0), looked up once per run.
struct TShredTables final : TMatchTables {
    explicit TShredTables(const FormulaVars& v) : vars(v) {}
    const FormulaVars vars;
};

}  // namespace

std::unique_ptr<const TMatchTables> TstShreddingStat::buildMatchTables(const TStatMatcher& m) const {
    const uint8_t none[5] = {0, 0, 0, 0, 0};
    return std::make_unique<TShredTables>(varsFor(none, m.referenceIndex(), m.sorted()));
}

bool TstShreddingStat::selected(const TStatMatcher& m, int32_t value) {
    if (value <= 0xFFFF) return m.selectedExact(value);
    return selHasKeys(m.selection(), static_cast<uint16_t>(value & 0xFFFF), static_cast<uint16_t>(value >> 16), 0, 0);
}

bool TstShreddingStat::matchTest(const TComb& comb, const TStatMatcher& m) const {
    FormulaVars vars = m.tables<TShredTables>().vars;
    putNumbers(vars, 0, comb.n.data());
    return selected(m, shredded(vars));
}

int32_t TstShreddingStat::numberOfComb(const TComb& nums, int drawIndex, int, bool sorted) const {
    return shredded(varsFor(nums.n.data(), drawIndex - 1, sorted));
}

const TStatClassInfo kTstShreddingStat{
    .className = "TstShreddingStat",
    .code = "SHR%d",
    .caption = "Метод шинковки %0:d: %%s",
    .group = kShreddingGroup,
    .kinds = static_cast<TStatKinds>(kindS | kindN),
    .create = &createStat<TstShreddingStat>,
    .baseCode = "SHRx",
    .isGraph = true,
    .multiInstance = true,
    .range = {1, kFormulaCount},
};

}  // namespace tavlora
