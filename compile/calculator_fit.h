#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace corvane {

enum class Calculator { TI83, TI83Plus };

std::string_view calculatorName(Calculator calculator);

// Bytes of code the source writer's program holds for `lineCount` calculator lines, from
// the first byte the shell runs to the final ret: the ret and jr of the header, the title
// string, the screen code, and the end.
std::int64_t programCodeBytes(std::int64_t lineCount, std::size_t programNameLength);

// Bytes one calculator line takes in the program's data: each space doubled, every other
// byte once, and the terminating zero.
std::int64_t lineStringBytes(std::string_view calculatorLine);

// The most calculator lines whose code still ends below C000h on the TI-83 Plus, which runs
// no code at or above that address.
std::int64_t ti83PlusCodeLineLimit(std::size_t programNameLength);

// The most bytes a program's body may have to fit in the RAM a cleared calculator has free,
// with ION installed beside it.
std::int64_t freeRamForBody(Calculator calculator, std::size_t calculatorFileNameLength);

struct CalculatorFit {
    bool fits = true;
    std::string error;          // temp.ett could not be read
    std::int64_t lineCount = 0; // the calculator lines of the text
    std::int64_t linesThatFit = 0;
    Calculator limiting = Calculator::TI83Plus;
    std::string message; // set when the text does not fit
};

// Reads the `lineCount` calculator lines of temp.ett at `ettPath` (as far as needed) and
// tells whether the program made of them fits on both calculators; when it does not, how
// many of its lines would, on the calculator that holds the fewest.
CalculatorFit checkCalculatorFit(const std::string& ettPath, std::int64_t lineCount,
                                 std::size_t programNameLength,
                                 std::size_t calculatorFileNameLength);

} // namespace corvane
