#pragma once

// Stand-ins for the build's collaborators: a clock that the test drives, a tool chain that
// runs on that clock, and a fresh folder per test.

#include "clock.h"
#include "process_launcher.h"

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <thread>

#ifndef _WIN32
#include <signal.h>
#include <unistd.h>
#endif

namespace corvane::testing {

namespace fs = std::filesystem;

// Advances by `step` at each reading and by the paused time at each pause. With a real
// pause it runs `speed` times faster than real time, for tests with real processes.
class FakeClock final : public Clock {
  public:
    explicit FakeClock(double step = 0.0, double speed = 0.0) : step_(step), speed_(speed) {}
    double seconds() override {
        const double reading = now_;
        now_ += step_;
        ++readings_;
        return reading;
    }
    void pause(double seconds) override {
        now_ += seconds;
        if (speed_ > 0) {
            std::this_thread::sleep_for(std::chrono::duration<double>(seconds / speed_));
        }
    }
    double now() const { return now_; }
    int readings() const { return readings_; }

  private:
    double now_ = 1000.0;
    double step_;
    double speed_;
    int readings_ = 0;
};

inline constexpr double kNever = std::numeric_limits<double>::infinity();

// A tool chain that runs for `runsFor` seconds of the fake clock.
struct FakeToolChain {
    std::function<void()> atStart;
    std::function<void()> atEnd;
    double runsFor = 0;
    int exitStatus = 0;
    // What the build did with it.
    int starts = 0;
    double startedAt = NAN;
    bool stopped = false;
    std::string batchPath;
};

class FakeProcess final : public RunningProcess {
  public:
    FakeProcess(FakeClock& clock, FakeToolChain& chain)
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
    FakeClock& clock_;
    FakeToolChain& chain_;
    double endAt_;
    bool ended_ = false;
};

class FakeLauncher final : public ProcessLauncher {
  public:
    FakeLauncher(FakeClock& clock, FakeToolChain& chain) : clock_(clock), chain_(chain) {}
    LaunchOutcome start(const std::string& batchPath) override {
        ++chain_.starts;
        chain_.startedAt = clock_.now();
        chain_.batchPath = batchPath;
        if (chain_.atStart) {
            chain_.atStart();
        }
        LaunchOutcome outcome;
        outcome.process = std::make_unique<FakeProcess>(clock_, chain_);
        return outcome;
    }

  private:
    FakeClock& clock_;
    FakeToolChain& chain_;
};

// A fresh folder, removed with everything in it at the end of the test.
class TempFolder {
  public:
    TempFolder() {
        std::random_device random;
        path_ = fs::temp_directory_path() / ("corvane-buildcmd-" + std::to_string(random()));
        fs::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

inline void writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

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

} // namespace corvane::testing
