#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace corvane::fuzz {

// The lines of `bytes` by the reading rule, written out independently of LineReader: a line
// ends at CR or at LF, a CR LF pair is one terminator, and the last line may end at the end
// of the file. An empty file has no lines.
inline std::vector<std::string_view> referenceLines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const std::size_t end = bytes.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) {
            lines.push_back(bytes.substr(pos));
            break;
        }
        lines.push_back(bytes.substr(pos, end - pos));
        pos = end + 1;
        if (bytes[end] == '\r' && pos < bytes.size() && bytes[pos] == '\n') {
            ++pos;
        }
    }
    return lines;
}

// The lines from `first` on, each but the last followed by CR LF.
inline std::string joinLines(const std::vector<std::string_view>& lines, std::size_t first) {
    std::string text;
    for (std::size_t i = first; i < lines.size(); ++i) {
        if (i > first) {
            text += "\r\n";
        }
        text += lines[i];
    }
    return text;
}

} // namespace corvane::fuzz
