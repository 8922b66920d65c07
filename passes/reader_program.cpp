#include "reader_program.h"

#include "program_parts.h"
#include "source_writer.h"

#include <algorithm>

namespace corvane {

namespace {

constexpr std::uint8_t kSpace = ' ';
constexpr std::uint8_t kCurrencySign = 0xA4;
constexpr std::uint8_t kQuote = '"';
// The small font's digits and '/' are 4 pixels wide, ':' 2.
constexpr int kDigitWidth = 4;
constexpr int kSlashWidth = 4;
constexpr int kColonWidth = 2;

// BB 6D, xor a, jr nc and the title's terminating zero; then the two status strings'
// zeros.
constexpr std::size_t kHeaderBytes = 2 + 1 + 2 + 1;
constexpr std::size_t kStatusZeros = 2;
// The most a part's status strings hold: "999:" and "/65535".
constexpr std::size_t kLongestPrefix = 4;
constexpr std::size_t kLongestSuffix = 6;

std::string_view drawnPart(std::string_view line) {
    return line.substr(0, line.find('\0'));
}

std::string statusPrefix(int part) {
    return part > 0 ? std::to_string(part) + ":" : std::string();
}

std::string statusSuffix(std::size_t screenCount) {
    return "/" + std::to_string(screenCount);
}

std::size_t screensOf(std::size_t lineCount) {
    return std::max<std::size_t>(1, (lineCount + kReaderRowsPerScreen - 1) / kReaderRowsPerScreen);
}

std::size_t fixedBytes(std::size_t titleLength, std::size_t prefixLength,
                       std::size_t suffixLength) {
    return kHeaderBytes + titleLength + kReaderRoutineBytes + prefixLength + suffixLength +
           kStatusZeros;
}

// The bytes a line's data directive stores through the character map: each byte as it is,
// except the ones drawn as one space, written as kReaderSingleSpace.
bool drawnAsOneSpace(std::uint8_t byte) {
    return byte == kCurrencySign ||
           (byte != kSpace && calculatorCode(byte, CalculatorModel::TI83) == kSpace);
}

// `.db` operands of one line: strings for runs of ordinary bytes, numbers for the double
// quote (the assembler's strings have no escapes) and for the single-space byte, then 0.
std::string dataOperands(std::string_view line) {
    std::string out;
    bool inString = false;
    for (const char c : drawnPart(line)) {
        const auto byte = static_cast<std::uint8_t>(c);
        const bool single = drawnAsOneSpace(byte);
        if (single || byte == kQuote) {
            if (inString) {
                out += "\",";
                inString = false;
            }
            out += single ? "1," : "34,";
        } else {
            if (!inString) {
                out += '"';
                inString = true;
            }
            out += c;
        }
    }
    if (inString) {
        out += "\",";
    }
    out += '0';
    return out;
}

std::string quotedString(std::string_view text) {
    std::string out;
    bool inString = false;
    for (const char c : text) {
        if (c == '"') {
            out += inString ? "\",34," : "34,";
            inString = false;
        } else {
            if (!inString) {
                out += '"';
                inString = true;
            }
            out += c;
        }
    }
    out += inString ? "\",0" : "0";
    return out;
}

int textWidth(std::string_view ascii) {
    int width = 0;
    for (const char c : ascii) {
        width += c == ':' ? kColonWidth : c == '/' ? kSlashWidth : kDigitWidth;
    }
    return width;
}

} // namespace

std::size_t ReaderPart::screenCount() const {
    return screensOf(lineCount);
}

std::size_t readerLineBytes(std::string_view calculatorLine) {
    return drawnPart(calculatorLine).size() + 1;
}

std::size_t readerProgramBytes(const std::vector<std::string>& calculatorLines,
                               const ReaderPart& part) {
    std::size_t bytes = fixedBytes(part.title.size(), statusPrefix(part.number).size(),
                                   statusSuffix(part.screenCount()).size());
    for (std::size_t line = 0; line < part.lineCount; ++line) {
        bytes += readerLineBytes(calculatorLines[part.firstLine + line]);
    }
    return bytes;
}

ReaderPlan planReaderParts(const std::vector<std::string>& calculatorLines, std::string_view title,
                           std::size_t maxBytes) {
    ReaderPlan plan;
    ReaderPart whole{0, 1, 0, calculatorLines.size(), std::string(title)};
    if (readerProgramBytes(calculatorLines, whole) <= maxBytes) {
        plan.parts.push_back(std::move(whole));
        return plan;
    }
    std::vector<std::size_t> screenBytes;
    for (std::size_t first = 0; first < calculatorLines.size(); first += kReaderRowsPerScreen) {
        std::size_t bytes = 0;
        const std::size_t end = std::min(first + kReaderRowsPerScreen, calculatorLines.size());
        for (std::size_t line = first; line < end; ++line) {
            bytes += readerLineBytes(calculatorLines[line]);
        }
        screenBytes.push_back(bytes);
    }
    const auto starts = splitIntoParts(
        screenBytes, fixedBytes(kReaderPartTitleLimit, kLongestPrefix, kLongestSuffix), maxBytes);
    if (!starts) {
        plan.error = "one screen of the text does not fit in a program of " +
                     std::to_string(maxBytes) + " bytes";
        return plan;
    }
    const int count = static_cast<int>(starts->size());
    for (int number = 1; number <= count; ++number) {
        const auto index = static_cast<std::size_t>(number - 1);
        const std::size_t firstLine = (*starts)[index] * kReaderRowsPerScreen;
        const std::size_t endLine = index + 1 < starts->size()
                                        ? (*starts)[index + 1] * kReaderRowsPerScreen
                                        : calculatorLines.size();
        plan.parts.push_back({number, count, firstLine, endLine - firstLine,
                              partTitle(title, number, count, kReaderPartTitleLimit)});
    }
    return plan;
}

std::string readerSource(const std::vector<std::string>& calculatorLines, const ReaderPart& part) {
    const std::string prefix = statusPrefix(part.number);
    const std::string suffix = statusSuffix(part.screenCount());
    const std::size_t lastRows = part.lineCount - (part.screenCount() - 1) * kReaderRowsPerScreen;
    std::string out(kIonProgramOrigin);
    out += "        xor     a\r\n"
           "        jr      nc,rd_start\r\n";
    out += " .db " + quotedString(part.title) + "\r\n";
    out += "#include \"reader.inc\"\r\n";
    out += "rd_screens = " + std::to_string(part.screenCount()) + "\r\n";
    out += "rd_lastrows = " + std::to_string(lastRows) + "\r\n";
    out += "rd_fixedwidth = " + std::to_string(textWidth(prefix) + textWidth(suffix)) + "\r\n";
    out += "rd_prefix:\r\n .db " + quotedString(prefix) + "\r\n";
    out += "rd_suffix:\r\n .db " + quotedString(suffix) + "\r\n";
    out += "rd_text:\r\n";
    for (std::size_t line = 0; line < part.lineCount; ++line) {
        out += " .db " + dataOperands(calculatorLines[part.firstLine + line]) + "\r\n";
    }
    out += ".end\r\nEND\r\n";
    return out;
}

ScreenRow readerStatusRow(int part, std::size_t screen, std::size_t screenCount) {
    const std::string text =
        statusPrefix(part) + std::to_string(screen + 1) + statusSuffix(screenCount);
    ScreenRow row;
    row.penRow = kReaderStatusRow;
    row.penColumn = kScreenWidth - textWidth(text);
    row.codes = text;
    row.endColumn = kScreenWidth;
    return row;
}

Screen readerScreen(const std::vector<std::string>& calculatorLines, const ReaderPart& part,
                    std::size_t screen, CalculatorModel model) {
    Screen rows;
    const std::size_t first = screen * kReaderRowsPerScreen;
    const std::size_t end = std::min(first + kReaderRowsPerScreen, part.lineCount);
    int penRow = kReaderFirstRow;
    for (std::size_t line = first; line < end; ++line, penRow += kReaderRowStep) {
        rows.push_back(drawnRow(calculatorLines[part.firstLine + line], penRow, model));
    }
    rows.push_back(readerStatusRow(part.number, screen, part.screenCount()));
    return rows;
}

} // namespace corvane
