// The checks a filter passes before it is stored in a scenario line.
#include <gtest/gtest.h>

#include "core/records.h"
#include "scenario/filter_check.h"
#include "scenario/scenario_line.h"
#include "stats/stat_list.h"

namespace tavlora {
namespace {

struct Registry {
    TSettings settings;
    TDrawsArray draws;
    TStatList list{settings, draws};
    Registry() { list.rebuild(); }
};

TEST(FilterCheck, RefusesInTheEditorsOrderWithItsMessagesAndFocus) {
    const Registry r;
    struct Case {
        const char* text;
        TFilterCheck check;
        TFilterFocus focus;
        const char* message;
    };
    const Case cases[] = {
        {"TSD1#NUMS:100#LNO:#SF:1", TFilterCheck::Ok, TFilterFocus::None, ""},
        {"TSD1#NUMS:1-10;2#LNO:#SF:1", TFilterCheck::Ok, TFilterFocus::None, ""},
        {"TMF1#EVEN:100#LVA:1,2,3#SF:1", TFilterCheck::Ok, TFilterFocus::None, ""},
        // Every sample length must be at least 1, not only a single 0.
        {"TSD1#NUMS:0#LNO:#SF:1", TFilterCheck::DrawsList, TFilterFocus::DrawsLen, kFilterBadRange},
        {"TSD1#NUMS:0,100#LNO:#SF:1", TFilterCheck::DrawsList, TFilterFocus::DrawsLen, kFilterBadRange},
        {"TSD1#NUMS:-5#LNO:#SF:1", TFilterCheck::DrawsList, TFilterFocus::DrawsLen, kFilterBadRange},
        {"TSD1#NUMS:1-10#LNO:#SF:1", TFilterCheck::DrawsList, TFilterFocus::DrawsLen, kFilterBadRange},
        {"TSD1#NUMS:#LNO:#SF:1", TFilterCheck::DrawsList, TFilterFocus::DrawsLen, kFilterBadRange},
        // The draws check comes first, then mode 31 against the method's capability.
        {"TSD1#SDV2:0#LVA:x#SF:1", TFilterCheck::DrawsList, TFilterFocus::DrawsLen, kFilterBadRange},
        {"TSD1#SDV2:100#LVA:1#SF:1", TFilterCheck::ValueListMode, TFilterFocus::LevelMode, kFilterNoValueList},
        {"TSD1#SDV2:100#LMV:1#SF:1", TFilterCheck::Ok, TFilterFocus::None, ""},
        // A selection mode other than 0 needs a readable list; mode 0 needs none.
        {"TSD1#NUMS:100#LMV:#SF:1", TFilterCheck::SelectionList, TFilterFocus::LevelValue, kFilterBadRange},
        {"TSD1#NUMS:100#LVA:1-4#SF:1", TFilterCheck::SelectionList, TFilterFocus::LevelValue, kFilterBadRange},
        {"TMD1#NUMS:100#LVA:x#SC:1", TFilterCheck::SelectionList, TFilterFocus::LevelValue, kFilterBadRange},
        // Multi-select cannot stop by the number of combinations left; single-select can.
        {"TMD1#NUMS:100#LMV:1#SC:1", TFilterCheck::MultiSelectCount, TFilterFocus::StopMode, kFilterMultiSelectCount},
        {"TSD1#NUMS:100#LMV:1#SC:1", TFilterCheck::Ok, TFilterFocus::None, ""},
        {"TMD1#NUMS:100#LMV:1#SZ:1", TFilterCheck::Ok, TFilterFocus::None, ""},
    };
    for (const Case& c : cases) {
        const TFilterCheckResult result = checkFilterItem(TFilterItem::parse(c.text, &r.list));
        EXPECT_EQ(result.check, c.check) << c.text;
        EXPECT_EQ(result.focus, c.focus) << c.text;
        EXPECT_EQ(result.message, c.message) << c.text;
        EXPECT_EQ(result.ok(), c.check == TFilterCheck::Ok) << c.text;
    }
}

TEST(FilterCheck, AnUnusedFilterPassesAndAnUnknownMethodIsNamed) {
    const Registry r;
    EXPECT_TRUE(checkFilterItem(TFilterItem::parse("", &r.list)).ok());
    const TFilterCheckResult unknown = checkFilterItem(TFilterItem::parse("TSD1#ZZZZ:100#LNO:#SF:1", &r.list));
    EXPECT_EQ(unknown.check, TFilterCheck::UnknownMethod);
    EXPECT_EQ(unknown.focus, TFilterFocus::StatType);
    EXPECT_NE(unknown.message.find("ZZZZ:100"), std::string::npos) << unknown.message;
}

}  // namespace
}  // namespace tavlora
