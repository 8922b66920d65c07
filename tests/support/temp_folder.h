#pragma once

#include <filesystem>
#include <string>

namespace corvane::test {

// A fresh folder under the system's temporary folder, removed with everything in it when the
// object goes; write permission is given back first, so a test may leave read-only files and
// folders behind.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The path of `name` inside the folder.
    std::string file(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

} // namespace corvane::test
