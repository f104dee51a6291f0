#include "core/format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "core/codepage.h"

using namespace tavlora;

namespace {
struct PointSeparator {
    PointSeparator() { setDecimalSeparatorOverride('.'); }
    ~PointSeparator() { setDecimalSeparatorOverride('\0'); }
};
}  // namespace

TEST(Format, PatternsOfTheProgram) {
    PointSeparator point;
    EXPECT_EQ(fmt("Архив тиражей: %d", 1390), "Архив тиражей: 1390");
    EXPECT_EQ(fmt("%.2d", 3), "03");
    EXPECT_EQ(fmt("%.2d", 12), "12");
    EXPECT_EQ(fmt("%.2d", 123), "123");
    EXPECT_EQ(fmt("%.2d", -3), "-03");
    EXPECT_EQ(fmt("%.4d", 42), "0042");
    EXPECT_EQ(fmt("%.5f", 0.123456), "0.12346");
    EXPECT_EQ(fmt("%0:s", std::string("Сумма")), "Сумма");
    EXPECT_EQ(fmt("{ %1:s } %0:s", "Сумма чисел", "SUMS"), "{ SUMS } Сумма чисел");
    EXPECT_EQ(fmt("%.2d [%s-%s]", 3, "21", "30"), "03 [21-30]");
    EXPECT_EQ(fmt("%d-%.2d-%d_%.4d.dat", 5, 12, 3, 42), "5-12-3_0042.dat");
    // Formatted twice: the first pass leaves "%s" for the second.
    const std::string first = fmt("Метод шинковки %0:d: %%s", 1);
    EXPECT_EQ(first, "Метод шинковки 1: %s");
    EXPECT_EQ(fmt(first, "(n1+n2+n3)/(n4+n5)"), "Метод шинковки 1: (n1+n2+n3)/(n4+n5)");
    EXPECT_EQ(fmt("Ошибка записи файла настроек!\r\r%s", "No space left on device"),
              "Ошибка записи файла настроек!\r\rNo space left on device");
}

TEST(Format, IndexesContinueFromTheIndexedArgument) {
    EXPECT_EQ(fmt("%1:s %s %0:s", "a", "b", "c"), "b c a");
    EXPECT_EQ(fmt("%s%s%0:s", "x", "y"), "xyx");
    EXPECT_EQ(fmt("100%%"), "100%");
    EXPECT_EQ(fmt("no directives"), "no directives");
}

TEST(Format, WidthPrecisionAndJustification) {
    PointSeparator point;
    EXPECT_EQ(fmt("[%5d]", 42), "[   42]");
    EXPECT_EQ(fmt("[%-5d]", 42), "[42   ]");
    EXPECT_EQ(fmt("[%6s]", "Ёж"), "[    Ёж]");  // width counts characters, not bytes
    EXPECT_EQ(fmt("[%-4s]", "Ёж"), "[Ёж  ]");
    EXPECT_EQ(fmt("[%.3s]", "Тиражи"), "[Тир]");
    EXPECT_EQ(fmt("[%8.3f]", 3.14159), "[   3.142]");
    EXPECT_EQ(fmt("[%*d]", 4, 7), "[   7]");
    EXPECT_EQ(fmt("[%-*d]", 3, 7), "[7  ]");
    EXPECT_EQ(fmt("%.*f", 1, 2.75), "2.8");
}

TEST(Format, NumberDirectives) {
    PointSeparator point;
    EXPECT_EQ(fmt("%f", 1.5), "1.50");
    EXPECT_EQ(fmt("%.0f", 2.7), "3");
    EXPECT_EQ(fmt("%f", 3), "3.00");  // an integer for a real directive is accepted
    EXPECT_EQ(fmt("%x", 255), "FF");
    EXPECT_EQ(fmt("%.4x", 255), "00FF");
    EXPECT_EQ(fmt("%u", 7u), "7");
    EXPECT_EQ(fmt("%e", 1.5), "1.50000000000000E+000");
    EXPECT_EQ(fmt("%.3e", -12345.0), "-1.23E+004");
    EXPECT_EQ(fmt("%g", 0.5), "0.5");
    EXPECT_EQ(fmt("%g", 1000000.0), "1000000");
    EXPECT_EQ(fmt("%g", 1e20), "1E20");
    EXPECT_EQ(fmt("%n", 1234567.891), "1,234,567.89");
    EXPECT_EQ(fmt("%.0n", -1234.0), "-1,234");
    EXPECT_EQ(formatDelphi("%.2f", {fmtArg(0.5)}, ','), "0,50");
    EXPECT_EQ(formatDelphi("%.2n", {fmtArg(12345.5)}, ','), "12\u00A0345,50");
}

TEST(Format, IntegerTypesConvertWithoutAmbiguity) {
    const unsigned u = 4000000000u;
    const long long ll = -9000000000LL;
    const std::size_t sz = 11238513;
    const uint8_t b = 200;
    const uint16_t w = 65535;
    const int16_t s = -5;
    EXPECT_EQ(fmt("%d %d %d %d %d %d", u, ll, sz, b, w, s), "4000000000 -9000000000 11238513 200 65535 -5");
    EXPECT_EQ(fmt("%u", static_cast<uint64_t>(UINT64_MAX)), "18446744073709551615");
    EXPECT_EQ(fmt("%d", true), "1");
    EXPECT_EQ(fmt("%s", std::string_view("view")), "view");
    EXPECT_EQ(fmt("%d", INT64_MIN), "-9223372036854775808");
}

TEST(Format, PatternsThatDoNotFitComeBackUnformatted) {
    EXPECT_EQ(fmt("Архив тиражей: %d"), "Архив тиражей: %d");             // missing argument
    EXPECT_EQ(fmt("%d and %d", 1), "%d and %d");                            // one short
    EXPECT_EQ(fmt("%d", "text"), "%d");                                     // wrong type
    EXPECT_EQ(fmt("%s", 5), "%s");
    EXPECT_EQ(fmt("%d", 1.5), "%d");
    EXPECT_EQ(fmt("%5:s", "a"), "%5:s");                                   // index past the end
    EXPECT_EQ(fmt("50%", 1), "50%");                                        // lone % at the end
    EXPECT_EQ(fmt("%q", 1), "%q");                                          // unknown directive
    EXPECT_EQ(fmt("%.", 1), "%.");
    EXPECT_EQ(fmt("%-", 1), "%-");
    EXPECT_EQ(fmt("%*d", 5), "%*d");                                        // width argument but no value
    EXPECT_EQ(fmt("%999999999d", 5), "%999999999d");                        // absurd width, no huge allocation
    EXPECT_EQ(fmt("%.999999999f", 5.0), "%.999999999f");
    EXPECT_EQ(fmt("%s %s", "only one"), "%s %s");
    // Extra arguments are simply not used.
    EXPECT_EQ(fmt("%d", 1, 2, 3), "1");
}
