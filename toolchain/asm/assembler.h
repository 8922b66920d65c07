#pragma once

#include "output.h"
#include "preprocessor.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace corvane::asm83 {

// Everything one assembly needs; files are reached only through `resolveInclude`, so tests
// and fuzzers can assemble from memory.
struct AssemblyInput {
    std::string sourcePath; // names the source in messages
    std::string sourceText;
    std::vector<std::pair<std::string, std::string>> defines; // -D NAME[=VALUE]
    IncludeResolver resolveInclude;
    OutputForm form = OutputForm::Binary;
    std::string programName; // on-calculator name for .83p/.8xp; upper-cased here
};

struct AssemblyResult {
    bool ok() const { return errorCount == 0; }

    std::string output; // the bytes of the output file; empty when there are errors
    std::string image;  // the assembled bytes, lowest address first
    std::uint16_t origin = 0;
    std::vector<std::string> messages; // "file:line: error: text", in order
    int errorCount = 0;
    int warningCount = 0;
};

// Preprocesses and assembles in two passes, then checks the calculator's limits and builds
// the output file's bytes.
AssemblyResult assemble(const AssemblyInput& input);

} // namespace corvane::asm83
