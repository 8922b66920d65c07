#pragma once

#include <QRect>

namespace corvane {

// Window geometry is given in twips; at 96 dots per inch 15 twips make one pixel, and Qt
// scales these logical pixels on denser screens.
constexpr int twips(int value) {
    return value / 15;
}

constexpr QRect fromTwips(QRect rect) {
    return {twips(rect.x()), twips(rect.y()), twips(rect.width()), twips(rect.height())};
}

} // namespace corvane
