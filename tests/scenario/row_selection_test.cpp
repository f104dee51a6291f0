// The selection modes of scenario filters applied to statistics-list rows.
#include <gtest/gtest.h>

#include "scenario/row_selection.h"
#include "scenario/scenario_line.h"
#include "workspace/stat_table.h"

namespace tavlora {
namespace {

TStatValues sampleRow() {
    TStatValues r;
    r.label = "7";
    r.value = 7;
    r.count = "12";
    r.countPercent = "4.80000";
    r.deviation = "-3";
    r.deviationPercent = "-20,00000";
    r.depth = "15";
    r.depthPercent = "62.50";
    r.weight = "1.25";
    r.periodMin = "2";
    r.period = "20.8333";
    r.periodMax = "61";
    return r;
}

int modeOf(const char* code) {
    for (int m = 0; m < kSelectionModeCount; ++m)
        if (selectionModeCode(m) == code) return m;
    return -1;
}

bool passes(const char* code, const TStatValues& row, std::string_view v) {
    return rowPassesSelection(modeOf(code), row, v);
}

TEST(RowSelection, ComparesTheModesColumn) {
    const TStatValues r = sampleRow();
    // Each "not less" / "not more" pair on its column, at the edge and one step beyond it.
    EXPECT_TRUE(passes("LMV", r, "15"));
    EXPECT_FALSE(passes("LMV", r, "16"));
    EXPECT_TRUE(passes("LLV", r, "15"));
    EXPECT_FALSE(passes("LLV", r, "14"));
    EXPECT_TRUE(passes("LMP", r, "62"));
    EXPECT_FALSE(passes("LMP", r, "63"));
    EXPECT_TRUE(passes("DLV", r, "-3"));
    EXPECT_FALSE(passes("DMV", r, "-2"));
    EXPECT_TRUE(passes("DLP", r, "-20"));  // "," read as a decimal point
    EXPECT_FALSE(passes("DMP", r, "-19"));
    EXPECT_TRUE(passes("CMV", r, "12"));
    EXPECT_FALSE(passes("CLV", r, "11"));
    EXPECT_TRUE(passes("CLP", r, "5"));
    EXPECT_FALSE(passes("CMP", r, "5"));
    EXPECT_TRUE(passes("WMV", r, "1"));
    EXPECT_FALSE(passes("WLV", r, "1"));
    EXPECT_TRUE(passes("PIM", r, "2"));
    EXPECT_FALSE(passes("PIL", r, "1"));
    EXPECT_TRUE(passes("PAL", r, "21"));
    EXPECT_FALSE(passes("PAM", r, "21"));
    EXPECT_TRUE(passes("PXM", r, "61"));
    EXPECT_FALSE(passes("PXL", r, "60"));
    // Mode 0 and modes beyond the table select every row.
    EXPECT_TRUE(rowPassesSelection(0, r, "whatever"));
    EXPECT_TRUE(rowPassesSelection(40, r, "1"));
}

TEST(RowSelection, ListMembership) {
    const TStatValues r = sampleRow();
    EXPECT_TRUE(passes("LDV", r, "1,15;30"));
    EXPECT_FALSE(passes("LDV", r, "1,14"));
    EXPECT_TRUE(passes("CDV", r, "12"));
    EXPECT_TRUE(passes("PXR", r, "60;61"));
    EXPECT_TRUE(passes("PIR", r, "2"));
    EXPECT_TRUE(passes("LVA", r, "5,6,7"));
    EXPECT_FALSE(passes("LVA", r, "5,6,8"));
    // Decimal columns: exact equality of the numbers, not of the texts.
    TStatValues whole = r;
    whole.depthPercent = "50.00";
    whole.weight = "-2,00";
    EXPECT_TRUE(passes("LDP", whole, "40,50"));
    EXPECT_TRUE(passes("WDV", whole, "-2"));
    EXPECT_FALSE(passes("LDP", r, "62,63"));
}

TEST(RowSelection, UnreadableCells) {
    // A value that has no depth: the table shows "-" instead of its numbers.
    TStatValues r;
    r.depth = "-";
    r.depthPercent = "-";
    r.weight = "-";
    r.period = "";
    // "not less": the cell counts as 0.
    EXPECT_TRUE(passes("LMV", r, "0"));
    EXPECT_FALSE(passes("LMV", r, "1"));
    EXPECT_FALSE(passes("WMV", r, "1"));
    // "not more": 65535 on integer and percent columns, 0 on weight and period.
    EXPECT_FALSE(passes("LLV", r, "65534"));
    EXPECT_TRUE(passes("LLV", r, "65535"));
    EXPECT_FALSE(passes("LLP", r, "100"));
    EXPECT_TRUE(passes("WLV", r, "0"));
    EXPECT_TRUE(passes("PAL", r, "0"));
    // Lists: never a member.
    EXPECT_FALSE(passes("LDV", r, "0,65535"));
}

TEST(RowSelection, RowTextsFromTheStatisticsTable) {
    TStatTableRow row;
    for (int i = 0; i < kStatColumnCount; ++i) row.cells[static_cast<size_t>(i)] = "c" + std::to_string(i);
    const TStatValues v = statValuesOfRow(row, 42);
    EXPECT_EQ(v.label, "c0");
    EXPECT_EQ(v.value, 42);
    EXPECT_EQ(v.count, "c1");
    EXPECT_EQ(v.countPercent, "c2");
    EXPECT_EQ(v.deviation, "c4");
    EXPECT_EQ(v.deviationPercent, "c5");
    EXPECT_EQ(v.depth, "c6");
    EXPECT_EQ(v.depthPercent, "c7");
    EXPECT_EQ(v.weight, "c8");
    EXPECT_EQ(v.periodMin, "c10");
    EXPECT_EQ(v.period, "c11");
    EXPECT_EQ(v.periodMax, "c12");
}

}  // namespace
}  // namespace tavlora
