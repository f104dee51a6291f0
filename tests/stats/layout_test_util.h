#pragma once
// Helpers of the channel, matrix and segment statistics tests: a deterministic archive spread over
// the whole number range, and the check that a match test agrees with the method's own values.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "stats_test_util.h"

namespace tavlora::test {

// `count` draws of five distinct numbers 1..69 in no particular order, from a fixed generator.
inline TDrawsArray spreadArchive(int count) {
    TDrawsArray out;
    uint32_t seed = 12345;
    auto next = [&seed]() {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 16) % 69) + 1;
    };
    for (int i = 0; i < count; ++i) {
        std::array<int, 5> nums{};
        for (size_t p = 0; p < 5; ++p) {
            int n;
            bool dup;
            do {
                n = next();
                dup = false;
                for (size_t q = 0; q < p; ++q) dup = dup || nums[q] == n;
            } while (dup);
            nums[p] = n;
        }
        out.push_back(makeDraw(i + 1, nums));
    }
    return out;
}

inline bool anySelected(const TStatDrawArray& values, const TStatDrawArray& sel) {
    for (const auto& v : values)
        for (const auto& s : sel)
            if (v.sameKeys(s)) return true;
    return false;
}

// For every draw of the registry's archive: the match test on its five numbers (as drawn) is true
// exactly when one of the draw's own values is selected, one combination at a time and in chunks.
// Returns the number of hits.
inline int expectMatchAgreesWithValues(const Registry& r, const std::string& code, const TStatDrawArray& sel) {
    auto m = r.create(code);
    EXPECT_NE(m, nullptr) << code;
    if (!m) return 0;
    const auto matcher = m->prepareFilter(sel, 0, false);
    auto state = std::make_unique<TStatState>();
    TLastValueArray lastValues;
    TStatDrawArray values;
    int hits = 0;
    const int size = static_cast<int>(r.list.draws().size());
    for (int i = 0; i < size; ++i) {
        values.clear();
        m->valuesOfDraw(i, i, false, values, *state, lastValues);
        const TDraw& d = r.list.draws()[static_cast<size_t>(i)];
        const TComb c = makeComb({d.nums[0], d.nums[1], d.nums[2], d.nums[3], d.nums[4]});
        const bool expected = anySelected(values, sel);
        EXPECT_EQ(matcher->matches(c), expected) << code << " draw " << i;
        uint8_t chunk = 7;
        matcher->matchChunk(&c, 1, &chunk);
        EXPECT_EQ(chunk, expected ? 1 : 0) << code << " draw " << i;
        hits += expected ? 1 : 0;
    }
    return hits;
}

// The values of the first `draws` draws of the archive (a window ending at draws - 1), as a selection.
inline TStatDrawArray valuesOfFirstDraws(const Registry& r, const std::string& code, int draws) {
    auto m = r.create(code);
    TStatDrawArray list = statisticsRun(*m, draws - 1, draws, false);
    TStatDrawArray sel;
    for (const auto& v : list)
        if (v.count > 0) sel.push_back(v);
    return sel;
}

inline TCustomGraphStat& asGraph(const std::unique_ptr<TCustomStat>& m) {
    auto* g = dynamic_cast<TCustomGraphStat*>(m.get());
    if (!g) throw std::runtime_error("not a graph method");
    return *g;
}

// Codes of the registry's methods, in order.
inline std::vector<std::string> registryCodes(const TStatList& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.count(); ++i) out.push_back(list.item(i).code());
    return out;
}

inline bool hasCode(const TStatList& list, const std::string& code) { return list.methodWithCode(code) >= 0; }

}  // namespace tavlora::test
