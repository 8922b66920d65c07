#include "line_reader.h"
#include "process_launcher.h"
#include "system_error.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace corvane {

namespace {

class PosixProcess final : public RunningProcess {
  public:
    explicit PosixProcess(pid_t pid) : pid_(pid) {}
    // A process still running is left to run: it is detached by design.
    ~PosixProcess() override { reap(false); }

    bool running() override {
        reap(false);
        return !ended_;
    }

    std::optional<int> exitStatus() override { return status_; }

    void stop() override {
        signalGroup(SIGTERM);
        for (int attempt = 0; attempt < 50 && !ended_; ++attempt) {
            const timespec tick{0, 10'000'000};
            ::nanosleep(&tick, nullptr);
            reap(false);
        }
        // Whatever ignored the request, and anything the script left behind in its group.
        signalGroup(SIGKILL);
        reap(true);
    }

  private:
    void signalGroup(int signal) {
        ::kill(-pid_, signal);
        // Right after the start the child may not lead its own group yet.
        if (!ended_) {
            ::kill(pid_, signal);
        }
    }

    void reap(bool block) {
        if (ended_) {
            return;
        }
        int status = 0;
        pid_t result;
        do {
            result = ::waitpid(pid_, &status, block ? 0 : WNOHANG);
        } while (result < 0 && errno == EINTR);
        if (result == pid_) {
            ended_ = true;
            if (WIFEXITED(status)) {
                status_ = WEXITSTATUS(status);
            } else if (WIFSIGNALED(status)) {
                status_ = 128 + WTERMSIG(status);
            }
        } else if (result < 0) {
            // Someone else reaped it: it has ended, how is unknown.
            ended_ = true;
        }
    }

    pid_t pid_;
    bool ended_ = false;
    std::optional<int> status_;
};

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

class PosixLauncher final : public ProcessLauncher {
  public:
    LaunchOutcome start(const std::string& batchPath) override {
        LaunchOutcome outcome;
        std::vector<std::string> lines;
        {
            LineReader reader(batchPath);
            std::string line;
            while (reader.ok() && !reader.atEnd() && reader.readLine(line)) {
                lines.push_back(line);
            }
            if (!reader.ok()) {
                outcome.error = reader.error();
                return outcome;
            }
        }
        const BatchPlan plan = planBatch(lines, folderOf(batchPath));
        if (!plan.error.empty()) {
            outcome.error = batchPath + ": " + plan.error;
            return outcome;
        }
        struct stat folder {};
        const bool found = ::stat(plan.folder.c_str(), &folder) == 0;
        if (!found || !S_ISDIR(folder.st_mode)) {
            if (found) {
                errno = ENOTDIR;
            }
            outcome.error = describeSystemError(plan.folder, "cannot be made the current folder");
            return outcome;
        }
        const std::string scriptPath = plan.script.empty() || plan.script.front() == '/'
                                           ? plan.script
                                           : plan.folder + "/" + plan.script;
        if (!scriptPath.empty() && ::access(scriptPath.c_str(), R_OK) != 0) {
            outcome.error = describeSystemError(scriptPath, "cannot be run");
            return outcome;
        }

        // Everything the child needs is prepared here: after fork() only async-signal-safe
        // calls are allowed, since the editor has other threads.
        const char* const shell = "/bin/sh";
        char* const argv[] = {const_cast<char*>("sh"), const_cast<char*>(scriptPath.c_str()),
                              nullptr};
        const pid_t pid = ::fork();
        if (pid < 0) {
            outcome.error = describeSystemError(batchPath, "cannot be started");
            return outcome;
        }
        if (pid == 0) {
            ::setsid();
            // Like the minimised window it has on Windows, the tool chain talks to nobody: its
            // output must not fill a pipe the editor inherited and never reads.
            const int input = ::open("/dev/null", O_RDONLY);
            if (input >= 0) {
                ::dup2(input, STDIN_FILENO);
            }
            const int output = ::open("/dev/null", O_WRONLY);
            if (output >= 0) {
                ::dup2(output, STDOUT_FILENO);
                ::dup2(output, STDERR_FILENO);
            }
            ::close_range(3, ~0U, 0);
            if (::chdir(plan.folder.c_str()) != 0) {
                ::_exit(126);
            }
            if (scriptPath.empty()) {
                ::_exit(0);
            }
            ::execv(shell, argv);
            ::_exit(127);
        }
        outcome.process = std::make_unique<PosixProcess>(pid);
        return outcome;
    }
};

} // namespace

std::unique_ptr<ProcessLauncher> makeSystemLauncher() {
    return std::make_unique<PosixLauncher>();
}

} // namespace corvane
