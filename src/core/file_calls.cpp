#include "core/file_calls.h"

#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace tavlora {

int FileCalls::open(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }
ssize_t FileCalls::write(int fd, const void* data, size_t size) { return ::write(fd, data, size); }
ssize_t FileCalls::pwrite(int fd, const void* data, size_t size, off_t offset) { return ::pwrite(fd, data, size, offset); }
int FileCalls::fsync(int fd) { return ::fsync(fd); }
int FileCalls::close(int fd) { return ::close(fd); }
int FileCalls::rename(const char* from, const char* to) { return std::rename(from, to); }
int FileCalls::unlink(const char* path) { return ::unlink(path); }
int FileCalls::ftruncate(int fd, off_t length) { return ::ftruncate(fd, length); }

namespace {

FileCalls& systemCalls() {
    static FileCalls calls;
    return calls;
}

std::atomic<FileCalls*>& current() {
    static std::atomic<FileCalls*> calls{&systemCalls()};
    return calls;
}

}  // namespace

FileCalls& fileCalls() { return *current().load(std::memory_order_acquire); }

ScopedFileCalls::ScopedFileCalls(FileCalls& calls) : previous_(current().exchange(&calls, std::memory_order_acq_rel)) {}

ScopedFileCalls::~ScopedFileCalls() { current().store(previous_, std::memory_order_release); }

}  // namespace tavlora
