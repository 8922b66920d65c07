// Instructions the encoder must refuse, each with the message it gives. Range errors still
// give the instruction's full length, so that both passes place every later label alike.
#include "z80_test_support.h"

#include <gtest/gtest.h>

namespace corvane::z80::test {
namespace {

struct ErrorRow {
    const char* source;
    const char* message;
};

void expectRefused(const std::vector<ErrorRow>& rows) {
    for (const ErrorRow& row : rows) {
        SCOPED_TRACE(row.source);
        const Encoding encoding = encodeLine(row.source);
        ASSERT_EQ(encoding.errors.size(), 1u);
        EXPECT_EQ(encoding.errors.front(), row.message);
    }
}

TEST(Z80Errors, ValuesOutOfRange) {
    expectRefused({
        {"jr 8082h", "relative jump out of range (by 1 byte)"},
        {"jr 7F81h", "relative jump out of range (by 1 byte)"},
        {"djnz 8090h", "relative jump out of range (by 15 bytes)"},
        {"jr nc,0", "relative jump out of range (by 32642 bytes)"},
        {"jr -3", "jr target -3 is outside 0..FFFFh"},
        {"djnz 10000h", "djnz target 65536 is outside 0..FFFFh"},
        {"out (c),1", "out (c) writes a register or 0, not 1"},
        {"ld a,(ix+128)", "index displacement out of range (-128..127): 128"},
        {"ld (iy-129),a", "index displacement out of range (-128..127): -129"},
        {"set 1,(ix+200)", "index displacement out of range (-128..127): 200"},
        {"rst 29h", "rst target must be one of 00h, 08h, 10h, 18h, 20h, 28h, 30h, 38h (got 41)"},
        {"rst 40h", "rst target must be one of 00h, 08h, 10h, 18h, 20h, 28h, 30h, 38h (got 64)"},
        {"rst -8", "rst target must be one of 00h, 08h, 10h, 18h, 20h, 28h, 30h, 38h (got -8)"},
        {"im 3", "interrupt mode must be 0, 1 or 2 (got 3)"},
        {"im -1", "interrupt mode must be 0, 1 or 2 (got -1)"},
        {"ld a,256", "8-bit value out of range (-128..255): 256"},
        {"cp -129", "8-bit value out of range (-128..255): -129"},
        {"ld (ix+1),300", "8-bit value out of range (-128..255): 300"},
        {"out (100h),a", "8-bit value out of range (-128..255): 256"},
        {"ld hl,65536", "16-bit value out of range (-32768..65535): 65536"},
        {"ld bc,-32769", "16-bit value out of range (-32768..65535): -32769"},
        {"jp 10000h", "16-bit value out of range (-32768..65535): 65536"},
        {"bit 8,a", "bit number must be 0..7 (got 8)"},
        {"set -1,(hl)", "bit number must be 0..7 (got -1)"},
    });
}

TEST(Z80Errors, RangeErrorsKeepTheLength) {
    for (const char* source : {"jr 9000h", "ld a,(ix+128)", "ld a,256", "ld hl,65536", "im 3",
                               "bit 8,(iy+1)", "ld a,bad"}) {
        SCOPED_TRACE(source);
        const Encoding wrong = encodeLine(source);
        const Encoding firstPass = encodeLine(source, kOrigin, evaluateUnknown);
        EXPECT_FALSE(wrong.errors.empty());
        EXPECT_EQ(wrong.bytes.size(), firstPass.bytes.size());
    }
}

TEST(Z80Errors, OperandsTheInstructionDoesNotTake) {
    expectRefused({
        {"ld 5,a", "bad operand '5' for ld"},
        {"ld (bc),b", "bad operand 'b' for ld"},
        {"ld (hl),(hl)", "bad operand '(hl)' for ld"},
        {"ld (1234h),(1234h)", "bad operand '(1234h)' for ld"},
        {"ld b,(bc)", "bad operand '(bc)' for ld"},
        {"ld i,b", "bad operand 'b' for ld"},
        {"ld b,i", "bad operand 'i' for ld"},
        {"ld af,1", "bad operand 'af' for ld"},
        {"ld bc,de", "bad operand 'de' for ld"},
        {"ld h,ixl", "bad operand 'ixl' for ld"},
        {"ld ixh,iyl", "bad operand 'iyl' for ld"},
        {"ld ixh,(ix+1)", "bad operand '(ix+1)' for ld"},
        {"ld (ix+1),ixh", "bad operand 'ixh' for ld"},
        {"add ix,hl", "bad operand 'hl' for add"},
        {"add iy,ix", "bad operand 'ix' for add"},
        {"add hl,ix", "bad operand 'ix' for add"},
        {"adc ix,bc", "bad operand 'ix' for adc"},
        {"sub hl,bc", "bad operand 'hl' for sub"},
        {"add a,(1234h)", "bad operand '(1234h)' for add"},
        {"push sp", "bad operand 'sp' for push"},
        {"pop (hl)", "bad operand '(hl)' for pop"},
        {"inc af", "bad operand 'af' for inc"},
        {"jr po,8000h", "bad operand 'po' for jr"},
        {"jp (ix+2)", "bad operand '(ix+2)' for jp"},
        {"jp (1234h)", "bad operand '(1234h)' for jp"},
        {"call (hl)", "bad operand '(hl)' for call"},
        {"ret x", "bad operand 'x' for ret"},
        {"jp q,1234h", "bad operand 'q' for jp"},
        {"ex hl,de", "bad operand 'hl' for ex"},
        {"ex de,ix", "bad operand 'ix' for ex"},
        {"ex af,bc", "bad operand 'bc' for ex"},
        {"in b,(5)", "bad operand '(5)' for in"},
        {"in (c),a", "bad operand '(c)' for in"},
        {"out (5),b", "bad operand 'b' for out"},
        {"in f,(5)", "bad operand '(5)' for in"},
        {"in (5)", "bad operand '(5)' for in"},
        {"out a,(c)", "bad operand 'a' for out"},
        {"rlc ixh", "bad operand 'ixh' for rlc"},
        {"bit 1,5", "bad operand '5' for bit"},
        {"bit a,b", "bad operand 'a' for bit"},
        {"rlc b,(hl)", "bad operand '(hl)' for rlc"},
        {"rl ixh,(ix+1)", "bad operand 'ixh' for rl"},
        {"set 1,(ix+1),(hl)", "bad operand '(hl)' for set"},
        {"res 1,b,a", "bad operand 'b' for res"},
        {"rst (8)", "bad operand '(8)' for rst"},
    });
}

TEST(Z80Errors, NamesAndOperandCounts) {
    expectRefused({
        {"xyz", "unknown instruction 'xyz'"},
        {"ldirr", "unknown instruction 'ldirr'"},
        {"Mov a,b", "unknown instruction 'Mov'"},
        {"ld a", "ld takes 2 operands, not 1"},
        {"nop a", "nop takes 0 operands, not 1"},
        {"ret nz,1", "ret takes 0 or 1 operand, not 2"},
        {"jp", "jp takes 1 or 2 operands, not 0"},
        {"ld a,b,c", "ld takes 2 operands, not 3"},
        {"bit 1,(ix+1),a", "bit takes 2 operands, not 3"},
        {"ld a,b,c,d", "ld takes at most 3 operands, not 4"},
        {"ld a,", "missing operand for ld"},
        {"ld a,bad", "cannot evaluate 'bad'"},
        {"ld a,(hl", "cannot evaluate '(hl'"},
    });
}

} // namespace
} // namespace corvane::z80::test
