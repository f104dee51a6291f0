// A CSV line of a draw: a line that makes a valid draw is written back and read again as the
// same draw; nothing outside the game's ranges is ever taken as valid.
#include "archive/draws_csv.h"
#include "core/game.h"
#include "core/text_forms.h"
#include "fuzz_check.h"

using namespace tavlora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (std::string_view line : splitLines(fuzzText(data, size))) {
        const TDraw d = parseDrawCsvLine(line, 41);
        if (!isValidCsvDraw(d)) continue;
        FUZZ_CHECK(d.number > 0);
        FUZZ_CHECK(d.extra >= 1 && d.extra <= kMaxExtra);
        for (uint8_t n : d.nums) FUZZ_CHECK(n >= kMinNumber && n <= kMaxNumber);
        const std::string again = drawCsvLine(d);
        FUZZ_CHECK(parseDrawCsvLine(again, 41) == d);
        FUZZ_CHECK(drawCsvLine(parseDrawCsvLine(again, 41)) == again);
    }
    return 0;
}
