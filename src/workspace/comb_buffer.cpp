#include "workspace/comb_buffer.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <system_error>
#include <type_traits>

#include "core/error.h"
#include "core/file_calls.h"
#include "core/file_util.h"
#include "core/format.h"

namespace tavlora {

// The file is the list's memory image: five one-byte fields per record, no padding, so the
// records can be written and read as bytes without any byte-order concern.
static_assert(sizeof(TComb) == 5 && alignof(TComb) == 1 && std::is_trivially_copyable_v<TComb> &&
              std::is_standard_layout_v<TComb>);

bool TCombBuffer::save(const TCombsArray& combs, int offset, int excluded, Progress& progress,
                       Interaction& interaction) {
    const Key key{offset, excluded};
    if (key == key_) return true;
    StatusScope status(progress, kBufferSavingText);
    key_ = key;
    try {
        if (file_.empty()) throw EError(systemMessage(ENOENT));
        // Written in place: a partial file is harmless, since a failure forgets the key and
        // removes the file.
        FileCalls& sys = fileCalls();
        const int fd = sys.open(file_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) throw EError(systemMessage(errno));
        const std::size_t n = combs.size();
        const std::size_t step = std::max<std::size_t>(1, n / 100);
        for (std::size_t done = 0; done < n;) {
            const std::size_t part = std::min(step, n - done);
            if (!writeAll(fd, combs.data() + done, part * sizeof(TComb))) {
                const int e = errno;
                sys.close(fd);
                throw EError(systemMessage(e));
            }
            done += part;
            status.update(fmt(kBufferSavingProgress, 100.0 * static_cast<double>(done) / static_cast<double>(n)));
            progress.pump();
        }
        if (sys.close(fd) != 0) throw EError(systemMessage(errno));
    } catch (const std::exception& e) {
        // A key must never describe a file that was not written.
        drop();
        interaction.error(fmt(kBufferSaveError, std::string(e.what())));
        return false;
    }
    return true;
}

bool TCombBuffer::holds(int offset, int excluded) const {
    if (Key{offset, excluded} != key_ || file_.empty()) return false;
    std::error_code ec;
    return std::filesystem::is_regular_file(file_, ec);
}

bool TCombBuffer::load(int offset, int excluded, TCombsArray& out, Progress& progress, Interaction& interaction) {
    if (!holds(offset, excluded)) return false;
    StatusScope status(progress, kBufferLoadingText);
    try {
        errno = 0;
        std::ifstream in(file_, std::ios::binary);
        if (!in) throw EError(systemMessage(errno ? errno : EIO));
        in.seekg(0, std::ios::end);
        const auto size = static_cast<std::size_t>(in.tellg());
        in.seekg(0);
        const std::size_t n = size / sizeof(TComb);
        out.resize(n);
        const std::size_t step = std::max<std::size_t>(1, n / 100);
        for (std::size_t done = 0; done < n;) {
            const std::size_t part = std::min(step, n - done);
            in.read(reinterpret_cast<char*>(out.data() + done), static_cast<std::streamsize>(part * sizeof(TComb)));
            if (!in) throw EError(systemMessage(errno ? errno : EIO));
            done += part;
            status.update(fmt(kBufferLoadingProgress, 100.0 * static_cast<double>(done) / static_cast<double>(n)));
            progress.pump();
        }
    } catch (const std::exception& e) {
        interaction.error(fmt(kBufferLoadError, std::string(e.what())));
        return false;
    }
    return true;
}

void TCombBuffer::drop() {
    key_ = {-1, -1};
    if (file_.empty()) return;
    std::error_code ec;
    std::filesystem::remove(file_, ec);
}

}  // namespace tavlora
