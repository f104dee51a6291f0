// The stakes store: record layout, adding, checking, deleting, the version check and the logs.
#include <algorithm>
#include <climits>
#include <fstream>
#include <gtest/gtest.h>

#include "archive/draw_archive.h"
#include "core/codepage.h"
#include "core/error.h"
#include "core/format.h"
#include "core/settings.h"
#include "stakes/ratings.h"
#include "stakes/stakes_store.h"
#include "test_support.h"

namespace tavlora {
namespace {

using test::TempDir;
using Origin = TStakesStore::Origin;

TDraw makeDraw(int number, std::array<uint8_t, 5> nums) {
    TDraw d;
    d.number = number;
    d.nums = nums;
    d.extra = 7;
    d.setDateText("03/14/2015");
    return d;
}

TStakeRecord stake(int draw, std::array<uint8_t, 5> nums, const std::string& comment = kManualStakeComment) {
    TStakeRecord r;
    r.kind = static_cast<uint8_t>(TStakeKind::Manual);
    r.drawNumber = draw;
    r.numbers = shemaOf(TComb{nums});
    r.comment = comment;
    r.listSize = 1000;
    r.profit = -20000;
    return r;
}

// Settings with a stake cost of 2.00 and prizes for 2 and 3 matches.
TSettings prizeSettings() {
    TSettings s;
    s.config.stakeCost = 20000;
    s.config.profits = {{2, 50000}, {3, 1000000}};
    return s;
}

std::vector<int32_t> drawNumbers(TStakesStore& store) {
    std::vector<int32_t> out;
    for (const auto& r : store.readAll()) out.push_back(r.drawNumber);
    return out;
}

std::string fileBytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class StakesStoreTest : public ::testing::Test {
protected:
    void SetUp() override { setDecimalSeparatorOverride('.'); }
    void TearDown() override { setDecimalSeparatorOverride('\0'); }
    TempDir dir;
    std::filesystem::path lsk() const { return dir / "Tavlora_5d69.lsk"; }
};

TEST_F(StakesStoreTest, RecordHasTheFileLayoutAndReadsBack) {
    TStakeRecord r = stake(1234, {5, 12, 33, 41, 69}, std::string(255, 'x'));
    r.kind = 3;
    r.checked = true;
    r.drawNums = {1, 5, 12, 50, 60};
    r.matches = TShema{2, {5, 12}};
    r.profit = -1234567;
    std::string bytes = r.toBytes();
    ASSERT_EQ(bytes.size(), 312u);
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    EXPECT_EQ(p[0], 2);
    EXPECT_EQ(p[1], 3);
    EXPECT_EQ(p[4] | p[5] << 8, 1234);
    EXPECT_EQ(p[8], 1);
    EXPECT_EQ(p[12] | p[13] << 8, 1000);
    EXPECT_EQ(p[16], 5);  // count of the number set
    EXPECT_EQ(p[20], 5);
    EXPECT_EQ(p[24], 69);
    EXPECT_EQ(p[28], 1);
    EXPECT_EQ(p[32], 60);
    EXPECT_EQ(p[36], 2);
    EXPECT_EQ(p[40], 5);
    EXPECT_EQ(p[41], 12);
    EXPECT_EQ(static_cast<uint8_t>(p[48]), static_cast<uint8_t>(-1234567 & 0xFF));
    EXPECT_EQ(p[55], 0xFF);  // sign of the 64-bit profit
    EXPECT_EQ(p[56], 255);
    EXPECT_EQ(TStakeRecord::decode(p), r);

    // The length byte counts Windows-1251 bytes: 255 Cyrillic letters fit, more are cut.
    std::string cyr;
    for (int i = 0; i < 300; ++i) cyr += "Ж";
    r.comment = cyr;
    bytes = r.toBytes();
    EXPECT_EQ(static_cast<uint8_t>(bytes[56]), 255);
    EXPECT_EQ(static_cast<uint8_t>(bytes[57]), 0xC6);  // "Ж" in Windows-1251
    EXPECT_EQ(cp1251Length(TStakeRecord::decode(reinterpret_cast<const uint8_t*>(bytes.data())).comment), 255u);

    const TStakeRecord sep = TStakeRecord::separator();
    EXPECT_EQ(sep.version, 2);
    EXPECT_EQ(sep.kind, 0);
    EXPECT_EQ(sep.drawNumber, -1);
    EXPECT_EQ(sep.matchCount(), -1);
    EXPECT_FALSE(sep.isReal());
    EXPECT_EQ(stakeGridRow(sep), std::vector<std::string>(9));
}

TEST_F(StakesStoreTest, StakeForSeveralDrawsIsSeparatedAndCheckedStakeNeverAppended) {
    TStakesStore store(lsk());
    ScriptedInteraction ui;
    store.open();
    // Into an empty file: no leading separator.
    ASSERT_TRUE(store.addStakes(stake(100, {1, 2, 3, 4, 5}), 3, ui));
    EXPECT_EQ(drawNumbers(store), (std::vector<int32_t>{100, -1, 101, -1, 102}));

    ASSERT_TRUE(store.clear(ui));
    ASSERT_TRUE(store.addStakes(stake(7, {1, 2, 3, 4, 5}), 1, ui));
    ASSERT_TRUE(store.addStakes(stake(100, {6, 7, 8, 9, 10}), 3, ui));
    EXPECT_EQ(drawNumbers(store), (std::vector<int32_t>{7, -1, 100, -1, 101, -1, 102}));
    EXPECT_EQ(store.readRecord(Origin::End, -1).numbers, shemaOf(TComb{{6, 7, 8, 9, 10}}));
    EXPECT_TRUE(store.exists(101, shemaOf(TComb{{6, 7, 8, 9, 10}})));
    EXPECT_FALSE(store.exists(103, shemaOf(TComb{{6, 7, 8, 9, 10}})));
    EXPECT_TRUE(ui.messages.empty());

    TStakeRecord checked = stake(200, {1, 2, 3, 4, 5});
    checked.checked = true;
    EXPECT_FALSE(store.addStakes(checked, 1, ui));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              "Ошибка добавления записи в файл ставок!\r\rДобавление в конец файла уже проверенной ставки!");
    // Copies numbered beyond the 32-bit range are refused rather than wrapped to negative draws.
    EXPECT_FALSE(store.addStakes(stake(2147483646, {1, 2, 3, 4, 5}), 3, ui));
    EXPECT_EQ(store.recordCount(), 7);

    store.close();
    EXPECT_FALSE(store.addStakes(stake(5, {1, 2, 3, 4, 5}), 1, ui));
    EXPECT_EQ(ui.messages.back().text, "Ошибка добавления записи в файл ставок!\r\rФайл ставок не открыт!");
}

TEST_F(StakesStoreTest, RecordAccessByOriginAndIndex) {
    TStakesStore store(lsk());
    ScriptedInteraction ui;
    store.open();
    for (int d = 1; d <= 3; ++d) ASSERT_TRUE(store.addStakes(stake(d, {1, 2, 3, 4, 5}), 1, ui));
    EXPECT_EQ(store.readRecord(Origin::Start, 0).drawNumber, 1);
    EXPECT_EQ(store.readRecord(Origin::End, -1).drawNumber, 3);
    EXPECT_EQ(store.readRecord(Origin::End, -3).drawNumber, 1);
    try {
        store.readRecord(Origin::Start, 3);
        FAIL() << "reading past the end must fail";
    } catch (const EError& e) {
        EXPECT_STREQ(e.what(),
                     "Ошибка чтения записи из файла ставок!\r\rЗапись со индексом 3 в файле данных не найдена!");
    }
    EXPECT_THROW(store.readRecord(Origin::End, -4), EError);
    EXPECT_THROW(store.readRecord(Origin::Start, -1), EError);

    // The cached record never hides a write, nor a record appended behind "the last one".
    EXPECT_EQ(store.readRecord(Origin::Start, 1).drawNumber, 2);
    store.writeRecord(stake(42, {1, 2, 3, 4, 5}), Origin::Start, 1);
    EXPECT_EQ(store.readRecord(Origin::Start, 1).drawNumber, 42);
    EXPECT_EQ(store.readRecord(Origin::End, -1).drawNumber, 3);
    store.writeRecord(stake(4, {1, 2, 3, 4, 5}), Origin::End, 0);
    EXPECT_EQ(store.readRecord(Origin::End, -1).drawNumber, 4);
    EXPECT_THROW(store.writeRecord(stake(4, {1, 2, 3, 4, 5}), Origin::Start, 6), EError);
    // Indexes whose byte position would overflow are outside the file too (never a wrapped append).
    EXPECT_THROW(store.writeRecord(stake(4, {1, 2, 3, 4, 5}), Origin::End, INT64_MIN), EError);
    EXPECT_THROW(store.readRecord(Origin::Start, INT64_MAX), EError);
    EXPECT_EQ(std::filesystem::file_size(lsk()), 4u * 312u);
}

TEST_F(StakesStoreTest, FileIsHeldExclusively) {
    TStakesStore first(lsk());
    first.open();
    TStakesStore second(lsk());
    EXPECT_THROW(second.open(), EError);
    NullProgress progress;
    ScriptedInteraction ui;
    EXPECT_FALSE(second.openChecked(progress, ui));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text.rfind("Ошибка чтения файла ставок!\r\r", 0), 0u);
    first.close();
    EXPECT_NO_THROW(second.open());
    // The holder may check its own file without losing the lock; another folder is no conflict.
    EXPECT_TRUE(second.openChecked(progress, ui));
    EXPECT_THROW(first.open(), EError);
    TempDir elsewhere;
    TStakesStore other(elsewhere / "Tavlora_5d69.lsk");
    EXPECT_NO_THROW(other.open());
}

TEST_F(StakesStoreTest, OldVersionFilesAreReportedAndEmptied) {
    NullProgress progress;
    auto writeFile = [&](const std::string& bytes) {
        std::ofstream out(lsk(), std::ios::binary | std::ios::trunc);
        out << bytes;
    };
    const std::string good = stake(5, {1, 2, 3, 4, 5}).toBytes();

    // 313 bytes, 2 x 313 bytes or a first byte of an old version: an old file.
    for (const std::string& old : {good + "x", good + "x" + good + "x", std::string(1, '\1') + good.substr(1),
                                   std::string(1, '\1') + good.substr(1) + good + "abc"}) {
        writeFile(old);
        TStakesStore store(lsk());
        ScriptedInteraction ui;
        ASSERT_TRUE(store.openChecked(progress, ui));
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].kind, MessageKind::Warning);
        EXPECT_EQ(ui.messages[0].text,
                  "Обнаружен файл ставок устаревшей версии - имеющиеся в файле ставки будут удалены!");
        EXPECT_FALSE(store.hasRecords());
        EXPECT_EQ(std::filesystem::file_size(lsk()), 0u);
        // The old records are kept beside the emptied file.
        EXPECT_EQ(fileBytes(dir / "Tavlora_5d69.lsk.old"), old);
    }

    // Records of this version followed by part of one (an append cut short by a crash): the part
    // is dropped silently and the whole records kept.
    for (const std::string& torn : {good + good + good.substr(0, 100), good + good + good.substr(0, 1)}) {
        writeFile(torn);
        TStakesStore store(lsk());
        ScriptedInteraction ui;
        ASSERT_TRUE(store.openChecked(progress, ui));
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_EQ(fileBytes(lsk()), torn.substr(0, torn.size() - torn.size() % good.size()));
    }

    writeFile(good + good);
    TStakesStore store(lsk());
    ScriptedInteraction ui;
    ASSERT_TRUE(store.openChecked(progress, ui));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(store.recordCount(), 2);

    // A missing file is created empty.
    TStakesStore fresh(dir / "other.lsk");
    ASSERT_TRUE(fresh.openChecked(progress, ui));
    EXPECT_TRUE(std::filesystem::exists(dir / "other.lsk"));
    EXPECT_FALSE(fresh.hasRecords());
}

TEST_F(StakesStoreTest, StakeForAFutureDrawIsCheckedOnceTheDrawIsAdded) {
    DrawArchive archive(dir / "Tavlora_5d69.ldr");
    archive.append(makeDraw(98, {1, 2, 3, 4, 5}));
    archive.append(makeDraw(99, {6, 7, 8, 9, 10}));
    const TSettings settings = prizeSettings();
    TRatings ratings(dir / "Tavlora_5d69.lrt");
    TStakesStore store(lsk());
    store.setLogEnabled(true);
    NullProgress progress;
    ScriptedInteraction ui;
    store.open();

    TStakeRecord s = newManualStake(archive, settings, 1234, TComb{{41, 5, 33, 12, 69}});
    EXPECT_EQ(s.drawNumber, 100);
    EXPECT_EQ(s.kind, 1);
    EXPECT_EQ(s.comment, "Ставка \"вручную\"");
    EXPECT_EQ(s.numbers, shemaOf(TComb{{5, 12, 33, 41, 69}}));
    EXPECT_EQ(s.profit, -20000);
    EXPECT_EQ(s.matchCount(), -1);
    ASSERT_TRUE(store.addStakes(s, 1, ui));
    // A stake for a draw already in the archive, and one without five numbers (never eligible).
    ASSERT_TRUE(store.addStakes(stake(99, {8, 9, 10, 11, 12}), 1, ui));
    TStakeRecord empty = stake(99, {0, 0, 0, 0, 0});
    empty.numbers = TShema{};
    ASSERT_TRUE(store.addStakes(empty, 1, ui));

    EXPECT_TRUE(store.checkAll(archive, settings, ratings, progress, ui));
    TStakeRecord pending = store.readRecord(Origin::Start, 0);
    EXPECT_FALSE(pending.checked);
    EXPECT_EQ(pending.profit, -20000);
    auto cells = stakeGridRow(pending);
    EXPECT_EQ(cells[0], "100");
    EXPECT_EQ(cells[1], "Вручную");
    EXPECT_EQ(cells[2], "5;12;33;41;69");
    EXPECT_EQ(cells[3], "1234");
    EXPECT_EQ(cells[4], "");
    EXPECT_EQ(cells[5], "");
    EXPECT_EQ(cells[6], "");
    EXPECT_EQ(cells[7], "-2.00");
    TStakeRecord other = store.readRecord(Origin::Start, 1);
    EXPECT_TRUE(other.checked);
    EXPECT_EQ(other.matchCount(), 3);
    EXPECT_EQ(other.profit, 1000000 - 20000);
    EXPECT_FALSE(store.readRecord(Origin::Start, 2).checked);
    ASSERT_EQ(ratings.count(), 1);

    // Nothing new to check until the draw arrives.
    EXPECT_FALSE(store.checkAll(archive, settings, ratings, progress, ui));
    archive.append(makeDraw(100, {69, 12, 50, 5, 60}));
    EXPECT_TRUE(store.checkAll(archive, settings, ratings, progress, ui));
    TStakeRecord done = store.readRecord(Origin::Start, 0);
    EXPECT_TRUE(done.checked);
    EXPECT_EQ(done.matchCount(), 3);
    EXPECT_EQ(done.matches.nums[0], 5);  // ascending, not in draw order
    EXPECT_EQ(done.matches.nums[1], 12);
    EXPECT_EQ(done.matches.nums[2], 69);
    EXPECT_EQ(done.profit, 1000000 - 20000);
    cells = stakeGridRow(done);
    EXPECT_EQ(cells[4], "69;12;50;5;60");
    EXPECT_EQ(cells[5], "3");
    EXPECT_EQ(cells[6], "5 12 69");
    EXPECT_EQ(cells[7], "98.00");
    EXPECT_TRUE(ui.messages.empty());

    // Both checked manual stakes went into one rating row, which was saved.
    ASSERT_EQ(ratings.count(), 1);
    EXPECT_EQ(ratings.rows()[0].stakes, 2);
    EXPECT_EQ(ratings.rows()[0].counters[3], 2);
    EXPECT_EQ(std::filesystem::file_size(dir / "Tavlora_5d69.lrt"), 296u);

    // One log line per checked stake, in Windows-1251 with CR LF.
    const std::string log = fileBytes(dir / "Tavlora_5d69-100.log");
    const std::string expected = utf8ToCp1251(
        ": Тираж № 100. Ставка: \"Ставка \"вручную\"\" [5;12;33;41;69] {1234}. Результаты тиража: "
        "[69;12;50;5;60]. Совпадений: 3. Профит: 98.00.\r\n");
    ASSERT_GT(log.size(), 19u);
    EXPECT_EQ(log.substr(19), expected);
    EXPECT_EQ(log[4], '.');
    EXPECT_TRUE(std::filesystem::exists(dir / "Tavlora_5d69-99.log"));
    EXPECT_EQ(store.logFiles().size(), 2u);
    EXPECT_EQ(store.deleteLogs(progress, ui), 2);
    EXPECT_TRUE(store.logFiles().empty());
    EXPECT_EQ(store.deleteLogs(progress, ui), 0);
    EXPECT_EQ(ui.messages.back().text, "Файлы журналов не найдены!");
}

TEST_F(StakesStoreTest, EveryMatchCountUpToFiveGetsItsPrizeAndItsRatingSlot) {
    DrawArchive archive(dir / "Tavlora_5d69.ldr");
    archive.append(makeDraw(40, {48, 7, 62, 21, 33}));  // stored in drawn order
    TSettings settings;
    settings.config.stakeCost = 20000;
    // A different prize for every count, so that a count taken for another shows in the profit.
    const std::array<int64_t, 6> prize{0, 40000, 70000, 1000000, 5000000, 10000000000LL};
    settings.config.profits = {{5, prize[5]}, {4, prize[4]}, {3, prize[3]}, {2, prize[2]}, {1, prize[1]}};
    TRatings ratings(dir / "Tavlora_5d69.lrt");
    TStakesStore store(lsk());
    NullProgress progress;
    ScriptedInteraction ui;
    store.open();

    struct Case {
        int matches;
        std::array<uint8_t, 5> numbers;
        const char* matched;  // grid text of the matched numbers
    };
    const Case cases[] = {
        {5, {7, 21, 33, 48, 62}, "7 21 33 48 62"}, {4, {1, 7, 21, 33, 48}, "7 21 33 48"},
        {3, {1, 2, 7, 21, 62}, "7 21 62"},         {2, {1, 2, 3, 33, 62}, "33 62"},
        {1, {1, 2, 3, 4, 48}, "48"},               {0, {1, 2, 3, 4, 5}, ""},
    };
    // One comment per case gives every case its own rating row.
    for (const Case& c : cases) ASSERT_TRUE(store.addStakes(stake(40, c.numbers, fmt("m%d", c.matches)), 1, ui));
    ASSERT_TRUE(store.checkAll(archive, settings, ratings, progress, ui));
    EXPECT_TRUE(ui.messages.empty());

    const std::vector<TStakeRecord> records = store.readAll();
    ASSERT_EQ(records.size(), std::size(cases));
    TRatings reloaded(dir / "Tavlora_5d69.lrt");
    ASSERT_TRUE(reloaded.load(progress, ui));
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(fmt("%d matches", c.matches));
        const TStakeRecord& r = records[i];
        EXPECT_TRUE(r.checked);
        EXPECT_EQ(r.matchCount(), c.matches);
        EXPECT_EQ(r.profit, prize[static_cast<size_t>(c.matches)] - 20000);
        const auto cells = stakeGridRow(r);
        EXPECT_EQ(cells[5], std::to_string(c.matches));
        EXPECT_EQ(cells[6], c.matched);

        // The rating row of the stake, in memory and as saved: one stake in the slot of its count.
        for (const TRatingsArray* rows : {&ratings.rows(), &reloaded.rows()}) {
            const auto row = std::find_if(rows->begin(), rows->end(),
                                          [&](const TRatingRecord& x) { return x.key == fmt("m%d", c.matches); });
            ASSERT_NE(row, rows->end());
            EXPECT_EQ(row->stakes, 1);
            EXPECT_EQ(row->matched, c.matches);
            EXPECT_EQ(row->profit, r.profit);
            std::array<int32_t, 6> slots{};
            slots[static_cast<size_t>(c.matches)] = 1;
            EXPECT_EQ(row->counters, slots);
        }
    }
}

// Records every status text.
class RecordingProgress : public NullProgress {
public:
    void setText(const std::string& text) override { texts.push_back(text); }
    std::vector<std::string> texts;
};

TEST_F(StakesStoreTest, CheckReportsProgressEveryPercent) {
    DrawArchive archive(dir / "Tavlora_5d69.ldr");
    TRatings ratings(dir / "Tavlora_5d69.lrt");
    TStakesStore store(lsk());
    ScriptedInteraction ui;
    store.open();
    // A separator first (not eligible), then 101 stakes for draws the archive does not hold:
    // the basis is the first stake, with 100 records after it and a step of 1.
    ASSERT_TRUE(store.addStakes(TStakeRecord::separator(), 1, ui));
    for (int d = 0; d < 101; ++d) ASSERT_TRUE(store.addStakes(stake(500 + d, {1, 2, 3, 4, 5}), 1, ui));
    RecordingProgress progress;
    EXPECT_FALSE(store.checkAll(archive, prizeSettings(), ratings, progress, ui));
    ASSERT_EQ(progress.texts.size(), 102u);
    EXPECT_EQ(progress.texts.front(), "Проверка результатов ставок...");
    EXPECT_EQ(progress.texts[1], "Проверка результатов ставок ( завершено 1 % )...");
    EXPECT_EQ(progress.texts[50], "Проверка результатов ставок ( завершено 50 % )...");
    EXPECT_EQ(progress.texts[100], "Проверка результатов ставок ( завершено 100 % )...");
    EXPECT_EQ(progress.texts.back(), "");
    EXPECT_FALSE(store.readRecord(Origin::End, -1).checked);
}

TEST_F(StakesStoreTest, OversizedLogIsStartedAnew) {
    TStakesStore store(lsk());
    ScriptedInteraction ui;
    TStakeRecord s = stake(100, {1, 2, 3, 4, 5});
    s.checked = true;
    s.matches = TShema{0, {}};
    {
        std::ofstream out(store.logFile(100), std::ios::binary);
    }
    std::filesystem::resize_file(store.logFile(100), kStakeLogLimit);  // at the limit: kept
    ASSERT_TRUE(store.writeLog(s, ui));
    EXPECT_GT(std::filesystem::file_size(store.logFile(100)), kStakeLogLimit);
    ASSERT_TRUE(store.writeLog(s, ui));  // beyond it: replaced
    EXPECT_LT(std::filesystem::file_size(store.logFile(100)), 1000u);
}

TEST_F(StakesStoreTest, DeleteByConditionKeepsUncheckedStakes) {
    TStakesStore store(lsk());
    NullProgress progress;
    ScriptedInteraction ui;
    store.open();
    auto checkedWith = [](int draw, int m) {
        TStakeRecord r = stake(draw, {1, 2, 3, 4, 5});
        r.checked = true;
        r.matches.count = m;
        return r;
    };
    // Checked records are written in place, as the check does.
    for (int m : {0, 1, 2, 5}) {
        ASSERT_TRUE(store.addStakes(stake(10 + m, {1, 2, 3, 4, 5}), 1, ui));
        store.writeRecord(checkedWith(10 + m, m), Origin::End, -1);
    }
    ASSERT_TRUE(store.addStakes(stake(50, {1, 2, 3, 4, 5}), 1, ui));  // unchecked
    ASSERT_TRUE(store.addStakes(TStakeRecord::separator(), 1, ui));

    ASSERT_TRUE(store.deleteWhere(TStakeCondition::NotGreater, 1, progress, ui));
    EXPECT_EQ(drawNumbers(store), (std::vector<int32_t>{12, 15, 50, -1}));
    EXPECT_FALSE(std::filesystem::exists(store.tempFile()));
    ASSERT_TRUE(store.deleteWhere(TStakeCondition::Equal, 5, progress, ui));
    EXPECT_EQ(drawNumbers(store), (std::vector<int32_t>{12, 50, -1}));
    ASSERT_TRUE(store.deleteWhere(TStakeCondition::Greater, 1, progress, ui));
    EXPECT_EQ(drawNumbers(store), (std::vector<int32_t>{50, -1}));
    EXPECT_TRUE(ui.messages.empty());

    EXPECT_TRUE(stakeConditionHolds(TStakeCondition::NotLess, 2, 2));
    EXPECT_FALSE(stakeConditionHolds(TStakeCondition::Less, 2, 2));
    EXPECT_TRUE(stakeConditionHolds(TStakeCondition::Less, 1, 2));
    EXPECT_EQ(stakeConditionCaptions()[4], "Не более [ <= ]");
    // The store still works on the renamed file (and still holds the lock).
    ASSERT_TRUE(store.addStakes(stake(60, {1, 2, 3, 4, 5}), 1, ui));
    EXPECT_EQ(store.recordCount(), 3);
    TStakesStore other(lsk());
    EXPECT_THROW(other.open(), EError);
}

TEST_F(StakesStoreTest, DeletingRowsReplacesTheFileOrKeepsTheOldOne) {
    TStakesStore store(lsk());
    NullProgress progress;
    ScriptedInteraction ui;
    store.open();
    for (int d = 1; d <= 6; ++d) ASSERT_TRUE(store.addStakes(stake(d, {1, 2, 3, 4, 5}), 1, ui));

    ASSERT_TRUE(store.deleteRange(1, 2, progress, ui));
    EXPECT_EQ(drawNumbers(store), (std::vector<int32_t>{1, 4, 5, 6}));
    ASSERT_TRUE(store.deleteRange(3, 10, progress, ui));  // clamped to the file
    EXPECT_EQ(drawNumbers(store), (std::vector<int32_t>{1, 4, 5}));

    // The temporary file cannot be created: the delete fails before the rename, and the old file
    // stays whole with the store open on it.
    const std::string before = fileBytes(lsk());
    std::filesystem::create_directories(store.tempFile() / "blocked");
    EXPECT_FALSE(store.deleteRange(0, 0, progress, ui));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(ui.messages[0].text.rfind("Ошибка удаления записи из файла ставок!\r\r"
                                        "Ошибка переименования / удаления временного файла ставок Tavlora_5d69.~tmp!",
                                        0),
              0u);
    EXPECT_EQ(fileBytes(lsk()), before);
    EXPECT_TRUE(store.isOpen());
    EXPECT_EQ(drawNumbers(store), (std::vector<int32_t>{1, 4, 5}));
    ASSERT_TRUE(store.addStakes(stake(7, {1, 2, 3, 4, 5}), 1, ui));
    EXPECT_EQ(store.recordCount(), 4);
    std::filesystem::remove_all(store.tempFile());

    EXPECT_EQ(deleteConfirmationText(1), "Удалить выделенную запись?");
    EXPECT_EQ(deleteConfirmationText(4), "Удалить все выделенные записи (всего будет удалено 4 записи(ей))?");
    ASSERT_TRUE(store.clear(ui));
    EXPECT_FALSE(store.hasRecords());
    EXPECT_TRUE(store.isOpen());
}

TEST_F(StakesStoreTest, ProfitPerDrawSumsInTheOrderFirstMet) {
    TStakesStore store(lsk());
    ScriptedInteraction ui;
    store.open();
    auto withProfit = [](int draw, int64_t profit) {
        TStakeRecord r = stake(draw, {1, 2, 3, 4, 5});
        r.profit = profit;
        return r;
    };
    ASSERT_TRUE(store.addStakes(withProfit(101, -20000), 1, ui));
    ASSERT_TRUE(store.addStakes(withProfit(100, 50000), 1, ui));
    ASSERT_TRUE(store.addStakes(TStakeRecord::separator(), 1, ui));
    ASSERT_TRUE(store.addStakes(withProfit(101, 100000), 1, ui));
    const TProfitDrawArray p = store.profitPerDraw();
    ASSERT_EQ(p.size(), 2u);
    EXPECT_EQ(p[0], std::make_pair(int32_t{101}, int64_t{80000}));
    EXPECT_EQ(p[1], std::make_pair(int32_t{100}, int64_t{50000}));

    auto series = profitGraphSeries(p);
    ASSERT_EQ(series.size(), 3u);
    EXPECT_EQ(series[0].name, "Суммарный профит ставок по тиражу");
    EXPECT_DOUBLE_EQ(static_cast<double>(series[0].points[1].y), 5.0);
    EXPECT_DOUBLE_EQ(static_cast<double>(series[1].points[0].y), 6.5);
    EXPECT_DOUBLE_EQ(static_cast<double>(series[2].points[1].y), 13.0);
    // The message asks for more than one draw: none and one alike are refused.
    EXPECT_THROW(profitGraphSeries({}), EError);
    EXPECT_THROW(profitGraphSeries({p[0]}), EError);
}

}  // namespace
}  // namespace tavlora
