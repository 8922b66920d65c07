#include "calculator.h"

#include "small_font.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <z80ex/z80ex.h>

namespace corvane::harness {

namespace {

constexpr std::uint16_t kRamStart = 0x8000;
// The TI-83 Plus maps RAM that may not hold running code from here up.
constexpr std::uint16_t kNoExecuteFrom = 0xC000;
// Where the program returns when it ends; it lies in system RAM where no program code is.
constexpr std::uint16_t kSentinel = 0x8001;
constexpr std::uint16_t kStackTop = 0xFFF0;
constexpr std::uint16_t kBranchTableCall = 0x0028; // rst 28h

constexpr Addresses kTi83Plus{0x9D95, 0x86D7, 0x86D8, 0x4561, 0x4972, 0x4540, 0x4570};
constexpr Addresses kTi83{0x9327, 0x8252, 0x8253, 0x4781, 0x4CFE, 0x4755, 0x4795};

std::string hex4(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04Xh", value & 0xFFFF);
    return text;
}

} // namespace

const Addresses& addressesOf(Model model) {
    return model == Model::TI83Plus ? kTi83Plus : kTi83;
}

std::optional<std::string> ionTitle(Model model, std::string_view body) {
    std::size_t at = 0;
    if (model == Model::TI83Plus) {
        if (body.substr(0, 2) != "\xBB\x6D") {
            return std::nullopt;
        }
        at = 2;
    }
    if (body.size() < at + 3) {
        return std::nullopt;
    }
    const auto first = static_cast<unsigned char>(body[at]);
    if ((first != 0xC9 && first != 0xAF) || body[at + 1] != 0x30) {
        return std::nullopt;
    }
    const std::size_t start = at + 3;
    const std::size_t end = body.find('\0', start);
    if (end == std::string_view::npos) {
        return std::nullopt;
    }
    return std::string(body.substr(start, end - start));
}

// libz80ex calls back into plain functions; these route its memory and port traffic to
// the Calculator that runs.
struct CpuCallbacks {
    static Z80EX_BYTE read(Z80EX_CONTEXT*, Z80EX_WORD address, int, void* data) {
        return static_cast<Calculator*>(data)->memory_[address];
    }
    static void write(Z80EX_CONTEXT* cpu, Z80EX_WORD address, Z80EX_BYTE value, void* data) {
        auto* calculator = static_cast<Calculator*>(data);
        if (address < kRamStart) {
            calculator->fail("write of " + hex4(value).substr(2) + " into the ROM at " +
                             hex4(address) + " (instruction at " + hex4(z80ex_get_reg(cpu, regPC)) +
                             ")");
            return;
        }
        calculator->memory_[address] = value;
    }
    static Z80EX_BYTE portRead(Z80EX_CONTEXT*, Z80EX_WORD, void*) { return 0xFF; }
    static void portWrite(Z80EX_CONTEXT*, Z80EX_WORD, Z80EX_BYTE, void*) {}
    static Z80EX_BYTE interruptRead(Z80EX_CONTEXT*, void*) { return 0xFF; }
};

Calculator::Calculator(Model model) : model_(model), memory_(0x10000, 0) {}

void Calculator::fail(std::string why) {
    if (failure_.empty()) {
        failure_ = std::move(why);
    }
}

std::string Calculator::loadProgramFile(std::string_view fileBytes) {
    const tifile::Parsed parsed = tifile::parseProgramFile(fileBytes);
    if (!parsed.file) {
        return parsed.error;
    }
    const tifile::ProgramFile& file = *parsed.file;
    if (file.model != model_) {
        return "the file is for the other calculator";
    }
    if (file.type != tifile::kProtectedProgramType) {
        return "variable type " + std::to_string(file.type) + " is not a protected program";
    }
    if (file.storedChecksum != file.computedChecksum) {
        return "the file's checksum does not match its contents";
    }
    return loadBody(file.body);
}

std::string Calculator::loadBody(std::string_view body) {
    if (!ionTitle(model_, body)) {
        return "the body does not start with an ION header";
    }
    const std::size_t loadAddress = progstart(model_) - (model_ == Model::TI83Plus ? 2 : 0);
    // The stack grows down from kStackTop; leave it 256 bytes.
    if (loadAddress + body.size() > kStackTop - 0x100) {
        return "the program does not fit in RAM below the stack";
    }
    std::copy(body.begin(), body.end(), memory_.begin() + static_cast<std::ptrdiff_t>(loadAddress));
    loaded_ = true;
    return {};
}

bool Calculator::romCall(_z80_cpu_context* cpu, std::uint16_t routine, RunResult& result) {
    const Addresses& at = addressesOf(model_);
    if (routine == at.vputs) {
        // The real routine stops at the right edge of the screen; the drawn string keeps
        // its end column instead, so that a test sees the overflow.
        std::uint16_t hl = z80ex_get_reg(cpu, regHL);
        DrawnString drawn;
        drawn.row = memory_[at.penRow];
        drawn.column = memory_[at.penCol];
        int column = drawn.column;
        for (int guard = 0; memory_[hl] != 0 && guard < 0x10000; ++guard, ++hl) {
            drawn.text.push_back(static_cast<char>(memory_[hl]));
            column += smallFontWidth(memory_[hl]);
        }
        drawn.endColumn = column;
        memory_[at.penCol] = static_cast<std::uint8_t>(std::min(column, 0xFF));
        z80ex_set_reg(cpu, regHL, static_cast<std::uint16_t>(hl + 1));
        screen_.push_back(std::move(drawn));
        result.events.push_back({RomCall::VPutS, result.tStates});
    } else if (routine == at.getKey) {
        result.keyWaits.push_back(screen_);
        const std::uint8_t key = keys_.empty() ? kKeyEnter : keys_.front();
        if (!keys_.empty()) {
            keys_.pop_front();
        }
        const std::uint16_t flags = z80ex_get_reg(cpu, regAF) & 0xFF;
        z80ex_set_reg(cpu, regAF, static_cast<std::uint16_t>((key << 8) | flags));
        result.events.push_back({RomCall::GetKey, result.tStates});
    } else if (routine == at.clrLcdFull) {
        screen_.clear();
        result.events.push_back({RomCall::ClrLCDFull, result.tStates});
    } else if (routine == at.runIndicOff) {
        result.events.push_back({RomCall::RunIndicOff, result.tStates});
    } else {
        return false;
    }
    return true;
}

RunResult Calculator::run(std::uint64_t tStateBudget, Start start) {
    RunResult result;
    if (!loaded_) {
        result.failure = "no program loaded";
        return result;
    }
    failure_.clear();
    screen_.clear();
    std::unique_ptr<Z80EX_CONTEXT, void (*)(Z80EX_CONTEXT*)> cpu(
        z80ex_create(CpuCallbacks::read, this, CpuCallbacks::write, this, CpuCallbacks::portRead,
                     this, CpuCallbacks::portWrite, this, CpuCallbacks::interruptRead, this),
        z80ex_destroy);
    Z80EX_CONTEXT* z = cpu.get();
    const Addresses& at = addressesOf(model_);

    const auto readWord = [this](std::uint16_t address) {
        return static_cast<std::uint16_t>(memory_[address] |
                                          (memory_[static_cast<std::uint16_t>(address + 1)] << 8));
    };
    const auto pop = [&]() {
        const std::uint16_t sp = z80ex_get_reg(z, regSP);
        z80ex_set_reg(z, regSP, static_cast<std::uint16_t>(sp + 2));
        return readWord(sp);
    };

    // ION's loader: xor a (A = 0, carry reset, Z and P/V set), then call progstart+1.
    // Asm(: the first byte at progstart, with A and the flags as the system left them.
    std::uint16_t sp = kStackTop - 2;
    memory_[sp] = kSentinel & 0xFF;
    memory_[sp + 1] = kSentinel >> 8;
    z80ex_set_reg(z, regSP, sp);
    if (start == Start::Ion) {
        z80ex_set_reg(z, regAF, 0x0044);
        z80ex_set_reg(z, regPC, static_cast<std::uint16_t>(at.progstart + 1));
    } else {
        z80ex_set_reg(z, regAF, start == Start::AsmCarrySet ? 0x5A01 : 0x5A00); // carry: bit 0
        z80ex_set_reg(z, regPC, at.progstart);
    }
    z80ex_set_reg(z, regIY, model_ == Model::TI83Plus ? 0x89F0 : 0x8567);

    while (failure_.empty()) {
        const std::uint16_t pc = z80ex_get_reg(z, regPC);
        if (pc == kSentinel) {
            break;
        }
        if (pc < kRamStart) {
            // TI-83: a call straight into the ROM. TI-83 Plus: rst 28h, with the routine's
            // address in the two bytes after the rst, where the call returns past them.
            std::uint16_t routine = pc;
            std::uint16_t returnAddress = pop();
            if (model_ == Model::TI83Plus) {
                if (pc != kBranchTableCall) {
                    fail("code ran into the ROM at " + hex4(pc) + " outside a ROM call");
                    break;
                }
                routine = readWord(returnAddress);
                returnAddress = static_cast<std::uint16_t>(returnAddress + 2);
            }
            if (!romCall(z, routine, result)) {
                fail("unsupported ROM call " + hex4(routine) + " (returning to " +
                     hex4(returnAddress) + ")");
                break;
            }
            z80ex_set_reg(z, regPC, returnAddress);
            continue;
        }
        if (model_ == Model::TI83Plus && pc >= kNoExecuteFrom) {
            fail("code ran at " + hex4(pc) + ": the TI-83 Plus cannot run code at or above C000h");
            break;
        }
        // One whole instruction: prefixes are stepped through without the checks above.
        do {
            result.tStates += static_cast<std::uint64_t>(z80ex_step(z));
        } while (z80ex_last_op_type(z) != 0 && failure_.empty());
        if (z80ex_doing_halt(z)) {
            fail("the program halted at " + hex4(pc));
        }
        if (result.tStates > tStateBudget) {
            fail("the program ran past its budget of " + std::to_string(tStateBudget) +
                 " T-states (last at " + hex4(pc) + ")");
        }
    }
    result.failure = failure_;
    result.screen = screen_;
    return result;
}

} // namespace corvane::harness
