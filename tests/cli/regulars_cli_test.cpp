// End-to-end tests of `tavlora-cli regulars ...` on the sample archive.
#include <gtest/gtest.h>

#include <fstream>

#include "cli_support.h"
#include "core/file_util.h"
#include "test_support.h"

using tavlora::test::CliResult;
using tavlora::test::TempDir;
using tavlora::test::textLines;

namespace {

CliResult cli(const TempDir& dir, std::vector<std::string> args) {
    return tavlora::test::runCli(dir.path(), args, "LC_ALL=C", {"--data", "d"});
}

// A data folder with the draws numbered 1..5, draw k holding 10k..10k+4.
void makeArchive(const TempDir& dir) {
    for (int k = 1; k <= 5; ++k) {
        std::string numbers;
        for (int i = 0; i < 5; ++i) numbers += std::to_string(10 * k + i) + ";";
        const CliResult r = cli(dir, {"archive", "add", "--numbers", numbers + "1", "--number", std::to_string(k)});
        ASSERT_EQ(r.status, 0) << r.err;
    }
}

const std::string kHeader = "Комментарий\tСтартовая комбинация\tШаг\tТекущая комбинация\tСтавок";

}  // namespace

TEST(CliRegulars, AddStakeTestAndDelete) {
    TempDir dir;
    makeArchive(dir);
    ASSERT_EQ(cli(dir, {"regulars", "add", "--comment", "A", "--start", "5;4;3;2;1", "--step", "68"}).status, 0);
    ASSERT_EQ(cli(dir, {"regulars", "add", "--comment", "B", "--start", "1;10;20;30;40", "--step", "-1"}).status, 0);
    ASSERT_EQ(cli(dir, {"regulars", "add", "--comment", "P", "--last-draw"}).status, 0);
    // The dialog's checks, with its messages.
    struct Refused {
        std::vector<std::string> args;
        std::string message;
    };
    const Refused refused[] = {
        {{"--comment", "a", "--start", "1;2;3;4;5"}, "Запись с таким комментарием уже присутствует в списке!"},
        {{"--comment", "C", "--start", "1;2;3;4;4"}, "Введена некорректная комбинация!"},
        {{"--comment", " ", "--start", "1;2;3;4;5"}, "Необходимо ввести комментарий!"},
        {{"--comment", "C", "--start", "1;2;3;4;5", "--step", "70"}, "--step"},
        {{"--comment", "C"}, "--last-draw"},
    };
    for (const Refused& r : refused) {
        std::vector<std::string> args{"regulars", "add"};
        args.insert(args.end(), r.args.begin(), r.args.end());
        const CliResult out = cli(dir, args);
        EXPECT_NE(out.status, 0) << r.message;
        EXPECT_NE(out.err.find(r.message), std::string::npos) << out.err;
    }

    // The first stake of a constant start is the start moved once.
    CliResult r = cli(dir, {"regulars", "stake", "1"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "A\t1;2;3;4;5\t68\t1;2;3;4;69\t1\n");
    r = cli(dir, {"regulars", "stake", "2"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "B\t1;10;20;30;40\t-1\t9;19;29;39;69\t1\n");
    EXPECT_NE(cli(dir, {"regulars", "stake", "4"}).status, 0);
    // An offset hiding every draw leaves the previous-draw regular without a base: no stake.
    r = cli(dir, {"--offset", "5", "regulars", "stake", "3"});
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("\"P\""), std::string::npos) << r.err;

    // The previous-draw regular tested over 3 draws stakes, at each offset k, the first hidden
    // draw from the latest visible draw's numbers moved by one.
    // At most one test fewer than the draws: the oldest draw has nothing before it.
    r = cli(dir, {"regulars", "test", "5", "--rows", "3-3"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("не больше 4"), std::string::npos) << r.err;
    r = cli(dir, {"regulars", "test", "3", "--rows", "3-3"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Ставок добавлено: 3\n");
    r = cli(dir, {"stakes", "list"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto lines = textLines(r.out);
    ASSERT_EQ(lines.size(), 6u) << r.out;
    EXPECT_EQ(lines[1].substr(0, lines[1].find('\t', 5)), "6\tРегуляр");
    for (int k = 2; k <= 4; ++k) {
        const std::string numbers = std::to_string(10 * k + 1) + ";" + std::to_string(10 * k + 2) + ";" +
                                    std::to_string(10 * k + 3) + ";" + std::to_string(10 * k + 4) + ";" +
                                    std::to_string(10 * k + 5);
        EXPECT_EQ(lines[k + 1].rfind(std::to_string(k + 1) + "\tРегуляр\t" + numbers + "\t", 0), 0u) << lines[k + 1];
        EXPECT_EQ(lines[k + 1].substr(lines[k + 1].rfind('\t')), "\tP");
    }
    r = cli(dir, {"regulars", "list"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(textLines(r.out), (std::vector<std::string>{kHeader, "A\t1;2;3;4;5\t68\t1;2;3;4;69\t1",
                                                         "B\t1;10;20;30;40\t-1\t9;19;29;39;69\t1",
                                                         "P\t0;0;0;0;0\t1\t41;42;43;44;45\t3"}));

    EXPECT_NE(cli(dir, {"regulars", "delete", "--rows", "1-2"}).status, 0);  // asks; no by default
    r = cli(dir, {"--yes", "regulars", "delete", "--rows", "1-2"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(textLines(cli(dir, {"regulars", "list"}).out),
              (std::vector<std::string>{kHeader, "P\t0;0;0;0;0\t1\t41;42;43;44;45\t3"}));
}

TEST(CliRegulars, DamagedFileIsReportedAndKept) {
    TempDir dir;
    makeArchive(dir);
    ASSERT_EQ(cli(dir, {"regulars", "add", "--comment", "A", "--start", "1;2;3;4;5"}).status, 0);
    const std::filesystem::path file = dir / "d/Tavlora_5d69.ltb";
    const std::string torn = tavlora::readFileBytes(file) + "1234567";
    tavlora::writeFileAtomic(file, torn);
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"regulars", "list"}, {"regulars", "add", "--comment", "B", "--last-draw"}, {"regulars", "stake", "1"}}) {
        const CliResult r = cli(dir, args);
        EXPECT_EQ(r.status, 1) << args[1];
        EXPECT_NE(r.err.find("Ошибка чтения файла регулярных ставок!"), std::string::npos) << r.err;
    }
    EXPECT_EQ(tavlora::readFileBytes(file), torn);
}
