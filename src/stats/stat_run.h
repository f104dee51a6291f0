#pragma once
// The calling protocols of the statistics methods: a statistics run over a window of draws, a
// filter run over a combination list (whole or one chunk at a time, for the parallel loop), the
// graph numbers of draws and the values of combinations for norm files.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/progress.h"
#include "core/records.h"
#include "stats/custom_stat.h"
#include "stats/stat_types.h"

namespace tavlora {

// First index of a window of `length` draws ending at lastIndex: max(0, last - length + 1).
int windowFirstIndex(int lastIndex, int length);

// Statistics run: list all values for lastIndex, then values of every draw of the window in
// ascending order, with a fresh state block and last-value table. An empty window (lastIndex < 0
// or length < 1) gives only the pre-listed values.
TStatDrawArray statisticsRun(TCustomStat& method, int lastIndex, int length, bool sorted);

// Reference index of a filter run: the archive's last index minus the offset, 0 when negative.
int filterReferenceIndex(int archiveSize, int offset);

// A filter run is prepared once with TCustomStat::prepareFilter; its matcher then tests chunks
// from any number of threads.
// Appends to `out`, in order, the combinations of src[begin, end) the matcher keeps (each thread
// with its own `out`).
void filterChunk(const TStatMatcher& matcher, const TCombsArray& src, size_t begin, size_t end, TCombsArray& out);
// The whole filter run on all cores: the method's matcher for the selection, then the kept
// combinations of src in order. On a stop request returns false and leaves `out` empty.
bool filterRun(const TCustomStat& method, const TCombsArray& src, const TStatDrawArray& selection, int referenceIndex,
               bool sorted, TFilterMode mode, TCombsArray& out, Progress* progress = nullptr);

// Graph numbers of the draws first..last (number of a draw with reference index `referenceIndex`).
std::vector<int32_t> graphNumbers(const TCustomGraphStat& method, int first, int last, int referenceIndex, bool sorted);

// Adds the values of every combination of src[begin, end) to `list` (values of a combination).
// One instance per thread; merge the lists with mergeValueCounts.
void combValuesChunk(TCustomStat& method, const TCombsArray& src, size_t begin, size_t end, TStatDrawArray& list);

}  // namespace tavlora
