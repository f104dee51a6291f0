// The 24-byte records of the .ldr archive: a record read and written again reads back the same,
// and its second writing gives the same bytes.
#include <array>

#include "core/records.h"
#include "fuzz_check.h"

using namespace tavlora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (size_t pos = 0; pos + TDraw::kSize <= size; pos += TDraw::kSize) {
        const TDraw d = TDraw::decode(data + pos);
        FUZZ_CHECK(d.dateText().size() <= TDraw::kDateMax);
        std::array<uint8_t, TDraw::kSize> once{};
        d.encode(once.data());
        const TDraw again = TDraw::decode(once.data());
        FUZZ_CHECK(again == d);
        std::array<uint8_t, TDraw::kSize> twice{};
        again.encode(twice.data());
        FUZZ_CHECK(once == twice);
    }
    return 0;
}
