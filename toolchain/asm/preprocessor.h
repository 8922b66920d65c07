#pragma once

#include "diagnostics.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace corvane::asm83 {

// An included file as the resolver found it: the path that messages name, and its bytes.
struct IncludedFile {
    std::string path;
    std::string text;
};

// Finds `name` of an #include line written in `includingFile`; empty when it does not exist.
using IncludeResolver = std::function<std::optional<IncludedFile>(
    const std::string& name, const std::string& includingFile)>;

// One statement after preprocessing: what lies between '\' separators of a line, with its
// comment removed and its macros expanded.
struct Statement {
    std::string_view text;
    std::uint32_t file = 0; // index into Preprocessed::files
    std::uint32_t line = 0;
    bool lineStart = false; // the first statement of its line: a word at its column 1 is a label
};

struct Preprocessed {
    std::vector<Statement> statements;
    std::vector<std::string> files; // paths, for messages
    // Owners of the text the statements point into.
    std::deque<std::string> buffers;
};

// Case-insensitive hashing and comparison for symbol and macro names.
struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view name) const;
};
struct NameEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
};

// Reads the source and its includes, keeps the lines that #ifdef/#ifndef/#else/#endif leave
// active, expands #define macros, and stops after a '.end' statement.
class Preprocessor {
  public:
    Preprocessor(Diagnostics& diagnostics, IncludeResolver resolver);

    // A macro given on the command line: "-D NAME" or "-D NAME=VALUE".
    void define(std::string_view name, std::string_view body);

    Preprocessed run(const std::string& path, std::string text);

  private:
    struct Macro {
        bool hasParameters = false;
        std::vector<std::string> parameters;
        std::string body;
    };

    struct Conditional {
        bool wasActive = true; // whether the enclosing lines were active
        bool taking = true;    // whether this branch is taken
        bool seenElse = false;
        std::uint32_t line = 0;
        std::string_view keyword;
    };

    bool processFile(std::uint32_t fileIndex, std::string_view text, int depth);
    // Returns false after '.end'.
    bool processLine(std::uint32_t fileIndex, std::uint32_t line, std::string_view text);
    void directive(std::uint32_t fileIndex, std::uint32_t line, std::string_view text,
                   std::vector<Conditional>& conditionals, int depth, bool& stop);
    void defineDirective(std::uint32_t fileIndex, std::uint32_t line, std::string_view rest);
    void includeDirective(std::uint32_t fileIndex, std::uint32_t line, std::string_view rest,
                          int depth, bool& stop);
    // Expands the macros of `text` into `out`; false when there were none.
    bool expand(std::string_view text, std::string& out, std::uint32_t fileIndex,
                std::uint32_t line, int depth);
    const Macro* findMacro(std::string_view name) const;
    void error(std::uint32_t fileIndex, std::uint32_t line, std::string_view text);

    Diagnostics& diagnostics_;
    IncludeResolver resolver_;
    std::unordered_map<std::string, Macro, NameHash, NameEqual> macros_;
    Preprocessed result_;
    std::vector<std::string_view> pieces_;
    // Characters the current line's macros may still expand to; 0 once its expansion was
    // given up.
    std::size_t expansionLeft_ = 0;
};

} // namespace corvane::asm83
