#pragma once

#include <QString>

namespace corvane {

// The window's common file dialog `Dia`: a bag of settings that a command fills in before
// it shows the dialog, and the chosen file read back afterwards. A show that returns false
// (the user cancelled) leaves FileName and FileTitle as they were.
class FileDialog {
  public:
    // Flag values of the common dialog: the chosen file must exist; ask before replacing.
    static constexpr int kFileMustExist = 4096;
    static constexpr int kOverwritePrompt = 2;

    FileDialog() = default;
    FileDialog(const FileDialog&) = delete;
    FileDialog& operator=(const FileDialog&) = delete;
    virtual ~FileDialog() = default;

    QString DialogTitle;
    int Flags = 0;
    // Before a show: the proposed name. After an accepted show: the chosen file's full path.
    QString FileName = QStringLiteral("*.txt");
    // After an accepted show: the chosen file's name without its folder.
    QString FileTitle;
    // The folder the dialog opens in: the window's working folder.
    QString InitDir;

    virtual bool ShowOpen() = 0;
    virtual bool ShowSave() = 0;

  protected:
    // Stores an accepted choice: the path as given and the part after its last separator.
    void accept(const QString& path);
};

// Qt's file dialog with the filters "Text files (*.txt)" and "All files (*)", and the
// default suffix "txt" when saving.
// Paths come back with the platform's own separators.
class QtFileDialog final : public FileDialog {
  public:
    bool ShowOpen() override;
    bool ShowSave() override;

  private:
    bool show(bool save);
};

} // namespace corvane
