#include "stats/stat_run.h"

#include <algorithm>
#include <memory>

#include "core/parallel.h"

namespace tavlora {

int windowFirstIndex(int lastIndex, int length) {
    const int64_t first = static_cast<int64_t>(lastIndex) - length + 1;
    return first < 0 ? 0 : static_cast<int>(first);
}

TStatDrawArray statisticsRun(TCustomStat& method, int lastIndex, int length, bool sorted) {
    TStatDrawArray list;
    auto state = std::make_unique<TStatState>();
    state->clear();
    TLastValueArray lastValues;
    method.listAllValues(lastIndex, list);
    if (lastIndex < 0 || length < 1) return list;
    for (int i = windowFirstIndex(lastIndex, length); i <= lastIndex; ++i)
        method.valuesOfDraw(i, lastIndex, sorted, list, *state, lastValues);
    return list;
}

int filterReferenceIndex(int archiveSize, int offset) {
    const int reference = archiveSize - 1 - offset;
    return reference < 0 ? 0 : reference;
}

void filterChunk(const TStatMatcher& matcher, const TCombsArray& src, size_t begin, size_t end, TCombsArray& out) {
    if (end > src.size()) end = src.size();
    const uint8_t keep = matcher.mode() == TFilterMode::Include ? 1 : 0;
    uint8_t matched[1024];
    for (size_t i = begin; i < end; i += sizeof matched) {
        const size_t count = std::min(sizeof matched, end - i);
        matcher.matchChunk(src.data() + i, count, matched);
        for (size_t k = 0; k < count; ++k)
            if (matched[k] == keep) out.push_back(src[i + k]);
    }
}

bool filterRun(const TCustomStat& method, const TCombsArray& src, const TStatDrawArray& selection, int referenceIndex,
               bool sorted, TFilterMode mode, TCombsArray& out, Progress* progress) {
    out.clear();
    const auto matcher = method.prepareFilter(selection, referenceIndex, sorted, mode);
    const bool done = parallelFilterChunksInto(
        src, out,
        [&](const TComb* combs, size_t, size_t count, unsigned, uint8_t* matched) {
            matcher->matchChunk(combs, count, matched);
        },
        mode == TFilterMode::Include, 4096, progress);
    if (!done) out.clear();
    return done;
}

std::vector<int32_t> graphNumbers(const TCustomGraphStat& method, int first, int last, int referenceIndex,
                                  bool sorted) {
    std::vector<int32_t> out;
    if (first < 0) first = 0;
    for (int i = first; i <= last; ++i) out.push_back(method.numberOfDraw(i, referenceIndex, sorted));
    return out;
}

void combValuesChunk(TCustomStat& method, const TCombsArray& src, size_t begin, size_t end, TStatDrawArray& list) {
    if (end > src.size()) end = src.size();
    for (size_t i = begin; i < end; ++i) method.valuesOfComb(src[i], list);
}

}  // namespace tavlora
