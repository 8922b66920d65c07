#include "chosen_file.h"

#include <algorithm>

namespace corvane {

std::optional<QString> chosenFolder(const QString& path) {
    const qsizetype separator =
        std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    if (separator < 0) {
        return std::nullopt;
    }
    return path.left(separator);
}

} // namespace corvane
