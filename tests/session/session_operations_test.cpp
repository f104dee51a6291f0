// The operations the front ends call on the session: applying new settings, shredding formulas
// and generator memory, and the inputs of the analyses built from the session's own state.
#include <gtest/gtest.h>

#include <fstream>

#include "session/session.h"
#include "stakes/ratings.h"
#include "stakes/stakes_store.h"
#include "stats/stat_list.h"
#include "test_support.h"
#include "workspace/comb_list.h"
#include "workspace/stat_method.h"

using namespace tavlora;
using tavlora::test::TempDir;

namespace {

constexpr const char* kWriteErrorHeading = "Ошибка записи в файл конфигурации!\r\r";

bool hasMethod(const Session& s, const char* code) { return s.statList().methodWithCode(code) >= 0; }

// Draw i (0-based, numbered i + 1) holds 60 - i, 1 + i, 20 + i, 30 + i, 40 + i: drawn first is
// 60 - i, the smallest is 1 + i.
void addDraws(Session& s, int count) {
    for (int i = 0; i < count; ++i) {
        TDraw d;
        d.number = i + 1;
        d.nums = {uint8_t(60 - i), uint8_t(1 + i), uint8_t(20 + i), uint8_t(30 + i), uint8_t(40 + i)};
        d.extra = 1;
        s.archive().append(d);
    }
}

}  // namespace

TEST(SessionSettings, NormGroupsFollowTheChangedSettings) {
    TConfigData a;
    EXPECT_TRUE(changedNormGroups(a, a).empty());
    TConfigData b = a;
    b.matrixCols = 10;
    b.channelSize = 9;
    EXPECT_EQ(changedNormGroups(a, b), (std::set<int>{3, 4}));
    TConfigData c = a;
    c.segments[68] = 2;
    c.stakeCost = 5000;  // money does not touch the norms
    EXPECT_EQ(changedNormGroups(a, c), (std::set<int>{5}));
}

TEST(SessionSettings, ApplyingSettingsSavesRebuildsTheRegistryAndNamesTheNormGroups) {
    TempDir dir;
    std::ofstream(dir / "Tavlora_5d69.flt", std::ios::binary) << "[FILTERS]\r\nFavorites=NUMS,SUMS\r\n";
    ScriptedInteraction ui;
    {
        Session s(dir.path());
        ASSERT_TRUE(hasMethod(s, "CHN7"));
        ASSERT_FALSE(hasMethod(s, "COL8"));
        TConfigData config = s.settings().config;
        config.channelSize = 20;
        config.matrixCols = 10;
        EXPECT_EQ(s.applySettings(config, ui), (std::set<int>{3, 4}));
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_EQ(s.settings().config, config);
        // The instance ranges follow the new widths: 4 channels of 20, 10 columns.
        EXPECT_FALSE(hasMethod(s, "CHN5"));
        EXPECT_TRUE(hasMethod(s, "CHN4"));
        EXPECT_TRUE(hasMethod(s, "COL10"));
        EXPECT_FALSE(hasMethod(s, "COL11"));
        // The favourites of the method file survive the rebuild.
        const TStatList& list = s.statList();
        EXPECT_FALSE(list.allFavourites);
        EXPECT_TRUE(list.item(list.methodWithCode("SUMS")).favourite);
        EXPECT_FALSE(list.item(list.methodWithCode("EVEN")).favourite);

        EXPECT_TRUE(s.applySettings(config, ui).empty());  // nothing changed: no norm file is stale
        config.segments[0] = 3;
        EXPECT_EQ(s.applySettings(config, ui), (std::set<int>{5}));
    }
    Session reopened(dir.path());
    EXPECT_EQ(reopened.settings().config.channelSize, 20);
    EXPECT_EQ(reopened.settings().config.matrixCols, 10);
    EXPECT_EQ(reopened.settings().config.segments[0], 3);
    EXPECT_TRUE(hasMethod(reopened, "CHN4"));
    EXPECT_FALSE(hasMethod(reopened, "CHN5"));
}

TEST(SessionSettings, AFailedSaveIsShownAndTheNewSettingsStayInUse) {
    TempDir dir;
    std::filesystem::create_directory(dir / "Tavlora_5d69.ini");  // cannot be written as a file
    Session s(dir.path());
    ScriptedInteraction ui;
    TConfigData config = s.settings().config;
    config.channelSize = 20;
    EXPECT_EQ(s.applySettings(config, ui), (std::set<int>{3}));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(ui.messages[0].text.rfind(kWriteErrorHeading, 0), 0u) << ui.messages[0].text;
    EXPECT_EQ(s.settings().config.channelSize, 20);
    EXPECT_FALSE(hasMethod(s, "CHN5"));

    EXPECT_EQ(s.applyShredding({"n1", "n2", "n3"}, {1, 1, 1}, ui), (std::set<int>{kShreddingNormGroup}));
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[1].text.rfind(kWriteErrorHeading, 0), 0u) << ui.messages[1].text;
    EXPECT_EQ(s.settings().formulas[0], "n1");
}

TEST(SessionSettings, ShreddingFormulasReachTheCaptionsAndTheFile) {
    TempDir dir;
    ScriptedInteraction ui;
    const std::array<std::string, 3> formulas{"n1+n2", "(n3-n1)/n5", "n4*t1"};
    const std::array<int32_t, 3> digits{3, 1, 4};
    {
        Session s(dir.path());
        EXPECT_EQ(s.applyShredding(formulas, digits, ui), (std::set<int>{kShreddingNormGroup}));
        EXPECT_TRUE(ui.messages.empty());
        const TStatList& list = s.statList();
        EXPECT_EQ(list.item(list.methodWithCode("SHR1")).displayCaption(), "Метод шинковки 1: n1+n2");
        EXPECT_EQ(list.item(list.methodWithCode("SHR2")).displayCaption(), "Метод шинковки 2: (n3-n1)/n5");
        s.storeGeneratorMemory(2, "1;2;3;4;5;6");
        EXPECT_EQ(s.settings().generateMode, 2);
    }
    Session reopened(dir.path());
    EXPECT_EQ(reopened.settings().formulas, formulas);
    EXPECT_EQ(reopened.settings().formulaDigits, digits);
    EXPECT_EQ(reopened.settings().generateMode, 2);
    EXPECT_EQ(reopened.settings().generateParameters, "1;2;3;4;5;6");
}

TEST(SessionInputs, TheTableAndTheFilterStepFollowTheOffsetAndTheSortedSwitch) {
    TempDir dir;
    Session s(dir.path());
    addDraws(s, 10);
    s.setDrawsOffset(3);
    s.setSortedDraws(true);
    const int pos1 = statMethodIndex(s.statList(), "POS1");

    const TStatTableInput in = s.statTableInput(5);
    EXPECT_EQ(in.draws, &s.draws());
    EXPECT_EQ(in.endIndex, 6);
    EXPECT_EQ(in.window, 5);
    EXPECT_TRUE(in.sorted);
    EXPECT_EQ(in.weights, s.settings().config.weights);
    EXPECT_EQ(in.norms, nullptr);
    const TPrefetchData norms;
    EXPECT_EQ(s.statTableInput(5, &norms).norms, &norms);

    // Draws 3..7 seen in ascending order: the first number is the smallest, 3..7.
    const TStatTable table = computeStatTable(s.statList(), pos1, in);
    std::vector<std::string> seen;
    for (const TStatTableRow& row : table.rows)
        if (row.value.count > 0) seen.push_back(row.cells[0]);
    EXPECT_EQ(seen, (std::vector<std::string>{"3", "4", "5", "6", "7"}));

    const auto at = [&](const char* value) { return findStatRow(table.rows, value).value(); };
    TStatFilterRequest r = s.statFilterRequest(pos1, table.rows, {at("6"), at("4")}, true);
    EXPECT_EQ(r.name, s.statList().listCaption(pos1, true));
    EXPECT_EQ(r.valuesText, "4; 6");  // in the table's order
    ASSERT_EQ(r.selection.size(), 2u);
    EXPECT_EQ(r.selection[0].keys, table.rows[at("4")].value.keys);
    EXPECT_TRUE(r.remove);
    EXPECT_EQ(r.referenceIndex, 6);
    EXPECT_TRUE(r.sorted);

    s.setDrawsOffset(10);  // every draw hidden: the step is measured from the first draw
    s.setSortedDraws(false);
    r = s.statFilterRequest(pos1, table.rows, {at("3")}, false);
    EXPECT_EQ(r.referenceIndex, 0);
    EXPECT_FALSE(r.sorted);
    EXPECT_FALSE(r.remove);
}

TEST(SessionInputs, NormsComeOnlyWithTheSwitchAndForAMethodWithANorm) {
    TempDir dir;
    Session s(dir.path());
    NullProgress progress;
    ScriptedInteraction ui;
    const int nums = statMethodIndex(s.statList(), "NUMS");
    // A norm file in place, so that nothing has to be built from the full set.
    const TPrefetchData stored{{{{1, 0, 0, 0}, 814385}, {{2, 0, 0, 0}, 814385}}, 814385, 814385};
    std::filesystem::create_directories(prefetchPath(s.dataDir(), "NUMS").parent_path());
    std::ofstream(prefetchPath(s.dataDir(), "NUMS"), std::ios::binary) << prefetchBytes(stored);

    EXPECT_FALSE(s.methodNorms(nums, progress, ui).has_value());
    s.setNormsEnabled(true);
    const auto read = s.methodNorms(nums, progress, ui);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, stored);
    int withoutNorm = -1;
    for (int i = 0; i < s.statList().count() && withoutNorm < 0; ++i)
        if (!s.statList().hasNorm(i)) withoutNorm = i;
    ASSERT_GE(withoutNorm, 0);
    EXPECT_FALSE(s.methodNorms(withoutNorm, progress, ui).has_value());
    EXPECT_TRUE(ui.messages.empty());
}

TEST(SessionInputs, TheScenarioEnvironmentIsTheSessionsOwn) {
    TempDir dir;
    NullProgress progress;
    ScriptedInteraction ui;
    Session s(dir.path());
    s.setSortedDraws(true);
    s.setNormsEnabled(true);
    const std::optional<TScenarioEnv> env = s.scenarioEnv(progress, ui);
    ASSERT_TRUE(env.has_value());
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(s.stakesOpen());
    EXPECT_EQ(env->archive, &s.archive());
    EXPECT_EQ(env->registry, &s.statList());
    EXPECT_EQ(env->settings, &s.settings());
    EXPECT_EQ(env->combs, &s.combList());
    EXPECT_EQ(env->stakes, &s.stakes());
    EXPECT_EQ(env->ratings, &s.ratings());
    EXPECT_EQ(env->logFolder, s.dataDir());
    EXPECT_EQ(env->systemsDir, s.systemsDir());
    EXPECT_TRUE(env->sortedDraws);
    EXPECT_TRUE(env->normsEnabled);

    // Another session of the folder cannot lock the stakes file: no environment, and it says so.
    Session other(dir.path());
    EXPECT_FALSE(other.scenarioEnv(progress, ui).has_value());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].kind, MessageKind::Error);
}

TEST(SessionInputs, TheStakesLogIsOffUntilSwitchedOnAndTheSwitchReachesTheStoreWhenever) {
    TempDir dir;
    {
        Session fresh(dir.path());
        EXPECT_FALSE(fresh.stakes().logEnabled());
    }
    Session s(dir.path());
    s.setStakesLogEnabled(true);
    EXPECT_TRUE(s.stakes().logEnabled());
    s.setStakesLogEnabled(false);
    EXPECT_FALSE(s.stakes().logEnabled());
    EXPECT_FALSE(s.stakesLogEnabled());
}
