#include "z80_operand.h"

#include "ascii.h"

#include <array>

namespace corvane::z80 {

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isSpace(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && isSpace(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

template <std::size_t N>
int indexOf(std::string_view text, const std::array<std::string_view, N>& words) {
    if (text.empty() || text.size() > 2) {
        return -1;
    }
    for (std::size_t i = 0; i < N; ++i) {
        if (ascii::equalsIgnoringCase(text, words[i])) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

constexpr std::array<std::string_view, 8> kReg8{"b", "c", "d", "e", "h", "l", "", "a"};
constexpr std::array<std::string_view, 4> kReg16{"bc", "de", "hl", "sp"};
constexpr std::array<std::string_view, 8> kConditions{"nz", "z", "nc", "c", "po", "pe", "p", "m"};

// True when the whole text is one parenthesised group: "(a)+(b)" is not. Parentheses inside
// string and character literals do not count.
bool isWrapped(std::string_view s) {
    if (s.size() < 2 || s.front() != '(' || s.back() != ')') {
        return false;
    }
    int depth = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '\'' || c == '"') {
            const std::size_t close = s.find(c, i + 1);
            if (close == std::string_view::npos) {
                return false;
            }
            i = close;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')') {
            --depth;
            if (depth == 0 && i + 1 != s.size()) {
                return false;
            }
        }
    }
    return depth == 0;
}

std::uint8_t indexPrefix(std::string_view name) {
    if (ascii::equalsIgnoringCase(name, "ix")) {
        return kPrefixIX;
    }
    if (ascii::equalsIgnoringCase(name, "iy")) {
        return kPrefixIY;
    }
    return 0;
}

// "(ix)", "(ix+d)", "(ix - d)": the inside starts with ix or iy and then ends or goes on with a
// sign, so "(ixtable)" stays a memory operand.
bool classifyIndexed(std::string_view inside, Operand& op) {
    if (inside.size() < 2) {
        return false;
    }
    const std::uint8_t prefix = indexPrefix(inside.substr(0, 2));
    if (prefix == 0) {
        return false;
    }
    const std::string_view rest = trim(inside.substr(2));
    if (!rest.empty() && rest.front() != '+' && rest.front() != '-') {
        return false;
    }
    op.kind = OperandKind::Indexed;
    op.prefix = prefix;
    op.expression = rest;
    return true;
}

void classifyIndirect(std::string_view inside, Operand& op) {
    if (ascii::equalsIgnoringCase(inside, "hl")) {
        op.kind = OperandKind::IndHL;
    } else if (ascii::equalsIgnoringCase(inside, "bc")) {
        op.kind = OperandKind::IndBC;
    } else if (ascii::equalsIgnoringCase(inside, "de")) {
        op.kind = OperandKind::IndDE;
    } else if (ascii::equalsIgnoringCase(inside, "sp")) {
        op.kind = OperandKind::IndSP;
    } else if (ascii::equalsIgnoringCase(inside, "c")) {
        op.kind = OperandKind::IndC;
    } else if (!classifyIndexed(inside, op)) {
        op.kind = OperandKind::Memory;
        op.expression = inside;
    }
}

} // namespace

Operand classifyOperand(std::string_view text) {
    Operand op;
    op.text = text;
    op.condition = indexOf(text, kConditions);
    if (isWrapped(text)) {
        classifyIndirect(trim(text.substr(1, text.size() - 2)), op);
        return op;
    }
    if (const int r = indexOf(text, kReg8); r >= 0) {
        op.kind = OperandKind::Reg8;
        op.code = r;
    } else if (const int p = indexOf(text, kReg16); p >= 0) {
        op.kind = OperandKind::Reg16;
        op.code = p;
    } else if (const std::uint8_t prefix = indexPrefix(text); prefix != 0) {
        op.kind = OperandKind::Reg16;
        op.code = kPairHL;
        op.prefix = prefix;
    } else if (text.size() == 3 && indexPrefix(text.substr(0, 2)) != 0 &&
               (ascii::toLower(text[2]) == 'h' || ascii::toLower(text[2]) == 'l')) {
        op.kind = OperandKind::Reg8;
        op.code = ascii::toLower(text[2]) == 'h' ? kRegH : kRegL;
        op.prefix = indexPrefix(text.substr(0, 2));
    } else if (ascii::equalsIgnoringCase(text, "i")) {
        op.kind = OperandKind::RegI;
    } else if (ascii::equalsIgnoringCase(text, "r")) {
        op.kind = OperandKind::RegR;
    } else if (ascii::equalsIgnoringCase(text, "af")) {
        op.kind = OperandKind::RegAF;
    } else if (ascii::equalsIgnoringCase(text, "af'")) {
        op.kind = OperandKind::RegAFAlt;
    } else {
        op.kind = OperandKind::Immediate;
        op.expression = text;
    }
    return op;
}

} // namespace corvane::z80
