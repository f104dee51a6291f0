#pragma once
// Generic statistics methods over one layout class of the numbers (channel, matrix column or row,
// segment): the class of each number, the count of numbers per class, the number of distinct
// classes, the count in one class and the tuples of classes over k positions. The channel, matrix
// and segment families derive their members from these, each member choosing its axis.
//
// Every instance computes its class table from the registry's settings when it is created and
// keeps it for its lifetime; match tests and values of a combination are table lookups without
// allocation, and match tests only read the tables of the filter's matcher.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "stats/custom_stat.h"
#include "stats/layout_tables.h"
#include "stats/packed_key_set.h"

namespace tavlora {

enum class TLayoutAxis { Channel, Column, Row, Segment };

// The class of every number along one axis.
struct TLayoutClasses {
    TLayoutClasses(const TSettings& settings, TLayoutAxis axis);

    TLayoutTables tables;
    std::array<uint8_t, 256> of{};  // class of every byte; 0 outside 1..69
    // The distinct classes of the numbers 1..69 in the order of their first number (ascending for
    // channels, columns and rows; the segments in the order the map first uses them).
    std::array<uint8_t, 69> order{};
    int orderCount = 0;
};

// The classes of the five numbers as a 128-bit set (classes are below 128).
struct TClassBits {
    uint64_t lo = 0, hi = 0;
    void set(int c) { (c < 64 ? lo : hi) |= uint64_t{1} << (c & 63); }
    bool has(int c) const { return ((c < 64 ? lo : hi) >> (c & 63)) & 1u; }
    int count() const;
};

// Selected (key 1, key 2) pairs with keys 3 and 4 equal to 0, as bit rows (key 1 < 256, key 2 < 8),
// built once per filter run from the filter's selection; pairs beyond the rows are answered by a
// scan of that selection.
class TPairSelection {
public:
    void build(const TStatDrawArray& sel);
    bool has(const TStatDrawArray& sel, int k1, int k2) const;
    // Bit c of row k1 is set when (k1, c) is selected.
    uint8_t row(int k1) const { return k1 >= 0 && k1 < 256 ? bits_[static_cast<size_t>(k1)] : 0; }

private:
    std::array<uint8_t, 256> bits_{};
};

// The selected pairs of a filter run, as a method's match tables.
struct TPairTables final : TMatchTables {
    explicit TPairTables(const TStatDrawArray& sel) { pairs.build(sel); }
    TPairSelection pairs;
};

// Adds values to a value list exactly like addValue, remembering where each value's entry stands so
// that the many additions of a norm run (values of every combination into one list) skip the
// linear search. A remembered place is checked against the keys before it is used.
class TValueSlots {
public:
    void add(TStatDrawArray& list, const TStatDraw& value, bool fromDraw);

private:
    static constexpr size_t kSlots = 4096;
    std::array<int32_t, kSlots> index_{};  // entry index + 1; 0 = none
    TStatDrawArray one_ = TStatDrawArray(1);
};

// The class of each number is a value (key 1); list all values lists every class in order.
class TClassOfNumberStat : public TCustomNumbersStat {
public:
    TClassOfNumberStat(const TStatList& list, const TStatClassInfo& cls, int parameter, TLayoutAxis axis);
    void listAllValues(int lastIndex, TStatDrawArray& list) override;
    void valuesOfComb(const TComb& comb, TStatDrawArray& list) override;
    void valuesOfDraw(int index, int lastIndex, bool sorted, TStatDrawArray& list, TStatState& state,
                      TLastValueArray& lastValues) override;
    bool matchTest(const TComb& comb, const TStatMatcher& m) const override;
    // Norm runs: the class of each of the five numbers counted per batch.
    bool countCombValues(const TComb* combs, size_t count, TValueCounts& counts) const override;

protected:
    void addClasses(const uint8_t* nums, TStatDrawArray& list, bool fromDraw);
    TLayoutClasses classes_;
    TValueSlots slots_;
};

// One value (class, count) per class, in class order, including the classes with no number.
// List all values pairs every class with every count 0..listedMaxCount (nothing when negative).
class TClassCountsStat : public TCustomNumbersStat {
public:
    TClassCountsStat(const TStatList& list, const TStatClassInfo& cls, int parameter, TLayoutAxis axis,
                     int listedMaxCount);
    // "%0:d x %1:d" with class and count.
    std::string valueToText(const TStatDraw& value) const override;
    void listAllValues(int lastIndex, TStatDrawArray& list) override;
    void valuesOfComb(const TComb& comb, TStatDrawArray& list) override;
    void valuesOfDraw(int index, int lastIndex, bool sorted, TStatDrawArray& list, TStatState& state,
                      TLastValueArray& lastValues) override;
    std::unique_ptr<const TMatchTables> buildMatchTables(const TStatMatcher& m) const override;
    bool matchTest(const TComb& comb, const TStatMatcher& m) const override;
    void matchChunk(const TComb* combs, size_t count, const TStatMatcher& m, uint8_t* matched) const override;
    bool countCombValues(const TComb* combs, size_t count, TValueCounts& counts) const override;

protected:
    void addCounts(const uint8_t* nums, TStatDrawArray& list, bool fromDraw);
    TLayoutClasses classes_;
    TValueSlots slots_;
    int listedMaxCount_;
    // The count of every class while the values of one draw or combination are formed (zero
    // between calls).
    std::array<uint8_t, 256> classCounts_{};

private:
    // Norm runs over layouts of at most kPackedClasses classes: every class of the order has a
    // 3-bit counter in one word, a number adds one to the counter of its class (bytes beyond the
    // game's numbers add nothing), and the counters of a combination are tallied three classes at
    // a time (groups of 9 bits).
    static constexpr int kPackedClasses = 21;
    static constexpr int kGroupClasses = 3;
    template <int Groups>
    void countPacked(const TComb* combs, size_t count, TValueCounts& counts) const;
    std::array<uint64_t, 256> packedIncrement_{};
    int packedGroups_ = 0;  // 0: too many classes, the plain count
};

// A graph method over one axis: the count of numbers in one class, or the number of distinct
// classes. Values of a draw or combination are the number as key 1; list all values lists 1..listedMax.
class TClassNumberStat : public TCustomGraphStat {
public:
    TClassNumberStat(const TStatList& list, const TStatClassInfo& cls, int parameter, TLayoutAxis axis,
                     int listedMax);
    void listAllValues(int lastIndex, TStatDrawArray& list) override;
    void valuesOfComb(const TComb& comb, TStatDrawArray& list) override;
    void valuesOfDraw(int index, int lastIndex, bool sorted, TStatDrawArray& list, TStatState& state,
                      TLastValueArray& lastValues) override;
    bool matchTest(const TComb& comb, const TStatMatcher& m) const override;
    int32_t numberOfComb(const TComb& nums, int drawIndex, int referenceIndex, bool sorted) const override;
    virtual int numberOf(const uint8_t* nums) const = 0;

protected:
    TLayoutClasses classes_;
    TValueSlots slots_;
    int listedMax_;
};

// The number of distinct classes among the five numbers.
class TDistinctClassesStat : public TClassNumberStat {
public:
    using TClassNumberStat::TClassNumberStat;
    int numberOf(const uint8_t* nums) const override;
    // The distinct count by branch-free comparisons of the five classes, answered from a table.
    void matchChunk(const TComb* combs, size_t count, const TStatMatcher& m, uint8_t* matched) const override;
    // Norm runs: the distinct counts counted per batch.
    bool countCombValues(const TComb* combs, size_t count, TValueCounts& counts) const override;
};

// How many of the five numbers lie in the class given by the instance parameter.
class TCountInClassStat : public TClassNumberStat {
public:
    using TClassNumberStat::TClassNumberStat;
    int numberOf(const uint8_t* nums) const override;
    // The count as a sum of five membership bytes, answered from a table.
    void matchChunk(const TComb* combs, size_t count, const TStatMatcher& m, uint8_t* matched) const override;
    // Norm runs: the counts counted per batch.
    bool countCombValues(const TComb* combs, size_t count, TValueCounts& counts) const override;
};

// Tuples of the classes of k positions (keys 1..k): every choice of k positions in lexicographic
// order ("mix"), or only k adjacent positions ("seq"). Values of draws only; nothing is listed and
// a single combination gives no values. The text is the k classes joined by ":".
class TClassTupleStat : public TCustomNumbersStat {
public:
    TClassTupleStat(const TStatList& list, const TStatClassInfo& cls, int parameter, TLayoutAxis axis, int k,
                    bool adjacent);
    std::string valueToText(const TStatDraw& value) const override;
    void valuesOfDraw(int index, int lastIndex, bool sorted, TStatDrawArray& list, TStatState& state,
                      TLastValueArray& lastValues) override;
    std::unique_ptr<const TMatchTables> buildMatchTables(const TStatMatcher& m) const override;
    bool matchTest(const TComb& comb, const TStatMatcher& m) const override;
    // The tuples whose first two classes form a selected pair are marked with one byte load each;
    // only the combinations with a marked tuple are looked up in full.
    void matchChunk(const TComb* combs, size_t count, const TStatMatcher& m, uint8_t* matched) const override;

private:
    uint64_t packedTuple(const uint8_t* nums, int t) const;
    TLayoutClasses classes_;
    TValueSlots slots_;
    int k_;
    std::array<std::array<uint8_t, 4>, 10> positions_{};
    int tupleCount_ = 0;
    unsigned prefixMask_ = 0;   // the pairs of positions the tuples start with (pairBit)
    bool classesBelowLimit_;    // every class is below TKeyPairBytes::kLimit
};

// A tuple class of one axis, size and rule (TstCombChnMix2 = TLayoutTupleStat<Channel, 2, false>).
template <TLayoutAxis A, int K, bool Adjacent>
class TLayoutTupleStat : public TClassTupleStat {
public:
    TLayoutTupleStat(const TStatList& list, const TStatClassInfo& cls, int parameter)
        : TClassTupleStat(list, cls, parameter, A, K, Adjacent) {}
};

}  // namespace tavlora
