#include "workspace/comb_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <atomic>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/error.h"
#include "core/file_util.h"
#include "core/format.h"
#include "core/game.h"
#include "core/parallel.h"
#include "core/settings.h"
#include "test_support.h"
#include "workspace/lcv_file.h"

using namespace tavlora;

namespace {

TComb comb(int a, int b, int c, int d, int e) {
    TComb t;
    t.n = {static_cast<uint8_t>(a), static_cast<uint8_t>(b), static_cast<uint8_t>(c), static_cast<uint8_t>(d),
           static_cast<uint8_t>(e)};
    return t;
}

TDraw draw(int number, int a, int b, int c, int d, int e) {
    TDraw dr;
    dr.number = number;
    dr.nums = comb(a, b, c, d, e).n;
    dr.extra = 1;
    return dr;
}

// The generator's rule written as plainly as possible: five nested loops, one test per mode.
TCombsArray referenceGenerate(int mode, const std::set<int>& mine) {
    TCombsArray out;
    std::array<int, 256> flag{};
    for (int v : mine) flag[static_cast<std::size_t>(v)] = 1;
    auto in = [&](int v) { return flag[static_cast<std::size_t>(v)]; };
    for (int a = 1; a <= 65; ++a)
        for (int b = a + 1; b <= 66; ++b)
            for (int c = b + 1; c <= 67; ++c)
                for (int d = c + 1; d <= 68; ++d)
                    for (int e = d + 1; e <= 69; ++e) {
                        const int hits = in(a) + in(b) + in(c) + in(d) + in(e);
                        const bool keep = mode == 0 || (mode == 1 && hits > 0) || (mode == 2 && hits == 5) ||
                                          (mode == 3 && hits == 0);
                        if (keep) out.push_back(comb(a, b, c, d, e));
                    }
    return out;
}

// Records every status text.
class RecordingProgress : public NullProgress {
public:
    void setText(const std::string& text) override { texts.push_back(text); }
    std::vector<std::string> texts;
};

// The sample archive, read with a tiny reader of its "number;"date";n1;..;n5;extra" lines.
TDrawsArray sampleDraws() {
    TDrawsArray draws;
    std::ifstream in(std::string(TAVLORA_SAMPLE_DIR) + "/draws.csv");
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> f;
        std::stringstream ss(line);
        std::string cell;
        while (std::getline(ss, cell, ';')) f.push_back(cell);
        if (f.size() < 8) continue;
        draws.push_back(draw(std::stoi(f[0]), std::stoi(f[2]), std::stoi(f[3]), std::stoi(f[4]), std::stoi(f[5]),
                             std::stoi(f[6])));
    }
    return draws;
}

TComb sortedOf(TComb c) {
    std::sort(c.n.begin(), c.n.end());
    return c;
}

}  // namespace

TEST(CombList, GeneratorNumberSetAndCounts) {
    const auto set = parseGeneratorNumbers(" 3, x ;300;-1; 255;;69");
    EXPECT_TRUE(set.test(3));
    EXPECT_TRUE(set.test(255));
    EXPECT_TRUE(set.test(69));
    EXPECT_TRUE(set.test(0));  // "x" and the empty word read as 0
    EXPECT_EQ(set.count(), 4u);

    EXPECT_EQ(generatedCount(0, {}), kFullCombCount);
    EXPECT_EQ(generatedCount(1, parseGeneratorNumbers("1")), 814385u);  // C(68,4)
    EXPECT_EQ(generatedCount(2, parseGeneratorNumbers("1;2;3;4")), 0u);
    EXPECT_EQ(generatedCount(2, parseGeneratorNumbers("1;2;3;4;5;6;7")), 21u);
    EXPECT_EQ(generatedCount(3, parseGeneratorNumbers("")), kFullCombCount);
    // Numbers above 69 are taken into the set but never match.
    EXPECT_EQ(generatedCount(2, parseGeneratorNumbers("1;2;3;4;70;71;200")), 0u);
}

TEST(CombList, GenerationModesWithFewNumbers) {
    TCombList list;
    NullProgress progress;
    ScriptedInteraction ui;

    ASSERT_TRUE(list.generate(2, "1;2;3;4", progress, ui));
    EXPECT_TRUE(list.empty());

    ASSERT_TRUE(list.generate(1, "", progress, ui));
    EXPECT_TRUE(list.empty());

    ASSERT_TRUE(list.generate(2, "5;1;3;2;4;70;200", progress, ui));
    ASSERT_EQ(list.count(), 1u);
    EXPECT_EQ(list.at(0), comb(1, 2, 3, 4, 5));

    ASSERT_TRUE(list.generate(2, "10, 20; 30 ;40;50;60;69", progress, ui));
    EXPECT_EQ(list.combs(), referenceGenerate(2, {10, 20, 30, 40, 50, 60, 69}));

    // Mode 3 with a large set leaves the combinations of the few remaining numbers.
    std::string many;
    std::set<int> mine;
    for (int v = 1; v <= 60; ++v) {
        many += std::to_string(v) + ";";
        mine.insert(v);
    }
    ASSERT_TRUE(list.generate(3, many, progress, ui));
    EXPECT_EQ(list.count(), 126u);  // C(9,5)
    EXPECT_EQ(list.combs(), referenceGenerate(3, mine));

    ASSERT_TRUE(list.generate(1, "1", progress, ui));
    EXPECT_EQ(list.count(), 814385u);
    EXPECT_TRUE(std::all_of(list.combs().begin(), list.combs().end(), [](const TComb& c) { return c.n[0] == 1; }));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(list.canUndo());

    ASSERT_FALSE(list.generate(9, "", progress, ui));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Ошибка генерации файла комбинаций!\r\r"
                                   "Неизвестный режим генерации списка комбинаций: 9");
    EXPECT_EQ(list.count(), 814385u);  // the list stays as it was
}

TEST(CombList, ParallelGenerationEqualsSequentialReference) {
    TCombList list;
    NullProgress progress;
    ScriptedInteraction ui;
    // The full list once: lexicographic order, every combination exactly once.
    ASSERT_TRUE(list.generate(3, "", progress, ui));
    ASSERT_EQ(list.count(), kFullCombCount);
    EXPECT_EQ(list.at(0), comb(1, 2, 3, 4, 5));
    EXPECT_EQ(list.at(kFullCombCount - 1), comb(65, 66, 67, 68, 69));
    EXPECT_TRUE(std::is_sorted(list.combs().begin(), list.combs().end(),
                               [](const TComb& x, const TComb& y) { return x.n < y.n; }));
    EXPECT_TRUE(std::adjacent_find(list.combs().begin(), list.combs().end()) == list.combs().end());

    // Mode 1 on one worker and on several: both equal the nested-loop reference.
    const std::set<int> mine{60, 65, 69, 0, 100};
    const TCombsArray expected = referenceGenerate(1, mine);
    for (unsigned workers : {1u, 3u}) {
        setWorkerCountOverride(workers);
        ASSERT_TRUE(list.generate(1, "60;65;69;0;100", progress, ui));
        EXPECT_EQ(list.combs(), expected) << workers << " workers";
    }
    setWorkerCountOverride(0);
}

TEST(CombList, UndoDisciplineAndAppliedFilters) {
    TCombList list;
    NullProgress progress;
    ScriptedInteraction ui;
    ASSERT_TRUE(list.generate(2, "1;2;3;4;5;6;7", progress, ui));
    const TCombsArray original = list.combs();
    ASSERT_EQ(original.size(), 21u);
    EXPECT_FALSE(list.canUndo());

    // Remove selected: indices beyond the list and repeats are ignored.
    ASSERT_TRUE(list.removeSelected({0, 5, 5, 20, 99}, progress));
    ASSERT_EQ(list.count(), 18u);
    EXPECT_EQ(list.at(0), original[1]);
    EXPECT_EQ(list.at(4), original[6]);
    EXPECT_EQ(list.at(17), original[19]);
    ASSERT_EQ(list.appliedFilters().size(), 1u);
    EXPECT_EQ(list.appliedFilters()[0], (TAppliedFilter{"Выделенные комбинации", "3", 18, TFilterIcon::Remove}));
    EXPECT_TRUE(list.canUndo());

    // A keep step with a test supplied by the caller, then its row.
    ASSERT_TRUE(list.filterStep(TCombFilterMode::Keep, [](const TComb& c) { return combContains(7, c); }, progress));
    list.addAppliedFilter("Числа", "7", false);
    for (const TComb& c : list.combs()) EXPECT_TRUE(combContains(7, c));
    EXPECT_EQ(list.count(), 13u);  // C(6,4) = 15 hold 7; rows 5 (1 2 3 6 7) and 20 (3 4 5 6 7) are gone
    EXPECT_EQ(list.appliedFilters().back().icon, TFilterIcon::Keep);
    EXPECT_EQ(list.appliedFilters().back().count, 13);

    // One level of undo: back to the 18, the row of the keep step goes; a second undo is refused.
    ASSERT_TRUE(list.undo(progress));
    EXPECT_EQ(list.count(), 18u);
    EXPECT_EQ(list.appliedFilters().size(), 1u);
    EXPECT_FALSE(list.canUndo());
    EXPECT_FALSE(list.undo(progress));
    EXPECT_EQ(list.count(), 18u);
    EXPECT_EQ(list.appliedFilters().size(), 1u);

    // Remove mode with an index-aware test keeps the others in order.
    ASSERT_TRUE(list.filterStep(TCombFilterMode::Remove, [](const TComb&, std::size_t i) { return i % 2 == 0; }, progress));
    ASSERT_EQ(list.count(), 9u);
    EXPECT_EQ(list.at(0), original[2]);
    list.addUndoRow();
    EXPECT_EQ(list.appliedFilters().back(), (TAppliedFilter{"Отмена последней операции", "", 9, TFilterIcon::Undo}));

    // An explicit undo point of an unchanged list, then undo: same list.
    list.takeUndoPoint(progress);
    EXPECT_TRUE(list.canUndo());
    const TCombsArray before = list.combs();
    ASSERT_TRUE(list.undo(progress));
    EXPECT_EQ(list.combs(), before);

    // Generation clears the applied filters and leaves no undo.
    ASSERT_TRUE(list.removeSelected({0}, progress));
    ASSERT_TRUE(list.generate(2, "1;2;3;4;5;6", progress, ui));
    EXPECT_TRUE(list.appliedFilters().empty());
    EXPECT_FALSE(list.canUndo());
}

TEST(CombList, StoppedStepLeavesTheListAsBefore) {
    TCombList list;
    NullProgress progress;
    ScriptedInteraction ui;
    ASSERT_TRUE(list.generate(1, "7", progress, ui));
    const TCombsArray before = list.combs();

    // Stop raised by the test itself in the middle of the pass.
    std::atomic<int> calls{0};
    const bool done = list.filterStep(
        TCombFilterMode::Keep,
        [&](const TComb& c) {
            if (++calls == 50000) progress.requestStop();
            return c.n[1] == 8;
        },
        progress);
    EXPECT_FALSE(done);
    EXPECT_EQ(list.combs(), before);
    EXPECT_TRUE(list.appliedFilters().empty());

    // Stop already raised: generation, remove-last and remove-selected change nothing.
    const TDrawsArray draws{draw(1, 7, 8, 9, 10, 11)};
    EXPECT_FALSE(list.generate(0, "", progress, ui));
    EXPECT_EQ(list.combs(), before);
    EXPECT_FALSE(list.removeLastDraws(draws, 0, 1, progress));
    EXPECT_EQ(list.combs(), before);
    EXPECT_FALSE(list.removeSelected({0, 1, 2}, progress));
    EXPECT_EQ(list.combs(), before);
    EXPECT_TRUE(list.appliedFilters().empty());
    EXPECT_TRUE(ui.messages.empty());
    progress.reset();

    // A failing test leaves the list as before too.
    EXPECT_THROW(list.filterStep(TCombFilterMode::Remove, [](const TComb&) -> bool { throw EError("boom"); }, progress),
                 EError);
    EXPECT_EQ(list.combs(), before);
}

TEST(CombList, RemoveLastDrawsIgnoresOrderAndClampsToTheArchive) {
    TCombList list;
    NullProgress progress;
    ScriptedInteraction ui;
    ASSERT_TRUE(list.pasteText("5 4 3 2 1\r\n1 11 2 3 4\r\n1 2 3 4 6\r\n4 5 6 7 8\r\n1 2 3 4 7\r\n", progress, ui));
    const TDrawsArray draws{draw(10, 3, 1, 2, 5, 4), draw(11, 1, 2, 4, 3, 9), draw(12, 8, 7, 6, 5, 4),
                            draw(13, 1, 2, 3, 4, 7)};

    // End index 2 (the newest draw hidden), N far beyond the archive: draws 0..2 are considered.
    ASSERT_TRUE(list.removeLastDraws(draws, 2, 1000, progress));
    EXPECT_EQ(list.combs(), (TCombsArray{comb(1, 11, 2, 3, 4), comb(1, 2, 3, 4, 6), comb(1, 2, 3, 4, 7)}));
    EXPECT_EQ(list.appliedFilters().back(), (TAppliedFilter{"Последние тиражи", "1000", 3, TFilterIcon::Remove}));

    // N = 1 at the end index: only the newest visible draw.
    ASSERT_TRUE(list.removeLastDraws(draws, 3, 1, progress));
    EXPECT_EQ(list.combs(), (TCombsArray{comb(1, 11, 2, 3, 4), comb(1, 2, 3, 4, 6)}));

    // N = 0 and an end index before the archive consider no draw, but still make a step.
    ASSERT_TRUE(list.removeLastDraws(draws, 3, 0, progress));
    ASSERT_TRUE(list.removeLastDraws(draws, -1, 5, progress));
    EXPECT_EQ(list.count(), 2u);
    EXPECT_EQ(list.appliedFilters().size(), 4u);
    EXPECT_TRUE(list.canUndo());
}

TEST(CombList, RemoveLastDrawsOfTheSampleArchiveFromTheFullList) {
    const TDrawsArray draws = sampleDraws();
    ASSERT_EQ(draws.size(), 1390u);
    TCombList list;
    RecordingProgress progress;
    ScriptedInteraction ui;
    ASSERT_TRUE(list.generate(0, "", progress, ui));

    const int end = static_cast<int>(draws.size()) - 1 - 10;  // offset 10
    std::set<std::array<uint8_t, 5>> removed;
    for (int i = end - 99; i <= end; ++i) removed.insert(sortedOf(drawNumbers(draws[i])).n);
    progress.texts.clear();
    ASSERT_TRUE(list.removeLastDraws(draws, end, 100, progress));
    EXPECT_EQ(list.count(), kFullCombCount - removed.size());
    EXPECT_FALSE(list.containsCombination(sortedOf(drawNumbers(draws[end]))));
    EXPECT_FALSE(list.containsCombination(sortedOf(drawNumbers(draws[end - 99]))));
    const TComb older = sortedOf(drawNumbers(draws[end - 100]));
    if (!removed.count(older.n)) {
        EXPECT_TRUE(list.containsCombination(older));
    }
    EXPECT_TRUE(list.containsCombination(sortedOf(drawNumbers(draws.back()))) ||
                removed.count(sortedOf(drawNumbers(draws.back())).n));

    // Status, then the percentage at most every 1 %, the last one 100 %, and the status cleared.
    ASSERT_GE(progress.texts.size(), 3u);
    EXPECT_EQ(progress.texts.front(), "Удаление из списка комбинаций 100 последних тиражей...");
    EXPECT_LE(progress.texts.size(), 110u);
    EXPECT_EQ(progress.texts[progress.texts.size() - 2],
              "Удаление из списка комбинаций 100 последних тиражей ( завершено 100 % )...");
    EXPECT_EQ(progress.texts.back(), "");

    // Undo gives the full list back.
    ASSERT_TRUE(list.undo(progress));
    EXPECT_EQ(list.count(), kFullCombCount);
}

TEST(CombList, SaveAndOpenFiles) {
    test::TempDir dir;
    TCombList list;
    NullProgress progress;
    ScriptedInteraction ui;
    ASSERT_TRUE(list.pasteText("69 12 5 33 41\n1 2 3 4 5\n8 20 7 6 9", progress, ui));
    const TCombsArray pasted = list.combs();
    ASSERT_TRUE(list.saveFile(dir / "a.lcv", progress, ui));
    EXPECT_EQ(readFileBytes(dir / "a.lcv"), "69;12;5;33;41\r\n1;2;3;4;5\r\n8;20;7;6;9\r\n");

    ASSERT_TRUE(list.removeSelected({0}, progress));
    ASSERT_TRUE(list.openFile(dir / "a.lcv", progress, ui));
    EXPECT_EQ(list.combs(), pasted);
    EXPECT_FALSE(list.canUndo());
    EXPECT_TRUE(list.appliedFilters().empty());

    // Lines that are empty or not five words are skipped.
    writeFileAtomic(dir / "b.lcv", "1;2;3;4;5\r\n\r\n1;2;3;4\r\n 6, 7 ,8,9,10\n1;2;3;4;5;6\r\n69,68,67,66,65\r\n");
    ASSERT_TRUE(list.openFile(dir / "b.lcv", progress, ui));
    EXPECT_EQ(list.combs(), (TCombsArray{comb(1, 2, 3, 4, 5), comb(6, 7, 8, 9, 10), comb(69, 68, 67, 66, 65)}));
    ASSERT_TRUE(ui.messages.empty());

    // A five-word line that is not a combination refuses the file: nothing of it is stored.
    const TCombsArray loaded = list.combs();
    for (const char* text : {"1;2;3;4;5\r\nx;y;z;w;v\r\n", "1;2;3;4;5\r\n\r\n1;2;3;4;300\r\n", "1;2;3;4;70\r\n",
                             "1;2;3;4;0\r\n", "7;7;3;4;5\r\n", "-1;2;3;4;5\r\n"}) {
        SCOPED_TRACE(text);
        writeFileAtomic(dir / "bad.lcv", text);
        ScriptedInteraction bad;
        EXPECT_FALSE(list.openFile(dir / "bad.lcv", progress, bad));
        ASSERT_EQ(bad.messages.size(), 1u);
        EXPECT_NE(bad.messages[0].text.find("неверная комбинация"), std::string::npos) << bad.messages[0].text;
        EXPECT_EQ(list.combs(), loaded);
        EXPECT_FALSE(list.generate(4, (dir / "bad.lcv").string(), progress, bad));
        EXPECT_TRUE(list.empty());
        ASSERT_TRUE(list.openFile(dir / "b.lcv", progress, ui));
    }
    writeFileAtomic(dir / "bad.lcv", "1;2;3;4;5\r\n\r\n1;2;3;4;300\r\n");
    TCombsArray out{comb(9, 8, 7, 6, 5)};
    try {
        readLcvFile(dir / "bad.lcv", out);
        ADD_FAILURE() << "an out-of-range number was read";
    } catch (const EError& e) {
        EXPECT_EQ(std::string(e.what()), "Строка 3: неверная комбинация \"1;2;3;4;300\" (нужны пять разных чисел от 1 до 69).");
    }
    EXPECT_EQ(out, (TCombsArray{comb(9, 8, 7, 6, 5)}));

    // A missing file: the error, the list restored, undo and applied filters dropped.
    ASSERT_TRUE(list.removeSelected({3}, progress));
    const TCombsArray before = list.combs();
    const auto missing = dir / "missing.lcv";
    EXPECT_FALSE(list.openFile(missing, progress, ui));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(ui.messages[0].text.rfind("Ошибка чтения файла \"" + missing.string() + "\"!\r\r", 0), 0u);
    EXPECT_GT(ui.messages[0].text.size(), ("Ошибка чтения файла \"" + missing.string() + "\"!\r\r").size());
    EXPECT_EQ(list.combs(), before);
    EXPECT_FALSE(list.canUndo());
    EXPECT_TRUE(list.appliedFilters().empty());

    // A write error names the file; the old file stays whole.
    const auto bad = dir / "no-such-folder" / "c.lcv";
    EXPECT_FALSE(list.saveFile(bad, progress, ui));
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[1].text.rfind("Ошибка записи в файл \"" + bad.string() + "\"!\r\r", 0), 0u);

    // Mode 4 generates from a file; an unreadable file leaves an empty list after the error.
    ASSERT_TRUE(list.generate(4, (dir / "a.lcv").string(), progress, ui));
    EXPECT_EQ(list.combs(), pasted);
    EXPECT_FALSE(list.generate(4, missing.string(), progress, ui));
    EXPECT_TRUE(list.empty());
    ASSERT_EQ(ui.messages.size(), 3u);
    EXPECT_EQ(ui.messages[2].text.rfind("Ошибка чтения файла \"" + missing.string() + "\"!\r\r", 0), 0u);
}

TEST(CombList, PasteCopyAndQueries) {
    TCombList list;
    NullProgress progress;
    ScriptedInteraction ui;
    ASSERT_TRUE(list.generate(2, "1;2;3;4;5;6", progress, ui));
    const TCombsArray before = list.combs();

    // A text without lines changes nothing.
    EXPECT_FALSE(list.pasteText("", progress, ui));
    EXPECT_EQ(list.combs(), before);

    // A bad line: the error names it, the list is restored, no undo remains.
    ASSERT_TRUE(list.removeSelected({0}, progress));
    const TCombsArray filtered = list.combs();
    EXPECT_FALSE(list.pasteText("1 2 3 4 5\r\n1 2 3 4\r\n", progress, ui));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(ui.messages[0].text, "Некорректная комбинация: \"1 2 3 4\"!");
    EXPECT_EQ(list.combs(), filtered);
    // Numbers that are not numbers, out of range or repeated are refused the same way.
    for (const char* text : {"1 2 3 4 x", "1 2 3 4 70", "0 1 2 3 4", "5 5 1 2 3", "1 2 3 4 300"}) {
        ScriptedInteraction bad;
        EXPECT_FALSE(list.pasteText(std::string("1 2 3 4 5\r\n") + text, progress, bad)) << text;
        ASSERT_EQ(bad.messages.size(), 1u);
        EXPECT_EQ(bad.messages[0].text, std::string("Некорректная комбинация: \"") + text +
                                            "\" (нужны пять разных чисел от 1 до 69)!");
        EXPECT_EQ(list.combs(), filtered);
    }
    EXPECT_FALSE(list.canUndo());
    EXPECT_EQ(list.appliedFilters().size(), 1u);

    // Separators of every kind.
    ASSERT_TRUE(list.pasteText("1\t2,3-4.5\n10|20:30;40 69\r\n", progress, ui));
    EXPECT_EQ(list.combs(), (TCombsArray{comb(1, 2, 3, 4, 5), comb(10, 20, 30, 40, 69)}));
    EXPECT_TRUE(list.appliedFilters().empty());
    // A good paste can be taken back: the list before it returns whole.
    ASSERT_TRUE(list.canUndo());
    ASSERT_TRUE(list.undo(progress));
    EXPECT_EQ(list.combs(), filtered);
    EXPECT_FALSE(list.canUndo());
    ASSERT_TRUE(list.pasteText("1\t2,3-4.5\n10|20:30;40 69\r\n", progress, ui));

    EXPECT_EQ(list.copyText({1, 0, 7}, progress), "01 02 03 04 05\r\n10 20 30 40 69");
    EXPECT_EQ(list.copyText({}, progress), "");

    EXPECT_EQ(list.uniqueNumberCount(), 10);
    list.showUniqueNumbers(ui);
    EXPECT_EQ(ui.messages.back().text, "В текущем списке комбинаций содержится 10 уникальных номеров");
    ASSERT_TRUE(list.pasteText("1 2 3 4 5\n5 4 3 2 1", progress, ui));
    EXPECT_EQ(list.uniqueNumberCount(), 5);

    // Contains is byte by byte: the order matters.
    ASSERT_TRUE(list.pasteText("5 4 3 2 1\n7 8 9 10 11", progress, ui));
    EXPECT_TRUE(list.containsCombination(comb(5, 4, 3, 2, 1)));
    EXPECT_FALSE(list.containsCombination(comb(1, 2, 3, 4, 5)));
    EXPECT_TRUE(list.containsCombination(comb(7, 8, 9, 10, 11)));
}

TEST(CombList, FindInDraws) {
    TDrawsArray draws;
    for (int i = 1; i <= 30; ++i) draws.push_back(draw(i, 5, 4, 3, 2, 1));
    draws.push_back(draw(31, 1, 2, 3, 4, 6));
    ScriptedInteraction ui;
    NullProgress progress;

    const auto lines = TCombList::findInDraws(comb(1, 2, 3, 4, 5), draws);
    // Newest first; the scan stops once more than 25 draws are listed.
    ASSERT_EQ(lines.size(), 26u);
    EXPECT_EQ(lines.front(), "Тираж № 30 от , значения: 5;4;3;2;1 e:1");
    EXPECT_EQ(lines.back(), "Тираж № 5 от , значения: 5;4;3;2;1 e:1");

    TCombList::showFindInDraws(comb(6, 4, 3, 2, 1), draws, progress, ui);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].kind, MessageKind::Information);
    EXPECT_EQ(ui.messages[0].text,
              "Выделенная комбинация найдена в следующих тиражах:\r\rТираж № 31 от , значения: 1;2;3;4;6 e:1");
    TCombList::showFindInDraws(comb(1, 2, 3, 4, 7), draws, progress, ui);
    EXPECT_EQ(ui.messages[1].text, "Выделенная комбинация не найдена архиве тиражей!");
}

TEST(CombList, BufferFileCache) {
    test::TempDir dir;
    const auto file = dir / "Tavlora_5d69.~buff";
    TCombList list(file);
    RecordingProgress progress;
    ScriptedInteraction ui;
    ASSERT_TRUE(list.pasteText("5 4 3 2 1\n7 8 9 10 11\n69 68 67 66 65", progress, ui));
    const TCombsArray saved = list.combs();

    EXPECT_EQ(list.bufferKey(), std::make_pair(-1, -1));
    EXPECT_FALSE(list.loadBuffer(0, 5, progress, ui));
    ASSERT_TRUE(list.saveBuffer(0, 5, progress, ui));
    EXPECT_EQ(readFileBytes(file), std::string("\5\4\3\2\1\7\10\11\12\13\105\104\103\102\101", 15));
    // The progress text follows the records written (every record of so short a list).
    for (const char* done : {"33", "67", "100"})
        EXPECT_NE(std::find(progress.texts.begin(), progress.texts.end(),
                            "Создание буфера комбинаций ( завершено " + std::string(done) + " % )..."),
                  progress.texts.end())
            << done;
    EXPECT_EQ(list.bufferKey(), std::make_pair(0, 5));

    // The same key does not write again.
    std::filesystem::remove(file);
    ASSERT_TRUE(list.saveBuffer(0, 5, progress, ui));
    EXPECT_FALSE(std::filesystem::exists(file));
    ASSERT_TRUE(list.saveBuffer(1, 5, progress, ui));
    EXPECT_TRUE(std::filesystem::exists(file));

    ASSERT_TRUE(list.removeSelected({0, 1}, progress));
    EXPECT_FALSE(list.loadBuffer(0, 5, progress, ui));  // another key: nothing happens
    EXPECT_EQ(list.count(), 1u);
    EXPECT_TRUE(list.canUndo());
    progress.texts.clear();
    ASSERT_TRUE(list.loadBuffer(1, 5, progress, ui));
    EXPECT_EQ(list.combs(), saved);
    ASSERT_FALSE(progress.texts.empty());
    EXPECT_EQ(progress.texts.front(), "Загрузка буфера комбинаций...");
    EXPECT_NE(std::find(progress.texts.begin(), progress.texts.end(),
                        "Загрузка буфера комбинаций ( завершено 100 % )..."),
              progress.texts.end());

    // A trailing partial record is ignored.
    writeFileAtomic(file, std::string("\1\2\3\4\5\6\7", 7));
    ASSERT_TRUE(list.loadBuffer(1, 5, progress, ui));
    EXPECT_EQ(list.combs(), (TCombsArray{comb(1, 2, 3, 4, 5)}));

    list.dropBuffer();
    EXPECT_EQ(list.bufferKey(), std::make_pair(-1, -1));
    EXPECT_FALSE(std::filesystem::exists(file));
    list.dropBuffer();  // nothing to delete: no error

    // A failed write forgets the key, so a later load cannot pick up a stale file.
    TCombList other(dir / "missing-folder" / "x.~buff");
    EXPECT_FALSE(other.saveBuffer(2, 3, progress, ui));
    EXPECT_EQ(other.bufferKey(), std::make_pair(-1, -1));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text.rfind("Ошибка создания буфера комбинаций!\r\r", 0), 0u);
    EXPECT_TRUE(ui.messages.size() == 1u);
}

TEST(CombList, GeneratorMemoryRoundTrip) {
    test::TempDir dir;
    const auto ini = dir / "Tavlora_5d69.ini";
    TSettings settings;
    settings.setGeneratorMemory(2, "1;2;3;4;5;6");
    settings.saveGeneratorMemory(ini);
    TSettings loaded;
    loaded.loadGeneratorMemory(ini);
    EXPECT_EQ(loaded.generateMode, 2);
    EXPECT_EQ(loaded.generateParameters, "1;2;3;4;5;6");
    TCombList list;
    NullProgress progress;
    ScriptedInteraction ui;
    ASSERT_TRUE(list.generate(loaded, progress, ui));
    EXPECT_EQ(list.count(), 6u);

    // The key holds 255 Windows-1251 bytes: a longer parameter is cut to that many letters.
    std::string letters;
    for (int i = 0; i < 300; ++i) letters += "ж";
    settings.setGeneratorMemory(4, letters);
    EXPECT_EQ(settings.generateMode, 4);
    EXPECT_EQ(settings.generateParameters.size(), 255u * 2);  // two UTF-8 bytes a letter
    settings.saveGeneratorMemory(ini);
    loaded.loadGeneratorMemory(ini);
    EXPECT_EQ(loaded.generateParameters, settings.generateParameters);
}

TEST(CombList, ChunkFilterStepEqualsPerCombinationStep) {
    TCombList list;
    NullProgress progress;
    ScriptedInteraction ui;
    ASSERT_TRUE(list.generate(1, "11;22", progress, ui));
    const TCombsArray start = list.combs();
    auto sumIsOdd = [](const TComb& c) { return (c.n[0] + c.n[1] + c.n[2] + c.n[3] + c.n[4]) % 2 == 1; };

    ASSERT_TRUE(list.filterStep(TCombFilterMode::Remove, sumIsOdd, progress));
    const TCombsArray expected = list.combs();
    ASSERT_TRUE(list.undo(progress));
    ASSERT_EQ(list.combs(), start);

    std::vector<std::atomic<long>> perWorker(workerCount());
    ASSERT_TRUE(list.filterStepChunks(
        TCombFilterMode::Remove,
        [&](const TComb* combs, std::size_t, std::size_t count, unsigned worker, uint8_t* matched) {
            perWorker.at(worker) += static_cast<long>(count);
            for (std::size_t k = 0; k < count; ++k) matched[k] = sumIsOdd(combs[k]) ? 1 : 0;
        },
        progress));
    EXPECT_EQ(list.combs(), expected);
    long seen = 0;
    for (auto& w : perWorker) seen += w.load();
    EXPECT_EQ(seen, static_cast<long>(start.size()));
    EXPECT_TRUE(list.canUndo());

    // Keep mode, with the first index of each chunk checked against the pointer given.
    const TCombsArray before = list.combs();
    const TComb* base = list.combs().data();
    std::atomic<bool> indexOk{true};
    ASSERT_TRUE(list.filterStepChunks(
        TCombFilterMode::Keep,
        [&](const TComb* combs, std::size_t first, std::size_t count, unsigned, uint8_t* matched) {
            if (combs != base + first) indexOk = false;
            for (std::size_t k = 0; k < count; ++k) matched[k] = combs[k].n[0] == 11 ? 1 : 0;
        },
        progress));
    EXPECT_TRUE(indexOk.load());
    TCombsArray kept;
    std::copy_if(before.begin(), before.end(), std::back_inserter(kept), [](const TComb& c) { return c.n[0] == 11; });
    EXPECT_EQ(list.combs(), kept);

    // A stop during the test leaves the list as it was.
    ASSERT_TRUE(list.undo(progress));
    const TCombsArray beforeStop = list.combs();
    EXPECT_FALSE(list.filterStepChunks(
        TCombFilterMode::Keep,
        [&](const TComb*, std::size_t, std::size_t count, unsigned, uint8_t* matched) {
            progress.requestStop();
            std::fill(matched, matched + count, 0);
        },
        progress));
    progress.reset();
    EXPECT_EQ(list.combs(), beforeStop);
    EXPECT_EQ(list.combs(), before);
}

// A step that removes nothing keeps the list in place as its own undo point; a step after it
// takes a real undo point again; a stop keeps the list and the undo point it had.
TEST(CombList, AStepThatRemovesNothingIsUndoneWithoutACopy) {
    TCombList list;
    NullProgress progress;
    ScriptedInteraction ui;
    ASSERT_TRUE(list.generate(kGenerateOnlyOf, "1,2,3,4,5,6,7,8,9", progress, ui));
    const TCombsArray start = list.combs();
    auto step = [&](TCombFilterMode mode, auto&& match) {
        return list.filterStepChunks(
            mode,
            [&](const TComb* combs, std::size_t, std::size_t count, unsigned, uint8_t* matched) {
                for (std::size_t k = 0; k < count; ++k) matched[k] = match(combs[k]) ? 1 : 0;
            },
            progress);
    };
    auto never = [](const TComb&) { return false; };
    auto hasOne = [](const TComb& c) { return c.n[0] == 1; };

    ASSERT_TRUE(step(TCombFilterMode::Remove, never));
    EXPECT_EQ(list.combs(), start);
    ASSERT_TRUE(list.canUndo());
    list.addAppliedFilter("nothing", "", true);
    ASSERT_TRUE(list.undo(progress));
    EXPECT_EQ(list.combs(), start);
    EXPECT_TRUE(list.appliedFilters().empty());
    EXPECT_FALSE(list.canUndo());

    // Nothing removed, then a real step: its undo gives the whole list back.
    ASSERT_TRUE(step(TCombFilterMode::Remove, never));
    ASSERT_TRUE(step(TCombFilterMode::Remove, hasOne));
    TCombsArray withoutOne;
    std::copy_if(start.begin(), start.end(), std::back_inserter(withoutOne), [&](const TComb& c) { return !hasOne(c); });
    EXPECT_EQ(list.combs(), withoutOne);
    ASSERT_TRUE(list.undo(progress));
    EXPECT_EQ(list.combs(), start);

    // A stopped step leaves the list and its undo point as they were.
    ASSERT_TRUE(step(TCombFilterMode::Keep, hasOne));
    progress.requestStop();
    EXPECT_FALSE(step(TCombFilterMode::Remove, never));
    progress.reset();
    ASSERT_TRUE(list.canUndo());
    ASSERT_TRUE(list.undo(progress));
    EXPECT_EQ(list.combs(), start);
}

// The kept start list of a scenario run gives what generating (and removing the last draws)
// gives, on a sorted generated list (found by search) and on an unsorted file list with a
// repeated line (tested per combination), repeatedly and after the generation changes.
TEST(CombList, TheKeptStartListEqualsAFreshGenerationLessTheLastDraws) {
    test::TempDir dir;
    NullProgress progress;
    ScriptedInteraction ui;
    TDrawsArray draws;
    for (int i = 1; i <= 30; ++i) {
        TComb c;
        for (int j = 0; j < 5; ++j) c.n[static_cast<std::size_t>(j)] = static_cast<uint8_t>((i * 7 + j * 2) % 12 + 1);
        std::sort(c.n.begin(), c.n.end());
        draws.push_back(draw(i, c.n[0], c.n[1], c.n[2], c.n[3], c.n[4]));
    }
    // The file: some combinations of 1..12 (with the drawn ones) in descending, unsorted order,
    // one of them twice and one with its numbers out of order.
    std::string lines;
    for (int i = 30; i >= 20; --i) lines += fmt("%d;%d;%d;%d;%d\r\n", draws[i - 1].nums[4], draws[i - 1].nums[1],
                                               draws[i - 1].nums[2], draws[i - 1].nums[3], draws[i - 1].nums[0]);
    lines += "1;2;3;4;5\r\n60;61;62;63;64\r\n1;2;3;4;5\r\n";
    const auto file = dir / "start.lcv";
    std::ofstream(file, std::ios::binary) << lines;

    struct Case {
        uint8_t mode;
        std::string parameters;
        bool sorted;
    };
    const Case cases[] = {{kGenerateOnlyOf, "1,2,3,4,5,6,7,8,9,10,11,12", true},
                          {kGenerateNoneOf, "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26,27,28,"
                                            "29,30,31,32,33,34,35,36,37,38,39,40,41,42,43,44,45,46,47,48,49,50,51,52,53,"
                                            "54,55,56,57,58,59,60",
                           true},
                          {kGenerateFromFile, file.string(), false}};
    const std::pair<int, int> exclusions[] = {{29, 3}, {29, 0}, {24, 5}, {3, 40}, {29, 30}};
    TCombList kept;
    for (const Case& c : cases) {
        TSettings settings;
        settings.generateMode = c.mode;
        settings.generateParameters = c.parameters;
        TCombList plain;
        for (int round = 0; round < 2; ++round) {
            for (const auto& [end, n] : exclusions) {
                ASSERT_TRUE(plain.generate(settings, progress, ui));
                ASSERT_TRUE(plain.removeLastDraws(draws, end, n, progress));
                ASSERT_TRUE(kept.generateKeptWithoutLastDraws(settings, draws, end, n, progress, ui));
                EXPECT_EQ(kept.combs(), plain.combs()) << c.parameters << " " << end << " " << n;
                EXPECT_EQ(kept.appliedFilters(), plain.appliedFilters());
                EXPECT_FALSE(kept.canUndo());
                EXPECT_EQ(kept.keptIsSorted(), c.sorted) << c.parameters;
            }
            ASSERT_TRUE(plain.generate(settings, progress, ui));
            kept.addAppliedFilter("before", "", true);
            ASSERT_TRUE(kept.generateKept(settings, progress, ui));
            EXPECT_EQ(kept.combs(), plain.combs());
            EXPECT_TRUE(kept.appliedFilters().empty());
        }
        EXPECT_TRUE(kept.holdsKept());
    }
    EXPECT_TRUE(ui.messages.empty());
    kept.releaseKept();
    EXPECT_FALSE(kept.holdsKept());
}
