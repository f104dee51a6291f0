#include "core/settings.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <fstream>

#include "core/codepage.h"
#include "core/error.h"
#include "core/file_util.h"
#include "core/ini_file.h"
#include "test_support.h"

using namespace tavlora;

namespace {

void writeBytes(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream f(p, std::ios::binary);
    f << bytes;
}

struct PointSeparator {
    explicit PointSeparator(char c = '.') { setDecimalSeparatorOverride(c); }
    ~PointSeparator() { setDecimalSeparatorOverride('\0'); }
};

// Makes writes beyond `bytes` fail with EFBIG, as a full disk would (works for root too).
struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old);
        prevHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit r = old;
        r.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &r);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, prevHandler);
    }
    rlimit old{};
    void (*prevHandler)(int) = nullptr;
};

TSettings loadAll(const std::filesystem::path& p) {
    TSettings s;
    s.loadSettings(p);
    s.loadGeneratorMemory(p);
    s.loadShredding(p);
    return s;
}

}  // namespace

TEST(Settings, NoFileGivesEveryDefault) {
    test::TempDir dir;
    TSettings s;
    s.config.matrixCols = 3;  // loading replaces whatever was held
    s.config.profits.push_back({3, 10000});
    s.formulaDigits = {4, 4, 4};
    s.loadSettings(dir / "Tavlora_5d69.ini");
    s.loadGeneratorMemory(dir / "Tavlora_5d69.ini");
    s.loadShredding(dir / "Tavlora_5d69.ini");
    EXPECT_EQ(s.config.matrixCols, 7);
    EXPECT_EQ(s.config.channelSize, 10);
    for (uint8_t seg : s.config.segments) EXPECT_EQ(seg, 1);
    EXPECT_EQ(s.config.stakeCost, 0);
    EXPECT_EQ(s.config.maxStake, 5);
    EXPECT_TRUE(s.config.profits.empty());
    EXPECT_EQ(s.config.weights.count, 0.0L);
    EXPECT_EQ(s.config.weights.deviation, -1.0L);
    EXPECT_EQ(s.config.weights.level, 1.0L);
    EXPECT_FALSE(s.config.weights.usePercents);
    EXPECT_FALSE(s.config.weights.useAbsValues);
    EXPECT_EQ(s.formulas[0], "(n1+n2+n3)/(n4+n5)");
    EXPECT_EQ(s.formulas[1], "(n4+n5)/(n1+n2+n3)");
    EXPECT_EQ(s.formulas[2], "(n1+n2)/(n3+n4+n5)");
    EXPECT_EQ(s.formulaDigits, (std::array<int32_t, 3>{2, 2, 2}));
    EXPECT_EQ(s.generateMode, 0);
    EXPECT_EQ(s.generateParameters, "");
    EXPECT_FALSE(std::filesystem::exists(dir / "Tavlora_5d69.ini"));
}

TEST(Settings, SegmentText) {
    test::TempDir dir;
    const auto p = dir / "s.ini";
    writeBytes(p, "[GLOBAL]\r\nMatrixSegments=1234x6709\r\n");  // short, a letter, a zero
    TSettings s;
    s.loadSettings(p);
    const std::array<uint8_t, 9> head{1, 2, 3, 4, 1, 6, 7, 1, 9};
    for (std::size_t i = 0; i < head.size(); ++i) EXPECT_EQ(s.config.segments[i], head[i]) << "number " << i + 1;
    for (std::size_t i = head.size(); i < 69; ++i) EXPECT_EQ(s.config.segments[i], 1) << "number " << i + 1;
    // A Cyrillic letter is one character, so the following digit stays at its own number.
    EXPECT_EQ(TSettings::parseSegments("Ж5")[1], 5);
    EXPECT_EQ(TSettings::parseSegments(std::string(100, '3'))[68], 3);  // extra characters ignored

    s.config.segments[68] = 9;
    s.saveSettings(p);
    IniFile ini(p);
    const std::string text = ini.readString("GLOBAL", "MatrixSegments");
    EXPECT_EQ(text.size(), 69u);
    EXPECT_EQ(text.substr(0, 10), "1234167191");
    EXPECT_EQ(text.back(), '9');
    TSettings back;
    back.loadSettings(p);
    EXPECT_EQ(back.config.segments, s.config.segments);
}

TEST(Settings, MoneyIsHeldInTenThousandthsAndWrittenBack) {
    PointSeparator point;
    test::TempDir dir;
    const auto p = dir / "m.ini";
    writeBytes(p, "[STAKES]\r\nCost=0,5\r\nProfits=3\r\nProfit_0_Overlap=3\r\nProfit_0_Profit=1.00005\r\n"
                  "Profit_1_Overlap=5\r\nProfit_1_Profit=1000000\r\nProfit_2_Overlap=4\r\nProfit_2_Profit=0.12344\r\n");
    TSettings s;
    s.loadSettings(p);
    EXPECT_EQ(s.config.stakeCost, 5000);
    ASSERT_EQ(s.config.profits.size(), 3u);
    EXPECT_EQ(s.config.profits[0].prize, 10001);  // 10000.5 rounds to nearest
    EXPECT_EQ(s.config.profits[1].prize, 10000000000LL);
    EXPECT_EQ(s.config.profits[2].prize, 1234);
    s.saveSettings(p);
    IniFile ini(p);
    EXPECT_EQ(ini.readString("STAKES", "Cost"), "0.5");
    EXPECT_EQ(ini.readString("STAKES", "Profit_1_Profit"), "1000000");
    EXPECT_EQ(ini.readString("STAKES", "Profit_0_Profit"), "1.0001");
    {
        PointSeparator comma(',');
        s.saveSettings(p);
        EXPECT_EQ(IniFile(p).readString("STAKES", "Cost"), "0,5");
    }
    TSettings back;
    back.loadSettings(p);
    EXPECT_EQ(back.config, s.config);
}

TEST(Settings, PrizeTableAndStakeResult) {
    test::TempDir dir;
    const auto p = dir / "Tavlora_5d69.ini";
    writeBytes(p, "[STAKES]\r\nCost=2.5\r\nProfits=2\r\nProfit_0_Overlap=3\r\nProfit_0_Profit=1.00\r\n"
                  "Profit_1_Overlap=5\r\nProfit_1_Profit=1000000\r\n");
    TSettings s;
    s.loadSettings(p);
    const int64_t cost = 25000;
    EXPECT_EQ(s.stakeResult(5, 3), 10000 - cost);
    EXPECT_EQ(s.stakeResult(5, 4), -cost);
    EXPECT_EQ(s.stakeResult(5, 5), 10000000000LL - cost);
    EXPECT_EQ(s.stakeResult(5, 0), -cost);
    EXPECT_EQ(s.stakeResult(5, -1), -cost);
    EXPECT_EQ(s.stakeResult(6, 3), 10000 - 6 * cost);  // an extended stake of 6 numbers costs 6 stakes
    EXPECT_EQ(s.stakeResult(7, 5), 10000000000LL - 21 * cost);
    // Only the first row of a match count counts.
    s.config.profits.push_back({3, 999999});
    EXPECT_EQ(s.stakeResult(5, 3), 10000 - cost);
    s.clearPrizeTable();
    EXPECT_EQ(s.stakeResult(5, 5), -cost);
}

TEST(Settings, UnreadableAndOutOfRangeValuesAreMadeSafe) {
    test::TempDir dir;
    const auto p = dir / "bad.ini";
    writeBytes(p, "[GLOBAL]\r\nMatrixCols=0\r\nChannelSize=abc\r\nCombsGenerateMode=300\r\n"
                  "[STAKES]\r\nCost=много\r\nMaxStake=x\r\nProfits=2000000000\r\nProfit_0_Overlap=3\r\nProfit_0_Profit=1\r\n"
                  "[CDL]\r\nCount=1,5\r\nDeviation=?\r\nLevel=\r\nUsePercents=2\r\nUseAbsValues=-1\r\n"
                  "[SHREDDING]\r\nFormula1Digits=100\r\nFormula2Digits=-3\r\nFormula3Digits=5\r\n");
    const TSettings s = loadAll(p);
    EXPECT_EQ(s.config.matrixCols, 1);     // width 0 has no columns: kept at least 1
    EXPECT_EQ(s.config.channelSize, 10);  // unreadable -> default
    EXPECT_EQ(s.config.stakeCost, 0);
    EXPECT_EQ(s.config.maxStake, 5);
    EXPECT_EQ(s.config.profits.size(), static_cast<std::size_t>(TSettings::kMaxPrizeRows));
    EXPECT_EQ(s.config.profits[0].overlap, 3);
    EXPECT_EQ(s.config.profits[1].overlap, 0);
    EXPECT_EQ(s.config.weights.count, 1.5L);
    EXPECT_EQ(s.config.weights.deviation, -1.0L);
    EXPECT_EQ(s.config.weights.level, 1.0L);
    EXPECT_TRUE(s.config.weights.usePercents);
    EXPECT_FALSE(s.config.weights.useAbsValues);
    EXPECT_EQ(s.generateMode, 0);
    EXPECT_EQ(s.formulaDigits, (std::array<int32_t, 3>{5, 1, 5}));

    writeBytes(p, "[GLOBAL]\r\nMatrixCols=500\r\nChannelSize=-4\r\n[STAKES]\r\nProfits=-3\r\n");
    TSettings t;
    t.loadSettings(p);
    EXPECT_EQ(t.config.matrixCols, 69);
    EXPECT_EQ(t.config.channelSize, 1);
    EXPECT_TRUE(t.config.profits.empty());
}

TEST(Settings, RowWeight) {
    TWeights w;  // 0 / -1 / 1: weight = r - c + d
    EXPECT_EQ(TSettings::rowWeight(w, 10, 15, 4, true, 100, 20), 15 - 10 + 4);
    EXPECT_EQ(TSettings::rowWeight(w, 10, 15, 4, false, 100, 20), 4);  // no norm: no deviation
    w.usePercents = true;
    w.count = 1;
    // count 10*100/100 = 10; deviation (10-15)*100/15 = -33.33..; depth 4*100/20 = 20
    EXPECT_NEAR(static_cast<double>(TSettings::rowWeight(w, 10, 15, 4, true, 100, 20)), 10 + 500.0 / 15 + 20, 1e-12);
    EXPECT_EQ(TSettings::rowWeight(w, 10, 0, 4, true, 0, 0), 0);  // zero totals give zero terms
    w.useAbsValues = true;
    w.deviation = 1;
    EXPECT_NEAR(static_cast<double>(TSettings::rowWeight(w, 10, 15, 4, true, 100, 20)), 10 + 500.0 / 15 + 20, 1e-12);
    w.usePercents = false;
    EXPECT_EQ(TSettings::rowWeight(w, 10, 15, 4, true, 100, 20), 10 + 5 + 4);
    // The products are 32-bit: 30,000,000 * 100 wraps before the division.
    TWeights pc;
    pc.count = 1;
    pc.deviation = 0;
    pc.level = 0;
    pc.usePercents = true;
    const int32_t wrapped = static_cast<int32_t>(static_cast<uint32_t>(30000000) * 100u);
    EXPECT_EQ(TSettings::rowWeight(pc, 30000000, 0, 0, false, 1, 1), static_cast<long double>(wrapped));
    // The holder's own block is used by the member form.
    TSettings s;
    s.config.weights = pc;
    EXPECT_EQ(s.rowWeight(50, 0, 0, false, 200, 1), 25.0L);
}

TEST(Settings, WeightsCanBeSavedReplacedAndRestored) {
    TSettings s;
    s.saveWeights();
    TWeights scenario;
    scenario.count = 7;
    s.useWeightsOf(&scenario);
    EXPECT_EQ(s.config.weights.count, 7.0L);
    s.useWeightsOf(nullptr);
    EXPECT_EQ(s.config.weights.count, 0.0L);
    s.config.weights.level = 3;
    s.restoreWeights();
    EXPECT_EQ(s.config.weights.level, 1.0L);
}

TEST(Settings, SavingKeepsOtherSectionsAndKeys) {
    PointSeparator point;
    test::TempDir dir;
    const auto p = dir / "Tavlora_5d69.ini";
    writeBytes(p, "[GLOBAL]\r\nMatrixCols=7\r\nAutoDownload=1\r\n[PROXY]\r\nHost=10.0.0.1\r\nPort=3128\r\n"
                  "[STAKES]\r\nProfits=3\r\nProfit_2_Overlap=5\r\nProfit_2_Profit=9\r\n");
    TSettings s = loadAll(p);
    s.config.matrixCols = 10;
    s.config.profits = {{3, 10000}};
    s.config.weights.usePercents = true;
    s.generateMode = 2;
    s.generateParameters = "Параметры";
    s.formulas[1] = "n1*p1";
    s.formulaDigits[1] = 4;
    s.saveSettings(p);
    s.saveGeneratorMemory(p);
    s.saveShredding(p);
    IniFile ini(p);
    EXPECT_EQ(ini.readString("PROXY", "Host"), "10.0.0.1");
    EXPECT_EQ(ini.readInteger("PROXY", "Port", 0), 3128);
    EXPECT_EQ(ini.readInteger("GLOBAL", "AutoDownload", 0), 1);
    EXPECT_EQ(ini.readInteger("CDL", "UsePercents", -1), 1);
    EXPECT_EQ(ini.readInteger("STAKES", "Profits", -1), 1);
    EXPECT_FALSE(ini.keyExists("STAKES", "Profit_2_Overlap"));  // rows beyond the table are gone
    const std::string bytes = readFileBytes(p);
    EXPECT_NE(bytes.find("[PROXY]\r\nHost=10.0.0.1\r\nPort=3128\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("CombsGenerateParameters=\xCF\xE0\xF0\xE0\xEC\xE5\xF2\xF0\xFB\r\n"), std::string::npos);

    const TSettings back = loadAll(p);
    EXPECT_EQ(back.config, s.config);
    EXPECT_EQ(back.generateMode, 2);
    EXPECT_EQ(back.generateParameters, "Параметры");
    EXPECT_EQ(back.formulas, s.formulas);
    EXPECT_EQ(back.formulaDigits, s.formulaDigits);
}

TEST(Settings, GeneratorParametersAreKeptTo255Characters) {
    test::TempDir dir;
    const auto p = dir / "g.ini";
    TSettings s;
    for (int i = 0; i < 300; ++i) s.generateParameters += "Щ";
    s.saveGeneratorMemory(p);
    TSettings back;
    back.loadGeneratorMemory(p);
    EXPECT_EQ(cp1251Length(back.generateParameters), 255u);
    writeBytes(p, "[GLOBAL]\r\nCombsGenerateParameters=" + std::string(400, 'a') + "\r\n");
    back.loadGeneratorMemory(p);
    EXPECT_EQ(back.generateParameters, std::string(255, 'a'));
}

TEST(Settings, UnwritableFileThrowsAndKeepsTheOldFile) {
    test::TempDir dir;
    const auto p = dir / "Tavlora_5d69.ini";
    const std::string old = "[PROXY]\r\nHost=h\r\n";
    writeBytes(p, old);
    TSettings s;
    {
        FileSizeLimit limit(8);
        try {
            s.saveSettings(p);
            ADD_FAILURE() << "no error";
        } catch (const EError& e) {
            const std::string msg = e.what();
            EXPECT_EQ(msg.rfind("Ошибка записи в файл конфигурации!\r\r", 0), 0u) << msg;
            EXPECT_GT(msg.size(), std::string("Ошибка записи в файл конфигурации!\r\r").size());  // system message
        }
        EXPECT_THROW(s.saveShredding(p), EError);
        EXPECT_THROW(s.saveGeneratorMemory(p), EError);
    }
    EXPECT_EQ(readFileBytes(p), old);
    // A folder that does not exist cannot take the file either.
    EXPECT_THROW(s.saveSettings(dir / "missing" / "x.ini"), EError);
    // A settings path that is a folder reads as defaults and cannot be written.
    std::filesystem::create_directories(dir / "folder.ini");
    TSettings f;
    f.loadSettings(dir / "folder.ini");
    EXPECT_EQ(f.config.matrixCols, 7);
    EXPECT_THROW(f.saveSettings(dir / "folder.ini"), EError);
}

TEST(Settings, PrizeEditorKeepsEveryPrizeAtItsNumberOfMatches) {
    // The table of the example file: (3, 1.00) and (5, 1000000), plus a repeated row for 3.
    const std::vector<TPrizeRow> table{{3, 10000}, {5, 10000000000LL}, {3, 777}, {9, 5}};
    const auto shown = TSettings::prizeEditorValues(table);
    EXPECT_EQ(shown, (std::array<int64_t, 6>{0, 0, 0, 10000, 0, 10000000000LL}));
    // Confirming the dialog as shown gives six rows with the same prizes per match count.
    std::vector<std::pair<std::string, std::string>> rows;
    for (int k = 0; k < 6; ++k) rows.emplace_back(std::to_string(k), std::to_string(shown[k] / 10000) + ",00");
    TSettings s;
    s.config.stakeCost = 5000;
    s.config.profits = table;
    const int64_t before3 = s.stakeResult(5, 3), before5 = s.stakeResult(5, 5);
    s.config.profits = TSettings::prizeTableFromEditor(rows);
    EXPECT_EQ(s.config.profits.size(), 6u);
    EXPECT_EQ(s.stakeResult(5, 3), before3);
    EXPECT_EQ(s.stakeResult(5, 5), before5);
    EXPECT_EQ(s.stakeResult(5, 0), -5000);
    // Unreadable texts become 0; both separators are read; prizes round to 1/10000.
    const auto odd = TSettings::prizeTableFromEditor({{"x", "1.5"}, {"2", ""}, {"4", "0,00005"}, {"300", "1"}});
    ASSERT_EQ(odd.size(), 4u);
    EXPECT_EQ(odd[0], (TPrizeRow{0, 15000}));
    EXPECT_EQ(odd[1], (TPrizeRow{2, 0}));
    EXPECT_EQ(odd[2], (TPrizeRow{4, 1}));
    EXPECT_EQ(odd[3].overlap, 255);  // never matches
}

TEST(Settings, SegmentCells) {
    EXPECT_TRUE(TSettings::validSegmentCell(""));
    EXPECT_TRUE(TSettings::validSegmentCell("7"));
    EXPECT_FALSE(TSettings::validSegmentCell("0"));
    EXPECT_FALSE(TSettings::validSegmentCell("10"));
    EXPECT_FALSE(TSettings::validSegmentCell("3a"));
    EXPECT_EQ(TSettings::segmentOfCell(""), 1);
    EXPECT_EQ(TSettings::segmentOfCell("9"), 9);
    EXPECT_EQ(TSettings::segmentOfCell("12"), 1);
}
