#include "assembler.h"

#include "expression.h"
#include "lexer.h"
#include "symbols.h"

#include <ti_program_file.h>
#include <unordered_set>
#include <z80_encoder.h>

namespace corvane::asm83 {

namespace {

std::string hex(std::int64_t value) {
    static const char* digits = "0123456789ABCDEF";
    std::string text;
    auto v = static_cast<std::uint64_t>(value);
    do {
        text.insert(text.begin(), digits[v & 15]);
        v >>= 4;
    } while (v != 0);
    if (text.size() < 4) {
        text.insert(0, 4 - text.size(), '0');
    }
    return text + "h";
}

std::string_view leadingWord(std::string_view text) {
    std::size_t end = 0;
    while (end < text.size() && (isIdentifierChar(text[end]))) {
        ++end;
    }
    return text.substr(0, end);
}

enum class Directive { None, Org, Byte, Word, Equ, Fill, Listing, End, CharMap };

Directive directiveNamed(std::string_view name) {
    struct Entry {
        std::string_view name;
        Directive directive;
    };
    static constexpr Entry kDirectives[] = {
        {"org", Directive::Org},         {"db", Directive::Byte},      {"byte", Directive::Byte},
        {"text", Directive::Byte},       {"dw", Directive::Word},      {"word", Directive::Word},
        {"equ", Directive::Equ},         {"fill", Directive::Fill},    {"block", Directive::Fill},
        {"nolist", Directive::Listing},  {"list", Directive::Listing}, {"end", Directive::End},
        {"charmap", Directive::CharMap},
    };
    for (const Entry& entry : kDirectives) {
        if (equalsIgnoringCase(name, entry.name)) {
            return entry.directive;
        }
    }
    return Directive::None;
}

// The two passes over the preprocessed statements. The first learns every label's address
// (instruction lengths never depend on values); the second encodes and reports.
class Assembly {
  public:
    Assembly(const Preprocessed& source, Diagnostics& diagnostics, OutputForm form)
        : source_(source), diagnostics_(diagnostics), form_(form),
          evaluate_([this](std::string_view text) { return evaluate(text, map_); }) {
        symbols_.reserve(source.statements.size() / 4 + 16);
    }

    void run() {
        diagnostics_.setMuted(true);
        pass(false);
        resolvePendingEquates();
        diagnostics_.setMuted(false);
        pass(true);
        if (codeReach_ >= 0) {
            error(source_.statements[codeReachStatement_],
                  "code reaches " + hex(codeReach_) +
                      "; the TI-83 Plus cannot run code at or above C000h");
        }
    }

    const Image& image() const { return image_; }

  private:
    struct PendingEquate {
        std::string_view name;
        std::string_view expression;
        std::int64_t here;
        std::size_t statement;
    };

    void pass(bool final) {
        final_ = final;
        pc_ = 0;
        map_ = identityCharMap();
        image_ = Image();
        pastEndReported_ = false;
        overlapReported_ = false;
        codeReach_ = -1;
        if (final && firstPastEnd_) {
            // Labels past FFFFh put their uses out of range too; the cause comes first.
            error(source_.statements[*firstPastEnd_], "address past FFFFh");
            pastEndReported_ = true;
        }
        for (index_ = 0; index_ < source_.statements.size() && !ended_; ++index_) {
            statement(source_.statements[index_]);
        }
        ended_ = false;
    }

    void error(const Statement& s, std::string_view text) {
        diagnostics_.error(source_.files[s.file], static_cast<int>(s.line), text);
    }

    void warning(const Statement& s, std::string_view text) {
        diagnostics_.warning(source_.files[s.file], static_cast<int>(s.line), text);
    }

    z80::Value evaluate(std::string_view text, const CharMap& map) {
        return evaluateExpression(text, ExpressionContext{symbols_, here_, final_, map});
    }

    // A value that must be known now; reports and returns nothing otherwise.
    std::optional<std::int64_t> valueOf(const Statement& s, std::string_view text,
                                        const CharMap& map, std::string_view what) {
        const z80::Value value = evaluate(text, map);
        if (!value.ok) {
            error(s, value.error);
            return std::nullopt;
        }
        if (!value.known) {
            if (!final_) {
                firstPassUnknown_.insert(index_);
            }
            return std::nullopt;
        }
        if (final_ && firstPassUnknown_.count(index_) != 0) {
            error(s, std::string(what) + " must not depend on symbols defined after it");
            return std::nullopt;
        }
        return value.number;
    }

    void statement(const Statement& s) {
        here_ = pc_;
        std::string_view text = s.text;
        std::string_view label;
        std::string_view rest;
        if (s.lineStart && !text.empty() && isIdentifierStart(text[0])) {
            const std::string_view word = leadingWord(text);
            const std::string_view after = text.substr(word.size());
            if (!after.empty() && after[0] == ':') {
                label = word;
                rest = after.substr(1);
            } else if (directiveNamed(word) != Directive::None) {
                rest = text;
            } else {
                label = word;
                rest = after;
                if (final_ && z80::isMnemonic(word)) {
                    warning(s, "'" + std::string(word) +
                                   "' at the start of a line is a label; indent it to make it "
                                   "an instruction");
                }
            }
        } else {
            rest = trim(text);
            const std::string_view word = leadingWord(rest);
            if (!word.empty() && isIdentifierStart(word[0]) && word.size() < rest.size() &&
                rest[word.size()] == ':') {
                label = word;
                rest = rest.substr(word.size() + 1);
            }
        }
        rest = trim(rest);

        if (label.empty()) {
            // "NAME = value" and "NAME .equ value" written without a label's colon.
            const std::string_view word = leadingWord(rest);
            if (!word.empty() && isIdentifierStart(word[0])) {
                const std::string_view after = trim(rest.substr(word.size()));
                if (isEquate(after)) {
                    equate(s, word, equateValue(after));
                    return;
                }
            }
        } else if (isEquate(rest)) {
            equate(s, label, equateValue(rest));
            return;
        }
        if (!label.empty()) {
            defineLabel(s, label);
        }
        if (rest.empty()) {
            return;
        }
        const std::string_view word = leadingWord(rest);
        const std::string_view operands = trim(rest.substr(word.size()));
        if (word.empty()) {
            error(s, "unexpected '" + std::string(rest.substr(0, 1)) + "'");
            return;
        }
        if (word[0] == '.') {
            const Directive directive = directiveNamed(word.substr(1));
            if (directive == Directive::None) {
                error(s, "unknown directive '" + std::string(word) + "'");
                return;
            }
            runDirective(s, directive, word, operands);
            return;
        }
        if (const Directive directive = directiveNamed(word); directive != Directive::None) {
            runDirective(s, directive, word, operands);
            return;
        }
        instruction(s, word, operands);
    }

    static bool isEquate(std::string_view text) {
        if (!text.empty() && text[0] == '=') {
            return text.size() < 2 || text[1] != '=';
        }
        const std::string_view word = leadingWord(text);
        return equalsIgnoringCase(word, ".equ") || equalsIgnoringCase(word, "equ");
    }

    static std::string_view equateValue(std::string_view text) {
        return trim(text[0] == '=' ? text.substr(1) : text.substr(leadingWord(text).size()));
    }

    void defineLabel(const Statement& s, std::string_view name) { define(s, name, pc_); }

    void define(const Statement& s, std::string_view name, std::int64_t value) {
        const SymbolTable::Symbol* existing = symbols_.define(name, value, index_);
        if (existing != nullptr && existing->statement != index_ && final_) {
            const Statement& first = source_.statements[existing->statement];
            error(s, "symbol '" + std::string(name) + "' already defined at " +
                         source_.files[first.file] + ":" + std::to_string(first.line));
        }
    }

    void equate(const Statement& s, std::string_view name, std::string_view expression) {
        if (expression.empty()) {
            error(s, "'" + std::string(name) + "' needs a value");
            return;
        }
        const z80::Value value = evaluate(expression, map_);
        if (!value.ok) {
            error(s, value.error);
            return;
        }
        if (!value.known) {
            pending_.push_back(PendingEquate{name, expression, here_, index_});
            return;
        }
        const SymbolTable::Symbol* existing = symbols_.find(name);
        if (existing != nullptr && existing->statement == index_) {
            symbols_.setValue(name, value.number);
            return;
        }
        define(s, name, value.number);
    }

    // Equates that name symbols defined after them get their values before the second pass,
    // so that every use there sees them.
    void resolvePendingEquates() {
        bool progress = true;
        while (progress && !pending_.empty()) {
            progress = false;
            for (auto it = pending_.begin(); it != pending_.end();) {
                here_ = it->here;
                const z80::Value value = evaluate(it->expression, map_);
                if (value.ok && value.known) {
                    index_ = it->statement;
                    define(source_.statements[it->statement], it->name, value.number);
                    it = pending_.erase(it);
                    progress = true;
                } else {
                    ++it;
                }
            }
        }
        pending_.clear();
    }

    void emit(const Statement& s, std::uint8_t byte, bool code) {
        if (code && form_ == OutputForm::TI83Plus && pc_ >= kTI83PlusCodeLimit && pc_ <= 0xFFFF) {
            if (codeReach_ < 0) {
                codeReachStatement_ = index_;
            }
            codeReach_ = std::max(codeReach_, pc_);
        }
        switch (image_.put(pc_, byte)) {
        case Image::Put::Ok:
            break;
        case Image::Put::PastEnd:
            if (!firstPastEnd_) {
                firstPastEnd_ = index_;
            }
            if (!pastEndReported_) {
                error(s, "address past FFFFh");
                pastEndReported_ = true;
            }
            break;
        case Image::Put::Overlap:
            if (!overlapReported_) {
                error(s, "address " + hex(pc_) + " is written twice");
                overlapReported_ = true;
            }
            break;
        }
        ++pc_;
    }

    void runDirective(const Statement& s, Directive directive, std::string_view name,
                      std::string_view operands) {
        switch (directive) {
        case Directive::Org:
            org(s, operands);
            break;
        case Directive::Byte:
            bytes(s, name, operands);
            break;
        case Directive::Word:
            words(s, name, operands);
            break;
        case Directive::Equ:
            error(s, "'" + std::string(name) + "' needs a symbol name before it");
            break;
        case Directive::Fill:
            fill(s, name, operands);
            break;
        case Directive::Listing:
            break;
        case Directive::End:
            ended_ = true;
            break;
        case Directive::CharMap:
            charMap(s, operands);
            break;
        case Directive::None:
            break;
        }
    }

    void org(const Statement& s, std::string_view operands) {
        if (operands.empty()) {
            error(s, "'.org' needs an address");
            return;
        }
        const std::optional<std::int64_t> address = valueOf(s, operands, map_, "'.org' address");
        if (!address) {
            return;
        }
        if (*address < 0 || *address > 0xFFFF) {
            error(s, "'.org' address " + std::to_string(*address) + " is outside 0..FFFFh");
            return;
        }
        pc_ = *address;
    }

    void bytes(const Statement& s, std::string_view name, std::string_view operands) {
        splitOperands(operands, operands_);
        if (operands_.empty()) {
            error(s, "'" + std::string(name) + "' needs at least one value");
            return;
        }
        for (const std::string_view item : operands_) {
            if (item.empty()) {
                error(s, "missing value in '" + std::string(name) + "'");
                continue;
            }
            if (item[0] == '"') {
                const std::size_t close = stringEnd(item, 0);
                if (close == std::string_view::npos) {
                    error(s, "string not closed");
                    continue;
                }
                for (std::size_t i = 1; i < close; ++i) {
                    emit(s, map_[static_cast<unsigned char>(item[i])], false);
                }
                if (close + 1 != item.size()) {
                    error(s, "unexpected text after string: '" +
                                 std::string(item.substr(close + 1)) + "'");
                }
                continue;
            }
            const z80::Value value = evaluate(item, map_);
            if (!value.ok) {
                error(s, value.error);
            } else if (value.known && (value.number < -128 || value.number > 255)) {
                error(s, "value " + std::to_string(value.number) + " does not fit in a byte");
            }
            emit(s, static_cast<std::uint8_t>(value.number & 0xFF), false);
        }
    }

    void words(const Statement& s, std::string_view name, std::string_view operands) {
        splitOperands(operands, operands_);
        if (operands_.empty()) {
            error(s, "'" + std::string(name) + "' needs at least one value");
            return;
        }
        for (const std::string_view item : operands_) {
            if (item.empty()) {
                error(s, "missing value in '" + std::string(name) + "'");
                continue;
            }
            const z80::Value value = evaluate(item, map_);
            if (!value.ok) {
                error(s, value.error);
            } else if (value.known && (value.number < -32768 || value.number > 65535)) {
                error(s, "value " + std::to_string(value.number) + " does not fit in a word");
            }
            emit(s, static_cast<std::uint8_t>(value.number & 0xFF), false);
            emit(s, static_cast<std::uint8_t>((value.number >> 8) & 0xFF), false);
        }
    }

    void fill(const Statement& s, std::string_view name, std::string_view operands) {
        splitOperands(operands, operands_);
        if (operands_.empty() || operands_.size() > 2) {
            error(s, "'" + std::string(name) + "' needs a count and an optional byte value");
            return;
        }
        const std::string_view valueText = operands_.size() == 2 ? operands_[1] : "0";
        const std::optional<std::int64_t> count =
            valueOf(s, operands_[0], map_, "'" + std::string(name) + "' count");
        if (!count) {
            return;
        }
        if (*count < 0) {
            error(s,
                  "'" + std::string(name) + "' count " + std::to_string(*count) + " is negative");
            return;
        }
        const z80::Value value = evaluate(valueText, map_);
        if (!value.ok) {
            error(s, value.error);
        } else if (value.known && (value.number < -128 || value.number > 255)) {
            error(s, "value " + std::to_string(value.number) + " does not fit in a byte");
        }
        // Past the end of memory one message is enough; the counter still moves on.
        const std::int64_t inside = std::max<std::int64_t>(
            0, std::min<std::int64_t>(*count, static_cast<std::int64_t>(Image::kSize) - pc_));
        for (std::int64_t i = 0; i < inside; ++i) {
            emit(s, static_cast<std::uint8_t>(value.number & 0xFF), false);
        }
        if (inside < *count) {
            emit(s, 0, false);
            pc_ += *count - inside - 1;
        }
    }

    void charMap(const Statement& s, std::string_view operands) {
        splitOperands(operands, operands_);
        if (operands_.size() != 2) {
            error(s, "'.charmap' needs two byte values: FROM, TO");
            return;
        }
        // A character literal here names a byte of the source as written, so the map in
        // force does not apply to it.
        static const CharMap identity = identityCharMap();
        const std::optional<std::int64_t> from =
            valueOf(s, operands_[0], identity, "'.charmap' value");
        const std::optional<std::int64_t> to =
            valueOf(s, operands_[1], identity, "'.charmap' value");
        if (!from || !to) {
            return;
        }
        if (*from < 0 || *from > 255 || *to < 0 || *to > 255) {
            error(s, "'.charmap' values must lie in 0..255");
            return;
        }
        map_[static_cast<std::size_t>(*from)] = static_cast<std::uint8_t>(*to);
    }

    void instruction(const Statement& s, std::string_view mnemonic, std::string_view operands) {
        if (!z80::isMnemonic(mnemonic)) {
            error(s, "unknown instruction '" + std::string(mnemonic) + "'");
            return;
        }
        splitOperands(operands, operands_);
        operandTexts_.resize(operands_.size());
        for (std::size_t i = 0; i < operands_.size(); ++i) {
            operandTexts_[i].assign(operands_[i]);
        }
        const z80::Encoding encoding = z80::encodeInstruction(
            mnemonic, operandTexts_, static_cast<std::uint16_t>(pc_ & 0xFFFF), evaluate_);
        for (const std::string& message : encoding.errors) {
            error(s, message);
        }
        for (const std::uint8_t byte : encoding.bytes) {
            emit(s, byte, true);
        }
    }

    const Preprocessed& source_;
    Diagnostics& diagnostics_;
    OutputForm form_;
    z80::Evaluate evaluate_;

    SymbolTable symbols_;
    Image image_;
    CharMap map_ = identityCharMap();
    std::vector<PendingEquate> pending_;
    std::unordered_set<std::size_t> firstPassUnknown_;
    std::vector<std::string_view> operands_;
    std::vector<std::string> operandTexts_;

    bool final_ = false;
    bool ended_ = false;
    std::size_t index_ = 0;
    std::int64_t pc_ = 0;
    std::int64_t here_ = 0;
    bool pastEndReported_ = false;
    std::optional<std::size_t> firstPastEnd_;
    bool overlapReported_ = false;
    std::int64_t codeReach_ = -1;
    std::size_t codeReachStatement_ = 0;
};

void checkCalculatorLimits(const AssemblyInput& input, const std::string& body,
                           Diagnostics& diagnostics) {
    if (body.size() > tifile::maxBodySize()) {
        diagnostics.error("the program is " + std::to_string(body.size()) +
                          " bytes long; a calculator variable holds at most " +
                          std::to_string(tifile::maxBodySize()));
    } else if (body.size() > kComfortableBodySize) {
        diagnostics.warning("the program is " + std::to_string(body.size()) +
                            " bytes long; above 24 KB it may not fit in the calculator's free "
                            "memory");
    }
    if (input.form == OutputForm::TI83Plus && body.compare(0, 2, "\xBB\x6D") != 0) {
        diagnostics.warning("the TI-83 Plus program does not start with BB 6D; the calculator "
                            "will not run it");
    }
}

} // namespace

AssemblyResult assemble(const AssemblyInput& input) {
    Diagnostics diagnostics;
    std::string name = input.programName;
    for (char& c : name) {
        c = toUpper(c);
    }
    if (input.form != OutputForm::Binary && !tifile::isValidVariableName(name)) {
        diagnostics.error("'" + name +
                          "' is not a valid program name: 1 to 8 letters A-Z and digits 0-9, "
                          "starting with a letter");
    }

    Preprocessor preprocessor(diagnostics, input.resolveInclude);
    for (const auto& [macro, value] : input.defines) {
        preprocessor.define(macro, value);
    }
    const Preprocessed source = preprocessor.run(input.sourcePath, input.sourceText);

    Assembly assembly(source, diagnostics, input.form);
    assembly.run();

    AssemblyResult result;
    result.image = assembly.image().bytes();
    result.origin = assembly.image().origin();
    if (input.form != OutputForm::Binary) {
        checkCalculatorLimits(input, result.image, diagnostics);
    }
    if (diagnostics.errorCount() == 0) {
        if (input.form == OutputForm::Binary) {
            result.output = result.image;
        } else {
            const tifile::Model model =
                input.form == OutputForm::TI83Plus ? tifile::Model::TI83Plus : tifile::Model::TI83;
            tifile::Built built = tifile::buildProgramFile(model, name, result.image);
            if (built.error.empty()) {
                result.output = std::move(built.bytes);
            } else {
                diagnostics.error(built.error);
            }
        }
    }
    result.messages = diagnostics.messages();
    result.errorCount = diagnostics.errorCount();
    result.warningCount = diagnostics.warningCount();
    return result;
}

} // namespace corvane::asm83
