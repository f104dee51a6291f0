// Tesk-number statistics (group 11): the number that remains when the five numbers are reduced
// by repeated absolute differences of neighbours. Two graph members give it for every draw; a
// third, dynamic member turns the reference draw's number into the number and its multiples and
// serves as a filter only.
#include <array>
#include <cstdlib>
#include <memory>

#include "core/text_forms.h"
#include "stats/comb_lanes.h"
#include "stats/custom_stat.h"
#include "stats/key1_tables.h"
#include "stats/stat_classes.h"
#include "stats/value_slots.h"

namespace tavlora {

namespace {

constexpr int kTeskGroup = 11;

// The last two values of the difference triangle of five numbers in position order:
// d = |u2 - u1| and s = u1 + u2.
struct TeskPair {
    int d;
    int s;
};

TeskPair teskPair(const uint8_t* x) {
    int v[5] = {x[0], x[1], x[2], x[3], x[4]};
    for (int len = 5; len > 2; --len)
        for (int i = 0; i + 1 < len; ++i) v[i] = std::abs(v[i + 1] - v[i]);
    return {std::abs(v[1] - v[0]), v[0] + v[1]};
}

// Mode 0: d. Mode 1: d, but s when d is 0 or 1.
int teskMode0(const uint8_t* x) { return teskPair(x).d; }
int teskMode1(const uint8_t* x) {
    const TeskPair p = teskPair(x);
    return p.d <= 1 ? p.s : p.d;
}

// Mode 2: d, but s when d is 0; when d is 1 the two bytes (1, s).
struct TeskMode2 {
    int value;
    bool twoBytes;
};
TeskMode2 teskMode2(const uint8_t* x) {
    const TeskPair p = teskPair(x);
    if (p.d == 0) return {p.s, false};
    if (p.d == 1) return {p.s, true};
    return {p.d, false};
}

// teskMode0 (Mode 0) or teskMode1 (Mode 1) of every lane, worked out in bytes (distances of bytes
// are bytes) up to the last sum, which may exceed 255; written without branches so that the
// compiler runs it over many lanes at once.
template <int Mode>
void teskLanes(const TCombLanes& l, std::array<uint16_t, TCombLanes::kWidth>& out) {
    const TGapLanes gl(l);
    const auto& g = gl.g;
    for (size_t k = 0; k < TCombLanes::kWidth; ++k) {
        uint8_t a = g[0][k], b = g[1][k], c = g[2][k];
        const uint8_t d = g[3][k];
        a = byteDistance(b, a);
        b = byteDistance(c, b);
        c = byteDistance(d, c);
        a = byteDistance(b, a);
        b = byteDistance(c, b);
        const uint8_t diff = byteDistance(b, a);
        if constexpr (Mode == 0)
            out[k] = diff;
        else
            out[k] = diff <= 1 ? static_cast<uint16_t>(a + b) : uint16_t{diff};
    }
}

template <int Mode>
constexpr auto kLanes = [](const TCombLanes& l, std::array<uint16_t, TCombLanes::kWidth>& out) {
    teskLanes<Mode>(l, out);
};

// Tesk numbers of bytes are below 512 (a sum of two differences of bytes).
constexpr size_t kTeskNumbers = 512;

}  // namespace

// A graph member whose value and number is one mode of the Tesk number; nothing is pre-listed.
class TCustomTeskGraphStat : public TCustomGraphStat {
public:
    TCustomTeskGraphStat(const TStatList& list, const TStatClassInfo& cls, int parameter, int mode)
        : TCustomGraphStat(list, cls, parameter), mode_(mode) {}
    int teskNumber(const uint8_t* x) const { return mode_ == 0 ? teskMode0(x) : teskMode1(x); }

    void valuesOfComb(const TComb& comb, TStatDrawArray& list) override {
        TCustomGraphStat::valuesOfComb(comb, list);
        const int v = teskNumber(comb.n.data());
        working_.setKeys(static_cast<uint16_t>(v));
        slots_.add(list, working_, static_cast<size_t>(v));
    }
    void valuesOfDraw(int index, int lastIndex, bool sorted, TStatDrawArray& list, TStatState& state,
                      TLastValueArray& lastValues) override {
        TCustomGraphStat::valuesOfDraw(index, lastIndex, sorted, list, state, lastValues);
        working_.setKeys(static_cast<uint16_t>(teskNumber(current_.nums.data())));
        addWorking(list, true);
    }
    std::unique_ptr<const TMatchTables> buildMatchTables(const TStatMatcher& m) const override {
        return std::make_unique<TKey1Hits<kTeskNumbers>>(m);
    }
    bool matchTest(const TComb& comb, const TStatMatcher& m) const override {
        return m.selectedKey1(teskNumber(comb.n.data()));
    }
    // The numbers of the combinations looked up in the table of the selected numbers.
    void matchChunk(const TComb* combs, size_t count, const TStatMatcher& m, uint8_t* matched) const override {
        const auto& selected = m.tables<TKey1Hits<kTeskNumbers>>().hit;
        if (mode_ == 0)
            chunkOf<0>(selected, combs, count, matched);
        else
            chunkOf<1>(selected, combs, count, matched);
    }
    int32_t numberOfComb(const TComb& nums, int, int, bool) const override { return teskNumber(nums.n.data()); }
    // Norm runs: one value per combination, key 1 the number.
    bool countCombValues(const TComb* combs, size_t count, TValueCounts& counts) const override {
        std::array<int32_t, kTeskNumbers> seen{};
        if (mode_ == 0)
            countOf<0>(combs, count, seen);
        else
            countOf<1>(combs, count, seen);
        addKey1Counts(seen, counts);
        return true;
    }

private:
    template <int Mode>
    static void countOf(const TComb* combs, size_t count, std::array<int32_t, kTeskNumbers>& seen) {
        countLaneValues<uint16_t>(combs, count, seen, kLanes<Mode>);
    }
    template <int Mode>
    static void chunkOf(const std::array<uint8_t, kTeskNumbers>& selected, const TComb* combs, size_t count,
                        uint8_t* matched) {
        matchLaneValues<uint16_t>(combs, count, selected, matched, kLanes<Mode>);
    }

    int mode_;
    TValueSlots<1024> slots_;
};

class TstTesk1 final : public TCustomTeskGraphStat {
public:
    TstTesk1(const TStatList& l, const TStatClassInfo& c, int p) : TCustomTeskGraphStat(l, c, p, 0) {}
};

class TstTesk2 final : public TCustomTeskGraphStat {
public:
    TstTesk2(const TStatList& l, const TStatClassInfo& c, int p) : TCustomTeskGraphStat(l, c, p, 1) {}
};

// Dynamic member: only the reference draw gives values, its mode-2 number f and the multiples
// of f in 1..69 above f. A value's count tells whether the draw after the reference draw (when
// the archive holds one) contains it.
class TstTesk3 final : public TCustomStat {
public:
    using TCustomStat::TCustomStat;

    std::string valueToText(const TStatDraw& value) const override {
        std::string s = numberText(value.keys[0]);
        if (value.keys[3] == 2) {
            s += " (";
            s += numberText(value.keys[1]);
            s += ')';
        }
        return s;
    }
    void valuesOfDraw(int index, int lastIndex, bool sorted, TStatDrawArray& list, TStatState& state,
                      TLastValueArray& lastValues) override {
        TCustomStat::valuesOfDraw(index, lastIndex, sorted, list, state, lastValues);
        if (current_.number != reference_.number) return;
        const TeskMode2 t = teskMode2(reference_.nums.data());
        const TDraw next = drawAt(lastIndex + 1, false);
        const int f = t.value;
        addCounted(list, next, f, t.twoBytes ? 1 : 0, t.twoBytes ? 2 : 0);
        for (int g = f * f > 68 ? f * f : f * f * f; g > f; g -= f)
            if (g >= 1 && g <= 69) addCounted(list, next, g, 0, 0);
    }
    bool matchTest(const TComb& comb, const TStatMatcher& m) const override {
        for (uint8_t n : comb.n)
            if (m.selectedKey1(n)) return true;
        return false;
    }
    std::unique_ptr<const TMatchTables> buildMatchTables(const TStatMatcher& m) const override {
        return std::make_unique<TKey1Hits<256>>(m);
    }
    void matchChunk(const TComb* combs, size_t count, const TStatMatcher& m, uint8_t* matched) const override {
        const auto& hit = m.tables<TKey1Hits<256>>().hit;
        for (size_t k = 0; k < count; ++k) {
            const auto& n = combs[k].n;
            matched[k] = hit[n[0]] | hit[n[1]] | hit[n[2]] | hit[n[3]] | hit[n[4]];
        }
    }

private:
    // Adds the value without period bookkeeping, counted 1 when `next` contains it and 0 otherwise.
    void addCounted(TStatDrawArray& list, const TDraw& next, int value, int k2, int k4) {
        working_.setKeys(static_cast<uint16_t>(value), static_cast<uint16_t>(k2), 0, static_cast<uint16_t>(k4));
        working_.count = 0;
        for (uint8_t n : next.nums)
            if (n != 0 && n == value) working_.count = 1;
        addWorking(list, false);
    }
};

// --- descriptors -------------------------------------------------------------------------

const TStatClassInfo kTstTesk1{.className = "TstTesk1", .code = "HCO%d", .caption = "Число Tesk 1 (только разность)",
                               .group = kTeskGroup, .kinds = kindS | kindN, .create = &createStat<TstTesk1>,
                               .isGraph = true, .fixedNumber = 1};
const TStatClassInfo kTstTesk2{.className = "TstTesk2", .code = "HCO%d",
                               .caption = "Число Tesk 2 (разность + сложение, если {0,1})", .group = kTeskGroup,
                               .kinds = kindS | kindN, .create = &createStat<TstTesk2>, .isGraph = true,
                               .fixedNumber = 2};
const TStatClassInfo kTstTesk3{.className = "TstTesk3", .code = "HCO%d",
                               .caption = "Числа Tesk 3 (динамический, только фильтр)", .group = kTeskGroup,
                               .kinds = kindS | kindD, .create = &createStat<TstTesk3>, .acceptsTypedValues = false,
                               .fixedNumber = 3};

}  // namespace tavlora
