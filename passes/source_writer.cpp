#include "source_writer.h"

#include "line_reader.h"
#include "line_writer.h"
#include "path.h"

#include <algorithm>
#include <charconv>

namespace corvane {

// Line 6 gives the TI-83 Plus token as $BB,$6D: a bare 6D would be decimal 6 to the assembler.
const std::string_view kHeaderTemplate = "        .nolist\r\n"
                                         "#include \"ion.inc\"\r\n"
                                         "\t.list\r\n"
                                         "#ifdef TI83P\r\n"
                                         "        .org    progstart-2\r\n"
                                         "        .db     $BB,$6D\r\n"
                                         "#else\r\n"
                                         "        .org    progstart\r\n"
                                         "#endif\r\n"
                                         "        ret\r\n"
                                         "        jr      nc,debut\r\n";

namespace {

constexpr int kRowsPerScreen = 10;
constexpr char kCurrencySign = '\xA4';
constexpr char kQuote = '"';

void appendLabelNumber(std::string& out, std::int64_t lineNumber) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, lineNumber).ptr;
    const auto length = static_cast<std::size_t>(end - digits);
    if (length < 3) {
        out.append(3 - length, '0');
    }
    out.append(digits, length);
}

// Replaces `out` with the row line that draws line `lineNumber` on screen row `row`.
void setRowLine(std::string& out, int row, std::int64_t lineNumber) {
    out = "    ld hl,";
    out += kRowPositions[static_cast<std::size_t>(row)];
    out += "01h \\ ld (pencol),hl \\ ld hl,lng";
    appendLabelNumber(out, lineNumber);
    out += " \\ bcall(_vputs)";
}

void appendDoubleSpaces(std::string& out, std::string_view line) {
    for (char c : line) {
        if (c == ' ') {
            out += "  ";
        } else if (c == kCurrencySign) {
            out += ' ';
        } else {
            out += c;
        }
    }
}

// The assembler's strings have no escapes, so a quote can only be given as its code.
void appendDbString(std::string& out, std::string_view text) {
    if (text.find(kQuote) == std::string_view::npos) {
        out += kQuote;
        out += text;
        out += "\",0";
        return;
    }
    bool first = true;
    while (!text.empty()) {
        if (!first) {
            out += ',';
        }
        first = false;
        if (text.front() == kQuote) {
            out += "34";
            text.remove_prefix(1);
            continue;
        }
        const std::size_t run = std::min(text.find(kQuote), text.size());
        out += kQuote;
        out += text.substr(0, run);
        out += kQuote;
        text.remove_prefix(run);
    }
    out += ",0";
}

SourceOutcome failure(std::string error, std::int64_t screenCount = 0) {
    return {false, screenCount, std::move(error)};
}

} // namespace

std::string lineLabel(std::int64_t lineNumber) {
    std::string label = "lng";
    appendLabelNumber(label, lineNumber);
    return label;
}

std::string doubleSpaces(std::string_view line) {
    std::string doubled;
    appendDoubleSpaces(doubled, line);
    return doubled;
}

std::string dbString(std::string_view text) {
    std::string operands;
    appendDbString(operands, text);
    return operands;
}

SourceOutcome writeAssemblySource(const std::string& workingFolder, std::int64_t lineCount,
                                  std::string_view programName, std::string_view headerTemplate,
                                  const SourceCallbacks& callbacks) {
    LineReader lines(joinPath(workingFolder, "temp.ett"));
    if (!lines.ok()) {
        return failure(lines.error());
    }
    LineWriter out(joinPath(workingFolder, "tmp.z80"));
    if (!out.ok()) {
        return failure(out.error());
    }
    const auto processEvents = [&callbacks] {
        if (callbacks.processEvents) {
            callbacks.processEvents();
        }
    };

    out.writeLine(headerTemplate);
    std::string row = " .db ";
    appendDbString(row, programName);
    out.writeLine(row);
    out.writeLine("debut:");
    out.writeLine("   bcall(_indicatorOff)");
    out.writeLine("   bcall(_clrlcdf)");

    const std::int64_t screenCount = lineCount / kRowsPerScreen + 1;
    if (callbacks.screenCountReady) {
        callbacks.screenCountReady(screenCount);
    }

    std::int64_t lineNumber = 0;
    const auto writeScreen = [&](std::int64_t rows) {
        for (int r = 1; r <= rows; ++r) {
            setRowLine(row, r, ++lineNumber);
            out.writeLine(row);
        }
        out.writeLine("    bcall(_getkey)");
        out.writeLine("    bcall(_clrlcdf)");
    };
    for (std::int64_t screen = 1; screen < screenCount && out.ok(); ++screen) {
        processEvents();
        writeScreen(kRowsPerScreen);
    }
    writeScreen(lineCount - kRowsPerScreen * (screenCount - 1));
    out.writeLine("   ret");

    std::string line;
    std::string converted;
    for (std::int64_t n = 1; n <= lineCount && out.ok(); ++n) {
        processEvents();
        row = "lng";
        appendLabelNumber(row, n);
        row += ':';
        out.writeLine(row);
        if (!lines.readLine(line)) {
            return failure(lines.error(), screenCount);
        }
        converted.clear();
        appendDoubleSpaces(converted, line);
        row = "    .db ";
        appendDbString(row, converted);
        out.writeLine(row);
    }
    out.writeLine(".end");
    out.writeLine("END");
    if (!out.close()) {
        return failure(out.error(), screenCount);
    }
    return {true, screenCount, {}};
}

} // namespace corvane
