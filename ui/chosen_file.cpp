#include "chosen_file.h"

namespace corvane {

ChosenFile splitChosenFile(const QString& fileName, const QString& fileTitle) {
    ChosenFile chosen;
    const qsizetype folderLength = fileName.size() - fileTitle.size() - 1;
    if (folderLength >= 0) {
        chosen.folder = fileName.left(folderLength);
    }
    return chosen;
}

} // namespace corvane
