#include "core/parallel.h"

namespace tavlora {

namespace {
std::atomic<unsigned> gWorkerOverride{0};
}

unsigned workerCount() {
    if (unsigned o = gWorkerOverride.load(std::memory_order_relaxed)) return o;
    static const unsigned hw = std::max(1u, std::thread::hardware_concurrency());
    return hw;
}

void setWorkerCountOverride(unsigned workers) { gWorkerOverride.store(workers, std::memory_order_relaxed); }

namespace parallel_detail {

std::size_t chunkSizeFor(std::size_t count, unsigned workers, std::size_t minChunk) {
    const std::size_t pieces = static_cast<std::size_t>(std::max(workers, 1u)) * 64;
    const std::size_t target = (count + pieces - 1) / pieces;
    return std::max<std::size_t>({target, minChunk, 1});
}

void runWorkers(unsigned workers, const std::function<void(unsigned)>& fn) {
    if (workers <= 1) {
        fn(0);
        return;
    }
    std::exception_ptr error;
    std::mutex errorLock;
    auto guarded = [&](unsigned w) {
        try {
            fn(w);
        } catch (...) {
            std::lock_guard<std::mutex> lock(errorLock);
            if (!error) error = std::current_exception();
        }
    };
    std::vector<std::thread> threads;
    threads.reserve(workers - 1);
    try {
        for (unsigned w = 1; w < workers; ++w) threads.emplace_back(guarded, w);
    } catch (...) {
        // Could not start another thread: chunks are taken dynamically, so the threads that
        // did start (and this one) still do all the work.
    }
    guarded(0);
    for (auto& t : threads) t.join();
    if (error) std::rethrow_exception(error);
}

ProgressTicker::ProgressTicker(Progress* progress, std::size_t count)
    : progress_(progress), count_(count), step_(std::max<std::size_t>(1, count / 100)) {
    if (progress_) {
        progress_->setMaximum(static_cast<int64_t>(count_));
        progress_->setPosition(0);
    }
}

void ProgressTicker::report() {
    if (!progress_) return;
    const std::size_t done = done_.load(std::memory_order_relaxed);
    if (done - lastReported_ < step_ && done < count_) return;
    lastReported_ = done;
    progress_->setPosition(static_cast<int64_t>(std::min(done, count_)));
    progress_->pump();
}

void ProgressTicker::finish(bool completed) {
    if (!progress_) return;
    if (completed) progress_->setPosition(static_cast<int64_t>(count_));
}

}  // namespace parallel_detail

bool parallelFor(std::size_t count, const std::function<void(std::size_t, std::size_t, unsigned)>& body,
                 Progress* progress) {
    return parallelForChunks(count, [&](std::size_t b, std::size_t e, unsigned w) { body(b, e, w); }, progress);
}

}  // namespace tavlora
