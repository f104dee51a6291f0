// The shredding expression evaluator: any text is read without harm, the same text always gives
// the same answer, and a formula reported as fine has no fault text.
#include <cmath>
#include <cstring>

#include "fuzz_check.h"
#include "stats/expression.h"

using namespace tavlora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text = fuzzText(data, size);
    long double a = 0;
    long double b = 0;
    const bool okA = evaluateExpression(text, a);
    const bool okB = evaluateExpression(text, b);
    FUZZ_CHECK(okA == okB);
    if (okA) FUZZ_CHECK((std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, 10) == 0);
    const FormulaCheck check = checkFormula(text);
    FUZZ_CHECK(check.ok() == formulaFaultText(check).empty());
    if (check.ok()) {
        FormulaVars vars{};
        for (size_t i = 0; i < vars.size(); ++i) vars[i] = static_cast<uint8_t>(i + 1);
        long double v = 0;
        (void)evaluateExpression(substituteFormulaVars(text, vars), v);
    }
    return 0;
}
