// Channel statistics (group 3): the channels of the five numbers, the count of numbers in every
// channel, the number of distinct channels, the count in one channel, and the tuples of channels.
// A channel of width C holds the numbers C(k-1)+1 .. Ck; the width is read from the settings when a
// method is created.
#include <algorithm>

#include "core/format.h"
#include "core/text_forms.h"
#include "stats/layout_stats.h"
#include "stats/stat_classes.h"
#include "stats/stat_list.h"

namespace tavlora {

namespace {

constexpr int kChannelGroup = 3;

}  // namespace

// The channel of each number; shown with the channel's bounds ("03 [21-30]").
class TstChannels : public TClassOfNumberStat {
public:
    TstChannels(const TStatList& l, const TStatClassInfo& c, int p)
        : TClassOfNumberStat(l, c, p, TLayoutAxis::Channel) {}
    std::string valueToText(const TStatDraw& value) const override {
        return channelText(value.keys[0], classes_.tables.channelWidth);
    }
    // The first word of the text (words end at a blank) as a decimal integer.
    int32_t textToValue(std::string_view text) const override {
        const size_t blank = text.find(' ');
        return readInt(blank == std::string_view::npos ? text : text.substr(0, blank), 0);
    }
};

// (channel, count) for every channel, counts 0..min(C, 5) pre-listed; "03 [21-30] x 2".
class TstChanValues : public TClassCountsStat {
public:
    TstChanValues(const TStatList& l, const TStatClassInfo& c, int p)
        : TClassCountsStat(l, c, p, TLayoutAxis::Channel, std::min(layoutChannelWidth(l.settings()), 5)) {}
    std::string valueToText(const TStatDraw& value) const override {
        return fmt("%0:s x %1:d", channelText(value.keys[0], classes_.tables.channelWidth), value.keys[1]);
    }
};

// Number of distinct channels; 1..min(C, 5) pre-listed.
class TstChanCount : public TDistinctClassesStat {
public:
    TstChanCount(const TStatList& l, const TStatClassInfo& c, int p)
        : TDistinctClassesStat(l, c, p, TLayoutAxis::Channel, std::min(layoutChannelWidth(l.settings()), 5)) {}
};

// Numbers in the channel of the parameter; 1..C pre-listed.
class TstChnValCnt : public TCountInClassStat {
public:
    TstChnValCnt(const TStatList& l, const TStatClassInfo& c, int p)
        : TCountInClassStat(l, c, p, TLayoutAxis::Channel, layoutChannelWidth(l.settings())) {}
};

using TstCombChnMix2 = TLayoutTupleStat<TLayoutAxis::Channel, 2, false>;
using TstCombChnMix3 = TLayoutTupleStat<TLayoutAxis::Channel, 3, false>;
using TstCombChnMix4 = TLayoutTupleStat<TLayoutAxis::Channel, 4, false>;
using TstCombChnSeq2 = TLayoutTupleStat<TLayoutAxis::Channel, 2, true>;
using TstCombChnSeq3 = TLayoutTupleStat<TLayoutAxis::Channel, 3, true>;
using TstCombChnSeq4 = TLayoutTupleStat<TLayoutAxis::Channel, 4, true>;

// --- descriptors -------------------------------------------------------------------------

const TStatClassInfo kTstChannels{.className = "TstChannels", .code = "CHAN", .caption = "Каналы",
                                  .group = kChannelGroup, .kinds = kindN, .create = &createStat<TstChannels>};
const TStatClassInfo kTstChanValues{.className = "TstChanValues", .code = "CHNV",
                                    .caption = "Количество чисел в канале", .group = kChannelGroup, .kinds = kindN,
                                    .create = &createStat<TstChanValues>, .acceptsTypedValues = false};
const TStatClassInfo kTstChanCount{.className = "TstChanCount", .code = "CHNC",
                                   .caption = "Количество каналов в тираже", .group = kChannelGroup, .kinds = kindN,
                                   .create = &createStat<TstChanCount>, .isGraph = true};
const TStatClassInfo kTstChnValCnt{.className = "TstChnValCnt", .code = "CHN%d",
                                   .caption = "Количество чисел в %0:d канале", .group = kChannelGroup,
                                   .kinds = kindN, .create = &createStat<TstChnValCnt>, .baseCode = "CHNx",
                                   .isGraph = true, .multiInstance = true, .rangeFromSettings = &channelInstanceRange};

#define TAVLORA_CHANNEL_TUPLE(Name, Code, Caption, K)                                                          \
    const TStatClassInfo k##Name{.className = #Name, .code = Code, .caption = Caption, .group = kChannelGroup, \
                                 .kinds = kindS, .create = &createStat<Name>, .acceptsTypedValues = false,     \
                                 .fixedNumber = K};
TAVLORA_CHANNEL_TUPLE(TstCombChnMix2, "KCM%d", "Сочетания из %0:d каналов по всем числам тиража", 2)
TAVLORA_CHANNEL_TUPLE(TstCombChnMix3, "KCM%d", "Сочетания из %0:d каналов по всем числам тиража", 3)
TAVLORA_CHANNEL_TUPLE(TstCombChnMix4, "KCM%d", "Сочетания из %0:d каналов по всем числам тиража", 4)
TAVLORA_CHANNEL_TUPLE(TstCombChnSeq2, "KCS%d", "Сочетания из %0:d каналов по соседним числам", 2)
TAVLORA_CHANNEL_TUPLE(TstCombChnSeq3, "KCS%d", "Сочетания из %0:d каналов по соседним числам", 3)
TAVLORA_CHANNEL_TUPLE(TstCombChnSeq4, "KCS%d", "Сочетания из %0:d каналов по соседним числам", 4)
#undef TAVLORA_CHANNEL_TUPLE

}  // namespace tavlora
