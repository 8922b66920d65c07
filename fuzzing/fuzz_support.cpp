#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <unistd.h>

namespace corvane::fuzz {

namespace {

namespace fs = std::filesystem;

// In memory where the system offers it: the code under test flushes what it writes to disk,
// which on a real disk would cost more than the run itself.
fs::path scratchParent() {
    std::error_code error;
    return fs::is_directory("/dev/shm", error) ? fs::path("/dev/shm") : fs::temp_directory_path();
}

std::string makeScratchFolder() {
    std::string pattern = (scratchParent() / "corvane-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        broken("cannot make a temporary folder");
    }
    static const std::string removeAtExit = pattern;
    std::atexit([] {
        std::error_code ignored;
        fs::remove_all(removeAtExit, ignored);
    });
    return pattern;
}

} // namespace

const std::string& scratchFolder() {
    static const std::string folder = makeScratchFolder();
    return folder;
}

void writeBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    check(static_cast<bool>(out), "cannot write a scratch file");
}

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    check(static_cast<bool>(in), "cannot open a file the code under test wrote");
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void broken(std::string_view what) {
    std::fprintf(stderr, "broken invariant: %.*s\n", static_cast<int>(what.size()), what.data());
    std::abort();
}

} // namespace corvane::fuzz
