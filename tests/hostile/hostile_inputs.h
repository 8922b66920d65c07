#pragma once

// The hostile files every layer is tried on: empty, NUL and high bytes, 10 MB lines, a
// million lines, odd line ends, a binary file.

#include "hostile_support.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace corvane::hostile {

inline constexpr std::size_t kTenMegabytes = 10u << 20;
inline constexpr int kMillion = 1000000;
// Counts not known in advance (a binary file's lines).
inline constexpr std::int64_t kAny = -1;

struct HostileInput {
    const char* name;
    std::function<std::string()> make;
    std::int64_t lines;           // by the reading rule
    std::int64_t calculatorLines; // what the layout pass makes of a document's text
    // Whether asm83 and the build engine take it too; the largest inputs only cost time there.
    bool throughToolChain;
};

inline std::string lines(const std::string& each, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += each + "\r\n";
    }
    return text;
}

inline std::string highBytes() {
    std::string text = "\x80\xFF\r\n\xA4\r\n";
    for (int start = 0x80; start < 0x100; start += 32) {
        for (int c = start; c < start + 32; ++c) {
            text += static_cast<char>(c);
        }
        text += "\r\n";
    }
    return text;
}

inline const std::vector<HostileInput>& hostileInputs() {
    static const std::vector<HostileInput> inputs = {
        {"an empty file", [] { return std::string(); }, 0, 0, true},
        {"NUL bytes",
         [] { return std::string("\0\0\r\n\0\r\n", 7) + lines(std::string(30, '\0'), 100); }, 102,
         200, true},
        {"bytes 80h-FFh", highBytes, 6, 8, true},
        {"a 10 MB single line", [] { return std::string(kTenMegabytes, 'x'); }, 1, 0, true},
        {"a document whose text is one 10 MB line",
         [] { return "Big\r\nbig\r\n" + std::string(kTenMegabytes, 'y'); }, 3,
         static_cast<std::int64_t>(kTenMegabytes / 23 + 1), false},
        {"a million empty lines", [] { return lines("", kMillion); }, kMillion, kMillion - 2,
         false},
        {"CR-only line ends", [] { return std::string("Name\rname\rone\rtwo\r"); }, 4, 2, true},
        {"LF-only line ends", [] { return std::string("Name\nname\none\ntwo\n"); }, 1, 0, true},
        {"a binary file (asm83 itself)", [] { return readFile(appDir() + "/asm83"); }, kAny, kAny,
         true},
    };
    return inputs;
}

} // namespace corvane::hostile
