#include "run_program.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <grp.h>
#include <map>
#include <poll.h>
#include <pwd.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace corvane::test {

namespace {

std::vector<std::string> environmentFor(const RunOptions& options) {
    std::map<std::string, std::string> variables;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text(*entry);
        const std::size_t equals = text.find('=');
        variables[text.substr(0, equals)] =
            equals == std::string::npos ? "" : text.substr(equals + 1);
    }
    for (const auto& [name, value] : options.environment) {
        if (value.empty()) {
            variables.erase(name);
        } else {
            variables[name] = value;
        }
    }
    std::vector<std::string> entries;
    for (const auto& [name, value] : variables) {
        entries.push_back(name + "=" + value);
    }
    return entries;
}

std::vector<char*> pointersTo(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& s : strings) {
        pointers.push_back(s.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace

ProgramRun runProgram(const std::vector<std::string>& argv, const RunOptions& options) {
    std::vector<std::string> arguments = argv;
    std::vector<std::string> environment = environmentFor(options);
    const std::vector<char*> argp = pointersTo(arguments);
    const std::vector<char*> envp = pointersTo(environment);
    int out[2];
    int err[2];
    if (::pipe(out) != 0 || ::pipe(err) != 0) {
        throw std::runtime_error("no pipe");
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::setpgid(0, 0);
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        for (const int descriptor : {out[0], out[1], err[0], err[1]}) {
            ::close(descriptor);
        }
        const int nothing = ::open("/dev/null", O_RDONLY);
        ::dup2(nothing, 0);
        if (options.user && (::setgroups(0, nullptr) != 0 || ::setgid(options.user->second) != 0 ||
                             ::setuid(options.user->first) != 0)) {
            ::_exit(125);
        }
        if (::chdir(options.folder.c_str()) != 0) {
            ::_exit(126);
        }
        ::execve(argp[0], argp.data(), envp.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    ProgramRun result;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(options.seconds);
    pollfd streams[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* texts[2] = {&result.out, &result.err};
    int open = 2;
    while (open > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            ::kill(-child, SIGKILL);
            break;
        }
        if (::poll(streams, 2, static_cast<int>(left.count())) <= 0) {
            continue;
        }
        for (int i = 0; i < 2; ++i) {
            if (streams[i].fd < 0 || streams[i].revents == 0) {
                continue;
            }
            char buffer[4096];
            const ssize_t got = ::read(streams[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                const std::size_t room =
                    options.outputLimit - std::min(options.outputLimit, texts[i]->size());
                texts[i]->append(buffer, std::min(room, static_cast<std::size_t>(got)));
            } else if (got == 0 || errno != EINTR) {
                ::close(streams[i].fd);
                streams[i].fd = -1;
                --open;
            }
        }
    }
    for (const pollfd& stream : streams) {
        if (stream.fd >= 0) {
            ::close(stream.fd);
        }
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    result.finished = open == 0;
    result.signalled = WIFSIGNALED(status);
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::pair<unsigned, unsigned> unprivilegedUser() {
    if (const passwd* nobody = ::getpwnam("nobody")) {
        return {nobody->pw_uid, nobody->pw_gid};
    }
    return {65534, 65534};
}

} // namespace corvane::test
