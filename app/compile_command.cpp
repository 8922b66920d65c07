#include "compile_command.h"

#include "basic_build.h"
#include "build_command.h"
#include "clock.h"
#include "command_line.h"
#include "document_build.h"
#include "path.h"
#include "process_launcher.h"
#include "unshown_characters.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace corvane {

namespace {

std::string shown(const QString& path) {
    return QDir::toNativeSeparators(path).toLocal8Bit().toStdString();
}

class DocumentBuild {
  public:
    DocumentBuild(const AppFolders& folders, std::ostream& out, std::ostream& err)
        : folders_(folders), out_(out), err_(err), launcher_(makeSystemLauncher()) {}

    bool build(const QString& document, const QString& outputFolder, const CompileKind& kind) {
        const QFileInfo file(document);
        const QString working = outputFolder.isEmpty() ? file.absolutePath() : outputFolder;
        const DocumentFileRequest asked =
            documentFileRequest(toLibraryPath(file.absoluteFilePath()), toLibraryPath(working),
                                toLibraryPath(folders_.appFolder));
        if (!asked.request) {
            // The reader's messages name the file themselves.
            return asked.refusalNamesFile ? fail(asked.refusal) : fail(document, asked.refusal);
        }
        if (kind.basic) {
            return buildBasic(document, *asked.request, kind.partSize);
        }
        const QString toolChainProblem = refreshToolChain(folders_);
        if (!toolChainProblem.isEmpty()) {
            return fail(document, toolChainProblem.toLocal8Bit().toStdString());
        }
        BuildCollaborators with{{}, {}, clock_, *launcher_};
        with.fixedWaits = false;
        BuildRequest request = *asked.request;
        if (kind.reader) {
            request.kind = ProgramKind::Reader;
            request.partBytes = kind.partSize.value_or(kReaderDefaultPartBytes);
        }
        const BuildOutcome outcome = runBuild(request, with);
        if (!outcome.ok) {
            // The window keeps the rest of the tool chain's messages for its details button;
            // here they follow the message.
            return fail(document, outcome.details.empty()
                                      ? outcome.message
                                      : outcome.message + "\n" + outcome.details);
        }
        for (const DeliveredProgram& program : outcome.delivered) {
            out_ << program.path << ": " << program.size << " bytes\n";
        }
        out_.flush();
        return true;
    }

  private:
    bool buildBasic(const QString& document, const BuildRequest& asked,
                    std::optional<std::size_t> partSize) {
        ReadOutcome read = readDocumentFile(asked.documentPath);
        if (!read.ok) {
            return fail(read.error);
        }
        read.document.programName = asked.programName;
        read.document.calculatorFileName = asked.calculatorFileName;
        const BasicBuildOutcome outcome = runBasicBuild(
            {std::move(read.document), asked.workingFolder, asked.baseName, partSize});
        if (!outcome.ok) {
            return fail(document, outcome.message);
        }
        if (!outcome.unshown.empty()) {
            err_ << shown(document) << ": "
                 << unshownCharactersWarning(
                        std::u32string(outcome.unshown.begin(), outcome.unshown.end()))
                 << '\n';
            err_.flush();
        }
        for (const BasicProgramFile& program : outcome.delivered) {
            out_ << joinPath(asked.workingFolder, program.fileName) << ": " << program.bytes.size()
                 << " bytes\n";
        }
        out_.flush();
        return true;
    }

    bool fail(const QString& document, const std::string& message) {
        return fail(shown(document) + ": " + message);
    }

    bool fail(const std::string& message) {
        err_ << message << '\n';
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
                     const AppFolders& folders, std::ostream& out, std::ostream& err,
                     const CompileKind& kind) {
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
        if (!builder.build(document, output, kind)) {
            status = kExitFailed;
        }
    }
    return status;
}

} // namespace corvane
