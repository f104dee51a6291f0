// Whole-buffer reads and writes at an offset, and the status-text guard of long operations.
#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

#include "core/file_util.h"
#include "core/progress.h"
#include "test_support.h"

namespace tavlora {
namespace {

// An open file descriptor closed at the end of the test.
struct Fd {
    explicit Fd(int value) : fd(value) {}
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
    int fd;
};

TEST(FileUtil, ReadAndWriteWholeBuffersAtOffsets) {
    test::TempDir dir;
    const auto path = dir / "records.bin";
    Fd f(::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644));
    ASSERT_GE(f.fd, 0);

    // Records written out of order land at their offsets; a write past the end extends the file.
    const std::string a(312, 'a'), b(312, 'b'), c(100000, 'c');
    ASSERT_TRUE(writeAllAt(f.fd, b.data(), b.size(), 312));
    ASSERT_TRUE(writeAllAt(f.fd, a.data(), a.size(), 0));
    ASSERT_TRUE(writeAllAt(f.fd, c.data(), c.size(), 624));
    EXPECT_EQ(readFileBytes(path), a + b + c);

    struct Case {
        int64_t offset;
        size_t size;
        bool ok;
        std::string want;  // when ok
    };
    const std::vector<Case> cases{
        {0, 312, true, a},
        {312, 312, true, b},
        {310, 4, true, "aabb"},          // across a record boundary
        {624, 100000, true, c},          // a large buffer in one call
        {100624 - 3, 3, true, "ccc"},    // the last bytes
        {100624 - 3, 4, false, ""},      // one byte beyond the end: a short read is an error
        {100624, 1, false, ""},          // at the end
        {200000, 10, false, ""},         // far beyond
    };
    for (const Case& t : cases) {
        std::string got(t.size, '?');
        errno = 0;
        const bool ok = readAllAt(f.fd, got.data(), got.size(), t.offset);
        EXPECT_EQ(ok, t.ok) << "offset " << t.offset << " size " << t.size;
        if (t.ok)
            EXPECT_EQ(got, t.want) << "offset " << t.offset;
        else
            EXPECT_EQ(errno, EIO) << "offset " << t.offset;
    }
    // Nothing to read or write is done at once.
    EXPECT_TRUE(readAllAt(f.fd, nullptr, 0, 500000));
    EXPECT_TRUE(writeAllAt(f.fd, nullptr, 0, 0));
}

TEST(FileUtil, FailedReadsAndWritesReportTheSystemsReason) {
    test::TempDir dir;
    const auto path = dir / "ro.bin";
    writeFileAtomic(path, "0123456789");
    Fd ro(::open(path.c_str(), O_RDONLY));
    ASSERT_GE(ro.fd, 0);
    errno = 0;
    EXPECT_FALSE(writeAllAt(ro.fd, "x", 1, 0));
    EXPECT_EQ(errno, EBADF);
    EXPECT_FALSE(writeAll(ro.fd, "x", 1));
    EXPECT_EQ(errno, EBADF);
    EXPECT_EQ(readFileBytes(path), "0123456789");

    Fd wo(::open(path.c_str(), O_WRONLY));
    ASSERT_GE(wo.fd, 0);
    char buf[4];
    errno = 0;
    EXPECT_FALSE(readAllAt(wo.fd, buf, sizeof buf, 0));
    EXPECT_EQ(errno, EBADF);

    // A full device: the error is the disk's, never a silent success.
    Fd full(::open("/dev/full", O_WRONLY));
    if (full.fd >= 0) {
        const std::string big(1 << 16, 'z');
        errno = 0;
        EXPECT_FALSE(writeAll(full.fd, big.data(), big.size()));
        EXPECT_EQ(errno, ENOSPC);
    }
}

TEST(FileUtil, WriteAllAppendsEveryByteThroughAPipe) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    Fd in(fds[0]), out(fds[1]);
    const std::string text = "Тираж № 1\r\n";
    ASSERT_TRUE(writeAll(out.fd, text.data(), text.size()));
    ASSERT_TRUE(writeAll(out.fd, text.data(), text.size()));
    ::close(out.fd);
    out.fd = -1;
    std::string got;
    char buf[64];
    for (ssize_t n; (n = ::read(in.fd, buf, sizeof buf)) > 0;) got.append(buf, static_cast<size_t>(n));
    EXPECT_EQ(got, text + text);
    // A positioned read cannot work on a pipe: reported, not taken for data.
    errno = 0;
    EXPECT_FALSE(readAllAt(in.fd, buf, 1, 0));
    EXPECT_EQ(errno, ESPIPE);
}

class RecordingProgress : public NullProgress {
public:
    void setText(const std::string& text) override { texts.push_back(text); }
    std::vector<std::string> texts;
};

TEST(StatusScope, TheTextIsClearedOnEveryWayOut) {
    using Texts = std::vector<std::string>;
    struct Case {
        const char* what;
        void (*run)(Progress&);
        Texts want;
    };
    const std::vector<Case> cases{
        {"return", [](Progress& p) { StatusScope s(p, "Работа..."); }, Texts{"Работа...", ""}},
        {"exception",
         [](Progress& p) {
             try {
                 StatusScope s(p, "Работа...");
                 throw std::runtime_error("failed");
             } catch (const std::runtime_error&) {
             }
         },
         Texts{"Работа...", ""}},
        {"update",
         [](Progress& p) {
             StatusScope s(p, "Шаг 1");
             s.update("Шаг 2");
         },
         Texts{"Шаг 1", "Шаг 2", ""}},
        {"early clear",
         [](Progress& p) {
             StatusScope s(p, "Работа...");
             s.clear();
             p.setText("Следующая работа");
         },
         Texts{"Работа...", "", "Следующая работа"}},
        {"nested",
         [](Progress& p) {
             StatusScope outer(p, "Внешняя");
             { StatusScope inner(p, "Внутренняя"); }
             outer.update("Внешняя");
         },
         Texts{"Внешняя", "Внутренняя", "", "Внешняя", ""}},
    };
    for (const Case& c : cases) {
        RecordingProgress progress;
        c.run(progress);
        EXPECT_EQ(progress.texts, c.want) << c.what;
    }
    // Without a progress nothing is shown and nothing fails.
    StatusScope none(static_cast<Progress*>(nullptr), "Работа...");
    none.update("Шаг 2");
}

}  // namespace
}  // namespace tavlora
