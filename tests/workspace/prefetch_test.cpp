// Norm files: layout, the full-set values on all cores, building, opening, stopping and failing.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "core/error.h"
#include "core/file_util.h"
#include "core/parallel.h"
#include "stats/stat_list.h"
#include "test_support.h"
#include "workspace/prefetch.h"
#include "workspace/stat_method.h"

using namespace tavlora;
using tavlora::test::TempDir;

namespace {

class PrefetchTest : public ::testing::Test {
protected:
    void SetUp() override { registry.rebuild(); }
    int method(const char* code) { return statMethodIndex(registry, code); }
    TSettings settings;
    TDrawsArray draws;
    TStatList registry{settings, draws};
    TempDir dir;
    NullProgress progress;
    ScriptedInteraction ui;
};

TEST(PrefetchFile, LayoutAndTrailer) {
    const TPrefetchData data{{{{1, 2, 3, 4}, 300}, {{0xFFFF, 0, 0, 0}, -1}}, -1, 300};
    const std::string bytes = prefetchBytes(data);
    ASSERT_EQ(bytes.size(), 36u);
    const auto u8 = [&](size_t i) { return static_cast<unsigned>(static_cast<unsigned char>(bytes[i])); };
    EXPECT_EQ(u8(0), 1u);  // key 1, little-endian
    EXPECT_EQ(u8(6), 4u);  // key 4
    EXPECT_EQ(u8(8) | (u8(9) << 8), 300u);
    EXPECT_EQ(u8(12), 0xFFu);
    EXPECT_EQ(u8(13), 0xFFu);
    EXPECT_EQ(u8(24), 0xFFu);  // trailer: smallest -1
    EXPECT_EQ(u8(28) | (u8(29) << 8), 300u);
    for (size_t i = 32; i < 36; ++i) EXPECT_EQ(u8(i), 0u);
    EXPECT_EQ(parsePrefetchBytes(bytes), data);
    EXPECT_THROW(parsePrefetchBytes(bytes.substr(0, 35)), EError);
    EXPECT_THROW(parsePrefetchBytes(""), EError);
    EXPECT_EQ(parsePrefetchBytes(bytes.substr(24)).entries.size(), 0u);
}

TEST(PrefetchFile, DataOfAValueListIsSortedByKeys) {
    TStatDrawArray values(3);
    values[0].setKeys(5, 1);
    values[0].count = 7;
    values[1].setKeys(5);
    values[1].count = 2;
    values[2].setKeys(1, 9);
    values[2].count = 4;
    const TPrefetchData d = prefetchDataOf(values);
    ASSERT_EQ(d.entries.size(), 3u);
    EXPECT_EQ(d.entries[0].keys, (std::array<uint16_t, 4>{1, 9, 0, 0}));
    EXPECT_EQ(d.entries[1].keys, (std::array<uint16_t, 4>{5, 0, 0, 0}));
    EXPECT_EQ(d.entries[2].count, 7);
    EXPECT_EQ(d.minCount, 2);
    EXPECT_EQ(d.maxCount, 7);
    EXPECT_EQ(prefetchPath("/d", "NUMS"), std::filesystem::path("/d/Prefetchs/Tavlora_5d69_NUMS.dfc"));
}

TEST_F(PrefetchTest, NumsNormFileHoldsEveryNumberOnce) {
    const auto data = openPrefetchFile(registry, method("NUMS"), dir.path(), progress, ui);  // created first
    ASSERT_TRUE(data.has_value());
    EXPECT_TRUE(ui.messages.empty());
    ASSERT_EQ(data->entries.size(), 69u);
    for (size_t i = 0; i < 69; ++i) {
        EXPECT_EQ(data->entries[i].keys, (std::array<uint16_t, 4>{static_cast<uint16_t>(i + 1), 0, 0, 0}));
        EXPECT_EQ(data->entries[i].count, 814385);  // C(68,4)
    }
    EXPECT_EQ(data->minCount, 814385);
    EXPECT_EQ(data->maxCount, 814385);
    const std::string bytes = readFileBytes(prefetchPath(dir.path(), "NUMS"));
    EXPECT_EQ(bytes.size(), 12u * 70u);
    EXPECT_EQ(bytes.substr(bytes.size() - 4), std::string(4, '\0'));
}

TEST_F(PrefetchTest, SumsNormFileCountsEveryCombinationOnce) {
    // Built on three workers; the counts must equal a plain count over the five nested loops.
    setWorkerCountOverride(3);
    const bool built = createPrefetchFile(registry, method("SUMS"), dir.path(), progress, ui);
    setWorkerCountOverride(0);
    ASSERT_TRUE(built);
    const TPrefetchData data = parsePrefetchBytes(readFileBytes(prefetchPath(dir.path(), "SUMS")));
    ASSERT_EQ(data.entries.size(), 321u);
    EXPECT_EQ(data.entries.front().keys[0], 15);
    EXPECT_EQ(data.entries.back().keys[0], 335);
    int64_t total = 0;
    for (const auto& e : data.entries) total += e.count;
    EXPECT_EQ(total, 11238513);
    EXPECT_EQ(data.minCount, 1);  // 1+2+3+4+5 and 65+...+69 come once each
    EXPECT_EQ(data.entries.front().count, 1);
    std::vector<int32_t> expected(336, 0);
    for (int a = 1; a <= 65; ++a)
        for (int b = a + 1; b <= 66; ++b)
            for (int c = b + 1; c <= 67; ++c)
                for (int d = c + 1; d <= 68; ++d)
                    for (int e = d + 1; e <= 69; ++e) ++expected[static_cast<size_t>(a + b + c + d + e)];
    for (const auto& e : data.entries) EXPECT_EQ(e.count, expected[e.keys[0]]) << e.keys[0];
}

TEST_F(PrefetchTest, AStoppedBuildLeavesNoFile) {
    const auto file = prefetchPath(dir.path(), "EVEN");
    std::filesystem::create_directories(file.parent_path());
    { std::ofstream(file) << std::string(24, 'x'); }  // an older file is not left standing either
    progress.requestStop();
    EXPECT_FALSE(createPrefetchFile(registry, method("EVEN"), dir.path(), progress, ui));
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(openPrefetchFile(registry, method("EVEN"), dir.path(), progress, ui).has_value());
    EXPECT_FALSE(std::filesystem::exists(file));
    for (const auto& e : std::filesystem::directory_iterator(file.parent_path())) ADD_FAILURE() << e.path();
}

TEST_F(PrefetchTest, AFailedBuildIsReportedAndLeavesNoFile) {
    { std::ofstream(dir / "Prefetchs") << "a file where the folder belongs"; }
    EXPECT_FALSE(createPrefetchFile(registry, method("EVEN"), dir.path(), progress, ui));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(ui.messages[0].text.rfind("Ошибка создания файла данных для полного набора вариантов!\r\rИмя файла: ", 0),
              0u);
}

TEST_F(PrefetchTest, AMalformedFileIsReportedAndGivesNoNorms) {
    const auto file = prefetchPath(dir.path(), "NUMS");
    std::filesystem::create_directories(file.parent_path());
    { std::ofstream(file, std::ios::binary) << std::string(13, '\0'); }
    EXPECT_FALSE(openPrefetchFile(registry, method("NUMS"), dir.path(), progress, ui).has_value());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text.rfind("Ошибка открытия файла данных для полного набора вариантов!", 0), 0u);
}

TEST_F(PrefetchTest, EnsureDoesNothingWhenNormsAreOffAndNotForced) {
    EXPECT_TRUE(ensurePrefetchFiles(registry, dir.path(), false, false, TGroupSet().set(), progress, ui));
    EXPECT_FALSE(std::filesystem::exists(dir / "Prefetchs"));
    progress.requestStop();  // a stop ends the walk before any file is built
    EXPECT_FALSE(ensurePrefetchFiles(registry, dir.path(), true, false, TGroupSet(), progress, ui));
    EXPECT_FALSE(std::filesystem::exists(prefetchPath(dir.path(), "NUMS")));
}

// A progress that raises the stop request once the gauge has moved past its start.
class StopOnceMoved : public NullProgress {
public:
    void setPosition(int64_t position) override {
        if (position > 0) requestStop();
    }
};

TEST_F(PrefetchTest, OnePassWritesTheFilesOfOneFileBuilds) {
    // Missing files of several families, and group 12 forced over stale files, are built together
    // on three workers; each must equal its file built alone, byte for byte, and the other files
    // are left alone.
    const std::vector<std::string> missing{"NUMS", "SUMS", "S2T3", "CHNV", "COLV", "SEQL", "HCO2"};
    const std::vector<std::string> forced{"SHR1", "SHR2", "SHR3"};
    TempDir alone;
    setWorkerCountOverride(3);
    for (const auto* codes : {&missing, &forced})
        for (const std::string& code : *codes)
            ASSERT_TRUE(createPrefetchFile(registry, method(code.c_str()), alone.path(), progress, ui)) << code;
    std::filesystem::create_directories(dir / "Prefetchs");
    for (int i = 0; i < registry.count(); ++i) {
        const std::string code = registry.item(i).code();
        if (registry.hasNorm(i) && std::find(missing.begin(), missing.end(), code) == missing.end())
            writeFileAtomic(prefetchPath(dir.path(), code), "stale " + code);
    }
    const bool done = ensurePrefetchFiles(registry, dir.path(), true, false, TGroupSet().set(12), progress, ui);
    setWorkerCountOverride(0);
    ASSERT_TRUE(done);
    EXPECT_TRUE(ui.messages.empty());
    for (const auto* codes : {&missing, &forced})
        for (const std::string& code : *codes)
            EXPECT_EQ(readFileBytes(prefetchPath(dir.path(), code)), readFileBytes(prefetchPath(alone.path(), code)))
                << code;
    EXPECT_EQ(readFileBytes(prefetchPath(dir.path(), "HCO1")), "stale HCO1");
    for (const auto& e : std::filesystem::directory_iterator(dir / "Prefetchs"))
        EXPECT_EQ(e.path().extension(), ".dfc") << e.path();  // no temporary file left
}

TEST_F(PrefetchTest, OnePassCountsMethodsWithoutShortcutAndKeepsFailuresApart) {
    // SUMV counts through its per-combination values; the run must still equal one-method runs.
    const std::vector<int> methods{method("SUMV"), method("EVEN"), method("SUMS")};
    setWorkerCountOverride(2);
    std::vector<TFullSetOutcome> outcomes;
    ASSERT_TRUE(fullSetValuesOfMethods(registry, methods, outcomes, progress));
    ASSERT_EQ(outcomes.size(), methods.size());
    for (size_t k = 0; k < methods.size(); ++k) {
        TStatDrawArray alone;
        ASSERT_TRUE(fullSetValues(registry, methods[k], alone, progress));
        EXPECT_TRUE(outcomes[k].error.empty());
        EXPECT_EQ(prefetchBytes(prefetchDataOf(outcomes[k].values)), prefetchBytes(prefetchDataOf(alone))) << k;
    }

    // A file that cannot be written (a folder stands in its place) is reported alone; the files of
    // its forced group, built in the same pass, are written.
    std::filesystem::create_directories(prefetchPath(dir.path(), "EVEN") / "blocker");
    for (int i = 0; i < registry.count(); ++i) {
        const std::string code = registry.item(i).code();
        if (registry.hasNorm(i) && code != "EVEN") writeFileAtomic(prefetchPath(dir.path(), code), "stale");
    }
    const bool done = ensurePrefetchFiles(registry, dir.path(), true, true, TGroupSet().set(0), progress, ui);
    setWorkerCountOverride(0);
    EXPECT_TRUE(done);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].kind, MessageKind::Error);
    EXPECT_NE(ui.messages[0].text.find("Tavlora_5d69_EVEN.dfc"), std::string::npos) << ui.messages[0].text;
    EXPECT_EQ(parsePrefetchBytes(readFileBytes(prefetchPath(dir.path(), "NUMS"))).entries.size(), 69u);
    EXPECT_FALSE(parsePrefetchBytes(readFileBytes(prefetchPath(dir.path(), "DIGS"))).entries.empty());
    EXPECT_EQ(readFileBytes(prefetchPath(dir.path(), "SUMS")), "stale");  // not in a forced group
}

TEST_F(PrefetchTest, AStoppedOnePassWritesNothingAndKeepsOlderFiles) {
    std::filesystem::create_directories(dir / "Prefetchs");
    writeFileAtomic(prefetchPath(dir.path(), "SUMS"), "older");
    StopOnceMoved stopping;
    EXPECT_FALSE(ensurePrefetchFiles(registry, dir.path(), true, true, TGroupSet().set(1), stopping, ui));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(readFileBytes(prefetchPath(dir.path(), "SUMS")), "older");
    std::vector<std::string> left;
    for (const auto& e : std::filesystem::directory_iterator(dir / "Prefetchs")) left.push_back(e.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"Tavlora_5d69_SUMS.dfc"});
}

}  // namespace
