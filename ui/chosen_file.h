#pragma once

#include <QString>
#include <optional>

namespace corvane {

// The folder of a chosen file's full path: everything before its last separator ("/" or "\\"),
// so that a root gives "C:" or an empty folder. A path without a separator names no folder;
// the window then keeps the folder it had.
std::optional<QString> chosenFolder(const QString& path);

} // namespace corvane
