// Both document readers on arbitrary file contents, checked against the reading rule written
// out independently, and the writer checked to give back what the reader read.
#include "document_file.h"
#include "fuzz_support.h"
#include "reference_lines.h"
#include "text_encoding.h"

#include <cstdint>
#include <vector>

using namespace corvane;
using corvane::fuzz::check;

namespace {

struct Heard {
    std::vector<std::string> names;
    std::string text; // the textLine callbacks' lines, joined with CR LF
    std::int64_t lines = 0;
    std::int64_t eventRounds = 0;
};

ReadCallbacks listeningTo(Heard& heard) {
    ReadCallbacks callbacks;
    callbacks.processEvents = [&heard] { ++heard.eventRounds; };
    callbacks.programName = [&heard](std::string_view line) { heard.names.emplace_back(line); };
    callbacks.calculatorFileName = callbacks.programName;
    callbacks.textLine = [&heard](std::string_view line) {
        if (heard.lines++ > 0) {
            heard.text += "\r\n";
        }
        heard.text += line;
    };
    return callbacks;
}

void checkPlainText(const std::string& path, std::string_view bytes,
                    const std::vector<std::string_view>& lines) {
    Heard heard;
    const ReadOutcome read = readPlainTextFile(path, listeningTo(heard));
    check(read.ok == !bytes.empty(), "a plain text file fails exactly when it is empty");
    check(read.ok || !read.error.empty(), "a failed read says why");
    check(read.document.programName.empty() && read.document.calculatorFileName.empty(),
          "a plain text read leaves the names empty");
    check(heard.names.empty(), "a plain text read reports no header line");
    if (!read.ok) {
        check(read.document.text.empty(), "an empty file gives no text");
        return;
    }
    check(read.document.text == fuzz::joinLines(lines, 0), "plain text differs from its lines");
    check(heard.text == read.document.text, "the reported lines do not rebuild the text");
    check(heard.lines == static_cast<std::int64_t>(lines.size()), "a line was not reported");
    check(heard.eventRounds == heard.lines / 20, "events not processed once per 20 lines");
}

void checkDocument(const std::string& path, const std::vector<std::string_view>& lines) {
    Heard heard;
    const ReadOutcome read = readDocumentFile(path, listeningTo(heard));
    check(read.ok == (lines.size() >= 3), "a document fails exactly when it has under 3 lines");
    check(read.ok || !read.error.empty(), "a failed read says why");
    for (std::size_t i = 0; i < heard.names.size(); ++i) {
        check(heard.names[i] == lines[i], "a header line was reported wrongly");
    }
    check(heard.names.size() == std::min<std::size_t>(lines.size(), 2), "a header was missed");
    if (!read.ok) {
        check(read.document.text.empty(), "a short document has text");
        return;
    }
    check(read.document.programName == lines[0], "wrong program name");
    check(read.document.calculatorFileName == lines[1], "wrong calculator file name");
    check(read.document.text == fuzz::joinLines(lines, 2), "document text differs from its lines");
    check(heard.text == read.document.text, "the reported lines do not rebuild the text");

    // Names without LF come back whole from a write and a read (the text never holds a lone
    // CR once read).
    if (read.document.programName.find('\n') != std::string::npos ||
        read.document.calculatorFileName.find('\n') != std::string::npos) {
        return;
    }
    const std::string copy = fuzz::scratchFolder() + "/copy.txt";
    check(writeDocumentFile(copy, read.document).empty(), "writing the document failed");
    check(fuzz::readBytes(copy) == read.document.programName + "\r\n" +
                                       read.document.calculatorFileName + "\r\n" +
                                       read.document.text + "\r\n",
          "the written file is not header, text and CR LF");
    // A program name that itself starts with the UTF-8 byte order mark is read back without
    // it: the mark at the start of a file always announces the encoding.
    if (read.document.programName.starts_with(kUtf8ByteOrderMark)) {
        return;
    }
    const ReadOutcome again = readDocumentFile(copy);
    check(again.ok, "a written document does not read back");
    check(again.document.programName == read.document.programName &&
              again.document.calculatorFileName == read.document.calculatorFileName &&
              again.document.text == read.document.text,
          "a written document reads back different");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzz::asText(data, size);
    const std::string path = fuzz::scratchFolder() + "/input.txt";
    fuzz::writeBytes(path, bytes);
    // A leading UTF-8 byte order mark marks the encoding and belongs to no line.
    const std::string_view content =
        bytes.starts_with(kUtf8ByteOrderMark) ? bytes.substr(kUtf8ByteOrderMark.size()) : bytes;
    const std::vector<std::string_view> lines = fuzz::referenceLines(content);
    checkPlainText(path, content, lines);
    checkDocument(path, lines);
    return 0;
}
