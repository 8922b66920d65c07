#include "z80_test_support.h"

#include <array>
#include <cstdio>
#include <expression.h>
#include <lexer.h>
#include <map>
#include <regex>
#include <z80ex/z80ex_dasm.h>

namespace corvane::z80::test {

namespace {

Z80EX_BYTE readByte(Z80EX_WORD address, void* user) {
    const auto* image = static_cast<const std::pair<const Bytes*, std::uint16_t>*>(user);
    const std::size_t offset = static_cast<std::uint16_t>(address - image->second);
    return offset < image->first->size() ? (*image->first)[offset] : 0;
}

std::string canonical(std::string text) {
    static const std::map<std::string, std::string, std::less<>> kSpellings{
        {"IN_F (C)", "IN F,(C)"}, {"LD_A_I", "LD A,I"}, {"LD_A_R", "LD A,R"}, {"LD_R_A", "LD R,A"},
        {"JP HL", "JP (HL)"},     {"JP IX", "JP (IX)"}, {"JP IY", "JP (IY)"}};
    if (const auto usual = kSpellings.find(text); usual != kSpellings.end()) {
        text = usual->second;
    }
    // "RST 0x28" -> "RST 028h", "(IX+-2)" -> "(IX-2)", "(IX+0)" -> "(IX)".
    static const std::regex kHex("0x([0-9A-F]+)");
    static const std::regex kMinus(R"(\+-)");
    static const std::regex kZero(R"(\+0\))");
    text = std::regex_replace(
        std::regex_replace(std::regex_replace(text, kHex, "0$1h"), kMinus, "-"), kZero, ")");
    // The DDCB/FDCB forms that also copy the result into a register read "LD B,RLC (IX+5)"
    // and "LD A,SET 3,(IY-2)"; the source writes them "RLC B,(IX+5)" and "SET 3,(IY-2),A".
    static const std::regex kCopy("LD ([A-Z]+),(RLC|RRC|RL|RR|SLA|SRA|SLL|SRL|RES|SET) (.*)");
    std::smatch copy;
    if (std::regex_match(text, copy, kCopy)) {
        const std::string target = copy[1];
        const std::string rest = copy[3];
        text = copy[2].str() + " " +
               (rest.find(',') == std::string::npos ? target + "," + rest : rest + "," + target);
    }
    return text;
}

} // namespace

Value evaluate(std::string_view expression) {
    static const asm83::SymbolTable symbols;
    static const asm83::CharMap map = asm83::identityCharMap();
    return asm83::evaluateExpression(
        expression, asm83::ExpressionContext{symbols, kOrigin, false, map, nullptr});
}

Value evaluateUnknown(std::string_view) {
    Value value;
    value.known = false;
    return value;
}

Encoding encodeLine(std::string_view line, std::uint16_t address, const Evaluate& evaluator) {
    line = asm83::trim(line);
    const std::size_t space = line.find_first_of(" \t");
    std::vector<std::string_view> split;
    if (space != std::string_view::npos) {
        asm83::splitOperands(line.substr(space), split);
    }
    const std::vector<std::string> operands(split.begin(), split.end());
    return encodeInstruction(line.substr(0, space), operands, address, evaluator);
}

Disassembly disassemble(const Bytes& bytes, std::uint16_t address) {
    std::pair<const Bytes*, std::uint16_t> image{&bytes, address};
    std::array<char, 128> text{};
    int states = 0;
    int states2 = 0;
    const int length = z80ex_dasm(text.data(), static_cast<int>(text.size()), WORDS_DEC | BYTES_DEC,
                                  &states, &states2, readByte, address, &image);
    // libz80ex counts DDCB and FDCB instructions one byte too long.
    const bool indexedBit =
        bytes.size() >= 2 && (bytes[0] == 0xDD || bytes[0] == 0xFD) && bytes[1] == 0xCB;
    return {canonical(text.data()), static_cast<std::size_t>(indexedBit ? 4 : length)};
}

std::string hex(const Bytes& bytes) {
    std::string out;
    for (std::uint8_t b : bytes) {
        std::array<char, 4> cell{};
        std::snprintf(cell.data(), cell.size(), "%02X", b);
        out += (out.empty() ? "" : " ") + std::string(cell.data());
    }
    return out;
}

} // namespace corvane::z80::test
