// Source lines with the bytes they assemble to, at 8000h. The sweep checks every opcode as the
// disassembler writes it; these rows are the spellings it never writes. Messages of refused
// instructions are in the assembler's corpus (refused_instructions.asm).
#include "z80_test_support.h"

#include <gtest/gtest.h>

namespace corvane::z80::test {
namespace {

struct Row {
    const char* source;
    Bytes bytes;
};

// Letter case, spaces, expressions, symbols, the two-operand spelling of the 8-bit operations,
// parentheses that do or do not make an operand indirect, and forward references (`fwd`), which
// encode as zeros without range errors.
TEST(Z80Spellings, AssembleAsTheirUsualForm) {
    const Row rows[] = {
        {"Ld A , ( Ix + 5 )", {0xDD, 0x7E, 0x05}},
        {"ld a,( iy - 2 )", {0xFD, 0x7E, 0xFE}},
        {"ld (IX+2+3),1", {0xDD, 0x36, 0x05, 0x01}},
        {"ld (ix-2+10),a", {0xDD, 0x77, 0x08}},
        {"sub a,b", {0x90}},
        {"and a,0Fh", {0xE6, 0x0F}},
        {"cp a,(hl)", {0xBE}},
        {"add b", {0x80}},
        {"ld a,(5+3)", {0x3A, 0x08, 0x00}},
        {"ld a,(2)+(3)", {0x3E, 0x05}},
        {"ld hl,(label)", {0x2A, 0x95, 0x9D}},
        {"ld hl,label+2", {0x21, 0x97, 0x9D}},
        {"ld a,(ixtable)", {0x3A, 0x00, 0x40}},
        {"ld a,(')')", {0x3A, 0x29, 0x00}},
        {"ld a,'('", {0x3E, 0x28}},
        {"ld a,-1", {0x3E, 0xFF}},
        {"ld a,-128", {0x3E, 0x80}},
        {"ld hl,-32768", {0x21, 0x00, 0x80}},
        {"ld bc,-1", {0x01, 0xFF, 0xFF}},
        {"jr C,8000h", {0x38, 0xFE}},
        {"ret C", {0xD8}},
        {"djnz 8000h+1", {0x10, 0xFF}},
        {"in (c)", {0xED, 0x70}},
        {"sl1 b", {0xCB, 0x30}},
        {"SL1 e,(iy+2)", {0xFD, 0xCB, 0x02, 0x33}},
        {"out (c),1-1", {0xED, 0x71}},
        {"jr fwd", {0x18, 0x00}},
        {"djnz fwd", {0x10, 0x00}},
        {"jr nz,fwd", {0x20, 0x00}},
        {"ld (ix+fwd),fwd", {0xDD, 0x36, 0x00, 0x00}},
        {"rst fwd", {0xC7}},
        {"im fwd", {0xED, 0x46}},
        {"bit fwd,(iy+fwd)", {0xFD, 0xCB, 0x00, 0x46}},
        {"call fwd", {0xCD, 0x00, 0x00}},
        {"ld a,(fwd)", {0x3A, 0x00, 0x00}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.source);
        const Encoding encoding = encodeLine(row.source);
        EXPECT_TRUE(encoding.errors.empty()) << encoding.errors.front();
        EXPECT_EQ(hex(encoding.bytes), hex(row.bytes));
    }
}

// Both passes must place every later label alike, so a refused value keeps the length.
TEST(Z80Errors, RangeErrorsKeepTheLength) {
    for (const char* source : {"jr 9000h", "ld a,(ix+128)", "ld a,256", "ld hl,65536", "im 3",
                               "bit 8,(iy+1)", "ld a,1/0"}) {
        SCOPED_TRACE(source);
        const Encoding wrong = encodeLine(source);
        const Encoding firstPass = encodeLine(source, kOrigin, evaluateUnknown);
        EXPECT_FALSE(wrong.errors.empty());
        EXPECT_EQ(wrong.bytes.size(), firstPass.bytes.size());
    }
}

TEST(Z80Mnemonics, AreRecognisedInAnyLetterCase) {
    const std::vector<std::pair<const char*, bool>> rows{
        {"ld", true},  {"LD", true},     {"Djnz", true}, {"otdr", true},
        {"sll", true}, {"SL1", true},    {"org", false}, {"db", false},
        {"", false},   {"ldirx", false}, {"l", false},   {"ldi r", false},
    };
    for (const auto& [name, known] : rows) {
        EXPECT_EQ(isMnemonic(name), known) << name;
    }
}

} // namespace
} // namespace corvane::z80::test
