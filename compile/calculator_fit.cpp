#include "calculator_fit.h"

#include "line_reader.h"

#include <algorithm>
#include <array>

namespace corvane {

namespace {

// The TI-83 Plus loads a program's first byte after its BB 6D token at 9D95h and runs no
// code at or above C000h.
constexpr std::int64_t kTi83PlusProgramStart = 0x9D95;
constexpr std::int64_t kTi83PlusCodeEnd = 0xC000;

// What the source writer emits, in bytes: ret and jr nc of the header; bcall
// (_indicatorOff) and bcall(_clrlcdf) after the title; per screen row ld hl, ld (pencol),hl,
// ld hl and bcall; per screen the key wait and the clearing; the final ret.
constexpr std::int64_t kHeaderCode = 1 + 2;
constexpr std::int64_t kTitleTerminator = 1;
constexpr std::int64_t kStartCode = 3 + 3;
constexpr std::int64_t kRowCode = 3 + 3 + 3 + 3;
constexpr std::int64_t kRowsPerScreen = 10;
constexpr std::int64_t kScreenEndCode = 3 + 3;
constexpr std::int64_t kProgramEndCode = 1;
constexpr std::int64_t kTi83PlusToken = 2;

// RAM free for the user on a cleared calculator, as Texas Instruments publishes it in the
// calculators' specifications: 27 KB on the TI-83 and 24 KB on the TI-83 Plus. Read as
// thousands of bytes, the lower reading, so that a program accepted here does fit.
constexpr std::int64_t kTi83FreeRam = 27000;
constexpr std::int64_t kTi83PlusFreeRam = 24000;
// ION itself, once installed, as its own read-me gives it for version 1.6: 1312 bytes on the
// TI-83 and 1396 on the TI-83 Plus; and the fewer than 40 free bytes it needs to run a
// program (it swaps the program into place instead of copying it).
constexpr std::int64_t kTi83Ion = 1312;
constexpr std::int64_t kTi83PlusIon = 1396;
constexpr std::int64_t kIonRunRoom = 40;
// A program variable in RAM: its two-byte size word before the body, and its symbol table
// entry (type, two flag bytes, address, page, name length, the name).
constexpr std::int64_t kSizeWord = 2;
constexpr std::int64_t kSymbolEntry = 7;

constexpr std::array<Calculator, 2> kCalculators{Calculator::TI83, Calculator::TI83Plus};

std::string grouped(std::int64_t number) {
    std::string digits = std::to_string(number);
    for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3) {
        digits.insert(static_cast<std::size_t>(at), ",");
    }
    return digits;
}

} // namespace

std::string_view calculatorName(Calculator calculator) {
    return calculator == Calculator::TI83 ? "TI-83" : "TI-83 Plus";
}

std::int64_t programCodeBytes(std::int64_t lineCount, std::size_t programNameLength) {
    const std::int64_t fullScreens = lineCount / kRowsPerScreen;
    const std::int64_t lastRows = lineCount % kRowsPerScreen;
    return kHeaderCode + static_cast<std::int64_t>(programNameLength) + kTitleTerminator +
           kStartCode + fullScreens * (kRowsPerScreen * kRowCode + kScreenEndCode) +
           lastRows * kRowCode + kScreenEndCode + kProgramEndCode;
}

std::int64_t lineStringBytes(std::string_view calculatorLine) {
    return static_cast<std::int64_t>(calculatorLine.size() + std::count(calculatorLine.begin(),
                                                                        calculatorLine.end(),
                                                                        ' ')) +
           1;
}

std::int64_t ti83PlusCodeLineLimit(std::size_t programNameLength) {
    const std::int64_t room =
        (kTi83PlusCodeEnd - kTi83PlusProgramStart) - programCodeBytes(0, programNameLength);
    if (room < 0) {
        return 0;
    }
    const std::int64_t screen = kRowsPerScreen * kRowCode + kScreenEndCode;
    // A tenth row would start another screen, whose end code the room has no place for.
    const std::int64_t rows = std::min((room % screen) / kRowCode, kRowsPerScreen - 1);
    return room / screen * kRowsPerScreen + rows;
}

std::int64_t freeRamForBody(Calculator calculator, std::size_t calculatorFileNameLength) {
    const bool plus = calculator == Calculator::TI83Plus;
    return (plus ? kTi83PlusFreeRam - kTi83PlusIon : kTi83FreeRam - kTi83Ion) - kIonRunRoom -
           kSizeWord - kSymbolEntry - static_cast<std::int64_t>(calculatorFileNameLength);
}

CalculatorFit checkCalculatorFit(const std::string& ettPath, std::int64_t lineCount,
                                 std::size_t programNameLength,
                                 std::size_t calculatorFileNameLength) {
    CalculatorFit fit;
    fit.lineCount = lineCount;
    const std::int64_t codeLimit = ti83PlusCodeLineLimit(programNameLength);
    std::array<std::int64_t, 2> ramFit{0, 0};
    std::array<bool, 2> full{false, false};

    // The body grows with every line; the lines are read only until no calculator has room
    // for more, so a text of any length costs at most a few thousand lines here.
    LineReader ett(ettPath);
    std::string line;
    std::int64_t data = 0;
    for (std::int64_t k = 1; k <= lineCount && !(full[0] && full[1]); ++k) {
        if (!ett.readLine(line)) {
            fit.error =
                ett.ok() ? ettPath + ": holds fewer lines than the layout wrote" : ett.error();
            return fit;
        }
        data += lineStringBytes(line);
        for (std::size_t c = 0; c < kCalculators.size(); ++c) {
            const bool plus = kCalculators[c] == Calculator::TI83Plus;
            const std::int64_t body =
                (plus ? kTi83PlusToken : 0) + programCodeBytes(k, programNameLength) + data;
            if (!full[c] && body <= freeRamForBody(kCalculators[c], calculatorFileNameLength)) {
                ramFit[c] = k;
            } else {
                full[c] = true;
            }
        }
    }
    if (!ett.ok()) {
        fit.error = ett.error();
        return fit;
    }

    const std::int64_t ti83Fit = ramFit[0];
    const std::int64_t ti83PlusFit = std::min(ramFit[1], codeLimit);
    fit.limiting = ti83PlusFit <= ti83Fit ? Calculator::TI83Plus : Calculator::TI83;
    fit.linesThatFit = std::min(ti83Fit, ti83PlusFit);
    fit.fits = fit.linesThatFit >= lineCount;
    if (fit.fits) {
        return fit;
    }
    const std::string name(calculatorName(fit.limiting));
    fit.message = "The text is too long for the calculator: it makes " + grouped(lineCount) +
                  " calculator lines, and a " + name + " program holds at most " +
                  grouped(fit.linesThatFit) + " of them";
    if (fit.limiting == Calculator::TI83Plus && codeLimit <= ramFit[1]) {
        fit.message += ", as its code must end below address C000h.";
    } else {
        const bool plus = fit.limiting == Calculator::TI83Plus;
        fit.message += " in the " + grouped(plus ? kTi83PlusFreeRam : kTi83FreeRam) +
                       " bytes of RAM a cleared " + name + " has free, with ION installed.";
    }
    fit.message += " Shorten the text, or split it into several documents.";
    return fit;
}

} // namespace corvane
