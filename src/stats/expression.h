#pragma once
// The arithmetic expression evaluator of the shredding methods.
//
// Syntax: decimal numbers ("12", "1.5", ".5", "5.", "2E3", "2.5e-1"), hexadecimal numbers with a
// leading "$" ("$FF"), the binary operators + - * / ^, unary plus and minus, parentheses, the
// constants E and PI and 18 functions of one argument written NAME(argument):
//   ARCTAN COS SIN TAN ABS EXP LN LOG SQRT SQR INT FRAC TRUNC ROUND ARCSIN ARCCOS SIGN NOT
// Names are read without regard to case; blanks between tokens are allowed.
//
// Precedence, loosest first: + - (left to right); * / (left to right); unary + -; ^ (right to
// left). So "-2^2" is -4, "2^-1" is 0.5, "2^3^2" is 512 and "-2*3" is (-2)*3.
//
// Results of the functions:
//   LOG         decimal logarithm; LN natural logarithm; both fail for an argument <= 0
//   SQRT        fails for an argument < 0; SQR is the square
//   INT, TRUNC  the whole part, cut toward zero (INT(-2.7) = TRUNC(-2.7) = -2)
//   FRAC        the argument minus its whole part, keeping its sign (FRAC(-2.75) = -0.75)
//   ROUND       the nearest whole number, halves away from zero (ROUND(2.5) = 3, ROUND(-2.5) = -3)
//   SIGN        -1, 0 or 1
//   NOT         1 for an argument equal to 0, else 0
//   ARCSIN      fails outside -1..1; ARCSIN(1) = PI/2, ARCSIN(-1) = -PI/2
//   ARCCOS      fails outside -1..1; ARCCOS(1) = 0, ARCCOS(-1) = PI
//   ARCTAN, COS, SIN, TAN, ABS, EXP as their names say (angles in radians)
// Every failure — a syntax error, an unknown name, a division by zero, a domain error, a
// result that is not a finite number (overflow, a negative base to a fractional power) —
// makes the evaluation fail as a whole. A formula whose evaluation would hold more than
// kMaxStackDepth pending values at once fails too; parentheses alone do not count, so
// "((((n1))))" at any depth is fine. Nothing recurses on the formula's nesting, so no input
// can exhaust the call stack.
//
// Shredding formulas use the variables n1..n5, p1..p5 and t1..t5. Their meaning is textual:
// for i = 1..5 every "n<i>" (any letter case) is replaced by the decimal text of n[i], then every
// "p<i>", then every "t<i>", and the resulting text is evaluated. So "n12" with n1 = 5 reads 52
// and "N1N2" with n1 = 5, n2 = 7 reads 57. ShredFormula performs this replacement once,
// symbolically, and evaluates a compiled program per call with exactly the same results.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavlora {

// Why a formula cannot be read.
enum class FormulaFault {
    None,
    Empty,             // nothing but blanks
    Unfinished,        // the text ends where a number, a variable or "(" is expected
    BadCharacter,      // a character that belongs to no number, name or operator
    UnknownName,       // a name that is neither a variable, a constant nor a function
    NoArgument,        // a function name not followed by "("
    OperandExpected,   // an operator or ")" where a number, a variable or "(" is expected
    OperatorExpected,  // a value or "(" right after a value
    Unclosed,          // a "(" without its ")"
    Unopened,          // a ")" without its "("
    BadNumber,         // a number too large to hold
    TooComplex,        // more than kMaxStackDepth pending values
};

// The result of reading a formula without evaluating it: the fault, the position of the
// offending character (counted in characters from 1) and the name it concerns, if any.
struct FormulaCheck {
    FormulaFault fault = FormulaFault::None;
    int position = 0;
    std::string name;
    bool ok() const { return fault == FormulaFault::None; }
};

// Reads a shredding formula (with its variables) as the evaluator does. Exactly the formulas
// that ShredFormula compiles are ok; the others are reported with what is wrong and where.
FormulaCheck checkFormula(std::string_view formula);
// "позиция 7: скобка «(» не закрыта" (empty for an ok check).
std::string formulaFaultText(const FormulaCheck& check);

// Values of the formula variables in the order n1..n5, p1..p5, t1..t5.
using FormulaVars = std::array<uint8_t, 15>;

inline constexpr int kMaxStackDepth = 256;

// Evaluates an expression text (no variables). Returns false on any failure.
bool evaluateExpression(std::string_view text, long double& value);

// The formula text with its variables replaced as described above.
std::string substituteFormulaVars(std::string_view formula, const FormulaVars& vars);

// The first digits after the decimal point of |value| as a whole number, 0 .. 10^digits - 1
// (digits taken within 0..9). The last kept digit is read allowing for the representation
// error of binary floating point (one part in 10^15 of the value), so that 29/50 = 0.58
// gives 58 and not 57, and 2.9999999999999996 counts as the whole number 3 (result 0).
// A value that is not finite gives 0.
int shredValue(long double value, int digits);

// The shredded numbers of one formula for every combination of five numbers 1..69 (n1..n5),
// with p1..p5 and t1..t5 fixed: made when the formula reads n1..n5 only through a few
// whole-number sums (such as "n1+n2+n3" or "2*n4-n5"), it holds one entry per possible set of
// those sums, each worked out by the evaluator itself, so a lookup gives exactly its result.
class ShredTable {
public:
    // Whether the table holds the numbers n[0..4]: each is 1..69.
    static bool covers(const uint8_t* n) {
        bool in = true;
        for (std::size_t k = 0; k < 5; ++k) in &= static_cast<uint8_t>(n[k] - 1) < 69;
        return in;
    }
    // Position in the table of the numbers n[0..4] (each 1..69).
    std::size_t indexOf(const uint8_t* n) const {
        int64_t i = base_;
        for (std::size_t k = 0; k < 5; ++k) i += step_[k] * n[k];
        return static_cast<std::size_t>(i);
    }
    // The shredded number of n[0..4] (each 1..69).
    int32_t valueOf(const uint8_t* n) const { return values_[indexOf(n)]; }
    // Position in the table of the numbers n[0..4], or a negative number when some number is
    // outside 1..69: one lookup per number, without a separate range test. A number outside
    // 1..69 adds kOutside, far below any sum of the other terms, so the sum stays negative.
    int64_t find(const uint8_t* n) const {
        return base_ + offset_[0][n[0]] + offset_[1][n[1]] + offset_[2][n[2]] + offset_[3][n[3]] + offset_[4][n[4]];
    }
    std::size_t size() const { return values_.size(); }
    int32_t value(std::size_t index) const { return values_[index]; }

private:
    friend class ShredFormula;
    static constexpr int64_t kOutside = -(int64_t{1} << 50);
    // offset_[p][v]: step_[p] * v for v in 1..69, else kOutside (after base_ and step_ are set).
    void setOffsets() {
        for (std::size_t p = 0; p < 5; ++p)
            for (std::size_t v = 0; v < 256; ++v)
                offset_[p][v] = v >= 1 && v <= 69 ? step_[p] * static_cast<int64_t>(v) : kOutside;
    }
    int64_t base_ = 0;
    std::array<int64_t, 5> step_{};
    std::array<std::array<int64_t, 256>, 5> offset_{};
    std::vector<int32_t> values_;
};

// A formula compiled once and evaluated for many sets of variable values. Evaluation does
// not allocate and may run on several threads at once.
class ShredFormula {
public:
    explicit ShredFormula(std::string_view formula);
    ~ShredFormula();
    ShredFormula(ShredFormula&&) noexcept;
    ShredFormula& operator=(ShredFormula&&) noexcept;
    ShredFormula(const ShredFormula&) = delete;
    ShredFormula& operator=(const ShredFormula&) = delete;

    // False when the formula can never be evaluated (a syntax error whatever the values).
    bool compiled() const;
    // Same result as evaluateExpression(substituteFormulaVars(formula, vars), value).
    bool evaluate(const FormulaVars& vars, long double& value) const;
    // The shredded number: shredValue of the result, 0 when the evaluation fails.
    int shred(const FormulaVars& vars, int digits) const;
    // The shredded numbers of all combinations with p and t taken from `fixed` (its n ignored),
    // when the table needs at most maxEntries entries; nothing when the formula does not split
    // so (for example "n1/n2/n3/n4/n5", or numbers written next to a variable such as "n12").
    std::optional<ShredTable> tableFor(const FormulaVars& fixed, int digits, std::size_t maxEntries) const;

    struct Program;

private:
    std::unique_ptr<Program> program_;
};

}  // namespace tavlora
