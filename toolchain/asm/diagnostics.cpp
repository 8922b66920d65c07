#include "diagnostics.h"

namespace corvane::asm83 {

void Diagnostics::add(std::string_view file, int line, std::string_view kind,
                      std::string_view text) {
    std::string message(file);
    if (line > 0) {
        message += ':';
        message += std::to_string(line);
    }
    message += ": ";
    message += kind;
    message += ": ";
    message += text;
    messages_.push_back(std::move(message));
}

void Diagnostics::error(std::string_view file, int line, std::string_view text) {
    if (muted_) {
        return;
    }
    ++errors_;
    add(file, line, "error", text);
}

void Diagnostics::warning(std::string_view file, int line, std::string_view text) {
    if (muted_) {
        return;
    }
    ++warnings_;
    add(file, line, "warning", text);
}

void Diagnostics::error(std::string_view text) {
    error("asm83", 0, text);
}

void Diagnostics::warning(std::string_view text) {
    warning("asm83", 0, text);
}

} // namespace corvane::asm83
