#pragma once
// A set of the four keys of the records of a selection, built once per filter run (by the
// filter's matcher, which keeps it with the selection it was built from) so that match
// tests that compare all four keys of tuple values (pairs of numbers, runs of gaps, ...) answer
// without scanning the selection. A 65536-bit filter of key hashes rejects most misses with one
// bit test; hits are confirmed by a binary search of the sorted keys.
#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "core/records.h"
#include "stats/stat_matcher.h"
#include "stats/stat_types.h"

namespace tavlora {

class TPackedKeySet {
public:
    void build(const TStatDrawArray& sel) {
        keys_.clear();
        filter_.fill(0);
        keys_.reserve(sel.size());
        for (const TStatDraw& v : sel) {
            const uint64_t k = v.packedKeys();
            keys_.push_back(k);
            const uint32_t h = hash(k);
            filter_[h >> 6] |= uint64_t{1} << (h & 63);
        }
        std::sort(keys_.begin(), keys_.end());
        keys_.erase(std::unique(keys_.begin(), keys_.end()), keys_.end());
    }
    // True when some record of the selection carries the packed keys `key` (key 1 lowest).
    bool contains(uint64_t key) const {
        const uint32_t h = hash(key);
        if (!((filter_[h >> 6] >> (h & 63)) & 1u)) return false;
        return std::binary_search(keys_.begin(), keys_.end(), key);
    }
    // The packed form of four keys, key 1 lowest (as TStatDraw::packedKeys).
    static constexpr uint64_t pack(uint64_t k1, uint64_t k2 = 0, uint64_t k3 = 0, uint64_t k4 = 0) {
        return (k1 & 0xFFFF) | ((k2 & 0xFFFF) << 16) | ((k3 & 0xFFFF) << 32) | ((k4 & 0xFFFF) << 48);
    }

private:
    static uint32_t hash(uint64_t k) { return static_cast<uint32_t>((k * 0x9E3779B97F4A7C15ull) >> 48); }

    std::vector<uint64_t> keys_;
    std::array<uint64_t, 1024> filter_{};
};

// The (key 1, key 2) pairs of the records of a selection, as a byte table of the pairs of bytes
// below 128 (16 KB, so that it stays in the first-level cache). A tuple of numbers whose first
// two members form no marked pair is not selected, whatever its other members: chunk match tests
// reject most tuples with one byte load and confirm the few marked ones in the TPackedKeySet of
// the same selection. Pairs with a member of 128 or more are not in the table: callers test
// such tuples in full.
class TKeyPairBytes {
public:
    static constexpr unsigned kLimit = 128;
    // With pairsOnly, only the records whose keys 3 and 4 are 0 are marked: then a marked pair is
    // itself a selected value and a pair (a tuple of two) needs no further test.
    void build(const TStatDrawArray& sel, bool pairsOnly = false) {
        marks_.fill(0);
        for (const TStatDraw& v : sel)
            if (v.keys[0] < kLimit && v.keys[1] < kLimit && (!pairsOnly || (v.keys[2] == 0 && v.keys[3] == 0)))
                marks_[index(v.keys[0], v.keys[1])] = 1;
    }
    // 1 when some (with pairsOnly: some pair) record of the selection has key 1 = a and key 2 = b
    // (a, b below kLimit), else 0.
    uint8_t has(uint8_t a, uint8_t b) const { return marks_[index(a, b)]; }

private:
    static size_t index(unsigned a, unsigned b) { return ((static_cast<size_t>(a) << 7) | b) & (kLimit * kLimit - 1); }
    std::array<uint8_t, kLimit * kLimit> marks_{};
};

// A set of values below 128, as two words.
struct TValueMask128 {
    uint64_t lo = 0, hi = 0;
    void set(unsigned v) { (v < 64 ? lo : hi) |= uint64_t{1} << (v & 63); }
    bool has(unsigned v) const { return (((v < 64 ? lo : hi) >> (v & 63)) & 1u) != 0; }
    TValueMask128& operator|=(const TValueMask128& o) {
        lo |= o.lo;
        hi |= o.hi;
        return *this;
    }
};

// The selected tuples of k values (k = 2..4, every value below kLimit) as a trie over their first
// k - 1 values, whose leaves hold the set of last values that complete a selected tuple. A walk
// costs one table load per value and takes no branch: node 0 of every depth below the root is
// "no selected tuple starts so", and its rows lead to node 0 again and to the empty set. Records
// with a key of kLimit or more, or with keys beyond k, are left out: no tuple of values below
// kLimit carries them, and combinations with a larger value take the plain test.
class TTupleTrie {
public:
    static constexpr unsigned kLimit = 128;
    // More distinct prefixes than this (a selection of thousands of tuples) build no trie.
    static constexpr size_t kMaxNodes = 4096;

    // False (and an empty trie) when k is out of range or the selection has too many prefixes.
    bool build(const TStatDrawArray& sel, int k) {
        ready_ = false;
        k_ = k;
        for (auto& level : children_) level.clear();
        lasts_.clear();
        if (k < 2 || k > 4) return false;
        std::array<size_t, 4> nodes{1, 0, 0, 0};  // nodes per depth; depth 0 is the root alone
        children_[0].assign(kLimit, 0);
        for (int d = 1; d < k - 1; ++d) children_[static_cast<size_t>(d)].assign(kLimit, 0);
        lasts_.assign(1, TValueMask128{});
        for (const TStatDraw& v : sel) {
            bool fits = true;
            for (size_t j = 0; j < 4; ++j)
                fits = fits && (j < static_cast<size_t>(k) ? v.keys[j] < kLimit : v.keys[j] == 0);
            if (!fits) continue;
            size_t node = 0;
            for (size_t d = 0; d + 1 < static_cast<size_t>(k); ++d) {
                uint16_t& child = children_[d][node * kLimit + v.keys[d]];
                if (child == 0) {
                    if (nodes[d + 1] + 1 > kMaxNodes) return fail();
                    child = static_cast<uint16_t>(++nodes[d + 1]);
                    if (d + 2 < static_cast<size_t>(k))
                        children_[d + 1].resize((nodes[d + 1] + 1) * kLimit, 0);
                    else
                        lasts_.resize(nodes[d + 1] + 1);
                }
                node = child;
            }
            lasts_[node].set(v.keys[static_cast<size_t>(k - 1)]);
        }
        ready_ = true;
        return true;
    }
    bool ready() const { return ready_; }
    // The last values that complete a selected tuple starting with the k - 1 values v[p[0]],
    // v[p[1]], ... (each below kLimit).
    template <typename V, typename P>
    const TValueMask128& lasts(const V* v, const P& p) const {
        return lasts_[walk(v, p, k_ - 1)];
    }
    // The node reached from the root by the `length` values v[p[0]], v[p[1]], ... (each below
    // kLimit); 0 for the root itself, and at any depth once no selected tuple starts so.
    template <typename V, typename P>
    size_t walk(const V* v, const P& p, int length) const {
        size_t node = 0;
        for (size_t d = 0; d < static_cast<size_t>(length); ++d) node = step(d, node, v[p[d]]);
        return node;
    }
    // The child of a node of depth d (below k - 1) by the value v (below kLimit).
    size_t step(size_t d, size_t node, unsigned v) const { return children_[d][node * kLimit + v]; }
    // The last values completing a selected tuple from a node of depth k - 1.
    const TValueMask128& lastsOf(size_t node) const { return lasts_[node]; }

private:
    bool fail() {
        for (auto& level : children_) level.clear();
        lasts_.clear();
        return false;
    }
    bool ready_ = false;
    int k_ = 0;
    std::array<std::vector<uint16_t>, 3> children_;  // depth d: kLimit children per node of depth d
    std::vector<TValueMask128> lasts_;               // per node of depth k - 1
};

// The position tuples of a tuple rule: `count` tuples of k ascending positions among the m values
// of a combination (five mapped numbers, or four gaps).
struct TTupleRule {
    std::array<std::array<uint8_t, 4>, 10> pos{};
    int count = 0;
    int k = 0;
    int m = 5;
};

// The adjacent runs of k of the m positions.
constexpr TTupleRule adjacentTupleRule(int k, int m) {
    TTupleRule r;
    r.k = k;
    r.m = m;
    for (int s = 0; k >= 1 && k <= 4 && s + k <= m; ++s, ++r.count)
        for (int j = 0; j < k; ++j) r.pos[static_cast<size_t>(r.count)][static_cast<size_t>(j)] = static_cast<uint8_t>(s + j);
    return r;
}

namespace tuple_detail {

// The values of a combination split for the kernel: the outer values 0..m-3 depend on its first
// three numbers only, the middle value m - 2 on its first four, and the last value m - 1 on all.
// What the outer values decide for every combination sharing them: whether a tuple within them is
// selected (hit); the middle values that complete a selected tuple ending at the middle
// (middles); the last values that complete a selected tuple ending at the last value without the
// middle one (lasts); and, for the tuples with both, the trie node reached by their outer values
// (nodes, of depth k - 2), one step from the node that knows their last values. wide: an outer
// value is kLimit or more.
struct TOuterState {
    bool wide = false;
    unsigned hit = 0;
    TValueMask128 middles, lasts;
    std::array<size_t, 10> nodes{};
    size_t nodeCount = 0;
};

// Fills v[0..m-3] with the outer values and returns their state under the rule.
template <typename Source>
TOuterState outerState(const TTupleTrie& trie, const TTupleRule& rule, const Source& source, const uint8_t* n) {
    TOuterState st;
    std::array<unsigned, 5> v{};
    source.outer(n, v.data());
    const size_t middle = static_cast<size_t>(rule.m - 2), last = static_cast<size_t>(rule.m - 1);
    const size_t k = static_cast<size_t>(rule.k);
    unsigned largest = 0;
    for (size_t j = 0; j < middle; ++j) largest |= v[j];
    if (largest >= TTupleTrie::kLimit) {
        st.wide = true;
        return st;
    }
    for (int t = 0; t < rule.count; ++t) {
        const auto& pos = rule.pos[static_cast<size_t>(t)];
        const size_t end = pos[k - 1];
        if (end < middle) {
            st.hit |= trie.lasts(v.data(), pos).has(v[end]) ? 1u : 0u;
        } else if (end == middle) {
            st.middles |= trie.lasts(v.data(), pos);
        } else if (end == last && pos[k - 2] < middle) {
            st.lasts |= trie.lasts(v.data(), pos);
        } else if (end == last) {
            st.nodes[st.nodeCount++] = trie.walk(v.data(), pos, rule.k - 2);
        }
    }
    return st;
}

// The state of a run of combinations sharing their first four numbers, from the outer state and
// the middle value: whether a tuple without the last value is selected, and the set of last
// values completing a selected tuple. Last values of `limit` or more take the plain test; limit is
// 0 when an outer or the middle value is kLimit or more.
struct TRunState {
    uint64_t lo = 0, hi = 0;
    unsigned hit = 0;
    unsigned limit = 0;
};

inline TRunState runState(const TTupleTrie& trie, const TOuterState& outer, unsigned middle, int k) {
    if (outer.wide || middle >= TTupleTrie::kLimit) return TRunState{};
    TValueMask128 lasts = outer.lasts;
    const size_t depth = static_cast<size_t>(k - 2);
    for (size_t i = 0; i < outer.nodeCount; ++i) lasts |= trie.lastsOf(trie.step(depth, outer.nodes[i], middle));
    return TRunState{lasts.lo, lasts.hi, outer.hit | (outer.middles.has(middle) ? 1u : 0u), TTupleTrie::kLimit};
}

}  // namespace tuple_detail

// matched[i] = 1 when some tuple of combination i by `rule` is selected in `trie` (built for
// rule.k, 2 to 4), else 0. The values of a combination come from `source`: outer(n, v) writes
// values 0..m-3, which depend on the first three numbers only, middle(n) gives value m - 2, which
// depends on the first four, and last(n) value m - 1. Neighbouring combinations of a list mostly
// share their first three and four numbers: what the first m - 1 values decide is worked out
// once per such run, in two steps, and each combination costs one bit test. Combinations with a
// value of kLimit or more take `plain`.
template <typename Source, typename Plain>
void matchTupleChunk(const TTupleTrie& trie, const TTupleRule& rule, const Source& source, const Plain& plain,
                     const TComb* combs, size_t count, uint8_t* matched) {
    using namespace tuple_detail;
    if (count == 0) return;
    // The first three numbers among the four loaded at once.
    constexpr uint32_t kOuterBytes = std::endian::native == std::endian::little ? 0x00FFFFFFu : 0xFFFFFF00u;
    uint32_t prefix;
    std::memcpy(&prefix, combs[0].n.data(), sizeof prefix);
    TOuterState outer = outerState(trie, rule, source, combs[0].n.data());
    TRunState run = runState(trie, outer, source.middle(combs[0].n.data()), rule.k);
    uint64_t lo = run.lo, hi = run.hi;  // held in registers across the loop
    unsigned runHit = run.hit, limit = run.limit;
    // 2 marks the combinations left to the plain test, done after the loop.
    unsigned plainLeft = 0;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* n = combs[i].n.data();
        uint32_t p;
        std::memcpy(&p, n, sizeof p);
        if (p != prefix) [[unlikely]] {
            if ((p ^ prefix) & kOuterBytes) outer = outerState(trie, rule, source, n);
            prefix = p;
            run = runState(trie, outer, source.middle(n), rule.k);
            lo = run.lo;
            hi = run.hi;
            runHit = run.hit;
            limit = run.limit;
        }
        const unsigned last = source.last(n);
        const uint64_t word = last < 64 ? lo : hi;
        const unsigned hit = runHit | static_cast<unsigned>((word >> (last & 63)) & 1u);
        const unsigned left = last >= limit ? 1u : 0u;
        plainLeft |= left;
        matched[i] = static_cast<uint8_t>(left ? 2u : hit);
    }
    if (plainLeft) [[unlikely]]
        for (size_t i = 0; i < count; ++i)
            if (matched[i] == 2) matched[i] = plain(combs[i]) ? 1 : 0;
}

// The packed key set of a filter run's selection, as a method's match tables.
struct TPackedKeyTables final : TMatchTables {
    explicit TPackedKeyTables(const TStatDrawArray& sel) { keys.build(sel); }
    TPackedKeySet keys;
};

// The tables of tuples of k values: every selected tuple, the pairs its tuples start with (only
// the pairs themselves for k = 2, see TKeyPairBytes) and the trie of the tuples.
struct TTupleTables final : TMatchTables {
    TTupleTables(const TStatDrawArray& sel, int k) {
        keys.build(sel);
        pairs.build(sel, k == 2);
        trie.build(sel, k);
    }
    TPackedKeySet keys;
    TKeyPairBytes pairs;
    TTupleTrie trie;
};

// The ten pairs of positions i < j of five, in lexicographic order: pair p is (kPairFirst[p],
// kPairSecond[p]). A tuple rule is summed up for the chunk tests by the mask of the pairs its
// tuples start with.
inline constexpr std::array<uint8_t, 10> kPairFirst{0, 0, 0, 0, 1, 1, 1, 2, 2, 3};
inline constexpr std::array<uint8_t, 10> kPairSecond{1, 2, 3, 4, 2, 3, 4, 3, 4, 4};
inline constexpr unsigned pairBit(int first, int second) {
    unsigned p = 0;
    for (unsigned i = 0; i < 10; ++i)
        if (kPairFirst[i] == first && kPairSecond[i] == second) p = i;
    return 1u << p;
}

namespace tuple_detail {

template <unsigned Mask, typename Map, size_t... P>
inline uint8_t marksOf(const TKeyPairBytes& pairs, const uint8_t* n, const Map& map, std::index_sequence<P...>) {
    uint8_t m = 0;
    ((m = static_cast<uint8_t>(m | (((Mask >> P) & 1u) ? pairs.has(map(n[kPairFirst[P]]), map(n[kPairSecond[P]])) : 0))),
     ...);
    return m;
}

template <unsigned Mask, typename Map>
void markChunk(const TKeyPairBytes& pairs, const TComb* combs, size_t count, const Map& map, uint8_t* marks) {
    for (size_t k = 0; k < count; ++k)
        marks[k] = marksOf<Mask>(pairs, combs[k].n.data(), map, std::make_index_sequence<10>{});
}

}  // namespace tuple_detail

// marks[k] = 1 when some tuple of combination k, by a rule whose tuples start with the pairs of
// positions in `mask`, starts with a marked pair of mapped numbers (map(number) below 128), else 0.
// The masks of the usual rules (any positions, adjacent positions, one start position; tuples of
// 2, 3 or 4) are unrolled at compile time; others take a plain loop.
template <typename Map>
void markTuplePrefixes(unsigned mask, const TKeyPairBytes& pairs, const TComb* combs, size_t count, const Map& map,
                       uint8_t* marks) {
    using tuple_detail::markChunk;
    switch (mask) {
        case 0x3FF: return markChunk<0x3FF>(pairs, combs, count, map, marks);  // any 2 positions
        case 0x0B7: return markChunk<0x0B7>(pairs, combs, count, map, marks);  // any 3
        case 0x013: return markChunk<0x013>(pairs, combs, count, map, marks);  // any 4
        case 0x291: return markChunk<0x291>(pairs, combs, count, map, marks);  // 2 adjacent
        case 0x091: return markChunk<0x091>(pairs, combs, count, map, marks);  // 3 adjacent
        case 0x011: return markChunk<0x011>(pairs, combs, count, map, marks);  // 4 adjacent
        case 0x001: return markChunk<0x001>(pairs, combs, count, map, marks);  // from position 1
        case 0x010: return markChunk<0x010>(pairs, combs, count, map, marks);  // from position 2
        case 0x080: return markChunk<0x080>(pairs, combs, count, map, marks);  // from position 3
        case 0x200: return markChunk<0x200>(pairs, combs, count, map, marks);  // from position 4
        default: break;
    }
    for (size_t k = 0; k < count; ++k) {
        uint8_t m = 0;
        for (size_t p = 0; p < 10; ++p)
            if ((mask >> p) & 1u) m |= pairs.has(map(combs[k].n[kPairFirst[p]]), map(combs[k].n[kPairSecond[p]]));
        marks[k] = m;
    }
}

}  // namespace tavlora
