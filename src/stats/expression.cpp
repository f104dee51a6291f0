#include "stats/expression.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/game.h"
#include "core/parallel.h"

namespace tavlora {

namespace {

constexpr long double kE = 2.718281828459045235360287471352662498L;
constexpr long double kPi = 3.141592653589793238462643383279502884L;

// --- variables and their replacement steps --------------------------------------------------
// The replacement runs 15 steps: for i = 1..5 the patterns n<i>, p<i>, t<i>. Step k replaces
// the letter "npt"[k % 3] followed by the digit k / 3 + 1, which names variable (k % 3) * 5 + k / 3.
constexpr int kSteps = 15;
char stepLetter(int step) { return "npt"[step % 3]; }
char stepDigit(int step) { return static_cast<char>('1' + step / 3); }
int stepVar(int step) { return (step % 3) * 5 + step / 3; }

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
bool isVarLetter(char c) {
    c = lower(c);
    return c == 'n' || c == 'p' || c == 't';
}
bool isDecDigit(char c) { return c >= '0' && c <= '9'; }
bool isHexDigit(char c) {
    return isDecDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Decimal text of a value (1..3 digits) into out; returns its length.
int valueDigits(uint8_t v, char* out) {
    if (v >= 100) {
        out[0] = static_cast<char>('0' + v / 100);
        out[1] = static_cast<char>('0' + v / 10 % 10);
        out[2] = static_cast<char>('0' + v % 10);
        return 3;
    }
    if (v >= 10) {
        out[0] = static_cast<char>('0' + v / 10);
        out[1] = static_cast<char>('0' + v % 10);
        return 2;
    }
    out[0] = static_cast<char>('0' + v);
    return 1;
}

// A run of digits inside the formula whose text depends on the variable values: the text of
// variable `var`, put there by replacement step `step`. When the replacement left it right
// behind letters n, p or t (`letters`, lower case, in text order), a later step may join the
// last of those letters with the first digit into another variable name and replace that pair
// too; the run then reads differently. The run is only valid when every one of those letters
// has been replaced in the end (a letter left before digits is a syntax error).
struct Piece {
    uint8_t var = 0;
    uint8_t step = 0;
    std::string letters;
};

constexpr int kPieceTextMax = 3 + 2 * kSteps + 2;

// Text of a piece for the given values, into out (kPieceTextMax chars); -1 when a letter stays.
int pieceText(const Piece& p, const FormulaVars& vars, char* out) {
    int len = valueDigits(vars[p.var], out);
    size_t waiting = p.letters.size();
    for (int k = p.step + 1; k < kSteps && waiting > 0; ++k) {
        if (p.letters[waiting - 1] == stepLetter(k) && out[0] == stepDigit(k)) {
            char head[3];
            const int headLen = valueDigits(vars[stepVar(k)], head);
            std::memmove(out + headLen, out + 1, static_cast<size_t>(len - 1));
            std::memcpy(out, head, static_cast<size_t>(headLen));
            len += headLen - 1;
            --waiting;
        }
    }
    return waiting > 0 ? -1 : len;
}

// One element of the formula text: a literal character, or a piece (piece >= 0).
struct Item {
    int32_t piece;
    char c;
};

std::vector<Item> literalItems(std::string_view text) {
    std::vector<Item> items;
    items.reserve(text.size());
    for (char c : text) items.push_back(Item{-1, c});
    return items;
}

// --- number reading --------------------------------------------------------------------------
// Reads the characters of one number token, already known to be well-formed, one at a time.
// The same reader serves numbers written out in the text and numbers assembled from pieces,
// which keeps both ways of evaluating a formula bit for bit identical.
class NumberReader {
public:
    explicit NumberReader(bool hex) : hex_(hex) {}

    void feed(char c) {
        if (hex_) {
            if (c == '$') return;
            const int d = isDecDigit(c) ? c - '0' : lower(c) - 'a' + 10;
            hexValue_ = hexValue_ * 16 + d;
            return;
        }
        if (isDecDigit(c)) {
            const int d = c - '0';
            if (inExponent_) {
                exponent_ = std::min<long>(exponent_ * 10 + d, kExponentCap);
            } else if (mantissa_ == 0 && d == 0) {
                if (inFraction_) --scale_;
            } else if (digits_ < kMantissaDigits) {
                mantissa_ = mantissa_ * 10 + static_cast<uint64_t>(d);
                ++digits_;
                if (inFraction_) --scale_;
            } else if (!inFraction_) {
                ++scale_;  // digits beyond the kept ones still count for the magnitude
            }
        } else if (c == '.') {
            inFraction_ = true;
        } else if (c == 'e' || c == 'E') {
            inExponent_ = true;
        } else if (c == '-') {
            negativeExponent_ = true;
        }
    }

    long double value() const {
        if (hex_) return hexValue_;
        if (mantissa_ == 0) return 0.0L;
        const long e = scale_ + (negativeExponent_ ? -exponent_ : exponent_);
        const long double m = static_cast<long double>(mantissa_);
        return e >= 0 ? m * powerOfTen(e) : m / powerOfTen(-e);
    }

private:
    static constexpr int kMantissaDigits = 19;
    static constexpr long kExponentCap = 1000000;

    static long double powerOfTen(long e) {
        // Exact for the powers that long double holds exactly; powl beyond.
        if (e <= 27) {
            long double p = 1.0L;
            for (long i = 0; i < e; ++i) p *= 10.0L;
            return p;
        }
        return powl(10.0L, static_cast<long double>(e));
    }

    bool hex_;
    long double hexValue_ = 0.0L;
    uint64_t mantissa_ = 0;
    int digits_ = 0;
    long scale_ = 0;
    long exponent_ = 0;
    bool inFraction_ = false;
    bool inExponent_ = false;
    bool negativeExponent_ = false;
};

// --- program ---------------------------------------------------------------------------------

enum class Op : uint8_t {
    Const, Var, Number,
    Neg, Add, Sub, Mul, Div, Pow,
    // the functions, in the order of kFunctionNames
    Arctan, Cos, Sin, Tan, Abs, Exp, Ln, Log, Sqrt, Sqr, Int, Frac, Trunc, Round, Arcsin, Arccos,
    Sign, Not,
    // a whole number given to the run from outside (the sums a ShredTable is indexed by)
    Input
};

constexpr std::array<std::string_view, 18> kFunctionNames{
    "ARCTAN", "COS", "SIN", "TAN", "ABS", "EXP", "LN", "LOG", "SQRT",
    "SQR", "INT", "FRAC", "TRUNC", "ROUND", "ARCSIN", "ARCCOS", "SIGN", "NOT"};

struct Instr {
    Op op;
    uint32_t arg;  // Const: constant index; Var: variable index; Number: number index; Input: input index
};

// A number whose text contains pieces: parts [first, first + count) of the program.
struct NumberPart {
    bool isPiece;
    uint32_t a;  // piece index, or offset in the literal pool
    uint32_t b;  // literal length
};
struct NumberTemplate {
    bool hex;
    uint32_t first;
    uint32_t count;
};

}  // namespace

struct ShredFormula::Program {
    bool ok = false;
    std::vector<Instr> code;
    std::vector<long double> consts;
    std::vector<Piece> pieces;
    std::vector<NumberPart> parts;
    std::vector<NumberTemplate> numbers;
    std::string pool;
};

namespace {

using Program = ShredFormula::Program;

// --- lexer -----------------------------------------------------------------------------------

enum class Tok { End, Number, Name, Symbol, Bad };

struct Token {
    Tok kind = Tok::End;
    char symbol = 0;     // Symbol: one of + - * / ^ ( )
    size_t begin = 0;    // Number: items [begin, end)
    size_t end = 0;
    bool hex = false;
    std::string name;    // Name: upper case
};

class Lexer {
public:
    explicit Lexer(const std::vector<Item>& items) : items_(items) {}

    Token next() {
        while (pos_ < items_.size() && literal(pos_) && isBlank(items_[pos_].c)) ++pos_;
        Token t;
        if (pos_ >= items_.size()) return t;
        t.begin = pos_;
        if (digit(pos_) || (isChar(pos_, '.') && digit(pos_ + 1))) {
            t.kind = Tok::Number;
            while (digit(pos_)) ++pos_;
            if (isChar(pos_, '.')) {
                ++pos_;
                while (digit(pos_)) ++pos_;
            }
            if (isChar(pos_, 'e') || isChar(pos_, 'E')) {
                if (digit(pos_ + 1)) {
                    pos_ += 1;
                } else if ((isChar(pos_ + 1, '+') || isChar(pos_ + 1, '-')) && digit(pos_ + 2)) {
                    pos_ += 2;
                }
                while (digit(pos_)) ++pos_;
            }
            t.end = pos_;
            return t;
        }
        const Item& it = items_[pos_];
        if (it.c == '$') {
            ++pos_;
            if (!hexDigit(pos_)) {
                t.kind = Tok::Bad;
                return t;
            }
            while (hexDigit(pos_)) ++pos_;
            t.kind = Tok::Number;
            t.hex = true;
            t.end = pos_;
            return t;
        }
        if (isLetter(it.c)) {
            t.kind = Tok::Name;
            while (pos_ < items_.size() && literal(pos_) && isLetter(items_[pos_].c)) {
                t.name.push_back(upper(items_[pos_].c));
                ++pos_;
            }
            return t;
        }
        ++pos_;
        switch (it.c) {
            case '+': case '-': case '*': case '/': case '^': case '(': case ')':
                t.kind = Tok::Symbol;
                t.symbol = it.c;
                return t;
            default:
                t.kind = Tok::Bad;
                return t;
        }
    }

private:
    bool literal(size_t i) const { return items_[i].piece < 0; }
    bool isChar(size_t i, char c) const { return i < items_.size() && literal(i) && items_[i].c == c; }
    bool digit(size_t i) const {
        return i < items_.size() && (!literal(i) || isDecDigit(items_[i].c));
    }
    bool hexDigit(size_t i) const {
        return i < items_.size() && (!literal(i) || isHexDigit(items_[i].c));
    }

    const std::vector<Item>& items_;
    size_t pos_ = 0;
};

// --- parser: shunting-yard with an explicit operator stack (no recursion) -------------------

enum class StackOp : uint8_t { Open, Neg, Add, Sub, Mul, Div, Pow };

struct Pending {
    StackOp op;
    int8_t function;  // Open: index into kFunctionNames, or -1 for a plain parenthesis
    size_t pos;       // item index of the operator or parenthesis (for error reports)
};

int precedence(StackOp op) {
    switch (op) {
        case StackOp::Add: case StackOp::Sub: return 1;
        case StackOp::Mul: case StackOp::Div: return 2;
        case StackOp::Neg: return 3;
        case StackOp::Pow: return 4;
        case StackOp::Open: return 0;
    }
    return 0;
}

Op opOf(StackOp op) {
    switch (op) {
        case StackOp::Neg: return Op::Neg;
        case StackOp::Add: return Op::Add;
        case StackOp::Sub: return Op::Sub;
        case StackOp::Mul: return Op::Mul;
        case StackOp::Div: return Op::Div;
        case StackOp::Pow: return Op::Pow;
        case StackOp::Open: break;
    }
    return Op::Neg;
}

class Compiler {
public:
    Compiler(const std::vector<Item>& items, Program& prog) : lexer_(items), items_(items), prog_(prog) {}

    // Where and why the last run failed (the item index of the offending token).
    FormulaFault fault() const { return fault_; }
    size_t faultPos() const { return faultPos_; }
    const std::string& faultName() const { return faultName_; }

    bool run() {
        bool expectOperand = true;
        for (;;) {
            Token t = lexer_.next();
            if (expectOperand) {
                switch (t.kind) {
                    case Tok::Number:
                        if (!emitNumber(t)) return fail(FormulaFault::BadNumber, t);
                        expectOperand = false;
                        break;
                    case Tok::Name: {
                        if (t.name == "PI" || t.name == "E") {
                            if (!emitConst(t.name == "PI" ? kPi : kE)) return fail(FormulaFault::TooComplex, t);
                            expectOperand = false;
                            break;
                        }
                        const auto f = std::find(kFunctionNames.begin(), kFunctionNames.end(), t.name);
                        if (f == kFunctionNames.end()) return fail(FormulaFault::UnknownName, t);
                        Token open = lexer_.next();
                        if (open.kind != Tok::Symbol || open.symbol != '(') return fail(FormulaFault::NoArgument, t);
                        ops_.push_back({StackOp::Open, static_cast<int8_t>(f - kFunctionNames.begin()), open.begin});
                        break;
                    }
                    case Tok::Symbol:
                        if (t.symbol == '(') {
                            ops_.push_back({StackOp::Open, -1, t.begin});
                        } else if (t.symbol == '-') {
                            ops_.push_back({StackOp::Neg, 0, t.begin});
                        } else if (t.symbol != '+') {
                            return fail(FormulaFault::OperandExpected, t);
                        }
                        break;
                    case Tok::End:
                        return fail(FormulaFault::Unfinished, t);
                    case Tok::Bad:
                        return fail(FormulaFault::BadCharacter, t);
                }
                continue;
            }
            if (t.kind == Tok::End) {
                while (!ops_.empty()) {
                    if (ops_.back().op == StackOp::Open) return failAt(FormulaFault::Unclosed, ops_.back().pos);
                    if (!emitOp(opOf(ops_.back().op))) return fail(FormulaFault::TooComplex, t);
                    ops_.pop_back();
                }
                return true;
            }
            if (t.kind == Tok::Bad) return fail(FormulaFault::BadCharacter, t);
            if (t.kind != Tok::Symbol || t.symbol == '(') return fail(FormulaFault::OperatorExpected, t);
            if (t.symbol == ')') {
                while (!ops_.empty() && ops_.back().op != StackOp::Open) {
                    if (!emitOp(opOf(ops_.back().op))) return fail(FormulaFault::TooComplex, t);
                    ops_.pop_back();
                }
                if (ops_.empty()) return fail(FormulaFault::Unopened, t);
                const int f = ops_.back().function;
                ops_.pop_back();
                if (f >= 0 && !emitOp(static_cast<Op>(static_cast<int>(Op::Arctan) + f)))
                    return fail(FormulaFault::TooComplex, t);
                continue;
            }
            StackOp op = StackOp::Add;
            switch (t.symbol) {
                case '+': op = StackOp::Add; break;
                case '-': op = StackOp::Sub; break;
                case '*': op = StackOp::Mul; break;
                case '/': op = StackOp::Div; break;
                default: op = StackOp::Pow; break;
            }
            const int p = precedence(op);
            const bool leftAssoc = op != StackOp::Pow;
            while (!ops_.empty() && ops_.back().op != StackOp::Open) {
                const int q = precedence(ops_.back().op);
                if (q > p || (q == p && leftAssoc)) {
                    if (!emitOp(opOf(ops_.back().op))) return fail(FormulaFault::TooComplex, t);
                    ops_.pop_back();
                } else {
                    break;
                }
            }
            ops_.push_back({op, 0, t.begin});
            expectOperand = true;
        }
    }

private:
    bool fail(FormulaFault fault, const Token& t) {
        faultName_ = t.kind == Tok::Name ? t.name : std::string();
        return failAt(fault, t.kind == Tok::End ? items_.size() : t.begin);
    }
    bool failAt(FormulaFault fault, size_t pos) {
        fault_ = fault;
        faultPos_ = pos;
        return false;
    }

    bool emit(Op op, uint32_t arg, int stackChange) {
        depth_ += stackChange;
        if (depth_ > kMaxStackDepth) return false;
        prog_.code.push_back({op, arg});
        return true;
    }
    bool emitOp(Op op) {
        const bool binary = op == Op::Add || op == Op::Sub || op == Op::Mul || op == Op::Div || op == Op::Pow;
        return emit(op, 0, binary ? -1 : 0);
    }
    bool emitConst(long double v) {
        prog_.consts.push_back(v);
        return emit(Op::Const, static_cast<uint32_t>(prog_.consts.size() - 1), 1);
    }

    bool emitNumber(const Token& t) {
        bool literalOnly = true;
        for (size_t i = t.begin; i < t.end; ++i) literalOnly = literalOnly && items_[i].piece < 0;
        if (literalOnly) {
            NumberReader reader(t.hex);
            for (size_t i = t.begin; i < t.end; ++i) reader.feed(items_[i].c);
            const long double v = reader.value();
            if (!std::isfinite(v)) return false;
            return emitConst(v);
        }
        if (!t.hex && t.end == t.begin + 1 && prog_.pieces[items_[t.begin].piece].letters.empty()) {
            return emit(Op::Var, prog_.pieces[items_[t.begin].piece].var, 1);
        }
        NumberTemplate tpl{t.hex, static_cast<uint32_t>(prog_.parts.size()), 0};
        for (size_t i = t.begin; i < t.end; ++i) {
            if (items_[i].piece >= 0) {
                prog_.parts.push_back({true, static_cast<uint32_t>(items_[i].piece), 0});
            } else if (!prog_.parts.empty() && prog_.parts.size() > tpl.first && !prog_.parts.back().isPiece) {
                prog_.pool.push_back(items_[i].c);
                ++prog_.parts.back().b;
            } else {
                prog_.parts.push_back({false, static_cast<uint32_t>(prog_.pool.size()), 1});
                prog_.pool.push_back(items_[i].c);
            }
        }
        tpl.count = static_cast<uint32_t>(prog_.parts.size() - tpl.first);
        prog_.numbers.push_back(tpl);
        return emit(Op::Number, static_cast<uint32_t>(prog_.numbers.size() - 1), 1);
    }

    Lexer lexer_;
    const std::vector<Item>& items_;
    Program& prog_;
    std::vector<Pending> ops_;
    int depth_ = 0;
    FormulaFault fault_ = FormulaFault::None;
    size_t faultPos_ = 0;
    std::string faultName_;
};

void compileItems(const std::vector<Item>& items, Program& prog) {
    prog.ok = Compiler(items, prog).run();
    if (!prog.ok) {
        prog.code.clear();
        prog.consts.clear();
        prog.parts.clear();
        prog.numbers.clear();
        prog.pool.clear();
    }
}

// Replaces the variables of a formula symbolically: every replaced pair becomes a piece.
std::vector<Item> symbolicItems(std::string_view formula, std::vector<Piece>& pieces) {
    std::vector<Item> items = literalItems(formula);
    std::vector<Item> out;
    out.reserve(items.size());
    for (int step = 0; step < kSteps; ++step) {
        const char letter = stepLetter(step);
        const char digit = stepDigit(step);
        auto matchAt = [&](size_t i) {
            return items[i].piece < 0 && lower(items[i].c) == letter && i + 1 < items.size() &&
                   items[i + 1].piece < 0 && items[i + 1].c == digit;
        };
        size_t first = 0;
        while (first < items.size() && !matchAt(first)) ++first;
        if (first == items.size()) continue;
        out.assign(items.begin(), items.begin() + static_cast<std::ptrdiff_t>(first));
        for (size_t i = first; i < items.size(); ++i) {
            const Item& it = items[i];
            if (matchAt(i)) {
                Piece p;
                p.var = static_cast<uint8_t>(stepVar(step));
                p.step = static_cast<uint8_t>(step);
                size_t j = out.size();
                while (j > 0 && out[j - 1].piece < 0 && isVarLetter(out[j - 1].c)) --j;
                for (size_t k = j; k < out.size(); ++k) p.letters.push_back(lower(out[k].c));
                out.resize(j);
                pieces.push_back(std::move(p));
                out.push_back(Item{static_cast<int32_t>(pieces.size() - 1), 0});
                ++i;
            } else {
                out.push_back(it);
            }
        }
        items.swap(out);
    }
    return items;
}

bool finite(long double v) { return std::isfinite(v); }

long double numberValue(const Program& prog, const NumberTemplate& tpl, const FormulaVars& vars, bool& ok) {
    NumberReader reader(tpl.hex);
    char text[kPieceTextMax];
    for (uint32_t i = 0; i < tpl.count; ++i) {
        const NumberPart& part = prog.parts[tpl.first + i];
        if (part.isPiece) {
            const int len = pieceText(prog.pieces[part.a], vars, text);
            if (len < 0) {
                ok = false;
                return 0.0L;
            }
            for (int k = 0; k < len; ++k) reader.feed(text[k]);
        } else {
            for (uint32_t k = 0; k < part.b; ++k) reader.feed(prog.pool[part.a + k]);
        }
    }
    const long double v = reader.value();
    ok = finite(v);
    return v;
}

bool runProgram(const Program& prog, const FormulaVars& vars, long double& result,
                const long double* inputs = nullptr) {
    if (!prog.ok) return false;
    long double stack[kMaxStackDepth];
    int sp = 0;  // number of values on the stack
    for (const Instr& in : prog.code) {
        long double r = 0.0L;
        switch (in.op) {
            case Op::Const:
                stack[sp++] = prog.consts[in.arg];
                continue;
            case Op::Var:
                stack[sp++] = static_cast<long double>(vars[in.arg]);
                continue;
            case Op::Input:
                stack[sp++] = inputs[in.arg];
                continue;
            case Op::Number: {
                bool ok = true;
                stack[sp++] = numberValue(prog, prog.numbers[in.arg], vars, ok);
                if (!ok) return false;
                continue;
            }
            case Op::Add: case Op::Sub: case Op::Mul: case Op::Div: case Op::Pow: {
                const long double b = stack[--sp];
                const long double a = stack[sp - 1];
                switch (in.op) {
                    case Op::Add: r = a + b; break;
                    case Op::Sub: r = a - b; break;
                    case Op::Mul: r = a * b; break;
                    case Op::Div:
                        if (b == 0.0L) return false;
                        r = a / b;
                        break;
                    default:
                        r = powl(a, b);
                        break;
                }
                break;
            }
            default: {
                const long double x = stack[sp - 1];
                switch (in.op) {
                    case Op::Neg: r = -x; break;
                    case Op::Arctan: r = atanl(x); break;
                    case Op::Cos: r = cosl(x); break;
                    case Op::Sin: r = sinl(x); break;
                    case Op::Tan: r = tanl(x); break;
                    case Op::Abs: r = fabsl(x); break;
                    case Op::Exp: r = expl(x); break;
                    case Op::Ln:
                        if (x <= 0.0L) return false;
                        r = logl(x);
                        break;
                    case Op::Log:
                        if (x <= 0.0L) return false;
                        r = log10l(x);
                        break;
                    case Op::Sqrt:
                        if (x < 0.0L) return false;
                        r = sqrtl(x);
                        break;
                    case Op::Sqr: r = x * x; break;
                    case Op::Int: case Op::Trunc: r = truncl(x); break;
                    case Op::Frac: r = x - truncl(x); break;
                    case Op::Round: r = roundl(x); break;
                    case Op::Arcsin:
                        if (x < -1.0L || x > 1.0L) return false;
                        r = asinl(x);
                        break;
                    case Op::Arccos:
                        if (x < -1.0L || x > 1.0L) return false;
                        r = acosl(x);
                        break;
                    case Op::Sign: r = x > 0.0L ? 1.0L : (x < 0.0L ? -1.0L : 0.0L); break;
                    case Op::Not: r = x == 0.0L ? 1.0L : 0.0L; break;
                    default: return false;
                }
                break;
            }
        }
        if (!finite(r)) return false;
        stack[sp - 1] = r;
    }
    if (sp != 1) return false;
    result = stack[0];
    return true;
}

// --- tables over whole-number sums of n1..n5 --------------------------------------------------
// A table over the combinations replaces each largest part of the program that is a whole
// number c0 + coef1*n1 + ... + coef5*n5 (sums, differences and whole multiples of n1..n5, p and
// t put in) by an input and works the rest out once per set of input values. Such a part is
// exact in a long double, so every entry equals the evaluation of the whole program.

// Whole numbers up to this size are exact in a long double, and so are the sums of two of them.
constexpr int64_t kLinearBound = int64_t{1} << 40;

// Instructions [begin, end) of the program that compute one value; `linear` when that value is
// c0 + coef . (n1..n5), whose least and greatest values over numbers 1..69 are lo and hi.
struct Part {
    uint32_t begin = 0;
    uint32_t end = 0;
    bool linear = false;
    bool readsN = false;
    int64_t c0 = 0;
    std::array<int64_t, 5> coef{};
    int64_t lo = 0;
    int64_t hi = 0;
};

// Works out readsN, lo and hi of a linear part; false when some figure is too large to be exact.
bool setRange(Part& p) {
    if (p.c0 > kLinearBound || p.c0 < -kLinearBound) return false;
    p.lo = p.hi = p.c0;
    p.readsN = false;
    for (const int64_t c : p.coef) {
        if (c > kLinearBound || c < -kLinearBound) return false;
        p.readsN = p.readsN || c != 0;
        p.lo += std::min(c * kMinNumber, c * kMaxNumber);
        p.hi += std::max(c * kMinNumber, c * kMaxNumber);
    }
    return p.lo >= -kLinearBound && p.hi <= kLinearBound;
}

// p times the whole number k; false when too large.
bool scalePart(const Part& p, int64_t k, Part& out) {
    if (k != 0 && (p.c0 > kLinearBound / std::abs(k) || p.c0 < -kLinearBound / std::abs(k))) return false;
    out.c0 = p.c0 * k;
    for (std::size_t i = 0; i < 5; ++i) {
        if (k != 0 && (p.coef[i] > kLinearBound / std::abs(k) || p.coef[i] < -kLinearBound / std::abs(k))) return false;
        out.coef[i] = p.coef[i] * k;
    }
    return setRange(out);
}

// Whether a number written with variables may read n1..n5 (its own variable or a later joined one).
bool numberMayReadN(const Program& prog, const NumberTemplate& tpl) {
    for (uint32_t i = 0; i < tpl.count; ++i) {
        const NumberPart& part = prog.parts[tpl.first + i];
        if (part.isPiece && (prog.pieces[part.a].var < 5 || !prog.pieces[part.a].letters.empty())) return true;
    }
    return false;
}

// The largest linear parts that read n (in program order); false when n is also read elsewhere.
bool tableInputs(const Program& prog, const FormulaVars& fixed, std::vector<Part>& inputs) {
    std::vector<Part> stack;
    auto keepAsInput = [&](const Part& p) {
        if (p.linear && p.readsN) inputs.push_back(p);
    };
    for (uint32_t i = 0; i < prog.code.size(); ++i) {
        const Instr& in = prog.code[i];
        Part r;
        r.end = i + 1;
        switch (in.op) {
            case Op::Const: {
                const long double v = prog.consts[in.arg];
                r.begin = i;
                if (v == truncl(v) && fabsl(v) <= static_cast<long double>(kLinearBound)) {
                    r.c0 = static_cast<int64_t>(v);
                    r.linear = setRange(r);
                }
                break;
            }
            case Op::Var:
                r.begin = i;
                if (in.arg < 5)
                    r.coef[in.arg] = 1;
                else
                    r.c0 = fixed[in.arg];
                r.linear = setRange(r);
                break;
            case Op::Number:
                if (numberMayReadN(prog, prog.numbers[in.arg])) return false;
                r.begin = i;
                break;
            case Op::Input:
                return false;
            case Op::Add: case Op::Sub: case Op::Mul: case Op::Div: case Op::Pow: {
                const Part b = stack.back();
                stack.pop_back();
                const Part a = stack.back();
                stack.pop_back();
                r.begin = a.begin;
                if (a.linear && b.linear && (in.op == Op::Add || in.op == Op::Sub)) {
                    const int64_t sign = in.op == Op::Add ? 1 : -1;
                    r.c0 = a.c0 + sign * b.c0;
                    for (std::size_t k = 0; k < 5; ++k) r.coef[k] = a.coef[k] + sign * b.coef[k];
                    r.linear = setRange(r);
                } else if (a.linear && b.linear && in.op == Op::Mul && (!a.readsN || !b.readsN)) {
                    r.linear = a.readsN ? scalePart(a, b.c0, r) : scalePart(b, a.c0, r);
                }
                if (!r.linear) {
                    keepAsInput(a);
                    keepAsInput(b);
                    r = Part{a.begin, i + 1};
                }
                break;
            }
            default: {  // Neg and the functions
                const Part a = stack.back();
                stack.pop_back();
                r.begin = a.begin;
                if (a.linear && in.op == Op::Neg) r.linear = scalePart(a, -1, r);
                if (!r.linear) {
                    keepAsInput(a);
                    r = Part{a.begin, i + 1};
                }
                break;
            }
        }
        stack.push_back(r);
    }
    if (stack.size() != 1) return false;
    keepAsInput(stack.back());
    std::sort(inputs.begin(), inputs.end(), [](const Part& x, const Part& y) { return x.begin < y.begin; });
    return true;
}

}  // namespace

bool evaluateExpression(std::string_view text, long double& value) {
    Program prog;
    compileItems(literalItems(text), prog);
    return runProgram(prog, FormulaVars{}, value);
}

FormulaCheck checkFormula(std::string_view formula) {
    FormulaCheck check;
    if (std::all_of(formula.begin(), formula.end(), isBlank)) {
        check.fault = FormulaFault::Empty;
        check.position = 1;
        return check;
    }
    // Every variable is two characters; two-digit values keep each character where it stood, so
    // a position in the substituted text is a position in the formula.
    FormulaVars vars;
    vars.fill(10);
    const std::string text = substituteFormulaVars(formula, vars);
    const std::vector<Item> items = literalItems(text);
    Program prog;
    Compiler compiler(items, prog);
    if (compiler.run()) return check;
    check.fault = compiler.fault();
    check.name = compiler.faultName();
    // Characters, not bytes: a UTF-8 continuation byte does not start a character.
    const size_t end = std::min(compiler.faultPos(), text.size());
    check.position = 1 + static_cast<int>(std::count_if(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(end),
                                                        [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
    return check;
}

std::string formulaFaultText(const FormulaCheck& check) {
    std::string what;
    switch (check.fault) {
        case FormulaFault::None: return {};
        case FormulaFault::Empty: what = "формула пуста"; break;
        case FormulaFault::Unfinished: what = "формула обрывается, ожидается число, переменная или «(»"; break;
        case FormulaFault::BadCharacter: what = "недопустимый символ"; break;
        case FormulaFault::UnknownName: what = "неизвестное имя «" + check.name + "»"; break;
        case FormulaFault::NoArgument: what = "после функции " + check.name + " ожидается «(»"; break;
        case FormulaFault::OperandExpected: what = "ожидается число, переменная или «(»"; break;
        case FormulaFault::OperatorExpected: what = "ожидается знак действия (+ - * / ^) или «)»"; break;
        case FormulaFault::Unclosed: what = "скобка «(» не закрыта"; break;
        case FormulaFault::Unopened: what = "лишняя скобка «)»"; break;
        case FormulaFault::BadNumber: what = "слишком большое число"; break;
        case FormulaFault::TooComplex: what = "формула слишком сложна"; break;
    }
    return "позиция " + std::to_string(check.position) + ": " + what;
}

std::string substituteFormulaVars(std::string_view formula, const FormulaVars& vars) {
    std::string text(formula);
    std::string out;
    for (int step = 0; step < kSteps; ++step) {
        const char letter = stepLetter(step);
        const char digit = stepDigit(step);
        char value[3];
        const int valueLen = valueDigits(vars[stepVar(step)], value);
        out.clear();
        for (size_t i = 0; i < text.size(); ++i) {
            if (lower(text[i]) == letter && i + 1 < text.size() && text[i + 1] == digit) {
                out.append(value, static_cast<size_t>(valueLen));
                ++i;
            } else {
                out.push_back(text[i]);
            }
        }
        text.swap(out);
    }
    return text;
}

int shredValue(long double value, int digits) {
    if (!std::isfinite(value)) return 0;
    digits = std::clamp(digits, 0, 9);
    const long double a = fabsl(value);
    const long double f = a - floorl(a);
    // Enough to cover a few units of the last place of a double (and far more of a long double,
    // in which formulas are evaluated), yet small enough to leave the kept digits of large
    // values alone: 1e-12 would move the fifth digit of a value near 10^8.
    const long double tolerance = 1e-15L * std::max(1.0L, a);
    if (f + tolerance >= 1.0L) return 0;
    long double scale = 1.0L;
    for (int i = 0; i < digits; ++i) scale *= 10.0L;
    const long double k = std::min(floorl((f + tolerance) * scale), scale - 1.0L);
    return static_cast<int>(k);
}

ShredFormula::ShredFormula(std::string_view formula) : program_(std::make_unique<Program>()) {
    std::vector<Item> items = symbolicItems(formula, program_->pieces);
    compileItems(items, *program_);
}

ShredFormula::~ShredFormula() = default;
ShredFormula::ShredFormula(ShredFormula&&) noexcept = default;
ShredFormula& ShredFormula::operator=(ShredFormula&&) noexcept = default;

bool ShredFormula::compiled() const { return program_ && program_->ok; }

bool ShredFormula::evaluate(const FormulaVars& vars, long double& value) const {
    return program_ && runProgram(*program_, vars, value);
}

int ShredFormula::shred(const FormulaVars& vars, int digits) const {
    long double v = 0.0L;
    return evaluate(vars, v) ? shredValue(v, digits) : 0;
}

std::optional<ShredTable> ShredFormula::tableFor(const FormulaVars& fixed, int digits, std::size_t maxEntries) const {
    if (!program_ || maxEntries == 0) return std::nullopt;
    ShredTable table;
    if (!program_->ok) {  // never evaluates: every number is 0
        table.values_.assign(1, 0);
        table.setOffsets();
        return table;
    }
    std::vector<Part> inputs;
    if (!tableInputs(*program_, fixed, inputs)) return std::nullopt;

    // Entry of input values v: sum of stride[k] * (v[k] - lo[k]), the last input varying fastest.
    std::vector<std::size_t> stride(inputs.size());
    std::size_t entries = 1;
    for (std::size_t k = inputs.size(); k-- > 0;) {
        const auto span = static_cast<std::size_t>(inputs[k].hi - inputs[k].lo + 1);
        if (span > maxEntries / entries) return std::nullopt;
        stride[k] = entries;
        entries *= span;
    }
    for (std::size_t k = 0; k < inputs.size(); ++k) {
        const auto s = static_cast<int64_t>(stride[k]);
        table.base_ += s * (inputs[k].c0 - inputs[k].lo);
        for (std::size_t i = 0; i < 5; ++i) table.step_[i] += s * inputs[k].coef[i];
    }
    table.setOffsets();

    // The program with each input's instructions replaced by the input.
    Program top = *program_;
    top.code.clear();
    uint32_t at = 0;
    for (std::size_t k = 0; k < inputs.size(); ++k) {
        top.code.insert(top.code.end(), program_->code.begin() + at, program_->code.begin() + inputs[k].begin);
        top.code.push_back({Op::Input, static_cast<uint32_t>(k)});
        at = inputs[k].end;
    }
    top.code.insert(top.code.end(), program_->code.begin() + at, program_->code.end());

    table.values_.resize(entries);
    parallelForChunks(
        entries,
        [&](std::size_t begin, std::size_t end, unsigned) {
            std::vector<long double> values(inputs.size());
            for (std::size_t e = begin; e < end; ++e) {
                std::size_t rest = e;
                for (std::size_t k = 0; k < inputs.size(); ++k) {
                    values[k] = static_cast<long double>(inputs[k].lo + static_cast<int64_t>(rest / stride[k]));
                    rest %= stride[k];
                }
                long double v = 0.0L;
                table.values_[e] = runProgram(top, fixed, v, values.data()) ? shredValue(v, digits) : 0;
            }
        },
        nullptr, 1024);
    return table;
}

}  // namespace tavlora
