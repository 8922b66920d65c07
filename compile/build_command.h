#pragma once

#include "clock.h"
#include "process_launcher.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace corvane {

// What one "Compile for ion" needs once the document has been saved.
struct BuildRequest {
    std::string documentPath;       // the saved document file
    std::string workingFolder;      // where temp.ett, tmp.z80 and the programs go
    std::string appFolder;          // the program's own folder, with the tool chain
    std::string baseName;           // names the delivered programs
    std::string programName;        // the title ION lists
    std::string calculatorFileName; // the variable name on the calculator, any letter case
};

struct BuildCollaborators {
    // Lets the window repaint; called during the passes, the waits and after the copies.
    std::function<void()> processEvents;
    // Receives the number of screens as soon as the source writer knows it.
    std::function<void(std::int64_t)> showScreenCount;
    Clock& clock;
    ProcessLauncher& launcher;
};

// The steps that can end a build.
enum class BuildStep {
    None,
    CalculatorFileName,
    ProgramFileNames,
    LineLayout,
    AssemblySource,
    CopySource,
    WriteCompBat,
    StartToolChain,
    ToolChain,
    DeliverTi83,
    DeliverTi83Plus,
    ReadSize,
};

// Says what a step does, for failure messages ("writing comp.bat").
std::string_view describeStep(BuildStep step);

struct BuildOutcome {
    bool ok = false;
    BuildStep failedStep = BuildStep::None;
    // One text for the user: the step, the file and the system's reason, and the tool
    // chain's messages when it wrote them during this build. Empty on success.
    std::string message;
    // asm.log as the tool chain wrote it during this build; empty when it did not.
    std::string toolChainLog;
    std::int64_t lineCount = 0;
    std::int64_t screenCount = 0;
    // The length of the delivered .83p; set only when both programs were delivered fresh.
    std::optional<std::uintmax_t> deliveredSize;
};

// The longest the tool chain may run, counted from its start, before it is stopped.
inline constexpr double kToolChainLimitSeconds = 60.0;

// Carries out the build after the save: the two passes, the tool chain run through comp.bat
// with its two 2-second waits, and the delivery of baseName.83p and baseName.8xp into the
// working folder under the calculator file name. A program file is delivered only when the
// tool chain wrote it during this run. Any failing step ends the build.
BuildOutcome runBuild(const BuildRequest& request, const BuildCollaborators& collaborators);

// comp.bat for `appFolder`: the drive line, "@cd " and the folder verbatim, "@asm.bat", each
// ended by CR LF. A folder without a drive letter ("/opt/corvane") gets a bare "@" as its
// drive line, which does nothing.
std::string compBatContents(std::string_view appFolder);

// Empty when comp.bat can change into `appFolder`; otherwise why not. On Windows its "@cd"
// line cannot carry "&", "%" or "^"; elsewhere the runner takes any folder.
std::string checkCompBatFolder(std::string_view appFolder);

// True when the two folders are written the same way apart from letter case.
bool sameFolderIgnoringCase(std::string_view a, std::string_view b);

// Empty when `name`, in capitals, can name a program on the calculator; otherwise a message
// saying what is allowed.
std::string checkCalculatorFileName(std::string_view name);

// `name` in capitals (ASCII letters only, as the calculator knows no others).
std::string toUpperAscii(std::string_view name);

} // namespace corvane
