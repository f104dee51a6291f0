#include "stats/layout_stats.h"

#include <algorithm>
#include <bit>
#include <functional>
#include <utility>
#include <vector>

#include "core/format.h"
#include "core/game.h"
#include "core/text_forms.h"
#include "stats/key1_tables.h"
#include "stats/stat_list.h"

namespace tavlora {

namespace {

const std::array<uint8_t, 256>& axisTable(const TLayoutTables& t, TLayoutAxis axis) {
    switch (axis) {
        case TLayoutAxis::Channel: return t.channel;
        case TLayoutAxis::Column: return t.column;
        case TLayoutAxis::Row: return t.row;
        case TLayoutAxis::Segment: break;
    }
    return t.segment;
}

// Positions (0-based) of every k-tuple: all choices in lexicographic order, or the adjacent runs.
constexpr int tuplePositions(int k, bool adjacent, std::array<std::array<uint8_t, 4>, 10>& out) {
    int count = 0;
    if (k < 1 || k > 4) return 0;
    if (adjacent) {
        for (int s = 0; s + k <= 5; ++s, ++count)
            for (int j = 0; j < k; ++j) out[static_cast<size_t>(count)][static_cast<size_t>(j)] = static_cast<uint8_t>(s + j);
        return count;
    }
    // Lexicographic enumeration of k of the positions 0..4.
    std::array<int, 4> p{};
    for (int j = 0; j < k; ++j) p[static_cast<size_t>(j)] = j;
    while (true) {
        for (int j = 0; j < k; ++j)
            out[static_cast<size_t>(count)][static_cast<size_t>(j)] = static_cast<uint8_t>(p[static_cast<size_t>(j)]);
        ++count;
        int j = k - 1;
        while (j >= 0 && p[static_cast<size_t>(j)] == 5 - k + j) --j;
        if (j < 0) break;
        ++p[static_cast<size_t>(j)];
        for (int m = j + 1; m < k; ++m) p[static_cast<size_t>(m)] = p[static_cast<size_t>(m - 1)] + 1;
    }
    return count;
}

}  // namespace

// --- tables and selections ---------------------------------------------------------------

TLayoutClasses::TLayoutClasses(const TSettings& settings, TLayoutAxis axis) : tables(settings) {
    of = axisTable(tables, axis);
    TClassBits seen;
    for (int n = kMinNumber; n <= kMaxNumber; ++n) {
        const int c = of[static_cast<size_t>(n)];
        if (seen.has(c)) continue;
        seen.set(c);
        order[static_cast<size_t>(orderCount++)] = static_cast<uint8_t>(c);
    }
}

int TClassBits::count() const { return std::popcount(lo) + std::popcount(hi); }

void TPairSelection::build(const TStatDrawArray& sel) {
    bits_.fill(0);
    for (const TStatDraw& v : sel)
        if (v.keys[0] < 256 && v.keys[1] < 8 && v.keys[2] == 0 && v.keys[3] == 0)
            bits_[v.keys[0]] = static_cast<uint8_t>(bits_[v.keys[0]] | (1u << v.keys[1]));
}

bool TPairSelection::has(const TStatDrawArray& sel, int k1, int k2) const {
    if (k1 >= 0 && k1 < 256 && k2 >= 0 && k2 < 8) return (bits_[static_cast<size_t>(k1)] >> k2) & 1u;
    return k1 >= 0 && k1 <= 0xFFFF && k2 >= 0 && k2 <= 0xFFFF &&
           selHasKeys(sel, static_cast<uint16_t>(k1), static_cast<uint16_t>(k2), 0, 0);
}

void TValueSlots::add(TStatDrawArray& list, const TStatDraw& value, bool fromDraw) {
    const size_t slot = static_cast<size_t>((value.packedKeys() * 0x9E3779B97F4A7C15ull) >> 52) & (kSlots - 1);
    int32_t at = index_[slot] - 1;
    if (at < 0 || static_cast<size_t>(at) >= list.size() || !list[static_cast<size_t>(at)].sameKeys(value))
        at = findValue(list, value);
    if (at < 0) {
        addValue(list, value, fromDraw);
        index_[slot] = static_cast<int32_t>(list.size());
        return;
    }
    TStatDraw& e = list[static_cast<size_t>(at)];
    if (!fromDraw && value.lastDraw == 0 && value.depth == 0) {
        // A value of a combination (the norm run): what addValue does to a found entry for a value
        // that never occurred in a draw, without its search.
        e.count += value.count;
        if (e.depth == 0) e.lastDraw = 0;
        e.runningDraw = 0;
        index_[slot] = at + 1;
        return;
    }
    // Otherwise the entry is updated by addValue itself, on a one-entry list, so the rules stay the
    // framework's.
    one_.resize(1);
    one_[0] = e;
    addValue(one_, value, fromDraw);
    e = one_[0];
    index_[slot] = at + 1;
}

// --- class of each number ----------------------------------------------------------------

TClassOfNumberStat::TClassOfNumberStat(const TStatList& list, const TStatClassInfo& cls, int parameter,
                                       TLayoutAxis axis)
    : TCustomNumbersStat(list, cls, parameter), classes_(list.settings(), axis) {}

void TClassOfNumberStat::listAllValues(int lastIndex, TStatDrawArray& list) {
    TCustomNumbersStat::listAllValues(lastIndex, list);
    for (int i = 0; i < classes_.orderCount; ++i) {
        working_.setKeys(classes_.order[static_cast<size_t>(i)]);
        slots_.add(list, working_, false);
    }
}

void TClassOfNumberStat::addClasses(const uint8_t* nums, TStatDrawArray& list, bool fromDraw) {
    for (int p = 0; p < 5; ++p) {
        working_.setKeys(classes_.of[nums[p]]);
        slots_.add(list, working_, fromDraw);
    }
}

void TClassOfNumberStat::valuesOfComb(const TComb& comb, TStatDrawArray& list) {
    TCustomNumbersStat::valuesOfComb(comb, list);
    addClasses(comb.n.data(), list, false);
}

void TClassOfNumberStat::valuesOfDraw(int index, int lastIndex, bool sorted, TStatDrawArray& list,
                                      TStatState& state, TLastValueArray& lastValues) {
    TCustomNumbersStat::valuesOfDraw(index, lastIndex, sorted, list, state, lastValues);
    addClasses(current_.nums.data(), list, true);
}

bool TClassOfNumberStat::matchTest(const TComb& comb, const TStatMatcher& m) const {
    for (uint8_t n : comb.n)
        if (m.selectedExact(classes_.of[n])) return true;
    return false;
}

// --- count per class ---------------------------------------------------------------------

TClassCountsStat::TClassCountsStat(const TStatList& list, const TStatClassInfo& cls, int parameter,
                                   TLayoutAxis axis, int listedMaxCount)
    : TCustomNumbersStat(list, cls, parameter), classes_(list.settings(), axis), listedMaxCount_(listedMaxCount) {
    if (classes_.orderCount > kPackedClasses) return;
    std::array<int, 256> dense;
    dense.fill(-1);
    for (int i = 0; i < classes_.orderCount; ++i) dense[classes_.order[static_cast<size_t>(i)]] = i;
    for (int v = kMinNumber; v <= kMaxNumber; ++v)
        packedIncrement_[static_cast<size_t>(v)] = uint64_t{1} << (3 * dense[classes_.of[static_cast<size_t>(v)]]);
    packedGroups_ = (classes_.orderCount + kGroupClasses - 1) / kGroupClasses;
}

std::string TClassCountsStat::valueToText(const TStatDraw& value) const {
    return fmt("%0:d x %1:d", value.keys[0], value.keys[1]);
}

void TClassCountsStat::listAllValues(int lastIndex, TStatDrawArray& list) {
    TCustomNumbersStat::listAllValues(lastIndex, list);
    for (int i = 0; i < classes_.orderCount; ++i)
        for (int c = 0; c <= listedMaxCount_; ++c) {
            working_.setKeys(classes_.order[static_cast<size_t>(i)], static_cast<uint16_t>(c));
            slots_.add(list, working_, false);
        }
}

void TClassCountsStat::addCounts(const uint8_t* nums, TStatDrawArray& list, bool fromDraw) {
    // The count of every class, in a table that is zero between calls (only the five classes of
    // the numbers are touched and cleared again).
    std::array<uint8_t, 256>& counts = classCounts_;
    for (int p = 0; p < 5; ++p) ++counts[classes_.of[nums[p]]];
    // (Norm runs count whole batches through countCombValues instead.)
    for (int i = 0; i < classes_.orderCount; ++i) {
        const uint8_t c = classes_.order[static_cast<size_t>(i)];
        working_.setKeys(c, counts[c]);
        slots_.add(list, working_, fromDraw);
    }
    for (int p = 0; p < 5; ++p) counts[classes_.of[nums[p]]] = 0;
}

template <int Groups>
void TClassCountsStat::countPacked(const TComb* combs, size_t count, TValueCounts& counts) const {
    // hist[g][field]: the combinations whose counters of group g read `field`, in two banks taken
    // in turn so that neighbouring combinations, which mostly share their fields, do not wait on
    // each other's additions.
    constexpr size_t kField = size_t{1} << (3 * kGroupClasses);
    constexpr size_t kBank = Groups * kField;
    constexpr size_t kPiece = size_t{1} << 31;  // a bin of a piece fits a 32-bit counter
    std::vector<uint32_t> hist(2 * kBank);
    std::vector<std::array<int64_t, 8>> withCount(static_cast<size_t>(classes_.orderCount));
    const uint64_t* inc = packedIncrement_.data();
    for (size_t from = 0; from < count; from += kPiece) {
        std::fill(hist.begin(), hist.end(), 0u);
        const size_t to = std::min(count, from + kPiece);
        for (size_t k = from; k < to; ++k) {
            const uint8_t* n = combs[k].n.data();
            const uint64_t sum = inc[n[0]] + inc[n[1]] + inc[n[2]] + inc[n[3]] + inc[n[4]];
            uint32_t* bank = hist.data() + (k & 1) * kBank;
            [&]<size_t... G>(std::index_sequence<G...>) {
                ((++bank[G * kField + ((sum >> (3 * kGroupClasses * G)) & (kField - 1))]), ...);
            }(std::make_index_sequence<Groups>{});
        }
        for (size_t g = 0; g < Groups; ++g)
            for (size_t field = 0; field < kField; ++field) {
                const int64_t c = int64_t{hist[g * kField + field]} + int64_t{hist[kBank + g * kField + field]};
                if (c == 0) continue;
                for (size_t j = 0; j < kGroupClasses; ++j) {
                    const size_t d = g * kGroupClasses + j;
                    if (d >= withCount.size()) break;
                    withCount[d][(field >> (3 * j)) & 7u] += c;
                }
            }
    }
    for (size_t d = 0; d < withCount.size(); ++d) {
        const uint64_t c = classes_.order[d];
        for (size_t k = 0; k < withCount[d].size(); ++k)
            if (withCount[d][k] != 0) counts.add(c | (uint64_t{k} << 16), static_cast<int32_t>(withCount[d][k]));
    }
}

bool TClassCountsStat::countCombValues(const TComb* combs, size_t count, TValueCounts& counts) const {
    switch (packedGroups_) {
        case 1: countPacked<1>(combs, count, counts); return true;
        case 2: countPacked<2>(combs, count, counts); return true;
        case 3: countPacked<3>(combs, count, counts); return true;
        case 4: countPacked<4>(combs, count, counts); return true;
        case 5: countPacked<5>(combs, count, counts); return true;
        case 6: countPacked<6>(combs, count, counts); return true;
        case 7: countPacked<7>(combs, count, counts); return true;
        default: break;
    }
    // Every combination gives one value per class of the order, mostly with count 0. Only the
    // classes holding one of its numbers are tallied here, into a dense table of (class, count)
    // without a branch: every position adds one to (its class, the number of positions sharing
    // that class), so a combination with k numbers in a class adds k there, and the tally is
    // divided by k afterwards. Two banks taken in turn keep neighbouring combinations, which
    // mostly share their classes, from waiting on each other's additions. The combinations that
    // left a class empty are the rest of the batch.
    constexpr size_t kBank = 256 * 8;
    constexpr size_t kPiece = size_t{1} << 24;  // 5 * kPiece additions fit a 32-bit counter
    std::vector<uint32_t> seen(2 * kBank);
    std::vector<int64_t> tally(kBank, 0);
    const uint8_t* of = classes_.of.data();
    for (size_t from = 0; from < count; from += kPiece) {
        std::fill(seen.begin(), seen.end(), 0u);
        const size_t to = std::min(count, from + kPiece);
        for (size_t k = from; k < to; ++k) {
            const uint8_t* n = combs[k].n.data();
            const unsigned c0 = of[n[0]], c1 = of[n[1]], c2 = of[n[2]], c3 = of[n[3]], c4 = of[n[4]];
            const unsigned e01 = c0 == c1, e02 = c0 == c2, e03 = c0 == c3, e04 = c0 == c4, e12 = c1 == c2,
                           e13 = c1 == c3, e14 = c1 == c4, e23 = c2 == c3, e24 = c2 == c4, e34 = c3 == c4;
            uint32_t* bank = seen.data() + (k & 1) * kBank;
            ++bank[c0 * 8 + 1 + e01 + e02 + e03 + e04];
            ++bank[c1 * 8 + 1 + e01 + e12 + e13 + e14];
            ++bank[c2 * 8 + 1 + e02 + e12 + e23 + e24];
            ++bank[c3 * 8 + 1 + e03 + e13 + e23 + e34];
            ++bank[c4 * 8 + 1 + e04 + e14 + e24 + e34];
        }
        for (size_t i = 0; i < kBank; ++i) tally[i] += int64_t{seen[i]} + int64_t{seen[kBank + i]};
    }
    for (int i = 0; i < classes_.orderCount; ++i) {
        const uint8_t c = classes_.order[static_cast<size_t>(i)];
        std::array<int64_t, 6> withCount{};
        int64_t present = 0;
        for (size_t k = 1; k <= 5; ++k) {
            withCount[k] = tally[c * 8u + k] / static_cast<int64_t>(k);
            present += withCount[k];
        }
        const auto key = [c](size_t k) { return uint64_t{c} | (uint64_t{static_cast<uint16_t>(k)} << 16); };
        if (static_cast<int64_t>(count) > present) counts.add(key(0), static_cast<int32_t>(static_cast<int64_t>(count) - present));
        for (size_t k = 1; k <= 5; ++k)
            if (withCount[k] != 0) counts.add(key(k), static_cast<int32_t>(withCount[k]));
    }
    return true;
}

void TClassCountsStat::valuesOfComb(const TComb& comb, TStatDrawArray& list) {
    TCustomNumbersStat::valuesOfComb(comb, list);
    addCounts(comb.n.data(), list, false);
}

void TClassCountsStat::valuesOfDraw(int index, int lastIndex, bool sorted, TStatDrawArray& list,
                                    TStatState& state, TLastValueArray& lastValues) {
    TCustomNumbersStat::valuesOfDraw(index, lastIndex, sorted, list, state, lastValues);
    addCounts(current_.nums.data(), list, true);
}

namespace {

// The selected (class, count) pairs of a filter run, and the classes of the order whose count 0 is
// selected (a list and a set).
struct TClassCountTables final : TMatchTables {
    TClassCountTables(const TStatDrawArray& sel, const TLayoutClasses& classes) {
        pairs.build(sel);
        for (int i = 0; i < classes.orderCount; ++i) {
            const uint8_t c = classes.order[static_cast<size_t>(i)];
            if (pairs.row(c) & 1u) {
                zeroSelected[static_cast<size_t>(zeroSelectedCount++)] = c;
                zeroSelectedBits.set(c);
            }
        }
    }
    TPairSelection pairs;
    std::array<uint8_t, 69> zeroSelected{};
    int zeroSelectedCount = 0;
    TClassBits zeroSelectedBits;
};

// The packed form of the same test for layouts of at most kPackedClasses classes: every class of
// the order gets a 3-bit counter in one 64-bit word, so the counts of a combination are the sum of
// five per-number increments; the counters are then read four classes (12 bits) at a time from
// tables that answer "some class of these four has its count selected". Count 0 of a class is
// answered by the same tables, exactly as the zero-count rule of the plain test. Numbers whose
// class is not in the order (bytes beyond the game's numbers) add one to a separate counter in
// the top bits, and such combinations take the plain test.
struct TPackedClassCountTables final : TMatchTables {
    static constexpr int kPackedClasses = 20;
    static constexpr int kGroupBits = 12;
    static constexpr int kOddShift = 60;

    TPackedClassCountTables(const TStatDrawArray& sel, const TLayoutClasses& classes) : plain(sel, classes) {
        if (classes.orderCount > kPackedClasses) return;
        packed = true;
        std::array<int, 256> dense;
        dense.fill(-1);
        for (int i = 0; i < classes.orderCount; ++i) dense[classes.order[static_cast<size_t>(i)]] = i;
        for (int v = 0; v < 256; ++v) {
            const int d = kMinNumber <= v && v <= kMaxNumber ? dense[classes.of[static_cast<size_t>(v)]] : -1;
            increment[static_cast<size_t>(v)] = d >= 0 ? uint64_t{1} << (3 * d) : uint64_t{1} << kOddShift;
        }
        groups = (classes.orderCount + 3) / 4;
        hits.assign(static_cast<size_t>(groups) << kGroupBits, 0);
        for (int g = 0; g < groups; ++g)
            for (uint32_t field = 0; field < (1u << kGroupBits); ++field) {
                uint8_t hit = 0;
                for (int j = 0; j < 4; ++j) {
                    const int d = 4 * g + j;
                    if (d >= classes.orderCount) break;
                    const unsigned count = (field >> (3 * j)) & 7u;
                    hit |= (plain.pairs.row(classes.order[static_cast<size_t>(d)]) >> count) & 1u;
                }
                hits[(static_cast<size_t>(g) << kGroupBits) | field] = hit;
            }
    }
    TClassCountTables plain;
    bool packed = false;
    int groups = 0;
    std::array<uint64_t, 256> increment{};
    std::vector<uint8_t> hits;  // groups tables of 4096 answers
};

}  // namespace

std::unique_ptr<const TMatchTables> TClassCountsStat::buildMatchTables(const TStatMatcher& m) const {
    return std::make_unique<TPackedClassCountTables>(m.selection(), classes_);
}

void TClassCountsStat::matchChunk(const TComb* combs, size_t count, const TStatMatcher& m, uint8_t* matched) const {
    const TPackedClassCountTables& packed = m.tables<TPackedClassCountTables>();
    if (packed.packed) {
        constexpr uint64_t kField = (uint64_t{1} << TPackedClassCountTables::kGroupBits) - 1;
        const uint64_t* inc = packed.increment.data();
        const uint8_t* hits = packed.hits.data();
        const int groups = packed.groups;
        for (size_t k = 0; k < count; ++k) {
            const uint8_t* n = combs[k].n.data();
            const uint64_t sum = inc[n[0]] + inc[n[1]] + inc[n[2]] + inc[n[3]] + inc[n[4]];
            if (sum >> TPackedClassCountTables::kOddShift) [[unlikely]] {
                // A number outside the order's classes: the plain test.
                matched[k] = matchTest(combs[k], m) ? 1 : 0;
                continue;
            }
            uint8_t hit = hits[sum & kField];
            for (int g = 1; g < groups; ++g)
                hit |= hits[(static_cast<size_t>(g) << TPackedClassCountTables::kGroupBits) |
                            ((sum >> (TPackedClassCountTables::kGroupBits * g)) & kField)];
            matched[k] = hit;
        }
        return;
    }
    const TClassCountTables& t = packed.plain;
    const TPairSelection& pairs = t.pairs;
    // As matchTest: the count of the class of every number is the number of positions in that
    // class; a class with count 0 selected matches when it holds none of the five numbers.
    const uint64_t zeroLo = t.zeroSelectedBits.lo, zeroHi = t.zeroSelectedBits.hi;
    for (size_t k = 0; k < count; ++k) {
        const uint8_t* n = combs[k].n.data();
        const uint8_t c0 = classes_.of[n[0]], c1 = classes_.of[n[1]], c2 = classes_.of[n[2]], c3 = classes_.of[n[3]],
                      c4 = classes_.of[n[4]];
        const int k0 = 1 + (c0 == c1) + (c0 == c2) + (c0 == c3) + (c0 == c4);
        const int k1 = 1 + (c1 == c0) + (c1 == c2) + (c1 == c3) + (c1 == c4);
        const int k2 = 1 + (c2 == c0) + (c2 == c1) + (c2 == c3) + (c2 == c4);
        const int k3 = 1 + (c3 == c0) + (c3 == c1) + (c3 == c2) + (c3 == c4);
        const int k4 = 1 + (c4 == c0) + (c4 == c1) + (c4 == c2) + (c4 == c3);
        unsigned hit = ((pairs.row(c0) >> k0) | (pairs.row(c1) >> k1) | (pairs.row(c2) >> k2) |
                        (pairs.row(c3) >> k3) | (pairs.row(c4) >> k4)) & 1u;
        TClassBits present;
        present.set(c0);
        present.set(c1);
        present.set(c2);
        present.set(c3);
        present.set(c4);
        hit |= ((zeroLo & ~present.lo) | (zeroHi & ~present.hi)) != 0 ? 1u : 0u;
        matched[k] = static_cast<uint8_t>(hit);
    }
}

bool TClassCountsStat::matchTest(const TComb& comb, const TStatMatcher& m) const {
    const TClassCountTables& t = m.tables<TPackedClassCountTables>().plain;
    // The classes of the combination with their counts (at most five distinct ones).
    std::array<uint8_t, 5> cls{};
    std::array<uint8_t, 5> cnt{};
    int distinct = 0;
    TClassBits present;
    for (uint8_t n : comb.n) {
        const uint8_t c = classes_.of[n];
        int j = 0;
        while (j < distinct && cls[static_cast<size_t>(j)] != c) ++j;
        if (j == distinct) {
            cls[static_cast<size_t>(distinct++)] = c;
            present.set(c);
        }
        ++cnt[static_cast<size_t>(j)];
    }
    for (int j = 0; j < distinct; ++j)
        if ((t.pairs.row(cls[static_cast<size_t>(j)]) >> cnt[static_cast<size_t>(j)]) & 1u) return true;
    // A class with count 0 selected matches when the combination has no number in it.
    for (int i = 0; i < t.zeroSelectedCount; ++i)
        if (!present.has(t.zeroSelected[static_cast<size_t>(i)])) return true;
    return false;
}

// --- one number per combination ----------------------------------------------------------

TClassNumberStat::TClassNumberStat(const TStatList& list, const TStatClassInfo& cls, int parameter,
                                   TLayoutAxis axis, int listedMax)
    : TCustomGraphStat(list, cls, parameter), classes_(list.settings(), axis), listedMax_(listedMax) {}

void TClassNumberStat::listAllValues(int lastIndex, TStatDrawArray& list) {
    TCustomGraphStat::listAllValues(lastIndex, list);
    for (int v = 1; v <= listedMax_; ++v) {
        working_.setKeys(static_cast<uint16_t>(v));
        slots_.add(list, working_, false);
    }
}

void TClassNumberStat::valuesOfComb(const TComb& comb, TStatDrawArray& list) {
    TCustomGraphStat::valuesOfComb(comb, list);
    working_.setKeys(static_cast<uint16_t>(numberOf(comb.n.data())));
    slots_.add(list, working_, false);
}

void TClassNumberStat::valuesOfDraw(int index, int lastIndex, bool sorted, TStatDrawArray& list,
                                    TStatState& state, TLastValueArray& lastValues) {
    TCustomGraphStat::valuesOfDraw(index, lastIndex, sorted, list, state, lastValues);
    working_.setKeys(static_cast<uint16_t>(numberOf(current_.nums.data())));
    slots_.add(list, working_, true);
}

bool TClassNumberStat::matchTest(const TComb& comb, const TStatMatcher& m) const {
    return m.selectedExact(numberOf(comb.n.data()));
}

int32_t TClassNumberStat::numberOfComb(const TComb& nums, int, int, bool) const { return numberOf(nums.n.data()); }

int TDistinctClassesStat::numberOf(const uint8_t* nums) const {
    TClassBits bits;
    for (int p = 0; p < 5; ++p) bits.set(classes_.of[nums[p]]);
    return bits.count();
}

int TCountInClassStat::numberOf(const uint8_t* nums) const {
    const int target = parameter();
    int count = 0;
    for (int p = 0; p < 5; ++p) count += classes_.of[nums[p]] == target ? 1 : 0;
    return count;
}

namespace {

// The number of distinct classes of five numbers by branch-free comparisons: a position adds a
// class when no earlier position has the same one.
int distinctClasses(const std::array<uint8_t, 256>& of, const uint8_t* n) {
    const uint8_t c0 = of[n[0]], c1 = of[n[1]], c2 = of[n[2]], c3 = of[n[3]], c4 = of[n[4]];
    return 1 + (c1 != c0) + ((c2 != c0) & (c2 != c1)) + ((c3 != c0) & (c3 != c1) & (c3 != c2)) +
           ((c4 != c0) & (c4 != c1) & (c4 != c2) & (c4 != c3));
}

}  // namespace

void TDistinctClassesStat::matchChunk(const TComb* combs, size_t count, const TStatMatcher& m,
                                      uint8_t* matched) const {
    std::array<uint8_t, 8> exact{};
    m.selectedExactTable(exact.data(), exact.size());
    for (size_t k = 0; k < count; ++k) matched[k] = exact[static_cast<size_t>(distinctClasses(classes_.of, combs[k].n.data()))];
}

bool TDistinctClassesStat::countCombValues(const TComb* combs, size_t count, TValueCounts& counts) const {
    countKey1Values<6>(combs, count, counts, [this](const uint8_t* n) { return distinctClasses(classes_.of, n); });
    return true;
}

bool TCountInClassStat::countCombValues(const TComb* combs, size_t count, TValueCounts& counts) const {
    std::array<uint8_t, 256> in{};
    const int target = parameter();
    for (size_t v = 0; v < in.size(); ++v) in[v] = classes_.of[v] == target ? 1 : 0;
    std::array<int32_t, 6> seen{};
    for (size_t k = 0; k < count; ++k) {
        const uint8_t* n = combs[k].n.data();
        ++seen[static_cast<size_t>(in[n[0]] + in[n[1]] + in[n[2]] + in[n[3]] + in[n[4]])];
    }
    addKey1Counts(seen, counts);
    return true;
}

bool TClassOfNumberStat::countCombValues(const TComb* combs, size_t count, TValueCounts& counts) const {
    std::array<int32_t, 256> seen{};
    const auto& of = classes_.of;
    for (size_t k = 0; k < count; ++k) {
        const uint8_t* n = combs[k].n.data();
        ++seen[of[n[0]]];
        ++seen[of[n[1]]];
        ++seen[of[n[2]]];
        ++seen[of[n[3]]];
        ++seen[of[n[4]]];
    }
    addKey1Counts(seen, counts);
    return true;
}

void TCountInClassStat::matchChunk(const TComb* combs, size_t count, const TStatMatcher& m, uint8_t* matched) const {
    std::array<uint8_t, 8> exact{};
    m.selectedExactTable(exact.data(), exact.size());
    std::array<uint8_t, 256> in{};
    const int target = parameter();
    for (size_t v = 0; v < in.size(); ++v) in[v] = classes_.of[v] == target ? 1 : 0;
    for (size_t k = 0; k < count; ++k) {
        const uint8_t* n = combs[k].n.data();
        matched[k] = exact[static_cast<size_t>(in[n[0]] + in[n[1]] + in[n[2]] + in[n[3]] + in[n[4]])];
    }
}

// --- tuples ------------------------------------------------------------------------------

TClassTupleStat::TClassTupleStat(const TStatList& list, const TStatClassInfo& cls, int parameter, TLayoutAxis axis,
                                 int k, bool adjacent)
    : TCustomNumbersStat(list, cls, parameter), classes_(list.settings(), axis), k_(k),
      tupleCount_(tuplePositions(k, adjacent, positions_)),
      classesBelowLimit_(*std::max_element(classes_.of.begin(), classes_.of.end()) < TKeyPairBytes::kLimit) {
    if (k_ >= 2)
        for (int t = 0; t < tupleCount_; ++t)
            prefixMask_ |= pairBit(positions_[static_cast<size_t>(t)][0], positions_[static_cast<size_t>(t)][1]);
}

uint64_t TClassTupleStat::packedTuple(const uint8_t* nums, int t) const {
    const auto& pos = positions_[static_cast<size_t>(t)];
    uint64_t packed = 0;
    for (int j = 0; j < k_; ++j)
        packed |= uint64_t{classes_.of[nums[pos[static_cast<size_t>(j)]]]} << (16 * j);
    return packed;
}

std::string TClassTupleStat::valueToText(const TStatDraw& value) const {
    std::string text;
    for (int j = 0; j < k_; ++j) {
        if (j > 0) text += ':';
        text += numberText(value.keys[static_cast<size_t>(j)]);
    }
    return text;
}

void TClassTupleStat::valuesOfDraw(int index, int lastIndex, bool sorted, TStatDrawArray& list, TStatState& state,
                                   TLastValueArray& lastValues) {
    TCustomNumbersStat::valuesOfDraw(index, lastIndex, sorted, list, state, lastValues);
    for (int t = 0; t < tupleCount_; ++t) {
        const uint64_t packed = packedTuple(current_.nums.data(), t);
        working_.setKeys(static_cast<uint16_t>(packed), static_cast<uint16_t>(packed >> 16),
                         static_cast<uint16_t>(packed >> 32), static_cast<uint16_t>(packed >> 48));
        slots_.add(list, working_, true);
    }
}

namespace {

// The selected tuples of classes as one byte per tuple of dense class indices, for tuples of 3 or
// 4 classes over layouts of few classes: the classes of the order are numbered 0..D-1, a tuple's
// index packs those numbers in `bits` bits each (first position lowest, as the packed keys), and
// the table answers whether that tuple is selected. Numbers whose class is not in the order get
// kOutside, and their combinations take the plain test.
struct TClassTupleTables final : TMatchTables {
    static constexpr uint16_t kOutside = 0x8000;
    static constexpr int kMaxIndexBits = 16;

    TClassTupleTables(const TStatDrawArray& sel, int k, const TLayoutClasses& classes) : tuples(sel, k) {
        if (k < 3 || k > 4 || classes.orderCount < 1) return;
        bits = std::bit_width(static_cast<unsigned>(classes.orderCount - 1));
        if (bits == 0) bits = 1;
        if (bits * k > kMaxIndexBits) return;
        std::array<int, 256> denseOfClass;
        denseOfClass.fill(-1);
        for (int i = 0; i < classes.orderCount; ++i) denseOfClass[classes.order[static_cast<size_t>(i)]] = i;
        for (int v = 0; v < 256; ++v) {
            const int d = kMinNumber <= v && v <= kMaxNumber ? denseOfClass[classes.of[static_cast<size_t>(v)]] : -1;
            dense[static_cast<size_t>(v)] = d >= 0 ? static_cast<uint16_t>(d) : kOutside;
        }
        selected.assign(size_t{1} << (bits * k), 0);
        // A tuple of a combination carries k classes of the order and zeros beyond them.
        for (const TStatDraw& v : sel) {
            size_t index = 0;
            bool ok = true;
            for (int j = 0; j < 4 && ok; ++j) {
                const uint16_t key = v.keys[static_cast<size_t>(j)];
                if (j >= k) {
                    ok = key == 0;
                } else {
                    const int d = key < 256 ? denseOfClass[key] : -1;
                    ok = d >= 0;
                    index |= static_cast<size_t>(d >= 0 ? d : 0) << (bits * j);
                }
            }
            if (ok) selected[index] = 1;
        }
        indexed = true;
    }
    TTupleTables tuples;
    bool indexed = false;
    int bits = 0;
    std::array<uint16_t, 256> dense{};
    std::vector<uint8_t> selected;
};

// The positions of the usual tuple rules, as tuplePositions lists them.
using TTuplePositions = std::array<std::array<uint8_t, 4>, 10>;
constexpr TTuplePositions positionsOf(int k, bool adjacent) {
    TTuplePositions p{};
    tuplePositions(k, adjacent, p);
    return p;
}
constexpr TTuplePositions kAny3 = positionsOf(3, false);
constexpr TTuplePositions kAny4 = positionsOf(4, false);
constexpr TTuplePositions kAdjacent3 = positionsOf(3, true);
constexpr TTuplePositions kAdjacent4 = positionsOf(4, true);

// The indexed test over a chunk for tuples of K classes at the positions P (Count tuples), the
// loops over tuples and positions unrolled at compile time.
template <int K, const TTuplePositions& P, int Count>
void indexedTupleChunk(const TClassTupleTables& t, const TComb* combs, size_t count, uint8_t* matched,
                       const std::function<bool(const TComb&)>& plain) {
    const uint16_t* dense = t.dense.data();
    const uint8_t* selected = t.selected.data();
    const unsigned bits = static_cast<unsigned>(t.bits);
    for (size_t k = 0; k < count; ++k) {
        const uint8_t* n = combs[k].n.data();
        const uint32_t d[5] = {dense[n[0]], dense[n[1]], dense[n[2]], dense[n[3]], dense[n[4]]};
        if ((d[0] | d[1] | d[2] | d[3] | d[4]) & TClassTupleTables::kOutside) [[unlikely]] {
            matched[k] = plain(combs[k]) ? 1 : 0;
            continue;
        }
        uint8_t hit = 0;
        [&]<size_t... U>(std::index_sequence<U...>) {
            auto one = [&](const std::array<uint8_t, 4>& pos) {
                uint32_t index = 0;
                [&]<size_t... J>(std::index_sequence<J...>) {
                    ((index |= d[pos[J]] << (bits * J)), ...);
                }(std::make_index_sequence<K>{});
                return selected[index];
            };
            ((hit |= one(P[U])), ...);
        }(std::make_index_sequence<Count>{});
        matched[k] = hit;
    }
}

}  // namespace

std::unique_ptr<const TMatchTables> TClassTupleStat::buildMatchTables(const TStatMatcher& m) const {
    return std::make_unique<TClassTupleTables>(m.selection(), k_, classes_);
}

bool TClassTupleStat::matchTest(const TComb& comb, const TStatMatcher& m) const {
    const TPackedKeySet& selected = m.tables<TClassTupleTables>().tuples.keys;
    for (int t = 0; t < tupleCount_; ++t)
        if (selected.contains(packedTuple(comb.n.data(), t))) return true;
    return false;
}

void TClassTupleStat::matchChunk(const TComb* combs, size_t count, const TStatMatcher& m, uint8_t* matched) const {
    const TClassTupleTables& classTables = m.tables<TClassTupleTables>();
    // The trie of the selected tuples, worked out once per run of combinations sharing their first
    // numbers (see matchTupleChunk).
    if (classTables.tuples.trie.ready() && k_ >= 2) {
        struct Classes {
            const std::array<uint8_t, 256>& of;
            void outer(const uint8_t* n, unsigned* v) const {
                for (size_t j = 0; j < 3; ++j) v[j] = of[n[j]];
            }
            unsigned middle(const uint8_t* n) const { return of[n[3]]; }
            unsigned last(const uint8_t* n) const { return of[n[4]]; }
        };
        TTupleRule rule;
        rule.pos = positions_;
        rule.count = tupleCount_;
        rule.k = k_;
        return matchTupleChunk(classTables.tuples.trie, rule, Classes{classes_.of},
                               [&](const TComb& c) { return matchTest(c, m); }, combs, count, matched);
    }
    if (classTables.indexed) {
        const std::function<bool(const TComb&)> plain = [&](const TComb& c) { return matchTest(c, m); };
        if (positions_ == kAny3) return indexedTupleChunk<3, kAny3, 10>(classTables, combs, count, matched, plain);
        if (positions_ == kAdjacent3)
            return indexedTupleChunk<3, kAdjacent3, 3>(classTables, combs, count, matched, plain);
        if (positions_ == kAny4) return indexedTupleChunk<4, kAny4, 5>(classTables, combs, count, matched, plain);
        if (positions_ == kAdjacent4)
            return indexedTupleChunk<4, kAdjacent4, 2>(classTables, combs, count, matched, plain);
    }
    if (k_ < 2 || !classesBelowLimit_) {
        TCustomNumbersStat::matchChunk(combs, count, m, matched);
        return;
    }
    const TTupleTables& tables = classTables.tuples;
    const TPackedKeySet& selected = tables.keys;
    const TKeyPairBytes& pairs = tables.pairs;
    const auto& of = classes_.of;
    markTuplePrefixes(prefixMask_, pairs, combs, count, [&of](uint8_t v) { return of[v]; }, matched);
    if (k_ == 2) return;  // the marked pairs are the selected ones
    for (size_t k = 0; k < count; ++k) {
        if (!matched[k]) continue;
        const uint8_t* n = combs[k].n.data();
        bool hit = false;
        for (int t = 0; t < tupleCount_ && !hit; ++t) {
            const auto& pos = positions_[static_cast<size_t>(t)];
            hit = pairs.has(of[n[pos[0]]], of[n[pos[1]]]) && selected.contains(packedTuple(n, t));
        }
        matched[k] = hit ? 1 : 0;
    }
}

}  // namespace tavlora
