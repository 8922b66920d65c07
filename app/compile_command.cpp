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
#include <QStringList>
#include <algorithm>
#include <filesystem>
#include <optional>

namespace corvane {

namespace {

// The window's name fields hold at most this many characters.
constexpr qsizetype kProgramNameLimit = 20;
constexpr qsizetype kCalculatorFileNameLimit = 8;

std::string localPath(const QString& path) {
    return libraryPath(QDir::toNativeSeparators(path));
}

// A library's message as the console shows it: on Windows the paths in it are UTF-8, the
// console's bytes those of the ANSI code page.
std::string shownMessage(const std::string& message) {
#ifdef Q_OS_WIN
    return fromLibraryText(message).toLocal8Bit().toStdString();
#else
    return message;
#endif
}

std::string shown(const QString& path) {
    return QDir::toNativeSeparators(path).toLocal8Bit().toStdString();
}

// What keeps a header line out of the window's name field, as the window says it; empty when
// it fits.
QString headerMisfit(const std::string& line, qsizetype limit, const char* which) {
    const QString name = QString::fromStdU16String(decodeAnsi(line));
    if (name.size() > limit) {
        return QStringLiteral("its %1 line has %2 characters, more than the %3 its field holds")
            .arg(QLatin1String(which))
            .arg(name.size())
            .arg(limit);
    }
    const bool control = std::any_of(name.begin(), name.end(),
                                     [](QChar c) { return c.category() == QChar::Other_Control; });
    return control
               ? QStringLiteral("its %1 line holds control characters").arg(QLatin1String(which))
               : QString();
}

// Why the window would not build the document as it stands (it would ask for Save As, or save
// it in another encoding first), or nothing when it would.
std::string refusal(const ReadOutcome& read) {
    if (read.encoding == TextEncoding::Utf8) {
        return "it is UTF-8 text; open it in Corvane and save it, which stores it in the code "
               "page the programs are built from";
    }
    QStringList misfits;
    for (const QString& misfit :
         {headerMisfit(read.document.programName, kProgramNameLimit, "first"),
          headerMisfit(read.document.calculatorFileName, kCalculatorFileNameLimit, "second")}) {
        if (!misfit.isEmpty()) {
            misfits << misfit;
        }
    }
    if (misfits.isEmpty()) {
        return {};
    }
    return "it is not a Corvane document as it stands: " +
           misfits.join(QStringLiteral("; ")).toLocal8Bit().toStdString();
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
            return fail(document, read.pastEnd ? "it is not a Corvane document as it stands: it "
                                                 "has fewer than three lines"
                                               : read.error);
        }
        if (const std::string problem = refusal(read); !problem.empty()) {
            return fail(document, problem);
        }
        const QString toolChainProblem = refreshToolChain(folders_);
        if (!toolChainProblem.isEmpty()) {
            return fail(document, toolChainProblem.toLocal8Bit().toStdString());
        }
        // As the window names the programs: the file's name without what follows its last dot.
        const QString name = file.fileName();
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        const QString baseName = dot < 0 ? name : name.left(dot);
        const QString working = outputFolder.isEmpty() ? file.absolutePath() : outputFolder;
        const BuildRequest request{path,
                                   localPath(working),
                                   localPath(folders_.appFolder),
                                   localPath(baseName),
                                   read.document.programName,
                                   read.document.calculatorFileName};
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
        err_ << shown(document) << ": " << shownMessage(message) << '\n';
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
