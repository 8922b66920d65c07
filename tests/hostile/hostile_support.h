#pragma once

// What the hostile tests share: fresh folders, whole-file reads and writes, child processes
// that run with a small disk or without root's right to ignore file modes, and the real
// tool chain started with a time limit.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace corvane::hostile {

namespace fs = std::filesystem;

// A fresh folder, removed with everything in it (modes restored first).
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const fs::path& path() const { return path_; }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

  private:
    fs::path path_;
};

void writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);
// The names in `folder`, sorted.
std::vector<std::string> namesIn(const fs::path& folder);

// A folder of at most `bytes` on a tmpfs of its own, where the process may mount one (root
// on Linux); unmounted, with what was written on it, when destroyed.
class SmallDisk {
  public:
    SmallDisk(const fs::path& where, std::size_t bytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool mounted() const { return mounted_; }

  private:
    fs::path where_;
    bool mounted_ = false;
};

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

// The program folder of this build: asm83, ion.inc and asm.bat.
std::string appDir();

// Copies asm83, ion.inc and asm.bat into `folder`, so a test may break its own tool chain.
void copyToolChain(const std::string& folder);

} // namespace corvane::hostile
