// Combinations typed or pasted: the stake dialog's reader and the clipboard's reader agree on
// what a valid combination is, and a valid one written out reads back the same.
#include "core/error.h"
#include "core/text_forms.h"
#include "fuzz_check.h"
#include "stakes/stake_actions.h"

using namespace tavlora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text = fuzzText(data, size);
    if (const auto five = readFiveNumbers(text)) {
        FUZZ_CHECK(combIsValid(*five));
        FUZZ_CHECK(readFiveNumbers(semicolonForm(*five)) == five);
        FUZZ_CHECK(parseCombination(semicolonForm(*five)) == *five);
    }
    const TStakeInput stake = validateStakeInput(text, "c");
    if (stake.ok) FUZZ_CHECK(combIsValid(stake.numbers));
    FUZZ_CHECK(stake.ok == readFiveNumbers(text).has_value());
    try {
        const TComb c = parseCombination(text);
        if (combIsValid(c)) FUZZ_CHECK(parseCombination(semicolonForm(c)) == c);
    } catch (const EError&) {
    }
    return 0;
}
