#include "program_parts.h"

namespace corvane {

std::optional<std::vector<std::size_t>> splitIntoParts(std::span<const std::size_t> screenBytes,
                                                       std::size_t fixedBytes,
                                                       std::size_t maxBytes) {
    std::vector<std::size_t> parts{0};
    if (fixedBytes > maxBytes) {
        return std::nullopt;
    }
    const std::size_t room = maxBytes - fixedBytes;
    std::size_t used = 0;
    for (std::size_t screen = 0; screen < screenBytes.size(); ++screen) {
        const std::size_t bytes = screenBytes[screen];
        if (bytes > room) {
            return std::nullopt;
        }
        if (bytes > room - used) {
            parts.push_back(screen);
            used = 0;
        }
        used += bytes;
    }
    return parts;
}

std::string partCalculatorName(std::string_view name, int part) {
    const std::string digits = part > 0 ? std::to_string(part) : std::string();
    const std::size_t room =
        digits.size() < kCalculatorNameLength ? kCalculatorNameLength - digits.size() : 0;
    return std::string(name.substr(0, room)) + digits;
}

std::string partTitle(std::string_view title, int part, int count, std::size_t maxLength) {
    if (part <= 0) {
        return std::string(title.substr(0, maxLength));
    }
    const std::string suffix = std::to_string(part) + "/" + std::to_string(count);
    if (suffix.size() >= maxLength) {
        return suffix.substr(0, maxLength);
    }
    std::string_view kept = title.substr(0, maxLength - suffix.size() - 1);
    while (!kept.empty() && kept.back() == ' ') {
        kept.remove_suffix(1);
    }
    return kept.empty() ? suffix : std::string(kept) + " " + suffix;
}

std::string partFileName(std::string_view baseName, std::string_view kindSuffix, int part,
                         std::string_view extension) {
    std::string name(baseName);
    name += kindSuffix;
    if (part > 0) {
        name += "-" + std::to_string(part);
    }
    name += extension;
    return name;
}

} // namespace corvane
