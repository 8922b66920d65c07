#include "window_placement.h"

#include <algorithm>

namespace corvane {

QPoint besideWindow(QRect main, QSize size, QRect screen) {
    constexpr int kGap = 8;
    QRect placed(main.topRight() + QPoint(kGap + 1, 0), size);
    if (placed.right() > screen.right()) {
        placed.moveRight(main.left() - kGap - 1);
        if (placed.left() < screen.left()) {
            placed.moveRight(screen.right());
        }
    }
    placed.moveLeft(std::max(placed.left(), screen.left()));
    placed.moveBottom(std::min(placed.bottom(), screen.bottom()));
    placed.moveTop(std::max(placed.top(), screen.top()));
    return placed.topLeft();
}

QPoint cascadedFrom(QRect frame, int step, QRect screen) {
    frame.translate(step, step);
    if (!screen.contains(frame)) {
        frame.moveTopLeft(screen.topLeft());
    }
    return frame.topLeft();
}

} // namespace corvane
