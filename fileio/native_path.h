#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace corvane {

// Paths travel through every library as narrow strings: UTF-8 on Windows, the file system's
// own bytes elsewhere. On Windows they become UTF-16 only here, at the system's edge, so that
// any name the system accepts is opened as itself and never squeezed through a code page.

// The path as std::filesystem takes it.
std::filesystem::path nativePath(std::string_view path);
// Back to the libraries' narrow form.
std::string narrowPath(const std::filesystem::path& path);
// std::fopen for a narrow path.
std::FILE* openFile(const std::string& path, const char* mode);
// Removes a file; true when it is gone.
bool removeFile(const std::string& path);
// The path's short (8.3) form where Windows keeps one and it differs; empty otherwise and on
// other systems.
std::string shortPathName(const std::string& path);

#ifdef _WIN32
// UTF-8 to UTF-16 and back; a string that is no valid UTF-8 gives an empty one, which names
// no file.
std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view wide);
#endif

} // namespace corvane
