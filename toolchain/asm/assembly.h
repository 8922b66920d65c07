#pragma once

#include "diagnostics.h"
#include "directives.h"
#include "expression.h"
#include "output.h"
#include "preprocessor.h"
#include "symbols.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>
#include <z80_encoder.h>

namespace corvane::asm83 {

// The two passes over the preprocessed statements. The first learns every label's address
// (instruction lengths never depend on values); the second encodes and reports. Statements
// and instructions are handled in assembler.cpp, the directives in directives.cpp.
class Assembly {
  public:
    Assembly(const Preprocessed& source, Diagnostics& diagnostics, OutputForm form);

    void run();

    const Image& image() const { return image_; }

  private:
    struct PendingEquate {
        std::string_view name;
        std::string_view expression;
        std::int64_t here;
        std::size_t statement;
    };

    void pass(bool final);
    void error(const Statement& s, std::string_view text);
    void warning(const Statement& s, std::string_view text);
    z80::Value evaluate(std::string_view text, const CharMap& map);
    // A value that must be known now; reports and returns nothing otherwise.
    std::optional<std::int64_t> valueOf(const Statement& s, std::string_view text,
                                        const CharMap& map, std::string_view what);
    void statement(const Statement& s);
    void define(const Statement& s, std::string_view name, std::int64_t value);
    void equate(const Statement& s, std::string_view name, std::string_view expression);
    void resolvePendingEquates();
    void emit(const Statement& s, std::uint8_t byte, bool code);
    void instruction(const Statement& s, std::string_view mnemonic, std::string_view operands);

    // directives.cpp
    void runDirective(const Statement& s, Directive directive, std::string_view name,
                      std::string_view operands);
    void org(const Statement& s, std::string_view operands);
    void data(const Statement& s, std::string_view name, std::string_view operands, int width);
    void fill(const Statement& s, std::string_view name, std::string_view operands);
    void charMap(const Statement& s, std::string_view operands);

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
    std::string precedenceWarning_;

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

} // namespace corvane::asm83
