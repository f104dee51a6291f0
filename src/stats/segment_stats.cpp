// Segment statistics (group 5): every number carries a segment digit from the settings' segment map
// (read when a method is created). The members follow the channel statistics with the segment in
// place of the channel: the segment of each number, the count per segment, the number of distinct
// segments, the count in one segment and the tuples of segments. Segments are listed in the order
// the map first uses them (scanning 1..69).
#include "stats/layout_stats.h"
#include "stats/stat_classes.h"
#include "stats/stat_list.h"

namespace tavlora {

namespace {

constexpr int kSegmentGroup = 5;

}  // namespace

// The segment of each number; every segment of the map pre-listed.
class TstSegments : public TClassOfNumberStat {
public:
    TstSegments(const TStatList& l, const TStatClassInfo& c, int p)
        : TClassOfNumberStat(l, c, p, TLayoutAxis::Segment) {}
};

// (segment, count) for every segment of the map; nothing pre-listed.
class TstSegmValues : public TClassCountsStat {
public:
    TstSegmValues(const TStatList& l, const TStatClassInfo& c, int p)
        : TClassCountsStat(l, c, p, TLayoutAxis::Segment, -1) {}
};

// Number of distinct segments; nothing pre-listed.
class TstSegmCount : public TDistinctClassesStat {
public:
    TstSegmCount(const TStatList& l, const TStatClassInfo& c, int p)
        : TDistinctClassesStat(l, c, p, TLayoutAxis::Segment, 0) {}
};

// Numbers in the segment of the parameter; nothing pre-listed.
class TstSgmValCnt : public TCountInClassStat {
public:
    TstSgmValCnt(const TStatList& l, const TStatClassInfo& c, int p)
        : TCountInClassStat(l, c, p, TLayoutAxis::Segment, 0) {}
};

using TstCombSegmMix2 = TLayoutTupleStat<TLayoutAxis::Segment, 2, false>;
using TstCombSegmMix3 = TLayoutTupleStat<TLayoutAxis::Segment, 3, false>;
using TstCombSegmMix4 = TLayoutTupleStat<TLayoutAxis::Segment, 4, false>;
using TstCombSegmSeq2 = TLayoutTupleStat<TLayoutAxis::Segment, 2, true>;
using TstCombSegmSeq3 = TLayoutTupleStat<TLayoutAxis::Segment, 3, true>;
using TstCombSegmSeq4 = TLayoutTupleStat<TLayoutAxis::Segment, 4, true>;

// --- descriptors -------------------------------------------------------------------------

const TStatClassInfo kTstSegments{.className = "TstSegments", .code = "SGMS", .caption = "Сегменты матрицы",
                                  .group = kSegmentGroup, .kinds = kindN, .create = &createStat<TstSegments>};
const TStatClassInfo kTstSegmValues{.className = "TstSegmValues", .code = "SGMV",
                                    .caption = "Количество чисел в сегменте матрицы", .group = kSegmentGroup,
                                    .kinds = kindN, .create = &createStat<TstSegmValues>,
                                    .acceptsTypedValues = false};
const TStatClassInfo kTstSegmCount{.className = "TstSegmCount", .code = "SGMC",
                                   .caption = "Количество не пустых сегментов в матрице", .group = kSegmentGroup,
                                   .kinds = kindN, .create = &createStat<TstSegmCount>, .isGraph = true};
const TStatClassInfo kTstSgmValCnt{.className = "TstSgmValCnt", .code = "SGM%d",
                                   .caption = "Количество чисел в %0:d сегменте матрицы", .group = kSegmentGroup,
                                   .kinds = kindN, .create = &createStat<TstSgmValCnt>, .baseCode = "SGMx",
                                   .isGraph = true, .multiInstance = true, .rangeFromSettings = &segmentInstanceRange};

#define TAVLORA_SEGMENT_TUPLE(Name, Code, Caption, K)                                                          \
    const TStatClassInfo k##Name{.className = #Name, .code = Code, .caption = Caption, .group = kSegmentGroup, \
                                 .kinds = kindS, .create = &createStat<Name>, .acceptsTypedValues = false,     \
                                 .fixedNumber = K};
TAVLORA_SEGMENT_TUPLE(TstCombSegmMix2, "KGM%d", "Сочетания из %0:d сегментов по всем числам тиража", 2)
TAVLORA_SEGMENT_TUPLE(TstCombSegmMix3, "KGM%d", "Сочетания из %0:d сегментов по всем числам тиража", 3)
TAVLORA_SEGMENT_TUPLE(TstCombSegmMix4, "KGM%d", "Сочетания из %0:d сегментов по всем числам тиража", 4)
TAVLORA_SEGMENT_TUPLE(TstCombSegmSeq2, "KGS%d", "Сочетания из %0:d сегментов по соседним числам", 2)
TAVLORA_SEGMENT_TUPLE(TstCombSegmSeq3, "KGS%d", "Сочетания из %0:d сегментов по соседним числам", 3)
TAVLORA_SEGMENT_TUPLE(TstCombSegmSeq4, "KGS%d", "Сочетания из %0:d сегментов по соседним числам", 4)
#undef TAVLORA_SEGMENT_TUPLE

}  // namespace tavlora
