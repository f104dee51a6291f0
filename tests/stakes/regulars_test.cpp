// Regular table stakes: the moves, the add dialog's checks, the file and the test over past draws.
#include <gtest/gtest.h>

#include "archive/draw_archive.h"
#include "core/error.h"
#include "core/file_util.h"
#include "core/text_forms.h"
#include "core/settings.h"
#include "stakes/ratings.h"
#include "stakes/regulars.h"
#include "stakes/stakes_store.h"
#include "test_support.h"

namespace tavlora {
namespace {

using test::TempDir;

DrawArchive archiveOf(const std::filesystem::path& file, const std::vector<TComb>& numbers) {
    DrawArchive a(file);
    int number = 1;
    for (const TComb& c : numbers) {
        TDraw d;
        d.number = number++;
        d.nums = c.n;
        d.extra = 1;
        a.append(d);
    }
    return a;
}

TEST(Regulars, NextCombinationWrapsAroundTheCircle) {
    TempDir dir;
    DrawArchive archive = archiveOf(dir / "a.ldr", {{{5, 6, 7, 8, 9}}, {{60, 61, 62, 63, 69}}});
    struct Case {
        TComb start;
        int step;
        TComb first;
        TComb second;
    };
    const Case cases[] = {
        {{{1, 2, 3, 4, 5}}, 68, {{1, 2, 3, 4, 69}}, {{1, 2, 3, 68, 69}}},
        {{{1, 10, 20, 30, 40}}, -1, {{9, 19, 29, 39, 69}}, {{8, 18, 28, 38, 68}}},
        {{{65, 66, 67, 68, 69}}, 69, {{65, 66, 67, 68, 69}}, {{65, 66, 67, 68, 69}}},
        {{{1, 2, 3, 4, 5}}, -69, {{1, 2, 3, 4, 5}}, {{1, 2, 3, 4, 5}}},
        {{{11, 22, 33, 44, 55}}, 0, {{11, 22, 33, 44, 55}}, {{11, 22, 33, 44, 55}}},
        {{{64, 65, 66, 67, 68}}, 3, {{1, 2, 67, 68, 69}}, {{1, 2, 3, 4, 5}}},
    };
    for (const Case& c : cases) {
        TRegular r{"r", false, c.start, c.start, c.step, 0};
        ASSERT_FALSE(advanceRegular(r, archive));
        EXPECT_EQ(r.current, c.first) << c.step;
        ASSERT_FALSE(advanceRegular(r, archive));
        EXPECT_EQ(r.current, c.second) << c.step;
        EXPECT_EQ(r.stakes, 2);
        EXPECT_EQ(r.start, c.start);  // the start never moves
    }

    // From the previous draw: the latest draw visible at the offset, moved once, whatever the
    // current combination was; no draw visible gives no stake and leaves the regular.
    TRegular prev{"p", true, {}, {{1, 2, 3, 4, 5}}, 1, 4};
    ASSERT_FALSE(advanceRegular(prev, archive));
    EXPECT_EQ(prev.current, (TComb{{1, 61, 62, 63, 64}}));
    archive.setDrawsOffset(1);
    ASSERT_FALSE(advanceRegular(prev, archive));
    EXPECT_EQ(prev.current, (TComb{{6, 7, 8, 9, 10}}));
    EXPECT_EQ(prev.stakes, 6);
    TSettings settings;
    settings.config.stakeCost = 20000;
    const TStakeRecord stake = regularStake(prev, archive, settings, 321);
    EXPECT_EQ(stake.kind, static_cast<uint8_t>(TStakeKind::Regular));
    EXPECT_EQ(stake.drawNumber, 2);  // the first draw hidden by the offset
    EXPECT_EQ(stake.comment, "p");
    EXPECT_EQ(stake.listSize, 321);
    EXPECT_EQ(stake.numbers, shemaOf(TComb{{6, 7, 8, 9, 10}}));
    EXPECT_EQ(stake.profit, -20000);
    archive.setDrawsOffset(2);
    const TRegular before = prev;
    const auto problem = advanceRegular(prev, archive);
    ASSERT_TRUE(problem);
    EXPECT_NE(problem->find("\"p\""), std::string::npos);
    EXPECT_EQ(prev, before);
}

TEST(Regulars, AddDialogChecksInOrderAndNamesEveryRegularMade) {
    const std::vector<TRegular> existing{{"Старт", false, {{1, 2, 3, 4, 5}}, {{1, 2, 3, 4, 5}}, 1, 0}};
    const std::vector<TSelectedComb> one{{7, {{9, 8, 7, 6, 5}}}};
    const std::vector<TSelectedComb> three{{2, {{1, 2, 3, 4, 6}}}, {5, {{9, 8, 7, 6, 5}}}, {40, {{1, 2, 3, 4, 9}}}};
    struct Case {
        TRegularInput input;
        std::vector<TSelectedComb> selected;
        std::string warning;  // empty: accepted
        TRegularsCheck::Field focus;
        std::vector<std::string> comments;
    };
    using F = TRegularsCheck::Field;
    const std::string taken = kRegularCommentTaken;
    const Case cases[] = {
        // The start field is read only with a constant start and one selected combination.
        {{"c", false, "1;2;3;4", 1}, one, "Введена некорректная комбинация!", F::Start, {}},
        {{"", false, "1;2;3;4", 1}, one, "Введена некорректная комбинация!", F::Start, {}},
        {{"", false, "40;2;3;4;1", 1}, one, "Необходимо ввести комментарий!", F::Comment, {}},
        {{"СТАРТ", false, "1;2;3;4;5", 1}, one, taken, F::Comment, {}},
        {{"x", false, "1;2;3;4;70", 1}, three, "", F::None, {"x (2)", "x (5)", "x (40)"}},
        {{"x", true, "bad", -3}, {}, "", F::None, {"x"}},
        {{"x", true, "", 1}, three, "", F::None, {"x"}},
        {{"x", false, "", 1}, {}, "", F::None, {}},
        // Generated names are checked like typed ones: against the list and each other, and for length.
        {{"Старт", false, "", 1}, {{1, {{1, 2, 3, 4, 6}}}, {1, {{1, 2, 3, 4, 7}}}}, taken, F::Comment, {}},
        {{std::string(60, 'a'), false, "", 1}, three, "", F::Comment, {}},
        {{"x", false, "1;2;3;4;5", 70}, one, "", F::Step, {}},
    };
    for (const Case& c : cases) {
        const TRegularsCheck r = checkRegularInput(c.input, c.selected, existing);
        const std::string label = c.input.comment + "/" + c.input.startText;
        EXPECT_EQ(r.focus, c.focus) << label;
        if (c.focus == F::None) {
            ASSERT_TRUE(r.ok) << label << ": " << r.warning;
            std::vector<std::string> comments;
            for (const TRegular& m : r.created) {
                comments.push_back(m.comment);
                EXPECT_EQ(m.current, m.start);
                EXPECT_EQ(m.step, c.input.step);
                EXPECT_EQ(m.usePreviousDraw, c.input.usePreviousDraw);
                EXPECT_EQ(m.stakes, 0);
            }
            EXPECT_EQ(comments, c.comments) << label;
        } else {
            EXPECT_FALSE(r.ok) << label;
            if (!c.warning.empty()) {
                EXPECT_EQ(r.warning, c.warning) << label;
            }
            EXPECT_TRUE(r.created.empty());
        }
    }
    // What each regular starts from: the typed numbers sorted, the selected combination sorted,
    // or nothing.
    EXPECT_EQ(checkRegularInput({"c", false, "40;2;3;4;1", 1}, one, existing).created.at(0).start,
              (TComb{{1, 2, 3, 4, 40}}));
    EXPECT_EQ(checkRegularInput({"c", true, "", 1}, one, existing).created.at(0).start, (TComb{{5, 6, 7, 8, 9}}));
    EXPECT_EQ(checkRegularInput({"c", false, "", 1}, three, existing).created.at(1).start, (TComb{{5, 6, 7, 8, 9}}));
    EXPECT_EQ(checkRegularInput({"c", true, "", 1}, {}, existing).created.at(0).start, TComb{});
}

TEST(Regulars, FileRoundTripAndDamagedFilesAreNeverOverwritten) {
    TempDir dir;
    NullProgress progress;
    ScriptedInteraction ui;
    const std::filesystem::path file = dir / "Tavlora_5d69.ltb";
    TRegulars regulars(file);
    ASSERT_TRUE(regulars.load(progress, ui));  // no file yet: an empty list
    regulars.items() = {{"Первый", false, {{1, 2, 3, 4, 5}}, {{2, 3, 4, 5, 6}}, -69, 7},
                        {"второй", true, {}, {{10, 20, 30, 40, 69}}, 69, 0}};
    ASSERT_TRUE(regulars.save(progress, ui));
    const std::string bytes = readFileBytes(file);
    ASSERT_EQ(bytes.size(), 2 * TRegular::kSize);
    EXPECT_EQ(static_cast<uint8_t>(bytes[0]), 6);                   // "Первый" in one-byte characters
    EXPECT_EQ(static_cast<uint8_t>(bytes[TRegular::kSize + 256]), 1);  // from the previous draw
    EXPECT_EQ(static_cast<uint8_t>(bytes[262]), 2);                 // current combination
    EXPECT_EQ(static_cast<uint8_t>(bytes[268]), 0xBB);              // -69 little-endian
    TRegulars again(file);
    ASSERT_TRUE(again.load(progress, ui));
    EXPECT_EQ(again.items(), regulars.items());

    again.remove({1, 0});
    EXPECT_TRUE(again.items().empty());
    EXPECT_THROW(again.remove({0}), EError);

    // A torn file, or a record the program never writes, is refused as a whole and stays as it is.
    auto damaged = [&](std::string content, const char* why) {
        writeFileAtomic(file, content);
        TRegulars r(file);
        ui.messages.clear();
        EXPECT_FALSE(r.load(progress, ui)) << why;
        ASSERT_EQ(ui.messages.size(), 1u) << why;
        EXPECT_EQ(ui.messages[0].text.rfind("Ошибка чтения файла регулярных ставок!\r\r", 0), 0u) << why;
        EXPECT_TRUE(r.items().empty());
        r.items().push_back({"новый", false, {{1, 2, 3, 4, 5}}, {{1, 2, 3, 4, 5}}, 1, 0});
        EXPECT_FALSE(r.save(progress, ui)) << why;
        EXPECT_EQ(readFileBytes(file), content) << why;
    };
    damaged(bytes + std::string(7, 'x'), "276n + 7 bytes");
    for (const auto& [offset, value] : std::vector<std::pair<size_t, uint8_t>>{
             {256, 2}, {257, 70}, {263, 2}, {268 + 3, 0x7F}, {272 + 3, 0x80}, {268, 70}}) {
        std::string bad = bytes;
        bad[offset] = static_cast<char>(value);
        damaged(bad, ("byte " + std::to_string(offset)).c_str());
    }
}

TEST(Regulars, TestOverPastDrawsStakesTheFirstHiddenDrawAndStopsConsistently) {
    TempDir dir;
    NullProgress progress;
    ScriptedInteraction ui;
    DrawArchive archive = archiveOf(dir / "Tavlora_5d69.ldr", {{{1, 2, 3, 4, 5}},
                                                               {{10, 11, 12, 13, 14}},
                                                               {{20, 21, 22, 23, 24}},
                                                               {{30, 31, 32, 33, 34}},
                                                               {{40, 41, 42, 43, 44}}});
    archive.setDrawsOffset(1);
    TSettings settings;
    TRatings ratings(dir / "Tavlora_5d69.lrt");
    TStakesStore store(dir / "Tavlora_5d69.lsk");
    store.open();
    TRegulars regulars(dir / "Tavlora_5d69.ltb");
    ASSERT_TRUE(regulars.load(progress, ui));
    regulars.items() = {{"prev", true, {}, {}, 1, 0}, {"const", false, {{1, 2, 3, 4, 5}}, {{1, 2, 3, 4, 5}}, -1, 0}};

    EXPECT_EQ(runRegularsTest(regulars, {0, 1}, 3, archive, store, settings, ratings, 9, progress, ui), 6);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(archive.drawsOffset(), 1);  // restored
    std::vector<std::string> made;
    for (const TStakeRecord& s : store.readAll())
        made.push_back(std::to_string(s.drawNumber) + " " + s.comment + " " + joinedForm(s.numbers, ";") +
                       (s.checked ? " checked" : ""));
    // Draw k + 1 is staked from draw k's numbers moved by one; every stake's draw is in the
    // archive, so all are checked at the end.
    EXPECT_EQ(made, (std::vector<std::string>{"3 prev 11;12;13;14;15 checked", "3 const 1;2;3;4;69 checked",
                                              "4 prev 21;22;23;24;25 checked", "4 const 1;2;3;68;69 checked",
                                              "5 prev 31;32;33;34;35 checked", "5 const 1;2;67;68;69 checked"}));
    TRegulars saved(dir / "Tavlora_5d69.ltb");
    ASSERT_TRUE(saved.load(progress, ui));
    ASSERT_EQ(saved.count(), 2);
    EXPECT_EQ(saved.items()[0].stakes, 3);
    EXPECT_EQ(saved.items()[1].current, (TComb{{1, 2, 67, 68, 69}}));
    EXPECT_EQ(saved.items()[1].stakes, 3);

    // More tests than draws before the newest are cut; a failure to add ends the test, and the
    // saved regulars agree with the stakes that were really added (none here).
    store.close();
    ui.messages.clear();
    EXPECT_EQ(runRegularsTest(regulars, {1}, 99, archive, store, settings, ratings, 9, progress, ui), 0);
    EXPECT_FALSE(ui.messages.empty());
    EXPECT_EQ(archive.drawsOffset(), 1);
    ASSERT_TRUE(saved.load(progress, ui));
    EXPECT_EQ(saved.items()[1].stakes, 3);
    EXPECT_EQ(saved.items()[1].current, (TComb{{1, 2, 67, 68, 69}}));
}

}  // namespace
}  // namespace tavlora
