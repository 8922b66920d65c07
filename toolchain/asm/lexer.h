#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace corvane::asm83 {

// Character classes of the source language.
inline bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
inline bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
inline bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
inline bool isIdentifierStart(char c) {
    return isLetter(c) || c == '_';
}
inline bool isIdentifierChar(char c) {
    return isIdentifierStart(c) || isDigit(c) || c == '.';
}

std::string_view trim(std::string_view text);

// A character literal is exactly 'c': a quote that does not close two characters later is an
// ordinary character, as in the register name af'.
inline bool isCharLiteralAt(std::string_view text, std::size_t i) {
    return text[i] == '\'' && i + 2 < text.size() && text[i + 2] == '\'';
}

// Where a string literal that opens at `open` (a double quote) closes, or npos when it does
// not close before a carriage return or the end of `text`. A line feed inside the literal is
// one of its bytes.
std::size_t stringEnd(std::string_view text, std::size_t open);

// When a string or character literal starts at `i`, where the text after it starts (the end
// of `text` for a string that does not close); otherwise `i` itself. Scanners call it to step
// over literals, in which ';', '\\', ',' and parentheses mean nothing.
std::size_t skipLiteral(std::string_view text, std::size_t i);

// One source line. Outside string literals CR, LF and CR LF end it; inside one, a LF is a
// byte of the string.
struct SourceLine {
    std::string_view text;      // without its terminator
    std::size_t next = 0;       // where the following line starts
    int lineFeedsInStrings = 0; // line feeds swallowed by string literals, for line numbers
    bool stringNotClosed = false;
};

SourceLine nextSourceLine(std::string_view source, std::size_t pos);

// The line without its ';' comment, cut into its '\'-separated statements; both marks count
// only outside string and character literals. Statements keep their blanks.
void splitStatements(std::string_view line, std::vector<std::string_view>& statements);

// Where a character literal written with a C escape ('\n', '\\') starts in the line, outside
// literals and the comment; npos when there is none. The language has no escapes, so its
// backslash would end the statement halfway through the literal.
std::size_t escapedCharLiteral(std::string_view line);

// The text before its ';' comment (outside literals).
std::string_view withoutComment(std::string_view text);

// Operands split at commas outside literals and parentheses, each trimmed.
void splitOperands(std::string_view text, std::vector<std::string_view>& operands);

} // namespace corvane::asm83
