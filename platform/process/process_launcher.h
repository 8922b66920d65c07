#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// A batch file started without waiting for it.
class RunningProcess {
  public:
    virtual ~RunningProcess() = default;
    // True while the process (or, where the platform groups them, anything it started)
    // still runs. Never blocks.
    virtual bool running() = 0;
    // How it ended: the exit status, or 128 + the signal number when a signal ended it.
    // Empty while it runs.
    virtual std::optional<int> exitStatus() = 0;
    // Ends the process and everything it started, and waits until they are gone.
    virtual void stop() = 0;
};

struct LaunchOutcome {
    std::unique_ptr<RunningProcess> process; // empty when `error` is set
    std::string error;
};

// Starts a batch file detached from the caller: minimised and without taking the focus on
// Windows, in its own process group with no input elsewhere.
class ProcessLauncher {
  public:
    virtual ~ProcessLauncher() = default;
    virtual LaunchOutcome start(const std::string& batchPath) = 0;
};

// The launcher of the system the editor runs on.
std::unique_ptr<ProcessLauncher> makeSystemLauncher();

// What the runner makes of a batch file on systems without a command interpreter for it: the
// folder the script runs in and the script handed to /bin/sh (empty when there is none).
struct BatchPlan {
    std::string folder;
    std::string script;
    std::string error; // set when a line cannot be carried out
};

// Reads the lines of a batch file the way the runner carries them out, starting in
// `startFolder`: a leading "@" is dropped; an empty line and a drive line ("C:") do nothing;
// "cd PATH" changes folder (PATH verbatim, relative to the current folder unless absolute);
// "NAME.bat" hands over to that script, and the lines after it are not reached, as with the
// command interpreter. Any other line is refused.
BatchPlan planBatch(const std::vector<std::string>& lines, const std::string& startFolder);

} // namespace corvane
