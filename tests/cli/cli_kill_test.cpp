// A tavlora-cli killed (SIGKILL) in the middle of writing the full combination list (11.2
// million rows) leaves the old file whole, and the file reads as before.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "cli_support.h"
#include "test_support.h"

namespace {

using tavlora::test::CliResult;
using tavlora::test::readTextFile;
using tavlora::test::TempDir;

CliResult cli(const TempDir& dir, const std::vector<std::string>& args) {
    return tavlora::test::runCli(dir.path(), args, "", {"--data", "d"});
}

// The temporary file of a save of `name` in dir, when one is being written.
bool savingInto(const std::filesystem::path& dir, const std::string& name) {
    for (const auto& e : std::filesystem::directory_iterator(dir))
        if (e.path().filename().string().rfind(name + ".tmp", 0) == 0) return true;
    return false;
}

}  // namespace

TEST(CliKill, KilledDuringTheFullListSaveKeepsTheOldFile) {
    TempDir dir;
    CliResult r = cli(dir, {"combs", "generate", "--mode", "2", "--params", "1;2;3;4;5;6", "--out", "list.lcv"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string before = readTextFile(dir / "list.lcv");
    ASSERT_EQ(std::count(before.begin(), before.end(), '\n'), 6);

    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (::chdir(dir.path().c_str()) != 0) ::_exit(127);
        ::execl(TAVLORA_CLI_PATH, TAVLORA_CLI_PATH, "--data", "d", "combs", "generate", "--mode", "0", "--out",
                "list.lcv", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // Waits for the save to begin (the list is generated first), then kills the program there.
    bool caught = false;
    int status = 0;
    for (int i = 0; i < 20 * 600 && !caught; ++i) {
        if (::waitpid(pid, &status, WNOHANG) == pid) break;
        caught = savingInto(dir.path(), "list.lcv");
        if (!caught) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(caught) << "the program ended before its save was seen";
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);

    EXPECT_EQ(readTextFile(dir / "list.lcv"), before);
    r = cli(dir, {"combs", "generate", "--mode", "4", "--params", "list.lcv", "--list"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(tavlora::test::textLines(r.out).size(), 7u);  // the header and the six combinations

    // The next save replaces the file as usual.
    r = cli(dir, {"combs", "generate", "--mode", "2", "--params", "1;2;3;4;5;7;8", "--out", "list.lcv"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string after = readTextFile(dir / "list.lcv");
    EXPECT_EQ(std::count(after.begin(), after.end(), '\n'), 21);
}
