#pragma once
// File-system faults for tests: counts the calls through which the engine changes files and
// makes the k-th one fail with an errno (once, or from then on, as a disk that fills up), or
// ends the process right there as a crash would (a write is then done only halfway).
#include <cerrno>
#include <fcntl.h>
#include <set>
#include <unistd.h>

#include "core/file_calls.h"

namespace tavlora::test {

class FaultCalls : public FileCalls {
public:
    enum class Mode { Count, FailOnce, FailFrom, Stop };
    // Exit status of a process ended by Mode::Stop.
    static constexpr int kStopped = 86;

    FaultCalls() = default;
    FaultCalls(Mode mode, int at, int err = EIO) : mode_(mode), at_(at), err_(err) {}

    int count() const { return count_; }  // changing calls seen so far
    bool fired() const { return fired_; }  // whether a fault was injected

    int open(const char* path, int flags, mode_t mode) override {
        const bool writes = (flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC)) != 0;
        if (writes && fault()) return -1;
        const int fd = FileCalls::open(path, flags, mode);
        // Closing a file written from start to end is a fault point; closing a store kept open
        // for reading and writing (the stakes file) is not: its writes are checked one by one.
        if ((flags & O_WRONLY) != 0 && fd >= 0) writing_.insert(fd);
        return fd;
    }
    ssize_t write(int fd, const void* data, size_t size) override {
        if (fault(fd, data, size, -1)) return -1;
        return FileCalls::write(fd, data, size);
    }
    ssize_t pwrite(int fd, const void* data, size_t size, off_t offset) override {
        if (fault(fd, data, size, offset)) return -1;
        return FileCalls::pwrite(fd, data, size, offset);
    }
    int fsync(int fd) override { return fault() ? -1 : FileCalls::fsync(fd); }
    int close(int fd) override {
        const bool counted = writing_.erase(fd) > 0;
        // A failing close still releases the descriptor, as the system's does.
        const int rc = FileCalls::close(fd);
        return counted && fault() ? -1 : rc;
    }
    int rename(const char* from, const char* to) override { return fault() ? -1 : FileCalls::rename(from, to); }
    int unlink(const char* path) override {
        // Removing a file frees space: a full disk does not refuse it.
        if (mode_ == Mode::FailFrom && fired_) return FileCalls::unlink(path);
        return fault() ? -1 : FileCalls::unlink(path);
    }
    int ftruncate(int fd, off_t length) override {
        if (mode_ == Mode::FailFrom && fired_ && length == 0) return FileCalls::ftruncate(fd, length);
        return fault() ? -1 : FileCalls::ftruncate(fd, length);
    }

private:
    // Counts one changing call; true (errno set) when it is to fail. In Stop mode the process
    // ends at the k-th call; a write is first done halfway, as a crash in the middle leaves it.
    bool fault(int fd = -1, const void* data = nullptr, size_t size = 0, off_t offset = -1) {
        ++count_;
        if (mode_ == Mode::Count) return false;
        const bool hit = mode_ == Mode::FailFrom ? count_ >= at_ : count_ == at_;
        if (!hit) return false;
        if (mode_ == Mode::Stop) {
            if (data != nullptr && size > 1) {
                if (offset >= 0)
                    (void)!::pwrite(fd, data, size / 2, offset);
                else
                    (void)!::write(fd, data, size / 2);
            }
            ::_exit(kStopped);
        }
        fired_ = true;
        errno = err_;
        return true;
    }

    Mode mode_ = Mode::Count;
    int at_ = 0;
    int err_ = EIO;
    int count_ = 0;
    bool fired_ = false;
    std::set<int> writing_;
};

}  // namespace tavlora::test
