#pragma once
// The system calls through which the engine writes its data files. Production code reaches the
// real calls through fileCalls(); a test installs its own calls for one scope (ScopedFileCalls)
// to make a call fail or to record the order of the calls. The indirection costs one virtual
// call per system call and nothing per byte.
#include <cstddef>
#include <sys/types.h>

namespace tavlora {

// Each operation behaves as the system call of the same name: -1 (or a short count) with errno
// set on failure. The base class calls the real system.
class FileCalls {
public:
    virtual ~FileCalls() = default;
    virtual int open(const char* path, int flags, mode_t mode);
    virtual ssize_t write(int fd, const void* data, size_t size);
    virtual ssize_t pwrite(int fd, const void* data, size_t size, off_t offset);
    virtual int fsync(int fd);
    virtual int close(int fd);
    virtual int rename(const char* from, const char* to);
    virtual int unlink(const char* path);
    virtual int ftruncate(int fd, off_t length);
};

// The calls in use: the real system calls unless a test installed others.
FileCalls& fileCalls();

// Puts other calls in use for the lifetime of the object, then restores the previous ones.
// Install them while no other thread writes files.
class ScopedFileCalls {
public:
    explicit ScopedFileCalls(FileCalls& calls);
    ~ScopedFileCalls();
    ScopedFileCalls(const ScopedFileCalls&) = delete;
    ScopedFileCalls& operator=(const ScopedFileCalls&) = delete;

private:
    FileCalls* previous_;
};

}  // namespace tavlora
