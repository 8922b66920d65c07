#include "basic_interpreter.h"

#include <cmath>
#include <cstdint>
#include <optional>
#include <stdexcept>

namespace corvane::test {

namespace {

// Token bytes as the TI-83 Plus token tables give them, written out here independently of the
// program writer.
constexpr BasicToken tStore = 0x04;
constexpr BasicToken tOpen = 0x10;
constexpr BasicToken tClose = 0x11;
constexpr BasicToken tQuote = 0x2A;
constexpr BasicToken tComma = 0x2B;
constexpr BasicToken tDecimal = 0x3A;
constexpr BasicToken tNewline = 0x3F;
constexpr BasicToken tOr = 0x3C;
constexpr BasicToken tAnd = 0x40;
constexpr BasicToken tEq = 0x6A;
constexpr BasicToken tLt = 0x6B;
constexpr BasicToken tGt = 0x6C;
constexpr BasicToken tLe = 0x6D;
constexpr BasicToken tGe = 0x6E;
constexpr BasicToken tNe = 0x6F;
constexpr BasicToken tAdd = 0x70;
constexpr BasicToken tSub = 0x71;
constexpr BasicToken tFull = 0x75;
constexpr BasicToken tMul = 0x82;
constexpr BasicToken tDiv = 0x83;
constexpr BasicToken tGetKey = 0xAD;
constexpr BasicToken tRepeat = 0xD2;
constexpr BasicToken tEnd = 0xD4;
constexpr BasicToken tOutput = 0xE0;
constexpr BasicToken tClrHome = 0xE1;
constexpr BasicToken tSubstr = 0xBB0C;
constexpr BasicToken tDelVar = 0xBB54;
constexpr BasicToken tStr1 = 0xAA00;

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::vector<BasicToken> tokenize(std::string_view bytes) {
    std::vector<BasicToken> tokens;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte == 0xBB || byte == 0xAA) {
            if (i + 1 == bytes.size()) {
                throw Failure("a two-byte token is cut off at the end");
            }
            tokens.push_back(
                static_cast<BasicToken>((byte << 8) | static_cast<unsigned char>(bytes[++i])));
        } else {
            tokens.push_back(byte);
        }
    }
    return tokens;
}

// The tokens a string may hold: the characters of the sheet's tables.
bool isCharacterToken(BasicToken token) {
    return basicTokenCharacter(token) != u'?' || token == 0xAF;
}

struct Value {
    bool isString = false;
    double number = 0;
    std::vector<BasicToken> text;
};

class Machine {
  public:
    Machine(const HomeScreen& screen, const std::vector<int>& keys, BasicRun& run)
        : screen_(screen), keys_(keys), run_(run), cells_(screen.cells(), kBasicSpace) {}

    void execute(std::vector<std::vector<BasicToken>> lines) {
        lines_ = std::move(lines);
        std::size_t pc = 0;
        std::size_t steps = 0;
        while (pc < lines_.size()) {
            if (++steps > 1000000) {
                throw Failure("more than a million statements");
            }
            pc = statement(pc);
        }
        run_.finalScreen = cells_;
        for (const auto& [name, value] : reals_) {
            run_.reals[name] = value;
        }
        for (const auto& [name, value] : strings_) {
            run_.stringsLeft[name] = true;
            (void)value;
        }
        run_.ended = true;
    }

  private:
    // Runs line `pc`; returns the next line to run.
    std::size_t statement(std::size_t pc) {
        line_ = &lines_[pc];
        pos_ = 0;
        if (line_->empty()) {
            return pc + 1;
        }
        const BasicToken first = (*line_)[0];
        switch (first) {
        case tClrHome:
            ++pos_;
            cells_.assign(cells_.size(), kBasicSpace);
            break;
        case tFull:
            ++pos_;
            break;
        case tRepeat:
            loops_.push_back(pc);
            return pc + 1;
        case tEnd: {
            ++pos_;
            expectEnd();
            if (loops_.empty()) {
                throw Failure("End without Repeat");
            }
            const std::size_t start = loops_.back();
            loops_.pop_back();
            line_ = &lines_[start];
            pos_ = 1;
            const double condition = number(expression());
            expectEnd();
            if (condition == 0) {
                loops_.push_back(start);
                return start + 1;
            }
            return pc + 1;
        }
        case tOutput: {
            ++pos_;
            const int row = integer(expression());
            expect(tComma);
            const int column = integer(expression());
            expect(tComma);
            const Value shown = expression();
            accept(tClose);
            output(row, column, shown);
            break;
        }
        case tDelVar:
            ++pos_;
            if (pos_ >= line_->size() || (*line_)[pos_] != tStr1) {
                throw Failure("DelVar of something other than Str1");
            }
            strings_.erase(tStr1);
            ++pos_;
            break;
        default: {
            Value value = expression();
            if (accept(tStore)) {
                store(value);
            } else {
                ans_ = std::move(value);
            }
        }
        }
        expectEnd();
        return pc + 1;
    }

    void store(const Value& value) {
        if (pos_ >= line_->size()) {
            throw Failure("→ without a variable");
        }
        const BasicToken target = (*line_)[pos_++];
        if (target == tStr1) {
            if (!value.isString) {
                throw Failure("ERR:DATA TYPE: a number stored to Str1");
            }
            strings_[target] = value.text;
        } else if (target >= 0x41 && target <= 0x5B) {
            reals_[target] = number(value);
        } else {
            throw Failure("stored to an unknown variable");
        }
    }

    void output(int row, int column, const Value& value) {
        if (row < 1 || row > screen_.rows || column < 1 || column > screen_.columns) {
            throw Failure("ERR:DOMAIN: Output( at " + std::to_string(row) + "," +
                          std::to_string(column));
        }
        if (!value.isString) {
            throw Failure("Output( of a number: the program only draws strings");
        }
        // Wraps to the next row's first column; cut at the last row's end, never scrolls.
        std::size_t cell = static_cast<std::size_t>((row - 1) * screen_.columns + column - 1);
        for (const BasicToken token : value.text) {
            if (cell >= cells_.size()) {
                break;
            }
            cells_[cell++] = token;
        }
    }

    Value expression() {
        Value left = conjunction();
        while (accept(tOr)) {
            const Value right = conjunction();
            left = numberValue(number(left) != 0 || number(right) != 0);
        }
        return left;
    }

    Value conjunction() {
        Value left = relation();
        while (accept(tAnd)) {
            const Value right = relation();
            left = numberValue(number(left) != 0 && number(right) != 0);
        }
        return left;
    }

    Value relation() {
        Value left = sum();
        for (;;) {
            const BasicToken op = peek();
            if (op != tEq && op != tLt && op != tGt && op != tLe && op != tGe && op != tNe) {
                return left;
            }
            ++pos_;
            const double a = number(left);
            const double b = number(sum());
            const bool result = op == tEq   ? a == b
                                : op == tLt ? a < b
                                : op == tGt ? a > b
                                : op == tLe ? a <= b
                                : op == tGe ? a >= b
                                            : a != b;
            left = numberValue(result);
        }
    }

    Value sum() {
        Value left = product();
        for (;;) {
            if (accept(tAdd)) {
                left = numberValue(number(left) + number(product()));
            } else if (accept(tSub)) {
                left = numberValue(number(left) - number(product()));
            } else {
                return left;
            }
        }
    }

    Value product() {
        Value left = primary();
        for (;;) {
            if (accept(tMul)) {
                left = numberValue(number(left) * number(primary()));
            } else if (accept(tDiv)) {
                left = numberValue(number(left) / number(primary()));
            } else {
                return left;
            }
        }
    }

    Value primary() {
        const BasicToken token = peek();
        if ((token >= 0x30 && token <= 0x39) || token == tDecimal) {
            std::string digits;
            while ((peek() >= 0x30 && peek() <= 0x39) || peek() == tDecimal) {
                digits.push_back(peek() == tDecimal ? '.' : static_cast<char>('0' + peek() - 0x30));
                ++pos_;
            }
            return numberValue(std::stod(digits));
        }
        if (token >= 0x41 && token <= 0x5B) {
            ++pos_;
            const auto found = reals_.find(token);
            return numberValue(found == reals_.end() ? 0 : found->second);
        }
        if (token == tOpen) {
            ++pos_;
            Value inner = expression();
            accept(tClose);
            return inner;
        }
        if (token == tGetKey) {
            ++pos_;
            return numberValue(readKey());
        }
        if (token == tQuote) {
            ++pos_;
            Value text;
            text.isString = true;
            while (pos_ < line_->size() && peek() != tQuote && peek() != tStore) {
                if (!isCharacterToken(peek())) {
                    throw Failure("a string holds token " + std::to_string(peek()) +
                                  ", which shows no single character");
                }
                text.text.push_back((*line_)[pos_++]);
            }
            accept(tQuote);
            return text;
        }
        if (token == tStr1) {
            ++pos_;
            const auto found = strings_.find(tStr1);
            if (found == strings_.end()) {
                throw Failure("ERR:UNDEFINED: Str1");
            }
            Value text;
            text.isString = true;
            text.text = found->second;
            return text;
        }
        if (token == tSubstr) {
            ++pos_;
            const Value source = expression();
            expect(tComma);
            const int start = integer(expression());
            expect(tComma);
            const int length = integer(expression());
            accept(tClose);
            if (!source.isString || start < 1 || length < 1 ||
                static_cast<std::size_t>(start - 1 + length) > source.text.size()) {
                throw Failure("ERR:DOMAIN: sub( from " + std::to_string(start) + " for " +
                              std::to_string(length));
            }
            Value text;
            text.isString = true;
            text.text.assign(source.text.begin() + (start - 1),
                             source.text.begin() + (start - 1 + length));
            return text;
        }
        throw Failure("unknown token " + std::to_string(token) + " in an expression");
    }

    int readKey() {
        if (!zeroGiven_) {
            zeroGiven_ = true;
            return 0;
        }
        if (nextKey_ >= keys_.size()) {
            throw Failure("the program waits for a key after the script's last");
        }
        zeroGiven_ = false;
        run_.screensAtKeys.push_back(cells_);
        return keys_[nextKey_++];
    }

    static Value numberValue(double value) {
        Value number;
        number.number = value;
        return number;
    }
    static double number(const Value& value) {
        if (value.isString) {
            throw Failure("ERR:DATA TYPE: a string where a number belongs");
        }
        return value.number;
    }
    static int integer(const Value& value) {
        const double n = number(value);
        if (n != std::floor(n)) {
            throw Failure("ERR:DOMAIN: not a whole number");
        }
        return static_cast<int>(n);
    }

    BasicToken peek() const { return pos_ < line_->size() ? (*line_)[pos_] : tNewline; }
    bool accept(BasicToken token) {
        if (peek() == token && pos_ < line_->size()) {
            ++pos_;
            return true;
        }
        return false;
    }
    void expect(BasicToken token) {
        if (!accept(token)) {
            throw Failure("expected token " + std::to_string(token) + ", found " +
                          std::to_string(peek()));
        }
    }
    void expectEnd() const {
        if (pos_ != line_->size()) {
            throw Failure("unknown token " + std::to_string((*line_)[pos_]) + " after a statement");
        }
    }

    const HomeScreen& screen_;
    const std::vector<int>& keys_;
    BasicRun& run_;
    std::vector<BasicToken> cells_;
    std::vector<std::vector<BasicToken>> lines_;
    const std::vector<BasicToken>* line_ = nullptr;
    std::size_t pos_ = 0;
    std::vector<std::size_t> loops_;
    std::map<BasicToken, double> reals_;
    std::map<BasicToken, std::vector<BasicToken>> strings_;
    Value ans_;
    std::size_t nextKey_ = 0;
    bool zeroGiven_ = false;
};

} // namespace

BasicRun runBasicProgram(std::string_view bytes, const HomeScreen& screen,
                         const std::vector<int>& keys) {
    BasicRun run;
    try {
        // A newline ends a line, strings included.
        std::vector<std::vector<BasicToken>> lines(1);
        for (const BasicToken token : tokenize(bytes)) {
            if (token == tNewline) {
                lines.emplace_back();
            } else {
                lines.back().push_back(token);
            }
        }
        Machine(screen, keys, run).execute(std::move(lines));
    } catch (const Failure& failure) {
        run.error = failure.what();
    }
    return run;
}

} // namespace corvane::test
