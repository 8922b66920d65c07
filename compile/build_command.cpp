#include "build_command.h"

#include "ansi_codec.h"
#include "atomic_file.h"
#include "calculator_fit.h"
#include "folder_identity.h"
#include "folder_lock.h"
#include "layout.h"
#include "line_reader.h"
#include "path.h"
#include "program_parts.h"
#include "reader_program.h"
#include "source_writer.h"
#include "system_error.h"
#include "ti_program_file.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <utility>

namespace corvane {

namespace {

namespace fs = std::filesystem;

constexpr double kWaitSeconds = 2.0;
// How long a wait rests between two looks at the clock: short enough for the window to
// repaint smoothly, long enough to leave the processor to the tool chain.
constexpr double kPollSeconds = 0.005;

// Replaces `to` with a copy of `from`, read a block at a time (a source can be hundreds of
// megabytes); a failed copy leaves `to` as it was. Copying a file onto itself (one folder
// written two ways) leaves it intact.
std::string copyFileReplacing(const std::string& from, const std::string& to) {
    std::string error;
    errno = 0;
    std::ifstream in(from, std::ios::binary);
    if (!in) {
        error = describeSystemError(from, "cannot be opened");
    } else {
        AtomicFile out(to);
        std::string block(1 << 16, '\0');
        while (out.ok() && in) {
            in.read(block.data(), static_cast<std::streamsize>(block.size()));
            out.write(std::string_view(block.data(), static_cast<std::size_t>(in.gcount())));
        }
        if (in.bad()) {
            error = describeSystemError(from, "cannot be read");
        } else {
            out.commit();
            error = out.error();
        }
    }
    return error.empty() ? error : "Could not copy " + from + " to " + to + ": " + error;
}

// A file counts as written by this run when it is at least as new as `baseline`, a file
// written on the same file system just before the tool chain started. Equal times count, as
// file times can be coarser than the time between the two writes.
enum class Freshness { Missing, Stale, Fresh };

Freshness freshness(const std::string& path, fs::file_time_type baseline) {
    std::error_code error;
    const auto written = fs::last_write_time(path, error);
    if (error) {
        return Freshness::Missing;
    }
    return written >= baseline ? Freshness::Fresh : Freshness::Stale;
}

class BuildRun {
  public:
    BuildRun(const BuildRequest& request, const BuildCollaborators& collaborators)
        : request_(request), with_(collaborators),
          calculatorName_(toUpperAscii(request.calculatorFileName)),
          lock_(appFile(std::string(kProgramFolderLockName))) {}

    BuildOutcome run() {
        if (request_.kind == ProgramKind::Reader) {
            outcome_.ok = checkName() && checkBaseName() && checkPartBytes() &&
                          checkDocumentFile() && lockProgramFolder() && layOutLines() &&
                          planParts() && buildParts() && releaseLock() && readSizes();
            return std::move(outcome_);
        }
        const bool done = checkName() && checkBaseName() && checkDocumentFile() &&
                          lockProgramFolder() && layOutLines() && checkFit() && writeSource() &&
                          bringSource() && firstWait() && writeCompBat() && startToolChain() &&
                          awaitToolChain() &&
                          deliver(CalculatorModel::TI83, BuildStep::DeliverTi83) &&
                          deliver(CalculatorModel::TI83Plus, BuildStep::DeliverTi83Plus) &&
                          releaseLock() && readSizes();
        outcome_.ok = done;
        return std::move(outcome_);
    }

  private:
    bool checkName() {
        const std::string problem = checkCalculatorFileName(request_.calculatorFileName);
        return problem.empty() || fail(BuildStep::CalculatorFileName, problem);
    }

    // The programs are named after the document file without its extension; a name that is
    // only an extension leaves nothing, and a file called ".83p" would be hidden and nameless.
    bool checkBaseName() {
        return !request_.baseName.empty() ||
               fail(BuildStep::ProgramFileNames,
                    "the document file's name leaves no name for the programs once its "
                    "extension is dropped; save the document under a longer name with Save as");
    }

    // The build replaces its fixed files without asking; the document must not be one of them.
    bool checkDocumentFile() {
        std::vector<std::string> written{workingFile("temp.ett"), workingFile("tmp.z80")};
        for (const ModelFacts& facts : kModels) {
            written.push_back(workingFile(request_.baseName + std::string(facts.extension)));
        }
        for (const char* name : {"tmp.z80", "comp.bat", "tmp.83p", "tmp.8xp", "asm.log"}) {
            written.push_back(appFile(name));
        }
        for (const std::string& path : written) {
            if (sameFileOrFolder(request_.documentPath, path)) {
                return fail(BuildStep::DocumentFile,
                            "the document is " + path +
                                ", which the build replaces. Nothing was written; save the "
                                "document under another name with Save as, then compile again.");
            }
        }
        return true;
    }

    // Two editors started from one program folder share its tool chain and its fixed files:
    // one build at a time holds the folder, from its first write to the end of the delivery.
    // The others wait, the window repainting, up to the tool chain's own limit.
    bool lockProgramFolder() {
        const double start = with_.clock.seconds();
        for (;;) {
            switch (lock_.tryLock()) {
            case FolderLock::Attempt::Held:
                return true;
            case FolderLock::Attempt::NoLockFile:
                // No lock to be had (a folder that takes no new file, a file system without
                // locks): the build goes on unguarded, and a folder it cannot write to fails
                // it at the first write there, naming that file.
                return true;
            case FolderLock::Attempt::Taken:
                break;
            }
            events();
            if (with_.clock.seconds() - start >= kToolChainLimitSeconds) {
                return fail(BuildStep::ProgramFolderLock,
                            "another Corvane is building in the program folder " +
                                request_.appFolder + " and still was after " +
                                wholeSeconds(kToolChainLimitSeconds) +
                                " seconds. Compile again once it has finished.");
            }
            with_.clock.pause(kPollSeconds);
        }
    }

    bool checkPartBytes() {
        const std::size_t limit = readerPartBytesLimit();
        return (request_.partBytes >= kReaderMinimumPartBytes && request_.partBytes <= limit) ||
               fail(BuildStep::PartSize, "a part of " + std::to_string(request_.partBytes) +
                                             " bytes was asked for; a part may have from " +
                                             std::to_string(kReaderMinimumPartBytes) + " to " +
                                             std::to_string(limit) +
                                             " bytes (what a cleared calculator holds)");
    }

    // The reader's parts, from the calculator lines the layout pass wrote.
    bool planParts() {
        LineReader reader(workingFile("temp.ett"));
        std::string line;
        while (reader.ok() && lines_.size() < static_cast<std::size_t>(outcome_.lineCount) &&
               reader.readLine(line)) {
            lines_.push_back(line);
        }
        if (!reader.ok()) {
            return fail(BuildStep::AssemblySource, reader.error());
        }
        ReaderPlan plan = planReaderParts(lines_, request_.programName, request_.partBytes);
        if (!plan.error.empty()) {
            return fail(BuildStep::AssemblySource, plan.error);
        }
        parts_ = std::move(plan.parts);
        for (const ReaderPart& part : parts_) {
            outcome_.screenCount += static_cast<std::int64_t>(part.screenCount());
        }
        if (with_.showScreenCount) {
            with_.showScreenCount(outcome_.screenCount);
        }
        return true;
    }

    // Each part in turn through the tool chain, as the ION program goes; the fixed waits only
    // before the first.
    bool buildParts() {
        for (const ReaderPart& part : parts_) {
            events();
            const std::string error =
                writeFileAtomically(workingFile("tmp.z80"), readerSource(lines_, part));
            if (!error.empty()) {
                return fail(BuildStep::AssemblySource, error);
            }
            if (part.count > 1) {
                partContext_ = " (part " + std::to_string(part.number) + " of " +
                               std::to_string(part.count) + ")";
            }
            const bool built = bringSource() && firstWait() && writeCompBat() && startToolChain() &&
                               awaitToolChain() &&
                               deliver(CalculatorModel::TI83, BuildStep::DeliverTi83, part) &&
                               deliver(CalculatorModel::TI83Plus, BuildStep::DeliverTi83Plus, part);
            if (!built) {
                return false;
            }
            fixedWaits_ = false;
        }
        return true;
    }

    bool releaseLock() {
        lock_.unlock();
        return true;
    }

    bool layOutLines() {
        const LayoutOutcome layout = layoutLines(request_.documentPath, request_.workingFolder,
                                                 outcome_.lineCount, with_.processEvents);
        return layout.ok || fail(BuildStep::LineLayout, layout.error);
    }

    // A text too long for a calculator is said at once, before the source is written and the
    // tool chain runs on it; the count comes from the layout pass, however it cuts lines.
    bool checkFit() {
        const CalculatorFit fit =
            checkCalculatorFit(workingFile("temp.ett"), outcome_.lineCount,
                               request_.programName.size(), request_.calculatorFileName.size());
        if (!fit.error.empty()) {
            return fail(BuildStep::CalculatorFit, fit.error);
        }
        return fit.fits || fail(BuildStep::CalculatorFit, fit.message);
    }

    bool writeSource() {
        const SourceOutcome source = writeAssemblySource(
            request_.workingFolder, outcome_.lineCount, request_.programName, kHeaderTemplate,
            SourceCallbacks{with_.processEvents, with_.showScreenCount});
        outcome_.screenCount = source.screenCount;
        return source.ok || fail(BuildStep::AssemblySource, source.error);
    }

    // The tool chain reads tmp.z80 in its own folder.
    bool bringSource() {
        if (sameFileOrFolder(request_.appFolder, request_.workingFolder)) {
            return true;
        }
        const std::string error = copyFileReplacing(workingFile("tmp.z80"), appFile("tmp.z80"));
        return error.empty() || fail(BuildStep::CopySource, error);
    }

    bool firstWait() {
        if (fixedWaits_) {
            waitUntil(with_.clock.seconds(), kWaitSeconds, {});
        }
        return true;
    }

    bool writeCompBat() {
        const std::string path = appFile("comp.bat");
        const std::string problem = checkCompBatFolder(request_.appFolder);
        if (!problem.empty()) {
            return fail(BuildStep::WriteCompBat, problem);
        }
        const std::optional<std::string> contents =
            toBatchFileCodePage(compBatContents(request_.appFolder));
        if (!contents) {
            return fail(BuildStep::WriteCompBat,
                        "the program folder " + request_.appFolder +
                            " holds a character the command interpreter cannot read; move "
                            "Corvane to a folder whose name has none");
        }
        const std::string error = writeFileAtomically(path, *contents);
        if (!error.empty()) {
            return fail(BuildStep::WriteCompBat, error);
        }
        std::error_code timeError;
        baseline_ = fs::last_write_time(path, timeError);
        return !timeError || fail(BuildStep::WriteCompBat,
                                  path + ": its time cannot be read: " + timeError.message());
    }

    bool startToolChain() {
        LaunchOutcome launch = with_.launcher.start(appFile("comp.bat"));
        startReading_ = with_.clock.seconds();
        if (!launch.process) {
            return fail(BuildStep::StartToolChain, launch.error);
        }
        process_ = std::move(launch.process);
        return true;
    }

    // The fixed second wait, then as long as the tool chain still runs, up to the limit.
    bool awaitToolChain() {
        if (fixedWaits_) {
            waitUntil(startReading_, kWaitSeconds, {});
        }
        waitUntil(startReading_, kToolChainLimitSeconds, [this] { return process_->running(); });
        if (process_->running()) {
            process_->stop();
            return failWithLog(BuildStep::ToolChain,
                               "the tool chain was still running " +
                                   wholeSeconds(kToolChainLimitSeconds) +
                                   " seconds after its start and was stopped: it is not answering");
        }
        return true;
    }

    bool deliver(CalculatorModel model, BuildStep step, const ReaderPart& part = {}) {
        const std::string extension(factsOf(model).extension);
        const std::string produced = appFile("tmp" + extension);
        const Freshness state = freshness(produced, baseline_);
        if (state != Freshness::Fresh) {
            std::string detail = state == Freshness::Missing
                                     ? "the tool chain did not write " + produced
                                     : "the tool chain did not replace " + produced +
                                           ", which is left from an earlier build";
            const auto status = process_->exitStatus();
            if (status && *status != 0) {
                detail += " (the tool chain ended with status " + std::to_string(*status) + ")";
            }
            detail += step == BuildStep::DeliverTi83 ? ", so no program was delivered"
                                                     : ", so only the TI-83 program was delivered";
            return failWithLog(step, detail);
        }
        const std::string delivered =
            workingFile(partFileName(request_.baseName, "", part.number, extension));
        const std::string error =
            deliverRenamed(produced, delivered, partCalculatorName(calculatorName_, part.number));
        if (!error.empty()) {
            return fail(step, error);
        }
        delivered_.push_back({model, delivered, 0});
        return true;
    }

    // The program gets its calculator name in a copy beside `delivered`, which replaces
    // `delivered` only when complete: a program the tool chain left damaged never replaces an
    // earlier delivery.
    static std::string deliverRenamed(const std::string& produced, const std::string& delivered,
                                      const std::string& calculatorName) {
        const std::string copy = delivered + ".part";
        std::string error = copyFileReplacing(produced, copy);
        if (error.empty()) {
            error = tifile::renameProgramFile(copy, calculatorName);
        }
        if (error.empty() && !replaceFile(copy, delivered)) {
            error = describeSystemError(delivered, "cannot be replaced");
        }
        if (!error.empty()) {
            std::remove(copy.c_str());
        }
        return error;
    }

    bool readSizes() {
        events();
        for (DeliveredProgram& program : delivered_) {
            std::error_code error;
            program.size = fs::file_size(program.path, error);
            if (error) {
                return fail(BuildStep::ReadSize,
                            program.path + ": its length cannot be read: " + error.message());
            }
        }
        outcome_.deliveredSize = delivered_.front().size;
        outcome_.delivered = std::move(delivered_);
        return true;
    }

    // Processes events and reads the clock until `limit` seconds have passed since `start`,
    // or until `needed` says there is nothing left to wait for. Events are processed at
    // least once.
    void waitUntil(double start, double limit, const std::function<bool()>& needed) {
        for (;;) {
            events();
            if (with_.clock.seconds() - start >= limit || (needed && !needed())) {
                return;
            }
            with_.clock.pause(kPollSeconds);
        }
    }

    void events() {
        if (with_.processEvents) {
            with_.processEvents();
        }
    }

    // Quotes asm.log when the tool chain wrote it during this build: its first lines in the
    // message, the rest of its first bytes in the details.
    bool failWithLog(BuildStep step, const std::string& detail) {
        fail(step, detail);
        const std::string log = appFile("asm.log");
        if (freshness(log, baseline_) != Freshness::Fresh) {
            return false;
        }
        // Only the start is read: a tool chain may write a log of any length.
        std::ifstream in(log, std::ios::binary);
        std::string text(kLogBytesQuoted + 1, '\0');
        in.read(text.data(), static_cast<std::streamsize>(text.size()));
        text.resize(static_cast<std::size_t>(in.gcount()));
        if (text.empty()) {
            return false;
        }
        const bool cut = text.size() > kLogBytesQuoted;
        text.resize(std::min(text.size(), kLogBytesQuoted));
        // Where the message's lines end: after the 20th line feed, or nowhere when the log
        // has no more lines than that.
        std::size_t headEnd = std::string::npos;
        for (std::size_t line = 0, from = 0; line < kLogLinesInMessage; ++line) {
            headEnd = text.find('\n', from);
            if (headEnd == std::string::npos) {
                break;
            }
            from = headEnd + 1;
        }
        std::string head = text.substr(0, headEnd);
        std::string rest = headEnd == std::string::npos ? std::string() : text.substr(headEnd + 1);
        if (cut) {
            (rest.empty() ? head : rest) += "\n[...]";
        }
        outcome_.message += "\n\nThe tool chain said (asm.log):\n" + head;
        outcome_.details = std::move(rest);
        return false;
    }

    bool fail(BuildStep step, const std::string& detail) {
        outcome_.failedStep = step;
        outcome_.message =
            (request_.kind == ProgramKind::Reader ? "Compile as a reader" : "Compile for ion") +
            std::string(" failed while ") + std::string(describeStep(step)) + partContext_ + ":\n" +
            detail;
        return false;
    }

    static std::string wholeSeconds(double seconds) {
        return std::to_string(static_cast<long long>(seconds));
    }

    std::string appFile(const std::string& name) const {
        return joinPath(request_.appFolder, name);
    }
    std::string workingFile(const std::string& name) const {
        return joinPath(request_.workingFolder, name);
    }

    const BuildRequest& request_;
    const BuildCollaborators& with_;
    const std::string calculatorName_;
    FolderLock lock_;
    BuildOutcome outcome_;
    std::vector<DeliveredProgram> delivered_;
    bool fixedWaits_ = with_.fixedWaits;
    std::vector<std::string> lines_;
    std::vector<ReaderPart> parts_;
    std::string partContext_;
    fs::file_time_type baseline_;
    double startReading_ = 0;
    std::unique_ptr<RunningProcess> process_;
};

} // namespace

std::string_view describeStep(BuildStep step) {
    switch (step) {
    case BuildStep::None:
        return "nothing";
    case BuildStep::CalculatorFileName:
        return "checking the calculator file name";
    case BuildStep::ProgramFileNames:
        return "naming the program files";
    case BuildStep::DocumentFile:
        return "checking the document file";
    case BuildStep::ProgramFolderLock:
        return "waiting for the program folder";
    case BuildStep::LineLayout:
        return "cutting the text into calculator lines";
    case BuildStep::CalculatorFit:
        return "checking that the text fits on the calculators";
    case BuildStep::AssemblySource:
        return "writing the assembly source";
    case BuildStep::CopySource:
        return "copying tmp.z80 into the program's folder";
    case BuildStep::PartSize:
        return "checking the part size";
    case BuildStep::WriteCompBat:
        return "writing comp.bat";
    case BuildStep::StartToolChain:
        return "starting comp.bat";
    case BuildStep::ToolChain:
        return "waiting for the tool chain";
    case BuildStep::DeliverTi83:
        return "delivering the TI-83 program";
    case BuildStep::DeliverTi83Plus:
        return "delivering the TI-83 Plus program";
    case BuildStep::ReadSize:
        return "reading the size of the delivered programs";
    }
    return "an unknown step";
}

BuildOutcome runBuild(const BuildRequest& request, const BuildCollaborators& collaborators) {
    return BuildRun(request, collaborators).run();
}

std::size_t readerPartBytesLimit() {
    std::int64_t limit = std::numeric_limits<std::int64_t>::max();
    for (const ModelFacts& facts : kModels) {
        limit = std::min(limit, freeRamForBody(facts.model, kCalculatorNameLength));
    }
    return static_cast<std::size_t>(limit);
}

std::string compBatContents(std::string_view appFolder) {
    const bool hasDrive = appFolder.size() >= 2 && appFolder[1] == ':' &&
                          ((appFolder[0] >= 'A' && appFolder[0] <= 'Z') ||
                           (appFolder[0] >= 'a' && appFolder[0] <= 'z'));
    std::string contents = "@";
    if (hasDrive) {
        contents.append(appFolder.substr(0, 2));
    }
    contents += "\r\n@cd ";
    contents.append(appFolder);
    contents += "\r\n@asm.bat\r\n";
    return contents;
}

std::string checkCompBatFolder([[maybe_unused]] std::string_view appFolder) {
#ifdef _WIN32
    // comp.bat's "@cd" line is not quoted: the command interpreter would take these as an
    // operator, a variable or an escape and change into another folder.
    for (const char special : {'&', '%', '^'}) {
        if (appFolder.find(special) != std::string_view::npos) {
            return "the program folder " + std::string(appFolder) + " holds \"" +
                   std::string(1, special) +
                   "\", which the command interpreter cannot take in comp.bat; move Corvane to "
                   "a folder whose name has none";
        }
    }
#endif
    return {};
}

std::string toUpperAscii(std::string_view name) {
    std::string upper(name);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return upper;
}

std::string checkCalculatorFileName(std::string_view name) {
    if (tifile::isValidVariableName(toUpperAscii(name))) {
        return {};
    }
    return "The calculator file name \"" + std::string(name) +
           "\" cannot be used: it must be 1 to 8 letters A-Z or digits 0-9, starting with a "
           "letter.";
}

} // namespace corvane
