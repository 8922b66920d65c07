#include "compile_command.h"

#include "ansi_codec.h"
#include "build_command.h"
#include "clock.h"
#include "command_line.h"
#include "document_file.h"
#include "process_launcher.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <filesystem>
#include <optional>

namespace corvane {

namespace {

// The window's name fields hold at most this many characters; a longer name in a document's
// header is cut when it is opened, and built as cut.
constexpr std::size_t kProgramNameLimit = 20;
constexpr std::size_t kCalculatorFileNameLimit = 8;

std::string localPath(const QString& path) {
    return QFile::encodeName(QDir::toNativeSeparators(path)).toStdString();
}

std::string shown(const QString& path) {
    return QDir::toNativeSeparators(path).toLocal8Bit().toStdString();
}

// A name as the window's field holds it once the document is opened: decoded, cut to the
// field's length, and encoded again.
std::string asField(std::string_view bytes, std::size_t limit) {
    return encodeAnsi(decodeAnsi(bytes).substr(0, limit));
}

class DocumentBuild {
  public:
    DocumentBuild(const AppFolders& folders, std::ostream& out, std::ostream& err)
        : folders_(folders), out_(out), err_(err), launcher_(makeSystemLauncher()) {}

    bool build(const QString& document, const QString& outputFolder) {
        const QFileInfo file(document);
        const std::string path = localPath(file.absoluteFilePath());
        // The names come from the document's header; the text is read by the build itself.
        const ReadOutcome read = readDocumentFile(path);
        if (!read.ok) {
            return fail(document, read.error);
        }
        const QString toolChainProblem = refreshToolChain(folders_);
        if (!toolChainProblem.isEmpty()) {
            return fail(document, toolChainProblem.toLocal8Bit().toStdString());
        }
        // As the window names the programs: the file's name without its last four characters.
        const QString name = file.fileName();
        const QString baseName = name.size() >= 4 ? name.chopped(4) : QString();
        const QString working = outputFolder.isEmpty() ? file.absolutePath() : outputFolder;
        const BuildRequest request{
            path,
            localPath(working),
            localPath(folders_.appFolder),
            localPath(baseName),
            asField(read.document.programName, kProgramNameLimit),
            asField(read.document.calculatorFileName, kCalculatorFileNameLimit)};
        BuildCollaborators with{{}, {}, clock_, *launcher_};
        with.fixedWaits = false;
        const BuildOutcome outcome = runBuild(request, with);
        if (!outcome.ok) {
            // The window keeps the rest of the tool chain's messages for its details button;
            // here they follow the message.
            return fail(document, outcome.details.empty()
                                      ? outcome.message
                                      : outcome.message + "\n" + outcome.details);
        }
        for (const char* extension : {".83p", ".8xp"}) {
            const QFileInfo delivered(working + QLatin1Char('/') + baseName +
                                      QLatin1String(extension));
            out_ << shown(delivered.absoluteFilePath()) << ": " << delivered.size() << " bytes\n";
        }
        out_.flush();
        return true;
    }

  private:
    bool fail(const QString& document, const std::string& message) {
        err_ << shown(document) << ": " << message << '\n';
        err_.flush();
        return false;
    }

    const AppFolders& folders_;
    std::ostream& out_;
    std::ostream& err_;
    SteadyClock clock_;
    std::unique_ptr<ProcessLauncher> launcher_;
};

} // namespace

int compileDocuments(const QStringList& documents, const QString& outputFolder,
                     const AppFolders& folders, std::ostream& out, std::ostream& err) {
    QString output;
    if (!outputFolder.isEmpty()) {
        const QFileInfo folder(outputFolder);
        if (!folder.isDir()) {
            err << shown(outputFolder) << ": --output names no folder\n";
            return kExitBadCommandLine;
        }
        output = folder.absoluteFilePath();
    }
    DocumentBuild builder(folders, out, err);
    int status = kExitDone;
    for (const QString& document : documents) {
        if (!builder.build(document, output)) {
            status = kExitFailed;
        }
    }
    return status;
}

} // namespace corvane
