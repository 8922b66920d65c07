#pragma once

#include "small_font.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// One string the program draws: where the pen starts, the calculator codes it draws, and
// the column the pen reaches after the last one.
struct ScreenRow {
    int penRow = 0;
    int penColumn = 0;
    std::string codes;
    int endColumn = 0;

    bool operator==(const ScreenRow&) const = default;
};

// What one screen shows before the program waits for a key.
using Screen = std::vector<ScreenRow>;

// The screens a program made of the first `lineCount` of `calculatorLines` shows on
// `model`, in order: ten rows to a screen, then one with the rest, which is empty when
// `lineCount` is a multiple of ten, as the source writer lays them out.
std::vector<Screen> layOutScreens(const std::vector<std::string>& calculatorLines,
                                  std::size_t lineCount, CalculatorModel model);

// The number of those screens, and screen `index` (from 0) alone.
std::size_t screenCountFor(std::size_t lineCount);
Screen layOutScreen(const std::vector<std::string>& calculatorLines, std::size_t lineCount,
                    std::size_t index, CalculatorModel model);

// The row of `calculatorLine` at pen row `penRow`: the line through the source writer's
// space doubling and the character map, up to a zero byte, where _VPutS stops.
ScreenRow drawnRow(std::string_view calculatorLine, int penRow, CalculatorModel model);

} // namespace corvane
