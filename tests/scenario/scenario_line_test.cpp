// Text forms of scenario lines, options and filters; code tables and captions.
#include <gtest/gtest.h>

#include "core/records.h"
#include "scenario/scenario_line.h"
#include "stats/stat_list.h"

namespace tavlora {
namespace {

// A registry with every available method (no archive needed to resolve codes).
struct Registry {
    TSettings settings;
    TDrawsArray draws;
    TStatList list{settings, draws};
    Registry() { list.rebuild(); }
};

TEST(ScenarioOptions, DefaultsAndRoundTrips) {
    EXPECT_EQ(ScenarioOptions{}.text(), "FULL:0#RAND");
    EXPECT_EQ(ScenarioOptions::parse(""), ScenarioOptions{});

    const ScenarioOptions o = ScenarioOptions::parse("EXCL:5#ALL#CLR#NEX");
    EXPECT_EQ(o.source, ssExcl);
    EXPECT_EQ(o.excludeCount, 5);
    EXPECT_EQ(o.resultMode, srAll);
    EXPECT_TRUE(o.clearStakes);
    EXPECT_TRUE(o.newOnly);
    EXPECT_EQ(o.text(), "EXCL:5#ALL#CLR#NEX");

    // Every source and result mode survives writing and reading.
    for (int s = 0; s < kScenarioSourceCount; ++s)
        for (int r = 0; r < kScenarioResultCount; ++r) {
            ScenarioOptions x;
            x.source = static_cast<uint8_t>(s);
            x.resultMode = static_cast<uint8_t>(r);
            x.excludeCount = 3 * s + r;
            x.newOnly = (r % 2) == 1;
            EXPECT_EQ(ScenarioOptions::parse(x.text()), x) << x.text();
        }
}

TEST(ScenarioOptions, LenientReading) {
    const ScenarioOptions o = ScenarioOptions::parse("excl:7#last");
    EXPECT_EQ(o.source, ssExcl);
    EXPECT_EQ(o.excludeCount, 7);
    EXPECT_EQ(o.resultMode, srLast);
    EXPECT_FALSE(o.clearStakes);
    EXPECT_FALSE(o.newOnly);

    // Runs of "#" collapse, blanks around sub-fields are trimmed, unknown words are ignored.
    const ScenarioOptions p = ScenarioOptions::parse(" CURR ## sysc # foo #nex");
    EXPECT_EQ(p.source, ssCurr);
    EXPECT_EQ(p.excludeCount, 0);
    EXPECT_EQ(p.resultMode, srSysC);
    EXPECT_FALSE(p.clearStakes);
    EXPECT_TRUE(p.newOnly);

    // Unknown codes fall back to index 0; an unreadable count is 0; the result code must match whole.
    const ScenarioOptions q = ScenarioOptions::parse("XYZ:abc#RANDOM#CLR");
    EXPECT_EQ(q.source, ssFull);
    EXPECT_EQ(q.excludeCount, 0);
    EXPECT_EQ(q.resultMode, srRand);
    EXPECT_TRUE(q.clearStakes);
    EXPECT_EQ(q.text(), "FULL:0#RAND#CLR");
}

TEST(ScenarioOptions, DisplayAndStakeTexts) {
    EXPECT_EQ(ScenarioOptions{}.displayText(), "Исходный список; Случайно; Все создаваемые ставки");
    EXPECT_EQ(ScenarioOptions::parse("EXCL:5#ALL#CLR#NEX").displayText(),
              "Исключить 5 тиражей; Все; Удалить ставки; Только новые ставки");
    EXPECT_EQ(ScenarioOptions::parse("CURR:0#NONE#CLR").displayText(),
              "Текущий список; Не делать ставок; Удалить ставки; Все создаваемые ставки");

    // The stake text drops the count unless EXCL and never writes CLR.
    EXPECT_EQ(ScenarioOptions::parse("FULL:9#FIRST#CLR").stakeText(), "FULL#FIRST");
    EXPECT_EQ(ScenarioOptions::parse("EXCL:5#SYSA#CLR#NEX").stakeText(), "EXCL:5#SYSA#NEX");
}

TEST(ScenarioCodeTables, CaptionsAndOutOfRange) {
    EXPECT_EQ(sourceCaption(2), "Текущий список (для последовательного выполнения)");
    EXPECT_EQ(sourceShortCaption(1, 12), "Исключить 12 тиражей");
    EXPECT_EQ(resultCaption(6), "Остановить выполнение сценария");
    EXPECT_EQ(selectionModeCode(31), "LVA");
    EXPECT_EQ(selectionModeCaption(1), "\"Глубина\": не менее заданного значения");
    EXPECT_EQ(stopModeCode(2), "SZ");
    EXPECT_EQ(stopModeCaption(5), "Процентному соотношению в списке статистики");
    for (int bad : {-1, 99}) {
        EXPECT_EQ(sourceCaption(bad), kScenarioBadCaption);
        EXPECT_EQ(sourceShortCaption(bad, 1), kScenarioBadCaption);
        EXPECT_EQ(resultCaption(bad), kScenarioBadCaption);
        EXPECT_EQ(resultShortCaption(bad), kScenarioBadCaption);
        EXPECT_EQ(selectionModeCaption(bad), kScenarioBadCaption);
        EXPECT_EQ(stopModeCaption(bad), kScenarioBadCaption);
        EXPECT_EQ(resultCode(bad), "");
    }
    EXPECT_EQ(resultCaption(kScenarioResultCount), kScenarioBadCaption);
    EXPECT_EQ(selectionModeCaption(kSelectionModeCount), kScenarioBadCaption);
    EXPECT_EQ(stopModeCaption(kScenarioStopCount), kScenarioBadCaption);

    // Every selection and stop code reads back as its own index.
    for (int m = 0; m < kSelectionModeCount; ++m) {
        const TFilterItem f = TFilterItem::parse("TSD1#X:1#" + selectionModeCode(m) + ":2#SF:1", nullptr);
        EXPECT_EQ(f.selectionMode, m);
    }
    for (int m = 0; m < kScenarioStopCount; ++m) {
        const TFilterItem f = TFilterItem::parse("TSD1#X:1#LNO:#" + stopModeCode(m) + ":4", nullptr);
        EXPECT_EQ(f.stopMode, m);
        EXPECT_EQ(f.stopValue, 4);
    }

    int lists = 0, expanding = 0;
    for (int m = 0; m < 40; ++m) {
        lists += isListSelectionMode(m);
        expanding += expandsSelectionValues(m);
    }
    EXPECT_EQ(lists, 11);
    EXPECT_EQ(expanding, 24);
    EXPECT_TRUE(expandsSelectionValues(24));  // a list mode that still expands per value
    EXPECT_FALSE(expandsSelectionValues(5));
    EXPECT_FALSE(expandsSelectionValues(31));
}

TEST(TFilterItem, FlagsAndSortColumn) {
    const TFilterItem tsd = TFilterItem::parse("TSD#X:1", nullptr);
    EXPECT_TRUE(tsd.used);
    EXPECT_EQ(tsd.sortColumn, 1);
    EXPECT_FALSE(tsd.bottomUp || tsd.multiSelect || tsd.keepSelected);

    const TFilterItem bmf = TFilterItem::parse("BMF12#X:1", nullptr);
    EXPECT_EQ(bmf.sortColumn, 12);
    EXPECT_TRUE(bmf.bottomUp);
    EXPECT_TRUE(bmf.multiSelect);
    EXPECT_TRUE(bmf.keepSelected);

    // Flags are case-sensitive; an unreadable number gives column 1.
    const TFilterItem lower = TFilterItem::parse("bmf7#X:1", nullptr);
    EXPECT_FALSE(lower.bottomUp || lower.multiSelect || lower.keepSelected);
    EXPECT_EQ(lower.sortColumn, 7);
    EXPECT_EQ(TFilterItem::parse("TSDx#X:1", nullptr).sortColumn, 1);

    const TFilterItem empty = TFilterItem::parse("   ", nullptr);
    EXPECT_FALSE(empty.used);
    EXPECT_EQ(empty.sortColumn, 0);
    EXPECT_EQ(empty.text(), "");
}

TEST(TFilterItem, MethodResolvedThroughTheRegistry) {
    Registry r;
    const std::string text = "BSF3#nums:100,200#lmv:1-3;1#sv:5";
    const TFilterItem f = TFilterItem::parse(text, &r.list);
    ASSERT_NE(f.method, nullptr);
    EXPECT_EQ(f.method->code(), "NUMS");
    EXPECT_EQ(&r.list.item(f.methodIndex), f.method);
    EXPECT_EQ(f.drawsText, "100,200");
    EXPECT_EQ(f.selectionMode, 1);
    EXPECT_EQ(f.selectionText, "1-3;1");
    EXPECT_EQ(f.stopMode, stValue);
    EXPECT_EQ(f.stopValue, 5);
    EXPECT_FALSE(f.weightOverride);
    EXPECT_EQ(f.text(), "BSF3#NUMS:100,200#LMV:1-3;1#SV:5");
    EXPECT_EQ((f.drawsList()), (TIntArray{100, 200}));
    EXPECT_EQ((f.selectionList()), (TIntArray{1, 2, 3}));

    // Without a registry the method text stays as read and is written back unchanged.
    const TFilterItem plain = TFilterItem::parse(text, nullptr);
    EXPECT_EQ(plain.method, nullptr);
    EXPECT_EQ(plain.methodIndex, -1);
    EXPECT_EQ(plain.drawsText, "");
    EXPECT_EQ(plain.text(), "BSF3#nums:100,200#LMV:1-3;1#SV:5");

    // An unknown code is kept as text, with or without a registry.
    const TFilterItem unknown = TFilterItem::parse("TSD1#QQQQ9:50#LNO:#SF:1", &r.list);
    EXPECT_EQ(unknown.method, nullptr);
    EXPECT_EQ(unknown.text(), "TSD1#QQQQ9:50#LNO:#SF:1");
}

TEST(TFilterItem, SelectionAndStopDefaults) {
    // No selection sub-field: mode 0, no text; no stop sub-field: mode 0, value 0.
    const TFilterItem a = TFilterItem::parse("TSD2#X:1", nullptr);
    EXPECT_EQ(a.selectionMode, 0);
    EXPECT_EQ(a.stopMode, 0);
    EXPECT_EQ(a.stopValue, 0);
    EXPECT_EQ(a.text(), "TSD2#X:1#LNO:#SF:0");
    // An unknown selection code leaves mode 0 and drops its text; an unreadable stop value is 1.
    const TFilterItem b = TFilterItem::parse("TSD2#X:1#QQQ:5#ST:many", nullptr);
    EXPECT_EQ(b.selectionMode, 0);
    EXPECT_EQ(b.selectionText, "");
    EXPECT_EQ(b.stopMode, stSteps);
    EXPECT_EQ(b.stopValue, 1);
}

TEST(TFilterItem, WeightBlockReadLeniently) {
    const TFilterItem f = TFilterItem::parse("TSD1#X:1#LNO:#SF:1#1,5:-2.25abc:x7:1:0", nullptr);
    ASSERT_TRUE(f.weightOverride);
    EXPECT_EQ(f.weights.count, 1.5L);
    EXPECT_EQ(f.weights.deviation, -2.25L);
    EXPECT_EQ(f.weights.level, 7.0L);
    EXPECT_TRUE(f.weights.usePercents);
    EXPECT_FALSE(f.weights.useAbsValues);
    EXPECT_EQ(f.text(), "TSD1#X:1#LNO:#SF:1#1.5:-2.25:7:1:0");

    // Unreadable numbers give 0; flags are set only by "1".
    const TFilterItem g = TFilterItem::parse("TSD1#X:1#LNO:#SF:1#1.2.3:--:abc:yes:1", nullptr);
    EXPECT_EQ(g.weights.count, 0.0L);
    EXPECT_EQ(g.weights.deviation, 0.0L);
    EXPECT_EQ(g.weights.level, 0.0L);
    EXPECT_FALSE(g.weights.usePercents);
    EXPECT_TRUE(g.weights.useAbsValues);

    EXPECT_EQ(readLenientReal("0,125"), 0.125L);
    EXPECT_EQ(readLenientReal(" 3 "), 3.0L);
    EXPECT_EQ(readLenientReal(""), 0.0L);
}

TEST(TFilterItem, CoefficientsWrittenShortAndExact) {
    // Values that need many digits or would print in exponent form still read back exactly.
    for (long double v : {0.1L, -1.0L / 3.0L, 1e-7L, 123456789.125L, 2.0L / 7.0L, 1e20L}) {
        const std::string t = coefficientText(v);
        EXPECT_EQ(t.find_first_of("eE"), std::string::npos) << t;
        EXPECT_EQ(readLenientReal(t), v) << t;
    }
    EXPECT_EQ(coefficientText(0.1L), "0.1");
    EXPECT_EQ(coefficientText(-0.0L), "0");
    EXPECT_EQ(coefficientText(-3.0L), "-3");
}

TEST(ScenarioLineText, FilterThreeOnlyLayout) {
    std::array<std::string, kScenarioFilterCount> filters;
    filters[2] = "TSD1#X:100#LNO:#SF:1";
    const std::string text = joinScenarioLine("FULL:0#RAND", filters, "");
    EXPECT_EQ(text, "FULL:0#RAND| | |TSD1#X:100#LNO:#SF:1| | | | |");

    const ScenarioLine line = ScenarioLine::parse(text, nullptr);
    EXPECT_FALSE(line.separator);
    EXPECT_EQ(line.usedFilterCount(), 1);
    for (int i = 0; i < kScenarioFilterCount; ++i) EXPECT_EQ(line.filters[static_cast<size_t>(i)].used, i == 2) << i;
    EXPECT_EQ(line.comment, "");
    EXPECT_EQ(line.text(), text);
}

TEST(ScenarioLineText, FieldsCommentsAndSeparators) {
    EXPECT_TRUE(isSeparatorLine(""));
    EXPECT_TRUE(isSeparatorLine(" \t "));
    EXPECT_FALSE(isSeparatorLine("|"));
    const ScenarioLine sep = ScenarioLine::parse("  ", nullptr);
    EXPECT_TRUE(sep.separator);
    EXPECT_EQ(sep.text(), "");
    for (const auto& c : sep.cells()) EXPECT_EQ(c, "");

    // Leading separators are skipped and runs collapse; a "|" in the comment truncates it.
    const ScenarioLineFields f = splitScenarioLine("||EXCL:1#ALL|| A |B| | | | | |Мой комментарий|хвост");
    EXPECT_EQ(f.options, "EXCL:1#ALL");
    EXPECT_EQ(f.filters[0], "A");
    EXPECT_EQ(f.filters[1], "B");
    EXPECT_EQ(f.filters[6], "");
    EXPECT_EQ(f.comment, "Мой комментарий");

    // Filter and comment texts are written as given; blank ones become one space / nothing.
    std::array<std::string, kScenarioFilterCount> filters{" A ", "", "  "};
    EXPECT_EQ(joinScenarioLine("O", filters, "  "), "O| A | | | | | | |");
    EXPECT_EQ(joinScenarioLine("O", filters, " c "), "O| A | | | | | | | c ");
}

TEST(ScenarioLineText, CanonicalCells) {
    Registry r;
    const ScenarioLine line =
        ScenarioLine::parse("excl:3#first#nex|tsd#sums:50# lmv :2|  |BMF2#ZZZ:1|||| | | | |Проверка", &r.list);
    const auto cells = line.cells();
    EXPECT_EQ(cells[0], "Проверка");
    EXPECT_EQ(cells[1], "Исключить 3 тиражей; Первая; Только новые ставки");
    EXPECT_EQ(cells[2], "TSD1#SUMS:50#LMV:2#SF:0");
    EXPECT_EQ(cells[3], "");
    EXPECT_EQ(cells[4], "BMF2#ZZZ:1#LNO:#SF:0");
    for (size_t i = 5; i < cells.size(); ++i) EXPECT_EQ(cells[i], "") << i;
    EXPECT_EQ(line.text(), "EXCL:3#FIRST#NEX|TSD1#SUMS:50#LMV:2#SF:0| |BMF2#ZZZ:1#LNO:#SF:0| | | | |Проверка");
    // The canonical text is a fixed point.
    EXPECT_EQ(ScenarioLine::parse(line.text(), &r.list).text(), line.text());
    EXPECT_EQ(scenarioColumns()[0], "Комментарии");

    // A line written with empty fields instead of single blanks shifts the comment into filter 2.
    const ScenarioLine shifted = ScenarioLine::parse("FULL:0#RAND|TSD1#SUMS:50#LNO:#SF:1||||||Комментарий", &r.list);
    EXPECT_EQ(shifted.comment, "");
    EXPECT_TRUE(shifted.filters[1].used);
    EXPECT_EQ(scenarioColumns()[8], "Фильтр 7");
}

}  // namespace
}  // namespace tavlora

namespace tavlora {
namespace {

TEST(ScenarioLineFault, EveryUnreadableFieldIsNamedAndReadableLinesPass) {
    Registry r;
    const std::string filterTail = "| | | | | |";
    // Lines that read whole, in canonical and in lenient spelling.
    for (const std::string good :
         {"FULL:0#RAND|TSD1#NUMS:100#LNO:#SF:1| | | | | | |", "EXCL:5#ALL#CLR#NEX| | |BMF2#SUMS:50#LMV:1-3;1#SV:4| | | | |второй",
          " excl:7 # last |TSD#NUMS:10,20", "CURR#NONE", "FULL:0#RAND|TSD1#NUMS:100#LNO:abc#SF:#1,5:-2.25abc:x7:1:0",
          "FULL|TMF3#POS2:1-10;1#DDV:-5,5#SP:-1", "FULL|tsd#NUMS:5", "   ", ""}) {
        EXPECT_EQ(scenarioLineFault(good, &r.list), "") << good;
        EXPECT_EQ(scenarioLineFault(good, nullptr), "") << good;
    }

    const struct {
        std::string line;
        std::string fault;  // a piece of the message naming the field
    } bad[] = {
        {"garbage|x|y", "Опции \"garbage\": неизвестный исходный список \"garbage\"."},
        {"|", "Опции не указаны."},
        {"EXCL:-5#RAND", "количество тиражей \"-5\" - не целое число от 0."},
        {"EXCL:five#RAND", "количество тиражей \"five\""},
        {"FULL:0#RANDOM", "неизвестный режим ставок \"RANDOM\"."},
        {"FULL:0#RAND#CLEAR", "неизвестный признак \"CLEAR\"."},
        {"FULL:0#RAND|xyz" + filterTail, "Фильтр 1 \"xyz\": признаки \"xyz\""},
        {"FULL:0#RAND|bmf7#NUMS:100" + filterTail, "признаки \"bmf7\""},
        {"FULL:0#RAND|tmd#NUMS:100" + filterTail, "признаки \"tmd\""},
        {"FULL:0#RAND|TSDx#NUMS:100" + filterTail, "признаки \"TSDx\""},
        {"FULL:0#RAND|TSD-1#NUMS:100" + filterTail, "признаки \"TSD-1\""},
        {"FULL:0#RAND|TSD1" + filterTail, "Фильтр 1 \"TSD1\": не указан метод расчета статистики."},
        {"FULL:0#RAND| |TSD1#NUMS" + filterTail, "Фильтр 2 \"TSD1#NUMS\": длины выборок \"\""},
        {"FULL:0#RAND|TSD1#NUMS:0,100" + filterTail, "длины выборок \"0,100\" - не список чисел от 1."},
        {"FULL:0#RAND|TSD1#NUMS:a-b;c" + filterTail, "длины выборок \"a-b;c\""},
        {"FULL:0#RAND|TSD1#NUMS:100#XYZ:1" + filterTail, "неизвестный режим выделения \"XYZ:1\"."},
        {"FULL:0#RAND|TSD1#NUMS:100#LMV:" + filterTail, "значения выделения \"\" не читаются."},
        {"FULL:0#RAND|TSD1#NUMS:100#LDV:1,x" + filterTail, "значения выделения \"1,x\" не читаются."},
        {"FULL:0#RAND|TSD1#NUMS:100#LNO:#QQ:1" + filterTail, "неизвестный способ останова \"QQ:1\"."},
        {"FULL:0#RAND|TSD1#NUMS:100#LNO:#SC:many" + filterTail, "значение останова \"many\" - не целое число."},
        {"FULL:0#RAND|TSD1#NUMS:100#LNO:#SF:1#1.2.3:1:1:0:0" + filterTail, "весовой коэффициент \"1.2.3\" не читается."},
        {"FULL:0#RAND|TSD1#NUMS:100#LNO:#SF:1#1:abc:1:0:0" + filterTail, "весовой коэффициент \"abc\" не читается."},
        {"FULL:0#RAND|TSD1#NUMS:100#LNO:#SF:1#1:1:1:yes:0" + filterTail, "весовой коэффициент \"yes\" не читается."},
        {"FULL:0#RAND|TSD1#NUMS:100#LNO:#SF:1#1:1:1:0:0:9" + filterTail, "лишний весовой коэффициент \"9\"."},
        {"FULL:0#RAND|TSD1#NUMS:100#LNO:#SF:1#1:1:1:0:0#more" + filterTail, "лишнее поле \"more\"."},
        {"FULL:0#RAND|TSD1#NUMS:100| | | | | |TSD1#SUMS:1-x", "Фильтр 7 \"TSD1#SUMS:1-x\""},
    };
    for (const auto& c : bad) {
        for (const TStatList* registry : {static_cast<const TStatList*>(&r.list), static_cast<const TStatList*>(nullptr)}) {
            const std::string fault = scenarioLineFault(c.line, registry);
            EXPECT_NE(fault.find(c.fault), std::string::npos) << c.line << " -> " << fault;
        }
    }

    // A method code the registry does not know is refused only where a registry is given.
    EXPECT_EQ(scenarioLineFault("FULL:0#RAND| |TSD1#NOSUCH:100" + filterTail, nullptr), "");
    EXPECT_EQ(scenarioLineFault("FULL:0#RAND| |TSD1#NOSUCH:100" + filterTail, &r.list),
              "Фильтр 2: метод расчета статистики \"NOSUCH:100\" не найден.");
}

}  // namespace
}  // namespace tavlora
