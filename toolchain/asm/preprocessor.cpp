#include "preprocessor.h"

#include "lexer.h"

#include <ascii.h>

namespace corvane::asm83 {

namespace {

constexpr int kMaxIncludeDepth = 32;
constexpr int kMaxExpansionDepth = 16;
// Bounds on the work a hostile source can ask for: macros whose bodies name other macros
// several times grow exponentially within the depth limit, and so do include files that
// include each other more than once.
constexpr std::size_t kMaxExpandedLine = 16384;
constexpr std::size_t kMaxIncludedFiles = 256;

std::string_view identifierAt(std::string_view text, std::size_t start) {
    std::size_t end = start;
    while (end < text.size() && isIdentifierChar(text[end])) {
        ++end;
    }
    return text.substr(start, end - start);
}

std::string quoted(std::string_view text) {
    return "'" + std::string(text) + "'";
}

// True for a statement that is the '.end' (or 'END') directive.
bool isEndStatement(std::string_view statement) {
    const std::string_view text = trim(statement);
    const std::string_view word = identifierAt(text, 0);
    if (!ascii::equalsIgnoringCase(word, ".end") && !ascii::equalsIgnoringCase(word, "end")) {
        return false;
    }
    const std::string_view rest = trim(text.substr(word.size()));
    return rest.empty() || (rest[0] != ':' && rest[0] != '=');
}

// Finds the ')' that closes the '(' at `open`, skipping literals; npos when there is none.
std::size_t closingParenthesis(std::string_view text, std::size_t open) {
    int depth = 0;
    std::size_t i = open;
    while (i < text.size()) {
        if (const std::size_t after = skipLiteral(text, i); after != i) {
            i = after;
            continue;
        }
        if (text[i] == '(') {
            ++depth;
        } else if (text[i] == ')' && --depth == 0) {
            return i;
        }
        ++i;
    }
    return std::string_view::npos;
}

} // namespace

std::size_t NameHash::operator()(std::string_view name) const {
    // FNV-1a over the upper-cased name.
    std::size_t hash = 14695981039346656037ull;
    for (const char c : name) {
        hash ^= static_cast<unsigned char>(ascii::toUpper(c));
        hash *= 1099511628211ull;
    }
    return hash;
}

bool NameEqual::operator()(std::string_view a, std::string_view b) const {
    return ascii::equalsIgnoringCase(a, b);
}

Preprocessor::Preprocessor(Diagnostics& diagnostics, IncludeResolver resolver)
    : diagnostics_(diagnostics), resolver_(std::move(resolver)) {}

void Preprocessor::define(std::string_view name, std::string_view body) {
    Macro macro;
    macro.body = std::string(body);
    macros_[std::string(name)] = std::move(macro);
}

void Preprocessor::error(std::uint32_t fileIndex, std::uint32_t line, std::string_view text) {
    diagnostics_.error(result_.files[fileIndex], static_cast<int>(line), text);
}

Preprocessed Preprocessor::run(const std::string& path, std::string text) {
    result_.files.push_back(path);
    result_.buffers.push_back(std::move(text));
    processFile(0, result_.buffers.back(), 0);
    return std::move(result_);
}

bool Preprocessor::processFile(std::uint32_t fileIndex, std::string_view text, int depth) {
    std::vector<Conditional> conditionals;
    std::size_t pos = 0;
    std::uint32_t lineNumber = 1;
    bool stop = false;
    while (pos < text.size() && !stop) {
        const SourceLine line = nextSourceLine(text, pos);
        const std::uint32_t number = lineNumber;
        lineNumber += 1 + static_cast<std::uint32_t>(line.lineFeedsInStrings);
        pos = line.next;

        const bool active =
            conditionals.empty() || (conditionals.back().wasActive && conditionals.back().taking);
        const std::string_view trimmed = trim(line.text);
        if (!trimmed.empty() && trimmed[0] == '#') {
            directive(fileIndex, number, trimmed, conditionals, depth, stop);
            continue;
        }
        if (!active || trimmed.empty()) {
            continue;
        }
        if (line.stringNotClosed) {
            error(fileIndex, number, "string not closed");
            continue;
        }
        stop = !processLine(fileIndex, number, line.text);
    }
    if (!stop) {
        for (const Conditional& open : conditionals) {
            error(fileIndex, open.line,
                  "'#" + std::string(open.keyword) + "' has no matching '#endif'");
        }
    }
    return !stop;
}

bool Preprocessor::processLine(std::uint32_t fileIndex, std::uint32_t line, std::string_view text) {
    std::string_view expanded = text;
    if (!macros_.empty()) {
        expansionLeft_ = kMaxExpandedLine;
        std::string out;
        if (expand(text, out, fileIndex, line, 0)) {
            result_.buffers.push_back(std::move(out));
            expanded = result_.buffers.back();
        }
    }
    if (const std::size_t at = escapedCharLiteral(expanded); at != std::string_view::npos) {
        error(fileIndex, line,
              std::string(expanded.substr(at, 4)) +
                  " is not a character: a backslash separates statements and there are no "
                  "escapes; write the character's code instead (0Ah for a line feed)");
        return true;
    }
    splitStatements(expanded, pieces_);
    bool first = true;
    for (const std::string_view piece : pieces_) {
        if (trim(piece).empty()) {
            first = false;
            continue;
        }
        result_.statements.push_back(Statement{piece, fileIndex, line, first});
        first = false;
        if (isEndStatement(piece)) {
            return false;
        }
    }
    return true;
}

void Preprocessor::directive(std::uint32_t fileIndex, std::uint32_t line, std::string_view text,
                             std::vector<Conditional>& conditionals, int depth, bool& stop) {
    std::size_t end = 1;
    while (end < text.size() && isLetter(text[end])) {
        ++end;
    }
    const std::string_view keyword = text.substr(1, end - 1);
    const std::string_view rest = trim(withoutComment(text.substr(end)));
    const bool active =
        conditionals.empty() || (conditionals.back().wasActive && conditionals.back().taking);

    const bool ifdef = ascii::equalsIgnoringCase(keyword, "ifdef");
    if (ifdef || ascii::equalsIgnoringCase(keyword, "ifndef")) {
        const std::string_view name = identifierAt(rest, 0);
        if (active && (name.empty() || name.size() != rest.size())) {
            error(fileIndex, line, "'#" + std::string(keyword) + "' needs one macro name");
        }
        const bool defined = findMacro(name) != nullptr;
        conditionals.push_back(Conditional{active, defined == ifdef, false, line, keyword});
        return;
    }
    if (ascii::equalsIgnoringCase(keyword, "else")) {
        if (conditionals.empty()) {
            error(fileIndex, line, "'#else' without '#ifdef'");
        } else if (conditionals.back().seenElse) {
            error(fileIndex, line, "a second '#else' for the same '#ifdef'");
        } else {
            conditionals.back().taking = !conditionals.back().taking;
            conditionals.back().seenElse = true;
        }
        return;
    }
    if (ascii::equalsIgnoringCase(keyword, "endif")) {
        if (conditionals.empty()) {
            error(fileIndex, line, "'#endif' without '#ifdef'");
        } else {
            conditionals.pop_back();
        }
        return;
    }
    if (!active) {
        return;
    }
    if (ascii::equalsIgnoringCase(keyword, "define")) {
        defineDirective(fileIndex, line, rest);
    } else if (ascii::equalsIgnoringCase(keyword, "undef")) {
        macros_.erase(std::string(identifierAt(rest, 0)));
    } else if (ascii::equalsIgnoringCase(keyword, "include")) {
        includeDirective(fileIndex, line, rest, depth, stop);
    } else {
        error(fileIndex, line, "unknown preprocessor directive '#" + std::string(keyword) + "'");
    }
}

void Preprocessor::defineDirective(std::uint32_t fileIndex, std::uint32_t line,
                                   std::string_view rest) {
    if (rest.empty() || !isIdentifierStart(rest[0])) {
        error(fileIndex, line, "'#define' needs a macro name");
        return;
    }
    const std::string_view name = identifierAt(rest, 0);
    Macro macro;
    std::size_t bodyStart = name.size();
    if (bodyStart < rest.size() && rest[bodyStart] == '(') {
        const std::size_t close = rest.find(')', bodyStart);
        if (close == std::string_view::npos) {
            error(fileIndex, line, "parameter list of macro " + quoted(name) + " not closed");
            return;
        }
        std::vector<std::string_view> parameters;
        splitOperands(rest.substr(bodyStart + 1, close - bodyStart - 1), parameters);
        for (const std::string_view parameter : parameters) {
            if (parameter.empty() || identifierAt(parameter, 0).size() != parameter.size() ||
                !isIdentifierStart(parameter[0])) {
                error(fileIndex, line,
                      "bad parameter " + quoted(parameter) + " of macro " + quoted(name));
                return;
            }
            macro.parameters.emplace_back(parameter);
        }
        macro.hasParameters = true;
        bodyStart = close + 1;
    }
    macro.body = std::string(trim(rest.substr(bodyStart)));
    macros_[std::string(name)] = std::move(macro);
}

void Preprocessor::includeDirective(std::uint32_t fileIndex, std::uint32_t line,
                                    std::string_view rest, int depth, bool& stop) {
    if (rest.size() < 2 || !((rest.front() == '"' && rest.back() == '"') ||
                             (rest.front() == '<' && rest.back() == '>'))) {
        error(fileIndex, line, "'#include' needs a file name in double quotes");
        return;
    }
    const std::string name(rest.substr(1, rest.size() - 2));
    if (depth >= kMaxIncludeDepth) {
        error(fileIndex, line, "includes nested too deeply at " + quoted(name));
        stop = true;
        return;
    }
    if (result_.files.size() > kMaxIncludedFiles) {
        error(fileIndex, line,
              "more than " + std::to_string(kMaxIncludedFiles) + " include files at " +
                  quoted(name));
        stop = true;
        return;
    }
    std::optional<IncludedFile> included =
        resolver_ ? resolver_(name, result_.files[fileIndex]) : std::optional<IncludedFile>();
    if (!included) {
        error(fileIndex, line, "cannot find include file " + quoted(name));
        return;
    }
    const auto index = static_cast<std::uint32_t>(result_.files.size());
    result_.files.push_back(std::move(included->path));
    result_.buffers.push_back(std::move(included->text));
    stop = !processFile(index, result_.buffers.back(), depth + 1);
}

const Preprocessor::Macro* Preprocessor::findMacro(std::string_view name) const {
    const auto found = macros_.find(name);
    return found == macros_.end() ? nullptr : &found->second;
}

namespace {

// The body of a macro with each whole-word parameter replaced by its argument.
std::string substitute(std::string_view body, const std::vector<std::string>& parameters,
                       const std::vector<std::string_view>& arguments) {
    std::string out;
    std::size_t i = 0;
    while (i < body.size()) {
        const char c = body[i];
        if (const std::size_t after = skipLiteral(body, i); after != i) {
            out.append(body.substr(i, after - i));
            i = after;
        } else if (isIdentifierStart(c)) {
            const std::string_view word = identifierAt(body, i);
            bool replaced = false;
            for (std::size_t p = 0; p < parameters.size(); ++p) {
                if (ascii::equalsIgnoringCase(word, parameters[p])) {
                    out.append(arguments[p]);
                    replaced = true;
                    break;
                }
            }
            if (!replaced) {
                out.append(word);
            }
            i += word.size();
        } else {
            out.push_back(c);
            ++i;
        }
    }
    return out;
}

} // namespace

bool Preprocessor::expand(std::string_view text, std::string& out, std::uint32_t fileIndex,
                          std::uint32_t line, int depth) {
    bool changed = false;
    std::size_t copied = 0;
    std::size_t i = 0;
    std::vector<std::string_view> arguments;
    while (i < text.size()) {
        if (expansionLeft_ == 0) {
            return false; // the line's expansion was given up and reported
        }
        const char c = text[i];
        if (c == ';') {
            break;
        }
        if (const std::size_t after = skipLiteral(text, i); after != i) {
            i = after;
            continue;
        }
        if (isDigit(c) || c == '$') {
            // A number: "1Dh" or "$BB" holds no macro name.
            ++i;
            while (i < text.size() && (isLetter(text[i]) || isDigit(text[i]))) {
                ++i;
            }
            continue;
        }
        if (!isIdentifierStart(c) && c != '.') {
            ++i;
            continue;
        }
        const std::size_t start = i;
        const std::string_view name = identifierAt(text, i);
        i += name.size();
        const Macro* macro = findMacro(name);
        if (macro == nullptr) {
            continue;
        }
        std::string replacement;
        std::size_t end = i;
        if (macro->hasParameters) {
            std::size_t open = i;
            while (open < text.size() && isBlank(text[open])) {
                ++open;
            }
            if (open >= text.size() || text[open] != '(') {
                continue; // the name alone is not a use of a macro with parameters
            }
            const std::size_t close = closingParenthesis(text, open);
            if (close == std::string_view::npos) {
                error(fileIndex, line, "arguments of macro " + quoted(name) + " not closed");
                continue;
            }
            splitOperands(text.substr(open + 1, close - open - 1), arguments);
            if (arguments.size() != macro->parameters.size()) {
                error(fileIndex, line,
                      "macro " + quoted(name) + " takes " +
                          std::to_string(macro->parameters.size()) + " argument(s), " +
                          std::to_string(arguments.size()) + " given");
                i = close + 1;
                continue;
            }
            replacement = substitute(macro->body, macro->parameters, arguments);
            end = close + 1;
        } else {
            replacement = macro->body;
        }
        if (depth >= kMaxExpansionDepth) {
            error(fileIndex, line, "macro " + quoted(name) + " expands without end");
            expansionLeft_ = 0;
            return false;
        }
        if (replacement.size() + 1 >= expansionLeft_) {
            error(fileIndex, line,
                  "macro " + quoted(name) + " expands to more than " +
                      std::to_string(kMaxExpandedLine) + " characters");
            expansionLeft_ = 0;
            return false;
        }
        expansionLeft_ -= replacement.size() + 1;
        std::string inner;
        if (expand(replacement, inner, fileIndex, line, depth + 1)) {
            replacement = std::move(inner);
        }
        out.append(text.substr(copied, start - copied));
        out += replacement;
        copied = end;
        i = end;
        changed = true;
    }
    if (changed) {
        out.append(text.substr(copied));
    }
    return changed;
}

} // namespace corvane::asm83
