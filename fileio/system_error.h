#pragma once

#include <string>

namespace corvane {

// "<path>: <what>: <the system's reason>", from the current errno.
std::string describeSystemError(const std::string& path, const std::string& what);

} // namespace corvane
