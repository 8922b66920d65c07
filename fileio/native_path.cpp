#include "native_path.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace corvane {

#ifdef _WIN32

std::wstring widen(std::string_view utf8) {
    if (utf8.empty()) {
        return {};
    }
    const int size = static_cast<int>(utf8.size());
    const int length =
        ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    if (length > 0) {
        ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, wide.data(),
                              length);
    }
    return wide;
}

std::string narrow(std::wstring_view wide) {
    if (wide.empty()) {
        return {};
    }
    const int size = static_cast<int>(wide.size());
    const int length =
        ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    if (length > 0) {
        ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, bytes.data(), length, nullptr,
                              nullptr);
    }
    return bytes;
}

std::filesystem::path nativePath(std::string_view path) {
    return std::filesystem::path(widen(path));
}

std::string narrowPath(const std::filesystem::path& path) {
    return narrow(path.native());
}

std::FILE* openFile(const std::string& path, const char* mode) {
    return ::_wfopen(widen(path).c_str(), widen(mode).c_str());
}

bool removeFile(const std::string& path) {
    return ::_wremove(widen(path).c_str()) == 0;
}

std::string shortPathName(const std::string& path) {
    const std::wstring wide = widen(path);
    const DWORD needed = ::GetShortPathNameW(wide.c_str(), nullptr, 0);
    if (needed == 0) {
        return {};
    }
    std::wstring shortened(needed, L'\0');
    const DWORD length = ::GetShortPathNameW(wide.c_str(), shortened.data(), needed);
    if (length == 0 || length >= needed) {
        return {};
    }
    shortened.resize(length);
    return shortened == wide ? std::string() : narrow(shortened);
}

#else

std::filesystem::path nativePath(std::string_view path) {
    return std::filesystem::path(path);
}

std::string narrowPath(const std::filesystem::path& path) {
    return path.native();
}

std::FILE* openFile(const std::string& path, const char* mode) {
    return std::fopen(path.c_str(), mode);
}

bool removeFile(const std::string& path) {
    return std::remove(path.c_str()) == 0;
}

std::string shortPathName(const std::string&) {
    return {};
}

#endif

} // namespace corvane
