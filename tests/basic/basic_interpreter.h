#pragma once

#include "basic_program.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::test {

// What a run of a program's bytes did.
struct BasicRun {
    // The home screen each time a key was read, as the reader saw it when pressing the key.
    std::vector<std::vector<BasicToken>> screensAtKeys;
    std::vector<BasicToken> finalScreen;
    std::map<BasicToken, double> reals; // the real variables the program left
    bool str1Left = false;              // Str1 exists after the run
    bool ended = false;                 // reached the program's end
    std::string error;                  // why the run stopped short; empty when it ended
};

// Runs a program's bytes (a program variable's contents after its length word) on a home screen
// of `screen`'s size, with `getKey` answering 0 once and then the next key of `keys`. Knows the
// tokens of the TI-83 Plus tables for exactly the statements the program writer uses, and fails
// on any other token, on ERR:DOMAIN-like arguments, on a key read past the script and on more
// than a million statements.
BasicRun runBasicProgram(std::string_view bytes, const HomeScreen& screen,
                         const std::vector<int>& keys);

} // namespace corvane::test
