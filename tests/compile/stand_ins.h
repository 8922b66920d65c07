#pragma once

// Stand-ins for the build's collaborators: a tool chain that runs on a driven clock.

#include "driven_clock.h"
#include "files.h"
#include "process_launcher.h"
#include "temp_folder.h"

#include <chrono>
#include <cmath>
#include <filesystem>
#include <functional>
#include <limits>
#include <string>

#ifndef _WIN32
#include <signal.h>
#include <unistd.h>
#endif

namespace corvane::test {

namespace fs = std::filesystem;

inline constexpr double kNever = std::numeric_limits<double>::infinity();

// A tool chain that runs for `runsFor` seconds of the driven clock.
struct FakeToolChain {
    std::function<void()> atStart;
    std::function<void()> atEnd;
    double runsFor = 0;
    int exitStatus = 0;
    // When set, the tool chain cannot be started and the launcher says this.
    std::string startError;
    // What the build did with it.
    int starts = 0;
    double startedAt = NAN;
    bool stopped = false;
    std::string batchPath;
};

class FakeProcess final : public RunningProcess {
  public:
    FakeProcess(DrivenClock& clock, FakeToolChain& chain)
        : clock_(clock), chain_(chain), endAt_(clock.now() + chain.runsFor) {}
    bool running() override {
        if (!ended_ && clock_.now() >= endAt_) {
            ended_ = true;
            if (chain_.atEnd) {
                chain_.atEnd();
            }
        }
        return !ended_;
    }
    std::optional<int> exitStatus() override {
        return ended_ ? std::optional<int>(chain_.exitStatus) : std::nullopt;
    }
    void stop() override {
        chain_.stopped = true;
        ended_ = true;
    }

  private:
    DrivenClock& clock_;
    FakeToolChain& chain_;
    double endAt_;
    bool ended_ = false;
};

class FakeLauncher final : public ProcessLauncher {
  public:
    FakeLauncher(DrivenClock& clock, FakeToolChain& chain) : clock_(clock), chain_(chain) {}
    LaunchOutcome start(const std::string& batchPath) override {
        ++chain_.starts;
        chain_.startedAt = clock_.now();
        chain_.batchPath = batchPath;
        if (chain_.atStart) {
            chain_.atStart();
        }
        LaunchOutcome outcome;
        if (chain_.startError.empty()) {
            outcome.process = std::make_unique<FakeProcess>(clock_, chain_);
        }
        outcome.error = chain_.startError;
        return outcome;
    }

  private:
    DrivenClock& clock_;
    FakeToolChain& chain_;
};

// Moves a file's time an hour back, as if an earlier build had left it.
inline void makeOld(const fs::path& path) {
    fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(1));
}

#ifndef _WIN32
// True once the process has ended (a zombie waiting for its parent counts as ended).
inline bool processGone(pid_t pid) {
    if (::kill(pid, 0) != 0) {
        return true;
    }
    const std::string stat = readFile("/proc/" + std::to_string(pid) + "/stat");
    const auto close = stat.rfind(')');
    return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] == 'Z';
}
#endif

} // namespace corvane::test
