#include "file_dialog.h"

#include <QDir>
#include <QFileDialog>

namespace corvane {

namespace {

std::optional<QString> chosenFile(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
}

} // namespace

std::optional<QString> QtFileDialog::chooseOpen(const QString& title, const QString& folder,
                                                const QString& filters) {
    QFileDialog dialog(nullptr, title, folder);
    dialog.setNameFilter(filters);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // A name typed without an extension names that very file.
    dialog.setFileMode(QFileDialog::ExistingFile);
    return chosenFile(dialog);
}

std::optional<QString> QtFileDialog::chooseSave(const QString& title, const QString& folder,
                                                const QString& proposedName) {
    QFileDialog dialog(nullptr, title, folder);
    dialog.setNameFilter(kTextFileFilters);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.selectFile(proposedName);
    return chosenFile(dialog);
}

} // namespace corvane
