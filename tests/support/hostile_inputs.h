#pragma once

// Files no editor wrote, for every layer that reads, cuts, assembles or builds a document.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::test {

// Counts not known in advance (a binary file's lines).
inline constexpr std::int64_t kAnyCount = -1;

struct HostileInput {
    const char* name;
    std::function<std::string()> make;
    std::int64_t lines;           // by the reading rule
    std::int64_t calculatorLines; // what the layout pass makes of a document's text
    // Large enough that only the readers and the passes take it; through the tool chain it
    // only costs time.
    bool large;
};

const std::vector<HostileInput>& hostileInputs();
// The input called `name`; the test fails at once when there is none.
const HostileInput& hostileInput(std::string_view name);

} // namespace corvane::test
