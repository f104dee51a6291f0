#include "stats/shredding_stats.h"

#include <algorithm>
#include <array>

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

// Largest tables made for a filter run (a run over a short list must not wait long for it) and
// for a norm run over all combinations.
constexpr std::size_t kFilterTableMax = std::size_t{1} << 16;
constexpr std::size_t kNormTableMax = std::size_t{1} << 20;

// p and t of a filter run (n left 0), looked up once per run, and when the formula allows, the
// shredded number of every combination as a table with whether each entry is selected.
struct TShredTables final : TMatchTables {
    explicit TShredTables(const FormulaVars& v) : vars(v) {}
    const FormulaVars vars;
    std::optional<ShredTable> table;
    std::vector<uint8_t> selected;
};

}  // namespace

std::unique_ptr<const TMatchTables> TstShreddingStat::buildMatchTables(const TStatMatcher& m) const {
    const uint8_t none[5] = {0, 0, 0, 0, 0};
    auto t = std::make_unique<TShredTables>(varsFor(none, m.referenceIndex(), m.sorted()));
    t->table = compiled_.tableFor(t->vars, digits_, kFilterTableMax);
    if (t->table) {
        t->selected.resize(t->table->size());
        for (size_t i = 0; i < t->selected.size(); ++i) t->selected[i] = selected(m, t->table->value(i)) ? 1 : 0;
    }
    return t;
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

void TstShreddingStat::matchChunk(const TComb* combs, size_t count, const TStatMatcher& m, uint8_t* matched) const {
    const TShredTables& t = m.tables<TShredTables>();
    if (!t.table) {
        TCustomGraphStat::matchChunk(combs, count, m, matched);
        return;
    }
    const ShredTable& table = *t.table;
    const uint8_t* sel = t.selected.data();
    for (size_t k = 0; k < count; ++k) {
        const uint8_t* n = combs[k].n.data();
        const int64_t at = table.find(n);
        matched[k] = at >= 0 ? sel[static_cast<size_t>(at)] : (matchTest(combs[k], m) ? 1 : 0);
    }
}

bool TstShreddingStat::countCombValues(const TComb* combs, size_t count, TValueCounts& counts) const {
    std::call_once(normTableOnce_, [this] { normTable_ = compiled_.tableFor(FormulaVars{}, digits_, kNormTableMax); });
    if (!normTable_) return false;
    // Shredded numbers of up to three digits are counted in a dense array (added to the counts
    // once per batch), longer ones straight into the counts.
    constexpr size_t kDense = 1000;
    std::array<int32_t, kDense> seen{};
    for (size_t k = 0; k < count; ++k) {
        const uint8_t* n = combs[k].n.data();
        int32_t value = 0;
        if (const int64_t at = normTable_->find(n); at >= 0) {
            value = normTable_->value(static_cast<size_t>(at));
        } else {  // beyond the table: evaluated
            FormulaVars vars{};
            putNumbers(vars, 0, n);
            value = shredded(vars);
        }
        if (static_cast<uint32_t>(value) < kDense)
            ++seen[static_cast<size_t>(value)];
        else
            counts.add(static_cast<uint32_t>(value), 1);
    }
    for (size_t v = 0; v < kDense; ++v)
        if (seen[v] != 0) counts.add(v, seen[v]);
    return true;
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
