#pragma once

#include <filesystem>
#include <string>

namespace corvane::test {

// A path in the libraries' narrow form: UTF-8 on Windows, where std::filesystem's own narrow
// string is in the ANSI code page.
inline std::string narrowString(const std::filesystem::path& path) {
#ifdef _WIN32
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
#else
    return path.string();
#endif
}

// A path that also converts to the narrow string the libraries take.
struct FolderPath : std::filesystem::path {
    FolderPath() = default;
    FolderPath(std::filesystem::path folder) : std::filesystem::path(std::move(folder)) {}
    operator std::string() const { return narrowString(*this); }
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
    std::string file(const std::string& name) const { return narrowString(path_ / name); }

  private:
    FolderPath path_;
};

} // namespace corvane::test
