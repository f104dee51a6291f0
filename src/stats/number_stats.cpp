// Number statistics (group 0): the numbers of a draw, their digits, the counts and position
// masks of even, small and prime numbers, the number at a position and the extra number.
#include <array>
#include <memory>

#include "core/numbers.h"
#include "stats/custom_stat.h"
#include "stats/key1_tables.h"
#include "stats/stat_classes.h"

namespace tavlora {

namespace {

// Membership of the numbers 0..255 in a number class, looked up per byte of a combination.
using ClassTable = std::array<uint8_t, 256>;

ClassTable makeClassTable(bool (*inClass)(int)) {
    ClassTable t{};
    for (int n = 0; n < 256; ++n) t[static_cast<size_t>(n)] = inClass(n) ? 1 : 0;
    return t;
}

bool isOdd(int n) { return !isEven(n); }
bool isLarge(int n) { return !isSmall(n); }

// Decimal digits of n in writing order; returns how many were stored.
int digitsOf(int n, int out[3]) {
    if (n >= 100) {
        out[0] = n / 100;
        out[1] = n / 10 % 10;
        out[2] = n % 10;
        return 3;
    }
    if (n >= 10) {
        out[0] = n / 10;
        out[1] = n % 10;
        return 2;
    }
    out[0] = n;
    return 1;
}

}  // namespace

// Each of the five numbers is a value.
class TstValues : public TCustomValuesStat {
public:
    using TCustomValuesStat::TCustomValuesStat;

    void listAllValues(int lastIndex, TStatDrawArray& list) override {
        TCustomValuesStat::listAllValues(lastIndex, list);
        for (uint16_t n = 1; n <= 69; ++n) {
            working_.setKeys(n);
            addWorking(list, false);
        }
    }
    void valuesOfComb(const TComb& comb, TStatDrawArray& list) override {
        TCustomValuesStat::valuesOfComb(comb, list);
        for (uint8_t n : comb.n) {
            working_.setKeys(n);
            addWorking(list, false);
        }
    }
    void valuesOfDraw(int index, int lastIndex, bool sorted, TStatDrawArray& list, TStatState& state,
                      TLastValueArray& lastValues) override {
        TCustomValuesStat::valuesOfDraw(index, lastIndex, sorted, list, state, lastValues);
        for (uint8_t n : current_.nums) {
            working_.setKeys(n);
            addWorking(list, true);
        }
    }
    bool matchTest(const TComb& comb, const TStatMatcher& m) const override {
        for (uint8_t n : comb.n)
            if (m.selectedExact(n)) return true;
        return false;
    }
    // Each number of a combination is one value (keys: the number), counted once.
    bool countCombValues(const TComb* combs, size_t count, TValueCounts& counts) const override {
        std::array<int32_t, 256> seen{};
        for (size_t k = 0; k < count; ++k)
            for (uint8_t n : combs[k].n) ++seen[n];
        for (size_t n = 0; n < seen.size(); ++n)
            if (seen[n] != 0) counts.add(n, seen[n]);
        return true;
    }
    // Whether each byte is a selected number, worked out once per run.
    struct TNumberHits final : TMatchTables {
        std::array<uint8_t, 256> hit;
    };
    std::unique_ptr<const TMatchTables> buildMatchTables(const TStatMatcher& m) const override {
        auto t = std::make_unique<TNumberHits>();
        m.selectedExactTable(t->hit.data(), t->hit.size());
        return t;
    }
    void matchChunk(const TComb* combs, size_t count, const TStatMatcher& m, uint8_t* matched) const override {
        const auto& hit = m.tables<TNumberHits>().hit;
        for (size_t k = 0; k < count; ++k) {
            const auto& n = combs[k].n;
            matched[k] = hit[n[0]] | hit[n[1]] | hit[n[2]] | hit[n[3]] | hit[n[4]];
        }
    }
};

// Every decimal digit of every number is a value (10 gives 1 and 0).
class TstDigits : public TCustomNumbersStat {
public:
    using TCustomNumbersStat::TCustomNumbersStat;

    void valuesOfComb(const TComb& comb, TStatDrawArray& list) override {
        TCustomNumbersStat::valuesOfComb(comb, list);
        addDigits(comb.n.data(), list, false);
    }
    void valuesOfDraw(int index, int lastIndex, bool sorted, TStatDrawArray& list, TStatState& state,
                      TLastValueArray& lastValues) override {
        TCustomNumbersStat::valuesOfDraw(index, lastIndex, sorted, list, state, lastValues);
        addDigits(current_.nums.data(), list, true);
    }
    bool matchTest(const TComb& comb, const TStatMatcher& m) const override {
        int d[3];
        for (uint8_t n : comb.n) {
            const int k = digitsOf(n, d);
            for (int i = 0; i < k; ++i)
                if (m.selectedExact(d[i])) return true;
        }
        return false;
    }
    // Whether some digit of each byte is selected, worked out once per run.
    struct TDigitHits final : TMatchTables {
        std::array<uint8_t, 256> hit{};
    };
    std::unique_ptr<const TMatchTables> buildMatchTables(const TStatMatcher& m) const override {
        auto t = std::make_unique<TDigitHits>();
        int d[3];
        for (int n = 0; n < 256; ++n) {
            const int k = digitsOf(n, d);
            for (int i = 0; i < k; ++i) t->hit[static_cast<size_t>(n)] |= m.selectedExact(d[i]) ? 1 : 0;
        }
        return t;
    }
    void matchChunk(const TComb* combs, size_t count, const TStatMatcher& m, uint8_t* matched) const override {
        const auto& hit = m.tables<TDigitHits>().hit;
        for (size_t k = 0; k < count; ++k) {
            const auto& n = combs[k].n;
            matched[k] = hit[n[0]] | hit[n[1]] | hit[n[2]] | hit[n[3]] | hit[n[4]];
        }
    }
    // Norm runs: the numbers counted per batch, then each number's digits that many times.
    bool countCombValues(const TComb* combs, size_t count, TValueCounts& counts) const override {
        std::array<int32_t, 256> seen{};
        for (size_t k = 0; k < count; ++k)
            for (uint8_t n : combs[k].n) ++seen[n];
        std::array<int32_t, 10> digits{};
        int d[3];
        for (size_t n = 0; n < seen.size(); ++n) {
            if (seen[n] == 0) continue;
            const int k = digitsOf(static_cast<int>(n), d);
            for (int i = 0; i < k; ++i) digits[static_cast<size_t>(d[i])] += seen[n];
        }
        addKey1Counts(digits, counts);
        return true;
    }

private:
    void addDigits(const uint8_t* nums, TStatDrawArray& list, bool fromDraw) {
        int d[3];
        for (int p = 0; p < 5; ++p) {
            const int k = digitsOf(nums[p], d);
            for (int i = 0; i < k; ++i) {
                working_.setKeys(static_cast<uint16_t>(d[i]));
                addWorking(list, fromDraw);
            }
        }
    }
};

// How many of the five numbers belong to a number class; values 1..5 pre-listed.
class TClassCountStat : public TCustomRatioStat {
public:
    TClassCountStat(const TStatList& list, const TStatClassInfo& cls, int parameter, bool (*inClass)(int))
        : TCustomRatioStat(list, cls, parameter), table_(makeClassTable(inClass)) {}

    int countOf(const uint8_t* nums) const {
        return table_[nums[0]] + table_[nums[1]] + table_[nums[2]] + table_[nums[3]] + table_[nums[4]];
    }
    void listAllValues(int lastIndex, TStatDrawArray& list) override {
        TCustomRatioStat::listAllValues(lastIndex, list);
        for (uint16_t k = 1; k <= 5; ++k) {
            working_.setKeys(k);
            addWorking(list, false);
        }
    }
    void valuesOfComb(const TComb& comb, TStatDrawArray& list) override {
        TCustomRatioStat::valuesOfComb(comb, list);
        working_.setKeys(static_cast<uint16_t>(countOf(comb.n.data())));
        addWorking(list, false);
    }
    void valuesOfDraw(int index, int lastIndex, bool sorted, TStatDrawArray& list, TStatState& state,
                      TLastValueArray& lastValues) override {
        TCustomRatioStat::valuesOfDraw(index, lastIndex, sorted, list, state, lastValues);
        working_.setKeys(static_cast<uint16_t>(countOf(current_.nums.data())));
        addWorking(list, true);
    }
    bool matchTest(const TComb& comb, const TStatMatcher& m) const override {
        return m.selectedKey1(countOf(comb.n.data()));
    }
    int32_t numberOfComb(const TComb& nums, int, int, bool) const override { return countOf(nums.n.data()); }
    std::unique_ptr<const TMatchTables> buildMatchTables(const TStatMatcher& m) const override {
        return std::make_unique<TKey1Hits<6>>(m);
    }
    void matchChunk(const TComb* combs, size_t count, const TStatMatcher& m, uint8_t* matched) const override {
        matchKey1Chunk<6>(combs, count, m, matched, [this](const uint8_t* n) { return countOf(n); });
    }
    bool countCombValues(const TComb* combs, size_t count, TValueCounts& counts) const override {
        countKey1Values<6>(combs, count, counts, [this](const uint8_t* n) { return countOf(n); });
        return true;
    }

private:
    ClassTable table_;
};

class TstEvenCount : public TClassCountStat {
public:
    TstEvenCount(const TStatList& l, const TStatClassInfo& c, int p) : TClassCountStat(l, c, p, &isEven) {}
};
class TstSmallCount : public TClassCountStat {
public:
    TstSmallCount(const TStatList& l, const TStatClassInfo& c, int p) : TClassCountStat(l, c, p, &isSmall) {}
};
class TstPrimeCount : public TClassCountStat {
public:
    TstPrimeCount(const TStatList& l, const TStatClassInfo& c, int p) : TClassCountStat(l, c, p, &isPrime) {}
};

// The pattern of a number class over the five positions; position 1 is the highest bit.
class TClassMaskStat : public TCustomMaskStat {
public:
    TClassMaskStat(const TStatList& list, const TStatClassInfo& cls, int parameter, bool (*hasProperty)(int),
                   const char* letter0, const char* letter1)
        : TCustomMaskStat(list, cls, parameter), table_(makeClassTable(hasProperty)), letter0_(letter0),
          letter1_(letter1) {}

    std::string letterFor0() const override { return letter0_; }
    std::string letterFor1() const override { return letter1_; }
    int maskOf(const uint8_t* nums) const {
        int mask = 0;
        for (int p = 0; p < 5; ++p) mask = 2 * mask + table_[nums[p]];
        return mask;
    }
    void valuesOfComb(const TComb& comb, TStatDrawArray& list) override {
        TCustomMaskStat::valuesOfComb(comb, list);
        working_.setKeys(static_cast<uint16_t>(maskOf(comb.n.data())));
        addWorking(list, false);
    }
    void valuesOfDraw(int index, int lastIndex, bool sorted, TStatDrawArray& list, TStatState& state,
                      TLastValueArray& lastValues) override {
        TCustomMaskStat::valuesOfDraw(index, lastIndex, sorted, list, state, lastValues);
        working_.setKeys(static_cast<uint16_t>(maskOf(current_.nums.data())));
        addWorking(list, true);
    }
    bool matchTest(const TComb& comb, const TStatMatcher& m) const override {
        return m.selectedKey1(maskOf(comb.n.data()));
    }
    std::unique_ptr<const TMatchTables> buildMatchTables(const TStatMatcher& m) const override {
        return std::make_unique<TKey1Hits<32>>(m);
    }
    void matchChunk(const TComb* combs, size_t count, const TStatMatcher& m, uint8_t* matched) const override {
        matchKey1Chunk<32>(combs, count, m, matched, [this](const uint8_t* n) { return maskOf(n); });
    }
    bool countCombValues(const TComb* combs, size_t count, TValueCounts& counts) const override {
        countKey1Values<32>(combs, count, counts, [this](const uint8_t* n) { return maskOf(n); });
        return true;
    }

private:
    ClassTable table_;
    const char* letter0_;
    const char* letter1_;
};

class TstEvenValues : public TClassMaskStat {
public:
    TstEvenValues(const TStatList& l, const TStatClassInfo& c, int p) : TClassMaskStat(l, c, p, &isOdd, "Ч", "н") {}
};
class TstSmallValues : public TClassMaskStat {
public:
    TstSmallValues(const TStatList& l, const TStatClassInfo& c, int p)
        : TClassMaskStat(l, c, p, &isLarge, "1", "2") {}
    // Only the masks that occur are listed.
    void listAllValues(int lastIndex, TStatDrawArray& list) override { TCustomStat::listAllValues(lastIndex, list); }
};
class TstPrimeValues : public TClassMaskStat {
public:
    TstPrimeValues(const TStatList& l, const TStatClassInfo& c, int p)
        : TClassMaskStat(l, c, p, &isPrime, "С", "П") {}
};

// The number at position p (the instance parameter, 1..5).
class TstPosVal : public TCustomGraphStat {
public:
    using TCustomGraphStat::TCustomGraphStat;

    void listAllValues(int lastIndex, TStatDrawArray& list) override {
        TCustomGraphStat::listAllValues(lastIndex, list);
        for (uint16_t n = 1; n <= 69; ++n) {
            working_.setKeys(n);
            addWorking(list, false);
        }
    }
    void valuesOfComb(const TComb& comb, TStatDrawArray& list) override {
        TCustomGraphStat::valuesOfComb(comb, list);
        if (!validPosition()) return;
        working_.setKeys(comb.n[position()]);
        addWorking(list, false);
    }
    void valuesOfDraw(int index, int lastIndex, bool sorted, TStatDrawArray& list, TStatState& state,
                      TLastValueArray& lastValues) override {
        TCustomGraphStat::valuesOfDraw(index, lastIndex, sorted, list, state, lastValues);
        if (!validPosition()) return;
        working_.setKeys(current_.nums[position()]);
        addWorking(list, true);
    }
    bool matchTest(const TComb& comb, const TStatMatcher& m) const override {
        return validPosition() && m.selectedKey1(comb.n[position()]);
    }
    int32_t numberOfComb(const TComb& nums, int, int, bool) const override {
        return validPosition() ? nums.n[position()] : 0;
    }
    // Norm runs: the numbers at the position counted per batch (nothing without a position).
    bool countCombValues(const TComb* combs, size_t count, TValueCounts& counts) const override {
        if (!validPosition()) return true;
        std::array<int32_t, 256> seen{};
        const size_t p = position();
        for (size_t k = 0; k < count; ++k) ++seen[combs[k].n[p]];
        addKey1Counts(seen, counts);
        return true;
    }

private:
    bool validPosition() const { return parameter() >= 1 && parameter() <= 5; }
    size_t position() const { return static_cast<size_t>(parameter() - 1); }
};

// The extra number: a statistic and a graph, never a filter.
class TstPosExt : public TCustomGraphStat {
public:
    using TCustomGraphStat::TCustomGraphStat;

    void valuesOfDraw(int index, int lastIndex, bool sorted, TStatDrawArray& list, TStatState& state,
                      TLastValueArray& lastValues) override {
        TCustomGraphStat::valuesOfDraw(index, lastIndex, sorted, list, state, lastValues);
        working_.setKeys(current_.extra);
        addWorking(list, true);
    }
    bool matchTest(const TComb&, const TStatMatcher&) const override { return false; }
    // A combination has no extra number.
    int32_t numberOfComb(const TComb&, int, int, bool) const override { return 0; }
    int32_t numberOfDraw(int index, int, bool sorted) const override { return drawAt(index, sorted).extra; }
};

// --- descriptors -------------------------------------------------------------------------

const TStatClassInfo kTstValues{.className = "TstValues", .code = "NUMS", .caption = "Числа тиража", .group = 0,
                                .kinds = kindN, .create = &createStat<TstValues>};
const TStatClassInfo kTstDigits{.className = "TstDigits", .code = "DIGS", .caption = "Цифры тиража", .group = 0,
                                .kinds = kindN, .create = &createStat<TstDigits>};
const TStatClassInfo kTstEvenCount{.className = "TstEvenCount", .code = "EVEN",
                                   .caption = "Количество четных чисел в тираже (Ч:Н)", .group = 0, .kinds = kindN,
                                   .create = &createStat<TstEvenCount>, .isGraph = true};
const TStatClassInfo kTstEvenValues{.className = "TstEvenValues", .code = "EVNV",
                                    .caption = "Четные и нечетные числа в тираже (Чн..нЧ)", .group = 0,
                                    .kinds = kindS | kindN, .create = &createStat<TstEvenValues>};
const TStatClassInfo kTstSmallCount{.className = "TstSmallCount", .code = "SMAL",
                                    .caption = "Количество чисел из первой половины диапазона (1П:2П)", .group = 0,
                                    .kinds = kindN, .create = &createStat<TstSmallCount>, .isGraph = true};
const TStatClassInfo kTstSmallValues{.className = "TstSmallValues", .code = "SMLV",
                                     .caption = "Числа из первой половины диапазона (12..12)", .group = 0,
                                     .kinds = kindS | kindN, .create = &createStat<TstSmallValues>};
const TStatClassInfo kTstPrimeCount{.className = "TstPrimeCount", .code = "PRIM",
                                    .caption = "Количество простых чисел (П:С)", .group = 0, .kinds = kindN,
                                    .create = &createStat<TstPrimeCount>, .isGraph = true};
const TStatClassInfo kTstPrimeValues{.className = "TstPrimeValues", .code = "PRMV",
                                     .caption = "Простые и составные числа (ПС..СП)", .group = 0,
                                     .kinds = kindS | kindN, .create = &createStat<TstPrimeValues>};
const TStatClassInfo kTstPosVal{.className = "TstPosVal", .code = "POS%d", .caption = "Число в %0:d позиции тиража",
                                .group = 0, .kinds = kindS | kindN, .create = &createStat<TstPosVal>,
                                .baseCode = "POSx", .isGraph = true, .multiInstance = true, .range = {1, 5}};
const TStatClassInfo kTstPosExt{.className = "TstPosExt", .code = "POE%d",
                                .caption = "Extra (Bonus, Star...) - число (!без фильтра!)", .group = 0, .kinds = 0,
                                .create = &createStat<TstPosExt>, .baseCode = "POSx", .isGraph = true,
                                .multiInstance = true, .range = {1, 1}};

}  // namespace tavlora
