#pragma once
// Table kernels of the methods whose value of a combination is one small key 1 (0..N-1): the
// selection becomes one byte per value once per filter run, and a chunk of combinations is
// matched or counted through the value alone.
#include <array>
#include <cstddef>
#include <cstdint>

#include "core/records.h"
#include "stats/stat_matcher.h"
#include "stats/stat_types.h"

namespace tavlora {

// Whether each key 1 of 0..N-1 is selected.
template <std::size_t N>
struct TKey1Hits final : TMatchTables {
    explicit TKey1Hits(const TStatMatcher& m) {
        for (std::size_t v = 0; v < N; ++v) hit[v] = m.selectedKey1(static_cast<int>(v)) ? 1 : 0;
    }
    std::array<uint8_t, N> hit{};
};

// Adds the counts of the values 0..N-1 of key 1 that occurred.
template <std::size_t N>
void addKey1Counts(const std::array<int32_t, N>& seen, TValueCounts& counts) {
    for (std::size_t v = 0; v < N; ++v)
        if (seen[v] != 0) counts.add(v, seen[v]);
}

// matched[k] tells whether value(numbers of combs[k]) is selected; the matcher's tables are the
// TKey1Hits<N> of the method's buildMatchTables.
template <std::size_t N, typename Value>
void matchKey1Chunk(const TComb* combs, std::size_t count, const TStatMatcher& m, uint8_t* matched, Value value) {
    const auto& hit = m.tables<TKey1Hits<N>>().hit;
    for (std::size_t k = 0; k < count; ++k) matched[k] = hit[static_cast<std::size_t>(value(combs[k].n.data()))];
}

// Counts value(numbers) of every combination of the chunk as key 1.
template <std::size_t N, typename Value>
void countKey1Values(const TComb* combs, std::size_t count, TValueCounts& counts, Value value) {
    std::array<int32_t, N> seen{};
    for (std::size_t k = 0; k < count; ++k) ++seen[static_cast<std::size_t>(value(combs[k].n.data()))];
    addKey1Counts(seen, counts);
}

}  // namespace tavlora
