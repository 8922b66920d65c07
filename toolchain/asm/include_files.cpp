#include "include_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <native_path.h>

namespace corvane::asm83 {

std::optional<std::string> readWholeFile(const std::string& path, std::string& error) {
    std::error_code code;
    if (std::filesystem::is_directory(nativePath(path), code)) {
        error = "cannot read '" + path + "': it is a folder";
        return std::nullopt;
    }
    std::FILE* file = openFile(path, "rb");
    if (file == nullptr) {
        error = "cannot read '" + path + "': " + std::strerror(errno);
        return std::nullopt;
    }
    std::string text;
    char buffer[65536];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        text.append(buffer, got);
    }
    const bool failed = std::ferror(file) != 0;
    const int reason = errno;
    std::fclose(file);
    if (failed) {
        error = "cannot read '" + path + "': " + std::strerror(reason);
        return std::nullopt;
    }
    return text;
}

IncludeResolver fileIncludeResolver(std::vector<std::string> folders) {
    return [folders = std::move(folders)](
               const std::string& name,
               const std::string& includingFile) -> std::optional<IncludedFile> {
        namespace fs = std::filesystem;
        std::vector<fs::path> candidates;
        const fs::path included = nativePath(name);
        if (included.is_absolute()) {
            candidates.push_back(included);
        } else {
            candidates.push_back(nativePath(includingFile).parent_path() / included);
            for (const std::string& folder : folders) {
                candidates.push_back(nativePath(folder) / included);
            }
        }
        for (const fs::path& candidate : candidates) {
            std::error_code code;
            if (!fs::is_regular_file(candidate, code)) {
                continue;
            }
            std::string error;
            const std::string path = narrowPath(candidate);
            std::optional<std::string> text = readWholeFile(path, error);
            if (text) {
                return IncludedFile{path, std::move(*text)};
            }
        }
        return std::nullopt;
    };
}

} // namespace corvane::asm83
