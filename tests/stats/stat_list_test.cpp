#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "core/codepage.h"
#include "core/error.h"
#include "core/ini_file.h"
#include "core/interaction.h"
#include "stats/stat_classes.h"
#include "stats/stat_list.h"
#include "stats_test_util.h"
#include "test_support.h"

namespace tavlora {
namespace {

std::vector<std::string> codes(const TStatList& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.count(); ++i) out.push_back(list.item(i).code());
    return out;
}

std::string readFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(StatRegistryOrder, HoldsEveryClassOnceInOrder) {
    const auto& order = statRegistryOrder();
    std::set<std::string_view> names;
    for (size_t i = 0; i < order.size(); ++i) {
        EXPECT_EQ(order[i].number, static_cast<int>(i) + 1);
        names.insert(order[i].className);
        if (order[i].info) {
            EXPECT_EQ(order[i].info->className, order[i].className);
        }
    }
    EXPECT_EQ(names.size(), 143u);
    EXPECT_EQ(order[0].className, "TstValues");
    EXPECT_EQ(order[101].className, "TstPosVal");
    EXPECT_EQ(order[142].className, "TstShreddingStat");
    ASSERT_NE(findStatClass("TstSumRanges"), nullptr);
    EXPECT_EQ(findStatClass("TstNoSuchClass"), nullptr);
}

TEST(StatList, RebuildExpandsInstancesInRegistryOrder) {
    TSettings settings;
    TDrawsArray draws;
    TStatList list(settings, draws);
    list.ordered = true;
    list.showGroupName = false;
    list.allFavourites = false;
    list.rebuild();
    EXPECT_FALSE(list.ordered);
    EXPECT_TRUE(list.showGroupName);
    EXPECT_TRUE(list.showMethodFlags);
    EXPECT_TRUE(list.allFavourites);

    const auto c = codes(list);
    const std::vector<std::string> first{"NUMS", "DIGS", "EVEN", "EVNV", "SMAL", "SMLV", "PRIM", "PRMV", "SUMS",
                                         "SUM1", "SUM2", "SUM3", "SUMC", "SUMV", "SUMT", "SUME", "SUMP", "S2T3"};
    ASSERT_GE(c.size(), first.size());
    EXPECT_EQ(std::vector<std::string>(c.begin(), c.begin() + static_cast<long>(first.size())), first);
    auto pos = std::find(c.begin(), c.end(), "POS1");
    ASSERT_NE(pos, c.end());
    const std::vector<std::string> positions{"POS1", "POS2", "POS3", "POS4", "POS5", "POE1"};
    ASSERT_GE(c.end() - pos, 6);
    EXPECT_EQ(std::vector<std::string>(pos, pos + 6), positions);
    for (int i = 0; i < list.count(); ++i) {
        EXPECT_TRUE(list.available(i));
        EXPECT_TRUE(list.item(i).favourite);
    }
    // Rebuilding again gives the same list.
    list.rebuild();
    EXPECT_EQ(codes(list), c);
}

TEST(StatList, ListCaptionsAndClassOperations) {
    TDrawsArray draws;
    test::Registry r(draws);
    TStatList& list = r.list;
    const int sums = list.methodWithCode("SUMS");
    const int nums = list.methodWithCode("NUMS");
    const int sum2 = list.methodWithCode("SUM2");
    const int poe = list.methodWithCode("POE1");
    const int sumv = list.methodWithCode("SUMV");
    const int evnv = list.methodWithCode("EVNV");
    ASSERT_GE(std::min({sums, nums, sum2, poe, sumv, evnv}), 0);

    EXPECT_EQ(list.listCaption(sums, true), "{ sum } Сумма тиража: все значения [ NG ]");
    EXPECT_EQ(list.listCaption(nums, true), "{ num } Числа тиража [ N ]");
    EXPECT_EQ(list.listCaption(sum2, true), "{ sum } Сумма тиража: диапазон 2 (1/2) [ NG ]");
    EXPECT_EQ(list.listCaption(poe, true), "{ num } Extra (Bonus, Star...) - число (!без фильтра!) [ G ]");
    EXPECT_EQ(list.listCaption(sumv, true), "{ sum } Сумма тиража: изменения (диапазон) [ D ]");
    EXPECT_EQ(list.listCaption(evnv, true), "{ num } Четные и нечетные числа в тираже (Чн..нЧ) [ SN ]");
    EXPECT_EQ(list.listCaption(sums, false), "{ sum } Сумма тиража: все значения");
    list.showGroupName = false;
    EXPECT_EQ(list.listCaption(sums, true), "Сумма тиража: все значения [ NG ]");
    list.showMethodFlags = false;
    EXPECT_EQ(list.listCaption(sums, true), "Сумма тиража: все значения");

    // A custom caption replaces the default one wherever the method is listed.
    list.item(nums).customCaption = "Мои числа";
    list.showGroupName = true;
    EXPECT_EQ(list.listCaption(nums, false), "{ num } Мои числа");

    EXPECT_TRUE(list.isGraph(sums));
    EXPECT_TRUE(list.hasNorm(sums));
    EXPECT_FALSE(list.isGraph(nums));
    EXPECT_FALSE(list.hasNorm(poe));
    EXPECT_FALSE(list.hasNorm(sumv));
    EXPECT_TRUE(list.item(sums).acceptsTypedValues());
    EXPECT_FALSE(list.item(sum2).acceptsTypedValues());

    // An instance range outside 1..3 leaves the range caption empty.
    EXPECT_EQ(kTstSumRanges.formattedCaption(4), "");
    EXPECT_EQ(kTstSumRanges.formattedCaption(3), "Сумма тиража: диапазон 3 (2/3)");
    EXPECT_EQ(kTstPosVal.formattedCaption(3), "Число в 3 позиции тиража");

    auto inst = list.createInstance(sum2);
    ASSERT_NE(inst, nullptr);
    EXPECT_EQ(inst->parameter(), 2);
    EXPECT_EQ(inst->instanceCaption(), "Сумма тиража: диапазон 2 (1/2)");
    EXPECT_EQ(inst->typedValue("1"), 0);  // no typed values
    auto sumsInst = list.createInstance(sums);
    EXPECT_EQ(sumsInst->typedValue(" 150 "), 150);
    EXPECT_EQ(sumsInst->typedValue("abc"), 0);
}

TEST(StatList, ShreddingCaptionsAreFormattedTwice) {
    // A group-12 method: its caption is formatted with the parameter, then with the formula.
    TStatClassInfo shredding = kTstSumValues;
    shredding.className = "TstTestShredding";
    shredding.code = "SHR%d";
    shredding.caption = "Метод шинковки %0:d: %%s";
    shredding.group = 12;
    shredding.kinds = kindS | kindN;
    TSettings settings;
    TDrawsArray draws;
    TStatList list(settings, draws);
    TStatMethod m(list, shredding, 1);
    m.captionArgument = "(n1+n2+n3)/(n4+n5)";
    EXPECT_EQ(m.code(), "SHR1");
    EXPECT_EQ(m.defaultCaption(), "Метод шинковки 1: %s");
    EXPECT_EQ(m.displayCaption(), "Метод шинковки 1: (n1+n2+n3)/(n4+n5)");
    m.customCaption = "Моя формула %s";
    EXPECT_EQ(m.displayCaption(), "Моя формула (n1+n2+n3)/(n4+n5)");
    // Outside group 12 a "%s" in a custom caption is shown as typed.
    TStatMethod plain(list, kTstSumValues, 0);
    plain.customCaption = "Сумма %s";
    EXPECT_EQ(plain.displayCaption(), "Сумма %s");
}

TEST(StatList, FavouritesText) {
    TDrawsArray draws;
    test::Registry r(draws);
    TStatList& list = r.list;
    EXPECT_EQ(list.favouritesText(), "");

    list.applyFavouritesText("nums,SUMS");
    EXPECT_FALSE(list.allFavourites);
    EXPECT_EQ(list.favouritesText(), "NUMS,SUMS");
    int shown = 0;
    for (int i = 0; i < list.count(); ++i) shown += list.shown(i) ? 1 : 0;
    EXPECT_EQ(shown, 2);

    // Words are not trimmed: " SUMS" selects nothing.
    list.applyFavouritesText("nums, SUMS");
    EXPECT_EQ(list.favouritesText(), "NUMS");

    // Instance codes are matched by their formatted code.
    list.applyFavouritesText("pos3,SUM2,XXXX");
    EXPECT_EQ(list.favouritesText(), "SUM2,POS3");

    list.applyFavouritesText("  ");
    EXPECT_TRUE(list.allFavourites);
    EXPECT_EQ(list.favouritesText(), "");
    for (int i = 0; i < list.count(); ++i) EXPECT_TRUE(list.item(i).favourite);

    // Normalising: some favourites -> not all; none -> all again; every one -> all.
    list.applyFavouritesText("NUMS");
    list.allFavourites = true;
    list.normaliseFavourites();
    EXPECT_FALSE(list.allFavourites);
    for (int i = 0; i < list.count(); ++i) list.item(i).favourite = false;
    list.normaliseFavourites();
    EXPECT_TRUE(list.allFavourites);
    for (int i = 0; i < list.count(); ++i) EXPECT_TRUE(list.item(i).favourite);
    list.allFavourites = false;
    list.normaliseFavourites();
    EXPECT_TRUE(list.allFavourites);

    list.applyFavouritesText("NUMS");
    list.selectAll();
    EXPECT_TRUE(list.allFavourites);
    EXPECT_EQ(list.favouritesText(), "");
}

TEST(StatList, MethodListIndices) {
    TDrawsArray draws;
    test::Registry r(draws);
    TStatList& list = r.list;
    std::vector<int> all = list.methodListIndices(false);
    ASSERT_EQ(all.size(), static_cast<size_t>(list.count()));
    for (size_t i = 0; i < all.size(); ++i) EXPECT_EQ(all[i], static_cast<int>(i));
    for (int i : list.methodListIndices(true)) EXPECT_TRUE(list.isGraph(i));
    EXPECT_LT(list.methodListIndices(true).size(), all.size());

    list.applyFavouritesText("SUMS,NUMS,SUMV,POS2");
    EXPECT_EQ(list.methodListIndices(false),
              (std::vector<int>{list.methodWithCode("NUMS"), list.methodWithCode("SUMS"), list.methodWithCode("SUMV"),
                                list.methodWithCode("POS2")}));
    EXPECT_EQ(list.methodListIndices(true),
              (std::vector<int>{list.methodWithCode("SUMS"), list.methodWithCode("POS2")}));
    // Ordered: alphabetically by caption, "Сумма тиража: все ..." < "Сумма тиража: изменения ..." <
    // "Числа тиража" < "Число в 2 ...".
    list.ordered = true;
    list.showGroupName = false;
    EXPECT_EQ(list.methodListIndices(false),
              (std::vector<int>{list.methodWithCode("SUMS"), list.methodWithCode("SUMV"), list.methodWithCode("NUMS"),
                                list.methodWithCode("POS2")}));
}

TEST(StatList, MethodByCodeTakesTheFirstPrefixInRegistryOrder) {
    TDrawsArray draws;
    test::Registry r(draws);
    const TStatList& list = r.list;
    EXPECT_EQ(list.methodByCode("SUMS 1;2;3"), list.methodWithCode("SUMS"));
    EXPECT_EQ(list.methodByCode("sum2|values"), list.methodWithCode("SUM2"));
    EXPECT_EQ(list.methodByCode("pos3"), list.methodWithCode("POS3"));
    EXPECT_EQ(list.methodByCode("SUM"), -1);
    EXPECT_EQ(list.methodByCode(""), -1);
    EXPECT_EQ(list.methodByCode("ZZZZ"), -1);
    EXPECT_EQ(list.methodWithCode("SUMSX"), -1);
}

TEST(StatList, InstanceFromSelectionAndHelpTopics) {
    TDrawsArray draws;
    test::Registry r(draws);
    TStatList& list = r.list;
    try {
        list.instanceFromSelection(nullptr, "cbDrawsStatType");
        FAIL() << "no exception";
    } catch (const EError& e) {
        EXPECT_STREQ(e.what(), "Не выбран метод расчета статистики (cb: cbDrawsStatType)!");
    }
    EXPECT_THROW(list.instanceFromSelection(-1, "cbDrawsGraphType"), EError);
    EXPECT_THROW(list.instanceFromSelection(list.count(), "cb"), EError);
    auto inst = list.instanceFromSelection(&list.item(0), "cb");
    ASSERT_NE(inst, nullptr);
    EXPECT_EQ(&inst->statClass(), &kTstValues);

    const int pos3 = list.methodWithCode("POS3");
    const int sum2 = list.methodWithCode("SUM2");
    EXPECT_EQ(list.item(pos3).helpTopic(), "");
    EXPECT_EQ(kTstPosVal.helpPage(3), "Filters_1049_POSx.htm");
    EXPECT_EQ(kTstSumRanges.helpPage(1), "Filters_1049_SUM1.htm");
    test::TempDir dir;
    list.helpFile = (dir / "missing.chm").string();
    EXPECT_EQ(list.item(pos3).helpTopic(), "");
    const std::string help = (dir / "Tavlora.chm").string();
    std::ofstream(help) << "x";
    list.helpFile = help;
    EXPECT_EQ(list.item(pos3).helpTopic(), "ms-its:" + help + "::/Filters_1049_POSx.htm");
    EXPECT_EQ(list.item(sum2).helpTopic(), "ms-its:" + help + "::/Filters_1049_SUM2.htm");
}

TEST(StatList, MethodFileRoundTrip) {
    test::TempDir dir;
    const auto file = dir / "Tavlora_5d69.flt";
    TDrawsArray draws;
    {
        test::Registry r(draws);
        r.list.applyFavouritesText("NUMS,POS2");
        r.list.ordered = true;
        r.list.showMethodFlags = false;
        r.list.item(r.list.methodWithCode("SUMS")).customCaption = "Сумма всех чисел";
        r.list.saveMethodFile(file, true, false);
    }
    const std::string bytes = readFile(file);
    EXPECT_NE(bytes.find("[FILTERS]\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("Favorites=NUMS,POS2\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("[STRINGS_RUS]\r\n"), std::string::npos);
    EXPECT_NE(bytes.find(utf8ToCp1251("SUMS=Сумма всех чисел")), std::string::npos);
    EXPECT_EQ(bytes.find("NUMS=Числа"), std::string::npos);  // only custom captions

    test::Registry fresh(draws);
    fresh.list.loadMethodFile(file, true);
    EXPECT_FALSE(fresh.list.allFavourites);
    EXPECT_EQ(fresh.list.favouritesText(), "NUMS,POS2");
    EXPECT_TRUE(fresh.list.ordered);
    EXPECT_TRUE(fresh.list.showGroupName);
    EXPECT_FALSE(fresh.list.showMethodFlags);
    EXPECT_EQ(fresh.list.item(fresh.list.methodWithCode("SUMS")).customCaption, "Сумма всех чисел");
    EXPECT_EQ(fresh.list.listCaption(fresh.list.methodWithCode("SUMS"), true), "{ sum } Сумма всех чисел");

    // Without filters only the captions are taken.
    test::Registry captionsOnly(draws);
    captionsOnly.list.loadMethodFile(file, false);
    EXPECT_TRUE(captionsOnly.list.allFavourites);
    EXPECT_FALSE(captionsOnly.list.ordered);
    EXPECT_EQ(captionsOnly.list.item(captionsOnly.list.methodWithCode("SUMS")).customCaption, "Сумма всех чисел");

    // Saving all captions writes every display caption and drops the old ones; a removed custom
    // caption does not survive a save.
    fresh.list.item(fresh.list.methodWithCode("SUMS")).customCaption.clear();
    fresh.list.saveMethodFile(file, false, true);
    const std::string all = readFile(file);
    EXPECT_NE(all.find(utf8ToCp1251("NUMS=Числа тиража\r\n")), std::string::npos);
    EXPECT_NE(all.find(utf8ToCp1251("SUMS=Сумма тиража: все значения\r\n")), std::string::npos);
    EXPECT_EQ(all.find(utf8ToCp1251("Сумма всех чисел")), std::string::npos);
    EXPECT_NE(all.find("Favorites=NUMS,POS2"), std::string::npos);  // FILTERS left as it was
}

TEST(StatList, MethodFileDefaultsAndFailures) {
    test::TempDir dir;
    TDrawsArray draws;
    test::Registry r(draws);
    // A missing file keeps the current settings.
    r.list.applyFavouritesText("SUMS");
    r.list.loadMethodFile(dir / "none.flt", true);
    EXPECT_EQ(r.list.favouritesText(), "SUMS");
    EXPECT_TRUE(r.list.showGroupName);

    // A file that cannot be read: the load message, and nothing changed.
    try {
        r.list.loadMethodFile(dir.path(), true);
        FAIL() << "no exception";
    } catch (const EError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Ошибка загрузки списка фильтров!\r\r", 0), 0u) << e.what();
    }
    EXPECT_EQ(r.list.favouritesText(), "SUMS");
    ScriptedInteraction ui;
    EXPECT_FALSE(r.list.loadMethodFile(dir.path(), true, ui));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].kind, MessageKind::Warning);

    // A file that cannot be written.
    const auto badPath = dir / "no" / "such" / "folder" / "x.flt";
    try {
        r.list.saveMethodFile(badPath, true, false);
        FAIL() << "no exception";
    } catch (const EError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Ошибка сохранения списка фильтров!\r\r", 0), 0u) << e.what();
    }
    EXPECT_FALSE(r.list.saveMethodFile(badPath, true, false, ui));
    EXPECT_EQ(ui.messages.size(), 2u);
    EXPECT_TRUE(r.list.saveMethodFile(dir / "ok.flt", true, false, ui));
}

TEST(StatList, MethodFileNamingNoKnownFavouriteKeepsEveryMethodListed) {
    TDrawsArray draws;
    // Favourites naming no method (an old file, a typing error) would hide every method; known
    // codes among unknown ones are kept.
    const struct {
        const char* favorites;
        bool allFavourites;
        const char* text;
    } cases[] = {
        {"NOSUCH", true, ""},
        {"NOSUCH,,  ", true, ""},
        {"NOSUCH,SUMS", false, "SUMS"},
        {"sums,nums", false, "NUMS,SUMS"},
    };
    for (const auto& c : cases) {
        test::Registry r(draws);
        r.list.applyFavouritesText("POS2");
        IniFile ini;
        ini.loadFromBytes(std::string("[FILTERS]\r\nFavorites=") + c.favorites + "\r\n");
        r.list.applyMethodFile(ini, true);
        EXPECT_EQ(r.list.allFavourites, c.allFavourites) << c.favorites;
        EXPECT_EQ(r.list.favouritesText(), c.text) << c.favorites;
        EXPECT_FALSE(r.list.methodListIndices(false).empty()) << c.favorites;
    }

    // Caption keys match codes without regard to case; of equal keys the first counts; a caption
    // not in the file is dropped.
    test::Registry r(draws);
    r.list.item(r.list.methodWithCode("POS2")).customCaption = "old";
    IniFile ini;
    ini.loadFromBytes("[strings_rus]\r\nsums=A\r\nSUMS=B\r\n  Nums  =  C \r\nNOSUCH=D\r\n[STRINGS_ENG]\r\nEVEN=E\r\n");
    r.list.applyMethodFile(ini, false);
    for (int i = 0; i < r.list.count(); ++i) {
        const std::string& code = r.list.item(i).code();
        const std::string expected = code == "SUMS" ? "A" : code == "NUMS" ? "C" : "";
        EXPECT_EQ(r.list.item(i).customCaption, expected) << code;
    }
}

}  // namespace
}  // namespace tavlora
