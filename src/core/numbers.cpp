#include "core/numbers.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "core/game.h"

namespace tavlora {

namespace {

int atLeastOne(int width) { return width < 1 ? 1 : width; }

// Rounds a non-negative extended value to a 32-bit count; NaN or negative gives 0, values
// beyond the range saturate (a plain conversion would be undefined there).
uint32_t roundToU32(long double v) {
    if (!(v > 0)) return 0;
    long double r = std::round(v);
    if (r >= 4294967295.0L) return std::numeric_limits<uint32_t>::max();
    return static_cast<uint32_t>(r);
}

// C(n, k) in the mathematical sense (0 when k > n), built one factor at a time so that every
// intermediate value is an exact integer. Stops as soon as the value passes the 32-bit range,
// which is all the callers can use, so huge arguments neither loop for long nor overflow.
long double chooseCapped(int n, int k) {
    if (k < 0 || n < 0 || k > n) return 0;
    int m = k < n - k ? k : n - k;
    long double r = 1;
    for (int i = 1; i <= m; ++i) {
        r = r * (static_cast<long double>(n) - m + i) / i;
        if (r >= 4294967296.0L) break;
    }
    return r;
}

}  // namespace

bool isEven(int n) { return n % 2 == 0; }

bool isSmall(int n) { return n <= kSmallBound; }

bool isPrime(int n) {
    switch (n) {
        case 1: case 2: case 3: case 5: case 7: case 11: case 13: case 17: case 19: case 23:
        case 29: case 31: case 37: case 41: case 43: case 47: case 53: case 59: case 61: case 67:
            return true;
        default:
            return false;
    }
}

int matrixCol(int n, int width) {
    width = atLeastOne(width);
    return (n - 1) % width + 1;
}

int matrixRow(int n, int width) {
    width = atLeastOne(width);
    return (n - 1) / width + 1;
}

int matrixRows(int width) { return ceilDiv(kMaxNumber, width); }

int ceilDiv(int a, int b) {
    b = atLeastOne(b);
    return a / b + (a % b != 0 ? 1 : 0);
}

int channelOf(int n, int channelWidth) { return ceilDiv(n, channelWidth); }

int channelCount(int channelWidth) { return ceilDiv(kMaxNumber, channelWidth); }

int segmentOf(int n, const std::array<uint8_t, 69>& segments) {
    if (n < kMinNumber || n > kMaxNumber) return 1;
    int digit = segments[static_cast<size_t>(n - 1)];
    return digit >= 1 && digit <= 9 ? digit : 1;
}

int cellCount(int first, int last, int size) {
    if (first == 0) return ceilDiv(last, size);
    return ceilDiv(last - first + 1, size);
}

uint32_t groupColor(int n, int groupWidth) {
    if (n < kMinNumber || n > kMaxNumber) return kOutOfRangeColor;
    int k = ceilDiv(n, groupWidth);
    int size = static_cast<int>(kPaletteColors.size());
    // Reducing by 19 once is enough for every width of 2 or more except 2 and 3 at the very
    // top of the range; keep wrapping so that no group ever falls outside the palette.
    k = (k - 1) % size + 1;
    return kPaletteColors[static_cast<size_t>(k - 1)];
}

int cyclicShift(int n, int d) {
    if (d == 0) return n;
    // Equal to one wrap of n + d into 1..69 whenever one wrap suffices (|d| <= 69 and n within
    // the range); for larger shifts it keeps wrapping instead of leaving the range.
    int64_t m = (static_cast<int64_t>(n) - 1 + d) % kMaxNumber;
    if (m < 0) m += kMaxNumber;
    return static_cast<int>(m + 1);
}

void shiftComb(TComb& c, int d) {
    for (auto& x : c.n) x = static_cast<uint8_t>(cyclicShift(x, d));
}

int ascRunSum(int a, int k) {
    if (k <= 0) return 0;
    return k * a + k * (k - 1) / 2;
}

int descRunSum(int a, int k) {
    if (k <= 0) return 0;
    return k * a - k * (k - 1) / 2;
}

long double factorial(int n) {
    // Beyond 1754! the extended range is exceeded anyway.
    if (n > 1754) return std::numeric_limits<long double>::infinity();
    long double r = 1;
    for (int i = 2; i <= n; ++i) r *= i;
    return r;
}

long double risingProduct(long double a, int k) {
    long double r = 1;
    for (int i = 0; i < k; ++i) r *= a + i;
    return r;
}

long double fallingProduct(long double a, int k) {
    long double r = 1;
    for (int i = 0; i < k; ++i) r *= a - i;
    return r;
}

uint32_t binomial(int n, int k) {
    if (k >= n) return 1;
    if (k < 0) return 0;
    return roundToU32(chooseCapped(n, k));
}

uint32_t exactMatchCount(int range, int drawn, int k) {
    if (k >= range) return 1;
    if (k < 0 || k > drawn || drawn < 0 || drawn > range) return 0;
    long double hits = chooseCapped(drawn, k);
    long double misses = chooseCapped(range - drawn, drawn - k);
    if (hits == 0 || misses == 0) return 0;
    return roundToU32(hits * misses);
}

}  // namespace tavlora
