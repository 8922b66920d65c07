#include "chosen_file.h"

namespace corvane {

namespace {

std::optional<QString> leftChars(const QString& text, qsizetype count) {
    if (count < 0) {
        return std::nullopt;
    }
    return text.left(count);
}

} // namespace

ChosenFile splitChosenFile(const QString& fileName, const QString& fileTitle) {
    return {leftChars(fileName, fileName.size() - fileTitle.size() - 1),
            leftChars(fileTitle, fileTitle.size() - 4)};
}

} // namespace corvane
