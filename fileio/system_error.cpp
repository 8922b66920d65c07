#include "system_error.h"

#include <cerrno>
#include <cstring>

namespace corvane {

std::string describeSystemError(const std::string& path, const std::string& what) {
    const int code = errno;
    std::string message = path + ": " + what;
    if (code != 0) {
        message += ": ";
        message += std::strerror(code);
    }
    return message;
}

} // namespace corvane
