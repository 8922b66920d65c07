#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace corvane {

// Conversion between the 8-bit bytes of Corvane's files and the window's UTF-16 text.
// On Windows this is the system's ANSI code page; elsewhere Windows-1252, where the five
// bytes without a character (81h, 8Dh, 8Fh, 90h, 9Dh) map to the C1 controls of the same
// value so that every byte survives a round trip. A character the code page cannot hold
// is written as "?".
std::u16string decodeAnsi(std::string_view bytes);
std::string encodeAnsi(std::u16string_view text);

// Text in the libraries' narrow form (UTF-8 on Windows, as every path there) re-encoded for
// the command interpreter, which reads batch files in the OEM code page on Windows; empty when
// it holds a character that page lacks. Elsewhere the bytes stay as they are: the runner that
// carries out batch files there reads them as they were written.
std::optional<std::string> toBatchFileCodePage(std::string_view text);

} // namespace corvane
