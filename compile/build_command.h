#pragma once

#include "calculator_model.h"
#include "clock.h"
#include "process_launcher.h"
#include "reader_program.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// What one "Compile for ion" needs once the document has been saved.
// The kinds of program a build makes: the ION program that draws every line with its own
// instructions, or the reader, a fixed routine paging through the text stored as data.
enum class ProgramKind { IonProgram, Reader };

struct BuildRequest {
    std::string documentPath;       // the saved document file
    std::string workingFolder;      // where temp.ett, tmp.z80 and the programs go
    std::string appFolder;          // the program's own folder, with the tool chain
    std::string baseName;           // names the delivered programs
    std::string programName;        // the title ION lists
    std::string calculatorFileName; // the variable name on the calculator, any letter case
    ProgramKind kind = ProgramKind::IonProgram;
    // The most bytes one reader program may have; a longer text is split into parts.
    std::size_t partBytes = kReaderDefaultPartBytes;
};

// The largest part size a reader build accepts: what a cleared calculator's RAM holds for a
// program body, on the calculator that holds the least.
std::size_t readerPartBytesLimit();

struct BuildCollaborators {
    // Lets the window repaint; called during the passes, the waits and after the copies.
    std::function<void()> processEvents;
    // Receives the number of screens as soon as the source writer knows it.
    std::function<void(std::int64_t)> showScreenCount;
    Clock& clock;
    ProcessLauncher& launcher;
    // The two fixed 2-second waits give the window time to repaint; a build without a window
    // goes without them. The wait for the tool chain and its limit stay either way.
    bool fixedWaits = true;
};

// The steps that can end a build.
enum class BuildStep {
    None,
    CalculatorFileName,
    ProgramFileNames,
    DocumentFile,
    ProgramFolderLock,
    LineLayout,
    CalculatorFit,
    AssemblySource,
    CopySource,
    PartSize,
    WriteCompBat,
    StartToolChain,
    ToolChain,
    DeliverTi83,
    DeliverTi83Plus,
    ReadSize,
};

// Says what a step does, for failure messages ("writing comp.bat").
std::string_view describeStep(BuildStep step);

// A program the build delivered: for which calculator, where, and its length.
struct DeliveredProgram {
    CalculatorModel model = CalculatorModel::TI83;
    std::string path;
    std::uintmax_t size = 0;
};

struct BuildOutcome {
    bool ok = false;
    BuildStep failedStep = BuildStep::None;
    // One text for the user: the step, the file and the system's reason, and the first
    // lines of the tool chain's messages when it wrote them during this build. Short enough
    // for a message box on any screen. Empty on success.
    std::string message;
    // The rest of the tool chain's messages, to be shown on request; empty when there are
    // no more.
    std::string details;
    std::int64_t lineCount = 0;
    std::int64_t screenCount = 0;
    // The length of the delivered .83p; set only when both programs were delivered fresh.
    std::optional<std::uintmax_t> deliveredSize;
    // Every program delivered, in the order of delivery; set only when all were.
    std::vector<DeliveredProgram> delivered;
};

// The longest the tool chain may run, counted from its start, before it is stopped; also the
// longest a build waits for another one to let go of the program folder.
inline constexpr double kToolChainLimitSeconds = 60.0;

// How much of asm.log a failure quotes: its first lines in the message, the rest of its first
// bytes in the details.
inline constexpr std::size_t kLogLinesInMessage = 20;
inline constexpr std::size_t kLogBytesQuoted = 8000;

// The lock file in the program folder that one build at a time holds, from the first file it
// writes to the end of the delivery.
inline constexpr std::string_view kProgramFolderLockName = "corvane.lock";

// Carries out the build after the save: the two passes, the tool chain run through comp.bat
// with its two 2-second waits, and the delivery of baseName.83p and baseName.8xp into the
// working folder under the calculator file name. A program file is delivered only when the
// tool chain wrote it during this run. Any failing step ends the build: a document that is
// one of the build's own files, a program folder another build holds for the whole tool
// chain limit, and a text too long for a calculator end it before tmp.z80 is written.
BuildOutcome runBuild(const BuildRequest& request, const BuildCollaborators& collaborators);

// comp.bat for `appFolder`: the drive line, "@cd " and the folder verbatim, "@asm.bat", each
// ended by CR LF. A folder without a drive letter ("/opt/corvane") gets a bare "@" as its
// drive line, which does nothing.
std::string compBatContents(std::string_view appFolder);

// Empty when comp.bat can change into `appFolder`; otherwise why not. On Windows its "@cd"
// line cannot carry "&", "%" or "^"; elsewhere the runner takes any folder.
std::string checkCompBatFolder(std::string_view appFolder);

// Empty when `name`, in capitals, can name a program on the calculator; otherwise a message
// saying what is allowed.
std::string checkCalculatorFileName(std::string_view name);

// `name` in capitals (ASCII letters only, as the calculator knows no others).
std::string toUpperAscii(std::string_view name);

} // namespace corvane
