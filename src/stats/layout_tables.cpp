#include "stats/layout_tables.h"

#include "core/format.h"
#include "core/game.h"
#include "core/numbers.h"
#include "core/settings.h"
#include "core/text_forms.h"

namespace tavlora {

namespace {

int clampWidth(int32_t width) { return width < 1 ? 1 : width > kMaxNumber ? kMaxNumber : width; }

}  // namespace

int layoutChannelWidth(const TSettings& settings) { return clampWidth(settings.config.channelSize); }

int layoutMatrixWidth(const TSettings& settings) { return clampWidth(settings.config.matrixCols); }

TLayoutTables::TLayoutTables(const TSettings& settings)
    : channelWidth(layoutChannelWidth(settings)),
      channelCount(tavlora::channelCount(channelWidth)),
      matrixWidth(layoutMatrixWidth(settings)),
      matrixRows(tavlora::matrixRows(matrixWidth)) {
    segmentMin = 9;
    segmentMax = 1;
    bool seen[10] = {};
    for (int n = kMinNumber; n <= kMaxNumber; ++n) {
        const auto i = static_cast<size_t>(n);
        channel[i] = static_cast<uint8_t>(channelOf(n, channelWidth));
        column[i] = static_cast<uint8_t>(matrixCol(n, matrixWidth));
        row[i] = static_cast<uint8_t>(matrixRow(n, matrixWidth));
        const int s = segmentOf(n, settings.config.segments);
        segment[i] = static_cast<uint8_t>(s);
        if (s < segmentMin) segmentMin = s;
        if (s > segmentMax) segmentMax = s;
        if (!seen[s]) {
            seen[s] = true;
            segmentOrder[static_cast<size_t>(segmentOrderCount++)] = static_cast<uint8_t>(s);
        }
    }
}

std::string channelText(int channel, int channelWidth) {
    return fmt("%.2d [%s-%s]", channel, numberText(channelWidth * (channel - 1) + 1), numberText(channelWidth * channel));
}

TStatInstanceRange channelInstanceRange(const TSettings& settings) {
    return {1, channelCount(layoutChannelWidth(settings))};
}

TStatInstanceRange columnInstanceRange(const TSettings& settings) { return {1, layoutMatrixWidth(settings)}; }

TStatInstanceRange rowInstanceRange(const TSettings& settings) {
    return {1, matrixRows(layoutMatrixWidth(settings))};
}

TStatInstanceRange segmentInstanceRange(const TSettings& settings) {
    const TLayoutTables t(settings);
    return {t.segmentMin, t.segmentMax};
}

}  // namespace tavlora
