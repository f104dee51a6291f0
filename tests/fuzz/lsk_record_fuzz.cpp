// The 312-byte records of the .lsk stakes file: a record read and written again reads back the
// same, and its second writing gives the same bytes.
#include "fuzz_check.h"
#include "stakes/stake_record.h"

using namespace tavlora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (size_t pos = 0; pos + TStakeRecord::kSize <= size; pos += TStakeRecord::kSize) {
        const TStakeRecord r = TStakeRecord::decode(data + pos);
        const std::string once = r.toBytes();
        FUZZ_CHECK(once.size() == TStakeRecord::kSize);
        const TStakeRecord again = TStakeRecord::decode(reinterpret_cast<const uint8_t*>(once.data()));
        FUZZ_CHECK(again.toBytes() == once);
    }
    return 0;
}
