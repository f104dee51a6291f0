// tavlora-cli on a real full disk and a real read-only folder (a small tmpfs mounted for the
// test): the program's error message with the system's reason, exit 1, and nothing lost. Needs
// the right to mount; skipped where the system refuses it.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <sys/mount.h>
#include <vector>

#include "cli_support.h"
#include "test_support.h"

namespace {

using tavlora::test::CliResult;
using tavlora::test::readTextFile;
using tavlora::test::TempDir;

CliResult cli(const TempDir& dir, const std::vector<std::string>& args) {
    return tavlora::test::runCli(dir.path(), args, "LC_ALL=C", {"--data", "d"});
}

// A tmpfs of the given size at path for the lifetime of the object.
class SmallDisk {
public:
    SmallDisk(const std::filesystem::path& path, const char* size) : path_(path) {
        std::filesystem::create_directories(path_);
        mounted_ = ::mount("tmpfs", path_.c_str(), "tmpfs", 0, (std::string("size=") + size).c_str()) == 0;
    }
    ~SmallDisk() {
        if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }
    bool remountReadOnly() {
        return ::mount("tmpfs", path_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

private:
    std::filesystem::path path_;
    bool mounted_ = false;
};

}  // namespace

TEST(CliFullDisk, FullAndReadOnlyFoldersLoseNothing) {
    TempDir dir;
    SmallDisk disk(dir / "d", "256k");
    if (!disk.mounted()) GTEST_SKIP() << "no right to mount a tmpfs here";

    ASSERT_EQ(cli(dir, {"archive", "import", tavlora::test::sampleCsv()}).status, 0);
    ASSERT_EQ(cli(dir, {"scenario", "add", "EXCL:5#NONE|TMD1#SUMS:200#CLV:1#SF:1"}).status, 0);
    const std::string archive = readTextFile(dir / "d/Tavlora_5d69.ldr");
    const std::string scenario = readTextFile(dir / "d/Tavlora_5d69.lss");
    {
        // Fill the disk: writes stop at its end.
        std::ofstream fill(dir / "d/fill", std::ios::binary);
        const std::string block(4096, 'x');
        while (fill.write(block.data(), static_cast<std::streamsize>(block.size()))) {
        }
    }

    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const std::vector<Case> cases = {
        {{"archive", "add", "--numbers", "1;2;3;4;5;6"}, "Ошибка записи"},
        {{"scenario", "add", "CURR:0#NONE|TMD1#DIFM:300#CLP:2#SF:1"}, ""},
    };
    for (const char* reason : {"No space left on device", "Read-only file system"}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(reason) + ": " + c.args[0]);
            const CliResult r = cli(dir, c.args);
            EXPECT_EQ(r.status, 1) << r.out;
            EXPECT_NE(r.err.find(reason), std::string::npos) << r.err;
            EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        }
        EXPECT_EQ(readTextFile(dir / "d/Tavlora_5d69.ldr"), archive);
        EXPECT_EQ(readTextFile(dir / "d/Tavlora_5d69.lss"), scenario);
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir / "d")) names.push_back(e.path().filename().string());
        for (const auto& n : names) EXPECT_EQ(n.find(".tmp"), std::string::npos) << n;
        // Reading still works.
        const CliResult r = cli(dir, {"archive", "status"});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.out.find("1390"), std::string::npos);
        if (std::string(reason) == "No space left on device") {
            std::filesystem::remove(dir / "d/fill");
            ASSERT_TRUE(disk.remountReadOnly());
        }
    }
}
