#include "run/targetscript.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>

#include "base/direction.h"
#include "base/format.h"

namespace trelkan {
namespace {

// Script arithmetic is signed 32-bit with wrap-around. It is done in unsigned arithmetic, where
// wrapping is defined, and converted back (modular since C++20).
std::int32_t wrapMul(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
}

// Quotient truncated toward zero. INT_MIN / -1 has no 32-bit result; it wraps to INT_MIN, like
// every other overflow in a script. The divisor is never 0 here.
std::int32_t truncatedQuotient(std::int32_t a, std::int32_t b) {
    assert(b != 0);
    return b == -1 ? wrapNeg(a) : a / b;
}

// Remainder with the sign of the dividend. Every remainder by -1 is 0, INT_MIN % -1 included,
// which the hardware division would trap on.
std::int32_t truncatedRemainder(std::int32_t a, std::int32_t b) {
    assert(b != 0);
    return b == -1 ? 0 : a % b;
}

// Remainder with the sign of the divisor. r and b differ in sign when r is corrected, so r + b
// lies strictly between them and cannot overflow.
std::int32_t flooredRemainder(std::int32_t a, std::int32_t b) {
    std::int32_t r = truncatedRemainder(a, b);
    if ((b > 0 && r < 0) || (b < 0 && r > 0)) {
        r += b;
    }
    return r;
}

constexpr int kVariableCount = 26;

// A and a name the same variable; nothing outside the two ASCII alphabets is a letter.
std::optional<int> variableIndex(char c) {
    if (c >= 'a' && c <= 'z') {
        return c - 'a';
    }
    if (c >= 'A' && c <= 'Z') {
        return c - 'A';
    }
    return std::nullopt;
}

struct Variable {
    std::int32_t value = 0;
    std::int32_t lower = 0;
    std::int32_t upper = 0;
};

struct Point {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t t = 0;
    Direction dir = kF;
};

struct PointPair {
    Point start;
    Point end;
};

// Every combination of the variables' values makes a target; a script that would make more
// is refused before it makes any, rather than keeping the user waiting for billions of them.
constexpr std::int64_t kMaxScriptCombinations = 1000000;

// Nested "(" and unary "-" recurse; a long enough script would otherwise exhaust the stack.
constexpr int kMaxNesting = 1000;

// Parses while it evaluates: the points are parsed again for every combination of values. Every
// failing step leaves m_pos where parsing stopped and returns at once, so that the one error
// report can put its caret there.
class ScriptParser {
  public:
    ScriptParser(std::string_view text, const ScriptPresets& presets, Console& console)
        : m_text(text), m_console(console) {
        presetVariable('p', presets.period);
        presetVariable('c', presets.compression);
        presetVariable('u', presets.maxLen);
        presetVariable('l', presets.minLen);
        presetVariable('x', presets.dx);
        presetVariable('y', presets.dy);
        presetVariable('t', presets.dt);
    }

    bool run(TargetSet& targets) {
        if (!parseAssignments()) {
            return reportError();
        }
        if (!combinationsWithinLimit()) {
            writeError(formatMessage("Too many targets: over %lld combinations of the variables\n",
                                     static_cast<long long>(kMaxScriptCombinations)));
            return false;
        }
        const std::size_t pointsBegin = m_pos;
        do {
            m_pos = pointsBegin;
            const std::optional<PointPair> points = parsePoints();
            if (!points) {
                return reportError();
            }
            if (!atEnd()) {
                writeError("Extra characters at the end of the line\n");
                return reportError();
            }
            const Point& s = points->start;
            const Point& e = points->end;
            targets.addExtended(s.x, s.y, s.t, s.dir, e.x, e.y, e.t, e.dir, label());
        } while (advanceCombination());
        return true;
    }

  private:
    using Value = std::optional<std::int32_t>;

    // Keeps the nesting count right on every way out of a nested factor.
    class NestingGuard {
      public:
        explicit NestingGuard(int& depth) : m_depth(depth) { ++m_depth; }
        ~NestingGuard() { --m_depth; }
        NestingGuard(const NestingGuard&) = delete;
        NestingGuard& operator=(const NestingGuard&) = delete;

      private:
        int& m_depth;
    };

    void presetVariable(char letter, std::int32_t value) {
        m_variables[static_cast<std::size_t>(letter - 'a')] = {value, value, value};
    }

    bool atEnd() const { return m_pos >= m_text.size(); }
    bool isNext(char c) const { return !atEnd() && m_text[m_pos] == c; }
    bool accept(char c) {
        if (!isNext(c)) {
            return false;
        }
        ++m_pos;
        return true;
    }
    bool isDigitNext() const { return !atEnd() && m_text[m_pos] >= '0' && m_text[m_pos] <= '9'; }

    // The ranges' widths multiplied, stopping as soon as the limit is passed: 26 ranges of 2^32
    // values each would overflow any integer.
    bool combinationsWithinLimit() const {
        std::int64_t combinations = 1;
        for (const Variable& v : m_variables) {
            combinations *= std::int64_t{v.upper} - v.lower + 1;
            if (combinations > kMaxScriptCombinations) {
                return false;
            }
        }
        return true;
    }

    bool reportError() const {
        assert(m_pos <= m_text.size());
        std::string report = "Extended target parsing error\n";
        report.append(m_text);
        report += '\n';
        report.append(m_pos, '.');
        report += "^\n";
        writeError(report);
        return false;
    }

    // "(" assignment { "," assignment } ")", when present.
    bool parseAssignments() {
        if (!accept('(')) {
            return true;
        }
        do {
            if (!parseAssignment()) {
                return false;
            }
        } while (accept(','));
        return accept(')');
    }

    // letter "=" expression [ ".." expression ]. Later assignments see the lower bound as the
    // variable's value.
    bool parseAssignment() {
        const std::optional<int> index = atEnd() ? std::nullopt : variableIndex(m_text[m_pos]);
        if (!index) {
            return false;
        }
        ++m_pos;
        if (!accept('=')) {
            return false;
        }
        const Value first = parseExpression();
        if (!first) {
            return false;
        }
        Value second = first;
        if (accept('.')) {
            if (!accept('.')) {
                return false;
            }
            second = parseExpression();
            if (!second) {
                return false;
            }
        }
        const auto [lower, upper] = std::minmax(*first, *second);
        m_variables[static_cast<std::size_t>(*index)] = {lower, lower, upper};
        return true;
    }

    // point [ ".." point ]; a lone point is the end point of a path from (0, 0) at time 0,
    // facing F. A malformed ".." is only warned about: parsing goes on past the wrong character.
    std::optional<PointPair> parsePoints() {
        const std::optional<Point> first = parsePoint();
        if (!first) {
            return std::nullopt;
        }
        if (!accept('.')) {
            if (!atEnd()) {
                writeError("'..' expected\n");
            }
            return PointPair{Point{}, *first};
        }
        if (!accept('.')) {
            writeError("'..' expected\n");
            // Skip the wrong character, but never beyond the text.
            if (!atEnd()) {
                ++m_pos;
            }
        }
        const std::optional<Point> second = parsePoint();
        if (!second) {
            return std::nullopt;
        }
        return PointPair{*first, *second};
    }

    // direction time "[" x "," y "]".
    std::optional<Point> parsePoint() {
        const std::optional<Direction> dir = parseDirection();
        if (!dir) {
            return std::nullopt;
        }
        const Value t = parseExpression();
        if (!t || !accept('[')) {
            return std::nullopt;
        }
        const Value x = parseExpression();
        if (!x || !accept(',')) {
            return std::nullopt;
        }
        const Value y = parseExpression();
        if (!y || !accept(']')) {
            return std::nullopt;
        }
        return Point{*x, *y, *t, *dir};
    }

    // "F", "L", "B" or "R", upper case only, and an optional lower-case "x" for the mirror image.
    std::optional<Direction> parseDirection() {
        static constexpr std::array<std::pair<char, int>, 4> kTurns = {
            {{'F', kF}, {'L', kL}, {'B', kB}, {'R', kR}}};
        for (const auto& [letter, code] : kTurns) {
            if (accept(letter)) {
                return directionOf(accept('x') ? code + 1 : code);
            }
        }
        return std::nullopt;
    }

    // term { ("+" or "-") term }, left to right.
    Value parseExpression() {
        Value sum = parseTerm();
        while (sum) {
            if (accept('+')) {
                const Value term = parseTerm();
                sum = term ? Value(wrapAdd(*sum, *term)) : std::nullopt;
            } else if (accept('-')) {
                const Value term = parseTerm();
                sum = term ? Value(wrapSub(*sum, *term)) : std::nullopt;
            } else {
                break;
            }
        }
        return sum;
    }

    // factor { ("*", "/", "%" or "@") factor }, left to right.
    Value parseTerm() {
        Value product = parseFactor();
        while (product && !atEnd()) {
            const char op = m_text[m_pos];
            if (op != '*' && op != '/' && op != '%' && op != '@') {
                break;
            }
            ++m_pos;
            const Value factor = parseFactor();
            product = factor ? applyProductOperator(op, *product, *factor) : std::nullopt;
        }
        return product;
    }

    Value applyProductOperator(char op, std::int32_t a, std::int32_t b) const {
        if (op == '*') {
            return wrapMul(a, b);
        }
        if (b == 0) {
            m_console.write("Division by zero\n");
            return std::nullopt;
        }
        switch (op) {
            case '/':
                return truncatedQuotient(a, b);
            case '%':
                return truncatedRemainder(a, b);
            default:
                assert(op == '@');
                return flooredRemainder(a, b);
        }
    }

    // "(" expression ")" | "-" factor | digits | letter.
    Value parseFactor() {
        if (isNext('(') || isNext('-')) {
            return parseNestedFactor();
        }
        if (isDigitNext()) {
            return parseNumber();
        }
        const std::optional<int> index = atEnd() ? std::nullopt : variableIndex(m_text[m_pos]);
        if (!index) {
            return std::nullopt;
        }
        ++m_pos;
        return m_variables[static_cast<std::size_t>(*index)].value;
    }

    // "(" expression ")" or "-" factor; the caller has seen the "(" or "-".
    Value parseNestedFactor() {
        assert(isNext('(') || isNext('-'));
        if (m_depth == kMaxNesting) {
            return std::nullopt;
        }
        const NestingGuard guard(m_depth);
        const char opener = m_text[m_pos++];
        if (opener == '-') {
            const Value operand = parseFactor();
            return operand ? Value(wrapNeg(*operand)) : std::nullopt;
        }
        const Value inner = parseExpression();
        if (!inner || !accept(')')) {
            return std::nullopt;
        }
        return inner;
    }

    // Decimal digits, wrapping like all other arithmetic: 4294967297 reads as 1.
    std::int32_t parseNumber() {
        std::uint32_t value = 0;
        while (isDigitNext()) {
            value = value * 10u + static_cast<std::uint32_t>(m_text[m_pos] - '0');
            ++m_pos;
        }
        return static_cast<std::int32_t>(value);
    }

    // " (a=1,p=30)": the variables that are not 0 or that run over a range.
    std::string label() const {
        std::string text;
        for (int i = 0; i < kVariableCount; ++i) {
            const Variable& v = m_variables[static_cast<std::size_t>(i)];
            if (v.value == 0 && v.lower == v.upper) {
                continue;
            }
            text += text.empty() ? " (" : ",";
            text += formatMessage("%c=%d", static_cast<char>('a' + i), v.value);
        }
        if (!text.empty()) {
            text += ')';
        }
        return text;
    }

    // An odometer with a as the fastest wheel; false once every wheel has wrapped around.
    // Comparing before adding keeps an upper bound of INT_MAX from overflowing.
    bool advanceCombination() {
        for (Variable& v : m_variables) {
            if (v.value < v.upper) {
                ++v.value;
                return true;
            }
            v.value = v.lower;
        }
        return false;
    }

    void writeError(std::string_view message) const { m_console.errors().write(message); }

    std::string_view m_text;
    Console& m_console;
    std::size_t m_pos = 0;
    int m_depth = 0;
    std::array<Variable, kVariableCount> m_variables{};
};

}  // namespace

bool parseTargetScript(TargetSet& targets, std::string_view text, const ScriptPresets& presets,
                       Console& console) {
    ScriptParser parser(text, presets, console);
    return parser.run(targets);
}

}  // namespace trelkan
