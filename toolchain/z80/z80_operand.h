#pragma once

#include <cstdint>
#include <string_view>

namespace corvane::z80 {

// What an operand names, decided from its text alone. Which kinds an instruction accepts is
// the encoder's business.
enum class OperandKind {
    Reg8,     // a b c d e h l, and the index halves ixh ixl iyh iyl (prefix set)
    RegI,     // i
    RegR,     // r
    Reg16,    // bc de hl sp, and ix iy (prefix set)
    RegAF,    // af
    RegAFAlt, // af'
    IndHL,    // (hl)
    IndBC,    // (bc)
    IndDE,    // (de)
    IndSP,    // (sp)
    IndC,     // (c)
    Indexed,  // (ix), (ix+d), (ix-d), (iy...) (prefix set, `expression` the signed displacement)
    Memory,   // (expression): an absolute address or port
    Immediate,
};

// Register numbers as the Z80 opcodes hold them.
inline constexpr int kRegH = 4;
inline constexpr int kRegL = 5;
inline constexpr int kRegA = 7;
inline constexpr int kPairDE = 1;
inline constexpr int kPairHL = 2;
inline constexpr int kPairSP = 3;

// The register field that names (hl), or (ix+d) and (iy+d) under a prefix, in opcodes that
// otherwise name an 8-bit register.
inline constexpr int kRegIndHL = 6;

// Opcode prefixes: the CB page (rotates, shifts, bits), the ED page, and ix or iy in place of
// hl.
inline constexpr std::uint8_t kPrefixCB = 0xCB;
inline constexpr std::uint8_t kPrefixED = 0xED;
inline constexpr std::uint8_t kPrefixIX = 0xDD;
inline constexpr std::uint8_t kPrefixIY = 0xFD;

struct Operand {
    OperandKind kind = OperandKind::Immediate;
    int code = 0;                // Reg8: 0..7 (b c d e h l - a); Reg16: 0..3 (bc de hl sp)
    std::uint8_t prefix = 0;     // 0, kPrefixIX or kPrefixIY
    int condition = -1;          // 0..7 (nz z nc c po pe p m) when the text names a condition
    std::string_view expression; // Memory, Immediate: the expression; Indexed: "+d", "-d" or ""
    std::string_view text;       // the operand as written, for messages
};

// Classifies one trimmed operand. `text` must outlive the result: the views point into it.
Operand classifyOperand(std::string_view text);

} // namespace corvane::z80
