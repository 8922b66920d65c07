#pragma once

#include "symbols.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <z80_encoder.h>

namespace corvane::asm83 {

// Byte translation applied to string and character literals ('.charmap FROM, TO').
using CharMap = std::array<std::uint8_t, 256>;
CharMap identityCharMap();

struct ExpressionContext {
    const SymbolTable& symbols;
    std::int64_t here; // the value of a lone '$'
    bool final;        // an undefined symbol is an error, not just not known yet
    const CharMap& charMap;
    // When not null, receives a message for an expression C precedence would give another
    // value (1+2*3), so that sources written for a C-style assembler are noticed.
    std::string* precedenceWarning;
};

// Evaluates an expression as TASM does: numbers (decimal, $hex, hexh, %bin, binb, decd), 'c',
// symbols, '$', unary - ~ + on the term after them, and binary * / % + - << >> & ^ | applied
// strictly left to right with no precedence among them (1+2*3 is 9); parentheses group.
z80::Value evaluateExpression(std::string_view text, const ExpressionContext& context);

} // namespace corvane::asm83
