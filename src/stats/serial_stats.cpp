// Serial statistics (group 8): how many draws in a row an item (a number, its channel or its
// segment) came out, or stayed away, counted only for the items of the latest draw of the range.
#include <array>
#include <cstdint>

#include "core/format.h"
#include "core/numbers.h"
#include "core/settings.h"
#include "core/text_forms.h"
#include "stats/custom_stat.h"
#include "stats/stat_classes.h"
#include "stats/stat_list.h"

namespace tavlora {

namespace {

constexpr int kSerialGroup = 8;
constexpr int kMaxItems = 69;

// Series state of one item, kept in the state block from draw to draw.
struct TSerialEntry {
    int32_t count;       // length of the running series
    int32_t drawNumber;  // draw number of the series' latest draw
    int32_t depth;       // depth of that draw (1 for the last draw of the range)
};
struct TSerialState {
    std::array<TSerialEntry, kMaxItems> entries;  // item i uses entry i - 1
};

// Presence of items 0..127 as a bit set.
struct TItemBits {
    uint64_t lo = 0, hi = 0;
    void set(int i) {
        if (i < 0 || i > 127) return;
        (i < 64 ? lo : hi) |= uint64_t{1} << (i & 63);
    }
    bool has(int i) const { return i >= 0 && i <= 127 && (((i < 64 ? lo : hi) >> (i & 63)) & 1u); }
};

}  // namespace

// Tracks series of one kind of item; the derived classes say what the item of a number is and
// which items exist, the members whether groups or pauses are counted.
class TCustomSerialStat : public TCustomStat {
public:
    TCustomSerialStat(const TStatList& list, const TStatClassInfo& cls, int parameter, bool pauses)
        : TCustomStat(list, cls, parameter), pauses_(pauses) {}

    // Item of a number; 0 for a number outside 1..69 (an empty draw has no items).
    int itemOf(int n) const { return items_[static_cast<uint8_t>(n)]; }
    // Whether some number of the reference draw has this item.
    bool occursInReference(int item) const { return itemsOf(reference_.nums.data()).has(item); }

    std::string valueToText(const TStatDraw& value) const override {
        return fmt("%0:s x %1:d", itemText(value.keys[0]), value.keys[1]);
    }

    void valuesOfDraw(int index, int lastIndex, bool sorted, TStatDrawArray& list, TStatState& state,
                      TLastValueArray& lastValues) override {
        TCustomStat::valuesOfDraw(index, lastIndex, sorted, list, state, lastValues);
        auto& series = state.as<TSerialState>();
        const TItemBits inDraw = itemsOf(current_.nums.data());
        const TItemBits inReference = itemsOf(reference_.nums.data());
        const int32_t depth = lastIndex - index + 1;
        for (int i = first_; i <= last_; ++i) {
            TSerialEntry& s = series.entries[static_cast<size_t>(i - 1)];
            const bool tracked = inDraw.has(i) != pauses_;
            if (tracked) {
                ++s.count;
                s.drawNumber = current_.number;
                s.depth = depth;
                if (index == lastIndex && inReference.has(i)) addSeries(list, i, s);
            } else {
                if (s.count > 0 && inReference.has(i)) addSeries(list, i, s);
                s = TSerialEntry{0, 0, 0};
            }
        }
    }

    // The item of one of the five numbers is key 1 of a selected value.
    bool matchTest(const TComb& comb, const TStatMatcher& m) const override {
        for (uint8_t n : comb.n)
            if (m.selectedKey1(itemOf(n))) return true;
        return false;
    }

protected:
    virtual std::string itemText(int item) const { return numberText(item); }
    // Sets the item of every number 1..69 (at most 69) and the item range first..last, kept
    // within 1..69 so that every item has its entry in the state block.
    template <typename F>
    void setItems(F itemOfNumber, int first, int last) {
        items_.fill(0);
        for (int n = 1; n <= 69; ++n) items_[static_cast<size_t>(n)] = static_cast<uint8_t>(itemOfNumber(n));
        first_ = first < 1 ? 1 : first;
        last_ = last > kMaxItems ? kMaxItems : last;
    }

private:
    TItemBits itemsOf(const uint8_t* nums) const {
        TItemBits b;
        for (int p = 0; p < 5; ++p)
            if (const int it = items_[nums[p]]; it > 0) b.set(it);
        return b;
    }
    void addSeries(TStatDrawArray& list, int item, const TSerialEntry& s) {
        working_.setKeys(static_cast<uint16_t>(item), static_cast<uint16_t>(s.count));
        working_.lastDraw = s.drawNumber;
        working_.runningDraw = s.drawNumber;
        working_.depth = s.depth;
        addWorking(list, true);
    }

    bool pauses_;
    std::array<uint8_t, 256> items_{};
    int first_ = 1;
    int last_ = 0;
};

// The item is the number itself: items 1..69.
class TValuesSerialStat : public TCustomSerialStat {
public:
    TValuesSerialStat(const TStatList& list, const TStatClassInfo& cls, int parameter, bool pauses)
        : TCustomSerialStat(list, cls, parameter, pauses) {
        setItems([](int n) { return n; }, 1, 69);
    }
};

// The item is the channel of the number: items 1..ceil(69 / C). A width below 1 is taken as 1.
class TChannelsSerialStat : public TCustomSerialStat {
public:
    TChannelsSerialStat(const TStatList& list, const TStatClassInfo& cls, int parameter, bool pauses)
        : TCustomSerialStat(list, cls, parameter, pauses), width_(list.settings().config.channelSize) {
        setItems([w = width_](int n) { return channelOf(n, w); }, 1, channelCount(width_));
    }

protected:
    std::string itemText(int item) const override { return fmt("%.2d", item); }

private:
    int width_;
};

// The item is the segment of the number: items from the smallest to the largest segment of the
// map. A digit outside 1..9 is taken as segment 1.
class TSegmentsSerialStat : public TCustomSerialStat {
public:
    TSegmentsSerialStat(const TStatList& list, const TStatClassInfo& cls, int parameter, bool pauses)
        : TCustomSerialStat(list, cls, parameter, pauses), segments_(list.settings().config.segments) {
        int lo = 9, hi = 1;
        for (int n = 1; n <= 69; ++n) {
            const int s = segmentOf(n, segments_);
            if (s < lo) lo = s;
            if (s > hi) hi = s;
        }
        setItems([this](int n) { return segmentOf(n, segments_); }, lo, hi);
    }

private:
    std::array<uint8_t, 69> segments_;
};

class TstNumGroups : public TValuesSerialStat {
public:
    TstNumGroups(const TStatList& l, const TStatClassInfo& c, int p) : TValuesSerialStat(l, c, p, false) {}
};
class TstNumPauses : public TValuesSerialStat {
public:
    TstNumPauses(const TStatList& l, const TStatClassInfo& c, int p) : TValuesSerialStat(l, c, p, true) {}
};
class TstChnGroups : public TChannelsSerialStat {
public:
    TstChnGroups(const TStatList& l, const TStatClassInfo& c, int p) : TChannelsSerialStat(l, c, p, false) {}
};
class TstChnPauses : public TChannelsSerialStat {
public:
    TstChnPauses(const TStatList& l, const TStatClassInfo& c, int p) : TChannelsSerialStat(l, c, p, true) {}
};
class TstSgmGroups : public TSegmentsSerialStat {
public:
    TstSgmGroups(const TStatList& l, const TStatClassInfo& c, int p) : TSegmentsSerialStat(l, c, p, false) {}
};
class TstSgmPauses : public TSegmentsSerialStat {
public:
    TstSgmPauses(const TStatList& l, const TStatClassInfo& c, int p) : TSegmentsSerialStat(l, c, p, true) {}
};

// --- descriptors -------------------------------------------------------------------------

const TStatClassInfo kTstNumGroups{.className = "TstNumGroups", .code = "GRPV",
                                   .caption = "Повторы чисел в нескольких тиражах подряд", .group = kSerialGroup,
                                   .kinds = kindD, .create = &createStat<TstNumGroups>, .acceptsTypedValues = false};
const TStatClassInfo kTstNumPauses{.className = "TstNumPauses", .code = "GRPP",
                                   .caption = "Интервалы между повторениями чисел", .group = kSerialGroup,
                                   .kinds = kindD, .create = &createStat<TstNumPauses>, .acceptsTypedValues = false};
const TStatClassInfo kTstChnGroups{.className = "TstChnGroups", .code = "GRCV",
                                   .caption = "Повторы каналов в нескольких тиражах подряд", .group = kSerialGroup,
                                   .kinds = kindD, .create = &createStat<TstChnGroups>, .acceptsTypedValues = false};
const TStatClassInfo kTstChnPauses{.className = "TstChnPauses", .code = "GRCP",
                                   .caption = "Интервалы между повторениями каналов", .group = kSerialGroup,
                                   .kinds = kindD, .create = &createStat<TstChnPauses>, .acceptsTypedValues = false};
const TStatClassInfo kTstSgmGroups{.className = "TstSgmGroups", .code = "GRSV",
                                   .caption = "Повторы сегментов в нескольких тиражах подряд", .group = kSerialGroup,
                                   .kinds = kindD, .create = &createStat<TstSgmGroups>, .acceptsTypedValues = false};
const TStatClassInfo kTstSgmPauses{.className = "TstSgmPauses", .code = "GRSP",
                                   .caption = "Интервалы между повторениями сегментов", .group = kSerialGroup,
                                   .kinds = kindD, .create = &createStat<TstSgmPauses>, .acceptsTypedValues = false};

}  // namespace tavlora
