// Rules the corpus does not see: undefined symbols before the final pass, and where lines,
// statements and operands end.
#include <expression.h>
#include <gtest/gtest.h>
#include <lexer.h>

using namespace corvane::asm83;

namespace {

// Before the final pass an undefined symbol is only not known yet, and its expression gives no
// precedence warning: the value may still change.
TEST(Expressions, UndefinedSymbolsAreOnlyUnknownBeforeTheFinalPass) {
    const SymbolTable symbols;
    const CharMap map = identityCharMap();
    std::string warning;
    const auto eval = [&](const char* text, bool final) {
        return evaluateExpression(text, ExpressionContext{symbols, 0x4000, final, map, &warning});
    };
    const corvane::z80::Value early = eval("later/0+1", false);
    EXPECT_TRUE(early.ok);
    EXPECT_FALSE(early.known);
    EXPECT_FALSE(eval("later+1", true).ok);
    eval("later+2*3", false);
    EXPECT_EQ(warning, "");
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

// Statements split at backslashes and comments outside literals, operands at top-level commas.
TEST(Statements, SplitAtBackslashesAndCommentsThenOperandsAtTopLevelCommas) {
    using Split = void (*)(std::string_view, std::vector<std::string_view>&);
    const std::pair<Split, LineCase> cases[] = {
        {splitStatements, {"rst 28h \\ .dw x", {"rst 28h ", " .dw x"}}},
        {splitStatements, {".db \"a\\b;c\" ; comment \\ no", {".db \"a\\b;c\" "}}},
        {splitStatements, {"ld a,';' \\ ld b,'\\'", {"ld a,';' ", " ld b,'\\'"}}},
        {splitStatements, {"ex af,af' \\ nop ; x", {"ex af,af' ", " nop "}}},
        {splitStatements, {"; only a comment", {""}}},
        {splitOperands, {" a , (ix+5) ", {"a", "(ix+5)"}}},
        {splitOperands, {"\"a,b\",0", {"\"a,b\"", "0"}}},
        {splitOperands, {"',',(1,2)", {"','", "(1,2)"}}},
        {splitOperands, {"af,af'", {"af", "af'"}}},
        {splitOperands, {"", {}}},
        {splitOperands, {"1,,2", {"1", "", "2"}}},
    };
    for (const auto& [split, c] : cases) {
        std::vector<std::string_view> pieces;
        split(c.source, pieces);
        EXPECT_EQ(std::vector<std::string>(pieces.begin(), pieces.end()), c.lines) << c.source;
    }
}

} // namespace
