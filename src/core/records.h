#pragma once
// The draw record, the combination and the number set, with their byte layouts.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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
using TCombsArray = std::vector<TComb>;
using TShemaArray = std::vector<TShema>;
using TByteArray = std::vector<uint8_t>;
using TIntArray = std::vector<int32_t>;

}  // namespace tavlora
