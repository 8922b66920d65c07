#pragma once

#include "build_command.h"
#include "busy_state.h"
#include "calculator_sender.h"
#include "clock.h"
#include "process_launcher.h"

#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QAction;
class QCloseEvent;
class QDragEnterEvent;
class QDropEvent;
class QLabel;
class QLineEdit;
class QMenu;

namespace corvane {

class AboutDialog;
class FileDialog;
class PreviewWindow;
class TextBox;

// The main window: the document's three fields, the result fields, the file dialog and the
// menus. The handlers stay thin: reading, writing and building live in the libraries they
// call.
class MainWindow final : public QMainWindow {
    Q_OBJECT

  public:
    // Shows a failure the user must know about (a save that did not happen), with details
    // the user may ask for (empty when there are none).
    using WarningSink = std::function<void(const QString& message, const QString& details)>;
    // Asks the user a question with the given buttons and gives the one chosen.
    using QuestionSink = std::function<QMessageBox::StandardButton(
        const QString& question, QMessageBox::StandardButtons buttons)>;

    // `dialog` is the file dialog the commands show; `appFolder` is the program's folder,
    // the first working folder. Without a sink, warnings go to a message box.
    MainWindow(std::unique_ptr<FileDialog> dialog, const QString& appFolder, WarningSink warn = {},
               QWidget* parent = nullptr);
    ~MainWindow() override;

    const QString& documentPath() const { return documentPath_; }
    const QString& baseName() const { return baseName_; }
    // Where the file dialog opens and the build writes: the folder of the file last opened,
    // imported or saved with Save As.
    const QString& workingFolder() const { return workingFolder_; }
    // For commands that enter the busy state around their work.
    BusyIndicator& busyIndicator() { return busy_; }
    // The clock of the build's waits and the starter of the tool chain; the system's own
    // until replaced (tests use a faster clock or stand-in processes).
    void setBuildServices(std::unique_ptr<Clock> clock, std::unique_ptr<ProcessLauncher> launcher);
    // How Send to calculator finds cables and asks for one; the real ones until replaced.
    void setLinkServices(CalculatorSender::Services services);
    bool sending() const { return sender_->sending(); }
    // The first working folder; the window starts in the program's folder until told otherwise.
    void setWorkingFolder(const QString& folder);
    // Runs before each build once the document is saved, to make the tool chain folder ready;
    // a non-empty answer is shown as the build's failure and nothing is built.
    void setToolChainPreparation(std::function<QString()> prepare);
    // Open and Import of a file chosen elsewhere than in the dialog (the command line, a file
    // dropped on the window), after asking about unsaved changes as they do.
    void openFile(const QString& path);
    void importFile(const QString& path);
    // Opens a file in a window of its own, whose top left corner is at `at`: a new Corvane
    // process until replaced (tests note what would open).
    using WindowOpener = std::function<void(const QString& path, QPoint at)>;
    void setWindowOpener(WindowOpener open) { openWindow_ = std::move(open); }
    // The environment variable through which a window opened by another learns where to
    // stand ("x,y"), so that it does not open exactly over the one that opened it.
    static constexpr char kPositionVariable[] = "CORVANE_WINDOW_POSITION";
    // Where a further window opens: down and to the right of this one, on the screen.
    QPoint furtherWindowPosition() const;
    // Opens each file in a window of its own, each a step further down and to the right
    // (further files dropped on the window or named on the command line).
    void openInFurtherWindows(const QStringList& paths);
    // Replaces the message box that asks questions (tests answer them themselves).
    void setQuestionSink(QuestionSink ask) { ask_ = std::move(ask); }
    // Asks for the reader's part size, offering `current` between `minimum` and `maximum`;
    // nothing for a cancel. Qt's input dialog until replaced (tests answer themselves).
    using PartSizeChooser = std::function<std::optional<std::size_t>(
        QWidget* parent, std::size_t current, std::size_t minimum, std::size_t maximum)>;
    void setPartSizeChooser(PartSizeChooser choose) { choosePartSize_ = std::move(choose); }

    // Before a command discards a document changed since it was last new, opened, imported
    // or saved, asks once whether to save it: Save runs Save (Save As without a file), and
    // false means the command must not go on (cancelled, or the save did not happen).
    bool maybeSave();

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
    // Compile as TI-BASIC: the TI-BASIC programs of the saved document, without the tool chain.
    void compileAsBasic();
    // Compile as a reader: asks for the part size, then builds reader programs likewise.
    void compileAsReader();
    // Preview: opens the window that shows the calculator's screens beside this one.
    void preview();
    // Send to calculator: this document's program, built first as Compile for ion does when
    // the document changed since its last build in this window or was never built here.
    void sendToCalculator();
    // Send a file: any program file the user picks.
    void sendFile();
    void about();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private slots:
    void updateTextSize();
    void updateModified();

  private:
    void createControls();
    void createMenus();
    QAction* addCommand(QMenu* menu, const char* name, const QString& caption,
                        const QKeySequence& shortcut, const std::function<void()>& handler);
    bool acceptsCommands() const;
    void afterSend();
    void buildPrograms(ProgramKind kind);

    // What a command makes of the file it names (see setCurrentFile).
    enum class FileUse { Document, SourceOnly, None };
    void setCurrentFile(const QString& path, FileUse use);

    enum class FileKind { Document, PlainText };
    void readIntoWindow(const QString& path, FileKind kind);
    void readChosenFile(const QString& path, FileKind kind);
    bool confirmUnencodable();
    QString writeDocument(const QString& path, bool processEventsAfterHeader);
    bool reportSave(const QString& error);
    void showAsSaved();
    void markUnmodified();
    void clearBuildResults();
    // A build's steps; true when its programs were delivered.
    bool makePrograms(ProgramKind kind);
    void showStatus(const QString& text);
    void placePreview();
    QPoint positionAfter(QRect frame) const;
    void updateCaption();

    std::unique_ptr<FileDialog> fileDialog_;
    QString appFolder_;
    std::unique_ptr<Clock> clock_;
    std::unique_ptr<ProcessLauncher> launcher_;
    std::function<QString()> prepareToolChain_;
    WarningSink warn_;
    QuestionSink ask_;
    PartSizeChooser choosePartSize_;
    std::size_t readerPartBytes_ = kReaderDefaultPartBytes;
    // The kind a build asked for during a transfer makes once the transfer has ended.
    ProgramKind buildAfterSend_ = ProgramKind::IonProgram;
    std::function<void()> processEvents_;
    WindowOpener openWindow_;
    BusyIndicator busy_;
    // Set while Open or Import read a file with the window enabled: menu commands wait.
    bool reading_ = false;
    // Set while a build runs; a close request meanwhile is carried out when it ends.
    bool building_ = false;
    bool closeAfterBuild_ = false;
    QPointer<AboutDialog> about_;

    // The user edited a name field since the document was last new, opened, imported or
    // saved (the field's own flag is lost when a pasted line break is replaced).
    bool namesEdited_ = false;

    QString documentPath_;
    QString baseName_;
    QString workingFolder_;
    // The programs the last successful build delivered; empty before one.
    QString deliveredTi83_;
    QString deliveredTi83Plus_;

    std::unique_ptr<CalculatorSender> sender_;
    // Commands asked for during a transfer that run when it ends.
    bool compileAfterSend_ = false;
    bool basicAfterSend_ = false;
    bool closeAfterSend_ = false;

    TextBox* textEdit_ = nullptr;
    QLineEdit* programNameEdit_ = nullptr;
    QLineEdit* calculatorNameEdit_ = nullptr;
    QLineEdit* screenCountField_ = nullptr;
    QLineEdit* textSizeField_ = nullptr;
    QLineEdit* programSizeField_ = nullptr;
    QLabel* statusLine_ = nullptr;
    PreviewWindow* preview_ = nullptr;
    // The delivered programs are those of the document as it stands: built in this window
    // since its last change, new, open or import.
    bool programsCurrent_ = false;
};

} // namespace corvane
