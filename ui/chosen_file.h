#pragma once

#include <QString>
#include <optional>

namespace corvane {

// What the window takes from the file chosen in the dialog, given its full path (FileName)
// and its name (FileTitle): the folder, which is the path's first L - T - 1 characters
// (without the separator before the name, so a root gives "C:"), and the base name, the
// name without its last four characters whatever they are. A value whose character count
// would be negative cannot be formed; the window then keeps the value it had.
struct ChosenFile {
    std::optional<QString> folder;
    std::optional<QString> baseName;
};

ChosenFile splitChosenFile(const QString& fileName, const QString& fileTitle);

} // namespace corvane
