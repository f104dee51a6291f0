#pragma once
// A prepared filter: the match test of one statistics method against one selection, made once
// per filter run by TCustomStat::prepareFilter. The matcher owns a copy of the selection and
// every lookup table built from it and never changes afterwards, so any number of threads may
// test combinations at once, and no other selection (wherever it lives in memory) can ever be
// answered from its tables. It refers to the method that made it, which must outlive it.
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <typeinfo>

#include "core/records.h"
#include "stats/stat_types.h"

namespace tavlora {

class TCustomStat;

// Filter modes: include keeps the combinations whose match test is true, exclude those for which
// it is false.
enum class TFilterMode : int { Include = 0, Exclude = 1 };

// The lookup tables a method builds from a selection for its match test, beyond the key-1 sets
// every matcher has. A method derives its own and reads them back with TStatMatcher::tables<T>().
struct TMatchTables {
    virtual ~TMatchTables() = default;
};

class TStatMatcher {
public:
    // Builds the key-1 sets of the selection, then the method's own tables.
    TStatMatcher(const TCustomStat& method, TStatDrawArray selection, int referenceIndex, bool sorted,
                 TFilterMode mode);
    TStatMatcher(const TStatMatcher&) = delete;
    TStatMatcher& operator=(const TStatMatcher&) = delete;

    // True when the combination carries one of the selected values.
    bool matches(const TComb& comb) const;
    // matched[k] = 1 when combs[k] matches, else 0, for `count` consecutive combinations (the
    // method's fast loop where it has one; the answers equal matches()).
    void matchChunk(const TComb* combs, std::size_t count, uint8_t* matched) const;
    // Whether the filter run keeps the combination: the match in include mode, no match in
    // exclude mode.
    bool keeps(const TComb& comb) const { return matches(comb) == (mode_ == TFilterMode::Include); }

    const TStatDrawArray& selection() const { return selection_; }
    // The draw the candidates follow (the archive's last index minus the offset).
    int referenceIndex() const { return referenceIndex_; }
    bool sorted() const { return sorted_; }
    TFilterMode mode() const { return mode_; }

    // Some selected record has key 1 = k1 and keys 2..4 equal to 0 (the test of all four keys).
    bool selectedExact(int k1) const { return key1_.hasExact(selection_, k1); }
    // Some selected record has key 1 = k1, whatever its other keys.
    bool selectedKey1(int k1) const { return key1_.hasAny(selection_, k1); }
    // table[k] = selectedExact(k) for k in 0..size-1: a lookup table for chunk match tests.
    void selectedExactTable(uint8_t* table, std::size_t size) const { key1_.exactTable(selection_, table, size); }

    // The method's own tables, as the type its buildMatchTables made (checked in debug builds).
    template <typename T>
    const T& tables() const {
        static_assert(std::is_base_of_v<TMatchTables, T>);
        assert(tables_ && typeid(*tables_) == typeid(T));
        return static_cast<const T&>(*tables_);
    }

private:
    const TCustomStat& method_;
    const TStatDrawArray selection_;
    const int referenceIndex_;
    const bool sorted_;
    const TFilterMode mode_;
    const TKey1Set key1_;
    std::unique_ptr<const TMatchTables> tables_;
};

}  // namespace tavlora
