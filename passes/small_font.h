#pragma once

#include "calculator_model.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace corvane {

// The calculators' character sets differ in one code: only the TI-83 Plus has a glyph for ß.

// The screen the small font is drawn on: 96 columns. A calculator line is drawn from pen
// column 1, and _VPutS stops at the right edge, so a line may take 95 pixels.
inline constexpr int kScreenWidth = 96;
inline constexpr int kScreenHeight = 64;
inline constexpr int kLineStartColumn = 1;
inline constexpr int kLineWidthLimit = kScreenWidth - kLineStartColumn;

// A text line as the calculator draws it, before the cut: a tab becomes a space (which the
// source writer doubles, as wide as a typed space) and an ellipsis three dots. Returns `line`
// itself when nothing changes, otherwise a view of `buffer`.
std::string_view spelledOut(std::string_view line, std::string& buffer);

// The calculator code that a byte of a string in the assembly source becomes through
// ion.inc's character map. ion.inc holds the same map as `.charmap` lines; a test assembles
// every byte through it and compares the two.
std::uint8_t calculatorCode(std::uint8_t ansi, CalculatorModel model);

// A calculator line as the program draws it: every space doubled and every currency sign
// (A4h) one space, as the source writer writes it, then every byte through the map.
std::string shownCodes(std::string_view calculatorLine, CalculatorModel model);

// The program name as the ION shell lists it: the name's bytes through the map.
std::string shownTitle(std::string_view programName, CalculatorModel model);

// The small font's advance of every calculator code, gap included, 16 codes a row (row 8x
// holds 80h-8Fh). Code 00h and F8h-FFh have no glyph.
inline constexpr std::array<std::uint8_t, 256> kSmallFontWidths{
    0, 6, 4, 4, 4, 4, 4, 5, 4, 4, 4, 4, 4, 4, 4, 5, // 0x
    4, 5, 4, 4, 5, 5, 4, 5, 6, 5, 4, 4, 5, 6, 3, 3, // 1x
    1, 2, 4, 6, 6, 4, 5, 2, 3, 3, 6, 4, 3, 4, 2, 4, // 2x
    4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 2, 3, 4, 4, 4, 4, // 3x
    6, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, // 4x
    4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 3, 4, 4, // 5x
    3, 4, 4, 4, 4, 4, 3, 4, 4, 2, 4, 4, 3, 6, 4, 4, // 6x
    4, 4, 4, 3, 3, 4, 4, 6, 4, 4, 5, 4, 2, 4, 5, 4, // 7x
    4, 3, 4, 4, 4, 4, 4, 4, 4, 4, 5, 5, 5, 5, 5, 5, // 8x
    5, 5, 5, 5, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, // 9x
    4, 4, 6, 6, 6, 6, 6, 6, 6, 6, 4, 4, 4, 4, 5, 5, // Ax
    5, 5, 4, 4, 5, 5, 3, 3, 4, 4, 2, 5, 4, 5, 6, 4, // Bx
    4, 3, 4, 5, 6, 5, 5, 5, 5, 6, 6, 4, 4, 4, 3, 4, // Cx
    3, 4, 3, 4, 4, 4, 4, 4, 4, 4, 4, 4, 3, 3, 4, 3, // Dx
    3, 6, 5, 6, 5, 6, 5, 6, 5, 6, 5, 6, 5, 2, 3, 5, // Ex
    6, 4, 6, 5, 5, 4, 4, 6, 0, 0, 0, 0, 0, 0, 0, 0, // Fx
};

// The small font's advance for a calculator code, in pixels, its one-pixel gap included;
// 0 for a code without a glyph.
int smallFontWidth(std::uint8_t code);

// The pixels one byte of a calculator line takes once drawn, on the wider of the two
// calculators: a space 2 (the source writer doubles it), the currency sign 1 (it becomes
// one space), any other byte the width of the code it is mapped to.
int drawnWidth(std::uint8_t ansi);

} // namespace corvane
