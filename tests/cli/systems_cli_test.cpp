// End-to-end tests of `tavlora-cli systems` in a temporary folder, the catalogue commands against
// the local catalogue service of tests/servers.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "cli_support.h"
#include "server_support.h"
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
        {"systems", "add", "list.txt", "--author", "a", "--descr", "d"},
        {"systems", "add", "list.txt", "--title", "t", "--descr", "d"},
        {"systems", "add", "list.txt", "--title", "t", "--author", "a"},
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

namespace {

// Two systems for 6 numbers and two for 12 in the catalogue; the mail of the first is the user's.
const char* kCliCatalogue = R"([
 {"id": 3, "nums": 6, "olap": 0, "title": "Шесть", "descr": "d", "author": "A", "cl_mail": "me@x.org", "url": "",
  "created": "2024-01-02 03:04:05", "downloads": 0, "last_download": "", "clist": "01 02 03 04 06\n"},
 {"id": 21, "nums": 12, "olap": 1, "title": "K12 a", "descr": "d", "author": "B", "cl_mail": "b@x.org", "url": "",
  "created": "2024-01-02 03:04:05", "downloads": 0, "last_download": "", "clist": "01 02 03 04 12\n"},
 {"id": 22, "nums": 12, "olap": 2, "title": "K12 b", "descr": "d", "author": "B", "cl_mail": "b@x.org", "url": "",
  "created": "2024-01-02 03:04:05", "downloads": 0, "last_download": "", "clist": "05 06 07 08 12\n"}
])";

}  // namespace

TEST(CliSystems, CatalogueDownloadAndSystemPlayMakeTheMappedStakes) {
    TempDir dir;
    std::ofstream(dir / "catalogue.json") << kCliCatalogue;
    tavlora::test::SystemsServer server(dir.path(), "systems", dir / "catalogue.json");
    const std::string url = server.url();

    CliResult r = systemsCli(dir, {"systems", "list", "--url", url});
    ASSERT_EQ(r.status, 0) << r.err;
    auto rows = tavlora::test::tableRows(r.out);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0][0], "Номер");
    rows[1].resize(13);  // the printed row ends with empty link and own cells
    EXPECT_EQ(rows[1], (std::vector<std::string>{"3", "Шесть", "A", "06", "0", "1", "2024-01-02 03:04:05", "", "0", "",
                                                 "d", "", ""}));

    // A second download for K = 12 deletes the first file.
    ASSERT_EQ(systemsCli(dir, {"systems", "download", "21", "--url", url}).status, 0);
    EXPECT_TRUE(std::filesystem::exists(dir / "d/Systems/5-12-1_0021.dat"));
    r = systemsCli(dir, {"systems", "download", "22", "--url", url});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "d/Systems/5-12-1_0021.dat"));
    EXPECT_TRUE(std::filesystem::exists(dir / "d/Systems/5-12-2_0022.dat"));

    // The numbers 3, 8, 15, 22, 31, 40 in order of appearance with the line 01 02 03 04 06.
    ASSERT_EQ(systemsCli(dir, {"systems", "download", "3", "--url", url}).status, 0);
    std::ofstream(dir / "list.lcv") << "3;8;15;22;31\r\n40;3;8;15;22\r\n";
    r = systemsCli(dir, {"systems", "play", "--all", "--in", "list.lcv", "--draws", "2"});
    ASSERT_EQ(r.status, 0) << r.err;
    // The stakes (separators left out).
    auto stakes = [&] {
        std::vector<std::vector<std::string>> real;
        const CliResult list = systemsCli(dir, {"stakes", "list"});
        EXPECT_EQ(list.status, 0) << list.err;
        const auto all = tavlora::test::tableRows(list.out);
        for (std::size_t i = 1; i < all.size(); ++i)
            if (!all[i].empty() && !all[i][0].empty()) real.push_back(all[i]);
        return real;
    };
    rows = stakes();
    ASSERT_EQ(rows.size(), 2u);  // one stake for each of two draws
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i][0], std::to_string(i + 1));
        EXPECT_EQ(rows[i][1], "Система");
        EXPECT_EQ(rows[i][2], "3;8;15;22;40");
        EXPECT_EQ(rows[i].back(), "Системная игра для 6 чисел [вся система]: 5-06-0_0003");
    }
    // Filtered: the stake is made because 3;8;15;22;40 is in the list (as its second line, reordered);
    // a list without it makes none.
    r = systemsCli(dir, {"systems", "play", "--filter", "--in", "list.lcv", "--comment", "Ф"});
    ASSERT_EQ(r.status, 0) << r.err;
    rows = stakes();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2][2], "3;8;15;22;40");
    EXPECT_EQ(rows[2].back(), "Ф");
    std::ofstream(dir / "other.lcv") << "3;8;15;22;31\r\n40;3;8;15;21\r\n";
    ASSERT_EQ(systemsCli(dir, {"systems", "play", "--filter", "--in", "other.lcv"}).status, 1);  // 7 numbers: no system
    std::ofstream(dir / "six.lcv") << "3;8;15;22;31\r\n40;3;8;15;31\r\n";
    ASSERT_EQ(systemsCli(dir, {"systems", "play", "--filter", "--in", "six.lcv"}).status, 0);
    EXPECT_EQ(stakes().size(), 3u);

    // Without an address the list is read from the folder: the two downloaded systems.
    r = systemsCli(dir, {"systems", "list"});
    ASSERT_EQ(r.status, 0) << r.err;
    rows = tavlora::test::tableRows(r.out);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1][1], "5-06-0_0003");
    EXPECT_EQ(rows[2][1], "5-12-2_0022");
    r = systemsCli(dir, {"systems", "show", "22"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\n\n05 06 07 08 12\n"), std::string::npos) << r.out;
}

TEST(CliSystems, OwnSystemsAreAddedAndDeletedThroughTheCatalogue) {
    TempDir dir;
    std::ofstream(dir / "catalogue.json") << kCliCatalogue;
    tavlora::test::SystemsServer server(dir.path(), "systems", dir / "catalogue.json");
    std::filesystem::create_directories(dir / "d");
    std::ofstream(dir / "d/Tavlora_5d69.ini") << "[SYSTEMS]\r\nUrl=" << server.url() << "\r\nMail=ME@x.org\r\n";
    std::ofstream(dir / "mine.txt") << "1,2,3,4,5\n1 2 3 4\n3 4 5 6 9\n";

    CliResult r = systemsCli(dir, {"systems", "add", "mine.txt", "--title", "Моя", "--author", "Я", "--descr", "Тест"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(tavlora::test::tableRows(r.out)[1], (std::vector<std::string>{"23", "09", "2"}));
    r = systemsCli(dir, {"systems", "show", "23"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\n\n01 02 03 04 05\n03 04 05 06 09\n"), std::string::npos) << r.out;

    // Another owner's system is refused; an own one needs --yes.
    r = systemsCli(dir, {"--yes", "systems", "delete", "21"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Вы можете удалять только свои системы!"), std::string::npos) << r.err;
    r = systemsCli(dir, {"systems", "delete", "23"});
    EXPECT_EQ(r.status, 1);
    r = systemsCli(dir, {"--yes", "systems", "delete", "3"});
    ASSERT_EQ(r.status, 0) << r.err;
    r = systemsCli(dir, {"systems", "list"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto rows = tavlora::test::tableRows(r.out);
    ASSERT_EQ(rows.size(), 4u);  // 21, 22 and the own system 23; 3 is gone
    EXPECT_EQ(rows[3][0], "23");
    EXPECT_EQ(rows[3].back(), "да");

    // A failing check sends nothing; an unreachable catalogue lists the placeholder and fails.
    r = systemsCli(dir, {"systems", "add", "mine.txt", "--title", "X", "--author", "Я", "--descr", "T", "--block", "5"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Указан недопустимый размер блока!"), std::string::npos) << r.err;
    r = systemsCli(dir, {"systems", "list", "--url", "http://127.0.0.1:" + std::to_string(tavlora::test::freePort())});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("-1\tСписок систем не доступен!"), std::string::npos) << r.out;

    // Every sub-command explains itself.
    for (const char* sub : {"list", "show", "add", "delete", "download", "play", "generate"}) {
        r = systemsCli(dir, {"systems", sub, "--help"});
        EXPECT_EQ(r.status, 0) << sub;
        EXPECT_NE(r.out.find(std::string("systems ") + sub), std::string::npos) << sub << r.out;
    }
}
