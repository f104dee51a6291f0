#include "core/codepage.h"

#include <gtest/gtest.h>

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
