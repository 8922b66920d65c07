#include "document_file.h"

#include "atomic_file.h"
#include "line_reader.h"

#include <cstdint>

namespace corvane {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
// Events are processed before every 20th text line, so a long read keeps the window alive
// without paying for an event round per line.
constexpr std::int64_t kLinesPerEventRound = 20;

void notify(const std::function<void(std::string_view)>& callback, std::string_view line) {
    if (callback) {
        callback(line);
    }
}

// Reads text lines until the end of the file: at least one line is always read, each one is
// appended with CR LF, and the CR LF after the last line is removed once all went well.
void readTextLines(LineReader& reader, const ReadCallbacks& callbacks, ReadOutcome& outcome) {
    std::string& text = outcome.document.text;
    std::string line;
    std::int64_t count = 0;
    do {
        ++count;
        if (count % kLinesPerEventRound == 0 && callbacks.processEvents) {
            callbacks.processEvents();
        }
        if (!reader.readLine(line)) {
            outcome.error = reader.error();
            outcome.pastEnd = reader.pastEnd();
            return;
        }
        text += line;
        text += kLineEnd;
        notify(callbacks.textLine, line);
    } while (!reader.atEnd());
    if (!reader.ok()) {
        outcome.error = reader.error();
        return;
    }
    text.resize(text.size() - kLineEnd.size());
    outcome.ok = true;
}

ReadOutcome emptyOutcome() {
    ReadOutcome outcome;
    outcome.document.programName.clear();
    outcome.document.calculatorFileName.clear();
    return outcome;
}

// Opens `path` for a reader: tells the file's encoding and steps over a UTF-8 byte order
// mark, which belongs to no line.
bool startReading(const std::string& path, LineReader& reader, const ReadCallbacks& callbacks,
                  ReadOutcome& outcome) {
    if (!reader.ok()) {
        outcome.error = reader.error();
        return false;
    }
    outcome.encoding = detectFileEncoding(path);
    if (callbacks.encoding) {
        callbacks.encoding(outcome.encoding);
    }
    if (outcome.encoding == TextEncoding::Utf8) {
        reader.skipPrefix(kUtf8ByteOrderMark);
    }
    return true;
}

} // namespace

HeaderRead readDocumentHeader(LineReader& reader, const std::string& path, Document& header,
                              const ReadCallbacks& callbacks) {
    // Checked before each line is read: a file too short to be a document is told apart from
    // one that cannot be read.
    const auto tooShort = [&] {
        return reader.ok() ? HeaderRead{path + ": not a document file: it has fewer than "
                                               "three lines",
                                        true}
                           : HeaderRead{reader.error(), false};
    };
    for (auto [field, callback] :
         {std::pair{&header.programName, &callbacks.programName},
          std::pair{&header.calculatorFileName, &callbacks.calculatorFileName}}) {
        if (reader.atEnd()) {
            return tooShort();
        }
        if (!reader.readLine(*field)) {
            return {reader.error(), reader.pastEnd()};
        }
        notify(*callback, *field);
    }
    if (reader.atEnd()) {
        return tooShort();
    }
    return {};
}

ReadOutcome readDocumentFile(const std::string& path, const ReadCallbacks& callbacks) {
    ReadOutcome outcome = emptyOutcome();
    LineReader reader(path);
    if (!startReading(path, reader, callbacks, outcome)) {
        return outcome;
    }
    const HeaderRead header = readDocumentHeader(reader, path, outcome.document, callbacks);
    if (!header.error.empty()) {
        outcome.error = header.error;
        outcome.pastEnd = header.pastEnd;
        return outcome;
    }
    readTextLines(reader, callbacks, outcome);
    return outcome;
}

ReadOutcome readPlainTextFile(const std::string& path, const ReadCallbacks& callbacks) {
    ReadOutcome outcome = emptyOutcome();
    LineReader reader(path);
    if (!startReading(path, reader, callbacks, outcome)) {
        return outcome;
    }
    readTextLines(reader, callbacks, outcome);
    return outcome;
}

std::string writeDocumentFile(const std::string& path, const Document& document,
                              const std::function<void()>& afterHeader) {
    AtomicFile file(path);
    file.write(document.programName);
    file.write(kLineEnd);
    file.write(document.calculatorFileName);
    file.write(kLineEnd);
    if (afterHeader && file.ok()) {
        afterHeader();
    }
    file.write(document.text);
    file.write(kLineEnd);
    file.commit();
    return file.error();
}

} // namespace corvane
