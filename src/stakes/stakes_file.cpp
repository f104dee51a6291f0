#include "stakes/stakes_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "core/error.h"
#include "core/file_util.h"

namespace tavlora {

TStakesFile::~TStakesFile() { close(); }

void TStakesFile::open(const std::filesystem::path& path) {
    close();
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) throw EError(systemMessage(errno));
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int err = errno;
        ::close(fd);
        throw EError(systemMessage(err));
    }
    fd_ = fd;
    path_ = path;
}

void TStakesFile::close() {
    if (fd_ < 0) return;
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
}

}  // namespace tavlora
