// Two programs on one data folder: while another process holds the folder the way the window
// does (the stakes file opened and locked), tavlora-cli refuses every command that would change
// the folder and still runs the ones that only read it.
#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "cli_support.h"
#include "session/session.h"
#include "stakes/stakes_store.h"
#include "test_support.h"

namespace {

using tavlora::test::CliResult;
using tavlora::test::readTextFile;
using tavlora::test::TempDir;
using namespace tavlora;

CliResult cli(const TempDir& dir, const std::vector<std::string>& args) {
    return tavlora::test::runCli(dir.path(), args, "", {"--data", "d"});
}

// A separate process that opens the folder's session and its stakes file as the window does at
// start-up, and keeps them until it is told to end (its pipe closed).
class FolderHolder {
public:
    explicit FolderHolder(const std::filesystem::path& dataDir) {
        int ready[2];
        int release[2];
        if (::pipe(ready) != 0 || ::pipe(release) != 0) throw std::runtime_error("pipe");
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            ::close(release[1]);
            char ok = '0';
            try {
                Session session(dataDir);
                session.stakes().open();
                ok = '1';
                (void)!::write(ready[1], &ok, 1);
                char c;
                (void)!::read(release[0], &c, 1);  // returns when the parent closes its end
            } catch (...) {
                (void)!::write(ready[1], &ok, 1);
            }
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release[0]);
        release_ = release[1];
        char c = '0';
        held_ = ::read(ready[0], &c, 1) == 1 && c == '1';
        ::close(ready[0]);
    }
    ~FolderHolder() { end(); }
    bool held() const { return held_; }
    void end() {
        if (pid_ <= 0) return;
        ::close(release_);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
    int release_ = -1;
    bool held_ = false;
};

}  // namespace

TEST(CliSharedFolder, WritesAreRefusedWhileAnotherCopyHoldsTheFolder) {
    TempDir dir;
    ASSERT_EQ(cli(dir, {"archive", "import", tavlora::test::sampleCsv()}).status, 0);
    std::ofstream(dir / "new.csv") << "1391;\"01/01/2030\";1;2;3;4;5;6\r\n";
    const std::string archiveBefore = readTextFile(dir / "d/Tavlora_5d69.ldr");

    FolderHolder window(dir / "d");
    ASSERT_TRUE(window.held());
    EXPECT_TRUE(stakesFileLockedElsewhere(dir / "d/Tavlora_5d69.lsk"));

    const std::vector<std::vector<std::string>> writes = {
        {"archive", "add", "--numbers", "1;2;3;4;5;6"},
        {"archive", "import", "new.csv"},
        {"--yes", "archive", "delete", "1"},
        {"stakes", "add", "--numbers", "1;2;3;4;5"},
        {"stakes", "list"},
        {"combs", "generate"},
        {"scenario", "add", "SUM 100-200"},
        {"prefetch"},
        {"regulars", "add", "--comment", "R", "--last-draw"},
        {"systems", "play", "--all", "--in", "list.lcv"},
        {"systems", "download", "1", "--url", "http://127.0.0.1:9/"},
        {"systems", "list", "--url", "http://127.0.0.1:9/"},
        {"systems", "generate", "6", "--guarantee", "2", "--seconds", "1"},
    };
    for (const auto& args : writes) {
        SCOPED_TRACE(args[0] + " " + args[1 % args.size()]);
        const CliResult r = cli(dir, args);
        EXPECT_EQ(r.status, 1) << r.out << r.err;
        EXPECT_NE(r.err.find("Каталог данных используется другой копией программы"), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("Resource temporarily unavailable"), std::string::npos) << r.err;
    }
    EXPECT_EQ(readTextFile(dir / "d/Tavlora_5d69.ldr"), archiveBefore);
    EXPECT_EQ(std::filesystem::file_size(dir / "d/Tavlora_5d69.lsk"), 0u);

    const std::vector<std::vector<std::string>> reads = {
        {"archive", "status"},
        {"archive", "list", "--last", "3"},
        {"archive", "export", "out.csv"},
        {"methods"},
        {"sums"},
        {"regulars", "list"},
        {"card", "--rows", "2"},
        {"layout"},
        {"week"},
        {"systems", "list"},
    };
    for (const auto& args : reads) {
        SCOPED_TRACE(args[0]);
        const CliResult r = cli(dir, args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err.find("Каталог данных используется"), std::string::npos) << r.err;
    }

    // Once the other copy ends, the same change goes through.
    window.end();
    EXPECT_FALSE(stakesFileLockedElsewhere(dir / "d/Tavlora_5d69.lsk"));
    const CliResult r = cli(dir, {"archive", "import", "new.csv"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(std::filesystem::file_size(dir / "d/Tavlora_5d69.ldr"), 1391u * 24u);
}
