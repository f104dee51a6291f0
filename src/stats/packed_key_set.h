#pragma once
// A set of the four keys of the records of a selection, built once per filter run (by the
// filter's matcher, which keeps it with the selection it was built from) so that match
// tests that compare all four keys of tuple values (pairs of numbers, runs of gaps, ...) answer
// without scanning the selection. A 65536-bit filter of key hashes rejects most misses with one
// bit test; hits are confirmed by a binary search of the sorted keys.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
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

// The packed key set of a filter run's selection, as a method's match tables.
struct TPackedKeyTables final : TMatchTables {
    explicit TPackedKeyTables(const TStatDrawArray& sel) { keys.build(sel); }
    TPackedKeySet keys;
};

// The tables of tuple values: every selected tuple, and the pairs its tuples start with (see
// TKeyPairBytes for pairsOnly).
struct TTupleTables final : TMatchTables {
    TTupleTables(const TStatDrawArray& sel, bool pairsOnly) {
        keys.build(sel);
        pairs.build(sel, pairsOnly);
    }
    TPackedKeySet keys;
    TKeyPairBytes pairs;
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
