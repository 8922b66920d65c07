// The two text passes on arbitrary document files: every calculator line is at most 23
// characters and 95 pixels wide and the cut loses nothing, temp.ett holds exactly lineCount lines,
// every label that tmp.z80 names is defined once, and the source assembles unless the program is
// too big.
#include "assembler.h"
#include "fuzz_support.h"
#include "layout.h"
#include "line_reader.h"
#include "reference_lines.h"
#include "small_font.h"
#include "source_writer.h"

#include <cstdint>
#include <cstdio>
#include <set>
#include <string>
#include <utility>
#include <vector>

using namespace corvane;
using corvane::fuzz::check;

namespace {

// Longer sources only add time per input: past this many calculator lines the source is
// checked but not assembled.
constexpr std::int64_t kAssembledLines = 400;
// A program this short always fits the calculator.
constexpr std::int64_t kAlwaysFits = 100;
// The window's program name field holds at most 20 characters.
constexpr std::size_t kProgramNameLimit = 20;

const std::string& ionInclude() {
    static const std::string text =
        fuzz::readBytes(std::string(CORVANE_SOURCE_DIR) + "/toolchain/ion/ion.inc");
    return text;
}

// A piece split where its drawn width would pass 95 pixels, written out independently.
void appendSplitByWidth(std::string_view piece, std::vector<std::string>& cut) {
    std::string current;
    int width = 0;
    for (const char c : piece) {
        const int advance = drawnWidth(static_cast<std::uint8_t>(c));
        if (width + advance > kLineWidthLimit) {
            cut.push_back(std::move(current));
            current.clear();
            width = 0;
        }
        current += c;
        width += advance;
    }
    cut.push_back(std::move(current));
}

// A text line as drawn, written out independently: a tab is a space, an ellipsis three dots.
std::string drawnText(std::string_view line) {
    std::string drawn;
    for (const char c : line) {
        if (c == '\t') {
            drawn += ' ';
        } else if (c == '\x85') {
            drawn += "...";
        } else {
            drawn += c;
        }
    }
    return drawn;
}

std::vector<std::string> expectedCalculatorLines(const std::vector<std::string_view>& lines) {
    std::vector<std::string> cut;
    for (std::size_t i = 2; i < lines.size(); ++i) {
        const std::string drawn = drawnText(lines[i]);
        std::string_view line = drawn;
        if (line.size() <= kCalculatorLineLength) {
            appendSplitByWidth(line, cut);
            continue;
        }
        while (line.size() >= kCalculatorLineLength) {
            appendSplitByWidth(line.substr(0, kCalculatorLineLength), cut);
            line.remove_prefix(kCalculatorLineLength);
        }
        appendSplitByWidth(line, cut);
    }
    return cut;
}

int drawnWidthOf(std::string_view line) {
    int width = 0;
    for (const char c : line) {
        width += drawnWidth(static_cast<std::uint8_t>(c));
    }
    return width;
}

void checkTempEtt(const std::string& folder, const std::vector<std::string>& expected) {
    LineReader reader(folder + "/temp.ett");
    check(reader.ok(), "temp.ett cannot be opened");
    std::string line;
    std::size_t count = 0;
    while (!reader.atEnd()) {
        check(reader.readLine(line), "temp.ett cannot be read");
        check(line.size() <= kCalculatorLineLength, "a calculator line is over 23 characters");
        check(drawnWidthOf(line) <= kLineWidthLimit, "a calculator line is over 95 pixels");
        check(count < expected.size() && line == expected[count], "temp.ett holds a wrong line");
        ++count;
    }
    check(count == expected.size(), "temp.ett does not hold lineCount lines");
}

// The number after "lng" at `at` in `text`, as written.
std::string labelAt(std::string_view text, std::size_t at) {
    std::size_t end = at + 3;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9') {
        ++end;
    }
    return std::string(text.substr(at, end - at));
}

void checkLabels(const std::string& source, std::int64_t lineCount) {
    std::set<std::string> defined;
    std::vector<std::string> named;
    std::size_t pos = 0;
    while (pos < source.size()) {
        std::size_t end = source.find("\r\n", pos);
        check(end != std::string::npos, "tmp.z80 does not end with CR LF");
        const std::string_view line = std::string_view(source).substr(pos, end - pos);
        pos = end + 2;
        if (line.starts_with("lng")) {
            const std::string label = labelAt(line, 0);
            check(line.size() == label.size() + 1 && line.back() == ':',
                  "a data label line holds more than its label");
            check(defined.insert(label).second, "a label is defined twice");
        } else if (line.starts_with("    ld hl,")) {
            const std::size_t at = line.find("ld hl,lng");
            check(at != std::string_view::npos, "a row line names no label");
            named.push_back(labelAt(line, at + 6));
        }
    }
    check(named.size() == static_cast<std::size_t>(lineCount), "not one row line per line");
    check(defined.size() == static_cast<std::size_t>(lineCount), "not one label per line");
    for (const std::string& label : named) {
        check(defined.count(label) == 1, "a row line names an undefined label");
    }
}

bool isLimitMessage(const std::string& message) {
    for (const char* limit : {"bytes long", "code reaches", "address past FFFFh", "out of range"}) {
        if (message.find(limit) != std::string::npos) {
            return true;
        }
    }
    return false;
}

void checkAssembles(const std::string& source, std::int64_t lineCount) {
    asm83::AssemblyInput input;
    input.sourcePath = "tmp.z80";
    input.sourceText = source;
    input.defines.emplace_back("TI83P", "");
    input.form = asm83::OutputForm::TI83Plus;
    input.programName = "FUZZ";
    input.resolveInclude = [](const std::string& name, const std::string&) {
        return name == "ion.inc" ? std::optional(asm83::IncludedFile{"ion.inc", ionInclude()})
                                 : std::nullopt;
    };
    const asm83::AssemblyResult result = asm83::assemble(input);
    if (result.ok()) {
        check(!result.output.empty(), "an assembly without errors gave no program");
        return;
    }
    for (const std::string& message : result.messages) {
        if (message.find("error:") != std::string::npos && !isLimitMessage(message)) {
            std::fprintf(stderr, "%s\n", message.c_str());
            fuzz::broken("a written source does not assemble");
        }
    }
    check(lineCount > kAlwaysFits, "a short program was refused as too big");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzz::asText(data, size);
    const std::string& folder = fuzz::scratchFolder();
    const std::string document = folder + "/doc.txt";
    fuzz::writeBytes(document, bytes);
    std::remove((folder + "/temp.ett").c_str());
    std::remove((folder + "/tmp.z80").c_str());

    const std::vector<std::string_view> lines = fuzz::referenceLines(bytes);
    std::int64_t lineCount = 0;
    const LayoutOutcome layout = layoutLines(document, folder, lineCount);
    if (lines.size() < 3) {
        check(!layout.ok && !layout.error.empty(), "a file under 3 lines was laid out");
        check(lineCount == 0, "a refused file counted lines");
        std::FILE* left = std::fopen((folder + "/temp.ett").c_str(), "rb");
        check(left == nullptr, "a refused file left a temp.ett");
        return 0;
    }
    check(layout.ok, "the layout of a document failed");
    const std::vector<std::string> expected = expectedCalculatorLines(lines);
    check(lineCount == static_cast<std::int64_t>(expected.size()), "wrong lineCount");
    checkTempEtt(folder, expected);

    const std::string programName(lines[0].substr(0, kProgramNameLimit));
    std::int64_t announced = -1;
    SourceCallbacks callbacks;
    callbacks.screenCountReady = [&announced](std::int64_t screens) { announced = screens; };
    const SourceOutcome source =
        writeAssemblySource(folder, lineCount, programName, kHeaderTemplate, callbacks);
    check(source.ok, "the source writer failed");
    check(source.screenCount == lineCount / 10 + 1 && announced == source.screenCount,
          "wrong screen count");
    const std::string z80 = fuzz::readBytes(folder + "/tmp.z80");
    checkLabels(z80, lineCount);
    if (lineCount <= kAssembledLines) {
        checkAssembles(z80, lineCount);
    }
    return 0;
}
