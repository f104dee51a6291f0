// .lcv combination files: either refused whole, or every combination read is five distinct
// numbers 1..69 and the list written out reads back the same.
#include "core/error.h"
#include "core/text_forms.h"
#include "fuzz_check.h"
#include "workspace/lcv_file.h"

using namespace tavlora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TCombsArray combs;
    try {
        parseLcvText(fuzzText(data, size), combs);
    } catch (const EError&) {
        FUZZ_CHECK(combs.empty());
        return 0;
    }
    for (const TComb& c : combs) FUZZ_CHECK(combIsValid(c));
    TCombsArray again;
    parseLcvText(lcvText(combs), again);
    FUZZ_CHECK(again == combs);
    return 0;
}
