#include "core/file_util.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <unistd.h>

#include "core/error.h"

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
        return ::pwrite(fd, p + done, size - done, static_cast<off_t>(offset + static_cast<int64_t>(done)));
    });
}

bool writeAll(int fd, const void* data, std::size_t size) {
    const char* p = static_cast<const char*>(data);
    return loopAll(size, [&](std::size_t done) { return ::write(fd, p + done, size - done); });
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

void writeFileAtomic(const std::filesystem::path& path, std::string_view bytes) {
    std::filesystem::path dir = path.parent_path();
    if (dir.empty()) dir = ".";
    std::random_device rd;
    std::filesystem::path tmp =
        dir / (path.filename().string() + ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(rd() & 0xFFFFFF));
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) throw EError(systemMessage(errno));
    auto fail = [&](int e) {
        ::close(fd);
        ::unlink(tmp.c_str());
        throw EError(systemMessage(e));
    };
    if (!writeAll(fd, bytes.data(), bytes.size())) fail(errno);
    if (::fsync(fd) != 0) fail(errno);
    if (::close(fd) != 0) {
        int e = errno;
        ::unlink(tmp.c_str());
        throw EError(systemMessage(e));
    }
    if (::rename(tmp.c_str(), path.c_str()) != 0) {
        int e = errno;
        ::unlink(tmp.c_str());
        throw EError(systemMessage(e));
    }
}

}  // namespace tavlora
