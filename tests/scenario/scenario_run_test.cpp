// Running scenarios: variants, filter walks, start lists, stakes by result mode, test cycles
// over offsets and the log, on small generated combination lists.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
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
          registryPtr(test::makeRegistry(settings, archive.draws())),
          registry(*registryPtr),
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
    TSettings settings;
    std::shared_ptr<TStatList> registryPtr;
    TStatList& registry;
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
    EXPECT_FALSE(combs.canUndo());  // a line leaves no undo level behind
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

TEST_F(RunFixture, EachRatingRowNamesTheFiltersOfItsVariantNumber) {
    useNumbers("3,9,11,20,33");
    scenario.append("FULL:0#FIRST|TSD1#NUMS:10,20#LNO:#SF:0|TSD1#SUMS:5,6#LNO:#SF:0");
    TScenarioRunner runner(env(), progress, ui);
    const auto result = runner.test(scenario, 1);
    EXPECT_FALSE(result.failed);
    // Variant k is the k-th in the order with the first filter outermost.
    const char* variants[] = {"NUMS:10#LNO:#SF:0 + TSD1#SUMS:5", "NUMS:10#LNO:#SF:0 + TSD1#SUMS:6",
                              "NUMS:20#LNO:#SF:0 + TSD1#SUMS:5", "NUMS:20#LNO:#SF:0 + TSD1#SUMS:6"};
    const auto made = realStakes();
    ASSERT_EQ(made.size(), std::size(variants));
    ASSERT_EQ(ratings.count(), static_cast<int>(std::size(variants)));
    for (size_t k = 0; k < made.size(); ++k) {
        const std::string comment = fmt("01.%.3d: @ FULL#FIRST + TSD1#%s#LNO:#SF:0", static_cast<int>(k + 1), variants[k]);
        EXPECT_EQ(made[k].comment, comment);
        EXPECT_TRUE(made[k].checked);
        // The checked stake went into the rating row keyed by its comment.
        const auto& rows = ratings.rows();
        EXPECT_EQ(std::count_if(rows.begin(), rows.end(), [&](const TRatingRecord& r) { return r.key == comment; }), 1)
            << comment;
    }
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
    EXPECT_EQ(ui.messages[0].text,
              "Метод расчета статистики фильтра не найден: TSD1#QQQQ:10#LNO:#SF:0!\r\rВозможно, Вы отключили данный "
              "метод расчета либо использовали сценарий от другой модификации программы.");

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

namespace tavlora {
namespace {

// The stop modes on the 56 combinations of 1..8. Over the 30 draws of the fixture the numbers
// 2, 4, 7, 9, 11 and 12 were drawn 13 times, 1, 3, 5, 6, 8 and 10 twelve times.
TEST_F(RunFixture, StopModesEndTheWalkAtTheirLimits) {
    const auto result = forecast({
        // Single-select, value descending, keep: 69..9 each empty the list (rolled back, no step);
        // 8 leaves 35, 7 leaves 20, 6 leaves 10, 5 leaves 4, 4 leaves 1.
        "FULL:0#FIRST|TSF0#NUMS:30#LNO:#SF:0",
        "FULL:0#FIRST|TSF0#NUMS:30#LNO:#ST:2",   // two steps that kept something: 20
        "FULL:0#FIRST|TSF0#NUMS:30#LNO:#SC:25",  // 20 left: 25 >= 20 stops before row 6
        "FULL:0#FIRST|TSF0#NUMS:30#LNO:#SC:35",  // 35 left after row 8: stops before row 7
        // Count descending: the six numbers drawn 13 times first; SV stops at the first row with a
        // count <= 12, after 2, 4 and 7 were kept: the 10 combinations holding all three.
        "FULL:0#FIRST|TSF1#NUMS:30#LNO:#SV:12",
        // Multi-select: SV on a top-down walk stops at count <= 12 (1 never selected), on a
        // bottom-up walk at count >= 13 (2 never selected).
        "FULL:0#FIRST|TMF1#NUMS:30#LVA:1,2#SV:12",
        "FULL:0#FIRST|BMF1#NUMS:30#LVA:1,2#SV:13",
        // SP reads the count in % (13 and 12 of 150 values: 8.66667 and 8.00000).
        "FULL:0#FIRST|TMF1#NUMS:30#LVA:1,2#SP:8",
        // Multi-select ST counts every visited row: 1 (selected) and 2 (not), then stops before 3.
        "FULL:0#FIRST|BMF0#NUMS:30#LVA:1,3#ST:2",
        // SC is not checked in a multi-select walk.
        "FULL:0#FIRST|TMF0#NUMS:30#LVA:8#SC:100",
    });
    EXPECT_FALSE(result.failed);
    std::vector<int> sizes;
    for (const auto& s : realStakes()) sizes.push_back(s.listSize);
    EXPECT_EQ(sizes, (std::vector<int>{1, 20, 20, 35, 10, 35, 35, 35, 35, 35}));
    const auto made = realStakes();
    ASSERT_EQ(made.size(), 10u);
    EXPECT_EQ(joinedForm(made[0].numbers, ";"), "4;5;6;7;8");
    EXPECT_EQ(joinedForm(made[4].numbers, ";"), "1;2;3;4;7");  // the first holding 2, 4 and 7
    EXPECT_EQ(joinedForm(made[5].numbers, ";"), "1;2;3;4;5");  // kept by 2
    EXPECT_EQ(joinedForm(made[6].numbers, ";"), "1;2;3;4;5");  // kept by 1
    EXPECT_EQ(joinedForm(made[7].numbers, ";"), "1;2;3;4;5");
    EXPECT_EQ(joinedForm(made[8].numbers, ";"), "1;2;3;4;5");
}

TEST_F(RunFixture, ALineWithoutFiltersLogsItsStartListAndTheVariantsStatusGoesToTheFilterPanel) {
    useNumbers("3,9,11,20,33");
    TScenarioRunner runner(env(), progress, ui);
    runner.setLogEnabled(true);
    std::vector<std::string> filterPanels;
    runner.onPanels = [&](const TScenarioPanels& p) {
        if (filterPanels.empty() || filterPanels.back() != p.filter) filterPanels.push_back(p.filter);
    };
    scenario.append("FULL:0#FIRST");
    scenario.append("FULL:0#FIRST|TSD1#NUMS:10#LNO:#SF:0");
    const auto result = runner.forecast(scenario);
    ASSERT_FALSE(result.logFile.empty());
    std::vector<std::string> texts;
    for (const auto& l : logLines(result.logFile)) texts.push_back(l.substr(l.find("]: ") + 3));
    const auto at = std::find(texts.begin(), texts.end(), "Создано 0 вариантов фильтров.");
    ASSERT_NE(at, texts.end());
    // Execute line, step 7: no "Создание начального списка комбинаций..." for a line without filters.
    EXPECT_EQ(std::vector<std::string>(at, at + 5),
              (std::vector<std::string>{"Создано 0 вариантов фильтров.", "{ERROR} Фильтры не применялись!", "",
                                        "Количество комбинаций в списке: 1",
                                        "{*} Добавление ставки, режим: \"" + resultCaption(srFirst) + "\""}));
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "Создание начального списка комбинаций..."), 1);
    // Status panel 4: the variants text, the stake options of a line without filters, the variant.
    EXPECT_EQ(filterPanels, (std::vector<std::string>{"Создание всех вариантов фильтров...", "FULL#FIRST",
                                                      "Создание всех вариантов фильтров...",
                                                      "Фильтр 1 из 1: TSD1#NUMS:10#LNO:#SF:0"}));
}

TEST_F(RunFixture, ACachedExcludedStartListLeavesNoAppliedFiltersOfTheLineBefore) {
    const auto result = forecast({"EXCL:2#NONE", "EXCL:2#NONE"});
    EXPECT_FALSE(result.failed);
    // Generated (applied filters cleared), then replaced by the buffer: no row is left over.
    EXPECT_TRUE(combs.appliedFilters().empty());
}

TEST_F(RunFixture, ASampleLengthBelowOneIsTakenAsOneDraw) {
    useNumbers("1,2,3,4,5,6");
    const auto result = forecast({"FULL:0#FIRST|TSD1#NUMS:0#LNO:#SF:0"}, true);
    EXPECT_FALSE(result.failed);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(realStakes().size(), 1u);
    const auto lines = logLines(result.logFile);
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& l) {
        return l.find("для выборки в 1 тиражей...") != std::string::npos;
    }));
}

// The desktop program runs under the user's locale; where its decimal point is "," the C library's
// number reading stops at "." and a percent cell "8.66667" would read as 8.
TEST_F(RunFixture, PercentCellsAreReadTheSameUnderALocaleWithADecimalComma) {
    const std::string before = std::setlocale(LC_NUMERIC, nullptr);
    bool set = false;
    for (const char* name : {"ru_RU.UTF-8", "ru_RU.utf8", "de_DE.UTF-8", "de_DE.utf8"})
        if (std::setlocale(LC_NUMERIC, name)) {
            set = true;
            break;
        }
    if (!set) GTEST_SKIP() << "no locale with a decimal comma is installed";
    const auto result = forecast({"FULL:0#FIRST|TMF1#NUMS:30#LVA:1,2#SP:8"});
    std::setlocale(LC_NUMERIC, before.c_str());
    EXPECT_FALSE(result.failed);
    ASSERT_EQ(realStakes().size(), 1u);
    EXPECT_EQ(realStakes()[0].listSize, 35);  // 2 (8.66667 %) selected, stopped at 1 (8.00000 %)
}

TEST(ScenarioLogs, TheMaskMatchesAnEmptyStarAndIgnoresCase) {
    test::TempDir dir;
    std::ofstream(dir / "ScriptLog_.txt") << "x";
    std::ofstream(dir / "scriptlog_2024.TXT") << "x";
    std::ofstream(dir / "ScriptLog_1.txt.bak") << "x";
    const auto files = scenarioLogFiles(dir.path());
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].filename(), "ScriptLog_.txt");
    EXPECT_EQ(files[1].filename(), "scriptlog_2024.TXT");
}

}  // namespace
}  // namespace tavlora

namespace tavlora {
namespace {

// A test run keeps its generated start list and its statistics tables across variants, lines and
// offsets; the stakes and ratings it writes must be those of runs that start afresh at every
// offset (a forecast per offset, each generating its own list), on a sorted generated list and
// on an unsorted file list.
TEST_F(RunFixture, ATestWritesWhatFreshRunsAtEachOffsetWrite) {
    const std::vector<std::string> lines = {
        "EXCL:3#ALL",
        "FULL:0#RAND|TSD1#NUMS:10,20#LNO:#ST:1|TSD2#NUMS:10#LNO:#ST:1",
        "EXCL:3#FIRST|TSD1#NUMS:10#LNO:#ST:2|TMF1#EVEN:10#LVA:1,2,3#SF:0",
        "CURR:0#LAST|TSD1#NUMS:10#LNO:#ST:1|TSD1#NUMS:10#LNO:#ST:1#1:2:3:0:0",
        "EXCL:2#RAND|TSD1#NUMS:5,15#LNO:#ST:1",
    };
    std::string fileLines;
    for (int a = 12; a >= 8; --a)
        for (int b = 1; b <= 6; ++b) fileLines += fmt("%d;%d;%d;%d;%d\r\n", a, b, b + 1 < a ? b + 1 : 7, 13, 14);
    for (int i = 30; i >= 24; --i) fileLines += semicolonForm(TComb{archive.draws()[static_cast<size_t>(i - 1)].nums}) + "\r\n";
    for (int mode : {2, 4}) {
        if (mode == 2)
            useNumbers("1,2,3,4,5,6,7,8,9,10,11,12");
        else
            useFile(fileLines);
        scenario.clear();
        for (const auto& l : lines) scenario.append(l);
        auto run = [&](const std::string& name, bool asTest) {
            TStakesStore store(dir / (name + ".lsk"));
            store.open();
            TRatings rated(dir / (name + ".lrt"));
            TScenarioEnv e = env();
            e.stakes = &store;
            e.ratings = &rated;
            TScenarioRunner runner(e, progress, ui);
            runner.setSeed(5);
            if (asTest) {
                EXPECT_EQ(runner.test(scenario, 4).cycles, 4);
            } else {
                for (int offset = 4; offset >= 1; --offset) {
                    archive.setDrawsOffset(offset);
                    EXPECT_EQ(runner.forecast(scenario).cycles, 1);
                }
                archive.setDrawsOffset(0);
            }
            EXPECT_TRUE(rated.save(progress, ui));
            return std::make_pair(readFileBytes(store.file()), readFileBytes(rated.file()));
        };
        const auto tested = run(fmt("test%d", mode), true);
        const auto fresh = run(fmt("fresh%d", mode), false);
        EXPECT_TRUE(ui.messages.empty()) << ui.messages[0].text;
        EXPECT_GT(tested.first.size(), 4 * TStakeRecord::kSize) << mode;
        EXPECT_EQ(tested.first, fresh.first) << mode;
        EXPECT_EQ(tested.second, fresh.second) << mode;
        // The first line stakes the whole start list: the generated list less the last three
        // draws at the offset, as the list's own commands build it.
        TCombList plain;
        ASSERT_TRUE(plain.generate(settings, progress, ui));
        ASSERT_TRUE(plain.removeLastDraws(archive.draws(), static_cast<int>(archive.draws().size()) - 1 - 4, 3, progress));
        TStakesStore store(dir / fmt("test%d.lsk", mode));
        store.open();
        std::vector<TComb> staked;
        for (const auto& r : store.readAll())
            if (r.isReal() && r.comment.rfind("01.000:", 0) == 0) {
                TComb c;
                std::copy_n(r.numbers.nums.begin(), 5, c.n.begin());
                staked.push_back(c);
            }
        TCombsArray expected = plain.combs();
        for (TComb& c : expected) std::sort(c.n.begin(), c.n.end());
        ASSERT_GE(staked.size(), expected.size());
        EXPECT_EQ(TCombsArray(staked.begin(), staked.begin() + static_cast<std::ptrdiff_t>(expected.size())), expected)
            << mode;
    }
}

// Two filters of one line on the same method and sample length, told apart only by their
// weights, sort by their own weight column: the table of the first is not reused for the second.
TEST_F(RunFixture, FiltersOfOneLineThatDifferInWeightsSortTheirOwnTables) {
    useNumbers("1,2,3,4,5,6,7,8,9,10,11,12");
    auto stepRows = [&](const std::vector<std::string>& lines) {
        scenario.clear();
        stakes.clear(ui);
        const auto result = forecast(lines, true);
        EXPECT_FALSE(result.failed);
        std::vector<std::string> rows;
        for (const auto& l : logLines(result.logFile))
            if (l.find("Шаг 001. Выделение строки") != std::string::npos) rows.push_back(l.substr(l.find("Шаг")));
        // Both runs may start within one second, that is into one log file name.
        std::filesystem::remove(result.logFile);
        std::vector<std::string> made;
        for (const auto& r : realStakes()) made.push_back(semicolonForm(TComb{{r.numbers.nums[0], r.numbers.nums[1],
                                                                                r.numbers.nums[2], r.numbers.nums[3],
                                                                                r.numbers.nums[4]}}));
        return std::make_pair(rows, made);
    };
    const auto oneLine = stepRows({"FULL:0#FIRST|TSD8#NUMS:20#LNO:#ST:1|TSD8#NUMS:20#LNO:#ST:1#5:0:0:0:0"});
    const auto twoLines = stepRows({"FULL:0#NONE|TSD8#NUMS:20#LNO:#ST:1", "CURR:0#FIRST|TSD8#NUMS:20#LNO:#ST:1#5:0:0:0:0"});
    ASSERT_EQ(oneLine.first.size(), 2u);
    EXPECT_NE(oneLine.first[0], oneLine.first[1]);  // the weights change the top row
    EXPECT_EQ(oneLine.first, twoLines.first);
    EXPECT_EQ(oneLine.second, twoLines.second);
}

}  // namespace
}  // namespace tavlora
