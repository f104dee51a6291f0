#pragma once
// Number classes of the game and the small arithmetic helpers derived from them: matrix,
// channel and segment layouts, group colours, cyclic shifts, run sums and combinatorics.
// All functions are pure.
//
// Widths (matrix width, channel width, group width, cell size) come from settings files that a
// user may edit by hand. A width below 1 is taken as 1 everywhere, so that nothing divides by
// zero and an index computed with a width always fits the count computed with the same width.
#include <array>
#include <cstdint>

#include "core/records.h"

namespace tavlora {

// --- number classes -------------------------------------------------------------------------
bool isEven(int n);
bool isSmall(int n);  // n <= 34: the first half of the range holds 34 numbers
// 1, 2, 3, 5, 7, 11, ..., 67 (1 counts as prime; 20 numbers of the range).
bool isPrime(int n);

// --- layouts --------------------------------------------------------------------------------
// Matrix of width W laid out row by row: column (n-1) mod W + 1, row (n-1) div W + 1.
int matrixCol(int n, int width);
int matrixRow(int n, int width);
int matrixRows(int width);  // ceil(69 / W)

// a div b, plus 1 when a mod b != 0 (truncating division). b below 1 is taken as 1.
int ceilDiv(int a, int b);
// Channel of n: ceil(n / C); numbers 1..69 lie in channels 1..channelCount(C).
int channelOf(int n, int channelWidth);
int channelCount(int channelWidth);  // ceil(69 / C)
// Segment digit 1..9 of n from the segment map (entry n-1). 1 when n is outside 1..69 or when
// the map holds no valid digit (outside 1..9) for n.
int segmentOf(int n, const std::array<uint8_t, 69>& segments);
// Number of cells of a range: with first = 0, ceil(last / size); else ceil((last-first+1) / size).
int cellCount(int first, int last, int size);

// --- colours --------------------------------------------------------------------------------
// The 19 light colours of the group palette, 0xRRGGBB, entry k at index k-1.
inline constexpr std::array<uint32_t, 19> kPaletteColors{
    0xAAFFAA, 0xFFFFAA, 0xAAFFFF, 0xFFAAAA, 0xAAAAFF, 0xFFD5AA, 0xD5AAFF,
    0xD4D4D4, 0xAAD5FF, 0xFFAAD5, 0xD5FFD5, 0xFFFFD5, 0xD5FFFF, 0xFFD5D5,
    0xD5D5FF, 0xFFEAD5, 0xEAD5FF, 0xE9E9E9, 0xD5EAFF};
inline constexpr uint32_t kOutOfRangeColor = 0xFF0000;  // pure red marks a number outside 1..69
// Colour (0xRRGGBB) of n tinted by its group ceil(n / g): groups 20..38 reuse entries 1..19.
// Groups beyond that (only with very narrow widths) keep cycling through the palette.
uint32_t groupColor(int n, int groupWidth);

// --- shifts and sums ------------------------------------------------------------------------
// n shifted by d around the circle 1..69 (69 + 1 -> 1, 1 - 2 -> 68); d = 0 returns n as is.
// Any d is allowed: shifts wrap as often as needed.
int cyclicShift(int n, int d);
// Shifts each of the five numbers in place, without re-sorting.
void shiftComb(TComb& c, int d);
// a + (a+1) + ... + (a+k-1) and a + (a-1) + ... + (a-k+1); 0 for k <= 0.
int ascRunSum(int a, int k);
int descRunSum(int a, int k);

// --- combinatorics (extended precision) -----------------------------------------------------
// n! for n >= 0 (meant for 0..255); 1 for n <= 0.
long double factorial(int n);
// a(a+1)...(a+k-1) and a(a-1)...(a-k+1); 1 for k <= 0.
long double risingProduct(long double a, int k);
long double fallingProduct(long double a, int k);
// C(n, k): 1 when k >= n, 0 when k < 0, otherwise the rounded binomial coefficient.
// A value beyond the 32-bit range saturates at UINT32_MAX.
uint32_t binomial(int n, int k);
// Number of combinations of `drawn` numbers out of 1..range sharing exactly k numbers with one
// fixed combination: C(drawn, k) * C(range - drawn, drawn - k). 1 when k >= range; 0 for
// impossible arguments (k < 0, k > drawn, drawn < 0 or drawn > range). Saturates at UINT32_MAX.
uint32_t exactMatchCount(int range, int drawn, int k);

}  // namespace tavlora
