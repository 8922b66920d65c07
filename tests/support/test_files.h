#pragma once

// Files and folders for tests: a fresh temporary folder per test, whole-file reads and
// writes, and a guard that makes a file or folder read-only even for the superuser.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <random>
#include <read_only.h>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

namespace corvane::test_files {

class TempFolder {
  public:
    TempFolder() {
        std::random_device random;
        const std::filesystem::path base = std::filesystem::temp_directory_path();
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            const auto candidate = base / ("corvane-" + std::to_string(random()));
            if (std::filesystem::create_directory(candidate)) {
                path_ = candidate.string();
            }
        }
        if (path_.empty()) {
            ADD_FAILURE() << "cannot create a temporary folder";
        }
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

inline std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

using ReadOnly = test_support::ReadOnly;

// A symbolic link at `link` to `target`; false where the system does not make one.
inline bool createFileLink(const std::string& target, const std::string& link) {
#ifdef _WIN32
    return ::CreateSymbolicLinkA(link.c_str(), target.c_str(),
                                 SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) != 0;
#else
    std::error_code error;
    std::filesystem::create_symlink(target, link, error);
    return !error;
#endif
}

inline bool isFileLink(const std::string& path) {
#ifdef _WIN32
    // libstdc++'s std::filesystem does not see links on Windows.
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
#else
    return std::filesystem::is_symlink(path);
#endif
}

} // namespace corvane::test_files
