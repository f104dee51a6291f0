#pragma once
// Shredding statistics (group 12): each of the three methods SHR1..SHR3 evaluates a user formula
// over the numbers of a draw (n1..n5) and of the two draws before it (p1..p5, t1..t5) and keeps
// the first digits after the decimal point of the result as a whole number.
//
// The value, 0 .. 10^digits - 1, is held in keys 1-2 read as one 32-bit number: with five digits
// it can exceed the 16 bits of key 1. For up to four digits this is key 1 alone.
#include <array>
#include <mutex>
#include <optional>

#include "stats/custom_stat.h"
#include "stats/expression.h"

namespace tavlora {

class TstShreddingStat : public TCustomGraphStat {
public:
    TstShreddingStat(const TStatList& list, const TStatClassInfo& cls, int parameter);

    // The formula and number of digits copied from the registry's settings at creation.
    const std::string& formula() const { return formula_; }
    int digits() const { return digits_; }
    // The shredded number for the given variable values.
    int32_t shredded(const FormulaVars& vars) const { return compiled_.shred(vars, digits_); }

    std::string valueToText(const TStatDraw& value) const override;
    void valuesOfComb(const TComb& comb, TStatDrawArray& list) override;
    void valuesOfDraw(int index, int lastIndex, bool sorted, TStatDrawArray& list, TStatState& state,
                      TLastValueArray& lastValues) override;
    // p and t of the filter run, worked out once.
    std::unique_ptr<const TMatchTables> buildMatchTables(const TStatMatcher& m) const override;
    // The candidate's shredded number with p = the draw at referenceIndex and t = the draw before it.
    bool matchTest(const TComb& comb, const TStatMatcher& m) const override;
    // One table lookup per combination when the formula splits into few sums (see ShredTable);
    // matchTest evaluates the formula.
    void matchChunk(const TComb* combs, size_t count, const TStatMatcher& m, uint8_t* matched) const override;
    // Norm runs: the combinations' numbers counted from the table with p and t equal to 0.
    bool countCombValues(const TComb* combs, size_t count, TValueCounts& counts) const override;
    // The combination as n, with p and t the two draws before drawIndex.
    int32_t numberOfComb(const TComb& nums, int drawIndex, int referenceIndex, bool sorted) const override;

private:
    // Variables with n from `nums`, p from the draw at pIndex and t from the draw before it.
    FormulaVars varsFor(const uint8_t* nums, int pIndex, bool sorted) const;
    static bool selected(const TStatMatcher& m, int32_t value);

    std::string formula_;
    int digits_ = 2;
    ShredFormula compiled_;
    // The table of the norm runs, made on first use.
    mutable std::once_flag normTableOnce_;
    mutable std::optional<ShredTable> normTable_;
};

}  // namespace tavlora
