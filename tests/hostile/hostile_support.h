#pragma once

// Child processes that run with a small disk or without root's right to ignore file modes.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace corvane::test {

struct ChildLimits {
    // Files may not grow past this (writes beyond fail with EFBIG; SIGXFSZ is ignored).
    std::optional<std::uint64_t> fileSizeLimit;
    // Run without the capabilities that let root write read-only files and folders.
    bool obeyFileModes = false;
};

// Runs `body` in a forked child under `limits` and returns what it returned. A child that
// crashes or is killed gives "child ended abnormally".
std::string inChild(const ChildLimits& limits, const std::function<std::string()>& body);

} // namespace corvane::test
