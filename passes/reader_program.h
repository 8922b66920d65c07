#pragma once

#include "screen_model.h"
#include "small_font.h"

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// A reader program pages through a text both ways: one fixed routine (reader.inc, shipped
// beside ion.inc) followed by the calculator lines as data, so that only the routine has to
// lie below the TI-83 Plus's code limit. It shows nine lines to a screen and a status row
// with the screen's number, and starts with `xor a`, so that `Asm(` runs it as well as the
// ION shell. A text too large for one program is split into parts, each a reader program.

inline constexpr std::size_t kReaderRowsPerScreen = 9;
// Pen rows: the nine lines 6 pixels apart from row 1, the status row at the bottom.
inline constexpr int kReaderFirstRow = 1;
inline constexpr int kReaderRowStep = 6;
inline constexpr int kReaderStatusRow = 57;
// The byte that stands for one space drawn once (a currency sign, a tab, a no-break space);
// a stored space is drawn twice. No byte of a text maps to this calculator code.
inline constexpr char kReaderSingleSpace = '\x01';

// Part sizes, in bytes of program: the default, and the smallest a user may ask for.
inline constexpr std::size_t kReaderDefaultPartBytes = 16000;
inline constexpr std::size_t kReaderMinimumPartBytes = 2000;
// The longest title a part gets ("Title 2/3"), the program name field's limit.
inline constexpr std::size_t kReaderPartTitleLimit = 20;

// The bytes reader.inc assembles to.
inline constexpr std::size_t kReaderRoutineBytes = 384;

// One part: a run of whole screens of the text's calculator lines.
struct ReaderPart {
    int number = 0; // 0 when the text is one program, else 1 to the number of parts
    int count = 1;  // how many parts the text has
    std::size_t firstLine = 0;
    std::size_t lineCount = 0;
    std::string title; // the title the shell lists: the program name, or "Name 2/3"

    std::size_t screenCount() const;
};

struct ReaderPlan {
    std::vector<ReaderPart> parts;
    std::string error; // set when no part size can hold the text
};

// Splits the calculator lines into parts of at most `maxBytes` of program each (the body on
// the TI-83 Plus, whose BB 6D tokens make it the larger): one unnumbered part when the whole
// program fits, else numbered parts holding whole screens.
ReaderPlan planReaderParts(const std::vector<std::string>& calculatorLines, std::string_view title,
                           std::size_t maxBytes);

// The bytes one calculator line takes in a reader program: its bytes up to a zero byte
// (where drawing stops anyway), and the zero that ends it.
std::size_t readerLineBytes(std::string_view calculatorLine);

// The bytes of a part's program body on the TI-83 Plus (two fewer on the TI-83).
std::size_t readerProgramBytes(const std::vector<std::string>& calculatorLines,
                               const ReaderPart& part);

// The assembly source of a part's program, lines ending with CR LF.
std::string readerSource(const std::vector<std::string>& calculatorLines, const ReaderPart& part);

// The status row of screen `screen` (from 0) of `screenCount`, in part `part` (0: the only
// one): "12/40" or "2:12/40", right-aligned to the screen's edge.
ScreenRow readerStatusRow(int part, std::size_t screen, std::size_t screenCount);

// What screen `screen` (from 0) of a part shows on `model`: its lines, then the status row.
Screen readerScreen(const std::vector<std::string>& calculatorLines, const ReaderPart& part,
                    std::size_t screen, CalculatorModel model);

} // namespace corvane
