#pragma once

#include "z80_encoder.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::z80::test {

using Bytes = std::vector<std::uint8_t>;

// Where instructions are placed, so that relative jumps have a home.
inline constexpr std::uint16_t kOrigin = 0x8000;

// The assembler's evaluator in an early pass, with no symbols defined.
Value evaluate(std::string_view expression);

// An evaluator for which no value is known yet, as in the first pass.
Value evaluateUnknown(std::string_view expression);

// "ld a,(ix+5)" split into mnemonic and trimmed operands, as the assembler hands them over,
// and encoded.
Encoding encodeLine(std::string_view line, std::uint16_t address = kOrigin,
                    const Evaluate& evaluator = evaluate);

struct Disassembly {
    std::string text;   // in a spelling the assembler takes, see disassemble()
    std::size_t length; // bytes the instruction takes
};

// libz80ex's reading of the instruction at the start of `bytes`, placed at `address`: upper
// case, numbers in decimal, index displacements signed and left out when zero, and the
// disassembler's odd spellings (LD_A_I, JP HL, IN_F (C), LD B,RLC (IX+5)) in the form the
// assembler takes.
Disassembly disassemble(const Bytes& bytes, std::uint16_t address = kOrigin);

std::string hex(const Bytes& bytes);

} // namespace corvane::z80::test
