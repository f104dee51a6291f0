#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <set>

#include "core/game.h"
#include "core/numbers.h"

using namespace tavlora;

TEST(NumberClasses, EvenSmallAndPrimeSplitTheRangeAsTheGameDefinesThem) {
    int even = 0, small = 0, primes = 0;
    for (int n = kMinNumber; n <= kMaxNumber; ++n) {
        even += isEven(n);
        small += isSmall(n);
        primes += isPrime(n);
    }
    EXPECT_EQ(even, 34);
    EXPECT_EQ(small, 34);
    EXPECT_EQ(primes, 20);
    EXPECT_TRUE(isSmall(34));
    EXPECT_FALSE(isSmall(35));
    EXPECT_TRUE(isPrime(1));
    EXPECT_TRUE(isPrime(67));
    EXPECT_FALSE(isPrime(49));
    EXPECT_FALSE(isPrime(69));
    int inDraw = 0;
    for (int n : {1, 2, 3, 5, 7}) inDraw += isPrime(n);
    EXPECT_EQ(inDraw, 5);
    // Every listed prime other than 1 really has no divisor, every other number has one.
    for (int n = 2; n <= kMaxNumber; ++n) {
        bool divisible = false;
        for (int p = 2; p * p <= n; ++p) divisible = divisible || n % p == 0;
        EXPECT_EQ(isPrime(n), !divisible) << n;
    }
}

TEST(Layouts, MatrixChannelsAndCellsOfTheDefaultWidths) {
    EXPECT_EQ(channelOf(69, 10), 7);
    EXPECT_EQ(channelOf(69, 7), 10);
    EXPECT_EQ(channelOf(10, 10), 1);
    EXPECT_EQ(channelOf(11, 10), 2);
    EXPECT_EQ(channelCount(10), 7);
    EXPECT_EQ(matrixCol(7, 7), 7);
    EXPECT_EQ(matrixRow(7, 7), 1);
    EXPECT_EQ(matrixCol(8, 7), 1);
    EXPECT_EQ(matrixRow(8, 7), 2);
    EXPECT_EQ(matrixCol(69, 7), 6);
    EXPECT_EQ(matrixRow(69, 7), 10);
    EXPECT_EQ(matrixRows(7), 10);
    EXPECT_EQ(ceilDiv(69, 7), 10);
    EXPECT_EQ(ceilDiv(70, 7), 10);
    EXPECT_EQ(cellCount(0, 69, 10), 7);
    EXPECT_EQ(cellCount(kMinSum, kMaxSum, kSumStep), 11);  // 321 sums in cells of 32
    EXPECT_EQ(cellCount(1, 10, 5), 2);
}

TEST(Layouts, AnyWidthFromASettingsFileGivesIndicesWithinItsCounts) {
    for (int w = -5; w <= 75; ++w) {
        std::set<int> cells;
        for (int n = kMinNumber; n <= kMaxNumber; ++n) {
            int ch = channelOf(n, w);
            ASSERT_GE(ch, 1) << "width " << w << " n " << n;
            ASSERT_LE(ch, channelCount(w)) << "width " << w << " n " << n;
            int row = matrixRow(n, w), col = matrixCol(n, w);
            ASSERT_GE(row, 1);
            ASSERT_LE(row, matrixRows(w));
            ASSERT_GE(col, 1);
            ASSERT_TRUE(cells.insert(row * 1000 + col).second) << "two numbers in one cell, width " << w;
        }
        EXPECT_GE(cellCount(0, 69, w), 1);
    }
    EXPECT_EQ(channelCount(0), 69);  // a zero width acts as width 1
    EXPECT_EQ(matrixRows(-3), 69);
}

TEST(Layouts, SegmentDigitComesFromTheMapWithOneForMissingEntries) {
    std::array<uint8_t, 69> map{};
    map.fill(1);
    map[0] = 3;    // number 1
    map[68] = 9;   // number 69
    map[10] = 0;   // number 11: no entry
    map[11] = 12;  // number 12: not a digit
    EXPECT_EQ(segmentOf(1, map), 3);
    EXPECT_EQ(segmentOf(69, map), 9);
    EXPECT_EQ(segmentOf(2, map), 1);
    EXPECT_EQ(segmentOf(11, map), 1);
    EXPECT_EQ(segmentOf(12, map), 1);
    EXPECT_EQ(segmentOf(0, map), 1);
    EXPECT_EQ(segmentOf(70, map), 1);
    EXPECT_EQ(segmentOf(-100, map), 1);
}

TEST(GroupColour, PaletteEntryOfTheChannelAndRedOutsideTheRange) {
    EXPECT_EQ(groupColor(0, 10), 0xFF0000u);
    EXPECT_EQ(groupColor(70, 10), 0xFF0000u);
    EXPECT_EQ(groupColor(1, 10), 0xAAFFAAu);
    EXPECT_EQ(groupColor(11, 10), 0xFFFFAAu);
    EXPECT_EQ(groupColor(69, 10), 0xD5AAFFu);  // channel 7
    EXPECT_EQ(groupColor(69, 3), 0xFFAAAAu);   // group 23 -> entry 4
    EXPECT_EQ(groupColor(57, 3), 0xD5EAFFu);   // group 19 -> entry 19
    EXPECT_EQ(groupColor(58, 3), 0xAAFFAAu);   // group 20 -> entry 1
    // Narrow widths give groups far beyond 38; the colour still comes from the palette.
    std::set<uint32_t> palette(kPaletteColors.begin(), kPaletteColors.end());
    for (int w : {-1, 0, 1, 2}) {
        for (int n = kMinNumber; n <= kMaxNumber; ++n) EXPECT_TRUE(palette.count(groupColor(n, w))) << n;
    }
    EXPECT_EQ(groupColor(40, 1), groupColor(2, 1));  // group 40 wraps twice to entry 2
}

TEST(CyclicShift, WrapsAroundTheCircleOfNumbers) {
    EXPECT_EQ(cyclicShift(69, 1), 1);
    EXPECT_EQ(cyclicShift(68, 2), 1);
    EXPECT_EQ(cyclicShift(1, -1), 69);
    EXPECT_EQ(cyclicShift(2, -2), 69);
    EXPECT_EQ(cyclicShift(1, -2), 68);
    EXPECT_EQ(cyclicShift(5, 0), 5);
    EXPECT_EQ(cyclicShift(0, 0), 0);  // no shift leaves even a stray value alone
    EXPECT_EQ(cyclicShift(30, 69), 30);
    EXPECT_EQ(cyclicShift(30, -69), 30);
    // A shift by d is d single steps, for shifts both within and beyond one turn.
    for (int n = kMinNumber; n <= kMaxNumber; ++n) {
        int up = n, down = n;
        for (int d = 1; d <= 200; ++d) {
            up = up == 69 ? 1 : up + 1;
            down = down == 1 ? 69 : down - 1;
            ASSERT_EQ(cyclicShift(n, d), up) << n << "+" << d;
            ASSERT_EQ(cyclicShift(n, -d), down) << n << "-" << d;
        }
    }
    int extreme = cyclicShift(69, INT_MAX);
    EXPECT_GE(extreme, 1);
    EXPECT_LE(extreme, 69);
    extreme = cyclicShift(1, INT_MIN);
    EXPECT_GE(extreme, 1);
    EXPECT_LE(extreme, 69);

    TComb c{{65, 66, 67, 68, 69}};
    shiftComb(c, 1);
    EXPECT_EQ(c, (TComb{{66, 67, 68, 69, 1}}));  // shifted in place, not re-sorted
    shiftComb(c, -1);
    EXPECT_EQ(c, (TComb{{65, 66, 67, 68, 69}}));
}

TEST(RunSums, BoundsOfADrawSumAndAgreementWithAPlainLoop) {
    EXPECT_EQ(ascRunSum(1, 5), kMinSum);
    EXPECT_EQ(descRunSum(69, 5), kMaxSum);
    EXPECT_EQ(ascRunSum(7, 0), 0);
    EXPECT_EQ(descRunSum(7, -2), 0);
    for (int a = -10; a <= 70; ++a) {
        for (int k = 1; k <= 10; ++k) {
            int up = 0, down = 0;
            for (int i = 0; i < k; ++i) {
                up += a + i;
                down += a - i;
            }
            EXPECT_EQ(ascRunSum(a, k), up);
            EXPECT_EQ(descRunSum(a, k), down);
        }
    }
}

TEST(Combinatorics, FactorialsAndProducts) {
    EXPECT_EQ(factorial(0), 1.0L);
    EXPECT_EQ(factorial(1), 1.0L);
    EXPECT_EQ(factorial(5), 120.0L);
    EXPECT_EQ(factorial(20), 2432902008176640000.0L);
    EXPECT_TRUE(std::isfinite(static_cast<double>(factorial(170))));
    EXPECT_GT(factorial(255), factorial(254));
    EXPECT_EQ(risingProduct(3, 4), 360.0L);
    EXPECT_EQ(fallingProduct(6, 4), 360.0L);
    EXPECT_EQ(risingProduct(3, 0), 1.0L);
    EXPECT_EQ(fallingProduct(3, 0), 1.0L);
    EXPECT_EQ(fallingProduct(3, 5), 0.0L);  // passes through zero
}

TEST(Combinatorics, BinomialAgreesWithPascalsTriangleAndSaturates) {
    EXPECT_EQ(binomial(69, 5), kFullCombCount);
    EXPECT_EQ(binomial(5, 5), 1u);
    EXPECT_EQ(binomial(3, 5), 1u);  // k >= n gives 1
    EXPECT_EQ(binomial(69, 0), 1u);
    EXPECT_EQ(binomial(69, -1), 0u);
    EXPECT_EQ(binomial(26, 1), 26u);
    // Pascal's rule, in 64-bit integers, for every value that fits the result type.
    std::vector<std::vector<uint64_t>> pascal(70);
    for (int n = 0; n < 70; ++n) {
        pascal[n].assign(n + 1, 1);
        for (int k = 1; k < n; ++k) pascal[n][k] = pascal[n - 1][k - 1] + pascal[n - 1][k];
        for (int k = 0; k < n; ++k) {
            uint64_t expected = pascal[n][k] > UINT32_MAX ? UINT32_MAX : pascal[n][k];
            ASSERT_EQ(binomial(n, k), expected) << "C(" << n << "," << k << ")";
        }
    }
    EXPECT_EQ(binomial(2000000000, 1000000000), UINT32_MAX);  // saturates, quickly
}

TEST(Combinatorics, ExactMatchCountsOfTheGame) {
    const uint32_t expected[6] = {7624512, 3176880, 416640, 20160, 320, 1};
    uint64_t total = 0;
    for (int k = 0; k <= 5; ++k) {
        EXPECT_EQ(exactMatchCount(69, 5, k), expected[k]) << k;
        total += exactMatchCount(69, 5, k);
    }
    EXPECT_EQ(total, kFullCombCount);
    EXPECT_EQ(exactMatchCount(26, 1, 1), 1u);
    EXPECT_EQ(exactMatchCount(26, 1, 0), 25u);
    EXPECT_EQ(exactMatchCount(5, 5, 5), 1u);
    EXPECT_EQ(exactMatchCount(69, 5, 6), 0u);   // more matches than numbers drawn
    EXPECT_EQ(exactMatchCount(69, 5, -1), 0u);
    EXPECT_EQ(exactMatchCount(3, 5, 1), 0u);    // more drawn than the range holds
    EXPECT_EQ(exactMatchCount(69, 5, 69), 1u);  // k >= range
    EXPECT_EQ(exactMatchCount(1000000, 500000, 250000), UINT32_MAX);
}
