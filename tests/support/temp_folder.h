#pragma once

#include <filesystem>
#include <string>

namespace corvane::test {

// A path that also converts to the narrow string the libraries take, as std::filesystem::path
// does only on POSIX (on Windows its native string is wide).
struct FolderPath : std::filesystem::path {
    FolderPath() = default;
    FolderPath(std::filesystem::path folder) : std::filesystem::path(std::move(folder)) {}
    operator std::string() const { return string(); }
};

// A fresh folder under the system's temporary folder, removed with everything in it when the
// object goes; write permission is given back first, so a test may leave read-only files and
// folders behind.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const FolderPath& path() const { return path_; }
    // The path of `name` inside the folder.
    std::string file(const std::string& name) const { return (path_ / name).string(); }

  private:
    FolderPath path_;
};

} // namespace corvane::test
