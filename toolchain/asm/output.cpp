#include "output.h"

#include <ascii.h>

namespace corvane::asm83 {

std::optional<OutputForm> outputFormForPath(std::string_view path) {
    const std::size_t dot = path.rfind('.');
    const std::size_t slash = path.find_last_of("/\\");
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) {
        return std::nullopt;
    }
    const std::string_view extension = path.substr(dot);
    if (ascii::equalsIgnoringCase(extension, ".bin")) {
        return OutputForm::Binary;
    }
    if (ascii::equalsIgnoringCase(extension, ".83p")) {
        return OutputForm::TI83;
    }
    if (ascii::equalsIgnoringCase(extension, ".8xp")) {
        return OutputForm::TI83Plus;
    }
    return std::nullopt;
}

std::string programNameForPath(std::string_view path) {
    const std::size_t slash = path.find_last_of("/\\");
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos) {
        name = name.substr(0, dot);
    }
    std::string upper(name);
    for (char& c : upper) {
        c = ascii::toUpper(c);
    }
    return upper;
}

std::string Image::bytes() const {
    if (empty()) {
        return {};
    }
    return std::string(reinterpret_cast<const char*>(memory_.data() + low_), high_ - low_ + 1);
}

} // namespace corvane::asm83
