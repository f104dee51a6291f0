#include "stats/layout_stats.h"

#include <algorithm>
#include <bit>

#include "core/format.h"
#include "core/game.h"
#include "core/text_forms.h"
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
int tuplePositions(int k, bool adjacent, std::array<std::array<uint8_t, 4>, 10>& out) {
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
    : TCustomNumbersStat(list, cls, parameter), classes_(list.settings(), axis), listedMaxCount_(listedMaxCount) {}

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

bool TClassCountsStat::countCombValues(const TComb* combs, size_t count, TValueCounts& counts) const {
    // Every combination gives one value per class of the order, mostly with count 0. Only the
    // classes holding one of its numbers are tallied here; the combinations that left a class
    // empty are the rest of the batch.
    std::vector<std::array<int32_t, 6>> seen(256);
    std::array<uint8_t, 256> in{};
    for (size_t k = 0; k < count; ++k) {
        const uint8_t* n = combs[k].n.data();
        const uint8_t c[5] = {classes_.of[n[0]], classes_.of[n[1]], classes_.of[n[2]], classes_.of[n[3]],
                              classes_.of[n[4]]};
        for (uint8_t x : c) ++in[x];
        for (uint8_t x : c)
            if (in[x] != 0) {
                ++seen[x][in[x]];
                in[x] = 0;
            }
    }
    for (int i = 0; i < classes_.orderCount; ++i) {
        const uint8_t c = classes_.order[static_cast<size_t>(i)];
        int64_t present = 0;
        for (int k = 1; k <= 5; ++k) present += seen[c][static_cast<size_t>(k)];
        const auto key = [c](int k) { return uint64_t{c} | (uint64_t(static_cast<uint16_t>(k)) << 16); };
        if (static_cast<int64_t>(count) > present) counts.add(key(0), static_cast<int32_t>(static_cast<int64_t>(count) - present));
        for (int k = 1; k <= 5; ++k)
            if (seen[c][static_cast<size_t>(k)] != 0) counts.add(key(k), seen[c][static_cast<size_t>(k)]);
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

}  // namespace

std::unique_ptr<const TMatchTables> TClassCountsStat::buildMatchTables(const TStatMatcher& m) const {
    return std::make_unique<TClassCountTables>(m.selection(), classes_);
}

void TClassCountsStat::matchChunk(const TComb* combs, size_t count, const TStatMatcher& m, uint8_t* matched) const {
    const TClassCountTables& t = m.tables<TClassCountTables>();
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
    const TClassCountTables& t = m.tables<TClassCountTables>();
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

std::unique_ptr<const TMatchTables> TClassTupleStat::buildMatchTables(const TStatMatcher& m) const {
    return std::make_unique<TTupleTables>(m.selection(), k_ == 2);
}

bool TClassTupleStat::matchTest(const TComb& comb, const TStatMatcher& m) const {
    const TPackedKeySet& selected = m.tables<TTupleTables>().keys;
    for (int t = 0; t < tupleCount_; ++t)
        if (selected.contains(packedTuple(comb.n.data(), t))) return true;
    return false;
}

void TClassTupleStat::matchChunk(const TComb* combs, size_t count, const TStatMatcher& m, uint8_t* matched) const {
    if (k_ < 2 || !classesBelowLimit_) {
        TCustomNumbersStat::matchChunk(combs, count, m, matched);
        return;
    }
    const TTupleTables& tables = m.tables<TTupleTables>();
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
