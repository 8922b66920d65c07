#include "screen_model.h"

#include "source_writer.h"

#include <algorithm>

namespace corvane {

ScreenRow drawnRow(std::string_view calculatorLine, int penRow, CalculatorModel model) {
    ScreenRow row;
    row.penRow = penRow;
    row.penColumn = kLineStartColumn;
    row.codes = shownCodes(calculatorLine, model);
    row.codes.resize(std::min(row.codes.size(), row.codes.find('\0')));
    row.endColumn = row.penColumn;
    for (const char code : row.codes) {
        row.endColumn += smallFontWidth(static_cast<std::uint8_t>(code));
    }
    return row;
}

std::size_t screenCountFor(std::size_t lineCount) {
    return lineCount / kRowsPerScreen + 1;
}

Screen layOutScreen(const std::vector<std::string>& calculatorLines, std::size_t lineCount,
                    std::size_t index, CalculatorModel model) {
    lineCount = std::min(lineCount, calculatorLines.size());
    Screen screen;
    for (std::size_t r = 0; r < kRowsPerScreen && index * kRowsPerScreen + r < lineCount; ++r) {
        screen.push_back(drawnRow(calculatorLines[index * kRowsPerScreen + r], kPenRows[r], model));
    }
    return screen;
}

std::vector<Screen> layOutScreens(const std::vector<std::string>& calculatorLines,
                                  std::size_t lineCount, CalculatorModel model) {
    std::vector<Screen> screens;
    for (std::size_t s = 0; s < screenCountFor(std::min(lineCount, calculatorLines.size())); ++s) {
        screens.push_back(layOutScreen(calculatorLines, lineCount, s, model));
    }
    return screens;
}

} // namespace corvane
