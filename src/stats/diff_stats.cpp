// Difference statistics (group 2): the gaps between the numbers at neighbouring positions, the
// largest gap, the spread between the smallest and the largest number, repeated gaps and runs of
// two to four successive gaps.
#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

#include "core/format.h"
#include "core/text_forms.h"
#include "stats/comb_lanes.h"
#include "stats/custom_stat.h"
#include "stats/key1_tables.h"
#include "stats/packed_key_set.h"
#include "stats/stat_classes.h"
#include "stats/value_slots.h"

namespace tavlora {

namespace {

constexpr int kDiffGroup = 2;
constexpr uint16_t kMaxGap = 68;
using TLaneBytes = std::array<uint8_t, TCombLanes::kWidth>;

// The gaps |x1-x2|, |x2-x3|, |x3-x4|, |x4-x5| of five numbers in position order.
struct Gaps {
    std::array<int, 4> g;
    explicit Gaps(const uint8_t* x)
        : g{std::abs(x[0] - x[1]), std::abs(x[1] - x[2]), std::abs(x[2] - x[3]), std::abs(x[3] - x[4])} {}
    int largest() const { return std::max(std::max(g[0], g[1]), std::max(g[2], g[3])); }
};

int spreadOf(const uint8_t* x) {
    int lo = x[0], hi = x[0];
    for (int i = 1; i < 5; ++i) {
        lo = std::min(lo, static_cast<int>(x[i]));
        hi = std::max(hi, static_cast<int>(x[i]));
    }
    return hi - lo;
}

// The distinct gaps in order of first appearance with their multiplicities (a counter table of
// at most four entries, kept on the stack).
struct GapCounts {
    std::array<int, 4> gap{};
    std::array<int, 4> mult{};
    int size = 0;
    explicit GapCounts(const Gaps& gaps) {
        for (int g : gaps.g) {
            int i = 0;
            while (i < size && gap[static_cast<size_t>(i)] != g) ++i;
            if (i == size) {
                gap[static_cast<size_t>(size)] = g;
                mult[static_cast<size_t>(size)] = 0;
                ++size;
            }
            ++mult[static_cast<size_t>(i)];
        }
    }
    int largestMultiplicity() const {
        int m = 0;
        for (int i = 0; i < size; ++i) m = std::max(m, mult[static_cast<size_t>(i)]);
        return m;
    }
};

}  // namespace

// Every gap between neighbouring positions is a value; only the gap at positions 1-2 measures
// periods, so a gap's periods tell how often it returns at the start of a draw.
class TstDiffTotal : public TCustomNumbersStat {
public:
    using TCustomNumbersStat::TCustomNumbersStat;

    void listAllValues(int lastIndex, TStatDrawArray& list) override {
        TCustomNumbersStat::listAllValues(lastIndex, list);
        for (uint16_t g = 1; g <= kMaxGap; ++g) {
            working_.setKeys(g);
            addWorking(list, false);
        }
    }
    void valuesOfComb(const TComb& comb, TStatDrawArray& list) override {
        TCustomNumbersStat::valuesOfComb(comb, list);
        const bool counting = countingValues();
        for (int g : Gaps(comb.n.data()).g) {
            working_.setKeys(static_cast<uint16_t>(g));
            if (counting)
                addWorking(list, false);
            else
                slots_.add(list, working_, static_cast<size_t>(g));
        }
    }
    void valuesOfDraw(int index, int lastIndex, bool sorted, TStatDrawArray& list, TStatState& state,
                      TLastValueArray& lastValues) override {
        TCustomNumbersStat::valuesOfDraw(index, lastIndex, sorted, list, state, lastValues);
        const Gaps gaps(current_.nums.data());
        for (size_t i = 0; i < 4; ++i) {
            working_.setKeys(static_cast<uint16_t>(gaps.g[i]));
            addWorking(list, i == 0);
        }
    }
    bool matchTest(const TComb& comb, const TStatMatcher& m) const override {
        for (int g : Gaps(comb.n.data()).g)
            if (m.selectedKey1(g)) return true;
        return false;
    }
    // Norm runs: every gap of every combination counted per batch.
    bool countCombValues(const TComb* combs, size_t count, TValueCounts& counts) const override {
        std::array<int32_t, 256> seen{};
        for (size_t k = 0; k < count; ++k)
            for (int g : Gaps(combs[k].n.data()).g) ++seen[static_cast<size_t>(g)];
        for (size_t g = 0; g < seen.size(); ++g)
            if (seen[g] != 0) counts.add(g, seen[g]);
        return true;
    }

private:
    TValueSlots<256> slots_;
};

// A graph member with one value per draw or combination, gaps 1..68 pre-listed unless a member
// says otherwise.
class TOneDiffValueStat : public TCustomGraphStat {
public:
    using TCustomGraphStat::TCustomGraphStat;
    virtual int valueOf(const uint8_t* nums) const = 0;
    virtual int maxListed() const { return kMaxGap; }

    void listAllValues(int lastIndex, TStatDrawArray& list) override {
        TCustomGraphStat::listAllValues(lastIndex, list);
        for (int v = 1; v <= maxListed(); ++v) {
            working_.setKeys(static_cast<uint16_t>(v));
            addWorking(list, false);
        }
    }
    void valuesOfComb(const TComb& comb, TStatDrawArray& list) override {
        TCustomGraphStat::valuesOfComb(comb, list);
        const int v = valueOf(comb.n.data());
        working_.setKeys(static_cast<uint16_t>(v));
        slots_.add(list, working_, static_cast<size_t>(v));
    }
    void valuesOfDraw(int index, int lastIndex, bool sorted, TStatDrawArray& list, TStatState& state,
                      TLastValueArray& lastValues) override {
        TCustomGraphStat::valuesOfDraw(index, lastIndex, sorted, list, state, lastValues);
        working_.setKeys(static_cast<uint16_t>(valueOf(current_.nums.data())));
        addWorking(list, true);
    }
    bool matchTest(const TComb& comb, const TStatMatcher& m) const override {
        return m.selectedKey1(valueOf(comb.n.data()));
    }
    int32_t numberOfComb(const TComb& nums, int, int, bool) const override { return valueOf(nums.n.data()); }

private:
    TValueSlots<256> slots_;
};

// A one-value member whose value is the function Value of the numbers (at most 255): the chunk
// match test and the norm count call it directly, once per combination.
template <typename Value>
class TOneDiffValueKernel : public TOneDiffValueStat {
public:
    using TOneDiffValueStat::TOneDiffValueStat;
    int valueOf(const uint8_t* nums) const final { return Value{}(nums); }

    std::unique_ptr<const TMatchTables> buildMatchTables(const TStatMatcher& m) const final {
        return std::make_unique<TKey1Hits<256>>(m);
    }
    void matchChunk(const TComb* combs, size_t count, const TStatMatcher& m, uint8_t* matched) const final {
        matchLaneValues<uint8_t>(combs, count, m.tables<TKey1Hits<256>>().hit, matched, kLanes);
    }
    // One value per combination: key 1 the value.
    bool countCombValues(const TComb* combs, size_t count, TValueCounts& counts) const final {
        std::array<int32_t, 256> seen{};
        countLaneValues<uint8_t>(combs, count, seen, kLanes);
        addKey1Counts(seen, counts);
        return true;
    }

private:
    static constexpr auto kLanes = [](const TCombLanes& l, TLaneBytes& out) { Value::lanes(l, out); };
};

// Each value below has a per-lane form (lanes) equal to operator() on every byte.
struct LargestGap {
    int operator()(const uint8_t* nums) const { return Gaps(nums).largest(); }
    static void lanes(const TCombLanes& l, TLaneBytes& out) {
        const TGapLanes gl(l);
        const auto& g = gl.g;
        for (size_t k = 0; k < TCombLanes::kWidth; ++k)
            out[k] = byteMax(byteMax(g[0][k], g[1][k]), byteMax(g[2][k], g[3][k]));
    }
};
struct Spread {
    int operator()(const uint8_t* nums) const { return spreadOf(nums); }
    static void lanes(const TCombLanes& l, TLaneBytes& out) {
        const auto& n = l.n;
        for (size_t k = 0; k < TCombLanes::kWidth; ++k) {
            const uint8_t lo = byteMin(byteMin(byteMin(n[0][k], n[1][k]), byteMin(n[2][k], n[3][k])), n[4][k]);
            const uint8_t hi = byteMax(byteMax(byteMax(n[0][k], n[1][k]), byteMax(n[2][k], n[3][k])), n[4][k]);
            out[k] = static_cast<uint8_t>(hi - lo);
        }
    }
};

// Whether gaps i and j of every lane are equal (eq[p] for the pairs 01, 02, 03, 12, 13, 23, as 1 or 0),
// and how often gap i occurs among the four (mult[i], 1..4).
struct TGapRepeats {
    std::array<TLaneBytes, 6> eq;
    std::array<TLaneBytes, 4> mult;
    explicit TGapRepeats(const TGapLanes& gl) {
        const auto& g = gl.g;
        for (size_t k = 0; k < TCombLanes::kWidth; ++k) {
            const uint8_t e01 = g[0][k] == g[1][k], e02 = g[0][k] == g[2][k], e03 = g[0][k] == g[3][k],
                          e12 = g[1][k] == g[2][k], e13 = g[1][k] == g[3][k], e23 = g[2][k] == g[3][k];
            eq[0][k] = e01;
            eq[1][k] = e02;
            eq[2][k] = e03;
            eq[3][k] = e12;
            eq[4][k] = e13;
            eq[5][k] = e23;
            mult[0][k] = static_cast<uint8_t>(1 + e01 + e02 + e03);
            mult[1][k] = static_cast<uint8_t>(1 + e01 + e12 + e13);
            mult[2][k] = static_cast<uint8_t>(1 + e02 + e12 + e23);
            mult[3][k] = static_cast<uint8_t>(1 + e03 + e13 + e23);
        }
    }
};

// The largest multiplicity of the four gaps, counted without a table: gap i occurs as often as
// the gaps equal to it.
struct LargestGapMultiplicity {
    int operator()(const uint8_t* nums) const {
        const Gaps gaps(nums);
        int m = 0;
        for (size_t i = 0; i < 4; ++i) {
            const int g = gaps.g[i];
            m = std::max(m, (g == gaps.g[0]) + (g == gaps.g[1]) + (g == gaps.g[2]) + (g == gaps.g[3]));
        }
        return m;
    }
    static void lanes(const TCombLanes& l, TLaneBytes& out) {
        const TGapRepeats r{TGapLanes(l)};
        const auto& c = r.mult;
        for (size_t k = 0; k < TCombLanes::kWidth; ++k)
            out[k] = byteMax(byteMax(c[0][k], c[1][k]), byteMax(c[2][k], c[3][k]));
    }
};

// The largest gap between neighbouring positions.
class TstDiffMax : public TOneDiffValueKernel<LargestGap> {
public:
    using TOneDiffValueKernel::TOneDiffValueKernel;
};

// The spread between the smallest and the largest number (order plays no part).
class TstMinMaxDiffs : public TOneDiffValueKernel<Spread> {
public:
    using TOneDiffValueKernel::TOneDiffValueKernel;
};

// The largest multiplicity of any gap, 1..4.
class TstDiffSameCnt : public TOneDiffValueKernel<LargestGapMultiplicity> {
public:
    using TOneDiffValueKernel::TOneDiffValueKernel;
    int maxListed() const override { return 4; }
};

// Each distinct gap with its multiplicity (key 1 the gap, key 2 how often it occurs).
class TstDiffSame : public TCustomStat {
public:
    using TCustomStat::TCustomStat;

    std::string valueToText(const TStatDraw& value) const override {
        return fmt("%0:d x %1:d", static_cast<int>(value.keys[0]), static_cast<int>(value.keys[1]));
    }
    void valuesOfComb(const TComb& comb, TStatDrawArray& list) override {
        TCustomStat::valuesOfComb(comb, list);
        const GapCounts c{Gaps(comb.n.data())};
        for (size_t i = 0; i < static_cast<size_t>(c.size); ++i) {
            working_.setKeys(static_cast<uint16_t>(c.gap[i]), static_cast<uint16_t>(c.mult[i]));
            slots_.add(list, working_, static_cast<size_t>(c.gap[i] * 5 + c.mult[i]));
        }
    }
    void valuesOfDraw(int index, int lastIndex, bool sorted, TStatDrawArray& list, TStatState& state,
                      TLastValueArray& lastValues) override {
        TCustomStat::valuesOfDraw(index, lastIndex, sorted, list, state, lastValues);
        addPairs(current_.nums.data(), list, true);
    }
    // Whether each gap 0..255 with each multiplicity 1..4 is selected (gap * 5 + multiplicity).
    struct TGapHits final : TMatchTables {
        explicit TGapHits(const TStatDrawArray& selection) {
            keys.build(selection);
            for (uint64_t g = 0; g < 256; ++g)
                for (uint64_t m = 1; m <= 4; ++m) hit[g * 5 + m] = keys.contains(TPackedKeySet::pack(g, m)) ? 1 : 0;
        }
        TPackedKeySet keys;
        std::array<uint8_t, 256 * 5> hit{};
    };
    std::unique_ptr<const TMatchTables> buildMatchTables(const TStatMatcher& m) const override {
        return std::make_unique<TGapHits>(m.selection());
    }
    // Each gap with its multiplicity looked up (a repeated gap is looked up once per position).
    void matchChunk(const TComb* combs, size_t count, const TStatMatcher& m, uint8_t* matched) const override {
        const auto& hit = m.tables<TGapHits>().hit;
        forEachLaneBlock(combs, count, [&](const TCombLanes& lanes, size_t begin) {
            const TGapLanes gl(lanes);
            const TGapRepeats r(gl);
            std::array<std::array<uint16_t, TCombLanes::kWidth>, 4> at;
            for (size_t i = 0; i < 4; ++i)
                for (size_t k = 0; k < TCombLanes::kWidth; ++k)
                    at[i][k] = static_cast<uint16_t>(gl.g[i][k] * 5 + r.mult[i][k]);
            for (size_t k = 0; k < lanes.count; ++k)
                matched[begin + k] = hit[at[0][k]] | hit[at[1][k]] | hit[at[2][k]] | hit[at[3][k]];
        });
    }
    // Norm runs: each distinct gap (its first position) counted with its multiplicity; a repeated
    // gap's later positions are counted into a spare slot (gap 0 with multiplicity 0, which no
    // gap has) that is left out.
    bool countCombValues(const TComb* combs, size_t count, TValueCounts& counts) const override {
        std::vector<int32_t> seen(256 * 5, 0);
        forEachLaneBlock(combs, count, [&](const TCombLanes& lanes, size_t) {
            const TGapLanes gl(lanes);
            const TGapRepeats r(gl);
            const auto& e = r.eq;
            std::array<std::array<uint16_t, TCombLanes::kWidth>, 4> at;
            for (size_t k = 0; k < TCombLanes::kWidth; ++k) {
                // later positions of a gap seen before go to slot 0 (times 0, without a branch)
                const uint16_t first1 = static_cast<uint16_t>(1 - e[0][k]),
                               first2 = static_cast<uint16_t>(1 - (e[1][k] | e[3][k])),
                               first3 = static_cast<uint16_t>(1 - (e[2][k] | e[4][k] | e[5][k]));
                at[0][k] = static_cast<uint16_t>(gl.g[0][k] * 5 + r.mult[0][k]);
                at[1][k] = static_cast<uint16_t>((gl.g[1][k] * 5 + r.mult[1][k]) * first1);
                at[2][k] = static_cast<uint16_t>((gl.g[2][k] * 5 + r.mult[2][k]) * first2);
                at[3][k] = static_cast<uint16_t>((gl.g[3][k] * 5 + r.mult[3][k]) * first3);
            }
            for (size_t k = 0; k < lanes.count; ++k) {
                ++seen[at[0][k]];
                ++seen[at[1][k]];
                ++seen[at[2][k]];
                ++seen[at[3][k]];
            }
        });
        for (size_t i = 1; i < seen.size(); ++i)
            if (seen[i] != 0) counts.add(TPackedKeySet::pack(i / 5, i % 5), seen[i]);
        return true;
    }
    bool matchTest(const TComb& comb, const TStatMatcher& m) const override {
        const TPackedKeySet& keys = m.tables<TGapHits>().keys;
        const GapCounts c(Gaps(comb.n.data()));
        for (size_t i = 0; i < static_cast<size_t>(c.size); ++i)
            if (keys.contains(TPackedKeySet::pack(static_cast<uint64_t>(c.gap[i]), static_cast<uint64_t>(c.mult[i]))))
                return true;
        return false;
    }

private:
    void addPairs(const uint8_t* nums, TStatDrawArray& list, bool fromDraw) {
        const GapCounts c{Gaps(nums)};
        for (size_t i = 0; i < static_cast<size_t>(c.size); ++i) {
            working_.setKeys(static_cast<uint16_t>(c.gap[i]), static_cast<uint16_t>(c.mult[i]));
            addWorking(list, fromDraw);
        }
    }
    TValueSlots<256 * 5> slots_;
};

// Runs of k successive gaps (k = 2, 3, 4; gap j of the run in key j); the first run of a draw
// measures periods.
class TCombDiffSeqStat : public TCustomStat {
public:
    TCombDiffSeqStat(const TStatList& list, const TStatClassInfo& cls, int parameter, int k)
        : TCustomStat(list, cls, parameter), k_(k) {}

    std::string valueToText(const TStatDraw& value) const override {
        std::string s = numberText(value.keys[0]);
        for (size_t j = 1; j < static_cast<size_t>(k_); ++j) {
            s += ':';
            s += numberText(value.keys[j]);
        }
        return s;
    }
    void valuesOfDraw(int index, int lastIndex, bool sorted, TStatDrawArray& list, TStatState& state,
                      TLastValueArray& lastValues) override {
        TCustomStat::valuesOfDraw(index, lastIndex, sorted, list, state, lastValues);
        const Gaps gaps(current_.nums.data());
        for (int start = 0; start + k_ <= 4; ++start) {
            working_.keys = {};
            for (int j = 0; j < k_; ++j)
                working_.keys[static_cast<size_t>(j)] = static_cast<uint16_t>(gaps.g[static_cast<size_t>(start + j)]);
            addWorking(list, start == 0);
        }
    }
    // The selected runs of two or three gaps of at most kMaxGap as a byte table indexed by the
    // gaps (gap 1 the most significant), beside the packed keys of the whole selection.
    struct TRunHits final : TMatchTables {
        TRunHits(const TStatDrawArray& selection, int k) {
            keys.build(selection);
            trie.build(selection, k);
            if (k > 3) return;
            hit.assign(static_cast<size_t>(k == 2 ? kSide * kSide : kSide * kSide * kSide), 0);
            for (const TStatDraw& v : selection) {
                size_t index = 0;
                bool fits = true;
                for (size_t j = 0; j < 4; ++j) {
                    if (j < static_cast<size_t>(k)) {
                        fits = fits && v.keys[j] < kSide;
                        index = index * kSide + v.keys[j];
                    } else {
                        fits = fits && v.keys[j] == 0;
                    }
                }
                if (fits) hit[index] = 1;
            }
        }
        static constexpr size_t kSide = kMaxGap + 1;
        TPackedKeySet keys;
        TTupleTrie trie;
        std::vector<uint8_t> hit;  // empty for runs of four
    };
    std::unique_ptr<const TMatchTables> buildMatchTables(const TStatMatcher& m) const override {
        return std::make_unique<TRunHits>(m.selection(), k_);
    }
    // From the trie of the selected runs, worked out once per run of combinations sharing their
    // first numbers (see matchTupleChunk). Without a trie (a selection too large for it), runs of
    // two or three gaps from the byte table; combinations with a gap beyond kMaxGap (not game
    // numbers) and runs of four through matchTest.
    void matchChunk(const TComb* combs, size_t count, const TStatMatcher& m, uint8_t* matched) const override {
        const TRunHits& t = m.tables<TRunHits>();
        if (t.trie.ready()) {
            struct GapValues {
                static void outer(const uint8_t* n, unsigned* v) {
                    for (size_t j = 0; j < 2; ++j) v[j] = static_cast<unsigned>(std::abs(n[j] - n[j + 1]));
                }
                static unsigned middle(const uint8_t* n) { return static_cast<unsigned>(std::abs(n[2] - n[3])); }
                static unsigned last(const uint8_t* n) { return static_cast<unsigned>(std::abs(n[3] - n[4])); }
            };
            matchTupleChunk(t.trie, adjacentTupleRule(k_, 4), GapValues{},
                            [&](const TComb& c) { return matchTest(c, m); }, combs, count, matched);
            return;
        }
        if (t.hit.empty()) {
            TCustomStat::matchChunk(combs, count, m, matched);
            return;
        }
        constexpr size_t side = TRunHits::kSide;
        const uint8_t* hit = t.hit.data();
        for (size_t k = 0; k < count; ++k) {
            const Gaps gaps(combs[k].n.data());
            const auto g = [&](size_t i) { return static_cast<size_t>(gaps.g[i]); };
            if (std::max(std::max(g(0), g(1)), std::max(g(2), g(3))) >= side) {
                matched[k] = matchTest(combs[k], m) ? 1 : 0;
            } else if (k_ == 2) {
                matched[k] = hit[g(0) * side + g(1)] | hit[g(1) * side + g(2)] | hit[g(2) * side + g(3)];
            } else {
                matched[k] = hit[(g(0) * side + g(1)) * side + g(2)] | hit[(g(1) * side + g(2)) * side + g(3)];
            }
        }
    }
    bool matchTest(const TComb& comb, const TStatMatcher& m) const override {
        const TPackedKeySet& keys = m.tables<TRunHits>().keys;
        const Gaps gaps(comb.n.data());
        for (int start = 0; start + k_ <= 4; ++start) {
            uint64_t key = 0;
            for (int j = k_ - 1; j >= 0; --j) key = (key << 16) | static_cast<uint64_t>(gaps.g[static_cast<size_t>(start + j)]);
            if (keys.contains(key)) return true;
        }
        return false;
    }

private:
    int k_;
};

class TstCombDiffSeq2 : public TCombDiffSeqStat {
public:
    TstCombDiffSeq2(const TStatList& l, const TStatClassInfo& c, int p) : TCombDiffSeqStat(l, c, p, 2) {}
};
class TstCombDiffSeq3 : public TCombDiffSeqStat {
public:
    TstCombDiffSeq3(const TStatList& l, const TStatClassInfo& c, int p) : TCombDiffSeqStat(l, c, p, 3) {}
};
class TstCombDiffSeq4 : public TCombDiffSeqStat {
public:
    TstCombDiffSeq4(const TStatList& l, const TStatClassInfo& c, int p) : TCombDiffSeqStat(l, c, p, 4) {}
};

// --- descriptors -------------------------------------------------------------------------

const TStatClassInfo kTstDiffTotal{.className = "TstDiffTotal", .code = "DIFA",
                                   .caption = "Все разности между соседними позициями", .group = kDiffGroup,
                                   .kinds = kindS | kindN, .create = &createStat<TstDiffTotal>};
const TStatClassInfo kTstDiffMax{.className = "TstDiffMax", .code = "DIFM",
                                 .caption = "Максимальная разность между соседними позициями", .group = kDiffGroup,
                                 .kinds = kindS | kindN, .create = &createStat<TstDiffMax>, .isGraph = true};
const TStatClassInfo kTstMinMaxDiffs{.className = "TstMinMaxDiffs", .code = "DIFD",
                                     .caption = "Разность между минимальным и максимальным числом",
                                     .group = kDiffGroup, .kinds = kindN, .create = &createStat<TstMinMaxDiffs>,
                                     .isGraph = true};
const TStatClassInfo kTstDiffSame{.className = "TstDiffSame", .code = "DIFO",
                                  .caption = "Одинаковые разности между соседними позициями", .group = kDiffGroup,
                                  .kinds = kindS | kindN, .create = &createStat<TstDiffSame>,
                                  .acceptsTypedValues = false};
const TStatClassInfo kTstDiffSameCnt{.className = "TstDiffSameCnt", .code = "DIFK",
                                     .caption = "Количество одинаковых разностей между соседними позициями",
                                     .group = kDiffGroup, .kinds = kindS | kindN,
                                     .create = &createStat<TstDiffSameCnt>, .isGraph = true};
const TStatClassInfo kTstCombDiffSeq2{.className = "TstCombDiffSeq2", .code = "KDS%d",
                                      .caption = "Сочетания из %0:d разностей между числами", .group = kDiffGroup,
                                      .kinds = kindS, .create = &createStat<TstCombDiffSeq2>,
                                      .acceptsTypedValues = false, .fixedNumber = 2};
const TStatClassInfo kTstCombDiffSeq3{.className = "TstCombDiffSeq3", .code = "KDS%d",
                                      .caption = "Сочетания из %0:d разностей между числами", .group = kDiffGroup,
                                      .kinds = kindS, .create = &createStat<TstCombDiffSeq3>,
                                      .acceptsTypedValues = false, .fixedNumber = 3};
const TStatClassInfo kTstCombDiffSeq4{.className = "TstCombDiffSeq4", .code = "KDS%d",
                                      .caption = "Сочетания из %0:d разностей между числами", .group = kDiffGroup,
                                      .kinds = kindS, .create = &createStat<TstCombDiffSeq4>,
                                      .acceptsTypedValues = false, .fixedNumber = 4};

}  // namespace tavlora
