// Whole-file replacement: the order of the system calls that makes it durable, and what is left
// on disk when any of them fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <map>
#include <string>
#include <vector>

#include "core/error.h"
#include "core/file_calls.h"
#include "core/file_util.h"
#include "test_support.h"

namespace tavlora {
namespace {

using test::TempDir;

// The real calls, each one named by what it acts on: "F" the target file, "T" the temporary
// file beside it, "D" the folder. A call may be made to fail once with an errno, or (a write) to
// do nothing; writes may be cut short.
class ScriptedCalls : public FileCalls {
public:
    explicit ScriptedCalls(std::filesystem::path target) : target_(std::move(target)) {}

    std::vector<std::string> calls;
    std::string failCall;  // e.g. "fsync T"; empty: nothing fails
    int failErrno = 0;
    bool writeNothing = false;   // the failing write returns 0 instead of -1
    size_t writeLimit = 0;       // most bytes per write; 0: no limit

    int open(const char* path, int flags, mode_t mode) override {
        const std::string who = name(path);
        if (fails("open " + who)) return -1;
        const int fd = FileCalls::open(path, flags, mode);
        if (fd >= 0) names_[fd] = who;
        return fd;
    }
    ssize_t write(int fd, const void* data, size_t size) override {
        if (fails("write " + names_[fd])) return writeNothing ? 0 : -1;
        return FileCalls::write(fd, data, writeLimit > 0 && size > writeLimit ? writeLimit : size);
    }
    int fsync(int fd) override { return fails("fsync " + names_[fd]) ? -1 : FileCalls::fsync(fd); }
    int close(int fd) override {
        const std::string call = "close " + names_[fd];
        names_.erase(fd);
        // A failing close still releases the descriptor, as the system's does.
        const int rc = FileCalls::close(fd);
        return fails(call) ? -1 : rc;
    }
    int rename(const char* from, const char* to) override {
        return fails("rename " + name(from) + " " + name(to)) ? -1 : FileCalls::rename(from, to);
    }
    int unlink(const char* path) override { return fails("unlink " + name(path)) ? -1 : FileCalls::unlink(path); }

    size_t openDescriptors() const { return names_.size(); }

private:
    std::string name(const std::string& path) const {
        if (path == target_.string()) return "F";
        if (path == target_.parent_path().string()) return "D";
        if (path.rfind(target_.string() + ".tmp", 0) == 0) return "T";
        return path;
    }
    // Records the call; true (with errno set) when it is the one to fail.
    bool fails(const std::string& call) {
        calls.push_back(call);
        if (call != failCall) return false;
        failCall.clear();
        errno = failErrno;
        return true;
    }
    std::filesystem::path target_;
    std::map<int, std::string> names_;
};

std::vector<std::string> folderEntries(const std::filesystem::path& dir) {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(dir)) out.push_back(e.path().filename().string());
    return out;
}

TEST(AtomicSave, SyncsTheTemporaryFileBeforeTheRenameAndTheFolderAfterIt) {
    TempDir dir;
    const auto file = dir / "a.dat";
    writeFileAtomic(file, "old");
    ScriptedCalls sys(file);
    {
        ScopedFileCalls use(sys);
        writeFileAtomic(file, "new content");
    }
    EXPECT_EQ(sys.calls, (std::vector<std::string>{"open T", "write T", "fsync T", "close T", "rename T F", "open D",
                                                   "fsync D", "close D"}));
    EXPECT_EQ(readFileBytes(file), "new content");
    EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"a.dat"});
    EXPECT_EQ(sys.openDescriptors(), 0u);

    // Out of scope the real calls are back.
    writeFileAtomic(file, "again");
    EXPECT_EQ(sys.calls.size(), 8u);
    EXPECT_EQ(readFileBytes(file), "again");
}

TEST(AtomicSave, ShortAndInterruptedWritesAreContinued) {
    TempDir dir;
    const auto file = dir / "a.dat";
    ScriptedCalls sys(file);
    sys.writeLimit = 3;
    sys.failCall = "write T";
    sys.failErrno = EINTR;
    const std::string bytes = "0123456789abcdefghijklmnopqrstuvwxyz";
    {
        ScopedFileCalls use(sys);
        writeFileAtomic(file, bytes);
    }
    EXPECT_EQ(readFileBytes(file), bytes);
    EXPECT_EQ(std::count(sys.calls.begin(), sys.calls.end(), "write T"), 1 + 12);
}

TEST(AtomicSave, AFailedCallIsReportedAndLeavesNoTemporaryFile) {
    struct Case {
        const char* call;
        int err;
        bool writeNothing;
        bool replaced;  // the new content is in place (the failure came after the rename)
    };
    const Case cases[] = {
        {"open T", EACCES, false, false}, {"write T", ENOSPC, false, false}, {"write T", EIO, true, false},
        {"fsync T", EIO, false, false},   {"close T", EIO, false, false},    {"rename T F", EXDEV, false, false},
        {"open D", EMFILE, false, true},  {"fsync D", EIO, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.call + std::string(c.writeNothing ? " writing nothing" : ""));
        TempDir dir;
        const auto file = dir / "a.dat";
        writeFileAtomic(file, "old");
        ScriptedCalls sys(file);
        sys.failCall = c.call;
        sys.failErrno = c.err;
        sys.writeNothing = c.writeNothing;
        std::string message;
        {
            ScopedFileCalls use(sys);
            try {
                writeFileAtomic(file, "new content");
            } catch (const EError& e) {
                message = e.what();
            }
        }
        EXPECT_EQ(message, systemMessage(c.err));
        EXPECT_TRUE(sys.failCall.empty());  // the call was made
        EXPECT_EQ(readFileBytes(file), c.replaced ? "new content" : "old");
        EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"a.dat"});
        EXPECT_EQ(sys.openDescriptors(), 0u);  // every descriptor opened was closed again
    }
}

TEST(AtomicSave, AFolderThatCannotBeSyncedIsNoFailure) {
    // File systems that cannot sync folders answer EINVAL, EBADF or ENOTSUP; a folder without
    // read permission cannot be opened to sync it.
    const std::pair<const char*, int> cases[] = {
        {"fsync D", EINVAL}, {"fsync D", EBADF}, {"fsync D", ENOTSUP}, {"open D", EACCES}};
    for (const auto& [call, err] : cases) {
        SCOPED_TRACE(std::string(call) + " " + systemMessage(err));
        TempDir dir;
        const auto file = dir / "a.dat";
        ScriptedCalls sys(file);
        sys.failCall = call;
        sys.failErrno = err;
        {
            ScopedFileCalls use(sys);
            EXPECT_NO_THROW(writeFileAtomic(file, "new"));
        }
        EXPECT_TRUE(sys.failCall.empty());
        EXPECT_EQ(readFileBytes(file), "new");
    }
}

}  // namespace
}  // namespace tavlora
