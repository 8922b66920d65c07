#include "process_launcher.h"

#include <line_reader.h>
#include <native_path.h>
#include <windows.h>

namespace corvane {

namespace {

std::string lastErrorText() {
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, ::GetLastError(), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string message =
        length > 0 ? narrow(std::wstring_view(text, length)) : std::string("unknown error");
    ::LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
        message.pop_back();
    }
    return message;
}

// How long stop() waits for the command interpreter to end once it has been told to.
constexpr DWORD kStopWaitMilliseconds = 10000;

// The command interpreter and everything it starts share one job, so stop() ends them all.
// When the system refused to put it into the job, stop() ends the interpreter alone.
class WindowsProcess final : public RunningProcess {
  public:
    WindowsProcess(HANDLE process, HANDLE job) : process_(process), job_(job) {}
    ~WindowsProcess() override {
        ::CloseHandle(process_);
        if (job_ != nullptr) {
            ::CloseHandle(job_);
        }
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
        if (job_ != nullptr) {
            ::TerminateJobObject(job_, 1);
        }
        ::TerminateProcess(process_, 1);
        ::WaitForSingleObject(process_, kStopWaitMilliseconds);
    }

  private:
    HANDLE process_;
    HANDLE job_;
};

// A line of comp.bat, in the OEM code page, as a narrow path.
std::string fromBatchFileCodePage(const std::string& bytes) {
    const int size = static_cast<int>(bytes.size());
    const int wideLength = ::MultiByteToWideChar(CP_OEMCP, 0, bytes.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    ::MultiByteToWideChar(CP_OEMCP, 0, bytes.data(), size, wide.data(), wideLength);
    return narrow(wide);
}

std::string folderOf(const std::string& path) {
    const auto separator = path.find_last_of("\\/");
    return separator == std::string::npos ? "." : path.substr(0, separator);
}

// The command interpreter only says "not recognized" when the batch file calls a script that
// is not there, and that message goes to a window nobody sees: the launcher looks first, and
// names the missing script. comp.bat is in the OEM code page.
std::string missingScript(const std::string& batchPath) {
    std::vector<std::string> lines;
    LineReader reader(batchPath);
    std::string line;
    while (reader.ok() && !reader.atEnd() && reader.readLine(line)) {
        lines.push_back(fromBatchFileCodePage(line));
    }
    if (!reader.ok()) {
        return reader.error();
    }
    const BatchPlan plan = planBatch(lines, folderOf(batchPath));
    if (!plan.error.empty() || plan.script.empty()) {
        return {};
    }
    const std::string script = plan.folder + "\\" + plan.script;
    if (::GetFileAttributesW(widen(script).c_str()) == INVALID_FILE_ATTRIBUTES) {
        return script + ": cannot be run: " + lastErrorText();
    }
    return {};
}

class WindowsLauncher final : public ProcessLauncher {
  public:
    LaunchOutcome start(const std::string& batchPath) override {
        LaunchOutcome outcome;
        outcome.error = missingScript(batchPath);
        if (!outcome.error.empty()) {
            return outcome;
        }
        // With /s the interpreter drops only the outer pair of quotes and keeps the inner
        // pair around the path whatever it holds: "(", "&", "%" or blanks.
        std::wstring commandLine = L"cmd.exe /s /c \"\"" + widen(batchPath) + L"\"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOWMINNOACTIVE;
        PROCESS_INFORMATION info{};
        HANDLE job = ::CreateJobObjectA(nullptr, nullptr);
        if (job == nullptr || !::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr,
                                                FALSE, CREATE_NEW_CONSOLE | CREATE_SUSPENDED,
                                                nullptr, nullptr, &startup, &info)) {
            outcome.error = batchPath + ": cannot be started: " + lastErrorText();
            if (job != nullptr) {
                ::CloseHandle(job);
            }
            return outcome;
        }
        if (!::AssignProcessToJobObject(job, info.hProcess)) {
            ::CloseHandle(job);
            job = nullptr;
        }
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
