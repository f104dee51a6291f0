// Sequence statistics (group 6): runs of consecutive numbers within one draw, with the length of
// every run, the number of runs of two or more numbers and the length of the longest run.
//
// The table values (statistics, match tests, values of a combination) join two neighbouring
// positions when the later number is exactly one more than the earlier one; the graph numbers
// join them when the numbers differ by one in either direction. For ascending numbers the two
// rules agree.
#include <array>
#include <cstdlib>
#include <memory>

#include "stats/custom_stat.h"
#include "stats/stat_classes.h"
#include "stats/value_slots.h"

namespace tavlora {

namespace {

constexpr int kSequenceGroup = 6;

// Whether the number at position i continues the run of position i - 1.
bool joinsAscending(const uint8_t* x, int i) { return x[i] == x[i - 1] + 1; }
bool joinsEitherWay(const uint8_t* x, int i) { return std::abs(x[i] - x[i - 1]) == 1; }

// The run lengths of the five numbers in position order; returns how many runs there are.
int runLengths(const uint8_t* x, int out[5]) {
    int n = 0, len = 1;
    for (int i = 1; i < 5; ++i) {
        if (joinsAscending(x, i)) {
            ++len;
        } else {
            out[n++] = len;
            len = 1;
        }
    }
    out[n++] = len;
    return n;
}

// Runs of two or more numbers (0..2) and the longest run (1..5) under a joining rule.
int runCount(const uint8_t* x, bool (*joins)(const uint8_t*, int)) {
    int count = 0, pairs = 0;
    for (int i = 1; i < 5; ++i) {
        if (joins(x, i)) {
            ++pairs;
            if (i == 4) ++count;
        } else {
            if (pairs > 0) ++count;
            pairs = 0;
        }
    }
    return count;
}

int longestRun(const uint8_t* x, bool (*joins)(const uint8_t*, int)) {
    int best = 1, len = 1;
    for (int i = 1; i < 5; ++i) {
        len = joins(x, i) ? len + 1 : 1;
        if (len > best) best = len;
    }
    return best;
}

// Under the ascending rule every value depends only on which of the four neighbouring pairs
// join: the join pattern, bit i - 1 set when position i continues the run of position i - 1.
constexpr int kPatterns = 16;
int joinPattern(const uint8_t* x) {
    return (x[1] == x[0] + 1) | (x[2] == x[1] + 1) << 1 | (x[3] == x[2] + 1) << 2 | (x[4] == x[3] + 1) << 3;
}
// Five numbers with the given join pattern, for working out a pattern's values once.
std::array<uint8_t, 5> numbersWithPattern(int pattern) {
    std::array<uint8_t, 5> x{10, 0, 0, 0, 0};
    for (size_t i = 1; i < 5; ++i) x[i] = static_cast<uint8_t>(x[i - 1] + (((pattern >> (i - 1)) & 1) ? 1 : 3));
    return x;
}

// Whether each join pattern is selected, worked out once per filter run from the values of the
// pattern's numbers: selected(numbers) tells whether they carry a selected value.
struct TPatternHits final : TMatchTables {
    template <typename Selected>
    explicit TPatternHits(Selected selected) {
        for (int p = 0; p < kPatterns; ++p) hit[static_cast<size_t>(p)] = selected(numbersWithPattern(p).data()) ? 1 : 0;
    }
    std::array<uint8_t, kPatterns> hit{};
};

void matchByPattern(const TComb* combs, size_t count, const TStatMatcher& m, uint8_t* matched) {
    const auto& hit = m.tables<TPatternHits>().hit;
    for (size_t k = 0; k < count; ++k) matched[k] = hit[static_cast<size_t>(joinPattern(combs[k].n.data()))];
}

// The combinations of a chunk counted per join pattern.
std::array<int32_t, kPatterns> countPatterns(const TComb* combs, size_t count) {
    std::array<int32_t, kPatterns> seen{};
    for (size_t k = 0; k < count; ++k) ++seen[static_cast<size_t>(joinPattern(combs[k].n.data()))];
    return seen;
}

}  // namespace

// The length of every run; the values of one draw add up to 5.
class TstSequenceLen : public TCustomNumbersStat {
public:
    using TCustomNumbersStat::TCustomNumbersStat;

    void listAllValues(int lastIndex, TStatDrawArray& list) override {
        TCustomNumbersStat::listAllValues(lastIndex, list);
        for (uint16_t v = 1; v <= 5; ++v) {
            working_.setKeys(v);
            addWorking(list, false);
        }
    }
    void valuesOfComb(const TComb& comb, TStatDrawArray& list) override {
        TCustomNumbersStat::valuesOfComb(comb, list);
        int len[5];
        const int n = runLengths(comb.n.data(), len);
        for (int i = 0; i < n; ++i) {
            working_.setKeys(static_cast<uint16_t>(len[i]));
            slots_.add(list, working_, static_cast<size_t>(len[i]));
        }
    }
    void valuesOfDraw(int index, int lastIndex, bool sorted, TStatDrawArray& list, TStatState& state,
                      TLastValueArray& lastValues) override {
        TCustomNumbersStat::valuesOfDraw(index, lastIndex, sorted, list, state, lastValues);
        addLengths(current_.nums.data(), list, true);
    }
    bool matchTest(const TComb& comb, const TStatMatcher& m) const override {
        int len[5];
        const int n = runLengths(comb.n.data(), len);
        for (int i = 0; i < n; ++i)
            if (m.selectedKey1(len[i])) return true;
        return false;
    }
    std::unique_ptr<const TMatchTables> buildMatchTables(const TStatMatcher& m) const override {
        return std::make_unique<TPatternHits>([&m](const uint8_t* x) {
            int len[5];
            const int n = runLengths(x, len);
            for (int i = 0; i < n; ++i)
                if (m.selectedKey1(len[i])) return true;
            return false;
        });
    }
    void matchChunk(const TComb* combs, size_t count, const TStatMatcher& m, uint8_t* matched) const override {
        matchByPattern(combs, count, m, matched);
    }
    // Norm runs: the combinations counted per join pattern, then each run length of a pattern.
    bool countCombValues(const TComb* combs, size_t count, TValueCounts& counts) const override {
        const auto seen = countPatterns(combs, count);
        for (int p = 0; p < kPatterns; ++p) {
            if (seen[static_cast<size_t>(p)] == 0) continue;
            int len[5];
            const int n = runLengths(numbersWithPattern(p).data(), len);
            for (int i = 0; i < n; ++i) counts.add(static_cast<uint64_t>(len[i]), seen[static_cast<size_t>(p)]);
        }
        return true;
    }

private:
    void addLengths(const uint8_t* x, TStatDrawArray& list, bool fromDraw) {
        int len[5];
        const int n = runLengths(x, len);
        for (int i = 0; i < n; ++i) {
            working_.setKeys(static_cast<uint16_t>(len[i]));
            addWorking(list, fromDraw);
        }
    }
    TValueSlots<6> slots_;
};

// A graph member with one value per draw: the table rule gives the values, the either-way rule
// the graph numbers.
class TSequenceGraphStat : public TCustomGraphStat {
public:
    using TCustomGraphStat::TCustomGraphStat;
    virtual int valueOf(const uint8_t* x, bool (*joins)(const uint8_t*, int)) const = 0;
    virtual int firstListed() const = 0;
    virtual int lastListed() const = 0;

    void listAllValues(int lastIndex, TStatDrawArray& list) override {
        TCustomGraphStat::listAllValues(lastIndex, list);
        for (int v = firstListed(); v <= lastListed(); ++v) {
            working_.setKeys(static_cast<uint16_t>(v));
            addWorking(list, false);
        }
    }
    void valuesOfComb(const TComb& comb, TStatDrawArray& list) override {
        TCustomGraphStat::valuesOfComb(comb, list);
        const int v = valueOf(comb.n.data(), &joinsAscending);
        working_.setKeys(static_cast<uint16_t>(v));
        slots_.add(list, working_, static_cast<size_t>(v));
    }
    void valuesOfDraw(int index, int lastIndex, bool sorted, TStatDrawArray& list, TStatState& state,
                      TLastValueArray& lastValues) override {
        TCustomGraphStat::valuesOfDraw(index, lastIndex, sorted, list, state, lastValues);
        working_.setKeys(static_cast<uint16_t>(valueOf(current_.nums.data(), &joinsAscending)));
        addWorking(list, true);
    }
    bool matchTest(const TComb& comb, const TStatMatcher& m) const override {
        return m.selectedKey1(valueOf(comb.n.data(), &joinsAscending));
    }
    std::unique_ptr<const TMatchTables> buildMatchTables(const TStatMatcher& m) const override {
        return std::make_unique<TPatternHits>(
            [this, &m](const uint8_t* x) { return m.selectedKey1(valueOf(x, &joinsAscending)); });
    }
    void matchChunk(const TComb* combs, size_t count, const TStatMatcher& m, uint8_t* matched) const override {
        matchByPattern(combs, count, m, matched);
    }
    // Norm runs: the combinations counted per join pattern, then the value of each pattern.
    bool countCombValues(const TComb* combs, size_t count, TValueCounts& counts) const override {
        const auto seen = countPatterns(combs, count);
        for (int p = 0; p < kPatterns; ++p)
            if (seen[static_cast<size_t>(p)] != 0)
                counts.add(static_cast<uint64_t>(valueOf(numbersWithPattern(p).data(), &joinsAscending)),
                           seen[static_cast<size_t>(p)]);
        return true;
    }
    int32_t numberOfComb(const TComb& nums, int, int, bool) const override {
        return valueOf(nums.n.data(), &joinsEitherWay);
    }

private:
    TValueSlots<6> slots_;
};

// The number of runs of two or more numbers, 0..2.
class TstSequenceCnt : public TSequenceGraphStat {
public:
    using TSequenceGraphStat::TSequenceGraphStat;
    int valueOf(const uint8_t* x, bool (*joins)(const uint8_t*, int)) const override { return runCount(x, joins); }
    int firstListed() const override { return 0; }
    int lastListed() const override { return 2; }
};

// The length of the longest run, 1..5.
class TstSequenceLenMax : public TSequenceGraphStat {
public:
    using TSequenceGraphStat::TSequenceGraphStat;
    int valueOf(const uint8_t* x, bool (*joins)(const uint8_t*, int)) const override { return longestRun(x, joins); }
    int firstListed() const override { return 1; }
    int lastListed() const override { return 5; }
};

// --- descriptors -------------------------------------------------------------------------

const TStatClassInfo kTstSequenceLen{.className = "TstSequenceLen", .code = "SEQL",
                                     .caption = "Длина последовательности в тираже", .group = kSequenceGroup,
                                     .kinds = kindS | kindN, .create = &createStat<TstSequenceLen>};
const TStatClassInfo kTstSequenceCnt{.className = "TstSequenceCnt", .code = "SEQS",
                                     .caption = "Количество последовательностей в тираже", .group = kSequenceGroup,
                                     .kinds = kindS | kindN, .create = &createStat<TstSequenceCnt>, .isGraph = true};
const TStatClassInfo kTstSequenceLenMax{.className = "TstSequenceLenMax", .code = "LENS",
                                        .caption = "Макс. длина последовательности в тираже",
                                        .group = kSequenceGroup, .kinds = kindS | kindN,
                                        .create = &createStat<TstSequenceLenMax>, .isGraph = true};

}  // namespace tavlora
