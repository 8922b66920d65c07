#pragma once

#include "calculator_model.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvane::tifile {

// The variable type of a protected (assembly) program: the only one the ION shell lists.
inline constexpr std::uint8_t kProtectedProgramType = 0x06;
// The variable type of a program the calculator lists and edits as TI-BASIC.
inline constexpr std::uint8_t kEditableProgramType = 0x05;

// The byte after the signature that TI's software for the CE writes into a file of tokens the
// TI-83 Plus already knew; other writers leave it 00. Readers accept both.
inline constexpr std::uint8_t kCeOwnerByte = 0x0A;

// The fields of a program file besides its name and body.
struct EntryFields {
    std::uint8_t type = kProtectedProgramType;
    std::uint8_t version = 0; // the lowest OS version's code whose tokens the program needs
    std::uint8_t ownerByte = 0;
};

// True for 1 to 8 characters of A-Z and 0-9 starting with a letter.
bool isValidVariableName(std::string_view name);

// The largest program body a variable can hold.
std::size_t maxBodySize();

struct Built {
    std::string bytes; // the whole file; empty when `error` is set
    std::string error;
};

// Whether a program body of `bodySize` bytes should get one padding byte after its end. The
// link library sends a variable's data (the body and its length word) with six bytes of
// framing in twentieths, and when that is a multiple of twenty from 640 bytes up its last
// write is empty, which some cables never complete: the calculator stores the program but
// the computer reports a failure. A zero after the program's end is never run.
bool needsLinkPadding(std::size_t bodySize);

// The bytes of a .83p or .8xp file holding one protected program called `name` (already
// valid and in capitals) whose body is `body` (for the TI-83 Plus starting with BB 6D).
// The 42-byte comment names Corvane.
Built buildProgramFile(CalculatorModel model, std::string_view name, std::string_view body);
// The same with other entry fields; the TI-83 has no version byte, so it must stay 0 there.
Built buildProgramFile(CalculatorModel model, std::string_view name, std::string_view body,
                       const EntryFields& fields);

// What a program file holds, as read back from its bytes.
struct ProgramFile {
    CalculatorModel model = CalculatorModel::TI83;
    std::string name; // without the zero padding
    std::uint8_t type = 0;
    std::uint8_t version = 0;   // TI-83 Plus files only
    std::uint8_t ownerByte = 0; // the byte after the signature
    std::string body;           // the program, without its length word
    std::uint16_t storedChecksum = 0;
    std::uint16_t computedChecksum = 0;
};

struct Parsed {
    std::optional<ProgramFile> file; // empty when `error` is set
    std::string error;
};

// Reads a .83p or .8xp file's bytes (one variable entry), checking every length field.
Parsed parseProgramFile(std::string_view bytes);

// Sets the variable name inside the program file at `path` to `name` (valid, capitals)
// and rewrites its checksum; the file keeps its length and is replaced atomically.
// Returns an empty string on success, otherwise the error.
std::string renameProgramFile(const std::string& path, std::string_view name);

} // namespace corvane::tifile
