#pragma once

#include "text_encoding.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <string>
#include <string_view>

namespace corvane {

// One line of a file, as the window shows it, decoded as the file's encoding says (UTF-8
// composed to NFC).
QString lineForEditor(std::string_view bytes, TextEncoding encoding = TextEncoding::CodePage);

// A whole text whose lines end with CR LF, as the window shows it: one paragraph per line
// ('\n' between them, as QPlainTextEdit::setPlainText takes it).
QString textForEditor(std::string_view bytes);

// A field's text as file bytes: paragraph and line separators become CR LF, and everything
// else is encoded to the ANSI code page.
std::string bytesFromEditor(const QString& text);

// The characters of `text` that the code page cannot hold, which a save writes as "?".
struct Unencodable {
    QStringList first;   // the first ten different ones, in the order they appear
    qsizetype count = 0; // how many there are in all, repeats included
};
Unencodable findUnencodable(const QString& text);
// Where those characters are in `text`: position and length in UTF-16 units, in order.
struct TextSpan {
    qsizetype position = 0;
    qsizetype length = 0;
};
QList<TextSpan> unencodableSpans(const QString& text);

// A name field's text in one line: every line break becomes a space and other control
// characters are dropped.
QString singleLine(const QString& text);

// The file name Save As proposes for a program name: every character a file name cannot
// hold becomes "-".
QString suggestedFileName(const QString& programName);

} // namespace corvane
