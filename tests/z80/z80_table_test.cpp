// Instruction forms with the bytes they assemble to, one table per opcode page. Each row is
// checked twice: the encoder gives the bytes, and libz80ex's disassembler reads the bytes back
// as the same instruction. Instructions sit at 8000h, so jr targets near 8000h are in range.
#include "z80_test_support.h"

#include <gtest/gtest.h>

namespace corvane::z80::test {
namespace {

struct Row {
    const char* source;
    Bytes bytes;
};

const std::vector<Row> kPlainPage{
    {"nop", {0x00}},
    {"ld bc,1234h", {0x01, 0x34, 0x12}},
    {"inc b", {0x04}},
    {"ld b,12h", {0x06, 0x12}},
    {"ex af,af'", {0x08}},
    {"add hl,bc", {0x09}},
    {"ld a,(bc)", {0x0A}},
    {"djnz 8000h", {0x10, 0xFE}},
    {"ld de,0ABCDh", {0x11, 0xCD, 0xAB}},
    {"jr 8081h", {0x18, 0x7F}},
    {"jr 7F82h", {0x18, 0x80}},
    {"ld a,(de)", {0x1A}},
    {"jr nz,8010h", {0x20, 0x0E}},
    {"ld hl,9D95h", {0x21, 0x95, 0x9D}},
    {"ld (86D7h),hl", {0x22, 0xD7, 0x86}},
    {"ld hl,(1234h)", {0x2A, 0x34, 0x12}},
    {"jr nc,7FF0h", {0x30, 0xEE}},
    {"ld sp,0FFFFh", {0x31, 0xFF, 0xFF}},
    {"ld (1234h),a", {0x32, 0x34, 0x12}},
    {"inc sp", {0x33}},
    {"inc (hl)", {0x34}},
    {"dec (hl)", {0x35}},
    {"ld (hl),0FFh", {0x36, 0xFF}},
    {"jr c,8000h", {0x38, 0xFE}},
    {"ld a,(1234h)", {0x3A, 0x34, 0x12}},
    {"ld a,0", {0x3E, 0x00}},
    {"ld b,c", {0x41}},
    {"ld d,(hl)", {0x56}},
    {"ld (hl),b", {0x70}},
    {"halt", {0x76}},
    {"ld a,(hl)", {0x7E}},
    {"add a,b", {0x80}},
    {"adc a,(hl)", {0x8E}},
    {"sub c", {0x91}},
    {"xor a", {0xAF}},
    {"or (hl)", {0xB6}},
    {"ret nz", {0xC0}},
    {"pop bc", {0xC1}},
    {"jp nz,1234h", {0xC2, 0x34, 0x12}},
    {"jp 9D95h", {0xC3, 0x95, 0x9D}},
    {"call nz,4561h", {0xC4, 0x61, 0x45}},
    {"push bc", {0xC5}},
    {"add a,12h", {0xC6, 0x12}},
    {"rst 0", {0xC7}},
    {"ret z", {0xC8}},
    {"ret", {0xC9}},
    {"call 4561h", {0xCD, 0x61, 0x45}},
    {"adc a,80h", {0xCE, 0x80}},
    {"rst 8", {0xCF}},
    {"out (10h),a", {0xD3, 0x10}},
    {"exx", {0xD9}},
    {"in a,(1)", {0xDB, 0x01}},
    {"sbc a,7", {0xDE, 0x07}},
    {"ret po", {0xE0}},
    {"ex (sp),hl", {0xE3}},
    {"and 0Fh", {0xE6, 0x0F}},
    {"jp (hl)", {0xE9}},
    {"ex de,hl", {0xEB}},
    {"rst 28h", {0xEF}},
    {"di", {0xF3}},
    {"push af", {0xF5}},
    {"ld sp,hl", {0xF9}},
    {"call m,0", {0xFC, 0x00, 0x00}},
    {"cp 0FEh", {0xFE, 0xFE}},
    {"rst 38h", {0xFF}},
};

const std::vector<Row> kCbPage{
    {"rlc b", {0xCB, 0x00}},   {"rrc (hl)", {0xCB, 0x0E}},   {"rl c", {0xCB, 0x11}},
    {"rr a", {0xCB, 0x1F}},    {"sla d", {0xCB, 0x22}},      {"sra e", {0xCB, 0x2B}},
    {"sll h", {0xCB, 0x34}},   {"srl l", {0xCB, 0x3D}},      {"bit 0,b", {0xCB, 0x40}},
    {"bit 7,a", {0xCB, 0x7F}}, {"bit 3,(hl)", {0xCB, 0x5E}}, {"res 0,(hl)", {0xCB, 0x86}},
    {"res 5,c", {0xCB, 0xA9}}, {"set 1,d", {0xCB, 0xCA}},    {"set 7,(hl)", {0xCB, 0xFE}},
};

const std::vector<Row> kEdPage{
    {"in b,(c)", {0xED, 0x40}},
    {"out (c),b", {0xED, 0x41}},
    {"sbc hl,bc", {0xED, 0x42}},
    {"ld (1234h),bc", {0xED, 0x43, 0x34, 0x12}},
    {"neg", {0xED, 0x44}},
    {"retn", {0xED, 0x45}},
    {"im 0", {0xED, 0x46}},
    {"ld i,a", {0xED, 0x47}},
    {"adc hl,bc", {0xED, 0x4A}},
    {"ld bc,(1234h)", {0xED, 0x4B, 0x34, 0x12}},
    {"reti", {0xED, 0x4D}},
    {"ld r,a", {0xED, 0x4F}},
    {"im 1", {0xED, 0x56}},
    {"ld a,i", {0xED, 0x57}},
    {"im 2", {0xED, 0x5E}},
    {"ld a,r", {0xED, 0x5F}},
    {"out (c),h", {0xED, 0x61}},
    {"rrd", {0xED, 0x67}},
    {"rld", {0xED, 0x6F}},
    {"sbc hl,sp", {0xED, 0x72}},
    {"ld (1234h),sp", {0xED, 0x73, 0x34, 0x12}},
    {"in f,(c)", {0xED, 0x70}},
    {"out (c),0", {0xED, 0x71}},
    {"in a,(c)", {0xED, 0x78}},
    {"adc hl,sp", {0xED, 0x7A}},
    {"ld sp,(1234h)", {0xED, 0x7B, 0x34, 0x12}},
    {"ldi", {0xED, 0xA0}},
    {"ldd", {0xED, 0xA8}},
    {"ldir", {0xED, 0xB0}},
    {"lddr", {0xED, 0xB8}},
    {"otdr", {0xED, 0xBB}},
};

const std::vector<Row> kDdPage{
    {"add ix,bc", {0xDD, 0x09}},
    {"ld ix,1234h", {0xDD, 0x21, 0x34, 0x12}},
    {"ld (1234h),ix", {0xDD, 0x22, 0x34, 0x12}},
    {"inc ix", {0xDD, 0x23}},
    {"add ix,ix", {0xDD, 0x29}},
    {"ld ix,(1234h)", {0xDD, 0x2A, 0x34, 0x12}},
    {"inc (ix+5)", {0xDD, 0x34, 0x05}},
    {"dec (ix-1)", {0xDD, 0x35, 0xFF}},
    {"ld (ix+2),0AAh", {0xDD, 0x36, 0x02, 0xAA}},
    {"add ix,sp", {0xDD, 0x39}},
    {"ld b,(ix+127)", {0xDD, 0x46, 0x7F}},
    {"ld h,(ix-128)", {0xDD, 0x66, 0x80}},
    {"ld l,(ix)", {0xDD, 0x6E, 0x00}},
    {"ld (ix+3),h", {0xDD, 0x74, 0x03}},
    {"ld (ix+3),a", {0xDD, 0x77, 0x03}},
    {"ld a,(ix+5)", {0xDD, 0x7E, 0x05}},
    {"add a,(ix+1)", {0xDD, 0x86, 0x01}},
    {"sub (ix+1)", {0xDD, 0x96, 0x01}},
    {"cp (ix-2)", {0xDD, 0xBE, 0xFE}},
    {"pop ix", {0xDD, 0xE1}},
    {"ex (sp),ix", {0xDD, 0xE3}},
    {"push ix", {0xDD, 0xE5}},
    {"jp (ix)", {0xDD, 0xE9}},
    {"ld sp,ix", {0xDD, 0xF9}},
    {"ld ixh,12h", {0xDD, 0x26, 0x12}},
    {"inc ixl", {0xDD, 0x2C}},
    {"ld b,ixh", {0xDD, 0x44}},
    {"ld ixl,a", {0xDD, 0x6F}},
    {"ld ixh,ixl", {0xDD, 0x65}},
    {"sub ixl", {0xDD, 0x95}},
    {"cp ixh", {0xDD, 0xBC}},
};

const std::vector<Row> kFdPage{
    {"add iy,bc", {0xFD, 0x09}},
    {"ld iy,89F0h", {0xFD, 0x21, 0xF0, 0x89}},
    {"ld (1234h),iy", {0xFD, 0x22, 0x34, 0x12}},
    {"inc iy", {0xFD, 0x23}},
    {"add iy,iy", {0xFD, 0x29}},
    {"ld iy,(1234h)", {0xFD, 0x2A, 0x34, 0x12}},
    {"dec (iy+5)", {0xFD, 0x35, 0x05}},
    {"ld (iy-2),7", {0xFD, 0x36, 0xFE, 0x07}},
    {"add iy,sp", {0xFD, 0x39}},
    {"ld e,(iy+20)", {0xFD, 0x5E, 0x14}},
    {"ld (iy+0),c", {0xFD, 0x71, 0x00}},
    {"xor (iy+35)", {0xFD, 0xAE, 0x23}},
    {"pop iy", {0xFD, 0xE1}},
    {"ex (sp),iy", {0xFD, 0xE3}},
    {"push iy", {0xFD, 0xE5}},
    {"jp (iy)", {0xFD, 0xE9}},
    {"ld sp,iy", {0xFD, 0xF9}},
    {"dec iyh", {0xFD, 0x25}},
    {"ld iyl,iyh", {0xFD, 0x6C}},
    {"and iyl", {0xFD, 0xA5}},
};

const std::vector<Row> kDdcbPage{
    {"rlc (ix+1)", {0xDD, 0xCB, 0x01, 0x06}},
    {"rrc (ix-1)", {0xDD, 0xCB, 0xFF, 0x0E}},
    {"rl (ix+2)", {0xDD, 0xCB, 0x02, 0x16}},
    {"rr (ix)", {0xDD, 0xCB, 0x00, 0x1E}},
    {"sla (ix+4)", {0xDD, 0xCB, 0x04, 0x26}},
    {"sra (ix+5)", {0xDD, 0xCB, 0x05, 0x2E}},
    {"sll (ix+6)", {0xDD, 0xCB, 0x06, 0x36}},
    {"srl (ix+7)", {0xDD, 0xCB, 0x07, 0x3E}},
    {"bit 0,(ix+8)", {0xDD, 0xCB, 0x08, 0x46}},
    {"bit 7,(ix-128)", {0xDD, 0xCB, 0x80, 0x7E}},
    {"res 3,(ix+9)", {0xDD, 0xCB, 0x09, 0x9E}},
    {"set 6,(ix+127)", {0xDD, 0xCB, 0x7F, 0xF6}},
    // The undocumented forms that also copy the result into a register.
    {"rlc b,(ix+5)", {0xDD, 0xCB, 0x05, 0x00}},
    {"sll a,(ix-1)", {0xDD, 0xCB, 0xFF, 0x37}},
    {"srl l,(ix)", {0xDD, 0xCB, 0x00, 0x3D}},
    {"res 2,(ix+5),a", {0xDD, 0xCB, 0x05, 0x97}},
    {"set 0,(ix+3),c", {0xDD, 0xCB, 0x03, 0xC1}},
};

const std::vector<Row> kFdcbPage{
    {"rlc (iy+1)", {0xFD, 0xCB, 0x01, 0x06}},    {"srl (iy-3)", {0xFD, 0xCB, 0xFD, 0x3E}},
    {"bit 1,(iy+5)", {0xFD, 0xCB, 0x05, 0x4E}},  {"bit 7,(iy-2)", {0xFD, 0xCB, 0xFE, 0x7E}},
    {"res 1,(iy+33)", {0xFD, 0xCB, 0x21, 0x8E}}, {"set 7,(iy+20)", {0xFD, 0xCB, 0x14, 0xFE}},
    {"rr d,(iy+7)", {0xFD, 0xCB, 0x07, 0x1A}},   {"set 3,(iy-2),a", {0xFD, 0xCB, 0xFE, 0xDF}},
};

struct Page {
    const char* name;
    const std::vector<Row>* rows;
};

class OpcodePage : public ::testing::TestWithParam<Page> {};

TEST_P(OpcodePage, AssemblesToTheBytesTheDisassemblerReadsBack) {
    for (const Row& row : *GetParam().rows) {
        SCOPED_TRACE(row.source);
        const Encoding encoding = encodeLine(row.source);
        EXPECT_TRUE(encoding.errors.empty()) << encoding.errors.front();
        EXPECT_EQ(hex(encoding.bytes), hex(row.bytes));
        const Disassembly back = disassemble(row.bytes);
        EXPECT_EQ(back.text, canonical(row.source));
        EXPECT_EQ(back.length, row.bytes.size());
    }
}

// The first pass knows no values: the length must come out the same all the same.
TEST_P(OpcodePage, LengthDoesNotDependOnValues) {
    for (const Row& row : *GetParam().rows) {
        SCOPED_TRACE(row.source);
        const Encoding firstPass = encodeLine(row.source, kOrigin, evaluateUnknown);
        EXPECT_TRUE(firstPass.errors.empty());
        EXPECT_EQ(firstPass.bytes.size(), row.bytes.size());
    }
}

INSTANTIATE_TEST_SUITE_P(Z80, OpcodePage,
                         ::testing::Values(Page{"plain", &kPlainPage}, Page{"cb", &kCbPage},
                                           Page{"ed", &kEdPage}, Page{"dd", &kDdPage},
                                           Page{"fd", &kFdPage}, Page{"ddcb", &kDdcbPage},
                                           Page{"fdcb", &kFdcbPage}),
                         [](const auto& row) { return std::string(row.param.name); });

// The ways source is written: letter case, spaces, expressions, symbols, the two-operand
// spelling of the 8-bit operations, parentheses that do or do not make an operand indirect.
TEST(Z80Spellings, AssembleAsTheirUsualForm) {
    const std::vector<Row> rows{
        {"LD HL,1234h", {0x21, 0x34, 0x12}},
        {"Ld A , ( Ix + 5 )", {0xDD, 0x7E, 0x05}},
        {"ld a,( iy - 2 )", {0xFD, 0x7E, 0xFE}},
        {"ld (IX+2+3),1", {0xDD, 0x36, 0x05, 0x01}},
        {"ld (ix-2+10),a", {0xDD, 0x77, 0x08}},
        {"EX AF,AF'", {0x08}},
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
        {"rst 0x28", {0xEF}},
        {"jp $9D95", {0xC3, 0x95, 0x9D}},
        {"jr C,8000h", {0x38, 0xFE}},
        {"ret C", {0xD8}},
        {"djnz 8000h+1", {0x10, 0xFF}},
        {"in (c)", {0xED, 0x70}},
        {"IN F,(C)", {0xED, 0x70}},
        {"sl1 b", {0xCB, 0x30}},
        {"SL1 e,(iy+2)", {0xFD, 0xCB, 0x02, 0x33}},
        {"out (c),1-1", {0xED, 0x71}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.source);
        const Encoding encoding = encodeLine(row.source);
        EXPECT_TRUE(encoding.errors.empty()) << encoding.errors.front();
        EXPECT_EQ(hex(encoding.bytes), hex(row.bytes));
    }
}

// Forward references in the first pass: zeros in place of values, no range errors, and the
// same length the second pass will give.
TEST(Z80FirstPass, UnknownValuesEncodeAsZeros) {
    const std::vector<Row> rows{
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
        const Encoding encoding = encodeLine(row.source, 0);
        EXPECT_TRUE(encoding.errors.empty()) << encoding.errors.front();
        EXPECT_EQ(hex(encoding.bytes), hex(row.bytes));
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
