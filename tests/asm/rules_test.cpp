// Table tests of the rules the corpus does not spell out one by one: how expressions evaluate
// and fail, and where lines and statements end.
#include <expression.h>
#include <gtest/gtest.h>
#include <lexer.h>

using namespace corvane::asm83;

namespace {

struct ValueCase {
    const char* text;
    std::int64_t value;
};

class Expressions : public testing::Test {
  protected:
    Expressions() {
        symbols.define("progstart", 0x9D95, 0);
        symbols.define("_vputs", 0x4561, 1);
        symbols.define("lng1000", 7, 2);
    }
    corvane::z80::Value eval(const char* text, bool final = true) {
        warning.clear();
        return evaluateExpression(text, ExpressionContext{symbols, 0x4000, final, map, &warning});
    }
    SymbolTable symbols;
    std::string warning;
    CharMap map = identityCharMap();
};

TEST_F(Expressions, Values) {
    const ValueCase cases[] = {
        {"0", 0},
        {"6D", 6},
        {"6Dh", 0x6D},
        {"$6D", 0x6D},
        {"0DDh", 0xDD},
        {"101b", 5},
        {"%101", 5},
        {"10d", 10},
        {"1Bh", 0x1B},
        {"'A'", 65},
        {"' '", 32},
        {"$", 0x4000},
        {"$+5", 0x4005},
        {"PROGSTART-2", 0x9D93},
        {"progStart+1", 0x9D96},
        {"_VPUTS", 0x4561},
        {"lng1000", 7},
        {"-1", -1},
        {"~0", -1},
        {"- -1", 1},
        {"2+3*4", 20},
        {"2+(3*4)", 14},
        {"(2+3)*4", 20},
        {"1<<8|1", 257},
        {"1|6&3", 3},
        {"5^1&1", 0},
        {"-2*3", -6},
        {"~1+1", -1},
        {"2*-3+1", -5},
        {"10-2-3", 5},
        {"256>>4>>1", 8},
        {"-7/2", -3},
        {"-7%2", -1},
        {"7%%11", 7 % 3},
        {"0FFFFFFFFFFFFFFFFh", -1},
        {"  ( ( 1 ) )  ", 1},
    };
    for (const ValueCase& c : cases) {
        const corvane::z80::Value value = eval(c.text);
        EXPECT_TRUE(value.ok && value.known) << c.text << ": " << value.error;
        EXPECT_EQ(value.number, c.value) << c.text;
    }
}

// Left to right is the rule; where C precedence gives another value, the message says both.
TEST_F(Expressions, WarnWhereCPrecedenceGivesAnotherValue) {
    const std::pair<const char*, const char*> cases[] = {
        {"1+2*3", "'1+2*3' is 9, evaluated left to right; with C precedence it would be 7"},
        {"1|2^3&4", "is 0, evaluated left to right; with C precedence it would be 3"},
        {"1<<2+1", "'1<<2+1' is 5, evaluated left to right; with C precedence it would be 8"},
        {"1+(2*3)", nullptr},
        {"2*3+1", nullptr},
        {"1+2-3", nullptr},
        {"0*2+1", nullptr},
        {"1 + 2 << 1", nullptr},
        {"fwd+2*3", nullptr},
    };
    for (const auto& [text, message] : cases) {
        eval(text, false);
        if (message == nullptr) {
            EXPECT_EQ(warning, "") << text;
        } else {
            EXPECT_NE(warning.find(message), std::string::npos)
                << text << " gave '" << warning << "'";
        }
    }
}

TEST_F(Expressions, Errors) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "expected an expression"},
        {"1F", "bad number '1F'"},
        {"12b", "bad number '12b'"},
        {"$", nullptr},
        {"%", "bad number '%'"},
        {"%12", "bad number '%12'"},
        {"1/0", "division by zero"},
        {"1%(2-2)", "division by zero"},
        {"(1+2", "missing ')'"},
        {"1+", "ends too early"},
        {"1 2", "unexpected '2'"},
        {"'ab'", "character literal not closed"},
        {"1<<64", "shift count 64 out of range"},
        {"99999999999999999999", "too large"},
        {"nowhere", "undefined symbol 'nowhere'"},
        {"\"A\"", "unexpected '\"'"},
    };
    for (const auto& [text, message] : cases) {
        const corvane::z80::Value value = eval(text);
        if (message == nullptr) {
            EXPECT_TRUE(value.ok) << text;
            continue;
        }
        EXPECT_FALSE(value.ok) << text;
        EXPECT_NE(value.error.find(message), std::string::npos)
            << text << " gave '" << value.error << "'";
    }
}

TEST_F(Expressions, UndefinedSymbolsAreOnlyUnknownBeforeTheFinalPass) {
    const corvane::z80::Value early = eval("later/0+1", false);
    EXPECT_TRUE(early.ok);
    EXPECT_FALSE(early.known);
    const corvane::z80::Value late = eval("later+1", true);
    EXPECT_FALSE(late.ok);
}

TEST_F(Expressions, CharacterLiteralsFollowTheMap) {
    map['a'] = 'z';
    EXPECT_EQ(eval("'a'").number, 'z');
    EXPECT_EQ(eval("61h").number, 0x61);
}

struct LineCase {
    const char* source;
    std::vector<std::string> lines;
};

TEST(SourceLines, EndAtCrLfAndCrLfOutsideStrings) {
    const LineCase cases[] = {
        {"a\r\nb\rc\nd", {"a", "b", "c", "d"}},
        {"a\r\n\r\nb\r\n", {"a", "", "b"}},
        {" .db \"x\ny\",0\r\nnext", {" .db \"x\ny\",0", "next"}},
        {" .db \"x\r\ny\",0", {" .db \"x", "y\",0"}},
        {"; it's \"quoted\nld a,1", {"; it's \"quoted", "ld a,1"}},
        {" .db '\"' \nld", {" .db '\"' ", "ld"}},
        {" ex af,af' \n .db \"a\"", {" ex af,af' ", " .db \"a\""}},
    };
    for (const LineCase& c : cases) {
        std::vector<std::string> lines;
        const std::string_view source = c.source;
        for (std::size_t pos = 0; pos < source.size();) {
            const SourceLine line = nextSourceLine(source, pos);
            lines.emplace_back(line.text);
            pos = line.next;
        }
        EXPECT_EQ(lines, c.lines) << c.source;
    }
}

TEST(SourceLines, AStringNotClosedLosesOnlyItsLine) {
    const std::string_view source = " .db \"abc\n .db 1\r\n";
    const SourceLine first = nextSourceLine(source, 0);
    EXPECT_TRUE(first.stringNotClosed);
    EXPECT_EQ(first.text, " .db \"abc");
    EXPECT_EQ(nextSourceLine(source, first.next).text, " .db 1");
}

TEST(Statements, SplitAtBackslashesAndCommentsOutsideLiterals) {
    const LineCase cases[] = {
        {"rst 28h \\ .dw x", {"rst 28h ", " .dw x"}},
        {".db \"a\\b;c\" ; comment \\ no", {".db \"a\\b;c\" "}},
        {"ld a,';' \\ ld b,'\\'", {"ld a,';' ", " ld b,'\\'"}},
        {"ex af,af' \\ nop ; x", {"ex af,af' ", " nop "}},
        {"; only a comment", {""}},
    };
    for (const LineCase& c : cases) {
        std::vector<std::string_view> pieces;
        splitStatements(c.source, pieces);
        EXPECT_EQ(std::vector<std::string>(pieces.begin(), pieces.end()), c.lines) << c.source;
    }
}

TEST(Operands, SplitAtTopLevelCommas) {
    const LineCase cases[] = {
        {" a , (ix+5) ", {"a", "(ix+5)"}},
        {"\"a,b\",0", {"\"a,b\"", "0"}},
        {"',',(1,2)", {"','", "(1,2)"}},
        {"af,af'", {"af", "af'"}},
        {"", {}},
        {"1,,2", {"1", "", "2"}},
    };
    for (const LineCase& c : cases) {
        std::vector<std::string_view> operands;
        splitOperands(c.source, operands);
        EXPECT_EQ(std::vector<std::string>(operands.begin(), operands.end()), c.lines) << c.source;
    }
}

} // namespace
