#include "main_window.h"

#include "about_dialog.h"
#include "basic_build.h"
#include "build_command.h"
#include "chosen_file.h"
#include "desktop.h"
#include "document_build.h"
#include "document_file.h"
#include "editor_text.h"
#include "file_dialog.h"
#include "line_reader.h"
#include "object_names.h"
#include "preview_window.h"
#include "program_icon.h"
#include "text_box.h"
#include "text_loader.h"
#include "twips.h"
#include "unshown_characters.h"
#include "window_placement.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QProcessEnvironment>
#include <QResizeEvent>
#include <QScreen>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>
#include <QValidator>
#include <algorithm>
#include <utility>
#include <vector>

namespace corvane {

namespace {

// The client area the controls are laid out for, below the menu bar.
constexpr int kClientWidthTwips = 5385;
constexpr int kClientHeightTwips = 4740;
// The status line under the controls, by which the window is taller.
constexpr int kStatusLineTwips = 285;

void showWarningBox(const QString& message, const QString& details) {
    // No parent: the main window may be disabled by a busy command, and a dialog owned by a
    // disabled window would be disabled too.
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Corvane"), message, QMessageBox::Ok);
    box.setDetailedText(details);
    box.setWindowIcon(programIcon());
    box.exec();
}

QMessageBox::StandardButton askInBox(const QString& question,
                                     QMessageBox::StandardButtons buttons) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Corvane"), question, buttons);
    box.setWindowIcon(programIcon());
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

// A name field takes one line: pasted or dropped line breaks become spaces and other
// control characters go, so the header's lines never shift.
class SingleLineValidator final : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int& position) const override {
        const QString line = singleLine(input);
        if (line != input) {
            position = std::min<int>(position, static_cast<int>(line.size()));
            input = line;
        }
        return Acceptable;
    }
};

// The platform's key for a standard command, or `fallback` where the platform has none.
QKeySequence standardKey(QKeySequence::StandardKey key, const QKeySequence& fallback) {
    const QList<QKeySequence> bindings = QKeySequence::keyBindings(key);
    return bindings.isEmpty() ? fallback : bindings.constFirst();
}

// Runs an action when the scope ends, on every path out.
template <typename Action> class AtScopeEnd {
  public:
    explicit AtScopeEnd(Action action) : action_(std::move(action)) {}
    ~AtScopeEnd() { action_(); }
    AtScopeEnd(const AtScopeEnd&) = delete;
    AtScopeEnd& operator=(const AtScopeEnd&) = delete;

  private:
    Action action_;
};

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

// Where the fields column starts: the controls from here on stay at the window's right.
constexpr int kFieldsColumnTwips = 3240;

// The window's client area: at its opening size every control stands where it was placed;
// a larger window gives the extra room to the text box, keeps the fields column at the right
// and the status line at the bottom.
class StretchingClient final : public QWidget {
  public:
    StretchingClient(QSize opening, QWidget* parent) : QWidget(parent), opening_(opening) {
        setMinimumSize(opening);
    }

    // Notes every control's place at the opening size.
    void placed(QWidget* text, QWidget* statusLine, int fieldsColumn) {
        text_ = text;
        statusLine_ = statusLine;
        fieldsColumn_ = fieldsColumn;
        for (QWidget* control : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            places_.push_back({control, control->geometry()});
        }
    }

  protected:
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        const int wider = std::max(0, width() - opening_.width());
        const int taller = std::max(0, height() - opening_.height());
        for (const auto& [control, place] : places_) {
            if (control == text_) {
                control->setGeometry(place.adjusted(0, 0, wider, taller));
            } else if (control == statusLine_) {
                control->setGeometry(place.translated(0, taller).adjusted(0, 0, wider, 0));
            } else if (place.x() >= fieldsColumn_) {
                control->setGeometry(place.translated(wider, 0));
            }
        }
    }

  private:
    QSize opening_;
    QWidget* text_ = nullptr;
    QWidget* statusLine_ = nullptr;
    int fieldsColumn_ = 0;
    std::vector<std::pair<QWidget*, QRect>> places_;
};

} // namespace

MainWindow::MainWindow(std::unique_ptr<FileDialog> dialog, const QString& appFolder,
                       WarningSink warn, QWidget* parent)
    : QMainWindow(parent), fileDialog_(std::move(dialog)), appFolder_(appFolder),
      clock_(std::make_unique<SteadyClock>()), launcher_(makeSystemLauncher()),
      warn_(warn ? std::move(warn) : WarningSink(showWarningBox)), ask_(askInBox),
      processEvents_(pendingEventsProcessor()), busy_(*this) {
    createControls();
    createMenus();
    // Opens at the size its controls were placed for, which is also the smallest it goes.
    const QSize opening(twips(kClientWidthTwips), twips(kClientHeightTwips + kStatusLineTwips) +
                                                      menuBar()->sizeHint().height());
    setMinimumSize(opening);
    resize(opening);
    // Read once: windows this one opens are told their own place.
    if (const QList<QByteArray> at = qgetenv(kPositionVariable).split(','); at.size() == 2) {
        move(at[0].toInt(), at[1].toInt());
    }
    qunsetenv(kPositionVariable);
    openWindow_ = [](const QString& path, QPoint at) {
        QProcess process;
        process.setProgram(QCoreApplication::applicationFilePath());
        process.setArguments({path});
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString::fromLatin1(kPositionVariable),
                           QStringLiteral("%1,%2").arg(at.x()).arg(at.y()));
        process.setProcessEnvironment(environment);
        process.startDetached();
    };
    workingFolder_ = appFolder;
    setLinkServices({});
    setAcceptDrops(true);
}

MainWindow::~MainWindow() = default;

void MainWindow::setBuildServices(std::unique_ptr<Clock> clock,
                                  std::unique_ptr<ProcessLauncher> launcher) {
    clock_ = std::move(clock);
    launcher_ = std::move(launcher);
}

void MainWindow::setLinkServices(CalculatorSender::Services services) {
    sender_ = std::make_unique<CalculatorSender>(
        *this, [this](const QString& message) { warn_(message, {}); }, std::move(services));
    connect(sender_.get(), &CalculatorSender::finished, this, &MainWindow::afterSend);
}

void MainWindow::setWorkingFolder(const QString& folder) {
    workingFolder_ = folder;
}

void MainWindow::setToolChainPreparation(std::function<QString()> prepare) {
    prepareToolChain_ = std::move(prepare);
}

void MainWindow::createControls() {
    setObjectName(QLatin1String(objectName::kMainWindow));
    setWindowTitle(tr("Corvane[*]"));
    setWindowIcon(programIcon());
    auto* client = new StretchingClient(
        QSize(twips(kClientWidthTwips), twips(kClientHeightTwips + kStatusLineTwips)), this);
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
    const auto label = [&](const char* name, const QString& caption, QRect where) {
        auto* shown = new QLabel(caption);
        place(shown, name, where);
        return shown;
    };
    // The two longest captions are wider than their labels in the window's font: a narrow
    // face of the same size shows them whole.
    QFont narrowFont = dialogFont;
    narrowFont.setFamilies(
        {QStringLiteral("Liberation Sans Narrow"), QStringLiteral("Arial Narrow")});
    const auto line = [&](QLineEdit*& field, const char* name, const char* text, QRect where) {
        field = new QLineEdit(QString::fromLatin1(text));
        place(field, name, where);
    };
    const auto result = [&](QLineEdit*& field, const char* name, QRect where) {
        line(field, name, "", where);
        field->setReadOnly(true);
    };

    textEdit_ = new TextBox;
    place(textEdit_, objectName::kText, {0, 0, 3135, 4695});
    QFont textFont(QStringLiteral("Courier New"));
    textFont.setPointSizeF(9.75);
    textFont.setWeight(QFont::Normal);
    textFont.setStyleHint(QFont::Monospace);
    // A fixed-pitch face has neither kerning nor ligatures to lose; unshaped text lays out
    // several times faster, which a very long paragraph pays at every keystroke.
    textFont.setStyleStrategy(QFont::PreferNoShaping);
    textEdit_->setFont(textFont);
    textEdit_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    textEdit_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    textEdit_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    textEdit_->setTabChangesFocus(true);

    label(objectName::kProgramNameLabel, tr("Name (for ion) :"),
          {kFieldsColumnTwips, 0, 2055, 255});
    line(programNameEdit_, objectName::kProgramName, "Notitle", {3240, 240, 2055, 285});
    programNameEdit_->setMaxLength(static_cast<int>(kProgramNameLimit));
    programNameEdit_->setValidator(new SingleLineValidator(programNameEdit_));
    label(objectName::kCalculatorFileNameLabel, tr("Name of the file (ti name)"),
          {3240, 600, 2055, 255})
        ->setFont(narrowFont);
    line(calculatorNameEdit_, objectName::kCalculatorFileName, "notitle", {3240, 840, 2055, 285});
    calculatorNameEdit_->setMaxLength(static_cast<int>(kCalculatorFileNameLimit));
    calculatorNameEdit_->setValidator(new SingleLineValidator(calculatorNameEdit_));
    label(objectName::kScreenCountLabel, tr("Number of screens :"), {3240, 1320, 1935, 255});
    result(screenCountField_, objectName::kScreenCount, {3240, 1560, 2055, 285});
    label(objectName::kTextSizeLabel, tr("size of the text:"), {3240, 1920, 2055, 255});
    result(textSizeField_, objectName::kTextSize, {3240, 2160, 2055, 285});
    label(objectName::kProgramSizeLabel, tr("File's size (compile it before ):"),
          {3240, 2520, 2055, 255})
        ->setFont(narrowFont);
    result(programSizeField_, objectName::kProgramSize, {3240, 2760, 2055, 285});
    statusLine_ = label(objectName::kStatusLine, QString(),
                        {60, kClientHeightTwips, kClientWidthTwips - 120, kStatusLineTwips});
    client->placed(textEdit_, statusLine_, twips(kFieldsColumnTwips));

    QWidget::setTabOrder(textEdit_, screenCountField_);
    QWidget::setTabOrder(screenCountField_, textSizeField_);
    QWidget::setTabOrder(textSizeField_, programSizeField_);
    QWidget::setTabOrder(programSizeField_, programNameEdit_);
    QWidget::setTabOrder(programNameEdit_, calculatorNameEdit_);
    textEdit_->setFocus();

    // Connected last, so that setting up the box does not count as a change of its text.
    connect(textEdit_->document(), &QTextDocument::contentsChanged, this,
            &MainWindow::updateTextSize);
    connect(textEdit_->document(), &QTextDocument::contentsChanged, this,
            [this] { programsCurrent_ = false; });
    connect(textEdit_->document(), &QTextDocument::modificationChanged, this,
            &MainWindow::updateModified);
    for (QLineEdit* name : {programNameEdit_, calculatorNameEdit_}) {
        connect(name, &QLineEdit::textEdited, this, [this] {
            namesEdited_ = true;
            programsCurrent_ = false;
            updateModified();
        });
    }
}

void MainWindow::createMenus() {
    QMenu* fileMenu = menuBar()->addMenu(tr("&File"));
    fileMenu->setObjectName(QLatin1String(objectName::kFileMenu));
    addCommand(fileMenu, objectName::kNewAction, tr("&New"),
               standardKey(QKeySequence::New, Qt::CTRL | Qt::Key_N), [this] { newFile(); });
    fileMenu->addSeparator()->setObjectName(QLatin1String(objectName::kNewSeparator));
    addCommand(fileMenu, objectName::kOpenAction, tr("&Open"),
               standardKey(QKeySequence::Open, Qt::CTRL | Qt::Key_O), [this] { open(); });
    addCommand(fileMenu, objectName::kImportAction, tr("&Import a text (without my header)"),
               QKeySequence(Qt::CTRL | Qt::Key_I), [this] { importText(); });
    fileMenu->addSeparator()->setObjectName(QLatin1String(objectName::kSaveSeparator));
    addCommand(fileMenu, objectName::kSaveAction, tr("&Save"),
               standardKey(QKeySequence::Save, Qt::CTRL | Qt::Key_S), [this] { save(); });
    addCommand(fileMenu, objectName::kSaveAsAction, tr("Save &as"),
               standardKey(QKeySequence::SaveAs, {}), [this] { saveAs(); });
    fileMenu->addSeparator()->setObjectName(QLatin1String(objectName::kQuitSeparator));
    addCommand(fileMenu, objectName::kQuitAction, tr("&Quit"),
               standardKey(QKeySequence::Quit, Qt::CTRL | Qt::Key_Q), [this] { quit(); });

    QMenu* compileMenu = menuBar()->addMenu(tr("&Compile"));
    compileMenu->setObjectName(QLatin1String(objectName::kCompileMenu));
    addCommand(compileMenu, objectName::kCompileAction, tr("&Compile for ion (ti83 and ti83+)"),
               QKeySequence(Qt::Key_F9), [this] { compileForIon(); });
    addCommand(compileMenu, objectName::kCompileReaderAction,
               tr("Compile as a &reader (TI-83, TI-83 Plus, TI-84 Plus)"),
               QKeySequence(Qt::CTRL | Qt::Key_F9), [this] { compileAsReader(); });
    addCommand(compileMenu, objectName::kCompileBasicAction,
               tr("Compile as &TI-BASIC (TI-84 Plus CE, TI-83 Premium CE, TI-84 Plus, TI-83 "
                  "Plus)"),
               QKeySequence(), [this] { compileAsBasic(); });
    addCommand(compileMenu, objectName::kPreviewAction, tr("&Preview"), QKeySequence(Qt::Key_F5),
               [this] { preview(); });
    addCommand(compileMenu, objectName::kSendAction, tr("&Send to calculator…"),
               QKeySequence(Qt::SHIFT | Qt::Key_F9), [this] { sendToCalculator(); });
    addCommand(compileMenu, objectName::kSendFileAction, tr("Send a &file…"), {},
               [this] { sendFile(); });

    QMenu* helpMenu = menuBar()->addMenu(tr("&?"));
    helpMenu->setObjectName(QLatin1String(objectName::kHelpMenu));
    addCommand(helpMenu, objectName::kAboutAction, tr("&About..."), {}, [this] { about(); });
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

void MainWindow::updateTextSize() {
    textSizeField_->setText(QString::number(textEdit_->fileSize()));
}

void MainWindow::updateModified() {
    setWindowModified(textEdit_->document()->isModified() || namesEdited_);
}

void MainWindow::markUnmodified() {
    textEdit_->document()->setModified(false);
    namesEdited_ = false;
    updateModified();
}

bool MainWindow::maybeSave() {
    if (!isWindowModified()) {
        return true;
    }
    switch (ask_(tr("The document has been modified.\nDo you want to save your changes?"),
                 QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel)) {
    case QMessageBox::Save:
        return save();
    case QMessageBox::Discard:
        return true;
    default:
        return false;
    }
}

// The one place that sets the document's file, its base name and the working folder, from
// the path of the chosen file. Which command changes which:
//   New      the file is cleared; base name and working folder stay.
//   Open     all three, from the chosen file (FileUse::Document). A file that is not a
//            Corvane document as it stands gives the working folder only (SourceOnly), and a
//            read that ended early or failed clears the file alone (None).
//   Import   the working folder only: the document has no file, as after New (SourceOnly);
//            a failed read clears the file alone (None).
//   Save As  all three, once the file has been written; a Save As that fails or is
//            cancelled changes none of them.
//   Save     none.
void MainWindow::setCurrentFile(const QString& path, FileUse use) {
    if (documentPath_ != path || use != FileUse::Document) {
        programsCurrent_ = false;
    }
    documentPath_ = use == FileUse::Document ? path : QString();
    updateCaption();
    if (use == FileUse::None) {
        return;
    }
    if (const std::optional<QString> folder = chosenFolder(path)) {
        workingFolder_ = *folder;
    }
    if (use == FileUse::Document) {
        baseName_ = fromLibraryMessage(programBaseName(toLibraryPath(path)));
    }
}

void MainWindow::clearBuildResults() {
    screenCountField_->clear();
    programSizeField_->clear();
    showStatus({});
    programsCurrent_ = false;
}

void MainWindow::showStatus(const QString& text) {
    statusLine_->setText(text);
    statusLine_->setToolTip(text);
}

// As Qt's own application example names its document: "story.txt[*] - Corvane".
void MainWindow::updateCaption() {
    setWindowTitle(documentPath_.isEmpty()
                       ? tr("Corvane[*]")
                       : tr("%1[*] - Corvane").arg(QFileInfo(documentPath_).fileName()));
}

namespace {

// A folder as the user knows it: the home folder as "~".
QString shortFolder(const QString& path) {
    const QString folder = QDir::toNativeSeparators(QFileInfo(path).absolutePath());
    const QString home = QDir::toNativeSeparators(QDir::homePath());
    if (folder == home) {
        return QStringLiteral("~");
    }
    if (folder.startsWith(home + QDir::separator())) {
        return QStringLiteral("~") + folder.mid(home.size());
    }
    return folder;
}

} // namespace

void MainWindow::newFile() {
    if (!maybeSave()) {
        return;
    }
    textEdit_->clear();
    wrapAtWords(*textEdit_);
    setCurrentFile({}, FileUse::None);
    clearBuildResults();
    markUnmodified();
}

void MainWindow::open() {
    if (!maybeSave()) {
        return;
    }
    if (const std::optional<QString> path = fileDialog_->chooseOpen(
            tr("Open a text file (with my header)"), workingFolder_, kTextFileFilters)) {
        readIntoWindow(*path, FileKind::Document);
    }
}

void MainWindow::importText() {
    if (!maybeSave()) {
        return;
    }
    if (const std::optional<QString> path =
            fileDialog_->chooseOpen(tr("Import a text file"), workingFolder_, kTextFileFilters)) {
        readIntoWindow(*path, FileKind::PlainText);
    }
}

void MainWindow::openFile(const QString& path) {
    readChosenFile(path, FileKind::Document);
}

void MainWindow::importFile(const QString& path) {
    readChosenFile(path, FileKind::PlainText);
}

// A file named elsewhere than in the dialog is read as the dialog's choice would be: by its
// full path, in the platform's own separators.
void MainWindow::readChosenFile(const QString& path, FileKind kind) {
    if (!maybeSave()) {
        return;
    }
    readIntoWindow(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()), kind);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (acceptsCommands() && event->mimeData()->hasUrls() &&
        event->mimeData()->urls().constFirst().isLocalFile()) {
        event->acceptProposedAction();
    }
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!acceptsCommands() || urls.isEmpty() || !urls.constFirst().isLocalFile()) {
        return;
    }
    event->acceptProposedAction();
    // The first file opens here; each further one in a window of its own, as on the command
    // line, each a step further down and to the right.
    openFile(urls.constFirst().toLocalFile());
    QStringList further;
    for (const QUrl& url : urls.mid(1)) {
        if (url.isLocalFile()) {
            further << url.toLocalFile();
        }
    }
    openInFurtherWindows(further);
}

void MainWindow::openInFurtherWindows(const QStringList& paths) {
    QRect frame = frameGeometry();
    for (const QString& path : paths) {
        frame.moveTopLeft(positionAfter(frame));
        openWindow_(path, frame.topLeft());
    }
}

QPoint MainWindow::furtherWindowPosition() const {
    return positionAfter(frameGeometry());
}

QPoint MainWindow::positionAfter(QRect frame) const {
    // A title bar's height, so that the title of the window under it stays in sight.
    return cascadedFrom(frame, std::max(32, frameGeometry().height() - geometry().height()),
                        screen()->availableGeometry());
}

void MainWindow::readIntoWindow(const QString& path, FileKind kind) {
    // What cannot be read (a missing file, a folder, a named pipe, a device) is refused
    // before the window changes.
    if (const LineReader probe(toLibraryPath(path)); !probe.ok()) {
        warn_(fromLibraryMessage(probe.error()), {});
        return;
    }
    const bool document = kind == FileKind::Document;
    ReadOutcome outcome;
    QString programName;
    QString calculatorFileName;
    {
        const BusyState hourglass(busy_, document ? Hourglass::Window : Hourglass::Application,
                                  false);
        const FlagScope reading(reading_);
        clearBuildResults();

        TextLoader text(*textEdit_);
        TextEncoding encoding = TextEncoding::CodePage;
        ReadCallbacks callbacks;
        callbacks.encoding = [&encoding](TextEncoding found) { encoding = found; };
        callbacks.processEvents = [this, &text] {
            text.flushIfDue();
            processEvents_();
        };
        callbacks.textLine = [&text, &encoding](std::string_view line) {
            text.appendLine(lineForEditor(line, encoding));
        };
        if (document) {
            callbacks.programName = [&, this](std::string_view name) {
                programName = lineForEditor(name, encoding);
                programNameEdit_->setText(programName);
            };
            callbacks.calculatorFileName = [&, this](std::string_view name) {
                calculatorFileName = lineForEditor(name, encoding);
                calculatorNameEdit_->setText(calculatorFileName);
            };
        }
        const std::string localName = toLibraryPath(path);
        outcome = document ? readDocumentFile(localName, callbacks)
                           : readPlainTextFile(localName, callbacks);
        if (outcome.ok) {
            text.dropFinalLineBreak();
        }
        // The preview follows the cursor: a text just read is seen from its first screen.
        textEdit_->moveCursor(QTextCursor::Start);
    }
    markUnmodified();

    if (!outcome.ok && !outcome.pastEnd) {
        setCurrentFile(path, FileUse::None);
        warn_(fromLibraryMessage(outcome.error), {});
        return;
    }
    if (!document) {
        setCurrentFile(path, outcome.ok ? FileUse::SourceOnly : FileUse::None);
        return;
    }
    const QString misfit =
        outcome.pastEnd ? QString::fromLatin1(kTooShortMisfit)
                        : QString::fromStdString(headerMisfit(programName.toStdU16String(),
                                                              calculatorFileName.toStdU16String()));
    if (misfit.isEmpty()) {
        setCurrentFile(path, FileUse::Document);
        return;
    }
    setCurrentFile(path, outcome.ok ? FileUse::SourceOnly : FileUse::None);
    warn_(tr("%1 is not a Corvane document as it stands: %2.\n\nIt is shown as far as it "
             "fits, and it will be saved only through Save As, so that the file stays as it "
             "is. To read a plain text, every line of it into the text, use Import.")
              .arg(path, misfit),
          {});
}

bool MainWindow::save() {
    // A Save As that was cancelled or failed has already said so; writing again would only
    // repeat its failure.
    if (documentPath_.isEmpty() && !saveAs()) {
        return false;
    }
    if (!confirmUnencodable()) {
        return false;
    }
    QString error;
    {
        const BusyState busy(busy_, Hourglass::Application, true);
        error = writeDocument(documentPath_, false);
    }
    return reportSave(error);
}

bool MainWindow::saveAs() {
    if (!confirmUnencodable()) {
        return false;
    }
    const std::optional<QString> path = fileDialog_->chooseSave(
        tr("Save text file"), workingFolder_,
        suggestedFileName(programNameEdit_->text()) + QStringLiteral(".txt"));
    if (!path) {
        return false;
    }
    QString error;
    {
        const BusyState busy(busy_, Hourglass::Application, true);
        error = writeDocument(*path, true);
        if (error.isEmpty()) {
            setCurrentFile(*path, FileUse::Document);
        }
    }
    return reportSave(error);
}

// Characters the code page cannot hold are written as "?": the user says so first.
bool MainWindow::confirmUnencodable() {
    Unencodable found;
    for (const QString& field :
         {programNameEdit_->text(), calculatorNameEdit_->text(), textEdit_->text()}) {
        const Unencodable more = findUnencodable(field);
        found.count += more.count;
        for (const QString& character : more.first) {
            if (found.first.size() < 10 && !found.first.contains(character)) {
                found.first << character;
            }
        }
    }
    if (found.count == 0) {
        return true;
    }
    return ask_(tr("A Corvane document cannot store these characters: %1%2 (%3 in all). "
                   "Saved, each becomes \"?\".\n\nSave anyway?")
                    .arg(found.first.join(QLatin1Char(' ')),
                         found.count > found.first.size() ? QStringLiteral(" …") : QString())
                    .arg(found.count),
                QMessageBox::Yes | QMessageBox::Cancel) == QMessageBox::Yes;
}

QString MainWindow::writeDocument(const QString& path, bool processEventsAfterHeader) {
    const Document document{bytesFromEditor(programNameEdit_->text()),
                            bytesFromEditor(calculatorNameEdit_->text()),
                            bytesFromEditor(textEdit_->text())};
    const std::string error =
        writeDocumentFile(toLibraryPath(path), document,
                          processEventsAfterHeader ? processEvents_ : std::function<void()>{});
    if (!error.empty()) {
        return fromLibraryMessage(error);
    }
    showAsSaved();
    markUnmodified();
    return {};
}

// After a save the window shows what the file holds: "?" for every character the code page
// could not store. The text box changes in one undoable step.
void MainWindow::showAsSaved() {
    for (QLineEdit* name : {programNameEdit_, calculatorNameEdit_}) {
        QString text = name->text();
        const QList<TextSpan> spans = unencodableSpans(text);
        for (auto span = spans.crbegin(); span != spans.crend(); ++span) {
            text.replace(span->position, span->length, QStringLiteral("?"));
        }
        if (!spans.isEmpty()) {
            name->setText(text);
        }
    }
    const QList<TextSpan> spans = textEdit_->documentSpans(unencodableSpans(textEdit_->text()));
    if (spans.isEmpty()) {
        return;
    }
    QTextCursor cursor(textEdit_->document());
    cursor.beginEditBlock();
    for (auto span = spans.crbegin(); span != spans.crend(); ++span) {
        cursor.setPosition(static_cast<int>(span->position));
        cursor.setPosition(static_cast<int>(span->position + span->length),
                           QTextCursor::KeepAnchor);
        cursor.insertText(QStringLiteral("?"));
    }
    cursor.endEditBlock();
}

bool MainWindow::reportSave(const QString& error) {
    if (error.isEmpty()) {
        return true;
    }
    // During Compile for ion the user learns why the build did not happen, and the way out.
    const QString why =
        building_ ? tr("Compile for ion was cancelled because the document was not saved; its "
                       "text is still in the window. Use Save As to save it in a folder you can "
                       "write to, then compile again.\n\n%1")
                  : tr("The document was not saved; its text is still in the window.\n\n%1");
    warn_(why.arg(error), {});
    return false;
}

void MainWindow::quit() {
    if (close()) {
        QCoreApplication::quit();
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // A transfer is cancelled first; the window closes once it has ended.
    if (sending()) {
        sender_->cancel();
        closeAfterSend_ = true;
        event->ignore();
        return;
    }
    // A build cannot stop half-way; the window closes once it has ended.
    if (building_) {
        closeAfterBuild_ = true;
        event->ignore();
        return;
    }
    if (!maybeSave()) {
        event->ignore();
        return;
    }
    // The About window has no owner; left open it would keep the program running.
    if (about_) {
        about_->close();
    }
    // The preview shows this window's text; it goes with it.
    if (preview_ != nullptr) {
        preview_->close();
    }
    event->accept();
}

void MainWindow::compileForIon() {
    buildPrograms(ProgramKind::IonProgram);
}

namespace {

std::optional<std::size_t> choosePartSizeWithQt(QWidget* parent, std::size_t current,
                                                std::size_t minimum, std::size_t maximum) {
    bool ok = false;
    const int bytes = QInputDialog::getInt(
        parent, QStringLiteral("Compile as a reader"),
        QStringLiteral("Largest program, in bytes (a longer text is split into parts):"),
        static_cast<int>(current), static_cast<int>(minimum), static_cast<int>(maximum), 1000, &ok);
    return ok ? std::optional<std::size_t>(static_cast<std::size_t>(bytes)) : std::nullopt;
}

} // namespace

void MainWindow::compileAsReader() {
    const std::size_t limit = readerPartBytesLimit();
    const std::optional<std::size_t> bytes =
        (choosePartSize_ ? choosePartSize_ : choosePartSizeWithQt)(
            this, std::min(readerPartBytes_, limit), kReaderMinimumPartBytes, limit);
    if (!bytes) {
        return;
    }
    readerPartBytes_ = std::clamp(*bytes, kReaderMinimumPartBytes, limit);
    if (preview_ != nullptr) {
        preview_->setReaderPartBytes(readerPartBytes_);
    }
    buildPrograms(ProgramKind::Reader);
}

void MainWindow::buildPrograms(ProgramKind kind) {
    // The build rewrites the programs a transfer may be reading: it waits for the end.
    if (sending()) {
        compileAfterSend_ = true;
        buildAfterSend_ = kind;
        return;
    }
    makePrograms(kind);
}

bool MainWindow::makePrograms(ProgramKind kind) {
    const AtScopeEnd closeIfAsked([this] {
        if (std::exchange(closeAfterBuild_, false)) {
            close();
        }
    });
    const FlagScope building(building_);
    QString failure;
    QString details;
    {
        // The window's own hourglass, and the window disabled, until the last step is done.
        const BusyState busy(busy_, Hourglass::Window, true);
        processEvents_();
        // The build works on the document as saved; a save that failed or was cancelled
        // has already said so, and nothing of the build happens.
        if (!save()) {
            showStatus(tr("Compile for ion was cancelled: the document was not saved."));
            return false;
        }
        failure = prepareToolChain_ ? prepareToolChain_() : QString();
        if (failure.isEmpty()) {
            BuildRequest request = documentBuildRequest(
                toLibraryPath(documentPath_), toLibraryPath(workingFolder_),
                toLibraryPath(appFolder_), bytesFromEditor(programNameEdit_->text()),
                bytesFromEditor(calculatorNameEdit_->text()));
            request.kind = kind;
            request.partBytes = readerPartBytes_;
            const BuildCollaborators with{processEvents_,
                                          [this](std::int64_t screens) {
                                              screenCountField_->setText(QString::number(screens));
                                          },
                                          *clock_, *launcher_};
            const BuildOutcome outcome = runBuild(request, with);
            QStringList names;
            for (const DeliveredProgram& program : outcome.delivered) {
                const QString path = fromLibraryMessage(program.path);
                (program.model == CalculatorModel::TI83 ? deliveredTi83_ : deliveredTi83Plus_) =
                    path;
                names << QFileInfo(path).fileName();
            }
            // A text in parts gives several programs: Send asks which one to send.
            if (outcome.delivered.size() > kModels.size()) {
                deliveredTi83_.clear();
                deliveredTi83Plus_.clear();
            }
            if (outcome.deliveredSize) {
                programSizeField_->setText(QString::number(*outcome.deliveredSize));
            }
            failure = fromLibraryMessage(outcome.message);
            details = fromLibraryMessage(outcome.details);
            if (failure.isEmpty() && !outcome.delivered.empty()) {
                QString status =
                    tr("%1 saved in %2")
                        .arg(names.join(tr(" and ")),
                             shortFolder(fromLibraryMessage(outcome.delivered.front().path)));
                const std::string unshown = unshownCharactersWarning(unshownCharacters(
                    (programNameEdit_->text() + QLatin1Char('\n') + textEdit_->text())
                        .toStdU16String(),
                    ionProgramCanShow));
                if (!unshown.empty()) {
                    status += QStringLiteral(". ") + QString::fromStdString(unshown);
                }
                showStatus(status);
                programsCurrent_ = !isWindowModified();
            }
        }
    }
    // Shown once the window is usable again, so that nothing waits behind the message.
    if (!failure.isEmpty()) {
        programSizeField_->clear();
        programsCurrent_ = false;
        showStatus(tr("No program was made."));
        warn_(failure, details);
        return false;
    }
    return programsCurrent_;
}

void MainWindow::compileAsBasic() {
    // The build rewrites the programs a transfer may be reading: it waits for the end.
    if (sending()) {
        basicAfterSend_ = true;
        return;
    }
    const AtScopeEnd closeIfAsked([this] {
        if (std::exchange(closeAfterBuild_, false)) {
            close();
        }
    });
    const FlagScope building(building_);
    QString failure;
    QString warning;
    {
        const BusyState busy(busy_, Hourglass::Window, true);
        processEvents_();
        if (!save()) {
            return;
        }
        const std::string documentPath = toLibraryPath(documentPath_);
        ReadOutcome read = readDocumentFile(documentPath);
        if (!read.ok) {
            failure = fromLibraryMessage(read.error);
        } else {
            read.document.programName = bytesFromEditor(programNameEdit_->text());
            read.document.calculatorFileName = bytesFromEditor(calculatorNameEdit_->text());
            const BasicBuildOutcome outcome =
                runBasicBuild({std::move(read.document), toLibraryPath(workingFolder_),
                               programBaseName(documentPath), std::nullopt});
            failure = fromLibraryMessage(outcome.message);
            if (outcome.ok && !outcome.unshown.empty()) {
                warning = QString::fromStdString(unshownCharactersWarning(
                    std::u32string(outcome.unshown.begin(), outcome.unshown.end())));
            }
        }
    }
    // Shown once the window is usable again, so that nothing waits behind the message.
    if (!failure.isEmpty()) {
        warn_(failure, {});
    } else if (!warning.isEmpty()) {
        warn_(warning, {});
    }
}

void MainWindow::preview() {
    if (preview_ != nullptr && preview_->isVisible()) {
        preview_->close();
        return;
    }
    if (preview_ == nullptr) {
        preview_ = new PreviewWindow(
            {textEdit_, programNameEdit_, calculatorNameEdit_, [this] { return workingFolder_; }},
            this);
        preview_->setReaderPartBytes(readerPartBytes_);
        preview_->resize(preview_->sizeHint());
        // F5, F9, Save and Quit work from the preview as from this window.
        for (const char* name : {objectName::kPreviewAction, objectName::kCompileAction,
                                 objectName::kSaveAction, objectName::kQuitAction}) {
            preview_->addAction(findChild<QAction*>(QLatin1String(name)));
        }
        connect(preview_, &PreviewWindow::screensSaved, this, [this](const QStringList& paths) {
            const QString folder = shortFolder(paths.constFirst());
            showStatus(paths.size() == 1
                           ? tr("1 PNG picture saved in %1").arg(folder)
                           : tr("%1 PNG pictures saved in %2").arg(paths.size()).arg(folder));
        });
        placePreview();
    }
    preview_->show();
    preview_->raise();
    preview_->activateWindow();
}

void MainWindow::placePreview() {
    preview_->move(besideWindow(frameGeometry(), preview_->frameGeometry().size(),
                                screen()->availableGeometry()));
}

void MainWindow::sendToCalculator() {
    if (sending()) {
        return;
    }
    if (!programsCurrent_ && !makePrograms(ProgramKind::IonProgram)) {
        return;
    }
    sender_->send(deliveredTi83_, deliveredTi83Plus_, *fileDialog_, workingFolder_);
}

void MainWindow::sendFile() {
    if (sending()) {
        return;
    }
    sender_->send({}, {}, *fileDialog_, workingFolder_);
}

void MainWindow::afterSend() {
    if (closeAfterSend_) {
        closeAfterSend_ = false;
        close();
    } else if (compileAfterSend_) {
        compileAfterSend_ = false;
        buildPrograms(buildAfterSend_);
    } else if (basicAfterSend_) {
        basicAfterSend_ = false;
        compileAsBasic();
    }
}

void MainWindow::about() {
    about_ = new AboutDialog(busy_);
    about_->show();
}

} // namespace corvane
