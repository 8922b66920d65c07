#pragma once

#include <QString>
#include <optional>

namespace corvane {

// The kinds of file the document commands offer, in Qt's filter form.
inline const QString kTextFileFilters = QStringLiteral("Text files (*.txt);;All files (*)");

// The file dialog the window asks for files through. Paths come back with the platform's own
// separators; nothing comes back when the user cancels.
class FileDialog {
  public:
    FileDialog() = default;
    FileDialog(const FileDialog&) = delete;
    FileDialog& operator=(const FileDialog&) = delete;
    virtual ~FileDialog() = default;

    // An existing file to open, offered through `filters` in `folder`.
    virtual std::optional<QString> chooseOpen(const QString& title, const QString& folder,
                                              const QString& filters) = 0;
    // A text file to save under, `proposedName` proposed in `folder`: the user is asked
    // before an existing file is replaced, and a name typed without an extension gets ".txt".
    virtual std::optional<QString> chooseSave(const QString& title, const QString& folder,
                                              const QString& proposedName) = 0;
};

// The above on Qt's own file dialog.
class QtFileDialog final : public FileDialog {
  public:
    std::optional<QString> chooseOpen(const QString& title, const QString& folder,
                                      const QString& filters) override;
    std::optional<QString> chooseSave(const QString& title, const QString& folder,
                                      const QString& proposedName) override;
};

} // namespace corvane
