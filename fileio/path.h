#pragma once

#include <string>
#include <string_view>

namespace corvane {

// The separator that joins a folder and a name: "\" on Windows, "/" elsewhere.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// Plain joining: the separator is always inserted, whatever the folder ends with.
inline std::string joinPath(std::string_view folder, std::string_view name) {
    std::string path;
    path.reserve(folder.size() + 1 + name.size());
    path.append(folder);
    path += kPathSeparator;
    path.append(name);
    return path;
}

} // namespace corvane
