#include "core/file_util.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <unistd.h>

#include "core/error.h"
#include "core/file_calls.h"

namespace tavlora {

std::string systemMessage(int errnum) {
    return std::strerror(errnum);
}

namespace {

// Runs one read or write step (returning the bytes done, 0 or -1 with errno) until size bytes
// are done: EINTR retries, no progress fails with EIO.
template <typename Step>
bool loopAll(std::size_t size, Step&& step) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = step(done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) {
            errno = EIO;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

bool readAllAt(int fd, void* data, std::size_t size, int64_t offset) {
    char* p = static_cast<char*>(data);
    return loopAll(size, [&](std::size_t done) {
        return ::pread(fd, p + done, size - done, static_cast<off_t>(offset + static_cast<int64_t>(done)));
    });
}

bool writeAllAt(int fd, const void* data, std::size_t size, int64_t offset) {
    const char* p = static_cast<const char*>(data);
    return loopAll(size, [&](std::size_t done) {
        return fileCalls().pwrite(fd, p + done, size - done, static_cast<off_t>(offset + static_cast<int64_t>(done)));
    });
}

bool writeAll(int fd, const void* data, std::size_t size) {
    const char* p = static_cast<const char*>(data);
    FileCalls& sys = fileCalls();
    return loopAll(size, [&](std::size_t done) { return sys.write(fd, p + done, size - done); });
}

std::string readFileBytes(const std::filesystem::path& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw EError(systemMessage(errno));
    std::string out;
    char buf[1 << 16];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            int e = errno;
            ::close(fd);
            throw EError(systemMessage(e));
        }
        if (n == 0) break;
        out.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return out;
}

void appendFileBytes(const std::filesystem::path& path, std::string_view bytes) {
    FileCalls& sys = fileCalls();
    const int fd = sys.open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) throw EError(systemMessage(errno));
    if (!writeAll(fd, bytes.data(), bytes.size())) {
        const int e = errno;
        sys.close(fd);
        throw EError(systemMessage(e));
    }
    if (sys.close(fd) != 0) throw EError(systemMessage(errno));
}

namespace {

// Whether a failed sync of a folder only means that its file system cannot sync folders (nothing
// more can be done there to make the rename durable).
bool folderSyncUnsupported(int e) { return e == EINVAL || e == EBADF || e == ENOTSUP; }

// Syncs the folder's entries so that a rename in it survives a crash. A folder that may be
// written but not read cannot be opened for this and is left as it is.
void syncFolder(FileCalls& sys, const std::filesystem::path& dir) {
    const int fd = sys.open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (fd < 0) {
        if (errno == EACCES) return;
        throw EError(systemMessage(errno));
    }
    if (sys.fsync(fd) != 0 && !folderSyncUnsupported(errno)) {
        const int e = errno;
        sys.close(fd);
        throw EError(systemMessage(e));
    }
    sys.close(fd);
}

}  // namespace

void writeFileAtomic(const std::filesystem::path& path, std::string_view bytes) {
    FileCalls& sys = fileCalls();
    std::filesystem::path dir = path.parent_path();
    if (dir.empty()) dir = ".";
    std::random_device rd;
    std::filesystem::path tmp =
        dir / (path.filename().string() + ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(rd() & 0xFFFFFF));
    int fd = sys.open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) throw EError(systemMessage(errno));
    auto fail = [&](int e) {
        sys.close(fd);
        sys.unlink(tmp.c_str());
        throw EError(systemMessage(e));
    };
    if (!writeAll(fd, bytes.data(), bytes.size())) fail(errno);
    // The content must be on disk before the rename makes it the file; the folder is synced
    // after it so that the new name survives a crash too.
    if (sys.fsync(fd) != 0) fail(errno);
    if (sys.close(fd) != 0) {
        int e = errno;
        sys.unlink(tmp.c_str());
        throw EError(systemMessage(e));
    }
    if (sys.rename(tmp.c_str(), path.c_str()) != 0) {
        int e = errno;
        sys.unlink(tmp.c_str());
        throw EError(systemMessage(e));
    }
    syncFolder(sys, dir);
}

}  // namespace tavlora
