#include "basic_interpreter.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <stdexcept>

namespace corvane::test {

namespace {

// Token bytes as the TI-83 Plus token tables give them, written out here independently of the
// program writer.
constexpr BasicToken tStore = 0x04, tOpen = 0x10, tClose = 0x11, tQuote = 0x2A, tComma = 0x2B,
                     tOr = 0x3C, tNewline = 0x3F, tEq = 0x6A, tLt = 0x6B, tGt = 0x6C, tAdd = 0x70,
                     tSub = 0x71, tFull = 0x75, tMul = 0x82, tGetKey = 0xAD, tRepeat = 0xD2,
                     tEnd = 0xD4, tOutput = 0xE0, tClrHome = 0xE1, tStr1 = 0xAA00, tSubstr = 0xBB0C,
                     tDelVar = 0xBB54;

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The program's lines: a newline token ends a line, strings included.
std::vector<std::vector<BasicToken>> programLines(std::string_view bytes) {
    std::vector<std::vector<BasicToken>> lines(1);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        BasicToken token = static_cast<unsigned char>(bytes[i]);
        if (token == 0xBB || token == 0xAA) {
            if (++i == bytes.size()) {
                throw Failure("a two-byte token is cut off at the end");
            }
            token = static_cast<BasicToken>(token << 8 | static_cast<unsigned char>(bytes[i]));
        }
        if (token == tNewline) {
            lines.emplace_back();
        } else {
            lines.back().push_back(token);
        }
    }
    return lines;
}

// A number, or a string of tokens.
struct Value {
    double number = 0;
    std::optional<std::vector<BasicToken>> text;
};

double number(const Value& value) {
    if (value.text) {
        throw Failure("ERR:DATA TYPE: a string where a number belongs");
    }
    return value.number;
}

int integer(const Value& value) {
    const double n = number(value);
    if (n != std::floor(n)) {
        throw Failure("ERR:DOMAIN: not a whole number");
    }
    return static_cast<int>(n);
}

bool isRealVariable(BasicToken token) {
    return token >= 0x41 && token <= 0x5B;
}

class Machine {
  public:
    Machine(const HomeScreen& screen, const std::vector<int>& keys, BasicRun& run)
        : screen_(screen), keys_(keys), run_(run), cells_(screen.cells(), kBasicSpace) {}

    void execute(std::vector<std::vector<BasicToken>> lines) {
        lines_ = std::move(lines);
        std::size_t steps = 0;
        for (std::size_t pc = 0; pc < lines_.size(); pc = statement(pc)) {
            if (++steps > 1000000) {
                throw Failure("more than a million statements");
            }
        }
        run_.finalScreen = cells_;
        run_.reals = reals_;
        run_.str1Left = str1_.has_value();
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
        if (accept(tClrHome)) {
            cells_.assign(cells_.size(), kBasicSpace);
        } else if (accept(tFull)) {
        } else if (accept(tRepeat)) {
            // The condition is tested at End.
            loops_.push_back(pc);
            return pc + 1;
        } else if (accept(tEnd)) {
            expectEnd();
            if (loops_.empty()) {
                throw Failure("End without Repeat");
            }
            const std::size_t start = loops_.back();
            line_ = &lines_[start];
            pos_ = 1;
            const double condition = number(expression());
            expectEnd();
            if (condition == 0) {
                return start + 1;
            }
            loops_.pop_back();
        } else if (accept(tOutput)) {
            const int row = integer(expression());
            expect(tComma);
            const int column = integer(expression());
            expect(tComma);
            output(row, column, expression());
            accept(tClose);
        } else if (accept(tDelVar)) {
            expect(tStr1);
            str1_.reset();
        } else {
            const Value value = expression();
            if (accept(tStore)) {
                store(value);
            }
        }
        expectEnd();
        return pc + 1;
    }

    void store(const Value& value) {
        const BasicToken target = peek();
        ++pos_;
        if (target == tStr1 && value.text) {
            str1_ = value.text;
        } else if (target == tStr1) {
            throw Failure("ERR:DATA TYPE: a number stored to Str1");
        } else if (isRealVariable(target)) {
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
        if (!value.text) {
            throw Failure("Output( of a number: the program only draws strings");
        }
        // Wraps to the next row's first column; cut at the last row's end, never scrolls.
        auto cell = static_cast<std::size_t>((row - 1) * screen_.columns + column - 1);
        for (const BasicToken token : *value.text) {
            if (cell < cells_.size()) {
                cells_[cell++] = token;
            }
        }
    }

    // The binary operators the program uses, by precedence from `or` to `*`.
    Value expression(std::size_t level = 0) {
        static const std::vector<BasicToken> levels[] = {
            {tOr}, {tEq, tLt, tGt}, {tAdd, tSub}, {tMul}};
        if (level == std::size(levels)) {
            return primary();
        }
        Value left = expression(level + 1);
        while (std::ranges::find(levels[level], peek()) != levels[level].end()) {
            const BasicToken op = peek();
            ++pos_;
            const double a = number(left);
            const double b = number(expression(level + 1));
            left.number = op == tOr    ? a != 0 || b != 0
                          : op == tEq  ? a == b
                          : op == tLt  ? a < b
                          : op == tGt  ? a > b
                          : op == tAdd ? a + b
                          : op == tSub ? a - b
                                       : a * b;
        }
        return left;
    }

    Value primary() {
        const BasicToken token = peek();
        if (token >= 0x30 && token <= 0x39) {
            double value = 0;
            while (peek() >= 0x30 && peek() <= 0x39) {
                value = value * 10 + ((*line_)[pos_++] - 0x30);
            }
            return {value, {}};
        }
        ++pos_;
        if (isRealVariable(token)) {
            return {reals_.contains(token) ? reals_[token] : 0, {}};
        }
        if (token == tOpen) {
            Value inner = expression();
            accept(tClose);
            return inner;
        }
        if (token == tGetKey) {
            return {static_cast<double>(readKey()), {}};
        }
        if (token == tQuote) {
            Value text{0, std::vector<BasicToken>()};
            while (pos_ < line_->size() && peek() != tQuote && peek() != tStore) {
                // A string holds only the character tokens of the sheet's tables.
                if (basicTokenCharacter(peek()) == u'?' && peek() != 0xAF) {
                    throw Failure("a string holds token " + std::to_string(peek()) +
                                  ", which shows no single character");
                }
                text.text->push_back((*line_)[pos_++]);
            }
            accept(tQuote);
            return text;
        }
        if (token == tStr1) {
            if (!str1_) {
                throw Failure("ERR:UNDEFINED: Str1");
            }
            return {0, str1_};
        }
        if (token == tSubstr) {
            const Value source = expression();
            expect(tComma);
            const int start = integer(expression());
            expect(tComma);
            const int length = integer(expression());
            accept(tClose);
            if (!source.text || start < 1 || length < 1 ||
                static_cast<std::size_t>(start - 1 + length) > source.text->size()) {
                throw Failure("ERR:DOMAIN: sub( from " + std::to_string(start) + " for " +
                              std::to_string(length));
            }
            const auto first = source.text->begin() + (start - 1);
            return {0, std::vector<BasicToken>(first, first + length)};
        }
        throw Failure("unknown token " + std::to_string(token) + " in an expression");
    }

    // getKey gives 0 once, then the script's next key, showing the screen as it stands.
    int readKey() {
        zeroGiven_ = !zeroGiven_;
        if (zeroGiven_) {
            return 0;
        }
        if (nextKey_ >= keys_.size()) {
            throw Failure("the program waits for a key after the script's last");
        }
        run_.screensAtKeys.push_back(cells_);
        return keys_[nextKey_++];
    }

    BasicToken peek() const { return pos_ < line_->size() ? (*line_)[pos_] : tNewline; }
    bool accept(BasicToken token) {
        const bool found = peek() == token && pos_ < line_->size();
        pos_ += found ? 1 : 0;
        return found;
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
    std::optional<std::vector<BasicToken>> str1_;
    std::size_t nextKey_ = 0;
    bool zeroGiven_ = false;
};

} // namespace

BasicRun runBasicProgram(std::string_view bytes, const HomeScreen& screen,
                         const std::vector<int>& keys) {
    BasicRun run;
    try {
        Machine(screen, keys, run).execute(programLines(bytes));
    } catch (const Failure& failure) {
        run.error = failure.what();
    }
    return run;
}

} // namespace corvane::test
