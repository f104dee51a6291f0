#pragma once
// A small parallel loop over index ranges for the hot loops over the combination list.
// The range [0, count) is cut into chunks; the worker threads (all hardware cores) take chunks
// in turn and call the body once per CHUNK, never once per item. Between chunks the stop flag
// of the Progress is polled and the gauge is moved at most about every 1 %. An exception thrown
// by a body stops the other workers and is rethrown in the caller. Results that keep order
// (parallelFilterAppend) are identical to a one-thread run.
#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <type_traits>
#include <vector>

#include "core/progress.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tavlora {

// Number of worker threads used: std::thread::hardware_concurrency(), at least 1, unless
// setWorkerCountOverride gave another number (0 removes the override).
unsigned workerCount();
void setWorkerCountOverride(unsigned workers);

namespace parallel_detail {

// Chunk size for count items over `workers` threads: small enough that the stop flag is polled
// often and the load is balanced (about 64 chunks per worker), large enough that a chunk costs
// far more than taking it (at least minChunk items).
std::size_t chunkSizeFor(std::size_t count, unsigned workers, std::size_t minChunk);

// Runs fn(worker) on `workers` threads (worker 0 on the calling thread); rethrows the first
// exception after all threads have ended.
void runWorkers(unsigned workers, const std::function<void(unsigned)>& fn);

// Progress reporting shared by the workers: gauge 0..count, moved from the calling thread
// only when at least ~1 % more is done.
class ProgressTicker {
public:
    ProgressTicker(Progress* progress, std::size_t count);
    bool stopRequested() const {
        return stopped_.load(std::memory_order_relaxed) || (progress_ && progress_->stopRequested());
    }
    void requestStop() { stopped_.store(true, std::memory_order_relaxed); }
    void addDone(std::size_t n) { done_.fetch_add(n, std::memory_order_relaxed); }
    // Called by worker 0 between its chunks: moves the gauge when due.
    void report();
    void finish(bool completed);

private:
    Progress* progress_;
    std::size_t count_;
    std::size_t step_;
    std::size_t lastReported_ = 0;
    std::atomic<std::size_t> done_{0};
    std::atomic<bool> stopped_{false};
};

}  // namespace parallel_detail

// Calls body(begin, end, worker) for consecutive chunks covering [0, count). worker is in
// 0..workerCount()-1, so per-worker scratch space can be indexed by it. Returns true when every
// chunk ran, false when a stop was requested (then some chunks did not run). With a Progress,
// its gauge is set to 0..count and moved from the calling thread (where pump() runs too).
// Exceptions from the body are rethrown here after all threads have ended. Ranges of fewer
// than 2 * minChunk items run on the calling thread alone.
template <typename Body>
bool parallelForChunks(std::size_t count, Body&& body, Progress* progress = nullptr, std::size_t minChunk = 4096) {
    if (count == 0) return true;
    const unsigned workers = static_cast<unsigned>(std::min<std::size_t>(
        workerCount(), (count + minChunk - 1) / std::max<std::size_t>(minChunk, 1)));
    const std::size_t chunk = parallel_detail::chunkSizeFor(count, std::max(workers, 1u), minChunk);
    parallel_detail::ProgressTicker ticker(progress, count);
    std::atomic<std::size_t> next{0};
    parallel_detail::runWorkers(std::max(workers, 1u), [&](unsigned worker) {
        try {
            for (;;) {
                if (ticker.stopRequested()) return;
                const std::size_t begin = next.fetch_add(chunk, std::memory_order_relaxed);
                if (begin >= count) return;
                const std::size_t end = std::min(count, begin + chunk);
                body(begin, end, worker);
                ticker.addDone(end - begin);
                if (worker == 0) ticker.report();
            }
        } catch (...) {
            ticker.requestStop();
            throw;
        }
    });
    // A stop raised after the last chunk was taken still lets every chunk finish: that run is complete.
    const bool allRan = next.load() >= count;
    ticker.finish(allRan);
    return allRan;
}

// The non-template form: one std::function call per chunk.
bool parallelFor(std::size_t count, const std::function<void(std::size_t begin, std::size_t end, unsigned worker)>& body,
                 Progress* progress = nullptr);

namespace parallel_detail {

// The copy pass of the ordered filters: copies the items whose mask bit is set, block by block,
// to out + counts[block] (counts holds the prefix sums of the kept items per block). Runs of
// fully kept words are copied with one memcpy each; dense words are compacted branch-free
// through a local buffer that is never cleared (every byte copied out of it was written).
template <typename T>
void copyKept(const T* in, std::size_t n, std::size_t block, const std::vector<uint64_t>& mask,
              const std::vector<std::size_t>& counts, T* out) {
    const std::size_t blocks = (n + block - 1) / block;
    if (blocks == 0 || counts[blocks] == 0) return;
    parallelForChunks(
        blocks,
        [&](std::size_t b0, std::size_t b1, unsigned) {
            for (std::size_t b = b0; b < b1; ++b) {
                const std::size_t lo = b * block, hi = std::min(n, lo + block);
                T* o = out + counts[b];
                const std::size_t wEnd = (hi + 63) >> 6;
                for (std::size_t w = lo >> 6; w < wEnd;) {
                    const uint64_t bits = mask[w];
                    const std::size_t first = w << 6;
                    if (bits == ~uint64_t{0}) {
                        std::size_t run = w + 1;
                        while (run < wEnd && mask[run] == ~uint64_t{0}) ++run;
                        const std::size_t items = std::min(run << 6, hi) - first;
                        std::memcpy(static_cast<void*>(o), in + first, items * sizeof(T));
                        o += items;
                        w = run;
                        continue;
                    }
                    if (static_cast<unsigned>(__builtin_popcountll(bits)) >= 16 && first + 64 <= n) {
                        // Items smaller than a word move as one 8-byte load and store each when
                        // an item follows the 64 (the load's overhang stays inside the array).
                        unsigned char local[64 * sizeof(T) + 8];
                        std::size_t m = 0;
                        const unsigned char* src = reinterpret_cast<const unsigned char*>(in + first);
                        if constexpr (sizeof(T) < 8) {
                            if (first + 64 < n) {
                                for (std::size_t k = 0; k < 64; ++k) {
                                    uint64_t v;
                                    std::memcpy(&v, src + k * sizeof(T), 8);
                                    std::memcpy(local + m * sizeof(T), &v, 8);
                                    m += (bits >> k) & 1u;
                                }
                            }
                        }
                        if (m == 0)
                            for (std::size_t k = 0; k < 64; ++k) {
                                std::memcpy(local + m * sizeof(T), src + k * sizeof(T), sizeof(T));
                                m += (bits >> k) & 1u;
                            }
                        std::memcpy(static_cast<void*>(o), local, m * sizeof(T));
                        o += m;
                    } else {
                        uint64_t rest = bits;
                        while (rest) {
                            const int bit = __builtin_ctzll(rest);
                            *o++ = in[first + static_cast<std::size_t>(bit)];
                            rest &= rest - 1;
                        }
                    }
                    ++w;
                }
            }
        },
        nullptr, 1);
}

// Bit k of the result: flags[k] != 0, for the 64 flags from `flags`.
inline uint64_t flagBits64(const uint8_t* flags) {
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    uint64_t zeros = 0;
    for (int q = 0; q < 4; ++q) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(flags + 16 * q));
        zeros |= static_cast<uint64_t>(static_cast<uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, zero)))) << (16 * q);
    }
    return ~zeros;
#else
    uint64_t bits = 0;
    for (int k = 0; k < 64; ++k) bits |= static_cast<uint64_t>(flags[k] != 0) << k;
    return bits;
#endif
}

}  // namespace parallel_detail

// Appends to dst, in the order of src, every item of src for which pred(item) (or
// pred(item, index) when pred takes two arguments) is true. Runs in two passes over fixed
// blocks: the first evaluates the predicate once per item into a bit mask (n/8 bytes) and
// counts each block's kept items; after prefix sums, the second copies the kept items directly
// to their place in dst. No full-size temporary copy is made. Returns true when complete; on a
// stop dst is left as it was and false is returned. Progress covers the predicate pass.
template <typename T, typename SrcAlloc, typename DstAlloc, typename Pred>
bool parallelFilterAppend(const std::vector<T, SrcAlloc>& src, std::vector<T, DstAlloc>& dst, Pred&& pred,
                          Progress* progress = nullptr) {
    static_assert(std::is_trivially_copyable_v<T>, "items are copied into place");
    const std::size_t n = src.size();
    constexpr std::size_t kBlock = 16384;  // a multiple of 64: blocks never share a mask word
    const std::size_t blocks = (n + kBlock - 1) / kBlock;
    std::vector<uint64_t> mask((n + 63) / 64, 0);
    std::vector<std::size_t> counts(blocks + 1, 0);
    const T* in = src.data();
    const bool evaluated = parallelForChunks(
        blocks,
        [&](std::size_t b0, std::size_t b1, unsigned) {
            for (std::size_t b = b0; b < b1; ++b) {
                const std::size_t lo = b * kBlock, hi = std::min(n, lo + kBlock);
                std::size_t c = 0;
                for (std::size_t w = lo; w < hi; w += 64) {
                    const std::size_t wEnd = std::min(hi, w + 64);
                    uint64_t bits = 0;
                    for (std::size_t i = w; i < wEnd; ++i) {
                        bool keep;
                        if constexpr (std::is_invocable_v<Pred&, const T&, std::size_t>)
                            keep = static_cast<bool>(pred(in[i], i));
                        else
                            keep = static_cast<bool>(pred(in[i]));
                        bits |= static_cast<uint64_t>(keep) << (i - w);
                    }
                    mask[w >> 6] = bits;
                    c += static_cast<std::size_t>(__builtin_popcountll(bits));
                }
                counts[b + 1] = c;
            }
        },
        progress, 1);
    if (!evaluated) return false;
    for (std::size_t b = 1; b <= blocks; ++b) counts[b] += counts[b - 1];
    if (counts[blocks] == 0) return true;
    const std::size_t base = dst.size();
    dst.resize(base + counts[blocks]);
    // The copy pass is not stopped: once the kept items are known it is short and finishing it
    // keeps dst consistent.
    parallel_detail::copyKept(in, n, kBlock, mask, counts, dst.data() + base);
    return true;
}

// The working buffers of the ordered chunk filter: the kept-item bit mask, the kept counts per
// block and each worker's flag block. Kept by a caller that filters again and again (the
// combination list), so that every step reuses them instead of allocating and clearing them.
struct TFilterScratch {
    std::vector<uint64_t> mask;
    std::vector<std::size_t> counts;  // prefix sums of the kept items per block after a test pass
    std::vector<std::vector<uint8_t>> flags;
    std::size_t items = 0;            // items of the source the mask describes
};

inline constexpr std::size_t kFilterBlock = 16384;  // a multiple of 64: blocks never share a mask word

// The test pass of the ordered chunk filter: test(items, first, count, worker, flags) sets
// flags[k] (0 or 1) for items first + k (items points at item first) in chunks of at most `chunk`
// items (a divisor of 16384); worker is the calling worker's number (0..workerCount()-1). The
// items marked `want` are recorded as kept in scratch. Returns the number of kept items, or -1
// on a stop. Progress covers this pass.
template <typename T, typename ChunkTest>
int64_t parallelMarkChunks(const T* in, std::size_t n, ChunkTest&& test, bool want, std::size_t chunk,
                           TFilterScratch& scratch, Progress* progress = nullptr) {
    constexpr std::size_t kBlock = kFilterBlock;
    chunk = std::clamp<std::size_t>(chunk, 64, kBlock);
    const std::size_t blocks = (n + kBlock - 1) / kBlock;
    // Every word and every count is written by the pass below: no clearing is needed.
    scratch.mask.resize((n + 63) / 64);
    scratch.counts.resize(blocks + 1);
    scratch.counts[0] = 0;
    scratch.items = n;
    const unsigned workers = std::max(1u, workerCount());
    if (scratch.flags.size() < workers) scratch.flags.resize(workers);
    for (auto& f : scratch.flags) f.resize(kBlock + 64);
    uint64_t* mask = scratch.mask.data();
    std::size_t* counts = scratch.counts.data();
    const uint64_t flipBits = want ? 0 : ~uint64_t{0};
    const bool evaluated = parallelForChunks(
        blocks,
        [&](std::size_t b0, std::size_t b1, unsigned worker) {
            uint8_t* f = scratch.flags[worker].data();
            for (std::size_t b = b0; b < b1; ++b) {
                const std::size_t lo = b * kBlock, hi = std::min(n, lo + kBlock);
                for (std::size_t c = lo; c < hi; c += chunk) test(in + c, c, std::min(chunk, hi - c), worker, f + (c - lo));
                std::size_t kept = 0;
                for (std::size_t w = lo; w < hi; w += 64) {
                    const std::size_t len = std::min<std::size_t>(64, hi - w);
                    uint64_t bits = parallel_detail::flagBits64(f + (w - lo)) ^ flipBits;
                    if (len < 64) bits &= (uint64_t{1} << len) - 1;
                    mask[w >> 6] = bits;
                    kept += static_cast<std::size_t>(__builtin_popcountll(bits));
                }
                counts[b + 1] = kept;
            }
        },
        progress, 1);
    if (!evaluated) return -1;
    for (std::size_t b = 1; b <= blocks; ++b) counts[b] += counts[b - 1];
    return static_cast<int64_t>(counts[blocks]);
}

// The copy pass after parallelMarkChunks over the same n items: writes the kept items, in order,
// to out (room for the kept count returned by the test pass).
template <typename T>
void parallelCopyMarked(const T* in, const TFilterScratch& scratch, T* out) {
    parallel_detail::copyKept(in, scratch.items, kFilterBlock, scratch.mask, scratch.counts, out);
}

// Replaces the content of dst by the items of src, in order, for which the chunk test marks
// `want` (the test as for parallelMarkChunks). dst's old content is overwritten in place (no
// zero-filling of storage it already has). Returns true when complete; on a stop dst is left
// with unspecified content and false is returned. Progress covers the test pass.
template <typename T, typename SrcAlloc, typename DstAlloc, typename ChunkTest>
bool parallelFilterChunksInto(const std::vector<T, SrcAlloc>& src, std::vector<T, DstAlloc>& dst, ChunkTest&& test, bool want,
                              std::size_t chunk, Progress* progress = nullptr) {
    static_assert(std::is_trivially_copyable_v<T>, "items are copied into place");
    TFilterScratch scratch;
    const int64_t kept = parallelMarkChunks(src.data(), src.size(), test, want, chunk, scratch, progress);
    if (kept < 0) return false;
    dst.resize(static_cast<std::size_t>(kept));
    parallelCopyMarked(src.data(), scratch, dst.data());
    return true;
}

// Same as parallelFilterAppend, returning the kept items as a new vector.
template <typename T, typename Alloc, typename Pred>
std::vector<T, Alloc> parallelFilter(const std::vector<T, Alloc>& src, Pred&& pred, Progress* progress = nullptr,
                                     bool* completed = nullptr) {
    std::vector<T, Alloc> out;
    const bool ok = parallelFilterAppend(src, out, std::forward<Pred>(pred), progress);
    if (completed) *completed = ok;
    return out;
}

}  // namespace tavlora
