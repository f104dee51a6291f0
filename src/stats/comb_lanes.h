#pragma once
// Per-position byte lanes of a block of combinations. A kernel works out its value for a whole
// block with loops over plain byte arrays of fixed length, which the compiler turns into vector
// instructions, instead of one five-byte record at a time; then it looks the values up one by one.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "core/records.h"

namespace tavlora {

struct TCombLanes {
    static constexpr std::size_t kWidth = 32;
    // n[p][k]: the number at position p of the block's combination k (0 past the block's end).
    alignas(32) std::array<std::array<uint8_t, kWidth>, 5> n{};
    std::size_t count = 0;

    void load(const TComb* combs, std::size_t size) {
        count = size;
        for (std::size_t k = 0; k < size; ++k)
            for (std::size_t p = 0; p < 5; ++p) n[p][k] = combs[k].n[p];
        for (std::size_t k = size; k < kWidth; ++k)
            for (std::size_t p = 0; p < 5; ++p) n[p][k] = 0;
    }
};

// The larger and the smaller of two bytes, by value (std::max returns a reference, which keeps
// some loops from being vectorized).
inline uint8_t byteMax(uint8_t a, uint8_t b) { return a > b ? a : b; }
inline uint8_t byteMin(uint8_t a, uint8_t b) { return a < b ? a : b; }

// |a - b| of two bytes, exact for every byte value and without widening.
inline uint8_t byteDistance(uint8_t a, uint8_t b) { return static_cast<uint8_t>(byteMax(a, b) - byteMin(a, b)); }

// Calls block(lanes, begin) for the combinations combs[begin .. begin + lanes.count - 1], in
// blocks of TCombLanes::kWidth.
template <typename Block>
void forEachLaneBlock(const TComb* combs, std::size_t count, Block&& block) {
    TCombLanes lanes;
    for (std::size_t begin = 0; begin < count; begin += TCombLanes::kWidth) {
        lanes.load(combs + begin, std::min(TCombLanes::kWidth, count - begin));
        block(static_cast<const TCombLanes&>(lanes), begin);
    }
}

// matched[k] = hit[value of combs[k]] for `count` combinations, the values of each block worked
// out by values(lanes, out); every value must lie within the table.
template <typename Value, typename Table, typename Values>
void matchLaneValues(const TComb* combs, std::size_t count, const Table& hit, uint8_t* matched, Values&& values) {
    std::array<Value, TCombLanes::kWidth> v;
    forEachLaneBlock(combs, count, [&](const TCombLanes& lanes, std::size_t begin) {
        values(lanes, v);
        for (std::size_t k = 0; k < lanes.count; ++k) matched[begin + k] = hit[v[k]];
    });
}

// ++seen[value of combs[k]] for `count` combinations, the values worked out as above.
template <typename Value, typename Seen, typename Values>
void countLaneValues(const TComb* combs, std::size_t count, Seen& seen, Values&& values) {
    std::array<Value, TCombLanes::kWidth> v;
    forEachLaneBlock(combs, count, [&](const TCombLanes& lanes, std::size_t) {
        values(lanes, v);
        for (std::size_t k = 0; k < lanes.count; ++k) ++seen[v[k]];
    });
}

// The four distances between neighbouring positions, |n1-n2| .. |n4-n5|, of every lane.
struct TGapLanes {
    alignas(32) std::array<std::array<uint8_t, TCombLanes::kWidth>, 4> g;
    explicit TGapLanes(const TCombLanes& lanes) {
        for (std::size_t i = 0; i < 4; ++i)
            for (std::size_t k = 0; k < TCombLanes::kWidth; ++k)
                g[i][k] = byteDistance(lanes.n[i][k], lanes.n[i + 1][k]);
    }
};

}  // namespace tavlora
