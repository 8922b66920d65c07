#include "process_launcher.h"

#include <windows.h>

namespace corvane {

namespace {

std::string lastErrorText() {
    char* text = nullptr;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, ::GetLastError(), 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length > 0 ? std::string(text, length) : std::string("unknown error");
    ::LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
        message.pop_back();
    }
    return message;
}

// The command interpreter and everything it starts share one job, so stop() ends them all.
class WindowsProcess final : public RunningProcess {
  public:
    WindowsProcess(HANDLE process, HANDLE job) : process_(process), job_(job) {}
    ~WindowsProcess() override {
        ::CloseHandle(process_);
        ::CloseHandle(job_);
    }

    bool running() override { return ::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

    std::optional<int> exitStatus() override {
        DWORD code = 0;
        if (running() || !::GetExitCodeProcess(process_, &code)) {
            return std::nullopt;
        }
        return static_cast<int>(code);
    }

    void stop() override {
        ::TerminateJobObject(job_, 1);
        ::WaitForSingleObject(process_, INFINITE);
    }

  private:
    HANDLE process_;
    HANDLE job_;
};

class WindowsLauncher final : public ProcessLauncher {
  public:
    LaunchOutcome start(const std::string& batchPath) override {
        LaunchOutcome outcome;
        std::string commandLine = "cmd.exe /c \"" + batchPath + "\"";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOWMINNOACTIVE;
        PROCESS_INFORMATION info{};
        HANDLE job = ::CreateJobObjectA(nullptr, nullptr);
        if (job == nullptr || !::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr,
                                                FALSE, CREATE_NEW_CONSOLE | CREATE_SUSPENDED,
                                                nullptr, nullptr, &startup, &info)) {
            outcome.error = batchPath + ": cannot be started: " + lastErrorText();
            if (job != nullptr) {
                ::CloseHandle(job);
            }
            return outcome;
        }
        ::AssignProcessToJobObject(job, info.hProcess);
        ::ResumeThread(info.hThread);
        ::CloseHandle(info.hThread);
        outcome.process = std::make_unique<WindowsProcess>(info.hProcess, job);
        return outcome;
    }
};

} // namespace

std::unique_ptr<ProcessLauncher> makeSystemLauncher() {
    return std::make_unique<WindowsLauncher>();
}

} // namespace corvane
