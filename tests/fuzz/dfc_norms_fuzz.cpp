// .dfc norm files: bytes that read as norm data are written back to the same bytes (but for the
// trailer's spare field) and read again as the same data.
#include "core/error.h"
#include "fuzz_check.h"
#include "workspace/prefetch.h"

using namespace tavlora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes = fuzzText(data, size);
    TPrefetchData parsed;
    try {
        parsed = parsePrefetchBytes(bytes);
    } catch (const EError&) {
        FUZZ_CHECK(size % 12 != 0 || size == 0);
        return 0;
    }
    // Everything but the trailer's spare last field (written as 0) is kept.
    const std::string written = prefetchBytes(parsed);
    FUZZ_CHECK(written.size() == bytes.size());
    FUZZ_CHECK(written.compare(0, size - 4, bytes.substr(0, size - 4)) == 0);
    FUZZ_CHECK(parsePrefetchBytes(written) == parsed);
    return 0;
}
