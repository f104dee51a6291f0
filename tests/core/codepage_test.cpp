#include "core/codepage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

using namespace tavlora;

TEST(Codepage, CyrillicAndPunctuationConvertBothWays) {
    // "Архив тиражей" in Windows-1251.
    const std::string cp = "\xC0\xF0\xF5\xE8\xE2 \xF2\xE8\xF0\xE0\xE6\xE5\xE9";
    EXPECT_EQ(cp1251ToUtf8(cp), "Архив тиражей");
    EXPECT_EQ(utf8ToCp1251("Архив тиражей"), cp);
    // Letters and signs of the 0x80..0xBF block.
    EXPECT_EQ(cp1251ToUtf8("\xA8\xB8"), "Ёё");
    EXPECT_EQ(cp1251ToUtf8("\xB9"), "№");
    EXPECT_EQ(cp1251ToUtf8("\x88"), "€");
    EXPECT_EQ(cp1251ToUtf8("\xAB\xBB"), "«»");
    EXPECT_EQ(cp1251ToUtf8("\x80\x90"), "Ђђ");
    EXPECT_EQ(cp1251ToUtf8("\xAF\xBF\xA5\xB4"), "ЇїҐґ");
    EXPECT_EQ(cp1251ToUtf8("\x96\x97\x85"), "–—…");
    EXPECT_EQ(cp1251ToUtf8("\xA0"), "\u00A0");
    EXPECT_EQ(utf8ToCp1251("№ «Ёж» – €"), "\xB9 \xAB\xA8\xE6\xBB \x96 \x88");
}

TEST(Codepage, EveryByteSurvivesARoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    const std::string utf8 = cp1251ToUtf8(all);
    EXPECT_EQ(utf8ToCp1251(utf8), all);
    EXPECT_EQ(cp1251Length(utf8), 256u);
}

TEST(Codepage, CharactersWithoutAFormBecomeQuestionMarks) {
    EXPECT_EQ(utf8ToCp1251("a\u00E9b"), "a?b");         // é is not in the code page
    EXPECT_EQ(utf8ToCp1251("\xF0\x9F\x98\x80x"), "?x");  // emoji: one '?' for one character
    EXPECT_EQ(utf8ToCp1251("\xFF\xC3"), "??");           // malformed bytes never read past the end
    EXPECT_EQ(utf8ToCp1251("\xE2\x82"), "??");           // truncated sequence at the end
    EXPECT_EQ(utf8ToCp1251(""), "");
}

TEST(Codepage, LengthAndTruncationCountWindows1251Bytes) {
    EXPECT_EQ(cp1251Length("Привет"), 6u);
    EXPECT_EQ(cp1251Length("abc"), 3u);
    std::string letters;
    for (int i = 0; i < 300; ++i) letters += "Ж";
    const std::string cut = truncateToCp1251Bytes(letters, 255);
    EXPECT_EQ(cp1251Length(cut), 255u);
    EXPECT_EQ(cut.size(), 510u);  // no half character
    EXPECT_EQ(truncateToCp1251Bytes("abc", 255), "abc");
    EXPECT_EQ(truncateToCp1251Bytes("abc", 0), "");
}

TEST(Codepage, WellFormedUtf8IsToldFromOtherBytes) {
    const struct {
        std::string text;
        bool valid;
    } cases[] = {
        {"", true},
        {"abc", true},
        {"Архив №5 €", true},
        {"\xF0\x9F\x98\x80", true},      // outside the basic plane
        {"\xC0\xAF", false},               // overlong "/"
        {"\xED\xA0\x80", false},          // a surrogate
        {"\xF4\x90\x80\x80", false},     // past U+10FFFF
        {"\xD0", false},                    // cut short at the end
        {"\xC0\xF0\xE0", false},          // Windows-1251 "Ара"
        {"ok\x80", false},                  // a lone continuation byte
    };
    for (const auto& c : cases) EXPECT_EQ(isValidUtf8(c.text), c.valid) << c.text;
}

TEST(Codepage, CaseFoldingCoversAsciiAndCyrillic) {
    EXPECT_TRUE(equalsIgnoreCase("Global", "GLOBAL"));
    EXPECT_TRUE(equalsIgnoreCase("Строки_Ёж", "строки_ёЖ"));
    EXPECT_TRUE(equalsIgnoreCase("ЇЄІЎҐ", "їєіўґ"));
    EXPECT_FALSE(equalsIgnoreCase("Ежик", "Ёжик"));
    EXPECT_FALSE(equalsIgnoreCase("abc", "abcd"));
    EXPECT_EQ(toUpperUtf8("Тираж №5 abc"), "ТИРАЖ №5 ABC");
    EXPECT_EQ(toLowerUtf8("ТИРАЖ Ё"), "тираж ё");
}

TEST(Codepage, DecimalSeparatorOverride) {
    setDecimalSeparatorOverride(',');
    EXPECT_EQ(systemDecimalSeparator(), ',');
    setDecimalSeparatorOverride('.');
    EXPECT_EQ(systemDecimalSeparator(), '.');
    setDecimalSeparatorOverride('\0');
    const char detected = systemDecimalSeparator();
    EXPECT_TRUE(detected == '.' || detected == ',');
}

TEST(Codepage, DecimalSeparatorComesFromTheNumericLocale) {
    EXPECT_EQ(decimalSeparatorOfLocale(""), '.');
    EXPECT_EQ(decimalSeparatorOfLocale("C"), '.');
    EXPECT_EQ(decimalSeparatorOfLocale("C.UTF-8"), '.');
    EXPECT_EQ(decimalSeparatorOfLocale("POSIX"), '.');
    EXPECT_EQ(decimalSeparatorOfLocale("en_US.UTF-8"), '.');
    EXPECT_EQ(decimalSeparatorOfLocale("ru_RU.UTF-8"), ',');
    EXPECT_EQ(decimalSeparatorOfLocale("ru_RU.CP1251"), ',');
    EXPECT_EQ(decimalSeparatorOfLocale("de_DE"), ',');

    // LC_ALL wins over LC_NUMERIC, which wins over LANG.
    struct Env {
        std::string name;
        std::optional<std::string> old;
        explicit Env(std::string n) : name(std::move(n)) {
            if (const char* v = std::getenv(name.c_str())) old = v;
        }
        ~Env() {
            if (old)
                ::setenv(name.c_str(), old->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
    } all("LC_ALL"), numeric("LC_NUMERIC"), lang("LANG");
    ::unsetenv("LC_ALL");
    ::unsetenv("LC_NUMERIC");
    ::unsetenv("LANG");
    EXPECT_EQ(detectDecimalSeparator(), '.');
    ::setenv("LANG", "ru_RU.UTF-8", 1);
    EXPECT_EQ(detectDecimalSeparator(), ',');
    ::setenv("LC_NUMERIC", "C", 1);
    EXPECT_EQ(detectDecimalSeparator(), '.');
    ::setenv("LC_ALL", "uk_UA.UTF-8", 1);
    EXPECT_EQ(detectDecimalSeparator(), ',');
}
