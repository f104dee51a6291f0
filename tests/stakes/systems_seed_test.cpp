// The starter set of wheels: the shipped files all keep their guarantee, and an empty Systems
// folder is seeded from a source folder once.
#include <fstream>
#include <gtest/gtest.h>

#include "core/error.h"
#include "stakes/systems.h"
#include "stakes/systems_seed.h"
#include "stakes/wheel_generator.h"
#include "test_support.h"

namespace tavlora {
namespace {

using test::TempDir;

const std::filesystem::path kStarterDir = std::filesystem::path(TAVLORA_SAMPLE_DIR).parent_path() / "systems";

void writeText(const std::filesystem::path& p, const std::string& text) {
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary);
    out << text;
}

TEST(SystemsSeed, FileNamesAreParsedStrictly) {
    struct Case {
        const char* name;
        bool ok;
        int k, block, id;
    };
    const Case cases[] = {
        {"5-12-3_0042.dat", true, 12, 3, 42},
        {"5-06-0_0000.DAT", true, 6, 0, 0},
        {"5-69-4_123456.dat", true, 69, 4, 123456},
        {"5-6-3_0042.dat", false, 0, 0, 0},    // K needs two digits
        {"6-12-3_0042.dat", false, 0, 0, 0},   // six numbers per combination
        {"5-12-3-0042.dat", false, 0, 0, 0},
        {"5-12-_0042.dat", false, 0, 0, 0},
        {"5-12-3_.dat", false, 0, 0, 0},
        {"5-12-3_00x2.dat", false, 0, 0, 0},
        {"5-12-3_0042.txt", false, 0, 0, 0},
        {"README.md", false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const auto parts = parseSystemFileName(c.name);
        ASSERT_EQ(parts.has_value(), c.ok) << c.name;
        if (!c.ok) continue;
        EXPECT_EQ(parts->k, c.k) << c.name;
        EXPECT_EQ(parts->block, c.block) << c.name;
        EXPECT_EQ(parts->id, c.id) << c.name;
    }
}

// Every shipped wheel K = 6..20 for t = 2 and 3 is there, reads as a system and covers every
// t-set; it is no larger than the greedy cover and no smaller than the lower bound.
TEST(SystemsSeed, EveryShippedWheelCoversAllTSets) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kStarterDir)) {
        const auto parts = parseSystemFileName(entry.path().filename().string());
        if (!parts) continue;
        ++files;
        SCOPED_TRACE(entry.path().filename().string());
        EXPECT_EQ(parts->id, kWheelSystemId);
        const std::vector<TComb> blocks = readSystemPositions(entry.path(), parts->k);
        const TWheelCheck check = verifyWheel(blocks, parts->k, parts->block);
        EXPECT_TRUE(check.covers()) << check.error << " uncovered: " << check.uncovered;
        EXPECT_LE(static_cast<int64_t>(blocks.size()), static_cast<int64_t>(greedyWheel(parts->k, parts->block).size()));
        EXPECT_GE(static_cast<int64_t>(blocks.size()), schoenheimBound(parts->k, 5, parts->block));
    }
    for (int t : {2, 3})
        for (int k = 6; k <= 20; ++k)
            EXPECT_TRUE(std::filesystem::exists(kStarterDir / wheelFileName(k, t))) << wheelFileName(k, t);
    EXPECT_EQ(files, 30);
}

TEST(SystemsSeed, AnEmptySystemsFolderIsSeededOnce) {
    TempDir dir;
    const auto source = dir / "share";
    const auto systems = dir / "data" / kSystemsFolder;
    writeText(source / "5-06-2_0000.dat", "01 02 03 04 05\r\n01 02 03 04 06\r\n01 02 03 05 06\r\n");
    writeText(source / "5-07-3_0000.dat", "03 04 05 06 07\r\n");
    writeText(source / "5-08-2_0000.dat", "01 02 03 04 09\r\n");  // position 9 of 8 numbers
    writeText(source / "5-09-2_0000.dat", "");                    // no combination
    writeText(source / "README.md", "not a system\r\n");
    const auto oldTime = std::filesystem::last_write_time(source / "5-06-2_0000.dat") - std::chrono::hours(48);
    std::filesystem::last_write_time(source / "5-06-2_0000.dat", oldTime);

    TSystemsSeed seed = seedSystemsFolder(systems, source);
    EXPECT_EQ(seed.copied, 2);
    ASSERT_EQ(seed.skipped.size(), 2u);
    EXPECT_EQ(seed.skipped[0].rfind("5-08-2_0000.dat: ", 0), 0u) << seed.skipped[0];
    EXPECT_EQ(seed.skipped[1].rfind("5-09-2_0000.dat: ", 0), 0u) << seed.skipped[1];
    EXPECT_TRUE(std::filesystem::exists(systems / "5-06-2_0000.dat"));
    EXPECT_TRUE(std::filesystem::exists(systems / "5-07-3_0000.dat"));
    EXPECT_FALSE(std::filesystem::exists(systems / "5-08-2_0000.dat"));
    EXPECT_FALSE(std::filesystem::exists(systems / "README.md"));
    EXPECT_EQ(std::filesystem::last_write_time(systems / "5-06-2_0000.dat"), oldTime);
    // The seeded system plays.
    EXPECT_TRUE(findSystem(systems, TByteArray{3, 8, 15, 22, 31, 40}, nullptr).ok);

    // Once the folder holds systems (seeded or the user's own), nothing more is copied, and a
    // removed file does not come back.
    std::filesystem::remove(systems / "5-07-3_0000.dat");
    writeText(source / "5-10-2_0000.dat", "01 02 03 04 05\r\n");
    seed = seedSystemsFolder(systems, source);
    EXPECT_EQ(seed.copied, 0);
    EXPECT_FALSE(std::filesystem::exists(systems / "5-07-3_0000.dat"));
    EXPECT_FALSE(std::filesystem::exists(systems / "5-10-2_0000.dat"));

    // A missing source folder seeds nothing and is no error.
    EXPECT_EQ(seedSystemsFolder(dir / "other" / kSystemsFolder, dir / "missing").copied, 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "other"));
}

TEST(SystemsSeed, TheShippedSetSeedsAFreshDataFolder) {
    TempDir dir;
    const auto systems = dir / kSystemsFolder;
    const TSystemsSeed seed = seedSystemsFolder(systems, kStarterDir);
    EXPECT_EQ(seed.copied, 30);
    EXPECT_TRUE(seed.skipped.empty());
    // System play for twelve numbers takes the 2-if-2 wheel, the first in name order.
    const TSystemLookup lookup = findSystem(systems, TByteArray{1, 5, 9, 13, 17, 21, 25, 29, 33, 37, 41, 45}, nullptr);
    ASSERT_TRUE(lookup.ok) << lookup.error;
    EXPECT_EQ(lookup.file.filename(), "5-12-2_0000.dat");
}

}  // namespace
}  // namespace tavlora
