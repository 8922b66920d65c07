#include "layout.h"

#include "line_reader.h"
#include "line_writer.h"
#include "path.h"

namespace corvane {

namespace {

constexpr std::int64_t kLinesPerEventRound = 20;

// A text line of n characters gives n div 23 full pieces and then the rest, which is empty
// when n is a positive multiple of 23; a line of at most 23 characters is written whole.
std::int64_t writeCalculatorLines(std::string_view line, LineWriter& out) {
    if (line.size() <= kCalculatorLineLength) {
        out.writeLine(line);
        return 1;
    }
    std::int64_t written = 0;
    while (line.size() >= kCalculatorLineLength) {
        out.writeLine(line.substr(0, kCalculatorLineLength));
        line.remove_prefix(kCalculatorLineLength);
        ++written;
    }
    out.writeLine(line);
    return written + 1;
}

LayoutOutcome failure(std::string error) {
    return {false, std::move(error)};
}

} // namespace

LayoutOutcome layoutLines(const std::string& documentPath, const std::string& workingFolder,
                          std::int64_t& lineCount, const std::function<void()>& processEvents) {
    LineReader document(documentPath);
    if (!document.ok()) {
        return failure(document.error());
    }
    // The header is skipped and checked before temp.ett is touched: a file too short to be a
    // document must not cost the previous build's output.
    const auto tooShort = [&] {
        return failure(document.ok()
                           ? documentPath + ": not a document file: it has fewer than three lines"
                           : document.error());
    };
    std::string line;
    for (int header = 0; header < 2; ++header) {
        if (document.atEnd()) {
            return tooShort();
        }
        if (!document.readLine(line)) {
            return failure(document.error());
        }
    }
    if (document.atEnd()) {
        return tooShort();
    }

    LineWriter out(joinPath(workingFolder, "temp.ett"));
    if (!out.ok()) {
        return failure(out.error());
    }
    std::int64_t textLines = 0;
    do {
        ++textLines;
        if (textLines % kLinesPerEventRound == 0 && processEvents) {
            processEvents();
        }
        if (!document.readLine(line)) {
            return failure(document.error());
        }
        lineCount += writeCalculatorLines(line, out);
        if (!out.ok()) {
            return failure(out.error());
        }
    } while (!document.atEnd());
    if (!document.ok()) {
        return failure(document.error());
    }
    if (!out.close()) {
        return failure(out.error());
    }
    return {true, {}};
}

} // namespace corvane
