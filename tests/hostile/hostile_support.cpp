#include "hostile_support.h"

#include "full_disk.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <linux/capability.h>
#include <poll.h>
#include <stdexcept>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace corvane::test {

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

namespace {

// Root ignores file modes through two capabilities; without them a read-only file or
// folder refuses root as it refuses anyone. They leave the permitted set too, as access()
// judges root by that set.
void dropFileModeOverrides() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (::syscall(SYS_capget, &header, data) != 0) {
        return;
    }
    for (const int capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH}) {
        const std::uint32_t bit = 1u << (capability % 32);
        data[capability / 32].effective &= ~bit;
        data[capability / 32].permitted &= ~bit;
    }
    ::syscall(SYS_capset, &header, data);
}

void writeAll(int descriptor, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = ::write(descriptor, bytes.data() + done, bytes.size() - done);
        if (wrote <= 0 && errno != EINTR) {
            return;
        }
        done += wrote > 0 ? static_cast<std::size_t>(wrote) : 0;
    }
}

std::string readAll(int descriptor) {
    std::string bytes;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(descriptor, buffer, sizeof buffer);
        if (got > 0) {
            bytes.append(buffer, static_cast<std::size_t>(got));
        } else if (got == 0 || errno != EINTR) {
            return bytes;
        }
    }
}

} // namespace

std::string inChild(const ChildLimits& limits, const std::function<std::string()>& body) {
    int channel[2];
    if (::pipe(channel) != 0) {
        throw std::runtime_error("no pipe");
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        std::optional<FileSizeLimit> sizeLimit;
        if (limits.fileSizeLimit) {
            sizeLimit.emplace(*limits.fileSizeLimit);
        }
        if (limits.obeyFileModes) {
            dropFileModeOverrides();
        }
        writeAll(channel[1], body());
        ::_exit(0);
    }
    ::close(channel[1]);
    std::string answer = readAll(channel[0]);
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return "child ended abnormally";
    }
    return answer;
}

ProgramRun runProgram(const std::vector<std::string>& argv, const std::string& folder,
                      double seconds, std::size_t outputLimit) {
    int channel[2];
    if (::pipe(channel) != 0) {
        throw std::runtime_error("no pipe");
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::setpgid(0, 0);
        ::dup2(channel[1], 1);
        ::dup2(channel[1], 2);
        ::close(channel[0]);
        ::close(channel[1]);
        const int nothing = ::open("/dev/null", O_RDONLY);
        ::dup2(nothing, 0);
        if (::chdir(folder.c_str()) != 0) {
            ::_exit(126);
        }
        std::vector<char*> args;
        for (const std::string& arg : argv) {
            args.push_back(const_cast<char*>(arg.c_str()));
        }
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(channel[1]);
    ProgramRun run;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    char buffer[65536];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            ::kill(-child, SIGKILL);
            break;
        }
        pollfd wait{channel[0], POLLIN, 0};
        if (::poll(&wait, 1, static_cast<int>(left.count())) <= 0) {
            continue;
        }
        const ssize_t got = ::read(channel[0], buffer, sizeof buffer);
        if (got <= 0) {
            run.finished = true;
            break;
        }
        run.outputBytes += static_cast<std::uint64_t>(got);
        const std::size_t room = outputLimit - std::min(outputLimit, run.output.size());
        run.output.append(buffer, std::min(room, static_cast<std::size_t>(got)));
    }
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    run.signalled = WIFSIGNALED(status);
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

} // namespace corvane::test
