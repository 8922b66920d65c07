#include "z80_encoder.h"

#include "ascii.h"
#include "z80_operand.h"

#include <algorithm>
#include <array>
#include <optional>

namespace corvane::z80 {

namespace {

using K = OperandKind;

constexpr std::size_t kMaxOperands = 3;
constexpr std::size_t kLongestMnemonic = 4;

// Carries one instruction through its encoding: the operands, the bytes so far, the errors.
class Encoder {
  public:
    Encoder(std::string_view mnemonic, std::uint16_t address, const Evaluate& evaluate)
        : mnemonic_(mnemonic), address_(address), evaluate_(evaluate) {}

    // Classifies the operands; false (with an error) when one is empty or there are too many.
    bool load(const std::vector<std::string>& texts) {
        if (texts.size() > kMaxOperands) {
            error(std::string(mnemonic_) + " takes at most " + std::to_string(kMaxOperands) +
                  " operands, not " + std::to_string(texts.size()));
            return false;
        }
        for (const std::string& text : texts) {
            if (text.empty()) {
                error("missing operand for " + std::string(mnemonic_));
                return false;
            }
            ops_[count_++] = classifyOperand(text);
        }
        return true;
    }

    std::size_t count() const { return count_; }
    const Operand& op(std::size_t i) const { return ops_[i]; }

    bool arity(std::size_t least, std::size_t most) {
        if (count_ >= least && count_ <= most) {
            return true;
        }
        std::string expected = std::to_string(least);
        if (most != least) {
            expected += (most == least + 1 ? " or " : " to ") + std::to_string(most);
        }
        error(std::string(mnemonic_) + " takes " + expected + " operand" + (most == 1 ? "" : "s") +
              ", not " + std::to_string(count_));
        return false;
    }

    void badOperand(std::size_t i) {
        error("bad operand '" + std::string(ops_[i].text) + "' for " + std::string(mnemonic_));
    }

    void error(std::string text) { out_.errors.push_back(std::move(text)); }

    void emit(int byte) { out_.bytes.push_back(static_cast<std::uint8_t>(byte & 0xFF)); }

    // One or two opcode bytes written as one number (0xED44 is ED 44).
    void emitOpcode(int opcode) {
        if (opcode > 0xFF) {
            emit(opcode >> 8);
        }
        emit(opcode);
    }

    void emitPrefix(std::uint8_t prefix) {
        if (prefix != 0) {
            emit(prefix);
        }
    }

    // The value of an expression; nothing when it is not known yet or is in error (reported).
    std::optional<std::int64_t> value(std::string_view expression) {
        const Value v = evaluate_(expression);
        if (!v.ok) {
            error(v.error.empty() ? "bad expression '" + std::string(expression) + "'" : v.error);
            return std::nullopt;
        }
        if (!v.known) {
            return std::nullopt;
        }
        return v.number;
    }

    void emitByte(const Operand& op) {
        const auto v = value(op.expression);
        if (v && (*v < -128 || *v > 255)) {
            error("8-bit value out of range (-128..255): " + std::to_string(*v));
        }
        emit(static_cast<int>(v.value_or(0)));
    }

    void emitWord(const Operand& op) {
        const auto v = value(op.expression);
        if (v && (*v < -32768 || *v > 65535)) {
            error("16-bit value out of range (-32768..65535): " + std::to_string(*v));
        }
        const int word = static_cast<int>(v.value_or(0));
        emit(word);
        emit(word >> 8);
    }

    void emitDisplacement(const Operand& op) {
        if (op.expression.empty()) {
            emit(0);
            return;
        }
        const auto v = value(op.expression);
        if (v && (*v < -128 || *v > 127)) {
            error("index displacement out of range (-128..127): " + std::to_string(*v));
        }
        emit(static_cast<int>(v.value_or(0)));
    }

    // The offset byte of jr and djnz, counted from the end of the two-byte instruction.
    void emitRelative(const Operand& op) {
        const auto target = value(op.expression);
        if (!target) {
            emit(0);
            return;
        }
        // A target outside memory is refused however it is written: the processor's wrap
        // from 0 to FFFFh is never what the source meant.
        if (*target < 0 || *target > 0xFFFF) {
            error(std::string(mnemonic_) + " target " + std::to_string(*target) +
                  " is outside 0..FFFFh");
            emit(0);
            return;
        }
        const std::int64_t offset = *target - (static_cast<std::int64_t>(address_) + 2);
        const std::int64_t beyond =
            offset > 127 ? offset - 127 : (offset < -128 ? -128 - offset : 0);
        if (beyond != 0) {
            error("relative jump out of range (by " + std::to_string(beyond) +
                  (beyond == 1 ? " byte)" : " bytes)"));
        }
        emit(static_cast<int>(offset));
    }

    Encoding finish() { return std::move(out_); }

  private:
    std::string_view mnemonic_;
    std::uint16_t address_;
    const Evaluate& evaluate_;
    std::array<Operand, kMaxOperands> ops_{};
    std::size_t count_ = 0;
    Encoding out_;
};

bool isPlainReg8(const Operand& op) {
    return op.kind == K::Reg8 && op.prefix == 0;
}

bool isHOrL(const Operand& op) {
    return op.code == kRegH || op.code == kRegL;
}

// An 8-bit register operand of an instruction that also allows the index halves: reports
// whether `op` may join an instruction that already uses `prefix`.
bool halfFits(const Operand& op, std::uint8_t prefix) {
    if (op.prefix != 0) {
        return op.prefix == prefix;
    }
    return prefix == 0 || !isHOrL(op);
}

// -- instructions without operands -------------------------------------------------------

void fixed(Encoder& e, int opcode) {
    if (e.arity(0, 0)) {
        e.emitOpcode(opcode);
    }
}

// -- 8-bit arithmetic and logic: add adc sub sbc and xor or cp ----------------------------

// The single source operand of an 8-bit operation; `base` is the (hl) form of the opcode
// (86h for add) and `immediate` the n form (C6h).
void aluSource(Encoder& e, std::size_t i, int base, int immediate) {
    const Operand& src = e.op(i);
    switch (src.kind) {
    case K::Reg8:
        e.emitPrefix(src.prefix);
        e.emit(base - kRegIndHL + src.code);
        return;
    case K::IndHL:
        e.emit(base);
        return;
    case K::Indexed:
        e.emit(src.prefix);
        e.emit(base);
        e.emitDisplacement(src);
        return;
    case K::Immediate:
        e.emit(immediate);
        e.emitByte(src);
        return;
    default:
        e.badOperand(i);
    }
}

// 16-bit add, adc and sbc: `add hl,ss`, `add ix,pp`, `adc hl,ss`, `sbc hl,ss`; `operation`
// numbers them as the 8-bit operations do (0 add, 1 adc, 3 sbc).
void arithmetic16(Encoder& e, int operation) {
    const Operand& dst = e.op(0);
    const Operand& src = e.op(1);
    // hl, ix and iy share a register number: only the destination's own pair may be added.
    if (src.kind != K::Reg16 || (src.code == kPairHL && src.prefix != dst.prefix)) {
        e.badOperand(1);
        return;
    }
    if (operation == 0) {
        e.emitPrefix(dst.prefix);
        e.emit(0x09 | src.code << 4);
    } else {
        e.emit(kPrefixED);
        e.emit((operation == 1 ? 0x4A : 0x42) | src.code << 4);
    }
}

void alu(Encoder& e, int operation) {
    if (!e.arity(1, 2)) {
        return;
    }
    const int base = 0x86 | operation << 3;
    const int immediate = 0xC6 | operation << 3;
    if (e.count() == 1) {
        aluSource(e, 0, base, immediate);
        return;
    }
    const Operand& dst = e.op(0);
    if (isPlainReg8(dst) && dst.code == kRegA) {
        aluSource(e, 1, base, immediate);
        return;
    }
    const bool wide = dst.kind == K::Reg16 && dst.code == kPairHL;
    if (wide && (operation == 0 || ((operation == 1 || operation == 3) && dst.prefix == 0))) {
        arithmetic16(e, operation);
        return;
    }
    e.badOperand(0);
}

// -- inc, dec ------------------------------------------------------------------------------

void incDec(Encoder& e, int dec) {
    if (!e.arity(1, 1)) {
        return;
    }
    const Operand& op = e.op(0);
    switch (op.kind) {
    case K::Reg8:
        e.emitPrefix(op.prefix);
        e.emit(0x04 | op.code << 3 | dec);
        return;
    case K::IndHL:
        e.emit(0x34 | dec);
        return;
    case K::Indexed:
        e.emit(op.prefix);
        e.emit(0x34 | dec);
        e.emitDisplacement(op);
        return;
    case K::Reg16:
        e.emitPrefix(op.prefix);
        e.emit((dec ? 0x0B : 0x03) | op.code << 4);
        return;
    default:
        e.badOperand(0);
    }
}

// -- ld ------------------------------------------------------------------------------------

void ldToReg8(Encoder& e) {
    const Operand& dst = e.op(0);
    const Operand& src = e.op(1);
    switch (src.kind) {
    case K::Reg8: {
        const std::uint8_t prefix = dst.prefix != 0 ? dst.prefix : src.prefix;
        if (!halfFits(dst, prefix) || !halfFits(src, prefix)) {
            e.badOperand(1);
            return;
        }
        e.emitPrefix(prefix);
        e.emit(0x40 | dst.code << 3 | src.code);
        return;
    }
    case K::Immediate:
        e.emitPrefix(dst.prefix);
        e.emit(0x06 | dst.code << 3);
        e.emitByte(src);
        return;
    default:
        break;
    }
    if (dst.prefix != 0) {
        e.badOperand(1);
        return;
    }
    switch (src.kind) {
    case K::IndHL:
        e.emit(0x46 | dst.code << 3);
        return;
    case K::Indexed:
        e.emit(src.prefix);
        e.emit(0x46 | dst.code << 3);
        e.emitDisplacement(src);
        return;
    default:
        break;
    }
    if (dst.code != kRegA) {
        e.badOperand(1);
        return;
    }
    switch (src.kind) {
    case K::IndBC:
        e.emit(0x0A);
        return;
    case K::IndDE:
        e.emit(0x1A);
        return;
    case K::Memory:
        e.emit(0x3A);
        e.emitWord(src);
        return;
    case K::RegI:
        e.emitOpcode(0xED57);
        return;
    case K::RegR:
        e.emitOpcode(0xED5F);
        return;
    default:
        e.badOperand(1);
    }
}

void ldToReg16(Encoder& e) {
    const Operand& dst = e.op(0);
    const Operand& src = e.op(1);
    switch (src.kind) {
    case K::Immediate:
        e.emitPrefix(dst.prefix);
        e.emit(0x01 | dst.code << 4);
        e.emitWord(src);
        return;
    case K::Memory:
        if (dst.code == kPairHL) {
            e.emitPrefix(dst.prefix);
            e.emit(0x2A);
        } else {
            e.emitOpcode(0xED4B | dst.code << 4);
        }
        e.emitWord(src);
        return;
    case K::Reg16:
        if (dst.code == kPairSP && src.code == kPairHL) {
            e.emitPrefix(src.prefix);
            e.emit(0xF9);
            return;
        }
        break;
    default:
        break;
    }
    e.badOperand(1);
}

void ldToMemory(Encoder& e) {
    const Operand& dst = e.op(0);
    const Operand& src = e.op(1);
    if (isPlainReg8(src) && src.code == kRegA) {
        e.emit(0x32);
    } else if (src.kind == K::Reg16 && src.code == kPairHL) {
        e.emitPrefix(src.prefix);
        e.emit(0x22);
    } else if (src.kind == K::Reg16) {
        e.emitOpcode(0xED43 | src.code << 4);
    } else {
        e.badOperand(1);
        return;
    }
    e.emitWord(dst);
}

void ld(Encoder& e, int) {
    if (!e.arity(2, 2)) {
        return;
    }
    const Operand& dst = e.op(0);
    const Operand& src = e.op(1);
    switch (dst.kind) {
    case K::Reg8:
        ldToReg8(e);
        return;
    case K::Reg16:
        ldToReg16(e);
        return;
    case K::Memory:
        ldToMemory(e);
        return;
    case K::RegI:
    case K::RegR:
        if (isPlainReg8(src) && src.code == kRegA) {
            e.emitOpcode(dst.kind == K::RegI ? 0xED47 : 0xED4F);
        } else {
            e.badOperand(1);
        }
        return;
    case K::IndBC:
    case K::IndDE:
        if (isPlainReg8(src) && src.code == kRegA) {
            e.emit(dst.kind == K::IndBC ? 0x02 : 0x12);
        } else {
            e.badOperand(1);
        }
        return;
    case K::IndHL:
    case K::Indexed:
        if (!isPlainReg8(src) && src.kind != K::Immediate) {
            e.badOperand(1);
            return;
        }
        e.emitPrefix(dst.prefix);
        e.emit(src.kind == K::Immediate ? 0x36 : 0x70 | src.code);
        if (dst.kind == K::Indexed) {
            e.emitDisplacement(dst);
        }
        if (src.kind == K::Immediate) {
            e.emitByte(src);
        }
        return;
    default:
        e.badOperand(0);
    }
}

// -- stack, exchange -----------------------------------------------------------------------

void pushPop(Encoder& e, int opcode) {
    if (!e.arity(1, 1)) {
        return;
    }
    const Operand& op = e.op(0);
    if (op.kind == K::Reg16 && op.code != kPairSP) {
        e.emitPrefix(op.prefix);
        e.emit(opcode | op.code << 4);
    } else if (op.kind == K::RegAF) {
        e.emit(opcode | 0x30);
    } else {
        e.badOperand(0);
    }
}

void ex(Encoder& e, int) {
    if (!e.arity(2, 2)) {
        return;
    }
    const Operand& a = e.op(0);
    const Operand& b = e.op(1);
    const bool hlLike = b.kind == K::Reg16 && b.code == kPairHL;
    if (a.kind == K::RegAF) {
        if (b.kind == K::RegAFAlt) {
            e.emit(0x08);
            return;
        }
    } else if (a.kind == K::Reg16 && a.code == kPairDE) {
        if (hlLike && b.prefix == 0) {
            e.emit(0xEB);
            return;
        }
    } else if (a.kind == K::IndSP) {
        if (hlLike) {
            e.emitPrefix(b.prefix);
            e.emit(0xE3);
            return;
        }
    } else {
        e.badOperand(0);
        return;
    }
    e.badOperand(1);
}

// -- jumps, calls, returns -----------------------------------------------------------------

// The condition of a two-operand jump or call; `limit` is how many conditions it allows
// (4 for jr: nz z nc c).
bool condition(Encoder& e, int limit, int& code) {
    code = e.op(0).condition;
    if (code < 0 || code >= limit) {
        e.badOperand(0);
        return false;
    }
    return true;
}

bool target(Encoder& e, std::size_t i) {
    if (e.op(i).kind != K::Immediate) {
        e.badOperand(i);
        return false;
    }
    return true;
}

void jp(Encoder& e, int) {
    if (!e.arity(1, 2)) {
        return;
    }
    if (e.count() == 1) {
        const Operand& op = e.op(0);
        if (op.kind == K::IndHL) {
            e.emit(0xE9);
        } else if (op.kind == K::Indexed && op.expression.empty()) {
            e.emit(op.prefix);
            e.emit(0xE9);
        } else if (target(e, 0)) {
            e.emit(0xC3);
            e.emitWord(op);
        }
        return;
    }
    int code = 0;
    if (condition(e, 8, code) && target(e, 1)) {
        e.emit(0xC2 | code << 3);
        e.emitWord(e.op(1));
    }
}

void call(Encoder& e, int) {
    if (!e.arity(1, 2)) {
        return;
    }
    if (e.count() == 1) {
        if (target(e, 0)) {
            e.emit(0xCD);
            e.emitWord(e.op(0));
        }
        return;
    }
    int code = 0;
    if (condition(e, 8, code) && target(e, 1)) {
        e.emit(0xC4 | code << 3);
        e.emitWord(e.op(1));
    }
}

void ret(Encoder& e, int) {
    if (!e.arity(0, 1)) {
        return;
    }
    int code = 0;
    if (e.count() == 0) {
        e.emit(0xC9);
    } else if (condition(e, 8, code)) {
        e.emit(0xC0 | code << 3);
    }
}

void jr(Encoder& e, int) {
    if (!e.arity(1, 2)) {
        return;
    }
    if (e.count() == 1) {
        if (target(e, 0)) {
            e.emit(0x18);
            e.emitRelative(e.op(0));
        }
        return;
    }
    int code = 0;
    if (condition(e, 4, code) && target(e, 1)) {
        e.emit(0x20 | code << 3);
        e.emitRelative(e.op(1));
    }
}

void djnz(Encoder& e, int) {
    if (e.arity(1, 1) && target(e, 0)) {
        e.emit(0x10);
        e.emitRelative(e.op(0));
    }
}

void rst(Encoder& e, int) {
    if (!e.arity(1, 1) || !target(e, 0)) {
        return;
    }
    const auto v = e.value(e.op(0).expression);
    if (v && (*v < 0 || *v > 0x38 || *v % 8 != 0)) {
        e.error("rst target must be one of 00h, 08h, 10h, 18h, 20h, 28h, 30h, 38h (got " +
                std::to_string(*v) + ")");
    }
    e.emit(0xC7 | static_cast<int>(v.value_or(0) & 0x38));
}

void im(Encoder& e, int) {
    if (!e.arity(1, 1) || !target(e, 0)) {
        return;
    }
    constexpr std::array<int, 3> kModes{0x46, 0x56, 0x5E};
    const auto v = e.value(e.op(0).expression);
    if (v && (*v < 0 || *v > 2)) {
        e.error("interrupt mode must be 0, 1 or 2 (got " + std::to_string(*v) + ")");
    }
    e.emit(kPrefixED);
    e.emit(kModes[v && *v >= 0 && *v <= 2 ? static_cast<std::size_t>(*v) : 0]);
}

// -- input and output ----------------------------------------------------------------------

// `in (c)` and its other spelling `in f,(c)` read a port only for the flags (ED 70).
void in(Encoder& e, int) {
    if (!e.arity(1, 2)) {
        return;
    }
    if (e.count() == 1) {
        if (e.op(0).kind == K::IndC) {
            e.emit(kPrefixED);
            e.emit(0x40 | kRegIndHL << 3);
        } else {
            e.badOperand(0);
        }
        return;
    }
    const Operand& dst = e.op(0);
    const Operand& port = e.op(1);
    const bool flagsOnly = dst.kind == K::Immediate && ascii::equalsIgnoringCase(dst.text, "f");
    if (!isPlainReg8(dst) && !flagsOnly) {
        e.badOperand(0);
    } else if (port.kind == K::IndC) {
        e.emit(kPrefixED);
        e.emit(0x40 | (flagsOnly ? kRegIndHL : dst.code) << 3);
    } else if (port.kind == K::Memory && !flagsOnly && dst.code == kRegA) {
        e.emit(0xDB);
        e.emitByte(port);
    } else {
        e.badOperand(1);
    }
}

void out(Encoder& e, int) {
    if (!e.arity(2, 2)) {
        return;
    }
    const Operand& port = e.op(0);
    const Operand& src = e.op(1);
    if (port.kind != K::IndC && port.kind != K::Memory) {
        e.badOperand(0);
    } else if (port.kind == K::IndC && src.kind == K::Immediate) {
        // `out (c),0` (ED 71): zero is the only value the processor can write this way.
        const auto v = e.value(src.expression);
        if (v && *v != 0) {
            e.error("out (c) writes a register or 0, not " + std::to_string(*v));
        }
        e.emit(kPrefixED);
        e.emit(0x41 | kRegIndHL << 3);
    } else if (!isPlainReg8(src) || (port.kind == K::Memory && src.code != kRegA)) {
        e.badOperand(1);
    } else if (port.kind == K::IndC) {
        e.emit(kPrefixED);
        e.emit(0x41 | src.code << 3);
    } else {
        e.emit(0xD3);
        e.emitByte(port);
    }
}

// -- the CB page: rotates, shifts, bit, res, set -------------------------------------------

// Writes a CB-page instruction on operand `i`; `opcode` is its register-b form. On (ix+d) the
// displacement comes before the opcode byte: DD CB d op.
void cbOperand(Encoder& e, std::size_t i, int opcode) {
    const Operand& op = e.op(i);
    if (isPlainReg8(op)) {
        e.emit(kPrefixCB);
        e.emit(opcode | op.code);
    } else if (op.kind == K::IndHL) {
        e.emit(kPrefixCB);
        e.emit(opcode | kRegIndHL);
    } else if (op.kind == K::Indexed) {
        e.emit(op.prefix);
        e.emit(kPrefixCB);
        e.emitDisplacement(op);
        e.emit(opcode | kRegIndHL);
    } else {
        e.badOperand(i);
    }
}

// The undocumented DDCB/FDCB forms that also copy the result into a register: operand
// `memory` is (ix+d) or (iy+d), operand `copy` the register, which takes the low bits where
// the documented form has (hl)'s code.
void cbIndexedCopy(Encoder& e, std::size_t memory, std::size_t copy, int opcode) {
    const Operand& op = e.op(memory);
    if (op.kind != K::Indexed) {
        e.badOperand(memory);
    } else if (!isPlainReg8(e.op(copy))) {
        e.badOperand(copy);
    } else {
        e.emit(op.prefix);
        e.emit(kPrefixCB);
        e.emitDisplacement(op);
        e.emit(opcode | e.op(copy).code);
    }
}

// `rlc (ix+5)`, or `rlc b,(ix+5)` copying the result into b.
void rotate(Encoder& e, int operation) {
    if (!e.arity(1, 2)) {
        return;
    }
    if (e.count() == 1) {
        cbOperand(e, 0, operation << 3);
    } else {
        cbIndexedCopy(e, 1, 0, operation << 3);
    }
}

// bit, res and set; res and set also take `set 3,(iy-2),a`, copying the result into a.
void bitOperation(Encoder& e, int base) {
    const bool writes = base != 0x40;
    if (!e.arity(2, writes ? 3 : 2) || !target(e, 0)) {
        return;
    }
    const auto v = e.value(e.op(0).expression);
    if (v && (*v < 0 || *v > 7)) {
        e.error("bit number must be 0..7 (got " + std::to_string(*v) + ")");
    }
    const int opcode = base | static_cast<int>(v.value_or(0) & 7) << 3;
    if (e.count() == 3) {
        cbIndexedCopy(e, 1, 2, opcode);
    } else {
        cbOperand(e, 1, opcode);
    }
}

// -- the mnemonic table --------------------------------------------------------------------

using Handler = void (*)(Encoder&, int);

struct Instruction {
    std::string_view name;
    Handler handler;
    int parameter;
};

// Sorted by name for the binary search.
constexpr std::array kInstructions = std::to_array<Instruction>({
    {"adc", alu, 1},
    {"add", alu, 0},
    {"and", alu, 4},
    {"bit", bitOperation, 0x40},
    {"call", call, 0},
    {"ccf", fixed, 0x3F},
    {"cp", alu, 7},
    {"cpd", fixed, 0xEDA9},
    {"cpdr", fixed, 0xEDB9},
    {"cpi", fixed, 0xEDA1},
    {"cpir", fixed, 0xEDB1},
    {"cpl", fixed, 0x2F},
    {"daa", fixed, 0x27},
    {"dec", incDec, 1},
    {"di", fixed, 0xF3},
    {"djnz", djnz, 0},
    {"ei", fixed, 0xFB},
    {"ex", ex, 0},
    {"exx", fixed, 0xD9},
    {"halt", fixed, 0x76},
    {"im", im, 0},
    {"in", in, 0},
    {"inc", incDec, 0},
    {"ind", fixed, 0xEDAA},
    {"indr", fixed, 0xEDBA},
    {"ini", fixed, 0xEDA2},
    {"inir", fixed, 0xEDB2},
    {"jp", jp, 0},
    {"jr", jr, 0},
    {"ld", ld, 0},
    {"ldd", fixed, 0xEDA8},
    {"lddr", fixed, 0xEDB8},
    {"ldi", fixed, 0xEDA0},
    {"ldir", fixed, 0xEDB0},
    {"neg", fixed, 0xED44},
    {"nop", fixed, 0x00},
    {"or", alu, 6},
    {"otdr", fixed, 0xEDBB},
    {"otir", fixed, 0xEDB3},
    {"out", out, 0},
    {"outd", fixed, 0xEDAB},
    {"outi", fixed, 0xEDA3},
    {"pop", pushPop, 0xC1},
    {"push", pushPop, 0xC5},
    {"res", bitOperation, 0x80},
    {"ret", ret, 0},
    {"reti", fixed, 0xED4D},
    {"retn", fixed, 0xED45},
    {"rl", rotate, 2},
    {"rla", fixed, 0x17},
    {"rlc", rotate, 0},
    {"rlca", fixed, 0x07},
    {"rld", fixed, 0xED6F},
    {"rr", rotate, 3},
    {"rra", fixed, 0x1F},
    {"rrc", rotate, 1},
    {"rrca", fixed, 0x0F},
    {"rrd", fixed, 0xED67},
    {"rst", rst, 0},
    {"sbc", alu, 3},
    {"scf", fixed, 0x37},
    {"set", bitOperation, 0xC0},
    {"sl1", rotate, 6},
    {"sla", rotate, 4},
    {"sll", rotate, 6},
    {"sra", rotate, 5},
    {"srl", rotate, 7},
    {"sub", alu, 2},
    {"xor", alu, 5},
});

static_assert(std::is_sorted(kInstructions.begin(), kInstructions.end(),
                             [](const Instruction& a, const Instruction& b) {
                                 return a.name < b.name;
                             }));

// The lower-case mnemonic in `buffer`, or an empty view when no instruction is that long.
std::string_view lowered(std::string_view mnemonic, std::array<char, kLongestMnemonic>& buffer) {
    if (mnemonic.size() > buffer.size()) {
        return {};
    }
    for (std::size_t i = 0; i < mnemonic.size(); ++i) {
        buffer[i] = ascii::toLower(mnemonic[i]);
    }
    return {buffer.data(), mnemonic.size()};
}

const Instruction* find(std::string_view mnemonic) {
    std::array<char, kLongestMnemonic> buffer{};
    const std::string_view name = lowered(mnemonic, buffer);
    if (name.empty()) {
        return nullptr;
    }
    const auto it = std::lower_bound(
        kInstructions.begin(), kInstructions.end(), name,
        [](const Instruction& entry, std::string_view key) { return entry.name < key; });
    return it != kInstructions.end() && it->name == name ? &*it : nullptr;
}

} // namespace

Encoding encodeInstruction(std::string_view mnemonic, const std::vector<std::string>& operands,
                           std::uint16_t address, const Evaluate& evaluate) {
    const Instruction* instruction = find(mnemonic);
    if (instruction == nullptr) {
        Encoding unknown;
        unknown.errors.push_back("unknown instruction '" + std::string(mnemonic) + "'");
        return unknown;
    }
    Encoder encoder(instruction->name, address, evaluate);
    if (encoder.load(operands)) {
        instruction->handler(encoder, instruction->parameter);
    }
    return encoder.finish();
}

bool isMnemonic(std::string_view mnemonic) {
    return find(mnemonic) != nullptr;
}

} // namespace corvane::z80
