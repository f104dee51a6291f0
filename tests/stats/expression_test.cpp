#include "stats/expression.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

using namespace tavlora;

namespace {

const long double kPi = 3.141592653589793238462643383279502884L;

long double eval(const std::string& text) {
    long double v = -12345.0L;
    EXPECT_TRUE(evaluateExpression(text, v)) << text;
    return v;
}

bool fails(const std::string& text) {
    long double v = 0.0L;
    return !evaluateExpression(text, v);
}

// n1..n5, p1..p5, t1..t5
FormulaVars vars(std::array<uint8_t, 5> n, std::array<uint8_t, 5> p = {}, std::array<uint8_t, 5> t = {}) {
    FormulaVars v{};
    for (int i = 0; i < 5; ++i) {
        v[i] = n[i];
        v[5 + i] = p[i];
        v[10 + i] = t[i];
    }
    return v;
}

long double compiledValue(const std::string& formula, const FormulaVars& v) {
    long double r = -12345.0L;
    EXPECT_TRUE(ShredFormula(formula).evaluate(v, r)) << formula;
    return r;
}

}  // namespace

TEST(Expression, ReadsNumbersNamesAndBlanks) {
    EXPECT_EQ(eval("12"), 12.0L);
    EXPECT_EQ(eval("007"), 7.0L);
    EXPECT_EQ(eval("1.5"), 1.5L);
    EXPECT_EQ(eval(".5"), 0.5L);
    EXPECT_EQ(eval("5."), 5.0L);
    EXPECT_EQ(eval("2E3"), 2000.0L);
    EXPECT_EQ(eval("2e+3"), 2000.0L);
    EXPECT_EQ(eval("2.5E-1"), 0.25L);
    EXPECT_EQ(eval("1.E2"), 100.0L);
    EXPECT_EQ(eval("$FF"), 255.0L);
    EXPECT_EQ(eval("$ff"), 255.0L);
    EXPECT_EQ(eval("$1E5"), 485.0L);  // E is a hexadecimal digit here, not an exponent
    EXPECT_EQ(eval("$10+1"), 17.0L);
    EXPECT_NEAR(static_cast<double>(eval("123456789012345678901234567890") / 1e29L), 1.2345678901234567890, 1e-15);
    EXPECT_NEAR(static_cast<double>(eval("0.000000000000000000000000001") * 1e27L), 1.0, 1e-15);
    EXPECT_EQ(eval("1E-99999"), 0.0L);  // too small to hold: zero, not a failure
    EXPECT_EQ(eval(" ( 1 + 2 )\t* 3 "), 9.0L);
    EXPECT_NEAR(static_cast<double>(eval("PI")), 3.14159265358979323846, 1e-15);
    EXPECT_EQ(eval("pi"), eval("PI"));
    EXPECT_NEAR(static_cast<double>(eval("E")), 2.71828182845904523536, 1e-15);
    EXPECT_EQ(eval("e*2"), eval("E+E"));
    EXPECT_EQ(eval("sqrt(16)"), 4.0L);
    EXPECT_EQ(eval("Sqrt(16)"), 4.0L);

    for (const char* bad : {"", "   ", "1+", "*2", "(1", "1)", "()", "2(3)", "1 2", "1..2", "$", "$G", "2E",
                            "E2", "2PI", "SIN 1", "SIN()", "SIN(1", "SIN(1)(2)", "X", "PIE", "n1", "1,5",
                            "1;", "2**3", "2^", "\xC3\xBF", "1 + 2 = 3", "ABS(1,2)", "SIN(", ")"}) {
        EXPECT_TRUE(fails(bad)) << bad;
    }
}

TEST(Expression, PrecedenceAndAssociativity) {
    EXPECT_EQ(eval("1+2*3"), 7.0L);
    EXPECT_EQ(eval("(1+2)*3"), 9.0L);
    EXPECT_EQ(eval("1-2+3"), 2.0L);
    EXPECT_EQ(eval("8-3-2"), 3.0L);
    EXPECT_EQ(eval("8/4/2"), 1.0L);
    EXPECT_EQ(eval("10-2^2*2"), 2.0L);
    EXPECT_EQ(eval("2*3^2"), 18.0L);
    EXPECT_EQ(eval("2^3*2"), 16.0L);
    // power is right-associative and binds tighter than unary minus on its left
    EXPECT_EQ(eval("2^3^2"), 512.0L);
    EXPECT_EQ(eval("(2^3)^2"), 64.0L);
    EXPECT_EQ(eval("-2^2"), -4.0L);
    EXPECT_EQ(eval("(-2)^2"), 4.0L);
    EXPECT_EQ(eval("-3^2+10"), 1.0L);
    EXPECT_EQ(eval("2^-1"), 0.5L);
    EXPECT_EQ(eval("2^-2^2"), 0.0625L);  // 2^(-(2^2))
    EXPECT_EQ(eval("-2^-2"), -0.25L);
    EXPECT_EQ(eval("2^-3*4"), 0.5L);     // (2^-3)*4
    EXPECT_EQ(eval("2^+3"), 8.0L);
    EXPECT_EQ(eval("(-2)^3"), -8.0L);
    EXPECT_EQ(eval("0^0"), 1.0L);
    // unary signs
    EXPECT_EQ(eval("-2*3"), -6.0L);
    EXPECT_EQ(eval("2*-3"), -6.0L);
    EXPECT_EQ(eval("2--3"), 5.0L);
    EXPECT_EQ(eval("--2"), 2.0L);
    EXPECT_EQ(eval("+-+2"), -2.0L);
    EXPECT_EQ(eval("6/-2/3"), -1.0L);
    // a function call is one operand
    EXPECT_EQ(eval("SQR(3)^2"), 81.0L);
    EXPECT_EQ(eval("-SQR(3)"), -9.0L);
    EXPECT_EQ(eval("2^SQRT(4)^3"), 256.0L);
}

TEST(Expression, EveryFunction) {
    auto near = [](const std::string& text, long double expected) {
        EXPECT_NEAR(static_cast<double>(eval(text)), static_cast<double>(expected), 1e-15) << text;
    };
    near("ARCTAN(1)", kPi / 4);
    near("COS(0)", 1);
    near("COS(PI)", -1);
    near("SIN(PI/2)", 1);
    near("SIN(PI/6)", 0.5L);
    near("TAN(PI/4)", 1);
    near("ABS(-3.5)", 3.5L);
    near("ABS(3.5)", 3.5L);
    near("EXP(1)", eval("E"));
    near("EXP(0)", 1);
    near("LN(E)", 1);
    near("LN(1)", 0);
    near("LOG(1000)", 3);      // decimal logarithm
    near("LOG(0.01)", -2);
    near("SQRT(16)", 4);
    near("SQRT(0)", 0);
    near("SQR(-3)", 9);
    near("INT(2.7)", 2);
    near("INT(-2.7)", -2);     // cut toward zero
    near("FRAC(2.75)", 0.75L);
    near("FRAC(-2.75)", -0.75L);
    near("TRUNC(2.7)", 2);
    near("TRUNC(-2.7)", -2);
    near("ROUND(2.4)", 2);
    near("ROUND(2.5)", 3);     // halves away from zero
    near("ROUND(3.5)", 4);
    near("ROUND(-2.5)", -3);
    near("ARCSIN(0.5)", kPi / 6);
    near("ARCSIN(1)", kPi / 2);
    near("ARCSIN(-1)", -kPi / 2);
    near("ARCCOS(1)", 0);
    near("ARCCOS(-1)", kPi);
    near("ARCCOS(0)", kPi / 2);
    near("SIGN(-5)", -1);
    near("SIGN(0)", 0);
    near("SIGN(0.1)", 1);
    near("NOT(0)", 1);
    near("NOT(3)", 0);
    near("NOT(-0.5)", 0);
    near("SQRT(SQR(-4))", 4);
    near("abs(sign(-2)*round(frac(1.6)+int(2.2)))", 3);
}

TEST(Expression, EveryFailureGivesZero) {
    const FormulaVars v = vars({5, 10, 20, 30, 40});
    for (const char* bad : {"1/0", "1/(n1-n1)", "0/0", "n1/p1", "LN(0)", "LN(-1)", "LOG(0)", "LOG(-2)",
                            "SQRT(-1)", "SQRT(-0.0001)", "ARCSIN(1.5)", "ARCSIN(-1.01)", "ARCCOS(2)",
                            "ARCCOS(-1.01)", "EXP(100000)", "10^5000", "SQR(1E3000)", "1E3000*1E3000",
                            "(-8)^(1/3)", "0^-1", "1E99999", "FOO(1)", "n6+1", "n1+x", "n1++", "(n1",
                            "EXP(EXP(EXP(10)))", "1/EXP(100000)"}) {
        long double r = 0.0L;
        EXPECT_FALSE(evaluateExpression(substituteFormulaVars(bad, v), r)) << bad;
        ShredFormula f(bad);
        EXPECT_FALSE(f.evaluate(v, r)) << bad;
        EXPECT_EQ(f.shred(v, 2), 0) << bad;
    }
    // the same functions inside their domains succeed
    EXPECT_EQ(ShredFormula("LN(n1)+LOG(n2)+SQRT(n3)+ARCSIN(n1/n1)").shred(v, 3),
              shredValue(logl(5) + 1 + sqrtl(20) + kPi / 2, 3));
}

TEST(ShredValue, KeepsTheConfiguredDigits) {
    EXPECT_EQ(shredValue(15.0L / 90.0L, 2), 16);  // 0.1666...
    EXPECT_EQ(shredValue(-15.0L / 90.0L, 2), 16);  // the absolute value counts
    EXPECT_EQ(shredValue(1.0L / 3.0L, 1), 3);
    EXPECT_EQ(shredValue(1.0L / 3.0L, 2), 33);
    EXPECT_EQ(shredValue(1.0L / 3.0L, 3), 333);
    EXPECT_EQ(shredValue(1.0L / 3.0L, 4), 3333);
    EXPECT_EQ(shredValue(1.0L / 3.0L, 5), 33333);
    EXPECT_EQ(shredValue(2.0L / 3.0L, 5), 66666);  // cut, not rounded
    EXPECT_EQ(shredValue(12345.678L, 3), 678);
    EXPECT_EQ(shredValue(0.999L, 2), 99);
    EXPECT_EQ(shredValue(0.05L, 1), 0);
    EXPECT_EQ(shredValue(3.0L, 2), 0);  // a whole number
    EXPECT_EQ(shredValue(0.0L, 2), 0);
    EXPECT_EQ(shredValue(1e30L, 2), 0);
    EXPECT_EQ(shredValue(3.0L - 4e-16L, 2), 0);  // whole up to the representation error
    EXPECT_EQ(shredValue(3.0L + 4e-16L, 2), 0);
    EXPECT_EQ(shredValue(1.0L / 3.0L, 0), 0);
    EXPECT_EQ(shredValue(1.0L / 3.0L, 12), 333333333);  // at most nine digits
    EXPECT_EQ(shredValue(INFINITY, 2), 0);
    EXPECT_EQ(shredValue(NAN, 2), 0);
    // 0.58 has no exact binary form; in double precision it lies just below 0.58
    EXPECT_EQ(shredValue(static_cast<long double>(29.0 / 50.0), 2), 58);
    EXPECT_EQ(shredValue(static_cast<long double>(0.1 * 3.0), 1), 3);

    // every fraction a/b of the sums a draw can produce: the digits equal integer arithmetic
    for (int b = 1; b <= 345; ++b) {
        for (int a = 0; a <= b; a += (b > 100 ? 3 : 1)) {
            const long double x = static_cast<long double>(a) / static_cast<long double>(b);
            int64_t scale = 1;
            for (int d = 1; d <= 5; ++d) {
                scale *= 10;
                const int64_t expected = (static_cast<int64_t>(a) * scale / b) % scale;
                ASSERT_EQ(shredValue(x, d), expected) << a << "/" << b << " digits " << d;
            }
        }
    }
}

TEST(ShredFormula, ShredsDrawsAsComputedByHand) {
    const ShredFormula f1("(n1+n2+n3)/(n4+n5)");
    const ShredFormula f2("(n4+n5)/(n1+n2+n3)");
    const ShredFormula f3("(n1+n2)/(n3+n4+n5)");
    ASSERT_TRUE(f1.compiled() && f2.compiled() && f3.compiled());
    const FormulaVars d = vars({5, 10, 20, 30, 40});
    EXPECT_EQ(f3.shred(d, 2), 16);  // 15 / 90 = 0.1666...
    EXPECT_EQ(f3.shred(d, 4), 1666);
    EXPECT_EQ(f1.shred(d, 2), 50);  // 35 / 70 = 0.5
    EXPECT_EQ(f2.shred(d, 2), 0);   // 70 / 35 = 2
    EXPECT_EQ(f2.shred(vars({1, 2, 4, 68, 69}), 3), 571);  // 137 / 7 = 19.571428...
    EXPECT_EQ(f3.shred(vars({10, 19, 5, 20, 25}), 2), 58);  // 29 / 50 = 0.58
    // the draw before and the one before that
    const ShredFormula prev("(n1+p1+t1)/(p5+t5)");
    EXPECT_EQ(prev.shred(vars({3, 0, 0, 0, 0}, {1, 0, 0, 0, 7}, {2, 0, 0, 0, 9}), 2), 37);  // 6/16
    // on the first draw p and t are 0, on the second t: a division by them gives 0
    EXPECT_EQ(prev.shred(vars({3, 0, 0, 0, 0}), 2), 0);
    EXPECT_EQ(ShredFormula("n1/t2").shred(vars({3, 4, 5, 6, 7}, {1, 2, 3, 4, 5}), 2), 0);
    // negative results give the digits of their absolute value
    EXPECT_EQ(ShredFormula("(n1-n2)/8").shred(vars({1, 4, 0, 0, 0}), 3), 375);
    EXPECT_EQ(ShredFormula("N1/n2").shred(vars({1, 8, 0, 0, 0}), 3), 125);

    // large results keep exactly their digits: a product of five numbers (up to 10^9) divided
    // by q has the digits of the integer division
    const ShredFormula product("n1*n2*n3*n4*n5/p1");
    for (const auto& n : {std::array<uint8_t, 5>{60, 62, 64, 66, 68}, {65, 66, 67, 68, 69}, {3, 17, 40, 55, 69}}) {
        for (uint8_t q : {7, 9, 11, 13, 69}) {
            int64_t p = 1;
            for (uint8_t x : n) p *= x;
            for (int d = 1, scale = 10; d <= 5; ++d, scale *= 10)
                EXPECT_EQ(product.shred(vars(n, {q, 0, 0, 0, 0}), d), p * scale / q % scale) << p << "/" << int{q};
        }
    }
    EXPECT_EQ(shredValue(123456789.12345L, 5), 12345);
}

TEST(ShredFormula, ReplacesVariablesAsText) {
    const FormulaVars v = vars({5, 7, 23, 12, 15}, {9, 14, 1, 2, 3}, {3, 4, 6, 8, 11});
    EXPECT_EQ(substituteFormulaVars("n1+N2*p3-T5", v), "5+7*1-11");
    EXPECT_EQ(substituteFormulaVars("n12", v), "52");
    EXPECT_EQ(substituteFormulaVars("N1N2", v), "57");
    EXPECT_EQ(substituteFormulaVars("n6+n0", v), "n6+n0");
    // replaced digits may form a new name that a later step replaces, but never an earlier one
    EXPECT_EQ(substituteFormulaVars("nn3", v), "n23");   // n3 = 23, but n2 was replaced before
    EXPECT_EQ(substituteFormulaVars("nn5", v), "n15");
    EXPECT_EQ(substituteFormulaVars("SQRT(n1)", v), "SQRT(5)");
    const FormulaVars w = vars({23, 7, 45, 12, 15}, {19, 34, 1, 2, 3}, {31, 4, 6, 8, 11});
    EXPECT_EQ(substituteFormulaVars("nn1", w), "73");    // n1 = 23 -> "n23" -> n2 = 7
    EXPECT_EQ(substituteFormulaVars("pn1", w), "343");   // "p23" -> p2 = 34
    EXPECT_EQ(substituteFormulaVars("tp1", w), "319");   // p1 = 19 -> "t19" -> t1 = 31
    EXPECT_EQ(substituteFormulaVars("tn1", w), "43");    // "t23" -> t2 = 4
    EXPECT_EQ(substituteFormulaVars("nn4", w), "n12");   // n1 was replaced before n4
    EXPECT_EQ(compiledValue("nn1", w), 73.0L);
    EXPECT_EQ(compiledValue("pn1+1", w), 344.0L);
    EXPECT_EQ(compiledValue("tp1/tn1", w), 319.0L / 43.0L);

    EXPECT_EQ(compiledValue("n12", v), 52.0L);
    EXPECT_EQ(compiledValue("N1N2", v), 57.0L);
    EXPECT_EQ(compiledValue("p1*t5", v), 99.0L);
    EXPECT_EQ(compiledValue("-n1^2", v), -25.0L);
    EXPECT_EQ(compiledValue("2^-1", v), 0.5L);
    EXPECT_EQ(compiledValue("n1.5", v), 5.5L);
    EXPECT_EQ(compiledValue("$n1n2", v), 0x57);
    EXPECT_EQ(compiledValue("n1E2", v), 500.0L);
    long double r = 0.0L;
    EXPECT_FALSE(ShredFormula("nn5").evaluate(v, r));  // "n15" is no number
    EXPECT_FALSE(ShredFormula("nn4").evaluate(w, r));
    EXPECT_FALSE(ShredFormula("n6").compiled());
}

namespace {

// Random formula texts: well-formed expressions over variables and odd spellings, and raw
// character soup.
class FormulaGen {
public:
    explicit FormulaGen(unsigned seed) : rng_(seed) {}

    std::string expression(int depth) {
        const int kind = pick(depth > 3 ? 3 : 9);
        switch (kind) {
            case 0: return atom();
            case 1: return atom();
            case 2: return atom();
            case 3: return "(" + expression(depth + 1) + ")";
            case 4: return pickOf({"-", "+", ""}) + expression(depth + 1);
            case 5: return pickOf({"SIN", "cos", "Sqrt", "ln", "LOG", "abs", "frac", "ROUND", "int", "sqr",
                                   "arctan", "exp", "tan", "sign", "not", "trunc", "arcsin", "arccos"}) +
                           "(" + expression(depth + 1) + ")";
            default:
                return expression(depth + 1) + pickOf({"+", "-", "*", "/", "^", "/", "+"}) + expression(depth + 1);
        }
    }

    std::string soup() {
        static const std::vector<std::string> alphabet{
            "n", "p", "t", "N", "P", "T", "1", "2", "3", "4", "5", "6", "0", "9", ".", "E", "e", "$",
            "A", "f", "+", "-", "*", "/", "^", "(", ")", " ", "n1", "p2", "t3", "N4", "P5", "T1", "PI",
            "SQRT(", "x"};
        std::string s;
        const int len = 1 + pick(14);
        for (int i = 0; i < len; ++i) s += alphabet[pick(static_cast<int>(alphabet.size()))];
        return s;
    }

    FormulaVars values() {
        FormulaVars v{};
        for (auto& x : v) {
            const int kind = pick(10);
            x = static_cast<uint8_t>(kind == 0 ? 0 : kind < 7 ? 1 + pick(69) : kind < 9 ? 10 + pick(50) : 100 + pick(156));
        }
        return v;
    }

private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    std::string pickOf(std::initializer_list<const char*> options) {
        return *(options.begin() + pick(static_cast<int>(options.size())));
    }
    std::string atom() {
        if (pick(3) == 0) {
            return pickOf({"n12", "N1N2", "nn1", "nn2", "pn1", "tp1", "tn2", "ptn1", "np3", "nnn1", "n1.5",
                           "$n1", "$An2", "n1E1", "1n1", "n2e-p1", "0.n3", ".n4", "p1t1", "T5N5", "nt1", "n1n",
                           "PI", "E", "$1f", "2.5E-1", "1E+2", "7", "0"});
        }
        const char* letters[] = {"n", "N", "p", "P", "t", "T"};
        return std::string(letters[pick(6)]) + std::to_string(1 + pick(5));
    }

    std::mt19937 rng_;
};

}  // namespace

TEST(ShredFormula, CompiledEvaluationEqualsReplaceThenEvaluate) {
    std::vector<std::string> formulas{
        "(n1+n2+n3)/(n4+n5)", "n12", "N1N2", "p1*t5", "-n1^2", "2^-1", "nn1", "nn2/3", "pn1+tn2", "tp1*2",
        "nnn1", "ptn1", "n1.5", "$n1", "$An2", "n1E1", "n1E-n2", "1n1/7", "0.n3", ".n4", "SQRTn1", "SQRT(n1)",
        "sqrt(t1)", "EXPn1", "TANn1", "n1n", "p1t1/T5N5", "n1^n2^0.5", "LN(p1)", "n1/(p1-t1)", "nN1", "Nn5",
        "npt1", "tnp1", "pnn1", "n2p1", "$n1E2", "n1.n2E1", "2^-n1", "n1--p1", "(n1)(n2)"};
    FormulaGen gen(20261208);
    for (int i = 0; i < 2500; ++i) formulas.push_back(gen.expression(0));
    for (int i = 0; i < 1500; ++i) formulas.push_back(gen.soup());

    int compared = 0;
    int evaluated = 0;
    for (const std::string& formula : formulas) {
        const ShredFormula compiled(formula);
        for (int k = 0; k < 40; ++k) {
            const FormulaVars v = gen.values();
            long double expected = 0.0L;
            long double actual = 0.0L;
            const bool ok = evaluateExpression(substituteFormulaVars(formula, v), expected);
            ASSERT_EQ(compiled.evaluate(v, actual), ok)
                << formula << " -> " << substituteFormulaVars(formula, v);
            if (ok) {
                ASSERT_EQ(actual, expected) << formula << " -> " << substituteFormulaVars(formula, v);
                ++evaluated;
            }
            for (int d = 1; d <= 5; d += 2) {
                ASSERT_EQ(compiled.shred(v, d), ok ? shredValue(expected, d) : 0) << formula;
            }
            ++compared;
        }
    }
    // the comparison must not be vacuous: most well-formed formulas evaluate
    EXPECT_GT(evaluated, compared / 3);

    // the odd spellings whose meaning depends on the digits of a value evaluate for some values
    for (const char* odd : {"nn1", "pn1+tn2", "tp1*2", "nnn1", "ptn1", "nN1"}) {
        const ShredFormula compiled(odd);
        int ok = 0;
        for (int k = 0; k < 200; ++k) {
            long double r = 0.0L;
            ok += compiled.evaluate(gen.values(), r) ? 1 : 0;
        }
        EXPECT_GT(ok, 0) << odd;
        EXPECT_LT(ok, 200) << odd;
    }
}

TEST(ShredFormula, SurvivesHugeAndDeepInput) {
    const FormulaVars v = vars({5, 10, 20, 30, 40});
    const int depth = 100000;
    auto nested = [&](const std::string& open, const std::string& inner) {
        std::string s;
        s.reserve(static_cast<size_t>(depth) * (open.size() + 1) + inner.size());
        for (int i = 0; i < depth; ++i) s += open;
        s += inner;
        s.append(static_cast<size_t>(depth), ')');
        return s;
    };
    long double r = 0.0L;

    // deep nesting that needs one pending value evaluates at any depth
    const std::string parens = nested("(", "n1/n4");
    EXPECT_EQ(ShredFormula(parens).shred(v, 2), 16);
    ASSERT_TRUE(evaluateExpression(substituteFormulaVars(parens, v), r));
    EXPECT_EQ(shredValue(r, 2), 16);
    EXPECT_EQ(ShredFormula(nested("ABS(-", "n1/n4")).shred(v, 3), 166);

    // nesting that keeps a value pending at each level exceeds the limit and gives 0
    const std::string pending = nested("1+(", "n1");
    EXPECT_FALSE(ShredFormula(pending).compiled());
    EXPECT_EQ(ShredFormula(pending).shred(v, 2), 0);
    EXPECT_FALSE(evaluateExpression(substituteFormulaVars(pending, v), r));
    std::string powers;
    for (int i = 0; i < depth; ++i) powers += "1^";
    EXPECT_EQ(ShredFormula(powers + "1").shred(v, 2), 0);
    // just under the limit still works
    std::string chain;
    for (int i = 0; i < kMaxStackDepth - 1; ++i) chain += "1^";
    EXPECT_TRUE(ShredFormula(chain + "n1").compiled());
    EXPECT_EQ(compiledValue(chain + "n1", v), 1.0L);
    EXPECT_FALSE(ShredFormula(chain + "1^n1").compiled());

    // unbalanced
    EXPECT_FALSE(ShredFormula(std::string(static_cast<size_t>(depth), '(') + "n1").compiled());
    EXPECT_FALSE(ShredFormula("n1" + std::string(static_cast<size_t>(depth), ')')).compiled());

    // one megabyte formulas
    const size_t mb = 1 << 20;
    std::string sum;
    sum.reserve(mb + 8);
    int terms = 0;
    while (sum.size() < mb) {
        sum += "n1+";
        ++terms;
    }
    sum += "0.5";
    EXPECT_EQ(compiledValue(sum, v), 5.0L * terms + 0.5L);
    ASSERT_TRUE(evaluateExpression(substituteFormulaVars(sum, v), r));
    EXPECT_EQ(r, 5.0L * terms + 0.5L);

    EXPECT_EQ(compiledValue("0." + std::string(mb, '0') + "n1", v), 0.0L);  // underflows to 0
    EXPECT_FALSE(ShredFormula("1" + std::string(mb, '0') + "n1").evaluate(v, r));  // overflows
    EXPECT_FALSE(ShredFormula(std::string(mb, 'n') + "1").evaluate(v, r));
    EXPECT_FALSE(ShredFormula(std::string(mb, 'x')).compiled());
    std::string soup;
    std::mt19937 rng(7);
    const std::string alphabet = "nptNPT0123456789.Ee$+-*/^() ";
    for (size_t i = 0; i < mb; ++i) soup += alphabet[rng() % alphabet.size()];
    ShredFormula(soup).shred(v, 2);  // must simply return
}

TEST(ShredFormula, EvaluatesOnSeveralThreadsAtOnce) {
    const ShredFormula f("(n1+n2)/(n3+n4+n5)+SQRT(p1)*t1+n12");
    FormulaGen gen(99);
    std::vector<FormulaVars> inputs;
    std::vector<int> expected;
    for (int i = 0; i < 2000; ++i) {
        inputs.push_back(gen.values());
        long double r = 0.0L;
        expected.push_back(evaluateExpression(substituteFormulaVars("(n1+n2)/(n3+n4+n5)+SQRT(p1)*t1+n12", inputs.back()), r)
                               ? shredValue(r, 4)
                               : 0);
    }
    std::vector<int> wrong(4, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (size_t i = 0; i < inputs.size(); ++i) wrong[t] += f.shred(inputs[i], 4) != expected[i] ? 1 : 0;
        });
    }
    for (auto& th : threads) th.join();
    for (int t = 0; t < 4; ++t) EXPECT_EQ(wrong[t], 0);
}

// The formula check reports what is wrong and where, and accepts exactly what compiles.
TEST(FormulaCheck, ReportsTheFaultAndItsPosition) {
    struct Case {
        const char* formula;
        FormulaFault fault;
        int position;
    };
    const Case cases[] = {
        {"(n1+n2+n3)/(n4+n5)", FormulaFault::None, 0},
        {"N1*p5-t3^2+SQRT(ABS(n2))+PI+$1F+2.5E-1", FormulaFault::None, 0},
        {"n12+n1n2", FormulaFault::None, 0},  // the variables are replaced as text
        {"   ", FormulaFault::Empty, 1},
        {"(n1+n2", FormulaFault::Unclosed, 1},
        {"n1+(n2*(n3+n4)", FormulaFault::Unclosed, 4},
        {"n1+n2)", FormulaFault::Unopened, 6},
        {"n1+", FormulaFault::Unfinished, 4},
        {"n1 n2", FormulaFault::OperatorExpected, 4},
        {"n1*/n2", FormulaFault::OperandExpected, 4},
        {"n1+x7", FormulaFault::UnknownName, 4},
        {"n1+SQRT n2", FormulaFault::NoArgument, 4},
        {"n1#n2", FormulaFault::BadCharacter, 3},
        {"n1+$", FormulaFault::BadCharacter, 4},
        {"«n1»", FormulaFault::BadCharacter, 1},
        {"n1+ё", FormulaFault::BadCharacter, 4},  // counted in characters, not bytes
    };
    for (const Case& c : cases) {
        const FormulaCheck check = checkFormula(c.formula);
        EXPECT_EQ(check.fault, c.fault) << c.formula;
        EXPECT_EQ(check.position, c.position) << c.formula;
        EXPECT_EQ(check.ok(), ShredFormula(c.formula).compiled()) << c.formula;
    }
    EXPECT_EQ(checkFormula("n1+x7").name, "X");
    EXPECT_EQ(formulaFaultText(checkFormula("(n1+n2")), "позиция 1: скобка «(» не закрыта");
    EXPECT_EQ(formulaFaultText(checkFormula("n1+x7")), "позиция 4: неизвестное имя «X»");
    EXPECT_EQ(formulaFaultText(checkFormula("n1")), "");
    // Too many pending values is reported, constants included.
    std::string deep;
    for (int i = 0; i < kMaxStackDepth + 2; ++i) deep += "PI^(";
    deep += "1";
    for (int i = 0; i < kMaxStackDepth + 2; ++i) deep += ")";
    EXPECT_EQ(checkFormula(deep).fault, FormulaFault::TooComplex);
    EXPECT_FALSE(ShredFormula(deep).compiled());
}

// The table over whole-number sums of n1..n5 gives the evaluator's own shredded number for the
// combinations' numbers, with p and t fixed; formulas that read n1..n5 otherwise, or need too
// large a table, get none.
TEST(ShredTable, EqualsTheEvaluatedFormulaForCombinationNumbers) {
    struct Case {
        std::string formula;
        bool tabled;
    };
    std::vector<Case> cases{
        {"(n1+n2+n3)/(n4+n5)", true},
        {"(n4+n5)/(n1+n2+n3)", true},
        {"(n1+n2)/(n3+n4+n5)", true},
        {"(n1+p1+t1)/(p5+t5)", true},
        {"-(2*n1-n2*3+p2)/7", true},
        {"SQRT(n1+n2+n3+n4+n5)", true},
        {"(n1-n5)^0.5+n2/PI", true},        // a fractional power of a negative number fails
        {"1/(n2-n1)+n1*0.5", true},         // divides by zero when n1 = n2
        {"n1-n1+0.37", true},               // no input at all
        {"-0*n1+1/(p1-p1)", true},          // fails for every combination
        {"1E13*n1+0.37", true},              // a factor too large for an exact sum
        {"1099511627776*n1/3+n2/7", true},  // a sum too large to be exact
        {"(n1", true},                      // never evaluates: every number is 0
        {"n1/n2/n3/n4/n5", false},          // five inputs, 69^5 entries
        {"n12/7", false},                   // the digits of n1 joined with a written 2
        {"nn1+n2", false},                  // the text of n1 may make another variable name
    };
    FormulaGen gen(20261209);
    for (int i = 0; i < 300; ++i) cases.push_back({gen.expression(0), false});
    const size_t handCases = 16;

    std::mt19937 rng(77);
    int tabled = 0;
    for (size_t c = 0; c < cases.size(); ++c) {
        const ShredFormula compiled(cases[c].formula);
        FormulaVars fixed = gen.values();
        for (size_t i = 0; i < 5; ++i) fixed[i] = 0;
        const int digits = 1 + static_cast<int>(c % 5);
        const std::optional<ShredTable> table = compiled.tableFor(fixed, digits, size_t{1} << 16);
        if (c < handCases) {
            ASSERT_EQ(table.has_value(), cases[c].tabled) << cases[c].formula;
        }
        if (!table) continue;
        ++tabled;
        for (int k = 0; k < 300; ++k) {
            FormulaVars v = fixed;
            std::array<uint8_t, 69> pool{};
            for (size_t i = 0; i < pool.size(); ++i) pool[i] = static_cast<uint8_t>(i + 1);
            std::shuffle(pool.begin(), pool.end(), rng);
            // mostly random order; the extremes 1 and 69 and sorted numbers too
            if (k == 0) pool = {1, 2, 3, 4, 5};
            if (k == 1) pool = {69, 68, 67, 66, 65};
            if (k % 3 == 2) std::sort(pool.begin(), pool.begin() + 5);
            for (size_t i = 0; i < 5; ++i) v[i] = pool[i];
            ASSERT_EQ(table->valueOf(v.data()), compiled.shred(v, digits))
                << cases[c].formula << " with " << substituteFormulaVars(cases[c].formula, v);
            // the one-lookup position equals the computed one, and is negative for a number outside 1..69
            ASSERT_EQ(table->find(v.data()), static_cast<int64_t>(table->indexOf(v.data()))) << cases[c].formula;
            FormulaVars outside = v;
            outside[static_cast<size_t>(k) % 5] = static_cast<uint8_t>(k % 2 ? 0 : 70 + k % 186);
            ASSERT_LT(table->find(outside.data()), 0) << cases[c].formula;
        }
    }
    EXPECT_GT(tabled, 100);  // most generated formulas split into few sums

    // the three default formulas stay small enough for a filter run
    for (const char* formula : {"(n1+n2+n3)/(n4+n5)", "(n4+n5)/(n1+n2+n3)", "(n1+n2)/(n3+n4+n5)"}) {
        const std::optional<ShredTable> table = ShredFormula(formula).tableFor(FormulaVars{}, 2, size_t{1} << 16);
        ASSERT_TRUE(table.has_value()) << formula;
        EXPECT_LT(table->size(), 30000u) << formula;
    }
}
