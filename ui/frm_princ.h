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
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;

namespace corvane {

class FileDialog;

// The main window: the document's three fields, the result fields, the hidden assembly
// header template, the file dialog `Dia` and the menus. The handlers stay thin: reading,
// writing and building live in the libraries they call.
class FrmPRinc final : public QMainWindow {
    Q_OBJECT

  public:
    // Shows a failure the user must know about (a save that did not happen).
    using WarningSink = std::function<void(const QString& message)>;

    // `dialog` is the file dialog the commands show; `appFolder` is the program's folder,
    // the first working folder. Without a sink, warnings go to a message box.
    FrmPRinc(std::unique_ptr<FileDialog> dialog, const QString& appFolder, WarningSink warn = {},
             QWidget* parent = nullptr);
    ~FrmPRinc() override;

    const QString& documentPath() const { return documentPath_; }
    const QString& baseName() const { return baseName_; }
    // The working folder lives in the file dialog as its initial folder.
    QString workingFolder() const;
    // The hidden txtHead's text as the bytes written at the top of every assembly source.
    std::string headerTemplate() const;
    // For commands that enter the busy state around their work.
    BusyIndicator& busyIndicator() { return busy_; }
    // The clock of the build's waits and the starter of the tool chain; the system's own
    // until replaced (tests use a faster clock or stand-in processes).
    void setBuildServices(std::unique_ptr<Clock> clock, std::unique_ptr<ProcessLauncher> launcher);

  public slots:
    void MnuNouveau_Click();
    void MunOuvrir_Click();
    void MnuImporter_Click();
    // Save and Save As report whether the document is now on disk.
    bool MnuEnregistrer_Click();
    bool MnuEnregistrerSous_Click();
    void MnuQuitter_Click();
    // Compile for ion: builds the calculator programs from the saved document.
    void MunCompillerIon_Click();
    void MunAproposde_Click();

  private slots:
    void TxtTexte_Change();

  private:
    void Form_Load(const QString& appFolder);
    void createControls();
    void createMenus();
    QAction* addCommand(QMenu* menu, const char* name, const QString& caption,
                        const QKeySequence& shortcut, const std::function<void()>& handler);
    bool acceptsCommands() const;

    enum class FileKind { Document, PlainText };
    void readIntoWindow(FileKind kind);
    QString writeDocument(bool processEventsAfterHeader);
    bool reportSave(const QString& error);

    std::unique_ptr<FileDialog> Dia;
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

    QPlainTextEdit* TxtTexte = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* txtNomprog = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* TxtNomFic = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* TxtNbEcran = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* TxtTailleTexte = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* txtTailleFichier = nullptr;
    QPlainTextEdit* txtHead = nullptr;
};

} // namespace corvane
