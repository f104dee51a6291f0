#include "core/ini_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include <fstream>

#include "core/codepage.h"
#include "core/error.h"
#include "core/file_util.h"
#include "test_support.h"

using namespace tavlora;

namespace {
void writeBytes(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream f(p, std::ios::binary);
    f << bytes;
}
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
struct SeparatorGuard {
    explicit SeparatorGuard(char c) { setDecimalSeparatorOverride(c); }
    ~SeparatorGuard() { setDecimalSeparatorOverride('\0'); }
};
}  // namespace

TEST(IniFile, MissingFileIsEmptyAndReadsDefaults) {
    test::TempDir dir;
    IniFile ini(dir / "none.ini");
    EXPECT_FALSE(ini.sectionExists("GLOBAL"));
    EXPECT_EQ(ini.readString("GLOBAL", "X", "def"), "def");
    EXPECT_EQ(ini.readInteger("GLOBAL", "X", 42), 42);
    EXPECT_EQ(ini.readReal("GLOBAL", "X", 1.5L), 1.5L);
    EXPECT_TRUE(ini.readBool("GLOBAL", "X", true));
    EXPECT_TRUE(ini.sectionKeys("GLOBAL").empty());
    EXPECT_FALSE(std::filesystem::exists(dir / "none.ini"));  // reading creates nothing
}

TEST(IniFile, NamesMatchWithoutRegardToCase) {
    IniFile ini;
    ini.loadFromBytes(utf8ToCp1251("[Global]\r\nMatrixCols = 9 \r\n[Строки_RUS]\r\nКод=Имя\r\n"));
    EXPECT_EQ(ini.readInteger("GLOBAL", "matrixcols", 0), 9);
    EXPECT_EQ(ini.readString("строки_rus", "КОД", ""), "Имя");
    EXPECT_TRUE(ini.sectionExists("СТРОКИ_RUS"));
    ini.writeString("GLOBAL", "MATRIXCOLS", "10");
    EXPECT_EQ(ini.sectionKeys("global"), std::vector<std::string>{"MatrixCols"});  // one key, original spelling
    EXPECT_EQ(ini.readInteger("Global", "MatrixCols", 0), 10);
}

TEST(IniFile, IntegersAreReadFromTheWholeValue) {
    IniFile ini;
    ini.loadFromBytes("[S]\r\nA=12abc\r\nB=-7\r\nC=abc\r\nD=\r\nE= +5\r\nF=99999999999\r\nG=-2147483648\r\n"
                      "H=0x0000FF\r\nI=$1F\r\nJ=0xFFFFFFFF\r\nK=7 8\r\nL=0x\r\n");
    EXPECT_EQ(ini.readInteger("S", "A", 7), 7);   // not a number as a whole -> default
    EXPECT_EQ(ini.readInteger("S", "B", 0), -7);
    EXPECT_EQ(ini.readInteger("S", "C", 3), 3);
    EXPECT_EQ(ini.readInteger("S", "D", 4), 4);   // empty -> default
    EXPECT_EQ(ini.readInteger("S", "E", 0), 5);
    EXPECT_EQ(ini.readInteger("S", "F", 9), 9);   // beyond 32 bits -> default
    EXPECT_EQ(ini.readInteger("S", "G", 0), INT32_MIN);
    EXPECT_EQ(ini.readInteger("S", "H", 0), 255);  // a Windows colour value
    EXPECT_EQ(ini.readInteger("S", "I", 0), 31);
    EXPECT_EQ(ini.readInteger("S", "J", 0), -1);
    EXPECT_EQ(ini.readInteger("S", "K", 6), 6);
    EXPECT_EQ(ini.readInteger("S", "L", 6), 6);
    EXPECT_EQ(ini.readInteger("S", "Missing", -1), -1);
    EXPECT_TRUE(ini.readBool("S", "H", false));
    EXPECT_FALSE(ini.readBool("S", "A", false));  // "12abc" is no switch value
}

TEST(IniFile, RealsAcceptPointAndComma) {
    IniFile ini;
    ini.loadFromBytes("[S]\r\nA=0,5\r\nB=0.25\r\nC=-1\r\nD=1.5x\r\nE=nan\r\nF=1e3\r\nG=\r\n");
    EXPECT_EQ(ini.readReal("S", "A", 0), 0.5L);
    EXPECT_EQ(ini.readReal("S", "B", 0), 0.25L);
    EXPECT_EQ(ini.readReal("S", "C", 0), -1.0L);
    EXPECT_EQ(ini.readReal("S", "D", 7), 7.0L);  // not a number as a whole
    EXPECT_EQ(ini.readReal("S", "E", 7), 7.0L);
    EXPECT_EQ(ini.readReal("S", "F", 0), 1000.0L);
    EXPECT_EQ(ini.readReal("S", "G", 2), 2.0L);
}

TEST(IniFile, RealsAreWrittenWithTheSystemSeparator) {
    SeparatorGuard comma(',');
    IniFile ini;
    ini.writeReal("S", "Half", 0.5L);
    ini.writeReal("S", "Big", 1000000.0L);
    ini.writeReal("S", "Neg", -1.0L);
    ini.writeReal("S", "Tenth", 0.1L);
    EXPECT_EQ(ini.readString("S", "Half"), "0,5");
    EXPECT_EQ(ini.readString("S", "Big"), "1000000");
    EXPECT_EQ(ini.readString("S", "Neg"), "-1");
    EXPECT_EQ(ini.readString("S", "Tenth"), "0,1");
    EXPECT_EQ(ini.readReal("S", "Tenth", 0), 0.1L);
    setDecimalSeparatorOverride('.');
    ini.writeReal("S", "Half", 0.5L);
    EXPECT_EQ(ini.readString("S", "Half"), "0.5");
}

TEST(IniFile, BooleansAndQuotedValues) {
    IniFile ini;
    ini.loadFromBytes("[S]\r\nA=1\r\nB=0\r\nC=true\r\nD=maybe\r\nQ=\"  spaced  \"\r\n");
    EXPECT_TRUE(ini.readBool("S", "A", false));
    EXPECT_FALSE(ini.readBool("S", "B", true));
    EXPECT_TRUE(ini.readBool("S", "C", false));
    EXPECT_FALSE(ini.readBool("S", "D", false));
    EXPECT_EQ(ini.readString("S", "Q"), "  spaced  ");
    ini.writeBool("S", "A", false);
    EXPECT_EQ(ini.readString("S", "A"), "0");
}

TEST(IniFile, WritingKeepsEverythingElseInOrder) {
    const std::string original =
        "; comment at the top\r\n"
        "[GLOBAL]\r\n"
        "MatrixCols=7\r\n"
        "Other=x\r\n"
        "\r\n"
        "[PROXY]\r\n"
        "Host=proxy.example\r\n"
        "Port=8080\r\n"
        "\r\n"
        "[STAKES]\r\n"
        "Cost=1\r\n";
    IniFile ini;
    ini.loadFromBytes(original);
    EXPECT_EQ(ini.toBytes(), original);  // untouched file comes back byte for byte
    ini.writeInteger("GLOBAL", "MatrixCols", 10);
    ini.writeString("GLOBAL", "ChannelSize", "5");
    ini.writeString("NEW", "Key", "Value");
    EXPECT_EQ(ini.toBytes(),
              "; comment at the top\r\n"
              "[GLOBAL]\r\n"
              "MatrixCols=10\r\n"
              "Other=x\r\n"
              "ChannelSize=5\r\n"
              "\r\n"
              "[PROXY]\r\n"
              "Host=proxy.example\r\n"
              "Port=8080\r\n"
              "\r\n"
              "[STAKES]\r\n"
              "Cost=1\r\n"
              "[NEW]\r\n"
              "Key=Value\r\n");
    EXPECT_EQ(ini.sections(), (std::vector<std::string>{"GLOBAL", "PROXY", "STAKES", "NEW"}));
    ini.eraseSection("proxy");
    EXPECT_FALSE(ini.sectionExists("PROXY"));
    EXPECT_EQ(ini.readString("STAKES", "Cost"), "1");
    ini.eraseKey("GLOBAL", "other");
    EXPECT_EQ(ini.sectionKeys("GLOBAL"), (std::vector<std::string>{"MatrixCols", "ChannelSize"}));
}

TEST(IniFile, LineEndsAndValuesThatWouldBreakTheFile) {
    IniFile ini;
    ini.loadFromBytes("[A]\nX=1\rY=2\r\nZ=3");  // LF, CR and CR LF mixed, no final line end
    EXPECT_EQ(ini.readInteger("A", "X", 0), 1);
    EXPECT_EQ(ini.readInteger("A", "Y", 0), 2);
    EXPECT_EQ(ini.readInteger("A", "Z", 0), 3);
    ini.writeString("A", "Multi", "line1\r\nline2");
    IniFile back;
    back.loadFromBytes(ini.toBytes());
    EXPECT_EQ(back.sectionKeys("A").size(), 4u);
    EXPECT_EQ(back.readString("A", "Multi"), "line1  line2");
}

TEST(IniFile, FileOnDiskIsWindows1251WithCrLf) {
    test::TempDir dir;
    const auto path = dir / "t.ini";
    IniFile ini(path);
    ini.writeString("СТРОКИ", "Ключ", "Значение");
    ini.save();
    EXPECT_EQ(readFileBytes(path), "[\xD1\xD2\xD0\xCE\xCA\xC8]\r\n\xCA\xEB\xFE\xF7=\xC7\xED\xE0\xF7\xE5\xED\xE8\xE5\r\n");
    IniFile again(path);
    EXPECT_EQ(again.readString("строки", "ключ"), "Значение");
    // A file saved as UTF-8 with a byte order mark by a text editor reads too.
    writeBytes(dir / "u.ini", "\xEF\xBB\xBF[S]\r\nK=Тест\r\n");
    EXPECT_EQ(IniFile(dir / "u.ini").readString("S", "K"), "Тест");
}

TEST(IniFile, FailedSaveThrowsAndKeepsTheOldFile) {
    test::TempDir dir;
    const auto path = dir / "t.ini";
    writeBytes(path, "[S]\r\nK=old\r\n");
    IniFile ini(path);
    ini.writeString("S", "K", std::string(4000, 'n'));
    {
        FileSizeLimit limit(64);  // the disk is "full" after 64 bytes
        EXPECT_THROW(ini.save(), EError);
    }
    EXPECT_EQ(readFileBytes(path), "[S]\r\nK=old\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()), 1);
    ini.save();
    EXPECT_EQ(IniFile(path).readString("S", "K").size(), 4000u);
    // A folder that does not exist.
    IniFile lost;
    lost.writeString("S", "K", "v");
    EXPECT_THROW(lost.saveAs(dir / "missing" / "t.ini"), EError);
}
