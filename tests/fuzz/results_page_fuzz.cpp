// The results page reader: any page is read without harm, either refused with an error or cut
// into rows, the same way every time; pieces are trimmed unless quotes kept blanks inside.
#include "archive/results_page.h"
#include "core/error.h"
#include "core/text_forms.h"
#include "fuzz_check.h"

#include <vector>

using namespace tavlora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view page = fuzzText(data, size);
    std::vector<PageRow> rows;
    bool refused = false;
    try {
        rows = readResultsPage(page);
    } catch (const EError&) {
        refused = true;
    }
    // The same page always gives the same answer; no row is longer than the page.
    try {
        const std::vector<PageRow> again = readResultsPage(page);
        FUZZ_CHECK(!refused);
        FUZZ_CHECK(again == rows);
    } catch (const EError&) {
        FUZZ_CHECK(refused);
    }
    // Pieces are trimmed; only quotes taken off may leave blanks at an end.
    if (page.find('"') == std::string_view::npos) {
        for (const PageRow& row : rows) {
            FUZZ_CHECK(trimText(row.date) == row.date);
            FUZZ_CHECK(trimText(row.numbers) == row.numbers);
        }
    }
    return 0;
}
