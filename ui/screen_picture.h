#pragma once

#include "screen_model.h"

#include <QImage>
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

} // namespace corvane
