#pragma once

#include "basic_program.h"
#include "screen_model.h"

#include <QImage>
#include <span>
#include <string_view>

namespace corvane {

// The calculator's screen as the preview paints it: dark pixels on the light screen.
inline constexpr QRgb kScreenInk = 0xFF1E2A22;
inline constexpr QRgb kScreenPaper = 0xFFC4CEB4;

// The 96 x 64 pixels `screen` shows, each drawn as a square of `zoom` x `zoom`.
QImage screenPicture(const Screen& screen, int zoom);

// The program's title as one line of the shell's list: 96 pixels wide, one glyph row high,
// drawn from column 1.
QImage titlePicture(std::string_view titleCodes, int zoom);

// A home screen of a TI-BASIC program: `tokens` fill its cells row by row, each drawn with the
// glyph of the character it shows. The colour models' screen is 320 x 240 pixels of cells
// 12 x 24 (the glyphs twice their size); the monochrome models' is 96 x 64 of cells 6 x 8.
QImage homeScreenPicture(std::span<const BasicToken> tokens, const HomeScreen& screen, int zoom);

} // namespace corvane
