// A scenario line with its options: its fields written back as a line and split again give the
// same fields.
#include "fuzz_check.h"
#include "scenario/scenario_line.h"

using namespace tavlora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view line = fuzzText(data, size);
    const ScenarioLineFields f = splitScenarioLine(line);
    // A stored line always has its options (a line is written with them filled in); without
    // them the first filter would take their place.
    if (isSeparatorLine(line) || f.options.empty()) return 0;
    const std::string again = joinScenarioLine(f.options, f.filters, f.comment);
    const ScenarioLineFields g = splitScenarioLine(again);
    FUZZ_CHECK(g.options == f.options);
    FUZZ_CHECK(g.filters == f.filters);
    FUZZ_CHECK(g.comment == f.comment);
    return 0;
}
