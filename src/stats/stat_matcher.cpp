#include "stats/stat_matcher.h"

#include <utility>

#include "stats/custom_stat.h"

namespace tavlora {

TStatMatcher::TStatMatcher(const TCustomStat& method, TStatDrawArray selection, int referenceIndex, bool sorted,
                           TFilterMode mode)
    : method_(method),
      selection_(std::move(selection)),
      referenceIndex_(referenceIndex),
      sorted_(sorted),
      mode_(mode),
      key1_(selection_) {
    // Every other member is set: the method builds its tables from this matcher's selection.
    tables_ = method_.buildMatchTables(*this);
}

bool TStatMatcher::matches(const TComb& comb) const { return method_.matchTest(comb, *this); }

void TStatMatcher::matchChunk(const TComb* combs, std::size_t count, uint8_t* matched) const {
    method_.matchChunk(combs, count, *this, matched);
}

}  // namespace tavlora
