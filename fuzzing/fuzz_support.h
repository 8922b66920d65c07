#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace corvane::fuzz {

// One temporary folder per fuzzing process, made on first use and removed at exit, so that
// every input reuses it instead of paying for a new folder.
const std::string& scratchFolder();

// Replaces the file at `path` with `bytes`; aborts when that fails, as nothing after it
// would mean anything.
void writeBytes(const std::string& path, std::string_view bytes);

// The whole file at `path`; aborts when it cannot be read.
std::string readBytes(const std::string& path);

// Reports a broken invariant with the input's size and aborts, so libFuzzer keeps the input.
[[noreturn]] void broken(std::string_view what);

inline void check(bool holds, std::string_view what) {
    if (!holds) {
        broken(what);
    }
}

inline std::string_view asText(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

} // namespace corvane::fuzz
