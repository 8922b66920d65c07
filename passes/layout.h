#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// The longest calculator line in characters.
inline constexpr std::size_t kCalculatorLineLength = 23;

// The calculator lines one text line becomes. The line is first spelled out as it is drawn
// (`spelledOut`: tabs, the ellipsis); then a line of n characters is cut into pieces of 23 (n div
// 23 + 1 pieces when n > 23, the last one empty when n is a multiple of 23); then every piece wider
// than the 95 pixels a drawn line may take is split before the first character that would pass
// them, the rest becoming the next calculator line, and so on while it is still too wide. Pieces
// that fit stay as they are.
std::vector<std::string> cutTextLine(std::string_view line);

// The calculator lines of a whole text whose lines end with CR LF, CR or LF, as the document
// file holds it after its header and is read back, each cut by `cutTextLine`; the last line need
// not end with a line break, so an empty text is one empty line. With `firstLineOfEach`, also the
// index of each text line's first calculator line.
std::vector<std::string> layoutText(std::string_view text,
                                    std::vector<std::size_t>* firstLineOfEach = nullptr);

// The result of the line layout pass: an empty error means success.
struct LayoutOutcome {
    bool ok = false;
    std::string error;
};

// Reads the document file at `documentPath` past its two header lines, cuts every text
// line into calculator lines as `cutTextLine` does and writes them, each followed by
// CR LF, to temp.ett in `workingFolder`, adding the number written to `lineCount`.
// `processEvents` runs before the 20th, 40th, ... text line.
LayoutOutcome layoutLines(const std::string& documentPath, const std::string& workingFolder,
                          std::int64_t& lineCount, const std::function<void()>& processEvents = {});

} // namespace corvane
