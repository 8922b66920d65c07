#include "expression.h"

#include "lexer.h"

#include <ascii.h>
#include <limits>
#include <string>

namespace corvane::asm83 {

CharMap identityCharMap() {
    CharMap map{};
    for (std::size_t i = 0; i < map.size(); ++i) {
        map[i] = static_cast<std::uint8_t>(i);
    }
    return map;
}

namespace {

struct Term {
    std::int64_t value = 0;
    bool known = true;
};

bool isHexDigit(char c) {
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int digitValue(char c) {
    if (isDigit(c)) {
        return c - '0';
    }
    return ascii::toUpper(c) - 'A' + 10;
}

// Wrapping arithmetic: an expression that overflows 64 bits is a programming accident, not
// undefined behaviour of the assembler.
std::int64_t wrap(std::uint64_t value) {
    return static_cast<std::int64_t>(value);
}

// The binary operators; `cLevel` is the operator's rank in C (higher binds tighter), kept to
// tell where C would read an expression differently.
struct BinaryOperator {
    std::string_view text;
    int cLevel;
};

constexpr BinaryOperator kBinaryOperators[] = {
    {"<<", 3}, {">>", 3}, {"|", 0}, {"^", 1}, {"&", 2},
    {"+", 4},  {"-", 4},  {"*", 5}, {"/", 5}, {"%", 5},
};

enum class Order { LeftToRight, CPrecedence };

class Parser {
  public:
    Parser(std::string_view text, const ExpressionContext& context, Order order)
        : text_(text), context_(context), order_(order) {}

    z80::Value run() {
        skipBlanks();
        if (pos_ >= text_.size()) {
            return failure("expected an expression");
        }
        const Term term = parseExpression();
        if (!error_.empty()) {
            return failure(error_);
        }
        skipBlanks();
        if (pos_ < text_.size()) {
            return failure("unexpected '" + std::string(1, text_[pos_]) + "' in expression '" +
                           std::string(text_) + "'");
        }
        z80::Value value;
        value.number = term.known ? term.value : 0;
        value.known = term.known;
        return value;
    }

    // True when the expression joins operators that C ranks differently, the only case in
    // which the two orders can disagree.
    bool mixesLevels() const { return mixesLevels_; }

  private:
    z80::Value failure(std::string text) {
        z80::Value value;
        value.ok = false;
        value.known = false;
        value.error = std::move(text);
        return value;
    }

    void fail(std::string text) {
        if (error_.empty()) {
            error_ = std::move(text);
        }
        pos_ = text_.size();
    }

    void skipBlanks() {
        while (pos_ < text_.size() && isBlank(text_[pos_])) {
            ++pos_;
        }
    }

    // Consumes `op` when it comes next.
    bool take(std::string_view op) {
        skipBlanks();
        if (text_.substr(pos_, op.size()) != op) {
            return false;
        }
        pos_ += op.size();
        return true;
    }

    const BinaryOperator* nextOperator() {
        skipBlanks();
        for (const BinaryOperator& op : kBinaryOperators) {
            if (text_.substr(pos_, op.text.size()) == op.text) {
                return &op;
            }
        }
        return nullptr;
    }

    int level(const BinaryOperator& op) const {
        return order_ == Order::LeftToRight ? 0 : op.cLevel;
    }

    Term parseExpression() { return parseBinary(0); }

    // Operators of `least` level and above. Left to right every operator has level 0, so each
    // right operand is a single term and the operators apply in the order they are written.
    Term parseBinary(int least) {
        Term left = parseUnary();
        while (const BinaryOperator* op = nextOperator()) {
            if (level(*op) < least) {
                break;
            }
            if (firstLevel_ < 0) {
                firstLevel_ = op->cLevel;
            } else if (firstLevel_ != op->cLevel) {
                mixesLevels_ = true;
            }
            pos_ += op->text.size();
            const Term right = parseBinary(level(*op) + 1);
            left = apply(op->text, left, right);
        }
        return left;
    }

    Term apply(std::string_view op, const Term& left, const Term& right) {
        const bool known = left.known && right.known;
        const auto a = static_cast<std::uint64_t>(left.value);
        const auto b = static_cast<std::uint64_t>(right.value);
        std::int64_t value = 0;
        switch (op[0]) {
        case '|':
            value = left.value | right.value;
            break;
        case '^':
            value = left.value ^ right.value;
            break;
        case '&':
            value = left.value & right.value;
            break;
        case '+':
            value = wrap(a + b);
            break;
        case '-':
            value = wrap(a - b);
            break;
        case '*':
            value = wrap(a * b);
            break;
        case '<':
        case '>':
            if (!known) {
                break;
            }
            if (right.value < 0 || right.value > 63) {
                fail("shift count " + std::to_string(right.value) + " out of range");
                return left;
            }
            value = op[0] == '<' ? wrap(a << right.value) : left.value >> right.value;
            break;
        default: // '/' and '%'
            if (!known) {
                break;
            }
            if (right.value == 0) {
                fail("division by zero");
                return left;
            }
            if (right.value == -1) {
                value = op[0] == '/' ? wrap(0 - a) : 0;
            } else {
                value = op[0] == '/' ? left.value / right.value : left.value % right.value;
            }
        }
        return Term{value, known};
    }

    Term parseUnary() {
        skipBlanks();
        if (take("-")) {
            Term term = parseUnary();
            term.value = wrap(0 - static_cast<std::uint64_t>(term.value));
            return term;
        }
        if (take("~")) {
            Term term = parseUnary();
            term.value = ~term.value;
            return term;
        }
        if (take("+")) {
            return parseUnary();
        }
        return parsePrimary();
    }

    Term parsePrimary() {
        skipBlanks();
        if (pos_ >= text_.size()) {
            fail("expression '" + std::string(text_) + "' ends too early");
            return {};
        }
        const char c = text_[pos_];
        if (c == '(') {
            ++pos_;
            const Term term = parseExpression();
            if (!take(")")) {
                fail("missing ')' in expression '" + std::string(text_) + "'");
            }
            return term;
        }
        if (isDigit(c)) {
            return parseNumber(pos_, 0);
        }
        if (c == '$') {
            if (pos_ + 1 < text_.size() && isHexDigit(text_[pos_ + 1])) {
                return parseNumber(pos_ + 1, 16);
            }
            ++pos_;
            return Term{context_.here, true};
        }
        if (c == '%') {
            return parseNumber(pos_ + 1, 2);
        }
        if (c == '\'') {
            if (!isCharLiteralAt(text_, pos_)) {
                fail("character literal not closed");
                return {};
            }
            const auto byte = static_cast<unsigned char>(text_[pos_ + 1]);
            pos_ += 3;
            return Term{context_.charMap[byte], true};
        }
        if (isIdentifierStart(c)) {
            std::size_t end = pos_;
            while (end < text_.size() && isIdentifierChar(text_[end])) {
                ++end;
            }
            const std::string_view name = text_.substr(pos_, end - pos_);
            pos_ = end;
            if (const SymbolTable::Symbol* symbol = context_.symbols.find(name)) {
                return Term{symbol->value, true};
            }
            if (context_.final) {
                fail("undefined symbol '" + std::string(name) + "'");
            }
            return Term{0, false};
        }
        fail("unexpected '" + std::string(1, c) + "' in expression '" + std::string(text_) + "'");
        return {};
    }

    // A number starting at `start`. Radix 0 means "decided by the suffix": h hex, b binary,
    // d or none decimal.
    Term parseNumber(std::size_t start, int radix) {
        std::size_t end = start;
        while (end < text_.size() && (isLetter(text_[end]) || isDigit(text_[end]))) {
            ++end;
        }
        const std::string_view word = text_.substr(pos_, end - pos_);
        std::string_view digits = text_.substr(start, end - start);
        pos_ = end;
        if (radix == 0) {
            const char suffix = digits.empty() ? 0 : ascii::toUpper(digits.back());
            radix = 10;
            if (suffix == 'H') {
                radix = 16;
                digits.remove_suffix(1);
            } else if (suffix == 'B' && digits.find_first_not_of("01") == digits.size() - 1) {
                radix = 2;
                digits.remove_suffix(1);
            } else if (suffix == 'D' &&
                       digits.find_first_not_of("0123456789") == digits.size() - 1) {
                digits.remove_suffix(1);
            }
        }
        if (digits.empty()) {
            fail("bad number '" + std::string(word) + "'");
            return {};
        }
        std::uint64_t value = 0;
        for (const char d : digits) {
            const bool valid = radix == 16 ? isHexDigit(d) : isDigit(d) && d - '0' < radix;
            if (!valid) {
                fail("bad number '" + std::string(word) + "'");
                return {};
            }
            const auto digit = static_cast<std::uint64_t>(digitValue(d));
            if (value > (std::numeric_limits<std::uint64_t>::max() - digit) /
                            static_cast<std::uint64_t>(radix)) {
                fail("number '" + std::string(word) + "' too large");
                return {};
            }
            value = value * static_cast<std::uint64_t>(radix) + digit;
        }
        return Term{wrap(value), true};
    }

    std::string_view text_;
    const ExpressionContext& context_;
    Order order_;
    std::size_t pos_ = 0;
    std::string error_;
    int firstLevel_ = -1;
    bool mixesLevels_ = false;
};

} // namespace

z80::Value evaluateExpression(std::string_view text, const ExpressionContext& context) {
    Parser parser(text, context, Order::LeftToRight);
    z80::Value value = parser.run();
    if (context.precedenceWarning != nullptr && value.ok && value.known && parser.mixesLevels()) {
        const z80::Value c = Parser(text, context, Order::CPrecedence).run();
        if (c.ok && c.known && c.number != value.number) {
            *context.precedenceWarning =
                "'" + std::string(trim(text)) + "' is " + std::to_string(value.number) +
                ", evaluated left to right; with C precedence it would be " +
                std::to_string(c.number) + ": add parentheses to say which is meant";
        }
    }
    return value;
}

} // namespace corvane::asm83
