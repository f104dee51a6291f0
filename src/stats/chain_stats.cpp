// Chain statistics (group 10): transitions between draws. From every draw a of the range the
// members look back at draw a - 1 (and a - 2), keep the histories that match the latest draw of
// the range (the reference draw R, and R - 1) and record what followed: a number, a channel, a
// segment, or how many numbers a channel or segment holds.
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

constexpr int kChainGroup = 10;
constexpr int kMaxWidth = 69;

// A set of items 0..127 (numbers, channels, segments or counts).
struct TItemBits {
    uint64_t lo = 0, hi = 0;
    void set(int i) {
        if (i < 0 || i > 127) return;
        (i < 64 ? lo : hi) |= uint64_t{1} << (i & 63);
    }
    bool has(int i) const { return i >= 0 && i <= 127 && (((i < 64 ? lo : hi) >> (i & 63)) & 1u); }
};

// The items a filter run matches, worked out once from the selection, with the chunk match test's
// tables: a combination matches when one of its numbers has numberHit set, or, by count, when
// countHit is set at the sum of numberHit over its numbers.
struct TItemTables final : TMatchTables {
    explicit TItemTables(TItemBits bits) : items(bits) {}
    const TItemBits items;
    bool byCount = false;
    std::array<uint8_t, 256> numberHit{};
    std::array<uint8_t, 6> countHit{};
};

// The channel width the members compute with: a width below 1 is taken as 1, one above 69 as 69
// (which already puts every number into channel 1).
int effectiveWidth(int width) { return width < 1 ? 1 : width > kMaxWidth ? kMaxWidth : width; }

// Channels 1..ceil(69 / C); none when the width is 0 or less.
TStatInstanceRange channelCountRange(const TSettings& settings) {
    const int width = settings.config.channelSize;
    if (width <= 0) return {0, -1};
    return {1, channelCount(effectiveWidth(width))};
}

// From the smallest to the largest segment of the map; digits outside 1..9 count as segment 1.
TStatInstanceRange segmentCountRange(const TSettings& settings) {
    int lo = 9, hi = 1;
    for (int n = 1; n <= 69; ++n) {
        const int s = segmentOf(n, settings.config.segments);
        if (s < lo) lo = s;
        if (s > hi) hi = s;
    }
    return {lo, hi};
}

// The caption formatted with the number of draws; a multi-instance caption then holds "%d" for
// the parameter.
template <int Draws>
std::string chainCaption(const TStatClassInfo& cls, int parameter) {
    const std::string caption = fmt(cls.caption, Draws);
    return cls.multiInstance ? fmt(caption, parameter) : caption;
}

}  // namespace

// The base of every chain member: the item of a number (the number, its channel or its segment,
// from a table filled by the derived class), the value text of two or three keys and the match
// test on the later item (the last key) of the selected values.
class TCustomChainStat : public TCustomStat {
public:
    TCustomChainStat(const TStatList& list, const TStatClassInfo& cls, int parameter, int keyCount, bool padded)
        : TCustomStat(list, cls, parameter), keyCount_(keyCount), padded_(padded) {}

    // Item of a number; 0 for a number outside 1..69 (an empty draw has no items).
    int itemOf(int n) const { return items_[static_cast<uint8_t>(n)]; }

    std::string valueToText(const TStatDraw& value) const override {
        auto key = [&](size_t i) { return padded_ ? fmt("%.2d", value.keys[i]) : numberText(value.keys[i]); };
        if (keyCount_ == 3) return fmt("%0:s-%1:s -> %2:s", key(0), key(1), key(2));
        return fmt("%0:s -> %1:s", key(0), key(1));
    }

    void valuesOfDraw(int index, int lastIndex, bool sorted, TStatDrawArray& list, TStatState& state,
                      TLastValueArray& lastValues) override {
        TCustomStat::valuesOfDraw(index, lastIndex, sorted, list, state, lastValues);
        addTransitions(index, lastIndex, sorted, list);
    }

    // The later items (the last keys) of the selected values, and per number whether its item is
    // one of them (or, for a count member, whether it counts).
    std::unique_ptr<const TMatchTables> buildMatchTables(const TStatMatcher& m) const override {
        TItemBits b;
        const size_t last = keyCount_ == 3 ? 2 : 1;
        for (const TStatDraw& v : m.selection()) b.set(v.keys[last]);
        auto t = std::make_unique<TItemTables>(b);
        t->byCount = matchesByCount();
        const int p = parameter();
        for (size_t n = 0; n < t->numberHit.size(); ++n) {
            const int item = itemOf(static_cast<int>(n));
            t->numberHit[n] = t->byCount ? (p >= 1 && item == p) : b.has(item);
        }
        for (size_t k = 0; k < t->countHit.size(); ++k) t->countHit[k] = b.has(static_cast<int>(k));
        return t;
    }
    // The match tests of a chunk from the matcher's per-number tables (one lookup per number).
    void matchChunk(const TComb* combs, size_t count, const TStatMatcher& m, uint8_t* matched) const final {
        const TItemTables& t = m.tables<TItemTables>();
        const uint8_t* hit = t.numberHit.data();
        if (t.byCount) {
            for (size_t k = 0; k < count; ++k) {
                const auto& n = combs[k].n;
                matched[k] = t.countHit[static_cast<size_t>(hit[n[0]] + hit[n[1]] + hit[n[2]] + hit[n[3]] + hit[n[4]])];
            }
            return;
        }
        for (size_t k = 0; k < count; ++k) {
            const auto& n = combs[k].n;
            matched[k] = hit[n[0]] | hit[n[1]] | hit[n[2]] | hit[n[3]] | hit[n[4]];
        }
    }
    // The item of one of the five numbers, at any position, is the later item of a selected value.
    bool matchTest(const TComb& comb, const TStatMatcher& m) const override {
        const TItemBits& keys = matchedItems(m);
        for (uint8_t n : comb.n)
            if (keys.has(itemOf(n))) return true;
        return false;
    }

protected:
    // Adds the values of draw a (current_, already loaded with the reference draw).
    virtual void addTransitions(int index, int lastIndex, bool sorted, TStatDrawArray& list) = 0;
    // True for the members whose match test compares the count of numbers of the parameter's item.
    virtual bool matchesByCount() const { return false; }

    template <typename F>
    void setItems(F itemOfNumber) {
        items_.fill(0);
        for (int n = 1; n <= 69; ++n) items_[static_cast<size_t>(n)] = static_cast<uint8_t>(itemOfNumber(n));
    }
    // The draw at index as handed over; false when it does not exist (no draw number above 0).
    bool earlierDraw(int index, bool sorted, TDraw& out) const {
        out = drawAt(index, sorted);
        return out.number > 0;
    }
    TItemBits itemsOf(const TDraw& d) const {
        TItemBits b;
        for (uint8_t n : d.nums)
            if (const int it = itemOf(n); it > 0) b.set(it);
        return b;
    }
    // How many numbers of the draw have item p (p >= 1).
    int countIn(const uint8_t* nums, int p) const {
        int k = 0;
        for (int i = 0; i < 5; ++i) k += (p >= 1 && itemOf(nums[i]) == p) ? 1 : 0;
        return k;
    }
    void add2(TStatDrawArray& list, int k1, int k2, bool fromDraw = true) {
        working_.setKeys(static_cast<uint16_t>(k1), static_cast<uint16_t>(k2));
        addWorking(list, fromDraw);
    }
    void add3(TStatDrawArray& list, int k1, int k2, int k3, bool fromDraw = true) {
        working_.setKeys(static_cast<uint16_t>(k1), static_cast<uint16_t>(k2), static_cast<uint16_t>(k3));
        addWorking(list, fromDraw);
    }
    // The items of the matcher's run (the last keys of its selection unless a member says otherwise).
    static const TItemBits& matchedItems(const TStatMatcher& m) { return m.tables<TItemTables>().items; }
    // The positions a per-position rule looks at: all five, or the parameter's (none when the
    // parameter is not a position).
    void positions(bool all, int& first, int& last) const {
        if (all) {
            first = 0;
            last = 4;
        } else if (parameter() >= 1 && parameter() <= 5) {
            first = last = parameter() - 1;
        } else {
            first = 0;
            last = -1;
        }
    }

    // Rule A2: for each number x of a - 1 whose item occurs in R, the transition to the item of
    // each number y of draw a.
    void ruleAll2(int index, bool sorted, TStatDrawArray& list) {
        TDraw before;
        if (!earlierDraw(index - 1, sorted, before)) return;
        const TItemBits inReference = itemsOf(reference_);
        for (uint8_t x : before.nums) {
            const int from = itemOf(x);
            if (from == 0 || !inReference.has(from)) continue;
            for (uint8_t y : current_.nums) add2(list, from, itemOf(y));
        }
    }
    // Rule P2: at each position where a - 1 and R have the same item, the transition to the item
    // of draw a there.
    void rulePos2(int index, bool sorted, bool allPositions, TStatDrawArray& list) {
        TDraw before;
        if (!earlierDraw(index - 1, sorted, before)) return;
        int first, last;
        positions(allPositions, first, last);
        for (int i = first; i <= last; ++i) {
            const auto p = static_cast<size_t>(i);
            const int from = itemOf(before.nums[p]);
            if (from != itemOf(reference_.nums[p])) continue;
            add2(list, from, itemOf(current_.nums[p]));
        }
    }
    // Rule P3: at each position where a - 1 matches R and a - 2 matches R - 1, the transition of
    // the three items.
    void rulePos3(int index, int lastIndex, bool sorted, bool allPositions, TStatDrawArray& list) {
        TDraw before1, before2;
        if (!earlierDraw(index - 1, sorted, before1) || !earlierDraw(index - 2, sorted, before2)) return;
        const TDraw reference1 = drawAt(lastIndex - 1, sorted);
        int first, last;
        positions(allPositions, first, last);
        for (int i = first; i <= last; ++i) {
            const auto p = static_cast<size_t>(i);
            const int from1 = itemOf(before1.nums[p]);
            const int from2 = itemOf(before2.nums[p]);
            if (from1 != itemOf(reference_.nums[p]) || from2 != itemOf(reference1.nums[p])) continue;
            add3(list, from2, from1, itemOf(current_.nums[p]));
        }
    }
    // Rule C2: when a - 1 holds as many numbers of item p as R, the count that followed.
    void ruleCount2(int index, TStatDrawArray& list) {
        TDraw before;
        if (!earlierDraw(index - 1, false, before)) return;
        const int p = parameter();
        const int k1 = countIn(before.nums.data(), p);
        if (k1 != countIn(reference_.nums.data(), p)) return;
        add2(list, k1, countIn(current_.nums.data(), p));
    }
    // Rule C3: when a - 1 matches R and a - 2 matches R - 1 in their counts of item p.
    void ruleCount3(int index, int lastIndex, TStatDrawArray& list) {
        TDraw before1, before2;
        if (!earlierDraw(index - 1, false, before1) || !earlierDraw(index - 2, false, before2)) return;
        const int p = parameter();
        const int k1 = countIn(before1.nums.data(), p);
        const int k2 = countIn(before2.nums.data(), p);
        if (k1 != countIn(reference_.nums.data(), p)) return;
        if (k2 != countIn(drawAt(lastIndex - 1, false).nums.data(), p)) return;
        add3(list, k2, k1, countIn(current_.nums.data(), p));
    }
    // Pre-lists the count transitions from the reference counts: (kR, j) or (kR1, kR, j) for j
    // from 0 to topCount.
    void listCounts(int lastIndex, int topCount, TStatDrawArray& list) {
        const int p = parameter();
        const int kR = countIn(drawAt(lastIndex, false).nums.data(), p);
        const int kR1 = countIn(drawAt(lastIndex - 1, false).nums.data(), p);
        for (int j = 0; j <= topCount; ++j) {
            if (keyCount_ == 3)
                add3(list, kR1, kR, j, false);
            else
                add2(list, kR, j, false);
        }
    }

private:
    int keyCount_;
    bool padded_;
    std::array<uint8_t, 256> items_{};
};

// --- numbers -----------------------------------------------------------------------------

class TCustomChainValues2Stat : public TCustomChainStat {
public:
    TCustomChainValues2Stat(const TStatList& list, const TStatClassInfo& cls, int parameter)
        : TCustomChainStat(list, cls, parameter, 2, false) {
        setItems([](int n) { return n; });
    }
};

class TCustomChainValues3Stat : public TCustomChainStat {
public:
    TCustomChainValues3Stat(const TStatList& list, const TStatClassInfo& cls, int parameter)
        : TCustomChainStat(list, cls, parameter, 3, false) {
        setItems([](int n) { return n; });
    }
};

class TstChain2DrawsAll : public TCustomChainValues2Stat {
public:
    using TCustomChainValues2Stat::TCustomChainValues2Stat;

protected:
    void addTransitions(int index, int, bool sorted, TStatDrawArray& list) override { ruleAll2(index, sorted, list); }
};

class TstChain2DrawsPos : public TCustomChainValues2Stat {
public:
    using TCustomChainValues2Stat::TCustomChainValues2Stat;

protected:
    void addTransitions(int index, int, bool sorted, TStatDrawArray& list) override {
        rulePos2(index, sorted, true, list);
    }
};

class TstChain2Pos : public TCustomChainValues2Stat {
public:
    using TCustomChainValues2Stat::TCustomChainValues2Stat;

protected:
    void addTransitions(int index, int, bool sorted, TStatDrawArray& list) override {
        rulePos2(index, sorted, false, list);
    }
};

class TstChain3DrawsPos : public TCustomChainValues3Stat {
public:
    using TCustomChainValues3Stat::TCustomChainValues3Stat;

protected:
    void addTransitions(int index, int lastIndex, bool sorted, TStatDrawArray& list) override {
        rulePos3(index, lastIndex, sorted, true, list);
    }
};

class TstChain3Pos : public TCustomChainValues3Stat {
public:
    using TCustomChainValues3Stat::TCustomChainValues3Stat;

protected:
    void addTransitions(int index, int lastIndex, bool sorted, TStatDrawArray& list) override {
        rulePos3(index, lastIndex, sorted, false, list);
    }
};

// --- channels ----------------------------------------------------------------------------

// Holds the channel width C of the settings (taken as 1..69) and uses channels as items.
class TCustomChainChannelsStat : public TCustomChainStat {
public:
    TCustomChainChannelsStat(const TStatList& list, const TStatClassInfo& cls, int parameter, int keyCount,
                             bool padded)
        : TCustomChainStat(list, cls, parameter, keyCount, padded),
          width_(effectiveWidth(list.settings().config.channelSize)) {
        setItems([w = width_](int n) { return channelOf(n, w); });
    }
    int channelWidth() const { return width_; }

private:
    int width_;
};

class TCustomChainChannels2Stat : public TCustomChainChannelsStat {
public:
    TCustomChainChannels2Stat(const TStatList& list, const TStatClassInfo& cls, int parameter, bool padded = true)
        : TCustomChainChannelsStat(list, cls, parameter, 2, padded) {}
};

class TCustomChainChannels3Stat : public TCustomChainChannelsStat {
public:
    TCustomChainChannels3Stat(const TStatList& list, const TStatClassInfo& cls, int parameter, bool padded = true)
        : TCustomChainChannelsStat(list, cls, parameter, 3, padded) {}
};

class TstChain2ChannelsAll : public TCustomChainChannels2Stat {
public:
    using TCustomChainChannels2Stat::TCustomChainChannels2Stat;

protected:
    void addTransitions(int index, int, bool sorted, TStatDrawArray& list) override { ruleAll2(index, sorted, list); }
};

class TstChain2ChannelsPos : public TCustomChainChannels2Stat {
public:
    using TCustomChainChannels2Stat::TCustomChainChannels2Stat;

protected:
    void addTransitions(int index, int, bool sorted, TStatDrawArray& list) override {
        rulePos2(index, sorted, true, list);
    }
};

class TstChain2Channel : public TCustomChainChannels2Stat {
public:
    using TCustomChainChannels2Stat::TCustomChainChannels2Stat;

protected:
    void addTransitions(int index, int, bool sorted, TStatDrawArray& list) override {
        rulePos2(index, sorted, false, list);
    }
};

class TstChain3ChannelsPos : public TCustomChainChannels3Stat {
public:
    using TCustomChainChannels3Stat::TCustomChainChannels3Stat;

protected:
    void addTransitions(int index, int lastIndex, bool sorted, TStatDrawArray& list) override {
        rulePos3(index, lastIndex, sorted, true, list);
    }
};

class TstChain3Channel : public TCustomChainChannels3Stat {
public:
    using TCustomChainChannels3Stat::TCustomChainChannels3Stat;

protected:
    void addTransitions(int index, int lastIndex, bool sorted, TStatDrawArray& list) override {
        rulePos3(index, lastIndex, sorted, false, list);
    }
};

// The count of numbers in channel p (the parameter); the match test compares the candidate's count.
class TstChain2CnlCnt : public TCustomChainChannels2Stat {
public:
    TstChain2CnlCnt(const TStatList& list, const TStatClassInfo& cls, int parameter)
        : TCustomChainChannels2Stat(list, cls, parameter, false) {}
    void listAllValues(int lastIndex, TStatDrawArray& list) override {
        TCustomChainChannels2Stat::listAllValues(lastIndex, list);
        listCounts(lastIndex, channelWidth(), list);
    }
    bool matchTest(const TComb& comb, const TStatMatcher& m) const override {
        return matchedItems(m).has(countIn(comb.n.data(), parameter()));
    }

protected:
    bool matchesByCount() const override { return true; }
    void addTransitions(int index, int, bool, TStatDrawArray& list) override { ruleCount2(index, list); }
};

class TstChain3CnlCnt : public TCustomChainChannels3Stat {
public:
    TstChain3CnlCnt(const TStatList& list, const TStatClassInfo& cls, int parameter)
        : TCustomChainChannels3Stat(list, cls, parameter, false) {}
    void listAllValues(int lastIndex, TStatDrawArray& list) override {
        TCustomChainChannels3Stat::listAllValues(lastIndex, list);
        listCounts(lastIndex, channelWidth(), list);
    }
    bool matchTest(const TComb& comb, const TStatMatcher& m) const override {
        return matchedItems(m).has(countIn(comb.n.data(), parameter()));
    }

protected:
    bool matchesByCount() const override { return true; }
    void addTransitions(int index, int lastIndex, bool, TStatDrawArray& list) override {
        ruleCount3(index, lastIndex, list);
    }
};

// Numbers within channels: for each number x of a - 1 that R also holds, the numbers of draw a in
// the channel of x. Mode 0 lists them all and (x, 0) when there is none, mode 1 only the found
// ones, mode 2 only (x, 0), mode 3 the count (x, k).
class TCustomChainChannels2Inside : public TCustomChainChannels2Stat {
public:
    TCustomChainChannels2Inside(const TStatList& list, const TStatClassInfo& cls, int parameter, int mode)
        : TCustomChainChannels2Stat(list, cls, parameter, mode != 3), mode_(mode) {}
    int mode() const { return mode_; }

    // The candidate numbers that satisfy some selected value with the draw at the reference index.
    std::unique_ptr<const TMatchTables> buildMatchTables(const TStatMatcher& m) const override {
        auto t = std::make_unique<TItemTables>(allowedNumbers(m.selection(), m.referenceIndex()));
        for (size_t n = 0; n < t->numberHit.size(); ++n) t->numberHit[n] = t->items.has(static_cast<int>(n));
        return t;
    }
    // For a number x of the draw before the candidate and a selected value (x, v): the candidate
    // matches with the number v, or, when v is 0 or in count mode, with any number in the
    // channel of x.
    bool matchTest(const TComb& comb, const TStatMatcher& m) const override {
        const TItemBits& allowed = matchedItems(m);
        for (uint8_t n : comb.n)
            if (allowed.has(n)) return true;
        return false;
    }

protected:
    void addTransitions(int index, int, bool, TStatDrawArray& list) override {
        TDraw before;
        if (!earlierDraw(index - 1, false, before)) return;
        for (uint8_t x : before.nums) {
            if (x < 1 || x > 69 || !drawContains(x, reference_)) continue;
            const int channel = itemOf(x);
            int second = 0;
            for (uint8_t y : current_.nums) {
                if (itemOf(y) != channel) continue;
                if (mode_ == 3) {
                    ++second;
                } else {
                    second = y;
                    if (mode_ <= 1) add2(list, x, y);
                }
            }
            if (mode_ == 3 || (second == 0 && (mode_ == 0 || mode_ == 2))) add2(list, x, second);
        }
    }

private:
    // The candidate numbers that satisfy some selected value with the draw at referenceIndex.
    TItemBits allowedNumbers(const TStatDrawArray& sel, int referenceIndex) const {
        TItemBits allowed;
        const TDraw before = drawAt(referenceIndex, false);
        for (uint8_t x : before.nums) {
            if (x < 1 || x > 69) continue;
            const int channel = itemOf(x);
            bool wholeChannel = false;
            for (const TStatDraw& v : sel) {
                if (v.keys[0] != x) continue;
                // A count is not a number: in count mode only the channel is compared.
                if (mode_ == 3 || v.keys[1] == 0)
                    wholeChannel = true;
                else if (v.keys[1] <= 69)
                    allowed.set(v.keys[1]);
            }
            if (!wholeChannel) continue;
            for (int n = 1; n <= 69; ++n)
                if (itemOf(n) == channel) allowed.set(n);
        }
        return allowed;
    }

    int mode_;
};

class TstChainChannels2InsideAll : public TCustomChainChannels2Inside {
public:
    TstChainChannels2InsideAll(const TStatList& l, const TStatClassInfo& c, int p)
        : TCustomChainChannels2Inside(l, c, p, 0) {}
};
class TstChainChannels2InsideSuc : public TCustomChainChannels2Inside {
public:
    TstChainChannels2InsideSuc(const TStatList& l, const TStatClassInfo& c, int p)
        : TCustomChainChannels2Inside(l, c, p, 1) {}
};
class TstChainChannels2InsideBad : public TCustomChainChannels2Inside {
public:
    TstChainChannels2InsideBad(const TStatList& l, const TStatClassInfo& c, int p)
        : TCustomChainChannels2Inside(l, c, p, 2) {}
};
class TstChainChannels2InsideCnt : public TCustomChainChannels2Inside {
public:
    TstChainChannels2InsideCnt(const TStatList& l, const TStatClassInfo& c, int p)
        : TCustomChainChannels2Inside(l, c, p, 3) {}
};

// --- segments ----------------------------------------------------------------------------

// Holds the segment map of the settings and uses segments as items (a digit outside 1..9 counts
// as segment 1).
class TCustomChainSegmentsStat : public TCustomChainStat {
public:
    TCustomChainSegmentsStat(const TStatList& list, const TStatClassInfo& cls, int parameter, int keyCount)
        : TCustomChainStat(list, cls, parameter, keyCount, false), segments_(list.settings().config.segments) {
        setItems([this](int n) { return segmentOf(n, segments_); });
    }

private:
    std::array<uint8_t, 69> segments_;
};

class TCustomChainSegments2Stat : public TCustomChainSegmentsStat {
public:
    TCustomChainSegments2Stat(const TStatList& list, const TStatClassInfo& cls, int parameter)
        : TCustomChainSegmentsStat(list, cls, parameter, 2) {}
};

class TCustomChainSegments3Stat : public TCustomChainSegmentsStat {
public:
    TCustomChainSegments3Stat(const TStatList& list, const TStatClassInfo& cls, int parameter)
        : TCustomChainSegmentsStat(list, cls, parameter, 3) {}
};

class TstChain2SegmentsAll : public TCustomChainSegments2Stat {
public:
    using TCustomChainSegments2Stat::TCustomChainSegments2Stat;

protected:
    void addTransitions(int index, int, bool sorted, TStatDrawArray& list) override { ruleAll2(index, sorted, list); }
};

class TstChain2SegmentsPos : public TCustomChainSegments2Stat {
public:
    using TCustomChainSegments2Stat::TCustomChainSegments2Stat;

protected:
    void addTransitions(int index, int, bool sorted, TStatDrawArray& list) override {
        rulePos2(index, sorted, true, list);
    }
};

class TstChain2Segment : public TCustomChainSegments2Stat {
public:
    using TCustomChainSegments2Stat::TCustomChainSegments2Stat;

protected:
    void addTransitions(int index, int, bool sorted, TStatDrawArray& list) override {
        rulePos2(index, sorted, false, list);
    }
};

class TstChain3SegmentsPos : public TCustomChainSegments3Stat {
public:
    using TCustomChainSegments3Stat::TCustomChainSegments3Stat;

protected:
    void addTransitions(int index, int lastIndex, bool sorted, TStatDrawArray& list) override {
        rulePos3(index, lastIndex, sorted, true, list);
    }
};

class TstChain3Segment : public TCustomChainSegments3Stat {
public:
    using TCustomChainSegments3Stat::TCustomChainSegments3Stat;

protected:
    void addTransitions(int index, int lastIndex, bool sorted, TStatDrawArray& list) override {
        rulePos3(index, lastIndex, sorted, false, list);
    }
};

// The count of numbers in segment p; only the transitions to 0 are pre-listed.
class TstChain2SgmCnt : public TCustomChainSegments2Stat {
public:
    using TCustomChainSegments2Stat::TCustomChainSegments2Stat;
    void listAllValues(int lastIndex, TStatDrawArray& list) override {
        TCustomChainSegments2Stat::listAllValues(lastIndex, list);
        listCounts(lastIndex, 0, list);
    }
    bool matchTest(const TComb& comb, const TStatMatcher& m) const override {
        return matchedItems(m).has(countIn(comb.n.data(), parameter()));
    }

protected:
    bool matchesByCount() const override { return true; }
    void addTransitions(int index, int, bool, TStatDrawArray& list) override { ruleCount2(index, list); }
};

class TstChain3SgmCnt : public TCustomChainSegments3Stat {
public:
    using TCustomChainSegments3Stat::TCustomChainSegments3Stat;
    void listAllValues(int lastIndex, TStatDrawArray& list) override {
        TCustomChainSegments3Stat::listAllValues(lastIndex, list);
        listCounts(lastIndex, 0, list);
    }
    bool matchTest(const TComb& comb, const TStatMatcher& m) const override {
        return matchedItems(m).has(countIn(comb.n.data(), parameter()));
    }

protected:
    bool matchesByCount() const override { return true; }
    void addTransitions(int index, int lastIndex, bool, TStatDrawArray& list) override {
        ruleCount3(index, lastIndex, list);
    }
};

// --- descriptors -------------------------------------------------------------------------

namespace {

constexpr TStatKinds kPosKinds = kindS | kindD;

}  // namespace

const TStatClassInfo kTstChain2DrawsAll{
    .className = "TstChain2DrawsAll", .code = "SDV2",
    .caption = "Переходы чисел между %0:d тиражами без учета позиции", .group = kChainGroup, .kinds = kindD,
    .create = &createStat<TstChain2DrawsAll>, .acceptsTypedValues = false, .captionFormatter = &chainCaption<2>};
const TStatClassInfo kTstChain2DrawsPos{
    .className = "TstChain2DrawsPos", .code = "SDP2",
    .caption = "Переходы чисел между %0:d тиражами с учетом позиции", .group = kChainGroup, .kinds = kPosKinds,
    .create = &createStat<TstChain2DrawsPos>, .acceptsTypedValues = false, .captionFormatter = &chainCaption<2>};
const TStatClassInfo kTstChain2Pos{
    .className = "TstChain2Pos", .code = "SDN%d", .caption = "Переходы чисел между %0:d тиражами в %%d позиции",
    .group = kChainGroup, .kinds = kPosKinds, .create = &createStat<TstChain2Pos>, .baseCode = "SDNx",
    .acceptsTypedValues = false, .multiInstance = true, .range = {1, 5}, .captionFormatter = &chainCaption<2>};
const TStatClassInfo kTstChain3DrawsPos{
    .className = "TstChain3DrawsPos", .code = "SDP3",
    .caption = "Переходы чисел между %0:d тиражами с учетом позиции", .group = kChainGroup, .kinds = kPosKinds,
    .create = &createStat<TstChain3DrawsPos>, .acceptsTypedValues = false, .captionFormatter = &chainCaption<3>};
const TStatClassInfo kTstChain3Pos{
    .className = "TstChain3Pos", .code = "SDM%d", .caption = "Переходы чисел между %0:d тиражами в %%d позиции",
    .group = kChainGroup, .kinds = kPosKinds, .create = &createStat<TstChain3Pos>, .baseCode = "SDMx",
    .acceptsTypedValues = false, .multiInstance = true, .range = {1, 5}, .captionFormatter = &chainCaption<3>};

const TStatClassInfo kTstChain2ChannelsAll{
    .className = "TstChain2ChannelsAll", .code = "SCV2",
    .caption = "Переходы каналов между %0:d тиражами без учета позиции", .group = kChainGroup, .kinds = kindD,
    .create = &createStat<TstChain2ChannelsAll>, .acceptsTypedValues = false,
    .captionFormatter = &chainCaption<2>};
const TStatClassInfo kTstChain2ChannelsPos{
    .className = "TstChain2ChannelsPos", .code = "SCP2",
    .caption = "Переходы каналов между %0:d тиражами с учетом позиции", .group = kChainGroup, .kinds = kPosKinds,
    .create = &createStat<TstChain2ChannelsPos>, .acceptsTypedValues = false,
    .captionFormatter = &chainCaption<2>};
const TStatClassInfo kTstChain2Channel{
    .className = "TstChain2Channel", .code = "SCN%d", .caption = "Переходы каналов между %0:d тиражами в %%d позиции",
    .group = kChainGroup, .kinds = kPosKinds, .create = &createStat<TstChain2Channel>, .baseCode = "SCNx",
    .acceptsTypedValues = false, .multiInstance = true, .range = {1, 5}, .captionFormatter = &chainCaption<2>};
const TStatClassInfo kTstChain3ChannelsPos{
    .className = "TstChain3ChannelsPos", .code = "SCP3",
    .caption = "Переходы каналов между %0:d тиражами с учетом позиции", .group = kChainGroup, .kinds = kPosKinds,
    .create = &createStat<TstChain3ChannelsPos>, .acceptsTypedValues = false,
    .captionFormatter = &chainCaption<3>};
const TStatClassInfo kTstChain3Channel{
    .className = "TstChain3Channel", .code = "SCM%d", .caption = "Переходы каналов между %0:d тиражами в %%d позиции",
    .group = kChainGroup, .kinds = kPosKinds, .create = &createStat<TstChain3Channel>, .baseCode = "SCMx",
    .acceptsTypedValues = false, .multiInstance = true, .range = {1, 5}, .captionFormatter = &chainCaption<3>};
const TStatClassInfo kTstChain2CnlCnt{
    .className = "TstChain2CnlCnt", .code = "SC2C%d",
    .caption = "Переходы кол-ва чисел в %%d канале между %0:d тиражами", .group = kChainGroup, .kinds = kindD,
    .create = &createStat<TstChain2CnlCnt>, .baseCode = "SC2Cx", .acceptsTypedValues = false,
    .multiInstance = true, .rangeFromSettings = &channelCountRange, .captionFormatter = &chainCaption<2>};
const TStatClassInfo kTstChain3CnlCnt{
    .className = "TstChain3CnlCnt", .code = "SC3C%d",
    .caption = "Переходы кол-ва чисел в %%d канале между %0:d тиражами", .group = kChainGroup, .kinds = kindD,
    .create = &createStat<TstChain3CnlCnt>, .baseCode = "SC3Cx", .acceptsTypedValues = false,
    .multiInstance = true, .rangeFromSettings = &channelCountRange, .captionFormatter = &chainCaption<3>};

const TStatClassInfo kTstChainChannels2InsideAll{
    .className = "TstChainChannels2InsideAll", .code = "SDA2", .caption = "Переходы чисел в пределах каналов (все)",
    .group = kChainGroup, .kinds = kindD, .create = &createStat<TstChainChannels2InsideAll>,
    .acceptsTypedValues = false};
const TStatClassInfo kTstChainChannels2InsideSuc{
    .className = "TstChainChannels2InsideSuc", .code = "SDG2",
    .caption = "Переходы чисел в пределах каналов (N-M, удачные)", .group = kChainGroup, .kinds = kindD,
    .create = &createStat<TstChainChannels2InsideSuc>, .acceptsTypedValues = false};
const TStatClassInfo kTstChainChannels2InsideBad{
    .className = "TstChainChannels2InsideBad", .code = "SDZ2",
    .caption = "Переходы чисел в пределах каналов (N-0, не удачные)", .group = kChainGroup, .kinds = kindD,
    .create = &createStat<TstChainChannels2InsideBad>, .acceptsTypedValues = false};
const TStatClassInfo kTstChainChannels2InsideCnt{
    .className = "TstChainChannels2InsideCnt", .code = "SDC2",
    .caption = "Переходы чисел в пределах каналов (количество)", .group = kChainGroup, .kinds = kindD,
    .create = &createStat<TstChainChannels2InsideCnt>, .acceptsTypedValues = false};

const TStatClassInfo kTstChain2SegmentsAll{
    .className = "TstChain2SegmentsAll", .code = "SSV2",
    .caption = "Переходы сегментов между %0:d тиражами без учета позиции", .group = kChainGroup, .kinds = kindD,
    .create = &createStat<TstChain2SegmentsAll>, .acceptsTypedValues = false,
    .captionFormatter = &chainCaption<2>};
const TStatClassInfo kTstChain2SegmentsPos{
    .className = "TstChain2SegmentsPos", .code = "SSP2",
    .caption = "Переходы сегментов между %0:d тиражами с учетом позиции", .group = kChainGroup, .kinds = kPosKinds,
    .create = &createStat<TstChain2SegmentsPos>, .acceptsTypedValues = false,
    .captionFormatter = &chainCaption<2>};
const TStatClassInfo kTstChain2Segment{
    .className = "TstChain2Segment", .code = "SSN%d",
    .caption = "Переходы сегментов между %0:d тиражами в %%d позиции", .group = kChainGroup, .kinds = kPosKinds,
    .create = &createStat<TstChain2Segment>, .baseCode = "SSNx", .acceptsTypedValues = false,
    .multiInstance = true, .range = {1, 5}, .captionFormatter = &chainCaption<2>};
const TStatClassInfo kTstChain3SegmentsPos{
    .className = "TstChain3SegmentsPos", .code = "SSP3",
    .caption = "Переходы сегментов между %0:d тиражами с учетом позиции", .group = kChainGroup, .kinds = kPosKinds,
    .create = &createStat<TstChain3SegmentsPos>, .acceptsTypedValues = false,
    .captionFormatter = &chainCaption<3>};
const TStatClassInfo kTstChain3Segment{
    .className = "TstChain3Segment", .code = "SSM%d",
    .caption = "Переходы сегментов между %0:d тиражами в %%d позиции", .group = kChainGroup, .kinds = kPosKinds,
    .create = &createStat<TstChain3Segment>, .baseCode = "SSMx", .acceptsTypedValues = false,
    .multiInstance = true, .range = {1, 5}, .captionFormatter = &chainCaption<3>};
const TStatClassInfo kTstChain2SgmCnt{
    .className = "TstChain2SgmCnt", .code = "SS2C%d",
    .caption = "Переходы кол-ва чисел в %%d сегменте между %0:d тиражами", .group = kChainGroup, .kinds = kindD,
    .create = &createStat<TstChain2SgmCnt>, .baseCode = "SS2Cx", .acceptsTypedValues = false,
    .multiInstance = true, .rangeFromSettings = &segmentCountRange, .captionFormatter = &chainCaption<2>};
const TStatClassInfo kTstChain3SgmCnt{
    .className = "TstChain3SgmCnt", .code = "SS3C%d",
    .caption = "Переходы кол-ва чисел в %%d сегменте между %0:d тиражами", .group = kChainGroup, .kinds = kindD,
    .create = &createStat<TstChain3SgmCnt>, .baseCode = "SS3Cx", .acceptsTypedValues = false,
    .multiInstance = true, .rangeFromSettings = &segmentCountRange, .captionFormatter = &chainCaption<3>};

}  // namespace tavlora
