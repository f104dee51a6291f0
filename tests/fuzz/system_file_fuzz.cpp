// Wheeling system files: a file is either refused with a reason or read as combinations of five
// distinct positions 1..K, and those combinations written one per line read back the same.
#include <string>

#include "core/error.h"
#include "fuzz_check.h"
#include "stakes/systems.h"

using namespace tavlora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const int k = size > 0 ? 6 + data[0] % 20 : 10;
    std::vector<TComb> read;
    try {
        read = parseSystemPositions(fuzzText(data, size), k);
    } catch (const EError&) {
        return 0;
    }
    std::string written;
    for (const TComb& c : read) {
        for (size_t i = 0; i < c.n.size(); ++i) {
            FUZZ_CHECK(c.n[i] >= 1 && c.n[i] <= k);
            for (size_t j = 0; j < i; ++j) FUZZ_CHECK(c.n[i] != c.n[j]);
            written += std::to_string(c.n[i]) + (i + 1 < c.n.size() ? " " : "\r\n");
        }
    }
    FUZZ_CHECK(parseSystemPositions(written, k) == read);
    return 0;
}
