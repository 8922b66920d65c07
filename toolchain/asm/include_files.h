#pragma once

#include "preprocessor.h"

#include <optional>
#include <string>
#include <vector>

namespace corvane::asm83 {

// The whole file at `path` as bytes; empty with `error` set when it cannot be read.
std::optional<std::string> readWholeFile(const std::string& path, std::string& error);

// Looks an #include up beside the including file, then in each of `folders` in order.
IncludeResolver fileIncludeResolver(std::vector<std::string> folders);

} // namespace corvane::asm83
