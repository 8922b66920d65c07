#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace corvane {

// Where a window of `size` opens beside the window whose frame is `main`: to its right, or
// else to its left, so that it covers none of it; on a screen too narrow for either it is
// kept on the screen. Gives the new frame's top left corner.
QPoint besideWindow(QRect main, QSize size, QRect screen);

// Where a further window opens after the one whose frame is `frame`: `step` down and to the
// right, or at the screen's top left corner once that would leave the screen.
QPoint cascadedFrom(QRect frame, int step, QRect screen);

} // namespace corvane
