// End-to-end test of `tavlora-cli combs generate`.
#include <gtest/gtest.h>

#include <string>

#include "cli_support.h"
#include "test_support.h"

namespace {

using tavlora::test::readTextFile;
using tavlora::test::TempDir;

TEST(CombsCli, GenerateSavesTheListAndTheGeneratorMemory) {
    TempDir dir;
    auto run = [&](const std::vector<std::string>& args) { return tavlora::test::runCli(dir.path(), args); };
    auto r = run({"combs", "generate", "--mode", "2", "--params", "3;1;2;4;5;6;70", "--out", (dir / "a.lcv").string(),
                  "--save"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out + r.err, "Комбинаций: 6\n");
    EXPECT_EQ(readTextFile(dir / "a.lcv").substr(0, 22), "1;2;3;4;5\r\n1;2;3;4;6\r\n");
    // Without options: the stored generator memory.
    r = run({"combs", "generate"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out + r.err, "Комбинаций: 6\n");
    r = run({"combs", "generate", "--mode", "5"});
    EXPECT_EQ(r.status, 2);
}

}  // namespace
