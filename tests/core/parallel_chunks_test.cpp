// The ordered chunk filter against a plain loop, on varied data, worker counts and chunk sizes.
#include <gtest/gtest.h>

#include <atomic>
#include <random>

#include "core/parallel.h"

namespace tavlora {
namespace {

TEST(ParallelChunks, ChunkFilterEqualsAPlainLoop) {
    std::mt19937 rng(17);
    for (unsigned workers : {1u, 3u}) {
        setWorkerCountOverride(workers);
        for (size_t n : {size_t{0}, size_t{1}, size_t{63}, size_t{16384}, size_t{40000}}) {
            std::vector<uint32_t> src(n);
            for (auto& x : src) x = rng();
            for (bool want : {true, false}) {
                for (size_t chunk : {size_t{64}, size_t{4096}}) {
                    std::vector<uint32_t> expected;
                    for (uint32_t x : src)
                        if (((x % 3) == 0) == want) expected.push_back(x);
                    // dst holds older content, longer or shorter than the result
                    std::vector<uint32_t> dst(rng() % 2 ? n + 5 : 3, 0xDEADBEEF);
                    std::atomic<size_t> seen{0};
                    const bool ok = parallelFilterChunksInto(
                        src, dst,
                        [&](const uint32_t* items, size_t first, size_t count, unsigned worker, uint8_t* flags) {
                            EXPECT_LE(count, chunk);
                            EXPECT_LT(worker, workers);
                            EXPECT_EQ(items, src.data() + first);
                            for (size_t k = 0; k < count; ++k) flags[k] = items[k] % 3 == 0 ? 1 : 0;
                            seen += count;
                        },
                        want, chunk);
                    EXPECT_TRUE(ok);
                    EXPECT_EQ(seen.load(), n);
                    EXPECT_EQ(dst, expected) << n << " " << want << " " << chunk;
                }
            }
        }
    }
    setWorkerCountOverride(0);
}

}  // namespace
}  // namespace tavlora
