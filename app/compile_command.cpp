#include "compile_command.h"

#include "ansi_codec.h"
#include "basic_build.h"
#include "build_command.h"
#include "clock.h"
#include "command_line.h"
#include "document_build.h"
#include "document_file.h"
#include "path.h"
#include "process_launcher.h"
#include "text_encoding.h"
#include "unshown_characters.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryFile>
#include <map>
#include <memory>
#include <optional>

namespace corvane {

namespace {

std::string shown(const QString& path) {
    return QDir::toNativeSeparators(path).toLocal8Bit().toStdString();
}

// A library's text as the console shows it: on Windows the paths in it are UTF-8, the
// console's bytes those of the ANSI code page.
std::string shown(const std::string& libraryText) {
#ifdef Q_OS_WIN
    return fromLibraryMessage(libraryText).toLocal8Bit().toStdString();
#else
    return libraryText;
#endif
}

class DocumentBuild {
  public:
    DocumentBuild(const AppFolders& folders, std::ostream& out, std::ostream& err)
        : folders_(folders), out_(out), err_(err), launcher_(makeSystemLauncher()) {}

    bool build(const QString& document, const QString& outputFolder, const CompileKind& kind) {
        const QFileInfo file(document);
        const QString working = outputFolder.isEmpty() ? file.absolutePath() : outputFolder;
        // A UTF-8 document is built from a copy in the code page, as the window would save it;
        // the document itself is left as it is.
        std::string buildFrom = toLibraryPath(file.absoluteFilePath());
        std::unique_ptr<QTemporaryFile> codePageCopy;
        if (detectFileEncoding(buildFrom) == TextEncoding::Utf8) {
            std::string problem;
            codePageCopy = inCodePage(document, problem);
            if (!codePageCopy) {
                return fail(document, problem);
            }
            buildFrom = toLibraryPath(codePageCopy->fileName());
        }
        DocumentFileRequest asked = documentFileRequest(buildFrom, toLibraryPath(working),
                                                        toLibraryPath(folders_.appFolder));
        if (!asked.request) {
            // The reader's messages name the file themselves.
            return asked.refusalNamesFile ? fail(shown(asked.refusal))
                                          : fail(document, asked.refusal);
        }
        asked.request->baseName = programBaseName(toLibraryPath(file.absoluteFilePath()));
        if (const std::string earlier = deliveredEarlier(*asked.request); !earlier.empty()) {
            return fail(document, "its programs would replace those " + earlier +
                                      " delivered in this call; nothing was built. Give the "
                                      "documents different names or build them with different "
                                      "--output folders.");
        }
        if (kind.basic) {
            return buildBasic(document, *asked.request, kind.partSize);
        }
        const QString toolChainProblem = refreshToolChain(folders_);
        if (!toolChainProblem.isEmpty()) {
            return fail(shown(document) + ": " + toolChainProblem.toLocal8Bit().toStdString());
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
            std::string message = outcome.details.empty()
                                      ? outcome.message
                                      : outcome.message + "\n" + outcome.details;
            if (outputFolder.isEmpty() && !QFileInfo(working).isWritable()) {
                message += "\nThe document's folder cannot be written to: use --output to build "
                           "into a folder you can write to.";
            }
            return fail(document, message);
        }
        for (const DeliveredProgram& program : outcome.delivered) {
            out_ << shown(program.path) << ": " << program.size << " bytes\n";
            delivered_.emplace(program.path, shown(document));
        }
        out_.flush();
        warnOfUnshownCharacters(document, buildFrom);
        return true;
    }

  private:
    // The document as the window would save it: composed (NFC), in the code page, in a
    // temporary file; nothing when a character cannot be encoded, which `problem` names.
    std::unique_ptr<QTemporaryFile> inCodePage(const QString& document, std::string& problem) {
        QFile in(document);
        if (!in.open(QIODevice::ReadOnly)) {
            problem = "cannot be read: " + in.errorString().toLocal8Bit().toStdString();
            return nullptr;
        }
        QByteArray bytes = in.readAll();
        if (bytes.startsWith(kUtf8ByteOrderMark.data())) {
            bytes.remove(0, static_cast<qsizetype>(kUtf8ByteOrderMark.size()));
        }
        const QString text = QString::fromUtf8(bytes).normalized(QString::NormalizationForm_C);
        const std::u16string units = text.toStdU16String();
        const std::u32string lacking = unshownCharacters(units, [](char32_t c) {
            if (c > 0xFFFF) {
                return false;
            }
            const std::u16string one(1, static_cast<char16_t>(c));
            return c == '?' || encodeAnsi(one) != "?";
        });
        if (!lacking.empty()) {
            std::string warning = unshownCharactersWarning(lacking);
            warning = warning.substr(warning.find(':') + 2);
            problem = "it is UTF-8 text, and a Corvane document cannot store these characters: " +
                      warning +
                      ". Replace them, or open the document in Corvane, which saves "
                      "each as \"?\".";
            return nullptr;
        }
        auto copy = std::make_unique<QTemporaryFile>(
            QDir::temp().filePath(QStringLiteral("corvane-XXXXXX.txt")));
        const std::string encoded = encodeAnsi(units);
        if (!copy->open() ||
            copy->write(encoded.data(), static_cast<qint64>(encoded.size())) !=
                static_cast<qint64>(encoded.size()) ||
            !copy->flush()) {
            problem = "cannot be converted to the code page: " +
                      copy->errorString().toLocal8Bit().toStdString();
            return nullptr;
        }
        copy->close();
        return copy;
    }

    // The documents of this call whose programs `request` would replace, named, or empty.
    std::string deliveredEarlier(const BuildRequest& request) const {
        std::string earlier;
        for (const char* extension : {".83p", ".8xp"}) {
            const auto found =
                delivered_.find(joinPath(request.workingFolder, request.baseName + extension));
            if (found != delivered_.end() && earlier.find(found->second) == std::string::npos) {
                earlier += (earlier.empty() ? "" : ", ") + found->second;
            }
        }
        return earlier.empty() ? earlier : "that " + earlier + " had";
    }

    // What the calculator will show as "?", named once per document, without failing it.
    void warnOfUnshownCharacters(const QString& document, const std::string& builtFrom) {
        const ReadOutcome read = readDocumentFile(builtFrom);
        if (!read.ok) {
            return;
        }
        const std::string warning = unshownCharactersWarning(unshownCharacters(
            decodeAnsi(read.document.programName + "\n" + read.document.text), ionProgramCanShow));
        if (!warning.empty()) {
            err_ << shown(document) << ": warning: " << warning << '\n';
            err_.flush();
        }
    }

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
            err_ << shown(document) << ": warning: "
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
        return fail(shown(document) + ": " + shown(message));
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
    std::map<std::string, std::string> delivered_; // program path, the document that made it
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
