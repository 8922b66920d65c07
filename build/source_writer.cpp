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

RowPositionTable rowPositionTable;

namespace {

constexpr int kRowsPerScreen = 10;
constexpr char kCurrencySign = '\xA4';
constexpr char kQuote = '"';

// Rows lie 6 pixels apart, starting at pixel row 1.
constexpr int rowPixel(int row) {
    return 6 * (row - 1) + 1;
}

void appendLabelNumber(std::string& out, std::int64_t lineNumber) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, lineNumber).ptr;
    const auto length = static_cast<std::size_t>(end - digits);
    if (length < 3) {
        out.append(3 - length, '0');
    }
    out.append(digits, length);
}

void appendRowLine(std::string& out, int row, std::int64_t lineNumber) {
    out = "    ld hl,";
    out += rowPositionTable[static_cast<std::size_t>(row)];
    out += "01h \\ ld (pencol),hl \\ ld hl,lng";
    appendLabelNumber(out, lineNumber);
    out += " \\ bcall(_vputs)";
}

bool rowTableFilled() {
    for (int row = 1; row <= kRowsPerScreen; ++row) {
        if (rowPositionTable[static_cast<std::size_t>(row)].empty()) {
            return false;
        }
    }
    return true;
}

SourceOutcome failure(std::string error, std::int64_t screenCount = 0) {
    return {false, screenCount, std::move(error)};
}

} // namespace

void fillRowPositionTable() {
    static constexpr char kHexDigits[] = "0123456789ABCDEF";
    for (int row = 1; row <= kRowsPerScreen; ++row) {
        const int pixel = rowPixel(row);
        rowPositionTable[static_cast<std::size_t>(row)] = {kHexDigits[pixel / 16],
                                                           kHexDigits[pixel % 16]};
    }
}

std::string lineLabel(std::int64_t lineNumber) {
    std::string label = "lng";
    appendLabelNumber(label, lineNumber);
    return label;
}

std::string doubleSpaces(std::string_view line) {
    std::string doubled;
    doubled.reserve(line.size() * 2);
    for (char c : line) {
        if (c == ' ') {
            doubled += "  ";
        } else if (c == kCurrencySign) {
            doubled += ' ';
        } else {
            doubled += c;
        }
    }
    return doubled;
}

std::string dbString(std::string_view text) {
    if (text.find(kQuote) == std::string_view::npos) {
        std::string operands;
        operands.reserve(text.size() + 4);
        operands += kQuote;
        operands += text;
        operands += "\",0";
        return operands;
    }
    // The assembler's strings have no escapes, so a quote can only be given as its code.
    std::string operands;
    while (!text.empty()) {
        if (!operands.empty()) {
            operands += ',';
        }
        if (text.front() == kQuote) {
            operands += "34";
            text.remove_prefix(1);
            continue;
        }
        const std::size_t run = std::min(text.find(kQuote), text.size());
        operands += kQuote;
        operands += text.substr(0, run);
        operands += kQuote;
        text.remove_prefix(run);
    }
    operands += ",0";
    return operands;
}

SourceOutcome writeAssemblySource(const std::string& workingFolder, std::int64_t lineCount,
                                  std::string_view programName, std::string_view headerTemplate,
                                  const SourceCallbacks& callbacks) {
    if (!rowTableFilled()) {
        return failure("the screen row table has not been filled");
    }
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
    out.writeLine(" .db " + dbString(programName));
    out.writeLine("debut:");
    out.writeLine("   bcall(_indicatorOff)");
    out.writeLine("   bcall(_clrlcdf)");

    const std::int64_t screenCount = lineCount / kRowsPerScreen + 1;
    if (callbacks.screenCountReady) {
        callbacks.screenCountReady(screenCount);
    }

    std::string row;
    std::int64_t lineNumber = 0;
    const auto writeScreen = [&](std::int64_t rows) {
        for (int r = 1; r <= rows; ++r) {
            appendRowLine(row, r, ++lineNumber);
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
    for (std::int64_t n = 1; n <= lineCount && out.ok(); ++n) {
        processEvents();
        row = lineLabel(n);
        row += ':';
        out.writeLine(row);
        if (!lines.readLine(line)) {
            return failure(lines.error(), screenCount);
        }
        out.writeLine("    .db " + dbString(doubleSpaces(line)));
    }
    out.writeLine(".end");
    out.writeLine("END");
    if (!out.close()) {
        return failure(out.error(), screenCount);
    }
    return {true, screenCount, {}};
}

} // namespace corvane
