#pragma once
// The registry order: the 143 statistics method classes in the order the registry walks them.
// Each family defines the descriptors of its classes in its own source file and names them here;
// a class whose family is not built yet has a null descriptor and is skipped.
#include <array>
#include <string_view>

#include "stats/custom_stat.h"

namespace tavlora {

struct TStatRegistryEntry {
    int number;                  // 1..143
    std::string_view className;  // "TstSumValues"
    const TStatClassInfo* info;  // null until the class is built
};

inline constexpr int kRegistryClassCount = 143;
const std::array<TStatRegistryEntry, kRegistryClassCount>& statRegistryOrder();
// The descriptor of a class by its class name; null when unknown or not built.
const TStatClassInfo* findStatClass(std::string_view className);

// --- descriptors of the built families ---
// Numbers (number_stats.cpp)
extern const TStatClassInfo kTstValues, kTstDigits, kTstEvenCount, kTstEvenValues, kTstSmallCount, kTstSmallValues,
    kTstPrimeCount, kTstPrimeValues, kTstPosVal, kTstPosExt;
// Sums (sum_stats.cpp)
extern const TStatClassInfo kTstSumValues, kTstSumRanges, kTstSumChange, kTstSumChangeSome, kTstSumTrend,
    kTstSumEvenValues, kTstSumPrimeValues, kTstSum2To3;
// Shredding (shredding_stats.cpp)
extern const TStatClassInfo kTstShreddingStat;
// Serial (serial_stats.cpp)
extern const TStatClassInfo kTstNumGroups, kTstNumPauses, kTstChnGroups, kTstChnPauses, kTstSgmGroups, kTstSgmPauses;
// Periods (period_stats.cpp)
extern const TStatClassInfo kTstNumPeriods, kTstChnPeriods, kTstSgmPeriods;
// Differences (diff_stats.cpp)
extern const TStatClassInfo kTstDiffTotal, kTstDiffMax, kTstMinMaxDiffs, kTstDiffSame, kTstDiffSameCnt,
    kTstCombDiffSeq2, kTstCombDiffSeq3, kTstCombDiffSeq4;
// Channels (channel_stats.cpp)
extern const TStatClassInfo kTstChannels, kTstChanValues, kTstChanCount, kTstChnValCnt, kTstCombChnMix2,
    kTstCombChnMix3, kTstCombChnMix4, kTstCombChnSeq2, kTstCombChnSeq3, kTstCombChnSeq4;
// Matrix (matrix_stats.cpp)
extern const TStatClassInfo kTstColumns, kTstRows, kTstColValues, kTstRowValues, kTstColCount, kTstRowCount,
    kTstColMask, kTstRowMask, kTstColAjacent, kTstRowAjacent, kTstColAjacentCnt, kTstRowAjacentCnt, kTstColValCnt,
    kTstRowValCnt, kTstCombColMix2, kTstCombColMix3, kTstCombColMix4, kTstCombColSeq2, kTstCombColSeq3,
    kTstCombColSeq4, kTstCombRowMix2, kTstCombRowMix3, kTstCombRowMix4, kTstCombRowSeq2, kTstCombRowSeq3,
    kTstCombRowSeq4;
// Segments (segment_stats.cpp)
extern const TStatClassInfo kTstSegments, kTstSegmValues, kTstSegmCount, kTstSgmValCnt, kTstCombSegmMix2,
    kTstCombSegmMix3, kTstCombSegmMix4, kTstCombSegmSeq2, kTstCombSegmSeq3, kTstCombSegmSeq4;
// Sequences (sequence_stats.cpp)
extern const TStatClassInfo kTstSequenceLen, kTstSequenceCnt, kTstSequenceLenMax;
// Chains (chain_stats.cpp)
extern const TStatClassInfo kTstChain2DrawsAll, kTstChain2DrawsPos, kTstChain2Pos, kTstChain3DrawsPos, kTstChain3Pos,
    kTstChain2ChannelsAll, kTstChain2ChannelsPos, kTstChain2Channel, kTstChain3ChannelsPos, kTstChain3Channel,
    kTstChain2CnlCnt, kTstChain3CnlCnt, kTstChainChannels2InsideAll, kTstChainChannels2InsideSuc,
    kTstChainChannels2InsideBad, kTstChainChannels2InsideCnt, kTstChain2SegmentsAll, kTstChain2SegmentsPos,
    kTstChain2Segment, kTstChain3SegmentsPos, kTstChain3Segment, kTstChain2SgmCnt, kTstChain3SgmCnt;
// Repeats (repeat_stats.cpp)
extern const TStatClassInfo kTstRepValues2, kTstRepValues3, kTstRepValues2B3, kTstRepValues2over1,
    kTstRepValues2over2, kTstRepValues2over3, kTstRepValues2P1, kTstRepValues2N1, kTstRepValues2P2, kTstRepValues2N2,
    kTstRepCount2, kTstRepCount3, kTstRepCount2B3, kTstRepCount2over1, kTstRepCount2over2, kTstRepCount2over3,
    kTstRepCount2P1, kTstRepCount2N1, kTstRepCount2P2, kTstRepCount2N2;
// Combined values (combined_stats.cpp); the three sorted members are unavailable
extern const TStatClassInfo kTstCombValMix2, kTstCombValMix3, kTstCombValMix4, kTstCombValSeq2, kTstCombValSeq3,
    kTstCombValSeq4, kTstCombValPos2, kTstCombValPos3, kTstCombValPos4, kTstCombValSort2, kTstCombValSort3,
    kTstCombValSort4;
// Tesk numbers (tesk_stats.cpp)
extern const TStatClassInfo kTstTesk1, kTstTesk2, kTstTesk3;

}  // namespace tavlora
