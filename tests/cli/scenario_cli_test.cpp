// End-to-end tests of `tavlora-cli scenario ...` in a temporary folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

#include "core/codepage.h"
#include "core/interaction.h"
#include "core/progress.h"
#include "stakes/ratings.h"
#include "cli_support.h"
#include "test_support.h"

using tavlora::test::TempDir;

namespace {

using tavlora::test::readTextFile;
using tavlora::test::textLines;

using tavlora::test::CliResult;

CliResult scenarioCli(const TempDir& dir, const std::vector<std::string>& args) {
    return tavlora::test::runCli(dir.path(), args, "LC_ALL=C", {"--data", "d"});
}

const std::string kHeader = "Комментарии\tОпции\tФильтр 1\tФильтр 2\tФильтр 3\tФильтр 4\tФильтр 5\tФильтр 6\tФильтр 7";

}  // namespace

TEST(CliScenario, LoadShowAppendAndSave) {
    TempDir dir;
    const std::string example = std::string(TAVLORA_SAMPLE_DIR) + "/example.lsc";
    CliResult r = scenarioCli(dir, {"scenario", "show"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(textLines(r.out), std::vector<std::string>{kHeader});

    r = scenarioCli(dir, {"scenario", "load", example});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Строк: 5\n");
    EXPECT_EQ(readTextFile(dir / "d/Tavlora_5d69.lss"), readTextFile(example));

    r = scenarioCli(dir, {"scenario", "show"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto rows = textLines(r.out);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0], kHeader);
    EXPECT_EQ(r.out.find("# ERROR #"), std::string::npos);
    EXPECT_EQ(rows[4], "\t\t\t\t\t\t\t\t");  // the separator line
    // A command row: comment, options text, canonical filters; unset filters are empty cells.
    EXPECT_EQ(rows[1].substr(rows[1].find('\t')),
              "\tИсключить 5 тиражей; Не делать ставок; Все создаваемые ставки\tTMD1#SUMS:200#CLV:1#SF:1\t\t\t\t\t\t");

    // Appending after a command line puts one separator first.
    r = scenarioCli(dir, {"scenario", "append", example});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Строк: 11\n");

    r = scenarioCli(dir, {"scenario", "save", "copy"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string saved = readTextFile(dir / "copy.lsc");
    EXPECT_EQ(saved, readTextFile(example) + "\r\n" + readTextFile(example));

    // Errors: a missing file leaves the working copy alone; usage errors exit with 2.
    r = scenarioCli(dir, {"scenario", "load", "missing.lsc"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Ошибка чтения файла \"missing.lsc\"!"), std::string::npos) << r.err;
    EXPECT_EQ(readTextFile(dir / "d/Tavlora_5d69.lss"), saved);
    EXPECT_EQ(scenarioCli(dir, {"scenario", "load"}).status, 2);
    EXPECT_EQ(scenarioCli(dir, {"scenario", "frobnicate"}).status, 2);
}

TEST(CliScenario, RatingRowsBecomeScenarioLines) {
    TempDir dir;
    std::filesystem::create_directories(dir / "d");
    {
        // Three rows; the rating list shows them by average matches, highest first: A, C, manual.
        tavlora::TRatings ratings(dir / "d/Tavlora_5d69.lrt");
        tavlora::TRatingsArray rows(3);
        rows[0].key = "01.001: первая @ FULL#RAND + TSD1#NUMS:100#LNO:#SF:1";
        rows[0].stakes = 1;
        rows[0].matched = 3;
        rows[1].key = "Ручная ставка";
        rows[1].stakes = 1;
        rows[1].matched = 1;
        rows[2].key = "02.004: @ EXCL:3#LAST#NEX + BMF2#SUMS:50#LMV:4#ST:2 + TSD1#EVEN:20#LVA:2,3#SF:1";
        rows[2].stakes = 1;
        rows[2].matched = 2;
        ratings.setRows(rows);
        tavlora::NullProgress progress;
        tavlora::ScriptedInteraction ui;
        ASSERT_TRUE(ratings.save(progress, ui));
    }
    CliResult r = scenarioCli(dir, {"scenario", "from-ratings", "3", "1"});
    EXPECT_EQ(r.status, 1);  // the manual row cannot be added
    EXPECT_NE(r.err.find("невозможно добавить в сценарий!"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "Добавлено строк: 1\nСтрок: 1\n");

    r = scenarioCli(dir, {"scenario", "from-ratings", "2"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(tavlora::cp1251ToUtf8(readTextFile(dir / "d/Tavlora_5d69.lss")),
              "FULL#RAND|TSD1#NUMS:100#LNO:#SF:1| | | | | | |01.001: первая\r\n"
              "EXCL:3#LAST#NEX|BMF2#SUMS:50#LMV:4#ST:2|TSD1#EVEN:20#LVA:2,3#SF:1| | | | | |02.004:\r\n");

    EXPECT_EQ(scenarioCli(dir, {"scenario", "from-ratings", "4"}).status, 1);
    EXPECT_EQ(scenarioCli(dir, {"scenario", "from-ratings", "x"}).status, 2);
}

TEST(CliScenario, EditingCommandsChangeTheWorkingCopy) {
    TempDir dir;
    const auto lss = [&] { return tavlora::cp1251ToUtf8(readTextFile(dir / "d/Tavlora_5d69.lss")); };
    // A separator needs lines before it.
    EXPECT_EQ(scenarioCli(dir, {"scenario", "separator"}).status, 1);

    // Lines are stored in their canonical form, as the line editor writes them (runs of "|"
    // collapse, so a filter left out is a single blank).
    CliResult r = scenarioCli(dir, {"scenario", "add", "excl:5#all#nex|tsd#nums:10,20| | | | | | |Проба"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Строка 1: EXCL:5#ALL#NEX|TSD1#NUMS:10,20#LNO:#SF:0| | | | | | |Проба\nСтрок: 1\n");
    ASSERT_EQ(scenarioCli(dir, {"scenario", "separator"}).status, 0);
    r = scenarioCli(dir, {"scenario", "clone", "1"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Строка 3: EXCL:5#ALL#NEX|TSD1#NUMS:10,20#LNO:#SF:0| | | | | | |Проба\nСтрок: 3\n");
    ASSERT_EQ(scenarioCli(dir, {"scenario", "edit", "3", "CURR:0#FIRST"}).status, 0);
    EXPECT_EQ(lss(), "EXCL:5#ALL#NEX|TSD1#NUMS:10,20#LNO:#SF:0| | | | | | |Проба\r\n\r\nCURR:0#FIRST| | | | | | | |\r\n");

    // Only commands can be cloned or edited; numbers outside the scenario are the store's error.
    EXPECT_EQ(scenarioCli(dir, {"scenario", "edit", "2", "FULL:0#RAND"}).status, 1);
    EXPECT_EQ(scenarioCli(dir, {"scenario", "clone", "2"}).status, 1);
    r = scenarioCli(dir, {"scenario", "clone", "4"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Запись со индексом 3 в файле данных не найдена!"), std::string::npos) << r.err;
    EXPECT_EQ(scenarioCli(dir, {"scenario", "add", " "}).status, 2);
    // A filter the filter editor would refuse is refused with its message, and nothing is stored.
    const struct {
        const char* line;
        const char* message;
    } refused[] = {
        {"FULL:0#RAND|TSD1#NUMS:0,100#LNO:#SF:1", "Фильтр 1: Введен некорректный диапазон значений!"},
        {"FULL:0#RAND| |TMD1#NUMS:100#LMV:1#SC:1",
         "Фильтр 2: В режиме мультивыделения остановка сценария по количеству комбинаций"},
        {"FULL:0#RAND|TSD1#ZZZZ:10#LNO:#SF:1", "Фильтр 1: Метод расчета статистики фильтра не найден: ZZZZ:10!"},
    };
    for (const auto& c : refused) {
        r = scenarioCli(dir, {"scenario", "edit", "1", c.line});
        EXPECT_EQ(r.status, 1) << c.line;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }

    // Moving: not beyond the edges.
    r = scenarioCli(dir, {"scenario", "up", "3"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Строка 3 -> 2\nСтрок: 3\n");
    EXPECT_EQ(scenarioCli(dir, {"scenario", "up", "1"}).status, 1);
    EXPECT_EQ(scenarioCli(dir, {"scenario", "down", "3"}).status, 1);
    ASSERT_EQ(scenarioCli(dir, {"scenario", "down", "1"}).status, 0);
    EXPECT_EQ(lss(), "CURR:0#FIRST| | | | | | | |\r\nEXCL:5#ALL#NEX|TSD1#NUMS:10,20#LNO:#SF:0| | | | | | |Проба\r\n\r\n");

    // Deleting asks the shared confirmation: refused without --yes.
    r = scenarioCli(dir, {"scenario", "delete", "1", "3"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Удалить все выделенные записи (всего будет удалено 2 записи(ей))?"), std::string::npos)
        << r.err;
    r = scenarioCli(dir, {"--yes", "scenario", "delete", "3", "1"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Строк: 1\n");
    EXPECT_EQ(lss(), "EXCL:5#ALL#NEX|TSD1#NUMS:10,20#LNO:#SF:0| | | | | | |Проба\r\n");
    EXPECT_EQ(scenarioCli(dir, {"scenario", "clear"}).status, 1);
    ASSERT_EQ(scenarioCli(dir, {"--yes", "scenario", "clear"}).status, 0);
    EXPECT_EQ(lss(), "");
    EXPECT_EQ(scenarioCli(dir, {"--yes", "scenario", "clear"}).status, 1);  // nothing to clear
}

TEST(CliScenario, UnreadableLinesAreRefusedOrSkippedNeverStoredWithDefaults) {
    TempDir dir;
    const auto lss = [&] { return tavlora::cp1251ToUtf8(readTextFile(dir / "d/Tavlora_5d69.lss")); };
    const std::string good = "FULL:0#RAND|TSD1#NUMS:100#LNO:#SF:1| | | | | | |";
    ASSERT_EQ(scenarioCli(dir, {"scenario", "add", good}).status, 0);

    // Typed lines: refused with the field named; the working copy keeps its one line.
    const struct {
        std::vector<std::string> args;
        const char* message;
    } refused[] = {
        {{"scenario", "add", "garbage|x|y"}, "Опции \"garbage\": неизвестный исходный список \"garbage\"."},
        {{"scenario", "add", "EXCL:-5#RAND|TSD1#NUMS:100"}, "количество тиражей \"-5\" - не целое число от 0."},
        {{"scenario", "add", "FULL:0#RAND|x"}, "Фильтр 1 \"x\": признаки \"x\""},
        {{"scenario", "edit", "1", "FULL:0#RAND|TSD1#NUMS:100#XYZ:1"}, "неизвестный режим выделения \"XYZ:1\"."},
        {{"scenario", "edit", "1", "FULL:0#RAND|TSD1#NUMS:100#LNO:#SF:1#1:abc:1:0:0"}, "весовой коэффициент \"abc\""},
    };
    for (const auto& c : refused) {
        const CliResult r = scenarioCli(dir, c.args);
        EXPECT_EQ(r.status, 1) << c.args.back();
        EXPECT_NE(r.err.find("Строка сценария \"" + c.args.back() + "\" не принята."), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(lss(), good + "\r\n");
    }

    // A file: the readable lines are loaded, the others named in a warning.
    const auto file = dir / "mixed.lsc";
    {
        std::ofstream f(file, std::ios::binary);
        f << good << "\r\ngarbage|x|y\r\n" << good << "\r\n";
    }
    CliResult r = scenarioCli(dir, {"scenario", "load", file.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Строк: 2\n");
    EXPECT_NE(r.err.find("пропущено строк, которые не удалось прочитать: 1 (строки 2)."), std::string::npos) << r.err;
    EXPECT_EQ(lss(), good + "\r\n" + good + "\r\n");

    // A file with no readable command line: exit 1, nothing changed.
    {
        std::ofstream f(file, std::ios::binary | std::ios::trunc);
        f << "garbage|x|y\r\n";
    }
    r = scenarioCli(dir, {"scenario", "append", file.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("В файле нет ни одной читаемой строки сценария"), std::string::npos) << r.err;
    EXPECT_EQ(lss(), good + "\r\n" + good + "\r\n");

    // A working copy with an unreadable line: shown without it, with a warning; kept whole in
    // the backup at the first change.
    {
        std::ofstream f(dir / "d/Tavlora_5d69.lss", std::ios::binary | std::ios::trunc);
        f << good << "\r\nEXCL:x#RAND\r\n";
    }
    r = scenarioCli(dir, {"scenario", "show"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(textLines(r.out).size(), 2u);
    EXPECT_NE(r.err.find("(строки 2)"), std::string::npos) << r.err;
    ASSERT_EQ(scenarioCli(dir, {"scenario", "separator"}).status, 0);
    EXPECT_EQ(readTextFile(dir / "d/Tavlora_5d69.lss.bak"), good + "\r\nEXCL:x#RAND\r\n");
    EXPECT_EQ(lss(), good + "\r\n\r\n");
}
