// Value lists ("1-4;1", "7; 21"): never longer than the limit, and a list written out with ","
// reads back as the same list.
#include "core/text_forms.h"
#include "fuzz_check.h"

using namespace tavlora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const TIntArray values = parseValueList(fuzzText(data, size));
    FUZZ_CHECK(static_cast<int64_t>(values.size()) <= kMaxValueListSize);
    if (!values.empty()) FUZZ_CHECK(parseValueList(joinInts(values, ", ")) == values);
    return 0;
}
