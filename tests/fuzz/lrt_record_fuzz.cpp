// The 296-byte records of the .lrt rating: a record read and written again reads back the same.
#include <array>

#include "fuzz_check.h"
#include "stakes/ratings.h"

using namespace tavlora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (size_t pos = 0; pos + TRatingRecord::kSize <= size; pos += TRatingRecord::kSize) {
        const TRatingRecord r = TRatingRecord::decode(data + pos);
        std::array<uint8_t, TRatingRecord::kSize> once{};
        r.encode(once.data());
        const TRatingRecord again = TRatingRecord::decode(once.data());
        FUZZ_CHECK(again == r);
        std::array<uint8_t, TRatingRecord::kSize> twice{};
        again.encode(twice.data());
        FUZZ_CHECK(once == twice);
    }
    return 0;
}
