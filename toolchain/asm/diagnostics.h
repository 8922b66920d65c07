#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace corvane::asm83 {

// Collects the messages of one assembly as "file:line: error: text". Messages that belong to
// no line start with "asm83:". Nothing is printed here: the caller decides where they go.
class Diagnostics {
  public:
    void error(std::string_view file, int line, std::string_view text);
    void warning(std::string_view file, int line, std::string_view text);
    void error(std::string_view text);
    void warning(std::string_view text);

    // While muted (the first pass), errors are not recorded: the second pass reports them.
    void setMuted(bool muted) { muted_ = muted; }

    int errorCount() const { return errors_; }
    int warningCount() const { return warnings_; }
    const std::vector<std::string>& messages() const { return messages_; }

  private:
    void add(std::string_view file, int line, std::string_view kind, std::string_view text);

    std::vector<std::string> messages_;
    int errors_ = 0;
    int warnings_ = 0;
    bool muted_ = false;
};

} // namespace corvane::asm83
