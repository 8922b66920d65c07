#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace corvane {

// The fixed start of every assembly source Corvane writes.
extern const std::string_view kHeaderTemplate;
// The start of every ION program's source, up to its first instruction: the include, and the
// origin with the TI-83 Plus token before it on that model.
extern const std::string_view kIonProgramOrigin;

// The program shows the calculator lines ten to a screen and waits for a key after each.
inline constexpr int kRowsPerScreen = 10;

// The pen row of each row of a screen: rows lie 6 pixels apart from pixel row 1.
inline constexpr std::array<int, kRowsPerScreen> kPenRows{1, 7, 13, 19, 25, 31, 37, 43, 49, 55};

// Bytes of code the written program holds for `lineCount` calculator lines, from the first
// byte the shell runs to the final ret: the header's ret and jr, the title string, the code
// of every screen, and the end. The strings of the lines follow the code.
std::int64_t programCodeBytes(std::int64_t lineCount, std::size_t programNameLength);

// "lng" and the line number, padded to at least three digits: lng001, lng999, lng1000.
std::string lineLabel(std::int64_t lineNumber);

// One calculator line as it goes into the source: every space doubled, and every
// currency sign (byte A4h) turned into one space.
std::string doubleSpaces(std::string_view line);

// The operands of a `.db` that stores `text` as a zero-terminated string: "text",0. The
// assembler's strings have no escapes, so each double quote stands outside them as its code:
// Say "hi" gives "Say ",34,"hi",34,0.
std::string dbString(std::string_view text);

struct SourceCallbacks {
    // Pending window events: once at the start of every full screen and once before
    // every line of the data section.
    std::function<void()> processEvents;
    // The number of screens, as soon as it is known.
    std::function<void(std::int64_t)> screenCountReady;
};

struct SourceOutcome {
    bool ok = false;
    std::int64_t screenCount = 0;
    std::string error;
};

// Reads temp.ett from `workingFolder` and writes tmp.z80 there: the header template, the
// title, the code that shows the lines 10 to a screen, one string per line, and the end.
SourceOutcome writeAssemblySource(const std::string& workingFolder, std::int64_t lineCount,
                                  std::string_view programName, std::string_view headerTemplate,
                                  const SourceCallbacks& callbacks = {});

} // namespace corvane
