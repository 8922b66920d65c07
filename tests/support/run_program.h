#pragma once

// Runs a program as a user would from a shell (POSIX only): separate standard output and
// error, an environment of its own, optionally as an unprivileged user, stopped with its whole
// process group at a time limit.

#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace corvane::test {

struct RunOptions {
    std::string folder = "/";
    // Variables set (or, with an empty value, removed) on top of this process's environment.
    std::vector<std::pair<std::string, std::string>> environment;
    // Run as this user and group instead of root (the child gives up root before it starts).
    std::optional<std::pair<unsigned, unsigned>> user;
    double seconds = 120;
    // The most bytes of each stream kept; the rest is read and dropped.
    std::size_t outputLimit = std::numeric_limits<std::size_t>::max();
};

struct ProgramRun {
    bool finished = false; // false when it was stopped at the time limit
    bool signalled = false;
    int exitStatus = -1;
    std::string out;
    std::string err;
};

ProgramRun runProgram(const std::vector<std::string>& argv, const RunOptions& options = {});

// An unprivileged user and group to run as ("nobody", 65534, where it exists).
std::pair<unsigned, unsigned> unprivilegedUser();

} // namespace corvane::test
