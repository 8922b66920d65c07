#include "assembler.h"

#include "assembly.h"
#include "lexer.h"

#include <ascii.h>
#include <ti_program_file.h>

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

bool isEquate(std::string_view text) {
    if (!text.empty() && text[0] == '=') {
        return text.size() < 2 || text[1] != '=';
    }
    const std::string_view word = leadingWord(text);
    return ascii::equalsIgnoringCase(word, ".equ") || ascii::equalsIgnoringCase(word, "equ");
}

std::string_view equateValue(std::string_view text) {
    return trim(text[0] == '=' ? text.substr(1) : text.substr(leadingWord(text).size()));
}

} // namespace

Assembly::Assembly(const Preprocessed& source, Diagnostics& diagnostics, OutputForm form)
    : source_(source), diagnostics_(diagnostics), form_(form),
      evaluate_([this](std::string_view text) { return evaluate(text, map_); }) {
    symbols_.reserve(source.statements.size() / 4 + 16);
}

void Assembly::run() {
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

void Assembly::pass(bool final) {
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

void Assembly::error(const Statement& s, std::string_view text) {
    diagnostics_.error(source_.files[s.file], static_cast<int>(s.line), text);
}

void Assembly::warning(const Statement& s, std::string_view text) {
    diagnostics_.warning(source_.files[s.file], static_cast<int>(s.line), text);
}

z80::Value Assembly::evaluate(std::string_view text, const CharMap& map) {
    precedenceWarning_.clear();
    z80::Value value =
        evaluateExpression(text, ExpressionContext{symbols_, here_, final_, map,
                                                   final_ ? &precedenceWarning_ : nullptr});
    if (!precedenceWarning_.empty()) {
        warning(source_.statements[index_], precedenceWarning_);
    }
    return value;
}

std::optional<std::int64_t> Assembly::valueOf(const Statement& s, std::string_view text,
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

void Assembly::statement(const Statement& s) {
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
        define(s, label, pc_);
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

void Assembly::define(const Statement& s, std::string_view name, std::int64_t value) {
    const SymbolTable::Symbol* existing = symbols_.define(name, value, index_);
    if (existing != nullptr && existing->statement != index_ && final_) {
        const Statement& first = source_.statements[existing->statement];
        error(s, "symbol '" + std::string(name) + "' already defined at " +
                     source_.files[first.file] + ":" + std::to_string(first.line));
    }
}

void Assembly::equate(const Statement& s, std::string_view name, std::string_view expression) {
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
void Assembly::resolvePendingEquates() {
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

void Assembly::emit(const Statement& s, std::uint8_t byte, bool code) {
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

void Assembly::instruction(const Statement& s, std::string_view mnemonic,
                           std::string_view operands) {
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

namespace {

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
        c = ascii::toUpper(c);
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
            const CalculatorModel model = input.form == OutputForm::TI83Plus
                                              ? CalculatorModel::TI83Plus
                                              : CalculatorModel::TI83;
            std::string body = result.image;
            if (tifile::needsLinkPadding(body.size()) && body.size() < tifile::maxBodySize()) {
                body.push_back('\0');
            }
            tifile::Built built = tifile::buildProgramFile(model, name, body);
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
