#include "core/parallel.h"

#include <gtest/gtest.h>

#include <numeric>
#include <stdexcept>
#include <vector>

#include "core/records.h"

using namespace tavlora;

namespace {

// Records the gauge; the stop flag is raised by the test.
class CountingProgress : public Progress {
public:
    void setText(const std::string&) override {}
    void setMaximum(int64_t m) override { maximum = m; }
    void setPosition(int64_t p) override {
        ++updates;
        EXPECT_GE(p, position);  // the gauge never goes back
        position = p;
    }
    bool stopRequested() const override { return stop.load(); }
    int64_t maximum = 0, position = 0;
    int updates = 0;
    std::atomic<bool> stop{false};
};

struct WorkerOverride {
    explicit WorkerOverride(unsigned n) { setWorkerCountOverride(n); }
    ~WorkerOverride() { setWorkerCountOverride(0); }
};

}  // namespace

TEST(Parallel, ChunksCoverTheRangeExactlyOnce) {
    for (unsigned workers : {1u, 2u, 5u}) {
        WorkerOverride w(workers);
        for (std::size_t count : {std::size_t{0}, std::size_t{1}, std::size_t{4095}, std::size_t{100003}}) {
            std::vector<std::atomic<int>> hits(count);
            std::atomic<unsigned> maxWorker{0};
            const bool done = parallelFor(count, [&](std::size_t b, std::size_t e, unsigned worker) {
                ASSERT_LE(b, e);
                ASSERT_LE(e, count);
                for (std::size_t i = b; i < e; ++i) hits[i]++;
                unsigned m = maxWorker.load();
                while (worker > m && !maxWorker.compare_exchange_weak(m, worker)) {
                }
            });
            EXPECT_TRUE(done);
            for (std::size_t i = 0; i < count; ++i) ASSERT_EQ(hits[i].load(), 1) << "item " << i;
            EXPECT_LT(maxWorker.load(), workers);
        }
    }
}

TEST(Parallel, FilterKeepsOrderAndMatchesOneThread) {
    std::vector<TComb> src;
    for (int i = 0; i < 300000; ++i) {
        TComb c{};
        for (int k = 0; k < 5; ++k) c.n[static_cast<std::size_t>(k)] = static_cast<uint8_t>((i * 7 + k * 13) % 69 + 1);
        src.push_back(c);
    }
    auto pred = [](const TComb& c) { return (c.n[0] + c.n[1] + c.n[2] + c.n[3] + c.n[4]) % 3 == 0; };
    std::vector<TComb> expected{TComb{{{1, 2, 3, 4, 5}}}};  // dst keeps what it held
    for (const auto& c : src)
        if (pred(c)) expected.push_back(c);
    for (unsigned workers : {1u, 2u, 7u}) {
        WorkerOverride w(workers);
        std::vector<TComb> dst{TComb{{{1, 2, 3, 4, 5}}}};
        EXPECT_TRUE(parallelFilterAppend(src, dst, pred));
        ASSERT_EQ(dst.size(), expected.size());
        EXPECT_TRUE(dst == expected);
    }
    // Index-taking predicate, nothing kept, everything kept, empty source.
    std::vector<int> nums(50000);
    std::iota(nums.begin(), nums.end(), 0);
    auto odd = parallelFilter(nums, [](const int&, std::size_t i) { return i % 2 == 1; });
    ASSERT_EQ(odd.size(), 25000u);
    EXPECT_EQ(odd.front(), 1);
    EXPECT_EQ(odd.back(), 49999);
    EXPECT_TRUE(parallelFilter(nums, [](int) { return false; }).empty());
    EXPECT_EQ(parallelFilter(nums, [](int) { return true; }), nums);
    EXPECT_TRUE(parallelFilter(std::vector<int>{}, [](int) { return true; }).empty());
}

TEST(Parallel, StopIsPolledBetweenChunksAndReported) {
    WorkerOverride w(2);
    CountingProgress progress;
    std::atomic<std::size_t> processed{0};
    const std::size_t count = 2000000;
    // The body raises the flag itself, so the outcome does not hang on which thread ran first.
    const bool done = parallelFor(
        count,
        [&](std::size_t b, std::size_t e, unsigned) {
            if ((processed += e - b) >= 300000) progress.stop = true;
        },
        &progress);
    EXPECT_FALSE(done);
    EXPECT_LT(processed.load(), count);
    EXPECT_EQ(progress.maximum, static_cast<int64_t>(count));

    // A stopped filter leaves the destination as it was.
    CountingProgress stopped;
    stopped.stop = true;
    std::vector<int> src(100000, 1), dst{9};
    EXPECT_FALSE(parallelFilterAppend(src, dst, [](int) { return true; }, &stopped));
    EXPECT_EQ(dst, std::vector<int>{9});
}

TEST(Parallel, ProgressMovesInAboutOnePercentSteps) {
    WorkerOverride w(2);
    CountingProgress progress;
    const std::size_t count = 5000000;
    EXPECT_TRUE(parallelFor(count, [](std::size_t, std::size_t, unsigned) {}, &progress));
    EXPECT_EQ(progress.position, static_cast<int64_t>(count));
    EXPECT_GE(progress.updates, 2);
    EXPECT_LE(progress.updates, 130);  // not once per chunk of every worker
}

TEST(Parallel, ExceptionsReachTheCaller) {
    for (unsigned workers : {1u, 3u}) {
        WorkerOverride w(workers);
        EXPECT_THROW(parallelFor(1000000,
                                 [](std::size_t b, std::size_t e, unsigned) {
                                     if (b <= 500000 && 500000 < e) throw std::runtime_error("bad item");
                                 }),
                     std::runtime_error);
        std::vector<int> src(200000, 1), dst;
        EXPECT_THROW(parallelFilterAppend(src, dst,
                                          [](const int&, std::size_t i) {
                                              if (i == 123456) throw std::logic_error("pred");
                                              return true;
                                          }),
                     std::logic_error);
        EXPECT_TRUE(dst.empty());
    }
}
