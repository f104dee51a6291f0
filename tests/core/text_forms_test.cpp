#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <string_view>
#include <vector>

#include "core/date.h"
#include "core/error.h"
#include "core/text_forms.h"

using namespace tavlora;

namespace {

std::string errorOf(std::string_view text) {
    try {
        parseCombination(text);
    } catch (const EError& e) {
        return e.what();
    }
    return {};
}

}  // namespace

TEST(NumberText, PlainDecimalAndStrictReading) {
    EXPECT_EQ(numberText(7), "7");
    EXPECT_EQ(numberText(69), "69");
    EXPECT_EQ(readInt("42"), 42);
    EXPECT_EQ(readInt(" \t42 "), 42);
    EXPECT_EQ(readInt("+7"), 7);
    EXPECT_EQ(readInt("-3"), -3);
    EXPECT_EQ(readInt("-2147483648"), INT_MIN);
    EXPECT_EQ(readInt("2147483647"), INT_MAX);
    EXPECT_EQ(readInt("2147483648", -9), -9);  // beyond 32 bits
    EXPECT_EQ(readInt("99999999999999999999", -9), -9);
    EXPECT_EQ(readInt("4 2", -9), -9);  // the whole text must be a number
    EXPECT_EQ(readInt("12abc", -9), -9);
    EXPECT_EQ(readInt("", -9), -9);
    EXPECT_EQ(readInt("-", -9), -9);
    EXPECT_EQ(readInt("abc"), 0);
    EXPECT_FALSE(tryReadInt("1.5").has_value());
    EXPECT_EQ(trimText("  a b \r\n"), "a b");
}

TEST(RecordTexts, SemicolonBlankJoinedFormsAndDrawLine) {
    TComb c{{5, 12, 33, 41, 69}};
    EXPECT_EQ(semicolonForm(c), "5;12;33;41;69");
    EXPECT_EQ(blankForm(TComb{{1, 2, 3, 10, 69}}), "01 02 03 10 69");
    TShema s;
    s.count = 6;
    s.nums = {5, 12, 33, 41, 60, 69, 0, 0};
    EXPECT_EQ(joinedForm(s, ", "), "5, 12, 33, 41, 60, 69");
    s.count = 99;  // a damaged count never reads past the eight numbers
    EXPECT_EQ(joinedForm(s, ";"), "5;12;33;41;60;69;0;0");
    s.count = 0;
    EXPECT_EQ(joinedForm(s, ";"), "");

    TDraw d;
    d.number = 1234;
    d.nums = {5, 12, 33, 41, 69};
    d.extra = 7;
    d.setDateText("03/14/2015");
    EXPECT_EQ(semicolonForm(d), "5;12;33;41;69");
    EXPECT_EQ(drawLine(d), "Тираж № 1234 от 03/14/2015, значения: 5;12;33;41;69 e:7");
    TDraw undated;
    undated.number = 7;
    undated.nums = {1, 2, 3, 4, 5};
    undated.extra = 9;
    EXPECT_EQ(drawLine(undated), "Тираж № 7 от , значения: 1;2;3;4;5 e:9");
    undated.setDateText("\xE4\xE0\xF2\xE0");  // a date text imported in the files' code page
    EXPECT_EQ(drawLine(undated), "Тираж № 7 от дата, значения: 1;2;3;4;5 e:9");

    EXPECT_EQ(stakeSourceText(1), "Вручную");
    EXPECT_EQ(stakeSourceText(2), "Регуляр");
    EXPECT_EQ(stakeSourceText(3), "Сценарий");
    EXPECT_EQ(stakeSourceText(4), "Система");
    EXPECT_EQ(stakeSourceText(0), "");
    EXPECT_EQ(stakeSourceText(5), "");
}

TEST(CombinationText, FiveWordsAtAnySeparatorElseTheMessage) {
    EXPECT_EQ(parseCombination("1, 2, 3, 4, 5"), (TComb{{1, 2, 3, 4, 5}}));
    EXPECT_EQ(parseCombination("\t69|68 ::67..66;;65  "), (TComb{{69, 68, 67, 66, 65}}));
    EXPECT_EQ(parseCombination("1-2-3-4-70"), (TComb{{1, 2, 3, 4, 70}}));
    EXPECT_EQ(parseCombination("a b c d e"), (TComb{{0, 0, 0, 0, 0}}));
    EXPECT_EQ(errorOf("1 2 3 4"), "Некорректная комбинация: \"1 2 3 4\"!");
    EXPECT_EQ(errorOf("1 2 3 4 5 6"), "Некорректная комбинация: \"1 2 3 4 5 6\"!");
    EXPECT_EQ(errorOf(""), "Некорректная комбинация: \"\"!");
    // A number too large for a byte must not come back as a smaller, valid-looking one.
    TComb big = parseCombination("300 1 2 3 4");
    EXPECT_EQ(big.n[0], 0);
    EXPECT_FALSE(combIsValid(big));

    EXPECT_TRUE(combIsValid(TComb{{1, 2, 3, 4, 69}}));
    EXPECT_FALSE(combIsValid(TComb{{1, 2, 3, 4, 70}}));
    EXPECT_FALSE(combIsValid(TComb{{1, 2, 3, 4, 1}}));
    EXPECT_FALSE(combIsValid(parseCombination("1-2-3-4-70")));

    EXPECT_EQ(readFiveNumbers("5; 1,3 ;2;4"), (TComb{{5, 1, 3, 2, 4}}));
    EXPECT_FALSE(readFiveNumbers("1;2;3;4").has_value());
    EXPECT_FALSE(readFiveNumbers("1;2;3;4;4").has_value());
    EXPECT_FALSE(readFiveNumbers("1;2;3;4;70").has_value());
    EXPECT_FALSE(readFiveNumbers("1 2 3 4 5").has_value());
}

TEST(TextSplitting, LinesAtEveryLineEndAndWordsAtEverySeparator) {
    using Parts = std::vector<std::string_view>;
    struct Case {
        std::string_view text;
        Parts lines;
    };
    const std::vector<Case> lines{
        {"", {}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},                  // a final line end starts no line
        {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        {"a\n\r\nb", {"a", "", "b"}},      // LF then CR LF: an empty line between
        {"\r\r", {"", ""}},
        {"a\r", {"a"}},
    };
    for (const Case& c : lines) EXPECT_EQ(splitLines(c.text), c.lines) << c.text;
    // A view ending in CR inside a longer text does not reach past its end for the LF after it.
    const std::string_view whole = "a\r\nb";
    EXPECT_EQ(splitLines(whole.substr(0, 2)), (Parts{"a"}));

    EXPECT_EQ(splitWords("1;;2,3", ",;"), (Parts{"1", "", "2", "3"}));
    EXPECT_EQ(splitWords("", ",;"), (Parts{""}));
    EXPECT_EQ(splitWords(" 1  2 ", " ", true), (Parts{"1", "2"}));
    EXPECT_EQ(splitWords(";;", ";", true), Parts{});
}

TEST(DrawInput, AcceptsFiveDistinctNumbersAndAnExtraNumber) {
    auto ok = validateDrawInput(1234, "1;2;3;4;5;26", std::nullopt);
    EXPECT_TRUE(ok.ok);
    EXPECT_TRUE(ok.warning.empty());
    EXPECT_EQ(ok.draw.number, 1234);
    EXPECT_EQ(ok.draw.extra, 26);
    EXPECT_EQ(ok.draw.dateLen, 0);

    for (const char* bad : {"1;2;3;4;5", "1;1;2;3;4;5", "0;2;3;4;5;6", "1;2;3;4;70;6", "1;2;3;4;5;27",
                            "1;2;3;4;5;0", "1;2;3;4;5;6;", "a;2;3;4;5;6", "1 2 3 4 5 6", ""}) {
        auto r = validateDrawInput(1, bad, std::nullopt);
        EXPECT_FALSE(r.ok) << bad;
        EXPECT_EQ(r.warning, "Введена некорректная комбинация!") << bad;
    }

    // Numbers keep the order typed; the date of the chosen day is stored, unused bytes are zero.
    auto typed = validateDrawInput(2147483647, " 69, 5 ;33;12,41; 7", CivilDate{2015, 3, 14});
    ASSERT_TRUE(typed.ok);
    EXPECT_EQ(typed.draw.number, 2147483647);
    EXPECT_EQ(typed.draw.nums, (std::array<uint8_t, 5>{69, 5, 33, 12, 41}));
    EXPECT_EQ(typed.draw.extra, 7);
    EXPECT_EQ(typed.draw.dateText(), "03/14/2015");
    EXPECT_EQ(typed.draw.unused, (std::array<uint8_t, 3>{0, 0, 0}));

    // The dialog shows an existing draw this way, and reading it back gives the same draw.
    EXPECT_EQ(drawInputText(typed.draw), "69;5;33;12;41;7");
    auto again = validateDrawInput(typed.draw.number, drawInputText(typed.draw), CivilDate{2015, 3, 14});
    ASSERT_TRUE(again.ok);
    EXPECT_EQ(again.draw, typed.draw);

    // A command line can pass any draw number.
    for (int64_t number : {int64_t{0}, int64_t{-5}, int64_t{2147483648}}) {
        auto r = validateDrawInput(number, "1;2;3;4;5;6", std::nullopt);
        EXPECT_FALSE(r.ok) << number;
        EXPECT_FALSE(r.warning.empty());
    }
}

TEST(Dates, TextFormAndDayArithmetic) {
    EXPECT_EQ(dateText(CivilDate{2015, 3, 14}), "03/14/2015");
    EXPECT_EQ(dateText(CivilDate{1900, 1, 1}), "01/01/1900");
    EXPECT_EQ(dateText(CivilDate{1899, 12, 30}), "");  // day 0: no date
    EXPECT_EQ(dateText(CivilDate{}), "");
    EXPECT_EQ(dateText(CivilDate{2015, 2, 29}), "");
    EXPECT_EQ(dateText(std::optional<CivilDate>{}), "");

    EXPECT_EQ((CivilDate{1899, 12, 30}).dayCount(), 0);
    EXPECT_EQ((CivilDate{1900, 1, 1}).dayCount(), 2);
    EXPECT_EQ((CivilDate{2015, 3, 14}).dayCount(), 42077);
    EXPECT_EQ((CivilDate{2015, 12, 31}).addDays(1), (CivilDate{2016, 1, 1}));
    EXPECT_EQ((CivilDate{2016, 2, 28}).addDays(1), (CivilDate{2016, 2, 29}));
    EXPECT_EQ((CivilDate{2100, 2, 28}).addDays(1), (CivilDate{2100, 3, 1}));
    EXPECT_EQ((CivilDate{2000, 3, 1}).addDays(-1), (CivilDate{2000, 2, 29}));
    EXPECT_EQ((CivilDate{2015, 3, 14}).yyyymmdd(), 20150314);
    EXPECT_EQ(CivilDate::fromYyyymmdd(20150314), (CivilDate{2015, 3, 14}));
    EXPECT_LT((CivilDate{2015, 3, 14}), (CivilDate{2015, 4, 1}));
    EXPECT_TRUE(todayDate().isValid());

    // Walking day by day through four centuries visits every calendar day once, in order.
    CivilDate walk{1899, 12, 30};
    for (int64_t day = 0; day < 146097 + 400; ++day) {
        CivilDate d = CivilDate::fromDayCount(day);
        ASSERT_EQ(d, walk) << day;
        ASSERT_TRUE(d.isValid());
        ASSERT_EQ(d.dayCount(), day);
        if (walk.day < daysInMonth(walk.year, walk.month)) {
            ++walk.day;
        } else if (walk.month < 12) {
            walk = {walk.year, walk.month + 1, 1};
        } else {
            walk = {walk.year + 1, 1, 1};
        }
    }
}

TEST(Dates, ReadingTakesFieldsAtTheTemplatePositions) {
    EXPECT_EQ(readDateText("03/14/2015"), (CivilDate{2015, 3, 14}));
    EXPECT_EQ(readDateText("  02/29/2016 "), (CivilDate{2016, 2, 29}));
    EXPECT_EQ(readDateText("03/14/2015 10:30"), (CivilDate{2015, 3, 14}));  // the hour is not kept
    EXPECT_FALSE(readDateText("").has_value());
    EXPECT_FALSE(readDateText(" \t ").has_value());
    try {
        readDateText("13/45/2015");
        ADD_FAILURE() << "an invalid date was accepted";
    } catch (const EError& e) {
        EXPECT_STREQ(e.what(), "'13/45/2015' is not a valid date");
    }
    EXPECT_THROW(readDateText("02/29/2015"), EError);
    EXPECT_THROW(readDateText("3/14/2015"), EError);  // the month field reads "3/"
    EXPECT_THROW(readDateText("03/14"), EError);      // no year
    EXPECT_THROW(readDateText("xx/yy/zzzz"), EError);
    for (CivilDate d : {CivilDate{1900, 1, 1}, CivilDate{2024, 12, 31}, CivilDate{9999, 12, 31}})
        EXPECT_EQ(readDateText(dateText(d)), d);
}

TEST(ValueLists, PlainListsSteppedRangesAndEverythingElseEmpty) {
    EXPECT_EQ(parseValueList("3, 5, 8"), (TIntArray{3, 5, 8}));
    EXPECT_EQ(parseValueList("3;5,8"), (TIntArray{3, 5, 8}));
    EXPECT_EQ(parseValueList("-5"), (TIntArray{-5}));
    EXPECT_EQ(parseValueList("1-10;3"), (TIntArray{1, 4, 7, 10}));
    EXPECT_EQ(parseValueList("1-10;2"), (TIntArray{1, 3, 5, 7, 9}));
    EXPECT_EQ(parseValueList("1-10,2"), (TIntArray{1, 3, 5, 7, 9}));
    EXPECT_EQ(parseValueList(" -5 - -1 ; 2 "), (TIntArray{-5, -3, -1}));
    EXPECT_EQ(parseValueList("10-1;-3"), (TIntArray{10, 7, 4, 1}));
    EXPECT_TRUE(parseValueList("10-1;3").empty());
    EXPECT_TRUE(parseValueList("1-10;0").empty());
    EXPECT_TRUE(parseValueList("1-10").empty());
    EXPECT_TRUE(parseValueList("2;x").empty());
    EXPECT_TRUE(parseValueList("").empty());
    EXPECT_TRUE(parseValueList("1-x;2").empty());
    EXPECT_TRUE(parseValueList("3;").empty());

    // Huge ranges neither allocate without bound nor overflow.
    EXPECT_EQ(parseValueList("1-100000;1").size(), 100000u);
    EXPECT_TRUE(parseValueList("1-100001;1").empty());
    EXPECT_TRUE(parseValueList("1-2000000000;1").empty());
    EXPECT_TRUE(parseValueList("-2147483648-2147483647;1").empty());
    EXPECT_EQ(parseValueList("-2147483648-2147483647;2147483647"),
              (TIntArray{INT_MIN, -1, 2147483646}));
    EXPECT_EQ(parseValueList("1-2147483647;2147483647"), (TIntArray{1}));

    EXPECT_EQ(joinInts({3, -5, 8}, ";"), "3;-5;8");
    EXPECT_EQ(joinInts({}, ";"), "");
    EXPECT_EQ(parseValueList(joinInts({1, 4, 7, 10}, ", ")), (TIntArray{1, 4, 7, 10}));
}

TEST(DifferenceText, SignedDifferenceOrADashForNoNumber) {
    EXPECT_EQ(differenceText("5", 2), "+3");
    EXPECT_EQ(differenceText("2", 2), "0");
    EXPECT_EQ(differenceText("0", 2), "-2");
    EXPECT_EQ(differenceText("x", 2), "-");
    EXPECT_EQ(differenceText("-1", 0), "-");
    EXPECT_EQ(differenceText("", 0), "-");
    EXPECT_EQ(differenceText("2147483647", INT_MIN), "+4294967295");
}
