#pragma once
// A set of the four keys of the records of a selection, built once per filter run so that match
// tests that compare all four keys of tuple values (pairs of numbers, runs of gaps, ...) answer
// without scanning the selection. A 65536-bit filter of key hashes rejects most misses with one
// bit test; hits are confirmed by a binary search of the sorted keys.
#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

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
        source_ = &sel;
        size_ = sel.size();
    }
    // True when built from exactly this selection object with its current size.
    bool builtFor(const TStatDrawArray& sel) const { return source_ == &sel && size_ == sel.size(); }
    // True when some record of the selection carries the packed keys `key` (key 1 lowest).
    bool contains(const TStatDrawArray& sel, uint64_t key) const {
        if (builtFor(sel)) {
            const uint32_t h = hash(key);
            if (!((filter_[h >> 6] >> (h & 63)) & 1u)) return false;
            return std::binary_search(keys_.begin(), keys_.end(), key);
        }
        for (const TStatDraw& v : sel)
            if (v.packedKeys() == key) return true;
        return false;
    }
    // The packed form of four keys, key 1 lowest (as TStatDraw::packedKeys).
    static constexpr uint64_t pack(uint64_t k1, uint64_t k2 = 0, uint64_t k3 = 0, uint64_t k4 = 0) {
        return (k1 & 0xFFFF) | ((k2 & 0xFFFF) << 16) | ((k3 & 0xFFFF) << 32) | ((k4 & 0xFFFF) << 48);
    }

private:
    static uint32_t hash(uint64_t k) { return static_cast<uint32_t>((k * 0x9E3779B97F4A7C15ull) >> 48); }

    std::vector<uint64_t> keys_;
    std::array<uint64_t, 1024> filter_{};
    const TStatDrawArray* source_ = nullptr;
    size_t size_ = 0;
};

}  // namespace tavlora
