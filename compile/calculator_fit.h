#pragma once

#include "calculator_model.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// Bytes one calculator line takes in the program's data: each space doubled, every other
// byte once, and the terminating zero.
std::int64_t lineStringBytes(std::string_view calculatorLine);

// The most calculator lines whose code still ends below the model's code end (C000h on the
// TI-83 Plus, which runs no code at or above it); no limit for a model that runs code
// anywhere.
std::int64_t codeLineLimit(CalculatorModel model, std::size_t programNameLength);

// The most bytes a program's body may have to fit in the RAM a cleared calculator has free,
// with ION installed beside it.
std::int64_t freeRamForBody(CalculatorModel model, std::size_t calculatorFileNameLength);

struct CalculatorFit {
    bool fits = true;
    std::string error;          // temp.ett could not be read
    std::int64_t lineCount = 0; // the calculator lines of the text
    std::int64_t linesThatFit = 0;
    CalculatorModel limiting = CalculatorModel::TI83Plus;
    std::string message; // set when the text does not fit
};

// Reads the `lineCount` calculator lines of temp.ett at `ettPath` (as far as needed) and
// tells whether the program made of them fits on every calculator; when it does not, how
// many of its lines would, on the calculator that holds the fewest.
CalculatorFit checkCalculatorFit(const std::string& ettPath, std::int64_t lineCount,
                                 std::size_t programNameLength,
                                 std::size_t calculatorFileNameLength);

// The same check on calculator lines in memory (the preview's).
CalculatorFit checkCalculatorFit(const std::vector<std::string>& calculatorLines,
                                 std::size_t programNameLength,
                                 std::size_t calculatorFileNameLength);

// About how many calculator lines fit on every calculator when each takes `meanLineBytes`
// of the program's data: the code limit, and the RAM of each calculator.
std::int64_t estimatedLineLimit(double meanLineBytes, std::size_t programNameLength,
                                std::size_t calculatorFileNameLength);

} // namespace corvane
