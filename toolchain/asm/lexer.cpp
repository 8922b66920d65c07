#include "lexer.h"

#include <algorithm>

namespace corvane::asm83 {

std::string_view trim(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && isBlank(text[end - 1])) {
        --end;
    }
    return text.substr(begin, end - begin);
}

std::size_t stringEnd(std::string_view text, std::size_t open) {
    for (std::size_t i = open + 1; i < text.size(); ++i) {
        if (text[i] == '"') {
            return i;
        }
        if (text[i] == '\r') {
            return std::string_view::npos;
        }
    }
    return std::string_view::npos;
}

std::size_t skipLiteral(std::string_view text, std::size_t i) {
    if (text[i] == '"') {
        const std::size_t close = stringEnd(text, i);
        return close == std::string_view::npos ? text.size() : close + 1;
    }
    return isCharLiteralAt(text, i) ? i + 3 : i;
}

SourceLine nextSourceLine(std::string_view source, std::size_t pos) {
    SourceLine line;
    std::size_t i = pos;
    bool comment = false;
    while (i < source.size()) {
        const char c = source[i];
        if (c == '\r' || c == '\n') {
            break;
        }
        if (comment) {
            ++i;
            continue;
        }
        if (c == ';') {
            comment = true;
            ++i;
        } else if (c == '"') {
            const std::size_t close = stringEnd(source, i);
            if (close == std::string_view::npos) {
                // Recover at the first line feed the literal swallowed, so that one missing
                // quote does not take the rest of the file with it.
                line.stringNotClosed = true;
                std::size_t stop = i + 1;
                while (stop < source.size() && source[stop] != '\r' && source[stop] != '\n') {
                    ++stop;
                }
                i = stop;
                break;
            }
            for (std::size_t k = i + 1; k < close; ++k) {
                line.lineFeedsInStrings += source[k] == '\n' ? 1 : 0;
            }
            i = close + 1;
        } else if (isCharLiteralAt(source, i)) {
            i += 3;
        } else {
            ++i;
        }
    }
    line.text = source.substr(pos, i - pos);
    if (i < source.size() && source[i] == '\r') {
        ++i;
        if (i < source.size() && source[i] == '\n') {
            ++i;
        }
    } else if (i < source.size()) {
        ++i;
    }
    line.next = i;
    return line;
}

void splitStatements(std::string_view line, std::vector<std::string_view>& statements) {
    statements.clear();
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == ';') {
            break;
        }
        if (c == '\\') {
            statements.push_back(line.substr(start, i - start));
            start = ++i;
        } else if (const std::size_t after = skipLiteral(line, i); after != i) {
            i = after;
        } else {
            ++i;
        }
    }
    statements.push_back(line.substr(start, std::min(i, line.size()) - start));
}

std::size_t escapedCharLiteral(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && line[i] != ';') {
        if (const std::size_t after = skipLiteral(line, i); after != i) {
            i = after;
        } else if (line[i] == '\'' && i + 3 < line.size() && line[i + 1] == '\\' &&
                   line[i + 3] == '\'') {
            return i;
        } else {
            ++i;
        }
    }
    return std::string_view::npos;
}

std::string_view withoutComment(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ';') {
            return text.substr(0, i);
        }
        const std::size_t after = skipLiteral(text, i);
        i = after != i ? after : i + 1;
    }
    return text;
}

void splitOperands(std::string_view text, std::vector<std::string_view>& operands) {
    operands.clear();
    text = trim(text);
    if (text.empty()) {
        return;
    }
    int depth = 0;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        if (const std::size_t after = skipLiteral(text, i); after != i) {
            i = after;
            continue;
        }
        const char c = text[i];
        if (c == '(') {
            ++depth;
        } else if (c == ')') {
            --depth;
        } else if (c == ',' && depth <= 0) {
            operands.push_back(trim(text.substr(start, i - start)));
            start = i + 1;
        }
        ++i;
    }
    operands.push_back(trim(text.substr(start)));
}

} // namespace corvane::asm83
