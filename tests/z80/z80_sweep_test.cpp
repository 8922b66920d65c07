// Every opcode of every page, read by libz80ex's disassembler, assembled again from that text
// (in upper and lower case, and with no value known, as in the first pass): the documented
// instructions and the undocumented forms the encoder takes must give back their own bytes, and
// the processor's duplicate encodings (a second NEG, BIT on (ix+d) with a register field) the
// usual encoding of the same instruction. The first pass must give the same length. Then the
// encoder rules the sweep does not see. The spellings the disassembler never writes are in the
// assembler's corpus (spellings.asm), as are the messages of refused instructions.
#include "z80_test_support.h"

#include <ascii.h>
#include <gtest/gtest.h>
#include <set>

namespace corvane::z80::test {
namespace {

struct SweepPage {
    const char* name;
    Bytes prefix;             // bytes before the opcode; for DDCB/FDCB the displacement follows
    bool displacementFirst;   // DD CB d op
    std::set<int> duplicates; // opcodes that repeat an instruction found elsewhere on the page
    std::size_t exact;        // opcodes that must come back byte for byte
};

std::set<int> indexedBitDuplicates() {
    std::set<int> out;
    for (int op = 0x40; op < 0x80; ++op) {
        if ((op & 7) != 6) {
            out.insert(op);
        }
    }
    return out;
}

const std::set<int> kEdDuplicates{
    0x4C, 0x54, 0x5C, 0x64, 0x6C, 0x74, 0x7C, // neg
    0x55, 0x65, 0x75, 0x5D, 0x6D, 0x7D,       // retn, reti
    0x4E, 0x66, 0x6E, 0x76, 0x7E,             // im
    0x63, 0x6B}; // ld (nn),hl and ld hl,(nn), shorter on the plain page

bool isIndexPage(const SweepPage& page) {
    return page.prefix.size() == 1 && (page.prefix[0] == 0xDD || page.prefix[0] == 0xFD);
}

// Prefix bytes in the opcode place start instructions of another page, swept on their own.
bool isPrefix(const SweepPage& page, int opcode) {
    if (page.prefix.empty()) {
        return opcode == 0xCB || opcode == 0xDD || opcode == 0xED || opcode == 0xFD;
    }
    return isIndexPage(page) && opcode == 0xCB;
}

Bytes instructionBytes(const SweepPage& page, int opcode, std::uint8_t first, std::uint8_t second) {
    Bytes bytes = page.prefix;
    if (page.displacementFirst) {
        bytes.push_back(first);
        bytes.push_back(static_cast<std::uint8_t>(opcode));
    } else {
        bytes.push_back(static_cast<std::uint8_t>(opcode));
        bytes.push_back(first);
        bytes.push_back(second);
    }
    return bytes;
}

class EveryOpcode : public ::testing::TestWithParam<SweepPage> {};

TEST_P(EveryOpcode, AssemblesBackFromItsDisassembly) {
    const SweepPage& page = GetParam();
    // Operand bytes that make displacements and jumps go both ways, to their ends and nowhere.
    for (const auto& [first, second] :
         {std::pair{0x34, 0x12}, std::pair{0xFE, 0x80}, std::pair{0x7F, 0xFF},
          std::pair{0x80, 0x7F}, std::pair{0x00, 0x00}}) {
        std::size_t exact = 0;
        for (int opcode = 0; opcode < 256; ++opcode) {
            const Bytes bytes = instructionBytes(page, opcode, static_cast<std::uint8_t>(first),
                                                 static_cast<std::uint8_t>(second));
            const Disassembly read = disassemble(bytes);
            if (read.text == "NOP*" || isPrefix(page, opcode)) {
                continue;
            }
            SCOPED_TRACE(hex(bytes) + "  " + read.text);
            // A DD or FD prefix on an instruction without hl does nothing: the instruction
            // proper starts one byte later.
            const bool idlePrefix = isIndexPage(page) &&
                                    read.text.find("IX") == std::string::npos &&
                                    read.text.find("IY") == std::string::npos;
            const std::uint16_t address = idlePrefix ? kOrigin + 1 : kOrigin;
            const Encoding encoding = encodeLine(read.text, address);
            ASSERT_TRUE(encoding.errors.empty()) << encoding.errors.front();
            std::string lowerCase = read.text;
            for (char& c : lowerCase) {
                c = ascii::toLower(c);
            }
            EXPECT_EQ(encodeLine(lowerCase, address).bytes, encoding.bytes);
            const Encoding firstPass = encodeLine(read.text, address, evaluateUnknown);
            EXPECT_TRUE(firstPass.errors.empty());
            EXPECT_EQ(firstPass.bytes.size(), encoding.bytes.size());
            Bytes expected(bytes.begin() + (idlePrefix ? 1 : 0),
                           bytes.begin() + static_cast<long>(read.length));
            if (encoding.bytes == expected) {
                ++exact;
                continue;
            }
            EXPECT_TRUE(page.duplicates.count(opcode)) << "assembled as " << hex(encoding.bytes);
            EXPECT_EQ(disassemble(encoding.bytes, address).text, read.text);
        }
        EXPECT_EQ(exact, page.exact);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Z80, EveryOpcode,
    ::testing::Values(SweepPage{"plain", {}, false, {}, 252},
                      SweepPage{"cb", {0xCB}, false, {}, 256},
                      SweepPage{"ed", {0xED}, false, kEdDuplicates, 58},
                      SweepPage{"dd", {0xDD}, false, {}, 252},
                      SweepPage{"fd", {0xFD}, false, {}, 252},
                      SweepPage{"ddcb", {0xDD, 0xCB}, true, indexedBitDuplicates(), 200},
                      SweepPage{"fdcb", {0xFD, 0xCB}, true, indexedBitDuplicates(), 200}),
    [](const auto& row) { return std::string(row.param.name); });

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
    EXPECT_EQ(encodeLine("ldirx").errors, std::vector<std::string>{"unknown instruction 'ldirx'"});
}

} // namespace
} // namespace corvane::z80::test
