// The number grids: card cells and colours, the layout and its compare lists, the week table with
// the weekday of a date text, and the numbers a grid selection gives the numbers filter.
#include <gtest/gtest.h>

#include "core/date.h"
#include "core/numbers.h"
#include "workspace/number_grids.h"

using namespace tavlora;

namespace {

TDraw draw(int number, std::array<uint8_t, 5> nums, const char* date = "") {
    TDraw d;
    d.number = number;
    d.nums = nums;
    d.extra = static_cast<uint8_t>(number % 26 + 1);
    d.setDateText(date);
    return d;
}

}  // namespace

TEST(CardGrid, RowsAreNewestFirstAndColoursFollowRepeatsAndNeighbours) {
    // Oldest first: 5 and 6 together, then 5 alone again, then 1 2 3 and 60 alone.
    const TDrawsArray draws{draw(101, {5, 6, 30, 40, 50}), draw(102, {5, 10, 31, 41, 51}),
                            draw(103, {60, 2, 1, 69, 3})};
    const TCardGrid card = computeCard(draws);
    ASSERT_EQ(card.rows.size(), 3u);
    EXPECT_EQ(card.cell(0, 0), 103);
    EXPECT_EQ(card.cell(0, 60), 60);
    EXPECT_EQ(card.cell(0, 59), 0);
    EXPECT_EQ(card.cell(0, kCardExtraColumn), 103 % 26 + 1);
    EXPECT_EQ(card.cell(2, 6), 6);
    EXPECT_EQ(card.cell(3, 6), 0);  // below the oldest draw

    const int w = 10;
    struct Case {
        int row, column;
        bool colorCard, sequences;
        std::optional<uint32_t> want;
    };
    const Case cases[] = {
        {1, 5, true, true, kCardRepeatColor},        // 5 repeated, no neighbour in its draw
        {2, 5, true, true, kCardRepeatInRunColor},   // 5 repeated and 6 beside it
        {2, 6, true, true, kCardSequenceColor},      // 6 beside 5, not repeated
        {0, 1, true, true, kCardSequenceColor},      // the newest row is not compared with the header
        {0, 60, true, true, groupColor(60, w)},      // alone: its channel colour
        {0, 60, false, true, std::nullopt},
        {0, 69, true, true, groupColor(69, w)},      // column 69 has no right neighbour
        {0, 7, true, true, groupColor(7, w)},        // empty cell: the column's channel
        {0, 7, false, true, std::nullopt},
        {2, 5, true, false, groupColor(5, w)},       // sequences off: channel colours only
        {2, 5, false, false, std::nullopt},
        {0, kCardExtraColumn, true, true, std::nullopt},
        {0, 0, true, true, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("row " + std::to_string(c.row) + " column " + std::to_string(c.column));
        EXPECT_EQ(cardCellColor(card, c.row, c.column, c.colorCard, c.sequences, w), c.want);
    }
    EXPECT_TRUE(computeCard({}).rows.empty());
}

TEST(LayoutGrid, GroupsByCountAndLastDrawAndBracketsTheNextDraw) {
    const TDrawsArray draws{draw(1, {9, 8, 7, 6, 5}), draw(2, {5, 6, 11, 12, 13}), draw(3, {13, 20, 21, 22, 23}),
                            draw(4, {1, 2, 3, 4, 69})};
    // A window of one draw: one row (count 1), one column (that draw) with its five numbers.
    const TLayoutGrid one = computeLayout(draws, 3, 1, {});
    EXPECT_EQ(one.counts, (std::vector<int32_t>{1}));
    EXPECT_EQ(one.draws, (std::vector<int32_t>{4}));
    ASSERT_EQ(one.cells.size(), 1u);
    EXPECT_EQ(one.cells[0], (std::vector<std::string>{"1, 2, 3, 4, 69"}));

    // Draws 1..3 seen from draw 3, with draw 4 the one after the offset: nothing of it is here.
    std::bitset<256> next;
    for (int n : {1, 2, 3, 4, 69}) next.set(static_cast<std::size_t>(n));
    const TLayoutGrid g = computeLayout(draws, 2, 3, next);
    EXPECT_EQ(g.counts, (std::vector<int32_t>{2, 1}));
    EXPECT_EQ(g.draws, (std::vector<int32_t>{3, 2, 1}));
    EXPECT_EQ(g.cells[0], (std::vector<std::string>{"13", "5, 6", ""}));
    EXPECT_EQ(g.cells[1], (std::vector<std::string>{"20, 21, 22, 23", "11, 12", "9, 8, 7"}));
    EXPECT_EQ(g.entries.front(), (TLayoutEntry{13, 2, 3}));

    // The numbers of the next draw are bracketed where they stand.
    std::bitset<256> bracket;
    bracket.set(12);
    bracket.set(21);
    const TLayoutGrid b = computeLayout(draws, 2, 3, bracket);
    EXPECT_EQ(b.cells[1][0], "20, [21], 22, 23");
    EXPECT_EQ(b.cells[1][1], "11, [12]");
    EXPECT_EQ(b.cellNumbers[1][1], (std::vector<int32_t>{11, 12}));

    EXPECT_TRUE(computeLayout(draws, -1, 10, {}).empty());
    EXPECT_TRUE(computeLayout(draws, 3, 0, {}).empty());
    EXPECT_TRUE(computeLayout({}, 0, 10, {}).empty());
}

TEST(LayoutGrid, CellColours) {
    struct Case {
        int row, column, rows, columns;
        bool next, gradient;
        uint32_t want;
    };
    const Case cases[] = {
        {2, 3, 4, 6, true, true, kLayoutNextColor},
        {2, 3, 4, 6, true, false, kLayoutNextColor},
        // red 255 - round(155/3), green 255 - round(31), blue round(155/3 + 100)
        {1, 1, 3, 5, false, true, 0xCBE098},
        {2, 4, 3, 5, false, true, 0x9883CB},  // 103.33 -> 152, 124 -> 131, 203.33 -> 203
        {1, 1, 9, 9, false, false, kLayoutBandOtherColor},
        {1, 6, 9, 9, false, false, kLayoutBandOneColor},
        {6, 10, 20, 20, false, false, kLayoutBandOtherColor},
        {11, 15, 20, 20, false, false, kLayoutBandOtherColor},
        {96, 1, 99, 9, false, false, kLayoutBandOneColor},  // above 95 nothing is marked
        {95, 6, 99, 9, false, false, kLayoutBandOneColor},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.row) + "," + std::to_string(c.column));
        EXPECT_EQ(layoutCellColor(c.row, c.column, c.rows, c.columns, c.next, c.gradient), c.want);
    }
}

TEST(CompareList, CountsOfTheWindowAndEmptyForLengthsBelowOne) {
    const TDrawsArray draws{draw(7, {1, 2, 3, 4, 5}), draw(8, {5, 6, 7, 8, 9}), draw(9, {9, 5, 10, 11, 12})};
    const TCompareList list = computeCompareList(draws, 2, 2);
    EXPECT_EQ(list.caption, "8 - 9");
    ASSERT_EQ(list.rows.size(), 2u);
    EXPECT_EQ(list.rows[0], (TCompareRow{2, "9, 5"}));
    EXPECT_EQ(list.rows[1], (TCompareRow{1, "10, 11, 12, 6, 7, 8"}));
    const TCompareList whole = computeCompareList(draws, 2, 100);
    EXPECT_EQ(whole.caption, "7 - 9");
    EXPECT_EQ(compareRowsByCount(whole).front(), (TCompareRow{3, "5"}));
    for (int length : {0, -1, -400}) {
        const TCompareList empty = computeCompareList(draws, 2, length);
        EXPECT_TRUE(empty.rows.empty());
        EXPECT_TRUE(empty.caption.empty());
    }
}

TEST(WeekTable, WeekdaysOfDateTextsAndCountsPerDay) {
    struct Case {
        const char* text;
        std::optional<int> want;
    };
    const Case cases[] = {{"10/07/2015", 3}, {"12/30/1899", 6}, {"02/29/2016", 1}, {"01/03/2016", 7},
                          {" 06/05/2020 ", 5}, {"01/01/0001", 1}, {"", std::nullopt}, {"13/01/2015", std::nullopt},
                          {"02/30/2016", std::nullopt}, {"date", std::nullopt}};
    for (const Case& c : cases) EXPECT_EQ(weekdayOfDateText(c.text), c.want) << c.text;

    // Two Wednesdays, a Saturday and a draw without a readable date.
    const TDrawsArray draws{draw(1, {1, 2, 3, 4, 5}, "10/07/2015"), draw(2, {1, 2, 6, 7, 8}, "10/10/2015"),
                            draw(3, {1, 9, 10, 11, 12}, "10/14/2015"), draw(4, {1, 2, 3, 4, 5}, "??")};
    const TWeekTable all = computeWeek(draws, 3, 1000);
    EXPECT_EQ(all.count(1, 3), 2);
    EXPECT_EQ(all.count(1, 6), 1);
    EXPECT_EQ(all.count(2, 3), 1);
    EXPECT_EQ(all.count(9, 3), 1);
    EXPECT_EQ(all.count(5, 3), 1);  // the undated draw adds nothing
    EXPECT_EQ(all.maxCount, 2);
    const TWeekTable last = computeWeek(draws, 2, 2);  // draws 2 and 3 only
    EXPECT_EQ(last.count(1, 3), 1);
    EXPECT_EQ(last.count(3, 3), 0);
    EXPECT_EQ(computeWeek(draws, -1, 10).maxCount, 0);

    EXPECT_EQ(weekCellColor(2, 2), 0xFF0000u);
    EXPECT_EQ(weekCellColor(1, 2), 0xFF7F7Fu);
    EXPECT_EQ(weekCellColor(0, 2), 0xFFFFFFu);

    const auto byDay = weekChartPoints(all, true, 1, 0);
    ASSERT_EQ(byDay.size(), 7u);
    EXPECT_EQ(byDay[2].y, 2);
    EXPECT_EQ(byDay[5].y, 1);
    EXPECT_EQ(byDay[6].label, "Вс");
    const auto byNumber = weekChartPoints(all, false, 0, 3);
    ASSERT_EQ(byNumber.size(), 69u);
    EXPECT_EQ(byNumber[0].y, 2);
    EXPECT_EQ(byNumber[8].x, 9);
    EXPECT_EQ(byNumber[8].y, 1);
    EXPECT_EQ(byNumber[68].label, "69");
}

TEST(NumberSelection, DistinctGameNumbersInOrderAndLayoutTexts) {
    const TNumberSelection s = numberSelection({21, 7, 21, 0, 70, -3, 69});
    ASSERT_EQ(s.values.size(), 3u);
    EXPECT_EQ(s.values[0].keys, (std::array<uint16_t, 4>{21, 0, 0, 0}));
    EXPECT_EQ(s.values[1].keys[0], 7);
    EXPECT_EQ(s.values[2].keys[0], 69);
    EXPECT_EQ(s.text, "21; 7; 69");
    EXPECT_TRUE(numberSelection({0, 100}).empty());

    struct Case {
        const char* text;
        std::vector<int32_t> want;
    };
    const Case cases[] = {{"5, 12", {5, 12}}, {"[5], 12 , [ 7 ]", {5, 12, 7}}, {"", {}},
                          {"x, 3y, 4", {4}}, {" 13 ", {13}}, {",,", {}}};
    for (const Case& c : cases) EXPECT_EQ(layoutTextNumbers(c.text), c.want) << c.text;
}
