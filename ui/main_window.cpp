#include "main_window.h"

#include "about_dialog.h"
#include "build_command.h"
#include "chosen_file.h"
#include "desktop.h"
#include "document_file.h"
#include "editor_text.h"
#include "file_dialog.h"
#include "program_icon.h"
#include "text_box.h"
#include "text_loader.h"
#include "twips.h"

#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QTextDocument>
#include <algorithm>

namespace corvane {

namespace {

constexpr int kProgramNameLimit = 20;
constexpr int kCalculatorFileNameLimit = 8;
// The client area the controls are laid out for, below the menu bar.
constexpr int kClientWidthTwips = 5385;
constexpr int kClientHeightTwips = 4740;

std::string localPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

void showWarningBox(const QString& message, const QString& details) {
    // No parent: the main window may be disabled by a busy command, and a dialog owned by a
    // disabled window would be disabled too.
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Corvane"), message, QMessageBox::Ok);
    box.setDetailedText(details);
    box.setWindowIcon(programIcon());
    box.exec();
}

// Clears a flag when the scope that set it ends, on every path out.
class FlagScope {
  public:
    explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

  private:
    bool& flag_;
};

} // namespace

MainWindow::MainWindow(std::unique_ptr<FileDialog> dialog, const QString& appFolder,
                       WarningSink warn, QWidget* parent)
    : QMainWindow(parent), fileDialog_(std::move(dialog)), appFolder_(appFolder),
      clock_(std::make_unique<SteadyClock>()), launcher_(makeSystemLauncher()),
      warn_(warn ? std::move(warn) : WarningSink(showWarningBox)),
      processEvents_(pendingEventsProcessor()), busy_(*this) {
    createControls();
    createMenus();
    setFixedSize(twips(kClientWidthTwips),
                 twips(kClientHeightTwips) + menuBar()->sizeHint().height());
    fileDialog_->InitDir = appFolder;
}

MainWindow::~MainWindow() = default;

void MainWindow::setBuildServices(std::unique_ptr<Clock> clock,
                                  std::unique_ptr<ProcessLauncher> launcher) {
    clock_ = std::move(clock);
    launcher_ = std::move(launcher);
}

void MainWindow::createControls() {
    setObjectName(QStringLiteral("FrmPRinc"));
    setWindowTitle(QStringLiteral("Corvane"));
    setWindowIcon(programIcon());
    // A fixed border with minimise and close only: the window cannot be resized or maximised.
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);

    auto* client = new QWidget(this);
    client->setFixedSize(twips(kClientWidthTwips), twips(kClientHeightTwips));
    // The labels' captions were measured for a small dialog font; at the desktop's usual
    // size the longest ones would be cut.
    QFont dialogFont = client->font();
    dialogFont.setPointSizeF(std::min(dialogFont.pointSizeF(), 8.0));
    client->setFont(dialogFont);
    setCentralWidget(client);

    const auto place = [client](QWidget* control, const char* name, QRect twipsRect) {
        control->setParent(client);
        control->setObjectName(QString::fromLatin1(name));
        control->setGeometry(fromTwips(twipsRect));
    };
    const auto label = [&](const char* name, const char* caption, QRect where) {
        place(new QLabel(QString::fromLatin1(caption)), name, where);
    };
    const auto line = [&](QLineEdit*& field, const char* name, const char* text, QRect where) {
        field = new QLineEdit(QString::fromLatin1(text));
        place(field, name, where);
    };
    const auto result = [&](QLineEdit*& field, const char* name, QRect where) {
        line(field, name, "", where);
        field->setReadOnly(true);
    };

    textEdit_ = new TextBox;
    place(textEdit_, "TxtTexte", {0, 0, 3135, 4695});
    QFont textFont(QStringLiteral("Courier New"));
    textFont.setPointSizeF(9.75);
    textFont.setWeight(QFont::Normal);
    textFont.setStyleHint(QFont::Monospace);
    textEdit_->setFont(textFont);
    textEdit_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    textEdit_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    textEdit_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    textEdit_->setTabChangesFocus(true);

    label("Label4", "Name (for ion) :", {3240, 0, 2055, 255});
    line(programNameEdit_, "txtNomprog", "Notitle", {3240, 240, 2055, 285});
    programNameEdit_->setMaxLength(kProgramNameLimit);
    label("Label5", "Name of the file (ti name)", {3240, 600, 2055, 255});
    line(calculatorNameEdit_, "TxtNomFic", "notitle", {3240, 840, 2055, 285});
    calculatorNameEdit_->setMaxLength(kCalculatorFileNameLimit);
    label("Label1", "Number of screens :", {3240, 1320, 1935, 255});
    result(screenCountField_, "TxtNbEcran", {3240, 1560, 2055, 285});
    label("Label2", "size of the text:", {3240, 1920, 2055, 255});
    result(textSizeField_, "TxtTailleTexte", {3240, 2160, 2055, 285});
    label("Label3", "File's size (compile it before ):", {3240, 2520, 2055, 255});
    result(programSizeField_, "txtTailleFichier", {3240, 2760, 2055, 285});

    QWidget::setTabOrder(textEdit_, screenCountField_);
    QWidget::setTabOrder(screenCountField_, textSizeField_);
    QWidget::setTabOrder(textSizeField_, programSizeField_);
    QWidget::setTabOrder(programSizeField_, programNameEdit_);
    QWidget::setTabOrder(programNameEdit_, calculatorNameEdit_);
    textEdit_->setFocus();

    // Connected last, so that setting up the box does not count as a change of its text.
    connect(textEdit_->document(), &QTextDocument::contentsChanged, this,
            &MainWindow::updateTextSize);
}

void MainWindow::createMenus() {
    QMenu* MnuFichier = menuBar()->addMenu(QStringLiteral("&File"));
    MnuFichier->setObjectName(QStringLiteral("MnuFichier"));
    addCommand(MnuFichier, "MnuNouveau", QStringLiteral("&New"), QKeySequence(Qt::CTRL | Qt::Key_N),
               [this] { newFile(); });
    MnuFichier->addSeparator()->setObjectName(QStringLiteral("mnusep2"));
    addCommand(MnuFichier, "MunOuvrir", QStringLiteral("&Open"), QKeySequence(Qt::CTRL | Qt::Key_O),
               [this] { open(); });
    addCommand(MnuFichier, "MnuImporter", QStringLiteral("&Import a text (without my header)"),
               QKeySequence(Qt::CTRL | Qt::Key_I), [this] { importText(); });
    MnuFichier->addSeparator()->setObjectName(QStringLiteral("mnusep3"));
    addCommand(MnuFichier, "MnuEnregistrer", QStringLiteral("&Save"),
               QKeySequence(Qt::CTRL | Qt::Key_S), [this] { save(); });
    addCommand(MnuFichier, "MnuEnregistrerSous", QStringLiteral("Save &as"), {},
               [this] { saveAs(); });
    MnuFichier->addSeparator()->setObjectName(QStringLiteral("mnusep1"));
    addCommand(MnuFichier, "MnuQuitter", QStringLiteral("&Quit"),
               QKeySequence(Qt::CTRL | Qt::Key_Q), [this] { quit(); });

    QMenu* MunCompiller = menuBar()->addMenu(QStringLiteral("&Compile"));
    MunCompiller->setObjectName(QStringLiteral("MunCompiller"));
    addCommand(MunCompiller, "MunCompillerIon", QStringLiteral("&Compile for ion (ti83 and ti83+)"),
               QKeySequence(Qt::Key_F9), [this] { compileForIon(); });

    QMenu* Mnuaide = menuBar()->addMenu(QStringLiteral("&?"));
    Mnuaide->setObjectName(QStringLiteral("Mnuaide"));
    addCommand(Mnuaide, "MunAproposde", QStringLiteral("&About..."), {}, [this] { about(); });
}

QAction* MainWindow::addCommand(QMenu* menu, const char* name, const QString& caption,
                                const QKeySequence& shortcut,
                                const std::function<void()>& handler) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(shortcut);
    connect(action, &QAction::triggered, this, [this, handler] {
        if (acceptsCommands()) {
            handler();
        }
    });
    return action;
}

bool MainWindow::acceptsCommands() const {
    return isEnabled() && !reading_;
}

QString MainWindow::workingFolder() const {
    return fileDialog_->InitDir;
}

void MainWindow::updateTextSize() {
    // Both counts are kept by the document itself, so a change costs the same however long
    // the text is. The document counts one character more than its text (the end marker),
    // and a line break, one character there, is CR LF in the file.
    const QTextDocument* text = textEdit_->document();
    const qint64 size = (text->characterCount() - 1) + (text->blockCount() - 1);
    textSizeField_->setText(QString::number(size));
}

void MainWindow::newFile() {
    textEdit_->clear();
    wrapAtWords(*textEdit_);
    documentPath_.clear();
}

void MainWindow::open() {
    fileDialog_->DialogTitle = QStringLiteral("Open a text file (with my header)");
    fileDialog_->Flags = FileDialog::kFileMustExist;
    fileDialog_->FileName = QStringLiteral("*.txt");
    if (!fileDialog_->ShowOpen()) {
        return;
    }
    readIntoWindow(FileKind::Document);
}

void MainWindow::importText() {
    fileDialog_->DialogTitle = QStringLiteral("Import a text file");
    fileDialog_->Flags = FileDialog::kFileMustExist;
    fileDialog_->FileName = QStringLiteral("*.txt");
    if (!fileDialog_->ShowOpen()) {
        return;
    }
    readIntoWindow(FileKind::PlainText);
}

void MainWindow::readIntoWindow(FileKind kind) {
    const bool document = kind == FileKind::Document;
    const BusyState hourglass(busy_, document ? Hourglass::Window : Hourglass::Application, false);
    const FlagScope reading(reading_);
    documentPath_ = fileDialog_->FileName;

    TextLoader text(*textEdit_);
    ReadCallbacks callbacks;
    callbacks.processEvents = [this, &text] {
        text.flushIfDue();
        processEvents_();
    };
    callbacks.textLine = [&text](std::string_view line) { text.appendLine(lineForEditor(line)); };
    if (document) {
        callbacks.programName = [this](std::string_view name) {
            programNameEdit_->setText(lineForEditor(name));
        };
        callbacks.calculatorFileName = [this](std::string_view name) {
            calculatorNameEdit_->setText(lineForEditor(name));
        };
    }
    const std::string path = localPath(documentPath_);
    const ReadOutcome outcome =
        document ? readDocumentFile(path, callbacks) : readPlainTextFile(path, callbacks);
    if (!outcome.ok) {
        return;
    }
    text.dropFinalLineBreak();

    const ChosenFile chosen = splitChosenFile(fileDialog_->FileName, fileDialog_->FileTitle);
    if (!chosen.folder) {
        return;
    }
    fileDialog_->InitDir = *chosen.folder;
    if (chosen.baseName) {
        baseName_ = *chosen.baseName;
    }
}

bool MainWindow::save() {
    // A Save As that was cancelled or failed has already said so; writing again would only
    // repeat its failure.
    if (documentPath_.isEmpty() && !saveAs()) {
        return false;
    }
    QString error;
    {
        const BusyState busy(busy_, Hourglass::Application, true);
        error = writeDocument(false);
    }
    return reportSave(error);
}

bool MainWindow::saveAs() {
    fileDialog_->DialogTitle = QStringLiteral("Save text file");
    fileDialog_->Flags = FileDialog::kOverwritePrompt;
    fileDialog_->FileName = programNameEdit_->text() + QStringLiteral(".txt");
    if (!fileDialog_->ShowSave()) {
        return false;
    }
    QString error;
    {
        const BusyState busy(busy_, Hourglass::Application, true);
        documentPath_ = fileDialog_->FileName;
        error = writeDocument(true);
        const ChosenFile chosen = splitChosenFile(fileDialog_->FileName, fileDialog_->FileTitle);
        if (error.isEmpty() && chosen.baseName) {
            baseName_ = *chosen.baseName;
        }
    }
    return reportSave(error);
}

QString MainWindow::writeDocument(bool processEventsAfterHeader) {
    const Document document{bytesFromEditor(programNameEdit_->text()),
                            bytesFromEditor(calculatorNameEdit_->text()),
                            bytesFromEditor(textEdit_->document()->toRawText())};
    const std::string error =
        writeDocumentFile(localPath(documentPath_), document,
                          processEventsAfterHeader ? processEvents_ : std::function<void()>{});
    return QString::fromLocal8Bit(error);
}

bool MainWindow::reportSave(const QString& error) {
    if (error.isEmpty()) {
        return true;
    }
    warn_(tr("The document was not saved; its text is still in the window.\n\n%1").arg(error), {});
    return false;
}

void MainWindow::quit() {
    close();
    QCoreApplication::quit();
}

void MainWindow::compileForIon() {
    BuildOutcome outcome;
    {
        // The window's own hourglass, and the window disabled, until the last step is done.
        const BusyState busy(busy_, Hourglass::Window, true);
        processEvents_();
        // The build works on the document as saved; a save that failed or was cancelled
        // has already said so, and nothing of the build happens.
        if (!save()) {
            return;
        }
        const BuildRequest request{localPath(documentPath_),
                                   localPath(workingFolder()),
                                   localPath(appFolder_),
                                   localPath(baseName_),
                                   bytesFromEditor(programNameEdit_->text()),
                                   bytesFromEditor(calculatorNameEdit_->text())};
        const BuildCollaborators with{
            processEvents_,
            [this](std::int64_t screens) { screenCountField_->setText(QString::number(screens)); },
            *clock_, *launcher_};
        outcome = runBuild(request, with);
        if (outcome.deliveredSize) {
            programSizeField_->setText(QString::number(*outcome.deliveredSize));
        }
    }
    // Shown once the window is usable again, so that nothing waits behind the message.
    if (!outcome.ok) {
        warn_(QString::fromLocal8Bit(outcome.message), QString::fromLocal8Bit(outcome.details));
    }
}

void MainWindow::about() {
    auto* about = new AboutDialog(busy_);
    about->show();
}

} // namespace corvane
