#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::z80 {

// The value of an expression operand, as the assembler's evaluator gives it.
struct Value {
    bool ok = true;    // false: the expression is malformed; `error` says why
    bool known = true; // false: a symbol is not defined yet (first pass)
    std::int64_t number = 0;
    std::string error;
};

// Evaluates one expression (the text of an operand, or the part of "(ix+d)" after ix).
using Evaluate = std::function<Value(std::string_view expression)>;

struct Encoding {
    std::vector<std::uint8_t> bytes; // the instruction; its length never depends on values
    std::vector<std::string> errors; // empty when the instruction is valid
};

// Encodes one Z80 instruction. `mnemonic` and `operands` are the source text (any letter
// case, operands trimmed, split at top-level commas). `address` is where the instruction
// is placed, for relative jumps. Values that are not known yet encode as zero and skip
// their range checks, so the first pass learns the length.
Encoding encodeInstruction(std::string_view mnemonic, const std::vector<std::string>& operands,
                           std::uint16_t address, const Evaluate& evaluate);

// True when `mnemonic` names a Z80 instruction (any letter case).
bool isMnemonic(std::string_view mnemonic);

} // namespace corvane::z80
