// A scenario line with its options: its fields written back as a line and split again give the
// same fields. A line that reads whole (no field left to a default) is written in its canonical
// form, which reads whole too and is written again the same; a line that does not read is
// refused with a reason.
#include <string>

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

    if (!scenarioLineFault(line, nullptr).empty()) return 0;
    const std::string canonical = ScenarioLine::parse(line, nullptr).text();
    FUZZ_CHECK(scenarioLineFault(canonical, nullptr).empty());
    FUZZ_CHECK(ScenarioLine::parse(canonical, nullptr).text() == canonical);
    return 0;
}
