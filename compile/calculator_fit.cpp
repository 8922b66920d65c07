#include "calculator_fit.h"

#include "line_reader.h"
#include "source_writer.h"

#include <algorithm>
#include <array>
#include <functional>
#include <limits>

namespace corvane {

namespace {

// ION, once installed, needs fewer than 40 free bytes to run a program (it swaps the program
// into place instead of copying it).
constexpr std::int64_t kIonRunRoom = 40;
// A program variable in RAM: its two-byte size word before the body, and its symbol table
// entry (type, two flag bytes, address, page, name length, the name).
constexpr std::int64_t kSizeWord = 2;
constexpr std::int64_t kSymbolEntry = 7;

constexpr std::int64_t kNoLimit = std::numeric_limits<std::int64_t>::max();

std::string grouped(std::int64_t number) {
    std::string digits = std::to_string(number);
    for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3) {
        digits.insert(static_cast<std::size_t>(at), ",");
    }
    return digits;
}

std::string hexAddress(std::int64_t address) {
    constexpr char kHexDigits[] = "0123456789ABCDEF";
    std::string digits;
    for (int shift = 12; shift >= 0; shift -= 4) {
        digits += kHexDigits[(address >> shift) & 0xF];
    }
    return digits + "h";
}

// The program's body for `lineCount` lines whose strings take `data` bytes.
std::int64_t bodyBytes(const ModelFacts& facts, std::int64_t lineCount,
                       std::size_t programNameLength, std::int64_t data) {
    return static_cast<std::int64_t>(facts.startToken.size()) +
           programCodeBytes(lineCount, programNameLength) + data;
}

// The largest k in [0, high] for which `fits(k)` holds, `fits` holding up to some k and not
// beyond; 0 when it holds nowhere.
std::int64_t mostThatFit(std::int64_t high, const std::function<bool(std::int64_t)>& fits) {
    std::int64_t low = 0;
    while (low < high) {
        const std::int64_t middle = low + (high - low + 1) / 2;
        if (fits(middle)) {
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    return low;
}

} // namespace

std::int64_t lineStringBytes(std::string_view calculatorLine) {
    return static_cast<std::int64_t>(calculatorLine.size() + std::count(calculatorLine.begin(),
                                                                        calculatorLine.end(),
                                                                        ' ')) +
           1;
}

std::int64_t codeLineLimit(CalculatorModel model, std::size_t programNameLength) {
    const ModelFacts& facts = factsOf(model);
    if (facts.codeEnd == 0) {
        return kNoLimit;
    }
    const std::int64_t room = facts.codeEnd - facts.programStart;
    // Every line adds code, so no more lines than bytes of room fit.
    return mostThatFit(std::max<std::int64_t>(room, 0), [&](std::int64_t k) {
        return programCodeBytes(k, programNameLength) <= room;
    });
}

std::int64_t freeRamForBody(CalculatorModel model, std::size_t calculatorFileNameLength) {
    const ModelFacts& facts = factsOf(model);
    return facts.freeRam - facts.ionSize - kIonRunRoom - kSizeWord - kSymbolEntry -
           static_cast<std::int64_t>(calculatorFileNameLength);
}

namespace {

// The check over lines handed out one by one by `nextLine`, which sets `fit.error` and
// returns false when a line cannot be had.
CalculatorFit fitOfLines(const std::function<bool(std::string&, CalculatorFit&)>& nextLine,
                         std::int64_t lineCount, std::size_t programNameLength,
                         std::size_t calculatorFileNameLength) {
    CalculatorFit fit;
    fit.lineCount = lineCount;
    std::array<std::int64_t, kModels.size()> ramFit{};
    std::array<bool, kModels.size()> full{};

    // The body grows with every line; the lines are read only until no calculator has room
    // for more, so a text of any length costs at most a few thousand lines here.
    std::string line;
    std::int64_t data = 0;
    const auto allFull = [&full] {
        return std::all_of(full.begin(), full.end(), [](bool f) { return f; });
    };
    for (std::int64_t k = 1; k <= lineCount && !allFull(); ++k) {
        if (!nextLine(line, fit)) {
            return fit;
        }
        data += lineStringBytes(line);
        for (std::size_t c = 0; c < kModels.size(); ++c) {
            const std::int64_t body = bodyBytes(kModels[c], k, programNameLength, data);
            if (!full[c] && body <= freeRamForBody(kModels[c].model, calculatorFileNameLength)) {
                ramFit[c] = k;
            } else {
                full[c] = true;
            }
        }
    }
    // The calculator that holds the fewest lines limits the text; on a tie, the later row.
    std::size_t limiting = 0;
    std::int64_t fewest = kNoLimit;
    std::int64_t limitingCode = kNoLimit;
    for (std::size_t c = 0; c < kModels.size(); ++c) {
        const std::int64_t code = codeLineLimit(kModels[c].model, programNameLength);
        const std::int64_t fits = std::min(ramFit[c], code);
        if (fits <= fewest) {
            fewest = fits;
            limiting = c;
            limitingCode = code;
        }
    }
    const ModelFacts& facts = kModels[limiting];
    fit.limiting = facts.model;
    fit.linesThatFit = fewest;
    fit.fits = fit.linesThatFit >= lineCount;
    if (fit.fits) {
        return fit;
    }
    const std::string name(facts.name);
    fit.message = "The text is too long for the calculator: it makes " + grouped(lineCount) +
                  " calculator lines, and a " + name + " program holds at most " +
                  grouped(fit.linesThatFit) + " of them";
    if (limitingCode <= ramFit[limiting]) {
        fit.message += ", as its code must end below address " + hexAddress(facts.codeEnd) + ".";
    } else {
        fit.message += " in the " + grouped(facts.freeRam) + " bytes of RAM a cleared " + name +
                       " has free, with ION installed.";
    }
    fit.message += " Shorten the text, or split it into several documents.";
    return fit;
}

} // namespace

CalculatorFit checkCalculatorFit(const std::string& ettPath, std::int64_t lineCount,
                                 std::size_t programNameLength,
                                 std::size_t calculatorFileNameLength) {
    LineReader ett(ettPath);
    const auto next = [&](std::string& line, CalculatorFit& fit) {
        if (ett.readLine(line)) {
            return true;
        }
        fit.error = ett.ok() ? ettPath + ": holds fewer lines than the layout wrote" : ett.error();
        return false;
    };
    CalculatorFit fit = fitOfLines(next, lineCount, programNameLength, calculatorFileNameLength);
    if (fit.error.empty() && !ett.ok()) {
        fit.error = ett.error();
    }
    return fit;
}

CalculatorFit checkCalculatorFit(const std::vector<std::string>& calculatorLines,
                                 std::size_t programNameLength,
                                 std::size_t calculatorFileNameLength) {
    std::size_t at = 0;
    const auto next = [&](std::string& line, CalculatorFit&) {
        line = calculatorLines[at++];
        return true;
    };
    return fitOfLines(next, static_cast<std::int64_t>(calculatorLines.size()), programNameLength,
                      calculatorFileNameLength);
}

std::int64_t estimatedLineLimit(double meanLineBytes, std::size_t programNameLength,
                                std::size_t calculatorFileNameLength) {
    std::int64_t limit = kNoLimit;
    for (const ModelFacts& facts : kModels) {
        limit = std::min(limit, codeLineLimit(facts.model, programNameLength));
    }
    for (const ModelFacts& facts : kModels) {
        const std::int64_t room = freeRamForBody(facts.model, calculatorFileNameLength);
        // The body grows with k: the most that fit lie below the first that does not.
        limit = mostThatFit(limit, [&](std::int64_t k) {
            return bodyBytes(facts, k, programNameLength,
                             static_cast<std::int64_t>(meanLineBytes * static_cast<double>(k))) <=
                   room;
        });
    }
    return limit;
}

} // namespace corvane
