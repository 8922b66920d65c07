#pragma once

#include "busy_state.h"
#include "clock.h"
#include "process_launcher.h"

#include <QMainWindow>
#include <QString>
#include <functional>
#include <memory>
#include <string>

class QAction;
class QLineEdit;
class QMenu;
class QPlainTextEdit;

namespace corvane {

class FileDialog;

// The main window: the document's three fields, the result fields, the file dialog and the
// menus. The handlers stay thin: reading, writing and building live in the libraries they
// call.
class MainWindow final : public QMainWindow {
    Q_OBJECT

  public:
    // Shows a failure the user must know about (a save that did not happen), with details
    // the user may ask for (empty when there are none).
    using WarningSink = std::function<void(const QString& message, const QString& details)>;

    // `dialog` is the file dialog the commands show; `appFolder` is the program's folder,
    // the first working folder. Without a sink, warnings go to a message box.
    MainWindow(std::unique_ptr<FileDialog> dialog, const QString& appFolder, WarningSink warn = {},
               QWidget* parent = nullptr);
    ~MainWindow() override;

    const QString& documentPath() const { return documentPath_; }
    const QString& baseName() const { return baseName_; }
    // The working folder lives in the file dialog as its initial folder.
    QString workingFolder() const;
    // For commands that enter the busy state around their work.
    BusyIndicator& busyIndicator() { return busy_; }
    // The clock of the build's waits and the starter of the tool chain; the system's own
    // until replaced (tests use a faster clock or stand-in processes).
    void setBuildServices(std::unique_ptr<Clock> clock, std::unique_ptr<ProcessLauncher> launcher);

  public slots:
    void newFile();
    void open();
    void importText();
    // Save and Save As report whether the document is now on disk.
    bool save();
    bool saveAs();
    void quit();
    // Compile for ion: builds the calculator programs from the saved document.
    void compileForIon();
    void about();

  private slots:
    void updateTextSize();

  private:
    void createControls();
    void createMenus();
    QAction* addCommand(QMenu* menu, const char* name, const QString& caption,
                        const QKeySequence& shortcut, const std::function<void()>& handler);
    bool acceptsCommands() const;

    enum class FileKind { Document, PlainText };
    void readIntoWindow(FileKind kind);
    QString writeDocument(bool processEventsAfterHeader);
    bool reportSave(const QString& error);

    std::unique_ptr<FileDialog> fileDialog_;
    QString appFolder_;
    std::unique_ptr<Clock> clock_;
    std::unique_ptr<ProcessLauncher> launcher_;
    WarningSink warn_;
    std::function<void()> processEvents_;
    BusyIndicator busy_;
    // Set while Open or Import read a file with the window enabled: menu commands wait.
    bool reading_ = false;

    QString documentPath_;
    QString baseName_;

    QPlainTextEdit* textEdit_ = nullptr;
    QLineEdit* programNameEdit_ = nullptr;
    QLineEdit* calculatorNameEdit_ = nullptr;
    QLineEdit* screenCountField_ = nullptr;
    QLineEdit* textSizeField_ = nullptr;
    QLineEdit* programSizeField_ = nullptr;
};

} // namespace corvane
