#include "stakes/stakes_file.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/error.h"
#include "test_support.h"

using tavlora::EError;
using tavlora::TStakesFile;
using tavlora::test::TempDir;

TEST(StakesFile, MissingFileIsCreatedEmptyAndExistingContentKept) {
    TempDir dir;
    const auto path = dir / "Tavlora_5d69.lsk";
    {
        TStakesFile f;
        f.open(path);
        EXPECT_TRUE(f.isOpen());
        EXPECT_TRUE(std::filesystem::exists(path));
        EXPECT_EQ(std::filesystem::file_size(path), 0u);
    }
    { std::ofstream(path, std::ios::binary) << "0123456789"; }
    TStakesFile f;
    f.open(path);
    EXPECT_EQ(std::filesystem::file_size(path), 10u);  // opening never truncates
}

TEST(StakesFile, SecondOpenOfTheSameFileIsRefusedUntilTheFirstCloses) {
    TempDir dir;
    const auto path = dir / "Tavlora_5d69.lsk";
    TStakesFile first;
    first.open(path);
    TStakesFile second;
    EXPECT_THROW(second.open(path), EError);
    EXPECT_FALSE(second.isOpen());
    first.close();
    EXPECT_FALSE(first.isOpen());
    EXPECT_NO_THROW(second.open(path));
    EXPECT_TRUE(second.isOpen());
}

TEST(StakesFile, FilesInDifferentFoldersDoNotConflict) {
    TempDir a, b;
    TStakesFile fa, fb;
    fa.open(a / "Tavlora_5d69.lsk");
    EXPECT_NO_THROW(fb.open(b / "Tavlora_5d69.lsk"));
}

TEST(StakesFile, LockIsReleasedWhenTheObjectGoesAway) {
    TempDir dir;
    const auto path = dir / "Tavlora_5d69.lsk";
    { TStakesFile f; f.open(path); }
    TStakesFile again;
    EXPECT_NO_THROW(again.open(path));
}

TEST(StakesFile, UnwritableFolderFailsWithAReason) {
    if (::geteuid() == 0) GTEST_SKIP() << "root can write anywhere";
    TempDir dir;
    const auto sub = dir / "ro";
    std::filesystem::create_directory(sub);
    ::chmod(sub.c_str(), 0555);
    TStakesFile f;
    try {
        f.open(sub / "Tavlora_5d69.lsk");
        ADD_FAILURE() << "open succeeded in a read-only folder";
    } catch (const EError& e) {
        EXPECT_FALSE(std::string(e.what()).empty());
    }
    EXPECT_FALSE(f.isOpen());
    ::chmod(sub.c_str(), 0755);
}
