#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace corvane {

// The longest calculator line: one row of the calculator's small-font screen.
inline constexpr std::size_t kCalculatorLineLength = 23;

// The result of the line layout pass: an empty error means success.
struct LayoutOutcome {
    bool ok = false;
    std::string error;
};

// Reads the document file at `documentPath` past its two header lines, cuts every text
// line into calculator lines of at most 23 characters and writes them, each followed by
// CR LF, to temp.ett in `workingFolder`, adding the number written to `lineCount`.
// `processEvents` runs before the 20th, 40th, ... text line.
LayoutOutcome layoutLines(const std::string& documentPath, const std::string& workingFolder,
                          std::int64_t& lineCount, const std::function<void()>& processEvents = {});

} // namespace corvane
