// Combined-value statistics (group 0): the pairs, triples and quadruples of numbers that occur
// together in a draw, over any positions (Mix), over adjacent positions (Seq), from one start
// position (Pos, one method per start position) or over adjacent positions after sorting (Sort,
// not available). A value is a k-tuple in keys 1..k, in the order the positions are taken.
#include <algorithm>
#include <array>

#include "core/text_forms.h"
#include "stats/custom_stat.h"
#include "stats/packed_key_set.h"
#include "stats/stat_classes.h"

namespace tavlora {

namespace {

enum class TupleRule { Mix, Seq, Pos, Sort };

// The position tuples of a rule: at most ten tuples of at most four positions (0-based).
struct TuplePlan {
    std::array<std::array<uint8_t, 4>, 10> pos{};
    int count = 0;
    int k = 0;
    bool sortFirst = false;

    TuplePlan(TupleRule rule, int tupleLength, int start) : k(tupleLength), sortFirst(rule == TupleRule::Sort) {
        if (k < 2 || k > 4) return;
        auto add = [&](const std::array<uint8_t, 4>& p) {
            if (static_cast<size_t>(count) < pos.size()) pos[static_cast<size_t>(count++)] = p;
        };
        switch (rule) {
            case TupleRule::Mix:
                // Every choice of k positions out of five, in lexicographic order.
                for (uint8_t a = 0; a < 5; ++a)
                    for (uint8_t b = static_cast<uint8_t>(a + 1); b < 5; ++b) {
                        if (k == 2) {
                            add({a, b, 0, 0});
                            continue;
                        }
                        for (uint8_t c = static_cast<uint8_t>(b + 1); c < 5; ++c) {
                            if (k == 3) {
                                add({a, b, c, 0});
                                continue;
                            }
                            for (uint8_t d = static_cast<uint8_t>(c + 1); d < 5; ++d) add({a, b, c, d});
                        }
                    }
                break;
            case TupleRule::Seq:
            case TupleRule::Sort:
                for (int s = 0; s + k <= 5; ++s) add(adjacent(s));
                break;
            case TupleRule::Pos:
                if (start >= 1 && start <= 6 - k) add(adjacent(start - 1));
                break;
        }
    }
    std::array<uint8_t, 4> adjacent(int s) const {
        std::array<uint8_t, 4> p{};
        for (int i = 0; i < k; ++i) p[static_cast<size_t>(i)] = static_cast<uint8_t>(s + i);
        return p;
    }
    // The packed keys of tuple t of the five numbers x.
    uint64_t key(const uint8_t* x, int t) const {
        const auto& p = pos[static_cast<size_t>(t)];
        uint64_t v = 0;
        for (int i = k - 1; i >= 0; --i) v = (v << 16) | x[p[static_cast<size_t>(i)]];
        return v;
    }
};

}  // namespace

// The base of the members: tuples by the member's rule, values of draws only.
class TCustomCombValuesStat : public TCustomStat {
public:
    TCustomCombValuesStat(const TStatList& list, const TStatClassInfo& cls, int parameter, TupleRule rule, int k)
        : TCustomStat(list, cls, parameter), plan_(rule, k, parameter) {
        for (int t = 0; t < plan_.count; ++t)
            prefixMask_ |= pairBit(plan_.pos[static_cast<size_t>(t)][0], plan_.pos[static_cast<size_t>(t)][1]);
        rule_.pos = plan_.pos;
        rule_.count = plan_.count;
        rule_.k = plan_.k;
    }

    std::string valueToText(const TStatDraw& value) const override {
        std::string s = numberText(value.keys[0]);
        for (size_t i = 1; i < static_cast<size_t>(plan_.k); ++i) {
            s += ':';
            s += numberText(value.keys[i]);
        }
        return s;
    }
    void valuesOfDraw(int index, int lastIndex, bool sorted, TStatDrawArray& list, TStatState& state,
                      TLastValueArray& lastValues) override {
        TCustomStat::valuesOfDraw(index, lastIndex, sorted, list, state, lastValues);
        const auto x = numbers(current_.nums);
        for (int t = 0; t < plan_.count; ++t) {
            const uint64_t key = plan_.key(x.data(), t);
            working_.setKeys(static_cast<uint16_t>(key), static_cast<uint16_t>(key >> 16),
                             static_cast<uint16_t>(key >> 32), static_cast<uint16_t>(key >> 48));
            addWorking(list, true);
        }
    }
    std::unique_ptr<const TMatchTables> buildMatchTables(const TStatMatcher& m) const override {
        return std::make_unique<TTupleTables>(m.selection(), plan_.k);
    }
    bool matchTest(const TComb& comb, const TStatMatcher& m) const override {
        const TPackedKeySet& keys = m.tables<TTupleTables>().keys;
        const auto x = numbers(comb.n);
        for (int t = 0; t < plan_.count; ++t)
            if (keys.contains(plan_.key(x.data(), t))) return true;
        return false;
    }
    // The tuples answered from the trie of the selection, worked out once per run of combinations
    // sharing their first numbers (see matchTupleChunk); without a trie, the tuples whose first two
    // numbers form a selected pair are marked with one byte load each and only the combinations
    // with a marked tuple are looked up in full.
    void matchChunk(const TComb* combs, size_t count, const TStatMatcher& m, uint8_t* matched) const override {
        if (plan_.sortFirst) {
            TCustomStat::matchChunk(combs, count, m, matched);
            return;
        }
        const TTupleTables& tables = m.tables<TTupleTables>();
        if (tables.trie.ready()) {
            struct Numbers {
                static void outer(const uint8_t* n, unsigned* v) {
                    for (size_t j = 0; j < 3; ++j) v[j] = n[j];
                }
                static unsigned middle(const uint8_t* n) { return n[3]; }
                static unsigned last(const uint8_t* n) { return n[4]; }
            };
            matchTupleChunk(tables.trie, rule_, Numbers{}, [&](const TComb& c) { return matchTest(c, m); }, combs, count,
                            matched);
            return;
        }
        constexpr size_t kBlock = 512;
        std::array<uint8_t, kBlock> marks;
        for (size_t from = 0; from < count; from += kBlock) {
            const size_t n = std::min(kBlock, count - from);
            const TComb* block = combs + from;
            markTuplePrefixes(prefixMask_, tables.pairs, block, n, [](uint8_t v) { return v; }, marks.data());
            for (size_t j = 0; j < n; ++j) {
                const uint8_t* x = block[j].n.data();
                if ((x[0] | x[1] | x[2] | x[3] | x[4]) >= TKeyPairBytes::kLimit)
                    matched[from + j] = matchTest(block[j], m) ? 1 : 0;
                else if (plan_.k == 2)
                    matched[from + j] = marks[j];  // the marked pairs are the selected ones
                else
                    matched[from + j] = marks[j] != 0 && markedTupleSelected(x, tables) ? 1 : 0;
            }
        }
    }

private:
    // True when one of the tuples of x whose first two numbers form a marked pair is selected.
    bool markedTupleSelected(const uint8_t* x, const TTupleTables& tables) const {
        for (int t = 0; t < plan_.count; ++t) {
            const auto& p = plan_.pos[static_cast<size_t>(t)];
            if (tables.pairs.has(x[p[0]], x[p[1]]) && tables.keys.contains(plan_.key(x, t))) return true;
        }
        return false;
    }
    std::array<uint8_t, 5> numbers(const std::array<uint8_t, 5>& n) const {
        std::array<uint8_t, 5> x = n;
        if (plan_.sortFirst) std::sort(x.begin(), x.end());
        return x;
    }
    TuplePlan plan_;
    TTupleRule rule_;          // the positions of plan_ for the chunk kernel
    unsigned prefixMask_ = 0;  // the pairs of positions the tuples start with (pairBit)
};

#define TAVLORA_COMB_VALUES_CLASS(Name, Rule, K)                                                   \
    class Name final : public TCustomCombValuesStat {                                              \
    public:                                                                                        \
        Name(const TStatList& l, const TStatClassInfo& c, int p)                                   \
            : TCustomCombValuesStat(l, c, p, TupleRule::Rule, K) {}                                \
    };
TAVLORA_COMB_VALUES_CLASS(TstCombValMix2, Mix, 2)
TAVLORA_COMB_VALUES_CLASS(TstCombValMix3, Mix, 3)
TAVLORA_COMB_VALUES_CLASS(TstCombValMix4, Mix, 4)
TAVLORA_COMB_VALUES_CLASS(TstCombValSeq2, Seq, 2)
TAVLORA_COMB_VALUES_CLASS(TstCombValSeq3, Seq, 3)
TAVLORA_COMB_VALUES_CLASS(TstCombValSeq4, Seq, 4)
TAVLORA_COMB_VALUES_CLASS(TstCombValPos2, Pos, 2)
TAVLORA_COMB_VALUES_CLASS(TstCombValPos3, Pos, 3)
TAVLORA_COMB_VALUES_CLASS(TstCombValPos4, Pos, 4)
TAVLORA_COMB_VALUES_CLASS(TstCombValSort2, Sort, 2)
TAVLORA_COMB_VALUES_CLASS(TstCombValSort3, Sort, 3)
TAVLORA_COMB_VALUES_CLASS(TstCombValSort4, Sort, 4)
#undef TAVLORA_COMB_VALUES_CLASS

// --- descriptors -------------------------------------------------------------------------

namespace {

constexpr int kNumbersGroup = 0;
constexpr std::string_view kMixCaption = "Сочетания из %0:d чисел по всем числам тиража";
constexpr std::string_view kSeqCaption = "Сочетания из %0:d соседних чисел тиража";
constexpr std::string_view kSortCaption = "Сочетания из %0:d чисел тиража по возрастанию";

template <typename T>
constexpr TStatClassInfo fixedTupleClass(std::string_view name, std::string_view code, std::string_view caption,
                                         int k) {
    return TStatClassInfo{.className = name, .code = code, .caption = caption, .group = kNumbersGroup,
                          .kinds = kindS, .create = &createStat<T>, .acceptsTypedValues = false,
                          .fixedNumber = k};
}

template <typename T>
constexpr TStatClassInfo positionTupleClass(std::string_view name, std::string_view code, std::string_view baseCode,
                                            std::string_view caption, int lastStart) {
    return TStatClassInfo{.className = name, .code = code, .caption = caption, .group = kNumbersGroup,
                          .kinds = kindS, .create = &createStat<T>, .baseCode = baseCode,
                          .acceptsTypedValues = false, .multiInstance = true, .range = {1, lastStart}};
}

template <typename T>
constexpr TStatClassInfo sortedTupleClass(std::string_view name, int k) {
    return TStatClassInfo{.className = name, .code = "KNO%d", .caption = kSortCaption, .group = kNumbersGroup,
                          .kinds = 0, .create = &createStat<T>, .available = false, .acceptsTypedValues = false,
                          .fixedNumber = k};
}

}  // namespace

const TStatClassInfo kTstCombValMix2 = fixedTupleClass<TstCombValMix2>("TstCombValMix2", "KNM%d", kMixCaption, 2);
const TStatClassInfo kTstCombValMix3 = fixedTupleClass<TstCombValMix3>("TstCombValMix3", "KNM%d", kMixCaption, 3);
const TStatClassInfo kTstCombValMix4 = fixedTupleClass<TstCombValMix4>("TstCombValMix4", "KNM%d", kMixCaption, 4);
const TStatClassInfo kTstCombValSeq2 = fixedTupleClass<TstCombValSeq2>("TstCombValSeq2", "KNS%d", kSeqCaption, 2);
const TStatClassInfo kTstCombValSeq3 = fixedTupleClass<TstCombValSeq3>("TstCombValSeq3", "KNS%d", kSeqCaption, 3);
const TStatClassInfo kTstCombValSeq4 = fixedTupleClass<TstCombValSeq4>("TstCombValSeq4", "KNS%d", kSeqCaption, 4);
const TStatClassInfo kTstCombValPos2 = positionTupleClass<TstCombValPos2>(
    "TstCombValPos2", "KNP2%d", "KNP2", "Сочетания из 2-х чисел тиража начиная с %0:d позиции", 4);
const TStatClassInfo kTstCombValPos3 = positionTupleClass<TstCombValPos3>(
    "TstCombValPos3", "KNP3%d", "KNP3", "Сочетания из 3-х чисел тиража начиная с %0:d позиции", 3);
const TStatClassInfo kTstCombValPos4 = positionTupleClass<TstCombValPos4>(
    "TstCombValPos4", "KNP4%d", "KNP4", "Сочетания из 4-х чисел тиража начиная с %0:d позиции", 2);
const TStatClassInfo kTstCombValSort2 = sortedTupleClass<TstCombValSort2>("TstCombValSort2", 2);
const TStatClassInfo kTstCombValSort3 = sortedTupleClass<TstCombValSort3>("TstCombValSort3", 3);
const TStatClassInfo kTstCombValSort4 = sortedTupleClass<TstCombValSort4>("TstCombValSort4", 4);

}  // namespace tavlora
