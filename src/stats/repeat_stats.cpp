// Repeat statistics (group 7): how numbers of one draw come back in a later draw, in the next
// draw or two to four places later, moved by +-1 or +-2, in three draws in a row, or in two
// draws but not three. "Values" members collect the repeating numbers that are also in the
// reference draw (the last draw of the range); "count" members count the repeats of each draw.
//
// A draw index outside the archive is a draw without numbers: it contributes no number, shifted
// or not. Candidate combinations stand for the draw after the reference draw.
#include <array>
#include <memory>

#include "core/numbers.h"
#include "stats/custom_stat.h"
#include "stats/stat_classes.h"

namespace tavlora {

namespace {

constexpr int kRepeatGroup = 7;

// n moved by s around 1..69; 0 (no number) stays 0.
int shiftedNumber(int n, int s) { return n == 0 ? 0 : cyclicShift(n, s); }

bool holds(const TDraw& d, int n) {
    if (n == 0) return false;
    for (uint8_t x : d.nums)
        if (x == n) return true;
    return false;
}

// Marks of the numbers 0..255 for counting a combination's numbers with one lookup each.
using NumberMarks = std::array<uint8_t, 256>;

int countOf(const NumberMarks& m, const TComb& c) { return m[c.n[0]] + m[c.n[1]] + m[c.n[2]] + m[c.n[3]] + m[c.n[4]]; }

// The marks of a filter run, worked out once from the draws before its candidates.
struct TMarkTables final : TMatchTables {
    explicit TMarkTables(const NumberMarks& m) : marks(m) {}
    const NumberMarks marks;
};

}  // namespace

// Values member with a shift s and a lag L: for draw a with reference draw R, each number m of
// draw a - L moved by s that is in draw a and in R moved by s.
class TCustomRepValues2Stat : public TCustomValuesStat {
public:
    using TCustomValuesStat::TCustomValuesStat;
    virtual int shift() const = 0;
    virtual int lag() const = 0;

    // The numbers of the reference draw moved by s.
    void listAllValues(int lastIndex, TStatDrawArray& list) override {
        TCustomValuesStat::listAllValues(lastIndex, list);
        for (uint8_t n : drawAt(lastIndex, false).nums) {
            if (n == 0) continue;
            working_.setKeys(static_cast<uint16_t>(shiftedNumber(n, shift())));
            addWorking(list, false);
        }
    }
    void valuesOfDraw(int index, int lastIndex, bool sorted, TStatDrawArray& list, TStatState& state,
                      TLastValueArray& lastValues) override {
        TCustomValuesStat::valuesOfDraw(index, lastIndex, sorted, list, state, lastValues);
        const TDraw before = drawAt(index - lag(), sorted);
        for (uint8_t n : before.nums) {
            // m is in R moved by s exactly when n is in R.
            const int m = shiftedNumber(n, shift());
            if (m == 0 || !holds(reference_, n) || !holds(current_, m)) continue;
            working_.setKeys(static_cast<uint16_t>(m));
            addWorking(list, true);
        }
    }
    bool matchTest(const TComb& comb, const TStatMatcher& m) const override {
        for (uint8_t n : comb.n)
            if (m.selectedKey1(n)) return true;
        return false;
    }
};

// Count member with a shift s and a lag L: how many numbers of draw a - L moved by s are in
// draw a. A candidate is compared with the draw L places before it (the candidate stands at the
// reference index + 1).
class TCustomRepCount2Stat : public TCustomNumbersStat {
public:
    using TCustomNumbersStat::TCustomNumbersStat;
    virtual int shift() const = 0;
    virtual int lag() const = 0;

    void listAllValues(int lastIndex, TStatDrawArray& list) override {
        TCustomNumbersStat::listAllValues(lastIndex, list);
        for (uint16_t k = 1; k <= 5; ++k) {
            working_.setKeys(k);
            addWorking(list, false);
        }
    }
    void valuesOfDraw(int index, int lastIndex, bool sorted, TStatDrawArray& list, TStatState& state,
                      TLastValueArray& lastValues) override {
        TCustomNumbersStat::valuesOfDraw(index, lastIndex, sorted, list, state, lastValues);
        const TDraw before = drawAt(index - lag(), sorted);
        int count = 0;
        for (uint8_t n : before.nums)
            if (holds(current_, shiftedNumber(n, shift()))) ++count;
        working_.setKeys(static_cast<uint16_t>(count));
        addWorking(list, true);
    }
    std::unique_ptr<const TMatchTables> buildMatchTables(const TStatMatcher& m) const override {
        return std::make_unique<TMarkTables>(marksFor(m.referenceIndex()));
    }
    bool matchTest(const TComb& comb, const TStatMatcher& m) const override {
        return m.selectedKey1(countOf(m.tables<TMarkTables>().marks, comb));
    }

private:
    // Marks of the numbers of draw (reference + 1 - L) moved by s.
    NumberMarks marksFor(int referenceIndex) const {
        NumberMarks m{};
        for (uint8_t n : drawAt(referenceIndex + 1 - lag(), false).nums)
            if (n != 0) m[static_cast<size_t>(shiftedNumber(n, shift()))] = 1;
        return m;
    }
};

// Numbers of draw a that are in draw a - 1 and in (or, with inThird false, not in) draw a - 2.
class TRepThreeDraws {
protected:
    explicit TRepThreeDraws(bool inThird) : inThird_(inThird) {}
    bool repeats(int n, const TDraw& before, const TDraw& twoBefore) const {
        return holds(before, n) && holds(twoBefore, n) == inThird_;
    }
    bool inThird_;
};

// Values member over three draws: the repeating numbers that are also in the reference draw.
class TRepThreeValuesStat : public TCustomValuesStat, protected TRepThreeDraws {
public:
    TRepThreeValuesStat(const TStatList& list, const TStatClassInfo& cls, int parameter, bool inThird)
        : TCustomValuesStat(list, cls, parameter), TRepThreeDraws(inThird) {}

    void listAllValues(int lastIndex, TStatDrawArray& list) override {
        TCustomValuesStat::listAllValues(lastIndex, list);
        for (uint8_t n : drawAt(lastIndex, false).nums) {
            if (n == 0) continue;
            working_.setKeys(n);
            addWorking(list, false);
        }
    }
    void valuesOfDraw(int index, int lastIndex, bool sorted, TStatDrawArray& list, TStatState& state,
                      TLastValueArray& lastValues) override {
        TCustomValuesStat::valuesOfDraw(index, lastIndex, sorted, list, state, lastValues);
        const TDraw before = drawAt(index - 1, false), twoBefore = drawAt(index - 2, false);
        for (uint8_t n : current_.nums) {
            if (!holds(reference_, n) || !repeats(n, before, twoBefore)) continue;
            working_.setKeys(n);
            addWorking(list, true);
        }
    }
    bool matchTest(const TComb& comb, const TStatMatcher& m) const override {
        for (uint8_t n : comb.n)
            if (m.selectedKey1(n)) return true;
        return false;
    }
};

// Count member over three draws; a candidate is compared with the last two draws in use.
class TRepThreeCountStat : public TCustomNumbersStat, protected TRepThreeDraws {
public:
    TRepThreeCountStat(const TStatList& list, const TStatClassInfo& cls, int parameter, bool inThird)
        : TCustomNumbersStat(list, cls, parameter), TRepThreeDraws(inThird) {}

    void listAllValues(int lastIndex, TStatDrawArray& list) override {
        TCustomNumbersStat::listAllValues(lastIndex, list);
        for (uint16_t k = 1; k <= 5; ++k) {
            working_.setKeys(k);
            addWorking(list, false);
        }
    }
    void valuesOfDraw(int index, int lastIndex, bool sorted, TStatDrawArray& list, TStatState& state,
                      TLastValueArray& lastValues) override {
        TCustomNumbersStat::valuesOfDraw(index, lastIndex, sorted, list, state, lastValues);
        const TDraw before = drawAt(index - 1, false), twoBefore = drawAt(index - 2, false);
        int count = 0;
        for (uint8_t n : current_.nums)
            if (repeats(n, before, twoBefore)) ++count;
        working_.setKeys(static_cast<uint16_t>(count));
        addWorking(list, true);
    }
    std::unique_ptr<const TMatchTables> buildMatchTables(const TStatMatcher& m) const override {
        return std::make_unique<TMarkTables>(marksFor(m.referenceIndex()));
    }
    bool matchTest(const TComb& comb, const TStatMatcher& m) const override {
        return m.selectedKey1(countOf(m.tables<TMarkTables>().marks, comb));
    }

private:
    // Marks of the numbers that repeat for a candidate standing after the reference draw.
    NumberMarks marksFor(int referenceIndex) const {
        NumberMarks m{};
        const TDraw before = drawAt(referenceIndex, false), twoBefore = drawAt(referenceIndex - 1, false);
        for (int n = 1; n <= 69; ++n) m[static_cast<size_t>(n)] = repeats(n, before, twoBefore) ? 1 : 0;
        return m;
    }
};

// --- members -----------------------------------------------------------------------------

template <int S, int L>
class TRepValuesOf : public TCustomRepValues2Stat {
public:
    using TCustomRepValues2Stat::TCustomRepValues2Stat;
    int shift() const override { return S; }
    int lag() const override { return L; }
};

template <int S, int L>
class TRepCountOf : public TCustomRepCount2Stat {
public:
    using TCustomRepCount2Stat::TCustomRepCount2Stat;
    int shift() const override { return S; }
    int lag() const override { return L; }
};

class TstRepValues2 final : public TRepValuesOf<0, 1> {
public:
    using TRepValuesOf::TRepValuesOf;
};
class TstRepValues2over1 final : public TRepValuesOf<0, 2> {
public:
    using TRepValuesOf::TRepValuesOf;
};
class TstRepValues2over2 final : public TRepValuesOf<0, 3> {
public:
    using TRepValuesOf::TRepValuesOf;
};
class TstRepValues2over3 final : public TRepValuesOf<0, 4> {
public:
    using TRepValuesOf::TRepValuesOf;
};
class TstRepValues2P1 final : public TRepValuesOf<1, 1> {
public:
    using TRepValuesOf::TRepValuesOf;
};
class TstRepValues2N1 final : public TRepValuesOf<-1, 1> {
public:
    using TRepValuesOf::TRepValuesOf;
};
class TstRepValues2P2 final : public TRepValuesOf<2, 1> {
public:
    using TRepValuesOf::TRepValuesOf;
};
class TstRepValues2N2 final : public TRepValuesOf<-2, 1> {
public:
    using TRepValuesOf::TRepValuesOf;
};

class TstRepCount2 final : public TRepCountOf<0, 1> {
public:
    using TRepCountOf::TRepCountOf;
};
class TstRepCount2over1 final : public TRepCountOf<0, 2> {
public:
    using TRepCountOf::TRepCountOf;
};
class TstRepCount2over2 final : public TRepCountOf<0, 3> {
public:
    using TRepCountOf::TRepCountOf;
};
class TstRepCount2over3 final : public TRepCountOf<0, 4> {
public:
    using TRepCountOf::TRepCountOf;
};
class TstRepCount2P1 final : public TRepCountOf<1, 1> {
public:
    using TRepCountOf::TRepCountOf;
};
class TstRepCount2N1 final : public TRepCountOf<-1, 1> {
public:
    using TRepCountOf::TRepCountOf;
};
class TstRepCount2P2 final : public TRepCountOf<2, 1> {
public:
    using TRepCountOf::TRepCountOf;
};
class TstRepCount2N2 final : public TRepCountOf<-2, 1> {
public:
    using TRepCountOf::TRepCountOf;
};

class TstRepValues3 final : public TRepThreeValuesStat {
public:
    TstRepValues3(const TStatList& l, const TStatClassInfo& c, int p) : TRepThreeValuesStat(l, c, p, true) {}
};
class TstRepValues2B3 final : public TRepThreeValuesStat {
public:
    TstRepValues2B3(const TStatList& l, const TStatClassInfo& c, int p) : TRepThreeValuesStat(l, c, p, false) {}
};
class TstRepCount3 final : public TRepThreeCountStat {
public:
    TstRepCount3(const TStatList& l, const TStatClassInfo& c, int p) : TRepThreeCountStat(l, c, p, true) {}
};
class TstRepCount2B3 final : public TRepThreeCountStat {
public:
    TstRepCount2B3(const TStatList& l, const TStatClassInfo& c, int p) : TRepThreeCountStat(l, c, p, false) {}
};

// --- descriptors -------------------------------------------------------------------------

namespace {

constexpr std::string_view kOverCaption = "Повторяющиеся числа в 2-х тиражах через %d тираж(а)";
constexpr std::string_view kCountOverCaption = "Количество повторов в 2-х тиражах через %d тираж(а)";

template <typename T>
constexpr TStatClassInfo repeatClass(std::string_view name, std::string_view code, std::string_view caption,
                                     int fixedNumber = -1) {
    return TStatClassInfo{.className = name, .code = code, .caption = caption, .group = kRepeatGroup,
                          .kinds = kindD, .create = &createStat<T>, .fixedNumber = fixedNumber};
}

}  // namespace

const TStatClassInfo kTstRepValues2 =
    repeatClass<TstRepValues2>("TstRepValues2", "RPV2", "Повторяющиеся числа в 2-х тиражах подряд");
const TStatClassInfo kTstRepValues3 =
    repeatClass<TstRepValues3>("TstRepValues3", "RPV3", "Повторяющиеся числа в 3-х тиражах подряд");
const TStatClassInfo kTstRepValues2B3 =
    repeatClass<TstRepValues2B3>("TstRepValues2B3", "PRL2", "Повторяющиеся числа не более чем в 2-х тиражах");
const TStatClassInfo kTstRepValues2over1 =
    repeatClass<TstRepValues2over1>("TstRepValues2over1", "PRV2O%d", kOverCaption, 1);
const TStatClassInfo kTstRepValues2over2 =
    repeatClass<TstRepValues2over2>("TstRepValues2over2", "PRV2O%d", kOverCaption, 2);
const TStatClassInfo kTstRepValues2over3 =
    repeatClass<TstRepValues2over3>("TstRepValues2over3", "PRV2O%d", kOverCaption, 3);
const TStatClassInfo kTstRepValues2P1 =
    repeatClass<TstRepValues2P1>("TstRepValues2P1", "PRV+1", "Данные предыдущего тиража + 1");
const TStatClassInfo kTstRepValues2N1 =
    repeatClass<TstRepValues2N1>("TstRepValues2N1", "PRV-1", "Данные предыдущего тиража - 1");
const TStatClassInfo kTstRepValues2P2 =
    repeatClass<TstRepValues2P2>("TstRepValues2P2", "PRV+2", "Данные предыдущего тиража + 2");
const TStatClassInfo kTstRepValues2N2 =
    repeatClass<TstRepValues2N2>("TstRepValues2N2", "PRV-2", "Данные предыдущего тиража - 2");
const TStatClassInfo kTstRepCount2 =
    repeatClass<TstRepCount2>("TstRepCount2", "RPC2", "Количество повторов в 2-х тиражах подряд");
const TStatClassInfo kTstRepCount3 =
    repeatClass<TstRepCount3>("TstRepCount3", "RPC3", "Количество повторов в 3-х тиражах подряд");
const TStatClassInfo kTstRepCount2B3 =
    repeatClass<TstRepCount2B3>("TstRepCount2B3", "PRB2", "Количество повторов не более чем в 2-х тиражах");
// The count member with lag 2 keeps its own code RPO1.
const TStatClassInfo kTstRepCount2over1 =
    repeatClass<TstRepCount2over1>("TstRepCount2over1", "RPO1", kCountOverCaption, 1);
const TStatClassInfo kTstRepCount2over2 =
    repeatClass<TstRepCount2over2>("TstRepCount2over2", "PRC2O%d", kCountOverCaption, 2);
const TStatClassInfo kTstRepCount2over3 =
    repeatClass<TstRepCount2over3>("TstRepCount2over3", "PRC2O%d", kCountOverCaption, 3);
const TStatClassInfo kTstRepCount2P1 =
    repeatClass<TstRepCount2P1>("TstRepCount2P1", "PRC+1", "Количество совпадений \"значений + 1\"");
const TStatClassInfo kTstRepCount2N1 =
    repeatClass<TstRepCount2N1>("TstRepCount2N1", "PRC-1", "Количество совпадений \"значений - 1\"");
const TStatClassInfo kTstRepCount2P2 =
    repeatClass<TstRepCount2P2>("TstRepCount2P2", "PRC+2", "Количество совпадений \"значений + 2\"");
const TStatClassInfo kTstRepCount2N2 =
    repeatClass<TstRepCount2N2>("TstRepCount2N2", "PRC-2", "Количество совпадений \"значений - 2\"");

}  // namespace tavlora
