#pragma once

#include <QString>
#include <optional>

namespace corvane {

// What the window takes from the file chosen in the dialog, given its full path (FileName)
// and its name (FileTitle): the folder, which is the path's first L - T - 1 characters
// (without the separator before the name, so a root gives "C:"), and the base name, the
// name without its extension (what follows the last dot), or the whole name when it has
// none: "story.md" gives "story", ".txt" gives an empty base name. A folder whose character
// count would be negative cannot be formed; the window then keeps the folder it had.
struct ChosenFile {
    std::optional<QString> folder;
    QString baseName;
};

ChosenFile splitChosenFile(const QString& fileName, const QString& fileTitle);

} // namespace corvane
