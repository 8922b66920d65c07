#pragma once

#include "text_encoding.h"

#include <functional>
#include <string>
#include <string_view>

namespace corvane {

// The edited document: program name, calculator file name and text, as 8-bit bytes in
// the ANSI code page. Text lines are separated by CR LF.
struct Document {
    std::string programName = "Notitle";
    std::string calculatorFileName = "notitle";
    std::string text;
};

// What a reader tells its caller while it reads. Every member may be left empty.
struct ReadCallbacks {
    // How the lines that follow are to be decoded; called once, before the first line.
    std::function<void(TextEncoding)> encoding;
    // Lets the window process its pending events; called before the 20th, 40th, ...
    // text line is read.
    std::function<void()> processEvents;
    // A header line as soon as it has been read (the whole line: cutting it to the
    // field's limit is the window's job).
    std::function<void(std::string_view)> programName;
    std::function<void(std::string_view)> calculatorFileName;
    // One text line as soon as it has been read, without its terminator.
    std::function<void(std::string_view)> textLine;
};

// The result of a read. On failure `document` holds what was read before it: the names
// read so far and the text lines read so far, each followed by CR LF. The bytes are the
// file's own (a UTF-8 byte order mark left out), to be decoded by `encoding`.
struct ReadOutcome {
    bool ok = false;
    Document document;
    TextEncoding encoding = TextEncoding::CodePage;
    std::string error;
    // The file ended before a line the format needs (too short, not a failure of the system).
    bool pastEnd = false;
};

// Both readers end a line at CR LF, CR or LF, and tell the file's encoding before its first
// line (see EncodingDetector).

// Reads a document file: line 1 the program name, line 2 the calculator file name, every
// further line a line of the text. A file of fewer than three lines fails.
ReadOutcome readDocumentFile(const std::string& path, const ReadCallbacks& callbacks = {});

class LineReader;

// How reading a document's header ended: `error` is empty when both header lines were read
// and a text line follows; `pastEnd` tells a file too short to be a document from a failed
// read.
struct HeaderRead {
    std::string error;
    bool pastEnd = false;
};

// Reads the two header lines of the document file `path` from `reader`, which stands at its
// start, into `header`, telling each line to `callbacks` as it is read; the reader is left
// at the first text line. The one place that knows a document's header.
HeaderRead readDocumentHeader(LineReader& reader, const std::string& path, Document& header,
                              const ReadCallbacks& callbacks = {});

// Reads a plain text file: every line is a line of the text; only an empty file fails.
// The names of the outcome's document are left empty.
ReadOutcome readPlainTextFile(const std::string& path, const ReadCallbacks& callbacks = {});

// Writes the document: program name, CR LF, calculator file name, CR LF, text, CR LF.
// The new content is written beside `path` and replaces it only when complete, so on any
// failure the previous file stays whole. `afterHeader`, when given, runs once between the
// header lines and the text (the window processes its events there). Returns an empty
// string on success, otherwise an error naming the file and the system's reason.
std::string writeDocumentFile(const std::string& path, const Document& document,
                              const std::function<void()>& afterHeader = {});

} // namespace corvane
