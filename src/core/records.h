#pragma once
// The draw record, the combination and the number set, with their byte layouts.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/bulk_allocator.h"

namespace tavlora {

// A past draw. Its file form is exactly 24 bytes, little-endian:
//   0..3 draw number (int32), 4..8 main numbers, 9 extra number,
//   10 date length (0..10), 11..20 date text "mm/dd/yyyy", 21..23 unused (kept as read).
struct TDraw {
    static constexpr size_t kSize = 24;
    static constexpr size_t kDateMax = 10;

    int32_t number = 0;
    std::array<uint8_t, 5> nums{};
    uint8_t extra = 0;
    uint8_t dateLen = 0;
    std::array<char, kDateMax> date{};
    std::array<uint8_t, 3> unused{};

    std::string dateText() const { return std::string(date.data(), dateLen > kDateMax ? kDateMax : dateLen); }
    // Sets the date text, cut to 10 characters.
    void setDateText(std::string_view text);

    // Byte form of the record (24 bytes) and back. decode reads exactly kSize bytes at p.
    void encode(uint8_t* out) const;
    static TDraw decode(const uint8_t* p);

    bool operator==(const TDraw&) const = default;
};

// A candidate combination: five numbers 1..69 in stored order; a list of n is 5*n bytes.
struct TComb {
    std::array<uint8_t, 5> n{};
    bool operator==(const TComb&) const = default;
};
static_assert(sizeof(TComb) == 5);

// A ticket of up to eight numbers. File form: int32 count followed by eight bytes (12 bytes).
struct TShema {
    static constexpr size_t kSize = 12;
    int32_t count = 0;
    std::array<uint8_t, 8> nums{};

    void encode(uint8_t* out) const;
    static TShema decode(const uint8_t* p);
    bool operator==(const TShema&) const = default;
};

using TDrawsArray = std::vector<TDraw>;
// The combination list arrays grow without zero-filling and sit on huge pages.
using TCombsArray = std::vector<TComb, TBulkAllocator<TComb>>;
using TShemaArray = std::vector<TShema>;
using TByteArray = std::vector<uint8_t>;
using TIntArray = std::vector<int32_t>;

// --- conversions and tests on the records ---------------------------------------------------

// The five main numbers of a draw as a combination.
TComb drawNumbers(const TDraw& d);
// Number set of a combination: count 5, its numbers in order, zero padding.
TShema shemaOf(const TComb& c);

bool drawContains(int n, const TDraw& d);
bool combContains(int n, const TComb& c);
// One of the five numbers lies in channel k of the given width.
bool combHasChannel(int k, const TComb& c, int channelWidth);
// One of the five numbers carries segment digit k in the segment map.
bool combHasSegment(int k, const TComb& c, const std::array<uint8_t, 69>& segments);

bool arrayContains(int n, const TByteArray& a);
// Appends n only when it is not in the array yet.
void addToSet(int n, TByteArray& a);
// Appends n unconditionally.
void appendNumber(int n, TByteArray& a);

// Number of equal pairs over the 5 x 5 comparisons: the count of common numbers, 0..5.
int matches(const TDraw& a, const TDraw& b);
int matches(const TDraw& a, const TComb& b);
int matches(const TComb& a, const TComb& b);

// Distinct numbers seen walking the list in order (stops at 69).
int distinctNumberCount(const TCombsArray& combs);
// Those numbers in order of first appearance (stops once the array holds 69 numbers).
TByteArray distinctNumbers(const TCombsArray& combs);

// Ascending order of the five main numbers, on a copy; extra number and date untouched.
TDraw sortedDraw(const TDraw& d);
// Straight insertion sort of the numbers as unsigned bytes (stable).
void sortComb(TComb& c);
// The five numbers in ascending order packed into one word: equal for two combinations exactly
// when they hold the same numbers in any order.
uint64_t sortedKey(TComb c);
// Sorts the first count numbers (count taken within 0..8).
void sortShema(TShema& s);
// count limited to 0..8, for sets read from files.
int shemaCount(const TShema& s);

}  // namespace tavlora
