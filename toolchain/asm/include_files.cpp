#include "include_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace corvane::asm83 {

std::optional<std::string> readWholeFile(const std::string& path, std::string& error) {
    std::error_code code;
    if (std::filesystem::is_directory(path, code)) {
        error = "cannot read '" + path + "': it is a folder";
        return std::nullopt;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
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
        if (fs::path(name).is_absolute()) {
            candidates.emplace_back(name);
        } else {
            candidates.push_back(fs::path(includingFile).parent_path() / name);
            for (const std::string& folder : folders) {
                candidates.push_back(fs::path(folder) / name);
            }
        }
        for (const fs::path& candidate : candidates) {
            std::error_code code;
            if (!fs::is_regular_file(candidate, code)) {
                continue;
            }
            std::string error;
            std::optional<std::string> text = readWholeFile(candidate.string(), error);
            if (text) {
                return IncludedFile{candidate.string(), std::move(*text)};
            }
        }
        return std::nullopt;
    };
}

} // namespace corvane::asm83
