#pragma once

#include <string_view>

namespace corvane::asm83 {

enum class Directive { None, Org, Byte, Word, Equ, Fill, Listing, End, CharMap };

// The directive a word names, with or without its leading dot removed by the caller
// ("db", "nolist"), in any letter case; None for any other word.
Directive directiveNamed(std::string_view name);

} // namespace corvane::asm83
