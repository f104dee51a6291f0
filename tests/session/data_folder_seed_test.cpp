#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "core/error.h"
#include "session/data_folder_seed.h"
#include "test_support.h"

using namespace tavlora;
using tavlora::test::TempDir;

namespace {

namespace fs = std::filesystem;

void writeFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// Every entry of a folder (recursively) with the bytes of the regular files.
std::map<std::string, std::string> listing(const fs::path& dir) {
    std::map<std::string, std::string> out;
    if (!fs::exists(dir)) return out;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        out[fs::relative(e.path(), dir).string()] = e.is_regular_file() ? readFile(e.path()) : "<dir>";
    return out;
}

// The installed folder: the sample archive, the example scenario, a text file and a sub-folder.
void makeSource(const fs::path& share) {
    writeFile(share / "Tavlora_5d69.ldr", std::string(48, '\x07'));
    writeFile(share / "example.lsc", "CURR:0#NONE|TMD1#SUMS:200#CLV:1#SF:1\r\n");
    writeFile(share / "readme.txt", "sample\r\n");
    writeFile(share / "systems" / "5-06-2_0001.dat", "1 2 3 4 5\r\n");
}

}  // namespace

TEST(DataFolderSeed, CopiesOnlyWhatTheFolderLacksAndOnlyBeforeItHasAnArchive) {
    struct Case {
        const char* name;
        std::map<std::string, std::string> before;  // the data folder's files before the seeding
        std::vector<std::string> copied;
        std::map<std::string, std::string> after;
        bool sourceArchive = true;  // the source folder holds an archive
    };
    const std::string archive(48, '\x07');
    const std::string example = "CURR:0#NONE|TMD1#SUMS:200#CLV:1#SF:1\r\n";
    const std::vector<Case> cases = {
        {"missing folder",
         {},
         {"example.lsc", "readme.txt", "Tavlora_5d69.ldr"},
         {{"Tavlora_5d69.ldr", archive}, {"example.lsc", example}, {"readme.txt", "sample\r\n"}}},
        {"user's files kept, the archive added",
         {{"example.lsc", "mine"}, {"Tavlora_5d69.ini", "[GLOBAL]\r\n"}},
         {"readme.txt", "Tavlora_5d69.ldr"},
         {{"Tavlora_5d69.ldr", archive},
          {"example.lsc", "mine"},
          {"readme.txt", "sample\r\n"},
          {"Tavlora_5d69.ini", "[GLOBAL]\r\n"}}},
        {"an archive means the folder is in use",
         {{"Tavlora_5d69.ldr", "old"}},
         {},
         {{"Tavlora_5d69.ldr", "old"}}},
        {"an empty archive is the user's too", {{"Tavlora_5d69.ldr", ""}}, {}, {{"Tavlora_5d69.ldr", ""}}},
        {"a source without an archive gives what it has",
         {},
         {"example.lsc", "readme.txt"},
         {{"example.lsc", example}, {"readme.txt", "sample\r\n"}},
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        makeSource(dir / "share");
        if (!c.sourceArchive) fs::remove(dir / "share" / "Tavlora_5d69.ldr");
        const auto data = dir / "home/.local/share/tavlora";
        for (const auto& [name, bytes] : c.before) writeFile(data / name, bytes);
        const auto seed = seedDataFolder(dir / "share", data);
        EXPECT_EQ(seed.copied, c.copied);
        EXPECT_EQ(listing(data), c.after);
        // A second start copies nothing and changes nothing.
        EXPECT_TRUE(seedDataFolder(dir / "share", data).copied.empty());
        EXPECT_EQ(listing(data), c.after);
    }
}

TEST(DataFolderSeed, AMissingSourceSeedsNothingAndCreatesNothing) {
    TempDir dir;
    const auto data = dir / "data";
    EXPECT_TRUE(seedDataFolder(dir / "no-such-share", data).copied.empty());
    EXPECT_FALSE(fs::exists(data));
}

TEST(DataFolderSeed, FailuresNameTheirPlaceAndLeaveTheSeedingToBeRetried) {
    TempDir dir;
    makeSource(dir / "share");

    // A plain file where the data folder should be.
    writeFile(dir / "plain", "x");
    try {
        seedDataFolder(dir / "share", dir / "plain" / "data");
        ADD_FAILURE() << "no error for a folder that cannot be created";
    } catch (const EError& e) {
        EXPECT_NE(std::string(e.what()).find((dir / "plain" / "data").string()), std::string::npos) << e.what();
    }

    // A source file that cannot be read (even by root): the archive is not copied, no temporary
    // file is left, and the next start completes the seeding.
    fs::create_symlink("/proc/self/mem", dir / "share" / "unreadable.lsc");
    const auto data = dir / "data";
    try {
        seedDataFolder(dir / "share", data);
        ADD_FAILURE() << "no error for an unreadable source file";
    } catch (const EError& e) {
        EXPECT_NE(std::string(e.what()).find("unreadable.lsc"), std::string::npos) << e.what();
    }
    // The files before it in name order are copied, the archive is not.
    EXPECT_EQ(listing(data), (std::map<std::string, std::string>{{"example.lsc", readFile(dir / "share" / "example.lsc")},
                                                                 {"readme.txt", "sample\r\n"}}));

    fs::remove(dir / "share" / "unreadable.lsc");
    const auto seed = seedDataFolder(dir / "share", data);
    EXPECT_EQ(seed.copied, (std::vector<std::string>{"Tavlora_5d69.ldr"}));
    EXPECT_EQ(readFile(data / "Tavlora_5d69.ldr"), std::string(48, '\x07'));
}
