// Wheeling system files: a file is either refused with a reason or read as combinations of five
// distinct positions 1..K.
#include <fstream>
#include <unistd.h>

#include "core/error.h"
#include "fuzz_check.h"
#include "stakes/systems.h"

using namespace tavlora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // In memory when the system has a tmpfs there: the reader takes a path.
    static const std::filesystem::path file =
        (std::filesystem::is_directory("/dev/shm") ? std::filesystem::path("/dev/shm") : std::filesystem::temp_directory_path()) /
        ("tavlora-fuzz-system-" + std::to_string(::getpid()) + ".dat");
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    const int k = size > 0 ? 6 + data[0] % 20 : 10;
    try {
        for (const TComb& c : readSystemPositions(file, k)) {
            for (size_t i = 0; i < c.n.size(); ++i) {
                FUZZ_CHECK(c.n[i] >= 1 && c.n[i] <= k);
                for (size_t j = 0; j < i; ++j) FUZZ_CHECK(c.n[i] != c.n[j]);
            }
        }
    } catch (const EError&) {
    }
    return 0;
}
