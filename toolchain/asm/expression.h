#pragma once

#include "symbols.h"

#include <array>
#include <cstdint>
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
};

// Evaluates an expression: numbers (decimal, $hex, hexh, %bin, binb, decd), 'c', symbols,
// '$', unary - ~ +, binary * / % + - << >> & ^ | with C precedence, and parentheses.
z80::Value evaluateExpression(std::string_view text, const ExpressionContext& context);

} // namespace corvane::asm83
