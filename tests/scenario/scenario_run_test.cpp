// Running scenarios: variants, filter walks, start lists, stakes by result mode, test cycles
// over offsets and the log, on small generated combination lists.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>

#include "archive/draw_archive.h"
#include "core/codepage.h"
#include "core/file_util.h"
#include "core/format.h"
#include "core/text_forms.h"
#include "scenario/scenario.h"
#include "scenario/scenario_run.h"
#include "stakes/ratings.h"
#include "stakes/stake_record.h"
#include "stakes/stakes_store.h"
#include "scenario/run_test_registry.h"
#include "workspace/comb_list.h"
#include "test_support.h"

namespace tavlora {
namespace {

using test::TempDir;

// A data folder with 30 draws numbered 1..30, a combination list generated from a small number
// set, an open stakes file, a rating and a scenario, run through one runner.
class RunFixture : public ::testing::Test {
protected:
    RunFixture()
        : archive(dir / "T.ldr"),
          registryPtr(test::makeRegistry(&archive.draws())),
          registry(*registryPtr),
          settings(test::registrySettings(registry)),
          combs(dir / "T.~buff"),
          stakes(dir / "T.lsk"),
          ratings(dir / "T.lrt"),
          scenario(dir / "T.lss") {
        for (int i = 1; i <= 30; ++i) {
            TDraw d;
            d.number = i;
            // Numbers spread over 1..12 so that every number of 1..8 has a history.
            for (int j = 0; j < 5; ++j) d.nums[static_cast<size_t>(j)] = static_cast<uint8_t>((i * 7 + j * 2) % 12 + 1);
            std::sort(d.nums.begin(), d.nums.end());
            archive.append(d);
        }
        useNumbers("1,2,3,4,5,6,7,8");  // 56 combinations
        stakes.open();
    }

    void useNumbers(const std::string& numbers) {
        settings.generateMode = 2;
        settings.generateParameters = numbers;
    }
    // Generation mode 4 from a file holding the given lines.
    void useFile(const std::string& lines) {
        const auto file = dir / "start.lcv";
        std::ofstream(file, std::ios::binary) << lines;
        settings.generateMode = 4;
        settings.generateParameters = file.string();
    }

    TScenarioEnv env() {
        TScenarioEnv e;
        e.archive = &archive;
        e.registry = &registry;
        e.settings = &settings;
        e.combs = &combs;
        e.stakes = &stakes;
        e.ratings = &ratings;
        e.logFolder = dir.path();
        e.systemsDir = dir / "Systems";
        return e;
    }

    TScenarioRunResult forecast(const std::vector<std::string>& lines, bool log = false) {
        for (const auto& l : lines) scenario.append(l);
        TScenarioRunner runner(env(), progress, ui);
        runner.setSeed(1);
        runner.setLogEnabled(log);
        return runner.forecast(scenario);
    }

    // Real stakes in file order.
    std::vector<TStakeRecord> realStakes() {
        std::vector<TStakeRecord> out;
        for (const auto& r : stakes.readAll())
            if (r.isReal()) out.push_back(r);
        return out;
    }

    std::vector<std::string> logLines(const std::filesystem::path& file) {
        std::vector<std::string> out;
        const std::string text = cp1251ToUtf8(readFileBytes(file));
        size_t at = 0;
        while (at < text.size()) {
            const size_t end = text.find("\r\n", at);
            out.push_back(text.substr(at, end - at));
            if (end == std::string::npos) break;
            at = end + 2;
        }
        return out;
    }

    TempDir dir;
    DrawArchive archive;
    std::shared_ptr<TStatList> registryPtr;
    TStatList& registry;
    TSettings& settings;
    TCombList combs;
    TStakesStore stakes;
    TRatings ratings;
    TScenario scenario;
    NullProgress progress;
    ScriptedInteraction ui;
};

TEST_F(RunFixture, AListModeMakesOneVariantAndAnExpandingListModeOnePerValue) {
    // Mode 5 (depth from a list) joins its values; mode 24 (shortest period from a list) expands.
    const auto result = forecast({"FULL:0#FIRST|TSD1#NUMS:10#LDV:1-3;1#SF:0",
                                  "FULL:0#FIRST|TSD1#NUMS:10#PIR:1-3;1#SF:0"});
    EXPECT_FALSE(result.failed);
    const auto made = realStakes();
    ASSERT_EQ(made.size(), 4u);
    EXPECT_NE(made[0].comment.find("01.001: @ FULL#FIRST + TSD1#NUMS:10#LDV:1,2,3#SF:0"), std::string::npos)
        << made[0].comment;
    for (int v = 1; v <= 3; ++v)
        EXPECT_NE(made[static_cast<size_t>(v)].comment.find(fmt("02.%.3d: @ FULL#FIRST + TSD1#NUMS:10#PIR:%d#SF:0", v, v)),
                  std::string::npos)
            << made[static_cast<size_t>(v)].comment;
    EXPECT_EQ(result.stakesMade, 4);
}

TEST_F(RunFixture, ASingleSelectStepThatEmptiesTheListIsRolledBackAndSzStopsThere) {
    // Sorted by value descending, the walk meets 40 (no combination has it) before 1.
    const auto result = forecast({"FULL:0#FIRST|TSF0#NUMS:30#LVA:40,1#SF:0", "FULL:0#FIRST|TSF0#NUMS:30#LVA:40,1#SZ:0"});
    EXPECT_FALSE(result.failed);
    const auto made = realStakes();
    ASSERT_EQ(made.size(), 2u);
    EXPECT_EQ(made[0].listSize, 35);  // rolled back at 40, then kept the 35 combinations with 1
    EXPECT_EQ(made[1].listSize, 56);  // rolled back at 40 and stopped: the start list stays
    EXPECT_EQ(result.filterSteps, 3);
}

TEST_F(RunFixture, MultiSelectKeepsEveryRowThatPassesInOneStep) {
    const auto result = forecast({"FULL:0#LAST|TMF0#NUMS:30#LVA:1,2#SF:0"});
    const auto made = realStakes();
    ASSERT_EQ(made.size(), 1u);
    EXPECT_EQ(made[0].listSize, 56 - 6);  // all but the C(6,5) combinations without 1 and 2
    EXPECT_EQ(result.filterSteps, 1);
    EXPECT_EQ(result.combinationsTested, 56);
    EXPECT_EQ(joinedForm(made[0].numbers, ";"), "2;5;6;7;8");  // the last of the list
}

TEST_F(RunFixture, OneCombinationLeftIsStakedEvenUnderStopAndSkip) {
    useNumbers("3,9,11,20,33");
    const auto result = forecast({"FULL:0#STOP", "FULL:0#SKIP|TSD1#NUMS:10#LNO:#SF:0"});
    EXPECT_FALSE(result.stopped);
    const auto made = realStakes();
    ASSERT_EQ(made.size(), 2u);
    for (const auto& s : made) {
        EXPECT_EQ(joinedForm(s.numbers, ";"), "3;9;11;20;33");
        EXPECT_EQ(s.kind, static_cast<uint8_t>(TStakeKind::Scenario));
        EXPECT_EQ(s.drawNumber, 31);
        EXPECT_EQ(s.listSize, 1);
    }
    // The filter was skipped: the list already held one combination.
    EXPECT_EQ(result.filterSteps, 0);
}

TEST_F(RunFixture, SkipIgnoresAndStopStopsTheTestAtItsOffsetWithAWarning) {
    useFile("1;2;3;4;5\r\n1;2;3;4;6\r\n1;2;3;4;7\r\n");
    scenario.append("FULL:0#SKIP");
    scenario.append("FULL:0#STOP");
    scenario.append("FULL:0#FIRST");
    archive.setDrawsOffset(0);
    TScenarioRunner runner(env(), progress, ui);
    const auto result = runner.test(scenario, 3);
    EXPECT_TRUE(result.stopped);
    EXPECT_FALSE(result.failed);
    EXPECT_EQ(result.cycles, 1);
    EXPECT_EQ(archive.drawsOffset(), 3);  // stays at the offset being tested
    EXPECT_TRUE(realStakes().empty());    // skipped, then stopped before the third line
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].kind, MessageKind::Warning);
    EXPECT_EQ(ui.messages[0].text,
              "Выполнение сценария прервано, т.к. после применения всех фильтров в списке комбинаций их осталось "
              "более одной: 3!\r\rФильтры: 02.000: @ FULL#STOP");
    EXPECT_FALSE(runner.running());
}

TEST_F(RunFixture, ATestVisitsTheOffsetsFromTheOldestAndSetsBackTheOffset) {
    useNumbers("3,9,11,20,33");
    scenario.append("FULL:0#RAND");
    archive.setDrawsOffset(7);
    TScenarioRunner runner(env(), progress, ui);
    std::vector<std::pair<int, int>> cycles;  // cycle, offset
    runner.onPanels = [&](const TScenarioPanels& p) {
        if (cycles.empty() || cycles.back().first != p.cycle) cycles.emplace_back(p.cycle, archive.drawsOffset());
    };
    const auto result = runner.test(scenario, 3);
    EXPECT_EQ(result.cycles, 3);
    EXPECT_EQ(cycles, (std::vector<std::pair<int, int>>{{1, 3}, {2, 2}, {3, 1}}));
    EXPECT_EQ(archive.drawsOffset(), 7);
    // One stake per pass, each for the first hidden draw, passes separated, all checked.
    const auto all = stakes.readAll();
    ASSERT_EQ(all.size(), 5u);
    EXPECT_EQ(all[0].drawNumber, 28);
    EXPECT_TRUE(all[1].isSeparator());
    EXPECT_EQ(all[2].drawNumber, 29);
    EXPECT_TRUE(all[3].isSeparator());
    EXPECT_EQ(all[4].drawNumber, 30);
    for (size_t i : {0u, 2u, 4u}) EXPECT_TRUE(all[i].checked);
    ASSERT_EQ(ratings.count(), 1);
    EXPECT_EQ(ratings.rows()[0].stakes, 3);
    // More tests than draws less one are capped.
    scenario.clear();
    scenario.append("FULL:0#NONE");
    EXPECT_EQ(runner.test(scenario, 500).cycles, 29);
}

TEST_F(RunFixture, NewOnlyDoesNotStakeTheSameCombinationTwiceForADraw) {
    useNumbers("3,9,11,20,33");
    const auto result = forecast({"FULL:0#RAND#NEX|TSD1#NUMS:10,20#LNO:#SF:0", "FULL:0#RAND|TSD1#NUMS:10,20#LNO:#SF:0"});
    EXPECT_EQ(result.stakesMade, 3);  // 1 of the two NEX variants, both of the others
    ASSERT_EQ(realStakes().size(), 3u);
    EXPECT_NE(realStakes()[0].comment.find("FULL#RAND#NEX + "), std::string::npos);
}

TEST_F(RunFixture, TheSameSeedGivesTheSameStakes) {
    auto run = [&](uint64_t seed) {
        stakes.clear(ui);
        scenario.clear();
        scenario.append("FULL:0#RAND");
        scenario.append("FULL:0#RAND|TSD1#NUMS:10,20#LNO:#SF:0");
        TScenarioRunner runner(env(), progress, ui);
        runner.setSeed(seed);
        runner.forecast(scenario);
        std::vector<std::string> out;
        for (const auto& s : realStakes()) out.push_back(joinedForm(s.numbers, ";"));
        return out;
    };
    const auto first = run(42);
    ASSERT_EQ(first.size(), 3u);
    EXPECT_EQ(run(42), first);
}

TEST_F(RunFixture, AnUnknownMethodOrABadFilterStopsTheRunWithAnErrorNamingTheFilter) {
    const auto result = forecast({"FULL:0#FIRST|TSD1#QQQQ:10#LNO:#SF:0", "FULL:0#FIRST"});
    EXPECT_TRUE(result.failed);
    EXPECT_TRUE(result.stopped);
    EXPECT_TRUE(realStakes().empty());  // the second line never ran
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].kind, MessageKind::Error);
    EXPECT_NE(ui.messages[0].text.find("QQQQ:10"), std::string::npos) << ui.messages[0].text;

    ui.messages.clear();
    scenario.clear();
    const auto bad = forecast({"FULL:0#FIRST|TSD25#NUMS:10#LNO:#SF:0"});
    EXPECT_TRUE(bad.failed);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Некорректное описание фильтра: TSD25#NUMS:10#LNO:#SF:0!");
}

TEST_F(RunFixture, TheExcludedStartListIsCachedPerOffsetAndCount) {
    // A start list of the last five draws' combinations and one more.
    std::string lines;
    for (int i = 26; i <= 30; ++i) lines += semicolonForm(TComb{archive.draws()[static_cast<size_t>(i - 1)].nums}) + "\r\n";
    lines += "60;61;62;63;64\r\n";
    useFile(lines);
    const auto result = forecast({"EXCL:2#ALL", "EXCL:2#ALL"});
    EXPECT_FALSE(result.failed);
    // Each line keeps 4 of the 6: the last two draws are excluded.
    EXPECT_EQ(result.stakesMade, 8);
    const auto made = realStakes();
    for (const auto& s : made) EXPECT_EQ(s.listSize, 4);
    EXPECT_EQ(made[0].comment, "01.000: @ EXCL:2#ALL");
    // The buffer is dropped when the pass ends.
    EXPECT_FALSE(std::filesystem::exists(dir / "T.~buff"));
}

TEST_F(RunFixture, TheLogRecordsEveryStepWithTimeStamps) {
    useNumbers("3,9,11,20,33");
    TScenarioRunner runner(env(), progress, ui);
    runner.setLogEnabled(true);
    runner.setClock([] { return std::time_t{1700000000}; });
    scenario.append("FULL:0#FIRST|TSD1#NUMS:10#LNO:#SF:0| | | | | | |Проба");
    const auto result = runner.forecast(scenario);
    ASSERT_FALSE(result.logFile.empty());
    EXPECT_EQ(result.logFile, TScenarioLog::fileFor(dir.path(), 1700000000));
    EXPECT_TRUE(std::regex_match(result.logFile.filename().string(),
                                 std::regex(R"(ScriptLog_\d{4}-\d\d-\d\d-\d\d-\d\d-\d\d\.txt)")));
    const auto lines = logLines(result.logFile);
    const std::string stamp = TScenarioLog::stamp(1700000000);
    EXPECT_TRUE(std::regex_match(stamp, std::regex(R"(\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\]: )")));
    std::vector<std::string> texts;
    for (const auto& l : lines) {
        ASSERT_EQ(l.rfind(stamp, 0), 0u) << l;
        texts.push_back(l.substr(stamp.size()));
    }
    EXPECT_TRUE(ui.messages.empty());
    ASSERT_GE(texts.size(), 10u);
    EXPECT_EQ(texts[0], "### ЗАПУСК СЦЕНАРИЯ ##########################################################################");
    EXPECT_EQ(texts[2], "=== Выполнение сценария для смещения 000000 ==================================================");
    EXPECT_EQ(texts[5], "Выполнение строки 001: \"FULL:0#FIRST|TSD1#NUMS:10#LNO:#SF:0| | | | | | |Проба\"");
    const auto has = [&](const std::string& t) { return std::find(texts.begin(), texts.end(), t) != texts.end(); };
    EXPECT_TRUE(has("Создано 1 вариантов фильтров."));
    EXPECT_TRUE(has("Применение набора фильтров 001: \"TSD1#NUMS:10#LNO:#SF:0\""));
    EXPECT_TRUE(has("{*} Добавление ставки, режим: \"" + resultCaption(srFirst) + "\""));
    EXPECT_TRUE(has("{+} Ставка на тираж 31 добавлена в список ставок: [3;9;11;20;33]"));
    EXPECT_EQ(texts.back(), "### ЗАВЕРШЕНИЕ СЦЕНАРИЯ ######################################################################");
    EXPECT_EQ(realStakes()[0].comment, "01.001: Проба @ FULL#FIRST + TSD1#NUMS:10#LNO:#SF:0");
}

TEST_F(RunFixture, AStopRequestEndsTheRunAndTheWeightsComeBack) {
    settings.config.weights.count = 2.5L;
    scenario.append("FULL:0#FIRST|TSD1#NUMS:10#LNO:#SF:0#1:0:0:0:0");
    TScenarioRunner runner(env(), progress, ui);
    progress.requestStop();
    const auto result = runner.forecast(scenario);
    EXPECT_TRUE(result.stopped);
    EXPECT_TRUE(realStakes().empty());
    EXPECT_EQ(settings.config.weights.count, 2.5L);
    progress.reset();
    const auto again = runner.forecast(scenario);
    EXPECT_FALSE(again.stopped);
    EXPECT_EQ(again.stakesMade, 1);
    EXPECT_EQ(settings.config.weights.count, 2.5L);
}

}  // namespace
}  // namespace tavlora

namespace tavlora {
namespace {

TEST(ScenarioLogs, DeletesOnlyTheRunLogsOfTheFolder) {
    test::TempDir dir;
    NullProgress progress;
    ScriptedInteraction ui;
    EXPECT_EQ(deleteScenarioLogs(dir.path(), progress, ui), 0);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Файлы журналов не найдены!");

    TScenarioLog log(dir.path());
    log.setClock([] { return std::time_t{1700000000}; });
    log.write("one", ui);
    log.setClock([] { return std::time_t{1700000100}; });
    log.open();
    log.write("two", ui);
    std::ofstream(dir / "ScriptLog.txt") << "kept";
    std::ofstream(dir / "Tavlora_5d69-100.log") << "kept";
    EXPECT_EQ(scenarioLogFiles(dir.path()).size(), 2u);
    ui.messages.clear();
    EXPECT_EQ(deleteScenarioLogs(dir.path(), progress, ui), 2);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].kind, MessageKind::Information);
    EXPECT_EQ(ui.messages[0].text, "Удалено файлов журналов: 2");
    EXPECT_TRUE(std::filesystem::exists(dir / "ScriptLog.txt"));
    EXPECT_TRUE(std::filesystem::exists(dir / "Tavlora_5d69-100.log"));
}

}  // namespace
}  // namespace tavlora

namespace tavlora {
namespace {

TEST_F(RunFixture, SystemPlayStakesTheWholeSystemOrOnlyItsCombinationsInTheList) {
    // Three combinations over the six numbers 1..6 and a system for six numbers.
    useFile("1;2;3;4;5\r\n1;2;3;4;6\r\n2;3;4;5;6\r\n");
    std::filesystem::create_directories(dir / "Systems");
    std::ofstream(dir / "Systems" / "5-06-3_0001.dat") << "1 2 3 4 5\n1 2 3 5 6\n6 5 4 3 2\n1 2 4 5 6\n";
    const auto result = forecast({"FULL:0#SYSA", "FULL:0#SYSC"});
    EXPECT_FALSE(result.failed);
    std::vector<std::string> made;
    for (const auto& s : realStakes()) made.push_back(joinedForm(s.numbers, ";"));
    EXPECT_EQ(made, (std::vector<std::string>{"1;2;3;4;5", "1;2;3;5;6", "2;3;4;5;6", "1;2;4;5;6",  // the whole system
                                              "1;2;3;4;5", "2;3;4;5;6"}));                         // those in the list
    EXPECT_EQ(realStakes()[0].comment, "01.000: @ FULL#SYSA");

    // Without a system for that many numbers nothing is staked and nothing is shown.
    stakes.clear(ui);
    scenario.clear();
    useFile("1;2;3;4;5\r\n1;2;3;6;7\r\n");  // seven numbers
    EXPECT_EQ(forecast({"FULL:0#SYSA"}).stakesMade, 0);
    EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
}  // namespace tavlora

namespace tavlora {
namespace {

TEST_F(RunFixture, ClearStakesEmptiesTheStakesFileBeforeTheLineStakes) {
    useNumbers("3,9,11,20,33");
    forecast({"FULL:0#FIRST", "FULL:0#LAST"});
    ASSERT_EQ(realStakes().size(), 2u);
    scenario.clear();
    const auto result = forecast({"FULL:0#FIRST#CLR"});
    EXPECT_EQ(result.stakesMade, 1);
    const auto all = stakes.readAll();
    ASSERT_EQ(all.size(), 1u);  // the separator of the pass went with the rest
    EXPECT_EQ(all[0].comment, "01.000: @ FULL#FIRST");
}

}  // namespace
}  // namespace tavlora
