#include "source_writer.h"

#include "line_reader.h"
#include "line_writer.h"
#include "path.h"

#include <algorithm>
#include <charconv>

namespace corvane {

// Line 6 gives the TI-83 Plus token as $BB,$6D: a bare 6D would be decimal 6 to the assembler.
namespace {
constexpr std::string_view kIonHeader = "        .nolist\r\n"
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
} // namespace

const std::string_view kHeaderTemplate = kIonHeader;
const std::string_view kIonProgramOrigin = kIonHeader.substr(0, kIonHeader.find("        ret\r\n"));

namespace {

// The instructions the writer emits, each beside the bytes it assembles to, so that the size
// of the program's code follows what is written. The header template ends in ret and
// jr nc,debut.
struct CodeLine {
    std::string_view text;
    std::int64_t bytes;
};
constexpr std::int64_t kHeaderCodeBytes = 1 + 2;
constexpr std::int64_t kTitleTerminatorBytes = 1;
constexpr CodeLine kStartCode[] = {{"   bcall(_indicatorOff)", 3}, {"   bcall(_clrlcdf)", 3}};
// A row: ld hl,pen position; ld (pencol),hl; ld hl,string; bcall(_vputs).
constexpr std::int64_t kRowCodeBytes = 3 + 3 + 3 + 3;
constexpr CodeLine kScreenEndCode[] = {{"    bcall(_getkey)", 3}, {"    bcall(_clrlcdf)", 3}};
constexpr CodeLine kProgramEndCode[] = {{"   ret", 1}};

template <std::size_t N> constexpr std::int64_t bytesOf(const CodeLine (&lines)[N]) {
    std::int64_t bytes = 0;
    for (const CodeLine& line : lines) {
        bytes += line.bytes;
    }
    return bytes;
}

template <std::size_t N> void writeCode(LineWriter& out, const CodeLine (&lines)[N]) {
    for (const CodeLine& line : lines) {
        out.writeLine(line.text);
    }
}

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

// Replaces `out` with the row line that draws line `lineNumber` on screen row `row` (from 0):
// the pen row as two upper-case hex digits, then column 1.
void setRowLine(std::string& out, int row, std::int64_t lineNumber) {
    constexpr char kHexDigits[] = "0123456789ABCDEF";
    const int penRow = kPenRows[static_cast<std::size_t>(row)];
    out = "    ld hl,";
    out += kHexDigits[penRow / 16];
    out += kHexDigits[penRow % 16];
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

std::int64_t programCodeBytes(std::int64_t lineCount, std::size_t programNameLength) {
    const std::int64_t fullScreens = lineCount / kRowsPerScreen;
    const std::int64_t lastRows = lineCount % kRowsPerScreen;
    const std::int64_t screenEnd = bytesOf(kScreenEndCode);
    return kHeaderCodeBytes + static_cast<std::int64_t>(programNameLength) + kTitleTerminatorBytes +
           bytesOf(kStartCode) + fullScreens * (kRowsPerScreen * kRowCodeBytes + screenEnd) +
           lastRows * kRowCodeBytes + screenEnd + bytesOf(kProgramEndCode);
}

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
    writeCode(out, kStartCode);

    const std::int64_t screenCount = lineCount / kRowsPerScreen + 1;
    if (callbacks.screenCountReady) {
        callbacks.screenCountReady(screenCount);
    }

    std::int64_t lineNumber = 0;
    const auto writeScreen = [&](std::int64_t rows) {
        for (int r = 0; r < rows; ++r) {
            setRowLine(row, r, ++lineNumber);
            out.writeLine(row);
        }
        writeCode(out, kScreenEndCode);
    };
    for (std::int64_t screen = 1; screen < screenCount && out.ok(); ++screen) {
        processEvents();
        writeScreen(kRowsPerScreen);
    }
    writeScreen(lineCount - kRowsPerScreen * (screenCount - 1));
    writeCode(out, kProgramEndCode);

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
