#pragma once

#include <QString>
#include <optional>

namespace corvane {

// What the window takes from the file chosen in the dialog, given its full path (FileName)
// and its name (FileTitle): the folder, which is the path's first L - T - 1 characters
// (without the separator before the name, so a root gives "C:"). A folder whose character
// count would be negative cannot be formed; the window then keeps the folder it had.
struct ChosenFile {
    std::optional<QString> folder;
};

ChosenFile splitChosenFile(const QString& fileName, const QString& fileTitle);

} // namespace corvane
