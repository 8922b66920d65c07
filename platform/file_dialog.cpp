#include "file_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <algorithm>

namespace corvane {

void FileDialog::accept(const QString& path) {
    FileName = path;
    const qsizetype separator =
        std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    FileTitle = path.mid(separator + 1);
}

bool QtFileDialog::ShowOpen() {
    return show(false);
}

bool QtFileDialog::ShowSave() {
    return show(true);
}

bool QtFileDialog::show(bool save) {
    QFileDialog dialog(nullptr, DialogTitle, InitDir);
    dialog.setNameFilters({QStringLiteral("Text files (*.txt)"), QStringLiteral("All files (*)")});
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode((Flags & kFileMustExist) != 0 ? QFileDialog::ExistingFile
                                                     : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, (Flags & kOverwritePrompt) == 0);
    // A name typed without an extension gets ".txt" when saving; when opening it names
    // that very file.
    if (save) {
        dialog.setDefaultSuffix(QStringLiteral("txt"));
    }
    // A wildcard name only repeats the filter; a real name is proposed in the name box.
    if (!FileName.contains(QLatin1Char('*'))) {
        dialog.selectFile(FileName);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return false;
    }
    accept(QDir::toNativeSeparators(dialog.selectedFiles().constFirst()));
    return true;
}

} // namespace corvane
