#pragma once

// What the hostile tests share: child processes that run with a small disk or without root's
// right to ignore file modes, and programs started with a time limit.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace corvane::test {

namespace fs = std::filesystem;

// The names in `folder`, sorted.
std::vector<std::string> namesIn(const fs::path& folder);

struct ChildLimits {
    // Files may not grow past this (writes beyond fail with EFBIG; SIGXFSZ is ignored).
    std::optional<std::uint64_t> fileSizeLimit;
    // Run without the capabilities that let root write read-only files and folders.
    bool obeyFileModes = false;
};

// Runs `body` in a forked child under `limits` and returns what it returned. A child that
// crashes or is killed gives "child ended abnormally".
std::string inChild(const ChildLimits& limits, const std::function<std::string()>& body);

struct ProgramRun {
    bool finished = false; // false when it was stopped at the time limit
    bool signalled = false;
    int exitStatus = -1;
    std::string output; // standard output and error, at most `outputLimit` bytes kept
    std::uint64_t outputBytes = 0;
};

// Runs `argv` in `folder` with standard output and error collected, stopping it after
// `seconds`.
ProgramRun runProgram(const std::vector<std::string>& argv, const std::string& folder,
                      double seconds, std::size_t outputLimit = 1 << 16);

} // namespace corvane::test
