#pragma once
// The constants of the one game this program analyses: five main numbers out of 1..69 and
// one extra number out of 1..26.
#include <cstdint>

namespace tavlora {

inline constexpr int kBallsInDraw = 5;        // main numbers per draw and per combination
inline constexpr int kMinNumber = 1;
inline constexpr int kMaxNumber = 69;         // main number range 1..69
inline constexpr int kMaxExtra = 26;          // extra number range 1..26
inline constexpr uint32_t kFullCombCount = 11238513;  // C(69, 5)
inline constexpr int kMinSum = 15;            // 1+2+3+4+5
inline constexpr int kMaxSum = 335;           // 69+68+67+66+65
inline constexpr int kSumStep = (kMaxSum - kMinSum) / 10;  // 32
inline constexpr int kSmallBound = 34;        // n <= 34 is "small" (first half)

}  // namespace tavlora
