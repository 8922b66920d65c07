#include "z80_test_support.h"

#include <array>
#include <ascii.h>
#include <cctype>
#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <z80ex/z80ex_dasm.h>

namespace corvane::z80::test {

namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) {
        s.remove_prefix(1);
    }
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) {
        s.remove_suffix(1);
    }
    return s;
}

std::string upper(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        c = ascii::toUpper(c);
    }
    return out;
}

bool isHexDigit(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}
bool isAlnum(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0;
}

// Reads one number token at `pos`; returns nothing when there is none.
std::optional<std::int64_t> readNumber(std::string_view s, std::size_t& pos) {
    const std::size_t start = pos;
    int base = 10;
    if (s[pos] == '#' || s[pos] == '$') {
        base = 16;
        ++pos;
    } else if (!std::isdigit(static_cast<unsigned char>(s[pos]))) {
        return std::nullopt;
    }
    std::size_t end = pos;
    while (end < s.size() && isAlnum(s[end])) {
        ++end;
    }
    std::string digits(s.substr(pos, end - pos));
    if (base == 10 && digits.size() > 2 && (digits[1] == 'x' || digits[1] == 'X')) {
        digits = digits.substr(2);
        base = 16;
    } else if (base == 10 && !digits.empty() && (digits.back() == 'h' || digits.back() == 'H')) {
        digits.pop_back();
        base = 16;
    }
    if (digits.empty()) {
        pos = start;
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (char c : digits) {
        if (base == 16 ? !isHexDigit(c) : !std::isdigit(static_cast<unsigned char>(c))) {
            pos = start;
            return std::nullopt;
        }
        const int digit =
            std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : ascii::toUpper(c) - 'A' + 10;
        value = value * base + digit;
    }
    pos = end;
    return value;
}

struct Parser {
    std::string_view s;
    std::size_t pos = 0;
    bool known = true;

    void skipSpace() {
        while (pos < s.size() && s[pos] == ' ') {
            ++pos;
        }
    }

    std::optional<std::int64_t> term() {
        skipSpace();
        if (pos >= s.size()) {
            return std::nullopt;
        }
        const char c = s[pos];
        if (c == '+' || c == '-') {
            ++pos;
            const auto v = term();
            return v ? std::optional(c == '-' ? -*v : *v) : std::nullopt;
        }
        if (c == '(') {
            ++pos;
            const auto v = sum();
            skipSpace();
            if (!v || pos >= s.size() || s[pos] != ')') {
                return std::nullopt;
            }
            ++pos;
            return v;
        }
        if (c == '\'' && pos + 2 < s.size() && s[pos + 2] == '\'') {
            pos += 3;
            return static_cast<unsigned char>(s[pos - 2]);
        }
        if (auto number = readNumber(s, pos)) {
            return number;
        }
        std::size_t end = pos;
        while (end < s.size() && (isAlnum(s[end]) || s[end] == '_')) {
            ++end;
        }
        static const std::map<std::string, std::int64_t> kSymbols{
            {"LABEL", 0x9D95}, {"IXTABLE", 0x4000}, {"FWD", 0}};
        const auto it = kSymbols.find(upper(s.substr(pos, end - pos)));
        if (end == pos || it == kSymbols.end()) {
            return std::nullopt;
        }
        pos = end;
        known = known && it->first != "FWD";
        return it->second;
    }

    std::optional<std::int64_t> sum() {
        auto total = term();
        for (skipSpace(); total && pos < s.size() && (s[pos] == '+' || s[pos] == '-');
             skipSpace()) {
            const char op = s[pos++];
            const auto next = term();
            if (!next) {
                return std::nullopt;
            }
            *total += op == '+' ? *next : -*next;
        }
        return total;
    }
};

Z80EX_BYTE readByte(Z80EX_WORD address, void* user) {
    const auto* image = static_cast<const std::pair<const Bytes*, std::uint16_t>*>(user);
    const std::size_t offset = static_cast<std::uint16_t>(address - image->second);
    return offset < image->first->size() ? (*image->first)[offset] : 0;
}

// Rewrites every number token of one operand in decimal.
std::string decimalNumbers(std::string_view operand) {
    std::string out;
    for (std::size_t pos = 0; pos < operand.size();) {
        const bool wordStart = pos == 0 || !isAlnum(operand[pos - 1]);
        if (wordStart) {
            if (const auto v = readNumber(operand, pos)) {
                out += std::to_string(*v);
                continue;
            }
        }
        out += operand[pos++];
    }
    return out;
}

// "(IX+4294967294)" -> "(IX-2)", "(IX+0)" -> "(IX)".
std::string signedDisplacement(const std::string& operand) {
    if (operand.size() < 5 || operand.front() != '(' || operand.back() != ')' ||
        (operand.compare(1, 2, "IX") != 0 && operand.compare(1, 2, "IY") != 0) ||
        (operand[3] != '+' && operand[3] != '-')) {
        return operand;
    }
    std::int64_t d = std::stoll(operand.substr(4, operand.size() - 5));
    if (d >= 0x80000000LL) {
        d -= 0x100000000LL;
    }
    if (operand[3] == '-') {
        d = -d;
    }
    const std::string base = operand.substr(0, 3);
    if (d == 0) {
        return base + ")";
    }
    return base + (d < 0 ? "-" : "+") + std::to_string(d < 0 ? -d : d) + ")";
}

} // namespace

Value evaluate(std::string_view expression) {
    Parser parser{expression};
    const auto v = parser.sum();
    parser.skipSpace();
    Value value;
    if (!v || parser.pos != expression.size()) {
        value.ok = false;
        value.error = "cannot evaluate '" + std::string(expression) + "'";
        return value;
    }
    value.known = parser.known;
    value.number = parser.known ? *v : 0;
    return value;
}

Value evaluateUnknown(std::string_view) {
    Value value;
    value.known = false;
    return value;
}

SourceLine splitLine(std::string_view line) {
    line = trim(line);
    SourceLine out;
    const std::size_t space = line.find_first_of(" \t");
    out.mnemonic = std::string(line.substr(0, space));
    if (space == std::string_view::npos) {
        return out;
    }
    const std::string_view rest = trim(line.substr(space));
    int depth = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= rest.size(); ++i) {
        if (i == rest.size() || (rest[i] == ',' && depth == 0)) {
            out.operands.emplace_back(trim(rest.substr(start, i - start)));
            start = i + 1;
        } else if (rest[i] == '(') {
            ++depth;
        } else if (rest[i] == ')') {
            --depth;
        } else if (rest[i] == '\'' && i + 2 < rest.size() && rest[i + 2] == '\'') {
            i += 2;
        }
    }
    return out;
}

Encoding encodeLine(std::string_view line, std::uint16_t address, const Evaluate& evaluator) {
    const SourceLine source = splitLine(line);
    return encodeInstruction(source.mnemonic, source.operands, address, evaluator);
}

Disassembly disassemble(const Bytes& bytes, std::uint16_t address) {
    std::pair<const Bytes*, std::uint16_t> image{&bytes, address};
    std::array<char, 128> text{};
    int states = 0;
    int states2 = 0;
    const int length = z80ex_dasm(text.data(), static_cast<int>(text.size()), 0, &states, &states2,
                                  readByte, address, &image);
    // libz80ex counts DDCB and FDCB instructions one byte too long.
    const bool indexedBit =
        bytes.size() >= 2 && (bytes[0] == 0xDD || bytes[0] == 0xFD) && bytes[1] == 0xCB;
    return {canonical(text.data()), static_cast<std::size_t>(indexedBit ? 4 : length)};
}

std::string canonical(std::string_view instruction) {
    std::string text = upper(trim(instruction));
    static const std::array<std::pair<std::string_view, std::string_view>, 7> kSpellings{{
        {"IN_F (C)", "IN F,(C)"},
        {"LD_A_I", "LD A,I"},
        {"LD_A_R", "LD A,R"},
        {"LD_R_A", "LD R,A"},
        {"JP HL", "JP (HL)"},
        {"JP IX", "JP (IX)"},
        {"JP IY", "JP (IY)"},
    }};
    for (const auto& [odd, usual] : kSpellings) {
        if (text == odd) {
            text = usual;
        }
    }
    SourceLine line = splitLine(text);
    // The DDCB/FDCB forms that also copy the result into a register read "LD B,RLC (IX+5)"
    // and "LD A,SET 3,(IY-2)"; the source writes them "RLC B,(IX+5)" and "SET 3,(IY-2),A".
    static const std::set<std::string, std::less<>> kCbMnemonics{"RLC", "RRC", "RL",  "RR",  "SLA",
                                                                 "SRA", "SLL", "SRL", "RES", "SET"};
    if (line.mnemonic == "LD" && line.operands.size() >= 2) {
        const std::string& inner = line.operands[1];
        const std::size_t space = inner.find(' ');
        if (space != std::string::npos && kCbMnemonics.count(inner.substr(0, space)) != 0) {
            const std::string target = line.operands[0];
            const std::string rest(trim(std::string_view(inner).substr(space)));
            SourceLine copy{inner.substr(0, space), {}};
            if (line.operands.size() == 2) {
                copy.operands = {target, rest};
            } else {
                copy.operands = {rest, line.operands[2], target};
            }
            line = copy;
        }
    }
    std::string out = line.mnemonic;
    for (std::size_t i = 0; i < line.operands.size(); ++i) {
        std::string operand;
        for (char c : line.operands[i]) {
            if (c != ' ' && c != '\t') {
                operand += c;
            }
        }
        out += (i == 0 ? " " : ",") + signedDisplacement(decimalNumbers(operand));
    }
    return out;
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
