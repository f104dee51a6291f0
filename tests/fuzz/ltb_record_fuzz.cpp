// The 276-byte records of the .ltb regulars: a record either is refused, or holds only values
// the program can use (numbers 1..69 or an empty combination, a step within -69..69, a count of
// stakes >= 0), and written and read again it reads back the same.
#include <array>

#include "core/error.h"
#include "fuzz_check.h"
#include "stakes/regulars.h"

using namespace tavlora;

namespace {

bool usable(const TComb& c) {
    int zeros = 0;
    for (uint8_t v : c.n) {
        if (v == 0) ++zeros;
        else if (v > 69) return false;
    }
    return zeros == 0 || zeros == 5;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (size_t pos = 0; pos + TRegular::kSize <= size; pos += TRegular::kSize) {
        TRegular r;
        try {
            r = TRegular::decode(data + pos);
        } catch (const EError&) {
            continue;
        }
        FUZZ_CHECK(usable(r.start) && usable(r.current));
        FUZZ_CHECK(r.step >= -kRegularStepLimit && r.step <= kRegularStepLimit);
        FUZZ_CHECK(r.stakes >= 0);
        std::array<uint8_t, TRegular::kSize> once{};
        r.encode(once.data());
        const TRegular again = TRegular::decode(once.data());
        FUZZ_CHECK(again == r);
        std::array<uint8_t, TRegular::kSize> twice{};
        again.encode(twice.data());
        FUZZ_CHECK(once == twice);
    }
    return 0;
}
