#pragma once
// Small archives and helpers shared by the statistics tests.
#include <array>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/records.h"
#include "core/text_forms.h"
#include "stats/custom_stat.h"
#include "stats/stat_list.h"
#include "stats/stat_run.h"

namespace tavlora::test {

inline TDraw makeDraw(int number, std::array<int, 5> nums, int extra = 1) {
    TDraw d;
    d.number = number;
    for (size_t i = 0; i < 5; ++i) d.nums[i] = static_cast<uint8_t>(nums[i]);
    d.extra = static_cast<uint8_t>(extra);
    return d;
}

inline TComb makeComb(std::array<int, 5> nums) {
    TComb c;
    for (size_t i = 0; i < 5; ++i) c.n[i] = static_cast<uint8_t>(nums[i]);
    return c;
}

// Draws numbered firstNumber, firstNumber+1, ... with the given numbers.
inline TDrawsArray makeArchive(std::initializer_list<std::array<int, 5>> rows, int firstNumber = 1) {
    TDrawsArray a;
    int n = firstNumber;
    for (const auto& r : rows) {
        a.push_back(makeDraw(n, r, n % 26 + 1));
        ++n;
    }
    return a;
}

// A registry over an archive and its own settings, rebuilt. A test that changes the settings
// rebuilds it (instance ranges) or creates its methods afterwards.
struct Registry {
    explicit Registry(const TDrawsArray& draws) : list(settings, draws) { list.rebuild(); }
    std::unique_ptr<TCustomStat> create(const std::string& code) const {
        const int i = list.methodWithCode(code);
        if (i < 0) return nullptr;
        return list.createInstance(i);
    }
    TSettings settings;
    TStatList list;
};

inline const TStatDraw* findKey(const TStatDrawArray& list, int k1, int k2 = 0, int k3 = 0, int k4 = 0) {
    for (const auto& v : list)
        if (v.keys[0] == k1 && v.keys[1] == k2 && v.keys[2] == k3 && v.keys[3] == k4) return &v;
    return nullptr;
}

// The match test of a method on one combination, through the matcher of a filter run.
inline bool matchOf(const TCustomStat& method, const TComb& comb, const TStatDrawArray& sel, int reference,
                    bool sorted = false, TFilterMode mode = TFilterMode::Include) {
    return method.prepareFilter(sel, reference, sorted, mode)->matches(comb);
}

// A value by its keys (missing keys 0) and its count in a value list.
struct CountCase {
    std::array<int, 4> keys;
    int32_t count;
};

// Every listed value is in the list with the given count.
inline void expectCounts(const TStatDrawArray& list, std::initializer_list<CountCase> cases) {
    for (const CountCase& c : cases) {
        const auto& k = c.keys;
        const TStatDraw* v = findKey(list, k[0], k[1], k[2], k[3]);
        const std::string what = std::to_string(k[0]) + ":" + std::to_string(k[1]) + ":" + std::to_string(k[2]) + ":" +
                                 std::to_string(k[3]);
        if (!v) {
            ADD_FAILURE() << "no value " << what;
            continue;
        }
        EXPECT_EQ(v->count, c.count) << what;
    }
}

// A combination (in stored order) and whether it carries one of the selected values.
struct MatchCase {
    std::array<int, 5> comb;
    bool matches;
};

// One matcher of the method for the selection, as a filter run prepares it, asked about every
// case one combination at a time and in a chunk of them all.
inline void expectMatches(const TCustomStat& method, const TStatDrawArray& sel, int reference, bool sorted,
                          TFilterMode mode, std::initializer_list<MatchCase> cases) {
    const auto matcher = method.prepareFilter(sel, reference, sorted, mode);
    TCombsArray combs;
    for (const MatchCase& c : cases) combs.push_back(makeComb(c.comb));
    std::vector<uint8_t> chunk(combs.size(), 7);
    matcher->matchChunk(combs.data(), combs.size(), chunk.data());
    size_t i = 0;
    for (const MatchCase& c : cases) {
        const std::string what = method.statClass().formattedCode(method.parameter()) + " " + semicolonForm(combs[i]);
        EXPECT_EQ(matcher->matches(combs[i]), c.matches) << what;
        EXPECT_EQ(chunk[i], c.matches ? 1 : 0) << what << " (chunk)";
        ++i;
    }
}
inline void expectMatches(const TCustomStat& method, const TStatDrawArray& sel, int reference, bool sorted,
                          std::initializer_list<MatchCase> cases) {
    expectMatches(method, sel, reference, sorted, TFilterMode::Include, cases);
}
inline void expectMatches(const TCustomStat& method, const TStatDrawArray& sel, int reference,
                          std::initializer_list<MatchCase> cases) {
    expectMatches(method, sel, reference, false, TFilterMode::Include, cases);
}

inline TStatDraw valueWithKeys(int k1, int k2 = 0, int k3 = 0, int k4 = 0) {
    TStatDraw v;
    v.setKeys(static_cast<uint16_t>(k1), static_cast<uint16_t>(k2), static_cast<uint16_t>(k3),
              static_cast<uint16_t>(k4));
    return v;
}

inline TStatDraw valueWithInt12(int32_t x) {
    TStatDraw v;
    v.setKeys12(x);
    return v;
}

// The draws of the bundled sample (draw number; "date"; five numbers; extra).
inline TDrawsArray loadSampleDraws() {
    TDrawsArray out;
    std::ifstream in(std::string(TAVLORA_SAMPLE_DIR) + "/draws.csv");
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> f;
        std::stringstream ss(line);
        std::string cell;
        while (std::getline(ss, cell, ';')) f.push_back(cell);
        if (f.size() < 8) continue;
        TDraw d;
        d.number = std::stoi(f[0]);
        for (size_t i = 0; i < 5; ++i) d.nums[i] = static_cast<uint8_t>(std::stoi(f[2 + i]));
        d.extra = static_cast<uint8_t>(std::stoi(f[7]));
        out.push_back(d);
    }
    return out;
}

// Every combination of five numbers out of 1..top in lexicographic order.
inline TCombsArray allCombs(int top) {
    TCombsArray out;
    for (int a = 1; a <= top; ++a)
        for (int b = a + 1; b <= top; ++b)
            for (int c = b + 1; c <= top; ++c)
                for (int d = c + 1; d <= top; ++d)
                    for (int e = d + 1; e <= top; ++e) out.push_back(makeComb({a, b, c, d, e}));
    return out;
}

}  // namespace tavlora::test
