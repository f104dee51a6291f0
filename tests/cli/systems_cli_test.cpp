// End-to-end tests of `tavlora-cli systems generate` in a temporary folder.
#include <gtest/gtest.h>

#include <sstream>

#include "cli_support.h"
#include "stakes/systems.h"
#include "stakes/wheel_generator.h"
#include "test_support.h"

using tavlora::test::TempDir;

namespace {

using tavlora::test::CliResult;

CliResult systemsCli(const TempDir& dir, const std::vector<std::string>& args) {
    return tavlora::test::runCli(dir.path(), args, "LC_ALL=C", {"--data", "d"});
}

std::vector<std::string> cells(const std::string& line) {
    std::vector<std::string> v;
    std::istringstream in(line);
    for (std::string cell; std::getline(in, cell, '\t');) v.push_back(cell);
    return v;
}

std::vector<std::string> outLines(const std::string& text) {
    std::vector<std::string> v;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) v.push_back(line);
    return v;
}

}  // namespace

TEST(CliSystems, GenerateWritesACoveringWheelAndPrintsItsFigures) {
    TempDir dir;
    const CliResult r = systemsCli(dir, {"systems", "generate", "10", "--guarantee", "3", "--seed", "5", "--rounds", "3"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto lines = outLines(r.out);
    ASSERT_EQ(lines.size(), 2u) << r.out;
    EXPECT_EQ(lines[0], "Числа\tГарантия\tКомбинаций\tНижняя граница\tЖадный алгоритм\tФайл");
    const auto row = cells(lines[1]);
    ASSERT_EQ(row.size(), 6u) << lines[1];
    EXPECT_EQ(row[0], "10");
    EXPECT_EQ(row[1], "3");
    EXPECT_EQ(row[3], "14");  // the Schönheim bound of C(10,5,3)
    const int size = std::stoi(row[2]);
    EXPECT_GE(size, 14);
    EXPECT_LE(size, std::stoi(row[4]));
    const std::filesystem::path file = dir / "d" / "Systems" / "5-10-3_0000.dat";
    EXPECT_EQ(std::filesystem::path(row[5]), std::filesystem::path("d") / "Systems" / "5-10-3_0000.dat");
    ASSERT_TRUE(std::filesystem::exists(file));
    const auto blocks = tavlora::readSystemPositions(file, 10);
    EXPECT_EQ(static_cast<int>(blocks.size()), size);
    EXPECT_TRUE(tavlora::verifyWheel(blocks, 10, 3).covers());

    // A shorter search with the same seed goes the same way and stops earlier: it finds nothing
    // smaller, keeps the file and says so.
    const std::string before = tavlora::test::readTextFile(file);
    const CliResult again = systemsCli(dir, {"systems", "generate", "10", "--guarantee", "3", "--seed", "5", "--rounds", "1"});
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(tavlora::test::readTextFile(file), before);
    EXPECT_NE(again.err.find("оставлена прежняя система из " + row[2] + " комбинаций"), std::string::npos) << again.err;
}

TEST(CliSystems, BadArgumentsAreUsageErrors) {
    TempDir dir;
    const std::vector<std::vector<std::string>> cases = {
        {"systems"},
        {"systems", "unknown"},
        {"systems", "generate", "--guarantee", "2"},
        {"systems", "generate", "12"},
        {"systems", "generate", "5", "--guarantee", "2"},
        {"systems", "generate", "70", "--guarantee", "2"},
        {"systems", "generate", "x12", "--guarantee", "2"},
        {"systems", "generate", "12", "--guarantee", "5"},
        {"systems", "generate", "12", "--guarantee", "2", "--seconds", "0"},
        {"systems", "generate", "12", "--guarantee", "2", "--seconds", "abc"},
        {"systems", "generate", "12", "--guarantee", "2", "--seed", "-1"},
        {"systems", "generate", "12", "--guarantee", "2", "--rounds", "0"},
        {"systems", "generate", "12", "--guarantee", "2", "--bogus"},
    };
    for (const auto& args : cases) {
        const CliResult r = systemsCli(dir, args);
        EXPECT_EQ(r.status, 2) << args.back() << "\n" << r.err;
        EXPECT_NE(r.err.find("systems generate K --guarantee T"), std::string::npos) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "d" / "Systems"));
    // The smallest K and guarantee are in range.
    const CliResult smallest = systemsCli(dir, {"systems", "generate", "6", "--guarantee", "2", "--rounds", "1"});
    EXPECT_EQ(smallest.status, 0) << smallest.err;
}
