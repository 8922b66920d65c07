#include "hostile_inputs.h"

#include "files.h"
#include "tool_chain.h"

#include <algorithm>
#include <stdexcept>

namespace corvane::test {

namespace {

constexpr std::size_t kTenMegabytes = 10u << 20;
constexpr int kMillion = 1000000;

std::string lines(const std::string& each, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += each + "\r\n";
    }
    return text;
}

std::string highBytes() {
    std::string text = "\x80\xFF\r\n\xA4\r\n";
    for (int start = 0x80; start < 0x100; start += 32) {
        for (int c = start; c < start + 32; ++c) {
            text += static_cast<char>(c);
        }
        text += "\r\n";
    }
    return text;
}

} // namespace

const std::vector<HostileInput>& hostileInputs() {
    static const std::vector<HostileInput> inputs = {
        {"an empty file", [] { return std::string(); }, 0, 0, false},
        {"NUL bytes",
         [] { return std::string("\0\0\r\n\0\r\n", 7) + lines(std::string(30, '\0'), 100); }, 102,
         200, false},
        {"bytes 80h-FFh", highBytes, 6, 8, false},
        {"a 10 MB single line", [] { return std::string(kTenMegabytes, 'x'); }, 1, 0, false},
        {"a document whose text is one 10 MB line",
         [] { return "Big\r\nbig\r\n" + std::string(kTenMegabytes, 'y'); }, 3,
         static_cast<std::int64_t>(kTenMegabytes / 23 + 1), true},
        {"a million empty lines", [] { return lines("", kMillion); }, kMillion, kMillion - 2, true},
        {"CR-only line ends", [] { return std::string("Name\rname\rone\rtwo\r"); }, 4, 2, false},
        {"LF-only line ends", [] { return std::string("Name\nname\none\ntwo\n"); }, 4, 2, false},
        {"a binary file (asm83 itself)", [] { return readFile(appDir() / "asm83"); }, kAnyCount,
         kAnyCount, false},
    };
    return inputs;
}

const HostileInput& hostileInput(std::string_view name) {
    const auto found = std::find_if(hostileInputs().begin(), hostileInputs().end(),
                                    [&](const HostileInput& input) { return input.name == name; });
    if (found == hostileInputs().end()) {
        throw std::invalid_argument("no hostile input called " + std::string(name));
    }
    return *found;
}

} // namespace corvane::test
