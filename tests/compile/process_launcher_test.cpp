#include "build_command.h"
#include "clock.h"
#include "files.h"
#include "process_launcher.h"
#include "temp_folder.h"

#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <signal.h>
#include <unistd.h>
#endif

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

// The build's waits are pinned on a driven clock; the system's clock counts and pauses in
// real seconds.
TEST(SteadyClock, CountsAndPausesInRealSeconds) {
    SteadyClock clock;
    const auto realStart = std::chrono::steady_clock::now();
    const double start = clock.seconds();
    clock.pause(0.05);
    const double counted = clock.seconds() - start;
    const std::chrono::duration<double> real = std::chrono::steady_clock::now() - realStart;
    EXPECT_GE(counted, 0.05);
    EXPECT_LE(counted, real.count());
}

#ifndef _WIN32
// True once the process has ended (a zombie waiting for its parent counts as ended).
bool processGone(pid_t pid) {
    if (::kill(pid, 0) != 0) {
        return true;
    }
    const std::string stat = readFile("/proc/" + std::to_string(pid) + "/stat");
    const auto close = stat.rfind(')');
    return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] == 'Z';
}
#endif

// Real processes end in their own time: wait for them, but never for ever.
template <typename Condition> bool eventually(Condition condition) {
    for (int attempt = 0; attempt < 1000; ++attempt) {
        if (condition()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

TEST(PlanBatch, CarriesOutDriveCdAndScriptLines) {
    struct Case {
        const char* name;
        std::vector<std::string> lines;
        std::string folder;
        std::string script;
        std::string error = ""; // a part of the expected error; empty when none
    };
#ifdef _WIN32
    const std::string driveFolder = "D:\\Corvane", subFolder = "/start\\sub dir";
#else
    const std::string driveFolder = "/start/D:\\Corvane", subFolder = "/start/sub dir";
#endif
    const Case cases[] = {
        {"comp.bat of a drive", {"@D:", "@cd D:\\Corvane", "@asm.bat"}, driveFolder, "asm.bat"},
        {"relative cd", {"cd sub dir", "ASM.BAT"}, subFolder, "ASM.BAT"},
        {"no drive", {"@", "@cd /opt/my tools", "@asm.bat"}, "/opt/my tools", "asm.bat"},
        {"bare cd shows the folder", {"@CD", "@asm.bat"}, "/start", "asm.bat"},
        {"after the script", {"@asm.bat", "@cd /elsewhere", "rm -rf /"}, "/start", "asm.bat"},
        {"no script at all", {"@C:", "@cd /opt"}, "/opt", ""},
        {"a command it does not know", {"@cd /opt", "@del *.*"}, "", "", "line 2"},
        {"a script with arguments", {"@asm.bat now"}, "", "", "asm.bat now"},
        {"cd glued to its path", {"@cd/opt"}, "", "", "line 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const BatchPlan plan = planBatch(c.lines, "/start");
        if (c.error.empty()) {
            EXPECT_EQ(plan.error, "");
            EXPECT_EQ(plan.folder, c.folder);
            EXPECT_EQ(plan.script, c.script);
        } else {
            EXPECT_NE(plan.error.find(c.error), std::string::npos) << plan.error;
        }
    }
}

class Launcher : public ::testing::Test {
  protected:
    // comp.bat in its own folder that changes into `folder` and runs `script` there. asm.bat
    // is written without execute permission: the launcher hands it to /bin/sh.
    std::string prepare(const fs::path& folder, const std::string& script) {
        fs::create_directories(folder);
        writeFile(folder / "asm.bat", script);
        const std::string batch = (root.path() / "comp.bat").string();
        writeFile(batch, compBatContents(folder.string()));
        return batch;
    }

    TempFolder root;
    std::unique_ptr<ProcessLauncher> launcher = makeSystemLauncher();
};

// The interpreter's own scripts: each ends with a status; the one that writes where.txt tells
// the folder it ran in.
struct ScriptCase {
    const char* name;
    const char* script;
    int status;
};

#ifdef _WIN32
// It runs in the folder comp.bat changes into, blanks and parentheses and all.
constexpr const char* kAppFolder = "app folder (x86)";
constexpr const char* kLineEnd = "\r\n";
const ScriptCase kScripts[] = {
    {"ExitsThree", "@exit /b 3\r\n", 3},
    {"WritesWhere", "@cd > where.txt\r\n", 0},
};
constexpr const char* kEndlessScript = "@ping -n 1000 127.0.0.1 >nul\r\n";
constexpr int kStoppedStatus = 1;
#else
constexpr const char* kAppFolder = "app folder";
constexpr const char* kLineEnd = "\n";
const ScriptCase kScripts[] = {
    {"ExitsThree", "exit 3", 3},
    {"Killed", "kill -TERM $$", 128 + SIGTERM},
    // Its input is empty, never the editor's terminal.
    {"ReadsNothing", "if read line; then exit 1; fi; exit 0", 0},
    // Its output goes nowhere: a pipe the editor never reads could stall it.
    {"WritesNowhere",
     "[ \"$(readlink /proc/$$/fd/1)\" = /dev/null ] && [ \"$(readlink /proc/$$/fd/2)\" = "
     "/dev/null ]",
     0},
    {"WritesWhere", "pwd > where.txt", 0},
};
// The script starts a process of its own, which stopping must end too.
constexpr const char* kEndlessScript = "sleep 1000 & echo $! > sleeper.pid; wait";
constexpr int kStoppedStatus = 128 + SIGTERM;
#endif

TEST_F(Launcher, RunsTheScriptDetachedAndReportsHowItEnded) {
    for (const ScriptCase& c : kScripts) {
        SCOPED_TRACE(c.name);
        const fs::path folder = root.path() / c.name / kAppFolder;
        auto started = launcher->start(prepare(folder, c.script));
        ASSERT_TRUE(started.process) << started.error;
        ASSERT_TRUE(eventually([&] { return !started.process->running(); }));
        EXPECT_EQ(started.process->exitStatus(), c.status);
        if (fs::exists(folder / "where.txt")) {
            EXPECT_EQ(readFile(folder / "where.txt"), folder.string() + kLineEnd);
        }
    }
}

TEST_F(Launcher, RefusesWhatItCannotCarryOut) {
    const fs::path folder = root.path() / "app";
    fs::create_directories(folder);
    const std::string cd = "@cd " + folder.string();
    const std::tuple<const char*, std::string, std::string> cases[] = {
        {"no comp.bat", "", "missing.bat"},
        {"no asm.bat", cd + "\r\n@asm.bat\r\n", "asm.bat"},
#ifndef _WIN32
        // The interpreter itself would refuse these as it runs; the POSIX runner reads them first.
        {"a line it does not know", cd + "\r\n@format c:\r\n", "format c:"},
        {"a folder that does not exist", cd + "/gone\r\n@asm.bat\r\n", "No such file or directory"},
#endif
    };
    for (const auto& [name, batch, error] : cases) {
        SCOPED_TRACE(name);
        const fs::path path = root.path() / (batch.empty() ? "missing.bat" : "comp.bat");
        if (!batch.empty()) {
            writeFile(path, batch);
        }
        const auto started = launcher->start(path.string());
        EXPECT_FALSE(started.process);
        EXPECT_NE(started.error.find(error), std::string::npos) << started.error;
    }
}

TEST_F(Launcher, StopEndsTheScriptAndWhatItStarted) {
    const fs::path folder = root.path() / "app";
    auto started = launcher->start(prepare(folder, kEndlessScript));
    ASSERT_TRUE(started.process) << started.error;
#ifndef _WIN32
    ASSERT_TRUE(eventually([&] { return readFile(folder / "sleeper.pid").ends_with("\n"); }));
    const pid_t sleeper = std::stoi(readFile(folder / "sleeper.pid"));
#endif
    EXPECT_TRUE(started.process->running());

    started.process->stop();

    EXPECT_FALSE(started.process->running());
    EXPECT_EQ(started.process->exitStatus(), kStoppedStatus);
#ifndef _WIN32
    EXPECT_TRUE(eventually([&] { return processGone(sleeper); }));
#endif
}

} // namespace
} // namespace corvane::test
