// Period statistics (group 9): after how many draws an item (a number, its channel or its
// segment) comes out again. As a filter: does a candidate repeat an item at a selected distance.
#include <array>
#include <cstdint>
#include <memory>

#include "core/format.h"
#include "core/numbers.h"
#include "core/settings.h"
#include "core/text_forms.h"
#include "stats/custom_stat.h"
#include "stats/stat_classes.h"
#include "stats/stat_list.h"

namespace tavlora {

namespace {

constexpr int kPeriodGroup = 9;

// A set of items 0..127.
struct TItemBits {
    uint64_t lo = 0, hi = 0;
    void set(int i) {
        if (i < 0 || i > 127) return;
        (i < 64 ? lo : hi) |= uint64_t{1} << (i & 63);
    }
    bool has(int i) const { return i >= 0 && i <= 127 && (((i < 64 ? lo : hi) >> (i & 63)) & 1u); }
};

// The items whose selected distances the candidate test answers with true: some selected (a, d)
// with a among the items of the draw d before the candidate.
struct TPeriodMasks final : TMatchTables {
    TItemBits realised;
    // Whether each byte's item is realised: the chunk test looks the five numbers up directly.
    std::array<uint8_t, 256> numberHit{};
};

}  // namespace

// Notes each item's latest draw number in the last-value table and adds the distance to its
// previous appearance. The derived classes say what the item of a number is.
class TCustomPeriodsStat : public TCustomStat {
public:
    using TCustomStat::TCustomStat;

    // Item of a number; 0 for a number outside 1..69 (an empty draw has no items).
    int itemOf(int n) const { return items_[static_cast<uint8_t>(n)]; }

    std::string valueToText(const TStatDraw& value) const override {
        return fmt("%0:s x %1:d", itemText(value.keys[0]), value.keys[1]);
    }

    void valuesOfDraw(int index, int lastIndex, bool sorted, TStatDrawArray& list, TStatState& state,
                      TLastValueArray& lastValues) override {
        TCustomStat::valuesOfDraw(index, lastIndex, sorted, list, state, lastValues);
        for (uint8_t n : current_.nums) {
            const int item = itemOf(n);
            if (item == 0) continue;
            const int32_t period = noteOccurrence(lastValues, current_.number, static_cast<uint16_t>(item), 0, 0, 0);
            if (period <= 0) continue;
            working_.setKeys(static_cast<uint16_t>(item), static_cast<uint16_t>(period > 0xFFFF ? 0xFFFF : period));
            addWorking(list, true);
        }
    }

    // The candidate stands at index q + 1. It carries a selected (a, d) when it holds a number of
    // item a and the draw d before it (index q + 1 - d) holds item a too. The test is the same in
    // both filter modes, so that keeping and removing one selection split a list into two
    // complementary lists.
    std::unique_ptr<const TMatchTables> buildMatchTables(const TStatMatcher& m) const override {
        return masksFor(m.selection(), m.referenceIndex());
    }
    bool matchTest(const TComb& comb, const TStatMatcher& m) const override {
        const TPeriodMasks& masks = m.tables<TPeriodMasks>();
        for (uint8_t n : comb.n)
            if (masks.realised.has(itemOf(n))) return true;
        return false;
    }
    void matchChunk(const TComb* combs, size_t count, const TStatMatcher& m, uint8_t* matched) const override {
        const auto& hit = m.tables<TPeriodMasks>().numberHit;
        for (size_t k = 0; k < count; ++k) {
            const auto& n = combs[k].n;
            matched[k] = hit[n[0]] | hit[n[1]] | hit[n[2]] | hit[n[3]] | hit[n[4]];
        }
    }

protected:
    virtual std::string itemText(int item) const { return numberText(item); }
    template <typename F>
    void setItems(F itemOfNumber) {
        items_.fill(0);
        for (int n = 1; n <= 69; ++n) items_[static_cast<size_t>(n)] = static_cast<uint8_t>(itemOfNumber(n));
    }

private:
    TItemBits itemsOf(const TDraw& d) const {
        TItemBits b;
        for (uint8_t n : d.nums)
            if (const int it = itemOf(n); it > 0) b.set(it);
        return b;
    }
    std::unique_ptr<TPeriodMasks> masksFor(const TStatDrawArray& sel, int referenceIndex) const {
        auto m = std::make_unique<TPeriodMasks>();
        for (const TStatDraw& v : sel) {
            const int item = v.keys[0];
            if (item == 0 || item > 127) continue;  // no candidate number has such an item
            const int64_t at = int64_t{referenceIndex} + 1 - v.keys[1];
            const TDraw d = at < 0 || at > 0x7FFFFFFF ? TDraw{} : drawAt(static_cast<int>(at), false);
            if (itemsOf(d).has(item)) m->realised.set(item);
        }
        for (size_t n = 0; n < m->numberHit.size(); ++n)
            m->numberHit[n] = m->realised.has(itemOf(static_cast<int>(n))) ? 1 : 0;
        return m;
    }

    std::array<uint8_t, 256> items_{};
};

class TstNumPeriods : public TCustomPeriodsStat {
public:
    TstNumPeriods(const TStatList& list, const TStatClassInfo& cls, int parameter)
        : TCustomPeriodsStat(list, cls, parameter) {
        setItems([](int n) { return n; });
    }
};

// Channel of the number; a width below 1 is taken as 1.
class TstChnPeriods : public TCustomPeriodsStat {
public:
    TstChnPeriods(const TStatList& list, const TStatClassInfo& cls, int parameter)
        : TCustomPeriodsStat(list, cls, parameter), width_(list.settings().config.channelSize) {
        setItems([w = width_](int n) { return channelOf(n, w); });
    }

protected:
    std::string itemText(int item) const override { return fmt("%.2d", item); }

private:
    int width_;
};

// Segment of the number; a digit outside 1..9 is taken as segment 1.
class TstSgmPeriods : public TCustomPeriodsStat {
public:
    TstSgmPeriods(const TStatList& list, const TStatClassInfo& cls, int parameter)
        : TCustomPeriodsStat(list, cls, parameter), segments_(list.settings().config.segments) {
        setItems([this](int n) { return segmentOf(n, segments_); });
    }

private:
    std::array<uint8_t, 69> segments_;
};

// --- descriptors -------------------------------------------------------------------------

const TStatClassInfo kTstNumPeriods{.className = "TstNumPeriods", .code = "PRDV",
                                    .caption = "Периоды повторения чисел", .group = kPeriodGroup, .kinds = kindP,
                                    .create = &createStat<TstNumPeriods>, .acceptsTypedValues = false};
const TStatClassInfo kTstChnPeriods{.className = "TstChnPeriods", .code = "PRDC",
                                    .caption = "Периоды повторения каналов", .group = kPeriodGroup, .kinds = kindP,
                                    .create = &createStat<TstChnPeriods>, .acceptsTypedValues = false};
const TStatClassInfo kTstSgmPeriods{.className = "TstSgmPeriods", .code = "PRDG",
                                    .caption = "Периоды повторения сегментов", .group = kPeriodGroup, .kinds = kindP,
                                    .create = &createStat<TstSgmPeriods>, .acceptsTypedValues = false};

}  // namespace tavlora
