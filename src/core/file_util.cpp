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
    size_t off = 0;
    while (off < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + off, bytes.size() - off);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(errno);
        }
        off += static_cast<size_t>(n);
    }
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
