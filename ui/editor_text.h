#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace corvane {

// The visible mark of a lone LF inside a line: the text box never shows it as a break.
inline constexpr char16_t kLoneLineFeedMark = u'\u240A';

// One line of a file, as the window shows it: decoded from the ANSI code page, with every
// lone LF as the mark above.
QString lineForEditor(std::string_view bytes);

// A whole text whose lines end with CR LF, as the window shows it: one paragraph per line
// ('\n' between them, as QPlainTextEdit::setPlainText takes it).
QString textForEditor(std::string_view bytes);

// A field's text as file bytes: paragraph and line separators become CR LF, the lone-LF
// mark becomes LF again, and everything else is encoded to the ANSI code page.
std::string bytesFromEditor(const QString& text);

} // namespace corvane
