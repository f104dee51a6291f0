#include "scenario/filter_variants.h"

#include "core/error.h"
#include "core/format.h"
#include "core/text_forms.h"

namespace tavlora {

std::string TFilterPart::text() const {
    if (!used) return "";
    TFilterItem f;
    f.used = true;
    f.method = method;
    f.methodIndex = methodIndex;
    f.methodText = methodText;
    f.drawsText = std::to_string(sampleLength);
    f.sortColumn = sortColumn;
    f.bottomUp = bottomUp;
    f.multiSelect = multiSelect;
    f.keepSelected = keepSelected;
    f.selectionMode = selectionMode;
    f.selectionText = selectionValue;
    f.weightOverride = weightOverride;
    f.weights = weights;
    f.stopMode = stopMode;
    f.stopValue = stopValue;
    return f.text();
}

std::string variantText(const TFilterRec& variant) {
    std::string s;
    for (const TFilterPart& p : variant) {
        if (!p.used) continue;
        if (!s.empty()) s += " + ";
        s += p.text();
    }
    return s;
}

TFilterVariants::TFilterVariants(const ScenarioLine& line) {
    for (const TFilterItem& f : line.filters) {
        if (!f.used) continue;
        const TIntArray draws = f.drawsList();
        if (draws.empty()) throw EError(fmt(kBadFilterError, f.text()));
        TIntArray values;
        if (f.selectionMode != 0) {
            values = f.selectionList();
            if (values.empty()) throw EError(fmt(kBadFilterError, f.text()));
        }

        TFilterPart base;
        base.used = true;
        base.method = f.method;
        base.methodIndex = f.methodIndex;
        base.methodText = f.methodText;
        base.sortColumn = f.sortColumn;
        base.bottomUp = f.bottomUp;
        base.multiSelect = f.multiSelect;
        base.keepSelected = f.keepSelected;
        base.selectionMode = f.selectionMode;
        base.selectionText = f.selectionText;
        base.weightOverride = f.weightOverride;
        base.weights = f.weights;
        base.stopMode = f.stopMode;
        base.stopValue = f.stopValue;

        Slot slot{base, draws, {}};
        if (expandsSelectionValues(f.selectionMode)) {
            slot.values.reserve(values.size());
            for (int32_t v : values) slot.values.push_back(std::to_string(v));
        } else {
            slot.values.push_back(isListSelectionMode(f.selectionMode) && !values.empty() ? joinInts(values, ",")
                                                                                         : f.selectionText);
        }
        const int64_t size = static_cast<int64_t>(slot.draws.size()) * static_cast<int64_t>(slot.values.size());
        const int64_t before = slots_.empty() ? 1 : count_;
        if (size > kMaxVariants / before)  // the product would exceed the limit (or 64 bits)
            throw EError(fmt("%s\r\r%s", kTooManyVariantsError,
                             fmt("Количество вариантов превышает %d.", static_cast<int64_t>(kMaxVariants))));
        count_ = before * size;
        slots_.push_back(std::move(slot));
    }
}

int64_t TFilterVariants::slotSize(int slot) const {
    const Slot& s = slots_.at(static_cast<size_t>(slot));
    return static_cast<int64_t>(s.draws.size()) * static_cast<int64_t>(s.values.size());
}

TFilterPart TFilterVariants::part(int slot, int64_t j) const {
    const Slot& s = slots_.at(static_cast<size_t>(slot));
    const auto n = static_cast<int64_t>(s.values.size());
    TFilterPart p = s.base;
    p.sampleLength = s.draws.at(static_cast<size_t>(j / n));
    p.selectionValue = s.values[static_cast<size_t>(j % n)];
    return p;
}

TFilterRec TFilterVariants::variant(int64_t k) const {
    if (k < 0 || k >= count_) throw EError(fmt("Вариант фильтров %d не существует (всего вариантов: %d).", k, count_));
    TFilterRec rec;
    // The last filter varies fastest.
    for (int s = slotCount() - 1; s >= 0; --s) {
        const int64_t n = slotSize(s);
        rec[static_cast<size_t>(s)] = part(s, k % n);
        k /= n;
    }
    return rec;
}

}  // namespace tavlora
