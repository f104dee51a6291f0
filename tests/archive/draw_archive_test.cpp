#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <cstring>
#include <fstream>
#include <sys/resource.h>

#include "archive/draw_archive.h"
#include "core/error.h"
#include "test_support.h"

using namespace tavlora;
using tavlora::test::TempDir;

namespace {

TDraw makeDraw(int number, std::array<uint8_t, 5> nums, uint8_t extra, std::string_view date) {
    TDraw d;
    d.number = number;
    d.nums = nums;
    d.extra = extra;
    d.setDateText(date);
    return d;
}

// Draws numbered first..first+n-1 with numbers derived from the draw number.
DrawArchive filledArchive(const std::filesystem::path& file, int n, int first = 1) {
    DrawArchive a(file);
    for (int i = 0; i < n; ++i) {
        int k = first + i;
        a.append(makeDraw(k,
                          {static_cast<uint8_t>(k % 69 + 1), static_cast<uint8_t>((k + 10) % 69 + 1),
                           static_cast<uint8_t>((k + 20) % 69 + 1), static_cast<uint8_t>((k + 30) % 69 + 1),
                           static_cast<uint8_t>((k + 40) % 69 + 1)},
                          static_cast<uint8_t>(k % 26 + 1), "01/07/2009"));
    }
    return a;
}

std::string fileBytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

TEST(DrawArchive, MissingFileGivesEmptyArchiveSilently) {
    TempDir dir;
    DrawArchive a(dir / "Tavlora_5d69.ldr");
    NullProgress progress;
    ScriptedInteraction ui;
    EXPECT_TRUE(a.load(progress, ui));
    EXPECT_TRUE(a.empty());
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(a.archiveStatusText(), "Архив тиражей: 0");
    EXPECT_EQ(a.nextDrawStatusText(), "Следующий тираж: 1");
    EXPECT_EQ(a.actualDrawStatusText(), "");
    EXPECT_EQ(a.analysisEndIndex(), -1);
    EXPECT_FALSE(std::filesystem::exists(dir / "Tavlora_5d69.ldr"));
}

TEST(DrawArchive, SaveAndLoadKeepEveryByteAndIgnoreAPartialRecord) {
    TempDir dir;
    auto file = dir / "Tavlora_5d69.ldr";
    NullProgress progress;
    ScriptedInteraction ui;
    DrawArchive a = filledArchive(file, 5);
    TDraw odd = makeDraw(77, {69, 1, 2, 3, 4}, 26, "12/31/2099");
    odd.unused = {7, 8, 9};  // bytes of unknown meaning survive a round trip
    a.append(odd);
    ASSERT_TRUE(a.save(progress, ui));
    EXPECT_EQ(std::filesystem::file_size(file), 6u * 24u);

    // The file holds the records exactly as encoded, without header.
    std::string bytes = fileBytes(file);
    uint8_t rec[24];
    odd.encode(rec);
    EXPECT_EQ(0, std::memcmp(bytes.data() + 5 * 24, rec, 24));

    {
        std::ofstream out(file, std::ios::binary | std::ios::app);
        out.write("\x01\x02\x03\x04\x05\x06\x07", 7);
    }
    DrawArchive b(file);
    EXPECT_TRUE(b.load(progress, ui));
    EXPECT_EQ(b.draws(), a.draws());
    EXPECT_TRUE(ui.messages.empty());

    // A file shorter than one record loads as empty.
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write("abc", 3);
    }
    EXPECT_TRUE(b.load(progress, ui));
    EXPECT_TRUE(b.empty());
}

TEST(DrawArchive, ReadErrorIsReportedAndStartupContinues) {
    TempDir dir;
    auto file = dir / "Tavlora_5d69.ldr";
    std::filesystem::create_directory(file);  // exists, but cannot be read as a file
    DrawArchive a(file);
    NullProgress progress;
    ScriptedInteraction ui;
    EXPECT_FALSE(a.load(progress, ui));
    EXPECT_TRUE(a.empty());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(ui.messages[0].text, std::string("Ошибка чтения файла тиражей!\r\r") + std::strerror(EISDIR));

    // A file whose presence cannot be told is not taken for a missing one.
    auto looped = dir / "looped.ldr";
    std::filesystem::create_symlink(looped, looped);
    DrawArchive b(looped);
    ScriptedInteraction ui2;
    EXPECT_FALSE(b.load(progress, ui2));
    ASSERT_EQ(ui2.messages.size(), 1u);
    EXPECT_EQ(ui2.messages[0].text, std::string("Ошибка чтения файла тиражей!\r\r") + std::strerror(ELOOP));
}

TEST(DrawArchive, FailedSaveKeepsOldFileWholeAndTheChangeInMemory) {
    TempDir dir;
    auto file = dir / "Tavlora_5d69.ldr";
    NullProgress progress;
    ScriptedInteraction ui;
    DrawArchive a = filledArchive(file, 2);
    ASSERT_TRUE(a.save(progress, ui));
    const std::string before = fileBytes(file);

    // A file-size limit stops the write of the longer file even for root.
    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 60;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    a.append(makeDraw(3, {1, 2, 3, 4, 5}, 6, "01/14/2009"));
    bool saved = a.save(progress, ui);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, std::string("Ошибка записи в файл тиражей!\r\r") + std::strerror(EFBIG));
    EXPECT_EQ(fileBytes(file), before);
    EXPECT_EQ(a.count(), 3);
    // No temporary file is left behind.
    int entries = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.path())) ++entries;
    EXPECT_EQ(entries, 1);

    // A folder standing where the archive file goes: the save fails and the folder stays.
    TempDir dir2;
    auto blocked = dir2 / "Tavlora_5d69.ldr";
    std::filesystem::create_directories(blocked / "inside");
    DrawArchive b = filledArchive(blocked, 1);
    ScriptedInteraction ui2;
    EXPECT_FALSE(b.addDraw(makeDraw(2, {1, 2, 3, 4, 5}, 6, ""), progress, ui2));
    ASSERT_EQ(ui2.messages.size(), 1u);
    EXPECT_EQ(ui2.messages[0].text.rfind("Ошибка записи в файл тиражей!\r\r", 0), 0u);
    EXPECT_TRUE(std::filesystem::is_directory(blocked / "inside"));
    EXPECT_EQ(b.count(), 2);
}

TEST(DrawArchive, ChangesAtIndexAndTheirErrors) {
    TempDir dir;
    DrawArchive a = filledArchive(dir / "a.ldr", 3);
    a.remove(1);
    ASSERT_EQ(a.count(), 2);
    EXPECT_EQ(a.at(0).number, 1);
    EXPECT_EQ(a.at(1).number, 3);
    a.replace(0, makeDraw(10, {5, 4, 3, 2, 1}, 9, "x"));
    EXPECT_EQ(a.at(0).number, 10);

    auto message = [&](auto&& f) {
        try {
            f();
        } catch (const EError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(message([&] { a.remove(2); }), "Запись со индексом 2 в файле данных не найдена!");
    EXPECT_EQ(message([&] { a.remove(-1); }), "Запись со индексом -1 в файле данных не найдена!");
    EXPECT_EQ(message([&] { a.replace(5, TDraw{}); }), "Запись со индексом 5 в файле данных не найдена!");
    EXPECT_EQ(message([&] { (void)a.at(2); }), "Запись со индексом 2 в файле данных не найдена!");
    EXPECT_EQ(a.count(), 2);
}

TEST(DrawArchive, FindByNumberCoversOrderedGappedAndEditedArchives) {
    TempDir dir;
    DrawArchive empty(dir / "e.ldr");
    EXPECT_EQ(empty.findByNumber(1), -1);

    DrawArchive a = filledArchive(dir / "a.ldr", 200, 1001);
    for (int i = 0; i < 200; ++i) EXPECT_EQ(a.findByNumber(1001 + i), i);
    EXPECT_EQ(a.findByNumber(1000), -1);
    EXPECT_EQ(a.findByNumber(1201), -1);
    EXPECT_EQ(a.findByNumber(INT_MAX), -1);
    EXPECT_EQ(a.findByNumber(INT_MIN), -1);

    // Editing numbers leaves the archive out of order; every number is still found.
    TDraw d = a.at(50);
    d.number = 5000;
    a.replace(50, d);
    d = a.at(150);
    d.number = 2;
    a.replace(150, d);
    EXPECT_EQ(a.findByNumber(5000), 50);
    EXPECT_EQ(a.findByNumber(2), 150);
    EXPECT_EQ(a.findByNumber(1051), -1);
    for (int i = 0; i < 200; ++i) EXPECT_EQ(a.findByNumber(a.at(i).number), i) << i;

    // Gaps between the numbers.
    DrawArchive g(dir / "g.ldr");
    for (int n : {3, 10, 11, 40, 41, 42, 90}) g.append(makeDraw(n, {1, 2, 3, 4, 5}, 1, ""));
    for (int i = 0; i < g.count(); ++i) EXPECT_EQ(g.findByNumber(g.at(i).number), i);
    EXPECT_EQ(g.findByNumber(12), -1);

    // Last number = first - 1 (nothing to divide by) and extreme numbers do not overflow.
    DrawArchive z(dir / "z.ldr");
    for (int n : {10, INT_MIN, INT_MAX, 7, 9}) z.append(makeDraw(n, {1, 2, 3, 4, 5}, 1, ""));
    EXPECT_EQ(z.findByNumber(7), 3);
    EXPECT_EQ(z.findByNumber(INT_MIN), 1);
    EXPECT_EQ(z.findByNumber(INT_MAX), 2);
    EXPECT_EQ(z.findByNumber(8), -1);
    DrawArchive w(dir / "w.ldr");
    for (int n : {INT_MIN, 0, INT_MAX}) w.append(makeDraw(n, {1, 2, 3, 4, 5}, 1, ""));
    EXPECT_EQ(w.findByNumber(0), 1);
    EXPECT_EQ(w.findByNumber(INT_MAX - 1), -1);
}

TEST(DrawArchive, FindByDateLooksAtTheNewestRecordsOnly) {
    TempDir dir;
    DrawArchive a(dir / "a.ldr");
    EXPECT_EQ(a.findByDate("01/01/2020", 3), -1);
    const char* dates[] = {"01/01/2020", "01/04/2020", "01/08/2020", "01/11/2020", "01/15/2020", "Jan-18"};
    for (int i = 0; i < 6; ++i) a.append(makeDraw(i + 1, {1, 2, 3, 4, 5}, 1, dates[i]));
    EXPECT_EQ(a.findByDate("01/15/2020", 3), 4);
    EXPECT_EQ(a.findByDate("01/04/2020", 3), -1);  // five records back: outside k + 1 = 4
    EXPECT_EQ(a.findByDate("01/04/2020", 4), 1);
    EXPECT_EQ(a.findByDate("01/01/2020", 100), 0);
    EXPECT_EQ(a.findByDate("JAN-18", 0), 5);
}

TEST(DrawArchive, ListPositionsCountFromTheNewestDraw) {
    TempDir dir;
    DrawArchive a(dir / "a.ldr");
    EXPECT_EQ(a.nextDrawNumber(0), 1);
    EXPECT_EQ(a.dateShifted(0, 3), 20090107);
    EXPECT_EQ(a.numbersAt(0), TComb{});

    a.append(makeDraw(10, {1, 2, 3, 4, 5}, 1, "02/27/2016"));
    a.append(makeDraw(11, {6, 7, 8, 9, 10}, 2, "12/30/2015"));
    a.append(makeDraw(12, {11, 12, 13, 14, 15}, 3, ""));
    EXPECT_EQ(a.nextDrawNumber(0), 13);
    EXPECT_EQ(a.nextDrawNumber(2), 11);
    EXPECT_EQ(a.nextDrawNumber(3), -1);
    EXPECT_EQ(a.nextDrawNumber(-1), -1);
    EXPECT_EQ(a.numbersAt(1), (TComb{{6, 7, 8, 9, 10}}));
    EXPECT_EQ(a.numbersAt(3), TComb{});
    EXPECT_EQ(a.dateShifted(2, 3), 20160301);  // over the leap day
    EXPECT_EQ(a.dateShifted(1, 4), 20160103);
    EXPECT_EQ(a.dateShifted(1, -30), 20151130);
    EXPECT_EQ(a.dateShifted(0, 1), 18991231);  // no date text: day 0 plus one day
    EXPECT_EQ(a.dateShifted(5, 1), 20090107);
    a.append(makeDraw(INT_MAX, {1, 2, 3, 4, 5}, 1, "02/30/2016"));
    EXPECT_EQ(a.nextDrawNumber(0), INT_MAX);  // no wrap to a negative number
    try {
        (void)a.dateShifted(0, 1);
        ADD_FAILURE() << "a date text that is not a date was read";
    } catch (const EError& e) {
        EXPECT_EQ(std::string(e.what()), "'02/30/2016' is not a valid date");
    }
}

TEST(DrawArchive, OffsetHidesNewestDrawsAndShowsTheDrawAfterIt) {
    TempDir dir;
    DrawArchive a(dir / "a.ldr");
    a.append(makeDraw(1, {40, 3, 17, 20, 57}, 12, "01/07/2009"));
    a.append(makeDraw(2, {5, 6, 7, 8, 9}, 1, "01/10/2009"));
    a.append(makeDraw(3, {11, 22, 33, 44, 55}, 2, "01/14/2009"));

    EXPECT_FALSE(a.setDrawsOffset(0));
    EXPECT_EQ(a.actualDrawText(), "");
    EXPECT_TRUE(a.actualDrawSet().none());
    EXPECT_EQ(a.analysisEndIndex(), 2);
    EXPECT_EQ(a.nextDrawStatusText(), "Следующий тираж: 4");

    EXPECT_TRUE(a.setDrawsOffset(1));
    EXPECT_EQ(a.actualDrawText(), "11;22;33;44;55");
    EXPECT_EQ(a.analysisEndIndex(), 1);
    EXPECT_EQ(a.nextDrawStatusText(), "Следующий тираж: 3");

    // The last list position: the draw after it is the second oldest.
    EXPECT_TRUE(a.setDrawsOffset(2));
    EXPECT_FALSE(a.setDrawsOffset(2));
    EXPECT_EQ(a.actualDrawText(), "5;6;7;8;9");
    TNumberSet s = a.actualDrawSet();
    EXPECT_EQ(s.count(), 5u);
    for (int n : {5, 6, 7, 8, 9}) EXPECT_TRUE(s.test(static_cast<size_t>(n)));
    EXPECT_EQ(a.analysisEndIndex(), 0);
    EXPECT_EQ(a.nextDrawStatusText(), "Следующий тираж: 2");

    // Beyond the list: nothing is shown and the end index falls below 0.
    a.setDrawsOffset(3);
    EXPECT_EQ(a.actualDrawText(), "");
    EXPECT_TRUE(a.actualDrawSet().none());
    EXPECT_EQ(a.analysisEndIndex(), -1);
    EXPECT_EQ(a.nextDrawStatusText(), "Следующий тираж: -1");
    a.setDrawsOffset(-4);
    EXPECT_EQ(a.drawsOffset(), 0);
    EXPECT_EQ(a.archiveStatusText(), "Архив тиражей: 3");
}

TEST(DrawArchive, DeletingByNumberRemovesExactlyTheChosenDraws) {
    TempDir dir;
    auto file = dir / "Tavlora_5d69.ldr";
    NullProgress progress;
    ScriptedInteraction ui;
    DrawArchive a = filledArchive(file, 10);
    // Rows visited from the last list position up: not ascending; one number is unknown.
    EXPECT_EQ(a.deleteDrawsByNumber({2, 9, 5, 42, 1}, progress, ui), 4);
    std::vector<int> left;
    for (const auto& d : a.draws()) left.push_back(d.number);
    EXPECT_EQ(left, (std::vector<int>{3, 4, 6, 7, 8, 10}));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(std::filesystem::file_size(file), 6u * 24u);

    DrawArchive b(file);
    b.load(progress, ui);
    EXPECT_EQ(b.draws(), a.draws());
}

TEST(DrawArchive, ListRowsShowSortedNumbersOnlyWhenAsked) {
    EXPECT_EQ(drawListColumns(),
              (std::vector<std::string>{"Тираж", "1", "2", "3", "4", "5", "E", "S", "Дата тиража"}));
    TDraw d = makeDraw(1, {40, 3, 17, 20, 57}, 12, "01/07/2009");
    EXPECT_EQ(drawListRow(d, false),
              (std::vector<std::string>{"1", "40", "3", "17", "20", "57", "12", "137", "01/07/2009"}));
    EXPECT_EQ(drawListRow(d, true),
              (std::vector<std::string>{"1", "3", "17", "20", "40", "57", "12", "137", "01/07/2009"}));
    // The record itself is untouched.
    EXPECT_EQ(d.nums[0], 40);
}
