// The working scenario: files, working copy and editing operations; rating rows turned into lines.
#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "core/codepage.h"
#include "core/error.h"
#include "core/file_util.h"
#include "scenario/rating_to_scenario.h"
#include "scenario/scenario.h"
#include "scenario/scenario_file.h"
#include "scenario/scenario_line.h"
#include "stakes/ratings.h"
#include "stats/stat_list.h"
#include "test_support.h"

namespace tavlora {
namespace {

using test::TempDir;

void writeBytes(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream f(p, std::ios::binary);
    f << bytes;
}

const std::string kLineA = "FULL:0#RAND|TSD1#NUMS:100#LNO:#SF:1| | | | | | |";
const std::string kLineB = "EXCL:5#ALL#CLR#NEX| | |BMF2#SUMS:50#LMV:1-3;1#SV:4| | | | |второй";

TEST(ScenarioFile, ReadsEveryLineEnding) {
    TempDir dir;
    struct Case {
        const char* name;
        std::string bytes;
    };
    const std::string a = utf8ToCp1251(kLineA), b = utf8ToCp1251(kLineB);
    for (const Case& c : {Case{"crlf", a + "\r\n\r\n" + b + "\r\n"}, Case{"lf", a + "\n\n" + b + "\n"},
                          Case{"cr", a + "\r\r" + b + "\r"}, Case{"no-final", a + "\r\n\n" + b}}) {
        const auto path = dir / (std::string(c.name) + ".lsc");
        writeBytes(path, c.bytes);
        EXPECT_EQ(readScenarioFile(path), (std::vector<std::string>{kLineA, "", kLineB})) << c.name;
    }
    EXPECT_TRUE(splitTextLines("").empty());
    EXPECT_EQ(splitTextLines("\r\n"), (std::vector<std::string>{""}));
}

TEST(ScenarioFile, WritesWindows1251WithCrLf) {
    TempDir dir;
    const auto path = dir / "out.lsc";
    writeScenarioFile(path, {kLineB, ""});
    const std::string bytes = readFileBytes(path);
    EXPECT_EQ(bytes, utf8ToCp1251(kLineB) + "\r\n\r\n");
    // "второй" is six single bytes on disk.
    EXPECT_EQ(bytes.size(), kLineB.size() - 6 + 4);
    EXPECT_EQ(readScenarioFile(path), (std::vector<std::string>{kLineB, ""}));
}

TEST(ScenarioFile, ErrorsNameTheFile) {
    TempDir dir;
    const auto missing = dir / "missing.lsc";
    try {
        readScenarioFile(missing);
        FAIL() << "no error";
    } catch (const EError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Ошибка чтения файла \"" + missing.string() + "\"!\r\r", 0), 0u) << e.what();
    }
    try {
        writeScenarioFile(dir / "no-such-folder" / "x.lsc", {kLineA});
        FAIL() << "no error";
    } catch (const EError& e) {
        EXPECT_NE(std::string(e.what()).find("Ошибка записи в файл \""), std::string::npos) << e.what();
    }
}

class ScenarioStore : public ::testing::Test {
protected:
    std::vector<std::string> onDisk() const { return readScenarioFile(copy()); }
    std::filesystem::path copy() const { return dir / "Tavlora_5d69.lss"; }
    TempDir dir;
    TScenario s{dir / "Tavlora_5d69.lss"};
};

TEST_F(ScenarioStore, EveryChangeWritesTheWorkingCopy) {
    EXPECT_FALSE(std::filesystem::exists(copy()));
    EXPECT_EQ(s.append(kLineA), 0);
    EXPECT_EQ(onDisk(), (std::vector<std::string>{kLineA}));
    EXPECT_EQ(s.appendSeparator(), 1);
    EXPECT_EQ(s.append(kLineB), 2);
    EXPECT_EQ(onDisk(), (std::vector<std::string>{kLineA, "", kLineB}));
    EXPECT_TRUE(s.isCommand(0));
    EXPECT_FALSE(s.isCommand(1));
    EXPECT_FALSE(s.isCommand(3));

    s.replace(1, "CURR:0#NONE| | | | | | | |");
    EXPECT_EQ(onDisk()[1], "CURR:0#NONE| | | | | | | |");
    // Line breaks cannot enter a line: the file keeps one line per scenario line.
    s.replace(0, "FULL:0#RAND| | | | | | | |a\r\nb");
    EXPECT_EQ(onDisk().size(), 3u);
    EXPECT_EQ(s.line(0), "FULL:0#RAND| | | | | | | |a  b");

    // A fresh store reads the working copy back.
    TScenario again(copy());
    again.loadWorkingCopy();
    EXPECT_EQ(again.lines(), s.lines());

    s.clear();
    EXPECT_TRUE(s.empty());
    EXPECT_TRUE(onDisk().empty());
}

TEST_F(ScenarioStore, IndexErrors) {
    s.append(kLineA);
    for (int bad : {-1, 1}) {
        try {
            (void)s.line(bad);
            FAIL();
        } catch (const EError& e) {
            EXPECT_EQ(std::string(e.what()), "Запись со индексом " + std::to_string(bad) + " в файле данных не найдена!");
        }
        EXPECT_THROW(s.replace(bad, kLineB), EError);
        EXPECT_THROW(s.moveUp(bad), EError);
    }
    EXPECT_THROW(s.remove({0, 5}), EError);
    EXPECT_EQ(s.count(), 1);  // nothing removed on a bad index
}

TEST_F(ScenarioStore, RemoveSelectedLines) {
    for (int i = 1; i <= 5; ++i) s.append("FULL:0#RAND| | | | | | | |" + std::to_string(i));
    s.remove({3, 1, 3});
    ASSERT_EQ(s.count(), 3);
    EXPECT_EQ(ScenarioLine::parse(s.line(0), nullptr).comment, "1");
    EXPECT_EQ(ScenarioLine::parse(s.line(1), nullptr).comment, "3");
    EXPECT_EQ(ScenarioLine::parse(s.line(2), nullptr).comment, "5");
    EXPECT_EQ(onDisk(), s.lines());
}

TEST_F(ScenarioStore, MoveUpAndDownAtTheEdges) {
    s.append("A");
    s.append("B");
    s.append("C");
    EXPECT_EQ(s.moveUp(0), 0);
    EXPECT_EQ(s.moveDown(2), 2);
    EXPECT_EQ(s.lines(), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(s.moveUp(2), 1);
    EXPECT_EQ(s.lines(), (std::vector<std::string>{"A", "C", "B"}));
    EXPECT_EQ(s.moveDown(0), 1);
    EXPECT_EQ(s.lines(), (std::vector<std::string>{"C", "A", "B"}));
    EXPECT_EQ(onDisk(), s.lines());
}

TEST_F(ScenarioStore, OpenSaveAndAppendWithTheSeparatorRule) {
    const auto file = dir / "two.lsc";
    writeScenarioFile(file, {kLineA, kLineB});

    // Appending to an empty scenario simply loads.
    EXPECT_EQ(s.appendFile(file), 0);
    EXPECT_EQ(s.count(), 2);
    // Last line a command: exactly one separator goes first.
    EXPECT_EQ(s.appendFile(file), 3);
    EXPECT_EQ(s.lines(), (std::vector<std::string>{kLineA, kLineB, "", kLineA, kLineB}));
    // Last line a separator: no second separator.
    s.appendSeparator();
    EXPECT_EQ(s.appendFile(file), 6);
    EXPECT_EQ(s.count(), 8);
    // An empty file adds nothing, not even a separator.
    const auto emptyFile = dir / "empty.lsc";
    writeScenarioFile(emptyFile, {});
    s.append(kLineA);
    EXPECT_EQ(s.appendFile(emptyFile), 9);
    EXPECT_EQ(s.count(), 9);
    EXPECT_EQ(onDisk(), s.lines());

    // A read error leaves the scenario as it was.
    const auto before = s.lines();
    EXPECT_THROW(s.appendFile(dir / "missing.lsc"), EError);
    EXPECT_THROW(s.open(dir / "missing.lsc"), EError);
    EXPECT_EQ(s.lines(), before);

    // Open replaces; save writes every line.
    s.open(file);
    EXPECT_EQ(s.lines(), (std::vector<std::string>{kLineA, kLineB}));
    EXPECT_EQ(onDisk(), s.lines());
    s.saveAs(dir / "copy.lsc");
    EXPECT_EQ(readFileBytes(dir / "copy.lsc"), readFileBytes(file));
}

TEST_F(ScenarioStore, CyrillicCommentsRoundTrip) {
    const std::string comment = "Проверка: ёлка, Ёж, «кавычки» — 100%";
    std::array<std::string, kScenarioFilterCount> filters{"TSD1#NUMS:100#LNO:#SF:1"};
    s.append(joinScenarioLine("FULL:0#RAND", filters, comment));
    const std::string bytes = readFileBytes(copy());
    EXPECT_NE(bytes.find(utf8ToCp1251(comment)), std::string::npos);
    EXPECT_EQ(bytes.size(), cp1251Length(s.line(0)) + 2);
    TScenario again(copy());
    again.loadWorkingCopy();
    EXPECT_EQ(again.parsedLine(0, nullptr).comment, comment);
}

TEST_F(ScenarioStore, StatusTextsWhileReadingAndWriting) {
    struct Recorder : NullProgress {
        void setText(const std::string& t) override { texts.push_back(t); }
        std::vector<std::string> texts;
    } rec;
    s.setProgress(&rec);
    s.append(kLineA);
    ASSERT_EQ(rec.texts.size(), 2u);
    EXPECT_EQ(rec.texts[0], "Сохранение файла \"" + copy().string() + "\"...");
    EXPECT_EQ(rec.texts[1], "");
    rec.texts.clear();
    EXPECT_THROW(s.open(dir / "missing.lsc"), EError);
    ASSERT_EQ(rec.texts.size(), 2u);
    EXPECT_EQ(rec.texts[0], "Загрузка файла \"" + (dir / "missing.lsc").string() + "\"...");
    EXPECT_EQ(rec.texts[1], "");
}

TEST(RatingToScenario, ScenarioStakeKeyBecomesALine) {
    const std::string key =
        "02.003: мой комментарий @ EXCL:5#RAND#NEX + BSF3#NUMS:100#LMV:2#SV:5 + TSD1#SUMS:50#LNO:#SF:1";
    const auto line = scenarioLineFromRatingKey(key);
    ASSERT_TRUE(line);
    EXPECT_EQ(*line, "EXCL:5#RAND#NEX|BSF3#NUMS:100#LMV:2#SV:5|TSD1#SUMS:50#LNO:#SF:1| | | | | |02.003: мой комментарий");
    const ScenarioLine parsed = ScenarioLine::parse(*line, nullptr);
    EXPECT_EQ(parsed.options.text(), "EXCL:5#RAND#NEX");
    EXPECT_EQ(parsed.usedFilterCount(), 2);
    EXPECT_EQ(parsed.filters[0].text(), "BSF3#NUMS:100#LMV:2#SV:5");
    EXPECT_EQ(parsed.comment, "02.003: мой комментарий");

    // A line made without filters: the options alone are not enough.
    EXPECT_FALSE(scenarioLineFromRatingKey("01.000: @ FULL#RAND"));
    // A manual stake's comment has no "@" and makes no line.
    EXPECT_FALSE(scenarioLineFromRatingKey("Ручная ставка"));
    // Nor does a key whose fields do not read (they would become defaults).
    for (const char* unreadable : {"01.003: @ EXCL:-5#RAND + TSD1#NUMS:10#LNO:#SF:1", "@ FULL#RAND + TSD1#NUMS:10#XYZ:1#SF:1",
                                   "@ FULL#RAND + TSD1#NUMS:10#LNO:#SF:1 + oops"})
        EXPECT_FALSE(scenarioLineFromRatingKey(unreadable)) << unreadable;
    // Without a comment the line ends in "|".
    EXPECT_EQ(*scenarioLineFromRatingKey("@ FULL#ALL + TSD1#NUMS:10#LNO:#SF:1"),
              "FULL#ALL|TSD1#NUMS:10#LNO:#SF:1| | | | | | |");
}

TEST(RatingToScenario, AddsGoodRowsAndReportsBadOnes) {
    TempDir dir;
    TScenario s(dir / "Tavlora_5d69.lss");
    ScriptedInteraction ui;
    const int added = addRatingKeysToScenario(
        s, {"01.001: @ FULL#RAND + TSD1#NUMS:10#LNO:#SF:1", "Ручная ставка", "01.002: @ FULL#LAST + TSD1#EVEN:20#LNO:#SF:1"},
        ui);
    EXPECT_EQ(added, 2);
    ASSERT_EQ(s.count(), 2);
    EXPECT_EQ(ScenarioLine::parse(s.line(1), nullptr).options.resultMode, srLast);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(ui.messages[0].text, "Строку\r\rРучная ставка\r\rневозможно добавить в сценарий!");
    EXPECT_EQ(readScenarioFile(dir / "Tavlora_5d69.lss"), s.lines());
}

// A key as long as the rating file holds was cut from a longer stake comment: the line it would
// make is refused with its own message; one byte shorter it is still taken.
TEST(RatingToScenario, RefusesAKeyCutAtTheRatingLimit) {
    const std::string head = "01.001: @ FULL#RAND + TSD1#NUMS:10#LNO:#SF:1 + TSD1#EVEN:20#LNO:";
    const std::string cut = head + std::string(TRatingRecord::kKeyMax - head.size(), '1');
    const std::string whole = cut.substr(0, cut.size() - 1);
    ASSERT_EQ(cut.size(), 255u);
    EXPECT_FALSE(scenarioLineFromRatingKey(cut));
    EXPECT_TRUE(scenarioLineFromRatingKey(whole));
    // Cyrillic letters count one byte each in the file's form.
    EXPECT_TRUE(ratingKeyWasCut(std::string(255, 'a')));
    EXPECT_TRUE(ratingKeyWasCut("01.001: " + std::string(124, 'x') + [] {
        std::string s;
        for (int i = 0; i < 123; ++i) s += "ж";
        return s;
    }()));
    EXPECT_FALSE(ratingKeyWasCut(std::string(254, 'a')));

    TempDir dir;
    TScenario s(dir / "Tavlora_5d69.lss");
    ScriptedInteraction ui;
    EXPECT_EQ(addRatingKeysToScenario(s, {cut, whole}, ui), 1);
    EXPECT_EQ(s.count(), 1);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(ui.messages[0].text, "Строку\r\r" + cut +
                                       "\r\rневозможно добавить в сценарий: комментарий ставки длиннее 255 символов и "
                                       "был обрезан, строка сценария из него была бы неверной!");
}

}  // namespace
}  // namespace tavlora

namespace tavlora {
namespace {

TEST(ScenarioExample, LoadsCleanlyWithEveryMethodKnown) {
    TSettings settings;
    TDrawsArray draws;
    TStatList registry(settings, draws);
    registry.rebuild();
    TempDir dir;
    TScenario s(dir / "Tavlora_5d69.lss");
    s.open(std::filesystem::path(TAVLORA_SAMPLE_DIR) / "example.lsc");
    ASSERT_GE(s.count(), 3);
    ASSERT_LE(s.count(), 6);

    std::set<std::string> codes, selections, stops;
    int lastCommand = -1;
    for (int i = 0; i < s.count(); ++i) {
        const ScenarioLine line = s.parsedLine(i, &registry);
        for (const std::string& cell : line.cells()) EXPECT_EQ(cell.find(kScenarioBadCaption), std::string::npos) << cell;
        if (line.separator) continue;
        lastCommand = i;
        // The file holds the canonical form, so showing it changes nothing.
        EXPECT_EQ(line.text(), s.line(i));
        EXPECT_GT(line.usedFilterCount(), 0) << i;
        for (const TFilterItem& f : line.filters) {
            if (!f.used) continue;
            ASSERT_NE(f.method, nullptr) << f.methodText;
            EXPECT_FALSE(f.drawsList().empty()) << f.text();
            if (f.selectionMode != 0) {
                EXPECT_FALSE(f.selectionList().empty()) << f.text();
            }
            codes.insert(f.method->code());
            selections.insert(selectionModeCode(f.selectionMode));
            stops.insert(stopModeCode(f.stopMode));
        }
    }
    EXPECT_GE(codes.size(), 4u);
    EXPECT_GE(selections.size(), 3u);
    EXPECT_GE(stops.size(), 2u);
    // The scenario ends in stakes.
    ASSERT_GE(lastCommand, 0);
    const int mode = s.parsedLine(lastCommand, &registry).options.resultMode;
    EXPECT_TRUE(mode <= srSysC) << resultCode(mode);
}

}  // namespace
}  // namespace tavlora

namespace tavlora {
namespace {

class ScenarioUnreadableLines : public ::testing::Test {
protected:
    std::filesystem::path copy() const { return dir / "Tavlora_5d69.lss"; }
    TempDir dir;
    const std::vector<std::string> mixed{kLineA, "garbage|x|y", "", "EXCL:-5#RAND|TSD1#NUMS:100", kLineB,
                                         "FULL:0#RAND|TSD1#NUMS:100#XYZ:1"};
};

TEST_F(ScenarioUnreadableLines, FilesKeepTheReadableLinesAndNameTheSkippedOnes) {
    const auto file = dir / "mixed.lsc";
    writeScenarioFile(file, mixed);
    TScenario s(copy());
    s.open(file);
    EXPECT_EQ(s.lines(), (std::vector<std::string>{kLineA, "", kLineB}));
    ASSERT_EQ(s.skippedLines().size(), 3u);
    EXPECT_EQ(s.skippedLines()[0].lineNumber, 2);
    EXPECT_EQ(s.skippedLines()[1].lineNumber, 4);
    EXPECT_EQ(s.skippedLines()[2].lineNumber, 6);
    EXPECT_NE(s.skippedLines()[1].reason.find("\"-5\""), std::string::npos) << s.skippedLines()[1].reason;
    const std::string warning = s.skippedLinesWarning();
    EXPECT_NE(warning.find("пропущено строк, которые не удалось прочитать: 3 (строки 2, 4, 6)."), std::string::npos) << warning;
    EXPECT_NE(warning.find("Строка 2: Опции \"garbage\""), std::string::npos) << warning;
    // The user's file is only read.
    EXPECT_EQ(readScenarioFile(file), mixed);

    // Appending skips the same lines; a clean file then clears the list of skipped lines.
    EXPECT_EQ(s.appendFile(file), 4);
    EXPECT_EQ(s.count(), 7);
    EXPECT_EQ(s.skippedLines().size(), 3u);
    const auto clean = dir / "clean.lsc";
    writeScenarioFile(clean, {kLineA});
    s.appendFile(clean);
    EXPECT_TRUE(s.skippedLines().empty());
    EXPECT_EQ(s.skippedLinesWarning(), "");

    // A file whose command lines all fail to read changes nothing.
    const auto hopeless = dir / "hopeless.lsc";
    writeScenarioFile(hopeless, {"garbage|x|y", "", "EXCL:-5#RAND"});
    const auto before = s.lines();
    for (const bool append : {false, true}) {
        try {
            append ? void(s.appendFile(hopeless)) : s.open(hopeless);
            FAIL() << "no error";
        } catch (const EError& e) {
            EXPECT_NE(std::string(e.what()).find("В файле нет ни одной читаемой строки сценария: сценарий не изменён.\rСтрока 1:"),
                      std::string::npos)
                << e.what();
        }
        EXPECT_EQ(s.lines(), before);
        EXPECT_EQ(readScenarioFile(copy()), before);
    }
}

TEST_F(ScenarioUnreadableLines, WorkingCopyIsKeptWholeBeforeItsFirstRewrite) {
    writeScenarioFile(copy(), mixed);
    const std::string asWritten = readFileBytes(copy());
    TScenario s(copy());
    s.loadWorkingCopy();
    EXPECT_EQ(s.lines(), (std::vector<std::string>{kLineA, "", kLineB}));
    const std::string warning = s.skippedLinesWarning();
    EXPECT_NE(warning.find(s.backupCopy().string()), std::string::npos) << warning;
    // Reading alone writes nothing.
    EXPECT_EQ(readFileBytes(copy()), asWritten);
    EXPECT_FALSE(std::filesystem::exists(s.backupCopy()));

    s.append(kLineA);
    EXPECT_EQ(readFileBytes(s.backupCopy()), asWritten);
    EXPECT_EQ(readScenarioFile(copy()), (std::vector<std::string>{kLineA, "", kLineB, kLineA}));
    // Later changes leave the backup as it was.
    writeScenarioFile(s.backupCopy(), {"kept by the user"});
    s.moveUp(3);
    EXPECT_EQ(readScenarioFile(s.backupCopy()), (std::vector<std::string>{"kept by the user"}));

    // A working copy none of whose lines reads opens empty, and is still kept before a rewrite.
    writeScenarioFile(copy(), {"garbage|x|y"});
    std::filesystem::remove(s.backupCopy());
    TScenario none(copy());
    none.loadWorkingCopy();
    EXPECT_TRUE(none.empty());
    none.append(kLineB);
    EXPECT_EQ(readScenarioFile(none.backupCopy()), (std::vector<std::string>{"garbage|x|y"}));
}

}  // namespace
}  // namespace tavlora
