// The rating: rows built from checked stakes, the file, sorting, refresh, efficiency and export.
#include <cerrno>
#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include "core/codepage.h"
#include "core/error.h"
#include "core/file_calls.h"
#include "core/file_util.h"
#include "stakes/ratings.h"
#include "stakes/stakes_store.h"
#include "test_support.h"

namespace tavlora {
namespace {

using test::TempDir;

TStakeRecord checkedStake(const std::string& comment, int matches, int64_t profit, int draw = 10) {
    TStakeRecord r;
    r.kind = 1;
    r.drawNumber = draw;
    r.numbers = shemaOf(TComb{{1, 2, 3, 4, 5}});
    r.checked = true;
    r.matches.count = matches;
    r.profit = profit;
    r.comment = comment;
    return r;
}

TRatingRecord row(const std::string& key, int32_t stakes, int32_t matched, int64_t profit,
                  std::array<int32_t, 6> counters = {}) {
    TRatingRecord r;
    r.key = key;
    r.stakes = stakes;
    r.matched = matched;
    r.profit = profit;
    r.counters = counters;
    return r;
}

std::vector<std::string> keys(const TRatings& ratings) {
    std::vector<std::string> out;
    for (const auto& r : ratings.rows()) out.push_back(r.key);
    return out;
}

std::string fileBytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class RatingsTest : public ::testing::Test {
protected:
    void SetUp() override { setDecimalSeparatorOverride('.'); }
    void TearDown() override { setDecimalSeparatorOverride('\0'); }
    TempDir dir;
    NullProgress progress;
    ScriptedInteraction ui;
    std::filesystem::path lrt() const { return dir / "Tavlora_5d69.lrt"; }
};

TEST_F(RatingsTest, StakesOfOneCommentRegardlessOfCaseBuildOneRow) {
    TRatings ratings(lrt());
    ratings.addStake(checkedStake("A", 2, 30000));
    ratings.addStake(checkedStake("a", 0, -20000));
    ratings.addStake(checkedStake("Б", 5, 100));
    ratings.addStake(checkedStake("б", 5, 100));
    TStakeRecord unchecked = checkedStake("A", -1, -20000);
    ratings.addStake(unchecked);  // no result yet: ignored
    ASSERT_EQ(ratings.count(), 2);
    const TRatingRecord& a = ratings.rows()[0];
    EXPECT_EQ(a.key, "A");
    EXPECT_EQ(a.stakes, 2);
    EXPECT_EQ(a.matched, 2);
    EXPECT_EQ(a.profit, 10000);
    EXPECT_EQ(a.counters, (std::array<int32_t, 6>{1, 0, 1, 0, 0, 0}));
    EXPECT_EQ(ratings.rows()[1].counters[5], 2);

    // A comment beyond the 255 bytes of the key field keeps finding its (cut) row.
    const std::string longComment(300, 'L');
    ratings.addStake(checkedStake(longComment, 1, 0));
    ratings.addStake(checkedStake(longComment, 1, 0));
    ASSERT_EQ(ratings.count(), 3);
    EXPECT_EQ(ratings.rows()[2].key.size(), 255u);
    EXPECT_EQ(ratings.rows()[2].stakes, 2);
}

TEST_F(RatingsTest, RecordLayoutAndFileRoundTrip) {
    TRatingRecord r = row("Сценарий @ 1", 7, 9, -123456789, {1, 2, 3, 4, 5, 6});
    std::array<uint8_t, 296> bytes{};
    r.encode(bytes.data());
    EXPECT_EQ(bytes[0], cp1251Length("Сценарий @ 1"));
    EXPECT_EQ(bytes[1], 0xD1);  // "С" in Windows-1251
    EXPECT_EQ(bytes[256], 7);
    EXPECT_EQ(bytes[260], 9);
    EXPECT_EQ(bytes[264], 1);
    EXPECT_EQ(bytes[284], 6);
    EXPECT_EQ(bytes[295], 0xFF);
    EXPECT_EQ(TRatingRecord::decode(bytes.data()), r);

    TRatings ratings(lrt());
    ratings.setRows({row("x", 1, 1, 0), r});
    ratings.setSortOrder(-1, false);
    ASSERT_TRUE(ratings.save(progress, ui));
    EXPECT_EQ(std::filesystem::file_size(lrt()), 2u * 296u);
    TRatings loaded(lrt());
    loaded.setSortOrder(1, true);
    ASSERT_TRUE(loaded.load(progress, ui));
    ASSERT_EQ(loaded.count(), 2);
    EXPECT_EQ(loaded.rows()[0], r);  // sorted by stakes, descending, after loading
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(RatingsTest, ExpectedDistributionAndEfficiencyTexts) {
    const long double numerators[6] = {7624512, 3176880, 416640, 20160, 320, 1};
    long double total = 0;
    for (int i = 0; i <= 5; ++i) {
        EXPECT_NEAR(static_cast<double>(expectedShare(i) * 11238513.0L), static_cast<double>(numerators[i]), 1e-6);
        total += expectedShare(i);
    }
    EXPECT_NEAR(static_cast<double>(total), 1.0, 1e-12);

    const TRatingRecord r = row("x", 10, 7, -123456, {5, 4, 1, 0, 0, 0});
    EXPECT_EQ(ratingCellText(r, 13, TRatingsEffMode::Expected), "3");
    EXPECT_EQ(ratingCellText(r, 13, TRatingsEffMode::Absolute), "11.732%");
    EXPECT_EQ(ratingCellText(r, 13, TRatingsEffMode::Relative), "141.504%");
    EXPECT_EQ(ratingCellText(r, 12, TRatingsEffMode::Expected), "7");
    EXPECT_EQ(ratingCellText(r, 3, TRatingsEffMode::Absolute), "0.700");
    EXPECT_EQ(ratingCellText(r, 4, TRatingsEffMode::Absolute), "-12.35");
    EXPECT_EQ(ratingCellText(r, 5, TRatingsEffMode::Absolute), "-1.23");
    EXPECT_EQ(ratingCellText(r, 7, TRatingsEffMode::Absolute), "4");
    const TRatingRecord none = row("y", 0, 0, 0);
    for (int c : {3, 5, 12, 17}) EXPECT_EQ(ratingCellText(none, c, TRatingsEffMode::Relative), "");
    EXPECT_EQ(ratingColumns().size(), 18u);
    EXPECT_EQ(ratingColumns()[5], "Ср. профит");
}

TEST_F(RatingsTest, SortingByColumnsAndStableForEfficiencyColumns) {
    TRatings ratings(lrt());
    const TRatingsArray rows{row("b", 3, 3, 50000), row("C", 1, 1, -20000), row("a", 5, 2, 10000),
                             row("z", 0, 0, 0), row("B", 3, 4, 0)};
    ratings.setRows(rows);
    for (int column : {-1, 12, 15, 17}) {
        ASSERT_TRUE(ratings.sortBy(column, column % 2 == 0, progress, ui));
        EXPECT_EQ(ratings.rows(), rows) << "column " << column;
    }
    // A row without stakes equals every row: the sort stays within the array and stable.
    ratings.setRows({row("b", 3, 3, 50000), row("C", 1, 1, -20000), row("a", 5, 2, 10000), row("B", 3, 4, 0)});
    ASSERT_TRUE(ratings.sortBy(1, true, progress, ui));
    EXPECT_EQ(keys(ratings), (std::vector<std::string>{"a", "b", "B", "C"}));
    ASSERT_TRUE(ratings.sortBy(3, true, progress, ui));  // average matches
    EXPECT_EQ(keys(ratings), (std::vector<std::string>{"B", "b", "C", "a"}));
    ASSERT_TRUE(ratings.sortBy(4, false, progress, ui));  // profit ascending
    EXPECT_EQ(keys(ratings), (std::vector<std::string>{"C", "B", "a", "b"}));
    ASSERT_TRUE(ratings.sortBy(0, false, progress, ui));  // keys, case-sensitive
    EXPECT_EQ(keys(ratings), (std::vector<std::string>{"a", "b", "B", "C"}));
    EXPECT_EQ(compareRatings(row("a", 0, 0, 0), row("b", 1, 1, 0), 0), 0);
    // The sorted order is what the file holds.
    TRatings loaded(lrt());
    loaded.setSortOrder(-1, false);
    ASSERT_TRUE(loaded.load(progress, ui));
    EXPECT_EQ(keys(loaded), keys(ratings));
}

TEST_F(RatingsTest, RefreshAsksAndRebuildsFromCheckedStakes) {
    TStakesStore stakes(dir / "Tavlora_5d69.lsk");
    stakes.open();
    ASSERT_TRUE(stakes.addStakes(checkedStake("A", 0, 0), 1, ui) == false);  // checked: refused
    ui.messages.clear();
    TStakeRecord first = checkedStake("A", 2, 30000);
    TStakeRecord pending = checkedStake("B", -1, -20000);
    pending.checked = false;
    stakes.writeRecord(first, TStakesStore::Origin::End, 0);
    stakes.writeRecord(TStakeRecord::separator(), TStakesStore::Origin::End, 0);
    stakes.writeRecord(pending, TStakesStore::Origin::End, 0);

    TRatings ratings(lrt());
    ratings.setRows({row("Old", 100, 50, 0)});
    ASSERT_TRUE(ratings.save(progress, ui));
    ui.answers = {false};
    EXPECT_FALSE(ratings.refresh(stakes, progress, ui));
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0].text, kRatingsRefreshQuestion);
    EXPECT_EQ(keys(ratings), (std::vector<std::string>{"Old"}));
    EXPECT_EQ(std::filesystem::file_size(lrt()), 296u);

    ui.answers = {true};
    ASSERT_TRUE(ratings.refresh(stakes, progress, ui));
    ASSERT_EQ(ratings.count(), 1);
    EXPECT_EQ(ratings.rows()[0].key, "A");
    EXPECT_EQ(ratings.rows()[0].profit, 30000);

    // All stakes deleted: refusing keeps the rating, accepting empties it.
    ASSERT_TRUE(stakes.clear(ui));
    ui.answers = {false};
    EXPECT_FALSE(ratings.refresh(stakes, progress, ui));
    EXPECT_EQ(ratings.count(), 1);
    ui.answers = {true};
    EXPECT_TRUE(ratings.refresh(stakes, progress, ui));
    EXPECT_TRUE(ratings.empty());
    EXPECT_EQ(std::filesystem::file_size(lrt()), 0u);
    // An empty rating is rebuilt without a question.
    const size_t asked = ui.questions.size();
    EXPECT_TRUE(ratings.refresh(stakes, progress, ui));
    EXPECT_EQ(ui.questions.size(), asked);
    EXPECT_TRUE(ui.messages.empty());

    // Without an open stakes file nothing is rebuilt and nothing of the rating is lost.
    ratings.setRows({row("Old", 100, 50, 0)});
    stakes.close();
    ui.answers = {true};
    EXPECT_FALSE(ratings.refresh(stakes, progress, ui));
    EXPECT_EQ(keys(ratings), (std::vector<std::string>{"Old"}));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Ошибка обновления рейтинга!\r\rФайл ставок не открыт!");
}

TEST_F(RatingsTest, FailedSaveKeepsTheOldFileWhole) {
    TRatings ratings(lrt());
    ratings.setRows({row("a", 1, 1, 0), row("b", 2, 2, 0)});
    ASSERT_TRUE(ratings.save(progress, ui));
    const std::string before = fileBytes(lrt());
    ratings.setRows(TRatingsArray(10, row("c", 3, 3, 0)));

    // Files may not grow beyond 1000 bytes: the new rating (2960 bytes) cannot be written.
    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved = ratings.save(progress, ui);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text.rfind("Ошибка записи в файл рейтинга!\r\r", 0), 0u);
    EXPECT_EQ(fileBytes(lrt()), before);
    EXPECT_EQ(ratings.count(), 10);  // the rating in memory is kept as well
    size_t files = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.path())) (void)e, ++files;
    EXPECT_EQ(files, 1u);  // no temporary file left behind
}

// The system's calls, with the sync of every file failing.
class FailingSync : public FileCalls {
public:
    int fsync(int) override {
        errno = EIO;
        return -1;
    }
};

TEST_F(RatingsTest, ASaveThatCannotReachTheDiskIsReportedAndKeepsTheOldFile) {
    TRatings ratings(lrt());
    ratings.setRows({row("a", 1, 1, 0)});
    ASSERT_TRUE(ratings.save(progress, ui));
    const std::string before = fileBytes(lrt());
    ratings.setRows({row("b", 2, 2, 0), row("c", 3, 3, 0)});
    FailingSync calls;
    bool saved = true;
    {
        ScopedFileCalls use(calls);
        saved = ratings.save(progress, ui);
    }
    EXPECT_FALSE(saved);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Ошибка записи в файл рейтинга!\r\r" + systemMessage(EIO));
    EXPECT_EQ(fileBytes(lrt()), before);
    size_t files = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.path())) (void)e, ++files;
    EXPECT_EQ(files, 1u);  // no temporary file left behind
}

TEST_F(RatingsTest, CsvExportHasHeaderAndRowValues) {
    TRatings ratings(lrt());
    ratings.setRows({row("Ставка \"вручную\"", 3, 4, -15000, {1, 1, 1, 0, 0, 0})});
    const auto csv = dir / "out.csv";
    ratings.exportCsv(csv);
    const std::string text = cp1251ToUtf8(fileBytes(csv));
    EXPECT_EQ(text,
              "\"Комментарий\";\"Ставок\";\"Угадано\";\"Среднее\";\"Профит\";\"Ср. профит\";\"0\";\"1\";\"2\";\"3\";"
              "\"4\";\"5\";\"E0\";\"E1\";\"E2\";\"E3\";\"E4\";\"E5\"\r\n"
              "\"Ставка \"\"вручную\"\"\";3;4;1.333;-1.50;-0.50;1;1;1;0;0;0;"
              "-34.509%;5.066%;29.626%;-0.179%;-0.003%;-0.000%\r\n");
    // Every row carries the 18 fields of the header, the efficiencies in the mode asked for.
    ratings.exportCsv(csv, TRatingsEffMode::Expected);
    EXPECT_EQ(cp1251ToUtf8(fileBytes(csv)).substr(text.find("\r\n") + 2),
              "\"Ставка \"\"вручную\"\"\";3;4;1.333;-1.50;-0.50;1;1;1;0;0;0;2;1;0;0;0;0\r\n");
    EXPECT_THROW(ratings.exportCsv(dir / "missing" / "out.csv"), EError);
}

TEST_F(RatingsTest, GraphData) {
    const TRatingsArray selected{row("A", 10, 7, 0, {5, 4, 1, 0, 0, 0}), row("B", 2, 1, 0, {1, 1, 0, 0, 0, 0})};
    auto dist = ratingDistributionSeries(selected);
    ASSERT_EQ(dist.size(), 3u);
    EXPECT_EQ(dist[0].name, "Нормальные значения");
    EXPECT_NEAR(static_cast<double>(dist[0].points[1].y), 10 * 0.282678, 1e-5);
    EXPECT_EQ(dist[2].name, "B");
    EXPECT_EQ(static_cast<double>(dist[1].points[1].y), 4.0);
    EXPECT_THROW(ratingDistributionSeries({}), EError);

    TStakesStore stakes(dir / "Tavlora_5d69.lsk");
    stakes.open();
    stakes.writeRecord(checkedStake("A", 1, 10000, 100), TStakesStore::Origin::End, 0);
    EXPECT_THROW(stakesGraphSeries(stakes, {"A"}, false), EError);  // one draw only
    stakes.writeRecord(checkedStake("B", 2, 0, 100), TStakesStore::Origin::End, 0);
    stakes.writeRecord(checkedStake("a", 3, 25000, 101), TStakesStore::Origin::End, 0);
    auto series = stakesGraphSeries(stakes, {"A"}, false);
    ASSERT_EQ(series.size(), 1u);
    ASSERT_EQ(series[0].points.size(), 2u);
    EXPECT_EQ(static_cast<double>(series[0].points[1].x), 101.0);
    EXPECT_EQ(static_cast<double>(series[0].points[1].y), 3.0);
    series = stakesGraphSeries(stakes, {"A"}, true);
    EXPECT_EQ(static_cast<double>(series[0].points[1].y), 2.5);
}

}  // namespace
}  // namespace tavlora
