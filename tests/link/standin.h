#pragma once

// Runs the stand-in calculator (standin_calculator) as its own process on the virtual link
// and collects what it reports. Only one can run at a time on a machine.

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace corvane::test {

// The virtual link is one per machine, and CTest's resource lock keeps only the tests of one
// run from sharing it: a test program that includes this holds a lock on a file in /tmp from
// start to end, so that the runs of several build trees on one machine take turns as well.
class VirtualLinkTurn {
  public:
    VirtualLinkTurn()
        : lock_(::open("/tmp/corvane-virtual-link.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0666)) {
        if (lock_ >= 0) {
            ::flock(lock_, LOCK_EX);
        }
    }
    ~VirtualLinkTurn() {
        if (lock_ >= 0) {
            ::close(lock_);
        }
    }
    VirtualLinkTurn(const VirtualLinkTurn&) = delete;
    VirtualLinkTurn& operator=(const VirtualLinkTurn&) = delete;

  private:
    int lock_;
};
inline const VirtualLinkTurn virtualLinkTurn;

// A variable the stand-in stored.
struct Stored {
    std::string name;
    int type = 0;
    std::string bytes;
};

class StandIn {
  public:
    // Starts the stand-in in `mode` and waits until its end of the link is open.
    StandIn(const std::string& mode, int seconds = 10) {
        int fds[2];
        if (::pipe(fds) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        const std::string program = CORVANE_STANDIN_CALCULATOR;
        const std::string limit = std::to_string(seconds);
        char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(mode.c_str()),
                        const_cast<char*>(limit.c_str()), nullptr};
        if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, environ) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        output_ = fds[0];
        ready_ = pid_ > 0 && readLine(5000) == "ready";
    }

    ~StandIn() { finish(); }
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;

    bool ready() const { return ready_; }

    // Ends a stand-in that would otherwise wait out its time.
    void hangUp() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
        }
    }

    // Waits for the stand-in to close its end and returns what it stored.
    std::vector<Stored> finish() {
        if (pid_ <= 0) {
            return stored_;
        }
        std::string line;
        while (!(line = readLine(30000)).empty() && line != "end") {
            std::istringstream words(line);
            std::string word;
            Stored stored;
            if (words >> word >> stored.name >> stored.type >> stored.bytes && word == "stored") {
                stored_.push_back(stored);
            }
        }
        if (line.empty()) {
            ::kill(pid_, SIGKILL);
        }
        ::waitpid(pid_, nullptr, 0);
        ::close(output_);
        pid_ = -1;
        return stored_;
    }

  private:
    std::string readLine(int timeoutMs) {
        std::string line;
        char c = 0;
        pollfd waitFor{output_, POLLIN, 0};
        while (::poll(&waitFor, 1, timeoutMs) > 0 && ::read(output_, &c, 1) == 1) {
            if (c == '\n') {
                return line;
            }
            line += c;
        }
        return line;
    }

    pid_t pid_ = -1;
    int output_ = -1;
    bool ready_ = false;
    std::vector<Stored> stored_;
};

// Lower-case hexadecimal, as the stand-in reports bytes.
inline std::string hexOf(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (unsigned char byte : bytes) {
        text += digits[byte >> 4];
        text += digits[byte & 0x0F];
    }
    return text.empty() ? "-" : text;
}

} // namespace corvane::test
