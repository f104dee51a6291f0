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

// Five-byte items (the combination record's size) through every copy path: long runs of kept
// words, dense and sparse words, the last word of the array, nothing and everything kept.
TEST(ParallelChunks, FiveByteItemsCopyLikeAPlainLoopOnEveryPath) {
    struct Five {
        uint8_t b[5];
        bool operator==(const Five&) const = default;
    };
    using Keep = bool (*)(std::size_t);
    const std::pair<const char*, Keep> keeps[] = {
        {"all but rare", [](std::size_t i) { return i % 1000 != 7; }},
        {"two of three", [](std::size_t i) { return i % 3 != 0; }},
        {"one of five", [](std::size_t i) { return i % 5 == 0; }},
        {"none", [](std::size_t) { return false; }},
        {"all", [](std::size_t) { return true; }},
    };
    for (unsigned workers : {1u, 3u}) {
        setWorkerCountOverride(workers);
        for (size_t n : {size_t{0}, size_t{64}, size_t{65}, size_t{16448}, size_t{40001}}) {
            std::vector<Five> src(n);
            for (size_t i = 0; i < n; ++i)
                for (size_t k = 0; k < 5; ++k) src[i].b[k] = static_cast<uint8_t>((i >> (8 * (k % 3))) + k);
            for (const auto& [name, keep] : keeps) {
                std::vector<Five> expected;
                for (size_t i = 0; i < n; ++i)
                    if (keep(i)) expected.push_back(src[i]);
                std::vector<Five> dst(7, Five{{9, 9, 9, 9, 9}});
                ASSERT_TRUE(parallelFilterChunksInto(
                    src, dst,
                    [&](const Five*, size_t first, size_t count, unsigned, uint8_t* flags) {
                        for (size_t k = 0; k < count; ++k) flags[k] = keep(first + k) ? 1 : 0;
                    },
                    true, 4096));
                EXPECT_EQ(dst, expected) << name << " " << n << " " << workers;
            }
        }
    }
    setWorkerCountOverride(0);
}

}  // namespace
}  // namespace tavlora
