#pragma once
// The layout classes of the numbers as the layout-dependent statistics use them: channel, matrix
// column and row, and segment of every number, computed once from the settings so that match tests
// and values of a combination are table lookups. Also the instance ranges of the one-method-per-
// channel (column, row, segment) classes and the channel text.
//
// Settings outside the ranges of the settings dialog never index out of bounds: a channel or
// matrix width below 1 is taken as 1 and one above 69 as 69 (69 already puts every number into
// channel 1 or column n), and a segment digit outside 1..9 counts as segment 1, the segment of a
// number without an entry.
#include <array>
#include <cstdint>
#include <string>

#include "stats/custom_stat.h"

namespace tavlora {

class TSettings;

// Channel and matrix widths of the settings, kept to 1..69.
int layoutChannelWidth(const TSettings& settings);
int layoutMatrixWidth(const TSettings& settings);

struct TLayoutTables {
    explicit TLayoutTables(const TSettings& settings);

    int channelWidth = 10;  // C, 1..69
    int channelCount = 7;   // ceil(69 / C)
    int matrixWidth = 7;    // W, 1..69
    int matrixRows = 10;    // R = ceil(69 / W)
    // Class of every byte value; 0 for a byte outside 1..69, so a table lookup with any byte of a
    // combination is safe and the classes of game numbers are 1..count (segments 1..9).
    std::array<uint8_t, 256> channel{};
    std::array<uint8_t, 256> column{};
    std::array<uint8_t, 256> row{};
    std::array<uint8_t, 256> segment{};
    // The distinct segments in the order of their first number (scanning 1..69).
    std::array<uint8_t, 9> segmentOrder{};
    int segmentOrderCount = 0;
    // Smallest and largest segment of the map.
    int segmentMin = 1;
    int segmentMax = 1;
};

// "%.2d [%s-%s]": channel k with its first number C(k-1)+1 and last number Ck, the last not clipped
// to 69 ("07 [61-70]" with C = 10).
std::string channelText(int channel, int channelWidth);

// Instance ranges from the settings: channels 1..ceil(69 / C), columns 1..W, rows 1..ceil(69 / W),
// segments from the smallest to the largest segment of the map.
TStatInstanceRange channelInstanceRange(const TSettings& settings);
TStatInstanceRange columnInstanceRange(const TSettings& settings);
TStatInstanceRange rowInstanceRange(const TSettings& settings);
TStatInstanceRange segmentInstanceRange(const TSettings& settings);

}  // namespace tavlora
