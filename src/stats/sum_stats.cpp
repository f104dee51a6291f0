// Sum statistics (group 1): the sum of the five numbers, of the even or prime numbers only, the
// central sum ranges, how the sum moved after draws whose sum matched the latest draw's, and how
// often one number of a draw is the sum of two others.
#include <array>
#include <memory>

#include "core/format.h"
#include "core/game.h"
#include "core/numbers.h"
#include "core/text_forms.h"
#include "stats/comb_lanes.h"
#include "stats/custom_stat.h"
#include "stats/stat_classes.h"

namespace tavlora {

namespace {

constexpr int kSumGroup = 1;

int sign(int v) { return v > 0 ? 1 : v < 0 ? -1 : 0; }

// Number of ways one number of the five is the sum of two others: triples (i, j, k), j < k,
// i differing from j and k, with n[j] + n[k] = n[i].
int sumOfTwoCount(const uint8_t* n) {
    int t = 0;
    for (int j = 0; j < 4; ++j)
        for (int k = j + 1; k < 5; ++k) {
            const int s = n[j] + n[k];
            for (int i = 0; i < 5; ++i) t += (n[i] == s) & (i != j) & (i != k);
        }
    return t;
}

struct SumRange {
    int lo, hi;
    int captionArgs[3];
};
constexpr std::array<SumRange, 3> kSumRanges{{{109, 241, {1, 1, 3}}, {122, 228, {2, 1, 2}}, {134, 216, {3, 2, 3}}}};

}  // namespace

// A value of one sum (keys 1-2) per draw or combination; subclasses say which sum.
class TSumValueStat : public TCustomGraphStat {
public:
    using TCustomGraphStat::TCustomGraphStat;
    virtual int sumOf(const uint8_t* nums) const = 0;

    std::string valueToText(const TStatDraw& value) const override { return numberText(value.keys12()); }
    void valuesOfComb(const TComb& comb, TStatDrawArray& list) override {
        TCustomGraphStat::valuesOfComb(comb, list);
        working_.setKeys12(sumOf(comb.n.data()));
        addWorking(list, false);
    }
    void valuesOfDraw(int index, int lastIndex, bool sorted, TStatDrawArray& list, TStatState& state,
                      TLastValueArray& lastValues) override {
        TCustomGraphStat::valuesOfDraw(index, lastIndex, sorted, list, state, lastValues);
        working_.setKeys12(sumOf(current_.nums.data()));
        addWorking(list, true);
    }
    // Keys 1-2 equal to the sum and keys 3-4 equal to 0.
    bool matchTest(const TComb& comb, const TStatMatcher& m) const override {
        return m.selectedExact(sumOf(comb.n.data()));
    }
    int32_t numberOfComb(const TComb& nums, int, int, bool) const override { return sumOf(nums.n.data()); }
    // One value per combination: keys 1-2 the sum, keys 3-4 zero.
    bool countCombValues(const TComb* combs, size_t count, TValueCounts& counts) const override {
        return countSums(combs, count, counts, [this](const uint8_t* n) { return sumOf(n); });
    }

protected:
    template <typename Sum>
    static bool countSums(const TComb* combs, size_t count, TValueCounts& counts, Sum&& sum) {
        std::array<int32_t, 5 * 255 + 1> seen{};
        for (size_t k = 0; k < count; ++k) {
            const int s = sum(combs[k].n.data());
            if (s >= 0 && s < static_cast<int>(seen.size()))
                ++seen[static_cast<size_t>(s)];
            else
                counts.add(static_cast<uint32_t>(s), 1);
        }
        for (size_t s = 0; s < seen.size(); ++s)
            if (seen[s] != 0) counts.add(s, seen[s]);
        return true;
    }
};

// Whether each sum a combination of bytes can have is selected, worked out once per run.
struct TSumHits final : TMatchTables {
    std::array<uint8_t, 5 * 255 + 1> hit;
};

class TstSumValues : public TSumValueStat {
public:
    using TSumValueStat::TSumValueStat;
    int sumOf(const uint8_t* n) const override { return n[0] + n[1] + n[2] + n[3] + n[4]; }
    bool countCombValues(const TComb* combs, size_t count, TValueCounts& counts) const override {
        return countSums(combs, count, counts, [](const uint8_t* n) { return n[0] + n[1] + n[2] + n[3] + n[4]; });
    }
    std::unique_ptr<const TMatchTables> buildMatchTables(const TStatMatcher& m) const override {
        auto t = std::make_unique<TSumHits>();
        m.selectedExactTable(t->hit.data(), t->hit.size());
        return t;
    }
    void matchChunk(const TComb* combs, size_t count, const TStatMatcher& m, uint8_t* matched) const override {
        const auto& hit = m.tables<TSumHits>().hit;
        for (size_t k = 0; k < count; ++k) {
            const auto& n = combs[k].n;
            matched[k] = hit[static_cast<size_t>(n[0] + n[1] + n[2] + n[3] + n[4])];
        }
    }
    void listAllValues(int lastIndex, TStatDrawArray& list) override {
        TSumValueStat::listAllValues(lastIndex, list);
        for (int s = kMinSum; s <= kMaxSum; ++s) {
            working_.setKeys12(s);
            addWorking(list, false);
        }
    }
};

// The sum of the numbers of one class: each number weighs itself when in the class, else 0,
// read from a table made once per instance.
class TClassSumStat : public TSumValueStat {
public:
    TClassSumStat(const TStatList& list, const TStatClassInfo& cls, int parameter, bool (*inClass)(int))
        : TSumValueStat(list, cls, parameter) {
        for (size_t v = 0; v < weight_.size(); ++v)
            weight_[v] = static_cast<uint8_t>(inClass(static_cast<int>(v)) ? v : 0);
    }
    int sumOf(const uint8_t* n) const final { return weighted(n); }
    bool countCombValues(const TComb* combs, size_t count, TValueCounts& counts) const final {
        return countSums(combs, count, counts, [this](const uint8_t* n) { return weighted(n); });
    }
    std::unique_ptr<const TMatchTables> buildMatchTables(const TStatMatcher& m) const final {
        auto t = std::make_unique<TSumHits>();
        m.selectedExactTable(t->hit.data(), t->hit.size());
        return t;
    }
    void matchChunk(const TComb* combs, size_t count, const TStatMatcher& m, uint8_t* matched) const final {
        const auto& hit = m.tables<TSumHits>().hit;
        for (size_t k = 0; k < count; ++k) matched[k] = hit[static_cast<size_t>(weighted(combs[k].n.data()))];
    }

private:
    int weighted(const uint8_t* n) const {
        return weight_[n[0]] + weight_[n[1]] + weight_[n[2]] + weight_[n[3]] + weight_[n[4]];
    }
    std::array<uint8_t, 256> weight_{};
};

class TstSumEvenValues : public TClassSumStat {
public:
    TstSumEvenValues(const TStatList& list, const TStatClassInfo& cls, int parameter)
        : TClassSumStat(list, cls, parameter, &isEven) {}
};

class TstSumPrimeValues : public TClassSumStat {
public:
    TstSumPrimeValues(const TStatList& list, const TStatClassInfo& cls, int parameter)
        : TClassSumStat(list, cls, parameter, &isPrime) {}
};

// Number of ways one number is the sum of two others (key 1).
class TstSum2To3 : public TCustomGraphStat {
public:
    using TCustomGraphStat::TCustomGraphStat;
    // Each of the ten pairs is summed by at most the three other numbers.
    static constexpr int kMaxCount = 30;
    void valuesOfComb(const TComb& comb, TStatDrawArray& list) override {
        TCustomGraphStat::valuesOfComb(comb, list);
        working_.setKeys(static_cast<uint16_t>(sumOfTwoCount(comb.n.data())));
        addWorking(list, false);
    }
    void valuesOfDraw(int index, int lastIndex, bool sorted, TStatDrawArray& list, TStatState& state,
                      TLastValueArray& lastValues) override {
        TCustomGraphStat::valuesOfDraw(index, lastIndex, sorted, list, state, lastValues);
        working_.setKeys(static_cast<uint16_t>(sumOfTwoCount(current_.nums.data())));
        addWorking(list, true);
    }
    bool matchTest(const TComb& comb, const TStatMatcher& m) const override {
        return m.selectedKey1(sumOfTwoCount(comb.n.data()));
    }
    int32_t numberOfComb(const TComb& nums, int, int, bool) const override { return sumOfTwoCount(nums.n.data()); }

    // Whether each count 0..kMaxCount is selected.
    struct TCountHits final : TMatchTables {
        std::array<uint8_t, kMaxCount + 1> hit{};
    };
    std::unique_ptr<const TMatchTables> buildMatchTables(const TStatMatcher& m) const override {
        auto t = std::make_unique<TCountHits>();
        for (int c = 0; c <= kMaxCount; ++c) t->hit[static_cast<size_t>(c)] = m.selectedKey1(c) ? 1 : 0;
        return t;
    }
    void matchChunk(const TComb* combs, size_t count, const TStatMatcher& m, uint8_t* matched) const override {
        matchLaneValues<uint8_t>(combs, count, m.tables<TCountHits>().hit, matched, kLaneCounts);
    }
    bool countCombValues(const TComb* combs, size_t count, TValueCounts& counts) const override {
        std::array<int32_t, kMaxCount + 1> seen{};
        countLaneValues<uint8_t>(combs, count, seen, kLaneCounts);
        for (size_t v = 0; v < seen.size(); ++v)
            if (seen[v] != 0) counts.add(v, seen[v]);
        return true;
    }

private:
    // sumOfTwoCount of every lane. When every lane holds numbers 1..127 in increasing order (any
    // block of a generated list), a pair's sum exceeds both numbers of the pair and fits a byte,
    // so only the ten comparisons with later numbers remain, in bytes. Otherwise each of the ten
    // pair sums is compared with the three numbers outside the pair, in 16 bits so that sums of
    // any bytes are exact. At most 30.
    static void laneCounts(const TCombLanes& l, std::array<uint8_t, TCombLanes::kWidth>& out) {
        uint8_t ordered = 1;
        for (size_t k = 0; k < TCombLanes::kWidth; ++k) {
            const uint8_t a = l.n[0][k], b = l.n[1][k], c = l.n[2][k], d = l.n[3][k], e = l.n[4][k];
            ordered &= static_cast<uint8_t>((a >= 1) & (a < b) & (b < c) & (c < d) & (d < e) & (e < 128));
        }
        if (ordered) {
            for (size_t k = 0; k < TCombLanes::kWidth; ++k) {
                const uint8_t a = l.n[0][k], b = l.n[1][k], c = l.n[2][k], d = l.n[3][k], e = l.n[4][k];
                const uint8_t ab = static_cast<uint8_t>(a + b), ac = static_cast<uint8_t>(a + c),
                              bc = static_cast<uint8_t>(b + c);
                out[k] = static_cast<uint8_t>((ab == c) + (ab == d) + (ab == e) + (ac == d) + (ac == e) +
                                              (static_cast<uint8_t>(a + d) == e) + (bc == d) + (bc == e) +
                                              (static_cast<uint8_t>(b + d) == e) + (static_cast<uint8_t>(c + d) == e));
            }
            return;
        }
        for (size_t k = 0; k < TCombLanes::kWidth; ++k) {
            const uint16_t a = l.n[0][k], b = l.n[1][k], c = l.n[2][k], d = l.n[3][k], e = l.n[4][k];
            const uint16_t ab = a + b, ac = a + c, ad = a + d, ae = a + e, bc = b + c, bd = b + d, be = b + e,
                           cd = c + d, ce = c + e, de = d + e;
            out[k] = static_cast<uint8_t>((ab == c) + (ab == d) + (ab == e) + (ac == b) + (ac == d) + (ac == e) +
                                          (ad == b) + (ad == c) + (ad == e) + (ae == b) + (ae == c) + (ae == d) +
                                          (bc == a) + (bc == d) + (bc == e) + (bd == a) + (bd == c) + (bd == e) +
                                          (be == a) + (be == c) + (be == d) + (cd == a) + (cd == b) + (cd == e) +
                                          (ce == a) + (ce == b) + (ce == d) + (de == a) + (de == b) + (de == c));
        }
    }
    static constexpr auto kLaneCounts = [](const TCombLanes& l, auto& out) { laneCounts(l, out); };
};

// 1 when the sum lies in the instance's central range, else 0.
class TstSumRanges : public TCustomGraphStat {
public:
    using TCustomGraphStat::TCustomGraphStat;

    std::string valueToText(const TStatDraw& value) const override {
        if (value.keys[0] == 1 && valid()) return fmt("%d-%d", range().lo, range().hi);
        return "Остальные";
    }
    void listAllValues(int lastIndex, TStatDrawArray& list) override {
        TCustomGraphStat::listAllValues(lastIndex, list);
        for (uint16_t v = 0; v <= 1; ++v) {
            working_.setKeys(v);
            addWorking(list, false);
        }
    }
    void valuesOfComb(const TComb& comb, TStatDrawArray& list) override {
        TCustomGraphStat::valuesOfComb(comb, list);
        working_.setKeys(static_cast<uint16_t>(inRange(combSum(comb))));
        addWorking(list, false);
    }
    void valuesOfDraw(int index, int lastIndex, bool sorted, TStatDrawArray& list, TStatState& state,
                      TLastValueArray& lastValues) override {
        TCustomGraphStat::valuesOfDraw(index, lastIndex, sorted, list, state, lastValues);
        working_.setKeys(static_cast<uint16_t>(inRange(drawSum(current_))));
        addWorking(list, true);
    }
    // Selecting 1 keeps the sums inside the range (whether or not 0 is selected too); otherwise the
    // sums outside it.
    bool matchTest(const TComb& comb, const TStatMatcher& m) const override {
        const bool inside = inRange(combSum(comb)) == 1;
        return m.selectedKey1(1) ? inside : !inside;
    }
    int32_t numberOfComb(const TComb& nums, int, int, bool) const override { return inRange(combSum(nums)); }
    // Norm runs: the combinations inside and outside the range counted per batch.
    bool countCombValues(const TComb* combs, size_t count, TValueCounts& counts) const override {
        std::array<int32_t, 2> seen{};
        for (size_t k = 0; k < count; ++k) ++seen[static_cast<size_t>(inRange(combSum(combs[k])))];
        for (size_t v = 0; v < seen.size(); ++v)
            if (seen[v] != 0) counts.add(v, seen[v]);
        return true;
    }

    static std::string caption(const TStatClassInfo& cls, int parameter) {
        if (parameter < 1 || parameter > 3) return {};
        const auto& a = kSumRanges[static_cast<size_t>(parameter - 1)].captionArgs;
        return fmt(cls.caption, a[0], a[1], a[2]);
    }

private:
    bool valid() const { return parameter() >= 1 && parameter() <= 3; }
    const SumRange& range() const { return kSumRanges[static_cast<size_t>(parameter() - 1)]; }
    int inRange(int s) const { return valid() && s >= range().lo && s <= range().hi ? 1 : 0; }
};

// Sums of archive draws for the change members: 0 for an index outside the archive (the draw
// before the first draw).
class TSumChangeBase {
protected:
    static int sumAt(const TDrawsArray& draws, int index) {
        if (index < 0 || static_cast<size_t>(index) >= draws.size()) return 0;
        return drawSum(draws[static_cast<size_t>(index)]);
    }
    // The sum of the draw at a filter run's reference index, looked up once per run.
    struct TReferenceSum final : TMatchTables {
        explicit TReferenceSum(int s) : sum(s) {}
        const int sum;
    };
    static std::unique_ptr<const TMatchTables> referenceSum(const TDrawsArray& draws, const TStatMatcher& m) {
        return std::make_unique<TReferenceSum>(sumAt(draws, m.referenceIndex()));
    }
    static int referenceSum(const TStatMatcher& m) { return m.tables<TReferenceSum>().sum; }
};

// The sums that followed draws whose sum equals the latest draw's sum (keys 1-2 the sum before,
// keys 3-4 the sum after).
class TstSumChange : public TCustomGraphStat, private TSumChangeBase {
public:
    using TCustomGraphStat::TCustomGraphStat;

    std::string valueToText(const TStatDraw& value) const override {
        const int a = value.keys12(), b = value.keys34();
        if (b < a) return fmt("- %0:.2d : %1:d - %0:d = %2:d", a - b, a, b);
        return fmt("+%0:.2d : %1:d + %0:d = %2:d", b - a, a, b);
    }
    void valuesOfDraw(int index, int lastIndex, bool sorted, TStatDrawArray& list, TStatState& state,
                      TLastValueArray& lastValues) override {
        TCustomGraphStat::valuesOfDraw(index, lastIndex, sorted, list, state, lastValues);
        const int before = sumAt(draws(), index - 1);
        if (before != drawSum(reference_)) return;
        working_.setKeys12(before);
        working_.setKeys34(drawSum(current_));
        addWorking(list, true);
    }
    // The combination reaches one of the selected following sums.
    bool matchTest(const TComb& comb, const TStatMatcher& m) const override {
        return selHasInt(m.selection(), 2, combSum(comb));
    }
    int32_t numberOfComb(const TComb& nums, int drawIndex, int, bool) const override {
        return combSum(nums) - sumAt(draws(), drawIndex - 1);
    }
};

// Changes of the sum after draws whose sum lies within one sum step of the latest draw's sum.
class TstSumChangeSome : public TCustomStat, private TSumChangeBase {
public:
    using TCustomStat::TCustomStat;

    std::string valueToText(const TStatDraw& value) const override {
        const int c = value.keys12();
        return c < 0 ? fmt("- %0:.2d", -c) : fmt("+%0:.2d", c);
    }
    void valuesOfDraw(int index, int lastIndex, bool sorted, TStatDrawArray& list, TStatState& state,
                      TLastValueArray& lastValues) override {
        TCustomStat::valuesOfDraw(index, lastIndex, sorted, list, state, lastValues);
        const int before = sumAt(draws(), index - 1);
        const int ref = drawSum(reference_);
        if (ref < before - kSumStep || ref > before + kSumStep) return;
        working_.setKeys12(drawSum(current_) - before);
        addWorking(list, true);
    }
    // The reference draw's sum, and whether the change to each sum five bytes can have is
    // selected: the selection is scanned once per run instead of once per combination.
    struct TChangeHits final : TMatchTables {
        int sum = 0;
        std::array<uint8_t, 5 * 255 + 1> hit{};
    };
    std::unique_ptr<const TMatchTables> buildMatchTables(const TStatMatcher& m) const override {
        auto t = std::make_unique<TChangeHits>();
        t->sum = sumAt(draws(), m.referenceIndex());
        for (const TStatDraw& v : m.selection()) {
            const int64_t s = int64_t{v.keys12()} + t->sum;  // the sum a combination needs for this change
            if (s >= 0 && s < static_cast<int64_t>(t->hit.size())) t->hit[static_cast<size_t>(s)] = 1;
        }
        return t;
    }
    // The change from the draw at the reference index to the combination is selected.
    bool matchTest(const TComb& comb, const TStatMatcher& m) const override {
        return selHasInt(m.selection(), 1, combSum(comb) - m.tables<TChangeHits>().sum);
    }
    void matchChunk(const TComb* combs, size_t count, const TStatMatcher& m, uint8_t* matched) const override {
        const auto& hit = m.tables<TChangeHits>().hit;
        for (size_t k = 0; k < count; ++k) matched[k] = hit[static_cast<size_t>(combSum(combs[k]))];
    }
};

// Direction of the sum's change (0 "=", 1 "+", -1 "-") after draws whose sum equals the latest
// draw's sum.
class TstSumTrend : public TCustomGraphStat, private TSumChangeBase {
public:
    using TCustomGraphStat::TCustomGraphStat;

    std::string valueToText(const TStatDraw& value) const override {
        const int v = value.keys12();
        return v == 0 ? "=" : v > 0 ? "+" : "-";
    }
    void listAllValues(int lastIndex, TStatDrawArray& list) override {
        TCustomGraphStat::listAllValues(lastIndex, list);
        for (int v : {0, 1, -1}) {
            working_.setKeys12(v);
            addWorking(list, false);
        }
    }
    void valuesOfDraw(int index, int lastIndex, bool sorted, TStatDrawArray& list, TStatState& state,
                      TLastValueArray& lastValues) override {
        TCustomGraphStat::valuesOfDraw(index, lastIndex, sorted, list, state, lastValues);
        const int before = sumAt(draws(), index - 1);
        if (before != drawSum(reference_)) return;
        working_.setKeys12(sign(drawSum(current_) - before));
        addWorking(list, true);
    }
    std::unique_ptr<const TMatchTables> buildMatchTables(const TStatMatcher& m) const override {
        return referenceSum(draws(), m);
    }
    bool matchTest(const TComb& comb, const TStatMatcher& m) const override {
        return selHasInt(m.selection(), 1, sign(combSum(comb) - referenceSum(m)));
    }
    int32_t numberOfComb(const TComb& nums, int drawIndex, int, bool) const override {
        return sign(combSum(nums) - sumAt(draws(), drawIndex - 1));
    }
};

// --- descriptors -------------------------------------------------------------------------

const TStatClassInfo kTstSumValues{.className = "TstSumValues", .code = "SUMS", .caption = "Сумма тиража: все значения",
                                   .group = kSumGroup, .kinds = kindN, .create = &createStat<TstSumValues>,
                                   .isGraph = true};
const TStatClassInfo kTstSumRanges{.className = "TstSumRanges", .code = "SUM%d",
                                   .caption = "Сумма тиража: диапазон %d (%d/%d)", .group = kSumGroup, .kinds = kindN,
                                   .create = &createStat<TstSumRanges>, .isGraph = true, .acceptsTypedValues = false,
                                   .multiInstance = true, .range = {1, 3},
                                   .captionFormatter = &TstSumRanges::caption};
const TStatClassInfo kTstSumChange{.className = "TstSumChange", .code = "SUMC",
                                   .caption = "Сумма тиража: изменения (точно)", .group = kSumGroup, .kinds = kindD,
                                   .create = &createStat<TstSumChange>, .isGraph = true, .acceptsTypedValues = false};
const TStatClassInfo kTstSumChangeSome{.className = "TstSumChangeSome", .code = "SUMV",
                                       .caption = "Сумма тиража: изменения (диапазон)", .group = kSumGroup,
                                       .kinds = kindD, .create = &createStat<TstSumChangeSome>,
                                       .acceptsTypedValues = false};
const TStatClassInfo kTstSumTrend{.className = "TstSumTrend", .code = "SUMT",
                                  .caption = "Сумма тиража: направление изменения", .group = kSumGroup,
                                  .kinds = kindD, .create = &createStat<TstSumTrend>, .isGraph = true,
                                  .acceptsTypedValues = false};
const TStatClassInfo kTstSumEvenValues{.className = "TstSumEvenValues", .code = "SUME",
                                       .caption = "Сумма тиража: только четные", .group = kSumGroup, .kinds = kindN,
                                       .create = &createStat<TstSumEvenValues>, .isGraph = true};
const TStatClassInfo kTstSumPrimeValues{.className = "TstSumPrimeValues", .code = "SUMP",
                                        .caption = "Сумма тиража: только простые", .group = kSumGroup,
                                        .kinds = kindN, .create = &createStat<TstSumPrimeValues>, .isGraph = true};
const TStatClassInfo kTstSum2To3{.className = "TstSum2To3", .code = "S2T3",
                                 .caption = "Сумма двух чисел тиража равна третьему числу", .group = kSumGroup,
                                 .kinds = kindN, .create = &createStat<TstSum2To3>, .isGraph = true};

}  // namespace tavlora
