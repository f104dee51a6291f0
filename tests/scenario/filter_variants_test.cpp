// Expanding a scenario line's filters into variants.
#include <gtest/gtest.h>

#include <tuple>

#include "core/error.h"
#include "scenario/filter_variants.h"
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

const TStatList& registry() {
    static const Registry r;
    return r.list;
}

ScenarioLine lineWith(std::initializer_list<std::string> filters) {
    std::array<std::string, kScenarioFilterCount> texts;
    size_t i = 0;
    for (const auto& f : filters) texts[i++] = f;
    return ScenarioLine::parse(joinScenarioLine("FULL:0#RAND", texts, ""), &registry());
}

TEST(FilterVariants, SixVariantsInOrder) {
    std::array<std::string, kScenarioFilterCount> texts;
    // Filter 2 left empty: the used filters take consecutive slots.
    texts[0] = "TSD1#NUMS:100,200#LMV:1-3;1#SF:1";
    texts[2] = "BMF3#SUMS:50#LNO:#ST:2";
    const ScenarioLine line = ScenarioLine::parse(joinScenarioLine("FULL:0#RAND", texts, ""), &registry());
    const TFilterVariants v(line);
    EXPECT_EQ(v.slotCount(), 2);
    ASSERT_EQ(v.count(), 6);
    const std::pair<int, const char*> expected[] = {{100, "1"}, {100, "2"}, {100, "3"},
                                                    {200, "1"}, {200, "2"}, {200, "3"}};
    for (int k = 0; k < 6; ++k) {
        const TFilterRec rec = v.variant(k);
        EXPECT_EQ(rec[0].sampleLength, expected[k].first) << k;
        EXPECT_EQ(rec[0].selectionValue, expected[k].second) << k;
        EXPECT_EQ(rec[0].selectionText, "1-3;1");
        EXPECT_EQ(rec[0].method, line.filters[0].method);
        EXPECT_EQ(rec[1].sampleLength, 50);
        EXPECT_TRUE(rec[1].used);
        EXPECT_TRUE(rec[1].keepSelected);
        for (size_t s = 2; s < rec.size(); ++s) EXPECT_FALSE(rec[s].used);
    }
    EXPECT_EQ(variantText(v.variant(4)), "TSD1#NUMS:200#LMV:2#SF:1 + BMF3#SUMS:50#LNO:#ST:2");
    EXPECT_THROW(v.variant(6), EError);
}

TEST(FilterVariants, TheFirstFilterVariesSlowestAndTheLastFastest) {
    std::array<std::string, kScenarioFilterCount> texts;
    texts[0] = "TSD1#NUMS:100,200#LNO:#SF:1";
    texts[2] = "TSD1#SUMS:10,20,30#LNO:#SF:1";
    texts[5] = "BMF3#EVEN:5#LMV:1-2;1#ST:2";
    const ScenarioLine line = ScenarioLine::parse(joinScenarioLine("FULL:0#RAND", texts, ""), &registry());
    const TFilterVariants v(line);
    ASSERT_EQ(v.slotCount(), 3);

    // Lexicographic order over the filters: filter 1 outermost, the last filter innermost.
    std::vector<std::tuple<int, int, std::string>> expected;
    for (int first : {100, 200})
        for (int second : {10, 20, 30})
            for (const char* third : {"1", "2"}) expected.emplace_back(first, second, third);
    ASSERT_EQ(v.count(), static_cast<int64_t>(expected.size()));
    for (size_t k = 0; k < expected.size(); ++k) {
        const TFilterRec rec = v.variant(static_cast<int64_t>(k));
        EXPECT_EQ(std::make_tuple(rec[0].sampleLength, rec[1].sampleLength, rec[2].selectionValue), expected[k])
            << "variant " << k;
        EXPECT_EQ(rec[2].sampleLength, 5);
    }
    EXPECT_EQ(variantText(v.variant(3)),
              "TSD1#NUMS:100#LNO:#SF:1 + TSD1#SUMS:20#LNO:#SF:1 + BMF3#EVEN:5#LMV:2#ST:2");
}

TEST(FilterVariants, ListModesMakeOneVariantUnlessTheyExpand) {
    // Mode 5 (LDV): one variant with the whole list.
    const TFilterVariants a(lineWith({"TSD1#NUMS:10#LDV:1-3;1#SF:1"}));
    ASSERT_EQ(a.count(), 1);
    EXPECT_EQ(a.variant(0)[0].selectionValue, "1,2,3");
    // Mode 24 (PIR) is among the modes that expand value by value.
    const TFilterVariants b(lineWith({"TSD1#NUMS:10#PIR:1-3;1#SF:1"}));
    ASSERT_EQ(b.count(), 3);
    EXPECT_EQ(b.variant(2)[0].selectionValue, "3");
    // Mode 0 keeps the selection text as entered.
    const TFilterVariants c(lineWith({"TSD1#NUMS:10,20#LNO:anything#SF:1"}));
    ASSERT_EQ(c.count(), 2);
    EXPECT_EQ(c.variant(1)[0].selectionValue, "anything");
    EXPECT_EQ(c.variant(1)[0].sampleLength, 20);
    // No filter: no variant.
    EXPECT_EQ(TFilterVariants(lineWith({})).count(), 0);
}

TEST(FilterVariants, BadDescriptionsAndTooMany) {
    const auto parse = [](const std::string& f) { return lineWith({f}); };
    try {
        TFilterVariants v(parse("TSD1#NUMS:1-10#LNO:#SF:1"));  // a range without step
        FAIL();
    } catch (const EError& e) {
        EXPECT_EQ(std::string(e.what()), "Некорректное описание фильтра: TSD1#NUMS:1-10#LNO:#SF:1!");
    }
    EXPECT_THROW(TFilterVariants(parse("TSD1#NUMS:100#LMV:#SF:1")), EError);
    // An unknown method has no draws list.
    EXPECT_THROW(TFilterVariants(parse("TSD1#QQQQ:100#LNO:#SF:1")), EError);

    // 100000 x 100000 parts in one filter exceed what a line may hold.
    try {
        TFilterVariants v(parse("TSD1#NUMS:1-100000;1#LMV:1-100000;1#SF:1"));
        FAIL();
    } catch (const EError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Вы задали слишком много вариантов фильтров", 0), 0u);
    }
    std::array<std::string, kScenarioFilterCount> seven;
    seven.fill("TSD1#NUMS:1-100;1#LMV:1-10;1#SF:1");  // 1000 per filter, 10^21 in all
    EXPECT_THROW(TFilterVariants(ScenarioLine::parse(joinScenarioLine("FULL:0#RAND", seven, ""), &registry())), EError);
}

}  // namespace
}  // namespace tavlora
