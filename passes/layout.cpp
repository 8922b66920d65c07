#include "layout.h"

#include "document_file.h"
#include "line_reader.h"
#include "line_writer.h"
#include "path.h"
#include "small_font.h"

namespace corvane {

namespace {

constexpr std::int64_t kLinesPerEventRound = 20;

// Appends `piece` to `lines`, split before every character that would take its drawn width
// past the limit.
void appendFitting(std::string_view piece, std::vector<std::string_view>& lines) {
    std::size_t start = 0;
    int width = 0;
    for (std::size_t i = 0; i < piece.size(); ++i) {
        const int advance = drawnWidth(static_cast<std::uint8_t>(piece[i]));
        if (width + advance > kLineWidthLimit && i > start) {
            lines.push_back(piece.substr(start, i - start));
            start = i;
            width = 0;
        }
        width += advance;
    }
    lines.push_back(piece.substr(start));
}

void cutInto(std::string_view line, std::vector<std::string_view>& lines) {
    lines.clear();
    if (line.size() > kCalculatorLineLength) {
        // n div 23 full pieces, then the rest, which is empty when n is a multiple of 23.
        while (line.size() >= kCalculatorLineLength) {
            appendFitting(line.substr(0, kCalculatorLineLength), lines);
            line.remove_prefix(kCalculatorLineLength);
        }
    }
    appendFitting(line, lines);
}

LayoutOutcome failure(std::string error) {
    return {false, std::move(error)};
}

} // namespace

std::vector<std::string> cutTextLine(std::string_view line) {
    std::string spelling;
    std::vector<std::string_view> pieces;
    cutInto(spelledOut(line, spelling), pieces);
    return {pieces.begin(), pieces.end()};
}

std::vector<std::string> layoutText(std::string_view text,
                                    std::vector<std::size_t>* firstLineOfEach) {
    std::vector<std::string> lines;
    std::vector<std::string_view> pieces;
    std::string spelling;
    if (firstLineOfEach) {
        firstLineOfEach->clear();
    }
    while (true) {
        if (firstLineOfEach) {
            firstLineOfEach->push_back(lines.size());
        }
        const std::size_t end = text.find_first_of("\r\n");
        cutInto(spelledOut(text.substr(0, end), spelling), pieces);
        for (const std::string_view piece : pieces) {
            lines.emplace_back(piece);
        }
        if (end == std::string_view::npos) {
            return lines;
        }
        const bool pair = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
        text.remove_prefix(end + (pair ? 2 : 1));
    }
}

LayoutOutcome layoutLines(const std::string& documentPath, const std::string& workingFolder,
                          std::int64_t& lineCount, const std::function<void()>& processEvents) {
    LineReader document(documentPath);
    if (!document.ok()) {
        return failure(document.error());
    }
    // The header is skipped and checked before temp.ett is touched: a file too short to be a
    // document must not cost the previous build's output.
    Document header;
    if (const HeaderRead read = readDocumentHeader(document, documentPath, header);
        !read.error.empty()) {
        return failure(read.error);
    }

    LineWriter out(joinPath(workingFolder, "temp.ett"));
    if (!out.ok()) {
        return failure(out.error());
    }
    std::int64_t textLines = 0;
    std::string line;
    std::vector<std::string_view> pieces;
    std::string spelling;
    do {
        ++textLines;
        if (textLines % kLinesPerEventRound == 0 && processEvents) {
            processEvents();
        }
        if (!document.readLine(line)) {
            return failure(document.error());
        }
        cutInto(spelledOut(line, spelling), pieces);
        for (const std::string_view piece : pieces) {
            out.writeLine(piece);
        }
        lineCount += static_cast<std::int64_t>(pieces.size());
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
