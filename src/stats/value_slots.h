#pragma once
// Adds the values of combinations to a value list through a direct index from a small slot
// number (a method's own encoding of the value's keys) to the entry's place in the list, so that
// the values of every combination of a norm run do not scan the list for each value. The result
// equals addValue without the draw flag: the index is only a shortcut, checked against the
// entry's keys before use, and a miss falls back to addValue.
#include <array>
#include <cstdint>

#include "stats/stat_types.h"

namespace tavlora {

template <size_t kSlots>
class TValueSlots {
public:
    TValueSlots() { at_.fill(-1); }

    void add(TStatDrawArray& list, const TStatDraw& value, size_t slot) {
        if (slot < kSlots) {
            const int32_t at = at_[slot];
            if (at >= 0 && static_cast<size_t>(at) < list.size() &&
                list[static_cast<size_t>(at)].sameKeys(value)) {
                TStatDraw& e = list[static_cast<size_t>(at)];
                e.count += value.count;
                if (e.depth == 0 || (value.depth > 0 && value.depth <= e.depth)) {
                    e.lastDraw = value.lastDraw;
                    e.depth = value.depth;
                }
                e.runningDraw = value.lastDraw;
                return;
            }
        }
        addValue(list, value, false);
        if (slot < kSlots) at_[slot] = findValue(list, value);
    }

private:
    std::array<int32_t, kSlots> at_;
};

}  // namespace tavlora
