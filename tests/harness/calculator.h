#pragma once

#include "ti_program_file.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct _z80_cpu_context;

namespace corvane::harness {

using Model = CalculatorModel;

// Where ION starts a program and the system addresses the harness carries out, per calculator.
struct Addresses {
    std::uint16_t progstart, penCol, penRow, vputs, getKey, clrLcdFull, runIndicOff;
};
const Addresses& addressesOf(Model model);
inline std::uint16_t progstart(Model model) {
    return addressesOf(model).progstart;
}

// The title an ION program shows in the shell's menu: the zero-terminated string after the
// `ret` / `jr nc` pair at the start of the body. Empty when the body has no ION header.
std::optional<std::string> ionTitle(Model model, std::string_view body);

// One string drawn by _VPutS.
struct DrawnString {
    int row = 0;       // penRow when drawing began
    int column = 0;    // penCol when drawing began
    int endColumn = 0; // where the pen stood after the last character (may pass 96)
    std::string text;  // the calculator codes drawn

    bool operator==(const DrawnString&) const = default;
};

// The screen's width: _VPutS draws nothing at or past this column.
inline constexpr int kScreenColumns = 96;

// The strings on the virtual 96x64 screen, in drawing order.
using Screen = std::vector<DrawnString>;

enum class RomCall { VPutS, GetKey, ClrLCDFull, RunIndicOff };

struct RomEvent {
    RomCall call;
    std::uint64_t tStates = 0; // the program's own T-states up to this call
};

// How a program is started: by the ION shell (xor a, then call progstart+1), or by the TI-83
// Plus's Asm( command, which runs the program's first byte at progstart; Asm( leaves the
// carry flag as it was, so both states are tried.
enum class Start { Ion, AsmCarryReset, AsmCarrySet };

struct RunResult {
    std::string failure;          // empty when the program returned to its caller
    std::vector<RomEvent> events; // every ROM call, in order
    std::vector<Screen> keyWaits; // the screen as it stood at each _GetKey
    Screen screen;                // the screen when the run ended
    std::uint64_t tStates = 0;
};

// A TI-83 or TI-83 Plus reduced to what ION programs of this kind touch: 64 KB of memory
// with the ROM below 8000h, a Z80 (libz80ex), and the ROM calls for small-font text, the
// key wait, clearing the screen and the run indicator carried out on a virtual screen.
// Any other ROM call, a write into the ROM, code run at or above C000h on the TI-83 Plus
// (which crashes the real calculator) or running out of the cycle budget fails the run.
class Calculator {
  public:
    explicit Calculator(Model model);

    // Loads a .83p / .8xp file's bytes where ION would: the body from progstart-2 on the
    // TI-83 Plus (the BB 6D tokens come first), from progstart on the TI-83. Returns an
    // empty string, or why the file cannot run on this calculator.
    std::string loadProgramFile(std::string_view fileBytes);
    std::string loadBody(std::string_view body);

    // Keys _GetKey returns, in order; once they run out it returns ENTER.
    void scriptKeys(std::vector<std::uint8_t> keys) { keys_.assign(keys.begin(), keys.end()); }

    // Starts the program as ION does (call progstart+1 with A = 0 and carry reset), or as
    // Asm( does (at progstart with the carry flag given), and runs it until it returns.
    RunResult run(std::uint64_t tStateBudget = 200'000'000, Start start = Start::Ion);

    std::uint8_t peek(std::uint16_t address) const { return memory_[address]; }

  private:
    friend struct CpuCallbacks;

    // Carries out one ROM call; false for a routine the harness does not know.
    bool romCall(_z80_cpu_context* cpu, std::uint16_t routine, RunResult& result);
    void fail(std::string why);

    Model model_;
    std::vector<std::uint8_t> memory_;
    std::deque<std::uint8_t> keys_;
    std::string failure_;
    Screen screen_;
    bool loaded_ = false;
};

// Key codes _GetKey returns.
inline constexpr std::uint8_t kKeyRight = 0x01;
inline constexpr std::uint8_t kKeyLeft = 0x02;
inline constexpr std::uint8_t kKeyUp = 0x03;
inline constexpr std::uint8_t kKeyDown = 0x04;
inline constexpr std::uint8_t kKeyEnter = 0x05;
inline constexpr std::uint8_t kKeyClear = 0x09;
inline constexpr std::uint8_t kKeyAdd = 0x80;
inline constexpr std::uint8_t kKeySub = 0x81;

} // namespace corvane::harness
