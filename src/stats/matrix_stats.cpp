// Matrix statistics (group 4): the numbers laid out row by row in a matrix of W columns (the
// settings' matrix width, read when a method is created). Every member exists for columns and for
// rows: the occupied columns, the count per column, the number of distinct columns, the pattern of
// occupied columns, the columns with vertically adjacent numbers, the count in one column and the
// tuples of columns; the row members exchange columns and rows.
#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/format.h"
#include "core/game.h"
#include "core/numbers.h"
#include "core/text_forms.h"
#include "stats/layout_stats.h"
#include "stats/stat_classes.h"
#include "stats/stat_list.h"

namespace tavlora {

namespace {

constexpr int kMatrixGroup = 4;

int widthOf(const TStatList& l) { return layoutMatrixWidth(l.settings()); }
int rowsOf(const TStatList& l) { return matrixRows(widthOf(l)); }

// Decimal text of the number hi * 2^64 + lo, at least three digits.
std::string wideDecimal(uint64_t hi, uint64_t lo) {
    uint32_t limbs[4] = {static_cast<uint32_t>(hi >> 32), static_cast<uint32_t>(hi),
                         static_cast<uint32_t>(lo >> 32), static_cast<uint32_t>(lo)};
    std::string digits;
    bool zero = false;
    while (!zero) {
        uint64_t rem = 0;
        zero = true;
        for (uint32_t& limb : limbs) {
            const uint64_t cur = (rem << 32) | limb;
            limb = static_cast<uint32_t>(cur / 10);
            rem = cur % 10;
            zero = zero && limb == 0;
        }
        digits.insert(digits.begin(), static_cast<char>('0' + rem));
    }
    while (digits.size() < 3) digits.insert(digits.begin(), '0');
    return digits;
}

}  // namespace

// The pattern of occupied columns (rows) read from column 1 to W, column 1 the most significant bit
// ("1010000 (080)" for columns 1 and 3 of seven). Up to 64 columns the value is the mask itself over
// keys 1..4 (key 1 lowest; keys 1-2 alone up to 32 columns). A wider pattern, which does not fit the
// keys, is held as the list of its occupied columns (at most five, ascending, one byte each), so
// that different patterns never share a value.
class TMatrixMaskStat : public TCustomNumbersStat {
public:
    TMatrixMaskStat(const TStatList& l, const TStatClassInfo& c, int p, TLayoutAxis axis)
        : TCustomNumbersStat(l, c, p), classes_(l.settings(), axis),
          length_(axis == TLayoutAxis::Column ? classes_.tables.matrixWidth : classes_.tables.matrixRows) {
        for (int n = 0; n < 256; ++n) {
            const int cls = classes_.of[static_cast<size_t>(n)];
            bit_[static_cast<size_t>(n)] = cls >= 1 && cls <= length_ && length_ <= 64 ? uint64_t{1} << (length_ - cls) : 0;
        }
    }

    uint64_t packedOf(const uint8_t* nums) const {
        if (length_ <= 64) return bit_[nums[0]] | bit_[nums[1]] | bit_[nums[2]] | bit_[nums[3]] | bit_[nums[4]];
        TClassBits marked;
        for (int p = 0; p < 5; ++p) marked.set(classes_.of[nums[p]]);
        return packedOf(marked);
    }
    std::string valueToText(const TStatDraw& value) const override {
        const TClassBits marked = markedOf(value.packedKeys());
        std::string text;
        uint64_t hi = 0, lo = 0;
        for (int c = 1; c <= length_; ++c) {
            const bool on = marked.has(c);
            text += on ? '1' : '0';
            if (on) (length_ - c >= 64 ? hi : lo) |= uint64_t{1} << ((length_ - c) & 63);
        }
        return fmt("%s (%s)", text, wideDecimal(hi, lo));
    }
    // The first L characters (not bytes: a Cyrillic letter is two bytes of UTF-8): "1" marks a
    // column. The value's keys 1-2 as one number (the mask itself up to 31 columns).
    int32_t textToValue(std::string_view text) const override {
        TClassBits marked;
        int c = 0;
        for (const char ch : text) {
            if ((static_cast<unsigned char>(ch) & 0xC0) == 0x80) continue;  // inside a character
            if (++c > length_) break;
            if (ch == '1') marked.set(c);
        }
        return static_cast<int32_t>(static_cast<uint32_t>(packedOf(marked)));
    }
    void valuesOfComb(const TComb& comb, TStatDrawArray& list) override {
        TCustomNumbersStat::valuesOfComb(comb, list);
        addPacked(packedOf(comb.n.data()), list, false);
    }
    void valuesOfDraw(int index, int lastIndex, bool sorted, TStatDrawArray& list, TStatState& state,
                      TLastValueArray& lastValues) override {
        TCustomNumbersStat::valuesOfDraw(index, lastIndex, sorted, list, state, lastValues);
        addPacked(packedOf(current_.nums.data()), list, true);
    }
    std::unique_ptr<const TMatchTables> buildMatchTables(const TStatMatcher& m) const override {
        return std::make_unique<TPackedKeyTables>(m.selection());
    }
    bool matchTest(const TComb& comb, const TStatMatcher& m) const override {
        return m.tables<TPackedKeyTables>().keys.contains(packedOf(comb.n.data()));
    }
    // Norm runs: the pattern of each combination counted straight into the counts.
    bool countCombValues(const TComb* combs, size_t count, TValueCounts& counts) const override {
        for (size_t k = 0; k < count; ++k) counts.add(packedOf(combs[k].n.data()), 1);
        return true;
    }

private:
    uint64_t packedOf(const TClassBits& marked) const {
        if (length_ <= 64) {
            uint64_t mask = 0;
            for (int c = 1; c <= length_; ++c)
                if (marked.has(c)) mask |= uint64_t{1} << (length_ - c);
            return mask;
        }
        uint64_t packed = 0;
        int j = 0;
        for (int c = 1; c <= length_ && j < 8; ++c)
            if (marked.has(c)) packed |= uint64_t{static_cast<uint8_t>(c)} << (8 * j++);
        return packed;
    }
    TClassBits markedOf(uint64_t packed) const {
        TClassBits marked;
        if (length_ <= 64) {
            for (int c = 1; c <= length_; ++c)
                if ((packed >> (length_ - c)) & 1u) marked.set(c);
        } else {
            for (int j = 0; j < 8; ++j) {
                const int c = static_cast<int>((packed >> (8 * j)) & 0xFF);
                if (c >= 1 && c <= length_) marked.set(c);
            }
        }
        return marked;
    }
    void addPacked(uint64_t packed, TStatDrawArray& list, bool fromDraw) {
        working_.setKeys(static_cast<uint16_t>(packed), static_cast<uint16_t>(packed >> 16),
                         static_cast<uint16_t>(packed >> 32), static_cast<uint16_t>(packed >> 48));
        slots_.add(list, working_, fromDraw);
    }

    TLayoutClasses classes_;
    int length_;
    std::array<uint64_t, 256> bit_{};
    TValueSlots slots_;
};

// Numbers that touch in the matrix: two numbers of one column whose rows differ by 1 (for rows: of
// one row whose columns differ by 1). For each line (column or row) the count of such pairs.
class TAdjacency {
public:
    TAdjacency(const TSettings& settings, TLayoutAxis line)
        : line_(settings, line), across_(settings, line == TLayoutAxis::Column ? TLayoutAxis::Row : TLayoutAxis::Column) {
        for (int a = 0; a < kTouchSide; ++a)
            for (int b = 0; b < kTouchSide; ++b) {
                const int l = line_.of[static_cast<size_t>(a)];
                if (l == 0 || l != line_.of[static_cast<size_t>(b)]) continue;
                if (std::abs(across_.of[static_cast<size_t>(a)] - across_.of[static_cast<size_t>(b)]) != 1) continue;
                if (l > 64) touchFits_ = false;
                else touch_[static_cast<size_t>(a * kTouchSide + b)] = uint64_t{1} << (l - 1);
            }
    }

    // Walks the combinations of a chunk: the line bits of the ten pairs of the numbers (bit l-1
    // for a pair of line l that touches, else 0), the six pairs among the first four numbers kept
    // while those four repeat (neighbouring combinations of a list mostly differ in the last number
    // only), so that a combination mostly costs the four pairs of its last number.
    class TWalker {
    public:
        explicit TWalker(const TAdjacency& adjacency) : a_(adjacency) {}
        // Takes the next combination; false when a number is above 69 or a line above 64, which the
        // table does not cover (then linesOf answers).
        bool next(const uint8_t* nums) {
            uint32_t head = 0;
            std::memcpy(&head, nums, sizeof head);
            if (!started_ || head != head_) [[unlikely]]
                takeHead(nums, head);
            const unsigned last = nums[4];
            if (!headCovered_ || last >= kTouchSide) [[unlikely]]
                return false;
            bits_[6] = rows_[0][last];
            bits_[7] = rows_[1][last];
            bits_[8] = rows_[2][last];
            bits_[9] = rows_[3][last];
            set_ = headSet_ | bits_[6] | bits_[7] | bits_[8] | bits_[9];
            return true;
        }
        // The lines of the pairs that touch, as bits.
        uint64_t lines() const { return set_; }
        // How many pairs touch in the line of `bit`.
        int pairsOf(uint64_t bit) const {
            int pairs = 0;
            for (const uint64_t b : bits_) pairs += b == bit;
            return pairs;
        }

    private:
        void takeHead(const uint8_t* nums, uint32_t head) {
            started_ = true;
            head_ = head;
            headCovered_ = a_.touchFits_ && std::max({nums[0], nums[1], nums[2], nums[3]}) < kTouchSide;
            if (!headCovered_) return;
            for (size_t i = 0; i < 4; ++i) rows_[i] = a_.touch_.data() + nums[i] * kTouchSide;
            bits_[0] = rows_[0][nums[1]];
            bits_[1] = rows_[0][nums[2]];
            bits_[2] = rows_[0][nums[3]];
            bits_[3] = rows_[1][nums[2]];
            bits_[4] = rows_[1][nums[3]];
            bits_[5] = rows_[2][nums[3]];
            headSet_ = bits_[0] | bits_[1] | bits_[2] | bits_[3] | bits_[4] | bits_[5];
        }

        const TAdjacency& a_;
        bool started_ = false;
        bool headCovered_ = false;
        uint32_t head_ = 0;
        std::array<const uint64_t*, 4> rows_{};
        std::array<uint64_t, 10> bits_{};
        uint64_t headSet_ = 0;
        uint64_t set_ = 0;
    };
    // The number of lines in a walker's set of lines. Five numbers hold at most two lines with
    // touching numbers (a touching pair is two different numbers of its line, so three lines would
    // need six numbers): the count is whether the set has a line and whether it has one more,
    // without a population count (a library call where the processor's instruction is not assumed).
    static int lineCount(uint64_t set) { return (set != 0) + ((set & (set - 1)) != 0); }

    // The lines with at least one adjacent pair, in the order they are first met over the pairs
    // (i < j), with their pair counts; returns how many.
    int linesOf(const uint8_t* nums, std::array<uint8_t, 10>& lines, std::array<uint8_t, 10>& pairs) const {
        int count = 0;
        for (int i = 0; i < 5; ++i)
            for (int j = i + 1; j < 5; ++j) {
                const int li = line_.of[nums[i]];
                if (li == 0 || li != line_.of[nums[j]]) continue;
                if (std::abs(across_.of[nums[i]] - across_.of[nums[j]]) != 1) continue;
                int k = 0;
                while (k < count && lines[static_cast<size_t>(k)] != li) ++k;
                if (k == count) {
                    lines[static_cast<size_t>(count)] = static_cast<uint8_t>(li);
                    pairs[static_cast<size_t>(count++)] = 0;
                }
                ++pairs[static_cast<size_t>(k)];
            }
        return count;
    }

private:
    static constexpr int kTouchSide = kMaxNumber + 1;  // numbers 0..69
    TLayoutClasses line_;
    TLayoutClasses across_;
    // touch_[a * 70 + b]: the bit of the line of a and b when they touch, else 0.
    std::vector<uint64_t> touch_ = std::vector<uint64_t>(kTouchSide * kTouchSide, 0);
    bool touchFits_ = true;
};

// (line, pair count + 1) for every line holding adjacent numbers; "3 x 3".
class TAdjacentLinesStat : public TCustomNumbersStat {
public:
    TAdjacentLinesStat(const TStatList& l, const TStatClassInfo& c, int p, TLayoutAxis line)
        : TCustomNumbersStat(l, c, p), adjacency_(l.settings(), line) {}

    std::string valueToText(const TStatDraw& value) const override {
        return fmt("%0:d x %1:d", value.keys[0], value.keys[1]);
    }
    void valuesOfComb(const TComb& comb, TStatDrawArray& list) override {
        TCustomNumbersStat::valuesOfComb(comb, list);
        addLines(comb.n.data(), list, false);
    }
    void valuesOfDraw(int index, int lastIndex, bool sorted, TStatDrawArray& list, TStatState& state,
                      TLastValueArray& lastValues) override {
        TCustomNumbersStat::valuesOfDraw(index, lastIndex, sorted, list, state, lastValues);
        addLines(current_.nums.data(), list, true);
    }
    // hit[line * 12 + pairs + 1] for lines 1..64 and 1..10 pairs, the selected pairs beside.
    struct TLineHits final : TMatchTables {
        explicit TLineHits(const TStatDrawArray& sel) {
            pairs.build(sel);
            for (int l = 1; l <= 64; ++l)
                for (int k = 2; k <= 11; ++k) hit[static_cast<size_t>(l * 12 + k)] = pairs.has(sel, l, k) ? 1 : 0;
        }
        TPairSelection pairs;
        std::array<uint8_t, 65 * 12> hit{};
    };
    std::unique_ptr<const TMatchTables> buildMatchTables(const TStatMatcher& m) const override {
        return std::make_unique<TLineHits>(m.selection());
    }
    void matchChunk(const TComb* combs, size_t count, const TStatMatcher& m, uint8_t* matched) const override {
        const auto& hit = m.tables<TLineHits>().hit;
        TAdjacency::TWalker walker(adjacency_);
        for (size_t k = 0; k < count; ++k) {
            if (!walker.next(combs[k].n.data())) {
                matched[k] = matchTest(combs[k], m) ? 1 : 0;
                continue;
            }
            uint8_t any = 0;
            for (uint64_t lines = walker.lines(); lines != 0; lines &= lines - 1) {
                const uint64_t bit = lines & (~lines + 1);
                any |= hit[static_cast<size_t>((std::countr_zero(bit) + 1) * 12 + walker.pairsOf(bit) + 1)];
            }
            matched[k] = any;
        }
    }
    // Norm runs: (line, pairs + 1) of every line that holds touching numbers, once per combination.
    bool countCombValues(const TComb* combs, size_t count, TValueCounts& counts) const override {
        std::vector<int32_t> seen(65 * 12, 0);
        TAdjacency::TWalker walker(adjacency_);
        std::array<uint8_t, 10> lines{}, pairs{};
        for (size_t k = 0; k < count; ++k) {
            const uint8_t* n = combs[k].n.data();
            if (!walker.next(n)) {
                const int found = adjacency_.linesOf(n, lines, pairs);
                for (size_t i = 0; i < static_cast<size_t>(found); ++i)
                    counts.add(TPackedKeySet::pack(lines[i], pairs[i] + 1u), 1);
                continue;
            }
            for (uint64_t set = walker.lines(); set != 0; set &= set - 1) {
                const uint64_t bit = set & (~set + 1);
                ++seen[static_cast<size_t>((std::countr_zero(bit) + 1) * 12 + walker.pairsOf(bit) + 1)];
            }
        }
        for (size_t i = 0; i < seen.size(); ++i)
            if (seen[i] != 0) counts.add(TPackedKeySet::pack(i / 12, i % 12), seen[i]);
        return true;
    }
    bool matchTest(const TComb& comb, const TStatMatcher& m) const override {
        const TPairSelection& selected = m.tables<TLineHits>().pairs;
        std::array<uint8_t, 10> lines{}, pairs{};
        const int count = adjacency_.linesOf(comb.n.data(), lines, pairs);
        for (int k = 0; k < count; ++k)
            if (selected.has(m.selection(), lines[static_cast<size_t>(k)], pairs[static_cast<size_t>(k)] + 1))
                return true;
        return false;
    }

private:
    void addLines(const uint8_t* nums, TStatDrawArray& list, bool fromDraw) {
        std::array<uint8_t, 10> lines{}, pairs{};
        const int count = adjacency_.linesOf(nums, lines, pairs);
        for (int k = 0; k < count; ++k) {
            working_.setKeys(lines[static_cast<size_t>(k)], static_cast<uint16_t>(pairs[static_cast<size_t>(k)] + 1));
            slots_.add(list, working_, fromDraw);
        }
    }

    TAdjacency adjacency_;
    TValueSlots slots_;
};

// Number of lines holding adjacent numbers (graph); nothing pre-listed.
class TAdjacentCountStat : public TCustomGraphStat {
public:
    TAdjacentCountStat(const TStatList& l, const TStatClassInfo& c, int p, TLayoutAxis line)
        : TCustomGraphStat(l, c, p), adjacency_(l.settings(), line) {}

    int countOf(const uint8_t* nums) const {
        std::array<uint8_t, 10> lines{}, pairs{};
        return adjacency_.linesOf(nums, lines, pairs);
    }
    void valuesOfComb(const TComb& comb, TStatDrawArray& list) override {
        TCustomGraphStat::valuesOfComb(comb, list);
        working_.setKeys(static_cast<uint16_t>(countOf(comb.n.data())));
        slots_.add(list, working_, false);
    }
    void valuesOfDraw(int index, int lastIndex, bool sorted, TStatDrawArray& list, TStatState& state,
                      TLastValueArray& lastValues) override {
        TCustomGraphStat::valuesOfDraw(index, lastIndex, sorted, list, state, lastValues);
        working_.setKeys(static_cast<uint16_t>(countOf(current_.nums.data())));
        slots_.add(list, working_, true);
    }
    bool matchTest(const TComb& comb, const TStatMatcher& m) const override {
        return m.selectedExact(countOf(comb.n.data()));
    }
    int32_t numberOfComb(const TComb& nums, int, int, bool) const override { return countOf(nums.n.data()); }

    // Whether each count 0..10 is selected.
    struct TCountHits final : TMatchTables {
        std::array<uint8_t, 11> hit{};
    };
    std::unique_ptr<const TMatchTables> buildMatchTables(const TStatMatcher& m) const override {
        auto t = std::make_unique<TCountHits>();
        m.selectedExactTable(t->hit.data(), t->hit.size());
        return t;
    }
    // The count is the number of lines among the touching pairs' line bits.
    void matchChunk(const TComb* combs, size_t count, const TStatMatcher& m, uint8_t* matched) const override {
        const auto& hit = m.tables<TCountHits>().hit;
        TAdjacency::TWalker walker(adjacency_);
        for (size_t k = 0; k < count; ++k) {
            const uint8_t* n = combs[k].n.data();
            const int c = walker.next(n) ? TAdjacency::lineCount(walker.lines()) : countOf(n);
            matched[k] = hit[static_cast<size_t>(c)];
        }
    }
    // Norm runs: one value per combination, key 1 the count.
    bool countCombValues(const TComb* combs, size_t count, TValueCounts& counts) const override {
        // The counts 1 and 2 of the walked combinations are summed in registers (the rest of those
        // have count 0), the others tallied by their plain count.
        std::array<int32_t, 11> seen{};
        int32_t walked = 0, one = 0, two = 0;
        TAdjacency::TWalker walker(adjacency_);
        for (size_t k = 0; k < count; ++k) {
            const uint8_t* n = combs[k].n.data();
            if (!walker.next(n)) [[unlikely]] {
                ++seen[static_cast<size_t>(countOf(n))];
                continue;
            }
            const int c = TAdjacency::lineCount(walker.lines());
            ++walked;
            one += c == 1;
            two += c == 2;
        }
        seen[0] += walked - one - two;
        seen[1] += one;
        seen[2] += two;
        for (size_t c = 0; c < seen.size(); ++c)
            if (seen[c] != 0) counts.add(c, seen[c]);
        return true;
    }

private:
    TAdjacency adjacency_;
    TValueSlots slots_;
};

class TstColumns : public TClassOfNumberStat {
public:
    TstColumns(const TStatList& l, const TStatClassInfo& c, int p) : TClassOfNumberStat(l, c, p, TLayoutAxis::Column) {}
};
class TstRows : public TClassOfNumberStat {
public:
    TstRows(const TStatList& l, const TStatClassInfo& c, int p) : TClassOfNumberStat(l, c, p, TLayoutAxis::Row) {}
};
class TstColValues : public TClassCountsStat {
public:
    TstColValues(const TStatList& l, const TStatClassInfo& c, int p)
        : TClassCountsStat(l, c, p, TLayoutAxis::Column, std::min(rowsOf(l), 5)) {}
};
class TstRowValues : public TClassCountsStat {
public:
    TstRowValues(const TStatList& l, const TStatClassInfo& c, int p)
        : TClassCountsStat(l, c, p, TLayoutAxis::Row, std::min(widthOf(l), 5)) {}
};
class TstColCount : public TDistinctClassesStat {
public:
    TstColCount(const TStatList& l, const TStatClassInfo& c, int p)
        : TDistinctClassesStat(l, c, p, TLayoutAxis::Column, std::min(widthOf(l), 5)) {}
};
class TstRowCount : public TDistinctClassesStat {
public:
    TstRowCount(const TStatList& l, const TStatClassInfo& c, int p)
        : TDistinctClassesStat(l, c, p, TLayoutAxis::Row, std::min(rowsOf(l), 5)) {}
};
class TstColMask : public TMatrixMaskStat {
public:
    TstColMask(const TStatList& l, const TStatClassInfo& c, int p) : TMatrixMaskStat(l, c, p, TLayoutAxis::Column) {}
};
class TstRowMask : public TMatrixMaskStat {
public:
    TstRowMask(const TStatList& l, const TStatClassInfo& c, int p) : TMatrixMaskStat(l, c, p, TLayoutAxis::Row) {}
};
class TstColAjacent : public TAdjacentLinesStat {
public:
    TstColAjacent(const TStatList& l, const TStatClassInfo& c, int p)
        : TAdjacentLinesStat(l, c, p, TLayoutAxis::Column) {}
};
class TstRowAjacent : public TAdjacentLinesStat {
public:
    TstRowAjacent(const TStatList& l, const TStatClassInfo& c, int p) : TAdjacentLinesStat(l, c, p, TLayoutAxis::Row) {}
};
class TstColAjacentCnt : public TAdjacentCountStat {
public:
    TstColAjacentCnt(const TStatList& l, const TStatClassInfo& c, int p)
        : TAdjacentCountStat(l, c, p, TLayoutAxis::Column) {}
};
class TstRowAjacentCnt : public TAdjacentCountStat {
public:
    TstRowAjacentCnt(const TStatList& l, const TStatClassInfo& c, int p)
        : TAdjacentCountStat(l, c, p, TLayoutAxis::Row) {}
};
// Numbers in the column (row) of the parameter; 1..R (1..W) pre-listed.
class TstColValCnt : public TCountInClassStat {
public:
    TstColValCnt(const TStatList& l, const TStatClassInfo& c, int p)
        : TCountInClassStat(l, c, p, TLayoutAxis::Column, rowsOf(l)) {}
};
class TstRowValCnt : public TCountInClassStat {
public:
    TstRowValCnt(const TStatList& l, const TStatClassInfo& c, int p)
        : TCountInClassStat(l, c, p, TLayoutAxis::Row, widthOf(l)) {}
};

using TstCombColMix2 = TLayoutTupleStat<TLayoutAxis::Column, 2, false>;
using TstCombColMix3 = TLayoutTupleStat<TLayoutAxis::Column, 3, false>;
using TstCombColMix4 = TLayoutTupleStat<TLayoutAxis::Column, 4, false>;
using TstCombColSeq2 = TLayoutTupleStat<TLayoutAxis::Column, 2, true>;
using TstCombColSeq3 = TLayoutTupleStat<TLayoutAxis::Column, 3, true>;
using TstCombColSeq4 = TLayoutTupleStat<TLayoutAxis::Column, 4, true>;
using TstCombRowMix2 = TLayoutTupleStat<TLayoutAxis::Row, 2, false>;
using TstCombRowMix3 = TLayoutTupleStat<TLayoutAxis::Row, 3, false>;
using TstCombRowMix4 = TLayoutTupleStat<TLayoutAxis::Row, 4, false>;
using TstCombRowSeq2 = TLayoutTupleStat<TLayoutAxis::Row, 2, true>;
using TstCombRowSeq3 = TLayoutTupleStat<TLayoutAxis::Row, 3, true>;
using TstCombRowSeq4 = TLayoutTupleStat<TLayoutAxis::Row, 4, true>;

// --- descriptors -------------------------------------------------------------------------

#define TAVLORA_MATRIX_STAT(Name, Code, Caption, Graph, Typed)                                                  \
    const TStatClassInfo k##Name{.className = #Name, .code = Code, .caption = Caption, .group = kMatrixGroup, \
                                 .kinds = kindN, .create = &createStat<Name>, .isGraph = Graph,               \
                                 .acceptsTypedValues = Typed};
TAVLORA_MATRIX_STAT(TstColumns, "COLS", "Столбцы матрицы (не пустые)", false, true)
TAVLORA_MATRIX_STAT(TstRows, "ROWS", "Строки матрицы (не пустые)", false, true)
TAVLORA_MATRIX_STAT(TstColValues, "COLV", "Количество чисел в столбце матрицы", false, false)
TAVLORA_MATRIX_STAT(TstRowValues, "ROWV", "Количество чисел в строке матрицы", false, false)
TAVLORA_MATRIX_STAT(TstColCount, "COLN", "Количество не пустых столбцов в матрице", true, true)
TAVLORA_MATRIX_STAT(TstRowCount, "ROWN", "Количество не пустых строк в матрице", true, true)
TAVLORA_MATRIX_STAT(TstColMask, "COLM", "Сочетания столбцов матрицы", false, true)
TAVLORA_MATRIX_STAT(TstRowMask, "ROWM", "Сочетания строк матрицы", false, true)
TAVLORA_MATRIX_STAT(TstColAjacent, "COLA", "Столбцы матрицы со смежными числами", false, true)
TAVLORA_MATRIX_STAT(TstRowAjacent, "ROWA", "Строки матрицы со смежными числами", false, true)
TAVLORA_MATRIX_STAT(TstColAjacentCnt, "COLC", "Количество столбцов матрицы со смежными числами", true, true)
TAVLORA_MATRIX_STAT(TstRowAjacentCnt, "ROWC", "Количество строк матрицы со смежными числами", true, true)
#undef TAVLORA_MATRIX_STAT

const TStatClassInfo kTstColValCnt{.className = "TstColValCnt", .code = "COL%d",
                                   .caption = "Количество чисел в %0:d столбце матрицы", .group = kMatrixGroup,
                                   .kinds = kindN, .create = &createStat<TstColValCnt>, .baseCode = "COLx",
                                   .isGraph = true, .multiInstance = true, .rangeFromSettings = &columnInstanceRange};
const TStatClassInfo kTstRowValCnt{.className = "TstRowValCnt", .code = "ROW%d",
                                   .caption = "Количество чисел в %0:d строке матрицы", .group = kMatrixGroup,
                                   .kinds = kindN, .create = &createStat<TstRowValCnt>, .baseCode = "ROWx",
                                   .isGraph = true, .multiInstance = true, .rangeFromSettings = &rowInstanceRange};

#define TAVLORA_MATRIX_TUPLE(Name, Code, Caption, K)                                                          \
    const TStatClassInfo k##Name{.className = #Name, .code = Code, .caption = Caption, .group = kMatrixGroup, \
                                 .kinds = kindS, .create = &createStat<Name>, .acceptsTypedValues = false,    \
                                 .fixedNumber = K};
TAVLORA_MATRIX_TUPLE(TstCombColMix2, "KFM%d", "Сочетания из %0:d столбцов по всем числам тиража", 2)
TAVLORA_MATRIX_TUPLE(TstCombColMix3, "KFM%d", "Сочетания из %0:d столбцов по всем числам тиража", 3)
TAVLORA_MATRIX_TUPLE(TstCombColMix4, "KFM%d", "Сочетания из %0:d столбцов по всем числам тиража", 4)
TAVLORA_MATRIX_TUPLE(TstCombColSeq2, "KFS%d", "Сочетания из %0:d столбцов по соседним числам", 2)
TAVLORA_MATRIX_TUPLE(TstCombColSeq3, "KFS%d", "Сочетания из %0:d столбцов по соседним числам", 3)
TAVLORA_MATRIX_TUPLE(TstCombColSeq4, "KFS%d", "Сочетания из %0:d столбцов по соседним числам", 4)
TAVLORA_MATRIX_TUPLE(TstCombRowMix2, "KRM%d", "Сочетания из %0:d строк по всем числам тиража", 2)
TAVLORA_MATRIX_TUPLE(TstCombRowMix3, "KRM%d", "Сочетания из %0:d строк по всем числам тиража", 3)
TAVLORA_MATRIX_TUPLE(TstCombRowMix4, "KRM%d", "Сочетания из %0:d строк по всем числам тиража", 4)
TAVLORA_MATRIX_TUPLE(TstCombRowSeq2, "KRS%d", "Сочетания из %0:d строк по соседним числам", 2)
TAVLORA_MATRIX_TUPLE(TstCombRowSeq3, "KRS%d", "Сочетания из %0:d строк по соседним числам", 3)
TAVLORA_MATRIX_TUPLE(TstCombRowSeq4, "KRS%d", "Сочетания из %0:d строк по соседним числам", 4)
#undef TAVLORA_MATRIX_TUPLE

}  // namespace tavlora
