// Value lists ("1-4;1", "7; 21"): never longer than the limit, and a list written back reads as
// the same list: written with "," when it is short, in its range form "first-last;step" when
// only a stepped range can have made it (no 4 KB input holds that many values one by one; the
// range form keeps the check from writing and splitting 100 000 numbers per input).
#include <string>

#include "core/text_forms.h"
#include "fuzz_check.h"

using namespace tavlora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const TIntArray values = parseValueList(fuzzText(data, size));
    FUZZ_CHECK(static_cast<int64_t>(values.size()) <= kMaxValueListSize);
    if (values.empty()) return 0;
    if (values.size() <= size) {
        FUZZ_CHECK(parseValueList(joinInts(values, ", ")) == values);
        return 0;
    }
    const int64_t step = static_cast<int64_t>(values[1]) - values[0];
    for (size_t i = 1; i < values.size(); ++i) FUZZ_CHECK(static_cast<int64_t>(values[i]) - values[i - 1] == step);
    const std::string range =
        std::to_string(values.front()) + "-" + std::to_string(values.back()) + ";" + std::to_string(step);
    FUZZ_CHECK(parseValueList(range) == values);
    return 0;
}
