#include "z80_test_support.h"

#include <array>
#include <ascii.h>
#include <cctype>
#include <cstdio>
#include <map>
#include <optional>
#include <regex>
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

struct Parser {
    std::string_view s;
    std::size_t pos = 0;
    bool known = true;

    void skipSpace() {
        while (pos < s.size() && s[pos] == ' ') {
            ++pos;
        }
    }

    // A number (decimal, or hexadecimal as 0x.. or ..h), a character literal or a symbol.
    std::optional<std::int64_t> atom() {
        if (s[pos] == '\'' && pos + 2 < s.size() && s[pos + 2] == '\'') {
            pos += 3;
            return static_cast<unsigned char>(s[pos - 2]);
        }
        std::size_t end = pos;
        while (end < s.size() &&
               (std::isalnum(static_cast<unsigned char>(s[end])) != 0 || s[end] == '_')) {
            ++end;
        }
        std::string word(s.substr(pos, end - pos));
        for (char& c : word) {
            c = ascii::toUpper(c);
        }
        pos = end;
        if (!word.empty() && std::isdigit(static_cast<unsigned char>(word[0])) != 0) {
            const bool suffix = word.back() == 'H';
            const bool hexadecimal = suffix || word.rfind("0X", 0) == 0;
            std::size_t used = 0;
            const std::int64_t value = std::stoll(word, &used, hexadecimal ? 16 : 10);
            return used + (suffix ? 1 : 0) == word.size() ? std::optional(value) : std::nullopt;
        }
        static const std::map<std::string, std::int64_t> kSymbols{
            {"LABEL", 0x9D95}, {"IXTABLE", 0x4000}, {"FWD", 0}};
        const auto it = kSymbols.find(word);
        if (it == kSymbols.end()) {
            return std::nullopt;
        }
        known = known && word != "FWD";
        return it->second;
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
        if (c != '(') {
            return atom();
        }
        ++pos;
        const auto v = sum();
        skipSpace();
        if (!v || pos >= s.size() || s[pos] != ')') {
            return std::nullopt;
        }
        ++pos;
        return v;
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

std::string canonical(std::string text) {
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
    // "(IX+-2)" -> "(IX-2)", "(IX+0)" -> "(IX)".
    text = std::regex_replace(text, std::regex(R"(\+-)"), "-");
    text = std::regex_replace(text, std::regex(R"(\+0\))"), ")");
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

Encoding encodeLine(std::string_view line, std::uint16_t address, const Evaluate& evaluator) {
    line = trim(line);
    const std::size_t space = line.find_first_of(" \t");
    std::vector<std::string> operands;
    const std::string_view rest = space == std::string_view::npos ? "" : trim(line.substr(space));
    int depth = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == ',' && depth == 0) {
            operands.emplace_back(trim(rest.substr(start, i - start)));
            start = i + 1;
        } else if (rest[i] == '(' || rest[i] == ')') {
            depth += rest[i] == '(' ? 1 : -1;
        } else if (rest[i] == '\'' && i + 2 < rest.size() && rest[i + 2] == '\'') {
            i += 2;
        }
    }
    if (space != std::string_view::npos) {
        operands.emplace_back(trim(rest.substr(start)));
    }
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
