#pragma once
// The value record of the statistics methods and the small tables they work with: the value
// list (TStatDrawArray) with its add / sort / summary operations, the selection helpers of the
// match tests, the last-value table, the counter table and the state block; the kind sets and
// the method groups.
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace tavlora {

// One distinct value of a method with its statistics.
struct TStatDraw {
    int32_t lastDraw = 0;     // draw number of the most recent occurrence; 0 when never seen
    int32_t depth = 0;        // draws back from the end of the window (1 = last draw); 0 when never seen
    int32_t runningDraw = 0;  // latest occurrence seen while draws are accumulated
    uint16_t minPeriod = 0;   // shortest distance between consecutive occurrences; 0 = none yet
    uint16_t maxPeriod = 0;   // longest such distance; 0 = none yet
    int32_t count = 0;        // number of occurrences
    int32_t norm = 0;         // expected count from the full combination set (statistics view)
    std::array<uint16_t, 4> keys{};

    // Keys 1-2 (variant 1) or 3-4 (variant 2) read as one signed 32-bit number, the low half first.
    int32_t keys12() const { return joinKeys(keys[0], keys[1]); }
    int32_t keys34() const { return joinKeys(keys[2], keys[3]); }
    // The setters write the key area with one 64-bit store, so that the 64-bit read of the keys
    // that follows in addValue is forwarded from the store instead of stalling on partial ones.
    void setKeys12(int32_t v) {
        storePacked((packedKeys() & 0xFFFFFFFF00000000ull) | static_cast<uint64_t>(static_cast<uint32_t>(v)));
    }
    void setKeys34(int32_t v) {
        storePacked((packedKeys() & 0x00000000FFFFFFFFull) | (static_cast<uint64_t>(static_cast<uint32_t>(v)) << 32));
    }
    void setKeys(uint16_t k1, uint16_t k2 = 0, uint16_t k3 = 0, uint16_t k4 = 0) {
        storePacked(uint64_t{k1} | (uint64_t{k2} << 16) | (uint64_t{k3} << 32) | (uint64_t{k4} << 48));
    }
    // Sets the four keys from their packed form (key 1 in the low 16 bits).
    void setPackedKeys(uint64_t v) { storePacked(v); }
    // One 64-bit comparison (the array comparison may become a call of memcmp).
    bool sameKeys(const TStatDraw& o) const { return packedKeys() == o.packedKeys(); }
    // The four keys as one 64-bit word, for fast equality tests.
    uint64_t packedKeys() const { return packKeys(keys); }
    static uint64_t packKeys(const std::array<uint16_t, 4>& k) {
        if constexpr (std::endian::native == std::endian::little) {
            uint64_t v;
            std::memcpy(&v, k.data(), sizeof v);
            return v;
        } else {
            return uint64_t{k[0]} | (uint64_t{k[1]} << 16) | (uint64_t{k[2]} << 32) | (uint64_t{k[3]} << 48);
        }
    }
    void storePacked(uint64_t v) {
        static_assert(sizeof(keys) == sizeof(uint64_t));
        if constexpr (std::endian::native == std::endian::little) {
            std::memcpy(keys.data(), &v, sizeof v);
        } else {
            keys = {static_cast<uint16_t>(v), static_cast<uint16_t>(v >> 16), static_cast<uint16_t>(v >> 32),
                    static_cast<uint16_t>(v >> 48)};
        }
    }
    static int32_t joinKeys(uint16_t lo, uint16_t hi) {
        return static_cast<int32_t>(static_cast<uint32_t>(lo) | (static_cast<uint32_t>(hi) << 16));
    }
    bool operator==(const TStatDraw&) const = default;
};

using TStatDrawArray = std::vector<TStatDraw>;

// Adds a value to a value list: an entry with the same four keys gains the count, keeps the most
// recent occurrence and, when fromDraw is set, measures the period since its previous occurrence;
// a new value is appended (norm 0).
void addValue(TStatDrawArray& list, const TStatDraw& value, bool fromDraw);
// Index of the entry with the same four keys as `keys`, or -1.
int findValue(const TStatDrawArray& list, const TStatDraw& keys);
// Stable ascending sort by key 1, key 2, key 3, key 4 (unsigned 16-bit comparisons).
void sortValues(TStatDrawArray& list);
// Adds the counts of `from` into `into` by keys (entries missing from `into` are appended):
// the merge of value lists collected over separate chunks of a combination list.
void mergeValueCounts(TStatDrawArray& into, const TStatDrawArray& from);

// Counts of values keyed by their packed keys, for the norm runs: the values of every
// combination are counted here (per worker) instead of being searched for in a value list.
// Values with key 1 below kDirect and the other keys 0 go to a direct table, the others to an
// open-addressing hash table. A value added with count 0 is still listed.
class TValueCounts {
public:
    static constexpr uint64_t kDirect = 4096;
    TValueCounts();
    void add(uint64_t packedKeys, int32_t count) {
        if (packedKeys < kDirect) {
            int64_t& slot = direct_[static_cast<size_t>(packedKeys)];
            slot = (slot == 0 ? 1 : slot) + count;  // stored plus one: 0 means never added
        } else {
            addOther(packedKeys, count);
        }
    }
    // Adds the counts of every entry of a value list.
    void addList(const TStatDrawArray& list) {
        for (const TStatDraw& v : list) add(v.packedKeys(), v.count);
    }
    // Adds the counts of another table.
    void merge(const TValueCounts& other);
    // The counted values (keys and count; counts truncated to 32 bits), in ascending order of
    // key 1, key 2, key 3, key 4.
    TStatDrawArray values() const;

private:
    struct Slot {
        uint64_t key = 0;  // 0: empty (key 0 is always direct)
        int64_t count = 0;
    };
    void addOther(uint64_t key, int64_t count);
    void grow();
    std::vector<int64_t> direct_;
    std::vector<Slot> slots_;
    size_t used_ = 0;
};

struct TStatSummary {
    int64_t total = 0;     // sum of all counts
    int32_t minCount = 0;  // smallest count (0 for an empty list)
    int32_t maxCount = 0;  // largest count
    int32_t maxDepth = 0;  // largest depth
};
TStatSummary summarize(const TStatDrawArray& list);

// --- selection helpers: true when some selected record matches ---------------------------
bool selHasKeys(const TStatDrawArray& sel, uint16_t k1, uint16_t k2, uint16_t k3, uint16_t k4);
// Key t (1..4) equal to x.
bool selHasKey(const TStatDrawArray& sel, int t, uint16_t x);
// Byte t (1..8) of the key area equal to x (byte 1 = low byte of key 1, byte 2 its high byte, ...).
bool selHasByte(const TStatDrawArray& sel, int t, uint8_t x);
// Keys 1-2 (variant 1) or keys 3-4 (variant 2) as one signed 32-bit number equal to x.
bool selHasInt(const TStatDrawArray& sel, int variant, int32_t x);
// Keys 1-2 as one 32-bit number equal to x and keys 3-4 as one 32-bit number equal to y.
bool selHasPair(const TStatDrawArray& sel, uint16_t x, uint16_t y);

// A bit set of the key-1 values of a selection, built once per filter run so that a match test
// on key 1 is one bit lookup. `exact` holds the records whose keys 2..4 are 0 (the test of all four
// keys), `any` every record whatever its other keys (the test of key 1 alone). Values of key 1
// beyond the set's range are answered by a scan of the selection, which must be the one the set
// was built from (the filter's matcher keeps both together).
class TKey1Set {
public:
    static constexpr int kBits = 1024;
    explicit TKey1Set(const TStatDrawArray& sel);
    bool hasExact(const TStatDrawArray& sel, int k1) const {
        if (k1 >= 0 && k1 < kBits) return test(exact_, k1);
        return k1 >= 0 && k1 <= 0xFFFF && highExact_ && selHasKeys(sel, static_cast<uint16_t>(k1), 0, 0, 0);
    }
    bool hasAny(const TStatDrawArray& sel, int k1) const {
        if (k1 >= 0 && k1 < kBits) return test(any_, k1);
        return k1 >= 0 && k1 <= 0xFFFF && selHasKey(sel, 1, static_cast<uint16_t>(k1));
    }

    // table[k] = hasExact(sel, k) for k in 0..size-1.
    void exactTable(const TStatDrawArray& sel, uint8_t* table, size_t size) const;

private:
    using Bits = std::array<uint64_t, kBits / 64>;
    std::array<uint8_t, kBits> exactBytes_{};
    bool highExact_ = false;  // some record has key 1 >= kBits and keys 2..4 equal to 0
    static bool test(const Bits& b, int k) { return (b[static_cast<size_t>(k) >> 6] >> (k & 63)) & 1u; }
    Bits exact_{};
    Bits any_{};
};

// --- last-value table --------------------------------------------------------------------
struct TLastValue {
    int32_t position = 0;
    std::array<uint16_t, 4> keys{};
};
using TLastValueArray = std::vector<TLastValue>;
// Stores the new position of the entry with these keys and returns new - old position; appends the
// entry and returns -1 when absent.
int32_t noteOccurrence(TLastValueArray& table, int32_t position, uint16_t k1, uint16_t k2, uint16_t k3, uint16_t k4);

// --- counter table -----------------------------------------------------------------------
struct TStatSimple {
    int32_t key = 0;
    int32_t count = 0;
};
using TStatSimpleArray = std::vector<TStatSimple>;
// Present key: adds amount when amount > 0; absent key: appends (key, amount).
void addToCounter(TStatSimpleArray& table, int32_t key, int32_t amount);
// Straight insertion sort by ascending key.
void sortCounters(TStatSimpleArray& table);

// --- state block -------------------------------------------------------------------------
// Scratch memory zeroed at the start of each statistics run and handed to every call of values
// of a draw of that run; its content is private to the method.
class TStatState {
public:
    static constexpr size_t kSize = 8192;
    void clear() { std::memset(bytes_, 0, sizeof bytes_); }
    // The block seen as a T (a trivially copyable record that fits the block).
    template <typename T>
    T& as() {
        static_assert(std::is_trivially_copyable_v<T> && sizeof(T) <= kSize && alignof(T) <= 16);
        return *reinterpret_cast<T*>(bytes_);
    }
    const uint8_t* data() const { return bytes_; }

private:
    alignas(16) uint8_t bytes_[kSize]{};
};

// --- kinds -------------------------------------------------------------------------------
// Kind flags, shown as the letters S N D P G in this order.
enum TStatKind : uint8_t {
    kindS = 1u << 0,  // depends on the positions of the numbers
    kindN = 1u << 1,  // a norm can be computed over the full combination set
    kindD = 1u << 2,  // compares a draw with the draw before it; the reference draw is loaded
    kindP = 1u << 3,  // period methods
    kindG = 1u << 4,  // graph method (added by the kind set with graph mark)
};
using TStatKinds = uint8_t;
// The letters of the set in the order S N D P G ("NG", "SNG"); empty for the empty set.
std::string kindLetters(TStatKinds kinds);

// --- groups ------------------------------------------------------------------------------
inline constexpr int kStatGroupCount = 13;
// Three-letter code ("num") and caption of a group; empty for an unknown group.
std::string_view groupCode(int group);
std::string_view groupCaption(int group);
// "{ sum } Сумма чисел тиража"; "#ERROR#" for an unknown group.
std::string groupText(int group);

}  // namespace tavlora
